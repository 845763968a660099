// The related-items analysis, the registry match and tsu analyze on real shortcut files in the test prefix.
#include "core/TextRules.h"
#include "smart/IntelligenceEngine.h"
#include "smart/SystemFolders.h"
#include "smart/core/AnalysisRules.h"
#include "tests/common/ProcessTestSupport.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/smart/ShortcutFiles.h"
#include "uninstall/engine/EngineMessages.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <algorithm>
#include <stdexcept>

namespace tsu {
namespace {

using test::RecordedMessage;
using Lines = std::vector<std::wstring>;

// A link file written byte by byte with a target longer than MAX_PATH (the shell link object takes
// none): header (HasLinkInfo | IsUnicode, archive, shown normally), a LinkInfo with a volume id (fixed
// drive, empty label) and a local base path, an empty suffix, no extra blocks.
bool WriteLongTargetShortcut(const std::wstring& linkPath, const std::string& asciiTarget) {
    const uint32_t linkInfoSize = 0x1C + 0x11 + static_cast<uint32_t>(asciiTarget.size()) + 2;
    std::string bytes;
    // clang-format off
    for (const uint32_t value : {0x4Cu, 0x21401u, 0u, 0xC0u, 0x46000000u, 0x82u, 0x20u, 0u, 0u, 0u, 0u, 0u, 0u, 0u, 0u,
                                 1u, 0u, 0u, 0u, linkInfoSize, 0x1Cu, 1u, 0x1Cu, 0x1Cu + 0x11u, 0u, linkInfoSize - 1,
                                 0x11u, 3u, 0x12345678u, 0x10u})
        // clang-format on
        bytes.append(reinterpret_cast<const char*>(&value), 4);
    return test::WriteFileBytes(linkPath, bytes + '\0' + asciiTarget + std::string(6, '\0')); // + no suffix, end
}

std::wstring Line(const wchar_t* description, const std::wstring& path) {
    return description + (L" " + path);
}

// A program in a folder of its own with start-menu shortcuts in a vendor sub-folder and a link loop
// in both; what a test adds goes again.
class AnalysisTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(test::CreateFolders(s_app + L"\\sub\\deeper") && test::CreateFolders(s_vendor + L"\\TsuApp"));
        for (const wchar_t* file : {L"\\app.exe", L"\\readme.txt", L"\\sub\\data.bin", L"\\sub\\deeper\\x.dat"})
            ASSERT_TRUE(test::WriteFileBytes(s_app + file, "x"));
        ASSERT_TRUE(test::CreateShortcut(s_vendor + L"\\TsuApp\\App.lnk", s_app + L"\\app.exe") &&
                    test::CreateShortcut(s_vendor + L"\\Upper Case.LNK", ToUpperAscii(s_app + L"\\app.exe")) &&
                    test::CreateShortcut(s_vendor + L"\\Unrelated.lnk", L"C:\\windows\\system32\\notepad.exe") &&
                    test::WriteFileBytes(s_vendor + L"\\notes.txt", "not a shortcut") &&
                    test::CreateDirectoryLink(s_vendor + L"\\TsuApp\\loop", L"..") &&
                    test::CreateDirectoryLink(s_app + L"\\sub\\loop", L".."));
    }
    static void TearDownTestSuite() {
        test::RemoveDirectoryLink(s_vendor + L"\\TsuApp\\loop"); // links first: no removal walks through them
        test::RemoveDirectoryLink(s_app + L"\\sub\\loop");
        test::RemoveTree(s_app);
        test::RemoveTree(s_vendor);
    }
    void SetUp() override { ASSERT_TRUE(m_engine.SetOwnerWindow(m_page.Window())); }
    void TearDown() override {
        std::for_each(m_links.begin(), m_links.end(), test::RemoveDirectoryLink);
        std::for_each(m_trees.begin(), m_trees.end(), test::RemoveTree);
        std::for_each(m_files.begin(), m_files.end(), [](const std::wstring& path) { ::DeleteFileW(path.c_str()); });
    }
    std::wstring File(const std::wstring& path) {
        EXPECT_TRUE(test::WriteFileBytes(path, "x")) << path;
        m_files.push_back(path);
        return path;
    }
    // C:\Tools\<tag>_<pid> with the sub-folder; it goes again.
    std::wstring Tree(const std::wstring& tag, const std::wstring& sub = L"") {
        m_trees.push_back(L"C:\\Tools\\" + test::UniqueName(tag));
        EXPECT_TRUE(test::CreateFolders(m_trees.back() + sub));
        return m_trees.back();
    }
    std::wstring DesktopShortcut(const std::wstring& tag, const std::wstring& target) {
        m_files.push_back(test::CommonDesktop() + L"\\" + test::UniqueName(tag) + L".lnk");
        EXPECT_TRUE(test::CreateShortcut(m_files.back(), target)) << m_files.back();
        return m_files.back();
    }
    void Analyze(IntelligenceEngine& engine, const std::wstring& path) {
        m_page.Clear();
        ASSERT_TRUE(engine.AnalyzeNow(path));
    }
    Lines Items(const IntelligenceEngine& engine) const {
        Lines lines;
        for (const RelatedItem& item : engine.Items())
            lines.push_back(Line(item.description.c_str(), item.path));
        return lines;
    }
    // The analysis states reported, each with its text.
    std::wstring States() const {
        std::wstring text;
        for (const RecordedMessage& message : OnlyOf(m_page.Messages(), WM_ANALYSIS_STATE))
            text += std::to_wstring(message.lParam) + L" " + message.text + L";";
        return text;
    }

    static inline const std::wstring s_app = L"C:\\Tools\\" + test::UniqueName(L"TsuSmartApp");
    static inline const std::wstring s_vendor =
        std::wstring(IntelligenceEngine::kStartMenuRoot) + L"\\" + test::UniqueName(L"TsuSmartVendor");
    std::vector<std::wstring> m_files, m_trees, m_links;
    test::MessageRecorder m_page; // outlives the engine that sends to it
    IntelligenceEngine m_engine;
};

// Start-menu matches first, each followed by the folder that holds it; the unrelated shortcut, the
// plain file and the loops add nothing; the letter case of a target does not matter.
TEST_F(AnalysisTest, ProgramInItsOwnFolderListsEveryFileAndItsStartMenuShortcuts) {
    const std::wstring shortcut = DesktopShortcut(L"TsuSmartApp", s_app + L"\\app.exe");
    Analyze(m_engine, shortcut);
    EXPECT_EQ(m_engine.ProgramName(), test::UniqueName(L"TsuSmartApp"));
    Lines lines = Items(m_engine);
    ASSERT_EQ(lines.size(), 9u) << ::testing::PrintToString(lines);
    for (size_t i = 0; i < 4; i += 2)
        EXPECT_EQ(lines[i + 1], Line(kStartMenuShortcutText, ParentFolder(m_engine.Items()[i].path)));
    std::sort(lines.begin(), lines.begin() + 4);
    std::sort(lines.begin() + 5, lines.end());
    const auto menu = [](const std::wstring& name) { return Line(kStartMenuShortcutText, s_vendor + name); };
    const auto file = [](const wchar_t* name) { return Line(kRelatedFileText, s_app + name); };
    EXPECT_EQ(lines, (Lines{menu(L""), menu(L"\\TsuApp"), menu(L"\\TsuApp\\App.lnk"), menu(L"\\Upper Case.LNK"),
                            Line(kDesktopShortcutText, shortcut), file(L"\\app.exe"), file(L"\\readme.txt"),
                            file(L"\\sub\\data.bin"), file(L"\\sub\\deeper\\x.dat")}));
    EXPECT_FALSE(m_engine.HasStandardUninstall());
}

// The desktop of another account (with a neighbour file), a folder, and a folder reached through a
// link: the target alone is listed.
TEST_F(AnalysisTest, TargetsInSharedOrLinkedFoldersAreListedAlone) {
    const std::wstring name = test::UniqueName(L"TsuSmartAlone");
    const std::wstring profile = ParentFolder(ParentFolder(test::CommonDesktop())) + L"\\" + name;
    const std::wstring linked = L"C:\\Tools\\" + name;
    ASSERT_TRUE(test::CreateFolders(profile + L"\\Desktop") && test::CreateFolders(linked + L"\\real\\App"));
    m_trees = {profile, linked};
    m_links = {linked + L"\\parent", linked + L"\\folder"};
    ASSERT_TRUE(test::CreateDirectoryLink(m_links[0], L"real") && test::CreateDirectoryLink(m_links[1], L"real/App"));
    for (const std::wstring& neighbour : {profile + L"\\Desktop\\sentinel.txt", linked + L"\\real\\App\\sentinel.txt",
                                          linked + L"\\real\\App\\app.exe"})
        File(neighbour);
    for (const std::wstring& target : {File(profile + L"\\Desktop\\app.exe"), s_app, linked + L"\\parent\\App\\app.exe",
                                       linked + L"\\folder\\app.exe"}) {
        const std::wstring shortcut = DesktopShortcut(L"TsuSmartAlone", target);
        Analyze(m_engine, shortcut);
        const std::wstring& resolved = m_engine.TargetPath();
        EXPECT_TRUE((resolved == target || test::FileExists(resolved)) && !m_engine.HasStandardUninstall()) << resolved;
        EXPECT_EQ(Items(m_engine), (Lines{Line(kDesktopShortcutText, shortcut), Line(kRelatedFileText, resolved)}));
        EXPECT_EQ(States(), L"1 " + resolved + L";2 " + resolved + L";"); // started, finished
    }
}

// The guards see one spelling of a path however the shortcut writes it: the 8.3 form of the
// program's folder is scanned, the Windows folder through this machine's share is a system
// program, and Program Files in its 8.3 form and a missing target are never scanned.
TEST_F(AnalysisTest, EverySpellingOfAPathMeetsTheSameGuards) {
    const SharedFolders shared = QuerySharedFolders();
    const std::wstring shortApp = test::ShortSpelling(s_app);
    ASSERT_NE(shortApp, s_app);
    EXPECT_EQ(ProgramFolderToScan(shortApp + L"\\app.exe", shared).value_or(L"<none>"), s_app);
    EXPECT_TRUE(IsSystemProgram(L"\\\\localhost\\C$\\windows\\notepad.exe", shared));
    const std::wstring inProgramFiles = File(L"C:\\Program Files\\" + test::UniqueName(L"TsuSmartSpelt") + L".exe");
    for (const std::wstring& unscanned :
         {s_app + L"\\missing.exe", test::ShortSpelling(L"C:\\Program Files") + inProgramFiles.substr(16)})
        EXPECT_FALSE(ProgramFolderToScan(unscanned, shared).has_value()) << unscanned;
}

// A text file, a corrupt link, a link to no file, a link whose target is longer than MAX_PATH: no
// items, or never a cut target (which would name a folder above it).
TEST_F(AnalysisTest, UnusableDropsFinishWithoutItems) {
    const std::wstring base = test::CommonDesktop() + L"\\" + test::UniqueName(L"TsuSmartUnusable");
    m_files = {base + L".txt", base + L"_corrupt.lnk", base + L"_nothing.lnk", base + L"_long.lnk"};
    std::string longTarget = "C:\\TsuLongTarget";
    for (int i = 0; i < 11; ++i) // over MAX_PATH
        longTarget += "\\abcdefghijklmnopqrstuvwxyz";
    const std::wstring wideTarget = WidenAscii(longTarget);
    ASSERT_TRUE(test::WriteFileBytes(m_files[0], "just text") &&
                test::WriteFileBytes(m_files[1], std::string("L\0\0\0\x01\x14\x02garbage", 14)) &&
                test::CreateShortcut(m_files[2], L"") && WriteLongTargetShortcut(m_files[3], longTarget));
    const std::wstring resolved = IntelligenceEngine::ResolveShortcut(m_files[3]);
    EXPECT_TRUE(resolved.empty() || resolved == wideTarget) << resolved.size();
    for (const std::wstring& path : std::vector<std::wstring>(m_files)) {
        Analyze(m_engine, path);
        for (const RelatedItem& item : m_engine.Items())
            EXPECT_TRUE(path == m_files[3] && (item.path == path || item.path == wideTarget)) << item.path.size();
        EXPECT_FALSE(m_engine.HasStandardUninstall());
        EXPECT_TRUE(path == m_files[3] || States() == std::to_wstring(kAnalysisFinished) + L" ;") << States();
    }
}

// The real limit takes too long to fill under Wine (each new name is looked up in the whole folder);
// the engine takes a smaller one. The limit itself is still listed.
TEST_F(AnalysisTest, AFolderOfMoreFilesThanTheLimitListsOnlyShortcutAndTarget) {
    const std::wstring folder = Tree(L"TsuSmartMany", L"\\sub");
    const std::wstring target = File(folder + L"\\app.exe");
    IntelligenceEngine engine(InventoryLocations::Default(), 3);
    for (const auto& [more, count] : {std::pair{L"\\sub\\1", 3u}, {L"\\sub\\2", 4u}, {L"\\sub\\3", 2u}}) {
        File(folder + more);
        Analyze(engine, DesktopShortcut(L"TsuSmartMany", target));
        EXPECT_EQ(engine.Items().size(), count) << more;
    }
    EXPECT_EQ(engine.Items().back().path, target);
}

// Destroyed at once, the engine waits for its worker, which sends to a window of this thread meanwhile.
TEST_F(AnalysisTest, TheWorkerOutlivesNoEngine) {
    const std::wstring shortcut = DesktopShortcut(L"TsuSmartBusy", s_app + L"\\app.exe");
    static int received = 0;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        return message == WM_ANALYSIS_STATE ? (++received, 1) : ::DefWindowProcW(window, message, wParam, lParam);
    };
    windowClass.lpszClassName = L"TsuSmartLocalOwner";
    (void)::RegisterClassW(&windowClass);
    const HWND owner = ::CreateWindowW(windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, 0, 0, 0);
    {
        IntelligenceEngine engine;
        ASSERT_TRUE(owner && engine.SetOwnerWindow(owner) && engine.StartAnalysis(shortcut));
    }
    EXPECT_EQ(received, 2);
    ::DestroyWindow(owner);
}

// The location, in any spelling of the target (the display name: the NSIS removal test). A reader
// that fails leaves nothing offered.
TEST_F(AnalysisTest, TheRegistryMatchTakesTheProgramsOwnEntry) {
    test::ScratchInventory inventory(L"TsuSmartMatch");
    (void)test::WriteScratchEntry(inventory.entries, L"Own", L"Zed Program", L"\"D:\\x\\uninst.exe\"");
    ASSERT_TRUE(inventory.entries.SetString(L"Own", L"InstallLocation", s_app + L"\\"));
    IntelligenceEngine engine(inventory.Locations());
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    for (const auto& [shortcut, match] :
         {std::pair{DesktopShortcut(L"TsuSmartMatch", s_app + L"\\app.exe"), std::wstring(L"Zed Program")},
          {DesktopShortcut(L"TsuSmartShort", test::ShortSpelling(s_app) + L"\\app.exe"), L"Zed Program"}}) {
        Analyze(engine, shortcut);
        EXPECT_EQ(engine.HasStandardUninstall() ? engine.MatchedRecord().displayName : L"", match) << shortcut;
    }
    IntelligenceEngine failing([](auto&&...) -> InventoryResult { throw std::runtime_error("unreadable"); },
                               IntelligenceEngine::kMaxRelatedFiles);
    ASSERT_TRUE(failing.SetOwnerWindow(m_page.Window()));
    Analyze(failing, DesktopShortcut(L"TsuSmartFail", s_app + L"\\app.exe"));
    EXPECT_EQ(CountOf(m_page.Messages(), WM_ANALYSIS_STATE), 2u);
    EXPECT_TRUE(failing.Items().empty() && !failing.HasStandardUninstall());
}

// tsu analyze prints the analysis as JSON; a missing path is an error.
TEST_F(AnalysisTest, TheConsoleProgramPrintsTheAnalysis) {
    const std::wstring app = Tree(L"TsuCliApp", L"\\data");
    const std::wstring shortcut = DesktopShortcut(L"TsuCliApp", File(app + L"\\app.exe"));
    File(app + L"\\data\\settings.ini");
    const auto tsu = [](const std::wstring& arguments) {
        return test::RunProcess(test::Quoted(test::BinDir() + L"tsu.exe") + L" analyze " + arguments);
    };
    const auto result = tsu(test::Quoted(shortcut) + L" --json");
    const auto json = nlohmann::json::parse(result.out, nullptr, false);
    ASSERT_TRUE(result.exitCode == 0 && !json.is_discarded()) << result.err << result.out;
    EXPECT_EQ(json.value("target", "") + "|" + json.value("programName", ""),
              ToUtf8(app + L"\\app.exe|" + test::UniqueName(L"TsuCliApp")));
    EXPECT_TRUE(!json.value("hasStandardUninstall", true) && json.at("matchedEntry").is_null());
    ASSERT_EQ(json.at("items").size(), 3u);
    EXPECT_EQ(json.at("items")[0].value("description", "") + " " + json.at("items")[0].value("path", ""),
              ToUtf8(L"桌面快捷方式 " + shortcut));
    const auto missing = tsu(test::Quoted(app + L"\\missing.lnk"));
    EXPECT_EQ(std::to_string(missing.exitCode) + "|" + missing.out, "1|");
}

} // namespace
} // namespace tsu
