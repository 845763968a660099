// The log front end on real files: folder, configuration, and the tool's own log file.

#include "framework/Encoding.h"
#include "log/CLogSave.h"
#include "tests/common/TestProcess.h"
#include "tests/log/LogTestSupport.h"
#include "tests/smart/ShortcutFiles.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace tsu {
namespace {

using test::IsEntry;
using test::ReadFileBytes;
using test::SplitCrLf;

class LogSaveTest : public ::testing::Test {
protected:
    std::wstring m_base = test::MakeScratchFolder(L"logsave");
    void TearDown() override { test::RemoveTree(m_base); }

    void WriteConfig(const std::string& printValue) {
        ASSERT_TRUE(test::WriteFileBytes(m_base + L"logCfg.ini", "[Log]\r\nprint=" + printValue + "\r\n"));
    }
    std::string LogBytes(const std::string& file = "t.txt") {
        return ReadFileBytes(m_base + L"ToolLog\\" + FromCp936(file));
    }
};

TEST_F(LogSaveTest, CreatesTheLogFolderAndWritesForcedEntriesWithoutConfig) {
    CLogSave log(m_base);
    EXPECT_EQ(log.LogDirectory(), m_base + L"ToolLog\\");
    EXPECT_TRUE(test::FileExists(m_base + L"ToolLog"));
    log.WriteLog("forced", "t.txt", true);
    log.WriteLog("not forced", "t.txt", false);
    const auto lines = SplitCrLf(LogBytes());
    ASSERT_EQ(lines.size(), 1u);
    std::string text;
    ASSERT_TRUE(IsEntry(lines[0], &text));
    EXPECT_EQ(text, "forced");
}

TEST_F(LogSaveTest, LogFolderThatIsALinkGetsNoLog) {
    const std::wstring sentinel = m_base + L"sentinel";
    ASSERT_TRUE(::CreateDirectoryW(sentinel.c_str(), nullptr));
    ASSERT_TRUE(test::CreateDirectoryLink(m_base + L"ToolLog", L"sentinel"));
    {
        CLogSave log(m_base);
        log.WriteLog("lost", "t.txt", true);
    }
    EXPECT_FALSE(test::FileExists(sentinel + L"\\t.txt"));
    EXPECT_TRUE(test::RemoveDirectoryLink(m_base + L"ToolLog"));
}

TEST_F(LogSaveTest, ExistingLogFolderIsKept) {
    ASSERT_TRUE(::CreateDirectoryW((m_base + L"ToolLog").c_str(), nullptr));
    ASSERT_TRUE(test::WriteFileBytes(m_base + L"ToolLog\\keep.txt", "old"));
    CLogSave log(m_base);
    log.WriteLog("x", "t.txt", true);
    EXPECT_EQ(ReadFileBytes(m_base + L"ToolLog\\keep.txt"), "old");
}

struct SwitchCase {
    const char* value; // nullptr: no key at all
    bool writes;
};
class PrintSwitchFileTest : public LogSaveTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(PrintSwitchFileTest, UnforcedEntriesFollowThePrintKey) {
    if (GetParam().value)
        WriteConfig(GetParam().value);
    else
        ASSERT_TRUE(test::WriteFileBytes(m_base + L"logCfg.ini", "[Log]\r\nother=1\r\n"));
    CLogSave log(m_base);
    log.WriteLog("maybe", "t.txt", false);
    EXPECT_EQ(SplitCrLf(LogBytes()).size(), GetParam().writes ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Values, PrintSwitchFileTest,
                         ::testing::Values(SwitchCase{"1", true}, SwitchCase{" 1", true}, SwitchCase{"01", true},
                                           SwitchCase{"1x", true}, SwitchCase{"2", false}, SwitchCase{"-1", false},
                                           SwitchCase{"", false}, SwitchCase{nullptr, false}));

TEST_F(LogSaveTest, ConfigurationIsReadOnce) {
    WriteConfig("1");
    CLogSave log(m_base);
    WriteConfig("0");
    log.WriteLog("still on", "t.txt", false);
    EXPECT_EQ(SplitCrLf(LogBytes()).size(), 1u);
}

TEST_F(LogSaveTest, UncreatableFolderDropsEntriesQuietly) {
    // A file where the folder should be: the folder cannot be created, nothing can be written.
    ASSERT_TRUE(test::WriteFileBytes(m_base + L"ToolLog", "in the way"));
    CLogSave log(m_base);
    log.WriteLog("lost", "t.txt", true);
    EXPECT_EQ(ReadFileBytes(m_base + L"ToolLog"), "in the way");

    CLogSave nowhere(L"Q:\\no\\such\\drive\\");
    nowhere.WriteLog("lost", "t.txt", true); // must neither crash nor throw
    SUCCEED();
}

// The single instance logs to ToolLog in C:\ProgramData, in GBK.
TEST(ToolLogTest, SingleInstanceWritesTheToolsLogFileInProgramData) {
    EXPECT_EQ(CommonAppDataFolder(), L"C:\\ProgramData\\");
    std::set<CLogSave*> instances;
    std::mutex lock;
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&] {
            CLogSave* instance = CLogSave::GetInstance();
            std::lock_guard<std::mutex> hold(lock);
            instances.insert(instance);
        });
    }
    for (auto& thread : threads)
        thread.join();
    ASSERT_EQ(instances.size(), 1u);

    const std::wstring path = L"C:\\ProgramData\\ToolLog\\软件卸载工具.txt";
    const size_t before = ReadFileBytes(path).size();
    WriteToolLog(L"创建卸载软件线程失败");
    const std::string bytes = ReadFileBytes(path).substr(before);
    // "创建卸载软件线程失败" in code page 936.
    const std::string gbk = "\xB4\xB4\xBD\xA8\xD0\xB6\xD4\xD8\xC8\xED\xBC\xFE\xCF\xDF\xB3\xCC\xCA\xA7\xB0\xDC";
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    std::string text;
    ASSERT_TRUE(IsEntry(bytes.substr(0, bytes.size() - 2), &text));
    EXPECT_EQ(text, gbk);
    EXPECT_EQ(ToolLogFileName(), "\xC8\xED\xBC\xFE\xD0\xB6\xD4\xD8\xB9\xA4\xBE\xDF.txt");
}

} // namespace
} // namespace tsu
