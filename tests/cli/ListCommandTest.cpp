// tsu.exe as scripts see it: exit codes, text lines and the JSON listing.

#include "core/TextRules.h"
#include "tests/common/ScratchKey.h"
#include "tests/common/TestProcess.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tsu {
namespace {

test::ProcessResult Tsu(const std::wstring& arguments) {
    return test::RunProcess(L"\"" + test::BinDir() + L"tsu.exe\" " + arguments);
}

TEST(TsuCommandLineTest, ExitCodesOfHelpAndUsageErrors) {
    const auto help = Tsu(L"--help");
    EXPECT_EQ(help.exitCode, 0u);
    EXPECT_FALSE(help.out.empty());
    EXPECT_EQ(Tsu(L"").exitCode, 1u) << "no command is a usage error";
    for (const wchar_t* bad : {L"frobnicate", L"list --xml"}) {
        const auto result = Tsu(bad);
        EXPECT_EQ(result.exitCode, 1u);
        EXPECT_TRUE(result.out.empty());
        EXPECT_FALSE(result.err.empty());
    }
}

class TsuListTest : public ::testing::Test {
protected:
    const std::wstring m_suffix = std::to_wstring(::GetCurrentProcessId());
    const std::wstring m_name = L"Tsu 列表 \"Quoted\" " + m_suffix;
    test::ScratchKey m_entry{HKEY_CURRENT_USER,
                             L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TsuListTest-" + m_suffix};
    test::ScratchKey m_broken{HKEY_CURRENT_USER,
                              L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TsuListBroken-" + m_suffix};

    void SetUp() override {
        ASSERT_TRUE(m_entry.SetString(L"", L"DisplayName", m_name));
        ASSERT_TRUE(m_entry.SetString(L"", L"UninstallString", L"C:\\Tools\\un.exe /x"));
        ASSERT_TRUE(m_entry.SetString(L"", L"DisplayVersion", L"4.5"));
        ASSERT_TRUE(m_entry.SetString(L"", L"DisplayIcon", L"C:\\Tools\\app.dll,-7"));
        ASSERT_TRUE(m_entry.SetDword(L"", L"EstimatedSize", 3));
        // A name with a lone surrogate half: not valid Unicode, must not break the JSON.
        std::wstring broken = L"Br";
        broken += static_cast<wchar_t>(0xD800);
        broken += L"k " + m_suffix;
        ASSERT_TRUE(m_broken.SetString(L"", L"DisplayName", broken));
        ASSERT_TRUE(m_broken.SetString(L"", L"UninstallString", L"C:\\Tools\\un2.exe"));
    }
};

TEST_F(TsuListTest, TextAndJsonListingsHaveTheRecordFieldsInOrder) {
    const auto text = Tsu(L"list");
    ASSERT_EQ(text.exitCode, 0u) << text.err;
    EXPECT_NE(text.out.find(ToUtf8(m_name) + "\t4.5\t3 KB\n"), std::string::npos) << text.out;
    const auto result = Tsu(L"list --json");
    ASSERT_EQ(result.exitCode, 0u) << result.err;
    const auto json = nlohmann::ordered_json::parse(result.out, nullptr, false);
    ASSERT_FALSE(json.is_discarded()) << "not valid JSON";
    ASSERT_TRUE(json.is_array());

    const std::vector<std::string> fields = {
        "keyPath",     "rootKey",        "relativeKeyPath", "iconPath",    "iconIndex", "iconKind",       "imagePath",
        "displayName", "displayVersion", "installLocation", "installDate", "sizeText",  "uninstallString"};
    std::wstring previous;
    bool found = false;
    for (const auto& record : json) {
        std::vector<std::string> keys;
        for (const auto& item : record.items())
            keys.push_back(item.key());
        ASSERT_EQ(keys, fields);
        const std::wstring name = FromUtf8(record["displayName"].get<std::string>());
        EXPECT_LT(previous, name) << "map order: ascending, ordinal";
        previous = name;
        if (name != m_name)
            continue;
        found = true;
        EXPECT_EQ(FromUtf8(record["keyPath"].get<std::string>()), L"HKEY_CURRENT_USER\\" + m_entry.Path());
        EXPECT_EQ(record["rootKey"].get<uint32_t>(), 0x80000001u);
        EXPECT_EQ(record["iconPath"], "C:\\Tools\\app.dll");
        EXPECT_EQ(record["iconIndex"], -7);
        EXPECT_EQ(record["iconKind"], 2);
        EXPECT_EQ(record["imagePath"], "");
        EXPECT_EQ(record["sizeText"], "3 KB");
        EXPECT_EQ(record["uninstallString"], "C:\\Tools\\un.exe /x");
    }
    EXPECT_TRUE(found);
    EXPECT_NE(result.out.find("Br?k"), std::string::npos) << "the lone surrogate becomes '?'";
}

} // namespace
} // namespace tsu
