#include "IconTestSupport.h"
#include "icons/ExtractIconsFromFile.h"
#include "icons/IconHandleRoom.h"
#include "icons/core/IconFileRules.h"

#include "framework/ScopedHandles.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

using namespace test;

constexpr UINT kNoId = static_cast<UINT>(-1);

struct Extraction {
    UINT count = 0;
    int width = 0; // of the first icon
    UINT id = 0;
};
// Extracts into 500 slots (destroyed with the room) and measures the first icon.
Extraction Extract(const std::wstring& path, int index = 0, int size = 32) {
    IconHandleRoom icons(500);
    std::vector<UINT> ids(500, 0xABCD);
    const UINT count = ExtractIconsFromFile(path, index, size, size, icons.Slots(), ids.data(), 500, 0);
    for (UINT i = count; i < 500; ++i)
        EXPECT_EQ(icons.At(i), nullptr) << i;
    IconPixels pixels;
    const bool square = ReadIconPixels(icons.At(0), pixels) && pixels.width == pixels.height;
    return Extraction{count, square ? pixels.width : 0, ids[0]};
}

UINT CountOnly(const std::wstring& path) {
    return ExtractIconsFromFile(path, 0, 32, 32, nullptr, nullptr, 0, 0);
}

TEST(ExtractIconsTest, GivesWhatEachFileHolds) {
    const ScopedEnvironmentVariable fixtures(L"TSU_ICON_FIXTURES", FixturePath(L""));
    const std::wstring app = BinFile(L"icons_fixture_app.exe"), pngFirst = BinFile(L"icons_fixture_pngfirst.dll");
    const std::wstring x86Stub = NsisPath(L"Stubs\\zlib-x86-unicode"), x64Stub = NsisPath(L"Stubs\\zlib-amd64-unicode");
    const std::wstring ico = FixturePath(L"multi.ico"), ani = FixturePath(L"spinner.ani"),
                       bmp = FixturePath(L"magenta.bmp"), uis = NsisPath(L"Contrib\\UIs\\modern.exe");
    struct Case {
        std::wstring path;
        int index, size;
        UINT count;
        int width = 0; // of the first icon
        UINT id = 0;   // of the first icon, when not 0
    };
    // The fixture program's groups by position: 1 (16, 32, 48, PNG as images 1-4), 7 (PNG only), 9 (4-bit).
    const Case cases[] = {
        {app, 0, 16, 1, 16, 1}, {app, 0, 32, 1, 32, 2},
        {app, 0, 256, 0},                     // the exact match is PNG: not made into an icon
        {app, -1, 48, 2, 48, 3}, {pngFirst, 0, 128, 0},
        {x86Stub, 0, 32, 1, 32}, {x64Stub, -103, 32, 1, 32}, {uis, 0, 32, 0}, // real PE files of both layouts
        {ico, 0, 48, 1, 48, kNoId}, {ico, 1, 48, 0}, {FixturePath(L"count0.ico"), 0, 32, 0},
        {FixturePath(L"small16.ico"), 0, 32, 1, 32}, // scaled up by the loader
        {ani, 0, 32, 1, 32}, {bmp, 0, 48, 1, 48}, {bmp, 1, 32, 0}, {FixturePath(L"zero.bmp"), 0, 32, 0},
        {L"%TSU_ICON_FIXTURES%small16.ico", 0, 32, 1, 32}, {L"", 0, 32, 0}, {L"C:\\no\\such\\file.ico", 0, 32, 0},
        {FixturePath(L""), 0, 32, 0}, {L"\\\\tsu-nowhere\\share\\a.ico", 0, 32, 0},
        {FixturePath(L"make_icon_fixtures.py"), 0, 32, 0}}; // no known header
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.path << " " << c.index << " " << c.size);
        const Extraction got = Extract(c.path, c.index, c.size);
        EXPECT_EQ(std::make_pair(got.count, got.width), std::make_pair(c.count, c.width));
        EXPECT_TRUE((c.id == 0 || got.id == c.id) && (c.count > 0 || got.id == kNoId)) << got.id;
    }
    for (const auto& [path, expected] : {std::pair{app, 3u}, {pngFirst, 2u}, {uis, 0u}, {ico, 1u}})
        EXPECT_EQ(CountOnly(path), expected) << path;
    HICON sentinel = reinterpret_cast<HICON>(0x1234);
    UINT id = 77; // count 0 only counts: the arrays are not touched
    EXPECT_EQ(ExtractIconsFromFile(app, 0, 32, 32, &sentinel, &id, 0, 0), 3u);
    EXPECT_TRUE(sentinel == reinterpret_cast<HICON>(0x1234) && id == 77u);
}

TEST(ExtractIconsTest, FileOverTheSizeCapGivesNoIcon) {
    ScratchFolder folder(L"oversize");
    const std::wstring big = folder.File(L"big.exe");
    ASSERT_TRUE(::CopyFileW(BinFile(L"icons_fixture_app.exe").c_str(), big.c_str(), FALSE));
    for (const LONGLONG size : {LONGLONG(kMaxIconFileBytes), LONGLONG(kMaxIconFileBytes) + 1}) {
        {   // zeros after the image: an overlay, which the reader ignores
            UniqueFileHandle file(::CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            LARGE_INTEGER end{};
            end.QuadPart = size;
            ASSERT_TRUE(file && ::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.Get()));
        }
        EXPECT_EQ(Extract(big).count, size == LONGLONG(kMaxIconFileBytes) ? 1u : 0u);
    }
    EXPECT_EQ(CountOnly(big), 0u);
}

TEST(ExtractIconsTest, MagentaBackgroundOfABitmapBecomesTransparent) {
    IconHandleRoom room(1);
    ASSERT_EQ(ExtractIconsFromFile(FixturePath(L"magenta.bmp"), 0, 0, 0, room.Slots(), nullptr, 1, 0), 1u);
    IconPixels pixels;
    ASSERT_TRUE(ReadIconPixels(room.At(0), pixels) && pixels.width == 32 && pixels.height == 32);
    for (const auto& [x, y] : {std::pair{0, 0}, {31, 31}, {7, 16}, {24, 16}})
        EXPECT_EQ(AlphaOf(PixelAt(pixels, x, y)), 0) << x << "," << y;
    for (const auto& [x, y] : {std::pair{8, 8}, {23, 23}})
        EXPECT_EQ(PixelAt(pixels, x, y), 0xFF0000FFu) << x << "," << y; // the opaque blue square
}

TEST(ExtractIconsTest, RefusedNamesGiveNoIconWhateverTheFileHolds) {
    ScratchFolder folder(L"refused");
    const std::string icon = ReadFileBytes(FixturePath(L"small16.ico"));
    const ScopedEnvironmentVariable shortcut(L"TSU_ICON_EXT", L".lnk"); // a variable brings it in
    for (const auto& [name, count] : {std::pair{L"icon.ico", 1u}, {L"icon.BAT", 0u}, {L"icon.Lnk", 0u}}) {
        ASSERT_TRUE(WriteFileBytes(folder.File(name), icon));
        EXPECT_EQ(Extract(folder.File(name)).count, count) << name;
    }
    EXPECT_EQ(Extract(folder.File(L"icon%TSU_ICON_EXT%")).count, 0u);
}

// One guard keeps the time whichever loader reads the file.
TEST(ExtractIconsTest, ReadingLeavesTheLastAccessTimeAlone) {
    ScratchFolder folder(L"atime");
    const std::wstring path = folder.File(L"a.exe");
    const FILETIME old{0x12345678, 0x01C00000};
    ASSERT_TRUE(::CopyFileW(BinFile(L"icons_fixture_app.exe").c_str(), path.c_str(), FALSE));
    {
        UniqueFileHandle file(
            ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file && ::SetFileTime(file.Get(), nullptr, &old, nullptr));
    }
    EXPECT_EQ(Extract(path).count, 1u);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(::CompareFileTime(&data.ftLastAccessTime, &old), 0);
}

} // namespace
} // namespace tsu
