// BMP cross-checks made at test time: files that netpbm and ImageMagick
// write decode here to the pixels they were made from, a hand-built RLE4
// file with deltas decodes to what ImageMagick decodes, and our
// files decode in netpbm and Pillow to our pixels. Native build only; a
// missing peer skips its test.
#include "graphics/formats/bmp_writer.h"
#include "graphics/image.h"
#include "tests/graphics/bmp_test_files.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace bmp_test;
using codec_test::ColourAt;
using codec_test::ReadFile;
using codec_test::TempFile;

namespace {

// Debian's interpreter, which has Pillow.
constexpr char kPython[] = "/usr/bin/python3";

bool Have(const std::string& check)
{
    return std::system((check + " >/dev/null 2>&1").c_str()) == 0;
}

#define REQUIRE_PEER(check, name) \
    if (!Have(check))             \
    GTEST_SKIP() << name << " is not installed"

bool Shell(const std::string& command)
{
    const int status = std::system((command + " 2>/dev/null").c_str());
    EXPECT_EQ(status, 0) << command;
    return status == 0;
}

using Colours = std::vector<uint32_t>;  // 0x00RRGGBB, top-down

// Raw RGB bytes (ImageMagick "rgb:", Pillow tobytes) as colours.
Colours FromRgb(const Bytes& rgb)
{
    Colours out;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        out.push_back(uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]);
    return out;
}

Colours ColoursOf(const CGraphicsImage& image)
{
    Colours out;
    for (int y = 0; y < int(image.m_nHeight); ++y)
        for (int x = 0; x < int(image.m_nWidth); ++x)
            out.push_back(ColourAt(image, x, y) & 0xFFFFFF);
    return out;
}

// A P6 file of random pixels drawn from `count` colours.
Colours WritePpm(const std::string& path, int width, int height, int count, uint64_t seed)
{
    lindar_test::Rng rng(seed);
    Colours palette, pixels;
    for (int i = 0; i < count; ++i)
        palette.push_back(rng.Next() & 0xFFFFFF);
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    for (int i = 0; i < width * height; ++i) {
        const uint32_t c = palette[rng.Next() % uint32_t(count)];
        pixels.push_back(c);
        out.put(char(c >> 16)).put(char(c >> 8)).put(char(c));
    }
    return pixels;
}

// Pillow's RGB decode of a file.
Colours PillowRgb(const std::string& path)
{
    const std::string raw = path + ".rgb";
    Shell(std::string(kPython) + " -c \"import sys; from PIL import Image; "
                                 "open(sys.argv[2], 'wb').write(Image.open(sys.argv[1]).convert('RGB').tobytes())\" '" +
          path + "' '" + raw + "'");
    return FromRgb(ReadFile(raw));
}

// netpbm's decode, through ImageMagick's reading of the PPM bmptopnm wrote.
Colours NetpbmRgb(const std::string& path)
{
    const std::string ppm = path + ".ppm", raw = path + ".rgb";
    Shell("bmptopnm '" + path + "' > '" + ppm + "' && pnmtopnm -plain < '" + ppm + "' > '" + ppm + ".txt'");
    std::ifstream in(ppm + ".txt");
    std::string magic;
    int width = 0, height = 0, maxval = 0;
    in >> magic >> width >> height;
    Colours out;
    if (magic == "P1") {  // bmptopnm writes 2-colour black-and-white files as PBM
        for (char bit; in >> bit;)
            out.push_back(bit == '1' ? 0 : 0xFFFFFF);
        return out;
    }
    in >> maxval;
    for (uint32_t r, g, b; in >> r >> g >> b;)
        out.push_back(r << 16 | g << 8 | b);
    return out;
}

TEST(BmpPeers, NetpbmAndImageMagickFilesDecodeToTheirSource)
{
    REQUIRE_PEER("command -v ppmtobmp", "netpbm");
    struct Case {
        const char* command;  // %s source, %s target
        int colours;
        uint32_t bits;
    };
    const Case cases[] = {
        {"ppmtobmp -bpp 1", 2, 1},           {"ppmtobmp -bpp 4", 16, 4},         {"ppmtobmp -bpp 8", 200, 8},
        {"ppmtobmp -bpp 24", 300, 24},        {"ppmtobmp -windows -bpp 8", 40, 8}, {"ppmtobmp -os2 -bpp 4", 9, 4},
        {"ppmtobmp -os2 -bpp 24", 50, 24},    {"IM-RLE8", 100, 8},
    };
    const bool haveMagick = Have("convert -version | grep -q ImageMagick");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const bool rle = std::string(c.command) == "IM-RLE8";
        if (rle && !haveMagick)
            continue;
        const std::string source = TempFile("peer.ppm"), bmp = TempFile("peer.bmp");
        const Colours pixels = WritePpm(source, 37, 11, c.colours, uint64_t(c.colours));
        ASSERT_TRUE(Shell(rle ? "convert '" + source + "' -type Palette -compress RLE 'bmp3:" + bmp + "'"
                              : std::string(c.command) + " '" + source + "' > '" + bmp + "'"));
        const Bytes file = ReadFile(bmp);
        if (rle) {
            EXPECT_EQ(file[30], 1);  // BI_RLE8
        }
        CGraphicsImage image;
        ASSERT_EQ(ReadBmp(file, image), "");
        EXPECT_EQ(image.m_nBitCount, c.bits);
        EXPECT_EQ(ColoursOf(image), pixels);
    }
}

TEST(BmpPeers, HandBuiltRle4WithDeltasDecodesLikeImageMagick)
{
    // Pillow 9.4 drops RLE4 deltas and the last nibble of odd literals, and
    // bmptopnm refuses deltas: ImageMagick is the peer here.
    REQUIRE_PEER("convert -version | grep -q ImageMagick", "ImageMagick");
    BmpSpec s;
    s.width = 9, s.height = 4, s.bits = 4, s.compression = 2;
    for (uint32_t i = 0; i < 16; ++i)
        s.palette.push_back(i * 0x0F0D0B);
    // Runs, an odd literal, end of line, deltas across a row, end of bitmap.
    s.pixels = {9, 0x1F, 0, 0, 0, 5, 0x23, 0x45, 0x60, 0, 0, 2, 1, 1, 3, 0xAB, 0, 0, 0, 2, 4, 0, 2, 0xCD, 0, 1};
    const std::string path = TempFile("rle4.bmp");
    codec_test::WriteFile(path, MakeBmp(s));
    CGraphicsImage image;
    ASSERT_EQ(ReadBmp(ReadFile(path), image), "");
    // ImageMagick warns of the bytes it did not get after the end of bitmap
    // (exit status 1) but writes its decode.
    std::system(("convert '" + path + "' -depth 8 'rgb:" + path + ".im' 2>/dev/null").c_str());
    EXPECT_EQ(FromRgb(ReadFile(path + ".im")), ColoursOf(image));
}

TEST(BmpPeers, OurFilesDecodeInNetpbmAndPillow)
{
    REQUIRE_PEER(std::string(kPython) + " -c 'import PIL'", "Pillow");
    REQUIRE_PEER("command -v bmptopnm", "netpbm");
    for (const uint32_t bits : {1u, 4u, 8u, 24u, 32u}) {
        SCOPED_TRACE(bits);
        CGraphicsImage image;
        codec_test::MakeRandomImage(image, bits, 29, 13, bits);
        if (bits == 1) {  // netpbm writes black and white as such
            image.SetPaletteEntry(0, 0);
            image.SetPaletteEntry(1, 0xFFFFFF);
        }
        const std::string path = TempFile("ours.bmp");
        CBmpWriter writer;
        writer.SetBitCount(bits == 32 ? 32 : 0);
        writer.SaveA(path.c_str(), image);
        const Colours ours = ColoursOf(image);
        EXPECT_EQ(PillowRgb(path), ours);
        EXPECT_EQ(NetpbmRgb(path), ours);
    }
}

}  // namespace
