// The packed arguments of the control's messages: what the bar encodes the
// control decodes unchanged, the forms the bar has always sent keep their
// bits, and words without a form's tag are told apart.
#include "ui/toolbar/toolbar_messages.h"

#include <gtest/gtest.h>

using namespace toolbar;

namespace {

TEST(ToolbarMessages, QueriesRoundTrip)
{
    struct Query {
        uint16_t id;
        int nth;
    };
    for (const Query q : {Query{101, 0}, Query{101, 1}, Query{0xFFFF, 127}, Query{0, 64}}) {
        const CommandQuery back = DecodeCommandQuery(EncodeCommandQuery(q.id, q.nth));
        EXPECT_EQ(back.id, q.id);
        EXPECT_EQ(back.nth, q.nth);
    }
    // A plain id, and an id under another tag, are the first occurrence.
    EXPECT_EQ(DecodeCommandQuery(0x8105).nth, 0);
    EXPECT_EQ(DecodeCommandQuery(0x12340065).id, 0x65);
    EXPECT_EQ(DecodeCommandQuery(0x12340065).nth, 0);

    const int slots[][2] = {{0, 0}, {5, 5}, {127, 127}, {128, 0}, {-1, 127}};  // 7 bits, as the bar masks
    for (const auto& slot : slots)
        EXPECT_EQ(DecodeSlotQuery(EncodeSlotQuery(slot[0])), slot[1]) << slot[0];
    EXPECT_EQ(DecodeSlotQuery(3 << 16), -1);
    EXPECT_EQ(DecodeSlotQuery(kSlotTag ^ 0x1), -1);  // another low word
    EXPECT_EQ(EncodeSlotQuery(0), 0x12802E7Eu);
}

TEST(ToolbarMessages, TargetsAndIndexes)
{
    struct Case {
        uint32_t word;
        bool color;
        uint16_t value;
    };
    const Case attach[] = {{EncodeColorTarget(0x8105), true, 0x8105},
                           {EncodeColorTarget(0x18105), true, 0x8105},
                           {2, false, 2},
                           {0x12490002, false, 2}};
    for (const Case& c : attach) {
        const AttachTarget target = DecodeAttachTarget(c.word);
        EXPECT_EQ(target.color, c.color) << std::hex << c.word;
        EXPECT_EQ(target.value, c.value) << std::hex << c.word;
    }
    const uint32_t inserts[][2] = {{0, 0}, {5, 5}, {0x3FE, 0x3FE}, {0x3FF, 0x3FF}, {5000, kAppendIndex}};
    for (const auto& insert : inserts)
        EXPECT_EQ(DecodeInsert(EncodeInsert(insert[0])), int64_t(insert[1])) << insert[0];
    EXPECT_EQ(EncodeInsert(kAppendIndex), 0x53FF0001u);
    EXPECT_EQ(DecodeInsert(0x12340001), -1);
    EXPECT_EQ(DecodeWidthTarget(kAllButtons), -1);
    EXPECT_EQ(DecodeWidthTarget(0x10065), 0x65);
}

TEST(ToolbarMessages, GroupsSizesAndColours)
{
    EXPECT_EQ(EncodeGroupRange(2, 1), 0x10002u);
    EXPECT_EQ(EncodeStyleChange(0x84, 0x84), 0x840084u);
    EXPECT_EQ(EncodeStyleChange(0x04, 0x04), 0x40004u);
    const StyleRange range = DecodeStyleRange(EncodeGroupRange(3, 9), EncodeStyleChange(0x02, 0x06));
    EXPECT_EQ(range.index, 3);
    EXPECT_EQ(range.count, 9);
    EXPECT_EQ(range.bits, 0x02);
    EXPECT_EQ(range.mask, 0x06);

    EXPECT_EQ(kChildSizes, 0x20002000u);
    const SizeLimits limits = DecodeSizeLimits(EncodeSizeLimits(30, kSizeFromChild));
    EXPECT_EQ(limits.minWidth, 30);
    EXPECT_EQ(limits.maxWidth, kSizeFromChild);

    const uint32_t extras[][2] = {{0x80000000, 0}, {0x80000001, 1}, {5, uint32_t(-1)}, {0x80000002, uint32_t(-1)}};
    for (const auto& extra : extras)
        EXPECT_EQ(DecodeExtraColor(extra[0]), int(extra[1])) << std::hex << extra[0];
}

// The control answers a size in one word: each half stops at 0xFFFF.
TEST(ToolbarMessages, NeededSizeAnswers)
{
    const int sizes[][4] = {{128, 22, 128, 22}, {70000, 5, 0xFFFF, 5}, {3, 90000, 3, 0xFFFF}};
    for (const auto& size : sizes) {
        const NeededSize back = DecodeNeededSize(EncodeNeededSize(size[0], size[1]));
        EXPECT_EQ(back.cx, size[2]);
        EXPECT_EQ(back.cy, size[3]);
    }
}

}  // namespace
