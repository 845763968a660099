#pragma once
// Rules of the icon reader that need no Win32: which names are refused, what kind of file the
// first bytes announce, and how "%NAME%" references in a path are expanded.

#include "icons/core/ByteReader.h"

#include "core/PathRules.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tsu {

// The path buffers of the icon reader hold this many characters, the terminator included.
constexpr size_t kIconPathChars = 260;

// ClassifyExtension results: 0 for anything unknown (or no dot), then the known extensions.
enum ExtensionClass : int {
    kExtensionOther = 0,
    kExtensionCom = 1,
    kExtensionBat = 2,
    kExtensionCmd = 3,
    kExtensionPif = 4,
    kExtensionLnk = 5,
    kExtensionIco = 6,
    kExtensionExe = 7,
};

// The text from the last "." of the name, compared without regard to case.
[[nodiscard]] int ClassifyExtension(std::wstring_view name);

// Programs, batch files and shortcuts are never opened for icons (.com .bat .cmd .pif .lnk).
[[nodiscard]] inline bool IsRefusedExtensionClass(int extensionClass) {
    return extensionClass >= kExtensionCom && extensionClass <= kExtensionLnk;
}

// Files larger than this give no icon: the reader reads a PE image whole into memory (a mapped
// view would end the process with an in-page error when the file vanishes under it).
constexpr uint64_t kMaxIconFileBytes = 64ull * 1024 * 1024;

// The first bytes of a file decide how its icons are read.
constexpr size_t kFileKindProbeBytes = 12;
enum class IconFileKind {
    Unknown,
    PeImage,        // "MZ"
    Bitmap,         // "BM"
    IconFile,       // reserved 0, type >= 1 (icons and cursors)
    AnimatedCursor, // "RIFF" .... "ACON"
};
[[nodiscard]] IconFileKind ClassifyFileHeader(ByteReader header);

// A bitmap file's header up to its width and height (file header, then the info header's size,
// width and height). The loader turns a bitmap of 0 x 0 into a 1 x 1 one; such a file has no
// picture and gives no icon.
constexpr size_t kBitmapFileProbeBytes = 26;
[[nodiscard]] bool BitmapFileHasPixels(ByteReader header);

// ExpandEnvironmentText results.
enum ExpandResult : int {
    kExpandDone = 0,       // references replaced (or the text had nothing to replace)
    kExpandUnchanged = -1, // fewer than two "%", or a "%" without its closing partner
    kExpandTooLong = -2,   // the expanded text would not fit the path buffer: the caller refuses it
};

// Value of an environment variable, or nothing when it is not set.
using EnvironmentLookup = std::function<std::optional<std::wstring>(const std::wstring& name)>;

// Replaces each "%NAME%" with the variable's value; an unset variable's reference disappears.
// The text is left unchanged unless the result is kExpandDone. The expansion must fit a buffer
// of capacity characters with its terminator.
[[nodiscard]] int ExpandEnvironmentText(std::wstring& text, const EnvironmentLookup& lookup,
                                        size_t capacity = kIconPathChars);

} // namespace tsu
