#include "core/PathText.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tsu {
namespace {

TEST(PathTextTest, FindIgnoresAsciiCaseOnlyQuotesAndSeparators) {
    EXPECT_EQ(FindIgnoreCase(L"C:\\APP\\UNINST.EXE /S", L".exe"), 13u);
    EXPECT_EQ(FindIgnoreCase(L"a.exe b.EXE", L".exe", 2), 7u);
    EXPECT_EQ(FindIgnoreCase(L"short", L"longer text"), std::wstring_view::npos);
    // Letters outside ASCII compare exactly.
    EXPECT_FALSE(ContainsIgnoreCase(L"\u00C4pp", L"\u00E4pp"));
    EXPECT_TRUE(EqualsIgnoreCase(L"C:\\Windows", L"c:\\WINDOWS"));
    EXPECT_FALSE(EqualsIgnoreCase(L"C:\\Windows", L"C:\\Windows2"));
    EXPECT_EQ(StripQuotes(L"\"\"C:\\a.exe\""), L"C:\\a.exe");
    EXPECT_EQ(StripQuotes(L"\"\""), L"");
    EXPECT_EQ(TrimTrailingSeparators(L"C:\\Tools\\\\"), L"C:\\Tools");
    EXPECT_EQ(TrimTrailingSeparators(L"C:\\"), L"C:\\");
    EXPECT_EQ(TrimTrailingSeparators(L"C:\\\\"), L"C:\\");
}

TEST(PathTextTest, ClassifiesPaths) {
    // clang-format off
    const std::tuple<const wchar_t*, bool, bool, bool> cases[] = { // absolute, bare name, root
        {L"C:\\Program Files\\App\\uninst.exe", true, false, false}, {L"c:\\", true, false, true},
        {L"Z:\\", true, false, true},
        {L"z:", false, false, true}, {L"C:", false, false, true}, {L"C:uninst.exe", false, false, false},
        {L"uninst.exe", false, true, false}, {L"sub\\uninst.exe", false, false, false},
        {L"\\uninst.exe", false, false, false},
        {L"\\\\server\\share\\app.exe", true, false, false}, {L"\\\\server\\share\\", true, false, true},
        {L"\\\\server", true, false, true}, {L"", false, false, false}};
    // clang-format on
    for (const auto& [path, absolute, bare, root] : cases) {
        EXPECT_EQ(IsAbsolutePath(path), absolute) << path;
        EXPECT_EQ(IsBareFileName(path), bare) << path;
        EXPECT_EQ(IsRootPath(path), root) << path;
    }
}

TEST(PathTextTest, BelowNeedsAWholeComponent) {
    // clang-format off
    const std::tuple<const wchar_t*, const wchar_t*, bool> cases[] = {
        {L"C:\\WINDOWS\\system32\\notepad.exe", L"C:\\windows", true}, {L"C:\\windows\\x", L"C:\\windows\\", true},
        {L"C:\\Windows2\\x.exe", L"C:\\Windows", false}, {L"C:\\Windows", L"C:\\Windows", false},
        {L"C:\\app.exe", L"C:\\", true}, {L"C:\\app.exe", L"", false}, {L"\\x", L"", false},
        {L"C:\\Windows\\", L"C:\\Windows", false}};
    // clang-format on
    for (const auto& [path, base, below] : cases)
        EXPECT_EQ(IsPathBelow(path, base), below) << path << L" " << base;
    EXPECT_TRUE(SamePath(L"C:\\Tools\\App\\", L"c:\\tools\\app"));
}

} // namespace
} // namespace tsu
