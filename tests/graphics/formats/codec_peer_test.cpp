// Cross-checks with other programs, made at test time: files that netpbm,
// libjpeg-turbo's tools, ImageMagick and Pillow write decode here to the
// pixels those programs decode, and our files decode there to ours. Native
// build only (the peers are Linux programs); a missing peer skips its test.
#include "graphics/formats/format_dispatch.h"
#include "graphics/formats/jpeg_writer.h"
#include "graphics/formats/png_writer.h"
#include "graphics/image.h"
#include "tests/graphics/formats/codec_test_files.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using namespace codec_test;

namespace {

// Debian's interpreter, which has Pillow (a user's python3 may not); it
// counts as missing without Pillow.
constexpr char kPython[] = "/usr/bin/python3";

bool Have(const char* program)
{
    const std::string test = std::string(program) == kPython ? std::string(kPython) + " -c 'import PIL'"
                                                             : "command -v " + std::string(program);
    return std::system((test + " >/dev/null 2>&1").c_str()) == 0;
}

// The first of the programs that is not installed, or null.
const char* Missing(std::initializer_list<const char*> programs)
{
    for (const char* program : programs)
        if (!Have(program))
            return program;
    return nullptr;
}

#define REQUIRE_PEERS(...)                          \
    if (const char* missing = Missing({__VA_ARGS__})) \
    GTEST_SKIP() << missing << " is not installed"

bool Shell(const std::string& command)
{
    const int status = std::system((command + " 2>/dev/null").c_str());
    EXPECT_EQ(status, 0) << command;
    return status == 0;
}

std::string Q(const std::string& path)
{
    return "'" + path + "'";
}

// What a peer decodes: the command writes 8-bit RGBA samples to stdout.
Colours PeerRgba(const std::string& command)
{
    const std::string raw = TempFile("peer.rgba");
    Colours out;
    if (!Shell(command + " > " + Q(raw)))
        return out;
    const Bytes b = ReadFile(raw);
    for (size_t i = 0; i + 3 < b.size(); i += 4)
        out.push_back(uint32_t(b[i + 3]) << 24 | uint32_t(b[i]) << 16 | uint32_t(b[i + 1]) << 8 | b[i + 2]);
    return out;
}

// The decoders: netpbm's, libjpeg-turbo's and Pillow's, with ImageMagick
// only turning netpbm's output into raw samples.
std::string Pngtopam(const std::string& png)
{
    return "pngtopam -alphapam " + Q(png) + " | pamdepth 255 | convert PAM:- -depth 8 RGBA:-";
}
std::string Djpeg(const std::string& jpeg)
{
    return "djpeg -pnm " + Q(jpeg) + " | convert PNM:- -depth 8 RGBA:-";
}
std::string Pillow(const std::string& file)
{
    return std::string(kPython) +
           " -c 'import sys; from PIL import Image; "
           "sys.stdout.buffer.write(Image.open(sys.argv[1]).convert(\"RGBA\").tobytes())' " + Q(file);
}

// A PGM or PPM of random samples (smooth ones for JPEG sources).
std::string WritePnm(const std::string& name, uint32_t width, uint32_t height, int channels, uint32_t maxval,
                     uint64_t seed, bool smooth = false)
{
    const std::string path = TempFile(name);
    std::ofstream out(path, std::ios::binary);
    out << (channels == 1 ? "P5" : "P6") << "\n" << width << " " << height << "\n" << maxval << "\n";
    lindar_test::Rng rng(seed);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                uint32_t v = smooth ? (x * 3 + y * 2 + uint32_t(c) * 60 + rng.Next() % 8) % (maxval + 1)
                                    : rng.Next() % (maxval + 1);
                if (maxval > 255)
                    out.put(char(v >> 8));
                out.put(char(v & 255));
            }
    return path;
}

// Pillow: a script with PATH and SEED bound, run on the test folder.
bool PillowMakes(const std::string& script, const std::string& path, uint64_t seed)
{
    const std::string file = TempFile("peer.py");
    std::ofstream(file) << "import random\nfrom PIL import Image\nPATH = '" << path << "'\nrandom.seed(" << seed
                        << ")\n" << script;
    return Shell(std::string(kPython) + " " + Q(file));
}

// ------------------------------------------------------------------ PNG --

TEST(PeerPng, PeerFilesDecodeToThePeersPixels)
{
    REQUIRE_PEERS("pnmtopng", "pngtopam", "convert", kPython);
    const std::string ppm = WritePnm("src.ppm", 29, 17, 3, 255, 1);
    const std::string few = WritePnm("few.ppm", 29, 17, 3, 1, 2);  // 8 colours: a palette PNG
    const struct {
        const char* name;
        std::string make;       // shell command
        std::string pillow;     // or Pillow script
    } cases[] = {
        {"rgb", "pnmtopng " + Q(ppm), ""},
        {"palette", "pnmtopng " + Q(few), ""},
        {"interlaced rgb", "convert " + Q(ppm) + " -interlace PNG PNG:-", ""},
        {"interlaced grey", "pnmtopng -interlace " + Q(WritePnm("i.pgm", 23, 19, 1, 255, 3)), ""},
        {"grey 1", "pnmtopng " + Q(WritePnm("g1.pgm", 29, 17, 1, 1, 4)), ""},
        {"grey 2", "pnmtopng " + Q(WritePnm("g2.pgm", 29, 17, 1, 3, 5)), ""},
        {"grey 4", "pnmtopng " + Q(WritePnm("g4.pgm", 29, 17, 1, 15, 6)), ""},
        {"grey 8", "pnmtopng " + Q(WritePnm("g8.pgm", 29, 17, 1, 255, 7)), ""},
        {"grey 16", "pnmtopng " + Q(WritePnm("g16.pgm", 29, 17, 1, 65535, 8)), ""},
        {"palette and tRNS", "",
         "im = Image.new('P', (31, 9))\n"
         "im.putpalette([random.randrange(256) for i in range(48)])\n"
         "im.putdata([random.randrange(16) for i in range(31 * 9)])\n"
         "im.save(PATH, transparency=bytes([0, 90, 255, 200]))\n"},
        {"palette and unused tRNS", "",
         "im = Image.new('P', (31, 9))\n"
         "im.putpalette([random.randrange(256) for i in range(48)])\n"
         "im.putdata([random.randrange(4, 16) for i in range(31 * 9)])\n"
         "im.save(PATH, transparency=bytes([0, 90, 255, 200]))\n"},
        {"rgba", "",
         "im = Image.new('RGBA', (31, 9))\n"
         "im.putdata([tuple(random.randrange(256) for c in range(4)) for i in range(31 * 9)])\n"
         "im.save(PATH)\n"},
        {"grey and alpha", "",
         "im = Image.new('LA', (31, 9))\n"
         "im.putdata([tuple(random.randrange(256) for c in range(2)) for i in range(31 * 9)])\n"
         "im.save(PATH)\n"},
    };
    uint64_t seed = 10;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string png = TempFile("peer.png");
        ASSERT_TRUE(c.pillow.empty() ? Shell(c.make + " > " + Q(png)) : PillowMakes(c.pillow, png, ++seed));
        CGraphicsImage image;
        ASSERT_EQ(LoadGraphicsFile(png.c_str(), image), 0) << GetGraphicsLoadError();
        EXPECT_EQ(Differences(ColoursOf(image), PeerRgba(Pngtopam(png))), 0);
    }
}

TEST(PeerPng, OurFilesDecodeAlikeInPeers)
{
    REQUIRE_PEERS("pngtopam", "convert", kPython);
    const struct {
        uint32_t bits;
        uint32_t options;
    } cases[] = {{1, 0}, {2, 0}, {4, 0}, {8, 0}, {12, 0}, {15, 0}, {16, 0}, {24, 0}, {32, 0}, {32, kPngOptionAlpha}};
    uint64_t seed = 30;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, options " << c.options);
        CGraphicsImage image;
        MakeRandomImage(image, c.bits, 21, 13, ++seed);
        CPngWriter writer;
        writer.m_options = c.options;
        const std::string png = TempFile("ours.png");
        writer.SaveA(png.c_str(), image);
        Colours ours = ColoursOf(image);
        if (c.bits == 32 && !c.options)
            for (uint32_t& v : ours)
                v |= 0xFF000000;
        EXPECT_EQ(Differences(ours, PeerRgba(Pngtopam(png))), 0) << "pngtopam";
        EXPECT_EQ(Differences(ours, PeerRgba(Pillow(png))), 0) << "Pillow";
    }
}

// ImageMagick writes its comment after the image data, keyed "comment".
TEST(PeerPng, ACommentAfterTheImageDataIsRead)
{
    REQUIRE_PEERS("convert");
    const std::string png = TempFile("late.png");
    ASSERT_TRUE(Shell("convert " + Q(WritePnm("late.ppm", 5, 4, 3, 255, 60)) + " -set comment 'N 48 E 11' " + Q(png)));
    const Bytes bytes = ReadFile(png);
    ASSERT_GT(FindPngChunk(bytes, "tEXt"), FindPngChunk(bytes, "IDAT"));
    CGraphicsImage image;
    char* comment = nullptr;
    ASSERT_EQ(LoadGraphicsFile(png.c_str(), image, &comment), 0);
    EXPECT_STREQ(comment, "N 48 E 11");
    delete[] comment;
}

// ----------------------------------------------------------------- JPEG --

TEST(PeerJpeg, PeerFilesDecodeToThePeersPixels)
{
    REQUIRE_PEERS("cjpeg", "djpeg", "convert");
    const std::string ppm = WritePnm("jsrc.ppm", 45, 31, 3, 255, 40, true);
    const std::string pgm = WritePnm("jsrc.pgm", 45, 31, 1, 255, 41, true);
    const struct {
        const char* name;
        std::string make;
    } cases[] = {
        {"baseline 4:2:0", "cjpeg " + Q(ppm)},
        {"progressive", "cjpeg -progressive " + Q(ppm)},
        {"4:4:4", "cjpeg -sample 1x1 " + Q(ppm)},
        {"grey", "cjpeg " + Q(pgm)},
        {"optimised, restart markers", "cjpeg -optimize -restart 1 " + Q(ppm)},
        {"ImageMagick", "convert " + Q(ppm) + " -quality 60 JPEG:-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string jpeg = TempFile("peer.jpg");
        ASSERT_TRUE(Shell(c.make + " > " + Q(jpeg)));
        CGraphicsImage image;
        ASSERT_EQ(LoadGraphicsFile(jpeg.c_str(), image), 0) << GetGraphicsLoadError();
        EXPECT_EQ(Differences(ColoursOf(image), PeerRgba(Djpeg(jpeg))), 0);
    }

    const std::string cmyk = TempFile("cmyk.jpg");
    ASSERT_TRUE(Shell("convert " + Q(ppm) + " -colorspace CMYK " + Q(cmyk)));
    CGraphicsImage image;
    EXPECT_EQ(LoadGraphicsFile(cmyk.c_str(), image), -1);
    EXPECT_STREQ(GetGraphicsLoadError(), "Fehler 67 beim Laden der Jpeg Datei");
}

TEST(PeerJpeg, OurFilesDecodeAlikeInPeers)
{
    REQUIRE_PEERS("djpeg", "convert", kPython);
    const struct {
        uint32_t bits;
        uint32_t quality;
        uint8_t grey;
    } cases[] = {{24, 75, 0}, {32, 30, 0}, {8, 95, 0}, {24, 75, 1}};
    uint64_t seed = 50;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, quality " << c.quality << ", grey " << int(c.grey));
        CGraphicsImage image;
        MakeRandomImage(image, c.bits, 37, 22, ++seed);
        CJpegWriter writer;
        writer.SetQuality(c.quality);
        writer.SetGrey(c.grey);
        const std::string jpeg = TempFile("ours.jpg");
        writer.SaveA(jpeg.c_str(), image);
        CGraphicsImage back;
        ASSERT_EQ(LoadGraphicsFile(jpeg.c_str(), back), 0);
        const Colours ours = ColoursOf(back);
        EXPECT_EQ(Differences(ours, PeerRgba(Djpeg(jpeg))), 0) << "djpeg";
        EXPECT_EQ(Differences(ours, PeerRgba(Pillow(jpeg))), 0) << "Pillow";
    }
}

}  // namespace
