// tsu.exe as scripts see it: exit codes, text lines and the JSON listing.
#include "core/TextRules.h"
#include "tests/common/ScratchKey.h"
#include "tests/common/ProcessTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tsu {
namespace {

test::ProcessResult Tsu(const std::wstring& arguments) {
    return test::RunProcess(L"\"" + test::BinDir() + L"tsu.exe\" " + arguments);
}

TEST(TsuCommandLineTest, ExitCodesOfHelpAndUsageErrors) {
    const auto help = Tsu(L"--help");
    EXPECT_TRUE(help.exitCode == 0 && !help.out.empty());
    const auto bad = Tsu(L"list --xml");
    EXPECT_TRUE(bad.exitCode == 1 && bad.out.empty() && !bad.err.empty());
}

TEST(TsuListTest, TextAndJsonListingsHaveTheRecordFieldsInOrder) {
    const std::wstring suffix = std::to_wstring(::GetCurrentProcessId()), name = L"Tsu 列表 \"Quoted\" " + suffix;
    const std::wstring uninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    test::ScratchKey entry{HKEY_CURRENT_USER, uninstall + L"TsuListTest-" + suffix};
    ASSERT_TRUE(entry.SetString(L"", L"DisplayName", name) && entry.SetString(L"", L"DisplayVersion", L"4.5") &&
                entry.SetString(L"", L"UninstallString", L"C:\\Tools\\un.exe /x") &&
                entry.SetString(L"", L"DisplayIcon", L"C:\\Tools\\app.dll,-7") &&
                entry.SetString(L"", L"InstallDate", L"20240102") && entry.SetDword(L"", L"EstimatedSize", 3));
    const auto text = Tsu(L"list");
    ASSERT_EQ(text.exitCode, 0u) << text.err;
    EXPECT_NE(text.out.find(ToUtf8(name) + "\t4.5\t3 KB\n"), std::string::npos) << text.out;
    const auto result = Tsu(L"list --json");
    ASSERT_EQ(result.exitCode, 0u) << result.err;
    const auto json = nlohmann::ordered_json::parse(result.out, nullptr, false);
    ASSERT_TRUE(json.is_array()) << "not valid JSON";
    const std::string key = nlohmann::json(ToUtf8(entry.Path())).dump(); // quoted and escaped
    const std::string expected =
        R"({"keyPath":"HKEY_CURRENT_USER\\)" + key.substr(1) + R"(,"rootKey":2147483649,"relativeKeyPath":)" + key +
        R"(,"iconPath":"C:\\Tools\\app.dll","iconIndex":-7,"iconKind":2,"imagePath":"","displayName":)" +
        nlohmann::json(ToUtf8(name)).dump() +
        R"(,"displayVersion":"4.5","installLocation":"","installDate":"20240102",)"
        R"("sizeText":"3 KB","uninstallString":"C:\\Tools\\un.exe /x"})";
    std::string found;
    for (const auto& record : json)
        found = record["displayName"] == ToUtf8(name) ? record.dump() : found;
    EXPECT_EQ(found, expected); // every field, in this order
}

} // namespace
} // namespace tsu
