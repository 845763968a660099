// tsu analyze on a real shortcut: the text and JSON it prints and its exit codes.

#include "core/TextRules.h"
#include "tests/common/TestProcess.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/smart/ShortcutFiles.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>

namespace tsu {
namespace {

class CliAnalyzeTest : public ::testing::Test {
protected:
    CliAnalyzeTest() {
        EXPECT_TRUE(test::CreateFolders(m_app + L"\\data"));
        EXPECT_TRUE(test::WriteFileBytes(m_app + L"\\app.exe", "x"));
        EXPECT_TRUE(test::WriteFileBytes(m_app + L"\\data\\settings.ini", "x"));
        EXPECT_TRUE(test::CreateShortcut(m_shortcut, m_app + L"\\app.exe"));
    }
    ~CliAnalyzeTest() override {
        ::DeleteFileW(m_shortcut.c_str());
        test::RemoveTree(m_app);
    }
    static test::ProcessResult Tsu(const std::wstring& arguments) {
        return test::RunProcess(test::Quoted(test::BinDir() + L"tsu.exe") + L" analyze " + arguments);
    }

    const std::wstring m_app = L"C:\\Tools\\" + test::UniqueName(L"TsuCliApp");
    const std::wstring m_shortcut = test::CommonDesktop() + L"\\" + test::UniqueName(L"TsuCliApp") + L".lnk";
};

TEST_F(CliAnalyzeTest, JsonAndTextListTargetItemsAndNoEntry) {
    const auto result = Tsu(test::Quoted(m_shortcut) + L" --json");
    ASSERT_EQ(result.exitCode, 0u) << result.err;
    const auto json = nlohmann::json::parse(result.out, nullptr, false);
    ASSERT_FALSE(json.is_discarded()) << result.out;
    EXPECT_EQ(json.value("target", ""), ToUtf8(m_app + L"\\app.exe"));
    EXPECT_EQ(json.value("programName", ""), ToUtf8(test::UniqueName(L"TsuCliApp")));
    EXPECT_FALSE(json.value("hasStandardUninstall", true));
    EXPECT_TRUE(json.at("matchedEntry").is_null());
    std::vector<std::string> items;
    for (const auto& item : json.at("items"))
        items.push_back(item.value("description", "") + " " + item.value("path", ""));
    std::sort(items.begin() + 1, items.end());
    EXPECT_EQ(items, (std::vector<std::string>{ToUtf8(L"桌面快捷方式 " + m_shortcut),
                                               ToUtf8(L"相关文件 " + m_app + L"\\app.exe"),
                                               ToUtf8(L"相关文件 " + m_app + L"\\data\\settings.ini")}));

    const auto text = Tsu(test::Quoted(m_shortcut));
    ASSERT_EQ(text.exitCode, 0u) << text.err;
    for (const std::wstring& line : {L"target: " + m_app + L"\\app.exe\n", std::wstring(L"items: 3\n"),
                                     L"  桌面快捷方式\t" + m_shortcut + L"\n", std::wstring(L"entry: none\n")})
        EXPECT_NE(text.out.find(ToUtf8(line)), std::string::npos) << text.out;
}

TEST_F(CliAnalyzeTest, AMissingPathIsAnError) {
    const auto result = Tsu(test::Quoted(m_app + L"\\missing.lnk"));
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_EQ(result.out, "");
}

} // namespace
} // namespace tsu
