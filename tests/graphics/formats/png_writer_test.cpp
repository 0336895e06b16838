// CPngWriter: round trips of every depth through our reader, the forms the
// writer chooses, the comment, the option word and its failures.
#include "graphics/formats/png_reader.h"
#include "graphics/formats/png_writer.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"
#include "tests/graphics/formats/codec_test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

using namespace codec_test;

namespace {

constexpr size_t kIhdrBitDepth = 24;
constexpr size_t kIhdrColourType = 25;

struct DepthCase {
    uint32_t bits;
    uint32_t options;
    int pngDepth;
    int pngColourType;
    uint32_t bitsRead;
    bool withFourth;  // alpha bytes survive
};

const DepthCase kDepths[] = {
    {1, 0, 1, 3, 1, false},   {2, 0, 2, 3, 2, false},   {4, 0, 4, 3, 4, false},  {8, 0, 8, 3, 8, false},
    {12, 0, 8, 2, 24, false}, {15, 0, 8, 2, 24, false}, {16, 0, 8, 2, 24, false}, {24, 0, 8, 2, 24, false},
    {32, 0, 8, 2, 24, false}, {32, 1, 8, 6, 32, true},  {24, 1, 8, 2, 24, false}, {8, 1, 8, 3, 8, false},
};

TEST(PngWriter, RoundTripsEveryDepth)
{
    uint64_t seed = 100;
    for (const DepthCase& c : kDepths) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, options " << c.options);
        CGraphicsImage image;
        MakeRandomImage(image, c.bits, 37, 9, ++seed);
        CPngWriter writer;
        writer.m_options = c.options;
        const Bytes png = WriteToBytes(writer, image, "depth.png");
        ASSERT_GT(png.size(), kIhdrColourType);
        EXPECT_EQ(png[kIhdrBitDepth], c.pngDepth);
        EXPECT_EQ(png[kIhdrColourType], c.pngColourType);
        EXPECT_EQ(writer.m_stream, nullptr);

        CPngReader reader;
        CGraphicsImage back;
        ReadFromMemory(reader, png, back);
        EXPECT_EQ(back.m_nBitCount, c.bitsRead);
        EXPECT_EQ(Differences(ColoursOf(image, c.withFourth), ColoursOf(back, c.withFourth)), 0);
        if (c.bits <= 8) {  // the whole palette of the depth goes into PLTE
            for (uint32_t i = 0; i < (1u << c.bits); ++i)
                EXPECT_EQ(back.GetPaletteRGB(i, nullptr, nullptr, nullptr) & 0xFFFFFF,
                          image.GetPaletteRGB(i, nullptr, nullptr, nullptr) & 0xFFFFFF);
        }
    }
}

TEST(PngWriter, CommentRoundTrip)
{
    const char* cases[] = {"N 48\xB0 08' E 11\xB0 34' \xC4\xD6\xDC", "", nullptr};
    for (const char* comment : cases) {
        CGraphicsImage image;
        MakeRandomImage(image, 24, 5, 5, 1);
        CPngWriter writer;
        writer.m_info.SetCommentA(comment);
        const Bytes png = WriteToBytes(writer, image, "comment.png");
        EXPECT_EQ(FindPngChunk(png, "tEXt") != 0, comment != nullptr);
        CPngReader reader;
        CGraphicsImage back;
        ReadFromMemory(reader, png, back);
        ExpectComment(reader.m_info.comment, comment);
    }
}

TEST(PngWriter, SaveWithAlphaUsesItsOptionsOnce)
{
    CGraphicsImage image;
    MakeRandomImage(image, 32, 6, 6, 3);
    const std::string path = TempFile("alpha.png");
    CPngWriter writer;
    writer.SaveWithAlphaA(path.c_str(), image, kPngOptionAlpha);
    EXPECT_EQ(ReadFile(path)[kIhdrColourType], 6);
    EXPECT_EQ(writer.m_options, 0u);
    writer.SaveA(path.c_str(), image);
    EXPECT_EQ(ReadFile(path)[kIhdrColourType], 2);

    const std::basic_string<WCHAR> wide(path.begin(), path.end());
    writer.m_options = kPngOptionAlpha;
    writer.SaveW(wide.c_str(), image);
    EXPECT_EQ(ReadFile(path)[kIhdrColourType], 6);
    writer.SaveWithAlphaW(wide.c_str(), image, 0);
    EXPECT_EQ(ReadFile(path)[kIhdrColourType], 2);
    EXPECT_EQ(writer.m_options, kPngOptionAlpha);
}

void CancelAtZero(void*, uintptr_t, int, int, int percent, unsigned char* cancel)
{
    *cancel = percent == 0;
}

TEST(PngWriter, CancelAtZeroWritesNothing)
{
    CGraphicsImage image;
    MakeRandomImage(image, 24, 4, 4, 5);
    CPngWriter writer;
    writer.m_info.proc = CancelAtZero;
    const std::string path = TempFile("cancel.png");
    {
        CBufferedStream stream(kFormatStreamBufferSize);
        ASSERT_TRUE(stream.OpenA(path.c_str(), CBufferedStream::kModeCreate, nullptr));
        EXPECT_THROW(writer.Write(stream, image), EGraphicsAbort);
    }
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

}  // namespace
