#include "PeImageBuilder.h"

#include <algorithm>
#include <map>

namespace tsu::test {

namespace {
constexpr uint32_t kSectionRva = 0x1000;
constexpr size_t kFileAlignment = 0x200;
constexpr uint16_t kLanguageEnglishUs = 0x409;

size_t AlignUp(size_t value, size_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}
} // namespace

void PutU16(Bytes& bytes, size_t offset, uint16_t value) {
    if (bytes.size() < offset + 2)
        bytes.resize(offset + 2);
    bytes[offset] = static_cast<uint8_t>(value);
    bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void PutU32(Bytes& bytes, size_t offset, uint32_t value) {
    PutU16(bytes, offset, static_cast<uint16_t>(value));
    PutU16(bytes, offset + 2, static_cast<uint16_t>(value >> 16));
}

uint32_t GetU32(const Bytes& bytes, size_t offset) {
    return static_cast<uint32_t>(bytes.at(offset)) | (static_cast<uint32_t>(bytes.at(offset + 1)) << 8) |
           (static_cast<uint32_t>(bytes.at(offset + 2)) << 16) | (static_cast<uint32_t>(bytes.at(offset + 3)) << 24);
}

Bytes MakeDibIconImage(int size, uint32_t rgb) {
    Bytes out;
    const size_t maskStride = ((size + 31) / 32) * 4;
    PutU32(out, 0, 40);
    PutU32(out, 4, static_cast<uint32_t>(size));
    PutU32(out, 8, static_cast<uint32_t>(size * 2));
    PutU16(out, 12, 1);
    PutU16(out, 14, 32);
    out.resize(40);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const bool frame = x == 0 || y == 0 || x == size - 1 || y == size - 1;
            out.push_back(static_cast<uint8_t>(rgb));
            out.push_back(static_cast<uint8_t>(rgb >> 8));
            out.push_back(static_cast<uint8_t>(rgb >> 16));
            out.push_back(frame ? 0 : 255);
        }
    }
    for (int y = 0; y < size; ++y) {
        Bytes row(maskStride, 0);
        for (int x = 0; x < size; ++x) {
            if (x == 0 || y == 0 || x == size - 1 || y == size - 1)
                row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

Bytes MakeIconGroup(const std::vector<GroupImage>& images) {
    Bytes out;
    PutU16(out, 0, 0);
    PutU16(out, 2, 1);
    PutU16(out, 4, static_cast<uint16_t>(images.size()));
    size_t at = 6;
    for (const GroupImage& image : images) {
        out.resize(at + 14);
        const uint8_t dim = image.size >= 256 ? 0 : static_cast<uint8_t>(image.size);
        out[at] = dim;
        out[at + 1] = dim;
        PutU16(out, at + 4, 1);
        PutU16(out, at + 6, 32);
        PutU32(out, at + 8, image.bytes);
        PutU16(out, at + 12, image.id);
        at += 14;
    }
    return out;
}

Bytes MakePngSignatureImage() {
    return Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 1, 0, 0, 0, 1, 0};
}

PeImageBuilder& PeImageBuilder::Add(uint16_t type, uint16_t id, Bytes data) {
    m_resources.push_back(Resource{type, id, {}, std::move(data)});
    return *this;
}

PeImageBuilder& PeImageBuilder::AddNamed(uint16_t type, const std::u16string& name, Bytes data) {
    m_resources.push_back(Resource{type, 0, name, std::move(data)});
    return *this;
}

PeImageBuilder& PeImageBuilder::AddIconGroup(uint16_t groupId, const std::vector<int>& sizes, uint32_t rgb) {
    std::vector<GroupImage> entries;
    for (int size : sizes) {
        Bytes image = MakeDibIconImage(size, rgb);
        entries.push_back(GroupImage{size, m_nextImageId, static_cast<uint32_t>(image.size())});
        Add(3, m_nextImageId++, std::move(image));
    }
    return Add(14, groupId, MakeIconGroup(entries));
}

Bytes PeImageBuilder::Build() {
    m_layout = Layout();
    // Resources grouped by type; within a type named entries first (by name), then ids ascending,
    // as a linker writes them.
    std::map<uint16_t, std::vector<const Resource*>> types;
    for (const Resource& resource : m_resources)
        types[resource.type].push_back(&resource);
    for (auto& [type, list] : types) {
        std::stable_sort(list.begin(), list.end(), [](const Resource* a, const Resource* b) {
            if (a->name.empty() != b->name.empty())
                return !a->name.empty();
            return a->name.empty() ? a->id < b->id : a->name < b->name;
        });
    }

    // Section layout: directories, language directories, data entries, names, data.
    size_t directoriesSize = 16 + 8 * types.size();
    for (const auto& [type, list] : types)
        directoriesSize += 16 + 8 * list.size();
    const size_t languagesStart = directoriesSize;
    const size_t dataEntriesStart = languagesStart + 24 * m_resources.size();
    size_t namesSize = 0;
    for (const Resource& resource : m_resources)
        namesSize += resource.name.empty() ? 0 : AlignUp(2 + 2 * resource.name.size(), 4);
    const size_t namesStart = dataEntriesStart + 16 * m_resources.size();
    size_t dataStart = AlignUp(namesStart + namesSize, 8);

    Bytes section;
    size_t nextType = 16 + 8 * types.size();
    size_t nextLanguage = languagesStart;
    size_t nextDataEntry = dataEntriesStart;
    size_t nextName = namesStart;
    size_t nextData = dataStart;
    PutU16(section, 14, static_cast<uint16_t>(types.size()));
    size_t rootEntry = 16;
    for (const auto& [type, list] : types) {
        PutU32(section, rootEntry, type);
        PutU32(section, rootEntry + 4, 0x80000000u | static_cast<uint32_t>(nextType));
        rootEntry += 8;
        if (type == 14)
            m_layout.typeDirectory14 = nextType; // made absolute below
        const uint16_t named = static_cast<uint16_t>(
            std::count_if(list.begin(), list.end(), [](const Resource* r) { return !r->name.empty(); }));
        PutU16(section, nextType + 12, named);
        PutU16(section, nextType + 14, static_cast<uint16_t>(list.size() - named));
        size_t nameEntry = nextType + 16;
        for (const Resource* resource : list) {
            if (resource->name.empty()) {
                PutU32(section, nameEntry, resource->id);
            } else {
                PutU32(section, nameEntry, 0x80000000u | static_cast<uint32_t>(nextName));
                PutU16(section, nextName, static_cast<uint16_t>(resource->name.size()));
                for (size_t c = 0; c < resource->name.size(); ++c)
                    PutU16(section, nextName + 2 + 2 * c, static_cast<uint16_t>(resource->name[c]));
                nextName += AlignUp(2 + 2 * resource->name.size(), 4);
            }
            PutU32(section, nameEntry + 4, 0x80000000u | static_cast<uint32_t>(nextLanguage));
            nameEntry += 8;
            // Language directory with one numbered entry.
            PutU16(section, nextLanguage + 14, 1);
            PutU32(section, nextLanguage + 16, kLanguageEnglishUs);
            PutU32(section, nextLanguage + 20, static_cast<uint32_t>(nextDataEntry));
            nextLanguage += 24;
            PutU32(section, nextDataEntry, kSectionRva + static_cast<uint32_t>(nextData));
            PutU32(section, nextDataEntry + 4, static_cast<uint32_t>(resource->data.size()));
            nextDataEntry += 16;
            if (section.size() < nextData + resource->data.size())
                section.resize(nextData + resource->data.size());
            std::copy(resource->data.begin(), resource->data.end(), section.begin() + nextData);
            nextData = AlignUp(nextData + resource->data.size(), 8);
        }
        nextType = nameEntry;
    }
    section.resize(std::max(section.size(), nextData));
    if (section.size() < 16)
        section.resize(16);

    // Headers: DOS stub header, PE signature, file header, optional header, one section header.
    const size_t peHeader = 0x40;
    const size_t optionalSize = m_pe32Plus ? 240 : 224;
    const size_t optional = peHeader + 24;
    const size_t sectionTable = optional + optionalSize;
    const size_t rawPointer = AlignUp(sectionTable + 40, kFileAlignment);
    Bytes image(rawPointer, 0);
    image[0] = 'M';
    image[1] = 'Z';
    PutU32(image, 0x3C, static_cast<uint32_t>(peHeader));
    image[peHeader] = 'P';
    image[peHeader + 1] = 'E';
    PutU16(image, peHeader + 4, m_pe32Plus ? 0x8664 : 0x14C);
    PutU16(image, peHeader + 6, 1);
    PutU16(image, peHeader + 20, static_cast<uint16_t>(optionalSize));
    PutU16(image, peHeader + 22, 0x2102); // executable, 32-bit words, DLL
    PutU16(image, optional, m_pe32Plus ? 0x20B : 0x10B);
    PutU32(image, optional + 32, 0x1000);         // SectionAlignment
    PutU32(image, optional + 36, kFileAlignment); // FileAlignment
    PutU32(image, optional + 56, static_cast<uint32_t>(kSectionRva + AlignUp(section.size(), 0x1000))); // SizeOfImage
    PutU32(image, optional + 60, static_cast<uint32_t>(rawPointer));                                    // SizeOfHeaders
    PutU16(image, optional + 68, 2); // subsystem: GUI
    const size_t rvaCount = m_pe32Plus ? 0x6C : 0x5C;
    const size_t resourceEntry = optional + (m_pe32Plus ? 0x80 : 0x70);
    PutU32(image, optional + rvaCount, 16);
    PutU32(image, resourceEntry, kSectionRva);
    PutU32(image, resourceEntry + 4, static_cast<uint32_t>(section.size()));
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    std::copy(name, name + 8, image.begin() + sectionTable);
    const size_t rawSize = AlignUp(section.size(), kFileAlignment);
    PutU32(image, sectionTable + 8, static_cast<uint32_t>(section.size()));
    PutU32(image, sectionTable + 12, kSectionRva);
    PutU32(image, sectionTable + 16, static_cast<uint32_t>(rawSize));
    PutU32(image, sectionTable + 20, static_cast<uint32_t>(rawPointer));
    PutU32(image, sectionTable + 36, 0x40000040u); // initialised data, readable
    section.resize(rawSize, 0);
    image.insert(image.end(), section.begin(), section.end());

    m_layout.peHeader = peHeader;
    m_layout.optionalHeader = optional;
    m_layout.resourceEntry = resourceEntry;
    m_layout.sectionTable = sectionTable;
    m_layout.resourceBase = rawPointer;
    m_layout.resourceRva = kSectionRva;
    if (m_layout.typeDirectory14 != 0)
        m_layout.typeDirectory14 += rawPointer;
    m_layout.firstDataEntry = m_resources.empty() ? 0 : rawPointer + dataEntriesStart;
    return image;
}

} // namespace tsu::test
