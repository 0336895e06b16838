// TIFF reader and writer: round trips at every depth and compression, the
// directory we write, and hand-built files that must fail with their texts.
#include "graphics/formats/tiff_reader.h"
#include "graphics/formats/tiff_writer.h"
#include "graphics/formats/tiff_writer_seam.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"
#include "tests/graphics/formats/codec_test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

using namespace codec_test;

namespace {

struct TiffTag {
    uint16_t tag, type;
    uint32_t count, value;
};

// A file with `data` at offset 8 and one IFD after it; SHORT values stand in
// the first half of the field. `next` is the IFD's next offset (1: itself).
Bytes MakeTiff(const std::vector<TiffTag>& tags, const Bytes& data, bool big = false, uint32_t next = 0)
{
    Bytes out;
    const auto put = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            out.push_back(uint8_t(big ? v >> (8 * (n - 1 - i)) : v >> (8 * i)));
    };
    out.push_back(big ? 'M' : 'I');
    out.push_back(big ? 'M' : 'I');
    put(42, 2);
    const uint32_t ifd = uint32_t(8 + data.size());
    put(ifd, 4);
    out.insert(out.end(), data.begin(), data.end());
    put(uint32_t(tags.size()), 2);
    for (const TiffTag& t : tags) {
        put(t.tag, 2);
        put(t.type, 2);
        put(t.count, 4);
        if (t.type == 3 && t.count == 1) {
            put(t.value, 2);
            put(0, 2);
        } else {
            put(t.value, 4);
        }
    }
    put(next == 1 ? ifd : next, 4);
    return out;
}

// A grey w x h image, uncompressed, one strip at offset 8.
std::vector<TiffTag> GreyTags(uint32_t w, uint32_t h, uint32_t bytes, uint32_t compression = 1)
{
    return {{256, 4, 1, w}, {257, 4, 1, h}, {258, 3, 1, 8},   {259, 3, 1, compression},
            {262, 3, 1, 1}, {273, 4, 1, 8}, {279, 4, 1, bytes}};
}

std::vector<TiffTag> With(std::vector<TiffTag> tags, TiffTag t)
{
    for (TiffTag& old : tags)
        if (old.tag == t.tag) {
            old = t;
            return tags;
        }
    tags.push_back(t);
    return tags;
}

// The exception text of a read, "" when it succeeds.
std::string ReadError(const Bytes& file, CGraphicsImage& image)
{
    CTiffReader reader;
    try {
        ReadFromMemory(reader, file, image);
    } catch (const EGraphicsException& e) {
        return e.text;
    }
    return "";
}

Bytes WriteTiff(CGraphicsImage& image, uint32_t compression = 1, const char* comment = nullptr)
{
    CTiffWriter writer;
    CTiffWriterSeam::SetCompression(writer, compression);
    writer.m_info.SetCommentA(comment);
    return WriteToBytes(writer, image, "tiff_test.tif");
}

uint16_t U16At(const Bytes& b, size_t at)
{
    return uint16_t(b[at] | b[at + 1] << 8);
}

uint32_t U32At(const Bytes& b, size_t at)
{
    return uint32_t(U16At(b, at)) | uint32_t(U16At(b, at + 2)) << 16;
}

// ------------------------------------------------------------ round trips --

struct RoundTrip {
    uint32_t bits;
    uint32_t width, height;
    uint32_t compression;
};

class TiffRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

// Noise crosses every LZW width switch and the Clear at 4093 within a strip;
// the 24-bit 300 x 100 image has 4 strips of 9000 bytes.
TEST_P(TiffRoundTrip, ReadsBackWhatWasWritten)
{
    const RoundTrip p = GetParam();
    CGraphicsImage image;
    MakeRandomImage(image, p.bits, p.width, p.height, p.bits * 7 + p.compression);
    // Runs for PackBits: the left half of every row repeats one byte.
    for (uint32_t y = 0; y < p.height; ++y)
        std::memset(image.RowAt(int(y)), int(y), image.m_nStride / 2);
    if (p.bits == 1) {
        image.SetPaletteRGB(0, 0, 0, 0);
        image.SetPaletteRGB(1, 255, 255, 255);
    }
    if (p.bits == 4 || p.bits == 8)
        for (uint32_t i = 0; i < (1u << p.bits) && p.width == 33; ++i) {
            const uint8_t g = uint8_t(i * 255 / ((1u << p.bits) - 1));
            image.SetPaletteRGB(i, g, g, g);  // grey: written as BlackIsZero
        }
    const CGraphicsImage before(image);
    const Bytes file = WriteTiff(image, p.compression);
    EXPECT_EQ(0, std::memcmp(before.m_pBits, image.m_pBits, image.m_nImageSize)) << "the source changed";

    CGraphicsImage back;
    ASSERT_EQ("", ReadError(file, back));
    EXPECT_EQ(p.bits <= 8 ? p.bits : 24u, back.m_nBitCount);
    EXPECT_EQ(0, Differences(ColoursOf(image, false), ColoursOf(back, false)));
}

INSTANTIATE_TEST_SUITE_P(
    Depths, TiffRoundTrip,
    ::testing::Values(RoundTrip{1, 333, 700, 1}, RoundTrip{1, 333, 700, 5}, RoundTrip{1, 9, 3, 32773},
                      RoundTrip{4, 33, 20, 1}, RoundTrip{4, 51, 20, 5}, RoundTrip{8, 33, 70, 32773},
                      RoundTrip{8, 301, 70, 5}, RoundTrip{12, 17, 5, 1}, RoundTrip{15, 40, 30, 5},
                      RoundTrip{16, 40, 30, 32773}, RoundTrip{24, 300, 100, 1}, RoundTrip{24, 300, 100, 5},
                      RoundTrip{24, 1000, 20, 32773}, RoundTrip{32, 64, 64, 5}));

TEST(TiffWriter, OneBitKeepsWhiteWhenEntryZeroIsLighter)
{
    CGraphicsImage image;
    MakeRandomImage(image, 1, 20, 4, 3);
    image.SetPaletteRGB(0, 255, 255, 255);
    image.SetPaletteRGB(1, 0, 0, 0);
    CGraphicsImage back;
    ASSERT_EQ("", ReadError(WriteTiff(image), back));
    EXPECT_EQ(0, Differences(ColoursOf(image, false), ColoursOf(back, false)));
}

// The directory of a default 24-bit image: sorted, inline single strip,
// word-aligned; the comment adds one entry, inline up to three characters.
TEST(TiffWriter, DirectoryIsSortedWithInlineValues)
{
    CGraphicsImage image;
    MakeRandomImage(image, 24, 5, 3, 1);
    for (const char* comment : {static_cast<const char*>(nullptr), "abc", "a longer comment"}) {
        const Bytes file = WriteTiff(image, 1, comment);
        const uint32_t ifd = U32At(file, 4);
        ASSERT_EQ(0u, ifd % 2);
        const uint16_t count = U16At(file, ifd);
        EXPECT_EQ(comment ? 16 : 15, count);
        for (uint16_t i = 1; i < count; ++i)
            EXPECT_LT(U16At(file, ifd + 2 + 12 * (i - 1)), U16At(file, ifd + 2 + 12 * i));
        for (uint16_t i = 0; i < count; ++i) {
            const size_t e = ifd + 2 + 12 * i;
            if (U16At(file, e) == 273) {
                EXPECT_EQ(8u, U32At(file, e + 8));
            }
            if (U16At(file, e) == 279) {
                EXPECT_EQ(45u, U32At(file, e + 8));
            }
            if (U16At(file, e) == 270 && std::strlen(comment) < 4) {
                EXPECT_EQ(0, std::memcmp(&file[e + 8], comment, 4));
            }
        }
        CTiffReader reader;
        CGraphicsImage back;
        ReadFromMemory(reader, file, back);
        EXPECT_STREQ(comment, reader.m_info.comment);
    }
}

// The value field of the entry with `tag` in our (little-endian) file, or
// -1 when the directory has none; `count` receives its count.
int64_t EntryValue(const Bytes& file, uint16_t tag, uint32_t* count = nullptr)
{
    const uint32_t ifd = U32At(file, 4);
    for (uint16_t i = 0; i < U16At(file, ifd); ++i) {
        const size_t e = ifd + 2 + 12 * size_t(i);
        if (U16At(file, e) != tag)
            continue;
        if (count)
            *count = U32At(file, e + 4);
        return U32At(file, e + 8);
    }
    return -1;
}

// A ColorMap has 2^bits entries (those past the palette black); the
// ResolutionUnit is written also without a resolution.
TEST(TiffWriter, ColorMapOfEveryEntryAndResolutionUnit)
{
    struct Case {
        uint32_t bits, paletteSize;
        int32_t pelsPerMeter;
    } const cases[] = {{8, 40, 2835}, {8, 256, 2835}, {4, 5, 0}, {4, 16, 0}, {8, 300, 2835}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, " << c.paletteSize << " entries");
        CGraphicsImage image;
        MakeRandomImage(image, c.bits, 7, 3, c.bits + c.paletteSize);
        image.m_nPaletteSize = c.paletteSize;
        CTiffWriter writer;
        writer.m_xPelsPerMeter = writer.m_yPelsPerMeter = c.pelsPerMeter;
        const Bytes file = WriteToBytes(writer, image, "tiff_colormap.tif");
        uint32_t count = 0;
        const int64_t map = EntryValue(file, 320, &count);
        const uint32_t n = 1u << c.bits;
        ASSERT_GT(map, 0);
        ASSERT_EQ(3 * n, count);
        ASSERT_LE(size_t(map) + 6 * n, file.size());
        for (uint32_t i = 0; i < n; ++i) {
            uint8_t rgb[3] = {0, 0, 0};
            if (i < c.paletteSize)
                image.GetPaletteRGB(i, &rgb[0], &rgb[1], &rgb[2]);
            for (uint32_t channel = 0; channel < 3; ++channel)
                EXPECT_EQ(rgb[channel] * 257, U16At(file, size_t(map) + 2 * (channel * n + i))) << i;
        }
        EXPECT_EQ(3, EntryValue(file, 296));
        EXPECT_EQ(c.pelsPerMeter > 0, EntryValue(file, 282) > 0);
    }
}

TEST(TiffWriter, Errors)
{
    CGraphicsImage two, empty, rgb;
    MakeRandomImage(two, 2, 4, 4, 1);
    MakeRandomImage(rgb, 24, 4, 4, 1);
    CTiffWriter writer;
    const std::string path = TempFile("tiff_writer_errors.tif");
    WriteFile(path, Bytes(10, 0));
    struct Case {
        CGraphicsImage* image;
        bool readOnly;  // a stream that cannot be written
        const char* text;
    } cases[] = {{&two, false, "Modus ist nicht unterstützt"},
                 {&empty, false, "Leeres Bild übergeben"},
                 {&rgb, true, "Fehler beim Schreiben"}};
    for (const Case& c : cases) {
        CBufferedStream stream(kFormatStreamBufferSize);
        ASSERT_TRUE(stream.OpenA(path.c_str(), c.readOnly ? CBufferedStream::kModeRead : CBufferedStream::kModeCreate,
                                 nullptr));
        try {
            writer.Write(stream, *c.image);
            ADD_FAILURE() << c.text;
        } catch (const ETiffError& e) {
            EXPECT_STREQ(c.text, e.text);
        }
    }
}

// Offsets count from where the TIFF starts inside another file.
TEST(TiffWriter, EmbeddedAtAnOffset)
{
    CGraphicsImage image;
    MakeRandomImage(image, 8, 30, 30, 5);
    const std::string path = TempFile("tiff_embedded.bin");
    CTiffWriter writer;
    {
        CBufferedStream stream(kFormatStreamBufferSize);
        ASSERT_TRUE(stream.OpenA(path.c_str(), CBufferedStream::kModeCreate, nullptr));
        ASSERT_EQ(1000, stream.Write(Bytes(1000, 'x').data(), 1000));
        writer.Write(stream, image);
        ASSERT_TRUE(stream.Close());
    }
    CBufferedStream stream(kFormatStreamBufferSize);
    ASSERT_TRUE(stream.OpenA(path.c_str(), CBufferedStream::kModeRead, nullptr));
    stream.Seek(1000, 0);
    CGraphicsImage back;
    CTiffReader().Read(stream, back);
    EXPECT_EQ(0, Differences(ColoursOf(image, false), ColoursOf(back, false)));
}

// ------------------------------------------------------------ hand-built --

struct Hostile {
    const char* name;
    Bytes file;
    const char* text;
};

std::vector<Hostile> HostileFiles()
{
    const Bytes pixels(6, 0x40);
    const auto grey = [&](std::vector<TiffTag> tags) { return MakeTiff(tags, pixels); };
    const std::vector<TiffTag> base = GreyTags(3, 2, 6);
    Bytes reduced = MakeTiff(With(base, {254, 4, 1, 1}), pixels, false, 1);
    return {
        {"seven bytes", Bytes{'I', 'I', 42, 0, 8, 0, 0}, "Fehler beim Lesen"},
        {"version 43", [&] { Bytes b = grey(base); b[2] = 43; return b; }(), "Falscher Header"},
        {"first IFD 0", [&] { Bytes b = grey(base); b[4] = b[5] = 0; return b; }(), "Falscher Header"},
        {"strip count 0x40000001", grey(With(With(base, {273, 4, 0x40000001, 8}), {279, 4, 0x40000001, 8})),
         "Fehler beim Lesen"},
        {"description count 0xFFFFFFFF", grey(With(base, {270, 2, 0xFFFFFFFF, 8})), "Fehler beim Lesen"},
        {"65535 samples", grey(With(base, {277, 3, 1, 65535})), "Modus ist nicht unterstützt"},
        {"32768 squared RGBA", grey(With(With(With(With(base, {256, 4, 1, 32768}), {257, 4, 1, 32768}), {262, 3, 1, 2}),
                                        {277, 3, 1, 4})),
         "Modus ist nicht unterstützt"},
        {"32768 squared grey", grey(With(With(base, {256, 4, 1, 32768}), {257, 4, 1, 32768})), "Fehler beim Lesen"},
        {"planar 2", grey(With(base, {284, 3, 1, 2})), "Modus ist nicht unterstützt"},
        {"CMYK", grey(With(base, {262, 3, 1, 5})), "Modus ist nicht unterstützt"},
        {"predictor with PackBits", grey(With(With(base, {259, 3, 1, 32773}), {317, 3, 1, 2})),
         "Modus ist nicht unterstützt"},
        {"predictor on 4-bit samples", grey(With(With(With(base, {258, 3, 1, 4}), {259, 3, 1, 5}), {317, 3, 1, 2})),
         "Modus ist nicht unterstützt"},
        {"predictor 3", grey(With(With(base, {259, 3, 1, 5}), {317, 3, 1, 3})), "Modus ist nicht unterstützt"},
        {"BitsPerSample 8 with 3 samples", grey(With(With(base, {262, 3, 1, 2}), {277, 3, 1, 3})),
         "Modus ist nicht unterstützt"},
        {"no StripByteCounts", [&] { auto t = base; t.pop_back(); return grey(t); }(), "Falscher Eintrag"},
        {"strip tables of other counts", grey(With(base, {279, 3, 2, 3 | 3 << 16})), "Falscher Eintrag"},
        {"rows per strip 0", grey(With(base, {278, 4, 1, 0})), "Falscher Eintrag"},
        {"missing strip", grey(With(base, {278, 4, 1, 1})), "Fehler beim Lesen"},
        {"short strip", grey(With(base, {279, 4, 1, 5})), "Fehler beim Lesen"},
        {"IFD loop of reduced images", reduced, ""},
        {"LZW code above the next free", MakeTiff(GreyTags(3, 2, 4, 5), {0x80, 0x00, 0x7E, 0x80}), "Fehler beim Lesen"},
        {"LZW first code not literal", MakeTiff(GreyTags(3, 2, 3, 5), {0x80, 0x4B, 0x00}), "Fehler beim Lesen"},
        {"LZW data ends in the strip", MakeTiff(GreyTags(3, 2, 2, 5), {0x80, 0x00}), "Fehler beim Lesen"},
        {"PackBits run cut short", MakeTiff(GreyTags(3, 2, 2, 32773), {0x02, 0x01}), "Fehler beim Lesen"},
        {"fax pattern of no code", MakeTiff(With(With(GreyTags(8, 1, 4, 2), {258, 3, 1, 1}), {262, 3, 1, 0}),
                                            {0, 0, 0, 0}),
         "Fehler beim Lesen"},
    };
}

TEST(TiffReader, HostileFilesFailWithTheirTexts)
{
    for (const Hostile& h : HostileFiles()) {
        CGraphicsImage image;
        EXPECT_EQ(h.text, ReadError(h.file, image)) << h.name;
    }
}

// Decoded rows of hand-built strips (3 x 2 grey unless said otherwise).
TEST(TiffReader, DecodesHandBuiltStrips)
{
    struct Case {
        const char* name;
        Bytes file;
        Bytes rows;  // row 0 then row 1, 3 bytes each
    } cases[] = {
        {"no RowsPerStrip: one strip", MakeTiff(GreyTags(3, 2, 6), {1, 2, 3, 4, 5, 6}), {1, 2, 3, 4, 5, 6}},
        {"big-endian", MakeTiff(GreyTags(3, 2, 6), {1, 2, 3, 4, 5, 6}, true), {1, 2, 3, 4, 5, 6}},
        // -128 is nothing; a run of 4 stops at the row's end.
        {"PackBits", MakeTiff(GreyTags(3, 2, 7, 32773), {0x80, 0xFD, 9, 0x02, 7, 8, 9}), {9, 9, 9, 7, 8, 9}},
        // Clear, 1, 2, 258 (1 2) spanning both rows, 3, 4, End: 9-bit codes.
        {"LZW over a row end",
         MakeTiff(GreyTags(3, 2, 8, 5), {0x80, 0x00, 0x40, 0x50, 0x20, 0x18, 0x12, 0x02}),
         {1, 2, 1, 2, 3, 4}},
        {"legacy single-strip arrays",
         MakeTiff(With(With(GreyTags(3, 2, 0), {273, 4, 1, 14}), {279, 4, 1, 18}),
                  {1, 2, 3, 4, 5, 6, 8, 0, 0, 0, 6, 0, 0, 0}),
         {1, 2, 3, 4, 5, 6}},
    };
    for (const Case& c : cases) {
        CGraphicsImage image;
        ASSERT_EQ("", ReadError(c.file, image)) << c.name;
        EXPECT_EQ(0, std::memcmp(image.RowAt(0), c.rows.data(), 3)) << c.name;
        EXPECT_EQ(0, std::memcmp(image.RowAt(1), c.rows.data() + 3, 3)) << c.name;
    }
}

// A reader used again takes each file's own byte order.
TEST(TiffReader, ReuseTakesEachByteOrder)
{
    CTiffReader reader;
    for (const bool big : {true, false, true}) {
        CGraphicsImage image;
        ReadFromMemory(reader, MakeTiff(GreyTags(3, 2, 6), {1, 2, 3, 4, 5, 6}, big), image);
        EXPECT_EQ(big, reader.m_byteSwap);
        EXPECT_EQ(6, image.RowAt(1)[2]);
    }
}

// A fax row: white 2 (0111), black 3 (10), white 3 (1000). WhiteIsZero
// shows the white runs white; BlackIsZero takes the decoded bits as they
// are, as libtiff does; FillOrder 2 mirrors the stored bytes first.
TEST(TiffReader, FaxRunsKeepTheirColours)
{
    const auto fax = [](uint32_t photometric, uint32_t fillOrder, uint8_t byte0, uint8_t byte1) {
        return MakeTiff(With(With(With(GreyTags(8, 1, 2, 2), {258, 3, 1, 1}), {262, 3, 1, photometric}),
                             {266, 3, 1, fillOrder}),
                        {byte0, byte1});
    };
    for (const auto& [photometric, fillOrder, bits] :
         {std::tuple{0u, 1u, 0xC7}, std::tuple{1u, 1u, 0x38}, std::tuple{0u, 2u, 0xC7}}) {
        CGraphicsImage image;
        const Bytes file = fillOrder == 2 ? fax(photometric, 2, 0x5E, 0x00) : fax(photometric, 1, 0x7A, 0x00);
        ASSERT_EQ("", ReadError(file, image));
        EXPECT_EQ(bits, image.RowAt(0)[0]) << photometric << fillOrder;
    }
}

// Fax strips as libtiff lays them out: 10 x 10 WhiteIsZero, the strip at
// offset 8 with its offset and count in the entries, a private tag and a
// second page. Row k holds one black pixel at x = k, or none (-1); a row
// without one is a single byte, which the decoder's look-ahead reads before
// the row before it is done.
TEST(TiffReader, FaxStripsEndingInShortRows)
{
    // T.4 white terminating codes for runs 0 to 10, and black 1.
    static const char* const kWhite[] = {"00110101", "000111", "0111",  "1000",  "1011", "1100",
                                         "1110",     "1111",   "10011", "10100", "00111"};
    struct Case {
        const char* name;
        uint32_t rowsPerStrip;
        int black[10];
    } const cases[] = {
        {"diagonal, last row white", 10, {0, 1, 2, 3, 4, 5, 6, 7, 8, -1}},
        {"all white", 10, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
        {"two strips, each ending white", 5, {0, 1, 2, 3, -1, 5, 6, 7, 8, -1}},
    };
    for (const Case& c : cases) {
        std::vector<Bytes> strips(10 / c.rowsPerStrip);
        for (int y = 0; y < 10; ++y) {
            const int x = c.black[y];
            std::string bits = x < 0 ? kWhite[10] : std::string(kWhite[x]) + "010" + kWhite[9 - x];
            bits.resize((bits.size() + 7) / 8 * 8, '0');
            for (size_t i = 0; i < bits.size(); i += 8)
                strips[size_t(y) / c.rowsPerStrip].push_back(uint8_t(std::stoi(bits.substr(i, 8), nullptr, 2)));
        }
        Bytes data = strips[0];
        std::vector<TiffTag> tags = {{256, 3, 1, 10}, {257, 3, 1, 10}, {258, 3, 1, 1},  {259, 3, 1, 2},
                                     {262, 3, 1, 0},  {273, 4, 1, 8},  {278, 3, 1, c.rowsPerStrip},
                                     {279, 4, 1, uint32_t(strips[0].size())}, {40000, 3, 1, 7}};
        if (strips.size() == 2) {
            data.insert(data.end(), strips[1].begin(), strips[1].end());
            tags[5] = {273, 4, 2, uint32_t(8 + data.size())};
            tags[7] = {279, 4, 2, uint32_t(8 + data.size() + 8)};
            for (const uint32_t v : {8u, uint32_t(8 + strips[0].size()), uint32_t(strips[0].size()),
                                     uint32_t(strips[1].size())})
                for (int i = 0; i < 4; ++i)
                    data.push_back(uint8_t(v >> (8 * i)));
        }
        // The second page follows the first directory and holds the same strips.
        const uint32_t second = uint32_t(8 + data.size() + 2 + 12 * tags.size() + 4);
        Bytes file = MakeTiff(tags, data, false, second);
        const Bytes page = MakeTiff(tags, data);
        file.insert(file.end(), page.begin() + 8 + long(data.size()), page.end());

        CGraphicsImage image;
        ASSERT_EQ("", ReadError(file, image)) << c.name;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                EXPECT_EQ(x == c.black[y] ? 0u : 0xFFFFFFu, ColourAt(image, x, y) & 0xFFFFFF) << c.name << x << y;
    }
}

// Only the first image, or the first full image after a reduced one.
TEST(TiffReader, ChoosesTheFirstFullImage)
{
    const Bytes pixels{1, 2, 3, 4, 5, 6};
    // Two IFDs: the first at the end, the second right after the header.
    for (const uint32_t firstType : {0u, 1u}) {
        Bytes second = MakeTiff(GreyTags(3, 2, 6), pixels);  // IFD at 14
        Bytes file(second.begin(), second.end());
        const uint32_t firstIfd = uint32_t(file.size());
        const Bytes first = MakeTiff(With(GreyTags(2, 1, 6), {254, 4, 1, firstType}), pixels, false, 14);
        file.insert(file.end(), first.begin() + 14, first.end());
        for (int i = 0; i < 4; ++i)
            file[4 + i] = uint8_t(firstIfd >> (8 * i));
        CGraphicsImage image;
        ASSERT_EQ("", ReadError(file, image));
        EXPECT_EQ(firstType ? 3u : 2u, image.m_nWidth);
    }
}

}  // namespace
