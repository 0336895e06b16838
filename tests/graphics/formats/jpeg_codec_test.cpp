// CJpegReader and CJpegWriter: decodes equal libjpeg's own, comments, the
// error codes of damaged and unsupported files, quality and grey output.
#include "graphics/formats/jpeg_reader.h"
#include "graphics/formats/jpeg_writer.h"
#include "graphics/formats/png_reader.h"
#include "graphics/formats/png_writer.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"
#include "tests/graphics/formats/codec_test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace codec_test;

namespace {

TEST(JpegReader, DecodesAsLibjpegDoes)
{
    const struct {
        const char* name;
        JpegKind kind;
        bool progressive;
        bool subsample;
        uint32_t width, height;
    } cases[] = {
        {"grey", JpegKind::Grey, false, false, 19, 13},
        {"colour 4:2:0", JpegKind::Colour, false, true, 33, 17},
        {"colour 4:4:4", JpegKind::Colour, false, false, 8, 8},
        {"progressive colour", JpegKind::Colour, true, true, 40, 25},
        {"progressive grey", JpegKind::Grey, true, false, 7, 30},
    };
    uint64_t seed = 20;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        JpegSpec spec;
        spec.kind = c.kind;
        spec.progressive = c.progressive;
        spec.subsample = c.subsample;
        spec.width = c.width;
        spec.height = c.height;
        FillSamples(spec, ++seed);
        const Bytes jpeg = EncodeJpeg(spec);
        const Colours reference = DecodeJpegReference(jpeg);
        ASSERT_FALSE(reference.empty());
        CJpegReader reader;
        CGraphicsImage image;
        ReadFromMemory(reader, jpeg, image);
        ASSERT_EQ(image.m_nBitCount, 24u);
        ASSERT_EQ(image.m_nWidth, c.width);
        EXPECT_EQ(Differences(ColoursOf(image), reference), 0);
        EXPECT_EQ(reader.m_info.comment, nullptr);
    }
}

void ExpectJpegError(const Bytes& bytes, int code, const char* what)
{
    SCOPED_TRACE(what);
    CJpegReader reader;
    reader.m_info.SetCommentA("old");
    CGraphicsImage image;
    EXPECT_EQ(ThrownText<EJpegError>([&] { ReadFromMemory(reader, bytes, image); }),
              "Fehler " + std::to_string(code) + " beim Laden der Jpeg Datei");
    EXPECT_EQ(reader.m_info.comment, nullptr);
}

// Files the dispatcher never hands to the reader; the rest are in the
// malformed-file table.
TEST(JpegReader, EmptyOrUnmarkedData)
{
    JpegSpec spec;
    FillSamples(spec, 30);
    Bytes notJpeg = EncodeJpeg(spec);
    notJpeg[1] = 0x00;
    ExpectJpegError({}, 42, "empty");
    ExpectJpegError(notJpeg, 53, "no start marker");
}

TEST(JpegReader, CommentMarkersJoinInFileOrder)
{
    const struct {
        std::vector<Bytes> markers;
        const char* comment;
    } cases[] = {
        {{}, nullptr},
        {{{'a', 'b'}, {'c', 'd'}}, "abcd"},
        {{{'N', ' ', '4', '8', 0}}, "N 48"},
        {{{}, {'x'}}, nullptr},  // the first marker has no data
        {{{0xC4, 0xDC}}, "\xC4\xDC"},
    };
    for (const auto& c : cases) {
        JpegSpec spec;
        spec.comments = c.markers;
        FillSamples(spec, 40);
        CJpegReader reader;
        CGraphicsImage image;
        ReadFromMemory(reader, EncodeJpeg(spec), image);
        ExpectComment(reader.m_info.comment, c.comment);
    }
}

void CancelAtHalf(void*, uintptr_t, int, int, int percent, unsigned char* cancel)
{
    *cancel = percent >= 50;
}

TEST(JpegReader, CancelIsJpegAbort)
{
    JpegSpec spec;
    spec.height = 40;
    FillSamples(spec, 41);
    CJpegReader reader;
    reader.m_info.proc = CancelAtHalf;
    CGraphicsImage image;
    EXPECT_EQ(ThrownText<EJpegAbort>([&] { ReadFromMemory(reader, EncodeJpeg(spec), image); }), "Benutzer Abbruch");
}

// ---------------------------------------------------------------- writer --

TEST(JpegWriter, QualityAndGreySettings)
{
    CJpegWriter writer;
    EXPECT_EQ(writer.GetQuality(), 75u);
    EXPECT_EQ(writer.GetGrey(), 0);
    const uint32_t cases[][2] = {{0, 1}, {1, 1}, {50, 50}, {100, 100}, {101, 100}, {250, 100}, {0xFFFFFFFF, 100}};
    for (const auto& c : cases) {
        EXPECT_EQ(writer.SetQuality(c[0]), c[1]);
        EXPECT_EQ(writer.GetQuality(), c[1]);
    }
    EXPECT_EQ(writer.SetGrey(7), 7);
    EXPECT_EQ(writer.GetGrey(), 7);

    writer.m_info.SetCommentA("kopie");
    CJpegWriter copy(writer);
    EXPECT_EQ(copy.GetQuality(), 100u);
    EXPECT_EQ(copy.GetGrey(), 7);
    ASSERT_NE(copy.m_info.comment, nullptr);
    EXPECT_NE(copy.m_info.comment, writer.m_info.comment);
    EXPECT_STREQ(copy.m_info.comment, "kopie");
}

// Offset of the first marker of this code after SOI, or 0.
size_t FindMarker(const Bytes& jpeg, uint8_t code)
{
    for (size_t i = 2; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == code)
            return i;
    return 0;
}

TEST(JpegWriter, CommentMarkerKeepsItsNul)
{
    CGraphicsImage image;
    MakeRandomImage(image, 24, 8, 8, 1);
    CJpegWriter writer;
    writer.m_info.SetCommentA("abc");
    const Bytes jpeg = WriteToBytes(writer, image, "comment.jpg");
    const size_t com = FindMarker(jpeg, 0xFE);
    ASSERT_GT(com, 0u);
    EXPECT_EQ(jpeg[com + 2] << 8 | jpeg[com + 3], 2 + 4);
    EXPECT_EQ(std::memcmp(jpeg.data() + com + 4, "abc", 4), 0);

    CJpegReader reader;
    CGraphicsImage back;
    ReadFromMemory(reader, jpeg, back);
    EXPECT_STREQ(reader.m_info.comment, "abc");
    EXPECT_EQ(reader.m_info.commentLength, 4u);

    CJpegWriter plain;
    EXPECT_EQ(FindMarker(WriteToBytes(plain, image, "plain.jpg"), 0xFE), 0u);
}

// Blocks of 16 x 16 pixels (one 4:2:0 unit each) of one colour: at quality 100
// their inner pixels come back within a step or two; chroma is smoothed
// across the block edges.
constexpr int kBlock = 16;
constexpr int kBlocksX = 4;
constexpr int kBlocksY = 2;

void MakeBlocks(CGraphicsImage& image, uint32_t bits)
{
    ASSERT_TRUE(image.Create(bits, kBlock * kBlocksX, kBlock * kBlocksY));
    const uint32_t colours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0x808080, 0x123456, 0xFFFFFF, 0x000000, 0xC08040};
    for (int y = 0; y < kBlock * kBlocksY; ++y)
        for (int x = 0; x < kBlock * kBlocksX; ++x)
            image.m_pfnSetPixel(image.RowAt(y), x,
                                image.m_pfnColorToPixel(colours[(y / kBlock) * kBlocksX + x / kBlock]) |
                                    (bits == 32 ? 0x7F000000 : 0));
}

bool Inner(int x, int y)
{
    return x % kBlock >= 4 && x % kBlock < kBlock - 4 && y % kBlock >= 4 && y % kBlock < kBlock - 4;
}

// Flat blocks at quality 100 come back within a step or two at every true
// colour depth; grey output gives (77R + 151G + 29B) >> 8 in one component.
TEST(JpegWriter, ColourAndGreyRoundTrips)
{
    const struct {
        uint32_t bits;
        uint8_t grey;
    } cases[] = {{12, 0}, {15, 0}, {16, 0}, {24, 0}, {32, 0}, {24, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, grey " << int(c.grey));
        CGraphicsImage image;
        MakeBlocks(image, c.bits);
        CJpegWriter writer;
        writer.SetQuality(100);
        writer.SetGrey(c.grey);
        const Bytes jpeg = WriteToBytes(writer, image, "blocks.jpg");
        const size_t sof = FindMarker(jpeg, 0xC0);
        ASSERT_GT(sof, 0u);
        EXPECT_EQ(jpeg[sof + 9], c.grey ? 1 : 3);  // components
        CJpegReader reader;
        CGraphicsImage back;
        ReadFromMemory(reader, jpeg, back);
        ASSERT_EQ(back.m_nBitCount, 24u);
        int worst = 0;
        for (int y = 0; y < kBlock * kBlocksY; ++y)
            for (int x = 0; x < kBlock * kBlocksX; ++x) {
                if (!Inner(x, y))
                    continue;
                const uint32_t a = ColourAt(image, x, y), b = ColourAt(back, x, y);
                const int grey = int((77 * ((a >> 16) & 255) + 151 * ((a >> 8) & 255) + 29 * (a & 255)) >> 8);
                for (int shift : {0, 8, 16})
                    worst = std::max(worst, std::abs((c.grey ? grey : int((a >> shift) & 255)) - int((b >> shift) & 255)));
            }
        EXPECT_LE(worst, c.grey ? 1 : 3);
    }
}

// Each writer's errors: an image without pixels, a stream that refuses data,
// a folder that does not exist (and the reader's open error beside it).
TEST(CodecWriters, Failures)
{
    CGraphicsImage empty, noWidth, image;
    ASSERT_TRUE(noWidth.Create(24, 0, 4));
    MakeRandomImage(image, 24, 8, 8, 2);
    const uint8_t block[4] = {};
    CBufferedStream readOnly(kFormatStreamBufferSize);
    ASSERT_TRUE(readOnly.OpenMemory(block, 4, CBufferedStream::kModeRead, nullptr));
    const std::string missing = TempFile("no-such-folder/x");
    CPngWriter png;
    CJpegWriter jpeg;
    CPngReader pngReader;
    CJpegReader jpegReader;
    const struct {
        const char* name;
        std::function<void()> call;
        const char* text;
    } cases[] = {
        {"PNG of no image", [&] { WriteToBytes(png, empty, "x.png"); }, "Ungültiges Bild"},
        {"PNG of no width", [&] { WriteToBytes(png, noWidth, "x.png"); }, "Ungültiges Bild"},
        {"PNG into a read-only stream", [&] { png.Write(readOnly, image); }, "Fehler beim Schreiben"},
        {"PNG into a missing folder", [&] { png.SaveA(missing.c_str(), image); }, "Fehler beim Erzeugen der Datei"},
        {"PNG from a missing folder", [&] { pngReader.LoadA(missing.c_str(), image); }, "Fehler beim Öffnen der Datei"},
        {"JPEG of no image", [&] { WriteToBytes(jpeg, empty, "x.jpg"); }, "Falsche Bild-Daten !"},
        {"JPEG into a read-only stream", [&] { jpeg.Write(readOnly, image); }, "Fehler 37 beim Laden der Jpeg Datei"},
        {"JPEG into a missing folder", [&] { jpeg.SaveA(missing.c_str(), image); }, "Fehler beim Öffnen der Datei !"},
        {"JPEG from a missing folder", [&] { jpegReader.LoadA(missing.c_str(), image); },
         "Fehler beim Öffnen der Datei !"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ThrownText<EGraphicsException>(c.call), c.text) << c.name;
}

TEST(JpegWriter, SaveAndLoadByPath)
{
    CGraphicsImage image;
    MakeBlocks(image, 24);
    const std::string path = TempFile("path.jpg");
    CJpegWriter writer;
    writer.SaveA(path.c_str(), image);
    CJpegReader reader;
    CGraphicsImage back;
    reader.LoadA(path.c_str(), back);
    EXPECT_EQ(back.m_nWidth, uint32_t(kBlock * kBlocksX));
    const std::basic_string<WCHAR> wide(path.begin(), path.end());
    writer.SaveW(wide.c_str(), image);
    reader.LoadW(wide.c_str(), back);
    EXPECT_EQ(back.m_nHeight, uint32_t(kBlock * kBlocksY));
}

}  // namespace
