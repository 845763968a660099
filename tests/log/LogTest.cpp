// The log on real files: the front end (folder, configuration, failures) and both writers (exact
// bytes, rotation at the size limit, concurrent writers).

#include "framework/Encoding.h"
#include "log/CLogSave.h"
#include "log/CLogSaveCloseFile.h"
#include "log/CLogSaveOpenFile.h"
#include "tests/common/TestProcess.h"
#include "tests/smart/ShortcutFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <regex>
#include <set>
#include <thread>

namespace tsu {
namespace {

using test::ReadFileBytes;

constexpr size_t kStampLength = 30; // "[2020-11-16 09:05:03 042ms]   "
constexpr size_t kLimit = 6020000;

// The texts of the entries in a file; "<torn>" for a line that is no entry.
std::vector<std::string> Entries(const std::string& bytes) {
    static const std::regex stamp(R"(^\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} \d{3}ms\]   )");
    std::vector<std::string> texts;
    for (size_t start = 0, end; start < bytes.size(); start = end + 2) {
        end = std::min(bytes.find("\r\n", start), bytes.size());
        const std::string line = bytes.substr(start, end - start);
        std::smatch match;
        texts.push_back(std::regex_search(line, match, stamp) && end < bytes.size() ? line.substr(match.length(0))
                                                                                     : "<torn>");
    }
    return texts;
}

class LogSaveTest : public ::testing::Test {
protected:
    std::wstring m_base = test::MakeScratchFolder(L"logsave");
    void TearDown() override { test::RemoveTree(m_base); }
    std::string LogBytes() { return ReadFileBytes(m_base + L"ToolLog\\t.txt"); }
};

TEST_F(LogSaveTest, CreatesTheLogFolderAndWritesForcedEntriesWithoutConfig) {
    ASSERT_TRUE(::CreateDirectoryW((m_base + L"ToolLog").c_str(), nullptr));
    ASSERT_TRUE(test::WriteFileBytes(m_base + L"ToolLog\\keep.txt", "old"));
    CLogSave log(m_base);
    EXPECT_EQ(log.LogDirectory(), m_base + L"ToolLog\\");
    log.WriteLog("forced", "t.txt", true);
    log.WriteLog("not forced", "t.txt", false);
    EXPECT_EQ(Entries(LogBytes()), std::vector<std::string>{"forced"});
    EXPECT_EQ(ReadFileBytes(m_base + L"ToolLog\\keep.txt"), "old");
}

// The switch is read once, when the log starts; its values are the portable rule's.
TEST_F(LogSaveTest, UnforcedEntriesFollowThePrintKeyReadAtTheStart) {
    ASSERT_TRUE(test::WriteFileBytes(m_base + L"logCfg.ini", "[Log]\r\nprint= 1\r\n"));
    CLogSave log(m_base);
    ASSERT_TRUE(test::WriteFileBytes(m_base + L"logCfg.ini", "[Log]\r\nother=1\r\n"));
    log.WriteLog("on", "t.txt", false);
    CLogSave off(m_base);
    off.WriteLog("off", "t.txt", false);
    EXPECT_EQ(Entries(LogBytes()), std::vector<std::string>{"on"});
}

// A link where the folder should be, a file in its way, a drive that is not there: no log, no crash.
TEST_F(LogSaveTest, AFolderThatIsALinkOrCannotBeMadeGetsNoLog) {
    const std::wstring sentinel = m_base + L"sentinel";
    ASSERT_TRUE(::CreateDirectoryW(sentinel.c_str(), nullptr));
    ASSERT_TRUE(test::CreateDirectoryLink(m_base + L"ToolLog", L"sentinel"));
    CLogSave(m_base).WriteLog("lost", "t.txt", true);
    EXPECT_FALSE(test::FileExists(sentinel + L"\\t.txt"));
    EXPECT_TRUE(test::RemoveDirectoryLink(m_base + L"ToolLog"));

    ASSERT_TRUE(test::WriteFileBytes(m_base + L"ToolLog", "in the way"));
    CLogSave(m_base).WriteLog("lost", "t.txt", true);
    EXPECT_EQ(ReadFileBytes(m_base + L"ToolLog"), "in the way");
    CLogSave(L"Q:\\no\\such\\drive\\").WriteLog("lost", "t.txt", true);
}

// The single instance logs to ToolLog in C:\ProgramData, in a file named in GBK. (Nothing is written
// there: the folder is the tool's own.)
TEST(ToolLogTest, OneInstanceInProgramData) {
    EXPECT_EQ(CLogSave::GetInstance(), CLogSave::GetInstance());
    EXPECT_EQ(CLogSave::GetInstance()->LogDirectory(), L"C:\\ProgramData\\ToolLog\\");
    EXPECT_EQ(ToolLogFileName(), ToCp936(L"软件卸载工具.txt"));
}

enum class Writer { CloseFile, OpenFile };

class LogWriterTest : public ::testing::TestWithParam<Writer> {
protected:
    std::wstring m_dir = test::MakeScratchFolder(GetParam() == Writer::CloseFile ? L"closefile" : L"openfile");
    std::unique_ptr<CLogBase> m_writer = GetParam() == Writer::CloseFile
                                             ? std::unique_ptr<CLogBase>(new CLogSaveCloseFile(m_dir))
                                             : std::unique_ptr<CLogBase>(new CLogSaveOpenFile(m_dir));
    void TearDown() override {
        m_writer.reset();
        test::RemoveTree(m_dir);
    }
    std::string Bytes(const wchar_t* name = L"w.txt") { return ReadFileBytes(m_dir + name); }
};

TEST_P(LogWriterTest, EntryBytesAreStampTextAndCrLf) {
    SYSTEMTIME before{};
    ::GetLocalTime(&before);
    m_writer->WriteText(ToCp936(L"卸载失败 a\nb"), "w.txt");
    m_writer->WriteText("", "w.txt");
    const unsigned char bytes[] = {0x00, 0x10, 0xAB};
    m_writer->WriteHex(bytes, 3, "w.txt");
    m_writer->WriteHex(bytes, -1, "w.txt");
    // GBK bytes of the Chinese text; an LF inside the text stays a bare LF (binary file).
    EXPECT_EQ(Entries(Bytes()), (std::vector<std::string>{"\xD0\xB6\xD4\xD8\xCA\xA7\xB0\xDC a\nb", "", "00 10 AB ", ""}));
    char date[16];
    snprintf(date, sizeof date, "[%04d-%02d-%02d", before.wYear, before.wMonth, before.wDay);
    EXPECT_EQ(Bytes().substr(0, 11), date);
}

// Exactly at the limit the file stays; the entry that passes it goes into the backup, which
// replaces an older one, and the next entry starts a fresh file.
TEST_P(LogWriterTest, RotatesOnlyWhenTheFilePassesTheLimit) {
    ASSERT_TRUE(test::WriteFileBytes(m_dir + L"w.txtbak", "old backup"));
    ASSERT_TRUE(test::WriteFileBytes(m_dir + L"w.txt", std::string(kLimit - (kStampLength + 10), 'p')));
    m_writer->WriteText("crossing", "w.txt");
    EXPECT_EQ(Bytes().size(), kLimit);
    EXPECT_EQ(Bytes(L"w.txtbak"), "old backup");
    m_writer->WriteText("x", "w.txt");
    EXPECT_FALSE(test::FileExists(m_dir + L"w.txt"));
    const std::string backup = Bytes(L"w.txtbak");
    EXPECT_EQ(backup.size(), kLimit + kStampLength + 3);
    EXPECT_EQ(Entries(backup).back(), "x");
    m_writer->WriteText("fresh", "w.txt");
    EXPECT_EQ(Entries(Bytes()), std::vector<std::string>{"fresh"});
    ASSERT_TRUE(test::WriteFileBytes(m_dir + L"v.txt", std::string(kLimit + 1 - (kStampLength + 3), 'p')));
    m_writer->WriteText("y", "v.txt"); // one byte over
    EXPECT_EQ(Bytes(L"v.txtbak").size(), kLimit + 1);
}

TEST_P(LogWriterTest, EightThreadsWriteWholeLinesAndLoseNone) {
    constexpr int kThreads = 8;
    constexpr int kEntries = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([this, t] {
            for (int i = 0; i < kEntries; ++i)
                m_writer->WriteText("thread " + std::to_string(t) + " entry " + std::to_string(i) +
                                        std::string(40, 'a' + t),
                                    (i % 2) ? "w.txt" : "second.txt");
        });
    for (auto& thread : threads)
        thread.join();
    m_writer.reset(); // the open-file writer closes its files
    std::set<std::string> seen;
    for (const wchar_t* name : {L"w.txt", L"second.txt"}) {
        for (const std::string& text : Entries(Bytes(name))) {
            ASSERT_TRUE(text.size() > 40 && text.substr(text.size() - 40) == std::string(40, text[7] - '0' + 'a'))
                << "torn: " << text;
            seen.insert(text);
        }
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kEntries));
}

INSTANTIATE_TEST_SUITE_P(BothWriters, LogWriterTest, ::testing::Values(Writer::CloseFile, Writer::OpenFile),
                         [](const auto& info) { return info.param == Writer::CloseFile ? "CloseFile" : "OpenFile"; });

// Threads that meet a new file name at once share one open file.
TEST_F(LogSaveTest, OpenFileWriterThreadsMeetingANewFileNameShareOneEntry) {
    CLogSaveOpenFile writer(m_base);
    std::vector<CLogSaveOpenFile::CLogFile*> found(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < found.size(); ++i)
        threads.emplace_back([&, i] { found[i] = writer.FindLogFile(L"new.txt"); });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(std::count(found.begin(), found.end(), found[0]), 8);
    EXPECT_EQ(found[0]->FullPath(), m_base + L"new.txt");
}

} // namespace
} // namespace tsu
