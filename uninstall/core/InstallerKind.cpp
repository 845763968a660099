#include "uninstall/core/InstallerKind.h"

#include "icons/core/PeResourceReader.h"

#include <cstring>

namespace tsu {

namespace {

constexpr uint64_t kPeOffsetField = 0x3C;
constexpr uint64_t kInnoModeOffset = 0x30;
constexpr uint32_t kInnoUninstallerMode = 0x6E556E49; // "InUn"
constexpr uint16_t kDosMagic = 0x5A4D;                // "MZ"
constexpr uint32_t kPeSignature = 0x00004550;         // "PE\0\0"
constexpr uint64_t kFileHeaderSize = 20;
constexpr uint64_t kSectionHeaderSize = 40;
constexpr uint16_t kMaxSections = 96;
constexpr uint16_t kResourceTypeVersion = 16; // RT_VERSION
constexpr uint64_t kNsisHeaderAlign = 512;
constexpr uint64_t kMaxNsisHeaderProbes = 4096; // 2 MB of overlay is looked at, no more
constexpr uint8_t kNsisSignature[] = {0xEF, 0xBE, 0xAD, 0xDE, 'N', 'u', 'l', 'l',
                                      's',  'o',  'f',  't',  'I', 'n', 's', 't'};
constexpr uint64_t kNsisSignatureOffset = 4; // after the header's flags

bool BytesAt(ByteReader file, uint64_t offset, const void* bytes, size_t length) {
    return file.Contains(offset, length) && std::memcmp(file.Data() + offset, bytes, length) == 0;
}

struct Sections {
    bool nsisData = false;
    bool wixBurn = false;
    uint64_t endOfImage = 0; // where the last section's raw data ends: the overlay starts here
};

// Walks the section table; nothing when the bytes are no PE image.
bool ReadSections(ByteReader file, Sections& sections) {
    uint16_t magic = 0;
    uint32_t peOffset = 0, signature = 0;
    uint16_t count = 0, optionalSize = 0;
    if (!file.ReadU16(0, magic) || magic != kDosMagic || !file.ReadU32(kPeOffsetField, peOffset) ||
        !file.ReadU32(peOffset, signature) || signature != kPeSignature || !file.ReadU16(peOffset + 4 + 2, count) ||
        !file.ReadU16(peOffset + 4 + 16, optionalSize))
        return false;
    const uint64_t table = uint64_t{peOffset} + 4 + kFileHeaderSize + optionalSize;
    for (uint16_t i = 0; i < count && i < kMaxSections; ++i) {
        const uint64_t header = table + i * kSectionHeaderSize;
        uint32_t rawSize = 0, rawOffset = 0;
        if (!file.Contains(header, kSectionHeaderSize) || !file.ReadU32(header + 16, rawSize) ||
            !file.ReadU32(header + 20, rawOffset))
            return false;
        char name[9] = {};
        std::memcpy(name, file.Data() + header, 8);
        sections.nsisData = sections.nsisData || std::strcmp(name, ".ndata") == 0;
        sections.wixBurn = sections.wixBurn || std::strcmp(name, ".wixburn") == 0;
        if (rawSize != 0 && uint64_t{rawOffset} + rawSize > sections.endOfImage)
            sections.endOfImage = uint64_t{rawOffset} + rawSize;
    }
    return true;
}

bool HasNsisOverlay(ByteReader file, uint64_t endOfImage) {
    uint64_t block = (endOfImage + kNsisHeaderAlign - 1) / kNsisHeaderAlign * kNsisHeaderAlign;
    for (uint64_t probe = 0; probe < kMaxNsisHeaderProbes && block < file.Size(); ++probe, block += kNsisHeaderAlign) {
        if (BytesAt(file, block + kNsisSignatureOffset, kNsisSignature, sizeof(kNsisSignature)))
            return true;
    }
    return false;
}

// Whether the UTF-16 text occurs anywhere in the bytes, at an even offset.
bool ContainsUtf16(ByteReader bytes, std::u16string_view text) {
    const size_t length = text.size() * 2;
    for (size_t offset = 0; offset + length <= bytes.Size(); offset += 2) {
        bool same = true;
        for (size_t i = 0; i < text.size() && same; ++i) {
            uint16_t unit = 0;
            same = bytes.ReadU16(offset + i * 2, unit) && unit == text[i];
        }
        if (same)
            return true;
    }
    return false;
}

bool VersionSaysInno(ByteReader file) {
    PeResourceReader resources;
    if (!resources.Open(file))
        return false;
    const auto version = resources.FindByPosition(kResourceTypeVersion, 0);
    return version && ContainsUtf16(*version, u"Inno Setup");
}

} // namespace

InstallerKind RecogniseInstallerKind(ByteReader file) {
    Sections sections;
    if (!ReadSections(file, sections))
        return InstallerKind::Unknown;
    // A bundle carries its payloads' own stubs; its section mark decides first.
    if (sections.wixBurn)
        return InstallerKind::WixBundle;
    if (sections.nsisData || HasNsisOverlay(file, sections.endOfImage))
        return InstallerKind::Nsis;
    uint32_t mode = 0;
    if ((file.ReadU32(kInnoModeOffset, mode) && mode == kInnoUninstallerMode) || VersionSaysInno(file))
        return InstallerKind::InnoSetup;
    return InstallerKind::Unknown;
}

std::wstring_view SilentSwitches(InstallerKind kind) {
    switch (kind) {
    case InstallerKind::Nsis:
        return L"/S";
    case InstallerKind::InnoSetup:
        return L"/VERYSILENT /SUPPRESSMSGBOXES /NORESTART";
    case InstallerKind::WixBundle:
        return L"/uninstall /quiet /norestart";
    case InstallerKind::Unknown:
        break;
    }
    return std::wstring_view();
}

} // namespace tsu
