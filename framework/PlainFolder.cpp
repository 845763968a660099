#include "framework/PlainFolder.h"

#include "core/PathText.h"
#include "framework/ScopedHandles.h"

#include <windows.h>
#include <sddl.h>

namespace tsu {

namespace {

// A security descriptor from SDDL text, freed with LocalFree.
class SddlDescriptor {
public:
    explicit SddlDescriptor(const wchar_t* sddl) {
        if (sddl &&
            !::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &m_descriptor, nullptr))
            m_descriptor = nullptr;
    }
    ~SddlDescriptor() {
        if (m_descriptor)
            ::LocalFree(m_descriptor);
    }
    SddlDescriptor(const SddlDescriptor&) = delete;
    SddlDescriptor& operator=(const SddlDescriptor&) = delete;
    [[nodiscard]] PSECURITY_DESCRIPTOR Get() const { return m_descriptor; }

private:
    PSECURITY_DESCRIPTOR m_descriptor = nullptr;
};

} // namespace

bool IsPlainFolder(const std::wstring& path) {
    return OpenPlainFolder(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE).IsValid();
}

UniqueFileHandle OpenPlainFolder(const std::wstring& path, DWORD share) {
    const std::wstring folder = TrimTrailingSeparators(path);
    if (folder.empty())
        return UniqueFileHandle();
    // FILE_FLAG_OPEN_REPARSE_POINT opens a link itself instead of what it points to;
    // FILE_FLAG_BACKUP_SEMANTICS is what lets CreateFileW open a folder at all.
    UniqueFileHandle handle(::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!handle || !::GetFileInformationByHandle(handle.Get(), &information))
        return UniqueFileHandle();
    const auto isPlain = [](DWORD attributes) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
    };
    // The attributes by name as well (they never follow a link either): Wine shows a host
    // symbolic link as a reparse point there.
    if (!isPlain(information.dwFileAttributes) || !isPlain(::GetFileAttributesW(folder.c_str())))
        return UniqueFileHandle();
    return handle;
}

bool EnsurePlainFolder(const std::wstring& path, const wchar_t* sddl) {
    const std::wstring folder = TrimTrailingSeparators(path);
    if (folder.empty())
        return false;
    if (::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const SddlDescriptor descriptor(sddl);
        if (sddl && !descriptor.Get())
            return false; // never fall back to the parent's looser access
        SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), descriptor.Get(), FALSE};
        // A failure (someone else made it first, access denied) shows in the check below.
        (void)::CreateDirectoryW(folder.c_str(), sddl ? &attributes : nullptr);
    }
    return IsPlainFolder(folder);
}

} // namespace tsu
