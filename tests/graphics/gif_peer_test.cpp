// GIF cross-checks made at test time: files that Pillow, ImageMagick and
// giflib's tools write decode here to the colours Pillow decodes, and our
// files pass giftext and decode in gif2rgb and Pillow to our colours. Native
// build only; a missing peer skips.
#include "graphics/formats/gif_reader.h"
#include "graphics/formats/gif_writer.h"
#include "graphics/image.h"
#include "tests/graphics/codec_test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using namespace codec_test;

namespace {

constexpr char kPython[] = "/usr/bin/python3";  // Debian's, with Pillow
constexpr char kMagick[] = "/usr/bin/convert";

bool Shell(const std::string& command)
{
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

#define REQUIRE_GIF_PEERS()                                                                              \
    if (!Shell(std::string(kPython) + " -c 'import PIL'") || !Shell("command -v giftext gif2rgb gifbuild") || \
        !Shell(std::string(kMagick) + " -version"))                                                      \
    GTEST_SKIP() << "Pillow, ImageMagick or giflib-tools missing"

// Pillow writes frame `frame` of each GIF as <file>.rgb.
void PillowToRgb(const std::vector<std::string>& files, int frame = 0)
{
    const std::string script = TempFile("to_rgb.py");
    std::ofstream(script) << "import sys\nfrom PIL import Image\n"
                          << "for f in sys.argv[1:]:\n"
                          << "    im = Image.open(f)\n    im.seek(" << frame << ")\n"
                          << "    open(f + '.rgb', 'wb').write(im.convert('RGB').tobytes())\n";
    std::string command = std::string(kPython) + " " + script;
    for (const std::string& f : files)
        command += " '" + f + "'";
    ASSERT_TRUE(Shell(command)) << command;
}

Colours FromRgb(const Bytes& rgb)
{
    Colours out;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        out.push_back(0xFF000000u | uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]);
    return out;
}

// Our decode of the file must equal the colours in `rgb`.
void ExpectOursEqual(const std::string& gif, const std::string& rgb)
{
    CGraphicsImage image;
    CGifReader reader;
    ASSERT_NO_THROW(reader.LoadA(gif.c_str(), image)) << gif;
    EXPECT_EQ(Differences(ColoursOf(image, false), FromRgb(ReadFile(rgb))), 0) << gif;
}

TEST(GifPeer, PeerFilesDecodeToThePeersColours)
{
    REQUIRE_GIF_PEERS();
    std::vector<std::string> files;
    const std::string pillow = TempFile("make.py");
    // Pillow: palettes of 2^1..2^8 colours (code sizes 2..8), interlaced or
    // not, widths 1..17; an animation whose second frame has a local table.
    std::ofstream(pillow)
        << "import random, sys\nfrom PIL import Image\nrandom.seed(5)\nd = sys.argv[1]\n"
        << "def img(w, h, n):\n    im = Image.new('P', (w, h))\n"
        << "    im.putpalette([random.randrange(256) for i in range(3 * n)])\n"
        << "    im.putdata([random.randrange(n) for i in range(w * h)])\n    return im\n"
        << "for b in range(1, 9):\n    for w in range(1, 18, 4):\n"
        << "        img(w, 1 + (w + b) % 10, 1 << b).save('%s/p%d-%d.gif' % (d, b, w), interlace=w % 3 == 0)\n"
        << "img(7, 5, 16).save(d + '/anim.gif', save_all=True, append_images=[img(7, 5, 200)], loop=0)\n";
    ASSERT_TRUE(Shell(std::string(kPython) + " " + pillow + " " + TempFile("")));
    for (int b = 1; b <= 8; ++b)
        for (int w = 1; w <= 17; w += 4) {
            files.push_back(TempFile("p" + std::to_string(b) + "-" + std::to_string(w) + ".gif"));
            // giflib's encoder on the same picture.
            const std::string g = TempFile("g" + std::to_string(b) + "-" + std::to_string(w) + ".gif");
            ASSERT_TRUE(Shell("gifbuild -d '" + files.back() + "' | gifbuild > '" + g + "'"));
            files.push_back(g);
        }
    files.push_back(TempFile("anim.gif"));
    // ImageMagick: interlaced heights 1..10 and widths 1..17 of noise.
    for (int h = 1; h <= 10; ++h) {
        files.push_back(TempFile("m" + std::to_string(h) + ".gif"));
        const std::string size = std::to_string(18 - h - h / 2) + "x" + std::to_string(h);
        ASSERT_TRUE(Shell(std::string(kMagick) + " -size " + size + " xc: +noise Random -colors " +
                        std::to_string(1 << (h % 8 + 1)) + " -interlace GIF '" + files.back() + "'"));
    }
    PillowToRgb(files);
    for (const std::string& f : files)
        ExpectOursEqual(f, f + ".rgb");
}

struct Ours {
    std::string path;
    CGraphicsImage image;
};

TEST(GifPeer, OurFilesPassGiflibAndPillow)
{
    REQUIRE_GIF_PEERS();
    std::vector<Ours> ours(20);
    uint64_t seed = 1;
    for (uint32_t w = 1; w <= 17; ++w)
        MakeRandomImage(ours[w - 1].image, w % 4 == 0 ? 4 : 8, w, 1 + w % 9, seed++);
    MakeRandomImage(ours[17].image, 1, 1, 1, seed++);
    MakeRandomImage(ours[18].image, 24, 33, 21, seed++);
    MakeRandomImage(ours[19].image, 8, 1024, 1024, seed++);  // table-full clears, 12-bit codes
    std::vector<std::string> files;
    for (size_t i = 0; i < ours.size(); ++i) {
        ours[i].path = TempFile("ours" + std::to_string(i) + ".gif");
        CGifWriter writer;
        writer.m_info.SetCommentA("Kommentar");
        writer.SaveA(ours[i].path.c_str(), ours[i].image);
        files.push_back(ours[i].path);
    }
    PillowToRgb(files);
    for (Ours& o : ours) {
        const std::string q = "'" + o.path + "'";
        EXPECT_TRUE(Shell("giftext " + q)) << o.path;  // strict: exits non-zero on any fault
        ASSERT_TRUE(Shell("gif2rgb -1 -o " + q + ".g2r " + q)) << o.path;
        CGraphicsImage indexed;
        const CGraphicsImage* expected = &o.image;
        if (o.image.m_nBitCount > 8) {
            ASSERT_TRUE(indexed.QuantizeFrom(o.image));
            expected = &indexed;
        }
        EXPECT_EQ(Differences(ColoursOf(*expected, false), FromRgb(ReadFile(o.path + ".g2r"))), 0) << o.path;
        EXPECT_EQ(Differences(ColoursOf(*expected, false), FromRgb(ReadFile(o.path + ".rgb"))), 0) << o.path;
    }
}

TEST(GifPeer, OurSequencePassesGiflibWithEachFramesColours)
{
    REQUIRE_GIF_PEERS();
    CGraphicsImage a, b;
    MakeRandomImage(a, 8, 12, 7, 1);
    MakeRandomImage(b, 24, 12, 7, 2);
    CGraphicsImage* list[] = {&a, &b};
    const std::string path = TempFile("seq.gif");
    CGifWriter writer;
    writer.SaveSequenceA(path.c_str(), list, 2);
    EXPECT_TRUE(Shell("giftext '" + path + "'"));  // strict: a stray 0x00 between frames fails
    PillowToRgb({path}, 1);
    CGraphicsImage quantized;
    ASSERT_TRUE(quantized.QuantizeFrom(b));
    EXPECT_EQ(Differences(ColoursOf(quantized, false), FromRgb(ReadFile(path + ".rgb"))), 0);
}

}  // namespace
