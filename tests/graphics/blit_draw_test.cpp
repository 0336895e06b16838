#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "tests/graphics/blit_test_util.h"

using namespace blit_test;
using lindar_test::Rng;

namespace {

using I = CGraphicsImage;

// What DrawImage must leave, pixel by pixel through the pixel functions, for
// flags 0 or a source key: the rules of each depth pair written out plainly.
void ReferenceDraw(const I& source, I& target, int x, int y, bool keyed, uint32_t key)
{
    const uint32_t sb = source.m_nBitCount, tb = target.m_nBitCount;
    key &= source.m_nSignificantBits;
    for (int sy = 0; sy < int(source.m_nHeight); ++sy)
        for (int sx = 0; sx < int(source.m_nWidth); ++sx) {
            const int tx = x + sx, ty = y + sy;
            if (tx < 0 || ty < 0 || tx >= int(target.m_nWidth) || ty >= int(target.m_nHeight))
                continue;
            const uint32_t s = Get(source, sx, sy), old = Get(target, tx, ty);
            if (keyed && (s & 0xFFFFFF) == key)
                continue;
            uint32_t v = s;
            if (sb == tb) {
                if (keyed && tb == 32)
                    v = (s & 0xFFFFFF) | (old & 0xFF000000);
            } else if (target.m_bTrueColor) {
                if (!source.m_bTrueColor) {
                    uint8_t r, g, b, a;
                    v = source.GetPaletteRGBA(s & source.m_nPixelMask, &r, &g, &b, &a);
                }
                if (tb == 32 && sb <= 24)
                    v |= 0xFF000000;
            }
            Set(target, tx, ty, v);
        }
}

struct Placement {
    int x, y;
};

// Odd and even x, clipping on every side, sub-byte positions.
const Placement kPlacements[] = {{0, 0}, {3, 1}, {5, 2}, {-3, -2}, {8, 0}, {14, 9}, {-7, 6}, {1, -4}};

TEST(BlitDraw, EveryDepthPairMatchesThePerPixelReference)
{
    Rng rng(7);
    for (uint32_t sb : kDepths)
        for (uint32_t tb : kDepths)
            for (const Placement& p : kPlacements)
                for (bool keyed : {false, true}) {
                    SCOPED_TRACE(testing::Message() << sb << "->" << tb << " at " << p.x << "," << p.y
                                                    << (keyed ? " keyed" : ""));
                    I source, target;
                    MakeRandom(source, sb, 13, 11, rng);
                    MakeRandom(target, tb, 21, 15, rng);
                    // Make the key common: a quarter of the pixels take the first one's value.
                    const uint32_t keyPixel = Get(source, 0, 0);
                    for (int y = 0; y < 11; ++y)
                        for (int x = 0; x < 13; ++x)
                            if (rng.Next() % 4 == 0)
                                Set(source, x, y, keyPixel);
                    const uint32_t key = keyPixel & 0xFFFFFF;
                    const uint32_t flags = keyed ? (key | I::BLIT_SOURCE_KEY) : 0;

                    I expected(target);
                    ReferenceDraw(source, expected, p.x, p.y, keyed, key);
                    const I got = BothPaths(target, [&](I& t) { return t.DrawImage(source, p.x, p.y, flags); });
                    for (int y = 0; y < 15; ++y)
                        for (int x = 0; x < 21; ++x)
                            ASSERT_EQ(Get(got, x, y), Get(expected, x, y)) << "pixel " << x << "," << y;
                    ASSERT_TRUE(Bytes(got) == Bytes(expected));
                }
}

// Every test bit, alone and in pairs, over every depth pair: the fast paths
// must write what the general path writes.
TEST(BlitDraw, FastPathsMatchTheGeneralPathForEveryFlagCombination)
{
    const uint32_t tests[] = {0,
                              I::BLIT_SOURCE_KEY,
                              I::BLIT_SOURCE_BIT31,
                              I::BLIT_SOURCE_NO_BIT31,
                              I::BLIT_SOURCE_BIT30,
                              I::BLIT_TARGET_KEY,
                              I::BLIT_TARGET_BIT31,
                              I::BLIT_TARGET_NO_BIT31,
                              I::BLIT_TARGET_BIT30,
                              I::BLIT_SOURCE_KEY | I::BLIT_TARGET_KEY,
                              I::BLIT_SOURCE_KEY | I::BLIT_TARGET_BIT31,
                              I::BLIT_SOURCE_BIT31 | I::BLIT_TARGET_NO_BIT31,
                              I::BLIT_SOURCE_NO_BIT31 | I::BLIT_SOURCE_BIT30 | I::BLIT_TARGET_BIT30,
                              0x0F000000,
                              0xF0000000,
                              0xFF000000};
    Rng rng(11);
    for (uint32_t sb : kDepths)
        for (uint32_t tb : kDepths)
            for (uint32_t test : tests) {
                SCOPED_TRACE(testing::Message() << sb << "->" << tb << " flags " << std::hex << test);
                I source, target;
                MakeRandom(source, sb, 19, 7, rng);
                MakeRandom(target, tb, 23, 9, rng);
                // Keys that occur on both sides.
                const uint32_t key = Get(source, 1, 1) & 0xFFFFFF;
                for (int i = 0; i < 6; ++i) {
                    Set(source, rng.Range(0, 18), rng.Range(0, 6), Get(source, 1, 1));
                    Set(target, rng.Range(0, 22), rng.Range(0, 8), key);
                }
                BothPaths(target, [&](I& t) { return t.DrawImage(source, 3, 1, test | key); });
                BothPaths(target, [&](I& t) { return t.DrawImage(source, -2, 4, test | key); });
            }
}

// Runs of key pixels, so that whole groups of four and eight take the vector
// shortcut next to mixed groups and tails.
TEST(BlitDraw, RunsOfKeyPixels)
{
    Rng rng(23);
    const uint32_t kPairs[][2] = {{24, 32}, {32, 32}, {24, 24}};
    for (const auto& [sb, tb] : kPairs) {
        I source, target;
        MakeRandom(source, sb, 61, 5, rng);
        MakeRandom(target, tb, 70, 8, rng);
        const uint32_t key = 0x00FF00FF;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 61;) {
                const bool keyed = rng.Next() % 2 != 0;
                for (int n = rng.Range(1, 33); n > 0 && x < 61; --n, ++x)
                    if (keyed)
                        Set(source, x, y, (rng.Next() & 0xFF000000) | key);
            }
        for (int x : {0, 1, 2, 3, 9, -3})
            BothPaths(target, [&](I& t) { return t.DrawImage(source, x, 1, key | I::BLIT_SOURCE_KEY); });
    }
}

// One row of four pixels, as colour words (indices for palette depths).
struct FlagCase {
    const char* what;
    uint32_t sourceBits, targetBits, flags;
    uint32_t source[4], target[4], expected[4];
};

const FlagCase kFlagCases[] = {
    {"32-bit source key leaves key pixels, keeps the fourth byte", 32, 32, 0xFF00FF | I::BLIT_SOURCE_KEY,
     {0x12FF00FF, 0x34102030, 0x00FF00FF, 0xFF405060}, {0xA1000001, 0xB2000002, 0xC3000003, 0xD4000004},
     {0xA1000001, 0xB2102030, 0xC3000003, 0xD4405060}},
    {"24-bit keyed into 32 bits: skipped or opaque", 24, 32, 0xFF00FF | I::BLIT_SOURCE_KEY,
     {0xFF00FF, 0x102030, 0xFF00FF, 0x405060}, {0xA1000001, 0xB2000002, 0xC3000003, 0xD4000004},
     {0xA1000001, 0xFF102030, 0xC3000003, 0xFF405060}},
    {"24-bit into 32 bits without flags: every pixel opaque", 24, 32, 0,
     {0xFF00FF, 0x102030, 0x000000, 0x405060}, {0xA1000001, 0xB2000002, 0xC3000003, 0xD4000004},
     {0xFFFF00FF, 0xFF102030, 0xFF000000, 0xFF405060}},
    {"bit-31 source test dropped for 24 bits", 24, 24, I::BLIT_SOURCE_BIT31,
     {0x800000, 0x102030, 0xFFFFFF, 0x405060}, {1, 2, 3, 4}, {0x800000, 0x102030, 0xFFFFFF, 0x405060}},
    {"bit-31 source test on 32 bits skips bit-31 pixels", 32, 32, I::BLIT_SOURCE_BIT31,
     {0x80000001, 0x7F000002, 0xFF000003, 0x00000004}, {0x11000000, 0x22000000, 0x33000000, 0x44000000},
     {0x11000000, 0x22000002, 0x33000000, 0x44000004}},
    {"bit-31-clear source test", 32, 32, I::BLIT_SOURCE_NO_BIT31,
     {0x80000001, 0x7F000002, 0xFF000003, 0x00000004}, {0x11000000, 0x22000000, 0x33000000, 0x44000000},
     {0x11000001, 0x22000000, 0x33000003, 0x44000000}},
    {"bit-30 source test", 32, 32, I::BLIT_SOURCE_BIT30,
     {0x40000001, 0x80000002, 0xC0000003, 0x3F000004}, {0x11000000, 0x22000000, 0x33000000, 0x44000000},
     {0x11000000, 0x22000002, 0x33000000, 0x44000004}},
    {"lowest source test wins", 32, 32, I::BLIT_SOURCE_BIT31 | I::BLIT_SOURCE_NO_BIT31 | I::BLIT_SOURCE_BIT30,
     {0x80000001, 0x40000002, 0x00000003, 0xC0000004}, {0x11000000, 0x22000000, 0x33000000, 0x44000000},
     {0x11000000, 0x22000002, 0x33000003, 0x44000000}},
    {"source key wins over bit tests", 32, 32, 0x000003 | I::BLIT_SOURCE_KEY | I::BLIT_SOURCE_BIT31,
     {0x80000001, 0x40000002, 0x00000003, 0xC0000003}, {0x11000000, 0x22000000, 0x33000000, 0x44000000},
     {0x11000001, 0x22000002, 0x33000000, 0x44000000}},
    {"key without a test is ignored", 32, 32, 0x000003,
     {0x80000001, 0x40000002, 0x00000003, 0xC0000003}, {0x11000000, 0x22000000, 0x33000000, 0x44000000},
     {0x80000001, 0x40000002, 0x00000003, 0xC0000003}},
    {"8-bit into 1 bit writes bit 0 of each index", 8, 1, 0, {0x02, 0x03, 0xFE, 0x11}, {1, 0, 1, 0}, {0, 1, 0, 1}},
    {"15-bit key matches a pixel with the flag bit set", 15, 15, 0x0808F8 | I::BLIT_SOURCE_KEY,
     {0x800808F8, 0x000808F8, 0x80101010, 0x00181818}, {0, 0, 0, 0}, {0, 0, 0x80101010, 0x00181818}},
    {"15-bit key is masked to the depth's bits", 15, 15, 0x0F0FFF | I::BLIT_SOURCE_KEY,
     {0x800808F8, 0x000808F8, 0x80101010, 0x00181818}, {0, 0, 0, 0}, {0, 0, 0x80101010, 0x00181818}},
    {"16-bit key in the native layout", 16, 16, 0x0804F8 | I::BLIT_SOURCE_KEY,
     {0x0804F8, 0x0808F8, 0x101010, 0x0804F8}, {0x080808, 0x080808, 0x080808, 0x080808},
     {0x080808, 0x0808F8, 0x101010, 0x080808}},
    {"target key skips target pixels equal to the key", 32, 32, 0x000002 | I::BLIT_TARGET_KEY,
     {0x01000001, 0x02000002, 0x03000003, 0x04000004}, {0x11000002, 0x22000002, 0x33000005, 0x44000006},
     {0x11000002, 0x22000002, 0x33000003, 0x44000004}},
    {"target key on 24 bits", 24, 24, 0x000002 | I::BLIT_TARGET_KEY,
     {0x000001, 0x000002, 0x000003, 0x000004}, {0x000002, 0x000007, 0x000002, 0x000008},
     {0x000002, 0x000002, 0x000002, 0x000004}},
    {"target key with the source key", 24, 24, 0x000002 | I::BLIT_TARGET_KEY | I::BLIT_SOURCE_KEY,
     {0x000001, 0x000002, 0x000003, 0x000004}, {0x000002, 0x000007, 0x000005, 0x000008},
     {0x000002, 0x000007, 0x000003, 0x000004}},
    {"target key into a palette image", 24, 8, 0x000002 | I::BLIT_TARGET_KEY,
     {0x000011, 0x000012, 0x000013, 0x000014}, {0x02, 0x03, 0x02, 0x04}, {0x02, 0x12, 0x02, 0x14}},
    {"bit-31 target test", 24, 32, I::BLIT_TARGET_BIT31,
     {0x000001, 0x000002, 0x000003, 0x000004}, {0x80000000, 0x7F000000, 0xFF000000, 0x00000000},
     {0x80000000, 0x00000002, 0xFF000000, 0x00000004}},
    {"bit-31-clear target test", 24, 32, I::BLIT_TARGET_NO_BIT31,
     {0x000001, 0x000002, 0x000003, 0x000004}, {0x80000000, 0x7F000000, 0xFF000000, 0x00000000},
     {0x00000001, 0x7F000000, 0x00000003, 0x00000000}},
    {"bit-30 target test", 32, 32, I::BLIT_TARGET_BIT30,
     {0x01000001, 0x02000002, 0x03000003, 0x04000004}, {0x40000000, 0x80000000, 0xC0000000, 0x00000000},
     {0x40000000, 0x80000002, 0xC0000000, 0x00000004}},
    {"target bit tests dropped for 24 bits", 32, 24, I::BLIT_TARGET_BIT31,
     {0x01000001, 0x02000002, 0x03000003, 0x04000004}, {0x000000, 0x000000, 0x000000, 0x000000},
     {0x000001, 0x000002, 0x000003, 0x000004}},
    {"bit-30 target test dropped for 15 bits", 32, 15, I::BLIT_TARGET_BIT30,
     {0x00000008, 0x80000010, 0x40000018, 0x00000020}, {0x80000000, 0x00000000, 0x80000000, 0x00000000},
     {0x00000008, 0x80000010, 0x00000018, 0x00000020}},
    {"bit-31 target test on 15 bits reads the flag bit", 24, 15, I::BLIT_TARGET_BIT31,
     {0x000008, 0x000010, 0x000018, 0x000020}, {0x80000000, 0x00000000, 0x80000000, 0x00000000},
     {0x80000000, 0x00000010, 0x80000000, 0x00000020}},
    {"bit-30 source test dropped for 15 bits", 15, 32, I::BLIT_SOURCE_BIT30,
     {0x80000008, 0x00000010, 0x80000018, 0x00000020}, {0, 0, 0, 0}, {0xFF000008, 0xFF000010, 0xFF000018, 0xFF000020}},
    {"15-bit flag bit as source bit 31", 15, 32, I::BLIT_SOURCE_BIT31,
     {0x80000008, 0x00000010, 0x80000018, 0x00000020}, {0, 0, 0, 0}, {0, 0xFF000010, 0, 0xFF000020}},
    {"palette into 32 bits with a target test keeps the entry's fourth byte", 8, 32, I::BLIT_TARGET_NO_BIT31,
     {0, 1, 2, 3}, {0x80000000, 0x80000000, 0x00000000, 0x80000000}, {0x00000000, 0x00000080, 0x00000000, 0x00008080}},
    {"palette keyed by index into 32 bits", 8, 32, 0x000002 | I::BLIT_SOURCE_KEY,
     {0, 1, 2, 3}, {7, 7, 7, 7}, {0xFF000000, 0xFF000080, 7, 0xFF008080}},
};

TEST(BlitDraw, FlagRules)
{
    for (const FlagCase& c : kFlagCases) {
        SCOPED_TRACE(c.what);
        I source, target;
        ASSERT_TRUE(source.Create(c.sourceBits, 4, 1, 0, 0));
        ASSERT_TRUE(target.Create(c.targetBits, 4, 1, 0, 0));
        for (int x = 0; x < 4; ++x) {
            Set(source, x, 0, c.source[x]);
            Set(target, x, 0, c.target[x]);
        }
        const I got = BothPaths(target, [&](I& t) { return t.DrawImage(source, 0, 0, c.flags); });
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Get(got, x, 0), c.expected[x]) << "pixel " << x;
    }
}

// Source pixels carry their coordinates, so the copied area shows exactly.
struct ClipCase {
    int x, y;
    bool drawn;
    int sx0, sy0, tx0, ty0, width, height;  // expected copied area
};

const ClipCase kClipCases[] = {
    {-10, 250, true, 10, 0, 0, 250, 246, 6},  // 256 × 256 into 256 × 256: columns 10-255, rows 0-5
    {0, 0, true, 0, 0, 0, 0, 256, 256}, {100, -200, true, 0, 200, 100, 0, 156, 56},
    {-255, -255, true, 255, 255, 0, 0, 1, 1}, {255, 255, true, 0, 0, 255, 255, 1, 1},
    {256, 0, false, 0, 0, 0, 0, 0, 0}, {0, 256, false, 0, 0, 0, 0, 0, 0}, {-256, 0, false, 0, 0, 0, 0, 0, 0},
    {0, -256, false, 0, 0, 0, 0, 0, 0}, {INT_MIN, INT_MIN, false, 0, 0, 0, 0, 0, 0},
    {INT_MAX, INT_MAX, false, 0, 0, 0, 0, 0, 0}, {INT_MIN, 0, false, 0, 0, 0, 0, 0, 0},
    {0, INT_MAX, false, 0, 0, 0, 0, 0, 0},
};

TEST(BlitDraw, ClippingOnEverySide)
{
    I source, target;
    ASSERT_TRUE(source.Create(32, 256, 256, 0, 0));
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            Set(source, x, y, 0x01000000u | uint32_t(y) << 8 | uint32_t(x));
    ASSERT_TRUE(target.Create(32, 256, 256, 0, 0));
    for (const ClipCase& c : kClipCases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        const I got = BothPaths(target, [&](I& t) { return t.DrawImage(source, c.x, c.y, 0); });
        I expected(target);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                Set(expected, c.tx0 + x, c.ty0 + y, Get(source, c.sx0 + x, c.sy0 + y));
        EXPECT_TRUE(Bytes(got) == Bytes(expected));
        I probe(target);
        EXPECT_EQ(probe.DrawImage(source, c.x, c.y, 0), c.drawn);
    }
}

TEST(BlitDraw, EmptyImagesDrawNothing)
{
    I empty, image;
    ASSERT_TRUE(image.Create(24, 4, 4, 0, 0));
    EXPECT_FALSE(image.DrawImage(empty, 0, 0, 0));
    EXPECT_FALSE(empty.DrawImage(image, 0, 0, 0));
}

// Drawing an image onto itself gives what a copy through a temporary gives,
// in every direction of overlap and at sub-byte depths.
TEST(BlitDraw, SelfBlitIsACopyThroughATemporary)
{
    const Placement shifts[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {3, 2}, {-5, -3}, {7, -1}};
    Rng rng(5);
    for (uint32_t bits : kDepths)
        for (const Placement& p : shifts)
            for (uint32_t flags : {0u, 0x000001u | I::BLIT_SOURCE_KEY}) {
                SCOPED_TRACE(testing::Message() << bits << " bits by " << p.x << "," << p.y);
                I image;
                MakeRandom(image, bits, 24, 9, rng);
                I temporary(image), expected(image);
                ASSERT_TRUE(expected.DrawImage(temporary, p.x, p.y, flags));
                BothPaths(image, [&](I& t) {
                    EXPECT_TRUE(t.DrawImage(t, p.x, p.y, flags));
                    EXPECT_TRUE(Bytes(t) == Bytes(expected));
                    return true;
                });
            }
}

// Two images over one caller buffer overlap as well.
TEST(BlitDraw, SharedCallerBufferIsReadBeforeWriting)
{
    std::vector<uint8_t> buffer(16 * 8 * 4);
    for (size_t i = 0; i < buffer.size(); ++i)
        buffer[i] = uint8_t(i * 7);
    I whole, upper;
    ASSERT_TRUE(whole.Create(32, 16, 8, I::NO_FILL, reinterpret_cast<uintptr_t>(buffer.data())));
    // The top four rows of the picture lie at the end of the bottom-up buffer.
    ASSERT_TRUE(upper.Create(32, 16, 4, I::NO_FILL, reinterpret_cast<uintptr_t>(buffer.data() + 16 * 4 * 4)));
    I expected(whole), temporary(upper);
    ASSERT_TRUE(expected.DrawImage(temporary, 0, 2, 0));
    ASSERT_TRUE(whole.DrawImage(upper, 0, 2, 0));
    EXPECT_TRUE(Bytes(whole) == Bytes(expected));
}

TEST(BlitDraw, NormalisedFlags)
{
    using graphics_detail::NormaliseBlitFlags;
    I s15, s24, s32, t8;
    ASSERT_TRUE(s15.Create(15, 1, 1, 0, 0));
    ASSERT_TRUE(s24.Create(24, 1, 1, 0, 0));
    ASSERT_TRUE(s32.Create(32, 1, 1, 0, 0));
    ASSERT_TRUE(t8.Create(8, 1, 1, 0, 0));
    struct Case {
        const I* source;
        const I* target;
        uint32_t in, out;
    } const cases[] = {
        {&s24, &s32, 0x02000000, 0}, {&s32, &s24, 0x20000000, 0}, {&s32, &s32, 0x0E000000, 0x02000000},
        {&s32, &s32, 0x0C000000, 0x04000000}, {&s32, &s32, 0xE0000000, 0x20000000},
        {&s32, &s32, 0xC0000000, 0x40000000}, {&s15, &s15, 0x88000000, 0}, {&s15, &s15, 0x2A000000, 0x22000000},
        {&s15, &s15, 0x01FFFFFF, 0x01F8F8F8}, {&s32, &s15, 0x1FFFFFFF, 0x11F8F8F8},
        {&s32, &s32, 0xF1123456, 0x11123456}, {&s24, &t8, 0x11ABCDEF, 0x11ABCDEF}, {&s24, &t8, 0x00ABCDEF, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NormaliseBlitFlags(c.in, *c.source, *c.target), c.out) << std::hex << c.in;
}

}  // namespace
