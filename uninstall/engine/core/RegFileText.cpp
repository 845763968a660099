#include "uninstall/engine/core/RegFileText.h"

#include "inventory/core/SoftwareRecord.h"

namespace tsu {

namespace {

constexpr wchar_t kHeader[] = L"Windows Registry Editor Version 5.00\r\n";
constexpr wchar_t kLineEnd[] = L"\r\n";
constexpr size_t kUtf16UnitBytes = 2; // the registry's strings, whatever wchar_t is here
constexpr size_t kBytesPerLine = 25;  // about the width regedit writes

bool HasControlCharacter(std::wstring_view text) {
    for (const wchar_t c : text) {
        if (c < 0x20 || c == 0x7F)
            return true;
    }
    return false;
}

// Inside quotes the format knows two escapes: \\ and \".
std::wstring Quoted(std::wstring_view text) {
    std::wstring quoted = L"\"";
    for (const wchar_t c : text) {
        if (c == L'\\' || c == L'"')
            quoted += L'\\';
        quoted += c;
    }
    quoted += L'"';
    return quoted;
}

// The text of a string value when "text" gives back exactly its bytes: whole UTF-16 units, one
// terminator at the end and none before, nothing the line format could not carry.
std::optional<std::wstring> PlainString(const std::vector<uint8_t>& data) {
    if (data.size() < kUtf16UnitBytes || data.size() % kUtf16UnitBytes != 0)
        return std::nullopt;
    std::wstring text(data.size() / kUtf16UnitBytes, L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(data[2 * i] | (data[2 * i + 1] << 8));
    if (text.back() != L'\0')
        return std::nullopt;
    text.pop_back();
    if (HasControlCharacter(text))
        return std::nullopt;
    return text;
}

wchar_t HexDigit(unsigned value) {
    return static_cast<wchar_t>(value < 10 ? L'0' + value : L'a' + (value - 10));
}

std::wstring HexNumber(uint32_t value, size_t minDigits) {
    std::wstring digits;
    do {
        digits.insert(digits.begin(), HexDigit(value & 0xF));
        value >>= 4;
    } while (value != 0);
    if (digits.size() < minDigits)
        digits.insert(0, minDigits - digits.size(), L'0');
    return digits;
}

// hex:01,02 for binary data, hex(N):... for every other type, continued over lines as regedit
// writes it (a line ending in ",\" goes on in the next).
std::wstring HexData(uint32_t type, const std::vector<uint8_t>& data) {
    std::wstring text = type == kRegBinary ? std::wstring(L"hex:") : L"hex(" + HexNumber(type, 1) + L"):";
    for (size_t i = 0; i < data.size(); ++i) {
        text += HexDigit(data[i] >> 4);
        text += HexDigit(data[i] & 0xF);
        if (i + 1 < data.size()) {
            text += L',';
            if ((i + 1) % kBytesPerLine == 0)
                text += L"\\\r\n  ";
        }
    }
    return text;
}

std::wstring ValueLine(const RegValueData& value) {
    std::wstring line = value.name.empty() ? std::wstring(L"@") : Quoted(value.name);
    line += L'=';
    if (value.type == kRegSz) {
        if (const std::optional<std::wstring> text = PlainString(value.data)) {
            line += Quoted(*text);
            return line;
        }
    }
    if (value.type == kRegDword && value.data.size() == 4) {
        const uint32_t number =
            value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) | (static_cast<uint32_t>(value.data[3]) << 24);
        line += L"dword:" + HexNumber(number, 8);
        return line;
    }
    line += HexData(value.type, value.data);
    return line;
}

} // namespace

std::wstring RegistryRootName(uint32_t rootKey) {
    if (rootKey == kRootLocalMachine)
        return L"HKEY_LOCAL_MACHINE";
    if (rootKey == kRootCurrentUser)
        return L"HKEY_CURRENT_USER";
    return std::wstring();
}

std::optional<std::wstring> MakeRegFileText(const std::vector<RegKeyData>& keys) {
    std::wstring text = kHeader;
    for (const RegKeyData& key : keys) {
        if (key.path.empty() || HasControlCharacter(key.path))
            return std::nullopt;
        text += kLineEnd;
        text += L"[" + key.path + L"]" + kLineEnd;
        for (const RegValueData& value : key.values) {
            if (HasControlCharacter(value.name))
                return std::nullopt;
            text += ValueLine(value) + kLineEnd;
        }
    }
    return text;
}

} // namespace tsu
