#include "PeImageBuilder.h"
#include "icons/core/IconFileRules.h"
#include "icons/core/IconGroupDirectory.h"
#include "icons/core/IconImageRules.h"
#include "icons/core/PeIconWalk.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <map>
#include <numeric>

namespace tsu {
namespace {

using namespace test;

ByteReader View(const Bytes& bytes) {
    return ByteReader(bytes.data(), bytes.size());
}

// Over a source every range is asked for first, at its place in the whole view; a refusal fails the read.
TEST(ByteReaderTest, ASourceIsAskedForEveryRangeBeforeItIsRead) {
    const Bytes bytes = {1, 2, 3, 4};
    struct Asked : ByteSource {
        std::vector<std::pair<uint64_t, uint64_t>> ranges;
        bool Load(uint64_t offset, uint64_t length) override { return ranges.emplace_back(offset, length).first != 2; }
    } source;
    const ByteReader sourced(bytes.data(), bytes.size(), &source);
    uint8_t u8 = 0;
    uint16_t u16 = 0;
    EXPECT_TRUE(sourced.ReadU16(0, u16) && sourced.Sub(1, 3)->ReadU8(2, u8) && !sourced.Sub(1, 3)->ReadU8(1, u8));
    EXPECT_EQ(u16, 0x0201);
    EXPECT_EQ(source.ranges, (std::vector<std::pair<uint64_t, uint64_t>>{{0, 2}, {1, 3}, {3, 1}, {1, 3}, {2, 1}}));
}

TEST(IconFileRulesTest, ClassifiesTheTextFromTheLastDot) {
    const std::pair<const wchar_t*, int> cases[] = {
        {L"a.com", kExtensionCom}, {L"RUN.BAT", kExtensionBat}, {L"x.Cmd", kExtensionCmd}, {L"old.PIF", kExtensionPif},
        {L"a.ico", kExtensionIco}, {L"a.lnk.exe", kExtensionExe}, {L"a.exe.LNK", kExtensionLnk},
        {L"noextension", kExtensionOther}, {L"", kExtensionOther}, {L"a.comx", kExtensionOther},
        // The dot of a folder name counts when the file itself has none.
        {L"C:\\dir.bat\\file", kExtensionOther}, {L"C:\\v1.2\\.lnk", kExtensionLnk}};
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(ClassifyExtension(name), expected) << name;
    for (int c = kExtensionOther; c <= kExtensionExe; ++c)
        EXPECT_EQ(IsRefusedExtensionClass(c), c >= kExtensionCom && c <= kExtensionLnk) << c;
}

TEST(IconFileRulesTest, ReadsTheKindFromTwelveBytes) {
    using K = IconFileKind;
    const std::pair<Bytes, IconFileKind> cases[] = {
        {{'M', 'Z', 0x90, 0, 3, 0, 0, 0, 4, 0, 0, 0}, K::PeImage}, {{'B', 'M', 0x36, 0x0C, 0, 0, 0, 0, 0, 0, 0x36, 0}, K::Bitmap},
        {{0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0}, K::IconFile}, {{0, 0, 2, 0, 1, 0, 32, 32, 0, 0, 16, 0}, K::IconFile},
        {{0, 0, 0, 0, 1, 0, 16, 16, 0, 0, 1, 0}, K::Unknown},
        {{'R', 'I', 'F', 'F', 0x10, 0, 0, 0, 'A', 'C', 'O', 'N'}, K::AnimatedCursor},
        {{'R', 'I', 'F', 'F', 0x10, 0, 0, 0, 'W', 'A', 'V', 'E'}, K::Unknown},
        {{'M', 'Z', 0, 0, 0, 0, 0, 0, 0, 0, 0}, K::Unknown}, {{}, K::Unknown}};
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ClassifyFileHeader(View(cases[i].first)), cases[i].second) << "case " << i;
}

Bytes BitmapHead(uint32_t infoSize, int32_t width, int32_t height, char magic = 'B', size_t cut = 0) {
    Bytes head = {static_cast<uint8_t>(magic), 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0};
    for (uint32_t v : {infoSize, static_cast<uint32_t>(width), static_cast<uint32_t>(height)})
        PutU32(head, head.size(), v);
    head.resize(head.size() - cut);
    return head;
}

TEST(IconFileRulesTest, BitmapOfZeroWidthOrHeightHasNoPicture) {
    const std::pair<Bytes, bool> cases[] = {
        {BitmapHead(40, 32, -32), true}, {BitmapHead(40, 32, 0), false}, {BitmapHead(40, 0, 32), false},
        {BitmapHead(12, 0x00200020, 0), true}, {BitmapHead(12, 0x00000020, 0), false}, // 16-bit core sizes
        {BitmapHead(40, 32, 32, 'B', 1), false}, {BitmapHead(40, 32, 32, 'X'), false}};
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(BitmapFileHasPixels(View(cases[i].first)), cases[i].second) << "case " << i;
}

TEST(IconFileRulesTest, ExpandsOrLeavesTheTextAlone) {
    const std::wstring kLong255 = std::wstring(255, L'x'), kLiteral250 = std::wstring(250, L'a');
    const std::map<std::wstring, std::wstring> variables = {{L"WINDIR", L"C:\\windows"},
        {L"LONG255", kLong255}, {L"LONG256", kLong255 + L"x"}};
    const auto lookup = [&](const std::wstring& name) {
        const auto found = variables.find(name);
        return found == variables.end() ? std::nullopt : std::optional<std::wstring>(found->second);
    };
    const std::tuple<std::wstring, std::wstring, int> cases[] = {
        {L"%WINDIR%\\system32\\shell32.dll", L"C:\\windows\\system32\\shell32.dll", kExpandDone},
        {L"C:\\p\\a.ico", L"C:\\p\\a.ico", kExpandUnchanged},
        {L"C:\\dir\\%NOT_SET_ANYWHERE%app.ico", L"C:\\dir\\app.ico", kExpandDone}, // an unset reference goes
        {L"%%C:\\a.ico", L"C:\\a.ico", kExpandDone},
        // A "%" without its partner leaves the whole text as it was, even the part already expanded.
        {L"%WINDIR%\\a%b.ico", L"%WINDIR%\\a%b.ico", kExpandUnchanged},
        // Nothing left: the text stays, the expansion still counts as done.
        {L"%NOT_SET_ANYWHERE%", L"%NOT_SET_ANYWHERE%", kExpandDone},
        // 259 characters fit the 260-character buffer with its terminator; 260 do not.
        {L"%LONG255%\\abc", kLong255 + L"\\abc", kExpandDone},
        {L"%LONG256%\\abc", L"%LONG256%\\abc", kExpandTooLong},
        {kLiteral250 + L"%WINDIR%", kLiteral250 + L"%WINDIR%", kExpandTooLong}};
    for (const auto& [input, expected, result] : cases) {
        std::wstring text = input;
        EXPECT_EQ(ExpandEnvironmentText(text, lookup), result) << input;
        EXPECT_EQ(text, expected);
    }
    std::wstring text = L"%WINDIR%\\a.ico"; // without a lookup every reference disappears
    EXPECT_TRUE(ExpandEnvironmentText(text, nullptr) == kExpandDone && text == L"\\a.ico");
}

// A DIB icon image with these header fields and exactly the bytes the header asks for, less `cut`.
Bytes DibImage(int width, int storedHeight, uint16_t bits, uint32_t compression = 0, uint32_t used = 0,
               size_t cut = 0) {
    Bytes out(40, 0);
    for (const auto& [at, value] : {std::pair<size_t, uint32_t>{0, 40}, {4, width}, {8, storedHeight}, {12, 1},
                                    {14, bits}, {16, compression}, {32, used}})
        at == 12 || at == 14 ? PutU16(out, at, static_cast<uint16_t>(value)) : PutU32(out, at, value);
    const size_t colours = used ? std::min<size_t>(used, 256) : bits <= 8 ? size_t{1} << bits : 0;
    const size_t rows = storedHeight > 0 ? storedHeight / 2 : 0, w = width > 0 ? width : 0;
    const size_t total = 40 + ((compression == 3 ? 3 : 0) + colours) * 4 + ((w * bits + 31) / 32) * 4 * rows +
                         ((w + 31) / 32) * 4 * rows;
    // Headers that promise absurd sizes get a few bytes only: the check must not need them.
    out.resize(total <= (1 << 20) ? total - cut : 64, 0x5A);
    return out;
}

Bytes CoreImage(uint16_t width, uint16_t storedHeight, uint16_t bits, size_t cut = 0) {
    Bytes out = {12, 0, 0, 0};
    PutU32(out, 4, width | storedHeight << 16);
    PutU32(out, 8, 1 | bits << 16);
    const size_t palette = bits <= 8 ? (size_t{1} << bits) * 3 : 0, rows = storedHeight / 2;
    out.resize(12 + palette + ((size_t{width} * bits + 31) / 32) * 4 * rows + ((width + 31) / 32) * 4 * rows - cut);
    return out;
}

TEST(IconImageRulesTest, ClassifiesAndChecksTheImage) {
    const Bytes dib = MakeDibIconImage(32);
    struct Case {
        const char* label;
        Bytes image;
        bool complete;
        IconImageFormat format = IconImageFormat::Dib;
    };
    const Case cases[] = {
        {"32-bit 32x32", dib, true}, {"32-bit short by one byte", Bytes(dib.begin(), dib.end() - 1), false},
        {"header cut short", Bytes(dib.begin(), dib.begin() + 30), false},
        {"4-bit short palette", DibImage(16, 32, 4, 0, 0, 1), false},
        {"8-bit, 300 colours used (read as 256)", DibImage(16, 32, 8, 0, 300), true},
        {"24-bit with 16-entry table", DibImage(48, 96, 24, 0, 16), true},
        {"16-bit bitfields", DibImage(16, 32, 16, 3), true}, {"8-bit bitfields", DibImage(16, 32, 8, 3), false},
        {"RLE8", DibImage(16, 32, 8, 1), false}, {"2 bits per pixel", DibImage(16, 32, 2), false},
        {"width 0", DibImage(0, 32, 32), false}, {"negative height", DibImage(16, -32, 32), false},
        {"huge width", DibImage(0x7FFFFFFF, 2, 1), false}, {"core header 32-bit", CoreImage(32, 64, 32), false},
        {"core header 8-bit", CoreImage(32, 64, 8), true}, {"core header short", CoreImage(32, 64, 8, 1), false},
        {"png", kPngSignatureImage, false, IconImageFormat::Png},
        {"V5 header", Bytes{124, 0, 0, 0}, false, IconImageFormat::Unknown},
        {"empty", Bytes{}, false, IconImageFormat::Unknown}};
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyIconImage(View(c.image)), c.format) << c.label;
        EXPECT_EQ(IsCompleteDibIconImage(View(c.image)), c.complete) << c.label;
    }
}

TEST(IconImageRulesTest, ReadsValidGroupsAndRejectsMalformedOnes) {
    const Bytes bytes = MakeIconGroup({{16, 5, 1128}, {256, 9, 70000}});
    IconGroupDirectory group;
    ASSERT_TRUE(group.Parse(View(bytes)) && group.Count() == 2);
    EXPECT_EQ(std::tuple(group.Entry(0).height, group.Entry(1).width, group.Entry(1).bytesInRes, group.Entry(1).id),
              std::tuple(16, 0, 70000u, 9));
    EXPECT_EQ(group.Entry(2).id, 0); // past the end: an empty entry, not a read
    const std::pair<const char*, std::function<void(Bytes&)>> changes[] = {
        {"header only cut", [](Bytes& b) { b.resize(5); }},
        {"reserved not 0", [](Bytes& b) { PutU16(b, 0, 1); }},
        {"cursor group", [](Bytes& b) { PutU16(b, 2, 2); }},
        {"count 0", [](Bytes& b) { PutU16(b, 4, 0); }},
        {"count beyond the data", [](Bytes& b) { PutU16(b, 4, 3); }},
        {"last entry cut", [](Bytes& b) { b.pop_back(); }}};
    for (const auto& [label, change] : changes) {
        Bytes bytes = MakeIconGroup({{16, 5, 1128}, {32, 6, 4264}});
        change(bytes);
        EXPECT_FALSE(group.Parse(View(bytes)) || group.Count() != 0) << label;
    }
}

Bytes Payload(uint8_t seed, size_t size) {
    Bytes bytes(size);
    std::iota(bytes.begin(), bytes.end(), seed);
    return bytes;
}

Bytes Of(const std::optional<ByteReader>& found) { // {0xEE}: nothing found
    return found ? Bytes(found->Data(), found->Data() + found->Size()) : Bytes{0xEE};
}

// Both optional-header layouts must read the same tree.
class PeLayoutTest : public ::testing::TestWithParam<bool> {
protected:
    const Bytes m_bytes = PeImageBuilder(GetParam())
                              .Add(14, 0, Payload(3, 6), true) // named
                              .Add(14, 3, Payload(2, 34))
                              .Add(14, 7, Payload(1, 20))
                              .Add(3, 1, Payload(4, 100))
                              .Add(3, 2, Payload(5, 101))
                              .Build();
};

TEST_P(PeLayoutTest, CountsAndFindsNamedFirstThenById) {
    PeResourceReader reader;
    ASSERT_TRUE(reader.Open(View(m_bytes)));
    EXPECT_EQ(std::tuple(reader.IsPe32Plus(), reader.CountEntries(14), reader.CountEntries(3), reader.CountEntries(5)),
              std::tuple(GetParam(), 3u, 2u, 0u));
    EXPECT_EQ(std::tuple(Of(reader.FindByPosition(14, 0)), Of(reader.FindByPosition(14, 2)), Of(reader.FindById(3, 2))),
              std::tuple(Payload(3, 6), Payload(1, 20), Payload(5, 101))); // named first
    EXPECT_FALSE(reader.FindByPosition(14, 3) || reader.FindById(3, 9) || reader.FindById(5, 1) ||
                 reader.FindById(14, 0x80000000u | 3u));
}

TEST_P(PeLayoutTest, EveryTruncationIsReadSafely) {
    for (size_t size = 0; size < m_bytes.size(); ++size) {
        // An exact-size copy: the sanitizers of the native build see any read past its end.
        const Bytes cut(m_bytes.begin(), m_bytes.begin() + static_cast<ptrdiff_t>(size));
        PeResourceReader reader;
        if (!reader.Open(View(cut)))
            continue;
        EXPECT_GT(size, 0x200u); // not before the resource section
        for (const auto& data : {reader.FindByPosition(14, 0), reader.FindByPosition(14, 2), reader.FindById(3, 2)})
            EXPECT_TRUE(!data || data->Data() + data->Size() <= cut.data() + cut.size()) << size;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, PeLayoutTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Pe32Plus" : "Pe32"; });

// One damage per row to a PE32 image holding icon 1 and group 1 (type 3, then 14, as stored).
TEST(PeResourceReaderTest, DamagedImagesAreReadSafely) {
    using B = Bytes&;
    using L = const PeImageBuilder::Layout&;
    constexpr uint32_t kDir = 0x80000000u;
    const auto name = [](L l) { return l.typeDirectory14 + 16 + 4; }; // the group's name entry's offset field
    const auto languages = [&](B b, L l) { return (b[name(l)] | b[name(l) + 1] << 8) + l.resourceBase; };
    const struct {
        const char* label;
        std::function<void(B, L)> damage;
        bool opens = false;
        uint32_t groups = 0; // CountEntries(14)
        bool found = false;  // FindByPosition(14, 0) and FindById(14, 1) give the group's 20 bytes
        bool pe32Plus = false;
    } cases[] = {
        {"intact", [](B, L) {}, true, 1, true},
        {"no MZ", [](B b, L) { b[1] = 'X'; }},
        {"e_lfanew 2 before the end", [](B b, L) { PutU32(b, 0x3C, static_cast<uint32_t>(b.size() - 2)); }},
        // A PE32 header of 224 bytes cannot hold the PE32+ layout's 240.
        {"PE32+ magic in a PE32 header", [](B b, L l) { PutU16(b, l.optionalHeader, 0x20B); }},
        // RVA 0 means no resources, even where a section starts at RVA 0.
        {"no resource directory", [](B b, L l) { PutU32(b, l.resourceEntry, 0), PutU32(b, l.sectionTable + 12, 0); }},
        {"resource RVA at the section's virtual end",
         [](B b, L l) { PutU32(b, l.sectionTable + 8, 0x40), PutU32(b, l.resourceEntry, l.resourceRva + 0x40); }},
        {"section table outside the file", [](B b, L l) { PutU16(b, l.peHeader + 20, 0xFFF0); }},
        // The only real section does not hold the RVA; the walk reaches headers past the end.
        {"many sections running off the file",
         [](B b, L l) { PutU16(b, l.peHeader + 6, 0xFFFF), PutU32(b, l.sectionTable + 12, 0x50000); }},
        {"entry counts beyond the file", [](B b, L l) { PutU32(b, l.typeDirectory14 + 12, 0xFFFFFFFFu); }, true},
        {"data size past the file", [](B b, L l) { PutU32(b, l.firstDataEntry + 20, 0x7FFFFFFFu); }, true, 1},
        {"data entry outside the file", [&](B b, L l) { PutU32(b, name(l), 0x7FFFFFF8u); }, true, 1},
        // Loops: the name entry points back at the root, at its own directory; a language at its directory.
        {"loop to the root", [&](B b, L l) { PutU32(b, name(l), kDir); }, true, 1},
        {"loop to its own directory",
         [&](B b, L l) { PutU32(b, name(l), kDir | uint32_t(l.typeDirectory14 - l.resourceBase)); }, true, 1},
        {"loop to the language directory",
         [&](B b, L l) { PutU32(b, languages(b, l) + 20, kDir | uint32_t(languages(b, l) - l.resourceBase)); },
         true, 1},
        {"name entry straight at data",
         [&](B b, L l) { std::copy_n(&b[languages(b, l) + 20], 4, &b[name(l)]); }, true, 1, true},
        // PE32+ keeps exports where PE32 keeps the resource entry: exports but no resources give no
        // icons, not a tree read from the export table; nor does what the export entry holds matter.
        {"PE32+ exports but no resources",
         [](B b, L l) { std::copy_n(&b[l.resourceEntry], 8, &b[l.resourceEntry - 16]), PutU32(b, l.resourceEntry, 0); },
         false, 0, false, true},
        {"PE32+ export entry garbage", [](B b, L l) { PutU32(b, l.optionalHeader + 0x70, 0xDEADBEEF); }, true, 1, true,
         true}};
    for (const auto& c : cases) {
        PeImageBuilder builder(c.pe32Plus);
        Bytes bytes = builder.Add(14, 1, Payload(1, 20)).Add(3, 1, Payload(2, 40)).Build();
        c.damage(bytes, builder.GetLayout());
        PeResourceReader reader;
        ASSERT_EQ(reader.Open(View(bytes)), c.opens) << c.label;
        EXPECT_EQ(reader.CountEntries(14), c.groups) << c.label;
        EXPECT_EQ(Of(reader.FindByPosition(14, 0)), c.found ? Payload(1, 20) : Of(std::nullopt)) << c.label;
        EXPECT_EQ(Of(reader.FindById(14, 1)), c.found ? Payload(1, 20) : Of(std::nullopt)) << c.label;
    }
}
ChooseIconImage ClosestTo(int size) {
    return [size](ByteReader group) { return ClosestImageId(group, size); };
}

const auto kTakeAll = [](uint32_t, uint16_t, ByteReader) { return true; };

TEST(PeIconWalkTest, WalksByPositionOrByIdCountingDown) {
    // Groups 3 (image 1), 4 (images 2, 3) and 5 (images 4, 5), stored by id ascending.
    const Bytes bytes =
        PeImageBuilder(true).AddIconGroup(3, {32}).AddIconGroup(4, {16, 48}).AddIconGroup(5, {16, 32}).Build();
    const int imageSizes[] = {0, 32, 16, 48, 16, 32};
    PeResourceReader reader;
    ASSERT_TRUE(reader.Open(View(bytes)));
    const PeIconWalk walk(reader);
    EXPECT_EQ(walk.CountGroups(), 3u);
    const std::tuple<int32_t, uint32_t, int, std::vector<uint16_t>> cases[] = {
        {1, 500, 32, {2, 5}}, {0, 500, 48, {1, 3, 5}}, {0, 1, 32, {1}}, {3, 500, 32, {}},
        {-5, 500, 32, {5, 2, 1}}, // groups 5, 4, 3, then 2 is missing
        {-4, 1, 32, {2}}, {-9, 500, 32, {}}, {INT32_MIN, 500, 32, {}}, {-0x10000, 500, 32, {}}};
    for (const auto& [index, count, size, expected] : cases) {
        std::vector<uint16_t> ids;
        const uint32_t n = walk.Run(index, count, ClosestTo(size), [&](uint32_t slot, uint16_t id, ByteReader image) {
            EXPECT_EQ(slot, ids.size());
            EXPECT_EQ(image.Size(), MakeDibIconImage(imageSizes[id]).size()); // the whole image
            ids.push_back(id);
            return true;
        });
        EXPECT_EQ(ids, expected) << index << " " << count << " " << size;
        EXPECT_EQ(n, ids.size());
    }
    uint32_t calls = 0; // a refusal by the taker ends the walk
    EXPECT_EQ(walk.Run(0, 500, ClosestTo(32), [&](uint32_t, uint16_t, ByteReader) { return ++calls < 2; }), 1u);
    EXPECT_EQ(calls, 2u);
    for (uint32_t choice : {0u, 77u, 0x10001u}) // nothing chosen, no such image, not an id
        EXPECT_EQ(walk.Run(0, 500, [&](ByteReader) { return choice; }, kTakeAll), 0u) << choice;
}

TEST(PeIconWalkTest, TakesOnlyWholeDibImagesOfWellFormedGroups) {
    Bytes overcounted = MakeIconGroup({{16, 1, 1128}});
    PutU16(overcounted, 4, 40); // promises more entries than it holds
    const Bytes dib32 = MakeDibIconImage(32), dib48 = MakeDibIconImage(48), png = kPngSignatureImage;
    const Bytes cut48(dib48.begin(), dib48.end() - 9), group48 = MakeIconGroup({{48, 1, 9544}});
    const std::tuple<const char*, std::function<void(PeImageBuilder&)>, uint32_t> cases[] = {
        {"one good group", [](auto& b) { b.AddIconGroup(1, {16, 32, 48}); }, 1},
        {"group promises more entries than it holds",
         [&](auto& b) { b.Add(14, 1, overcounted).Add(3, 1, MakeDibIconImage(16)); }, 0},
        {"best image is PNG",
         [&](auto& b) { b.Add(14, 1, MakeIconGroup({{32, 1, 4264}, {128, 2, 24}})).Add(3, 1, dib32).Add(3, 2, png); },
         0},
        {"best image cut short", [&](auto& b) { b.Add(14, 1, group48).Add(3, 1, cut48); }, 0},
        {"second group broken after a good first",
         [](auto& b) { b.AddIconGroup(1, {32}).Add(14, 2, MakeIconGroup({{32, 90, 4264}})); }, 1}};
    for (const auto& [label, build, expected] : cases) {
        PeImageBuilder builder(false);
        build(builder);
        const Bytes bytes = builder.Build();
        PeResourceReader reader;
        ASSERT_TRUE(reader.Open(View(bytes))) << label;
        bool chooserSawShortGroup = false;
        const auto choose = [&](ByteReader group) {
            chooserSawShortGroup |= !IconGroupDirectory().Parse(group);
            return ClosestImageId(group, 128);
        };
        EXPECT_EQ(PeIconWalk(reader).Run(0, 500, choose, kTakeAll), expected) << label;
        EXPECT_FALSE(chooserSawShortGroup) << label;
    }
}

} // namespace
} // namespace tsu
