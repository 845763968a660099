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

TEST(ExtractIconsTest, GivesWhatEachFileHolds) {
    const ScopedEnvironmentVariable fixtures(L"TSU_ICON_FIXTURES", FixturePath(L""));
    const std::wstring app = BinFile(L"icons_fixture_app.exe");
    const std::wstring ico = FixturePath(L"multi.ico"), bmp = FixturePath(L"magenta.bmp");
    struct Case {
        std::wstring path;
        int index, size;
        UINT count;
        int width = 0; // of the first icon
        UINT id = 0;   // of the first icon, when not 0
    };
    // The fixture program's groups by position: 1 (16, 32, 48, PNG as images 1-4), 7 (PNG only), 9 (4-bit).
    const Case cases[] = {
        {app, 0, 32, 1, 32, 2}, {app, 0, 256, 0}, // the exact match is PNG: not made into an icon
        {app, -1, 48, 2, 48, 3},
        {NsisPath(L"Stubs\\zlib-amd64-unicode"), -103, 32, 1, 32}, // a real PE32+ file
        {ico, 0, 48, 1, 48, kNoId}, {FixturePath(L"count0.ico"), 0, 32, 0},
        {FixturePath(L"spinner.ani"), 0, 32, 1, 32}, {bmp, 0, 48, 1, 48}, {FixturePath(L"zero.bmp"), 0, 32, 0},
        {L"%TSU_ICON_FIXTURES%small16.ico", 0, 32, 1, 32}, // scaled up by the loader
        {L"C:\\no\\such\\file.ico", 0, 32, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.path << " " << c.index << " " << c.size);
        const Extraction got = Extract(c.path, c.index, c.size);
        EXPECT_EQ(std::make_pair(got.count, got.width), std::make_pair(c.count, c.width));
        EXPECT_TRUE((c.id == 0 || got.id == c.id) && (c.count > 0 || got.id == kNoId)) << got.id;
    }
    EXPECT_EQ(ExtractIconsFromFile(ico, 0, 32, 32, nullptr, nullptr, 0, 0), 1u); // only counts
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
        UniqueFileHandle file(::CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        LARGE_INTEGER end{};
        end.QuadPart = size; // zeros after the image: an overlay, which the reader ignores
        ASSERT_TRUE(file && ::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.Get()));
        file.Reset();
        EXPECT_EQ(Extract(big).count, size == LONGLONG(kMaxIconFileBytes) ? 1u : 0u);
    }
    EXPECT_EQ(ExtractIconsFromFile(big, 0, 32, 32, nullptr, nullptr, 0, 0), 0u);
}

// The colour of the top-left pixel is the background.
TEST(ExtractIconsTest, MagentaBackgroundOfABitmapBecomesTransparent) {
    IconHandleRoom room(1);
    IconPixels pixels;
    ASSERT_EQ(ExtractIconsFromFile(FixturePath(L"magenta.bmp"), 0, 32, 32, room.Slots(), nullptr, 1, 0), 1u);
    ASSERT_TRUE(ReadIconPixels(room.At(0), pixels));
    EXPECT_EQ(std::tuple(AlphaOf(PixelAt(pixels, 24, 16)), PixelAt(pixels, 8, 8)), std::tuple(0, 0xFF0000FFu));
}

TEST(ExtractIconsTest, RefusedNamesGiveNoIconWhateverTheFileHolds) {
    ScratchFolder folder(L"refused");
    const ScopedEnvironmentVariable shortcut(L"TSU_ICON_EXT", L".lnk"); // a variable brings it in
    ASSERT_TRUE(WriteFileBytes(folder.File(L"icon.lnk"), ReadFileBytes(FixturePath(L"small16.ico"))));
    EXPECT_EQ(Extract(folder.File(L"icon%TSU_ICON_EXT%")).count, 0u);
}

// One guard keeps the time whichever loader reads the file.
TEST(ExtractIconsTest, ReadingLeavesTheLastAccessTimeAlone) {
    ScratchFolder folder(L"atime");
    const std::wstring path = folder.File(L"a.exe");
    const FILETIME old{0x12345678, 0x01C00000};
    ASSERT_TRUE(::CopyFileW(BinFile(L"icons_fixture_app.exe").c_str(), path.c_str(), FALSE));
    UniqueFileHandle file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file && ::SetFileTime(file.Get(), nullptr, &old, nullptr));
    file.Reset(); // closed before the read
    EXPECT_EQ(Extract(path).count, 1u);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(::CompareFileTime(&data.ftLastAccessTime, &old), 0);
}

} // namespace
} // namespace tsu
