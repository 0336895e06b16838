#include "system/buffered_stream.h"

#include "tests/system/stream_test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

using namespace lindar_test;

namespace {

constexpr int32_t kSmallBuffer = CBufferedStream::kMinBufferSize;
constexpr int32_t kFormatBuffer = 32768;

// Every read operation of a stream that cannot read gives its failure value.
void ExpectNoReads(CBufferedStream& s)
{
    char line[8];
    BYTE bytes[4];
    const BYTE* peeked = nullptr;
    EXPECT_EQ(s.Read(bytes, 1), -1);
    EXPECT_EQ(s.ReadU8(), -1);
    EXPECT_EQ(s.ReadU16(), -1);
    EXPECT_EQ(s.ReadU32(), -1);
    EXPECT_EQ(s.ReadLineA(line, sizeof line), -1);
    EXPECT_EQ(s.Peek(0, &peeked, 1), -1);
    EXPECT_EQ(s.PeekBuffered(&peeked), -1);
}

void ExpectNoWrites(CBufferedStream& s)
{
    EXPECT_EQ(s.Write("x", 1), -1);
    EXPECT_FALSE(s.WriteU8(1));
    EXPECT_FALSE(s.WriteU16(1));
    EXPECT_EQ(s.PrintfA("%i", 1), -1);
}

TEST(BufferedStream, NothingOpenFailsEveryOperation)
{
    CBufferedStream s(0);
    EXPECT_EQ(s.m_eof, 1);
    EXPECT_FALSE(s.IsOpen());
    ExpectNoReads(s);
    ExpectNoWrites(s);
    EXPECT_FALSE(s.Flush());
    EXPECT_EQ(s.Tell(), -1);
    EXPECT_EQ(s.Seek(0, 0), -1);
    EXPECT_EQ(s.GetLength(), -1);
    EXPECT_FALSE(s.Close());
}

TEST(BufferedStream, OpenFailures)
{
    const std::string existing = TempPath("open_failures.bin");
    WriteBytes(existing, {1, 2, 3});
    const int filter = 0;
    const std::string directory = TempDir();
    struct Case {
        const char* what;
        const char* path;
        int mode;
        const void* filter;
    } cases[] = {
        {"missing file", "no/such/dir/file.bin", CBufferedStream::kModeRead, nullptr},
        {"directory", directory.c_str(), CBufferedStream::kModeRead, nullptr},
        {"create in missing directory", "no/such/dir/new.bin", CBufferedStream::kModeCreate, nullptr},
        {"null path", nullptr, CBufferedStream::kModeRead, nullptr},
        {"filter", existing.c_str(), CBufferedStream::kModeRead, &filter},
        {"mode 1", existing.c_str(), 1, nullptr},
        {"mode 3", existing.c_str(), 3, nullptr},
        {"resource without name", "RES:#10", CBufferedStream::kModeRead, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CBufferedStream s(kSmallBuffer);
        ASSERT_TRUE(s.OpenA(existing.c_str(), CBufferedStream::kModeRead, nullptr));
        EXPECT_FALSE(s.OpenA(c.path, c.mode, c.filter));
        EXPECT_EQ(s.m_eof, 1);
        EXPECT_EQ(s.Tell(), -1);
        EXPECT_FALSE(s.Close());
    }
    const BYTE block[1] = {7};
    CBufferedStream s(kSmallBuffer);
    EXPECT_FALSE(s.OpenMemory(block, -1, CBufferedStream::kModeRead, nullptr));
    EXPECT_FALSE(s.OpenMemory(nullptr, 1, CBufferedStream::kModeRead, nullptr));
    EXPECT_FALSE(s.OpenMemory(block, 1, CBufferedStream::kModeCreate, nullptr));
    EXPECT_FALSE(s.OpenMemory(block, 1, CBufferedStream::kModeRead, &filter));
    EXPECT_EQ(s.m_eof, 1);
    EXPECT_EQ(ReadBytes(existing), (std::vector<uint8_t>{1, 2, 3}));  // never truncated
}

TEST(BufferedStream, WrongDirectionFails)
{
    const std::string path = TempPath("direction.bin");
    WriteBytes(path, {1, 2, 3, 4});
    CBufferedStream reader(kSmallBuffer);
    ASSERT_TRUE(reader.OpenA(path.c_str(), CBufferedStream::kModeRead, nullptr));
    ExpectNoWrites(reader);
    EXPECT_TRUE(reader.Flush());
    EXPECT_EQ(reader.ReadU32(), 0x04030201);
    EXPECT_TRUE(reader.Close());

    const BYTE block[2] = {1, 2};
    CBufferedStream memory(kSmallBuffer);
    ASSERT_TRUE(memory.OpenMemory(block, 2, CBufferedStream::kModeRead, nullptr));
    ExpectNoWrites(memory);

    CBufferedStream writer(kSmallBuffer);
    ASSERT_TRUE(writer.OpenA(TempPath("direction_out.bin").c_str(), CBufferedStream::kModeCreate, nullptr));
    ExpectNoReads(writer);
    EXPECT_TRUE(writer.Close());
    EXPECT_FALSE(writer.Close());
}

// A stream over the same bytes as a file or as a memory block.
class StreamSource : public ::testing::TestWithParam<bool> {
protected:
    bool OpenOver(CBufferedStream& s, const std::vector<uint8_t>& bytes, const char* name)
    {
        m_bytes = bytes;
        if (GetParam())
            return s.OpenMemory(m_bytes.data(), int32_t(m_bytes.size()), CBufferedStream::kModeRead, nullptr);
        const std::string path = TempPath(name);
        WriteBytes(path, bytes);
        return s.OpenA(path.c_str(), CBufferedStream::kModeRead, nullptr);
    }
    std::vector<uint8_t> m_bytes;
};

// One call on a stream and what it must give: the result, the end-of-data
// flag afterwards and the position.
enum class Op { U8, U16, U32, Read, Seek };
struct Step {
    Op op;
    int32_t arg;
    int64_t result;
    int eof, tell;
};

void RunSteps(CBufferedStream& s, std::initializer_list<Step> steps)
{
    BYTE buf[64];
    int n = 0;
    for (const Step& st : steps) {
        SCOPED_TRACE(testing::Message() << "step " << n++);
        const int64_t got = st.op == Op::U8    ? s.ReadU8()
                            : st.op == Op::U16 ? s.ReadU16()
                            : st.op == Op::U32 ? s.ReadU32()
                            : st.op == Op::Read ? s.Read(buf, st.arg)
                                                : s.Seek(st.arg, 0);
        EXPECT_EQ(std::make_tuple(got, int(s.m_eof), s.Tell()), std::make_tuple(st.result, st.eof, st.tell));
    }
}

TEST_P(StreamSource, EndOfDataFlagAtBoundaries)
{
    const std::vector<uint8_t> data = {0x11, 0x22, 0x33, 0xFF, 0xFF, 0xFF, 0xFF};
    CBufferedStream s(kSmallBuffer);
    ASSERT_TRUE(OpenOver(s, data, "eof.bin"));
    EXPECT_EQ(s.m_eof, 0);
    EXPECT_EQ(s.GetLength(), 7);
    RunSteps(s, {
        {Op::U16, 0, 0x2211, 0, 2}, {Op::U8, 0, 0x33, 0, 3},
        {Op::U32, 0, 0xFFFFFFFF, 0, 7},  // a value, not the failure; exactly at the end: nothing short yet
        {Op::U8, 0, -1, 1, 7},
        {Op::Seek, 6, 7, 0, 6}, {Op::U16, 0, -1, 1, 7},  // one byte left: consumed, flag set
        {Op::Seek, 5, 7, 0, 5}, {Op::U32, 0, -1, 1, 7},
        {Op::Seek, 0, 7, 0, 0}, {Op::Read, 7, 7, 0, 7}, {Op::Read, 0, 0, 0, 7}, {Op::Read, 1, 0, 1, 7},
        {Op::Seek, 2, 7, 0, 2}, {Op::Read, 16, 5, 1, 7},
        {Op::Seek, 100, 7, 0, 100}, {Op::Read, 1, 0, 1, 100},  // past the end is allowed, reads give nothing
    });
    BYTE buf[16];
    s.Seek(2, 0);
    EXPECT_EQ(s.Read(buf, 16), 5);
    EXPECT_EQ(0, std::memcmp(buf, data.data() + 2, 5));
    EXPECT_EQ(s.Read(buf, -1), -1);
    EXPECT_EQ(s.Read(nullptr, 1), -1);
    EXPECT_TRUE(s.Close());
}

TEST_P(StreamSource, SeekOriginsAndResults)
{
    CBufferedStream s(kSmallBuffer);
    ASSERT_TRUE(OpenOver(s, Pattern(1000), "seek.bin"));
    struct Step {
        int32_t offset;
        int origin;
        int32_t result;
        int32_t position;
    } steps[] = {
        {10, 0, 0, 10},     {5, 1, 10, 15},     {-3, 1, 15, 12},          {-10, 2, 12, 990},
        {0, 2, 990, 1000},  {-1, 0, -1, 1000}, {-1001, 2, -1, 1000},    {0, 3, -1, 1000},
        {INT32_MAX, 1, -1, 1000}, {0, 0, 1000, 0},
    };
    for (const Step& st : steps) {
        SCOPED_TRACE(testing::Message() << st.offset << " from " << st.origin);
        EXPECT_EQ(s.Seek(st.offset, st.origin), st.result);
        EXPECT_EQ(s.Tell(), st.position);
    }
}

TEST_P(StreamSource, PeekLooksWithoutConsuming)
{
    const std::vector<uint8_t> data = Pattern(2000, 7);
    CBufferedStream s(kSmallBuffer);
    ASSERT_TRUE(OpenOver(s, data, "peek.bin"));
    BYTE buf[500];
    ASSERT_EQ(s.Read(buf, 500), 500);  // the buffer now ends at 512

    const BYTE* p = nullptr;
    ASSERT_EQ(s.Peek(0, &p, 100), 100);  // across the buffer's end
    EXPECT_EQ(0, std::memcmp(p, data.data() + 500, 100));
    EXPECT_EQ(s.Tell(), 500);
    EXPECT_EQ(s.ReadU8(), data[500]);

    EXPECT_EQ(s.Peek(99, &p, 0), 0);  // step over
    EXPECT_EQ(s.Tell(), 600);
    ASSERT_EQ(s.Peek(0, &p, kSmallBuffer), kSmallBuffer);
    EXPECT_EQ(0, std::memcmp(p, data.data() + 600, size_t(kSmallBuffer)));
    if (!GetParam()) {
        EXPECT_EQ(s.Peek(0, &p, kSmallBuffer + 1), -1);  // more than a buffer holds
    }
    EXPECT_EQ(s.Peek(-1, &p, 1), -1);
    EXPECT_EQ(s.Peek(0, &p, -1), -1);

    s.Seek(1990, 0);
    EXPECT_EQ(s.Peek(0, &p, 50), 10);  // fewer near the end, flag untouched
    EXPECT_EQ(0, std::memcmp(p, data.data() + 1990, 10));
    EXPECT_EQ(s.m_eof, 0);
    EXPECT_EQ(s.Peek(20, &p, 4), 0);  // a skip past the end stops there
    EXPECT_EQ(s.Tell(), 2000);
    EXPECT_EQ(s.m_eof, 1);
}

// What is in memory, without moving it: the rest of a file buffer (refilled
// only when empty), all the rest of a memory block.
TEST_P(StreamSource, PeekBufferedShowsWhatIsInMemory)
{
    const std::vector<uint8_t> data = Pattern(2000, 9);
    CBufferedStream s(kSmallBuffer);
    ASSERT_TRUE(OpenOver(s, data, "peek_buffered.bin"));
    const bool memory = GetParam();
    const BYTE* p = nullptr;
    struct Step {
        int32_t seek;  // position looked at
        int32_t fileCount, memoryCount;
    } steps[] = {
        {0, kSmallBuffer, 2000},         // an empty buffer is filled
        {500, kSmallBuffer - 500, 1500},  // what is left of it, nothing read
        {kSmallBuffer, kSmallBuffer, 2000 - kSmallBuffer},
        {1990, 10, 10}, {2000, 0, 0},
    };
    for (const Step& st : steps) {
        SCOPED_TRACE(st.seek);
        s.Seek(st.seek, 0);
        ASSERT_EQ(s.PeekBuffered(&p), memory ? st.memoryCount : st.fileCount);
        if (st.seek < 2000) {
            EXPECT_EQ(0, std::memcmp(p, data.data() + st.seek, 10));
        }
        EXPECT_EQ(s.Tell(), st.seek);
        EXPECT_EQ(s.m_eof, 0);
    }
}

TEST_P(StreamSource, ReadLines)
{
    const std::string text = "abc\r\ndef\n\rghi\rjkl\n\n\r\rmno";
    CBufferedStream s(kSmallBuffer);
    ASSERT_TRUE(OpenOver(s, std::vector<uint8_t>(text.begin(), text.end()), "lines.txt"));
    const struct {
        int32_t result;
        const char* line;
        BYTE eof;
    } expected[] = {
        {3, "abc", 0}, {3, "def", 0}, {3, "ghi", 0}, {3, "jkl", 0}, {0, "", 0} /* LF CR */, {0, "", 0} /* CR */,
        {3, "mno", 1}, {-1, "", 1},
    };
    char line[16];
    for (const auto& e : expected) {
        EXPECT_EQ(s.ReadLineA(line, sizeof line), e.result);
        EXPECT_STREQ(line, e.line);
        EXPECT_EQ(s.m_eof, e.eof);
    }
}

TEST_P(StreamSource, LongLinesAreCutNotDropped)
{
    const std::string text = "abcdefg\nxyz\n12\n";
    CBufferedStream s(kSmallBuffer);
    ASSERT_TRUE(OpenOver(s, std::vector<uint8_t>(text.begin(), text.end()), "long.txt"));
    const char* lines[] = {"abc", "def", "g", "xyz", "12"};  // "xyz" fills the buffer exactly
    char line[4];
    for (const char* expected : lines) {
        EXPECT_EQ(s.ReadLineA(line, sizeof line), int32_t(std::strlen(expected)));
        EXPECT_STREQ(line, expected);
    }
    EXPECT_EQ(s.ReadLineA(line, sizeof line), -1);
    EXPECT_EQ(s.ReadLineA(line, 1), -1);
    EXPECT_STREQ(line, "");
}

INSTANTIATE_TEST_SUITE_P(FileAndMemory, StreamSource, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Memory" : "File"; });

TEST(BufferedStream, MemoryIsReadInPlace)
{
    const BYTE block[4] = {9, 8, 7, 6};
    CBufferedStream s(kSmallBuffer);
    ASSERT_TRUE(s.OpenMemory(block, 4, CBufferedStream::kModeRead, nullptr));
    const BYTE* p = nullptr;
    s.ReadU8();
    EXPECT_EQ(s.Peek(0, &p, 3), 3);
    EXPECT_EQ(p, block + 1);
    EXPECT_TRUE(s.Close());

    ASSERT_TRUE(s.OpenMemory(nullptr, 0, CBufferedStream::kModeRead, nullptr));
    EXPECT_EQ(s.GetLength(), 0);
    EXPECT_EQ(s.ReadU8(), -1);
    EXPECT_EQ(s.m_eof, 1);
}

TEST(BufferedStream, RandomReadsMatchTheFile)
{
    const std::vector<uint8_t> data = Pattern(20000, 3);
    const std::string path = TempPath("random_reads.bin");
    WriteBytes(path, data);
    CBufferedStream s(kSmallBuffer);
    ASSERT_TRUE(s.OpenA(path.c_str(), CBufferedStream::kModeRead, nullptr));
    Rng rng(11);
    std::vector<BYTE> got(3000);
    int64_t pos = 0;
    for (int step = 0; step < 3000; ++step) {
        const int op = rng.Range(0, 3);
        if (op == 0) {
            const int32_t target = rng.Range(0, 20100);
            ASSERT_EQ(s.Seek(target, 0), pos);
            pos = target;
        } else if (op == 1) {
            const int32_t n = rng.Range(0, 2999);
            const int64_t expected = std::clamp<int64_t>(int64_t(data.size()) - pos, 0, n);
            ASSERT_EQ(s.Read(got.data(), n), expected);
            ASSERT_EQ(0, std::memcmp(got.data(), data.data() + std::min<int64_t>(pos, int64_t(data.size())), size_t(expected)));
            ASSERT_EQ(s.m_eof, expected < n ? 1 : 0);
            pos += expected;
        } else if (op == 2) {
            const int expected = pos < int64_t(data.size()) ? data[size_t(pos)] : -1;
            ASSERT_EQ(s.ReadU8(), expected);
            pos += expected >= 0;
        } else {
            const BYTE* p = nullptr;
            const int32_t n = rng.Range(0, kSmallBuffer);
            const int64_t expected = std::clamp<int64_t>(int64_t(data.size()) - pos, 0, n);
            ASSERT_EQ(s.Peek(0, &p, n), expected);
            ASSERT_EQ(0, std::memcmp(p, data.data() + std::min<int64_t>(pos, int64_t(data.size())), size_t(expected)));
        }
        ASSERT_EQ(s.Tell(), pos);
    }
}

TEST(BufferedStream, SeekKeepsTheBuffer)
{
    const std::string path = TempPath("keep.bin");
    WriteBytes(path, {1, 2, 3, 4, 5, 6, 7, 8});
    CBufferedStream s(kSmallBuffer);
    ASSERT_TRUE(s.OpenA(path.c_str(), CBufferedStream::kModeRead, nullptr));
    EXPECT_EQ(s.ReadU8(), 1);
    {
        // Change the file underneath: a seek inside the buffer still sees the old bytes.
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.write("\x63", 1);
    }
    EXPECT_EQ(s.Seek(0, 0), 1);
    EXPECT_EQ(s.ReadU8(), 1);
}

TEST(BufferedStream, WritesSeekBackAndPatch)
{
    const std::string path = TempPath("patch.bin");
    std::vector<uint8_t> model = Pattern(100000, 5);
    CBufferedStream s(kSmallBuffer);
    ASSERT_TRUE(s.OpenA(path.c_str(), CBufferedStream::kModeCreate, nullptr));
    ASSERT_EQ(s.Write(model.data(), 100), 100);
    EXPECT_EQ(s.GetLength(), 100);
    EXPECT_EQ(s.Seek(50, 0), 100);  // inside the unflushed buffer
    ASSERT_TRUE(s.WriteU16(0xBBAA));
    model[50] = 0xAA;
    model[51] = 0xBB;
    EXPECT_EQ(s.Tell(), 52);
    EXPECT_EQ(s.GetLength(), 100);
    s.Seek(100, 0);
    ASSERT_EQ(s.Write(model.data() + 100, 99900), 99900);
    EXPECT_EQ(s.Seek(10, 0), 100000);  // far back into flushed data
    ASSERT_EQ(s.Write("WXYZ", 4), 4);
    std::memcpy(model.data() + 10, "WXYZ", 4);
    EXPECT_EQ(s.GetLength(), 100000);
    s.Seek(0, 2);
    ASSERT_TRUE(s.WriteU8(0x5A));
    model.push_back(0x5A);
    EXPECT_EQ(s.Seek(5, 1), 100001);  // past the end: the gap reads as zeros
    EXPECT_EQ(s.GetLength(), 100006);
    ASSERT_TRUE(s.WriteU8(0x77));
    model.insert(model.end(), {0, 0, 0, 0, 0, 0x77});
    EXPECT_TRUE(s.Close());
    EXPECT_EQ(ReadBytes(path), model);
}

TEST(BufferedStream, RandomWritesMatchAModel)
{
    const std::string path = TempPath("random_writes.bin");
    std::vector<uint8_t> model;
    const std::vector<uint8_t> source = Pattern(3000, 9);
    CBufferedStream s(kSmallBuffer);
    ASSERT_TRUE(s.OpenA(path.c_str(), CBufferedStream::kModeCreate, nullptr));
    Rng rng(13);
    size_t pos = 0;
    for (int step = 0; step < 2000; ++step) {
        if (rng.Range(0, 3) == 0) {
            const size_t target = size_t(rng.Range(0, int(model.size()) + 20));
            ASSERT_EQ(s.Seek(int32_t(target), 0), int32_t(pos));
            pos = target;
        } else {
            const int32_t n = rng.Range(0, 1500);
            const size_t from = size_t(rng.Range(0, 1499));
            ASSERT_EQ(s.Write(source.data() + from, n), n);
            if (model.size() < pos + size_t(n))
                model.resize(pos + size_t(n));
            std::memcpy(model.data() + pos, source.data() + from, size_t(n));
            pos += size_t(n);
        }
        ASSERT_EQ(s.GetLength(), int32_t(std::max(model.size(), pos)));
    }
    ASSERT_TRUE(s.Close());
    EXPECT_EQ(ReadBytes(path), model);
}

TEST(BufferedStream, PrintfWritesFormattedText)
{
    const std::string path = TempPath("printf.txt");
    CBufferedStream s(kFormatBuffer);
    ASSERT_TRUE(s.OpenA(path.c_str(), CBufferedStream::kModeCreate, nullptr));
    EXPECT_EQ(s.PrintfA("\"%s\tc #%06X\",\n", "a0", 0xABCDu), 16);
    EXPECT_EQ(s.PrintfA("%i %i", -5, 12), 5);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat"
    EXPECT_EQ(s.PrintfA("%q"), -1);  // not a conversion of the engine
#pragma GCC diagnostic pop
    EXPECT_TRUE(s.Close());
    const std::vector<uint8_t> bytes = ReadBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "\"a0\tc #00ABCD\",\n-5 12");
}

TEST(BufferedStream, Utf16PathsWithNonAsciiNames)
{
    const std::filesystem::path path = std::filesystem::path(TempDir()) / std::filesystem::path(u"Grüße_Łódź_€_\U0001F600.bin");
    const std::basic_string<WCHAR> wide = WidePath(path);
    CBufferedStream s(kSmallBuffer);
    ASSERT_TRUE(s.OpenW(wide.c_str(), CBufferedStream::kModeCreate, nullptr));
    ASSERT_TRUE(s.WriteU16(0x1234));
    ASSERT_TRUE(s.Close());
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{0x34, 0x12}));
    ASSERT_TRUE(s.OpenW(wide.c_str(), CBufferedStream::kModeRead, nullptr));
    EXPECT_EQ(s.ReadU16(), 0x1234);

    const WCHAR lone[] = {WCHAR('x'), WCHAR(0xD800), WCHAR('y'), 0};  // names no file natively
    EXPECT_FALSE(s.OpenW(lone, CBufferedStream::kModeRead, nullptr));
}

TEST(BufferedStream, FullDeviceIsReportedAsFailure)
{
#ifdef _WIN32
    GTEST_SKIP() << "no full device on Windows";
#else
    CBufferedStream s(kSmallBuffer);
    ASSERT_TRUE(s.OpenA("/dev/full", CBufferedStream::kModeCreate, nullptr));
    EXPECT_EQ(s.Write("abc", 3), 3);  // still in the buffer
    EXPECT_FALSE(s.Flush());
    EXPECT_EQ(s.Write("abc", 3), -1);  // the failure sticks
    EXPECT_FALSE(s.Close());

    ASSERT_TRUE(s.OpenA("/dev/full", CBufferedStream::kModeCreate, nullptr));
    const std::vector<uint8_t> big(size_t(kSmallBuffer) * 3);
    EXPECT_EQ(s.Write(big.data(), int32_t(big.size())), -1);
    EXPECT_FALSE(s.Close());

    ASSERT_TRUE(s.OpenA("/dev/full", CBufferedStream::kModeCreate, nullptr));
    ASSERT_TRUE(s.WriteU8(1));
    EXPECT_FALSE(s.Close());  // the final flush fails
#endif
}

TEST(BufferedStream, CreateTruncatesAndReopenWorks)
{
    const std::string path = TempPath("truncate.bin");
    WriteBytes(path, Pattern(5000));
    CBufferedStream s(kSmallBuffer);
    ASSERT_TRUE(s.OpenA(path.c_str(), CBufferedStream::kModeCreate, nullptr));
    EXPECT_EQ(s.m_eof, 0);
    EXPECT_EQ(s.GetLength(), 0);
    ASSERT_TRUE(s.WriteU8(42));
    // Opening again closes (and flushes) the open stream first.
    ASSERT_TRUE(s.OpenA(path.c_str(), CBufferedStream::kModeRead, nullptr));
    EXPECT_EQ(s.GetLength(), 1);
    EXPECT_EQ(s.ReadU8(), 42);
}

}  // namespace
