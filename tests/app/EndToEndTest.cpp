// The real TarrowSoftwareUninstall.exe and tsu.exe under Wine, driven from outside.

#include "framework/ScopedHandles.h"
#include "framework/StartupHardening.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/common/ProcessTestSupport.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/EngineTestSupport.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <optional>

namespace tsu {
namespace {

using test::FeedbackKind;

// The real executable copied with a feedback library into a scratch folder; its windows are found
// by control id and pressed with messages across the process boundary.
class ToolProcess {
public:
    ToolProcess(const std::wstring& name, FeedbackKind library,
                const std::wstring& program = L"TarrowSoftwareUninstall.exe")
        : folder(test::MakeFeedbackFolder(name, library)), path(folder + program) {
        ::CopyFileW((test::BinDir() + L"TarrowSoftwareUninstall.exe").c_str(), path.c_str(), FALSE);
    }
    ~ToolProcess() {
        if (process && ::WaitForSingleObject(process.Get(), 0) != WAIT_OBJECT_0)
            ::TerminateProcess(process.Get(), 99);
        ::WaitForSingleObject(process.Get(), 5000);
    }
    bool Start() {
        const test::ScopedCurrentFolder inFolder(folder);
        return static_cast<bool>(process = test::StartProcess(test::Quoted(path), &m_processId));
    }
    std::optional<DWORD> WaitForExit() {
        DWORD code = 0;
        const bool ended = ::WaitForSingleObject(process.Get(), test::kMustHappenMs) == WAIT_OBJECT_0;
        return ended && ::GetExitCodeProcess(process.Get(), &code) ? std::optional<DWORD>(code) : std::nullopt;
    }
    HWND FindControl(UINT id) const {
        std::tuple<DWORD, UINT, HWND> search{m_processId, id, nullptr};
        ::EnumChildWindows(
            ::GetDesktopWindow(),
            [](HWND hwnd, LPARAM lp) -> BOOL {
                auto& [processId, wanted, found] = *reinterpret_cast<std::tuple<DWORD, UINT, HWND>*>(lp);
                DWORD owner = 0;
                ::GetWindowThreadProcessId(hwnd, &owner);
                if (owner == processId && (::GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) &&
                    static_cast<UINT>(::GetDlgCtrlID(hwnd)) == wanted && ::IsWindowVisible(hwnd))
                    found = hwnd;
                return found == nullptr;
            },
            reinterpret_cast<LPARAM>(&search));
        return std::get<2>(search);
    }
    // A window of another process announces itself to nobody: looked for every 50 ms.
    bool WaitUntil(const std::function<bool()>& condition) {
        for (const DWORD start = ::GetTickCount(); !condition();)
            if (::GetTickCount() - start > test::kMustHappenMs ||
                ::WaitForSingleObject(process.Get(), 50) == WAIT_OBJECT_0)
                return condition();
        return true;
    }
    HWND WaitForControl(UINT id) {
        HWND found = nullptr;
        (void)WaitUntil([&] { return (found = FindControl(id)) != nullptr; });
        return found;
    }
    bool PressStart() {
        HWND start = WaitForControl(IDC_START_BUTTON);
        if (start)
            Press(start);
        return start != nullptr;
    }
    std::wstring PromptText() const { return TextOf(FindControl(IDC_PROMPT_MESSAGE)); }
    static void Press(HWND control) {
        ::PostMessageW(::GetParent(control), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), BN_CLICKED),
                       reinterpret_cast<LPARAM>(control));
    }
    static std::wstring TextOf(HWND window) {
        wchar_t text[512] = {};
        DWORD_PTR copied = 0;
        return window && ::SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text),
                                               SMTO_ABORTIFHUNG, 5000, &copied)
                   ? std::wstring(text, wcsnlen(text, 512))
                   : std::wstring();
    }
    // Waits until every child process of the tool (its browser, its self-removal) has ended.
    bool WaitForChildren() const {
        UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        bool found = false, ended = true;
        for (BOOL more = snapshot && ::Process32FirstW(snapshot.Get(), &entry); more;
             more = ::Process32NextW(snapshot.Get(), &entry)) {
            const UniqueHandle child(entry.th32ParentProcessID == m_processId
                                         ? ::OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID)
                                         : nullptr);
            found = found || static_cast<bool>(child);
            ended = ended && (!child || ::WaitForSingleObject(child.Get(), 20000) == WAIT_OBJECT_0);
        }
        return found && ended;
    }
    void CloseFromList() {
        Press(WaitForControl(IDC_FUNCTION_CLOSE));
        HWND questionClose = WaitForControl(IDC_FEEDBACK_CLOSE);
        ASSERT_NE(questionClose, nullptr);
        Press(questionClose);
    }

    const std::wstring folder, path;
    UniqueHandle process;

private:
    DWORD m_processId = 0;
};

size_t CountOf(const std::wstring& text, const std::wstring& part) {
    size_t count = 0;
    for (size_t at = text.find(part); !part.empty() && at != std::wstring::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// A start that shows a prompt and exits with 0 once it is confirmed, removing nothing of the tool.
// A failed start (logLine given) writes its log line before the prompt and never shows the start page.
void ExpectPromptThenExit(ToolProcess& tool, const std::wstring& logLine, const std::wstring& promptText) {
    const size_t linesBefore = CountOf(test::ToolLogText(), logLine);
    ASSERT_TRUE(tool.Start());
    ASSERT_TRUE(tool.WaitUntil([&] { return !tool.PromptText().empty(); })) << "no prompt";
    EXPECT_EQ(tool.PromptText(), promptText);
    EXPECT_EQ(CountOf(test::ToolLogText(), logLine), linesBefore + !logLine.empty());
    EXPECT_TRUE(logLine.empty() || !tool.FindControl(IDC_START_BUTTON)) << "the start page must not show";
    ToolProcess::Press(tool.FindControl(IDC_PROMPT_FIRST));
    EXPECT_EQ(tool.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_TRUE(test::FileExists(tool.path));
}

// Only the system's copies of riched20 and gdiplus are loaded, not those beside the programs.
TEST(ToolStart, LibrariesPlantedBesideTheProgramsAreNeverLoaded) {
    const std::wstring programName = test::UniqueName(L"PlantedLibraryTool") + L".exe";
    const std::wstring tsuName = test::UniqueName(L"PlantedLibraryTsu") + L".exe";
    ToolProcess tool(L"e2e-planted-library", FeedbackKind::None, programName);
    ASSERT_TRUE(test::CopyProgram(test::BinDir() + L"tsu.exe", tool.folder + tsuName));
    // Wine otherwise runs its own copy of a system library for any file of that name it finds;
    // with these overrides a planted library that is found really runs, as on Windows.
    test::ScratchKey toolDefaults(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\" + programName);
    test::ScratchKey tsuDefaults(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\" + tsuName);
    for (const wchar_t* library : {L"riched20", L"gdiplus"}) {
        for (test::ScratchKey* defaults : {&toolDefaults, &tsuDefaults})
            ASSERT_TRUE(defaults->SetString(L"DllOverrides", library, L"native,builtin"));
        ASSERT_TRUE(::CopyFileW((test::BinDir() + L"planted\\riched20.dll").c_str(),
                                (tool.folder + library + L".dll").c_str(), FALSE));
    }
    ExpectPromptThenExit(tool, L"工具初始化失败7", L"工具初始化失败");
    {
        const test::ScopedCurrentFolder inToolFolder(tool.folder);
        ASSERT_TRUE(inToolFolder.Changed());
        EXPECT_EQ(test::RunProcess(test::Quoted(tool.folder + tsuName) + L" list --pictures").exitCode, 0u); // GDI+
    }
    for (const wchar_t* library : {L"riched20", L"gdiplus"})
        EXPECT_FALSE(test::FileExists(tool.folder + library + L".dll.loaded")) << library;
}

// The uninstaller tsu starts finds the system folder as its current folder, not tsu's.
TEST(ToolStart, TsuWorksFromTheSystemFolderWhereverItIsStarted) {
    const test::ScratchFolder folder(L"e2e_tsu_folder");
    ASSERT_TRUE(test::CopyProgram(test::BinDir() + L"tsu.exe", folder.File(L"tsu.exe")));
    ASSERT_TRUE(test::CopyProgram(test::HelperPath(), folder.File(L"un.exe")));
    const std::wstring name = test::UniqueName(L"Tsu E2E Folder");
    test::ScratchKey key(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
                                                test::UniqueName(L"TsuE2EFolder"));
    ASSERT_TRUE(key.SetString(L"", L"DisplayName", name));
    ASSERT_TRUE(key.SetString(L"", L"UninstallString", test::Quoted(folder.File(L"un.exe"))));
    const test::ScopedEnvironmentVariable args(L"TSU_HELPER_ARGS", L"--cwd " + test::Quoted(folder.File(L"cwd.txt")));
    const test::ScopedCurrentFolder inFolder(folder.Path());
    ASSERT_TRUE(inFolder.Changed());
    ASSERT_TRUE(test::RunProcess(test::Quoted(folder.File(L"tsu.exe")) + L" uninstall " + test::Quoted(name)).started);
    EXPECT_EQ(test::ReadUtf16File(folder.File(L"cwd.txt")), SystemFolder());
}

TEST(ToolStart, AnnouncedNewerVersionShowsTheDownloadPromptOpensTheDownloadAndExits) {
    ToolProcess tool(L"e2e-new-version", FeedbackKind::Real);
    const std::wstring mark = tool.folder + L"browser-started", helper = test::HelperPath();
    // The "browser" is the process helper, which creates the mark file.
    ASSERT_TRUE(test::WriteFileBytes(tool.folder + L"VeltorFeedbackInformation.ini",
                                     "[Update]\r\nLatestVersion=1.0.21.0\r\nDownloadUrl=https://dl.example/tool.zip\r\n"
                                     "[Browser]\r\nProgram=" +
                                         std::string(helper.begin(), helper.end()) + "\r\n"));
    const test::ScopedEnvironmentVariable args(L"TSU_HELPER_ARGS", L"--mark " + test::Quoted(mark));
    ExpectPromptThenExit(tool, L"", L"检测到当前工具有新的版本更新，请下载最新版本使用。");
    EXPECT_TRUE(test::PumpUntil([&] { return test::FileExists(mark); }, test::kMustHappenMs));
}

// The tool runs with an entry showing Notepad's icon (loading the list writes at least
// "Image\0.png"), is closed, and its self-removal is waited for.
TEST(SelfRemoval, OnlyTheToolsOwnFilesGoAndTheUsersFilesStay) {
    ToolProcess tool(L"e2e-self-removal-shared", FeedbackKind::FakeFull);
    test::ConfigureFakeFeedback(tool.folder + L"calls.txt");
    // A numbered picture past any number this run's pictures can have: the user's, not the tool's.
    const std::wstring users[] = {L"my notes.txt", L"Image\\holiday.png", L"Image\\999999.png"};
    ::CreateDirectoryW((tool.folder + L"Image").c_str(), nullptr);
    for (const std::wstring& file : users)
        ASSERT_TRUE(test::WriteFileBytes(tool.folder + file, "the user's own"));
    test::ScratchKey entry(HKEY_CURRENT_USER,
                           L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TsuSelfRemovalPicture");
    ASSERT_TRUE(entry.SetString(L"", L"DisplayName", L"Tsu Self Removal Picture"));
    ASSERT_TRUE(entry.SetString(L"", L"UninstallString", test::Quoted(tool.path)));
    ASSERT_TRUE(entry.SetString(L"", L"DisplayIcon", test::SystemFolderPath() + L"\\notepad.exe"));
    ASSERT_TRUE(tool.Start() && tool.PressStart());
    ASSERT_NE(tool.WaitForControl(IDC_FUNCTION_CLOSE), nullptr) << "the list did not show";
    EXPECT_TRUE(test::FileExists(tool.folder + L"Image\\0.png")) << "no picture was written";
    tool.CloseFromList();
    EXPECT_EQ(tool.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_TRUE(tool.WaitForChildren()) << "no self-removal was started, or it did not end";
    for (const wchar_t* file : {L"TarrowSoftwareUninstall.exe", L"VeltorFeedbackInformation.dll", L"Image\\0.png"})
        EXPECT_FALSE(test::FileExists(tool.folder + file)) << file;
    for (const std::wstring& file : users)
        EXPECT_TRUE(test::FileExists(tool.folder + file)) << file;
    test::RemoveTree(tool.folder);
}

// Real programs installed in the prefix; their names start with "!", so their rows come first.
TEST(ProgramList, StartListsTheInstalledProgramsAndARowsUninstallRemovesItsProgram) {
    const std::wstring nsisKey = L"TsuAppE2ENsis";
    test::RemoveNsisLeftovers(nsisKey);
    ASSERT_TRUE(test::InstallNsisFixture(L"fixture_app_e2e_nsis") && test::InstallMsiFixture(L"fixture_app_e2e_msi"));
    ProductIconMap icons;
    SoftwareMap installed;
    ASSERT_EQ(RunInventorySequence(icons, installed), InventoryResult::Loaded);
    ASSERT_GE(installed.size(), 2u);
    ASSERT_EQ(std::pair(installed.begin()->first, std::next(installed.begin())->first),
              std::pair(std::wstring(L"!Tsu E2E MSI"), std::wstring(L"!Tsu E2E NSIS")));
    ToolProcess tool(L"e2e-program-list", FeedbackKind::Real);
    ASSERT_TRUE(tool.Start() && tool.PressStart());
    HWND count = tool.WaitForControl(IDC_FOUND_COUNT), list = tool.FindControl(IDC_SOFTWARE_LIST);
    ASSERT_TRUE(count && list) << "the list did not show";
    EXPECT_EQ(ToolProcess::TextOf(count), std::to_wstring(installed.size()));
    // The NSIS program's "卸载", clicked where the list draws it: the operation column is the last
    // 120 pixels of the columns, which end 20 pixels short of the list's width; rows are 40 high.
    RECT client{}, header{};
    ::GetClientRect(list, &client);
    ::GetWindowRect(::GetDlgItem(list, 101), &header);
    ::MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&header), 2);
    for (UINT msg : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP})
        ::PostMessageW(list, msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                       MAKELPARAM(client.right - 80, header.bottom + 1 * 40 + 20));
    ASSERT_TRUE(tool.WaitUntil([&] {
        return !test::UninstallKeyExists(HKEY_LOCAL_MACHINE,
                                         L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + nsisKey);
    })) << "the program's key is still there";
    // The row goes once the engine's watcher lets it, and the count drops with it.
    EXPECT_TRUE(tool.WaitUntil([&] { return ToolProcess::TextOf(count) == std::to_wstring(installed.size() - 1); }));
    EXPECT_FALSE(test::FileExists(L"C:\\Program Files\\" + nsisKey));
    tool.CloseFromList();
    EXPECT_TRUE(tool.WaitForExit().has_value());
    test::RemoveNsisLeftovers(nsisKey); // the MSI program's uninstaller asks in a window nobody answers here
    EXPECT_EQ(test::RunProcess(test::Quoted(test::SystemFolderPath() + L"\\msiexec.exe") +
                               L" /x {6B1F3C2A-9D4E-4F5A-8B7C-2D3E4F5A6B71} /qn")
                  .exitCode,
              0u);
}

} // namespace
} // namespace tsu
