#include "core/PathRules.h"
#include "core/TextRules.h"
#include "inventory/core/InventoryRules.h"
#include "log/core/LogFormat.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

SoftwareRecord Record(const wchar_t* name, const wchar_t* command = L"", const wchar_t* icon = L"") {
    SoftwareRecord record;
    std::tie(record.displayName, record.uninstallString, record.iconPath) = std::tuple(name, command, icon);
    return record;
}

TEST(TextRulesTest, ParseLeadingIntTrimUpperCaseAndUtf8) {
    const std::pair<const wchar_t*, int32_t> cases[] = {
        {L"1x", 1},    {L"-101", -101}, {L"+7", 7}, {L"", 0}, {L"-", 0}, {L"x1", 0}, {L"\t\r\n 42", 42},
        {L"2147483647", INT32_MAX}, {L"2147483648", INT32_MAX}, {L"-99999999999999999999999", INT32_MIN}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseLeadingInt(text), expected) << ToUtf8(text);
    EXPECT_EQ(TrimWhitespace(L" \t 1 \r\n") + L"|" + TrimWhitespace(L"   ") + L"|" + TrimWhitespace(L"a b"), L"1||a b");
    // Non-ASCII letters keep their case: the rules only look for ASCII extensions.
    EXPECT_EQ(ToUpperAscii(L"a:\\prog\\ä.exe"), L"A:\\PROG\\ä.EXE");
    EXPECT_EQ(FromUtf8(ToUtf8(L"软件 A \U0001F600 z")), L"软件 A \U0001F600 z");
    // A surrogate pair is one character only where wchar_t is UTF-16; a lone surrogate is '?'.
    for (const auto& [chars, utf8] : std::initializer_list<std::pair<std::wstring, std::string>>{
             {L"软", "\xE8\xBD\xAF"}, {{wchar_t(0xDE00), L'a'}, "?a"}, {{wchar_t(0xD800)}, "?"},
             {{wchar_t(0xD83D), wchar_t(0xDE00)}, sizeof(wchar_t) == 2 ? "\xF0\x9F\x98\x80" : "??"}})
        EXPECT_EQ(ToUtf8(chars), utf8) << utf8;
    // The highest code point; truncated, overlong, lone continuation byte, encoded surrogates, past U+10FFFF.
    for (const auto& [bytes, expected] : std::initializer_list<std::pair<const char*, std::wstring>>{
             {"\xF4\x8F\xBF\xBF", L"\U0010FFFF"}, {"a\xE8\xBD", L"a\xFFFD\xFFFD"}, {"\xC0\xAF", L"\xFFFD\xFFFD"},
             {"\x80", L"\xFFFD"}, {"\xED\xA0\x80", L"\xFFFD\xFFFD\xFFFD"},
             {"\xF4\x90\x80\x80", L"\xFFFD\xFFFD\xFFFD\xFFFD"}})
        EXPECT_EQ(FromUtf8(bytes), expected) << bytes;
}

TEST(PathAndLogRulesTest, NetworkPathsLogEntriesHexTextAndSwitches) {
    for (const wchar_t* network :
         {L"\\\\server\\share\\app.ico", L"//server/share/a.exe", L"\\\\?\\UNC\\server\\share\\a.ico",
          L"\\??\\UNC\\server\\a.ico", L"\\\\.\\pipe\\x", L"\\\\"})
        EXPECT_TRUE(IsNetworkPath(network)) << ToUtf8(network);
    for (const wchar_t* local : {L"\\\\?\\C:\\Program Files\\a.exe", L"\\\\.\\d:\\a.ico", L"\\??\\C:\\a.ico",
                                 L"\\\\?\\z:\\a.ico", L"\\Windows\\a.ico", L"", L"\\abcUNC\\server\\x"})
        EXPECT_FALSE(IsNetworkPath(local)) << ToUtf8(local);
    const LogTime time{2020, 11, 16, 9, 5, 3, 42};
    EXPECT_EQ(FormatLogStamp(time) + "|" + FormatLogEntry(time, "abc"),
              "[2020-11-16 09:05:03 042ms]   |[2020-11-16 09:05:03 042ms]   abc\r\n");
    const unsigned char bytes[] = {0x00, 0x10, 0xAB, 0x0A, 0xFF};
    EXPECT_EQ(FormatHexText(bytes, 3) + "|" + FormatHexText(bytes + 3, 2), "00 10 AB |0A FF ");
    EXPECT_EQ(FormatHexText(bytes, 0) + FormatHexText(bytes, -5) + FormatHexText(nullptr, 4), "");
    for (const auto& [value, on] : {std::pair{L" 1", true}, {L"1x", true}, {L"2", false}, {L"", false}, {L"x1", false}})
        EXPECT_TRUE(ParsePrintSwitch(value) == on && IsOpenFileWriterMode(value) == on) << ToUtf8(value);
}

TEST(EntryRulesTest, ExclusionKeyPathsListableDateIconCompletionAndMapOrder) {
    const std::tuple<uint32_t, const wchar_t*, const wchar_t*, bool> excluded[] = {
        {1, L"", L"", true}, {2, L"", L"", false}, {0, L"Hotfix", L"", true},
        {0, L"Security Hotfix Rollup", L"", true}, {0, L"ServicePack", L"", true}, {0, L"hotfix", L"", false},
        {0, L"", L"{x}.KB123", true}, {0, L"", L"kb123", false}};
    for (const auto& [component, release, bundle, expected] : excluded)
        EXPECT_EQ(IsExcludedEntry(component, release, bundle), expected) << component << release << bundle;
    EXPECT_TRUE(IsHiddenUninstallString(L"C:\\x.exe /Hidden") && !IsHiddenUninstallString(L"C:\\x.exe /hidden"));
    EXPECT_TRUE(IsMsiexecIcon(L"C:\\Windows\\msiexec.exe,0") && !IsMsiexecIcon(L"C:\\Windows\\MsiExec.exe,0"));
    EXPECT_EQ(MakeKeyPath(kRootLocalMachine, L"SOFTWARE\\U", L"A") + L"|" +
                  MakeKeyPath(kRootCurrentUser, L"S", L"{B}") + L"|" + MakeKeyPath(0x80000003u, L"S", L"A") + L"|" +
                  MakeRelativeKeyPath(L"S\\U", L"a&b%c\"d"),
              L"HKEY_LOCAL_MACHINE\\SOFTWARE\\U\\A|HKEY_CURRENT_USER\\S\\{B}||S\\U\\a&b%c\"d");
    for (const auto& [name, command, listable] :
         {std::tuple{L"AB", L"u", false}, {L"AB", L"un", true}, {L"A", L"un", false}})
        EXPECT_EQ(IsListable(Record(name, command)), listable) << name << command;
    EXPECT_EQ(FormatInstallDate(2026, 1, 5) + FormatInstallDate(1000, 12, 31), L"2026010510001231");
    ProductIconMap products;
    const ProductIconInfo product{L"C:\\Windows\\Installer\\{X}\\app.ico", 2, kIconKindOther, L"Msi App"};
    InsertFirstWins(products, product.productName, product);
    // Only a name of exactly that case, and an own icon of three characters or fewer, take it.
    const std::tuple<const wchar_t*, const wchar_t*, std::wstring> cases[] = {
        {L"Msi App", L"a.i", product.iconPath}, {L"msi app", L"", L""}, {L"Msi App", L"C:\\a", L"C:\\a"}};
    for (const auto& [name, own, expected] : cases) {
        SoftwareRecord record = Record(name, L"", own);
        CompleteIconFromProducts(record, products);
        EXPECT_EQ(std::tuple(record.iconPath, record.iconIndex),
                  std::tuple(expected, expected == product.iconPath ? 2 : 0));
    }
    SoftwareMap map;
    EXPECT_TRUE(InsertFirstWins(map, L"App", Record(L"first")) && !InsertFirstWins(map, L"App", SoftwareRecord{}));
    for (const wchar_t* name : {L"app", L"Ap", L"B", L"\u4E2D"})
        InsertFirstWins(map, name, SoftwareRecord{});
    std::wstring order = map.at(L"App").displayName + L":";
    for (const auto& entry : map)
        order += entry.first + L";";
    EXPECT_EQ(order, L"first:Ap;App;B;app;\u4E2D;");
}

TEST(EntryRulesTest, SizeTextAndIconText) {
    // 1,234,567,890 KB: the float rounds to 1177.37573... GB (1177.3757... in double).
    const std::pair<uint32_t, const wchar_t*> sizes[] = {
        {0, L""}, {1, L"1 KB"}, {1024, L"1024 KB"}, {1025, L"1.00 MB"}, {1048576, L"1024.00 MB"},
        {1048577, L"1.00 GB"}, {1234567890u, L"1177.38 GB"}};
    for (const auto& [kilobytes, text] : sizes)
        EXPECT_EQ(FormatSizeText(kilobytes), text) << kilobytes;
    // Kind is decided on the whole upper-cased text; quotes around the index go too.
    const std::tuple<const wchar_t*, const wchar_t*, int32_t, int32_t> cases[] = {
        {L"\"C:\\Program Files\\App\\app.exe\",0", L"C:\\Program Files\\App\\app.exe", 0, 1},
        {L"C:\\Windows\\system32\\shell32.dll,-101", L"C:\\Windows\\system32\\shell32.dll", -101, 2},
        {L"C:\\App\\app.ico", L"C:\\App\\app.ico", 0, 3}, {L"c:\\app\\App.Exe,\"3\"", L"c:\\app\\App.Exe", 3, 1},
        {L"C:\\x.dll.ico", L"C:\\x.dll.ico", 0, 2}, {L"C:\\setup.exe\\lib.dll", L"C:\\setup.exe\\lib.dll", 0, 1},
        {L"\"", L"", 0, 3}, {L"a.exe,1,2", L"a.exe", 1, 1}, {L"a.exe,", L"a.exe", 0, 1}, {L"\"a.exe,2\"", L"a.exe", 2, 1}};
    for (const auto& [raw, path, index, kind] : cases)
        EXPECT_EQ(std::tuple(ParseIconText(raw).path, ParseIconText(raw).index, ParseIconText(raw).kind),
                  std::tuple(std::wstring(path), index, kind));
}

} // namespace
} // namespace tsu
