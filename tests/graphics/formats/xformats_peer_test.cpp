// Cross-checks of PNM, XPM and XWD with netpbm, ImageMagick, Pillow and the
// X server's own dumps, made at test time: peer files decode here to the
// pixels ImageMagick decodes, and our files decode there to ours. Native
// build only; a missing peer skips its test.
#include "graphics/formats/pnm_reader.h"
#include "graphics/formats/pnm_writer.h"
#include "graphics/formats/xpm_reader.h"
#include "graphics/formats/xpm_writer.h"
#include "graphics/formats/xwd_reader.h"
#include "graphics/formats/xwd_writer.h"
#include "tests/graphics/formats/xformats_test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace codec_test;
using namespace xformats_test;

namespace {

bool Have(const std::string& programs)
{
    return std::system(("for p in " + programs + "; do command -v $p; done >/dev/null 2>&1").c_str()) == 0;
}

#define REQUIRE_PEERS(programs) \
    if (!Have(programs)) GTEST_SKIP() << "one of " << programs << " is missing"

std::string Q(const std::string& path)
{
    return "'" + path + "'";
}

bool Shell(const std::string& command)
{
    const int status = std::system(("(" + command + ") 2>/dev/null").c_str());
    EXPECT_EQ(status, 0) << command;
    return status == 0;
}

// What a peer decodes: the command writes 8-bit RGB samples to stdout.
Colours PeerRgb(const std::string& command)
{
    const std::string raw = TempFile("peer.rgb");
    Colours out;
    if (!Shell(command + " > " + Q(raw))) return out;
    const Bytes b = ReadFile(raw);
    for (size_t i = 0; i + 2 < b.size(); i += 3)
        out.push_back(0xFF000000 | uint32_t(b[i]) << 16 | uint32_t(b[i + 1]) << 8 | b[i + 2]);
    return out;
}

Colours Magick(const std::string& file)
{
    return PeerRgb("convert " + Q(file) + " -depth 8 RGB:-");
}

// Each channel within `tolerance`; the count of pixels outside it, -1 for other counts.
int64_t Outside(const Colours& a, const Colours& b, int tolerance)
{
    if (a.size() != b.size()) return -1;
    int64_t n = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8)
            if (std::abs(int(a[i] >> shift & 0xFF) - int(b[i] >> shift & 0xFF)) > tolerance) {
                ++n;
                break;
            }
    return n;
}

// Scaling 16-bit samples, ImageMagick at times rounds down where we round to
// nearest: one step apart.
template <class Reader>
void ExpectReadsLikeMagick(const std::string& file, int tolerance = 1)
{
    SCOPED_TRACE(file);
    CGraphicsImage image;
    ASSERT_EQ(TryRead<Reader>(ReadFile(file), image), "");
    EXPECT_EQ(Outside(ColoursOf(image, false), Magick(file), tolerance), 0);
}

// A colourful source image made by ImageMagick.
std::string Source(const char* name = "source.png", const char* size = "29x17")
{
    const std::string png = TempFile(name);
    Shell(std::string("convert -size ") + size + " gradient:'#ff8000'-'#2040c0' -swirl 120 " + Q(png));
    return png;
}

TEST(PnmPeers, NetpbmAndMagickFilesReadAsMagickReadsThem)
{
    REQUIRE_PEERS("convert pngtopam pamtopnm ppmtopgm pgmtopbm pamdepth");
    const std::string png = Source(), base = TempFile("peer");
    const std::string ppm = Q(base + ".ppm"), pgm = Q(base + ".pgm"), pbm = Q(base + ".pbm");
    ASSERT_TRUE(Shell("pngtopam " + Q(png) + " > " + ppm + " && ppmtopgm " + ppm + " > " + pgm + " && pgmtopbm " + pgm +
                      " > " + pbm));
    const std::pair<const char*, std::string> made[] = {
        {"raw.ppm", "cat " + ppm},       {"raw.pgm", "cat " + pgm},          {"raw.pbm", "cat " + pbm},
        {"plain.ppm", "pamtopnm -plain " + ppm},   {"plain.pgm", "pamtopnm -plain " + pgm},
        {"plain.pbm", "pamtopnm -plain " + pbm},   {"15.pgm", "pamdepth 15 " + pgm},
        {"15-plain.ppm", "pamdepth 15 " + ppm + " | pamtopnm -plain"},
        {"65535.ppm", "pamdepth 65535 " + ppm},    {"65535.pgm", "pamdepth 65535 " + pgm},
        {"65535-plain.pgm", "pamdepth 65535 " + pgm + " | pamtopnm -plain"},
        {"1.pgm", "pamdepth 1 " + pgm},
        {"magick.ppm", "convert " + Q(png) + " ppm:-"},       {"magick.pgm", "convert " + Q(png) + " pgm:-"},
        {"magick.pbm", "convert " + Q(png) + " pbm:-"},
        {"magick-plain.ppm", "convert " + Q(png) + " -compress none ppm:-"},
        {"magick16.ppm", "convert " + Q(png) + " -depth 16 ppm:-"},
    };
    for (const auto& [name, command] : made) {
        const std::string file = TempFile(name);
        ASSERT_TRUE(Shell(command + " > " + Q(file)));
        ExpectReadsLikeMagick<CPnmReader>(file);
    }
}

// Samples above 8 bits round to nearest as netpbm's pamdepth does: our read
// of its 16-bit and 10-bit files equals our read of its 8-bit reduction.
TEST(PnmPeers, WideSamplesRoundAsNetpbmDoes)
{
    REQUIRE_PEERS("convert pngtopam pamdepth");
    const std::string png = Source("round.png", "61x23");
    for (const char* maxval : {"65535", "1023"}) {
        const std::string wide = TempFile(std::string("wide-") + maxval + ".ppm"), narrow = wide + ".8.ppm";
        ASSERT_TRUE(Shell("pngtopam " + Q(png) + " | pamdepth " + maxval + " > " + Q(wide) + " && pamdepth 255 " +
                          Q(wide) + " > " + Q(narrow)));
        CGraphicsImage ours, theirs;
        ASSERT_EQ(TryRead<CPnmReader>(ReadFile(wide), ours), "");
        ASSERT_EQ(TryRead<CPnmReader>(ReadFile(narrow), theirs), "");
        EXPECT_EQ(ColoursOf(ours, false), ColoursOf(theirs, false)) << maxval;
    }
}

TEST(PnmPeers, OurFilesReadInNetpbmMagickAndPillow)
{
    REQUIRE_PEERS("convert pamfile pamtopnm python3");
    for (uint32_t bits : {1u, 24u}) {
        CGraphicsImage image;
        MakeRandomImage(image, bits, 19, 11, bits);
        if (bits == 1) image.SetPaletteRGB(0, 0, 0, 0), image.SetPaletteRGB(1, 255, 255, 255);
        const std::string file = TempFile(bits == 1 ? "ours.pbm" : "ours.ppm");
        WriteFile(file, TryWrite<CPnmWriter>(image));
        const Colours ours = ColoursOf(image, false);
        EXPECT_TRUE(Shell("pamfile " + Q(file) + " | grep -q '19 by 11'"));
        EXPECT_EQ(PeerRgb("pamtopnm " + Q(file) + " | convert - -depth 8 RGB:-"), ours) << bits;
        EXPECT_EQ(PeerRgb("/usr/bin/python3 -c 'import sys; from PIL import Image; "
                          "sys.stdout.buffer.write(Image.open(sys.argv[1]).convert(\"RGB\").tobytes())' " + Q(file)),
                  ours)
            << bits;
    }
}

TEST(XpmPeers, PeerFilesAndOursBothWays)
{
    REQUIRE_PEERS("convert pngtopam ppmtoxpm xpmtoppm");
    const std::string png = Source(), xpm = TempFile("netpbm.xpm"), magick = TempFile("magick.xpm");
    ASSERT_TRUE(Shell("pngtopam " + Q(png) + " | ppmtoxpm > " + Q(xpm)));
    ASSERT_TRUE(Shell("convert " + Q(png) + " -colors 200 " + Q(magick)));
    ExpectReadsLikeMagick<CXpmReader>(xpm);
    ExpectReadsLikeMagick<CXpmReader>(magick);

    for (uint32_t bits : {8u, 24u}) {
        CGraphicsImage image;
        MakeRandomImage(image, bits, 23, 9, bits);
        const std::string ours = TempFile("ours.xpm");
        WriteFile(ours, TryWrite<CXpmWriter>(image));
        EXPECT_EQ(PeerRgb("xpmtoppm " + Q(ours) + " | convert - -depth 8 RGB:-"), ColoursOf(image, false)) << bits;
        EXPECT_EQ(Magick(ours), ColoursOf(image, false)) << bits;
    }
}

// Dumps of a live X server at each depth, with a window of two colours on
// its root; ImageMagick widens 5- and 6-bit channels its own way.
TEST(XwdPeers, XvfbDumpsAtEachDepth)
{
    REQUIRE_PEERS("convert Xvfb xwd xlogo");
    const int display = 200 + int(getpid() % 500);
    for (int depth : {8, 16, 24}) {
        const std::string dump = TempFile("xvfb" + std::to_string(depth) + ".xwd"), d = ":" + std::to_string(display);
        ASSERT_TRUE(Shell("Xvfb " + d + " -screen 0 64x48x" + std::to_string(depth) +
                          " -nolisten tcp >/dev/null 2>&1 & x=$!; xlogo -display " + d +
                          " -geometry 40x30+5+5 -bg '#ff8000' -fg '#0040c0' >/dev/null 2>&1 & l=$!; "
                          "for i in $(seq 50); do sleep 0.1; xwd -root -silent -display " + d + " > " + Q(dump) +
                          " && break; done; sleep 0.5; xwd -root -silent -display " + d + " > " + Q(dump) +
                          "; r=$?; kill $l $x; wait $x; exit $r"));
        ExpectReadsLikeMagick<CXwdReader>(dump, depth == 16 ? 8 : 1);
    }
}

TEST(XwdPeers, MagickDumpsAndOursBothWays)
{
    REQUIRE_PEERS("convert");
    const std::string png = Source(), magick = TempFile("magick.xwd"), grey = TempFile("magick-grey.xwd");
    ASSERT_TRUE(Shell("convert " + Q(png) + " " + Q(magick) + " && convert " + Q(png) + " -colorspace gray " + Q(grey)));
    ExpectReadsLikeMagick<CXwdReader>(magick);
    ExpectReadsLikeMagick<CXwdReader>(grey);
    for (uint32_t bits : {1u, 8u, 24u, 32u}) {
        CGraphicsImage image;
        MakeRandomImage(image, bits, 21, 13, bits);
        const std::string ours = TempFile("ours.xwd");
        WriteFile(ours, TryWrite<CXwdWriter>(image));
        EXPECT_EQ(Magick(ours), ColoursOf(image, false)) << bits;
    }
}

}  // namespace
