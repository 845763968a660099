// Writes the committed seed corpus of the icon fuzzer: small PE images of both layouts with
// icon groups, and the shapes that once needed care (PNG best image, loops, empty groups).
// Usage: icons_fuzz_seeds <folder>. Run again only to change the seeds.

#include "PeImageBuilder.h"

#include <cstdio>
#include <fstream>
#include <string>

using tsu::test::Bytes;
using tsu::test::PeImageBuilder;

namespace {

bool Write(const std::string& folder, const std::string& name, const Bytes& bytes) {
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = true;
    for (bool plus : {false, true}) {
        const std::string layout = plus ? "pe32plus" : "pe32";
        {
            PeImageBuilder b(plus);
            b.AddIconGroup(1, {16, 32}, 0x336699).AddIconGroup(5, {48}, 0x993366);
            ok &= Write(folder, layout + "_two_groups.dll", b.Build());
        }
        {
            PeImageBuilder b(plus);
            b.AddNamed(14, u"MAINICON", tsu::test::MakeIconGroup({{32, 1, 4264}}))
                .Add(3, 1, tsu::test::MakeDibIconImage(32, 0x102030));
            ok &= Write(folder, layout + "_named_group.dll", b.Build());
        }
        {
            PeImageBuilder b(plus);
            b.Add(14, 1, tsu::test::MakeIconGroup({{32, 1, 4264}, {256, 2, 24}}))
                .Add(3, 1, tsu::test::MakeDibIconImage(32, 0))
                .Add(3, 2, tsu::test::MakePngSignatureImage());
            ok &= Write(folder, layout + "_png_image.dll", b.Build());
        }
    }
    {
        PeImageBuilder b(false);
        b.Add(14, 1, {}).Add(14, 2, tsu::test::MakeIconGroup({})).Add(3, 1, tsu::test::MakeDibIconImage(16, 0));
        ok &= Write(folder, "pe32_empty_groups.dll", b.Build());
    }
    {
        PeImageBuilder b(false);
        b.AddIconGroup(1, {16}, 0x010203);
        Bytes bytes = b.Build();
        tsu::test::PutU32(bytes, b.GetLayout().typeDirectory14 + 16 + 4, 0x80000000u); // name -> root
        ok &= Write(folder, "pe32_loop.dll", bytes);
    }
    {
        Bytes group = tsu::test::MakeIconGroup({{16, 1, 1128}});
        tsu::test::PutU16(group, 4, 9); // promises more entries than it holds
        PeImageBuilder b(true);
        b.Add(14, 1, group).Add(3, 1, tsu::test::MakeDibIconImage(16, 0));
        ok &= Write(folder, "pe32plus_short_group.dll", b.Build());
    }
    ok &= Write(folder, "dib_icon_image.bin", tsu::test::MakeDibIconImage(16, 0x445566));
    ok &= Write(folder, "group_directory.bin", tsu::test::MakeIconGroup({{16, 1, 1128}, {32, 2, 4264}}));
    return ok ? 0 : 1;
}
