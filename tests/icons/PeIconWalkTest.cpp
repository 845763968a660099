#include "PeImageBuilder.h"
#include "icons/core/IconGroupDirectory.h"
#include "icons/core/PeIconWalk.h"

#include <gtest/gtest.h>

#include <climits>

namespace tsu {
namespace {

using test::Bytes;
using test::PeImageBuilder;

ByteReader View(const Bytes& bytes) {
    return ByteReader(bytes.data(), bytes.size());
}

// Picks the entry closest in width to `size`, as the platform's look-up roughly does.
ChooseIconImage ClosestTo(int size) {
    return [size](ByteReader bytes) -> uint32_t {
        IconGroupDirectory group;
        if (!group.Parse(bytes))
            return 0;
        uint32_t best = 0;
        int bestDiff = INT_MAX;
        for (uint16_t i = 0; i < group.Count(); ++i) {
            const IconGroupEntry entry = group.Entry(i);
            const int width = entry.width == 0 ? 256 : entry.width;
            if (std::abs(width - size) < bestDiff) {
                bestDiff = std::abs(width - size);
                best = entry.id;
            }
        }
        return best;
    };
}

struct Taken {
    uint32_t slot;
    uint16_t id;
    size_t bytes;
};

class PeIconWalkTest : public ::testing::Test {
protected:
    // Groups with ids 5 (images 1, 2), 4 (images 3, 4) and 3 (image 5), stored by id ascending.
    void SetUp() override {
        PeImageBuilder builder(true);
        builder.AddIconGroup(5, {16, 32}, 0xFF0000).AddIconGroup(4, {16, 48}, 0x00FF00).AddIconGroup(3, {32}, 0x0000FF);
        m_bytes = builder.Build();
        ASSERT_TRUE(m_reader.Open(View(m_bytes)));
    }
    std::vector<Taken> Walk(int32_t index, uint32_t count, int size = 32) {
        std::vector<Taken> taken;
        const PeIconWalk walk(m_reader);
        const uint32_t n = walk.Run(index, count, ClosestTo(size), [&](uint32_t slot, uint16_t id, ByteReader image) {
            taken.push_back(Taken{slot, id, image.Size()});
            return true;
        });
        EXPECT_EQ(n, taken.size());
        return taken;
    }
    std::vector<uint16_t> Ids(const std::vector<Taken>& taken) {
        std::vector<uint16_t> ids;
        for (size_t i = 0; i < taken.size(); ++i) {
            EXPECT_EQ(taken[i].slot, i);
            ids.push_back(taken[i].id);
        }
        return ids;
    }
    Bytes m_bytes;
    PeResourceReader m_reader;
};

TEST_F(PeIconWalkTest, CountsGroups) {
    EXPECT_EQ(PeIconWalk(m_reader).CountGroups(), 3u);
}

TEST_F(PeIconWalkTest, PositiveIndexWalksGroupsInStoredOrder) {
    // Stored order is by id: group 3, then 4, then 5.
    EXPECT_EQ(Ids(Walk(0, 500)), (std::vector<uint16_t>{5, 3, 2}));
    EXPECT_EQ(Ids(Walk(1, 500)), (std::vector<uint16_t>{3, 2}));
    EXPECT_EQ(Ids(Walk(0, 500, 48)), (std::vector<uint16_t>{5, 4, 2}));
    EXPECT_EQ(Ids(Walk(0, 1)), (std::vector<uint16_t>{5}));
    EXPECT_TRUE(Walk(3, 500).empty());
    EXPECT_TRUE(Walk(0, 0).empty());
}

TEST_F(PeIconWalkTest, NegativeIndexNamesGroupIdsCountingDown) {
    EXPECT_EQ(Ids(Walk(-5, 500)), (std::vector<uint16_t>{2, 3, 5})); // ids 5, 4, 3, then 2 is missing
    EXPECT_EQ(Ids(Walk(-4, 1)), (std::vector<uint16_t>{3}));
    EXPECT_TRUE(Walk(-9, 500).empty());
}

TEST_F(PeIconWalkTest, IndexAtTheEdgesOfItsRangeEndsCleanly) {
    EXPECT_TRUE(Walk(INT32_MIN, 500).empty());
    EXPECT_TRUE(Walk(INT32_MAX, 500).empty());
    EXPECT_TRUE(Walk(-0x10000, 500).empty());
}

TEST_F(PeIconWalkTest, ImagesHandedOnAreWholeDibs) {
    const std::vector<Taken> taken = Walk(0, 500);
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(taken[0].bytes, test::MakeDibIconImage(32, 0).size());
    EXPECT_EQ(taken[1].bytes, test::MakeDibIconImage(16, 0).size());
    EXPECT_EQ(taken[2].bytes, test::MakeDibIconImage(32, 0).size());
}

TEST_F(PeIconWalkTest, RefusalByTheTakerEndsTheWalk) {
    uint32_t calls = 0;
    const uint32_t n =
        PeIconWalk(m_reader).Run(0, 500, ClosestTo(32), [&](uint32_t, uint16_t, ByteReader) { return ++calls < 2; });
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(calls, 2u);
}

TEST_F(PeIconWalkTest, ChooserFindingNothingEndsTheWalk) {
    const uint32_t n = PeIconWalk(m_reader).Run(
        0, 500, [](ByteReader) { return 0u; }, [](uint32_t, uint16_t, ByteReader) { return true; });
    EXPECT_EQ(n, 0u);
    const uint32_t missing = PeIconWalk(m_reader).Run(
        0, 500, [](ByteReader) { return 77u; }, [](uint32_t, uint16_t, ByteReader) { return true; });
    EXPECT_EQ(missing, 0u);
    const uint32_t tooLarge = PeIconWalk(m_reader).Run(
        0, 500, [](ByteReader) { return 0x10001u; }, [](uint32_t, uint16_t, ByteReader) { return true; });
    EXPECT_EQ(tooLarge, 0u);
}

// One group per case, built to the case's shape; the walk must take `expected` icons.
struct GroupCase {
    const char* label;
    std::function<void(PeImageBuilder&)> build;
    uint32_t expected;
};

class PeIconGroupShapeTest : public ::testing::TestWithParam<GroupCase> {};

TEST_P(PeIconGroupShapeTest, TakesOnlyWholeDibImages) {
    PeImageBuilder builder(false);
    GetParam().build(builder);
    const Bytes bytes = builder.Build();
    PeResourceReader reader;
    ASSERT_TRUE(reader.Open(View(bytes)));
    bool chooserSawShortGroup = false;
    const uint32_t n = PeIconWalk(reader).Run(
        0, 500,
        [&](ByteReader group) {
            IconGroupDirectory parsed;
            chooserSawShortGroup |= !parsed.Parse(group);
            return ClosestTo(128)(group);
        },
        [](uint32_t, uint16_t, ByteReader) { return true; });
    EXPECT_EQ(n, GetParam().expected) << GetParam().label;
    EXPECT_FALSE(chooserSawShortGroup) << GetParam().label;
}

Bytes Truncated(Bytes bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, PeIconGroupShapeTest,
    ::testing::Values(GroupCase{"one good group",
                                [](PeImageBuilder& b) {
                                    b.AddIconGroup(1, {16, 32, 48}, 0x123456);
                                },
                                1},
                      GroupCase{"zero-size group", [](PeImageBuilder& b) { b.Add(14, 1, {}); }, 0},
                      GroupCase{"group count 0",
                                [](PeImageBuilder& b) {
                                    b.Add(14, 1, test::MakeIconGroup({})).Add(3, 1, test::MakeDibIconImage(16, 0));
                                },
                                0},
                      GroupCase{"group promises more entries than it holds",
                                [](PeImageBuilder& b) {
                                    Bytes group = test::MakeIconGroup({{16, 1, 1128}});
                                    test::PutU16(group, 4, 40);
                                    b.Add(14, 1, group).Add(3, 1, test::MakeDibIconImage(16, 0));
                                },
                                0},
                      GroupCase{"best image is PNG",
                                [](PeImageBuilder& b) {
                                    b.Add(14, 1, test::MakeIconGroup({{32, 1, 4264}, {128, 2, 24}}))
                                        .Add(3, 1, test::MakeDibIconImage(32, 0))
                                        .Add(3, 2, test::MakePngSignatureImage());
                                },
                                0},
                      GroupCase{"best image cut short",
                                [](PeImageBuilder& b) {
                                    b.Add(14, 1, test::MakeIconGroup({{48, 1, 9640}}))
                                        .Add(3, 1, Truncated(test::MakeDibIconImage(48, 0), 9000));
                                },
                                0},
                      GroupCase{"second group broken after a good first",
                                [](PeImageBuilder& b) {
                                    b.AddIconGroup(1, {32}, 0x010203).Add(14, 2, test::MakeIconGroup({{32, 90, 4264}}));
                                },
                                1}));

} // namespace
} // namespace tsu
