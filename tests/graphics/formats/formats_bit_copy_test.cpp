#include "graphics/formats/bit_row_copy.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

using CopyFn = void (*)(int32_t, int32_t, const uint32_t*, uint32_t*, int32_t);

int Bit(const uint8_t* bytes, int64_t i)
{
    return (bytes[i / 8] >> (7 - i % 8)) & 1;
}

// Bit by bit: destination bit j is source bit start + j when that lies in
// [0, limit), else 0.
std::vector<uint8_t> Reference(int32_t start, int32_t words, const uint8_t* source, int32_t limit)
{
    std::vector<uint8_t> out(size_t(words) * 4, 0);
    for (int64_t j = 0; j < int64_t(words) * 32; ++j) {
        const int64_t i = start + j;
        if (i >= 0 && i < limit && Bit(source, i))
            out[size_t(j / 8)] |= uint8_t(0x80 >> (j % 8));
    }
    return out;
}

// Exactly sized heap blocks, so that the address sanitizer sees any access
// beyond the source's bits or the destination's words.
struct Exact {
    explicit Exact(size_t n) : bytes(new uint8_t[n ? n : 1]), size(n) {}
    std::unique_ptr<uint8_t[]> bytes;
    size_t size;
    const uint32_t* Words() const { return reinterpret_cast<const uint32_t*>(bytes.get()); }
    uint32_t* Words() { return reinterpret_cast<uint32_t*>(bytes.get()); }
};

class BitCopy : public ::testing::TestWithParam<CopyFn> {};

TEST_P(BitCopy, MatchesBitByBitReference)
{
    lindar_test::Rng rng(17);
    for (int round = 0; round < 20000; ++round) {
        const int32_t limit = rng.Range(-3, 300);
        const int32_t start = rng.Range(-80, 340);
        const int32_t words = rng.Range(1, 12);
        Exact source(size_t(limit > 0 ? (limit + 7) / 8 : 0));
        for (size_t i = 0; i < source.size; ++i)
            source.bytes[i] = uint8_t(rng.Next());
        Exact destination(size_t(words) * 4);
        std::memset(destination.bytes.get(), 0xA5, destination.size);
        GetParam()(start, words, source.Words(), destination.Words(), limit);
        const std::vector<uint8_t> expected = Reference(start, words, source.bytes.get(), limit);
        ASSERT_EQ(0, std::memcmp(destination.bytes.get(), expected.data(), expected.size()))
            << "start " << start << " limit " << limit << " words " << words;
    }
}

TEST_P(BitCopy, EdgeCases)
{
    const uint8_t source[4] = {0xAB, 0xCD, 0xEF, 0x12};
    uint32_t out = 0xFFFFFFFF;
    // 8 zero bits, source bits 0..11, then zeros.
    GetParam()(-8, 1, reinterpret_cast<const uint32_t*>(source), &out, 12);
    const uint8_t expected[4] = {0x00, 0xAB, 0xC0, 0x00};
    EXPECT_EQ(0, std::memcmp(&out, expected, 4));

    out = 0xFFFFFFFF;
    GetParam()(12, 1, reinterpret_cast<const uint32_t*>(source), &out, 12);  // start at the limit
    EXPECT_EQ(out, 0u);
    out = 0xFFFFFFFF;
    GetParam()(0, 1, reinterpret_cast<const uint32_t*>(source), &out, 0);  // no bits
    EXPECT_EQ(out, 0u);
    out = 0x12345678;
    GetParam()(0, 0, reinterpret_cast<const uint32_t*>(source), &out, 32);  // no words
    EXPECT_EQ(out, 0x12345678u);
    GetParam()(0, -1, reinterpret_cast<const uint32_t*>(source), &out, 32);
    EXPECT_EQ(out, 0x12345678u);
}

INSTANTIATE_TEST_SUITE_P(BothDirections, BitCopy, ::testing::Values(&CopyBitsForward, &CopyBitsBackward),
                         [](const auto& info) { return info.index == 0 ? "Forward" : "Backward"; });

TEST(BitCopyOverlap, BackwardWithTheDestinationHigher)
{
    lindar_test::Rng rng(5);
    for (int shiftBytes = 4; shiftBytes <= 12; shiftBytes += 4) {
        for (int32_t start = 0; start < 32; start += 5) {
            std::vector<uint8_t> buffer(64 + 16);
            for (auto& b : buffer)
                b = uint8_t(rng.Next());
            const std::vector<uint8_t> original = buffer;
            const int32_t limit = 64 * 8 - 3;
            const int32_t words = 15;
            CopyBitsBackward(start, words, reinterpret_cast<const uint32_t*>(buffer.data()),
                             reinterpret_cast<uint32_t*>(buffer.data() + shiftBytes), limit);
            const std::vector<uint8_t> expected = Reference(start, words, original.data(), limit);
            EXPECT_EQ(0, std::memcmp(buffer.data() + shiftBytes, expected.data(), expected.size()))
                << "shift " << shiftBytes << " start " << start;
        }
    }
}

}  // namespace
