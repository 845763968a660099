#include "smart/ShortcutReader.h"

#include <shlobj.h>

#include <cwchar>

namespace tsu {

namespace {
// The longest path Windows can name; a shortcut's target never needs more. A target that fills
// the buffer may have been cut and is not used.
constexpr int kLongPathChars = 32768;
} // namespace

ShortcutReader::ShortcutReader() : m_com(COINIT_APARTMENTTHREADED) {
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistFile,
                                  reinterpret_cast<void**>(m_file.GetAddressOf()))) ||
        !m_file) {
        m_file.Reset();
        return;
    }
    if (FAILED(m_file.As(&m_link)) || !m_link) {
        m_link.Reset();
        m_file.Reset();
    }
}

std::wstring ShortcutReader::TargetOf(const std::wstring& shortcutPath) {
    if (!m_file || !m_link)
        return std::wstring();
    // Loading replaces everything an earlier file left in the object.
    if (FAILED(m_file->Load(shortcutPath.c_str(), STGM_READ)))
        return std::wstring();
    std::wstring target(kLongPathChars, L'\0');
    // S_FALSE: the link has no file-system path (a virtual folder, an installer advertisement).
    if (m_link->GetPath(target.data(), kLongPathChars, nullptr, 0) != S_OK)
        return std::wstring();
    target.resize(std::wcslen(target.c_str()));
    if (target.size() >= static_cast<size_t>(kLongPathChars) - 1)
        return std::wstring();
    return target;
}

} // namespace tsu
