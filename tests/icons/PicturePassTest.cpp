#include "IconTestSupport.h"
#include "icons/PicturePass.h"

#include "framework/ScopedHandles.h"
#include "tests/smart/ShortcutFiles.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

using test::BinFile;
using test::FixturePath;

SoftwareRecord Record(const std::wstring& iconPath, int32_t kind, int32_t index = 0) {
    SoftwareRecord record;
    record.iconPath = iconPath;
    record.iconKind = kind;
    record.iconIndex = index;
    return record;
}

struct QuoteCase {
    const wchar_t* raw;
    const wchar_t* expected;
};

class PictureIconPathTest : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(PictureIconPathTest, StripsQuotesAtBothEnds) {
    EXPECT_EQ(PictureIconPath(GetParam().raw), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Paths, PictureIconPathTest,
                         ::testing::Values(QuoteCase{L"\"C:\\a b\\x.exe\"", L"C:\\a b\\x.exe"},
                                           QuoteCase{L"\"\"C:\\x.ico", L"C:\\x.ico"},
                                           QuoteCase{L"C:\\x.ico", L"C:\\x.ico"},
                                           QuoteCase{L"C:\\x\"y.ico\"", L"C:\\x\"y.ico"}, QuoteCase{L"\"\"\"", L""},
                                           QuoteCase{L"", L""}));

class PicturePassTest : public ::testing::Test {
protected:
    test::ScratchFolder m_folder{L"pass"};
};

TEST_F(PicturePassTest, StemsCountOnlySuccessfulPictures) {
    SoftwareMap software;
    software[L"A library, index ignored"] = Record(BinFile(L"icons_fixture_app.exe"), kIconKindDll, -101);
    software[L"B missing program"] = Record(L"C:\\no\\such\\app.exe", kIconKindExe);
    software[L"B network icon"] = Record(L"\\\\tsu-nowhere\\share\\app.ico", kIconKindOther); // never opened
    software[L"C short path"] = Record(L"\"a\"", kIconKindOther);
    software[L"D quoted icon"] = Record(L"\"" + FixturePath(L"small16.ico") + L"\"", kIconKindOther);
    software[L"E own icon"] = Record(BinFile(L"icons_fixture_app.exe"), kIconKindExe);
    software[L"F no kind"] = Record(FixturePath(L"small16.ico"), kIconKindNone);
    software[L"F no kind"].imagePath = L"kept";

    IconPngCache cache(m_folder.Path());
    EXPECT_EQ(RunPicturePass(software, cache), 3u);
    EXPECT_EQ(software[L"A library, index ignored"].imagePath, m_folder.File(L"0.png"));
    EXPECT_TRUE(software[L"B missing program"].imagePath.empty());
    EXPECT_TRUE(software[L"B network icon"].imagePath.empty());
    EXPECT_TRUE(software[L"C short path"].imagePath.empty());
    EXPECT_EQ(software[L"D quoted icon"].imagePath, m_folder.File(L"1.png"));
    EXPECT_EQ(software[L"E own icon"].imagePath, m_folder.File(L"2.png"));
    EXPECT_EQ(software[L"F no kind"].imagePath, L"kept");
    EXPECT_EQ(m_folder.Names(), (std::vector<std::wstring>{L"0.png", L"1.png", L"2.png"}));
}

TEST_F(PicturePassTest, NextPassReusesTheNamesInTheNewOrder) {
    ScopedGdiplusStartup gdiplus;
    SoftwareMap first;
    first[L"A"] = Record(BinFile(L"icons_fixture_app.exe"), kIconKindDll); // 128 x 128
    first[L"B"] = Record(FixturePath(L"small16.ico"), kIconKindOther);     // 32 x 32
    {
        IconPngCache cache(m_folder.Path());
        ASSERT_EQ(RunPicturePass(first, cache), 2u);
    }
    IconPixels pixels;
    ASSERT_TRUE(test::DecodeImage(m_folder.File(L"1.png"), pixels));
    EXPECT_EQ(pixels.width, 32);

    // A is gone: B moves up and takes over 0.png; 1.png stays from the pass before.
    SoftwareMap second;
    second[L"B"] = first[L"B"];
    second[L"B"].imagePath.clear();
    {
        IconPngCache cache(m_folder.Path());
        ASSERT_EQ(RunPicturePass(second, cache), 1u);
    }
    EXPECT_EQ(second[L"B"].imagePath, m_folder.File(L"0.png"));
    ASSERT_TRUE(test::DecodeImage(m_folder.File(L"0.png"), pixels));
    EXPECT_EQ(pixels.width, 32);
    EXPECT_EQ(m_folder.Names(), (std::vector<std::wstring>{L"0.png", L"1.png"}));
}

TEST_F(PicturePassTest, CacheFolderThatIsALinkOrAFileGetsNoPictures) {
    const std::wstring sentinel = m_folder.File(L"sentinel");
    const std::wstring image = m_folder.File(L"Image");
    ASSERT_TRUE(::CreateDirectoryW(sentinel.c_str(), nullptr));
    ASSERT_TRUE(test::CreateDirectoryLink(image, L"sentinel"));
    SoftwareMap software;
    software[L"A"] = Record(FixturePath(L"small16.ico"), kIconKindOther);
    software[L"B"] = Record(BinFile(L"icons_fixture_app.exe"), kIconKindDll);
    {
        IconPngCache linked(image + L"\\");
        EXPECT_EQ(RunPicturePass(software, linked), 0u);
    }
    EXPECT_TRUE(software[L"A"].imagePath.empty());
    EXPECT_TRUE(software[L"B"].imagePath.empty());
    EXPECT_TRUE(test::ListFiles(sentinel, L"*").empty());
    ASSERT_TRUE(test::RemoveDirectoryLink(image));

    ASSERT_TRUE(test::WriteFileBytes(image, "in the way"));
    IconPngCache blocked(image + L"\\");
    EXPECT_EQ(RunPicturePass(software, blocked), 0u);
    EXPECT_EQ(test::ReadFileBytes(image), "in the way");
}

} // namespace
} // namespace tsu
