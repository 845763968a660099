#include "IconTestSupport.h"
#include "icons/ExtractIconsFromFile.h"
#include "icons/IconHandleRoom.h"
#include "icons/IconPngCache.h"
#include "icons/PicturePass.h"
#include "inventory/core/SoftwareRecord.h"
#include "tests/common/ScratchKey.h"
#include "tests/smart/ShortcutFiles.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>

namespace tsu {
namespace {

using namespace test;

class IconPngCacheTest : public ::testing::Test {
protected:
    // Decodes the PNG the cache reported; fails the test when there is none.
    IconPixels Made(const std::wstring& iconPath, int32_t kind) {
        std::wstring png;
        const bool made = m_cache.MakeIconPng(iconPath, L"0", kind, png);
        IconPixels pixels;
        EXPECT_TRUE(made && png == m_folder.File(L"0.png") && DecodeImage(png, pixels)) << iconPath;
        return pixels;
    }
    ScopedGdiplusStartup m_gdiplus; // DecodeImage: a decoder of its own checks the files
    ScratchFolder m_folder{L"cache"};
    IconPngCache m_cache{m_folder.Path()};
};

TEST_F(IconPngCacheTest, EachKindGivesItsPictureAndLeavesNoModuleOrViewBehind) {
    EXPECT_EQ(Made(FixturePath(L"small16.ico"), kIconKindOther).width, 32); // reloaded at 32
    EXPECT_EQ(m_folder.Names(), std::vector<std::wstring>{L"0.png"});      // the .ico went away
    // The soft ring of multi.ico is alpha 128: partial alpha survives the .ico round trip.
    const IconPixels multi = Made(FixturePath(L"multi.ico"), kIconKindOther);
    ASSERT_GE(multi.width, 32);
    EXPECT_EQ(AlphaOf(PixelAt(multi, multi.width / 2 + multi.width * 3 / 8, multi.height / 2)), 128);
    EXPECT_EQ(AlphaOf(PixelAt(multi, 0, 0)), 0);
    const std::wstring own = m_folder.File(L"modcheck.exe"), plain = m_folder.File(L"modplain.exe");
    ASSERT_TRUE(::CopyFileW(BinFile(L"icons_fixture_app.exe").c_str(), own.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW(NsisPath(L"Contrib\\UIs\\sdbarker_tiny.exe").c_str(), plain.c_str(), FALSE));
    const IconPixels library = Made(own, kIconKindDll);
    EXPECT_EQ(library.width, kLibraryIconSize);
    EXPECT_EQ(std::make_pair(AlphaOf(PixelAt(library, 0, 0)), AlphaOf(PixelAt(library, 64, 64))),
              std::make_pair(uint8_t{0}, uint8_t{255}));
    // An executable's own first group at 32: green (40, 180, 40) with a half-transparent ring.
    const IconPixels program = Made(own, kIconKindExe);
    ASSERT_EQ(program.width, kListIconSize);
    EXPECT_EQ(PixelAt(program, 16, 16), 0xFF28B428u);
    EXPECT_EQ(AlphaOf(PixelAt(program, 16 + 12, 16)), 128);
    EXPECT_EQ(Made(plain, kIconKindExe).width, kListIconSize); // no icon group: the shell's icon
    EXPECT_EQ(m_folder.Names(), (std::vector<std::wstring>{L"0.png", L"modcheck.exe", L"modplain.exe"}));
    EXPECT_FALSE(IsMapped(L"modcheck.exe") || IsMapped(L"modplain.exe"));
}

TEST_F(IconPngCacheTest, UnusableSourcesGiveNothingAndLeaveNothing) {
    const std::wstring pngFirst = BinFile(L"icons_fixture_pngfirst.dll"), small = FixturePath(L"small16.ico");
    // What the reader refuses is in its own tests; here one row per branch of the cache.
    const std::pair<std::wstring, int32_t> cases[] = {
        {FixturePath(L"count0.ico"), kIconKindOther},          {L"C:\\no\\such\\program.exe", kIconKindExe},
        {pngFirst, kIconKindDll},                              // best image is PNG
        {NsisPath(L"Contrib\\UIs\\modern.exe"), kIconKindDll}, // no icon group at all
        {FixturePath(L"multi.ico"), kIconKindExe},             // not a module
        {pngFirst, kIconKindExe}, // the first group's 32-pixel choice is PNG: no shell fallback either
        {small, 0}, {small, 4}, {small, -1}};
    for (const auto& [path, kind] : cases) {
        std::wstring png = L"untouched";
        EXPECT_FALSE(m_cache.MakeIconPng(path, L"9", kind, png)) << path << " " << kind;
        EXPECT_TRUE(png.empty() || png == L"untouched") << path;
    }
    EXPECT_TRUE(m_folder.Names().empty());
}

TEST_F(IconPngCacheTest, LibraryWithManyGroupsDestroysEveryIcon) {
    PeImageBuilder builder(true);
    for (uint16_t id = 1; id <= 60; ++id)
        builder.AddIconGroup(id, {32});
    const std::wstring library = m_folder.File(L"many.dll");
    const Bytes bytes = builder.Build();
    ASSERT_TRUE(WriteFileBytes(library, std::string(bytes.begin(), bytes.end())));
    EXPECT_EQ(ExtractIconsFromFile(library, 0, 32, 32, nullptr, nullptr, 0, 0), 60u);
    std::vector<HICON> seen;
    {
        IconHandleRoom room(kLibraryIconRoom), few(7);
        ASSERT_EQ(ExtractIconsFromFile(library, 0, 128, 128, room.Slots(), nullptr, room.Capacity(), LR_COLOR), 60u);
        seen.assign(room.Slots(), room.Slots() + 60);
        EXPECT_EQ(ExtractIconsFromFile(library, 0, 32, 32, few.Slots(), nullptr, few.Capacity(), 0), 7u);
    }
    ICONINFO info{};
    for (HICON icon : seen) // none of them names an icon any more
        EXPECT_FALSE(::GetIconInfo(icon, &info));
    EXPECT_EQ(Made(library, kIconKindDll).width, kLibraryIconSize);
}

UniqueHicon LoadIcon(const std::wstring& path, int size) {
    return UniqueHicon(
        static_cast<HICON>(::LoadImageW(nullptr, path.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE)));
}

TEST_F(IconPngCacheTest, IconWithoutAlphaTakesItsMask) {
    // A 4-bit icon's colour bitmap comes back with alpha 0 everywhere: taken as ARGB that would be
    // an invisible picture, so the mask decides. (So it does for NSIS's other 4- and 8-bit icons.)
    UniqueHicon icon = LoadIcon(NsisPath(L"Contrib\\Graphics\\Icons\\classic-install.ico"), 32);
    IconPixels read, pixels;
    ASSERT_TRUE(ReadIconPixels(icon.Get(), read));
    EXPECT_FALSE(read.ownAlpha);
    ASSERT_TRUE(IconToPng(icon.Get(), m_folder.File(L"classic.png")));
    ASSERT_TRUE(DecodeImage(m_folder.File(L"classic.png"), pixels));
    EXPECT_EQ(pixels.argb, read.argb);
    for (const uint8_t alpha : {0, 255})
        EXPECT_TRUE(std::any_of(read.argb.begin(), read.argb.end(), [&](uint32_t p) { return AlphaOf(p) == alpha; }));
    // 8 x 8 monochrome: left half transparent (AND 1, XOR 0), right half black or white.
    const BYTE andBits[16] = {0xF0, 0, 0xF0, 0, 0xF0, 0, 0xF0, 0, 0xF0, 0, 0xF0, 0, 0xF0, 0, 0xF0, 0};
    const BYTE xorBits[16] = {0x0F, 0, 0x00, 0, 0x0F, 0, 0x00, 0, 0x0F, 0, 0x00, 0, 0x0F, 0, 0x00, 0};
    UniqueHicon mono(::CreateIcon(nullptr, 8, 8, 1, 1, andBits, xorBits));
    ASSERT_TRUE(ReadIconPixels(mono.Get(), read) && read.width == 8);
    EXPECT_EQ(AlphaOf(PixelAt(read, 0, 0)), 0);
    EXPECT_EQ(std::make_pair(PixelAt(read, 7, 0), PixelAt(read, 7, 1)), std::make_pair(0xFFFFFFFFu, 0xFF000000u));
    EXPECT_TRUE(IconToPng(mono.Get(), m_folder.File(L"mono.png")));
}

TEST_F(IconPngCacheTest, BadInputWritesNothingAndVerificationRejectsOtherPixels) {
    UniqueHicon icon = LoadIcon(FixturePath(L"multi.ico"), 32);
    const std::wstring nowhere = m_folder.File(L"no\\such\\folder\\a");
    EXPECT_FALSE(IconToPng(nullptr, m_folder.File(L"null.png")) || IconToPng(icon.Get(), nowhere + L".png"));
    EXPECT_FALSE(SaveIconAsIco(icon.Get(), 32, nowhere + L".ico") || SaveIconAsIco(nullptr, 32, nowhere + L"1.ico"));
    EXPECT_TRUE(m_folder.Names().empty());
    const std::wstring png = m_folder.File(L"v.png");
    IconPixels expected;
    ASSERT_TRUE(IconToPng(icon.Get(), png) && ReadIconPixels(icon.Get(), expected));
    const std::string bytes = ReadFileBytes(png), broken = "\x89PNG\x01\x02\x03";
    EXPECT_TRUE(PngHolds(bytes.data(), bytes.size(), expected));
    IconPixels otherColour = expected, otherSize = expected;
    otherColour.argb[16 * 32 + 16] ^= 0x00000001u; // every channel counts, not only alpha
    otherSize.width = 16;
    EXPECT_FALSE(PngHolds(bytes.data(), bytes.size(), otherColour) || PngHolds(bytes.data(), bytes.size(), otherSize));
    EXPECT_FALSE(PngHolds(broken.data(), broken.size(), expected));
}

SoftwareRecord Record(const std::wstring& iconPath, int32_t kind, int32_t index = 0) {
    SoftwareRecord record;
    std::tie(record.iconPath, record.iconKind, record.iconIndex) = std::tuple(iconPath, kind, index);
    return record;
}

TEST_F(IconPngCacheTest, PassStemsCountOnlySuccessfulPicturesAndAreReusedNextPass) {
    const std::vector<std::wstring> made = {m_folder.File(L"0.png"), m_folder.File(L"1.png"), m_folder.File(L"2.png")};
    SoftwareMap software;
    software[L"A library, index ignored"] = Record(BinFile(L"icons_fixture_app.exe"), kIconKindDll, -101);
    software[L"B missing program"] = Record(L"C:\\no\\such\\app.exe", kIconKindExe);
    software[L"B network icon"] = Record(L"\\\\tsu-nowhere\\share\\app.ico", kIconKindOther); // never opened
    software[L"C short path"] = Record(L"\"a\"", kIconKindOther);
    software[L"D quoted icon"] = Record(L"\"" + FixturePath(L"small16.ico") + L"\"", kIconKindOther);
    software[L"E own icon"] = Record(BinFile(L"icons_fixture_app.exe"), kIconKindExe);
    software[L"F no kind"] = Record(FixturePath(L"small16.ico"), kIconKindNone);
    software[L"F no kind"].imagePath = L"kept";
    EXPECT_EQ(RunPicturePass(software, m_cache), 3u);
    std::vector<std::wstring> paths;
    for (const auto& [name, record] : software)
        paths.push_back(record.imagePath);
    EXPECT_EQ(paths, (std::vector<std::wstring>{made[0], L"", L"", L"", made[1], made[2], L"kept"}));
    EXPECT_EQ(m_folder.Names(), (std::vector<std::wstring>{L"0.png", L"1.png", L"2.png"}));
    // A is gone: D moves up and takes over 0.png (at 32, no more 128); the other files stay.
    SoftwareMap next;
    next[L"D"] = Record(FixturePath(L"small16.ico"), kIconKindOther);
    ASSERT_EQ(RunPicturePass(next, m_cache), 1u);
    EXPECT_EQ(next[L"D"].imagePath, made[0]);
    IconPixels pixels;
    EXPECT_TRUE(DecodeImage(made[0], pixels) && pixels.width == 32);
    EXPECT_EQ(m_folder.Names(), (std::vector<std::wstring>{L"0.png", L"1.png", L"2.png"}));
}

// The pictures are written side by side under stems given in advance: one that cannot be written
// (its .ico's name is taken) gives its stem up to the next picture, as it did when each picture was
// written after the one before, and the pass leaves nothing past the last stem.
TEST_F(IconPngCacheTest, PassGivesAStemThatCouldNotBeWrittenToTheNextPicture) {
    ASSERT_TRUE(::CreateDirectoryW(m_folder.File(L"1.ico").c_str(), nullptr));
    SoftwareMap software;
    software[L"A"] = Record(BinFile(L"icons_fixture_app.exe"), kIconKindExe);
    software[L"B"] = Record(FixturePath(L"small16.ico"), kIconKindOther);
    software[L"C"] = Record(BinFile(L"icons_fixture_app.exe"), kIconKindDll);
    EXPECT_EQ(RunPicturePass(software, m_cache), 2u);
    EXPECT_EQ(std::make_pair(software[L"B"].imagePath, software[L"C"].imagePath),
              std::make_pair(std::wstring(), m_folder.File(L"1.png")));
    IconPixels pixels;
    EXPECT_TRUE(DecodeImage(m_folder.File(L"1.png"), pixels) && pixels.width == kLibraryIconSize);
    EXPECT_EQ(m_folder.Names(), (std::vector<std::wstring>{L"0.png", L"1.png"}));
}

// The folder beside the tool may be writable by others: a picture's name planted as a hard link to
// another file is replaced by a new file, and the other file keeps its bytes.
TEST_F(IconPngCacheTest, PictureNamePlantedAsALinkIsReplacedNotWrittenThrough) {
    const ScratchFolder elsewhere(L"linked");
    const std::wstring victim = elsewhere.File(L"settings.ini");
    ASSERT_TRUE(WriteFileBytes(victim, "keep me") &&
                ::CreateHardLinkW(m_folder.File(L"0.png").c_str(), victim.c_str(), nullptr));
    SoftwareMap software;
    software[L"A"] = Record(FixturePath(L"small16.ico"), kIconKindOther);
    ASSERT_EQ(RunPicturePass(software, m_cache), 1u);
    IconPixels pixels;
    EXPECT_TRUE(DecodeImage(m_folder.File(L"0.png"), pixels) && pixels.width == kListIconSize);
    EXPECT_EQ(ReadFileBytes(victim), "keep me");
}

TEST_F(IconPngCacheTest, PassIntoACacheFolderThatIsALinkOrAFileMakesNoPictures) {
    const std::wstring sentinel = m_folder.File(L"sentinel"), image = m_folder.File(L"Image");
    ASSERT_TRUE(::CreateDirectoryW(sentinel.c_str(), nullptr) && CreateDirectoryLink(image, L"sentinel"));
    SoftwareMap software;
    software[L"A"] = Record(FixturePath(L"small16.ico"), kIconKindOther);
    software[L"B"] = Record(BinFile(L"icons_fixture_app.exe"), kIconKindDll);
    {
        IconPngCache linked(image + L"\\");
        EXPECT_EQ(RunPicturePass(software, linked), 0u);
    }
    EXPECT_TRUE(software[L"A"].imagePath.empty() && software[L"B"].imagePath.empty());
    // The link goes while its target is there (a dangling link would take the file below into it).
    ASSERT_TRUE(RemoveDirectoryLink(image));
    EXPECT_TRUE(::RemoveDirectoryW(sentinel.c_str())); // only an empty folder goes
    ASSERT_TRUE(WriteFileBytes(image, "in the way"));
    IconPngCache blocked(image + L"\\");
    EXPECT_EQ(RunPicturePass(software, blocked), 0u);
    EXPECT_EQ(ReadFileBytes(image), "in the way");
}

// tsu.exe runs from a scratch folder of its own, so its "Image" cache folder is there too.
TEST(ListPicturesTest, JsonListCarriesThePicturePaths) {
    const ScratchFolder folder(L"listpictures");
    ASSERT_TRUE(CopyProgram(BinFile(L"tsu.exe"), folder.File(L"tsu.exe")));
    const std::wstring name = UniqueName(L"TsuIconsList");
    ScratchKey key(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name);
    ASSERT_TRUE(key.SetString(L"", L"DisplayName", name) &&
                key.SetString(L"", L"DisplayIcon", L"\"" + BinFile(L"icons_fixture_app.exe") + L"\",0") &&
                key.SetString(L"", L"UninstallString", L"\"C:\\Program Files\\" + name + L"\\un.exe\""));
    const std::wstring tsu = Quoted(folder.File(L"tsu.exe"));
    const ProcessResult run = RunProcess(tsu + L" list --json --pictures");
    ASSERT_EQ(run.exitCode, 0u) << run.err;
    const nlohmann::json list = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_TRUE(list.is_array()) << run.out;
    std::string picture = "?";
    for (const nlohmann::json& record : list)
        if (record.value("displayName", "") == std::string(name.begin(), name.end()))
            picture = record.value("imagePath", "");
    const std::wstring png(picture.begin(), picture.end()); // an ASCII path in the scratch folder
    ScopedGdiplusStartup gdiplus;
    IconPixels pixels;
    ASSERT_EQ(png.rfind(folder.File(L"Image\\"), 0), 0u) << picture;
    ASSERT_TRUE(png.size() > 4 && png.substr(png.size() - 4) == L".png" && DecodeImage(png, pixels));
    EXPECT_EQ(pixels.width, 32); // the list size
    const ProcessResult refused = RunProcess(tsu + L" list --pictures --colour");
    EXPECT_EQ(refused.exitCode, 1u);
    EXPECT_NE(refused.err.find("unknown option"), std::string::npos) << refused.err;
}

} // namespace
} // namespace tsu
