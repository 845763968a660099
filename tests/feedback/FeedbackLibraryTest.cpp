// The real library from a scratch folder with its own settings file; the configured browser is the
// helper program, which records its command line.
#include "feedback/FeedbackExports.h"
#include "feedback/core/FeedbackRecord.h"
#include "feedback/core/FeedbackSettings.h"
#include "framework/ScopedHandles.h"
#include "tests/common/ProcessTestSupport.h"
#include "tests/common/ScratchKey.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <cwchar>
#include <memory>
#include <sstream>
#include <vector>

namespace tsu::feedback {
namespace {

class FeedbackLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_folder = test::MakeScratchFolder(L"feedback-library");
        const std::wstring copy = s_folder + L"VeltorFeedbackInformation.dll";
        ASSERT_TRUE(::CopyFileW((test::BinDir() + L"VeltorFeedbackInformation.dll").c_str(), copy.c_str(), FALSE));
        s_module = ::LoadLibraryW(copy.c_str());
    }
    static void TearDownTestSuite() {
        ::FreeLibrary(s_module);
        test::RemoveTree(s_folder);
    }
    void SetUp() override {
        ASSERT_NE(s_module, nullptr);
        ::DeleteFileW((s_folder + kSettingsFileName).c_str());
    }
    template <typename Fn> Fn Entry(const char* name) {
        const auto entry = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(s_module, name)));
        EXPECT_NE(entry, nullptr) << name;
        return entry;
    }
    void OpenUrl(const wchar_t* url) { Entry<OpenUrlFn>("OpenUrl")(url); }
    void WriteSettings(const std::string& s) { ASSERT_TRUE(test::WriteFileBytes(s_folder + kSettingsFileName, s)); }
    // The lines of the feedback file whose tool id is this test's own.
    static std::vector<FeedbackRecord> OwnLines(const std::wstring& toolId) {
        wchar_t folder[MAX_PATH] = {};
        EXPECT_TRUE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, folder)));
        std::istringstream file(test::ReadFileBytes(std::wstring(folder) + L"\\ToolLog\\" + kFeedbackFileName));
        std::vector<FeedbackRecord> lines;
        FeedbackRecord record;
        for (std::string line; std::getline(file, line);) {
            if (ParseFeedbackLine(line, record) && record.toolId == toolId)
                lines.push_back(record);
        }
        return lines;
    }
    // Configures program as the browser; the event, one per call (a browser of an earlier call may
    // still report), is set once the helper has recorded the command line it was started with.
    std::unique_ptr<test::NamedEvent> ExpectBrowserStart(const std::wstring& program = test::HelperPath()) {
        static int calls = 0;
        auto started = std::make_unique<test::NamedEvent>(L"TsuBrowserStarted" + std::to_wstring(++calls));
        ::SetEnvironmentVariableW(L"TSU_HELPER_ARGS",
                                  (L"--cmdline " + test::Quoted(Record()) + L" --signal " + started->Name()).c_str());
        ::DeleteFileW(Record().c_str());
        WriteSettings("[Browser]\r\nProgram=\"" + std::string(program.begin(), program.end()) + // ASCII paths
                      "\"\r\n[Update]\r\nDownloadUrl=https://dl.example/tool-new.zip\r\n");
        return started;
    }
    static std::wstring Record() { return s_folder + L"browser.txt"; }
    // The end of the command line the browser was started with: its one argument.
    static std::wstring Started(const test::NamedEvent& started) {
        const std::wstring commandLine = started.WaitFor() ? test::ReadUtf16File(Record()) : L"<not started>";
        return commandLine.substr(commandLine.rfind(L" \"") + 1);
    }

    static inline std::wstring s_folder;
    static inline HMODULE s_module = nullptr;
};

TEST_F(FeedbackLibrary, InitialisesAndAnnouncesANewVersionOnlyWhenTheSettingsFileDoes) {
    EXPECT_NE(Entry<InitFreedbackDllFn>("InitFreedbackDll")(), 0);
    const auto check = Entry<GetToolIsNewVersionFn>("GetToolIsNewVersion");
    WriteSettings("[Update]\r\nLatestVersion=1.0.21.0\r\n");
    EXPECT_EQ(check(L"10100", L"1.0.20.1116"), kVersionNewerExists);
    EXPECT_EQ(check(nullptr, nullptr), kVersionCurrent);
    WriteSettings(std::string(70 * 1024, 'x') + "\r\n[Update]\r\nLatestVersion=9.0\r\n"); // oversized: ignored
    EXPECT_EQ(check(L"10100", L"1.0.20.1116"), kVersionCurrent);
}

TEST_F(FeedbackLibrary, EveryFeedbackCallAppendsOneLineWithItsFields) {
    // Unique per run: Wine reuses process ids, and the feedback file keeps the lines of earlier runs.
    const std::wstring toolId = test::UniqueName(L"tsu-test") + L"-" + std::to_wstring(::GetTickCount64());
    wchar_t time[] = L"1714560000";
    Entry<CustomerFeedbackExFn>("CustomerFeedbackEx")(toolId.c_str(), L"1.0.20.1116", kAnswerUnsolved, time);
    Entry<FeedbackQuestionFn>("FeedbackQuestion")(toolId.c_str(), L"1.0.20.1116");
    Entry<CustomerFeedbackFn>("CustomerFeedback")(toolId.c_str(), L"1.0.20.1116", kAnswerSolved);
    Entry<WriteCustomerFeedbackInfoFileFn>("WriteCustomerFeedbackInfoFile")(toolId.c_str(), L"1.0.20.1116",
                                                                            L"line one\r\nline two");
    const std::vector<FeedbackRecord> lines = OwnLines(toolId);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].call + L" " + lines[0].toolVersion + L" " + lines[0].answer + L" " + lines[0].time + L" " +
                  std::to_wstring(lines[0].localTime.size()) + L"|" + lines[1].call + L"|" + lines[2].answer + L"|" +
                  lines[3].text,
              L"CustomerFeedbackEx 1.0.20.1116 2 1714560000 19|FeedbackQuestion|1|line one  line two");
    EXPECT_GE(std::wcstol(lines[0].localTime.c_str(), nullptr, 10), 2024) << lines[0].localTime; // the clock's time
}

// Web addresses only: a refused call returns before any process exists, so a short wait is enough to
// see that no browser reported back.
TEST_F(FeedbackLibrary, OpenUrlAndOpenToolDownUrlStartTheBrowserWithWebAddressesOnly) {
    auto started = ExpectBrowserStart();
    OpenUrl(L"https://kb.example/detail/dc_172545.html");
    EXPECT_EQ(Started(*started), L"\"https://kb.example/detail/dc_172545.html\"");
    started = ExpectBrowserStart();
    Entry<OpenToolDownUrlFn>("OpenToolDownUrl")();
    EXPECT_EQ(Started(*started), L"\"https://dl.example/tool-new.zip\"");
    started = ExpectBrowserStart();
    OpenUrl(L"https://kb.example/\" --other-argument");
    EXPECT_FALSE(started->WaitFor(300));
    EXPECT_FALSE(test::FileExists(Record()));
    // A configured browser that is not there leaves the address to the system's https handler: the
    // helper, in a scratch copy of the classes that stands in for HKEY_CLASSES_ROOT in this process
    // only (the machine's classes are every program's in the prefix).
    test::ScratchKey classes(HKEY_CURRENT_USER, L"Software\\" + test::UniqueName(L"TsuClasses"));
    ASSERT_TRUE(classes.SetString(L"https", L"URL Protocol", L"") &&
                classes.SetString(L"https\\shell\\open\\command", L"", test::Quoted(test::HelperPath()) + L" \"%1\""));
    UniqueHkey root;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, classes.Path().c_str(), 0, KEY_READ | KEY_WOW64_64KEY, root.Put()), 0);
    ASSERT_EQ(::RegOverridePredefKey(HKEY_CLASSES_ROOT, root.Get()), 0);
    const struct Restore {
        ~Restore() { ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr); }
    } restore;
    started = ExpectBrowserStart(s_folder + L"no-such-browser.exe");
    OpenUrl(L"https://kb.example/system-handler");
    EXPECT_EQ(Started(*started), L"\"https://kb.example/system-handler\"");
}

} // namespace
} // namespace tsu::feedback
