// The command runner against the real command interpreter.
#include "tests/common/ProcessTestSupport.h"
#include "uninstall/RunCommand.h"
#include "uninstall/core/UninstallCommandRules.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace tsu {
namespace {

using namespace tsu::test;

TEST(RunCommandTest, CollectsTheOutputOfEveryKind) {
    std::wstring unit; // a non-ASCII text that the ANSI code page of this prefix can hold
    for (const wchar_t* text : {L"卸载完成 软件", L"Café crème, naïve – 50 €", L"Ärger über Öl"}) {
        BOOL lossy = FALSE;
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, nullptr, 0, nullptr, &lossy);
        if (!lossy && unit.empty())
            unit = text;
    }
    ASSERT_FALSE(unit.empty()) << "code page " << ::GetACP();
    std::wstring lines; // 700 lines of 13 bytes: more than two reads of 4095 bytes
    wchar_t line[32];
    for (int n = 1; n <= 700; ++n)
        lines += (swprintf(line, 32, L"line %06d\r\n", n), line);
    const std::wstring word(6000, L'w'); // beyond a fixed 1024-character buffer, within cmd's 8191
    // The helper's path unquoted (it has no spaces): "cmd /C" strips the outer quotes of a command with more than two.
    const std::wstring helper = HelperPath() + L" ";
    // name, command, started, what it appends to the output
    const std::tuple<const char*, std::wstring, bool, std::wstring> cases[] = {
        {"FailingCommandWithStandardError", L"echo failed 1>&2 & exit 3", true, L"failed  \r\n"},
        // Standard input is empty: set /p reads end of input instead of waiting for an answer.
        {"QuestionDoesNotHang", L"set /p answer=Proceed? & echo asked", true, L"Proceed? asked\r\n"},
        {"SixtyFourBitInterpreter", L"echo %PROCESSOR_ARCHITECTURE%", true, L"AMD64\r\n"},
        {"LongCommand", L"echo " + word + L"END", true, word + L"END\r\n"},
        {"ManyChunksWholeAndInOrder", helper + L"--print-lines 700", true, lines},
        {"AnsiCodePageConverted", helper + L"--print " + Quoted(unit), true, unit},
        // Longer than any command line Windows accepts: refused whole, never cut.
        {"TooLongToStart", L"echo " + std::wstring(kMaxCommandLineChars, L'z'), false, L""},
    };
    for (const auto& [name, command, started, appended] : cases) {
        std::wstring output = L"before|";
        EXPECT_EQ(RunCommand(command, output), started) << name;
        EXPECT_TRUE(output == L"before|" + appended) << name << output.size() << output.substr(0, 80);
    }
}

TEST(RunCommandTest, CommandsRunAtOnceDoNotHoldEachOthersOutputOpen) {
    // Had one command inherited the other's pipe, the short one would be read until the long one ends.
    NamedEvent release(L"release"), shortDone(L"short_done");
    std::vector<std::thread> waiting;
    for (int i = 0; i < 3; ++i)
        waiting.emplace_back([&] {
            std::wstring ignored;
            (void)RunCommand(HelperPath() + L" --wait-event " + release.Name(), ignored);
        });
    std::wstring output;
    std::thread shortOnes([&] {
        for (int i = 0; i < 5; ++i)
            (void)RunCommand(L"echo short", output);
        shortDone.Set();
    });
    EXPECT_TRUE(shortDone.WaitFor());
    release.Set();
    shortOnes.join();
    for (std::thread& thread : waiting)
        thread.join();
    EXPECT_EQ(output, L"short\r\nshort\r\nshort\r\nshort\r\nshort\r\n");
}

} // namespace
} // namespace tsu
