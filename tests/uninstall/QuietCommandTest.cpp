// The installer recogniser over crafted and real images, and the quiet command built from an entry.
#include "PeImageBuilder.h"
#include "uninstall/core/InstallerKind.h"
#include "uninstall/core/QuietCommand.h"

#include <gtest/gtest.h>
#include <cstring>
#include <iterator>
#include <tuple>

namespace tsu {
namespace {

using test::Bytes;

// An image with a version resource holding versionText; sectionTable receives its offset.
Bytes MakeImage(const std::u16string& versionText, size_t* sectionTable = nullptr) {
    const std::u16string text = u"VS_VERSION_INFO Comments " + versionText;
    test::PeImageBuilder builder;
    builder.Add(16, 1,
                Bytes(reinterpret_cast<const uint8_t*>(text.data()),
                      reinterpret_cast<const uint8_t*>(text.data() + text.size()))); // a version resource
    Bytes bytes = builder.Build();
    if (sectionTable)
        *sectionTable = builder.GetLayout().sectionTable;
    return bytes;
}

size_t g_sectionTable = 0;
const Bytes kPlain = MakeImage(u"x", &g_sectionTable);

// The plain image with its first section renamed, and with `sections` sections in its header.
Bytes Renamed(const char* name, uint8_t sections = 1) {
    Bytes bytes = kPlain;
    std::memset(bytes.data() + g_sectionTable, 0, 8);
    std::memcpy(bytes.data() + g_sectionTable, name, std::strlen(name));
    uint32_t peOffset = 0;
    std::memcpy(&peOffset, bytes.data() + 0x3C, 4);
    bytes[peOffset + 6] = sections;
    return bytes;
}

// The image with an NSIS first header `misalign` bytes after the next 512-byte boundary.
Bytes WithNsisOverlay(Bytes bytes, size_t misalign) {
    bytes.resize((bytes.size() + 511) / 512 * 512 + misalign, 0);
    const char header[] = "\1\0\0\0\xEF\xBE\xAD\xDENullsoftInst";
    bytes.insert(bytes.end(), std::begin(header), std::end(header) - 1);
    bytes.resize(bytes.size() + 64, 0);
    return bytes;
}

Bytes WithInnoMode(Bytes bytes) {
    return std::memcpy(bytes.data() + 0x30, "InUn", 4), bytes;
}

Bytes Cut(Bytes bytes, size_t size) {
    return bytes.resize(size), bytes;
}

TEST(InstallerKindTest, RecognisesTheTechnologyFromTheBytes) {
    const InstallerKind U = InstallerKind::Unknown, N = InstallerKind::Nsis, W = InstallerKind::WixBundle,
                        I = InstallerKind::InnoSetup;
    // clang-format off
    const std::tuple<const char*, Bytes, InstallerKind> cases[] = {
        {"PlainImage", MakeImage(u"Tarrow"), U}, {"NsisDataSection", Renamed(".ndata"), N},
        {"NsisOverlayHeader", WithNsisOverlay(kPlain, 0), N}, {"NsisHeaderOffTheBlock", WithNsisOverlay(kPlain, 4), U},
        {"NsisHeaderCut", Cut(WithNsisOverlay(kPlain, 0), 1024 + 12), U}, {"WixBurnSection", Renamed(".wixburn"), W},
        {"WixWinsOverNsisOverlay", WithNsisOverlay(Renamed(".wixburn"), 0), W},
        {"InnoModeMark", WithInnoMode(kPlain), I},
        {"InnoVersionText", MakeImage(u"This installation was built with Inno Setup."), I},
        {"InnoMarkWithoutPe", Cut(WithInnoMode(kPlain), 0x40), U},
        // An NSIS data section, and a second one that the file cuts off in its header.
        {"SecondSectionHeaderCut", Cut(Renamed(".ndata", 2), g_sectionTable + 40 + 20), U}, {"Empty", Bytes(), U}};
    // clang-format on
    for (const auto& [name, bytes, kind] : cases)
        EXPECT_EQ(RecogniseInstallerKind(ByteReader(bytes.data(), bytes.size())), kind) << name;
}

TEST(QuietCommandTest, BuildsTheCommandThatAsksNoOne) {
    const std::wstring key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App";
    const std::wstring code = L"{3C8E2F41-7A5B-4D6C-9E0F-1A2B3C4D5E61}";
    const std::wstring msiKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + code;
    const std::wstring msiQuiet = L"\"C:\\windows\\system32\\msiexec.exe\" /X" + code + L" /qn /norestart";
    const std::wstring inno = L"\"C:\\App\\unins000.exe\" /VERYSILENT /SUPPRESSMSGBOXES /NORESTART /LOG";
    const InstallerKind U = InstallerKind::Unknown, N = InstallerKind::Nsis, I = InstallerKind::InnoSetup;
    const QuietSource Q = QuietSource::QuietUninstallString, M = QuietSource::WindowsInstaller,
                      S = QuietSource::InstallerSwitches, User = QuietSource::NeedsUser;
    // clang-format off
    const std::tuple<const char*, std::wstring, std::wstring, std::wstring, std::wstring, InstallerKind, QuietSource,
                     std::wstring> cases[] = {
        // name, quiet string, uninstall string, key, uninstaller file, its kind, source, command
        {"QuietStringWins", L"\"C:\\A\\un.exe\" /S", L"MsiExec.exe /I" + code, key, L"C:\\A\\un.exe", N, Q,
         L"\"C:\\A\\un.exe\" /S"},
        {"BlankQuietStringIgnored", L"  ", L"MsiExec.exe /I" + code, key, L"", U, M, msiQuiet},
        {"ProductCodeFromTheKey", L"", L"C:\\Windows\\System32\\MSIEXEC.EXE /i", msiKey, L"", U, M, msiQuiet},
        {"BrokenCodeIsNoProduct", L"", L"MsiExec.exe /X{3C8E2F41-7A5B-4D6C-9E0F-1A2B3C4D5E6}", key, L"", U, User, L""},
        {"CodeOfAnotherProgramIsNoProduct", L"", L"\"C:\\App\\un.exe\" " + code, msiKey, L"C:\\App\\un.exe", U, User,
         L""},
        {"NsisSwitchBeforeItsLastArgument", L"", L"\"C:\\P F\\App\\uninst.exe\" _?=C:\\P F\\App", key,
         L"C:\\P F\\App\\uninst.exe", N, S, L"\"C:\\P F\\App\\uninst.exe\" /S _?=C:\\P F\\App"},
        // A bare program name: its arguments follow the first blank.
        {"InnoBareName", L"", L"unins000.exe /LOG", key, L"C:\\App\\unins000.exe", I, S, inno},
        {"WixBundle", L"", L"\"C:\\Cache\\bundle.exe\"", key, L"C:\\Cache\\bundle.exe", InstallerKind::WixBundle, S,
         L"\"C:\\Cache\\bundle.exe\" /uninstall /quiet /norestart"},
        {"UnrecognisedNeedsUser", L"", L"\"C:\\App\\un.exe\"", key, L"C:\\App\\un.exe", U, User, L""},
        {"NoUninstallerFile", L"", L"\"C:\\App\\un.exe\"", key, L"", N, User, L""}};
    // clang-format on
    for (const auto& [name, quiet, uninstall, entryKey, path, kind, source, line] : cases) {
        const QuietCommand command =
            BuildQuietCommand(QuietCommandInput{quiet, uninstall, entryKey, L"C:\\windows\\system32", path, kind});
        EXPECT_EQ(command.source, source) << name;
        EXPECT_EQ(command.commandLine, line) << name;
    }
}

} // namespace
} // namespace tsu
