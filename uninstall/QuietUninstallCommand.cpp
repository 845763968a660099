#include "uninstall/QuietUninstallCommand.h"

#include "framework/ScopedHandles.h"
#include "framework/StartupHardening.h"
#include "uninstall/LaunchUninstaller.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace tsu {

namespace {

// Enough for the headers, the version resource and the first overlay blocks of any uninstaller.
constexpr DWORD kMaxBytesRead = 8u << 20;

InstallerKind RecogniseFile(const std::wstring& path) {
    const UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0)
        return InstallerKind::Unknown;
    std::vector<uint8_t> bytes(static_cast<size_t>(std::min<LONGLONG>(size.QuadPart, kMaxBytesRead)));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read, nullptr) ||
            read == 0)
            break;
        done += read;
    }
    return RecogniseInstallerKind(ByteReader(bytes.data(), done));
}

} // namespace

QuietCommand QuietUninstallCommand(const SoftwareRecord& record) {
    const std::wstring systemFolder = SystemFolder();
    QuietCommandInput input;
    input.quietUninstallString = record.quietUninstallString;
    input.uninstallString = record.uninstallString;
    input.relativeKeyPath = record.relativeKeyPath;
    input.systemFolder = systemFolder;
    QuietCommand command = BuildQuietCommand(input);
    if (command.source != QuietSource::NeedsUser)
        return command;
    // Only now is the uninstaller file read: the registered strings did not decide.
    const std::wstring program = LaunchProgramPath(record.uninstallString);
    if (program.empty())
        return command;
    input.uninstallerPath = program;
    input.uninstallerKind = RecogniseFile(program);
    return BuildQuietCommand(input);
}

} // namespace tsu
