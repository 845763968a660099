// The scanner in scratch keys, and what real NSIS and MSI installers write.
#include "inventory/InventorySequence.h"
#include "inventory/RegistryScanner.h"
#include "tests/engine/EngineTestSupport.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

using test::ScratchKey;
using namespace std::string_literals;

std::wstring UniquePath(const wchar_t* name) {
    return L"Software\\TsuTest\\" + test::UniqueName(name);
}
// What the list shows of a record: icon (path, index, kind), version, location, date, size, command.
std::wstring Shown(const SoftwareRecord& r) {
    return r.iconPath + L"," + std::to_wstring(r.iconIndex) + L"," + std::to_wstring(r.iconKind) + L"|" +
           r.displayVersion + L"|" + r.installLocation + L"|" + r.installDate + L"|" + r.sizeText + L"|" +
           r.uninstallString;
}
void Add(ScratchKey& key, const std::wstring& sub, const std::wstring& name, const std::wstring& command = L"un.exe",
         std::initializer_list<std::pair<const wchar_t*, std::wstring>> values = {}) {
    ASSERT_TRUE(key.SetString(sub, L"DisplayName", name) && key.SetString(sub, L"UninstallString", command));
    for (const auto& [value, text] : values)
        ASSERT_TRUE(key.SetString(sub, value, text));
}
SoftwareMap Scan(const ScratchKey& key, RegistryView view = RegistryView::Wow64Key64,
                 const ProductIconMap& icons = {}) {
    SoftwareMap map;
    EXPECT_TRUE(RegistryScanner(view).ScanUninstallKey(kRootCurrentUser, key.Path(), icons, map, true));
    return map;
}

// The wiring of the portable rules to the values read.
TEST(RegistryScannerTest, BuildsTheRecordsOfTheListedEntries) {
    ScratchKey key(HKEY_CURRENT_USER, UniquePath(L"Uninstall")), products(HKEY_CURRENT_USER, UniquePath(L"Products"));
    // clang-format off
    Add(key, L"App1", L"示例程序", L"\"C:\\Program Files\\App\\uninst.exe\" /S", {{L"DisplayVersion", L"3.1"},
        {L"DisplayIcon", L"\"C:\\Program Files\\App\\app.exe\",2"}, {L"InstallLocation", L"C:\\Program Files\\App"},
        {L"InstallDate", L"not a date"}});
    Add(key, L"A-plain", L"Plain", L"first.exe"); Add(key, L"B-second", L"Plain", L"second.exe");
    Add(key, L"Hotfix", L"Hotfix", L"un.exe", {{L"ReleaseType", L"Hotfix"}}); Add(key, L"Hidden", L"Hidden");
    Add(key, L"Bundle", L"Bundle", L"un.exe", {{L"BundleProviderKey", L"{x}KB12345"}});
    Add(key, L"Msi", L"Msi App", L"MsiExec.exe /X{1}", {{L"DisplayIcon", L"C:\\Windows\\system32\\msiexec.exe,0"}});
    Add(key, L"P", L"Product App", L"MsiExec.exe /X{P}");
    ASSERT_TRUE(key.SetDword(L"App1", L"EstimatedSize", 1536) && key.SetDword(L"Hidden", L"SystemComponent", 1) &&
        products.SetString(L"P", L"ProductName", L"Product App") && products.SetString(L"NoName", L"ProductIcon", L"x")
        && products.SetString(L"P", L"ProductIcon", L"C:\\Windows\\Installer\\{P}\\icon.ico") &&
        products.SetString(L"NoIcon", L"ProductName", L"No Icon") && products.SetString(L"Second", L"ProductIcon", L"y")
        && products.SetString(L"Second", L"ProductName", L"Product App"));
    // clang-format on
    const RegistryScanner scanner(RegistryView::Wow64Key64);
    ProductIconMap icons;
    ASSERT_TRUE(scanner.ScanInstallerProducts(kRootCurrentUser, products.Path(), icons));
    ASSERT_EQ(icons.size(), 1u);
    const SoftwareMap map = Scan(key, RegistryView::Wow64Key64, icons);
    std::wstring names;
    for (const auto& [name, record] : map)
        names += name + L";" + (name == L"Plain" ? record.uninstallString + L";" : L"");
    EXPECT_EQ(names, L"Msi App;Plain;first.exe;Product App;示例程序;");
    EXPECT_EQ(Shown(map.at(L"示例程序")), L"C:\\Program Files\\App\\app.exe,2,1|3.1|C:\\Program Files\\App|not a date|1.50 MB|"
                             L"\"C:\\Program Files\\App\\uninst.exe\" /S");
    EXPECT_EQ(map.at(L"Product App").iconPath + L"|" + map.at(L"Msi App").iconPath,
              L"C:\\Windows\\Installer\\{P}\\icon.ico|");
    EXPECT_EQ(Scan(key, RegistryView::Default).at(L"Msi App").iconPath, L"C:\\Windows\\system32\\msiexec.exe");
    SoftwareMap none;
    EXPECT_FALSE(scanner.ScanUninstallKey(kRootCurrentUser, key.Path() + L"\\No", icons, none, true));
    EXPECT_FALSE(scanner.ScanInstallerProducts(kRootCurrentUser, key.Path() + L"\\No", icons));
    EXPECT_TRUE(scanner.ScanUninstallKey(kRootCurrentUser, products.Path() + L"\\NoName", icons, none, true));
}

// Values as broken installers write them; a REG_SZ that fills the buffer exactly, with and without its
// terminator, or is one character too long; an entry deleted during the scan loses only itself.
// Over copies of WOW6432Node, machine and user keys: the first of a name wins, 32-bit Windows has no
// WOW6432Node; no products key: no products, a new map; an unopenable one: the map stays as it was.
TEST(RegistryScannerTest, SequenceOrderDecidesWhichEntryRepresentsAName) {
    ScratchKey wow{HKEY_CURRENT_USER, UniquePath(L"Wow")}, machine{HKEY_CURRENT_USER, UniquePath(L"Machine")},
        user{HKEY_CURRENT_USER, UniquePath(L"User")};
    InventoryLocations locations;
    locations.installerProducts = {kRootCurrentUser, UniquePath(L"Products")};
    locations.uninstallKeys64 = {{kRootCurrentUser, wow.Path()}, {kRootCurrentUser, machine.Path()},
                                 {kRootCurrentUser, user.Path()}};
    locations.uninstallKeys32 = {{kRootCurrentUser, machine.Path()}, {kRootCurrentUser, user.Path()}};
    // clang-format off
    Add(wow, L"x", L"Shared", L"wow.exe"); Add(machine, L"x", L"Shared", L"machine.exe");
    Add(machine, L"y", L"Both", L"machine.exe"); Add(user, L"y", L"Both", L"user.exe"); Add(user, L"z", L"User");
    // clang-format on
    ProductIconMap icons{{L"stale", ProductIconInfo{}}};
    SoftwareMap map{{L"Previous", SoftwareRecord{}}};
    for (const auto& [on64, shared] : {std::pair{true, L"wow.exe"}, {false, L"machine.exe"}}) {
        ASSERT_EQ(RunInventorySequence(icons, map, on64, locations), InventoryResult::Loaded);
        ASSERT_TRUE(icons.empty() && map.size() == 3u);
        EXPECT_EQ(map.at(L"Shared").uninstallString + L" " + map.at(L"Both").uninstallString,
                  shared + L" machine.exe"s);
    }
    locations.installerProducts.root = 0x80000009u;
    Add(user, L"new", L"New Entry");
    EXPECT_EQ(RunInventorySequence(icons, map, true, locations), InventoryResult::ProductsFailed);
    EXPECT_EQ(map.size(), 3u);
}

TEST(RegistryScannerTest, OddValuesKeyNamesAndDeletedKeysGiveDefinedTextAndBuffersAreNeverOverread) {
    ScratchKey key(HKEY_CURRENT_USER, UniquePath(L"Odd"));
    const RegistryScanner scanner(RegistryView::Wow64Key64);
    Add(key, L"Odd", L"Odd Values App", L"un.exe", {{L"EstimatedSize", L"1"}}); // "1\0" reads as 0x31
    key.SetRaw(L"Odd", L"InstallLocation", REG_SZ, L"xyz#", 3 * sizeof(wchar_t)); // no terminator stored
    key.SetRaw(L"Odd", L"InstallDate", REG_BINARY, "Q\0R", 3);                    // the odd last byte is dropped
    key.SetRaw(L"Odd", L"DisplayIcon", REG_SZ, L"", 0);                           // not even a terminator
    const std::wstring longName(255, L'k');
    for (const std::wstring& sub : {longName, L"Gone"s})
        Add(key, sub, sub.substr(0, 4) + L" App");
    SoftwareMap map;
    ASSERT_TRUE(RegistryScanner(RegistryView::Default, [&](const std::wstring& subkey) {
                    (void)(subkey == L"Gone" && key.DeleteSubkey(L"Gone"));
                }).ScanUninstallKey(kRootCurrentUser, key.Path(), {}, map, true)); // the 512-character name buffer
    EXPECT_EQ(map.size(), 2u);
    EXPECT_EQ(Shown(map.at(L"Odd Values App")), L",0,3||xyz|Q|49 KB|un.exe");
    EXPECT_EQ(map.at(L"kkkk App").relativeKeyPath, key.Path() + L"\\" + longName);
    for (const auto& [view, bufferBytes] :
         {std::pair{RegistryView::Default, 512u}, {RegistryView::Wow64Key64, 1024u}}) {
        ScratchKey buffers(HKEY_CURRENT_USER, UniquePath(L"Buffers"));
        const std::wstring full(bufferBytes / 2, L'f'), fits(bufferBytes / 2 - 1, L't');
        Add(buffers, L"E", L"Buffer App", L"un.exe",
            {{L"InstallLocation", fits}, {L"DisplayIcon", std::wstring(bufferBytes / 2, L'x') + L".exe"}});
        // RegSetValueExW quietly counts a terminator that follows the data in memory: not here.
        buffers.SetRaw(L"E", L"DisplayVersion", REG_SZ, (full + L'#').c_str(), bufferBytes);
        const SoftwareRecord r = Scan(buffers, view).at(L"Buffer App");
        EXPECT_EQ(r.iconPath + L"|" + r.displayVersion + L"|" + r.installLocation, L"|" + full + L"|" + fits);
    }
    // Only a missing key or a missing value means gone.
    ASSERT_TRUE(key.SetString(L"NoCommand", L"DisplayName", L"No Command App"));
    Add(key, L"EmptyName", L"");
    Add(key, L"LongName", std::wstring(600, L'n')); // longer than the 512-byte buffer, still there
    std::wstring gone;
    for (const wchar_t* subkey : {L"Odd", L"LongName", L"Gone", L"NoCommand", L"EmptyName"})
        gone += std::to_wstring(scanner.IsEntryGone(kRootCurrentUser, key.Path() + L"\\" + subkey));
    EXPECT_EQ(gone, L"00111");
}

// A long key is read on two threads and merged in its order: the first of a name wins across the
// halves. Value names match without case.
TEST(RegistryScannerTest, ALongKeyKeepsItsOrderAndValueNamesMatchWithoutCase) {
    ScratchKey key(HKEY_CURRENT_USER, UniquePath(L"Long"));
    for (int i = 10; i < 110; ++i)
        Add(key, L"E" + std::to_wstring(i), i == 30 || i == 90 ? L"Twin" : L"App " + std::to_wstring(i),
            L"un" + std::to_wstring(i) + L".exe", {{L"displayVERSION", std::to_wstring(i)}});
    const SoftwareMap map = Scan(key);
    EXPECT_EQ(map.size(), 99u);
    EXPECT_EQ(map.at(L"Twin").uninstallString + L"|" + map.at(L"App 101").displayVersion, L"un30.exe|101");
}

// NSIS writes no InstallDate: the key's date. The MSI entry has no DisplayIcon: the product's is used.
TEST(RealInstallersTest, NsisAndMsiProgramsAreListedWithTheirIcons) {
    const std::wstring code = L"{6F1B7C2A-3D4E-4F50-9A61-7B8C9D0E1F21}",
                       uninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\",
                       removeMsi = test::SystemFolderPath() + L"\\msiexec.exe /x" + code + L" /qn";
    const struct Cleanup {
        const std::wstring& removeMsi;
        ~Cleanup() { (void)test::RunProcess(removeMsi), test::RemoveNsisLeftovers(L"InventorySample"); }
    } cleanup{removeMsi};
    ASSERT_TRUE(test::InstallNsisFixture(L"fixture_inventory_nsis") &&
                test::InstallMsiFixture(L"fixture_inventory_msi"));
    const auto nsis = test::FindInstalled(L"Inventory Sample 示例");
    ASSERT_TRUE(nsis.has_value());
    EXPECT_EQ(nsis->keyPath + L"|" + nsis->iconPath + L"," + std::to_wstring(nsis->iconKind) + L"|" +
                  nsis->displayVersion + L"|" + nsis->sizeText + L"|" + nsis->uninstallString + L"|" +
                  std::to_wstring(nsis->installDate.size()),
              L"HKEY_LOCAL_MACHINE\\" + uninstall +
                  L"InventorySample|C:\\Program Files\\InventorySample\\"
                  L"InventorySample.exe,1|1.2.3|2.00 MB|\"C:\\Program Files\\InventorySample\\uninst.exe\"|8");
    const auto msi = test::FindInstalled(L"Inventory MSI Sample");
    ASSERT_TRUE(msi.has_value());
    EXPECT_TRUE(msi->iconPath.find(code) != std::wstring::npos && test::FileExists(msi->iconPath)) << msi->iconPath;
    EXPECT_EQ(msi->displayVersion + L"|" + msi->sizeText + L"|" + msi->uninstallString,
              L"2.0.1||MsiExec.exe /I" + code);
    ASSERT_EQ(test::RunProcess(removeMsi).exitCode, 0u);
    EXPECT_TRUE(RegistryScanner(RegistryView::Wow64Key64).IsEntryGone(kRootLocalMachine, uninstall + code));
}

} // namespace
} // namespace tsu
