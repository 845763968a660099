// Both writers on real files: exact bytes, rotation at the size limit, concurrent writers.

#include "framework/Encoding.h"
#include "log/CLogSaveCloseFile.h"
#include "log/CLogSaveOpenFile.h"
#include "tests/common/TestProcess.h"
#include "tests/log/LogTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <thread>

namespace tsu {
namespace {

using test::IsEntry;
using test::ReadFileBytes;
using test::SplitCrLf;

constexpr size_t kStampLength = 30; // "[2020-11-16 09:05:03 042ms]   "
constexpr size_t kLimit = 6020000;

enum class Writer { CloseFile, OpenFile };

class LogWriterTest : public ::testing::TestWithParam<Writer> {
protected:
    std::wstring m_dir = test::MakeScratchFolder(GetParam() == Writer::CloseFile ? L"closefile" : L"openfile");
    std::unique_ptr<CLogBase> m_writer;

    void SetUp() override {
        if (GetParam() == Writer::CloseFile)
            m_writer = std::make_unique<CLogSaveCloseFile>(m_dir);
        else
            m_writer = std::make_unique<CLogSaveOpenFile>(m_dir);
    }
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
    const std::string bytes = Bytes();
    const auto lines = SplitCrLf(bytes);
    ASSERT_EQ(lines.size(), 2u);
    std::string text;
    ASSERT_TRUE(IsEntry(lines[0], &text));
    // GBK bytes of the Chinese text; an LF inside the text stays a bare LF (binary file).
    EXPECT_EQ(text, "\xD0\xB6\xD4\xD8\xCA\xA7\xB0\xDC a\nb");
    ASSERT_TRUE(IsEntry(lines[1], &text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    char date[16];
    snprintf(date, sizeof date, "[%04d-%02d-%02d", before.wYear, before.wMonth, before.wDay);
    EXPECT_EQ(lines[0].substr(0, 11), date);
}

TEST_P(LogWriterTest, HexEntries) {
    const unsigned char bytes[] = {0x00, 0x10, 0xAB};
    m_writer->WriteHex(bytes, 3, "w.txt");
    m_writer->WriteHex(bytes, 0, "w.txt");
    m_writer->WriteHex(bytes, -1, "w.txt");
    const auto lines = SplitCrLf(Bytes());
    ASSERT_EQ(lines.size(), 3u);
    std::string text;
    ASSERT_TRUE(IsEntry(lines[0], &text));
    EXPECT_EQ(text, "00 10 AB ");
    ASSERT_TRUE(IsEntry(lines[1], &text));
    EXPECT_EQ(text, "");
    ASSERT_TRUE(IsEntry(lines[2], &text));
    EXPECT_EQ(text, "");
}

TEST_P(LogWriterTest, RotatesOnlyWhenTheFilePassesTheLimit) {
    const std::string entryText = "crossing";
    const size_t entryLength = kStampLength + entryText.size() + 2;
    // The writer of this test may keep its file open; both start from a prefilled file.
    ASSERT_TRUE(test::WriteFileBytes(m_dir + L"w.txt", std::string(kLimit - entryLength, 'p')));
    m_writer->WriteText(entryText, "w.txt");
    EXPECT_EQ(Bytes().size(), kLimit) << "exactly at the limit: not rotated";
    EXPECT_FALSE(test::FileExists(m_dir + L"w.txtbak"));

    m_writer->WriteText("x", "w.txt"); // one more byte than... the limit is now passed
    EXPECT_FALSE(test::FileExists(m_dir + L"w.txt"));
    const std::string backup = Bytes(L"w.txtbak");
    EXPECT_EQ(backup.size(), kLimit + kStampLength + 3);
    std::string text;
    ASSERT_TRUE(IsEntry(SplitCrLf(backup).back(), &text));
    EXPECT_EQ(text, "x") << "the entry that crossed the limit stays in the backup";

    m_writer->WriteText("fresh", "w.txt");
    const auto fresh = SplitCrLf(Bytes());
    ASSERT_EQ(fresh.size(), 1u);
    ASSERT_TRUE(IsEntry(fresh[0], &text));
    EXPECT_EQ(text, "fresh");
}

TEST_P(LogWriterTest, OneByteOverTheLimitRotatesAndReplacesTheOldBackup) {
    ASSERT_TRUE(test::WriteFileBytes(m_dir + L"w.txtbak", "old backup"));
    const std::string entryText = "y";
    ASSERT_TRUE(test::WriteFileBytes(m_dir + L"w.txt", std::string(kLimit + 1 - (kStampLength + 3), 'p')));
    m_writer->WriteText(entryText, "w.txt");
    EXPECT_FALSE(test::FileExists(m_dir + L"w.txt"));
    EXPECT_EQ(Bytes(L"w.txtbak").size(), kLimit + 1);
}

TEST_P(LogWriterTest, EightThreadsWriteWholeLinesAndLoseNone) {
    constexpr int kThreads = 8;
    constexpr int kEntries = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([this, t] {
            for (int i = 0; i < kEntries; ++i) {
                const std::string file = (i % 2) ? "w.txt" : "second.txt";
                m_writer->WriteText("thread " + std::to_string(t) + " entry " + std::to_string(i) +
                                        std::string(40, 'a' + t),
                                    file);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    m_writer.reset(); // the open-file writer closes its files
    std::set<std::string> seen;
    for (const wchar_t* name : {L"w.txt", L"second.txt"}) {
        for (const std::string& line : SplitCrLf(Bytes(name))) {
            std::string text;
            ASSERT_TRUE(IsEntry(line, &text)) << line;
            ASSERT_EQ(text.substr(text.size() - 40), std::string(40, text[7] - '0' + 'a')) << "torn: " << line;
            seen.insert(text);
        }
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kEntries));
}

INSTANTIATE_TEST_SUITE_P(BothWriters, LogWriterTest, ::testing::Values(Writer::CloseFile, Writer::OpenFile),
                         [](const auto& info) { return info.param == Writer::CloseFile ? "CloseFile" : "OpenFile"; });

TEST(OpenFileWriterTest, ThreadsMeetingANewFileNameShareOneEntry) {
    const std::wstring dir = test::MakeScratchFolder(L"findlog");
    {
        CLogSaveOpenFile writer(dir);
        std::vector<CLogSaveOpenFile::CLogFile*> found(8);
        std::vector<std::thread> threads;
        for (size_t i = 0; i < found.size(); ++i)
            threads.emplace_back([&, i] { found[i] = writer.FindLogFile(L"new.txt"); });
        for (auto& thread : threads)
            thread.join();
        for (auto* file : found)
            EXPECT_EQ(file, found[0]);
        EXPECT_EQ(found[0]->FullPath(), dir + L"new.txt");
        EXPECT_NE(writer.FindLogFile(L"New.txt"), found[0]) << "paths compare case-sensitively";
    }
    test::RemoveTree(dir);
}

} // namespace
} // namespace tsu
