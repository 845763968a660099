// The installer recogniser over crafted and real images, and the quiet command built from an
// entry's strings and its recognised uninstaller.

#include "PeImageBuilder.h"
#include "uninstall/core/InstallerKind.h"
#include "uninstall/core/QuietCommand.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

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
    bytes.resize(size);
    return bytes;
}

// An NSIS data section, and a second one that the file cuts off in its header.
Bytes SecondSectionCut(const Image& image) {
    Bytes bytes = Renamed(image, ".ndata");
    uint32_t peOffset = 0;
    std::memcpy(&peOffset, bytes.data() + 0x3C, 4);
    bytes[peOffset + 6] = 2; // the number of sections
    return Cut(bytes, image.sectionTable + 40 + 20);
}

struct KindCase {
    const char* name;
    Bytes bytes;
    InstallerKind kind;
};

class InstallerKindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(InstallerKindTest, RecognisesTheTechnologyFromTheBytes) {
    const Bytes& bytes = GetParam().bytes;
    EXPECT_EQ(RecogniseInstallerKind(ByteReader(bytes.data(), bytes.size())), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Crafted, InstallerKindTest,
    ::testing::Values(
        KindCase{"PlainImage", MakeImage(u"Tarrow").bytes, InstallerKind::Unknown},
        KindCase{"NsisDataSection", Renamed(MakeImage(u"x"), ".ndata"), InstallerKind::Nsis},
        KindCase{"NsisOverlayHeader", WithNsisOverlay(MakeImage(u"x").bytes, 0), InstallerKind::Nsis},
        KindCase{"NsisHeaderOffTheBlock", WithNsisOverlay(MakeImage(u"x").bytes, 4), InstallerKind::Unknown},
        KindCase{"NsisHeaderCut", Cut(WithNsisOverlay(MakeImage(u"x").bytes, 0), 1024 + 12), InstallerKind::Unknown},
        KindCase{"WixBurnSection", Renamed(MakeImage(u"x"), ".wixburn"), InstallerKind::WixBundle},
        KindCase{"WixWinsOverNsisOverlay", WithNsisOverlay(Renamed(MakeImage(u"x"), ".wixburn"), 0),
                 InstallerKind::WixBundle},
        KindCase{"InnoModeMark", WithInnoMode(MakeImage(u"x").bytes), InstallerKind::InnoSetup},
        KindCase{"InnoVersionText", MakeImage(u"This installation was built with Inno Setup.").bytes,
                 InstallerKind::InnoSetup},
        KindCase{"InnoMarkWithoutPe", Cut(WithInnoMode(MakeImage(u"x").bytes), 0x40), InstallerKind::Unknown},
        KindCase{"SectionTableCut", Cut(Renamed(MakeImage(u"x"), ".ndata"), 0x100), InstallerKind::Unknown},
        KindCase{"SecondSectionHeaderCut", SecondSectionCut(MakeImage(u"x")),
                 InstallerKind::Unknown},
        KindCase{"Empty", Bytes(), InstallerKind::Unknown}),
    [](const auto& info) { return std::string(info.param.name); });

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

struct QuietCase {
    const char* name;
    const wchar_t* quiet;
    const wchar_t* uninstall;
    const wchar_t* key;
    const wchar_t* path;
    InstallerKind kind;
    QuietSource source;
    const wchar_t* line;
};

constexpr wchar_t kKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App";
constexpr wchar_t kMsiKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{3C8E2F41-7A5B-4D6C-9E0F-1A2B3C4D5E61}";

class QuietCommandTest : public ::testing::TestWithParam<QuietCase> {};

TEST_P(QuietCommandTest, BuildsTheCommandThatAsksNoOne) {
    const QuietCase& c = GetParam();
    QuietCommandInput input;
    input.quietUninstallString = c.quiet;
    input.uninstallString = c.uninstall;
    input.relativeKeyPath = c.key;
    input.systemFolder = L"C:\\windows\\system32";
    input.uninstallerPath = c.path;
    input.uninstallerKind = c.kind;
    const QuietCommand command = BuildQuietCommand(input);
    EXPECT_EQ(command.source, c.source);
    EXPECT_EQ(command.commandLine, c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Table, QuietCommandTest,
    ::testing::Values(
        QuietCase{"QuietStringWins", L"\"C:\\A\\un.exe\" /S", L"MsiExec.exe /I{3C8E2F41-7A5B-4D6C-9E0F-1A2B3C4D5E61}",
                  kKey, L"C:\\A\\un.exe", InstallerKind::Nsis, QuietSource::QuietUninstallString,
                  L"\"C:\\A\\un.exe\" /S"},
        QuietCase{"BlankQuietStringIgnored", L"  ", L"MsiExec.exe /I{3C8E2F41-7A5B-4D6C-9E0F-1A2B3C4D5E61}", kKey, L"",
                  InstallerKind::Unknown, QuietSource::WindowsInstaller,
                  L"\"C:\\windows\\system32\\msiexec.exe\" /X{3C8E2F41-7A5B-4D6C-9E0F-1A2B3C4D5E61} /qn /norestart"},
        QuietCase{"ProductCodeFromTheKey", L"", L"C:\\Windows\\System32\\MSIEXEC.EXE /i", kMsiKey, L"",
                  InstallerKind::Unknown, QuietSource::WindowsInstaller,
                  L"\"C:\\windows\\system32\\msiexec.exe\" /X{3C8E2F41-7A5B-4D6C-9E0F-1A2B3C4D5E61} /qn /norestart"},
        QuietCase{"BrokenCodeIsNoProduct", L"", L"MsiExec.exe /X{3C8E2F41-7A5B-4D6C-9E0F-1A2B3C4D5E6}", kKey, L"",
                  InstallerKind::Unknown, QuietSource::NeedsUser, L""},
        QuietCase{"CodeOfAnotherProgramIsNoProduct", L"", L"\"C:\\App\\un.exe\" {3C8E2F41-7A5B-4D6C-9E0F-1A2B3C4D5E61}",
                  kMsiKey, L"C:\\App\\un.exe", InstallerKind::Unknown, QuietSource::NeedsUser, L""},
        QuietCase{"NsisSwitchBeforeItsLastArgument", L"", L"\"C:\\P F\\App\\uninst.exe\" _?=C:\\P F\\App", kKey,
                  L"C:\\P F\\App\\uninst.exe", InstallerKind::Nsis, QuietSource::InstallerSwitches,
                  L"\"C:\\P F\\App\\uninst.exe\" /S _?=C:\\P F\\App"},
        QuietCase{"InnoUnquoted", L"", L"C:\\App\\unins000.exe /LOG", kKey, L"C:\\App\\unins000.exe",
                  InstallerKind::InnoSetup, QuietSource::InstallerSwitches,
                  L"\"C:\\App\\unins000.exe\" /VERYSILENT /SUPPRESSMSGBOXES /NORESTART /LOG"},
        // A bare program name: its arguments follow the first blank.
        QuietCase{"InnoBareName", L"", L"unins000.exe /LOG", kKey, L"C:\\App\\unins000.exe", InstallerKind::InnoSetup,
                  QuietSource::InstallerSwitches,
                  L"\"C:\\App\\unins000.exe\" /VERYSILENT /SUPPRESSMSGBOXES /NORESTART /LOG"},
        QuietCase{"WixBundle", L"", L"\"C:\\Cache\\bundle.exe\"", kKey, L"C:\\Cache\\bundle.exe",
                  InstallerKind::WixBundle, QuietSource::InstallerSwitches,
                  L"\"C:\\Cache\\bundle.exe\" /uninstall /quiet /norestart"},
        QuietCase{"UnrecognisedNeedsUser", L"", L"\"C:\\App\\un.exe\"", kKey, L"C:\\App\\un.exe",
                  InstallerKind::Unknown, QuietSource::NeedsUser, L""},
        QuietCase{"NoUninstallerFile", L"", L"\"C:\\App\\un.exe\"", kKey, L"", InstallerKind::Nsis,
                  QuietSource::NeedsUser, L""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tsu
