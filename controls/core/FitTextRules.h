#pragma once
// The cutting loop of FitText over a width callback, so it can be tested without a device context.
// Portable: no Win32 here.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tsu {

// FitText works in a buffer of this many characters; longer texts are cut to it first.
inline constexpr std::size_t kFitTextBufferChars = 1024;
inline constexpr wchar_t kFitTextEllipsis[] = L"...";

// Width in pixels of a text in the font in use.
using TextWidthFunction = std::function<int(std::wstring_view)>;

// The text unchanged when it is empty or its width plus 4 is below maxWidth; otherwise the longest
// prefix (from at most kFitTextBufferChars characters) whose width plus the width of "..." is below
// maxWidth, followed by "...". When no prefix fits, the first character followed by "...".
// A prefix never ends between the two halves of a surrogate pair.
[[nodiscard]] std::wstring FitTextToWidth(std::wstring_view text, int maxWidth, const TextWidthFunction& width);

// How many times the last FitTextToWidth call on this thread asked for a width (for tests and
// benchmarks of the "texts that fit cost one measurement" rule).
[[nodiscard]] std::size_t LastFitTextMeasureCount();

} // namespace tsu
