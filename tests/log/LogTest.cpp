#include "framework/Encoding.h"
#include "log/CLogSave.h"
#include "log/CLogSaveCloseFile.h"
#include "log/CLogSaveOpenFile.h"
#include "tests/common/ProcessTestSupport.h"
#include "tests/smart/ShortcutFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

namespace tsu {
namespace {

using Texts = std::vector<std::string>;

constexpr size_t kStampLength = 30; // "[2020-11-16 09:05:03 042ms]   "
constexpr size_t kLimit = 6020000;

// The texts of the entries in a file; "<torn>" for a line that is no entry.
Texts Entries(const std::string& bytes) {
    static const std::regex entry(R"(\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} \d{3}ms\]   [\s\S]*)");
    Texts texts;
    for (size_t start = 0, end; start < bytes.size(); start = end + 2) {
        end = std::min(bytes.find("\r\n", start), bytes.size());
        const std::string line = bytes.substr(start, end - start);
        texts.push_back(std::regex_match(line, entry) && end < bytes.size() ? line.substr(kStampLength) : "<torn>");
    }
    return texts;
}

class LogSaveTest : public ::testing::Test {
protected:
    const test::ScratchFolder m_folder{L"logsave"};
    const std::wstring m_base = m_folder.Path();
    std::string Bytes(const wchar_t* name = L"w.txt") { return test::ReadFileBytes(m_base + name); }
};

// Forced entries need no configuration; the print switch is read once, when the log starts. The
// tool's own log file is named in GBK. A link where the folder should be or a file in its way: no log.
TEST_F(LogSaveTest, FollowsThePrintKeyReadAtTheStartAndRefusesALinkedOrBlockedFolder) {
    ASSERT_TRUE(::CreateDirectoryW((m_base + L"ToolLog").c_str(), nullptr));
    ASSERT_TRUE(test::WriteFileBytes(m_base + L"ToolLog\\keep.txt", "old"));
    CLogSave log(m_base);
    log.WriteLog("forced", "t.txt", true), log.WriteLog("not forced", "t.txt", false);
    EXPECT_EQ(Bytes(L"ToolLog\\keep.txt"), "old");
    ASSERT_TRUE(test::WriteFileBytes(m_base + L"logCfg.ini", "[Log]\r\nprint= 1\r\n"));
    CLogSave on(m_base);
    ASSERT_TRUE(test::WriteFileBytes(m_base + L"logCfg.ini", "[Log]\r\nother=1\r\n"));
    on.WriteLog("on", "t.txt", false);
    CLogSave(m_base).WriteLog("off", "t.txt", false);
    EXPECT_EQ(Entries(Bytes(L"ToolLog\\t.txt")), (Texts{"forced", "on"}));
    EXPECT_EQ(ToolLogFileName(), ToCp936(L"软件卸载工具.txt"));
    const std::wstring linked = m_base + L"linked\\", blocked = m_base + L"blocked\\";
    ASSERT_TRUE(::CreateDirectoryW(linked.c_str(), nullptr) && ::CreateDirectoryW(blocked.c_str(), nullptr));
    ASSERT_TRUE(test::CreateDirectoryLink(linked + L"ToolLog", L"..\\ToolLog"));
    CLogSave(linked).WriteLog("lost", "t.txt", true);
    EXPECT_EQ(Entries(Bytes(L"ToolLog\\t.txt")).size(), 2u);
    EXPECT_TRUE(test::RemoveDirectoryLink(linked + L"ToolLog"));
    ASSERT_TRUE(test::WriteFileBytes(blocked + L"ToolLog", "in the way"));
    CLogSave(blocked).WriteLog("lost", "t.txt", true);
    EXPECT_EQ(Bytes(L"blocked\\ToolLog"), "in the way");
}

class LogWriterTest : public LogSaveTest, public ::testing::WithParamInterface<bool> { // true: keeps files open
protected:
    std::unique_ptr<CLogBase> m_writer{GetParam() ? static_cast<CLogBase*>(new CLogSaveOpenFile(m_base))
                                                  : new CLogSaveCloseFile(m_base)};
};

// GBK bytes of the Chinese text; an LF inside the text stays a bare LF (binary file). Exactly at the
// limit the file stays; the entry that passes it goes into the backup, which replaces an older one,
// and the next entry starts a fresh file.
TEST_P(LogWriterTest, EntryBytesAndRotationOnlyWhenTheFilePassesTheLimit) {
    const unsigned char bytes[] = {0x00, 0x10, 0xAB};
    m_writer->WriteText(ToCp936(L"卸载失败 a\nb"), "e.txt"), m_writer->WriteHex(bytes, 3, "e.txt");
    EXPECT_EQ(Entries(Bytes(L"e.txt")), (Texts{"\xD0\xB6\xD4\xD8\xCA\xA7\xB0\xDC a\nb", "00 10 AB "}));
    ASSERT_TRUE(test::WriteFileBytes(m_base + L"w.txtbak", "old backup"));
    ASSERT_TRUE(test::WriteFileBytes(m_base + L"w.txt", std::string(kLimit - (kStampLength + 10), 'p')));
    m_writer->WriteText("crossing", "w.txt");
    EXPECT_EQ(std::tuple(Bytes().size(), Bytes(L"w.txtbak")), std::tuple(kLimit, "old backup"));
    m_writer->WriteText("x", "w.txt");
    EXPECT_FALSE(test::FileExists(m_base + L"w.txt"));
    EXPECT_EQ(std::tuple(Bytes(L"w.txtbak").size(), Entries(Bytes(L"w.txtbak")).back()),
              std::tuple(kLimit + kStampLength + 3, "x"));
    m_writer->WriteText("fresh", "w.txt");
    EXPECT_EQ(Entries(Bytes()), Texts{"fresh"});
}

INSTANTIATE_TEST_SUITE_P(BothWriters, LogWriterTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "OpenFile" : "CloseFile"; });

} // namespace
} // namespace tsu
