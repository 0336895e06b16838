#include "system/buffered_stream.h"

#include <gtest/gtest.h>

namespace {

// The bytes of both resources in stream_resources.rc.
void ExpectSample(CBufferedStream& s)
{
    EXPECT_EQ(s.GetLength(), 21);
    char line[32];
    EXPECT_EQ(s.ReadLineA(line, sizeof line), 8);
    EXPECT_STREQ(line, "line one");
    EXPECT_EQ(s.ReadLineA(line, sizeof line), 8);
    EXPECT_STREQ(line, "line two");
    EXPECT_EQ(s.ReadU16(), 0x0201);
    EXPECT_EQ(s.m_eof, 0);
    EXPECT_EQ(s.ReadU8(), -1);
    EXPECT_EQ(s.m_eof, 1);
    EXPECT_EQ(s.Write("x", 1), -1);
}

TEST(ResourceStream, OpensByNumberAndByName)
{
    CBufferedStream s(CBufferedStream::kMinBufferSize);
    ASSERT_TRUE(s.OpenA("RES:#10/#101", CBufferedStream::kModeRead, nullptr));
    ExpectSample(s);
    ASSERT_TRUE(s.OpenA("RES:TESTDATA/SAMPLE", CBufferedStream::kModeRead, nullptr));
    ExpectSample(s);
    ASSERT_TRUE(s.OpenW(L"RES:TESTDATA/SAMPLE", CBufferedStream::kModeRead, nullptr));
    ExpectSample(s);
    EXPECT_TRUE(s.Close());
}

TEST(ResourceStream, Failures)
{
    CBufferedStream s(CBufferedStream::kMinBufferSize);
    const char* paths[] = {"RES:#10/#999", "RES:#10", "RES:/#101", "RES:#10/", "RES:NOSUCH/SAMPLE"};
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(s.OpenA(path, CBufferedStream::kModeRead, nullptr));
        EXPECT_EQ(s.m_eof, 1);
    }
    EXPECT_FALSE(s.OpenA("RES:#10/#101", CBufferedStream::kModeCreate, nullptr));
    EXPECT_FALSE(s.OpenW(L"RES:#10/#999", CBufferedStream::kModeRead, nullptr));
}

}  // namespace
