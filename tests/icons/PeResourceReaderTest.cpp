#include "PeImageBuilder.h"
#include "icons/core/PeResourceReader.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

using test::Bytes;
using test::PeImageBuilder;
using test::PutU16;
using test::PutU32;

ByteReader View(const Bytes& bytes) {
    return ByteReader(bytes.data(), bytes.size());
}

Bytes Payload(uint8_t seed, size_t size) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i);
    return bytes;
}

// Both optional-header layouts must read the same tree.
class PeLayoutTest : public ::testing::TestWithParam<bool> {
protected:
    Bytes BuildSample() {
        PeImageBuilder builder(GetParam());
        builder.Add(14, 7, Payload(1, 20)).Add(14, 3, Payload(2, 34)).AddNamed(14, u"MAINICON", Payload(3, 6));
        builder.Add(3, 1, Payload(4, 100)).Add(3, 2, Payload(5, 101)).Add(6, 1, Payload(6, 8));
        Bytes bytes = builder.Build();
        m_layout = builder.GetLayout();
        return bytes;
    }
    PeImageBuilder::Layout m_layout;
};

TEST_P(PeLayoutTest, CountsNamedAndNumberedEntries) {
    const Bytes bytes = BuildSample();
    PeResourceReader reader;
    ASSERT_TRUE(reader.Open(View(bytes)));
    EXPECT_EQ(reader.IsPe32Plus(), GetParam());
    EXPECT_EQ(reader.CountEntries(14), 3u);
    EXPECT_EQ(reader.CountEntries(3), 2u);
    EXPECT_EQ(reader.CountEntries(6), 1u);
    EXPECT_EQ(reader.CountEntries(5), 0u);
}

TEST_P(PeLayoutTest, FindsByPositionNamedFirstAndById) {
    const Bytes bytes = BuildSample();
    PeResourceReader reader;
    ASSERT_TRUE(reader.Open(View(bytes)));
    struct Expected {
        uint32_t position;
        Bytes data;
    };
    // Named entries come first, then ids ascending, as stored.
    for (const Expected& e : {Expected{0, Payload(3, 6)}, Expected{1, Payload(2, 34)}, Expected{2, Payload(1, 20)}}) {
        const auto found = reader.FindByPosition(14, e.position);
        ASSERT_TRUE(found) << e.position;
        EXPECT_EQ(Bytes(found->Data(), found->Data() + found->Size()), e.data) << e.position;
    }
    EXPECT_FALSE(reader.FindByPosition(14, 3));
    const auto byId = reader.FindById(3, 2);
    ASSERT_TRUE(byId);
    EXPECT_EQ(Bytes(byId->Data(), byId->Data() + byId->Size()), Payload(5, 101));
    EXPECT_FALSE(reader.FindById(3, 9));
    EXPECT_FALSE(reader.FindById(14, 0x80000000u | 3u));
}

TEST_P(PeLayoutTest, EveryTruncationIsReadSafely) {
    const Bytes full = BuildSample();
    for (size_t size = 0; size < full.size(); ++size) {
        // An exact-size copy: the sanitizers of the native build see any read past its end.
        const Bytes cut(full.begin(), full.begin() + size);
        PeResourceReader reader;
        if (!reader.Open(View(cut)))
            continue;
        for (uint32_t p = 0; p < 4; ++p) {
            if (const auto data = reader.FindByPosition(14, p)) {
                EXPECT_LE(data->Data() + data->Size(), cut.data() + cut.size());
            }
        }
        if (const auto data = reader.FindById(3, 2)) {
            EXPECT_LE(data->Data() + data->Size(), cut.data() + cut.size());
        }
    }
    PeResourceReader reader;
    EXPECT_TRUE(reader.Open(View(full)));
}

INSTANTIATE_TEST_SUITE_P(Layouts, PeLayoutTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Pe32Plus" : "Pe32"; });

class PeHeaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        PeImageBuilder builder(false);
        builder.Add(14, 1, Payload(1, 20)).Add(3, 1, Payload(2, 40));
        m_bytes = builder.Build();
        m_layout = builder.GetLayout();
    }
    [[nodiscard]] bool Opens() const {
        PeResourceReader reader;
        return reader.Open(View(m_bytes));
    }
    Bytes m_bytes;
    PeImageBuilder::Layout m_layout;
};

TEST_F(PeHeaderTest, RejectsBrokenHeaders) {
    ASSERT_TRUE(Opens());
    const Bytes good = m_bytes;
    const auto expectRejected = [&](const char* what, auto change) {
        m_bytes = good;
        change();
        EXPECT_FALSE(Opens()) << what;
    };
    expectRejected("no MZ", [&] { m_bytes[1] = 'X'; });
    expectRejected("e_lfanew 0", [&] { PutU32(m_bytes, 0x3C, 0); });
    expectRejected("e_lfanew at the end", [&] { PutU32(m_bytes, 0x3C, static_cast<uint32_t>(m_bytes.size())); });
    expectRejected("e_lfanew far out", [&] { PutU32(m_bytes, 0x3C, 0xFFFFFFF0u); });
    expectRejected("e_lfanew 2 bytes before the end",
                   [&] { PutU32(m_bytes, 0x3C, static_cast<uint32_t>(m_bytes.size() - 2)); });
    expectRejected("no PE signature", [&] { m_bytes[m_layout.peHeader + 2] = 1; });
    expectRejected("optional header too small", [&] { PutU16(m_bytes, m_layout.peHeader + 20, 223); });
    expectRejected("unknown magic", [&] { PutU16(m_bytes, m_layout.optionalHeader, 0x107); });
    // A PE32 header of 224 bytes cannot hold the PE32+ layout's 240.
    expectRejected("PE32+ magic in a PE32 header", [&] { PutU16(m_bytes, m_layout.optionalHeader, 0x20B); });
    expectRejected("only two data directories", [&] { PutU32(m_bytes, m_layout.optionalHeader + 0x5C, 2); });
    expectRejected("no resource directory", [&] { PutU32(m_bytes, m_layout.resourceEntry, 0); });
    expectRejected("resource RVA in no section", [&] { PutU32(m_bytes, m_layout.resourceEntry, 0x90000); });
    expectRejected("section raw data outside the file",
                   [&] { PutU32(m_bytes, m_layout.sectionTable + 20, 0x7FFFFFF0u); });
    expectRejected("section table outside the file", [&] { PutU16(m_bytes, m_layout.peHeader + 20, 0xFFF0); });
    expectRejected("no sections", [&] { PutU16(m_bytes, m_layout.peHeader + 6, 0); });
}

TEST_F(PeHeaderTest, ManySectionsRunningOffTheFileFindNothing) {
    // The only real section does not hold the RVA; the walk reaches headers past the end.
    PutU16(m_bytes, m_layout.peHeader + 6, 0xFFFF);
    PutU32(m_bytes, m_layout.sectionTable + 12, 0x50000);
    EXPECT_FALSE(Opens());
}

TEST(Pe32PlusTest, ReadsTheResourceEntryAt0x80NotAt0x70) {
    PeImageBuilder builder(true);
    builder.Add(14, 1, Payload(1, 20));
    Bytes bytes = builder.Build();
    const PeImageBuilder::Layout layout = builder.GetLayout();
    ASSERT_EQ(layout.resourceEntry, layout.optionalHeader + 0x80);
    // Directory 0 (exports) of PE32+ sits where PE32 keeps the resource entry: an image with
    // exports but no resources must give no icons, not a tree read from the export table.
    PutU32(bytes, layout.optionalHeader + 0x70, layout.resourceRva);
    PutU32(bytes, layout.optionalHeader + 0x74, 16);
    PutU32(bytes, layout.resourceEntry, 0);
    PeResourceReader reader;
    EXPECT_FALSE(reader.Open(View(bytes)));
    // And the reverse: resources at 0x80 are found whatever 0x70 holds.
    PutU32(bytes, layout.resourceEntry, layout.resourceRva);
    PutU32(bytes, layout.optionalHeader + 0x70, 0xDEADBEEF);
    ASSERT_TRUE(reader.Open(View(bytes)));
    EXPECT_EQ(reader.CountEntries(14), 1u);
}

class PeTreeTest : public PeHeaderTest {
protected:
    [[nodiscard]] PeResourceReader Reader() const {
        PeResourceReader reader;
        EXPECT_TRUE(reader.Open(View(m_bytes)));
        return reader;
    }
    // File positions of parts of the type-14 branch.
    size_t GroupNameEntry() const { return m_layout.typeDirectory14 + 16; }
    size_t RootEntryFor14() const {
        // Root directory entries: types ascending (3 then 14).
        return m_layout.resourceBase + 16 + 8;
    }
};

TEST_F(PeTreeTest, TypeDirectoryOutsideTheFileCountsNothing) {
    PutU32(m_bytes, RootEntryFor14() + 4, 0x80000000u | 0x7FFFFFF0u);
    EXPECT_EQ(Reader().CountEntries(14), 0u);
    EXPECT_FALSE(Reader().FindByPosition(14, 0));
}

TEST_F(PeTreeTest, EntryCountsBeyondTheFileCountNothing) {
    PutU16(m_bytes, m_layout.typeDirectory14 + 14, 0xFFFF);
    PutU16(m_bytes, m_layout.typeDirectory14 + 12, 0xFFFF);
    EXPECT_EQ(Reader().CountEntries(14), 0u);
}

TEST_F(PeTreeTest, TypeAsDataEntryIsNoGroupList) {
    PutU32(m_bytes, RootEntryFor14() + 4, 0x40);
    EXPECT_EQ(Reader().CountEntries(14), 0u);
}

TEST_F(PeTreeTest, DataOutsideTheFileIsNotFound) {
    const size_t groupDataEntry = m_layout.firstDataEntry + 16; // resources: icon 1, then group 1
    const Bytes good = m_bytes;
    PutU32(m_bytes, groupDataEntry + 4, 0x7FFFFFFFu); // size
    EXPECT_FALSE(Reader().FindByPosition(14, 0));
    m_bytes = good;
    PutU32(m_bytes, groupDataEntry, 0xFFFFFFF0u); // RVA in no section
    EXPECT_FALSE(Reader().FindByPosition(14, 0));
    m_bytes = good;
    // Inside the section's virtual range but past the end of the file.
    PutU32(m_bytes, m_layout.sectionTable + 8, 0x100000);
    PutU32(m_bytes, groupDataEntry, m_layout.resourceRva + 0x80000);
    EXPECT_FALSE(Reader().FindByPosition(14, 0));
    m_bytes = good;
    PutU32(m_bytes, GroupNameEntry() + 4, 0x80000000u | 0x7FFFFFF8u); // language directory
    EXPECT_FALSE(Reader().FindByPosition(14, 0));
    m_bytes = good;
    PutU32(m_bytes, GroupNameEntry() + 4, 0x7FFFFFF8u); // data entry straight from the name
    EXPECT_FALSE(Reader().FindByPosition(14, 0));
    m_bytes = good;
    EXPECT_TRUE(Reader().FindByPosition(14, 0));
}

TEST_F(PeTreeTest, LoopsInTheTreeEndTheLookUp) {
    const Bytes good = m_bytes;
    // The name entry points back at the root: its "first language" is a subdirectory.
    PutU32(m_bytes, GroupNameEntry() + 4, 0x80000000u);
    EXPECT_FALSE(Reader().FindByPosition(14, 0));
    EXPECT_FALSE(Reader().FindById(14, 1));
    // The name entry points at its own directory.
    m_bytes = good;
    const uint32_t own = static_cast<uint32_t>(m_layout.typeDirectory14 - m_layout.resourceBase);
    PutU32(m_bytes, GroupNameEntry() + 4, 0x80000000u | own);
    EXPECT_FALSE(Reader().FindByPosition(14, 0));
    // The language directory's entry points at the language directory itself.
    m_bytes = good;
    const uint32_t languages = test::GetU32(m_bytes, GroupNameEntry() + 4) & 0x7FFFFFFFu;
    PutU32(m_bytes, m_layout.resourceBase + languages + 16 + 4, 0x80000000u | languages);
    EXPECT_FALSE(Reader().FindByPosition(14, 0));
}

TEST_F(PeTreeTest, NameEntryMayPointStraightAtData) {
    const uint32_t languages = test::GetU32(m_bytes, GroupNameEntry() + 4) & 0x7FFFFFFFu;
    const uint32_t dataEntry = test::GetU32(m_bytes, m_layout.resourceBase + languages + 16 + 4);
    PutU32(m_bytes, GroupNameEntry() + 4, dataEntry);
    const auto data = Reader().FindByPosition(14, 0);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->Size(), 20u);
}

} // namespace
} // namespace tsu
