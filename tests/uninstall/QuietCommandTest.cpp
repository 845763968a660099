// The installer recogniser over crafted and real images, and the quiet command built from an entry.
#include "PeImageBuilder.h"
#include "uninstall/core/InstallerKind.h"
#include "uninstall/core/QuietCommand.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <tuple>

namespace tsu {
namespace {

using test::Bytes;

constexpr uint16_t kVersionType = 16;

Bytes Utf16(const std::u16string& text) {
    Bytes bytes;
    for (const char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

struct Image {
    Bytes bytes;
    size_t sectionTable;
};

Image MakeImage(const std::u16string& versionText) {
    test::PeImageBuilder builder;
    builder.Add(kVersionType, 1, Utf16(u"VS_VERSION_INFO Comments " + versionText));
    Image image{builder.Build(), 0};
    image.sectionTable = builder.GetLayout().sectionTable;
    return image;
}

Bytes Renamed(Image image, const char* name) {
    std::memset(image.bytes.data() + image.sectionTable, 0, 8);
    std::memcpy(image.bytes.data() + image.sectionTable, name, std::strlen(name));
    return image.bytes;
}

// The image with an NSIS first header `misalign` bytes after the next 512-byte boundary.
Bytes WithNsisOverlay(Bytes bytes, size_t misalign) {
    bytes.resize((bytes.size() + 511) / 512 * 512 + misalign, 0);
    const uint8_t header[] = {1,   0,   0,   0,   0xEF, 0xBE, 0xAD, 0xDE, 'N', 'u',
                              'l', 'l', 's', 'o', 'f',  't',  'I',  'n',  's', 't'};
    bytes.insert(bytes.end(), std::begin(header), std::end(header));
    bytes.resize(bytes.size() + 64, 0);
    return bytes;
}

Bytes WithInnoMode(Bytes bytes) {
    std::memcpy(bytes.data() + 0x30, "InUn", 4);
    return bytes;
}

Bytes Cut(Bytes bytes, size_t size) {
    return bytes.resize(size), bytes;
}

// An NSIS data section, and a second one that the file cuts off in its header.
Bytes SecondSectionCut(const Image& image) {
    Bytes bytes = Renamed(image, ".ndata");
    uint32_t peOffset = 0;
    std::memcpy(&peOffset, bytes.data() + 0x3C, 4);
    bytes[peOffset + 6] = 2; // the number of sections
    return Cut(bytes, image.sectionTable + 40 + 20);
}

TEST(InstallerKindTest, RecognisesTheTechnologyFromTheBytes) {
    const Image plain = MakeImage(u"x");
    const InstallerKind U = InstallerKind::Unknown, N = InstallerKind::Nsis, W = InstallerKind::WixBundle,
                        I = InstallerKind::InnoSetup;
    const std::tuple<const char*, Bytes, InstallerKind> cases[] = {
        {"PlainImage", MakeImage(u"Tarrow").bytes, U},
        {"NsisDataSection", Renamed(plain, ".ndata"), N},
        {"NsisOverlayHeader", WithNsisOverlay(plain.bytes, 0), N},
        {"NsisHeaderOffTheBlock", WithNsisOverlay(plain.bytes, 4), U},
        {"NsisHeaderCut", Cut(WithNsisOverlay(plain.bytes, 0), 1024 + 12), U},
        {"WixBurnSection", Renamed(plain, ".wixburn"), W},
        {"WixWinsOverNsisOverlay", WithNsisOverlay(Renamed(plain, ".wixburn"), 0), W},
        {"InnoModeMark", WithInnoMode(plain.bytes), I},
        {"InnoVersionText", MakeImage(u"This installation was built with Inno Setup.").bytes, I},
        {"InnoMarkWithoutPe", Cut(WithInnoMode(plain.bytes), 0x40), U},
        {"SectionTableCut", Cut(Renamed(plain, ".ndata"), 0x100), U},
        {"SecondSectionHeaderCut", SecondSectionCut(plain), U},
        {"Empty", Bytes(), U},
    };
    for (const auto& [name, bytes, kind] : cases)
        EXPECT_EQ(RecogniseInstallerKind(ByteReader(bytes.data(), bytes.size())), kind) << name;
}

TEST(InstallerKindTest, RealNsisStubsAreNsis) {
    int seen = 0;
    for (const char* stub : {"/usr/share/nsis/Stubs/zlib-x86-unicode", "/usr/share/nsis/Stubs/lzma-amd64-unicode"}) {
        std::ifstream file(stub, std::ios::binary);
        if (!file)
            continue; // only where NSIS is installed (not under Wine)
        const Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_EQ(RecogniseInstallerKind(ByteReader(bytes.data(), bytes.size())), InstallerKind::Nsis) << stub;
        ++seen;
    }
    if (seen == 0)
        GTEST_SKIP() << "no NSIS stubs on this machine";
}

TEST(QuietCommandTest, BuildsTheCommandThatAsksNoOne) {
    const std::wstring key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App";
    const std::wstring code = L"{3C8E2F41-7A5B-4D6C-9E0F-1A2B3C4D5E61}";
    const std::wstring msiKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + code;
    const std::wstring msiQuiet = L"\"C:\\windows\\system32\\msiexec.exe\" /X" + code + L" /qn /norestart";
    const std::wstring inno = L"\"C:\\App\\unins000.exe\" /VERYSILENT /SUPPRESSMSGBOXES /NORESTART /LOG";
    const InstallerKind U = InstallerKind::Unknown, N = InstallerKind::Nsis;
    const QuietSource Q = QuietSource::QuietUninstallString, M = QuietSource::WindowsInstaller,
                      S = QuietSource::InstallerSwitches, User = QuietSource::NeedsUser;
    const struct {
        const char* name;
        std::wstring quiet, uninstall, key, path;
        InstallerKind kind;
        QuietSource source;
        std::wstring line;
    } cases[] = {
        {"QuietStringWins", L"\"C:\\A\\un.exe\" /S", L"MsiExec.exe /I" + code, key, L"C:\\A\\un.exe", N, Q,
         L"\"C:\\A\\un.exe\" /S"},
        {"BlankQuietStringIgnored", L"  ", L"MsiExec.exe /I" + code, key, L"", U, M, msiQuiet},
        {"ProductCodeFromTheKey", L"", L"C:\\Windows\\System32\\MSIEXEC.EXE /i", msiKey, L"", U, M, msiQuiet},
        {"BrokenCodeIsNoProduct", L"", L"MsiExec.exe /X{3C8E2F41-7A5B-4D6C-9E0F-1A2B3C4D5E6}", key, L"", U, User, L""},
        {"CodeOfAnotherProgramIsNoProduct", L"", L"\"C:\\App\\un.exe\" " + code, msiKey, L"C:\\App\\un.exe", U, User,
         L""},
        {"NsisSwitchBeforeItsLastArgument", L"", L"\"C:\\P F\\App\\uninst.exe\" _?=C:\\P F\\App", key,
         L"C:\\P F\\App\\uninst.exe", N, S, L"\"C:\\P F\\App\\uninst.exe\" /S _?=C:\\P F\\App"},
        {"InnoUnquoted", L"", L"C:\\App\\unins000.exe /LOG", key, L"C:\\App\\unins000.exe", InstallerKind::InnoSetup, S,
         inno},
        // A bare program name: its arguments follow the first blank.
        {"InnoBareName", L"", L"unins000.exe /LOG", key, L"C:\\App\\unins000.exe", InstallerKind::InnoSetup, S, inno},
        {"WixBundle", L"", L"\"C:\\Cache\\bundle.exe\"", key, L"C:\\Cache\\bundle.exe", InstallerKind::WixBundle, S,
         L"\"C:\\Cache\\bundle.exe\" /uninstall /quiet /norestart"},
        {"UnrecognisedNeedsUser", L"", L"\"C:\\App\\un.exe\"", key, L"C:\\App\\un.exe", U, User, L""},
        {"NoUninstallerFile", L"", L"\"C:\\App\\un.exe\"", key, L"", N, User, L""},
    };
    for (const auto& c : cases) {
        QuietCommandInput input;
        input.quietUninstallString = c.quiet;
        input.uninstallString = c.uninstall;
        input.relativeKeyPath = c.key;
        input.systemFolder = L"C:\\windows\\system32";
        input.uninstallerPath = c.path;
        input.uninstallerKind = c.kind;
        const QuietCommand command = BuildQuietCommand(input);
        EXPECT_EQ(command.source, c.source) << c.name;
        EXPECT_EQ(command.commandLine, c.line) << c.name;
    }
}

} // namespace
} // namespace tsu
