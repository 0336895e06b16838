// Fixed-point sine and arctangent: the documented values, the tables against
// the functions they sample, and the operands that stress the scaling.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/fixed_trig.h"
#include "tests/support/test_support.h"

using namespace graphics_detail;

namespace {

const long double kPi = 3.141592653589793238462643383279502884L;

TEST(FixedTrigTables, SampleTheirFunctions)
{
    for (int i = 0; i <= kTrigTableLast; ++i) {
        EXPECT_EQ(kSinTable[i], std::lround(32768 * std::sin(i * kPi / 256))) << i;
        EXPECT_EQ(kAtanTable[i], int(std::floor(32768 * std::atan(i / 128.0L) / (kPi / 4) + 1e-9L))) << i;
        EXPECT_EQ(kHalfChordTable[i], int(std::floor(32768 * std::sqrt(1 - (i / 128.0L) * (i / 128.0L)) + 1e-9L)))
            << i;
    }
    EXPECT_EQ(kHalfChordTable[1], 32766);
    EXPECT_EQ(kHalfChordTable[127], 4087);
    EXPECT_EQ(kHalfChordTable[129], 0);
    EXPECT_EQ(kAtanTable[1], 325);
    EXPECT_EQ(kAtanTable[2], 651);
}

TEST(FixedSin, DocumentedValues)
{
    const struct {
        int32_t angle, sine;
    } cases[] = {
        {0, 0}, {0x8000, 65536}, {0x10000, 0}, {0x18000, -65536}, {0x4000, 46340},
        {0x20000, 0}, {-0x8000, -65536}, {0x28000, 65536},  // only the low 17 bits count
    };
    for (const auto& c : cases)
        EXPECT_EQ(FixedSin(c.angle), c.sine) << std::hex << c.angle;
    EXPECT_EQ(FixedCos(0), 65536);
    EXPECT_EQ(FixedCos(0x10000), -65536);
}

TEST(FixedSin, FollowsTheSineEverywhere)
{
    for (int32_t a = 0; a < 0x20000; a += 7) {
        const long double exact = 65536 * std::sin(a * 2 * kPi / 0x20000);
        EXPECT_NEAR(double(FixedSin(a)), double(exact), 3.0) << a;
    }
}

TEST(FixedAtan2, DocumentedValues)
{
    const struct {
        int32_t y, x, angle;
    } cases[] = {
        {0, 0, 0},       {0, 5, 0},       {1, 0, 0x8000},   {0, -1, 0x10000},
        {-1, 0, 0x18000}, {1, 1, 0x4000},  {-1, -1, 0x14000}, {3, 4, 0x346F}, {1, -1, 0xC000}, {-1, 1, 0x1C000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FixedAtan2(c.y, c.x), c.angle) << c.y << "," << c.x;
}

// Equal operands at every scale, and operands so large that the scaling
// drops bits of the larger one, must stay inside the table and near the
// true angle.
TEST(FixedAtan2, LargeAndEqualOperands)
{
    const int32_t scales[] = {1, 0x7FFF, 0x8000, 0x7FFFF, 0x80000, 0x800000, 0x8000000, 0x7FFFFFFF};
    for (int32_t s : scales) {
        EXPECT_EQ(FixedAtan2(s, s), 0x4000) << s;
        EXPECT_EQ(FixedAtan2(-s, s), 0x1C000) << s;
        EXPECT_EQ(FixedAtan2(s, -s), 0xC000) << s;
    }
    EXPECT_EQ(FixedAtan2(INT32_MIN, 0), 0x18000);
    EXPECT_EQ(FixedAtan2(0, INT32_MIN), 0x10000);
    EXPECT_EQ(FixedAtan2(INT32_MIN, INT32_MIN), 0x14000);
    lindar_test::Rng rng(7);
    for (int i = 0; i < 20000; ++i) {
        const int32_t x = int32_t(rng.Next()), y = int32_t(rng.Next()) >> (rng.Next() % 31);
        const int32_t got = FixedAtan2(y, x);
        ASSERT_GE(got, 0);
        ASSERT_LE(got, 0x1FFFF);
        long double exact = std::atan2((long double)y, (long double)x) / (2 * kPi) * 0x20000;
        if (exact < 0)
            exact += 0x20000;
        long double diff = std::fabs(got - exact);
        diff = std::min(diff, 0x20000 - diff);
        EXPECT_LE(double(diff), 4.0) << y << "," << x;
    }
}

TEST(FixedAtan2, InvertsFixedSin)
{
    for (int32_t a = 0; a < 0x20000; a += 97) {
        const int32_t back = FixedAtan2(FixedSin(a), FixedCos(a));
        int32_t diff = std::abs(back - a);
        diff = std::min(diff, 0x20000 - diff);
        EXPECT_LE(diff, 4) << a;
    }
}

}  // namespace
