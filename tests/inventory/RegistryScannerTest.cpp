// The scanner and the inventory sequence against the registry of the test prefix, in scratch keys
// of the user hive, and the entries real installers write: an NSIS program and a wixl-built MSI package.

#include "inventory/InventorySequence.h"
#include "inventory/RegistryScanner.h"
#include "inventory/core/InventoryRules.h"
#include "tests/common/ScratchKey.h"
#include "tests/engine/EngineTestSupport.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

using test::ScratchKey;
using Values = std::initializer_list<std::pair<const wchar_t*, std::wstring>>;

std::wstring UniquePath(const wchar_t* name) {
    return std::wstring(L"Software\\TsuTest\\") + name + L"-" + std::to_wstring(::GetCurrentProcessId());
}
// What the list shows of a record: icon (path, index, kind), version, location, date, size, command.
std::wstring Shown(const SoftwareRecord& r) {
    return r.iconPath + L"," + std::to_wstring(r.iconIndex) + L"," + std::to_wstring(r.iconKind) + L"|" +
           r.displayVersion + L"|" + r.installLocation + L"|" + r.installDate + L"|" + r.sizeText + L"|" +
           r.uninstallString;
}

class RegistryScannerTest : public ::testing::Test {
protected:
    ScratchKey m_key{HKEY_CURRENT_USER, UniquePath(L"Uninstall")};

    static void Add(ScratchKey& key, const std::wstring& subkey, const std::wstring& name,
                    const std::wstring& uninstall = L"un.exe", Values values = {}) {
        ASSERT_TRUE(key.SetString(subkey, L"DisplayName", name) &&
                    key.SetString(subkey, L"UninstallString", uninstall));
        for (const auto& [value, text] : values)
            ASSERT_TRUE(key.SetString(subkey, value, text));
    }
    SoftwareMap Scan(RegistryView view = RegistryView::Wow64Key64, const ProductIconMap& products = {},
                     const ScratchKey* key = nullptr) {
        SoftwareMap map;
        EXPECT_TRUE(RegistryScanner(view).ScanUninstallKey(kRootCurrentUser, (key ? key : &m_key)->Path(), products,
                                                           map, true));
        return map;
    }
};

// The portable rules decide what is left out; this is their wiring to the values read. Without
// InstallDate, the local date the key was written (a day may turn meanwhile). The first entry of a
// name wins and case makes names distinct; SystemComponent written as text reads as its first four
// bytes, not 1. The msiexec icon counts only in the 64-bit view; an installer product completes a
// missing icon.
TEST_F(RegistryScannerTest, BuildsTheRecordsOfTheListedEntries) {
    Add(m_key, L"App1", L"示例程序", L"\"C:\\Program Files\\App\\uninst.exe\" /S",
        {{L"DisplayIcon", L"\"C:\\Program Files\\App\\app.exe\",2"},
         {L"DisplayVersion", L"3.1"}, {L"InstallLocation", L"C:\\Program Files\\App"},
         {L"InstallDate", L"not a date"}});
    m_key.SetDword(L"App1", L"EstimatedSize", 1536);
    Add(m_key, L"A-plain", L"Plain", L"first.exe");
    Add(m_key, L"B-second", L"Plain", L"second.exe");
    Add(m_key, L"C-lower", L"plain");
    Add(m_key, L"TextComponent", L"Text Component", L"un.exe", {{L"SystemComponent", L"1"}});
    Add(m_key, L"Hotfix", L"Hotfix", L"un.exe", {{L"ReleaseType", L"Hotfix"}});
    Add(m_key, L"Bundle", L"Bundle", L"un.exe", {{L"BundleProviderKey", L"{x}KB12345"}});
    for (const auto& [left, command] :
         {std::pair{L"Component", L"un.exe"}, {L"Hidden", L"un.exe /Hidden"}, {L"Short", L"u"}, {L"A", L"un.exe"}})
        Add(m_key, left, left, command);
    m_key.SetDword(L"Component", L"SystemComponent", 1);
    Add(m_key, L"Msi", L"Msi Style App", L"MsiExec.exe /X{1}",
        {{L"DisplayIcon", L"C:\\Windows\\system32\\msiexec.exe,0"}});
    Add(m_key, L"P", L"Product App", L"MsiExec.exe /X{P}");
    ScratchKey products(HKEY_CURRENT_USER, UniquePath(L"Products"));
    for (const auto& [key, name, icon] :
         {std::tuple{L"ABCDEF", L"Product App", L"C:\\Windows\\Installer\\{P}\\icon.ico"},
          {L"NoIcon", L"No Icon Product", L""}, {L"NoName", L"", L"C:\\x.ico"},
          {L"Second", L"Product App", L"C:\\second.ico"}}) {
        (void)(*name && products.SetString(key, L"ProductName", name));
        (void)(*icon && products.SetString(key, L"ProductIcon", icon));
    }
    ProductIconMap icons;
    ASSERT_TRUE(
        RegistryScanner(RegistryView::Wow64Key64).ScanInstallerProducts(kRootCurrentUser, products.Path(), icons));
    ASSERT_EQ(icons.size(), 1u);
    SYSTEMTIME before{}, after{};
    ::GetLocalTime(&before);
    const SoftwareMap map = Scan(RegistryView::Wow64Key64, icons);
    ::GetLocalTime(&after);
    std::wstring names;
    for (const auto& entry : map)
        names += entry.first + L";";
    EXPECT_EQ(names, L"Msi Style App;Plain;Product App;Text Component;plain;示例程序;");
    const SoftwareRecord& record = map.at(L"示例程序");
    EXPECT_EQ(record.keyPath, L"HKEY_CURRENT_USER\\" + m_key.Path() + L"\\App1");
    EXPECT_EQ(record.relativeKeyPath + L"|" + std::to_wstring(record.rootKey),
              m_key.Path() + L"\\App1|" + std::to_wstring(kRootCurrentUser));
    EXPECT_EQ(Shown(record), L"C:\\Program Files\\App\\app.exe,2,1|3.1|C:\\Program Files\\App|not a date|1.50 MB|"
                             L"\"C:\\Program Files\\App\\uninst.exe\" /S");
    EXPECT_EQ(map.at(L"Plain").uninstallString, L"first.exe");
    const std::wstring date = map.at(L"Plain").installDate;
    EXPECT_TRUE(date == FormatInstallDate(before.wYear, before.wMonth, before.wDay) ||
                date == FormatInstallDate(after.wYear, after.wMonth, after.wDay));
    EXPECT_EQ(map.at(L"Product App").iconPath, L"C:\\Windows\\Installer\\{P}\\icon.ico");
    EXPECT_EQ(map.at(L"Msi Style App").iconPath, L"");
    EXPECT_EQ(Scan(RegistryView::Default).at(L"Msi Style App").iconPath, L"C:\\Windows\\system32\\msiexec.exe");
    // A missing key is the only scan failure; an empty one is none.
    SoftwareMap none;
    const RegistryScanner scanner(RegistryView::Wow64Key64);
    EXPECT_FALSE(scanner.ScanUninstallKey(kRootCurrentUser, m_key.Path() + L"\\No", icons, none, true));
    EXPECT_FALSE(scanner.ScanInstallerProducts(kRootCurrentUser, m_key.Path() + L"\\No", icons));
    EXPECT_TRUE(scanner.ScanUninstallKey(kRootCurrentUser, products.Path() + L"\\NoName", icons, none, true));
}

// Deleting an entry while the key is scanned (an uninstaller finishing meanwhile) must lose only
// that entry, not shift the enumeration past its neighbour.
TEST_F(RegistryScannerTest, KeyDeletedBetweenEnumerationAndOpeningIsSkipped) {
    for (const wchar_t* subkey : {L"Gone", L"Kept", L"Last"})
        Add(m_key, subkey, std::wstring(subkey) + L" App");
    SoftwareMap map;
    const RegistryScanner scanner(RegistryView::Wow64Key64, [&](const std::wstring& subkey) {
        if (subkey == L"Gone")
            m_key.DeleteSubkey(L"Gone");
    });
    ASSERT_TRUE(scanner.ScanUninstallKey(kRootCurrentUser, m_key.Path(), {}, map, true));
    EXPECT_EQ(map.size(), 2u);
    EXPECT_EQ(map.count(L"Kept App") + map.count(L"Last App"), 2u);
}

// Values as broken installers write them, key names of every length and character, and a REG_SZ
// that fills the value buffer exactly, with and without its terminator, and one character too long.
TEST_F(RegistryScannerTest, OddValuesAndKeyNamesGiveDefinedTextAndBuffersAreNeverReadPastTheirEnd) {
    Add(m_key, L"Odd", L"Odd Values App", L"un.exe", {{L"EstimatedSize", L"1"}}); // "1\0" reads as 0x31
    const DWORD number = 0x00420041; // "AB" when its bytes are taken as UTF-16
    m_key.SetRaw(L"Odd", L"DisplayVersion", REG_DWORD, &number, sizeof number);
    m_key.SetRaw(L"Odd", L"InstallLocation", REG_SZ, L"xyz#", 3 * sizeof(wchar_t)); // no terminator stored
    m_key.SetRaw(L"Odd", L"InstallDate", REG_BINARY, "Q\0R", 3);                    // the odd last byte is dropped
    m_key.SetRaw(L"Odd", L"DisplayIcon", REG_SZ, L"", 0);                           // empty, not even a terminator
    const std::wstring longName(255, L'k'), oddName = L"Quote\"Amp&Pct%\U0001F600";
    Add(m_key, longName, L"Long Key App");
    Add(m_key, oddName, L"Odd Key App");
    EXPECT_EQ(Shown(Scan().at(L"Odd Values App")), L",0,3|AB|xyz|Q|49 KB|un.exe");
    const SoftwareMap map = Scan(RegistryView::Default); // the smaller 512-character name buffer
    EXPECT_EQ(map.at(L"Long Key App").relativeKeyPath, m_key.Path() + L"\\" + longName);
    EXPECT_EQ(map.at(L"Odd Key App").keyPath, L"HKEY_CURRENT_USER\\" + m_key.Path() + L"\\" + oddName);
    for (const auto& [view, bufferBytes] :
         {std::pair{RegistryView::Default, 512u}, {RegistryView::Wow64Key64, 1024u}}) {
        ScratchKey key(HKEY_CURRENT_USER, UniquePath(L"Buffers"));
        const std::wstring full(bufferBytes / 2, L'f'), fits(bufferBytes / 2 - 1, L't');
        Add(key, L"E", L"Buffer App", L"un.exe",
            {{L"InstallLocation", fits}, {L"DisplayIcon", std::wstring(bufferBytes / 2, L'x') + L".exe"}});
        // RegSetValueExW quietly counts a terminator that follows the data in memory, so the stored
        // bytes are followed by a non-NUL character here.
        key.SetRaw(L"E", L"DisplayVersion", REG_SZ, (full + L'#').c_str(), bufferBytes);
        const SoftwareRecord record = Scan(view, {}, &key).at(L"Buffer App");
        EXPECT_EQ(record.iconPath + L"|" + record.displayVersion + L"|" + record.installLocation,
                  L"|" + full + L"|" + fits);
    }
}

TEST_F(RegistryScannerTest, OnlyAMissingKeyOrAMissingValueMeansGone) {
    const auto gone = [&](const std::wstring& subkey) {
        return RegistryScanner(RegistryView::Wow64Key64).IsEntryGone(kRootCurrentUser, m_key.Path() + L"\\" + subkey);
    };
    Add(m_key, L"Present", L"Present App");
    Add(m_key, L"NoCommand", L"No Command App");
    m_key.DeleteValue(L"NoCommand", L"UninstallString");
    Add(m_key, L"EmptyName", L"");
    Add(m_key, L"LongName", std::wstring(600, L'n')); // longer than the 512-byte buffer, still there
    EXPECT_FALSE(gone(L"Present") || gone(L"LongName"));
    EXPECT_TRUE(gone(L"NeverExisted") && gone(L"NoCommand") && gone(L"EmptyName"));
    m_key.DeleteSubkey(L"Present");
    EXPECT_TRUE(gone(L"Present"));
}

// The full sequence over scratch copies of the system's keys (WOW6432Node, machine, user): the
// first of a name wins, 32-bit Windows has no WOW6432Node key, an absent products key means no
// products and a rebuilt map, one that cannot be opened (not a predefined root: another error
// than "not found") leaves the map as it was.
TEST_F(RegistryScannerTest, SequenceOrderDecidesWhichEntryRepresentsAName) {
    ScratchKey wow{HKEY_CURRENT_USER, UniquePath(L"Wow")}, user{HKEY_CURRENT_USER, UniquePath(L"User")};
    InventoryLocations locations{
        {kRootCurrentUser, UniquePath(L"Products")},
        {{kRootCurrentUser, wow.Path()}, {kRootCurrentUser, m_key.Path()}, {kRootCurrentUser, user.Path()}},
        {{kRootCurrentUser, m_key.Path()}, {kRootCurrentUser, user.Path()}}};
    Add(wow, L"x", L"Shared", L"wow.exe");
    Add(m_key, L"x", L"Shared", L"machine.exe");
    Add(m_key, L"y", L"Machine And User", L"machine.exe");
    Add(user, L"y", L"Machine And User", L"user.exe");
    Add(user, L"z", L"User Only", L"user.exe");
    ProductIconMap icons{{L"stale", ProductIconInfo{}}};
    SoftwareMap map{{L"Previous", SoftwareRecord{}}};
    for (const auto& [on64, shared] : {std::pair{true, L"wow.exe"}, {false, L"machine.exe"}}) {
        ASSERT_EQ(RunInventorySequence(icons, map, on64, locations), InventoryResult::Loaded);
        EXPECT_TRUE(icons.empty());
        ASSERT_EQ(map.size(), 3u);
        EXPECT_EQ(map.at(L"Shared").uninstallString + L" " + map.at(L"Machine And User").uninstallString,
                  std::wstring(shared) + L" machine.exe");
    }
    locations.installerProducts.root = 0x80000009u;
    Add(user, L"new", L"New Entry");
    for (bool on64 : {true, false}) {
        EXPECT_EQ(RunInventorySequence(icons, map, on64, locations), InventoryResult::ProductsFailed);
        EXPECT_EQ(map.size(), 3u);
    }
}

constexpr wchar_t kMsiCode[] = L"{6F1B7C2A-3D4E-4F50-9A61-7B8C9D0E1F21}";
const std::wstring kUninstallKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// NSIS writes no InstallDate: the key's date. The MSI package's entry carries no DisplayIcon: the
// picture comes from the installer product. Once removed, the program is gone.
TEST(RealInstallersTest, NsisAndMsiProgramsAreListedWithTheirIcons) {
    const std::wstring removeMsi = test::SystemFolderPath() + L"\\msiexec.exe /x" + kMsiCode + L" /qn";
    const struct Cleanup {
        const std::wstring& removeMsi;
        ~Cleanup() {
            (void)test::RunProcess(removeMsi);
            test::RemoveNsisLeftovers(L"InventorySample");
        }
    } cleanup{removeMsi};
    ASSERT_TRUE(test::InstallNsisFixture(L"fixture_inventory_nsis") &&
                test::InstallMsiFixture(L"fixture_inventory_msi"));
    const auto nsis = test::FindInstalled(L"Inventory Sample 示例");
    ASSERT_TRUE(nsis.has_value());
    EXPECT_EQ(nsis->keyPath, L"HKEY_LOCAL_MACHINE\\" + kUninstallKey + L"InventorySample");
    EXPECT_EQ(nsis->iconPath + L"," + std::to_wstring(nsis->iconKind) + L"|" + nsis->displayVersion + L"|" +
                  nsis->sizeText + L"|" + nsis->uninstallString,
              L"C:\\Program Files\\InventorySample\\InventorySample.exe,1|1.2.3|2.00 MB|"
              L"\"C:\\Program Files\\InventorySample\\uninst.exe\"");
    EXPECT_EQ(nsis->installDate.size(), 8u);
    EXPECT_FALSE(RegistryScanner(RegistryView::Wow64Key64).IsEntryGone(nsis->rootKey, nsis->relativeKeyPath));

    const auto msi = test::FindInstalled(L"Inventory MSI Sample");
    ASSERT_TRUE(msi.has_value());
    EXPECT_NE(msi->iconPath.find(kMsiCode), std::wstring::npos);
    EXPECT_TRUE(test::FileExists(msi->iconPath));
    EXPECT_EQ(msi->displayVersion + L"|" + msi->sizeText + L"|" + msi->uninstallString,
              std::wstring(L"2.0.1||MsiExec.exe /I") + kMsiCode);
    ASSERT_EQ(test::RunProcess(removeMsi).exitCode, 0u);
    EXPECT_TRUE(RegistryScanner(RegistryView::Wow64Key64).IsEntryGone(kRootLocalMachine, kUninstallKey + kMsiCode));
    EXPECT_FALSE(test::FindInstalled(L"Inventory MSI Sample").has_value());
}

} // namespace
} // namespace tsu
