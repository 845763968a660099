#include "icons/core/PeResourceReader.h"

namespace tsu {

namespace {

constexpr uint16_t kDosMagic = 0x5A4D;             // "MZ"
constexpr uint64_t kDosLfanewOffset = 0x3C;        // e_lfanew
constexpr uint32_t kPeSignature = 0x00004550;      // "PE\0\0"
constexpr uint64_t kFileHeaderOffset = 4;          // after the signature
constexpr uint64_t kSectionCountOffset = 2;        // in the file header
constexpr uint64_t kOptionalHeaderSizeOffset = 16; // in the file header
constexpr uint64_t kOptionalHeaderOffset = 4 + 20; // signature + file header
constexpr uint16_t kOptionalMagicPe32 = 0x10B;
constexpr uint16_t kOptionalMagicPe32Plus = 0x20B;
// The data directories start later in PE32+ because ImageBase and the stack and heap sizes
// are 64-bit there; the resource entry (directory 2) moves from 0x70 to 0x80.
constexpr uint64_t kResourceEntryPe32 = 0x70;
constexpr uint64_t kResourceEntryPe32Plus = 0x80;
constexpr uint64_t kRvaCountPe32 = 0x5C; // NumberOfRvaAndSizes
constexpr uint64_t kRvaCountPe32Plus = 0x6C;
constexpr uint16_t kMinOptionalHeaderPe32 = 224;
constexpr uint16_t kMinOptionalHeaderPe32Plus = 240;
constexpr uint32_t kResourceDirectoryIndex = 2;

constexpr uint64_t kSectionHeaderBytes = 40;
constexpr uint64_t kSectionVirtualSize = 8;
constexpr uint64_t kSectionVirtualAddress = 12;
constexpr uint64_t kSectionRawSize = 16;
constexpr uint64_t kSectionRawPointer = 20;

constexpr uint64_t kDirectoryHeaderBytes = 16;
constexpr uint64_t kDirectoryNamedCount = 12;
constexpr uint64_t kDirectoryIdCount = 14;
constexpr uint64_t kDirectoryEntryBytes = 8;
constexpr uint64_t kDataEntryBytes = 16;
constexpr uint32_t kHighBit = 0x80000000u; // named entry / subdirectory flag

} // namespace

bool PeResourceReader::HasPeSignature(ByteReader file) {
    uint16_t magic = 0;
    uint32_t lfanew = 0;
    if (!file.ReadU16(0, magic) || magic != kDosMagic || !file.ReadU32(kDosLfanewOffset, lfanew))
        return false;
    if (lfanew == 0 || lfanew >= file.Size())
        return false;
    uint32_t signature = 0;
    return file.ReadU32(lfanew, signature) && signature == kPeSignature;
}

bool PeResourceReader::Open(ByteReader file) {
    *this = PeResourceReader();
    uint32_t lfanew = 0;
    if (!HasPeSignature(file) || !file.ReadU32(kDosLfanewOffset, lfanew))
        return false;
    const uint64_t fileHeader = uint64_t{lfanew} + kFileHeaderOffset;
    uint16_t sectionCount = 0;
    uint16_t optionalSize = 0;
    if (!file.ReadU16(fileHeader + kSectionCountOffset, sectionCount) ||
        !file.ReadU16(fileHeader + kOptionalHeaderSizeOffset, optionalSize))
        return false;

    const uint64_t optional = uint64_t{lfanew} + kOptionalHeaderOffset;
    uint16_t optionalMagic = 0;
    if (!file.ReadU16(optional, optionalMagic))
        return false;
    uint64_t resourceEntry = 0;
    uint64_t rvaCountOffset = 0;
    if (optionalMagic == kOptionalMagicPe32 && optionalSize >= kMinOptionalHeaderPe32) {
        resourceEntry = kResourceEntryPe32;
        rvaCountOffset = kRvaCountPe32;
    } else if (optionalMagic == kOptionalMagicPe32Plus && optionalSize >= kMinOptionalHeaderPe32Plus) {
        resourceEntry = kResourceEntryPe32Plus;
        rvaCountOffset = kRvaCountPe32Plus;
        m_pe32Plus = true;
    } else {
        return false;
    }
    // The whole optional header must be in the file: the section table follows it.
    if (!file.Contains(optional, optionalSize))
        return false;
    uint32_t rvaCount = 0;
    uint32_t resourceRva = 0;
    if (!file.ReadU32(optional + rvaCountOffset, rvaCount) || rvaCount <= kResourceDirectoryIndex ||
        !file.ReadU32(optional + resourceEntry, resourceRva) || resourceRva == 0)
        return false;

    m_file = file;
    m_sectionTable = optional + optionalSize;
    m_sectionCount = sectionCount;
    const std::optional<uint64_t> base = RvaToOffset(resourceRva);
    if (!base || !file.Contains(*base, kDirectoryHeaderBytes)) {
        *this = PeResourceReader();
        return false;
    }
    m_resourceBase = *base;
    return true;
}

std::optional<uint64_t> PeResourceReader::RvaToOffset(uint32_t rva) const {
    for (uint32_t i = 0; i < m_sectionCount; ++i) {
        const uint64_t header = m_sectionTable + i * kSectionHeaderBytes;
        uint32_t virtualSize = 0;
        uint32_t virtualAddress = 0;
        uint32_t rawSize = 0;
        uint32_t rawPointer = 0;
        if (!m_file.ReadU32(header + kSectionVirtualSize, virtualSize) ||
            !m_file.ReadU32(header + kSectionVirtualAddress, virtualAddress) ||
            !m_file.ReadU32(header + kSectionRawSize, rawSize) ||
            !m_file.ReadU32(header + kSectionRawPointer, rawPointer))
            return std::nullopt; // the table runs off the end of the file
        const uint64_t size = virtualSize != 0 ? virtualSize : rawSize;
        if (rva >= virtualAddress && uint64_t{rva} < uint64_t{virtualAddress} + size)
            return uint64_t{rawPointer} + (rva - virtualAddress);
    }
    return std::nullopt;
}

std::optional<PeResourceReader::Directory> PeResourceReader::ReadDirectory(uint64_t offset) const {
    const uint64_t position = m_resourceBase + offset;
    uint16_t named = 0;
    uint16_t numbered = 0;
    if (!m_file.ReadU16(position + kDirectoryNamedCount, named) ||
        !m_file.ReadU16(position + kDirectoryIdCount, numbered))
        return std::nullopt;
    Directory directory;
    directory.offset = offset;
    directory.entryCount = uint32_t{named} + numbered;
    // All entries must be in the file before any is read.
    if (!m_file.Contains(position + kDirectoryHeaderBytes, directory.entryCount * kDirectoryEntryBytes))
        return std::nullopt;
    return directory;
}

std::optional<PeResourceReader::Entry> PeResourceReader::ReadEntry(const Directory& directory,
                                                                   uint32_t position) const {
    if (position >= directory.entryCount)
        return std::nullopt;
    const uint64_t at = m_resourceBase + directory.offset + kDirectoryHeaderBytes + position * kDirectoryEntryBytes;
    Entry entry;
    if (!m_file.ReadU32(at, entry.name) || !m_file.ReadU32(at + 4, entry.target))
        return std::nullopt;
    return entry;
}

std::optional<PeResourceReader::Directory> PeResourceReader::TypeDirectory(uint16_t type) const {
    if (m_file.Size() == 0)
        return std::nullopt;
    const std::optional<Directory> root = ReadDirectory(0);
    if (!root)
        return std::nullopt;
    for (uint32_t i = 0; i < root->entryCount; ++i) {
        const std::optional<Entry> entry = ReadEntry(*root, i);
        if (!entry)
            return std::nullopt;
        if ((entry->name & kHighBit) == 0 && entry->name == type) {
            if ((entry->target & kHighBit) == 0)
                return std::nullopt; // a type must be a directory of names
            return ReadDirectory(entry->target & ~kHighBit);
        }
    }
    return std::nullopt;
}

// A name entry leads either to a language directory, whose first entry must then be data, or
// straight to data. Exactly these two levels are followed, so a subdirectory offset that points
// back up the tree cannot make the walk go round in circles.
std::optional<ByteReader> PeResourceReader::ResolveNameEntry(const Entry& nameEntry) const {
    uint32_t dataOffset = nameEntry.target;
    if (dataOffset & kHighBit) {
        const std::optional<Directory> languages = ReadDirectory(dataOffset & ~kHighBit);
        if (!languages)
            return std::nullopt;
        const std::optional<Entry> first = ReadEntry(*languages, 0);
        if (!first || (first->target & kHighBit))
            return std::nullopt;
        dataOffset = first->target;
    }
    uint32_t dataRva = 0;
    uint32_t dataSize = 0;
    const uint64_t at = m_resourceBase + dataOffset;
    if (!m_file.Contains(at, kDataEntryBytes) || !m_file.ReadU32(at, dataRva) || !m_file.ReadU32(at + 4, dataSize))
        return std::nullopt;
    const std::optional<uint64_t> dataPosition = RvaToOffset(dataRva);
    if (!dataPosition)
        return std::nullopt;
    return m_file.Sub(*dataPosition, dataSize);
}

uint32_t PeResourceReader::CountEntries(uint16_t type) const {
    const std::optional<Directory> names = TypeDirectory(type);
    return names ? names->entryCount : 0;
}

std::optional<ByteReader> PeResourceReader::FindByPosition(uint16_t type, uint32_t position) const {
    const std::optional<Directory> names = TypeDirectory(type);
    if (!names)
        return std::nullopt;
    const std::optional<Entry> entry = ReadEntry(*names, position);
    if (!entry)
        return std::nullopt;
    return ResolveNameEntry(*entry);
}

std::optional<ByteReader> PeResourceReader::FindById(uint16_t type, uint32_t id) const {
    const std::optional<Directory> names = TypeDirectory(type);
    if (!names || (id & kHighBit))
        return std::nullopt;
    for (uint32_t i = 0; i < names->entryCount; ++i) {
        const std::optional<Entry> entry = ReadEntry(*names, i);
        if (!entry)
            return std::nullopt;
        if ((entry->name & kHighBit) == 0 && entry->name == id)
            return ResolveNameEntry(*entry);
    }
    return std::nullopt;
}

} // namespace tsu
