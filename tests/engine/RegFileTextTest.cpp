#include "uninstall/engine/core/RegFileText.h"

#include "inventory/core/SoftwareRecord.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

std::vector<uint8_t> Utf16(std::wstring_view text) {
    std::vector<uint8_t> bytes;
    for (const wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
    return bytes;
}

TEST(RegFileTextTest, WritesWhatImportGivesBack) {
    const std::pair<RegValueData, const wchar_t*> cases[] = {
        {{L"", kRegSz, Utf16(std::wstring(L"default\0", 8))}, L"@=\"default\""},
        {{L"a\"b\\c", kRegSz, Utf16(std::wstring(L"q\"\\\0", 4))}, L"\"a\\\"b\\\\c\"=\"q\\\"\\\\\""},
        // Strings "text" cannot carry exactly: no terminator, a second one, odd length, a line break.
        {{L"s", kRegSz, Utf16(L"ab")}, L"\"s\"=hex(1):61,00,62,00"},
        {{L"s", kRegSz, Utf16(std::wstring(L"a\0\0", 3))}, L"\"s\"=hex(1):61,00,00,00,00,00"},
        {{L"s", kRegSz, {0x61, 0x00, 0x00}}, L"\"s\"=hex(1):61,00,00"},
        {{L"s", kRegSz, Utf16(std::wstring(L"a\nb\0", 4))}, L"\"s\"=hex(1):61,00,0a,00,62,00,00,00"},
        {{L"s", kRegSz, {}}, L"\"s\"=hex(1):"},
        {{L"s", kRegSz, {0, 0}}, L"\"s\"=\"\""}, // an empty string is still text
        {{L"e", kRegExpandSz, Utf16(std::wstring(L"%a%\0", 4))}, L"\"e\"=hex(2):25,00,61,00,25,00,00,00"},
        {{L"m", kRegMultiSz, Utf16(std::wstring(L"a\0b\0\0", 5))}, L"\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00"},
        {{L"d", kRegDword, {0x2a, 0x00, 0x00, 0x80}}, L"\"d\"=dword:8000002a"},
        {{L"d", kRegDword, {0x01, 0x02, 0x03}}, L"\"d\"=hex(4):01,02,03"},
        {{L"q", kRegQword, {8, 7, 6, 5, 4, 3, 2, 1}}, L"\"q\"=hex(b):08,07,06,05,04,03,02,01"},
        {{L"b", kRegBinary, {0x00, 0xff}}, L"\"b\"=hex:00,ff"},
        {{L"n", kRegNone, {}}, L"\"n\"=hex(0):"},
        {{L"x", 0x1234, {0xab}}, L"\"x\"=hex(1234):ab"},
        {{L"w", kRegBinary, std::vector<uint8_t>(26, 0x11)},
         L"\"w\"=hex:11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,\\\r\n  11"}};
    for (const auto& [value, line] : cases) {
        const std::optional<std::wstring> text = MakeRegFileText({RegKeyData{L"HKEY_CURRENT_USER\\K", {value}}});
        EXPECT_EQ(text, std::wstring(L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n") + line +
                            L"\r\n");
    }
}

TEST(RegFileTextTest, KeysInOrderAndControlCharactersRefused) {
    const std::optional<std::wstring> text = MakeRegFileText(
        {RegKeyData{L"HKEY_LOCAL_MACHINE\\A", {}}, RegKeyData{L"HKEY_LOCAL_MACHINE\\A\\B ]x", {{L"v", kRegNone, {}}}}});
    EXPECT_EQ(text, std::wstring(L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\r\n"
                                 L"[HKEY_LOCAL_MACHINE\\A\\B ]x]\r\n\"v\"=hex(0):\r\n"));
    EXPECT_FALSE(MakeRegFileText({RegKeyData{L"HKEY_CURRENT_USER\\K", {{L"line\nbreak", kRegNone, {}}}}}));
    EXPECT_FALSE(MakeRegFileText({RegKeyData{L"HKEY_CURRENT_USER\\K\r", {}}}));
    EXPECT_EQ(RegistryRootName(kRootLocalMachine), L"HKEY_LOCAL_MACHINE");
    EXPECT_EQ(RegistryRootName(kRootCurrentUser), L"HKEY_CURRENT_USER");
    EXPECT_EQ(RegistryRootName(0x80000000u), L"");
}

} // namespace
} // namespace tsu
