// imgconv's conversion of one file: a picture's alpha survives where the
// target format stores it, and a TLS file that lost colours is warned about
// without changing the result.
#include "examples/imgconv/imgconv_convert.h"
#include "graphics/formats/bmp_writer.h"
#include "graphics/formats/format_dispatch.h"
#include "graphics/formats/png_writer.h"
#include "graphics/formats/tls_writer.h"
#include "graphics/image.h"
#include "tests/graphics/formats/codec_test_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>

using namespace codec_test;

namespace {

constexpr uint32_t kWidth = 9;
constexpr uint32_t kHeight = 5;

// The source pictures, each written by the library's own writer.
enum class Source { RgbaPng, AlphaBmp, Tls32, ManyColourPalette, EightColourPalette };

void MakeSource(Source source, CGraphicsImage& image, const std::string& path)
{
    switch (source) {
    case Source::RgbaPng:
        MakeRandomImage(image, 32, kWidth, kHeight, 1);
        CPngWriter().SaveWithAlphaA(path.c_str(), image, kPngOptionAlpha);
        break;
    case Source::AlphaBmp:
        MakeRandomImage(image, 32, kWidth, kHeight, 2);
        CBmpWriter().SaveWithAlphaA(path.c_str(), image, kBmpWithAlpha);
        break;
    case Source::Tls32:
        MakeRandomImage(image, 32, kWidth, kHeight, 3);
        CTlsWriter().SaveA(path.c_str(), image);
        break;
    case Source::ManyColourPalette:
        MakeRandomImage(image, 8, kWidth, kHeight, 4);
        CPngWriter().SaveA(path.c_str(), image);
        break;
    case Source::EightColourPalette:
        // Every entry one of the colours a TLS pixel can show.
        MakeRandomImage(image, 8, kWidth, kHeight, 5);
        for (uint32_t i = 0; i < 256; ++i)
            image.SetPaletteEntry(i, (i & 1 ? 0xFF0000 : 0) | (i & 2 ? 0xFF00 : 0) | (i & 4 ? 0xFF : 0));
        CPngWriter().SaveA(path.c_str(), image);
        break;
    }
}

// What a conversion gave: its result, the depth the written file loads
// with, whether it came back with the source's pixels alpha included, and
// whether a warning was written.
using Outcome = std::tuple<int, uint32_t, bool, bool>;

struct ConvertCase {
    const char* name;
    Source source;
    const char* target;
    Outcome expected;
};

const ConvertCase kCases[] = {
    {"RGBA PNG to PNG keeps alpha", Source::RgbaPng, "out.png", {0, 32, true, false}},
    {"RGBA PNG to BMP keeps alpha", Source::RgbaPng, "out.bmp", {0, 32, true, false}},
    {"BMP with alpha to PNG keeps alpha", Source::AlphaBmp, "out.png", {0, 32, true, false}},
    {"32-bit TLS: its fourth bytes are no alpha", Source::Tls32, "out.png", {0, 24, false, false}},
    {"RGBA PNG to TLS: 32 bits, colours kept", Source::RgbaPng, "out.tlsp", {0, 32, false, false}},
    {"a palette of many colours to TLS: warned", Source::ManyColourPalette, "out.tlsp", {0, 8, false, true}},
    {"a palette of the eight colours to TLS", Source::EightColourPalette, "out.tlsp", {0, 8, false, false}},
};

std::string ReadAll(std::FILE* file)
{
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += char(c);
    return text;
}

TEST(ImgconvConvert, KeepsAlphaAndWarnsOfLostColours)
{
    for (const ConvertCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::string in = TempFile("imgconv-in"), out = TempFile(c.target);
        std::remove(out.c_str());
        CGraphicsImage source;
        MakeSource(c.source, source, in);
        std::FILE* info = std::fopen(TempFile("imgconv-info.txt").c_str(), "w+b");
        std::FILE* errors = std::fopen(TempFile("imgconv-errors.txt").c_str(), "w+b");
        ASSERT_TRUE(info && errors);
        const int status = ConvertImageFile(in.c_str(), out.c_str(), nullptr, info, errors);
        const std::string warnings = ReadAll(errors);
        std::fclose(info);
        std::fclose(errors);

        CGraphicsImage back;
        ASSERT_EQ(LoadGraphicsFile(out.c_str(), back), kLoadOk);
        const bool sameWithAlpha = back.m_nBitCount == 32 && ColoursOf(back) == ColoursOf(source);
        EXPECT_EQ(Outcome(status, back.m_nBitCount, sameWithAlpha, !warnings.empty()), c.expected) << warnings;
        if (!warnings.empty()) {
            EXPECT_EQ(warnings, out + ": warning: colours lost: TLS stores images of 8 bits or less as eight colours\n");
        }
    }
}

}  // namespace
