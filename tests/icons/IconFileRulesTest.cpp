#include "icons/core/IconFileRules.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace tsu {
namespace {

struct ExtensionCase {
    const wchar_t* name;
    int expected;
};

class ClassifyExtensionTest : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(ClassifyExtensionTest, ClassifiesTheTextFromTheLastDot) {
    EXPECT_EQ(ClassifyExtension(GetParam().name), GetParam().expected) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, ClassifyExtensionTest,
    ::testing::Values(ExtensionCase{L"C:\\x\\a.com", kExtensionCom}, ExtensionCase{L"RUN.BAT", kExtensionBat},
                      ExtensionCase{L"x.Cmd", kExtensionCmd}, ExtensionCase{L"old.PIF", kExtensionPif},
                      ExtensionCase{L"C:\\Desktop\\App.LNK", kExtensionLnk}, ExtensionCase{L"a.ico", kExtensionIco},
                      ExtensionCase{L"Setup.EXE", kExtensionExe}, ExtensionCase{L"a.lnk.exe", kExtensionExe},
                      ExtensionCase{L"a.exe.lnk", kExtensionLnk}, ExtensionCase{L"noextension", kExtensionOther},
                      ExtensionCase{L"", kExtensionOther}, ExtensionCase{L".", kExtensionOther},
                      ExtensionCase{L"lib.dll", kExtensionOther}, ExtensionCase{L"a.co", kExtensionOther},
                      ExtensionCase{L"a.comx", kExtensionOther},
                      // The dot of a folder name counts when the file itself has none.
                      ExtensionCase{L"C:\\dir.bat\\file", kExtensionOther},
                      ExtensionCase{L"C:\\v1.2\\.lnk", kExtensionLnk}));

TEST(RefusedExtensionTest, RefusesProgramsBatchFilesAndShortcutsOnly) {
    for (int c = kExtensionOther; c <= kExtensionExe; ++c)
        EXPECT_EQ(IsRefusedExtensionClass(c), c >= kExtensionCom && c <= kExtensionLnk) << c;
}

struct HeaderCase {
    const char* label;
    std::vector<uint8_t> bytes;
    IconFileKind expected;
};

class ClassifyFileHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(ClassifyFileHeaderTest, ReadsTheKindFromTwelveBytes) {
    const std::vector<uint8_t>& bytes = GetParam().bytes;
    EXPECT_EQ(ClassifyFileHeader(ByteReader(bytes.data(), bytes.size())), GetParam().expected) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    Headers, ClassifyFileHeaderTest,
    ::testing::Values(
        HeaderCase{"pe", {'M', 'Z', 0x90, 0, 3, 0, 0, 0, 4, 0, 0, 0}, IconFileKind::PeImage},
        HeaderCase{"bitmap", {'B', 'M', 0x36, 0x0C, 0, 0, 0, 0, 0, 0, 0x36, 0}, IconFileKind::Bitmap},
        HeaderCase{"icon", {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0}, IconFileKind::IconFile},
        HeaderCase{"cursor", {0, 0, 2, 0, 1, 0, 32, 32, 0, 0, 16, 0}, IconFileKind::IconFile},
        // A count of 0 is still an icon file here; loading it then fails.
        HeaderCase{"icon count 0", {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}, IconFileKind::IconFile},
        HeaderCase{"type 0", {0, 0, 0, 0, 1, 0, 16, 16, 0, 0, 1, 0}, IconFileKind::Unknown},
        HeaderCase{"ani", {'R', 'I', 'F', 'F', 0x10, 0, 0, 0, 'A', 'C', 'O', 'N'}, IconFileKind::AnimatedCursor},
        HeaderCase{"wave", {'R', 'I', 'F', 'F', 0x10, 0, 0, 0, 'W', 'A', 'V', 'E'}, IconFileKind::Unknown},
        HeaderCase{"png", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13}, IconFileKind::Unknown},
        HeaderCase{"eleven bytes", {'M', 'Z', 0, 0, 0, 0, 0, 0, 0, 0, 0}, IconFileKind::Unknown},
        HeaderCase{"empty", {}, IconFileKind::Unknown}));

// Environment of the expansion tests: a fixed table instead of the process's variables.
std::optional<std::wstring> FakeEnvironment(const std::wstring& name) {
    static const std::map<std::wstring, std::wstring> variables = {
        {L"WINDIR", L"C:\\windows"},           {L"EMPTY", L""},
        {L"LONG255", std::wstring(255, L'x')}, {L"LONG256", std::wstring(256, L'x')},
        {L"LONG300", std::wstring(300, L'x')},
    };
    const auto found = variables.find(name);
    if (found == variables.end())
        return std::nullopt;
    return found->second;
}

struct ExpandCase {
    const wchar_t* input;
    std::wstring expected;
    int result;
};

class ExpandEnvironmentTextTest : public ::testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandEnvironmentTextTest, ExpandsOrLeavesTheTextAlone) {
    std::wstring text = GetParam().input;
    EXPECT_EQ(ExpandEnvironmentText(text, FakeEnvironment), GetParam().result) << GetParam().input;
    EXPECT_EQ(text, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExpandEnvironmentTextTest,
    ::testing::Values(ExpandCase{L"%WINDIR%\\system32\\shell32.dll", L"C:\\windows\\system32\\shell32.dll",
                                 kExpandDone},
                      ExpandCase{L"C:\\a\\%WINDIR%\\b%WINDIR%", L"C:\\a\\C:\\windows\\bC:\\windows", kExpandDone},
                      ExpandCase{L"C:\\plain\\app.ico", L"C:\\plain\\app.ico", kExpandUnchanged},
                      ExpandCase{L"C:\\100%\\app.ico", L"C:\\100%\\app.ico", kExpandUnchanged},
                      // An unset variable's reference disappears.
                      ExpandCase{L"C:\\dir\\%NOT_SET_ANYWHERE%app.ico", L"C:\\dir\\app.ico", kExpandDone},
                      ExpandCase{L"%EMPTY%C:\\a.ico", L"C:\\a.ico", kExpandDone},
                      ExpandCase{L"%%C:\\a.ico", L"C:\\a.ico", kExpandDone},
                      // A "%" without its partner leaves the whole text as it was, even the part already expanded.
                      ExpandCase{L"%WINDIR%\\a%b.ico", L"%WINDIR%\\a%b.ico", kExpandUnchanged},
                      // Nothing left: the text stays, the expansion still counts as done.
                      ExpandCase{L"%NOT_SET_ANYWHERE%", L"%NOT_SET_ANYWHERE%", kExpandDone},
                      // 259 characters fit the 260-character buffer with its terminator; 260 do not.
                      ExpandCase{L"%LONG255%\\abc", std::wstring(255, L'x') + L"\\abc", kExpandDone},
                      ExpandCase{L"%LONG256%\\abc", L"%LONG256%\\abc", kExpandTooLong},
                      ExpandCase{L"%LONG300%", L"%LONG300%", kExpandTooLong}));

TEST(ExpandEnvironmentTextLimits, LiteralTextCountsTowardsTheLimit) {
    std::wstring text = std::wstring(250, L'a') + L"%WINDIR%";
    EXPECT_EQ(ExpandEnvironmentText(text, FakeEnvironment), kExpandTooLong);
    EXPECT_EQ(text, std::wstring(250, L'a') + L"%WINDIR%");
}

TEST(ExpandEnvironmentTextLimits, NoLookupMakesEveryReferenceDisappear) {
    std::wstring text = L"%WINDIR%\\a.ico";
    EXPECT_EQ(ExpandEnvironmentText(text, nullptr), kExpandDone);
    EXPECT_EQ(text, L"\\a.ico");
}

} // namespace
} // namespace tsu

namespace tsu {
namespace {

std::vector<uint8_t> BitmapHead(uint32_t infoSize, int32_t width, int32_t height) {
    std::vector<uint8_t> head = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0};
    for (uint32_t v : {infoSize, static_cast<uint32_t>(width), static_cast<uint32_t>(height)})
        for (int i = 0; i < 4; ++i)
            head.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return head;
}

bool HasPixels(const std::vector<uint8_t>& head) {
    return BitmapFileHasPixels(ByteReader(head.data(), head.size()));
}

TEST(BitmapFileHasPixelsTest, ZeroWidthOrHeightHasNoPicture) {
    EXPECT_TRUE(HasPixels(BitmapHead(40, 32, 32)));
    EXPECT_TRUE(HasPixels(BitmapHead(40, 32, -32))); // top-down
    EXPECT_FALSE(HasPixels(BitmapHead(40, 0, 0)));
    EXPECT_FALSE(HasPixels(BitmapHead(40, 32, 0)));
    EXPECT_FALSE(HasPixels(BitmapHead(40, 0, 32)));
    // Core header: 16-bit width and height.
    EXPECT_TRUE(HasPixels(BitmapHead(12, 0x00200020, 0)));
    EXPECT_FALSE(HasPixels(BitmapHead(12, 0x00000020, 0)));
    std::vector<uint8_t> cut = BitmapHead(40, 32, 32);
    cut.pop_back();
    EXPECT_FALSE(HasPixels(cut));
    std::vector<uint8_t> notBitmap = BitmapHead(40, 32, 32);
    notBitmap[0] = 'X';
    EXPECT_FALSE(HasPixels(notBitmap));
}

} // namespace
} // namespace tsu
