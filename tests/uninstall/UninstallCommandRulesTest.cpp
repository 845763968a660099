#include "uninstall/core/InterpreterCommand.h"
#include "uninstall/core/UninstallCommandRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tsu {
namespace {

struct LaunchTextCase {
    const char* name;
    std::wstring command;
    std::wstring launchText;
};

TEST(LaunchTextTest, BuildsTheTextGivenToProcessCreation) {
    const LaunchTextCase cases[] = {
        // A quoted path with a slash switch: the switch is dropped, the path keeps its quotes so
        // that C:\Program.exe is never tried.
        LaunchTextCase{"QuotedPathSlashSwitch", L"\"C:\\Program Files\\App\\uninst.exe\" /S",
                       L"\"C:\\Program Files\\App\\uninst.exe\""},
        LaunchTextCase{"QuotedPathAlone", L"\"C:\\Program Files\\App\\uninst.exe\"",
                       L"\"C:\\Program Files\\App\\uninst.exe\""},
        LaunchTextCase{"QuotedPathQuotedArgument", L"\"C:\\App\\uninst.exe\" /log=\"C:\\x y\\log.txt\"",
                       L"\"C:\\App\\uninst.exe\""},
        // Two quoted tokens: the first one only, not the span up to the last quote.
        LaunchTextCase{"TwoQuotedTokens", L"\"C:\\A\\un.exe\" \"C:\\B\\other.exe\"", L"\"C:\\A\\un.exe\""},
        // A hyphen anywhere means the command is started as it stands.
        LaunchTextCase{"HyphenInSwitch", L"\"C:\\App\\uninst.exe\" -silent", L"\"C:\\App\\uninst.exe\" -silent"},
        LaunchTextCase{"HyphenInPath", L"\"C:\\My-App\\uninst.exe\" /S", L"\"C:\\My-App\\uninst.exe\" /S"},
        // Only a command that starts with a quote is cut.
        LaunchTextCase{"UnquotedMsiexec", L"MsiExec.exe /X{6F1B7C2A-3D4E-4F50-9A61-7B8C9D0E1F21}",
                       L"MsiExec.exe /X{6F1B7C2A-3D4E-4F50-9A61-7B8C9D0E1F21}"},
        LaunchTextCase{"QuoteInsideOnly", L"C:\\App\\uninst.exe /log=\"C:\\x\\l.txt\"",
                       L"C:\\App\\uninst.exe /log=\"C:\\x\\l.txt\""},
        LaunchTextCase{"LeadingSpaceThenQuote", L" \"C:\\App\\uninst.exe\" /S", L" \"C:\\App\\uninst.exe\" /S"},
        LaunchTextCase{"UnquotedWithSpaces", L"C:\\Program Files\\App\\uninst.exe",
                       L"C:\\Program Files\\App\\uninst.exe"},
        // Nothing that can be started.
        LaunchTextCase{"Empty", L"", L""}, LaunchTextCase{"OnlyAQuote", L"\"", L""},
        LaunchTextCase{"EmptyQuotes", L"\"\" /S", L""}, LaunchTextCase{"NeverClosed", L"\"C:\\App\\uninst.exe /S", L""},
        // Non-ASCII paths are taken in whole characters, including surrogate pairs.
        LaunchTextCase{"ChinesePath", L"\"C:\\程序\\卸载.exe\" /S", L"\"C:\\程序\\卸载.exe\""},
        LaunchTextCase{"SurrogatePair", L"\"C:\\\U0001F600\\u.exe\" /S", L"\"C:\\\U0001F600\\u.exe\""}};
    for (const LaunchTextCase& c : cases)
        EXPECT_EQ(BuildLaunchText(c.command), c.launchText) << c.name;
}

TEST(LaunchTextLengthTest, LongCommandsAreNeverCut) {
    const std::wstring longUnquoted = L"C:\\App\\uninst.exe /arg=" + std::wstring(10000, L'x');
    EXPECT_EQ(BuildLaunchText(longUnquoted), longUnquoted);
    const std::wstring longPath = L"C:\\" + std::wstring(400, L'd') + L"\\uninst.exe";
    EXPECT_EQ(BuildLaunchText(L"\"" + longPath + L"\" /S"), L"\"" + longPath + L"\"");
    const std::wstring longQuotedWithHyphen = L"\"C:\\App\\uninst.exe\" -" + std::wstring(10000, L'y');
    EXPECT_EQ(BuildLaunchText(longQuotedWithHyphen), longQuotedWithHyphen);
}

struct ProgramCase {
    const char* name;
    std::wstring launchText;
    LaunchProgram::Kind kind;
    std::vector<std::wstring> candidates;
};

using Kind = LaunchProgram::Kind;

TEST(LaunchProgramTest, NamesTheProgramWithoutASearch) {
    const ProgramCase cases[] = {
        // Bare names are the system's programs, whatever lies beside the tool or in the current folder.
        ProgramCase{"BareMsiexec",
                    L"MsiExec.exe /X{6F1B7C2A-3D4E-4F50-9A61-7B8C9D0E1F21}",
                    Kind::SystemProgram,
                    {L"MsiExec.exe"}},
        ProgramCase{"BareWithoutExtension", L"RunDll32 C:\\App\\un.dll,Remove", Kind::SystemProgram, {L"RunDll32.exe"}},
        ProgramCase{"QuotedBareName", L"\"cmd.exe\" /C exit", Kind::SystemProgram, {L"cmd.exe"}},
        ProgramCase{
            "QuotedPath", L"\"C:\\Program Files\\App\\un.exe\" -S", Kind::Path, {L"C:\\Program Files\\App\\un.exe"}},
        ProgramCase{"LeadingBlanks", L" \t\"C:\\App\\un.exe\"", Kind::Path, {L"C:\\App\\un.exe"}},
        // Unquoted with spaces: the path up to a written ".exe", never C:\Program.exe.
        ProgramCase{"UnquotedWithSpaces",
                    L"C:\\Program Files\\App\\un.exe /S",
                    Kind::Path,
                    {L"C:\\Program Files\\App\\un.exe"}},
        ProgramCase{"UnquotedWithSpacesAlone", L"C:\\Program Files\\un.exe", Kind::Path, {L"C:\\Program Files\\un.exe"}},
        ProgramCase{"TwoReadings", L"C:\\A.exe B\\un.EXE /S", Kind::Path, {L"C:\\A.exe", L"C:\\A.exe B\\un.EXE"}},
        ProgramCase{"NoExeWritten", L"C:\\App\\uninst /S", Kind::Path, {L"C:\\App\\uninst.exe"}},
        ProgramCase{"UncPath", L"\\\\server\\share\\un.exe", Kind::Path, {L"\\\\server\\share\\un.exe"}},
        // Nothing that names one program without depending on the current folder.
        ProgramCase{"RelativePath", L"App\\un.exe /S", Kind::None, {}},
        ProgramCase{"DriveRelative", L"C:un.exe", Kind::None, {}},
        ProgramCase{"QuoteNeverClosed", L"\"C:\\App\\un.exe -S", Kind::None, {}},
        ProgramCase{"EmptyQuotes", L"\"\" /S", Kind::None, {}}, ProgramCase{"Blank", L"  ", Kind::None, {}}};
    for (const ProgramCase& c : cases) {
        const LaunchProgram program = PickLaunchProgram(c.launchText);
        EXPECT_EQ(program.kind, c.kind) << c.name;
        EXPECT_EQ(program.candidates, c.candidates) << c.name;
    }
}

struct ProductCodeCase {
    const char* name;
    std::wstring command;
    bool replaced;
};

TEST(FixedProductCodeTest, ReplacesTheWholeCommand) {
    const ProductCodeCase cases[] = {ProductCodeCase{"RemovalCommand", L"MsiExec.exe /X{BA6E3406-3BB9-433B-B9BF-ADC652DF3520}", true},
                      ProductCodeCase{"InstallCommand", L"MsiExec.exe /I{BA6E3406-3BB9-433B-B9BF-ADC652DF3520}", true},
                      ProductCodeCase{"RepairInTheMiddle", L"x /f {BA6E3406-3BB9-433B-B9BF-ADC652DF3520} /qn", true},
                      ProductCodeCase{"AlreadyTheReplacement",
                                      L"MsiExec.exe /uninstall {BA6E3406-3BB9-433B-B9BF-ADC652DF3520}", true},
                      // The test is case-sensitive, like the registered product code itself.
                      ProductCodeCase{"LowerCaseCode", L"MsiExec.exe /X{ba6e3406-3bb9-433b-b9bf-adc652df3520}", false},
                      ProductCodeCase{"OtherProduct", L"MsiExec.exe /X{6F1B7C2A-3D4E-4F50-9A61-7B8C9D0E1F21}", false},
                      ProductCodeCase{"CodeWithoutBraces", L"MsiExec.exe /X BA6E3406-3BB9-433B-B9BF-ADC652DF3520",
                                      false},
                      ProductCodeCase{"Empty", L"", false}};
    for (const ProductCodeCase& c : cases) {
        std::wstring command = c.command;
        EXPECT_EQ(ApplyFixedProductCodeRule(command), c.replaced) << c.name;
        EXPECT_EQ(command, c.replaced ? std::wstring(kFixedProductCodeCommand) : c.command) << c.name;
    }
}

TEST(FixedProductCodeThenLaunchText, ReplacementIsStartedUnchanged) {
    std::wstring command = L"\"C:\\Setup\\setup.exe\" /repair {BA6E3406-3BB9-433B-B9BF-ADC652DF3520}";
    ASSERT_TRUE(ApplyFixedProductCodeRule(command));
    EXPECT_EQ(BuildLaunchText(command), kFixedProductCodeCommand);
}

struct BrowserCase {
    const char* name;
    std::wstring command;
    std::vector<std::wstring> ignored;
};

TEST(IgnoredBrowserTest, ListsTheBrowsersNotWaitedFor) {
    const BrowserCase cases[] = {
        BrowserCase{"AnyUninstaller", L"\"C:\\App\\uninst.exe\"", {L"iexplore.exe", L"chrome.exe", L"360se.exe"}},
        // Removing the 360 browser: its own processes are waited for, Chrome's are not.
        BrowserCase{"Removing360",
                    L"\"C:\\360\\360se6\\Application\\360se.exe\" --uninstall",
                    {L"iexplore.exe", L"chrome.exe"}},
        // Removing Chrome: its own processes are waited for, 360's are not.
        BrowserCase{"RemovingChrome",
                    L"\"C:\\Program Files\\Google\\Chrome\\Application\\setup.exe\" --uninstall "
                    L"--display-name \"Google Chrome\"",
                    {L"iexplore.exe", L"360se.exe"}},
        BrowserCase{"BothMarkers360First", L"360se.exe Google Chrome", {L"iexplore.exe", L"chrome.exe"}},
        // Markers are case-sensitive texts.
        BrowserCase{"UpperCase360", L"C:\\360\\360SE.EXE", {L"iexplore.exe", L"chrome.exe", L"360se.exe"}},
        BrowserCase{"LowerCaseChrome", L"c:\\google chrome\\setup.exe", {L"iexplore.exe", L"chrome.exe", L"360se.exe"}},
        BrowserCase{"Empty", L"", {L"iexplore.exe", L"chrome.exe", L"360se.exe"}}};
    for (const BrowserCase& c : cases)
        EXPECT_EQ(IgnoredBrowserNames(c.command), c.ignored) << c.name;
}

TEST(InterpreterCommandTest, InterpreterByItsPathWithoutAutoRun) {
    EXPECT_EQ(MakeInterpreterCommandLine(L"C:\\Windows\\system32\\cmd.exe", L"echo a & echo \"b c\""),
              L"\"C:\\Windows\\system32\\cmd.exe\" /D /C echo a & echo \"b c\"");
}

} // namespace
} // namespace tsu
