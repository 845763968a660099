#include "PeImageBuilder.h"
#include "icons/core/IconGroupDirectory.h"
#include "icons/core/IconImageRules.h"

#include <gtest/gtest.h>

#include <functional>

namespace tsu {
namespace {

using test::Bytes;
using test::PutU16;
using test::PutU32;

ByteReader View(const Bytes& bytes) {
    return ByteReader(bytes.data(), bytes.size());
}

// A DIB icon image with the given header fields and exactly the bytes the header asks for.
Bytes DibImage(int width, int storedHeight, uint16_t bits, uint32_t compression = 0, uint32_t coloursUsed = 0) {
    Bytes out(40, 0);
    PutU32(out, 0, 40);
    PutU32(out, 4, static_cast<uint32_t>(width));
    PutU32(out, 8, static_cast<uint32_t>(storedHeight));
    PutU16(out, 12, 1);
    PutU16(out, 14, bits);
    PutU32(out, 16, compression);
    PutU32(out, 32, coloursUsed);
    const size_t masks = compression == 3 ? 3 : 0;
    size_t colours = std::min<uint32_t>(coloursUsed, 256);
    if (colours == 0 && bits <= 8)
        colours = size_t{1} << bits;
    const size_t rows = static_cast<size_t>(storedHeight > 0 ? storedHeight / 2 : 0);
    const size_t w = static_cast<size_t>(width > 0 ? width : 0);
    const size_t colourBytes = ((w * bits + 31) / 32) * 4 * rows;
    const size_t maskBytes = ((w + 31) / 32) * 4 * rows;
    const size_t total = 40 + (masks + colours) * 4 + colourBytes + maskBytes;
    // Headers that promise absurd sizes get a few bytes only: the check must not need them.
    constexpr size_t kLargestBuilt = 1 << 20;
    out.resize(total <= kLargestBuilt ? total : 64, 0x5A);
    return out;
}

Bytes CoreImage(uint16_t width, uint16_t storedHeight, uint16_t bits) {
    Bytes out(12, 0);
    PutU32(out, 0, 12);
    PutU16(out, 4, width);
    PutU16(out, 6, storedHeight);
    PutU16(out, 8, 1);
    PutU16(out, 10, bits);
    const size_t palette = bits <= 8 ? (size_t{1} << bits) * 3 : 0;
    const size_t rows = storedHeight / 2;
    out.resize(12 + palette + ((size_t{width} * bits + 31) / 32) * 4 * rows + ((width + 31) / 32) * 4 * rows);
    return out;
}

Bytes WithoutLastByte(Bytes bytes) {
    bytes.pop_back();
    return bytes;
}

struct ImageCase {
    const char* label;
    Bytes image;
    IconImageFormat format;
    bool complete;
};

class IconImageTest : public ::testing::TestWithParam<ImageCase> {};

TEST_P(IconImageTest, ClassifiesAndChecksTheImage) {
    EXPECT_EQ(ClassifyIconImage(View(GetParam().image)), GetParam().format) << GetParam().label;
    EXPECT_EQ(IsCompleteDibIconImage(View(GetParam().image)), GetParam().complete) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    Images, IconImageTest,
    ::testing::Values(
        ImageCase{"32-bit 32x32", test::MakeDibIconImage(32, 0x112233), IconImageFormat::Dib, true},
        ImageCase{"32-bit short by one byte", WithoutLastByte(test::MakeDibIconImage(32, 0x112233)),
                  IconImageFormat::Dib, false},
        ImageCase{"4-bit with palette", DibImage(16, 32, 4), IconImageFormat::Dib, true},
        ImageCase{"4-bit short palette", WithoutLastByte(DibImage(16, 32, 4)), IconImageFormat::Dib, false},
        ImageCase{"8-bit, 300 colours used (read as 256)", DibImage(16, 32, 8, 0, 300), IconImageFormat::Dib, true},
        ImageCase{"24-bit with 16-entry table", DibImage(48, 96, 24, 0, 16), IconImageFormat::Dib, true},
        ImageCase{"16-bit bitfields", DibImage(16, 32, 16, 3), IconImageFormat::Dib, true},
        ImageCase{"8-bit bitfields", DibImage(16, 32, 8, 3), IconImageFormat::Dib, false},
        ImageCase{"RLE8", DibImage(16, 32, 8, 1), IconImageFormat::Dib, false},
        ImageCase{"2 bits per pixel", DibImage(16, 32, 2), IconImageFormat::Dib, false},
        ImageCase{"width 0", DibImage(0, 32, 32), IconImageFormat::Dib, false},
        ImageCase{"height 0", DibImage(16, 0, 32), IconImageFormat::Dib, false},
        ImageCase{"negative height", DibImage(16, -32, 32), IconImageFormat::Dib, false},
        ImageCase{"huge width", DibImage(0x7FFFFFFF, 2, 1), IconImageFormat::Dib, false},
        ImageCase{"core header 8-bit", CoreImage(32, 64, 8), IconImageFormat::Dib, true},
        ImageCase{"core header 32-bit", CoreImage(32, 64, 32), IconImageFormat::Dib, false},
        ImageCase{"core header short", WithoutLastByte(CoreImage(32, 64, 8)), IconImageFormat::Dib, false},
        ImageCase{"png", test::MakePngSignatureImage(), IconImageFormat::Png, false},
        ImageCase{"V5 header", Bytes{124, 0, 0, 0}, IconImageFormat::Unknown, false},
        ImageCase{"three bytes", Bytes{40, 0, 0}, IconImageFormat::Unknown, false},
        ImageCase{"empty", Bytes{}, IconImageFormat::Unknown, false}));

TEST(IconGroupDirectoryTest, ReadsEntriesOfAValidGroup) {
    const Bytes bytes = test::MakeIconGroup({{16, 5, 1128}, {256, 9, 70000}});
    IconGroupDirectory group;
    ASSERT_TRUE(group.Parse(View(bytes)));
    ASSERT_EQ(group.Count(), 2);
    EXPECT_EQ(group.Entry(0).width, 16);
    EXPECT_EQ(group.Entry(0).id, 5);
    EXPECT_EQ(group.Entry(1).width, 0);
    EXPECT_EQ(group.Entry(1).bytesInRes, 70000u);
    EXPECT_EQ(group.Entry(1).id, 9);
    EXPECT_EQ(group.Entry(2).id, 0); // past the end: an empty entry, not a read
    EXPECT_EQ(group.Bytes().Size(), 6u + 2 * 14u);
}

TEST(IconGroupDirectoryTest, RejectsMalformedGroups) {
    const Bytes good = test::MakeIconGroup({{16, 5, 1128}, {32, 6, 4264}});
    const std::vector<std::pair<const char*, std::function<void(Bytes&)>>> changes = {
        {"zero size", [](Bytes& b) { b.clear(); }},
        {"header only cut", [](Bytes& b) { b.resize(5); }},
        {"reserved not 0", [](Bytes& b) { PutU16(b, 0, 1); }},
        {"cursor group", [](Bytes& b) { PutU16(b, 2, 2); }},
        {"count 0", [](Bytes& b) { PutU16(b, 4, 0); }},
        {"count beyond the data", [](Bytes& b) { PutU16(b, 4, 3); }},
        {"last entry cut", [](Bytes& b) { b.pop_back(); }},
    };
    for (const auto& [label, change] : changes) {
        Bytes bytes = good;
        change(bytes);
        IconGroupDirectory group;
        EXPECT_FALSE(group.Parse(View(bytes))) << label;
        EXPECT_EQ(group.Count(), 0) << label;
    }
}

} // namespace
} // namespace tsu
