#include "cli/Commands.h"
#include "cli/RecordJson.h"
#include "icons/IconPngCache.h"
#include "framework/WorkerThread.h"
#include "icons/PicturePass.h"
#include "inventory/InventorySequence.h"

namespace tsu {

namespace {
struct ListOptions {
    bool json = false;
    bool pictures = false; // run the picture pass: PNG files in "\Image\" beside tsu.exe, imagePath filled
};

bool ParseListOptions(const CommandArgs& args, ListOptions& options, ConsoleOutput& out) {
    for (const std::wstring& arg : args) {
        if (arg == L"--json") {
            options.json = true;
        } else if (arg == L"--pictures") {
            options.pictures = true;
        } else {
            out.Error(L"tsu list: unknown option '" + arg + L"'\n");
            return false;
        }
    }
    return true;
}

void PrintLines(const SoftwareMap& software, ConsoleOutput& out) {
    std::wstring text;
    for (const auto& [name, record] : software) {
        text += record.displayName;
        text += L'\t';
        text += record.displayVersion;
        text += L'\t';
        text += record.sizeText;
        text += L'\n';
    }
    out.Out(text);
}
} // namespace

int RunListCommand(const CommandArgs& args, ConsoleOutput& out) {
    ListOptions options;
    if (!ParseListOptions(args, options, out))
        return 1;

    const JoinedThread shellWarmUp(options.pictures ? StartShellWarmUp() : UniqueHandle()); // beside the reading
    ProductIconMap productIcons;
    SoftwareMap software;
    if (RunInventorySequence(productIcons, software) != InventoryResult::Loaded) {
        out.Error(
            L"tsu list: cannot open the Windows Installer product list (SOFTWARE\\Classes\\Installer\\Products)\n");
        return 1;
    }
    if (options.pictures && !software.empty()) {
        // As the list-loading worker does: one cache for the pass, on this thread.
        IconPngCache cache;
        RunPicturePass(software, cache);
    }
    if (options.json)
        out.OutUtf8(DumpJson(SoftwareMapToJson(software)) + "\n");
    else
        PrintLines(software, out);
    return 0;
}

} // namespace tsu
