#include "uninstall/core/InterpreterCommand.h"
#include "uninstall/core/UninstallCommandRules.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace tsu {
namespace {

using Texts = std::vector<std::wstring>;

TEST(LaunchTextTest, BuildsTheTextGivenToProcessCreation) {
    const std::wstring quoted = L"\"C:\\Program Files\\App\\uninst.exe\"";
    const std::wstring longArg = L"C:\\App\\uninst.exe /arg=" + std::wstring(10000, L'x');
    // clang-format off
    const std::pair<std::wstring, std::wstring> cases[] = {
        // A quoted path: its arguments are dropped, the path keeps its quotes (C:\Program.exe is never
        // tried); of two quoted tokens the first one only, not the span up to the last quote.
        {quoted + L" /S", quoted}, {L"\"C:\\App\\uninst.exe\" /log=\"C:\\x y\\log.txt\"", L"\"C:\\App\\uninst.exe\""},
        // A hyphen anywhere, or no quote first: the command is started as it stands, however long.
        {L"\"C:\\App\\uninst.exe\" -silent", L"\"C:\\App\\uninst.exe\" -silent"},
        {L"\"C:\\My-App\\uninst.exe\" /S", L"\"C:\\My-App\\uninst.exe\" /S"},
        {L"C:\\App\\uninst.exe /log=\"C:\\x\\l.txt\"", L"C:\\App\\uninst.exe /log=\"C:\\x\\l.txt\""},
        {L" \"C:\\App\\uninst.exe\" /S", L" \"C:\\App\\uninst.exe\" /S"},
        {longArg, longArg},
        // Nothing that can be started.
        {L"", L""}, {L"\"\" /S", L""}, {L"\"C:\\App\\uninst.exe /S", L""},
        // Non-ASCII paths are taken in whole characters, including surrogate pairs.
        {L"\"C:\\\U0001F600\\u.exe\" /S", L"\"C:\\\U0001F600\\u.exe\""}};
    // clang-format on
    for (const auto& [command, launchText] : cases)
        EXPECT_EQ(BuildLaunchText(command), launchText) << command.substr(0, 60);
}

TEST(LaunchProgramTest, NamesTheProgramWithoutASearch) {
    using Kind = LaunchProgram::Kind;
    const Kind Sys = Kind::SystemProgram, P = Kind::Path, None = Kind::None;
    // clang-format off
    const std::tuple<std::wstring, Kind, Texts> cases[] = {
        // Bare names are the system's programs, whatever lies beside the tool or in the current folder.
        {L"MsiExec.exe /X{6F1B7C2A-3D4E-4F50-9A61-7B8C9D0E1F21}", Sys, {L"MsiExec.exe"}},
        {L"RunDll32 C:\\App\\un.dll,Remove", Sys, {L"RunDll32.exe"}}, {L"\"cmd.exe\" /C exit", Sys, {L"cmd.exe"}},
        {L"\"C:\\Program Files\\App\\un.exe\" -S", P, {L"C:\\Program Files\\App\\un.exe"}},
        {L" \t\"C:\\App\\un.exe\"", P, {L"C:\\App\\un.exe"}},
        // Unquoted with spaces: the path up to a written ".exe", never C:\Program.exe.
        {L"C:\\Program Files\\App\\un.exe /S", P, {L"C:\\Program Files\\App\\un.exe"}},
        {L"C:\\A.exe B\\un.EXE /S", P, {L"C:\\A.exe", L"C:\\A.exe B\\un.EXE"}},
        {L"C:\\App\\uninst /S", P, {L"C:\\App\\uninst.exe"}}, {L"C:\\A.b\\uninst", P, {L"C:\\A.b\\uninst.exe"}},
        {L"\\\\server\\share\\un.exe", P, {L"\\\\server\\share\\un.exe"}},
        // Nothing that names one program without depending on the current folder.
        {L"App\\un.exe /S", None, {}}, {L"C:un.exe", None, {}}, {L"\"C:\\App\\un.exe -S", None, {}},
        {L"\"\" /S", None, {}}, {L"  ", None, {}}};
    // clang-format on
    for (const auto& [launchText, kind, candidates] : cases) {
        const LaunchProgram program = PickLaunchProgram(launchText);
        EXPECT_EQ(program.kind, kind) << launchText;
        EXPECT_EQ(program.candidates, candidates) << launchText;
    }
}

TEST(FixedProductCodeTest, ReplacesTheWholeCommand) {
    // The test is case-sensitive, like the registered product code itself.
    // clang-format off
    const std::pair<std::wstring, bool> cases[] = {
        {L"MsiExec.exe /X{BA6E3406-3BB9-433B-B9BF-ADC652DF3520}", true}, {L"", false},
        {L"MsiExec.exe /uninstall {BA6E3406-3BB9-433B-B9BF-ADC652DF3520}", true},
        {L"MsiExec.exe /I{BA6E3406-3BB9-433B-B9BF-ADC652DF3520}", true},
        {L"MsiExec.exe /X{ba6e3406-3bb9-433b-b9bf-adc652df3520}", false},
        {L"MsiExec.exe /X BA6E3406-3BB9-433B-B9BF-ADC652DF3520", false}};
    // clang-format on
    for (const auto& [original, replaced] : cases) {
        std::wstring command = original;
        EXPECT_EQ(ApplyFixedProductCodeRule(command), replaced) << original;
        EXPECT_EQ(command, replaced ? std::wstring(kFixedProductCodeCommand) : original);
    }
    // The replacement is started unchanged.
    EXPECT_EQ(BuildLaunchText(kFixedProductCodeCommand), kFixedProductCodeCommand);
}

TEST(IgnoredBrowserTest, ListsTheBrowsersNotWaitedFor) {
    const Texts all = {L"iexplore.exe", L"chrome.exe", L"360se.exe"};
    // Removing one of the browsers: its own processes are waited for. Markers are case-sensitive.
    const std::pair<std::wstring, Texts> cases[] = {
        {L"\"C:\\App\\uninst.exe\"", all},
        {L"\"C:\\360\\360se6\\Application\\360se.exe\" --uninstall", {L"iexplore.exe", L"chrome.exe"}},
        {L"\"C:\\Program Files\\Google\\Chrome\\Application\\setup.exe\" --uninstall --display-name \"Google Chrome\"",
         {L"iexplore.exe", L"360se.exe"}},
        {L"C:\\360\\360SE.EXE", all}};
    for (const auto& [command, ignored] : cases)
        EXPECT_EQ(IgnoredBrowserNames(command), ignored) << command;
}

TEST(InterpreterCommandTest, InterpreterByItsPathWithoutAutoRun) {
    EXPECT_EQ(MakeInterpreterCommandLine(L"C:\\Windows\\system32\\cmd.exe", L"echo a & echo \"b c\""),
              L"\"C:\\Windows\\system32\\cmd.exe\" /D /C echo a & echo \"b c\"");
}

} // namespace
} // namespace tsu
