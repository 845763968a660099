#pragma once
// Text rules the tool shares between subsystems. Portable: no Win32 here.

#include <cstdint>
#include <string>
#include <string_view>

namespace tsu {

// Decimal text-to-integer conversion with the rules of the C runtime's _wtoi: leading white
// space, an optional sign, then the leading digits; 0 when there are none. Out-of-range values
// saturate at INT32_MAX / INT32_MIN as the Microsoft runtime does.
[[nodiscard]] int32_t ParseLeadingInt(std::wstring_view text);

// Removes spaces, tabs, CR and LF on both sides.
[[nodiscard]] std::wstring TrimWhitespace(std::wstring_view text);

// Upper-cases ASCII letters only; the rules that use it look for ASCII extensions.
[[nodiscard]] std::wstring ToUpperAscii(std::wstring_view text);

[[nodiscard]] inline bool Contains(std::wstring_view text, std::wstring_view part) {
    return text.find(part) != std::wstring_view::npos;
}

// ASCII text as UTF-16 (for texts made with printf-style formatting).
[[nodiscard]] std::wstring WidenAscii(std::string_view text);

// Strict UTF-8 / UTF-16 conversion; invalid input becomes U+FFFD (decoding) or '?' (encoding
// of lone surrogates), never a crash.
[[nodiscard]] std::string ToUtf8(std::wstring_view text);
[[nodiscard]] std::wstring FromUtf8(std::string_view text);

} // namespace tsu
