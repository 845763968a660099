// tsu analyze SHORTCUT [--json]: what the intelligent uninstall finds for a dropped shortcut.

#include "cli/Commands.h"
#include "cli/RecordJson.h"
#include "core/TextRules.h"
#include "smart/IntelligenceEngine.h"

#include <windows.h>

namespace tsu {

namespace {
struct AnalyzeOptions {
    bool json = false;
    std::wstring path;
};

bool ParseAnalyzeOptions(const CommandArgs& args, AnalyzeOptions& options, ConsoleOutput& out) {
    for (const std::wstring& arg : args) {
        if (arg == L"--json") {
            options.json = true;
        } else if (arg.rfind(L"--", 0) == 0) {
            out.Error(L"tsu analyze: unknown option '" + arg + L"'\n");
            return false;
        } else if (options.path.empty()) {
            options.path = arg;
        } else {
            out.Error(L"tsu analyze: one shortcut at a time\n");
            return false;
        }
    }
    if (options.path.empty()) {
        out.Error(L"tsu analyze: name the shortcut to analyse\n");
        return false;
    }
    return true;
}

nlohmann::ordered_json AnalysisToJson(const IntelligenceEngine& engine) {
    nlohmann::ordered_json json;
    json["shortcut"] = ToUtf8(engine.ShortcutPath());
    json["target"] = ToUtf8(engine.TargetPath());
    json["programName"] = ToUtf8(engine.ProgramName());
    nlohmann::ordered_json items = nlohmann::ordered_json::array();
    for (const RelatedItem& item : engine.Items())
        items.push_back({{"path", ToUtf8(item.path)}, {"description", ToUtf8(item.description)}});
    json["items"] = std::move(items);
    json["hasStandardUninstall"] = engine.HasStandardUninstall();
    json["matchedEntry"] = engine.HasStandardUninstall() ? RecordToJson(engine.MatchedRecord()) : nullptr;
    return json;
}

std::wstring AnalysisToText(const IntelligenceEngine& engine) {
    std::wstring text = L"target: " + (engine.TargetPath().empty() ? L"(none)" : engine.TargetPath()) + L"\n";
    text += L"program: " + engine.ProgramName() + L"\n";
    text += L"items: " + std::to_wstring(engine.Items().size()) + L"\n";
    for (const RelatedItem& item : engine.Items())
        text += L"  " + item.description + L"\t" + item.path + L"\n";
    if (engine.HasStandardUninstall())
        text += L"entry: " + engine.MatchedRecord().displayName + L"\t" + engine.MatchedRecord().keyPath + L"\n";
    else
        text += L"entry: none\n";
    return text;
}
} // namespace

int RunAnalyzeCommand(const CommandArgs& args, ConsoleOutput& out) {
    AnalyzeOptions options;
    if (!ParseAnalyzeOptions(args, options, out))
        return 1;
    if (::GetFileAttributesW(options.path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        out.Error(L"tsu analyze: '" + options.path + L"' does not exist\n");
        return 1;
    }
    // A dropped file always arrives with its full path; the program name is read from it.
    const DWORD needed = ::GetFullPathNameW(options.path.c_str(), 0, nullptr, nullptr);
    if (needed > 0) {
        std::wstring full(needed, L'\0');
        const DWORD written = ::GetFullPathNameW(options.path.c_str(), needed, full.data(), nullptr);
        if (written > 0 && written < needed) {
            full.resize(written);
            options.path = full;
        }
    }
    IntelligenceEngine engine;
    if (!engine.AnalyzeNow(options.path)) {
        out.Error(L"tsu analyze: the analysis could not run\n");
        return 1;
    }
    if (options.json)
        out.OutUtf8(DumpJson(AnalysisToJson(engine)) + "\n");
    else
        out.Out(AnalysisToText(engine));
    return 0;
}

} // namespace tsu
