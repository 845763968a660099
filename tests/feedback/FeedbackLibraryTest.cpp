// The real VeltorFeedbackInformation.dll under Wine, loaded from a scratch folder with its own
// settings file: the export table, the version check, the feedback lines in the log folder and
// the browser start (a configured browser program that is this test program itself).

#include "feedback/FeedbackExports.h"
#include "feedback/core/FeedbackRecord.h"
#include "feedback/core/FeedbackSettings.h"
#include "framework/ScopedHandles.h"
#include "tests/common/TestProcess.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <set>
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
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(s_module, name)));
    }
    void WriteSettings(const std::string& text) {
        ASSERT_TRUE(test::WriteFileBytes(s_folder + kSettingsFileName, text));
    }
    // The lines of the feedback file whose tool id is this test's own.
    std::vector<FeedbackRecord> OwnLines(const std::wstring& toolId) {
        wchar_t folder[MAX_PATH] = {};
        EXPECT_TRUE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, folder)));
        const std::string bytes = test::ReadFileBytes(std::wstring(folder) + L"\\ToolLog\\" + kFeedbackFileName);
        std::vector<FeedbackRecord> lines;
        size_t start = 0;
        while (start < bytes.size()) {
            size_t end = bytes.find('\n', start);
            if (end == std::string::npos)
                end = bytes.size();
            FeedbackRecord record;
            if (ParseFeedbackLine(std::string_view(bytes).substr(start, end - start), record) &&
                record.toolId == toolId)
                lines.push_back(record);
            start = end + 1;
        }
        return lines;
    }
    // Configures this program as the browser and returns the event it sets once it has recorded
    // the address it was started with.
    UniqueHandle ExpectBrowserStart(const std::wstring& record) {
        const std::wstring eventName = L"TsuBrowserStarted-" + std::to_wstring(::GetCurrentProcessId());
        UniqueHandle started(::CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
        ::SetEnvironmentVariableW(kRecordVariable, record.c_str());
        ::SetEnvironmentVariableW(kEventVariable, eventName.c_str());
        ::DeleteFileW(record.c_str());
        WriteSettings("[Browser]\r\nProgram=\"" + ToNarrow(ThisProgram()) +
                      "\"\r\n[Update]\r\nDownloadUrl=https://dl.example/tool-new.zip\r\n");
        return started;
    }
    static std::string ToNarrow(const std::wstring& text) {
        std::string narrow;
        for (wchar_t c : text)
            narrow.push_back(static_cast<char>(c)); // test paths are ASCII
        return narrow;
    }

    static std::wstring s_folder;
    static HMODULE s_module;
};

std::wstring FeedbackLibrary::s_folder;
HMODULE FeedbackLibrary::s_module = nullptr;

TEST_F(FeedbackLibrary, ExportsExactlyTheNineUndecoratedNames) {
    const auto* base = reinterpret_cast<const BYTE*>(s_module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(directory.VirtualAddress, 0u);
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::set<std::string> exported;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        exported.insert(reinterpret_cast<const char*>(base + names[i]));
    const std::set<std::string> expected = {"InitFreedbackDll",
                                            "FeedbackQuestion",
                                            "OpenUrl",
                                            "GetInterNetState",
                                            "CustomerFeedback",
                                            "CustomerFeedbackEx",
                                            "WriteCustomerFeedbackInfoFile",
                                            "GetToolIsNewVersion",
                                            "OpenToolDownUrl"};
    EXPECT_EQ(exported, expected);
    const std::string name = reinterpret_cast<const char*>(base + exports->Name);
    EXPECT_EQ(name, "VeltorFeedbackInformation.dll");
}

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
    EXPECT_EQ(check(L"10100", L"1.0.21.0"), kVersionCurrent);
    EXPECT_EQ(check(nullptr, nullptr), kVersionCurrent);
    WriteSettings(std::string("\x00\xFF\xFE garbage \x80\x81", 14));
    EXPECT_EQ(check(L"10100", L"1.0.20.1116"), kVersionCurrent);
    WriteSettings(std::string(70 * 1024, 'x') + "\r\n[Update]\r\nLatestVersion=9.0\r\n"); // oversized: ignored
    EXPECT_EQ(check(L"10100", L"1.0.20.1116"), kVersionCurrent);
}

TEST_F(FeedbackLibrary, EveryFeedbackCallAppendsOneLineWithItsFields) {
    // Unique per run: Wine reuses process ids, and the feedback file keeps the lines of earlier runs.
    const std::wstring toolId = L"tsu-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                std::to_wstring(::GetTickCount64());
    wchar_t time[] = L"1714560000";
    Entry<CustomerFeedbackExFn>("CustomerFeedbackEx")(toolId.c_str(), L"1.0.20.1116", kAnswerUnsolved, time);
    Entry<FeedbackQuestionFn>("FeedbackQuestion")(toolId.c_str(), L"1.0.20.1116");
    Entry<CustomerFeedbackFn>("CustomerFeedback")(toolId.c_str(), L"1.0.20.1116", kAnswerSolved);
    Entry<WriteCustomerFeedbackInfoFileFn>("WriteCustomerFeedbackInfoFile")(toolId.c_str(), L"1.0.20.1116",
                                                                            L"line one\r\nline two");
    const std::vector<FeedbackRecord> lines = OwnLines(toolId);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].call, L"CustomerFeedbackEx");
    EXPECT_EQ(lines[0].toolVersion, L"1.0.20.1116");
    EXPECT_EQ(lines[0].answer, L"2");
    EXPECT_EQ(lines[0].time, L"1714560000");
    EXPECT_EQ(lines[0].localTime.size(), 19u);
    EXPECT_EQ(lines[1].call, L"FeedbackQuestion");
    EXPECT_EQ(lines[2].answer, L"1");
    EXPECT_EQ(lines[3].text, L"line one  line two");
}

TEST_F(FeedbackLibrary, NullArgumentsAreRecordedEmptyInsteadOfCrashing) {
    Entry<CustomerFeedbackExFn>("CustomerFeedbackEx")(nullptr, nullptr, kAnswerClosed, nullptr);
    Entry<FeedbackQuestionFn>("FeedbackQuestion")(nullptr, nullptr);
    Entry<OpenUrlFn>("OpenUrl")(nullptr);
    EXPECT_GE(OwnLines(L"").size(), 2u);
}

TEST_F(FeedbackLibrary, OpenUrlStartsTheBrowserWithTheAddress) {
    const std::wstring record = s_folder + L"browser-url.txt";
    const UniqueHandle started = ExpectBrowserStart(record);
    Entry<OpenUrlFn>("OpenUrl")(L"https://kb.example/detail/dc_172545.html");
    ASSERT_EQ(::WaitForSingleObject(started.Get(), 20000), WAIT_OBJECT_0);
    EXPECT_EQ(test::ReadFileBytes(record), "https://kb.example/detail/dc_172545.html");
}

TEST_F(FeedbackLibrary, OpenToolDownUrlStartsTheBrowserWithTheDownloadAddress) {
    const std::wstring record = s_folder + L"browser-download.txt";
    const UniqueHandle started = ExpectBrowserStart(record);
    Entry<OpenToolDownUrlFn>("OpenToolDownUrl")();
    ASSERT_EQ(::WaitForSingleObject(started.Get(), 20000), WAIT_OBJECT_0);
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

// Makes a command the system's handler of https addresses for the life of the object (Wine reads
// the handler from the machine's classes only), then puts the old one back.
class ScopedHttpsHandler {
public:
    explicit ScopedHttpsHandler(const std::wstring& command) {
        wchar_t old[1024] = {};
        DWORD bytes = sizeof old;
        m_hadOld = ::RegGetValueW(HKEY_LOCAL_MACHINE, kKey, nullptr, RRF_RT_REG_SZ, nullptr, old, &bytes) ==
                   ERROR_SUCCESS;
        m_old = old;
        m_set = Set(command);
    }
    ~ScopedHttpsHandler() {
        if (m_hadOld)
            (void)Set(m_old);
    }
    ScopedHttpsHandler(const ScopedHttpsHandler&) = delete;
    ScopedHttpsHandler& operator=(const ScopedHttpsHandler&) = delete;
    [[nodiscard]] bool IsSet() const { return m_set; }

private:
    static constexpr wchar_t kKey[] = L"Software\\Classes\\https\\shell\\open\\command";
    static bool Set(const std::wstring& command) {
        return ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, nullptr, REG_SZ, command.c_str(),
                                 static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    std::wstring m_old;
    bool m_hadOld = false;
    bool m_set = false;
};

TEST_F(FeedbackLibrary, BrowserThatIsNotThereLeavesTheAddressToTheSystemHandler) {
    const ScopedHttpsHandler handler(L"\"" + ThisProgram() + L"\" \"%1\"");
    ASSERT_TRUE(handler.IsSet());
    const std::wstring record = s_folder + L"browser-system.txt";
    const UniqueHandle started = ExpectBrowserStart(record);
    WriteSettings("[Browser]\r\nProgram=" + ToNarrow(s_folder) + "no-such-browser.exe\r\n");
    Entry<OpenUrlFn>("OpenUrl")(L"https://kb.example/system-handler");
    ASSERT_EQ(::WaitForSingleObject(started.Get(), 20000), WAIT_OBJECT_0);
    EXPECT_EQ(test::ReadFileBytes(record), "https://kb.example/system-handler");
}

// Started as the "browser": records its one argument and signals the test.
int RunAsBrowser(const wchar_t* url) {
    wchar_t record[MAX_PATH] = {};
    wchar_t eventName[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(kRecordVariable, record, MAX_PATH) ||
        !::GetEnvironmentVariableW(kEventVariable, eventName, MAX_PATH))
        return 2;
    std::string narrow;
    for (const wchar_t* p = url; *p; ++p)
        narrow.push_back(static_cast<char>(*p));
    (void)test::WriteFileBytes(record, narrow);
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
    if (arguments && count == 2 && std::wstring(arguments[1]).rfind(L"http", 0) == 0) {
        const int code = tsu::feedback::RunAsBrowser(arguments[1]);
        ::LocalFree(arguments);
        return code;
    }
    if (arguments)
        ::LocalFree(arguments);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
