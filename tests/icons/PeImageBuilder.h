#pragma once
// Builds small PE images with a resource section in memory, in both optional-header layouts,
// for the icon reader's tests and the fuzzer's seeds. Layout() tells where the parts landed so
// a test can corrupt exactly one of them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tsu::test {

using Bytes = std::vector<uint8_t>;

// A 32-bit icon image (BITMAPINFOHEADER, BGRA rows, AND mask) of one colour; alpha 255 inside
// a one-pixel frame of alpha 0, so the frame is transparent.
[[nodiscard]] Bytes MakeDibIconImage(int size, uint32_t rgb);
// An RT_GROUP_ICON directory naming the images (size 0 means 256) by id.
struct GroupImage {
    int size;
    uint16_t id;
    uint32_t bytes;
};
[[nodiscard]] Bytes MakeIconGroup(const std::vector<GroupImage>& images);
// The start of a PNG stream, enough for anything that looks at the signature.
[[nodiscard]] Bytes MakePngSignatureImage();

void PutU16(Bytes& bytes, size_t offset, uint16_t value);
void PutU32(Bytes& bytes, size_t offset, uint32_t value);
[[nodiscard]] uint32_t GetU32(const Bytes& bytes, size_t offset);

class PeImageBuilder {
public:
    struct Layout {
        size_t peHeader = 0;       // e_lfanew
        size_t optionalHeader = 0; // file position of the optional header
        size_t resourceEntry = 0;  // file position of data directory 2 (RVA, size)
        size_t sectionTable = 0;   // file position of the first section header
        size_t resourceBase = 0;   // file position of the resource root directory
        uint32_t resourceRva = 0;
        size_t typeDirectory14 = 0; // file position of the RT_GROUP_ICON name directory, 0 if none
        size_t firstDataEntry = 0;  // file position of the first data entry
    };

    explicit PeImageBuilder(bool pe32Plus = false) : m_pe32Plus(pe32Plus) {}

    PeImageBuilder& Add(uint16_t type, uint16_t id, Bytes data);
    PeImageBuilder& AddNamed(uint16_t type, const std::u16string& name, Bytes data);
    // An icon group `groupId` with one 32-bit DIB image per size (ids from nextImageId up).
    PeImageBuilder& AddIconGroup(uint16_t groupId, const std::vector<int>& sizes, uint32_t rgb);

    [[nodiscard]] Bytes Build();
    [[nodiscard]] const Layout& GetLayout() const { return m_layout; }

private:
    struct Resource {
        uint16_t type;
        uint16_t id;
        std::u16string name; // non-empty: a named entry
        Bytes data;
    };

    bool m_pe32Plus;
    std::vector<Resource> m_resources;
    uint16_t m_nextImageId = 1;
    Layout m_layout;
};

} // namespace tsu::test
