// GIF cross-checks made at test time: files that Pillow, ImageMagick and
// giflib's tools write decode here to the colours Pillow decodes; our files
// pass giftext (strict: a stray byte between frames fails it) and decode in
// gif2rgb and Pillow to our colours. Native build only; a missing peer skips.
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

const std::string kPython = "/usr/bin/python3";  // Debian's, with Pillow
const std::string kMagick = "/usr/bin/convert";

bool Shell(const std::string& command)
{
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

#define REQUIRE_GIF_PEERS()                                                                                 \
    if (!Shell(kPython + " -c 'import PIL'") || !Shell("command -v giftext gif2rgb gifbuild") ||             \
        !Shell(kMagick + " -version"))                                                                        \
    GTEST_SKIP() << "Pillow, ImageMagick or giflib-tools missing"

// Pillow runs `body` with d (the test folder) and random seeded.
void Pillow(const std::string& body)
{
    const std::string script = TempFile("peer.py");
    std::ofstream(script) << "import random\nfrom PIL import Image\nrandom.seed(5)\nd = '" << TempFile("")
                          << "'\n" << body;
    ASSERT_TRUE(Shell(kPython + " " + script));
}

// Pillow's colours of frame `frame` of each file into <file>.rgb.
void PillowToRgb(const std::vector<std::string>& files, int frame = 0)
{
    std::string list;
    for (const std::string& f : files)
        list += "'" + f + "', ";
    Pillow("for f in [" + list + "]:\n    im = Image.open(f)\n    im.seek(" + std::to_string(frame) +
           ")\n    open(f + '.rgb', 'wb').write(im.convert('RGB').tobytes())\n");
}

Colours FromRgb(const Bytes& rgb)
{
    Colours out;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        out.push_back(0xFF000000u | uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]);
    return out;
}

TEST(GifPeer, PeerFilesDecodeToThePeersColours)
{
    REQUIRE_GIF_PEERS();
    // Pillow: tables of 2^1..2^8 colours (code sizes 2..8), widths 1..17, an
    // animation whose second frame has a local table; giflib's encoder on
    // each; ImageMagick: interlaced heights 1..10.
    Pillow("def img(w, h, n):\n    im = Image.new('P', (w, h))\n"
           "    im.putpalette([random.randrange(256) for i in range(3 * n)])\n"
           "    im.putdata([random.randrange(n) for i in range(w * h)])\n    return im\n"
           "for b in range(1, 9):\n    for w in range(1, 18, 4):\n"
           "        img(w, 1 + (w + b) % 10, 1 << b).save('%s/p%d-%d.gif' % (d, b, w))\n"
           "img(7, 5, 16).save(d + '/anim.gif', save_all=True, append_images=[img(7, 5, 200)], loop=0)\n");
    std::vector<std::string> files{TempFile("anim.gif")};
    for (int b = 1; b <= 8; ++b)
        for (int w = 1; w <= 17; w += 4) {
            const std::string name = std::to_string(b) + "-" + std::to_string(w) + ".gif";
            files.push_back(TempFile("p" + name));
            files.push_back(TempFile("g" + name));
            ASSERT_TRUE(Shell("gifbuild -d '" + files[files.size() - 2] + "' | gifbuild > '" + files.back() + "'"));
        }
    for (int h = 1; h <= 10; ++h) {
        files.push_back(TempFile("m" + std::to_string(h) + ".gif"));
        ASSERT_TRUE(Shell(kMagick + " -size " + std::to_string(18 - h - h / 2) + "x" + std::to_string(h) +
                          " xc: +noise Random -colors " + std::to_string(1 << (h % 8 + 1)) + " -interlace GIF '" +
                          files.back() + "'"));
    }
    PillowToRgb(files);
    for (const std::string& f : files) {
        CGraphicsImage image;
        CGifReader reader;
        ASSERT_NO_THROW(reader.LoadA(f.c_str(), image)) << f;
        EXPECT_EQ(Differences(ColoursOf(image, false), FromRgb(ReadFile(f + ".rgb"))), 0) << f;
    }
}

TEST(GifPeer, OurFilesPassGiflibAndPillow)
{
    REQUIRE_GIF_PEERS();
    const int kCount = 21;
    std::vector<CGraphicsImage> images(kCount), indexed(kCount);
    for (int i = 0; i < 17; ++i)
        MakeRandomImage(images[size_t(i)], i % 4 == 3 ? 4 : 8, uint32_t(i + 1), uint32_t(1 + i % 9), uint64_t(i));
    MakeRandomImage(images[17], 1, 1, 1, 17);
    MakeRandomImage(images[18], 24, 33, 21, 18);
    MakeRandomImage(images[19], 8, 1024, 1024, 19);  // table-full clears, 12-bit codes
    MakeRandomImage(images[20], 24, 33, 21, 20);     // the second frame of a sequence
    std::vector<std::string> files;
    for (int i = 0; i < 20; ++i) {
        files.push_back(TempFile("ours" + std::to_string(i) + ".gif"));
        CGifWriter writer;
        writer.m_info.SetCommentA("Kommentar");
        writer.SaveA(files.back().c_str(), images[size_t(i)]);
        ASSERT_TRUE(indexed[size_t(i)].QuantizeFrom(images[size_t(i)]));
    }
    PillowToRgb(files);
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string q = "'" + files[i] + "'";
        EXPECT_TRUE(Shell("giftext " + q)) << q;
        ASSERT_TRUE(Shell("gif2rgb -1 -o " + q + ".g2r " + q)) << q;
        EXPECT_EQ(Differences(ColoursOf(indexed[i], false), FromRgb(ReadFile(files[i] + ".g2r"))), 0) << q;
        EXPECT_EQ(Differences(ColoursOf(indexed[i], false), FromRgb(ReadFile(files[i] + ".rgb"))), 0) << q;
    }

    CGraphicsImage* list[] = {&images[18], &images[20]};
    const std::string sequence = TempFile("sequence.gif");
    CGifWriter writer;
    writer.SaveSequenceA(sequence.c_str(), list, 2);
    EXPECT_TRUE(Shell("giftext '" + sequence + "'"));
    PillowToRgb({sequence}, 1);
    ASSERT_TRUE(indexed[20].QuantizeFrom(images[20]));
    EXPECT_EQ(Differences(ColoursOf(indexed[20], false), FromRgb(ReadFile(sequence + ".rgb"))), 0);
}

}  // namespace
