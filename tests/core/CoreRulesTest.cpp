#include "core/PathRules.h"
#include "core/TextRules.h"
#include "inventory/core/InventoryRules.h"
#include "log/core/LogFormat.h"

#include <gtest/gtest.h>

#include <climits>

namespace tsu {
namespace {

TEST(TextRulesTest, ParseLeadingIntTrimAndUpperCase) {
    const std::pair<const wchar_t*, int32_t> cases[] = {{L"1", 1},
                                                        {L" 1", 1}, {L"01", 1}, {L"1x", 1}, {L"-101", -101}, {L"+7", 7},
                                                        {L"", 0}, {L"-", 0}, {L"x1", 0}, {L"\t\r\n 42", 42},
                                                        {L"2147483647", INT32_MAX}, {L"2147483648", INT32_MAX},
                                                        {L"99999999999", INT32_MAX}, {L"-2147483648", INT32_MIN},
                                                        {L"-99999999999999999999999", INT32_MIN}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseLeadingInt(text), expected) << ToUtf8(text);
    EXPECT_EQ(TrimWhitespace(L" \t 1 \r\n") + L"|" + TrimWhitespace(L"   ") + L"|" + TrimWhitespace(L"a b"), L"1||a b");
    // Non-ASCII letters keep their case: the rules only look for ASCII extensions.
    EXPECT_EQ(ToUpperAscii(L"a:\\prog\\ä.exe"), L"A:\\PROG\\ä.EXE");
}

TEST(TextRulesTest, Utf8RoundTripsEveryPlaneAndReplacesBrokenInput) {
    const std::wstring text = L"软件 A \U0001F600 z";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    // A surrogate pair is one character only where wchar_t is UTF-16; a lone surrogate is '?'.
    const std::pair<std::wstring, std::string> wide[] = {
        {L"软", "\xE8\xBD\xAF"}, {{wchar_t(0xDE00), L'a'}, "?a"}, {{wchar_t(0xD800), L'a'}, "?a"},
        {{wchar_t(0xD800)}, "?"},
        {{wchar_t(0xD83D), wchar_t(0xDE00)}, sizeof(wchar_t) == 2 ? "\xF0\x9F\x98\x80" : "??"}};
    for (const auto& [chars, utf8] : wide)
        EXPECT_EQ(ToUtf8(chars), utf8) << utf8;
    // The highest code point; truncated, overlong, lone continuation byte, encoded surrogates, past U+10FFFF.
    const std::pair<const char*, std::wstring> broken[] = {{"\xF4\x8F\xBF\xBF", L"\U0010FFFF"},
                                                           {"a\xE8\xBD", L"a\xFFFD\xFFFD"},
                                                           {"\xC0\xAF", L"\xFFFD\xFFFD"}, {"\x80", L"\xFFFD"},
                                                           {"\xED\xBF\xBF", L"\xFFFD\xFFFD\xFFFD"},
                                                           {"\xED\xA0\x80", L"\xFFFD\xFFFD\xFFFD"},
                                                           {"\xF4\x90\x80\x80", L"\xFFFD\xFFFD\xFFFD\xFFFD"}};
    for (const auto& [bytes, expected] : broken)
        EXPECT_EQ(FromUtf8(bytes), expected) << bytes;
}

TEST(PathRulesTest, OnlyLocalDrivePathsAreLocal) {
    for (const wchar_t* network :
         {L"\\\\server\\share\\app.ico", L"//server/share/a.exe", L"\\/server\\a.ico",
          L"\\\\?\\UNC\\server\\share\\a.ico", L"\\\\.\\UNC\\server\\a.ico", L"\\??\\UNC\\server\\a.ico",
          L"\\\\.\\pipe\\x", L"\\\\?\\GLOBALROOT\\Device\\x", L"\\\\"})
        EXPECT_TRUE(IsNetworkPath(network)) << ToUtf8(network);
    for (const wchar_t* local : {L"\\\\?\\C:\\Program Files\\a.exe", L"\\\\.\\d:\\a.ico", L"\\??\\C:\\a.ico",
                                 L"C:\\a.exe", L"\\Windows\\a.ico", L"a.ico", L"", L"\\abcUNC\\server\\x"})
        EXPECT_FALSE(IsNetworkPath(local)) << ToUtf8(local);
}

TEST(LogFormatTest, EntryHexTextAndSwitches) {
    const LogTime time{2020, 11, 16, 9, 5, 3, 42};
    EXPECT_EQ(FormatLogStamp(time), "[2020-11-16 09:05:03 042ms]   ");
    EXPECT_EQ(FormatLogEntry(time, "abc"), "[2020-11-16 09:05:03 042ms]   abc\r\n");
    const unsigned char bytes[] = {0x00, 0x10, 0xAB, 0x0A, 0xFF};
    EXPECT_EQ(FormatHexText(bytes, 3) + "|" + FormatHexText(bytes + 3, 2), "00 10 AB |0A FF ");
    EXPECT_EQ(FormatHexText(bytes, 0) + FormatHexText(bytes, -5) + FormatHexText(nullptr, 4), "");
    const std::pair<const wchar_t*, bool> cases[] = {{L"1", true},   {L" 1", true}, {L"01", true},  {L"1x", true},
                                                     {L"1 ", true},  {L"2", false}, {L"-1", false}, {L"", false},
                                                     {L"x1", false}, {L"0", false}};
    for (const auto& [value, on] : cases) {
        EXPECT_EQ(ParsePrintSwitch(value), on) << ToUtf8(value);
        EXPECT_EQ(IsOpenFileWriterMode(value), on) << ToUtf8(value);
    }
}

TEST(EntryRulesTest, ExclusionKeyPathsListableAndDate) {
    const std::tuple<uint32_t, const wchar_t*, const wchar_t*, bool> excluded[] = {
        {1, L"", L"", true}, {0, L"", L"", false}, {2, L"", L"", false}, {0, L"Hotfix", L"", true},
        {0, L"Security Hotfix Rollup", L"", true}, {0, L"ServicePack", L"", true}, {0, L"hotfix", L"", false},
        {0, L"Security Update", L"", false}, {0, L"", L"{x}.KB123", true}, {0, L"", L"kb123", false}};
    for (const auto& [component, release, bundle, expected] : excluded)
        EXPECT_EQ(IsExcludedEntry(component, release, bundle), expected) << component << release << bundle;
    EXPECT_TRUE(IsHiddenUninstallString(L"C:\\x.exe /Hidden"));
    EXPECT_FALSE(IsHiddenUninstallString(L"C:\\x.exe /hidden"));
    EXPECT_TRUE(IsMsiexecIcon(L"C:\\Windows\\system32\\msiexec.exe,0"));
    EXPECT_FALSE(IsMsiexecIcon(L"C:\\Windows\\system32\\MsiExec.exe,0"));
    // Only the two scanned roots have a hive name.
    EXPECT_EQ(MakeKeyPath(kRootLocalMachine, L"SOFTWARE\\U", L"A"), L"HKEY_LOCAL_MACHINE\\SOFTWARE\\U\\A");
    EXPECT_EQ(MakeKeyPath(kRootCurrentUser, L"Software\\U", L"{B}"), L"HKEY_CURRENT_USER\\Software\\U\\{B}");
    EXPECT_EQ(MakeKeyPath(0x80000003u, L"S", L"A"), L"");
    EXPECT_EQ(MakeRelativeKeyPath(L"S\\U", L"a&b%c\"d"), L"S\\U\\a&b%c\"d");
    // Two characters of name and command at least.
    for (const auto& [name, command, listable] :
         {std::tuple{L"AB", L"u", false}, {L"AB", L"un", true}, {L"A", L"un", false}}) {
        SoftwareRecord record;
        record.displayName = name;
        record.uninstallString = command;
        EXPECT_EQ(IsListable(record), listable) << name << command;
    }
    EXPECT_EQ(FormatInstallDate(2026, 1, 5) + FormatInstallDate(1000, 12, 31), L"2026010510001231");
}

TEST(EntryRulesTest, IconCompletionOnlyForShortPathsAndExactNames) {
    ProductIconMap products;
    const ProductIconInfo product{L"C:\\Windows\\Installer\\{X}\\app.ico", 2, kIconKindOther, L"Msi App"};
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
    SoftwareRecord first, second;
    first.keyPath = L"first";
    EXPECT_TRUE(InsertFirstWins(map, L"App", first));
    EXPECT_FALSE(InsertFirstWins(map, L"App", second));
    EXPECT_EQ(map.at(L"App").keyPath, L"first");
    for (const wchar_t* name : {L"app", L"Ap", L"B", L"\u4E2D"})
        InsertFirstWins(map, name, SoftwareRecord{});
    std::wstring order;
    for (const auto& entry : map)
        order += entry.first + L";";
    EXPECT_EQ(order, L"Ap;App;B;app;\u4E2D;");
}

TEST(EntryRulesTest, SizeTextOfTheSinglePrecisionValue) {
    // 1,234,567,890 KB is 1177.3757... GB in double; the float rounds to 1177.37573...; all ones (a
    // broken installer) still gives a defined text.
    const std::pair<uint32_t, const wchar_t*> cases[] = {{0, L""},
                                                         {1, L"1 KB"}, {1023, L"1023 KB"}, {1024, L"1024 KB"},
                                                         {1025, L"1.00 MB"}, {1536, L"1.50 MB"}, {2049, L"2.00 MB"},
                                                         {1048576, L"1024.00 MB"}, {1048577, L"1.00 GB"},
                                                         {5 * 1048576 + 524288, L"5.50 GB"},
                                                         {1234567890u, L"1177.38 GB"}, {0xFFFFFFFFu, L"4096.00 GB"}};
    for (const auto& [kilobytes, text] : cases)
        EXPECT_EQ(FormatSizeText(kilobytes), text) << kilobytes;
}

TEST(EntryRulesTest, IconTextSplitsFileIndexAndKind) {
    // Kind is decided on the whole upper-cased text; quotes around the index go too; then degenerate
    // forms seen in the wild.
    const std::tuple<const wchar_t*, const wchar_t*, int32_t, int32_t> cases[] = {
        {L"\"C:\\Program Files\\App\\app.exe\",0", L"C:\\Program Files\\App\\app.exe", 0, 1},
        {L"C:\\Windows\\system32\\shell32.dll,-101", L"C:\\Windows\\system32\\shell32.dll", -101, 2},
        {L"C:\\App\\app.ico", L"C:\\App\\app.ico", 0, 3}, {L"", L"", 0, 3},
        {L"c:\\app\\App.Exe,\"3\"", L"c:\\app\\App.Exe", 3, 1}, {L"C:\\x.dll.ico", L"C:\\x.dll.ico", 0, 2},
        {L"C:\\setup.exe\\lib.dll", L"C:\\setup.exe\\lib.dll", 0, 1}, {L"\"\"", L"", 0, 3}, {L"\"", L"", 0, 3},
        {L",", L"", 0, 3}, {L"a.exe,1,2", L"a.exe", 1, 1}, {L"a.exe,", L"a.exe", 0, 1}, {L"a.exe,-", L"a.exe", 0, 1},
        {L"a.exe,x", L"a.exe", 0, 1}, {L"a.exe,99999999999", L"a.exe", INT32_MAX, 1}, {L"\"a.exe,2\"", L"a.exe", 2, 1}};
    for (const auto& [raw, path, index, kind] : cases) {
        const IconText icon = ParseIconText(raw);
        EXPECT_EQ(icon.path + L"," + std::to_wstring(icon.index) + L"," + std::to_wstring(icon.kind),
                  path + (L"," + std::to_wstring(index) + L"," + std::to_wstring(kind)));
    }
}

} // namespace
} // namespace tsu
