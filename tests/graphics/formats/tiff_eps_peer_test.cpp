// TIFF and EPS cross-checks made at test time: files of libtiff's tiffcp,
// ImageMagick and Pillow (libtiff's modified Huffman) decode here to the
// pixels ImageMagick decodes; our files pass tiffinfo without a word, equal
// their libtiff-written twins in tiffcmp and decode there to our pixels.
// Ghostscript renders our EPS files as the images they hold; netpbm's
// pnmtops hex images and a DOS EPS with an ImageMagick TIFF preview read
// here as their sources. Native build only; a missing peer skips.
#include "graphics/formats/eps_reader.h"
#include "graphics/formats/eps_writer.h"
#include "graphics/formats/tiff_reader.h"
#include "graphics/formats/tiff_writer.h"
#include "graphics/formats/tiff_writer_seam.h"
#include "graphics/image.h"
#include "tests/graphics/formats/codec_test_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
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

// The largest difference of a colour channel between an image and RGB samples.
int MaxChannelDifference(const CGraphicsImage& image, const Bytes& rgb)
{
    const Colours colours = ColoursOf(image, false);
    if (rgb.size() != colours.size() * 3)
        return 256;
    int worst = 0;
    for (size_t i = 0; i < colours.size(); ++i)
        for (int c = 0; c < 3; ++c)
            worst = std::max(worst, std::abs(int(rgb[3 * i + c]) - int((colours[i] >> (16 - 8 * c)) & 0xFF)));
    return worst;
}

// ImageMagick's decode as 8-bit RGB.
Bytes PeerRgb(const std::string& file)
{
    int status = 0;
    // Quiet: libtiff's warnings (unknown tags) would mix with the pixels.
    const std::string out = Shell("convert -quiet '" + file + "' -depth 8 rgb:-", &status);
    EXPECT_EQ(0, status) << file;
    return Bytes(out.begin(), out.end());
}

// Our decode against ImageMagick's (of `reference`, by default the file
// itself); TIFF palettes may differ by one in rounding of their 16-bit entries.
template <class Reader = CTiffReader>
void ExpectSamePixels(const std::string& file, int tolerance, const std::string& reference = "")
{
    Reader reader;
    CGraphicsImage image;
    try {
        reader.LoadA(file.c_str(), image);
    } catch (const EGraphicsException& e) {
        ADD_FAILURE() << file << ": " << e.text;
        return;
    }
    EXPECT_LE(MaxChannelDifference(image, PeerRgb(reference.empty() ? file : reference)), tolerance) << file;
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
    // A small WhiteIsZero page whose last row is one byte, with a second
    // page and a private tag: libtiff puts its 19-byte strip at offset 8.
    const std::string small = Path("fax-small.tif");
    Shell("/usr/bin/python3 -c \"from PIL import Image; im = Image.new('1', (10, 10), 0); "
          "[im.putpixel((i, i), 1) for i in range(9)]; im.save('" + small + "', compression='tiff_ccitt', "
          "save_all=True, append_images=[Image.new('1', (10, 10), 1)], tiffinfo={40000: 'private'})\" && "
          "tiffset -s 262 0 '" + small + "'",
        &status);
    ASSERT_EQ(0, status);
    ExpectSamePixels(small, 0, small + "[0]");  // the first page
}

// Our files at every depth and compression: tiffinfo says nothing, libtiff
// reads every strip, the twin tiffcp writes holds the same pixels, and
// ImageMagick decodes our pixels.
// Flat images make long LZW strings: the last rows of a strip may come
// wholly from a string or from codes the decoder has already taken in, after
// the strip's last byte has been read.
TEST(TiffPeer, LzwStripsEndingInsideAStringDecodeAsImageMagickDoes)
{
    REQUIRE_PEERS();
    const struct {
        int width, height;
        const char* options;
    } cases[] = {
        {1, 5, "-type Grayscale"}, {1, 33, "-type Grayscale"}, {3, 64, "-type Grayscale"},
        {8, 64, "-type Grayscale"}, {1, 100, "-type Grayscale"}, {5, 40, "-type TrueColor"},
        {2, 77, "-type TrueColor -define tiff:predictor=1"},
    };
    for (const auto& c : cases) {
        const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
        const std::string file = Path("flat-" + size + ".tif");
        int status = 0;
        Shell("convert -size " + size + " xc:white -depth 8 " + c.options + " -compress LZW '" + file + "'", &status);
        ASSERT_EQ(0, status) << size;
        ExpectSamePixels(file, 0);
    }
}

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

// Palettes shorter than their depth: the ColorMap still has 2^bits entries,
// so libtiff takes it without a word and ImageMagick shows our colours.
TEST(TiffPeer, ShortPalettesKeepTheirColours)
{
    REQUIRE_PEERS();
    for (const auto& [bits, entries] : {std::pair{8u, 40u}, std::pair{4u, 5u}}) {
        CGraphicsImage image;
        MakeRandomImage(image, bits, 31, 9, bits * entries);
        image.m_nPaletteSize = entries;
        for (uint32_t y = 0; y < 9; ++y)
            for (uint32_t x = 0; x < 31; ++x)
                image.m_pfnSetPixel(image.RowAt(int(y)), int(x), (x + y) % entries);
        const std::string ours = Path("short-palette-" + std::to_string(bits) + ".tif");
        CTiffWriter().SaveA(ours.c_str(), image);
        int status = 0;
        EXPECT_EQ("", Shell("tiffinfo -D '" + ours + "' >/dev/null", &status)) << ours;
        EXPECT_EQ(0, MaxChannelDifference(image, PeerRgb(ours))) << ours;
    }
}

// ------------------------------------------------------------------ EPS --

// At 2834 pixels per metre a pixel is a point: rendered at 72 dpi and cut
// to the bounding box, the page is the image (its one-pixel border may be
// blended).
TEST(EpsPeer, GhostscriptRendersOurFiles)
{
    if (!Have("gs") || !Have("convert"))
        GTEST_SKIP() << "Ghostscript or ImageMagick is not installed";
    for (const uint32_t bits : {1u, 8u, 24u}) {
        CGraphicsImage image;
        MakeRandomImage(image, bits, 40, 23, bits);
        if (bits == 1) {
            image.SetPaletteRGB(0, 255, 255, 255);
            image.SetPaletteRGB(1, 0, 0, 0);
        }
        if (bits == 8)
            for (uint32_t i = 0; i < 256; ++i)
                image.SetPaletteRGB(i, uint8_t(i), uint8_t(i), uint8_t(i));
        CEpsWriter writer;
        writer.m_nXResolution = writer.m_nYResolution = 2834;
        const std::string eps = Path("gs-" + std::to_string(bits) + ".eps"), png = eps + ".png";
        writer.SaveA(eps.c_str(), image);
        int status = 0;
        EXPECT_EQ("", Shell("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r72 -dEPSCrop -sOutputFile='" + png +
                                "' '" + eps + "'",
                            &status));
        ASSERT_EQ(0, status);
        const Bytes rendered = PeerRgb(png);
        ASSERT_EQ(size_t(40 * 23 * 3), rendered.size()) << "the page is not the image's size";
        int worst = 0;
        for (int y = 1; y < 22; ++y)
            for (int x = 1; x < 39; ++x) {
                const uint32_t c = ColourAt(image, x, y);
                const uint8_t* r = &rendered[size_t(y * 40 + x) * 3];
                for (int i = 0; i < 3; ++i)
                    worst = std::max(worst, std::abs(int(r[i]) - int((c >> (16 - 8 * i)) & 0xFF)));
            }
        EXPECT_EQ(0, worst) << bits;
    }
}

// netpbm's hex images: pnmtops writes "image" for PBM and PGM, "true 3
// colorimage" for PPM.
TEST(EpsPeer, PnmtopsImagesReadAsTheirSources)
{
    if (!Have("pnmtops") || !Have("convert"))
        GTEST_SKIP() << "netpbm or ImageMagick is not installed";
    const std::string sample = MakeSample();
    for (const char* kind : {"ppm", "pgm", "pbm"}) {
        const std::string pnm = Path(std::string("sample.") + kind), eps = pnm + ".eps";
        int status = 0;
        Shell("convert '" + sample + "' " + (std::string(kind) == "pbm" ? "-monochrome " : "") + "'" + pnm + "'",
              &status);
        ASSERT_EQ(0, status);
        Shell(std::string("(pnmtops -noturn -level ") + (std::string(kind) == "ppm" ? "2" : "1") + " '" + pnm +
                  "' 2>/dev/null) > '" + eps + "'",
              &status);
        ASSERT_EQ(0, status);
        ExpectSamePixels<CEpsReader>(eps, 0, pnm);
    }
}

// ImageMagick writes DOS EPS ("ept:") with a TIFF preview where its security
// policy allows; otherwise the file is put together as it would write it:
// the 32-byte header, pnmtops' PostScript, ImageMagick's TIFF.
TEST(EpsPeer, DosEpsWithTiffPreview)
{
    REQUIRE_PEERS();
    const std::string sample = MakeSample(), eps = Path("sample-dos.eps"), preview = Path("sample-preview.tif");
    int status = 0;
    Shell("convert '" + sample + "' ept:'" + eps + "'", &status);
    if (status != 0) {
        const std::string ps = Path("sample-dos.ps"), ppm = Path("sample-dos.ppm");
        Shell("convert '" + sample + "' '" + ppm + "' && (pnmtops -noturn -level 2 '" + ppm + "' 2>/dev/null) > '" + ps +
                  "' && convert '" + sample + "' -compress none '" + preview + "'",
              &status);
        ASSERT_EQ(0, status);
        const Bytes psBytes = ReadFile(ps), tiff = ReadFile(preview);
        Bytes dos = {0xC5, 0xD0, 0xD3, 0xC6};
        for (const size_t v : {size_t(32), psBytes.size(), size_t(0), size_t(0), 32 + psBytes.size(), tiff.size()})
            for (int i = 0; i < 4; ++i)
                dos.push_back(uint8_t(v >> (8 * i)));
        dos.insert(dos.end(), {0xFF, 0xFF, 0xFF, 0xFF});
        dos.insert(dos.end(), psBytes.begin(), psBytes.end());
        dos.insert(dos.end(), tiff.begin(), tiff.end());
        WriteFile(eps, dos);
    }
    // The preview cut out by the header's offsets, checked by libtiff.
    const Bytes file = ReadFile(eps);
    ASSERT_GE(file.size(), 32u);
    const auto at = [&](size_t i) { return size_t(file[i] | file[i + 1] << 8 | file[i + 2] << 16 | file[i + 3] << 24); };
    ASSERT_LE(at(20) + at(24), file.size());
    WriteFile(preview, Bytes(file.begin() + long(at(20)), file.begin() + long(at(20) + at(24))));
    EXPECT_EQ("", Shell("tiffinfo '" + preview + "' >/dev/null", &status));
    ExpectSamePixels<CEpsReader>(eps, 0, preview);
}

}  // namespace
