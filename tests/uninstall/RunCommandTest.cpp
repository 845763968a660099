// The command runner against the real command interpreter.
#include "tests/common/ProcessTestSupport.h"

#include "uninstall/RunCommand.h"
#include "uninstall/core/UninstallCommandRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tsu {
namespace {

using namespace tsu::test;

constexpr size_t kChunkBytes = 4095;

// The helper's path unquoted (it has no spaces): "cmd /C" strips the outer quotes of a command
// that holds more than two.
std::wstring HelperCommand(const std::wstring& arguments) {
    return HelperPath() + L" " + arguments;
}

// Compares long texts without printing them whole.
::testing::AssertionResult SameText(const std::wstring& actual, const std::wstring& expected) {
    if (actual == expected)
        return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    return ::testing::AssertionFailure() << "lengths " << actual.size() << " and " << expected.size()
                                         << ", first difference at " << at;
}

// A non-ASCII text that the ANSI code page of this prefix can hold, as the helper will print it.
std::wstring TextOfTheAnsiCodePage() {
    const std::vector<std::wstring> candidates{L"卸载完成 软件", L"Café crème, naïve – 50 €", L"Ärger über Öl"};
    for (const std::wstring& text : candidates) {
        BOOL lossy = FALSE;
        const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(),
                                               static_cast<int>(text.size()), nullptr, 0, nullptr, &lossy);
        if (size > 0 && !lossy)
            return text;
    }
    return std::wstring();
}

TEST(RunCommandTest, EmptyOutputLeavesTheTextUnchanged) {
    std::wstring output = L"kept";
    EXPECT_TRUE(RunCommand(L"rem nothing to say", output));
    EXPECT_EQ(output, L"kept");
}

TEST(RunCommandTest, OutputIsAppended) {
    std::wstring output = L"before|";
    ASSERT_TRUE(RunCommand(L"echo hello", output));
    EXPECT_EQ(output, L"before|hello\r\n");
}

TEST(RunCommandTest, OutputOfManyChunksArrivesWholeAndInOrder) {
    // 700 lines of 13 bytes: more than two reads of 4095 bytes.
    constexpr int kLines = 700;
    std::wstring output;
    ASSERT_TRUE(RunCommand(HelperCommand(L"--print-lines " + std::to_wstring(kLines)), output));
    ASSERT_GT(output.size(), 2 * kChunkBytes);
    std::wstring expected;
    for (int n = 1; n <= kLines; ++n) {
        wchar_t line[32];
        swprintf(line, 32, L"line %06d\r\n", n);
        expected += line;
    }
    EXPECT_TRUE(SameText(output, expected));
}

TEST(RunCommandTest, FailingCommandStillSucceedsWithItsErrorText) {
    const std::wstring key = L"HKCU\\Software\\" + UniqueName(L"missing");
    std::wstring output;
    EXPECT_TRUE(RunCommand(L"reg delete \"" + key + L"\" /f", output));
    EXPECT_FALSE(output.empty()); // reg's complaint, from standard error
}

TEST(RunCommandTest, StandardErrorIsCollectedToo) {
    std::wstring output;
    ASSERT_TRUE(RunCommand(L"echo to-error 1>&2", output));
    EXPECT_EQ(output, L"to-error \r\n");
}

TEST(RunCommandTest, NonAsciiOutputIsConvertedFromTheAnsiCodePage) {
    const std::wstring text = TextOfTheAnsiCodePage();
    ASSERT_FALSE(text.empty()) << "code page " << ::GetACP();
    std::wstring output;
    ASSERT_TRUE(RunCommand(HelperCommand(L"--print " + Quoted(text)), output));
    EXPECT_EQ(output, text);
}

TEST(RunCommandTest, CharacterAcrossAChunkBoundaryIsNotBroken) {
    // Whatever the code page, a run of non-ASCII text longer than a chunk must come back whole;
    // with a double-byte code page a character straddles the 4095-byte boundary somewhere.
    const std::wstring unit = TextOfTheAnsiCodePage();
    ASSERT_FALSE(unit.empty());
    constexpr int kTimes = 1000;
    std::wstring text;
    for (int n = 0; n < kTimes; ++n)
        text += unit;
    std::wstring output;
    ASSERT_TRUE(
        RunCommand(HelperCommand(L"--print-repeated " + std::to_wstring(kTimes) + L" " + Quoted(unit)), output));
    ASSERT_GT(output.size(), 2 * kChunkBytes);
    EXPECT_TRUE(SameText(output, text));
}

TEST(RunCommandTest, LongCommandIsNotCut) {
    // Far beyond the 1024 characters a fixed buffer would keep, within cmd's own 8191.
    const std::wstring word(6000, L'w');
    std::wstring output;
    ASSERT_TRUE(RunCommand(L"echo " + word + L"END", output));
    EXPECT_TRUE(SameText(output, word + L"END\r\n"));
}

TEST(RunCommandTest, QuestionAskedByTheCommandDoesNotHang) {
    // Standard input is empty: set /p reads end of input instead of waiting for an answer.
    std::wstring output;
    EXPECT_TRUE(RunCommand(L"set /p answer=Proceed? & echo asked", output));
    EXPECT_NE(output.find(L"asked"), std::wstring::npos);
}

TEST(RunCommandTest, SixtyFourBitInterpreterRunsInTheSixtyFourBitBuild) {
    std::wstring output;
    ASSERT_TRUE(RunCommand(L"echo %PROCESSOR_ARCHITECTURE%", output));
    EXPECT_EQ(output, L"AMD64\r\n");
}

class CurrentFolder {
public:
    explicit CurrentFolder(const std::wstring& folder) {
        wchar_t previous[MAX_PATH]{};
        const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, previous);
        m_previous.assign(previous, length < MAX_PATH ? length : 0);
        m_changed = ::SetCurrentDirectoryW(folder.c_str()) != FALSE;
    }
    ~CurrentFolder() {
        if (!m_previous.empty())
            (void)::SetCurrentDirectoryW(m_previous.c_str());
    }
    [[nodiscard]] bool Changed() const { return m_changed; }

private:
    std::wstring m_previous;
    bool m_changed = false;
};

TEST(RunCommandTest, InterpreterInTheCurrentFolderIsNeverRun) {
    ScratchFolder folder(L"planted");
    // A planted cmd.exe that leaves a mark when run.
    ASSERT_TRUE(CopyProgram(HelperPath(), folder.File(L"cmd.exe")));
    const std::wstring mark = folder.File(L"planted_ran.txt");
    ScopedEnvironmentVariable plantedArgs(L"TSU_HELPER_ARGS", L"--mark " + Quoted(mark));
    CurrentFolder current(folder.Path());
    ASSERT_TRUE(current.Changed());
    // The trap works: a bare "cmd" found through the current folder runs the planted program.
    ASSERT_EQ(RunToEnd(L"cmd /C rem"), 0u);
    ASSERT_TRUE(FileExists(mark));
    ASSERT_TRUE(::DeleteFileW(mark.c_str()));

    std::wstring output;
    ASSERT_TRUE(RunCommand(L"echo real", output));
    EXPECT_EQ(output, L"real\r\n");
    EXPECT_FALSE(FileExists(mark));
}

TEST(RunCommandTest, CommandThatCannotStartReturnsFalseAndLeavesTheOutput) {
    // Longer than any command line Windows accepts: refused whole, never cut.
    std::wstring output = L"kept";
    EXPECT_FALSE(RunCommand(L"echo " + std::wstring(kMaxCommandLineChars, L'z'), output));
    EXPECT_EQ(output, L"kept");
}

} // namespace
} // namespace tsu
