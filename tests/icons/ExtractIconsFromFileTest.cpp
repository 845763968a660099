#include "IconTestSupport.h"
#include "icons/ExtractIconsFromFile.h"
#include "icons/IconHandleRoom.h"
#include "icons/core/IconFileRules.h"

#include "framework/ScopedHandles.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

using test::BinFile;
using test::FixturePath;
using test::NsisPath;

constexpr UINT kNoId = static_cast<UINT>(-1);

std::wstring FixtureApp() {
    return BinFile(L"icons_fixture_app.exe");
}
std::wstring PngFirstLibrary() {
    return BinFile(L"icons_fixture_pngfirst.dll");
}

struct Extraction {
    UINT count = 0;
    std::vector<SIZE> sizes;
    std::vector<UINT> ids;
};

// Runs the extraction into a room of `room` slots and measures what came out; every icon is
// destroyed with the room.
Extraction Extract(const std::wstring& path, int index, int size, UINT room = 500, UINT flags = 0) {
    IconHandleRoom icons(room);
    std::vector<UINT> ids(room, 0xABCD);
    Extraction result;
    result.count = ExtractIconsFromFile(path, index, size, size, icons.Slots(), ids.data(), icons.Capacity(), flags);
    for (UINT i = 0; i < result.count; ++i) {
        result.sizes.push_back(test::IconSize(icons.At(i)));
        result.ids.push_back(ids[i]);
    }
    // Slots past the count stay empty.
    for (UINT i = result.count; i < room; ++i)
        EXPECT_EQ(icons.At(i), nullptr) << i;
    if (result.count == 0) {
        EXPECT_EQ(ids[0], kNoId);
    }
    return result;
}

UINT CountGroups(const std::wstring& path) {
    return ExtractIconsFromFile(path, 0, 32, 32, nullptr, nullptr, 0, 0);
}

// ---- Executables and libraries -------------------------------------------------------------

TEST(ExtractPeIconsTest, CountsTheGroupsOfTheFixtureProgram) {
    EXPECT_EQ(CountGroups(FixtureApp()), 3u);
}

struct SizeCase {
    int size;
    UINT imageId; // windres numbers the images of the first group 1 (16), 2 (32), 3 (48), 4 (PNG)
};

class FirstGroupSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(FirstGroupSizeTest, TakesTheImageOfTheRequestedSize) {
    const Extraction got = Extract(FixtureApp(), 0, GetParam().size, 1);
    ASSERT_EQ(got.count, 1u);
    EXPECT_EQ(got.ids[0], GetParam().imageId);
    EXPECT_EQ(got.sizes[0].cx, GetParam().size);
    EXPECT_EQ(got.sizes[0].cy, GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FirstGroupSizeTest,
                         ::testing::Values(SizeCase{16, 1}, SizeCase{32, 2}, SizeCase{48, 3}));

TEST(ExtractPeIconsTest, PngCompressedBestImageGivesNoIcon) {
    // At 256 the PNG image is the exact match: PNG images are not turned into icons here.
    EXPECT_EQ(Extract(FixtureApp(), 0, 256).count, 0u);
    // A library whose first group holds only a PNG image gives nothing at 128, as the cache asks.
    EXPECT_EQ(Extract(PngFirstLibrary(), 0, 128).count, 0u);
    EXPECT_EQ(CountGroups(PngFirstLibrary()), 2u);
}

TEST(ExtractPeIconsTest, WalkEndsAtTheFirstGroupThatGivesNoIcon) {
    // Groups by position: 1 (16/32/48/PNG), 7 (PNG only), 9 (4-bit).
    const Extraction all = Extract(FixtureApp(), 0, 32);
    EXPECT_EQ(all.count, 1u);
    const Extraction fromThird = Extract(FixtureApp(), 2, 32);
    ASSERT_EQ(fromThird.count, 1u);
    EXPECT_EQ(fromThird.sizes[0].cx, 32);
    EXPECT_EQ(Extract(FixtureApp(), 3, 32).count, 0u);
}

TEST(ExtractPeIconsTest, NegativeIndexNamesTheGroupId) {
    const Extraction nine = Extract(FixtureApp(), -9, 16);
    ASSERT_EQ(nine.count, 1u); // then id 8, which does not exist
    EXPECT_EQ(nine.sizes[0].cx, 16);
    EXPECT_EQ(Extract(FixtureApp(), -7, 32).count, 0u);
    const Extraction one = Extract(FixtureApp(), -1, 48);
    ASSERT_GE(one.count, 1u);
    EXPECT_EQ(one.ids[0], 3u);
    EXPECT_EQ(Extract(FixtureApp(), -101, 32).count, 0u);
}

TEST(ExtractPeIconsTest, ManyGroupsMakeOneIconEach) {
    // A synthetic library with 40 groups: one handle per group, all destroyed by the room.
    test::PeImageBuilder builder(true);
    for (uint16_t id = 1; id <= 40; ++id)
        builder.AddIconGroup(id, {16, 32}, 0x102030u * id);
    test::ScratchFolder folder(L"many");
    ASSERT_TRUE(test::WriteBytes(folder.File(L"many.dll"), builder.Build()));
    EXPECT_EQ(CountGroups(folder.File(L"many.dll")), 40u);
    const Extraction got = Extract(folder.File(L"many.dll"), 0, 32);
    EXPECT_EQ(got.count, 40u);
    EXPECT_EQ(Extract(folder.File(L"many.dll"), 0, 32, 7).count, 7u);
}

// Real PE files of both layouts: PE32 stubs and PE32+ stubs carry one icon group (id 103); the
// PE32+ UI files carry dialogs only.
struct RealPeCase {
    const wchar_t* relative;
    UINT groups;
};

class RealPeFileTest : public ::testing::TestWithParam<RealPeCase> {};

TEST_P(RealPeFileTest, ReadsTheIconGroupsOfBothLayouts) {
    const std::wstring path = NsisPath(GetParam().relative);
    ASSERT_TRUE(test::FileExists(path)) << GetParam().relative;
    EXPECT_EQ(CountGroups(path), GetParam().groups);
    const Extraction got = Extract(path, 0, 32);
    EXPECT_EQ(got.count, GetParam().groups);
    if (got.count > 0) {
        EXPECT_EQ(got.sizes[0].cx, 32);
    }
    if (GetParam().groups > 0) {
        EXPECT_EQ(Extract(path, -103, 32).count, 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Nsis, RealPeFileTest,
    ::testing::Values(RealPeCase{L"Stubs\\zlib-x86-unicode", 1}, RealPeCase{L"Stubs\\lzma-x86-ansi", 1},
                      RealPeCase{L"Stubs\\zlib-amd64-unicode", 1}, RealPeCase{L"Contrib\\UIs\\default.exe", 0},
                      RealPeCase{L"Contrib\\UIs\\modern.exe", 0}, RealPeCase{L"Contrib\\UIs\\modern_headerbmp.exe", 0},
                      RealPeCase{L"Contrib\\UIs\\modern_headerbmpr.exe", 0},
                      RealPeCase{L"Contrib\\UIs\\modern_nodesc.exe", 0},
                      RealPeCase{L"Contrib\\UIs\\modern_smalldesc.exe", 0},
                      RealPeCase{L"Contrib\\UIs\\sdbarker_tiny.exe", 0}));

TEST(ExtractPeIconsTest, NoViewOfTheFileStaysMapped) {
    test::ScratchFolder folder(L"views");
    const std::wstring copy = folder.File(L"mapcheck.exe");
    ASSERT_TRUE(::CopyFileW(FixtureApp().c_str(), copy.c_str(), FALSE));
    {
        // The counter sees a view while one is there.
        UniqueModule held(::LoadLibraryExW(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        ASSERT_TRUE(held);
        ASSERT_EQ(test::CountMappedViews(L"mapcheck.exe"), 1);
    }
    EXPECT_EQ(Extract(copy, 0, 32).count, 1u);
    EXPECT_EQ(CountGroups(copy), 3u);
    EXPECT_EQ(Extract(copy, 1, 32).count, 0u); // ends at the PNG-only group
    EXPECT_EQ(test::CountMappedViews(L"mapcheck.exe"), 0);
}

TEST(ExtractPeIconsTest, FileOverTheSizeCapGivesNoIcon) {
    test::ScratchFolder folder(L"oversize");
    const std::wstring big = folder.File(L"big.exe");
    ASSERT_TRUE(::CopyFileW(FixtureApp().c_str(), big.c_str(), FALSE));
    const auto extendTo = [&](LONGLONG size) {
        // Zeros after the image (an overlay, which the reader ignores); sparse where the host can.
        UniqueFileHandle file(::CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        LARGE_INTEGER end{};
        end.QuadPart = size;
        return file && ::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.Get());
    };
    ASSERT_TRUE(extendTo(static_cast<LONGLONG>(kMaxIconFileBytes)));
    EXPECT_EQ(Extract(big, 0, 32).count, 1u);
    ASSERT_TRUE(extendTo(static_cast<LONGLONG>(kMaxIconFileBytes) + 1));
    EXPECT_EQ(Extract(big, 0, 32).count, 0u);
    EXPECT_EQ(CountGroups(big), 0u);
}

// ---- Damaged PE files, through the real icon creation ---------------------------------------

class DamagedPeTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::PeImageBuilder builder(false);
        builder.AddIconGroup(1, {16, 32}, 0x4080C0).AddIconGroup(2, {32}, 0xC08040);
        m_good = builder.Build();
        m_layout = builder.GetLayout();
    }
    UINT ExtractFrom(const test::Bytes& bytes, int size = 32) {
        const std::wstring path = m_folder.File(L"damaged" + std::to_wstring(m_files++) + L".dll");
        EXPECT_TRUE(test::WriteBytes(path, bytes));
        return Extract(path, 0, size).count;
    }
    test::ScratchFolder m_folder{L"damaged"};
    test::Bytes m_good;
    test::PeImageBuilder::Layout m_layout;
    int m_files = 0;
};

TEST_F(DamagedPeTest, IntactFileGivesBothIcons) {
    EXPECT_EQ(ExtractFrom(m_good), 2u);
}

TEST_F(DamagedPeTest, TruncatedFilesGiveAtMostWhatIsWhole) {
    for (size_t size = 0; size < m_good.size(); size += 97) {
        const UINT got = ExtractFrom(test::Bytes(m_good.begin(), m_good.begin() + size));
        EXPECT_LE(got, 2u) << size;
        if (size < m_layout.resourceBase) {
            EXPECT_EQ(got, 0u) << size;
        }
    }
}

TEST_F(DamagedPeTest, OffsetsPointingOutsideTheFileGiveNothing) {
    const auto damaged = [&](size_t offset, uint32_t value) {
        test::Bytes bytes = m_good;
        test::PutU32(bytes, offset, value);
        return bytes;
    };
    EXPECT_EQ(ExtractFrom(damaged(0x3C, 0x7FFFFFF0u)), 0u);
    EXPECT_EQ(ExtractFrom(damaged(m_layout.resourceEntry, 0x7FFF0000u)), 0u);
    EXPECT_EQ(ExtractFrom(damaged(m_layout.sectionTable + 20, 0x7FFFFF00u)), 0u);
    EXPECT_EQ(ExtractFrom(damaged(m_layout.typeDirectory14 + 16 + 4, 0x80000000u | 0x7FFFFFF0u)), 0u);
    // Every data entry's size made huge: nothing can be read whole.
    test::Bytes sizes = m_good;
    for (size_t entry = m_layout.firstDataEntry; entry + 16 <= m_layout.firstDataEntry + 5 * 16; entry += 16)
        test::PutU32(sizes, entry + 4, 0x7FFFFFFFu);
    EXPECT_EQ(ExtractFrom(sizes), 0u);
}

TEST_F(DamagedPeTest, LoopInTheTreeGivesNothing) {
    test::Bytes bytes = m_good;
    test::PutU32(bytes, m_layout.typeDirectory14 + 16 + 4, 0x80000000u); // name -> root directory
    EXPECT_EQ(ExtractFrom(bytes), 0u);
}

TEST_F(DamagedPeTest, GroupsWithoutImagesGiveNothing) {
    test::PeImageBuilder builder(true);
    builder.Add(14, 1, {}).Add(14, 2, test::MakeIconGroup({})).Add(3, 1, test::MakeDibIconImage(32, 0));
    const test::Bytes bytes = builder.Build();
    EXPECT_EQ(ExtractFrom(bytes), 0u);
    const std::wstring path = m_folder.File(L"empty-groups.dll");
    ASSERT_TRUE(test::WriteBytes(path, bytes));
    EXPECT_EQ(Extract(path, 1, 32).count, 0u);
    EXPECT_EQ(CountGroups(path), 2u);
}

// ---- Icon, cursor and bitmap files ----------------------------------------------------------

class NsisIconFileTest : public ::testing::TestWithParam<std::wstring> {};

TEST_P(NsisIconFileTest, LoadsAtTheRequestedSize) {
    const Extraction got = Extract(GetParam(), 0, 32);
    ASSERT_EQ(got.count, 1u);
    EXPECT_EQ(got.sizes[0].cx, 32);
    EXPECT_EQ(got.sizes[0].cy, 32);
    EXPECT_EQ(got.ids[0], kNoId); // icon files have no resource ids
    EXPECT_EQ(Extract(GetParam(), 1, 32).count, 0u);
    EXPECT_EQ(ExtractIconsFromFile(GetParam(), 0, 32, 32, nullptr, nullptr, 0, 0), 1u);
}

INSTANTIATE_TEST_SUITE_P(Nsis, NsisIconFileTest,
                         ::testing::ValuesIn(test::ListFiles(NsisPath(L"Contrib\\Graphics\\Icons"), L"*.ico")));

TEST(IconFileTest, FixtureIconsAndCursors) {
    const Extraction multi = Extract(FixturePath(L"multi.ico"), 0, 48);
    ASSERT_EQ(multi.count, 1u);
    EXPECT_EQ(multi.sizes[0].cx, 48);
    const Extraction small = Extract(FixturePath(L"small16.ico"), 0, 32);
    ASSERT_EQ(small.count, 1u);
    EXPECT_EQ(small.sizes[0].cx, 32); // scaled up by the loader
    EXPECT_EQ(Extract(FixturePath(L"count0.ico"), 0, 32).count, 0u);
    EXPECT_EQ(Extract(FixturePath(L"count0.ico"), 0, 32).count, 0u);
}

TEST(IconFileTest, AnimatedCursorGivesItsFirstFrame) {
    const Extraction got = Extract(FixturePath(L"spinner.ani"), 0, 32);
    ASSERT_EQ(got.count, 1u);
    EXPECT_EQ(got.sizes[0].cx, 32);
    EXPECT_EQ(Extract(FixturePath(L"spinner.ani"), 1, 32).count, 0u);
}

class BitmapFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_gdiplus.Succeeded()); }
    ScopedGdiplusStartup m_gdiplus;
};

TEST_F(BitmapFileTest, MagentaBackgroundBecomesTransparent) {
    IconHandleRoom room(1);
    ASSERT_EQ(ExtractIconsFromFile(FixturePath(L"magenta.bmp"), 0, 0, 0, room.Slots(), nullptr, 1, 0), 1u);
    IconPixels pixels;
    ASSERT_TRUE(ReadIconPixels(room.At(0), pixels));
    ASSERT_EQ(pixels.width, 32);
    ASSERT_EQ(pixels.height, 32);
    for (const auto& [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}, {7, 16}, {24, 16}})
        EXPECT_EQ(test::AlphaOf(test::PixelAt(pixels, x, y)), 0) << x << "," << y;
    for (const auto& [x, y] : {std::pair{8, 8}, {16, 16}, {23, 23}}) {
        const uint32_t pixel = test::PixelAt(pixels, x, y);
        EXPECT_EQ(test::AlphaOf(pixel), 255) << x << "," << y;
        EXPECT_EQ(pixel & 0xFFFFFFu, 0x0000FFu) << x << "," << y; // the blue square
    }
}

TEST_F(BitmapFileTest, BitmapAtARequestedSizeAndItsLimits) {
    const Extraction scaled = Extract(FixturePath(L"magenta.bmp"), 0, 48);
    ASSERT_EQ(scaled.count, 1u);
    EXPECT_EQ(scaled.sizes[0].cx, 48);
    EXPECT_EQ(Extract(FixturePath(L"magenta.bmp"), 1, 32).count, 0u);
    EXPECT_EQ(Extract(FixturePath(L"zero.bmp"), 0, 0).count, 0u);
    EXPECT_EQ(Extract(FixturePath(L"zero.bmp"), 0, 32).count, 0u);
}

// ---- Names and paths -------------------------------------------------------------------------

class RefusedExtensionTest : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(RefusedExtensionTest, GivesNoIconWhateverTheFileHolds) {
    test::ScratchFolder folder(L"refused");
    const test::Bytes icon = test::ReadBytes(FixturePath(L"small16.ico"));
    ASSERT_FALSE(icon.empty());
    const std::wstring refused = folder.File(std::wstring(L"icon") + GetParam());
    const std::wstring accepted = folder.File(L"icon.ico");
    ASSERT_TRUE(test::WriteBytes(refused, icon));
    ASSERT_TRUE(test::WriteBytes(accepted, icon));
    EXPECT_EQ(Extract(refused, 0, 32).count, 0u);
    EXPECT_EQ(Extract(accepted, 0, 32).count, 1u); // same bytes, accepted name
}

INSTANTIATE_TEST_SUITE_P(Extensions, RefusedExtensionTest,
                         ::testing::Values(L".com", L".bat", L".BAT", L".cmd", L".pif", L".lnk", L".LNK", L".Lnk"));

class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, const std::wstring& value) : m_name(name) {
        EXPECT_TRUE(::SetEnvironmentVariableW(name, value.c_str()));
    }
    ~ScopedVariable() { (void)::SetEnvironmentVariableW(m_name, nullptr); }

private:
    const wchar_t* m_name;
};

TEST(PathTest, EnvironmentReferencesAreExpanded) {
    const ScopedVariable folder(L"TSU_ICON_FIXTURES", FixturePath(L""));
    EXPECT_EQ(Extract(L"%TSU_ICON_FIXTURES%small16.ico", 0, 32).count, 1u);
    EXPECT_EQ(Extract(L"%TSU_ICON_FIXTURES%small16.ico%TSU_NOT_SET_ANYWHERE%", 0, 32).count, 1u);
    EXPECT_EQ(Extract(L"%TSU_ICON_FIXTURES%small16%TSU_NOT_SET_ANYWHERE%.ico", 0, 32).count, 1u);
    EXPECT_EQ(Extract(L"%TSU_NOT_SET_ANYWHERE%\\small16.ico", 0, 32).count, 0u);
    EXPECT_GT(CountGroups(L"%WINDIR%\\system32\\shell32.dll"), 0u);
    EXPECT_GT(Extract(L"%windir%\\system32\\shell32.dll", 0, 32, 1).count, 0u);
}

TEST(PathTest, ExpansionThatWouldNotFitIsRefused) {
    const std::wstring fixtures = FixturePath(L"");
    // Long enough to overflow the 260-character buffer only once expanded.
    const ScopedVariable padding(L"TSU_ICON_PADDING", std::wstring(240, L'\\'));
    const std::wstring name = L"%TSU_ICON_PADDING%" + fixtures + L"small16.ico";
    ASSERT_LT(name.size(), kIconPathChars);
    std::wstring expanded = name;
    EXPECT_EQ(ExpandEnvironmentInPlace(expanded), kExpandTooLong);
    EXPECT_EQ(expanded, name);
    EXPECT_EQ(Extract(name, 0, 32).count, 0u);
    // A variable that brings in a refused extension is refused too.
    const ScopedVariable shortcut(L"TSU_ICON_EXT", L".lnk");
    test::ScratchFolder folder(L"ext");
    ASSERT_TRUE(test::WriteBytes(folder.File(L"a.lnk"), test::ReadBytes(FixturePath(L"small16.ico"))));
    EXPECT_EQ(Extract(folder.File(L"a%TSU_ICON_EXT%"), 0, 32).count, 0u);
}

TEST(PathTest, MissingOrOverlongPathsGiveNothing) {
    EXPECT_EQ(Extract(L"", 0, 32).count, 0u);
    EXPECT_EQ(Extract(L"C:\\no\\such\\file.ico", 0, 32).count, 0u);
    EXPECT_EQ(Extract(FixturePath(L""), 0, 32).count, 0u); // a folder
    EXPECT_EQ(Extract(std::wstring(300, L'a') + L".ico", 0, 32).count, 0u);
    EXPECT_EQ(Extract(FixturePath(L"make_icon_fixtures.py"), 0, 32).count, 0u); // no known header
}

TEST(PathTest, ReadingLeavesTheLastAccessTimeAlone) {
    test::ScratchFolder folder(L"atime");
    struct Probe {
        std::wstring name;
        test::Bytes bytes;
    };
    for (const Probe& probe :
         {Probe{L"a.ico", test::ReadBytes(FixturePath(L"multi.ico"))}, Probe{L"a.exe", test::ReadBytes(FixtureApp())},
          Probe{L"a.bmp", test::ReadBytes(FixturePath(L"magenta.bmp"))}}) {
        const std::wstring path = folder.File(probe.name);
        ASSERT_TRUE(test::WriteBytes(path, probe.bytes));
        SYSTEMTIME old{2001, 2, 0, 3, 4, 5, 6, 0};
        FILETIME oldTime{};
        ASSERT_TRUE(::SystemTimeToFileTime(&old, &oldTime));
        {
            UniqueFileHandle file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(file);
            ASSERT_TRUE(::SetFileTime(file.Get(), nullptr, &oldTime, nullptr));
        }
        EXPECT_EQ(Extract(path, 0, 32).count, 1u) << probe.name;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
        EXPECT_EQ(::CompareFileTime(&data.ftLastAccessTime, &oldTime), 0) << probe.name;
    }
}

TEST(HandleArrayTest, ZeroCountWritesNothing) {
    HICON sentinel = reinterpret_cast<HICON>(0x1234);
    UINT id = 77;
    // Count 0 asks only how many there are; the arrays are not touched.
    EXPECT_EQ(ExtractIconsFromFile(FixtureApp(), 0, 32, 32, &sentinel, &id, 0, 0), 3u);
    EXPECT_EQ(sentinel, reinterpret_cast<HICON>(0x1234));
    EXPECT_EQ(id, 77u);
}

} // namespace
} // namespace tsu
