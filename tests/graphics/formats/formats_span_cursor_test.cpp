// The read cursor's memory-span form: reads on from the position and fields
// at offsets, each bounded by the block, with the two errors of the format.
#include "graphics/formats/read_cursor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

const uint8_t kBlock[] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0x01, 0x02};
constexpr int64_t kLength = sizeof kBlock;

CSpanCursor Span(const void* data = kBlock, int64_t size = kLength)
{
    return CSpanCursor(data, size, ThrowFormatError<EXwdFileReadError>, ThrowFormatError<EXwdNotAXwdFile>);
}

// What a call gave: its value, "read" or "corrupt" for the two errors.
template <class F>
std::string Outcome(F&& call)
{
    try {
        return std::to_string(call());
    } catch (const EXwdFileReadError&) {
        return "read";
    } catch (const EXwdNotAXwdFile&) {
        return "corrupt";
    }
}

struct SpanCase {
    const char* what;
    int64_t (*call)(CSpanCursor&);
    const char* outcome;
};

const SpanCase kCases[] = {
    // Reading on from the position.
    {"U8", [](CSpanCursor& s) { return int64_t(s.U8()); }, "18"},
    {"U16LE", [](CSpanCursor& s) { return int64_t(s.U16LE()); }, "13330"},
    {"U32LE", [](CSpanCursor& s) { return int64_t(s.U32LE()); }, "2018915346"},
    {"S32LE after a skip", [](CSpanCursor& s) { s.Skip(4); return int64_t(s.S32LE()); }, "-253838182"},
    {"U32LE over the end", [](CSpanCursor& s) { s.Skip(7); return int64_t(s.U32LE()); }, "read"},
    {"U8 at the end", [](CSpanCursor& s) { s.SeekTo(kLength); return int64_t(s.U8()); }, "read"},
    {"taking all", [](CSpanCursor& s) { return int64_t(*s.Take(kLength)); }, "18"},
    {"taking one more", [](CSpanCursor& s) { return int64_t(*s.Take(kLength + 1)); }, "read"},
    {"a negative count", [](CSpanCursor& s) { s.Skip(-1); return int64_t(0); }, "corrupt"},
    {"seeking to the end", [](CSpanCursor& s) { s.SeekTo(kLength); return s.Remaining(); }, "0"},
    {"seeking past it", [](CSpanCursor& s) { s.SeekTo(kLength + 1); return int64_t(0); }, "read"},
    {"seeking before it", [](CSpanCursor& s) { s.SeekTo(-1); return int64_t(0); }, "read"},
    // Fields at offsets leave the position.
    {"U16LEAt", [](CSpanCursor& s) { return int64_t(s.U16LEAt(8)) * 100 + s.Position(); }, "51300"},
    {"U32LEAt the last four", [](CSpanCursor& s) { return int64_t(s.U32LEAt(kLength - 4)); }, "33681630"},
    {"U32LEAt one further", [](CSpanCursor& s) { return int64_t(s.U32LEAt(kLength - 3)); }, "read"},
    {"U8At a negative offset", [](CSpanCursor& s) { return int64_t(s.U8At(-1)); }, "read"},
    {"U16LEAt a huge offset", [](CSpanCursor& s) { return int64_t(s.U16LEAt(INT64_MAX - 1)); }, "read"},
    {"BytesAt a negative count", [](CSpanCursor& s) { return int64_t(*s.BytesAt(0, -2)); }, "corrupt"},
    // A span inside the block is bounded by its own end.
    {"SpanAt reads from its start", [](CSpanCursor& s) { return int64_t(s.SpanAt(2, 4).U16LEAt(2)); }, "48282"},
    {"SpanAt past its own end", [](CSpanCursor& s) { return int64_t(s.SpanAt(2, 4).U16LEAt(3)); }, "read"},
    {"SpanAt past the block", [](CSpanCursor& s) { return s.SpanAt(8, 3).Length(); }, "read"},
    {"TakeSpan moves on",
     [](CSpanCursor& s) {
         const CSpanCursor first = s.TakeSpan(4);
         return int64_t(first.Length()) * 100 + s.U8();
     },
     "554"},
    // The limits the stream form has.
    {"Limit in range", [](CSpanCursor& s) { return s.Limit(5, 1, 5); }, "5"},
    {"Limit out of range", [](CSpanCursor& s) { return s.Limit(6, 1, 5); }, "corrupt"},
    {"Product overflows", [](CSpanCursor& s) { return s.Product({INT64_MAX / 2, 3}); }, "corrupt"},
};

TEST(SpanCursor, ReadsFieldsAndSpansWithinTheBlock)
{
    for (const SpanCase& c : kCases) {
        CSpanCursor span = Span();
        EXPECT_EQ(Outcome([&] { return c.call(span); }), c.outcome) << c.what;
    }
}

TEST(SpanCursor, FitsAtNeverOverflows)
{
    const CSpanCursor span = Span();
    const struct {
        int64_t offset;
        int64_t n;
        bool fits;
    } cases[] = {
        {0, kLength, true},   {kLength, 0, true},        {kLength, 1, false}, {kLength + 1, 0, false},
        {-1, 1, false},       {3, -1, false},            {1, INT64_MAX, false}, {INT64_MAX, 1, false},
        {kLength - 1, 1, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(span.FitsAt(c.offset, c.n), c.fits) << c.offset << " + " << c.n;
}

// A failed read moves nothing; no data is an empty span.
TEST(SpanCursor, FailuresKeepThePositionAndNoDataIsEmpty)
{
    CSpanCursor span = Span();
    span.Skip(8);
    EXPECT_EQ(Outcome([&] { return int64_t(span.U32LE()); }), "read");
    EXPECT_EQ(span.Position(), 8);
    EXPECT_EQ(span.U16LE(), 0x0201);

    for (const CSpanCursor& empty : {Span(nullptr, 10), Span(kBlock, 0), Span(kBlock, -4)}) {
        EXPECT_EQ(empty.Length(), 0);
        EXPECT_TRUE(empty.Fits(0));
        EXPECT_FALSE(empty.Fits(1));
    }
}

}  // namespace
