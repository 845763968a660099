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
using Texts = std::vector<std::string>;

constexpr size_t kStampLength = 30; // "[2020-11-16 09:05:03 042ms]   "
constexpr size_t kLimit = 6020000;

// The texts of the entries in a file; "<torn>" for a line that is no entry.
Texts Entries(const std::string& bytes) {
    static const std::regex stamp(R"(^\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} \d{3}ms\]   )");
    Texts texts;
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

// Forced entries need no configuration; the print switch is read once, when the log starts. The
// tool's own log file is named in GBK.
TEST_F(LogSaveTest, CreatesTheLogFolderAndFollowsThePrintKeyReadAtTheStart) {
    ASSERT_TRUE(::CreateDirectoryW((m_base + L"ToolLog").c_str(), nullptr));
    ASSERT_TRUE(test::WriteFileBytes(m_base + L"ToolLog\\keep.txt", "old"));
    CLogSave log(m_base);
    EXPECT_EQ(log.LogDirectory(), m_base + L"ToolLog\\");
    log.WriteLog("forced", "t.txt", true);
    log.WriteLog("not forced", "t.txt", false);
    EXPECT_EQ(ReadFileBytes(m_base + L"ToolLog\\keep.txt"), "old");
    ASSERT_TRUE(test::WriteFileBytes(m_base + L"logCfg.ini", "[Log]\r\nprint= 1\r\n"));
    CLogSave on(m_base);
    ASSERT_TRUE(test::WriteFileBytes(m_base + L"logCfg.ini", "[Log]\r\nother=1\r\n"));
    on.WriteLog("on", "t.txt", false);
    CLogSave(m_base).WriteLog("off", "t.txt", false);
    EXPECT_EQ(Entries(LogBytes()), (Texts{"forced", "on"}));
    EXPECT_EQ(ToolLogFileName(), ToCp936(L"软件卸载工具.txt"));
}

// A link where the folder should be, a file in its way, a drive that is not there: no log, no crash.
TEST_F(LogSaveTest, AFolderThatIsALinkOrCannotBeMadeGetsNoLog) {
    ASSERT_TRUE(::CreateDirectoryW((m_base + L"sentinel").c_str(), nullptr));
    ASSERT_TRUE(test::CreateDirectoryLink(m_base + L"ToolLog", L"sentinel"));
    CLogSave(m_base).WriteLog("lost", "t.txt", true);
    EXPECT_FALSE(test::FileExists(m_base + L"sentinel\\t.txt"));
    EXPECT_TRUE(test::RemoveDirectoryLink(m_base + L"ToolLog"));
    ASSERT_TRUE(test::WriteFileBytes(m_base + L"ToolLog", "in the way"));
    CLogSave(m_base).WriteLog("lost", "t.txt", true);
    EXPECT_EQ(ReadFileBytes(m_base + L"ToolLog"), "in the way");
    CLogSave(L"Q:\\no\\such\\drive\\").WriteLog("lost", "t.txt", true);
}

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

class LogWriterTest : public ::testing::TestWithParam<bool> { // true: the writer that keeps its files open
protected:
    std::wstring m_dir = test::MakeScratchFolder(GetParam() ? L"openfile" : L"closefile");
    std::unique_ptr<CLogBase> m_writer = GetParam() ? std::unique_ptr<CLogBase>(new CLogSaveOpenFile(m_dir))
                                                    : std::unique_ptr<CLogBase>(new CLogSaveCloseFile(m_dir));
    void TearDown() override {
        m_writer.reset();
        test::RemoveTree(m_dir);
    }
    std::string Bytes(const wchar_t* name = L"w.txt") { return ReadFileBytes(m_dir + name); }
};

// GBK bytes of the Chinese text; an LF inside the text stays a bare LF (binary file).
TEST_P(LogWriterTest, EntryBytesAreStampTextAndCrLf) {
    m_writer->WriteText(ToCp936(L"卸载失败 a\nb"), "w.txt");
    m_writer->WriteText("", "w.txt");
    const unsigned char bytes[] = {0x00, 0x10, 0xAB};
    m_writer->WriteHex(bytes, 3, "w.txt");
    m_writer->WriteHex(bytes, -1, "w.txt");
    EXPECT_EQ(Entries(Bytes()), (Texts{"\xD0\xB6\xD4\xD8\xCA\xA7\xB0\xDC a\nb", "", "00 10 AB ", ""}));
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
    EXPECT_EQ(Bytes(L"w.txtbak").size(), kLimit + kStampLength + 3);
    EXPECT_EQ(Entries(Bytes(L"w.txtbak")).back(), "x");
    m_writer->WriteText("fresh", "w.txt");
    EXPECT_EQ(Entries(Bytes()), Texts{"fresh"});
    ASSERT_TRUE(test::WriteFileBytes(m_dir + L"v.txt", std::string(kLimit + 1 - (kStampLength + 3), 'p')));
    m_writer->WriteText("y", "v.txt"); // one byte over
    EXPECT_EQ(Bytes(L"v.txtbak").size(), kLimit + 1);
}

TEST_P(LogWriterTest, EightThreadsWriteWholeLinesAndLoseNone) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([this, t] {
            for (int i = 0; i < 300; ++i)
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
    EXPECT_EQ(seen.size(), 8u * 300u);
}

INSTANTIATE_TEST_SUITE_P(BothWriters, LogWriterTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "OpenFile" : "CloseFile"; });

} // namespace
} // namespace tsu
