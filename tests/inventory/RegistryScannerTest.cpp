// The scanner against the real registry of the test prefix, in scratch keys of the user hive.

#include "inventory/RegistryScanner.h"
#include "tests/common/ScratchKey.h"

#include <gtest/gtest.h>

#include <string>

namespace tsu {
namespace {

using test::ScratchKey;

std::wstring UniquePath(const wchar_t* name) {
    return std::wstring(L"Software\\TsuTest\\") + name + L"-" + std::to_wstring(::GetCurrentProcessId());
}

class RegistryScannerTest : public ::testing::Test {
protected:
    ScratchKey m_key{HKEY_CURRENT_USER, UniquePath(L"Uninstall")};
    ProductIconMap m_noProducts;

    void AddEntry(const std::wstring& subkey, const std::wstring& name, const std::wstring& uninstall = L"un.exe") {
        ASSERT_TRUE(m_key.SetString(subkey, L"DisplayName", name));
        ASSERT_TRUE(m_key.SetString(subkey, L"UninstallString", uninstall));
    }

    SoftwareMap Scan(RegistryView view = RegistryView::Wow64Key64, bool filter = true) {
        SoftwareMap map;
        EXPECT_TRUE(RegistryScanner(view).ScanUninstallKey(kRootCurrentUser, m_key.Path(), m_noProducts, map, filter));
        return map;
    }
};

TEST_F(RegistryScannerTest, BuildsTheRecordFromTheEntryValues) {
    ASSERT_TRUE(m_key.IsValid());
    AddEntry(L"App1", L"示例程序", L"\"C:\\Program Files\\App\\uninst.exe\" /S");
    m_key.SetString(L"App1", L"DisplayIcon", L"\"C:\\Program Files\\App\\app.exe\",2");
    m_key.SetString(L"App1", L"DisplayVersion", L"3.1");
    m_key.SetString(L"App1", L"InstallLocation", L"C:\\Program Files\\App");
    m_key.SetString(L"App1", L"InstallDate", L"not a date");
    m_key.SetDword(L"App1", L"EstimatedSize", 1536);

    const SoftwareMap map = Scan();
    ASSERT_EQ(map.count(L"示例程序"), 1u);
    const SoftwareRecord& record = map.at(L"示例程序");
    EXPECT_EQ(record.keyPath, L"HKEY_CURRENT_USER\\" + m_key.Path() + L"\\App1");
    EXPECT_EQ(record.relativeKeyPath, m_key.Path() + L"\\App1");
    EXPECT_EQ(record.rootKey, kRootCurrentUser);
    EXPECT_EQ(record.iconPath, L"C:\\Program Files\\App\\app.exe");
    EXPECT_EQ(record.iconIndex, 2);
    EXPECT_EQ(record.iconKind, kIconKindExe);
    EXPECT_EQ(record.displayVersion, L"3.1");
    EXPECT_EQ(record.installLocation, L"C:\\Program Files\\App");
    EXPECT_EQ(record.installDate, L"not a date"); // taken as it stands, never validated
    EXPECT_EQ(record.sizeText, L"1.50 MB");
    EXPECT_EQ(record.uninstallString, L"\"C:\\Program Files\\App\\uninst.exe\" /S");
    EXPECT_EQ(record.imagePath, L"");
}

TEST_F(RegistryScannerTest, MissingInstallDateFallsBackToTheKeysLocalWriteDate) {
    AddEntry(L"NoDate", L"No Date App");
    SYSTEMTIME before{};
    ::GetLocalTime(&before);
    const SoftwareMap map = Scan();
    SYSTEMTIME after{};
    ::GetLocalTime(&after);
    ASSERT_EQ(map.count(L"No Date App"), 1u);
    wchar_t expectBefore[16], expectAfter[16];
    swprintf(expectBefore, 16, L"%d%02d%02d", before.wYear, before.wMonth, before.wDay);
    swprintf(expectAfter, 16, L"%d%02d%02d", after.wYear, after.wMonth, after.wDay);
    const std::wstring date = map.at(L"No Date App").installDate;
    EXPECT_TRUE(date == expectBefore || date == expectAfter) << "date: " << date.size();
}

struct FilterCase {
    const wchar_t* label;
    const wchar_t* valueName; // nullptr: no extra value
    DWORD type;
    const wchar_t* text;
    DWORD number;
    const wchar_t* uninstall;
    bool listed;
};

class ScannerFilterTest : public RegistryScannerTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(ScannerFilterTest, ExclusionRules) {
    const FilterCase& c = GetParam();
    AddEntry(L"Entry", L"Filtered App", c.uninstall);
    if (c.valueName) {
        if (c.type == REG_DWORD)
            ASSERT_TRUE(m_key.SetDword(L"Entry", c.valueName, c.number));
        else
            ASSERT_TRUE(m_key.SetString(L"Entry", c.valueName, c.text));
    }
    EXPECT_EQ(Scan().count(L"Filtered App"), c.listed ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, ScannerFilterTest,
    ::testing::Values(FilterCase{L"plain", nullptr, 0, nullptr, 0, L"un.exe", true},
                      FilterCase{L"system component", L"SystemComponent", REG_DWORD, nullptr, 1, L"un.exe", false},
                      FilterCase{L"component 0", L"SystemComponent", REG_DWORD, nullptr, 0, L"un.exe", true},
                      FilterCase{L"component 2", L"SystemComponent", REG_DWORD, nullptr, 2, L"un.exe", true},
                      FilterCase{L"hotfix", L"ReleaseType", REG_SZ, L"Hotfix", 0, L"un.exe", false},
                      FilterCase{L"service pack", L"ReleaseType", REG_SZ, L"ServicePack", 0, L"un.exe", false},
                      FilterCase{L"lower hotfix", L"ReleaseType", REG_SZ, L"hotfix", 0, L"un.exe", true},
                      FilterCase{L"security update", L"ReleaseType", REG_SZ, L"Security Update", 0, L"un.exe", true},
                      FilterCase{L"bundle KB", L"BundleProviderKey", REG_SZ, L"{x}KB12345", 0, L"un.exe", false},
                      FilterCase{L"hidden", nullptr, 0, nullptr, 0, L"un.exe /Hidden", false},
                      FilterCase{L"one-char command", nullptr, 0, nullptr, 0, L"u", false},
                      // SystemComponent written as text reads as its first four bytes, not 1.
                      FilterCase{L"text component", L"SystemComponent", REG_SZ, L"1", 0, L"un.exe", true}));

TEST_F(RegistryScannerTest, OneCharacterNameIsNotListed) {
    AddEntry(L"Short", L"A");
    EXPECT_TRUE(Scan().empty());
}

TEST_F(RegistryScannerTest, FirstEntryOfANameWinsAndCaseMakesNamesDistinct) {
    AddEntry(L"A-first", L"Same Name", L"first.exe");
    AddEntry(L"B-second", L"Same Name", L"second.exe");
    AddEntry(L"C-lower", L"same name", L"third.exe");
    const SoftwareMap map = Scan();
    ASSERT_EQ(map.size(), 2u);
    EXPECT_EQ(map.at(L"Same Name").uninstallString, L"first.exe");
    EXPECT_EQ(map.at(L"same name").uninstallString, L"third.exe");
}

TEST_F(RegistryScannerTest, MsiexecIconIsIgnoredOnlyInThe64BitView) {
    AddEntry(L"Msi", L"Msi Style App", L"MsiExec.exe /X{1}");
    m_key.SetString(L"Msi", L"DisplayIcon", L"C:\\Windows\\system32\\msiexec.exe,0");
    const SoftwareRecord in64 = Scan(RegistryView::Wow64Key64).at(L"Msi Style App");
    EXPECT_EQ(in64.iconPath, L"");
    EXPECT_EQ(in64.iconKind, kIconKindOther);
    const SoftwareRecord in32 = Scan(RegistryView::Default).at(L"Msi Style App");
    EXPECT_EQ(in32.iconPath, L"C:\\Windows\\system32\\msiexec.exe");
    EXPECT_EQ(in32.iconKind, kIconKindExe);
}

TEST_F(RegistryScannerTest, InstallerProductCompletesAMissingIcon) {
    ScratchKey products(HKEY_CURRENT_USER, UniquePath(L"Products"));
    products.SetString(L"ABCDEF", L"ProductName", L"Product App");
    products.SetString(L"ABCDEF", L"ProductIcon", L"C:\\Windows\\Installer\\{P}\\icon.ico");
    products.SetString(L"NoIcon", L"ProductName", L"No Icon Product");
    products.SetString(L"NoName", L"ProductIcon", L"C:\\x.ico");
    products.SetString(L"Second", L"ProductName", L"Product App");
    products.SetString(L"Second", L"ProductIcon", L"C:\\second.ico");
    ProductIconMap icons;
    ASSERT_TRUE(RegistryScanner(RegistryView::Wow64Key64).ScanInstallerProducts(kRootCurrentUser, products.Path(), icons));
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons.at(L"Product App").iconPath, L"C:\\Windows\\Installer\\{P}\\icon.ico");

    AddEntry(L"P", L"Product App", L"MsiExec.exe /X{P}");
    SoftwareMap map;
    ASSERT_TRUE(RegistryScanner(RegistryView::Wow64Key64).ScanUninstallKey(kRootCurrentUser, m_key.Path(), icons, map, true));
    EXPECT_EQ(map.at(L"Product App").iconPath, L"C:\\Windows\\Installer\\{P}\\icon.ico");
    EXPECT_EQ(map.at(L"Product App").iconKind, kIconKindOther);
}

TEST_F(RegistryScannerTest, MissingKeyIsTheOnlyScanFailure) {
    SoftwareMap map;
    ProductIconMap icons;
    const RegistryScanner scanner(RegistryView::Wow64Key64);
    EXPECT_FALSE(scanner.ScanUninstallKey(kRootCurrentUser, m_key.Path() + L"\\Missing", icons, map, true));
    EXPECT_FALSE(scanner.ScanInstallerProducts(kRootCurrentUser, m_key.Path() + L"\\Missing", icons));
    EXPECT_TRUE(scanner.ScanUninstallKey(kRootCurrentUser, m_key.Path(), icons, map, true)); // empty key
    EXPECT_TRUE(map.empty());
}

// Deleting an entry while the key is scanned (an uninstaller finishing meanwhile) must lose only
// that entry, not shift the enumeration past its neighbour.
TEST_F(RegistryScannerTest, KeyDeletedBetweenEnumerationAndOpeningIsSkipped) {
    AddEntry(L"Gone", L"Vanishing App");
    AddEntry(L"Kept", L"Kept App");
    AddEntry(L"Last", L"Last App");
    SoftwareMap map;
    const RegistryScanner scanner(RegistryView::Wow64Key64, [&](const std::wstring& subkey) {
        if (subkey == L"Gone")
            m_key.DeleteSubkey(L"Gone");
    });
    ASSERT_TRUE(scanner.ScanUninstallKey(kRootCurrentUser, m_key.Path(), m_noProducts, map, true));
    EXPECT_EQ(map.count(L"Vanishing App"), 0u);
    EXPECT_EQ(map.count(L"Kept App"), 1u);
    EXPECT_EQ(map.count(L"Last App"), 1u);
}

TEST_F(RegistryScannerTest, UnusualSubkeyNamesKeepTheirExactText) {
    const std::wstring longName(255, L'k');
    const std::wstring oddName = L"Quote\"Amp&Pct%\U0001F600";
    AddEntry(longName, L"Long Key App");
    AddEntry(oddName, L"Odd Key App");
    const SoftwareMap map = Scan(RegistryView::Default); // the smaller 512-character name buffer
    ASSERT_EQ(map.count(L"Long Key App"), 1u);
    EXPECT_EQ(map.at(L"Long Key App").relativeKeyPath, m_key.Path() + L"\\" + longName);
    ASSERT_EQ(map.count(L"Odd Key App"), 1u);
    EXPECT_EQ(map.at(L"Odd Key App").keyPath, L"HKEY_CURRENT_USER\\" + m_key.Path() + L"\\" + oddName);
}

// Values as broken installers write them.
TEST_F(RegistryScannerTest, ValuesOfOtherTypesAndSizesGiveDefinedText) {
    AddEntry(L"Odd", L"Odd Values App");
    const DWORD number = 0x00420041; // "AB" when its bytes are taken as UTF-16
    m_key.SetRaw(L"Odd", L"DisplayVersion", REG_DWORD, &number, sizeof number);
    const wchar_t noTerminator[] = {L'x', L'y', L'z', L'#'}; // only three characters are stored
    m_key.SetRaw(L"Odd", L"InstallLocation", REG_SZ, noTerminator, 3 * sizeof(wchar_t));
    const char oddBytes[] = {'Q', 0, 'R'};
    m_key.SetRaw(L"Odd", L"InstallDate", REG_BINARY, oddBytes, sizeof oddBytes);
    m_key.SetString(L"Odd", L"EstimatedSize", L"1"); // text where a number belongs
    m_key.SetRaw(L"Odd", L"DisplayIcon", REG_SZ, L"", 0); // empty, not even a terminator

    const SoftwareRecord record = Scan().at(L"Odd Values App");
    EXPECT_EQ(record.displayVersion, L"AB");
    EXPECT_EQ(record.installLocation, L"xyz");
    EXPECT_EQ(record.installDate, L"Q"); // the odd last byte is dropped
    EXPECT_EQ(record.sizeText, L"49 KB"); // the bytes "1\0" read as the number 0x31
    EXPECT_EQ(record.iconPath, L"");
    EXPECT_EQ(record.iconKind, kIconKindOther);
}

TEST_F(RegistryScannerTest, EstimatedSizeOfAllOnesIsFormattedNotOverflowed) {
    AddEntry(L"Big", L"Big App");
    m_key.SetDword(L"Big", L"EstimatedSize", 0xFFFFFFFFu);
    EXPECT_EQ(Scan().at(L"Big App").sizeText, L"4096.00 GB");
}

// A REG_SZ that fills the value buffer exactly, with and without its terminator, and one
// character too long for it.
TEST_F(RegistryScannerTest, StringBuffersAreNeverReadPastTheirEnd) {
    for (const auto& [view, bufferBytes] : {std::pair{RegistryView::Default, 512u}, {RegistryView::Wow64Key64, 1024u}}) {
        ScratchKey key(HKEY_CURRENT_USER, UniquePath(L"Buffers"));
        const std::wstring full(bufferBytes / 2, L'f'); // no room for a terminator
        key.SetString(L"E", L"DisplayName", L"Buffer App");
        key.SetString(L"E", L"UninstallString", L"un.exe");
        // RegSetValueExW quietly counts a terminator that follows the data in memory, so the
        // stored bytes are followed by a non-NUL character here.
        const std::wstring fullThenMore = full + L'#';
        key.SetRaw(L"E", L"DisplayVersion", REG_SZ, fullThenMore.c_str(), bufferBytes);
        const std::wstring fitsWithTerminator(bufferBytes / 2 - 1, L't');
        key.SetString(L"E", L"InstallLocation", fitsWithTerminator);
        key.SetString(L"E", L"DisplayIcon", std::wstring(bufferBytes / 2, L'x') + L".exe"); // too long

        SoftwareMap map;
        ASSERT_TRUE(RegistryScanner(view).ScanUninstallKey(kRootCurrentUser, key.Path(), m_noProducts, map, true));
        const SoftwareRecord& record = map.at(L"Buffer App");
        EXPECT_EQ(record.displayVersion, full) << bufferBytes;
        EXPECT_EQ(record.installLocation, fitsWithTerminator) << bufferBytes;
        EXPECT_EQ(record.iconPath, L"") << bufferBytes;
    }
}

class EntryGoneTest : public RegistryScannerTest {
protected:
    bool Gone(const std::wstring& subkey) {
        return RegistryScanner(RegistryView::Wow64Key64).IsEntryGone(kRootCurrentUser, m_key.Path() + L"\\" + subkey);
    }
};

TEST_F(EntryGoneTest, OnlyAMissingKeyOrAMissingValueMeansGone) {
    AddEntry(L"Present", L"Present App");
    EXPECT_FALSE(Gone(L"Present"));
    EXPECT_TRUE(Gone(L"NeverExisted"));

    AddEntry(L"NoCommand", L"No Command App");
    m_key.DeleteValue(L"NoCommand", L"UninstallString");
    EXPECT_TRUE(Gone(L"NoCommand"));

    AddEntry(L"EmptyName", L"");
    EXPECT_TRUE(Gone(L"EmptyName"));

    // A name longer than the 512-byte buffer still exists.
    AddEntry(L"LongName", std::wstring(600, L'n'));
    EXPECT_FALSE(Gone(L"LongName"));

    m_key.DeleteSubkey(L"Present");
    EXPECT_TRUE(Gone(L"Present"));
}

TEST(RootKeyTest, StoredRootTurnsBackIntoAUsableHandle) {
    EXPECT_EQ(RootToHkey(kRootLocalMachine), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RootToHkey(kRootCurrentUser), HKEY_CURRENT_USER);
    UniqueHkey key;
    EXPECT_EQ(::RegOpenKeyExW(RootToHkey(kRootLocalMachine), L"SOFTWARE", 0, KEY_READ, key.Put()), ERROR_SUCCESS);
}

} // namespace
} // namespace tsu
