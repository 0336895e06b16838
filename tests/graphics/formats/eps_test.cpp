// EPS reader and writer: round trips, the header and trailer we write, the
// forms and failures of the reader, DOS EPS files and the dispatcher's
// choice.
#include "graphics/formats/eps_reader.h"
#include "graphics/formats/eps_writer.h"
#include "graphics/formats/format_dispatch.h"
#include "graphics/formats/tiff_writer.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"
#include "tests/graphics/formats/codec_test_files.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

using namespace codec_test;

namespace {

constexpr char kPrefix[] = "%!PS-Adobe-3.0 EPSF-3.0\n%%Title: test\n";

Bytes Text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

std::string WriteEps(CGraphicsImage& image, int32_t resolution = 0)
{
    CEpsWriter writer;
    writer.m_nXResolution = writer.m_nYResolution = resolution;
    const Bytes b = WriteToBytes(writer, image, "eps_test.eps");
    return std::string(b.begin(), b.end());
}

// The exception text of a read, "" when it succeeds.
std::string ReadEps(const Bytes& file, CGraphicsImage& image, CEpsReader* reader = nullptr)
{
    CEpsReader own;
    try {
        ReadFromMemory(reader ? *reader : own, file, image);
    } catch (const EGraphicsException& e) {
        return e.text;
    }
    return "";
}

struct RoundTrip {
    uint32_t bits, width, height;
    bool whiteAtZero;  // 1-bit palette white, black
    uint32_t backBits;
};

class EpsRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(EpsRoundTrip, ReadsBackThePixels)
{
    const RoundTrip p = GetParam();
    CGraphicsImage image;
    MakeRandomImage(image, p.bits, p.width, p.height, p.bits + p.width);
    if (p.bits == 1) {
        image.SetPaletteRGB(0, p.whiteAtZero ? 255 : 0, p.whiteAtZero ? 255 : 0, p.whiteAtZero ? 255 : 0);
        image.SetPaletteRGB(1, p.whiteAtZero ? 0 : 255, p.whiteAtZero ? 0 : 255, p.whiteAtZero ? 0 : 255);
    }
    if (p.backBits == 8)
        for (uint32_t i = 0; i < 256; ++i)
            image.SetPaletteRGB(i, uint8_t(i), uint8_t(i), uint8_t(i));
    const CGraphicsImage before(image);
    const std::string file = WriteEps(image);
    EXPECT_EQ(0, std::memcmp(before.m_pBits, image.m_pBits, image.m_nImageSize));
    CGraphicsImage back;
    ASSERT_EQ("", ReadEps(Text(file), back));
    EXPECT_EQ(p.backBits, back.m_nBitCount);
    EXPECT_EQ(0, Differences(ColoursOf(image, false), ColoursOf(back, false)));
}

INSTANTIATE_TEST_SUITE_P(Templates, EpsRoundTrip,
                         ::testing::Values(RoundTrip{1, 9, 3, false, 1}, RoundTrip{1, 17, 5, true, 1},
                                           RoundTrip{8, 31, 4, false, 8}, RoundTrip{8, 30, 3, false, 24},
                                           RoundTrip{4, 7, 6, false, 24}, RoundTrip{24, 5, 4, false, 24},
                                           RoundTrip{32, 40, 9, false, 24}, RoundTrip{16, 3, 70, false, 24}));

// The whole file of a fitted 24-bit image, under a locale with a decimal comma.
TEST(EpsWriter, GoldenFileAndLocale)
{
    const char* german = std::setlocale(LC_ALL, "de_DE.UTF-8");
    CGraphicsImage image;
    ASSERT_TRUE(image.Create(24, 565, 811, 0));
    const std::string file = WriteEps(image);
    const std::string header =
        "%!PS-Adobe-3.0 EPSF-3.0\n%%LanguageLevel: 2\n%%Creator: Velk-Tools\n%%Pages: 1\n"
        "%%BoundingBox: 15 15 580 826\n%%EndComments\n%%BeginSetup\n/readstring {\n"
        "  currentfile exch readhexstring pop\n} bind def\n/rpicstr 565 string def\n/gpicstr 565 string def\n"
        "/bpicstr 565 string def\n%%EndSetup\n%%Page: 1 1\ngsave\n15.25 15.25 translate\n565 811 scale\n"
        "565 811 8\n[ 565 0 0 -811 0 811 ]\n{ rpicstr readstring }\n{ gpicstr readstring }\n"
        "{ bpicstr readstring }\ntrue 3\ncolorimage\n";
    const std::string trailer =
        "\ncurrentdict /inputf undef\ncurrentdict /picstr undef\ncurrentdict /rpicstr undef\n"
        "currentdict /gpicstr undef\ncurrentdict /bpicstr undef\ncurrentdict /readstring undef\n"
        "grestore\nshowpage\n%%Trailer\n";
    EXPECT_EQ(header, file.substr(0, header.size()));
    EXPECT_EQ(trailer, file.substr(file.size() - trailer.size()));
    // 565 x 3 bytes a row, 30 to a line: 565 * 3 * 811 / 30 lines, the last one partial.
    const size_t data = file.size() - header.size() - trailer.size() + 1;
    EXPECT_EQ(565u * 3 * 811 * 2 + (565u * 3 * 811 + 29) / 30, data);
    if (german)
        std::setlocale(LC_ALL, "C");
}

TEST(EpsWriter, PlacementAndTemplates)
{
    CGraphicsImage bilevel, grey;
    MakeRandomImage(bilevel, 1, 100, 50, 1);
    const std::string b = WriteEps(bilevel, 2834);
    EXPECT_NE(std::string::npos, b.find("%%LanguageLevel: 1\n"));
    EXPECT_NE(std::string::npos, b.find("%%BoundingBox: 247 395 347 445\n"));
    EXPECT_NE(std::string::npos, b.find("/picstr 13 string def\n%%Dummy 13 13\n"));
    EXPECT_NE(std::string::npos, b.find("100 50 1\n"));
    MakeRandomImage(grey, 8, 31, 2, 1);
    for (uint32_t i = 0; i < 256; ++i)
        grey.SetPaletteRGB(i, uint8_t(i), uint8_t(i), uint8_t(i));
    const std::string g = WriteEps(grey);
    EXPECT_NE(std::string::npos, g.find("31 2 8\n[ 31 0 0 -2 0 2 ]\n{ picstr readstring }\nimage\n"));
    grey.SetPaletteRGB(7, 1, 2, 3);
    EXPECT_NE(std::string::npos, WriteEps(grey).find("true 3\ncolorimage\n"));
}

TEST(EpsWriter, Errors)
{
    CGraphicsImage empty, image;
    MakeRandomImage(image, 24, 4, 4, 1);
    const std::string path = TempFile("eps_errors.eps");
    WriteFile(path, Bytes(10, 0));
    for (const bool readOnly : {false, true}) {
        CBufferedStream stream(kFormatStreamBufferSize);
        ASSERT_TRUE(stream.OpenA(path.c_str(), readOnly ? CBufferedStream::kModeRead : CBufferedStream::kModeCreate,
                                 nullptr));
        try {
            CEpsWriter().Write(stream, readOnly ? image : empty);
            ADD_FAILURE();
        } catch (const EGraphicsException& e) {
            EXPECT_STREQ(readOnly ? "Fehler beim Schreiben EPS-Datei !" : "Falsche Bild-Daten !", e.text);
        }
    }
}

// ----------------------------------------------------------------- reader --

struct ReadCase {
    const char* name;
    std::string text;  // after kPrefix
    const char* error;
    uint32_t width, height, bits;
    std::vector<uint32_t> colours;  // top row first, left to right
};

TEST(EpsReader, FormsAndFailures)
{
    const ReadCase cases[] = {
        {"inline data", "2 1 8 [2 0 0 -1 0 1] {<00ff>} image\n", "", 2, 1, 8, {0x000000, 0xFFFFFF}},
        {"inline never closed", "2 1 8 [2 0 0 -1 0 1] {<00ff image\n", "Beschädigte EPS-Datei !", 0, 0, 0, {}},
        {"interleaved colour", "1 1 8\n[1 0 0 -1 0 1]\n{ x }\nfalse 3 colorimage\nFF0000\n", "", 1, 1, 24, {0xFF0000}},
        {"planar colour", "2 1 8 [2 0 0 -1 0 1] {a} {b} {c} true 3 colorimage\nff00\n00ff\n0000\n", "", 2, 1, 24,
         {0xFF0000, 0x00FF00}},
        {"digits split by lines", "2 1 8 [2 0 0 -1 0 1] {x} image\nF\nf a\nB\n", "", 2, 1, 8, {0xFFFFFF, 0xABABAB}},
        {"a G in the data", "2 1 8 [2 0 0 -1 0 1] {x} image\nfG\n", "Beschädigte EPS-Datei !", 0, 0, 0, {}},
        {"no image", "0 0 moveto\nshowpage\n", "Beschädigte EPS-Datei !", 0, 0, 0, {}},
        {"truncated", "2 3 8 [2 0 0 -3 0 3] {x} image\n0102\n0a", "", 2, 3, 8,
         {0x010101, 0x020202, 0x0A0A0A, 0, 0, 0}},
        {"private form", "4 2 8 3 0 0 1000 2000 @BMP\n" + std::string(24, '0') + "ff0000" + std::string(18, '0'),
         "", 4, 2, 24, {0xFF0000, 0, 0, 0, 0, 0, 0, 0}},
        {"private 4 bits", "4 2 4 1 0 0 1000 2000 @BMP\n0000\n", "Das Format der EPS-Datei wird nicht unterstützt !",
         0, 0, 0, {}},
        {"private width 0", "0 2 8 1 0 0 1000 2000 @BMP\n00\n", "Beschädigte EPS-Datei !", 0, 0, 0, {}},
        {"3 x 4 bits", "1 1 4 [1 0 0 -1 0 1] {x} false 3 colorimage\nfff\n",
         "Das Format der EPS-Datei wird nicht unterstützt !", 0, 0, 0, {}},
        {"2-bit grey", "1 1 2 [1 0 0 -1 0 1] {x} image\nff\n", "Das Format der EPS-Datei wird nicht unterstützt !",
         0, 0, 0, {}},
        {"CMYK", "1 1 8 [1 0 0 -1 0 1] {x} false 4 colorimage\nffffffff\n",
         "Das Format der EPS-Datei wird nicht unterstützt !", 0, 0, 0, {}},
        {"width 40000", "40000 1 8 [1 0 0 -1 0 1] {x} image\nff\n", "Beschädigte EPS-Datei !", 0, 0, 0, {}},
        {"30000 squared from a few bytes", "30000 30000 8 [1 0 0 -1 0 1] {x} false 3 colorimage\nff\n",
         "Beschädigte EPS-Datei !", 0, 0, 0, {}},
    };
    for (const ReadCase& c : cases) {
        CEpsReader reader;
        CGraphicsImage image;
        ASSERT_EQ(c.error, ReadEps(Text(kPrefix + c.text), image, &reader)) << c.name;
        if (*c.error)
            continue;
        EXPECT_EQ(c.width, image.m_nWidth) << c.name;
        EXPECT_EQ(c.height, image.m_nHeight) << c.name;
        EXPECT_EQ(c.bits, image.m_nBitCount) << c.name;
        for (size_t i = 0; i < c.colours.size(); ++i)
            EXPECT_EQ(c.colours[i], ColourAt(image, int(i % c.width), int(i / c.width)) & 0xFFFFFF) << c.name << i;
        if (std::string(c.name) == "private form") {
            EXPECT_EQ(4000, reader.m_nXResolution);
            EXPECT_EQ(1000, reader.m_nYResolution);
        }
    }
}

TEST(EpsReader, RefusesShortAndForeignData)
{
    CGraphicsImage image;
    EXPECT_EQ("Fehler beim Lesen der EPS-Datei !", ReadEps(Text("%!PS short"), image));
    EXPECT_EQ("Die Datei ist keine EPS-Datei !", ReadEps(Text(std::string(40, 'x')), image));
    try {
        CEpsReader().LoadA(TempFile("no-such-file.eps").c_str(), image);
        ADD_FAILURE();
    } catch (const EEpsFileOpenError&) {
    }
}

// A DOS EPS header before PostScript and an optional TIFF preview.
Bytes DosEps(const std::string& ps, const Bytes& tiff, int64_t psLengthExtra = 0)
{
    Bytes out(32, 0);
    const uint8_t magic[] = {0xC5, 0xD0, 0xD3, 0xC6};
    std::memcpy(out.data(), magic, 4);
    const auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out[at + i] = uint8_t(v >> (8 * i));
    };
    put(4, 32);
    put(8, uint32_t(ps.size() + psLengthExtra));
    if (!tiff.empty()) {
        put(20, uint32_t(32 + ps.size()));
        put(24, uint32_t(tiff.size()));
    }
    out.insert(out.end(), ps.begin(), ps.end());
    out.insert(out.end(), tiff.begin(), tiff.end());
    return out;
}

TEST(EpsReader, DosEpsPreviewAndBounds)
{
    CGraphicsImage preview, ps;
    MakeRandomImage(preview, 24, 6, 5, 2);
    MakeRandomImage(ps, 24, 3, 3, 3);
    CTiffWriter tiffWriter;
    const Bytes tiff = WriteToBytes(tiffWriter, preview, "eps_preview.tif");
    const std::string psText = WriteEps(ps);

    CGraphicsImage image;
    ASSERT_EQ("", ReadEps(DosEps(psText, tiff), image));
    EXPECT_EQ(0, Differences(ColoursOf(preview, false), ColoursOf(image, false)));
    ASSERT_EQ("", ReadEps(DosEps(psText, {}), image));
    EXPECT_EQ(0, Differences(ColoursOf(ps, false), ColoursOf(image, false)));
    // The scan ends with the PostScript part: an image after it is not seen.
    const std::string head = std::string(kPrefix) + "%%comment\n";
    Bytes after = DosEps(head, {});
    const std::string rest = psText.substr(psText.find("%%LanguageLevel"));
    after.insert(after.end(), rest.begin(), rest.end());
    EXPECT_EQ("Beschädigte EPS-Datei !", ReadEps(after, image));
    Bytes beyond = DosEps(psText, tiff);
    beyond[20] = 0xFF;
    beyond[23] = 0x7F;
    EXPECT_EQ("Beschädigte EPS-Datei !", ReadEps(beyond, image));
    // The dispatcher knows no DOS EPS; only "%!" data reach this reader.
    const Bytes dos = DosEps(psText, tiff);
    EXPECT_EQ(kMemoryLoadUnknownFormat, LoadGraphicsFromMemory(dos.data(), uint32_t(dos.size()), image));
    EXPECT_EQ(0, LoadGraphicsFromMemory(psText.data(), uint32_t(psText.size()), image));
    EXPECT_EQ(0, Differences(ColoursOf(ps, false), ColoursOf(image, false)));
}

}  // namespace
