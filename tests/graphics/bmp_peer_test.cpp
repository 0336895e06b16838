// BMP cross-checks made at test time: files that netpbm and ImageMagick write
// decode here to the pixels they were made from, a hand-built RLE4 file with
// deltas decodes like ImageMagick's decode, and our files decode in netpbm
// and Pillow to our pixels. Native build only; a missing peer skips.
#include "graphics/formats/bmp_reader.h"
#include "graphics/formats/bmp_writer.h"
#include "graphics/image.h"
#include "tests/graphics/bmp_test_files.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

using namespace bmp_test;
using codec_test::ReadFile;
using codec_test::TempFile;

namespace {

// Debian's interpreter, which has Pillow.
const std::string kPillow = "/usr/bin/python3 -c 'import PIL'";
const std::string kMagick = "convert -version | grep -q ImageMagick";
const std::string kNetpbm = "command -v ppmtobmp bmptopnm >/dev/null";

bool Shell(const std::string& command)
{
    return std::system((command + " 2>/dev/null").c_str()) == 0;
}

#define REQUIRE_PEER(check) \
    if (!Shell(check))        \
    GTEST_SKIP() << check << " failed: peer not installed"

using Colours = std::vector<uint32_t>;  // 0x00RRGGBB, top-down

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
            out.push_back(codec_test::ColourAt(image, x, y) & 0xFFFFFF);
    return out;
}

// Pillow's RGB decode of any file it reads (BMP, or netpbm's PPM).
Colours PillowRgb(const std::string& path)
{
    EXPECT_TRUE(Shell("/usr/bin/python3 -c \"import sys; from PIL import Image; open(sys.argv[2], 'wb')"
                    ".write(Image.open(sys.argv[1]).convert('RGB').tobytes())\" '" + path + "' '" + path + ".rgb'"));
    return FromRgb(ReadFile(path + ".rgb"));
}

// A P6 file of 37 x 11 random pixels drawn from `count` colours.
Colours WritePpm(const std::string& path, int count)
{
    lindar_test::Rng rng{uint64_t(count)};
    Colours palette, pixels;
    for (int i = 0; i < count; ++i)
        palette.push_back(rng.Next() & 0xFFFFFF);
    std::ofstream out(path, std::ios::binary);
    out << "P6\n37 11\n255\n";
    for (int i = 0; i < 37 * 11; ++i) {
        pixels.push_back(palette[rng.Next() % uint32_t(count)]);
        out.put(char(pixels.back() >> 16)).put(char(pixels.back() >> 8)).put(char(pixels.back()));
    }
    return pixels;
}

TEST(BmpPeers, NetpbmAndImageMagickFilesDecodeToTheirSource)
{
    REQUIRE_PEER(kNetpbm);
    struct Case {
        std::string command;  // source and target paths follow
        int colours;
        uint32_t bits;
    };
    const Case cases[] = {
        {"ppmtobmp -bpp 1", 2, 1},          {"ppmtobmp -bpp 4", 16, 4},         {"ppmtobmp -bpp 8", 200, 8},
        {"ppmtobmp -bpp 24", 300, 24},       {"ppmtobmp -windows -bpp 8", 40, 8}, {"ppmtobmp -os2 -bpp 4", 9, 4},
        {"ppmtobmp -os2 -bpp 24", 50, 24},   {"RLE8", 100, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const bool rle = c.command == "RLE8";
        if (rle && !Shell(kMagick))
            continue;
        const std::string source = TempFile("peer.ppm"), bmp = TempFile("peer.bmp");
        const Colours pixels = WritePpm(source, c.colours);
        ASSERT_TRUE(Shell(rle ? "convert " + source + " -type Palette -compress RLE bmp3:" + bmp
                            : c.command + " " + source + " > " + bmp));
        const Bytes file = ReadFile(bmp);
        ASSERT_GT(file.size(), 54u);
        EXPECT_TRUE(!rle || file[30] == kBmpRle8);
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
    REQUIRE_PEER(kMagick);
    BmpSpec s;
    s.width = 9, s.height = 4, s.bits = 4, s.compression = 2;
    for (uint32_t i = 0; i < 16; ++i)
        s.palette.push_back(i * 0x0F0D0B);
    // Runs, an odd literal, end of line, deltas within and across rows, end of bitmap.
    s.pixels = {9, 0x1F, 0, 0, 0, 5, 0x23, 0x45, 0x60, 0, 0, 2, 1, 1, 3, 0xAB, 0, 0, 0, 2, 4, 0, 2, 0xCD, 0, 1};
    const std::string path = TempFile("rle4.bmp");
    codec_test::WriteFile(path, MakeBmp(s));
    CGraphicsImage image;
    ASSERT_EQ(ReadBmp(ReadFile(path), image), "");
    // ImageMagick warns of bytes missing after the end of bitmap (exit
    // status 1) but writes its decode.
    Shell("convert " + path + " -depth 8 rgb:" + path + ".im");
    EXPECT_EQ(FromRgb(ReadFile(path + ".im")), ColoursOf(image));
}

TEST(BmpPeers, OurFilesDecodeInNetpbmAndPillow)
{
    REQUIRE_PEER(kPillow);
    REQUIRE_PEER(kNetpbm);
    for (const uint32_t bits : {1u, 4u, 8u, 24u, 32u}) {
        SCOPED_TRACE(bits);
        CGraphicsImage image;
        codec_test::MakeRandomImage(image, bits, 29, 13, bits);
        const std::string path = TempFile("ours.bmp");
        CBmpWriter writer;
        writer.SetBitCount(bits == 32 ? 32 : 0);
        writer.SaveA(path.c_str(), image);
        EXPECT_EQ(PillowRgb(path), ColoursOf(image));
        ASSERT_TRUE(Shell("bmptopnm " + path + " > " + path + ".ppm"));
        EXPECT_EQ(PillowRgb(path + ".ppm"), ColoursOf(image));
    }
}

}  // namespace
