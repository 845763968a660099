#include "IconTestSupport.h"
#include "icons/ExtractIconsFromFile.h"
#include "icons/IconHandleRoom.h"
#include "icons/IconPngCache.h"
#include "icons/IconPngConversion.h"
#include "inventory/core/SoftwareRecord.h"

#include "framework/ScopedHandles.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tsu {
namespace {

using test::AlphaOf;
using test::BinFile;
using test::FixturePath;
using test::NsisPath;
using test::PixelAt;

std::wstring FixtureApp() {
    return BinFile(L"icons_fixture_app.exe");
}

bool HasOpaquePixels(const IconPixels& pixels) {
    return std::any_of(pixels.argb.begin(), pixels.argb.end(), [](uint32_t p) { return AlphaOf(p) == 255; });
}

bool HasOpaqueAndClearPixels(const IconPixels& pixels) {
    const bool opaque =
        std::any_of(pixels.argb.begin(), pixels.argb.end(), [](uint32_t p) { return AlphaOf(p) == 255; });
    const bool clear = std::any_of(pixels.argb.begin(), pixels.argb.end(), [](uint32_t p) { return AlphaOf(p) == 0; });
    return opaque && clear;
}

class IconPngCacheTest : public ::testing::Test {
protected:
    // Decodes the PNG the cache reported; fails the test when there is none.
    IconPixels Made(const std::wstring& iconPath, int32_t kind, const std::wstring& stem = L"0") {
        std::wstring png = L"untouched";
        const bool made = m_cache.MakeIconPng(iconPath, stem, kind, png);
        EXPECT_TRUE(made) << iconPath;
        IconPixels pixels;
        if (made) {
            EXPECT_EQ(png, m_folder.File(stem + L".png"));
            EXPECT_TRUE(test::DecodeImage(png, pixels));
        }
        return pixels;
    }
    // A request that must fail and leave no file of its stem behind.
    void ExpectNothing(const std::wstring& iconPath, int32_t kind, const std::wstring& stem = L"9") {
        std::wstring png = L"untouched";
        EXPECT_FALSE(m_cache.MakeIconPng(iconPath, stem, kind, png)) << iconPath;
        EXPECT_TRUE(png.empty() || png == L"untouched") << iconPath;
        EXPECT_FALSE(test::FileExists(m_folder.File(stem + L".png"))) << iconPath;
        EXPECT_FALSE(test::FileExists(m_folder.File(stem + L".ico"))) << iconPath;
    }

    test::ScratchFolder m_folder{L"cache"};
    IconPngCache m_cache{m_folder.Path()};
};

// ---- Icon files (kind 3) -----------------------------------------------------------------------

TEST_F(IconPngCacheTest, SmallIconFileIsReloadedAt32) {
    const IconPixels pixels = Made(FixturePath(L"small16.ico"), kIconKindOther);
    EXPECT_EQ(pixels.width, 32);
    EXPECT_EQ(pixels.height, 32);
    EXPECT_EQ(AlphaOf(PixelAt(pixels, 0, 0)), 0);
    EXPECT_EQ(AlphaOf(PixelAt(pixels, 16, 16)), 255);
    EXPECT_EQ(m_folder.Names(), std::vector<std::wstring>{L"0.png"}); // the .ico went away
}

TEST_F(IconPngCacheTest, IconFileKeepsItsAlphaChannel) {
    const IconPixels pixels = Made(FixturePath(L"multi.ico"), kIconKindOther);
    ASSERT_GE(pixels.width, 32);
    // The soft ring of the fixture is alpha 128: partial alpha survives the .ico round trip.
    const int ring = pixels.width / 2 + static_cast<int>(pixels.width * 0.75 / 2);
    EXPECT_EQ(AlphaOf(PixelAt(pixels, ring, pixels.height / 2)), 128);
    EXPECT_EQ(AlphaOf(PixelAt(pixels, 0, 0)), 0);
    EXPECT_EQ(PixelAt(pixels, pixels.width / 2, pixels.height / 2) >> 24, 255u);
}

class NsisIconPngTest : public IconPngCacheTest, public ::testing::WithParamInterface<std::wstring> {};

TEST_P(NsisIconPngTest, EveryShippedIconBecomesAVisiblePng) {
    // Most of these are 4- and 8-bit icons without alpha: their transparency comes from the mask,
    // and the picture itself must stay opaque (a few are square and have no transparent pixel).
    const IconPixels pixels = Made(GetParam(), kIconKindOther);
    EXPECT_GE(pixels.width, 32);
    EXPECT_TRUE(HasOpaquePixels(pixels)) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Nsis, NsisIconPngTest,
                         ::testing::ValuesIn(test::ListFiles(NsisPath(L"Contrib\\Graphics\\Icons"), L"*.ico")));

TEST_F(IconPngCacheTest, UnreadableIconFilesGiveNothing) {
    ExpectNothing(FixturePath(L"count0.ico"), kIconKindOther);
    ExpectNothing(FixturePath(L"missing.ico"), kIconKindOther);
    ExpectNothing(FixturePath(L"make_icon_fixtures.py"), kIconKindOther);
    ExpectNothing(L"", kIconKindOther);
}

// ---- Libraries (kind 2) ------------------------------------------------------------------------

TEST_F(IconPngCacheTest, LibraryGivesItsFirstGroupAt128) {
    const IconPixels pixels = Made(FixtureApp(), kIconKindDll);
    EXPECT_EQ(pixels.width, kLibraryIconSize);
    EXPECT_EQ(pixels.height, kLibraryIconSize);
    EXPECT_EQ(AlphaOf(PixelAt(pixels, 0, 0)), 0);
    EXPECT_EQ(AlphaOf(PixelAt(pixels, 64, 64)), 255);
}

TEST_F(IconPngCacheTest, LibraryWithManyGroupsDestroysEveryIcon) {
    test::PeImageBuilder builder(true);
    for (uint16_t id = 1; id <= 60; ++id)
        builder.AddIconGroup(id, {32}, 0x405060);
    const std::wstring library = m_folder.File(L"many.dll");
    ASSERT_TRUE(test::WriteBytes(library, builder.Build()));
    // Every handle the room got is destroyed with it: none of them names an icon afterwards.
    std::vector<HICON> seen;
    {
        IconHandleRoom room(kLibraryIconRoom);
        ASSERT_EQ(ExtractIconsFromFile(library, 0, 128, 128, room.Slots(), nullptr, room.Capacity(), LR_COLOR), 60u);
        seen.assign(room.Slots(), room.Slots() + 60);
    }
    for (HICON icon : seen) {
        ICONINFO info{};
        EXPECT_FALSE(::GetIconInfo(icon, &info));
    }
    EXPECT_EQ(Made(library, kIconKindDll).width, kLibraryIconSize);
}

TEST_F(IconPngCacheTest, LibraryWhoseBestImageIsPngGivesNothing) {
    ExpectNothing(BinFile(L"icons_fixture_pngfirst.dll"), kIconKindDll);
    ExpectNothing(NsisPath(L"Contrib\\UIs\\modern.exe"), kIconKindDll); // no icon group at all
    ExpectNothing(L"C:\\no\\such\\library.dll", kIconKindDll);
}

// ---- Executables (kind 1) ----------------------------------------------------------------------

TEST_F(IconPngCacheTest, ExecutableGivesItsOwnFirstGroupAt32) {
    const IconPixels pixels = Made(FixtureApp(), kIconKindExe);
    ASSERT_EQ(pixels.width, kListIconSize);
    ASSERT_EQ(pixels.height, kListIconSize);
    // The 32-pixel image of the first group: green (40, 180, 40) with a half-transparent ring.
    EXPECT_EQ(PixelAt(pixels, 16, 16), 0xFF28B428u);
    EXPECT_EQ(AlphaOf(PixelAt(pixels, 16 + 12, 16)), 128);
    EXPECT_EQ(AlphaOf(PixelAt(pixels, 0, 0)), 0);
}

TEST_F(IconPngCacheTest, ExecutableWithoutIconGroupFallsBackToTheShell) {
    const IconPixels pixels = Made(NsisPath(L"Contrib\\UIs\\sdbarker_tiny.exe"), kIconKindExe);
    EXPECT_EQ(pixels.width, kListIconSize);
    EXPECT_EQ(pixels.height, kListIconSize);
}

TEST_F(IconPngCacheTest, ExecutableBranchLeavesNoModuleOrViewBehind) {
    const std::wstring own = m_folder.File(L"modcheck.exe");
    const std::wstring plain = m_folder.File(L"modplain.exe");
    ASSERT_TRUE(::CopyFileW(FixtureApp().c_str(), own.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW(NsisPath(L"Contrib\\UIs\\modern.exe").c_str(), plain.c_str(), FALSE));
    EXPECT_EQ(Made(own, kIconKindExe, L"1").width, kListIconSize);
    EXPECT_EQ(Made(plain, kIconKindExe, L"2").width, kListIconSize);
    EXPECT_EQ(Made(own, kIconKindDll, L"3").width, kLibraryIconSize);
    EXPECT_EQ(test::CountMappedViews(L"modcheck.exe"), 0);
    EXPECT_EQ(test::CountMappedViews(L"modplain.exe"), 0);
}

TEST_F(IconPngCacheTest, PngOnlyExecutableAndMissingFilesGiveNothing) {
    ExpectNothing(L"C:\\no\\such\\program.exe", kIconKindExe);
    ExpectNothing(FixturePath(L"multi.ico"), kIconKindExe); // not a module
    // The first group's 32-pixel choice is the PNG image: no picture, and no shell fallback.
    ExpectNothing(BinFile(L"icons_fixture_pngfirst.dll"), kIconKindExe);
}

TEST_F(IconPngCacheTest, UnknownKindsGiveNothing) {
    for (int32_t kind : {0, 4, -1, 100})
        ExpectNothing(FixturePath(L"small16.ico"), kind);
}

TEST_F(IconPngCacheTest, SameStemIsOverwritten) {
    EXPECT_EQ(Made(FixturePath(L"small16.ico"), kIconKindOther, L"5").width, 32);
    EXPECT_EQ(Made(FixtureApp(), kIconKindDll, L"5").width, 128);
    EXPECT_EQ(m_folder.Names(), std::vector<std::wstring>{L"5.png"});
}

TEST_F(IconPngCacheTest, CacheFolderIsCreatedWithItsParents) {
    IconPngCache nested(m_folder.File(L"a\\b\\"));
    std::wstring png;
    ASSERT_TRUE(nested.MakeIconPng(FixturePath(L"small16.ico"), L"0", kIconKindOther, png));
    EXPECT_EQ(png, m_folder.File(L"a\\b\\0.png"));
    EXPECT_TRUE(::DeleteFileW(png.c_str()));
    EXPECT_TRUE(::RemoveDirectoryW(m_folder.File(L"a\\b").c_str()));
    EXPECT_TRUE(::RemoveDirectoryW(m_folder.File(L"a").c_str()));
}

TEST(IconPngCacheFolderTest, DefaultFolderIsImageBesideTheExecutable) {
    wchar_t module[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(nullptr, module, MAX_PATH), 0u);
    std::wstring expected = module;
    expected = expected.substr(0, expected.rfind(L'\\')) + L"\\Image\\";
    EXPECT_EQ(IconPngCache::DefaultCacheFolder(), expected);
}

// ---- The conversion steps ---------------------------------------------------------------------

class ConversionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_gdiplus.Succeeded()); }
    UniqueHicon LoadIcon(const std::wstring& path, int size) {
        return UniqueHicon(
            static_cast<HICON>(::LoadImageW(nullptr, path.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE)));
    }
    ScopedGdiplusStartup m_gdiplus;
    test::ScratchFolder m_folder{L"steps"};
};

TEST_F(ConversionTest, FindsTheEncoderWhateverTheCase) {
    CLSID png{};
    EXPECT_EQ(FindImageEncoder(L"image/png", png), kEncoderFound);
    CLSID upper{};
    EXPECT_EQ(FindImageEncoder(L"IMAGE/PNG", upper), kEncoderFound);
    EXPECT_TRUE(::IsEqualCLSID(png, upper));
    CLSID none{};
    EXPECT_EQ(FindImageEncoder(L"image/x-no-such-type", none), kEncoderNotFound);
}

TEST_F(ConversionTest, IconToPngKeepsPartialAlpha) {
    UniqueHicon icon = LoadIcon(FixturePath(L"multi.ico"), 48);
    ASSERT_TRUE(icon);
    const std::wstring png = m_folder.File(L"a.png");
    ASSERT_TRUE(IconToPng(icon.Get(), png));
    IconPixels pixels;
    ASSERT_TRUE(test::DecodeImage(png, pixels));
    ASSERT_EQ(pixels.width, 48);
    EXPECT_EQ(PixelAt(pixels, 24, 24), 0xFF2828DCu); // blue (40, 40, 220), opaque
    EXPECT_EQ(AlphaOf(PixelAt(pixels, 24 + 17, 24)), 128);
    EXPECT_EQ(AlphaOf(PixelAt(pixels, 0, 0)), 0);
}

TEST_F(ConversionTest, IconWithoutAlphaTakesItsMask) {
    // A 4-bit icon: on a 32-bit screen its colour bitmap comes back with alpha 0 everywhere.
    // Taken as ARGB that would be an invisible picture; the mask decides instead.
    UniqueHicon icon = LoadIcon(NsisPath(L"Contrib\\Graphics\\Icons\\classic-install.ico"), 32);
    ASSERT_TRUE(icon);
    IconPixels read;
    ASSERT_TRUE(ReadIconPixels(icon.Get(), read));
    EXPECT_FALSE(read.ownAlpha);
    const std::wstring png = m_folder.File(L"classic.png");
    ASSERT_TRUE(IconToPng(icon.Get(), png));
    IconPixels pixels;
    ASSERT_TRUE(test::DecodeImage(png, pixels));
    EXPECT_TRUE(HasOpaqueAndClearPixels(pixels));
    EXPECT_EQ(pixels.argb, read.argb);
}

TEST_F(ConversionTest, MonochromeIconTakesItsMask) {
    // 8 x 8 monochrome: left half transparent (AND 1, XOR 0), right half black or white.
    const BYTE andBits[16] = {0xF0, 0, 0xF0, 0, 0xF0, 0, 0xF0, 0, 0xF0, 0, 0xF0, 0, 0xF0, 0, 0xF0, 0};
    const BYTE xorBits[16] = {0x0F, 0, 0x00, 0, 0x0F, 0, 0x00, 0, 0x0F, 0, 0x00, 0, 0x0F, 0, 0x00, 0};
    UniqueHicon icon(::CreateIcon(nullptr, 8, 8, 1, 1, andBits, xorBits));
    ASSERT_TRUE(icon);
    IconPixels read;
    ASSERT_TRUE(ReadIconPixels(icon.Get(), read));
    ASSERT_EQ(read.width, 8);
    ASSERT_EQ(read.height, 8);
    EXPECT_EQ(AlphaOf(PixelAt(read, 0, 0)), 0);
    EXPECT_EQ(PixelAt(read, 7, 0), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(read, 7, 1), 0xFF000000u);
    ASSERT_TRUE(IconToPng(icon.Get(), m_folder.File(L"mono.png")));
}

TEST_F(ConversionTest, NullIconAndUnwritablePathsWriteNothing) {
    EXPECT_FALSE(IconToPng(nullptr, m_folder.File(L"null.png")));
    EXPECT_FALSE(test::FileExists(m_folder.File(L"null.png")));
    UniqueHicon icon = LoadIcon(FixturePath(L"small16.ico"), 16);
    ASSERT_TRUE(icon);
    EXPECT_FALSE(IconToPng(icon.Get(), m_folder.File(L"no\\such\\folder\\a.png")));
    EXPECT_FALSE(SaveIconAsIco(icon.Get(), 32, m_folder.File(L"no\\such\\folder\\a.ico")));
    EXPECT_FALSE(SaveIconAsIco(nullptr, 32, m_folder.File(L"null.ico")));
    EXPECT_FALSE(IcoFileToPng(m_folder.File(L"missing.ico"), m_folder.File(L"missing.png")));
    EXPECT_FALSE(test::FileExists(m_folder.File(L"missing.png")));
}

TEST_F(ConversionTest, VerificationRejectsWrongSizeAndAlpha) {
    UniqueHicon icon = LoadIcon(FixturePath(L"multi.ico"), 32);
    ASSERT_TRUE(icon);
    const std::wstring png = m_folder.File(L"v.png");
    ASSERT_TRUE(IconToPng(icon.Get(), png));
    IconPixels expected;
    ASSERT_TRUE(ReadIconPixels(icon.Get(), expected));
    EXPECT_TRUE(VerifyPngFile(png, expected));
    IconPixels otherAlpha = expected;
    otherAlpha.argb[16 * 32 + 16] &= 0x00FFFFFFu;
    EXPECT_FALSE(VerifyPngFile(png, otherAlpha));
    IconPixels otherSize = expected;
    otherSize.width = 16;
    EXPECT_FALSE(VerifyPngFile(png, otherSize));
    ASSERT_TRUE(test::WriteBytes(m_folder.File(L"broken.png"), test::Bytes{0x89, 'P', 'N', 'G', 1, 2, 3}));
    EXPECT_FALSE(VerifyPngFile(m_folder.File(L"broken.png"), expected));
}

TEST_F(ConversionTest, ExeIconToPngUsesTheSizeClass) {
    struct Case {
        int size;
        int expected;
    };
    for (const Case c : {Case{0, 16}, Case{16, 16}, Case{32, 32}, Case{47, 32}, Case{48, 48}}) {
        const std::wstring png = m_folder.File(L"exe" + std::to_wstring(c.size) + L".png");
        ASSERT_TRUE(ExeIconToPng(NsisPath(L"Contrib\\UIs\\default.exe"), png, c.size)) << c.size;
        IconPixels pixels;
        ASSERT_TRUE(test::DecodeImage(png, pixels));
        EXPECT_EQ(pixels.width, c.expected) << c.size;
    }
}

struct IcoCase {
    int bits;
    size_t palette;
};

class SaveIconAsIcoTest : public ConversionTest, public ::testing::WithParamInterface<IcoCase> {};

TEST_P(SaveIconAsIcoTest, WritesOneImageIconFile) {
    UniqueHicon icon = LoadIcon(FixturePath(L"multi.ico"), 32);
    ASSERT_TRUE(icon);
    const std::wstring ico = m_folder.File(L"one.ico");
    ASSERT_TRUE(SaveIconAsIco(icon.Get(), GetParam().bits, ico));
    const test::Bytes bytes = test::ReadBytes(ico);
    const size_t colourRow = ((32 * GetParam().bits + 31) / 32) * 4;
    const size_t expectedSize = 22 + 40 + GetParam().palette + colourRow * 32 + 4 * 32;
    ASSERT_EQ(bytes.size(), expectedSize);
    EXPECT_EQ(bytes[0] | bytes[1] << 8, 0); // reserved
    EXPECT_EQ(bytes[2] | bytes[3] << 8, 1); // icon
    EXPECT_EQ(bytes[4] | bytes[5] << 8, 1); // one image
    EXPECT_EQ(bytes[6], 32);                // width
    EXPECT_EQ(bytes[7], 32);                // height
    EXPECT_EQ(bytes[8], GetParam().bits == 4 ? 16 : 0);
    EXPECT_EQ(bytes[12] | bytes[13] << 8, GetParam().bits);
    EXPECT_EQ(test::GetU32(bytes, 14), expectedSize - 22); // bytes in resource
    EXPECT_EQ(test::GetU32(bytes, 18), 22u);               // offset
    EXPECT_EQ(test::GetU32(bytes, 22), 40u);               // BITMAPINFOHEADER
    EXPECT_EQ(test::GetU32(bytes, 30), 64u);               // doubled height
    UniqueHicon back = LoadIcon(ico, 0);
    ASSERT_TRUE(back);
    EXPECT_EQ(test::IconSize(back.Get()).cx, 32);
}

INSTANTIATE_TEST_SUITE_P(Depths, SaveIconAsIcoTest,
                         ::testing::Values(IcoCase{1, 8}, IcoCase{4, 64}, IcoCase{8, 1024}, IcoCase{24, 0},
                                           IcoCase{32, 0}));

} // namespace
} // namespace tsu
