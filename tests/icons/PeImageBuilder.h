#pragma once
// Small PE images with a resource section, in both optional-header layouts. GetLayout() tells
// where the parts landed so a test can corrupt one of them.
#include "icons/core/ByteReader.h"

#include <cstdint>
#include <map>
#include <vector>

namespace tsu::test {

using Bytes = std::vector<uint8_t>;

[[nodiscard]] Bytes MakeDibIconImage(int size, uint32_t rgb = 0); // opaque, 32-bit, one colour
struct GroupImage {
    int size; // 256 is stored as 0
    uint16_t id;
    uint32_t bytes;
};
[[nodiscard]] Bytes MakeIconGroup(const std::vector<GroupImage>& images);
inline const Bytes kPngSignatureImage = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13,
                                         'I',  'H', 'D', 'R', 0,    0,    1,    0,    0, 0, 1,  0};
// Id of the entry closest in width to `size` (roughly the platform's pick); 0 when it does not parse.
[[nodiscard]] uint32_t ClosestImageId(ByteReader groupDirectory, int size);
void PutU16(Bytes& bytes, size_t offset, uint16_t value);
void PutU32(Bytes& bytes, size_t offset, uint32_t value);

class PeImageBuilder {
public:
    struct Layout { // file positions
        size_t peHeader = 0x40, optionalHeader = 0x58, resourceEntry = 0, sectionTable = 0, resourceBase = 0;
        uint32_t resourceRva = 0x1000;
        size_t typeDirectory14 = 0, firstDataEntry = 0;
    };
    explicit PeImageBuilder(bool pe32Plus = false) : m_pe32Plus(pe32Plus) {}
    // Types are stored ascending, a type's entries in the order added (named ones first is the caller's part).
    PeImageBuilder& Add(uint16_t type, uint16_t id, Bytes data, bool named = false) {
        m_types[type].push_back(Resource{id, named, std::move(data)});
        return *this;
    }
    PeImageBuilder& AddIconGroup(uint16_t groupId, const std::vector<int>& sizes); // image ids count up from 1
    [[nodiscard]] Bytes Build();
    [[nodiscard]] const Layout& GetLayout() const { return m_layout; }

private:
    struct Resource {
        uint16_t id;
        bool named;
        Bytes data;
    };
    bool m_pe32Plus;
    std::map<uint16_t, std::vector<Resource>> m_types;
    uint16_t m_nextImageId = 1;
    Layout m_layout;
};

} // namespace tsu::test
