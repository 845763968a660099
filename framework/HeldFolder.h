#pragma once
// A folder the tool writes its own files into (the picture cache beside the executable), held
// open while it writes. The tool runs elevated: the folder is used only when it is a plain folder,
// and on Windows a held folder cannot be renamed or deleted, so no link can take its place before
// the writing is over. Files are always written as new files: a name that is there already is
// deleted first, never written through.

#include "framework/ScopedHandles.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tsu {

class HeldFolder {
public:
    HeldFolder() = default;
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;

    // Creates the folder and every missing parent, then holds it. True when it is a plain folder
    // (not a link, not a file); otherwise nothing is held.
    [[nodiscard]] bool Hold(const std::wstring& folder);
    [[nodiscard]] bool IsHeld() const { return m_handle.IsValid(); }
    // The held folder's path, ending in "\".
    [[nodiscard]] const std::wstring& Path() const { return m_path; }

    // A new file of that name (no path) in the folder with exactly these bytes; see
    // WriteNewFileReplacing. Several threads may write at once.
    [[nodiscard]] bool WriteNewFile(const std::wstring& name, const std::vector<uint8_t>& bytes) const;
    // Deletes the file of that name in the folder, if there is one (a link itself, not its target).
    void RemoveFile(const std::wstring& name) const;

private:
    UniqueFileHandle m_handle;
    std::wstring m_path;
};

// Writes a new file with exactly these bytes. A file of that name goes first: deleted, never
// opened, so a link planted under the name (a hard link, a symbolic link) leaves its target as it
// is; if another file takes the name in between, nothing is written. A file that cannot be written
// whole is deleted.
[[nodiscard]] bool WriteNewFileReplacing(const std::wstring& path, const std::vector<uint8_t>& bytes);

} // namespace tsu
