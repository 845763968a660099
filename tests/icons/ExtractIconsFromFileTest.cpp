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

struct Extraction {
    UINT count = 0;
    int width = 0; // of the first icon
    UINT id = 0;   // of the first icon
};

// Extracts into a room of 500 slots (every icon is destroyed with it) and measures the first icon.
Extraction Extract(const std::wstring& path, int index, int size) {
    IconHandleRoom icons(500);
    std::vector<UINT> ids(500, 0xABCD);
    const UINT count = ExtractIconsFromFile(path, index, size, size, icons.Slots(), ids.data(), 500, 0);
    for (UINT i = count; i < 500; ++i)
        EXPECT_EQ(icons.At(i), nullptr) << i; // slots past the count stay empty
    return Extraction{count, test::IconWidth(icons.At(0)), ids[0]};
}

UINT CountOnly(const std::wstring& path) {
    return ExtractIconsFromFile(path, 0, 32, 32, nullptr, nullptr, 0, 0);
}

TEST(ExtractIconsTest, GivesWhatEachFileHolds) {
    const test::ScopedEnvironmentVariable fixtures(L"TSU_ICON_FIXTURES", FixturePath(L""));
    // Long enough to overflow the 260-character buffer only once expanded.
    const test::ScopedEnvironmentVariable padding(L"TSU_ICON_PADDING", std::wstring(240, L'\\'));
    const std::wstring app = BinFile(L"icons_fixture_app.exe"), pngFirst = BinFile(L"icons_fixture_pngfirst.dll");
    const std::wstring x86Stub = NsisPath(L"Stubs\\zlib-x86-unicode"), x64Stub = NsisPath(L"Stubs\\zlib-amd64-unicode");
    const std::wstring ico = FixturePath(L"multi.ico"), ani = FixturePath(L"spinner.ani"),
                       bmp = FixturePath(L"magenta.bmp");
    struct Case {
        std::wstring path;
        int index;
        int size;
        UINT count;
        int width = 0; // of the first icon
        UINT id = 0;   // of the first icon, when not 0
    };
    // The fixture program's groups by position: 1 (16, 32, 48, PNG as images 1-4), 7 (PNG only), 9 (4-bit).
    const Case cases[] = {
        {app, 0, 16, 1, 16, 1}, {app, 0, 32, 1, 32, 2}, {app, 0, 48, 1, 48, 3},
        {app, 0, 256, 0},                     // the exact match is PNG: not made into an icon
        {app, 2, 32, 1, 32}, {app, 3, 32, 0}, // the walk ends at the PNG-only group
        {app, -9, 16, 1, 16},                 // then id 8, which does not exist
        {app, -7, 32, 0}, {app, -1, 48, 2, 48, 3}, {app, -101, 32, 0},
        {pngFirst, 0, 128, 0}, // first group holds only a PNG image
        // Real PE files of both layouts; NSIS's UI files carry dialogs only.
        {x86Stub, 0, 32, 1, 32}, {x64Stub, 0, 32, 1, 32}, {x64Stub, -103, 32, 1, 32},
        {NsisPath(L"Contrib\\UIs\\modern.exe"), 0, 32, 0},
        {ico, 0, 48, 1, 48, kNoId}, {ico, 1, 48, 0}, {FixturePath(L"count0.ico"), 0, 32, 0},
        {FixturePath(L"small16.ico"), 0, 32, 1, 32}, // scaled up by the loader
        {ani, 0, 32, 1, 32}, {ani, 1, 32, 0}, {bmp, 0, 48, 1, 48}, {bmp, 1, 32, 0},
        {FixturePath(L"zero.bmp"), 0, 0, 0}, {FixturePath(L"zero.bmp"), 0, 32, 0},
        {L"%TSU_ICON_FIXTURES%small16.ico", 0, 32, 1, 32},
        {L"%TSU_ICON_FIXTURES%small16%TSU_NOT_SET_ANYWHERE%.ico", 0, 32, 1, 32},
        {L"%TSU_NOT_SET_ANYWHERE%\\small16.ico", 0, 32, 0},
        {L"%TSU_ICON_PADDING%" + FixturePath(L"small16.ico"), 0, 32, 0},
        {L"", 0, 32, 0}, {L"C:\\no\\such\\file.ico", 0, 32, 0}, {FixturePath(L""), 0, 32, 0},
        {std::wstring(300, L'a') + L".ico", 0, 32, 0}, {L"\\\\tsu-nowhere\\share\\a.ico", 0, 32, 0},
        {FixturePath(L"make_icon_fixtures.py"), 0, 32, 0}}; // no known header
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.path << " " << c.index << " " << c.size);
        const Extraction got = Extract(c.path, c.index, c.size);
        EXPECT_EQ(got.count, c.count);
        EXPECT_EQ(got.width, c.width);
        EXPECT_TRUE(c.id == 0 || got.id == c.id) << got.id;
        EXPECT_TRUE(c.count > 0 || got.id == kNoId) << got.id;
    }
    const std::pair<std::wstring, UINT> groups[] = {
        {app, 3}, {pngFirst, 2}, {x86Stub, 1}, {x64Stub, 1}, {NsisPath(L"Contrib\\UIs\\modern.exe"), 0}, {ico, 1}};
    for (const auto& [path, expected] : groups)
        EXPECT_EQ(CountOnly(path), expected) << path;
    // Count 0 asks only how many there are; the arrays are not touched.
    HICON sentinel = reinterpret_cast<HICON>(0x1234);
    UINT id = 77;
    EXPECT_EQ(ExtractIconsFromFile(app, 0, 32, 32, &sentinel, &id, 0, 0), 3u);
    EXPECT_EQ(sentinel, reinterpret_cast<HICON>(0x1234));
    EXPECT_EQ(id, 77u);
}

TEST(ExtractIconsTest, DamagedPeGivesNothingAndNoViewIsMapped) {
    test::PeImageBuilder builder(false);
    const test::Bytes good = builder.AddIconGroup(1, {16, 32}).AddIconGroup(2, {32}).Build();
    test::Bytes loop = good;
    test::PutU32(loop, builder.GetLayout().typeDirectory14 + 16 + 4, 0x80000000u); // name -> root directory
    test::ScratchFolder folder(L"damaged");
    const std::wstring copy = folder.File(L"mapcheck.exe");
    ASSERT_TRUE(test::WriteBytes(folder.File(L"good.dll"), good) && test::WriteBytes(folder.File(L"loop.dll"), loop));
    ASSERT_TRUE(test::WriteBytes(folder.File(L"cut.dll"), test::Bytes(good.begin(), good.begin() + 0x300)));
    EXPECT_EQ(Extract(folder.File(L"good.dll"), 0, 32).count, 2u);
    EXPECT_EQ(Extract(folder.File(L"loop.dll"), 0, 32).count, 0u);
    EXPECT_EQ(Extract(folder.File(L"cut.dll"), 0, 32).count, 0u);
    ASSERT_TRUE(::CopyFileW(BinFile(L"icons_fixture_app.exe").c_str(), copy.c_str(), FALSE));
    {
        UniqueModule held(::LoadLibraryExW(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        ASSERT_EQ(test::CountMappedViews(L"mapcheck.exe"), 1); // the counter sees a view while one is there
    }
    EXPECT_EQ(Extract(copy, 0, 32).count, 1u);
    EXPECT_EQ(CountOnly(copy), 3u);
    EXPECT_EQ(test::CountMappedViews(L"mapcheck.exe"), 0); // the reader reads files whole, never maps them
}

TEST(ExtractIconsTest, FileOverTheSizeCapGivesNoIcon) {
    test::ScratchFolder folder(L"oversize");
    const std::wstring big = folder.File(L"big.exe");
    ASSERT_TRUE(::CopyFileW(BinFile(L"icons_fixture_app.exe").c_str(), big.c_str(), FALSE));
    for (const LONGLONG size :
         {static_cast<LONGLONG>(kMaxIconFileBytes), static_cast<LONGLONG>(kMaxIconFileBytes) + 1}) {
        {
            // Zeros after the image (an overlay, which the reader ignores); sparse where the host can.
            UniqueFileHandle file(::CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            LARGE_INTEGER end{};
            end.QuadPart = size;
            ASSERT_TRUE(file && ::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.Get()));
        }
        EXPECT_EQ(Extract(big, 0, 32).count, size == static_cast<LONGLONG>(kMaxIconFileBytes) ? 1u : 0u);
    }
    EXPECT_EQ(CountOnly(big), 0u);
}

TEST(ExtractIconsTest, MagentaBackgroundOfABitmapBecomesTransparent) {
    ScopedGdiplusStartup gdiplus;
    ASSERT_TRUE(gdiplus.Succeeded());
    IconHandleRoom room(1);
    ASSERT_EQ(ExtractIconsFromFile(FixturePath(L"magenta.bmp"), 0, 0, 0, room.Slots(), nullptr, 1, 0), 1u);
    IconPixels pixels;
    ASSERT_TRUE(ReadIconPixels(room.At(0), pixels));
    ASSERT_EQ(pixels.width, 32);
    ASSERT_EQ(pixels.height, 32);
    for (const auto& [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}, {7, 16}, {24, 16}})
        EXPECT_EQ(test::AlphaOf(test::PixelAt(pixels, x, y)), 0) << x << "," << y;
    for (const auto& [x, y] : {std::pair{8, 8}, {16, 16}, {23, 23}})
        EXPECT_EQ(test::PixelAt(pixels, x, y), 0xFF0000FFu) << x << "," << y; // the opaque blue square
}

TEST(ExtractIconsTest, RefusedNamesGiveNoIconWhateverTheFileHolds) {
    test::ScratchFolder folder(L"refused");
    const test::Bytes icon = test::ReadBytes(FixturePath(L"small16.ico"));
    ASSERT_TRUE(test::WriteBytes(folder.File(L"icon.ico"), icon));
    EXPECT_EQ(Extract(folder.File(L"icon.ico"), 0, 32).count, 1u); // the same bytes, an accepted name
    for (const wchar_t* extension : {L".com", L".bat", L".BAT", L".cmd", L".pif", L".lnk", L".LNK", L".Lnk"}) {
        ASSERT_TRUE(test::WriteBytes(folder.File(std::wstring(L"icon") + extension), icon));
        EXPECT_EQ(Extract(folder.File(std::wstring(L"icon") + extension), 0, 32).count, 0u) << extension;
    }
    // A variable that brings in a refused extension is refused too.
    const test::ScopedEnvironmentVariable shortcut(L"TSU_ICON_EXT", L".lnk");
    EXPECT_EQ(Extract(folder.File(L"icon%TSU_ICON_EXT%"), 0, 32).count, 0u);
}

TEST(ExtractIconsTest, ReadingLeavesTheLastAccessTimeAlone) {
    test::ScratchFolder folder(L"atime");
    for (const auto& [name, from] : {std::pair<const wchar_t*, std::wstring>{L"a.ico", FixturePath(L"multi.ico")},
                                     {L"a.exe", BinFile(L"icons_fixture_app.exe")},
                                     {L"a.bmp", FixturePath(L"magenta.bmp")}}) {
        const std::wstring path = folder.File(name);
        ASSERT_TRUE(::CopyFileW(from.c_str(), path.c_str(), FALSE));
        const FILETIME old{0x12345678, 0x01C00000};
        {
            UniqueFileHandle file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(file && ::SetFileTime(file.Get(), nullptr, &old, nullptr));
        }
        EXPECT_EQ(Extract(path, 0, 32).count, 1u) << name;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
        EXPECT_EQ(::CompareFileTime(&data.ftLastAccessTime, &old), 0) << name;
    }
}

} // namespace
} // namespace tsu
