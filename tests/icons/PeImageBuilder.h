#pragma once
// Small PE images with a resource section, in both optional-header layouts, for the icon reader's
// tests. GetLayout() tells where the parts landed so a test can corrupt one of them.

#include "icons/core/ByteReader.h"

#include <cstdint>
#include <map>
#include <vector>

namespace tsu::test {

using Bytes = std::vector<uint8_t>;

// An opaque 32-bit icon image of one colour.
[[nodiscard]] Bytes MakeDibIconImage(int size, uint32_t rgb = 0);
struct GroupImage {
    int size; // 256 is stored as 0
    uint16_t id;
    uint32_t bytes;
};
[[nodiscard]] Bytes MakeIconGroup(const std::vector<GroupImage>& images);
// The start of a PNG stream, enough for anything that looks at the signature.
[[nodiscard]] Bytes MakePngSignatureImage();
// Id of the entry closest in width to `size`, as the platform's look-up roughly picks; 0 when
// the directory does not parse.
[[nodiscard]] uint32_t ClosestImageId(ByteReader groupDirectory, int size);

void PutU16(Bytes& bytes, size_t offset, uint16_t value);
void PutU32(Bytes& bytes, size_t offset, uint32_t value);
[[nodiscard]] uint32_t GetU32(const Bytes& bytes, size_t offset);

class PeImageBuilder {
public:
    struct Layout { // file positions
        size_t peHeader = 0x40;
        size_t optionalHeader = 0x58;
        size_t resourceEntry = 0; // data directory 2 (RVA, size)
        size_t sectionTable = 0;
        size_t resourceBase = 0; // resource root directory
        uint32_t resourceRva = 0x1000;
        size_t typeDirectory14 = 0; // RT_GROUP_ICON name directory
        size_t firstDataEntry = 0;
    };

    explicit PeImageBuilder(bool pe32Plus = false) : m_pe32Plus(pe32Plus) {}
    // Types are stored ascending, the entries of a type in the order added (named ones first, as
    // a linker writes them, is the caller's part).
    PeImageBuilder& Add(uint16_t type, uint16_t id, Bytes data, bool named = false);
    // Group `groupId` with one image per size (image ids counting up from 1).
    PeImageBuilder& AddIconGroup(uint16_t groupId, const std::vector<int>& sizes);
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
