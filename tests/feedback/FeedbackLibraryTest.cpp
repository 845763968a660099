// The real VeltorFeedbackInformation.dll under Wine, loaded from a scratch folder with its own
// settings file: its exports, the version check, the feedback lines in the log folder and the
// browser start (a configured browser program that is this test program itself).

#include "feedback/FeedbackExports.h"
#include "feedback/core/FeedbackRecord.h"
#include "feedback/core/FeedbackSettings.h"
#include "framework/ScopedHandles.h"
#include "tests/common/ProcessTestSupport.h"
#include "tests/common/ScratchKey.h"
#include "tests/common/TestProcess.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace tsu::feedback {
namespace {

constexpr wchar_t kRecordVariable[] = L"TSU_BROWSER_RECORD";
constexpr wchar_t kEventVariable[] = L"TSU_BROWSER_EVENT";

std::wstring ThisProgram() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); } // ASCII paths

class FeedbackLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_folder = test::MakeScratchFolder(L"feedback-library");
        ASSERT_TRUE(::CopyFileW((test::BinDir() + L"VeltorFeedbackInformation.dll").c_str(),
                                (s_folder + L"VeltorFeedbackInformation.dll").c_str(), FALSE));
        s_module = ::LoadLibraryW((s_folder + L"VeltorFeedbackInformation.dll").c_str());
        ASSERT_NE(s_module, nullptr);
    }
    static void TearDownTestSuite() {
        if (s_module)
            ::FreeLibrary(s_module);
        s_module = nullptr;
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
    void WriteSettings(const std::string& text) {
        ASSERT_TRUE(test::WriteFileBytes(s_folder + kSettingsFileName, text));
    }
    // The lines of the feedback file whose tool id is this test's own.
    static std::vector<FeedbackRecord> OwnLines(const std::wstring& toolId) {
        wchar_t folder[MAX_PATH] = {};
        EXPECT_TRUE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, folder)));
        const std::string bytes = test::ReadFileBytes(std::wstring(folder) + L"\\ToolLog\\" + kFeedbackFileName);
        std::vector<FeedbackRecord> lines;
        for (size_t start = 0, end; start < bytes.size(); start = end + 1) {
            end = std::min(bytes.find('\n', start), bytes.size());
            FeedbackRecord record;
            if (ParseFeedbackLine(std::string_view(bytes).substr(start, end - start), record) &&
                record.toolId == toolId)
                lines.push_back(record);
        }
        return lines;
    }
    // Configures this program as the browser; the event is set once it has recorded the address
    // it was started with.
    UniqueHandle ExpectBrowserStart(const std::wstring& record, const std::wstring& program = ThisProgram()) {
        static int calls = 0; // a browser of an earlier call may still report to its own event
        const std::wstring eventName = test::UniqueName(L"TsuBrowserStarted" + std::to_wstring(++calls));
        UniqueHandle started(::CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
        ::SetEnvironmentVariableW(kRecordVariable, record.c_str());
        ::SetEnvironmentVariableW(kEventVariable, eventName.c_str());
        ::DeleteFileW(record.c_str());
        WriteSettings("[Browser]\r\nProgram=\"" + Narrow(program) +
                      "\"\r\n[Update]\r\nDownloadUrl=https://dl.example/tool-new.zip\r\n");
        return started;
    }

    static std::wstring s_folder;
    static HMODULE s_module;
};

std::wstring FeedbackLibrary::s_folder;
HMODULE FeedbackLibrary::s_module = nullptr;

TEST_F(FeedbackLibrary, InitialisesAndAnswersTheNetworkQuestionWithZeroOrOne) {
    EXPECT_NE(Entry<InitFreedbackDllFn>("InitFreedbackDll")(), 0);
    const int state = Entry<GetInterNetStateFn>("GetInterNetState")();
    EXPECT_TRUE(state == 0 || state == 1);
}

TEST_F(FeedbackLibrary, NewVersionOnlyWhenTheSettingsFileAnnouncesOne) {
    const auto check = Entry<GetToolIsNewVersionFn>("GetToolIsNewVersion");
    EXPECT_EQ(check(L"10100", L"1.0.20.1116"), kVersionCurrent); // no settings file
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
    EXPECT_EQ(lines[0].call + L" " + lines[0].toolVersion + L" " + lines[0].answer + L" " + lines[0].time,
              L"CustomerFeedbackEx 1.0.20.1116 2 1714560000");
    EXPECT_EQ(lines[0].localTime.size(), 19u);
    EXPECT_EQ(lines[1].call, L"FeedbackQuestion");
    EXPECT_EQ(lines[2].answer, L"1");
    EXPECT_EQ(lines[3].text, L"line one  line two");
    // Null arguments are recorded empty instead of crashing.
    const size_t before = OwnLines(L"").size();
    Entry<CustomerFeedbackExFn>("CustomerFeedbackEx")(nullptr, nullptr, kAnswerClosed, nullptr);
    Entry<FeedbackQuestionFn>("FeedbackQuestion")(nullptr, nullptr);
    Entry<OpenUrlFn>("OpenUrl")(nullptr);
    EXPECT_GE(OwnLines(L"").size(), before + 2);
}

TEST_F(FeedbackLibrary, OpenUrlAndOpenToolDownUrlStartTheBrowserWithTheAddress) {
    const std::wstring record = s_folder + L"browser-url.txt";
    UniqueHandle started = ExpectBrowserStart(record);
    Entry<OpenUrlFn>("OpenUrl")(L"https://kb.example/detail/dc_172545.html");
    ASSERT_EQ(::WaitForSingleObject(started.Get(), test::kMustHappenMs), WAIT_OBJECT_0);
    EXPECT_EQ(test::ReadFileBytes(record), "https://kb.example/detail/dc_172545.html");
    started = ExpectBrowserStart(record);
    Entry<OpenToolDownUrlFn>("OpenToolDownUrl")();
    ASSERT_EQ(::WaitForSingleObject(started.Get(), test::kMustHappenMs), WAIT_OBJECT_0);
    EXPECT_EQ(test::ReadFileBytes(record), "https://dl.example/tool-new.zip");
}

TEST_F(FeedbackLibrary, OpenUrlRefusesAnythingButWebAddresses) {
    const std::wstring record = s_folder + L"browser-refused.txt";
    const UniqueHandle started = ExpectBrowserStart(record);
    Entry<OpenUrlFn>("OpenUrl")(L"C:\\windows\\system32\\notepad.exe");
    Entry<OpenUrlFn>("OpenUrl")(L"file:///C:/windows/system32/notepad.exe");
    Entry<OpenUrlFn>("OpenUrl")(L"https://kb.example/\" --other-argument");
    // Nothing may start; a refused call returns before any process exists, so a short wait is
    // enough to see that no browser reported back.
    EXPECT_EQ(::WaitForSingleObject(started.Get(), 300), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_FALSE(test::FileExists(record));
}

// A configured browser that is not there leaves the address to the system's https handler. Made
// this program in a scratch copy of the classes that stands in for HKEY_CLASSES_ROOT in this process
// only: the machine's classes are every program's in the prefix.
TEST_F(FeedbackLibrary, BrowserThatIsNotThereLeavesTheAddressToTheSystemHandler) {
    test::ScratchKey classes(HKEY_CURRENT_USER, L"Software\\" + test::UniqueName(L"TsuClasses"));
    ASSERT_TRUE(classes.SetString(L"https", L"URL Protocol", L"") &&
                classes.SetString(L"https\\shell\\open\\command", L"", test::Quoted(ThisProgram()) + L" \"%1\""));
    UniqueHkey root;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, classes.Path().c_str(), 0, KEY_READ | KEY_WOW64_64KEY, root.Put()), 0);
    ASSERT_EQ(::RegOverridePredefKey(HKEY_CLASSES_ROOT, root.Get()), 0);
    const struct Restore {
        ~Restore() { ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr); }
    } restore;
    const std::wstring record = s_folder + L"browser-system.txt";
    const UniqueHandle started = ExpectBrowserStart(record, s_folder + L"no-such-browser.exe");
    Entry<OpenUrlFn>("OpenUrl")(L"https://kb.example/system-handler");
    ASSERT_EQ(::WaitForSingleObject(started.Get(), test::kMustHappenMs), WAIT_OBJECT_0);
    EXPECT_EQ(test::ReadFileBytes(record), "https://kb.example/system-handler");
}

// Started as the "browser": records its one argument and signals the test.
int RunAsBrowser(const wchar_t* url) {
    wchar_t record[MAX_PATH] = {};
    wchar_t eventName[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(kRecordVariable, record, MAX_PATH) ||
        !::GetEnvironmentVariableW(kEventVariable, eventName, MAX_PATH))
        return 2;
    (void)test::WriteFileBytes(record, Narrow(url));
    UniqueHandle event(::OpenEventW(EVENT_MODIFY_STATE, FALSE, eventName));
    if (event)
        ::SetEvent(event.Get());
    return 0;
}

} // namespace
} // namespace tsu::feedback

int main(int argc, char** argv) {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    const bool asBrowser = arguments && count == 2 && std::wstring(arguments[1]).rfind(L"http", 0) == 0;
    const int code = asBrowser ? tsu::feedback::RunAsBrowser(arguments[1]) : -1;
    ::LocalFree(arguments);
    if (asBrowser)
        return code;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
