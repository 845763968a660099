#include "PeImageBuilder.h"

#include "icons/core/IconGroupDirectory.h"

#include <algorithm>
#include <cstdlib>

namespace tsu::test {
namespace {
constexpr uint32_t kHighBit = 0x80000000u; // a subdirectory, or a named entry
size_t AlignUp(size_t value, size_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}
} // namespace

void PutU16(Bytes& bytes, size_t offset, uint16_t value) {
    bytes.resize(std::max(bytes.size(), offset + 2));
    bytes[offset] = static_cast<uint8_t>(value);
    bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void PutU32(Bytes& bytes, size_t offset, uint32_t value) {
    PutU16(bytes, offset, static_cast<uint16_t>(value));
    PutU16(bytes, offset + 2, static_cast<uint16_t>(value >> 16));
}

Bytes MakeDibIconImage(int size, uint32_t rgb) {
    Bytes out = {40, 0, 0, 0};
    PutU32(out, 4, static_cast<uint32_t>(size));
    PutU32(out, 8, static_cast<uint32_t>(size * 2)); // colour bitmap and mask
    PutU32(out, 12, 0x200001);                        // one plane, 32 bits
    out.resize(40);
    for (int i = 0; i < size * size; ++i)
        out.insert(out.end(), {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16), 255});
    out.resize(out.size() + static_cast<size_t>(size * ((size + 31) / 32 * 4)), 0); // mask: all drawn
    return out;
}

Bytes MakeIconGroup(const std::vector<GroupImage>& images) {
    Bytes out = {0, 0, 1, 0, uint8_t(images.size()), uint8_t(images.size() >> 8)};
    for (const GroupImage& image : images) {
        const uint8_t dim = image.size >= 256 ? 0 : uint8_t(image.size);
        out.insert(out.end(), {dim, dim, 0, 0, 1, 0, 32, 0});
        PutU32(out, out.size(), image.bytes);
        PutU16(out, out.size(), image.id);
    }
    return out;
}

uint32_t ClosestImageId(ByteReader groupDirectory, int size) {
    IconGroupDirectory group;
    uint32_t best = 0;
    int bestDiff = 1 << 30;
    for (uint16_t i = 0; group.Parse(groupDirectory) && i < group.Count(); ++i) {
        const IconGroupEntry entry = group.Entry(i);
        const int diff = std::abs((entry.width == 0 ? 256 : entry.width) - size);
        best = diff < bestDiff ? entry.id : best;
        bestDiff = std::min(diff, bestDiff);
    }
    return best;
}

PeImageBuilder& PeImageBuilder::AddIconGroup(uint16_t groupId, const std::vector<int>& sizes) {
    std::vector<GroupImage> entries;
    for (int size : sizes) {
        entries.push_back(GroupImage{size, m_nextImageId, static_cast<uint32_t>(MakeDibIconImage(size).size())});
        Add(3, m_nextImageId++, MakeDibIconImage(size, 0x4080C0));
    }
    return Add(14, groupId, MakeIconGroup(entries));
}

Bytes PeImageBuilder::Build() {
    // Section: root, type directories, language directories, data entries, data. Named entries
    // point at no text: the reader never reads one.
    size_t count = 0;
    for (const auto& [type, list] : m_types)
        count += list.size();
    size_t directory = 16 + 8 * m_types.size(), language = directory + 16 * m_types.size() + 8 * count;
    size_t dataEntry = language + 24 * count, data = dataEntry + 16 * count, rootEntry = 16;
    Layout& l = m_layout = Layout();
    l.firstDataEntry = count ? dataEntry : 0;
    const auto put = [](Bytes& to, std::initializer_list<std::pair<size_t, uint32_t>> values) {
        for (const auto& [at, value] : values)
            PutU32(to, at, value);
    };
    Bytes section(16, 0);
    PutU16(section, 14, static_cast<uint16_t>(m_types.size()));
    for (const auto& [type, list] : m_types) {
        l.typeDirectory14 = type == 14 ? directory : l.typeDirectory14;
        const auto named = std::count_if(list.begin(), list.end(), [](const Resource& r) { return r.named; });
        put(section, {{rootEntry, type}, {rootEntry + 4, kHighBit | uint32_t(directory)},
                      {directory + 12, uint32_t(named) | uint32_t(list.size() - named) << 16}});
        rootEntry += 8;
        directory += 16;
        for (const Resource& r : list) { // one language each: en-US
            put(section, {{directory, r.named ? kHighBit : r.id}, {directory + 4, kHighBit | uint32_t(language)},
                          {language + 12, 1u << 16}, {language + 16, 0x409}, {language + 20, uint32_t(dataEntry)},
                          {dataEntry, l.resourceRva + uint32_t(data)}, {dataEntry + 4, uint32_t(r.data.size())}});
            directory += 8;
            language += 24;
            dataEntry += 16;
            section.resize(data); // everything before lies below the data
            section.insert(section.end(), r.data.begin(), r.data.end());
            data = AlignUp(data + r.data.size(), 8);
        }
    }
    section.resize(AlignUp(std::max(section.size(), data), 0x200), 0);
    // DOS header, PE signature, file header, optional header, one section header: what the reader reads.
    const uint16_t optionalSize = m_pe32Plus ? 240 : 224;
    l.sectionTable = l.optionalHeader + optionalSize;
    l.resourceBase = AlignUp(l.sectionTable + 40, 0x200);
    l.resourceEntry = l.optionalHeader + (m_pe32Plus ? 0x80 : 0x70);
    l.typeDirectory14 += l.typeDirectory14 ? l.resourceBase : 0;
    l.firstDataEntry += l.firstDataEntry ? l.resourceBase : 0;
    Bytes image = {'M', 'Z'};
    put(image, {{0x3C, uint32_t(l.peHeader)}, {l.peHeader, 'P' | 'E' << 8},
                {l.peHeader + 4, m_pe32Plus ? 0x8664u : 0x14Cu}, {l.peHeader + 6, 1}, {l.peHeader + 20, optionalSize},
                {l.optionalHeader, m_pe32Plus ? 0x20Bu : 0x10Bu}, {l.optionalHeader + (m_pe32Plus ? 0x6C : 0x5C), 16},
                {l.resourceEntry, l.resourceRva}, {l.resourceEntry + 4, uint32_t(data)},
                {l.sectionTable + 8, uint32_t(data)}, {l.sectionTable + 12, l.resourceRva},
                {l.sectionTable + 16, uint32_t(section.size())}, {l.sectionTable + 20, uint32_t(l.resourceBase)}});
    image.resize(l.resourceBase, 0);
    image.insert(image.end(), section.begin(), section.end());
    return image;
}

} // namespace tsu::test
