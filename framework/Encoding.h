#pragma once
// Code page conversions done explicitly, never through the runtime's process-wide locale.

#include <string>
#include <string_view>

namespace tsu {

// The tool's log texts and log file names are narrow strings in the Chinese ANSI code page.
constexpr unsigned kChineseCodePage = 936;

[[nodiscard]] std::wstring MultiByteToWide(std::string_view text, unsigned codePage);
[[nodiscard]] std::string WideToMultiByte(std::wstring_view text, unsigned codePage);

[[nodiscard]] inline std::string ToCp936(std::wstring_view text) { return WideToMultiByte(text, kChineseCodePage); }
[[nodiscard]] inline std::wstring FromCp936(std::string_view text) { return MultiByteToWide(text, kChineseCodePage); }

} // namespace tsu
