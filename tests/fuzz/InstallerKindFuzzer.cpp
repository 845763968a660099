// libFuzzer target for the installer recogniser and the quiet command built from its answer.
#include "uninstall/core/InstallerKind.h"
#include "uninstall/core/QuietCommand.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tsu;
    std::wstring command; // the tail as a registered command
    for (size_t i = size > 512 ? size - 512 : 0; i + 1 < size; i += 2)
        command.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    QuietCommandInput input;
    input.uninstallerKind = RecogniseInstallerKind(ByteReader(data, size));
    input.uninstallString = command;
    input.relativeKeyPath = command;
    input.systemFolder = L"C:\\windows\\system32";
    input.uninstallerPath = L"C:\\App\\uninst.exe";
    const QuietCommand quiet = BuildQuietCommand(input);
    if ((quiet.source == QuietSource::NeedsUser) != quiet.commandLine.empty())
        __builtin_trap(); // a command exactly when one is to be started
    if (quiet.source == QuietSource::InstallerSwitches && input.uninstallerKind == InstallerKind::Unknown)
        __builtin_trap(); // no switches for an unrecognised uninstaller
    return 0;
}
