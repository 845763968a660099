#include "inventory/core/InventoryRules.h"

#include <gtest/gtest.h>

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

    SoftwareRecord record;
    record.displayName = L"Msi App";
    record.iconPath = L"a.i"; // three characters: too short to be a file
    CompleteIconFromProducts(record, products);
    EXPECT_EQ(record.iconPath, product.iconPath);
    EXPECT_EQ(record.iconIndex, 2);

    SoftwareRecord other;
    other.displayName = L"msi app";
    CompleteIconFromProducts(other, products);
    EXPECT_EQ(other.iconPath, L"");

    SoftwareRecord own;
    own.displayName = L"Msi App";
    own.iconPath = L"C:\\a";
    CompleteIconFromProducts(own, products);
    EXPECT_EQ(own.iconPath, L"C:\\a");
}

TEST(EntryRulesTest, MapsKeepTheFirstEntryAndOrderOrdinally) {
    SoftwareMap map;
    SoftwareRecord first;
    first.displayName = L"App";
    first.keyPath = L"first";
    SoftwareRecord second = first;
    second.keyPath = L"second";
    EXPECT_TRUE(InsertFirstWins(map, first.displayName, first));
    EXPECT_FALSE(InsertFirstWins(map, second.displayName, second));
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

} // namespace
} // namespace tsu
