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
    CliAnalyzeTest()
        : m_app(L"C:\\Tools\\" + test::UniqueName(L"TsuCliApp")),
          m_shortcut(test::CommonDesktop() + L"\\" + test::UniqueName(L"TsuCliApp") + L".lnk") {
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
        return test::RunProcess(L"\"" + test::BinDir() + L"tsu.exe\" " + arguments);
    }

    std::wstring m_app;
    std::wstring m_shortcut;
};

TEST_F(CliAnalyzeTest, JsonListsTargetProgramItemsAndNoEntry) {
    const auto result = Tsu(L"analyze \"" + m_shortcut + L"\" --json");
    ASSERT_TRUE(result.started);
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
    EXPECT_EQ(items, (std::vector<std::string>{ToUtf8(std::wstring(L"桌面快捷方式 ") + m_shortcut),
                                               ToUtf8(L"相关文件 " + m_app + L"\\app.exe"),
                                               ToUtf8(L"相关文件 " + m_app + L"\\data\\settings.ini")}));
}

TEST_F(CliAnalyzeTest, TextNamesEveryItemAndTheEntry) {
    const auto result = Tsu(L"analyze \"" + m_shortcut + L"\"");
    ASSERT_TRUE(result.started);
    ASSERT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_NE(result.out.find(ToUtf8(L"target: " + m_app + L"\\app.exe\n")), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("items: 3\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(ToUtf8(L"  桌面快捷方式\t" + m_shortcut + L"\n")), std::string::npos);
    EXPECT_NE(result.out.find("entry: none\n"), std::string::npos);
}

TEST_F(CliAnalyzeTest, AMissingPathIsAnError) {
    const auto result = Tsu(L"analyze \"" + m_app + L"\\missing.lnk\"");
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_EQ(result.out, "");
}

} // namespace
} // namespace tsu
