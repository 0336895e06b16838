// make_codec_corpus FOLDER: writes the load_graphics fuzz target's seeds,
// small files of every kind the codec tests make, into FOLDER.
#include "tests/graphics/codec_test_files.h"

#include <png.h>

#include <cstdio>
#include <cstddef>
#include <string>

using namespace codec_test;

namespace {

PngSpec Png(int colorType, int bitDepth, bool interlace, uint64_t seed)
{
    PngSpec spec;
    spec.width = 13;
    spec.height = 7;
    spec.colorType = colorType;
    spec.bitDepth = bitDepth;
    spec.interlace = interlace;
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        for (int i = 0; i < (1 << bitDepth); ++i)
            spec.palette.push_back({uint8_t(i * 40), uint8_t(255 - i), uint8_t(i * 3)});
    }
    FillRandomRows(spec, seed);
    return spec;
}

JpegSpec Jpeg(JpegKind kind, bool progressive, bool subsample)
{
    JpegSpec spec;
    spec.width = 24;
    spec.height = 16;
    spec.kind = kind;
    spec.progressive = progressive;
    spec.subsample = subsample;
    spec.quality = 50;
    FillSamples(spec, 7);
    return spec;
}

// The bytes of a literal, zeros included, without its terminating NUL.
template <size_t N>
Bytes Text(const char (&text)[N])
{
    return Bytes(text, text + N - 1);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_codec_corpus FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    auto write = [&](const char* name, const Bytes& bytes) { WriteFile(folder + "/" + name, bytes); };

    write("grey1.png", EncodePng(Png(PNG_COLOR_TYPE_GRAY, 1, false, 1)));
    write("grey2-interlaced.png", EncodePng(Png(PNG_COLOR_TYPE_GRAY, 2, true, 2)));
    write("grey16.png", EncodePng(Png(PNG_COLOR_TYPE_GRAY, 16, false, 3)));
    write("grey-alpha.png", EncodePng(Png(PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, 4)));
    write("rgb.png", EncodePng(Png(PNG_COLOR_TYPE_RGB, 8, false, 5)));
    write("rgba-interlaced.png", EncodePng(Png(PNG_COLOR_TYPE_RGB_ALPHA, 8, true, 6)));
    write("rgb16.png", EncodePng(Png(PNG_COLOR_TYPE_RGB, 16, false, 7)));
    PngSpec palette = Png(PNG_COLOR_TYPE_PALETTE, 4, false, 8);
    palette.alpha = {255, 0, 128};
    palette.texts = {{"Title", "t"}, {"Comment", "N 48 E 11"}};
    write("palette-trns.png", EncodePng(palette));
    PngSpec uniform = Png(PNG_COLOR_TYPE_PALETTE, 8, false, 9);
    uniform.palette.assign(256, PngRgb{9, 9, 9});
    write("palette-uniform.png", EncodePng(uniform));

    write("colour.jpg", EncodeJpeg(Jpeg(JpegKind::Colour, false, true)));
    write("progressive.jpg", EncodeJpeg(Jpeg(JpegKind::Colour, true, true)));
    write("grey.jpg", EncodeJpeg(Jpeg(JpegKind::Grey, false, false)));
    JpegSpec comments = Jpeg(JpegKind::Colour, false, false);
    comments.comments = {Text("ab"), Text("cd")};
    write("comments.jpg", EncodeJpeg(comments));
    write("cmyk.jpg", EncodeJpeg(Jpeg(JpegKind::Cmyk, false, false)));

    // Headers of the formats that join the table later.
    write("gif-header", Text("GIF89a\x01\x00\x01\x00\x80\x00\x00"));
    write("bmp-header", Text("BM\x3A\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00"));
    write("ico-header", Text("\x00\x00\x01\x00\x01\x00\x10\x10"));
    write("xpm", Text("/* XPM */\nstatic char *x[] = {\n\"1 1 1 1\",\n\"a c #FF0000\",\n\"a\"};\n"));
    write("pnm", Text("P6\n2 1\n255\n\xFF\x00\x00\x00\xFF\x00"));
    write("eps", Text("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 1 1\n"));
    write("tiff-header", Text("II*\x00\x08\x00\x00\x00"));
    write("tls-header", Text("TLSP"));
    return 0;
}
