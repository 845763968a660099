#pragma once
// Reads the file-system targets of shortcut files through one shell-link object, so that a scan
// of many shortcuts does not create an object for each.

#include "framework/ScopedHandles.h"

#include <objbase.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <string>

namespace tsu {

class ShortcutReader {
public:
    // Initialises COM for the calling thread (apartment-threaded) for its lifetime. A thread that
    // already has another apartment type keeps it; the shell link then works in that one.
    ShortcutReader();
    ShortcutReader(const ShortcutReader&) = delete;
    ShortcutReader& operator=(const ShortcutReader&) = delete;

    // The path the shortcut points to; empty when the file is no loadable shortcut, the link has no
    // file-system target, or the target does not fit into the longest path Windows names (a cut
    // path is never returned).
    [[nodiscard]] std::wstring TargetOf(const std::wstring& shortcutPath);

private:
    ScopedComInit m_com; // first member: released last
    Microsoft::WRL::ComPtr<IPersistFile> m_file;
    Microsoft::WRL::ComPtr<IShellLinkW> m_link;
};

} // namespace tsu
