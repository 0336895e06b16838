#include "graphics/formats/read_cursor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const BYTE kData[] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0x01, 0x02};

// A small stream buffer, so reads cross refills of a memory block too.
struct CursorFixture : ::testing::Test {
    CBufferedStream stream{CBufferedStream::kMinBufferSize};
    void SetUp() override { ASSERT_TRUE(stream.OpenMemory(kData, sizeof kData, CBufferedStream::kModeRead, nullptr)); }
    CReadCursor Cursor() { return CReadCursor(stream, ThrowFormatError<EBmpFileReadError>, ThrowFormatError<EBmpCorruptFile>); }
};

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
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(stream.Seek(0, 0) >= 0);
        CReadCursor in = Cursor();
        EXPECT_EQ(Thrown([&] { c.call(in); }), c.error);
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
