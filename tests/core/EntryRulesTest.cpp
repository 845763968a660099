#include "inventory/core/InventoryRules.h"

#include <gtest/gtest.h>

#include <climits>

namespace tsu {
namespace {

TEST(EntryRulesTest, ExclusionRules) {
    EXPECT_TRUE(IsExcludedEntry(1, L"", L""));
    EXPECT_FALSE(IsExcludedEntry(0, L"", L""));
    EXPECT_FALSE(IsExcludedEntry(2, L"", L""));
    EXPECT_TRUE(IsExcludedEntry(0, L"Hotfix", L""));
    EXPECT_TRUE(IsExcludedEntry(0, L"Security Hotfix Rollup", L""));
    EXPECT_TRUE(IsExcludedEntry(0, L"ServicePack", L""));
    EXPECT_FALSE(IsExcludedEntry(0, L"hotfix", L""));
    EXPECT_FALSE(IsExcludedEntry(0, L"Security Update", L""));
    EXPECT_TRUE(IsExcludedEntry(0, L"", L"{x}.KB123"));
    EXPECT_FALSE(IsExcludedEntry(0, L"", L"kb123"));
    EXPECT_TRUE(IsHiddenUninstallString(L"C:\\x.exe /Hidden"));
    EXPECT_FALSE(IsHiddenUninstallString(L"C:\\x.exe /hidden"));
    EXPECT_TRUE(IsMsiexecIcon(L"C:\\Windows\\system32\\msiexec.exe,0"));
    EXPECT_FALSE(IsMsiexecIcon(L"C:\\Windows\\system32\\MsiExec.exe,0"));
}

TEST(EntryRulesTest, KeyPathsNameTheHiveOnlyForTheTwoScannedRoots) {
    EXPECT_EQ(MakeKeyPath(kRootLocalMachine, L"SOFTWARE\\U", L"A"), L"HKEY_LOCAL_MACHINE\\SOFTWARE\\U\\A");
    EXPECT_EQ(MakeKeyPath(kRootCurrentUser, L"Software\\U", L"{B}"), L"HKEY_CURRENT_USER\\Software\\U\\{B}");
    EXPECT_EQ(MakeKeyPath(0x80000003u, L"S", L"A"), L"");
    EXPECT_EQ(MakeRelativeKeyPath(L"S\\U", L"a&b%c\"d"), L"S\\U\\a&b%c\"d");
}

TEST(EntryRulesTest, ListableNeedsTwoCharactersOfNameAndCommand) {
    SoftwareRecord record;
    record.displayName = L"AB";
    record.uninstallString = L"u";
    EXPECT_FALSE(IsListable(record));
    record.uninstallString = L"un";
    EXPECT_TRUE(IsListable(record));
    record.displayName = L"A";
    EXPECT_FALSE(IsListable(record));
}

TEST(EntryRulesTest, IconCompletionOnlyForShortPathsAndExactNames) {
    ProductIconMap products;
    ProductIconInfo product;
    product.productName = L"Msi App";
    product.iconPath = L"C:\\Windows\\Installer\\{X}\\app.ico";
    product.iconIndex = 2;
    product.iconKind = kIconKindOther;
    InsertFirstWins(products, product.productName, product);
    // Only a name of exactly that case, and an own icon of three characters or fewer, take it.
    const std::tuple<const wchar_t*, const wchar_t*, std::wstring> cases[] = {
        {L"Msi App", L"a.i", product.iconPath}, {L"msi app", L"", L""}, {L"Msi App", L"C:\\a", L"C:\\a"}};
    for (const auto& [name, own, expected] : cases) {
        SoftwareRecord record;
        record.displayName = name;
        record.iconPath = own;
        CompleteIconFromProducts(record, products);
        EXPECT_EQ(record.iconPath, expected) << own;
        EXPECT_EQ(record.iconIndex, expected == product.iconPath ? 2 : 0);
    }
}

TEST(EntryRulesTest, MapsKeepTheFirstEntryAndOrderOrdinally) {
    SoftwareMap map;
    SoftwareRecord first;
    first.keyPath = L"first";
    SoftwareRecord second;
    second.keyPath = L"second";
    EXPECT_TRUE(InsertFirstWins(map, L"App", first));
    EXPECT_FALSE(InsertFirstWins(map, L"App", second));
    EXPECT_EQ(map.at(L"App").keyPath, L"first");
    for (const wchar_t* name : {L"app", L"Ap", L"B", L"\u4E2D"})
        InsertFirstWins(map, name, SoftwareRecord{});
    std::vector<std::wstring> order;
    for (const auto& entry : map)
        order.push_back(entry.first);
    EXPECT_EQ(order, (std::vector<std::wstring>{L"Ap", L"App", L"B", L"app", L"\u4E2D"}));
}

TEST(EntryRulesTest, InstallDateHasEightDigitsFromYear1000) {
    EXPECT_EQ(FormatInstallDate(2026, 1, 5), L"20260105");
    EXPECT_EQ(FormatInstallDate(1000, 12, 31), L"10001231");
}

TEST(EntryRulesTest, SizeTextOfTheSinglePrecisionValue) {
    // 1,234,567,890 KB is 1177.3757... GB in double; the float rounds to 1177.37573...; all ones (a
    // broken installer) still gives a defined text.
    const std::pair<uint32_t, const wchar_t*> cases[] = {
        {0, L""}, {1, L"1 KB"}, {1023, L"1023 KB"}, {1024, L"1024 KB"}, {1025, L"1.00 MB"}, {1536, L"1.50 MB"},
        {2049, L"2.00 MB"}, {1048576, L"1024.00 MB"}, {1048577, L"1.00 GB"}, {5 * 1048576 + 524288, L"5.50 GB"},
        {1234567890u, L"1177.38 GB"}, {0xFFFFFFFFu, L"4096.00 GB"}};
    for (const auto& [kilobytes, text] : cases)
        EXPECT_EQ(FormatSizeText(kilobytes), text) << kilobytes;
}

TEST(EntryRulesTest, IconTextSplitsFileIndexAndKind) {
    struct Case {
        const wchar_t* raw;
        const wchar_t* path;
        int32_t index;
        int32_t kind;
    };
    // Kind is decided on the whole upper-cased text; quotes around the index go too; then degenerate
    // forms seen in the wild.
    const Case cases[] = {{L"\"C:\\Program Files\\App\\app.exe\",0", L"C:\\Program Files\\App\\app.exe", 0, 1},
                          {L"C:\\Windows\\system32\\shell32.dll,-101", L"C:\\Windows\\system32\\shell32.dll", -101, 2},
                          {L"C:\\App\\app.ico", L"C:\\App\\app.ico", 0, 3},
                          {L"", L"", 0, 3},
                          {L"c:\\app\\App.Exe,\"3\"", L"c:\\app\\App.Exe", 3, 1},
                          {L"C:\\x.dll.ico", L"C:\\x.dll.ico", 0, 2},
                          {L"C:\\setup.exe\\lib.dll", L"C:\\setup.exe\\lib.dll", 0, 1},
                          {L"\"\"", L"", 0, 3}, {L"\"", L"", 0, 3}, {L",", L"", 0, 3},
                          {L"a.exe,1,2", L"a.exe", 1, 1}, {L"a.exe,", L"a.exe", 0, 1}, {L"a.exe,-", L"a.exe", 0, 1},
                          {L"a.exe,x", L"a.exe", 0, 1}, {L"a.exe,99999999999", L"a.exe", INT32_MAX, 1},
                          {L"\"a.exe,2\"", L"a.exe", 2, 1}};
    for (const Case& c : cases) {
        const IconText icon = ParseIconText(c.raw);
        EXPECT_EQ(icon.path, c.path) << c.raw;
        EXPECT_EQ(icon.index, c.index) << c.raw;
        EXPECT_EQ(icon.kind, c.kind) << c.raw;
    }
}

} // namespace
} // namespace tsu
