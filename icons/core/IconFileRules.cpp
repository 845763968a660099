#include "icons/core/IconFileRules.h"

#include <algorithm>
#include <array>

namespace tsu {

namespace {

constexpr uint16_t kMarkMz = 0x5A4D;
constexpr uint16_t kMarkBm = 0x4D42;
constexpr uint16_t kMarkRiffLow = 0x4952;  // "RI"
constexpr uint16_t kMarkRiffHigh = 0x4646; // "FF"
constexpr uint16_t kMarkAconLow = 0x4341;  // "AC"
constexpr uint16_t kMarkAconHigh = 0x4E4F; // "ON"

struct KnownExtension {
    std::wstring_view text;
    int extensionClass;
};
constexpr std::array<KnownExtension, 7> kKnownExtensions{{
    {L".com", kExtensionCom},
    {L".bat", kExtensionBat},
    {L".cmd", kExtensionCmd},
    {L".pif", kExtensionPif},
    {L".lnk", kExtensionLnk},
    {L".ico", kExtensionIco},
    {L".exe", kExtensionExe},
}};

wchar_t LowerAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](wchar_t x, wchar_t y) { return LowerAscii(x) == LowerAscii(y); });
}

} // namespace

int ClassifyExtension(std::wstring_view name) {
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring_view::npos)
        return kExtensionOther;
    const std::wstring_view extension = name.substr(dot);
    for (const KnownExtension& known : kKnownExtensions) {
        if (EqualsIgnoringAsciiCase(extension, known.text))
            return known.extensionClass;
    }
    return kExtensionOther;
}

IconFileKind ClassifyFileHeader(ByteReader header) {
    std::array<uint16_t, kFileKindProbeBytes / 2> w{};
    for (size_t i = 0; i < w.size(); ++i) {
        if (!header.ReadU16(i * 2, w[i]))
            return IconFileKind::Unknown;
    }
    if (w[0] == kMarkMz)
        return IconFileKind::PeImage;
    if (w[0] == kMarkBm)
        return IconFileKind::Bitmap;
    if (w[0] == 0 && w[1] >= 1)
        return IconFileKind::IconFile;
    if (w[0] == kMarkRiffLow && w[1] == kMarkRiffHigh && w[4] == kMarkAconLow && w[5] == kMarkAconHigh)
        return IconFileKind::AnimatedCursor;
    return IconFileKind::Unknown;
}

bool BitmapFileHasPixels(ByteReader header) {
    constexpr uint64_t kInfoHeaderOffset = 14; // after BITMAPFILEHEADER
    constexpr uint32_t kCoreHeaderBytes = 12;  // BITMAPCOREHEADER: 16-bit width and height
    uint16_t mark = 0;
    uint32_t infoSize = 0;
    if (!header.ReadU16(0, mark) || mark != kMarkBm || !header.ReadU32(kInfoHeaderOffset, infoSize))
        return false;
    if (infoSize == kCoreHeaderBytes) {
        uint16_t width = 0;
        uint16_t height = 0;
        return header.ReadU16(kInfoHeaderOffset + 4, width) && header.ReadU16(kInfoHeaderOffset + 6, height) &&
               width != 0 && height != 0;
    }
    int32_t width = 0;
    int32_t height = 0;
    return header.ReadI32(kInfoHeaderOffset + 4, width) && header.ReadI32(kInfoHeaderOffset + 8, height) &&
           width != 0 && height != 0;
}

int ExpandEnvironmentText(std::wstring& text, const EnvironmentLookup& lookup, size_t capacity) {
    if (std::count(text.begin(), text.end(), L'%') < 2)
        return kExpandUnchanged;
    // What still fits beside the terminator; checked as the output grows so that a long value
    // never has to be built in full.
    const size_t limit = capacity == 0 ? 0 : capacity - 1;
    std::wstring output;
    for (size_t pos = 0; pos < text.size();) {
        if (text[pos] != L'%') {
            output.push_back(text[pos++]);
        } else {
            const size_t close = text.find(L'%', pos + 1);
            if (close == std::wstring::npos)
                return kExpandUnchanged;
            const std::wstring name = text.substr(pos + 1, close - pos - 1);
            if (lookup) {
                if (const std::optional<std::wstring> value = lookup(name))
                    output += *value;
            }
            pos = close + 1;
        }
        if (output.size() > limit)
            return kExpandTooLong;
    }
    if (!output.empty())
        text = std::move(output);
    return kExpandDone;
}

} // namespace tsu
