// TIFF cross-checks made at test time: files of libtiff's tiffcp,
// ImageMagick and Pillow (libtiff's modified Huffman) decode here to the
// pixels ImageMagick decodes; our files pass tiffinfo without a word, equal
// their libtiff-written twins in tiffcmp and decode there to our pixels.
// Native build only; a missing peer skips.
#include "graphics/formats/tiff_reader.h"
#include "graphics/formats/tiff_writer.h"
#include "graphics/formats/tiff_writer_seam.h"
#include "graphics/image.h"
#include "tests/graphics/codec_test_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace codec_test;

namespace {

bool Have(const char* program)
{
    return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

#define REQUIRE_PEERS()                                                             \
    if (!Have("tiffcp") || !Have("convert") || !Have("tiffinfo") || !Have("tiffcmp")) \
    GTEST_SKIP() << "libtiff-tools or ImageMagick is not installed"

// Runs a shell command; its stdout and stderr together, and its status.
std::string Shell(const std::string& command, int* status)
{
    std::string out;
    if (std::FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        *status = pclose(pipe);
    }
    return out;
}

std::string Path(const std::string& name)
{
    return TempFile(name);
}

// ImageMagick's decode as 8-bit RGB.
Bytes PeerRgb(const std::string& file)
{
    int status = 0;
    const std::string out = Shell("convert '" + file + "' -depth 8 rgb:-", &status);
    EXPECT_EQ(0, status) << file;
    return Bytes(out.begin(), out.end());
}

// Our decode against ImageMagick's; palettes may differ by one in rounding
// of their 16-bit entries.
void ExpectSamePixels(const std::string& file, int tolerance)
{
    CTiffReader reader;
    CGraphicsImage image;
    try {
        reader.LoadA(file.c_str(), image);
    } catch (const EGraphicsException& e) {
        ADD_FAILURE() << file << ": " << e.text;
        return;
    }
    EXPECT_LE(MaxChannelDifference(image, PeerRgb(file)), tolerance) << file;
}

struct Source {
    const char* name;
    const char* convert;  // ImageMagick options making it from the sample
    bool predictor;       // 8-bit samples: tiffcp writes lzw:2
    int tolerance;
};

const Source kSources[] = {
    {"rgb", "-type TrueColor", true, 0},
    {"rgba", "-alpha set -channel A -evaluate set 60% +channel", true, 0},
    {"grey8", "-colorspace gray", true, 0},
    {"grey4", "-colorspace gray -depth 4", false, 0},
    {"palette", "-colors 40 -type Palette", true, 1},
    {"bilevel1", "-monochrome -depth 1", false, 0},
    {"bilevel0", "-monochrome -depth 1 -define quantum:polarity=min-is-white", false, 0},
};

std::string MakeSample()
{
    const std::string sample = Path("peer-sample.png");
    int status = 0;
    Shell("convert -size 61x37 plasma:fractal -seed 7 -depth 8 '" + sample + "'", &status);
    EXPECT_EQ(0, status);
    return sample;
}

// Every source through tiffcp's compressions, byte orders and strip sizes.
TEST(TiffPeer, TiffcpMatrixDecodesAsImageMagickDoes)
{
    REQUIRE_PEERS();
    const std::string sample = MakeSample();
    const char* const layouts[] = {"-L", "-B -r 7", "-L -r 1"};
    for (const Source& s : kSources) {
        const std::string base = Path(std::string(s.name) + ".tif");
        int status = 0;
        Shell("convert '" + sample + "' " + s.convert + " -depth " + (std::string(s.name) == "grey4" ? "4" : "8") +
                " -compress none '" + base + "'",
            &status);
        ASSERT_EQ(0, status) << s.name;
        ExpectSamePixels(base, s.tolerance);  // ImageMagick's own single strip
        for (const char* compression : {"none", "lzw", "lzw:2", "packbits"})
            for (const char* layout : layouts) {
                // libtiff writes no predictor for samples below 8 bits.
                if (std::string(compression) == "lzw:2" && !s.predictor)
                    continue;
                const std::string file = Path(std::string(s.name) + "-" + compression + layout + ".tif");
                Shell(std::string("tiffcp -c ") + compression + " " + layout + " '" + base + "' '" + file + "'", &status);
                ASSERT_EQ(0, status) << file;
                ExpectSamePixels(file, s.tolerance);
            }
    }
}

// Modified Huffman written by libtiff (through Pillow), in both photometric
// senses and both fill orders, noise and long runs (make-up codes).
TEST(TiffPeer, ModifiedHuffmanDecodesAsImageMagickDoes)
{
    REQUIRE_PEERS();
    int status = 0;
    Shell("/usr/bin/python3 -c 'import PIL'", &status);
    if (status != 0)
        GTEST_SKIP() << "Pillow is not installed";
    const std::string bilevel = Path("fax-source.tif");
    Shell("convert -size 3000x30 xc:white -fill black -draw 'rectangle 100,3 2900,10' \\( -size 3000x12 xc: +noise "
        "Random -threshold 50% \\) -append -monochrome -depth 1 -compress none '" + bilevel + "'",
        &status);
    ASSERT_EQ(0, status);
    const std::string fax = Path("fax.tif");
    Shell("/usr/bin/python3 -c \"from PIL import Image; Image.open('" + bilevel + "').convert('1').save('" + fax +
            "', compression='tiff_ccitt')\"",
        &status);
    ASSERT_EQ(0, status);
    ExpectSamePixels(fax, 0);
    const std::string whiteIsZero = Path("fax0.tif"), mirrored = Path("fax-lsb.tif");
    Shell("cp '" + fax + "' '" + whiteIsZero + "' && tiffset -s 262 0 '" + whiteIsZero + "'", &status);
    ExpectSamePixels(whiteIsZero, 0);
    Shell("tiffcp -f lsb2msb '" + fax + "' '" + mirrored + "'", &status);
    ExpectSamePixels(mirrored, 0);
}

// Our files at every depth and compression: tiffinfo says nothing, libtiff
// reads every strip, the twin tiffcp writes holds the same pixels, and
// ImageMagick decodes our pixels.
TEST(TiffPeer, PeersReadOurFiles)
{
    REQUIRE_PEERS();
    for (const uint32_t bits : {1u, 4u, 8u, 16u, 24u, 32u})
        for (const uint32_t compression : {1u, 5u, 32773u}) {
            CGraphicsImage image;
            // 700 rows of 1-bit images make three strips; 24-bit rows of 900
            // bytes nine rows each, with the LZW table cleared within them.
            MakeRandomImage(image, bits, 300, bits == 1 ? 700 : 60, bits + compression);
            if (bits == 1) {
                image.SetPaletteRGB(0, 255, 255, 255);  // written WhiteIsZero
                image.SetPaletteRGB(1, 0, 0, 0);
            }
            CTiffWriter writer;
            CTiffWriterSeam::SetCompression(writer, compression);
            const std::string ours = Path("ours-" + std::to_string(bits) + "-" + std::to_string(compression) + ".tif");
            writer.SaveA(ours.c_str(), image);
            int status = 0;
            EXPECT_EQ("", Shell("tiffinfo -D '" + ours + "' >/dev/null", &status)) << ours;
            EXPECT_EQ(0, status);
            const std::string twin = ours + ".twin.tif";
            EXPECT_EQ("", Shell("tiffcp -c none '" + ours + "' '" + twin + "'", &status)) << ours;
            const std::string compared = Shell("tiffcmp '" + ours + "' '" + twin + "'", &status);
            EXPECT_EQ(0, status) << compared;
            EXPECT_EQ(std::string::npos, compared.find("differ")) << compared;
            EXPECT_EQ(0, MaxChannelDifference(image, PeerRgb(ours))) << ours;
        }
}

}  // namespace
