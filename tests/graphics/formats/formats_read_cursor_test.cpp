#include "graphics/formats/read_cursor.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const BYTE kData[] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0x01, 0x02};

// A small stream buffer, so reads cross refills of a memory block too.
struct CursorFixture : ::testing::Test {
    CBufferedStream stream{CBufferedStream::kMinBufferSize};
    void SetUp() override { ASSERT_TRUE(stream.OpenMemory(kData, sizeof kData, CBufferedStream::kModeRead, nullptr)); }
    CReadCursor Cursor() { return CReadCursor(stream, ThrowFormatError<EBmpFileReadError>, ThrowFormatError<EBmpCorruptFile>); }
};

// A row converter for the tests: each 3-byte unit reversed.
void ReverseUnits(const uint8_t* from, uint8_t* to, int count)
{
    for (int i = 0; i < count; ++i, from += 3, to += 3) {
        const uint8_t a = from[0], b = from[1], c = from[2];
        to[0] = c, to[1] = b, to[2] = a;
    }
}

// Which of the two errors a call threw: "read", "corrupt" or "" for none.
template <class F>
std::string Thrown(F&& call)
{
    try {
        call();
    } catch (const EBmpFileReadError&) {
        return "read";
    } catch (const EBmpCorruptFile&) {
        return "corrupt";
    }
    return "";
}

TEST_F(CursorFixture, FieldsInBothByteOrders)
{
    CReadCursor in = Cursor();
    EXPECT_EQ(in.U16LE(), 0x3412);
    EXPECT_EQ(in.U16BE(), 0x5678);
    EXPECT_EQ(in.U32LE(), 0xF0DEBC9Au);
    EXPECT_EQ(in.Position(), 8);
    EXPECT_EQ(in.Remaining(), 2);
    in.SeekTo(0);
    EXPECT_EQ(in.U32BE(), 0x12345678u);
    EXPECT_EQ(in.S32BE(), int32_t(0x9ABCDEF0));
    EXPECT_EQ(in.U8(), 0x01);
}

TEST_F(CursorFixture, ShortDataIsTheReadErrorAndLimitsTheCorruptError)
{
    const struct {
        const char* what;
        void (*call)(CReadCursor&);
        const char* error;
    } cases[] = {
        {"U32 over the end", [](CReadCursor& in) { in.Skip(7); in.U32LE(); }, "read"},
        {"U16BE over the end", [](CReadCursor& in) { in.Skip(9); in.U16BE(); }, "read"},
        {"U8 at the end", [](CReadCursor& in) { in.Skip(10); in.U8(); }, "read"},
        {"bytes over the end", [](CReadCursor& in) { BYTE b[11]; in.Bytes(b, 11); }, "read"},
        {"negative byte count", [](CReadCursor& in) { BYTE b[1]; in.Bytes(b, -1); }, "corrupt"},
        {"skip past the end", [](CReadCursor& in) { in.Skip(11); }, "read"},
        {"seek past the end", [](CReadCursor& in) { in.SeekTo(11); }, "read"},
        {"seek to the end", [](CReadCursor& in) { in.SeekTo(10); }, ""},
        {"limit below", [](CReadCursor& in) { in.Limit(0, 1, kReadMaxSide); }, "corrupt"},
        {"limit above", [](CReadCursor& in) { in.Limit(kReadMaxSide + 1, 1, kReadMaxSide); }, "corrupt"},
        {"limit inside", [](CReadCursor& in) { in.Limit(kReadMaxSide, 1, kReadMaxSide); }, ""},
        {"product overflow", [](CReadCursor& in) { in.Product({INT64_MAX / 2, 3}, INT64_MAX); }, "corrupt"},
        {"product above max", [](CReadCursor& in) { in.Product({32768, 32768, 4}); }, "corrupt"},
        {"product of a zero", [](CReadCursor& in) { in.Product({0, INT64_MAX}); }, ""},
        {"negative factor", [](CReadCursor& in) { in.Product(-1, 2); }, "corrupt"},
        {"convert over the end", [](CReadCursor& in) { BYTE b[12]; in.Convert(b, 12, 3, ReverseUnits); }, "read"},
        {"convert part of a unit", [](CReadCursor& in) { BYTE b[4]; in.Convert(b, 4, 3, ReverseUnits); }, "corrupt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(stream.Seek(0, 0) >= 0);
        CReadCursor in = Cursor();
        EXPECT_EQ(Thrown([&] { c.call(in); }), c.error);
    }
}

// Converted rows come out of the stream's memory in pieces of whole units:
// a unit across the end of a file buffer (512 bytes, not a multiple of 3)
// is made contiguous alone. A memory stream shows all of its bytes at once.
TEST(ReadCursorConvert, UnitsAcrossBufferEnds)
{
    std::vector<uint8_t> data(3000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i * 7 + i / 256);
    const std::string path = lindar_test::TempDir() + "/read_cursor_convert.bin";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
    for (const bool file : {true, false})
        for (const int64_t start : {int64_t(0), int64_t(1), int64_t(2), int64_t(509), int64_t(511)}) {
            SCOPED_TRACE(testing::Message() << (file ? "file " : "memory ") << start);
            CBufferedStream stream(CBufferedStream::kMinBufferSize);
            ASSERT_TRUE(file ? stream.OpenA(path.c_str(), CBufferedStream::kModeRead, nullptr)
                             : stream.OpenMemory(data.data(), int32_t(data.size()), CBufferedStream::kModeRead, nullptr));
            CReadCursor in(stream, ThrowFormatError<EBmpFileReadError>, ThrowFormatError<EBmpCorruptFile>);
            in.SeekTo(start);
            const int64_t n = (int64_t(data.size()) - start) / 3 * 3;
            std::vector<uint8_t> out(static_cast<size_t>(n)), expected(static_cast<size_t>(n));
            ReverseUnits(data.data() + start, expected.data(), int(n / 3));
            in.Convert(out.data(), n, 3, ReverseUnits);
            EXPECT_EQ(out, expected);
            EXPECT_EQ(in.Position(), start + n);
        }
}

TEST_F(CursorFixture, FitsAnswersBeforeAnyAllocation)
{
    CReadCursor in = Cursor();
    in.Skip(4);
    EXPECT_TRUE(in.Fits(6));
    EXPECT_FALSE(in.Fits(7));
    EXPECT_FALSE(in.Fits(-1));
    const BYTE* look = nullptr;
    EXPECT_EQ(in.Look(&look, 4), 4);
    EXPECT_EQ(look[0], 0x9A);
    EXPECT_EQ(in.Position(), 4);  // looking consumes nothing
}

}  // namespace
