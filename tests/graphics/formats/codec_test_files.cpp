#include "tests/graphics/formats/codec_test_files.h"

#include "graphics/formats/format_framework.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>

#include <png.h>
#include <jpeglib.h>

namespace codec_test {

// ------------------------------------------------------------------ PNG --

size_t PngChannels(int colorType)
{
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
    }
}

size_t PngRowBytes(const PngSpec& spec)
{
    return (size_t(spec.width) * PngChannels(spec.colorType) * size_t(spec.bitDepth) + 7) / 8;
}

void FillRandomRows(PngSpec& spec, uint64_t seed)
{
    lindar_test::Rng rng(seed);
    spec.rows.resize(PngRowBytes(spec) * spec.height);
    for (auto& b : spec.rows)
        b = uint8_t(rng.Next());
    if (spec.colorType != PNG_COLOR_TYPE_PALETTE || spec.palette.empty())
        return;
    // Indexes within the palette: rewrite each packed sample.
    const int bits = spec.bitDepth;
    const uint32_t mask = (1u << bits) - 1;
    for (uint32_t y = 0; y < spec.height; ++y) {
        uint8_t* row = spec.rows.data() + y * PngRowBytes(spec);
        for (uint32_t x = 0; x < spec.width; ++x) {
            const size_t bit = size_t(x) * size_t(bits);
            const int shift = 8 - bits - int(bit % 8);
            const uint32_t index = rng.Next() % spec.palette.size();
            row[bit / 8] = uint8_t((row[bit / 8] & ~(mask << shift)) | (index << shift));
        }
    }
}

namespace {

void PngAppend(png_structp png, png_bytep data, size_t length)
{
    Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void PngNoFlush(png_structp) {}

// Only plain data in this frame: libpng's errors longjmp back into it.
bool EncodePngInto(const PngSpec* spec, Bytes* out, png_structp png, png_infop info, png_textp texts,
                   png_colorp palette)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, out, PngAppend, PngNoFlush);
    png_set_IHDR(png, info, spec->width, spec->height, spec->bitDepth, spec->colorType,
                 spec->interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!spec->palette.empty())
        png_set_PLTE(png, info, palette, int(spec->palette.size()));
    if (!spec->alpha.empty())
        png_set_tRNS(png, info, spec->alpha.data(), int(spec->alpha.size()), nullptr);
    if (!spec->texts.empty())
        png_set_text(png, info, texts, int(spec->texts.size()));
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    const size_t rowBytes = PngRowBytes(*spec);
    for (int pass = 0; pass < passes; ++pass)
        for (uint32_t y = 0; y < spec->height; ++y)
            png_write_row(png, spec->rows.data() + y * rowBytes);
    png_write_end(png, info);
    return true;
}

}  // namespace

Bytes EncodePng(const PngSpec& spec)
{
    Bytes out;
    EXPECT_EQ(spec.rows.size(), PngRowBytes(spec) * spec.height);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_text> texts(spec.texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        texts[i] = {};
        texts[i].compression = PNG_TEXT_COMPRESSION_NONE;
        texts[i].key = const_cast<char*>(spec.texts[i].first.c_str());
        texts[i].text = const_cast<char*>(spec.texts[i].second.c_str());
        texts[i].text_length = spec.texts[i].second.size();
    }
    std::vector<png_color> palette(spec.palette.size());
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = {spec.palette[i].red, spec.palette[i].green, spec.palette[i].blue};
    const bool ok = EncodePngInto(&spec, &out, png, info, texts.data(), palette.data());
    png_destroy_write_struct(&png, &info);
    EXPECT_TRUE(ok) << "libpng refused the test file";
    return out;
}

size_t FindPngChunk(const Bytes& png, const char* type)
{
    size_t pos = 8;
    while (pos + 8 <= png.size()) {
        const uint32_t length = uint32_t(png[pos]) << 24 | uint32_t(png[pos + 1]) << 16 |
                                uint32_t(png[pos + 2]) << 8 | png[pos + 3];
        if (std::memcmp(png.data() + pos + 4, type, 4) == 0)
            return pos;
        pos += 12 + size_t(length);
    }
    return 0;
}

// ----------------------------------------------------------------- JPEG --

int JpegComponents(JpegKind kind)
{
    return kind == JpegKind::Grey ? 1 : kind == JpegKind::Colour ? 3 : 4;
}

void FillSamples(JpegSpec& spec, uint64_t seed)
{
    lindar_test::Rng rng(seed);
    const int n = JpegComponents(spec.kind);
    spec.samples.resize(size_t(spec.width) * spec.height * size_t(n));
    int base[4] = {int(rng.Next() % 256), int(rng.Next() % 256), int(rng.Next() % 256), int(rng.Next() % 256)};
    for (uint32_t y = 0; y < spec.height; ++y)
        for (uint32_t x = 0; x < spec.width; ++x)
            for (int c = 0; c < n; ++c) {
                const int v = base[c] + int(x * (c + 1) + y * (3 - c)) + int(rng.Next() % 9);
                spec.samples[(size_t(y) * spec.width + x) * size_t(n) + size_t(c)] = uint8_t(v & 255);
            }
}

namespace {

struct JpegTestError {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

void JpegTestExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<JpegTestError*>(cinfo->err)->jump, 1);
}

void JpegTestSilent(j_common_ptr, int) {}

bool EncodeJpegInto(const JpegSpec* spec, jpeg_compress_struct* cinfo, unsigned char** buffer,
                    unsigned long* size)
{
    if (setjmp(reinterpret_cast<JpegTestError*>(cinfo->err)->jump))
        return false;
    jpeg_create_compress(cinfo);
    jpeg_mem_dest(cinfo, buffer, size);
    cinfo->image_width = spec->width;
    cinfo->image_height = spec->height;
    cinfo->input_components = JpegComponents(spec->kind);
    cinfo->in_color_space = spec->kind == JpegKind::Grey ? JCS_GRAYSCALE
                            : spec->kind == JpegKind::Colour ? JCS_RGB
                                                              : JCS_CMYK;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, spec->quality, TRUE);
    if (spec->kind == JpegKind::Colour && !spec->subsample)
        cinfo->comp_info[0].h_samp_factor = cinfo->comp_info[0].v_samp_factor = 1;
    if (spec->progressive)
        jpeg_simple_progression(cinfo);
    jpeg_start_compress(cinfo, TRUE);
    for (const Bytes& c : spec->comments)
        jpeg_write_marker(cinfo, JPEG_COM, c.data(), unsigned(c.size()));
    const size_t stride = size_t(spec->width) * size_t(cinfo->input_components);
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(spec->samples.data() + cinfo->next_scanline * stride);
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

bool DecodeJpegInto(const Bytes* jpeg, jpeg_decompress_struct* cinfo, Colours* out)
{
    if (setjmp(reinterpret_cast<JpegTestError*>(cinfo->err)->jump))
        return false;
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, jpeg->data(), static_cast<unsigned long>(jpeg->size()));
    jpeg_read_header(cinfo, TRUE);
    cinfo->out_color_space = JCS_RGB;  // grey too
    jpeg_start_decompress(cinfo);
    Bytes row(size_t(cinfo->output_width) * 3);
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW rows = row.data();
        jpeg_read_scanlines(cinfo, &rows, 1);
        for (size_t i = 0; i < row.size(); i += 3)
            out->push_back(0xFF000000u | uint32_t(row[i]) << 16 | uint32_t(row[i + 1]) << 8 | row[i + 2]);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

}  // namespace

Bytes EncodeJpeg(const JpegSpec& spec)
{
    EXPECT_EQ(spec.samples.size(), size_t(spec.width) * spec.height * size_t(JpegComponents(spec.kind)));
    JpegTestError err;
    jpeg_compress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegTestExit;
    err.pub.emit_message = JpegTestSilent;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const bool ok = EncodeJpegInto(&spec, &cinfo, &buffer, &size);
    jpeg_destroy_compress(&cinfo);
    Bytes out;
    if (ok && buffer)
        out.assign(buffer, buffer + size);
    std::free(buffer);
    EXPECT_TRUE(ok) << "libjpeg refused the test file";
    return out;
}

Colours DecodeJpegReference(const Bytes& jpeg)
{
    JpegTestError err;
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegTestExit;
    err.pub.emit_message = JpegTestSilent;
    Colours out;
    const bool ok = DecodeJpegInto(&jpeg, &cinfo, &out);
    jpeg_destroy_decompress(&cinfo);
    if (!ok)
        out.clear();
    return out;
}

// ------------------------------------------------------------- streams --

void ReadFromMemory(CGraphicsReader& reader, const Bytes& bytes, CGraphicsImage& image)
{
    // LINDAR_FUZZ_SEEDS=folder: each file a reader test decodes becomes a fuzz
    // seed there, named by its hash.
    if (const char* seeds = std::getenv("LINDAR_FUZZ_SEEDS"); seeds && *seeds)
        WriteFile(std::string(seeds) + "/" + std::to_string(std::hash<std::string>()(std::string(bytes.begin(), bytes.end()))),
                  bytes);
    CBufferedStream stream(kFormatStreamBufferSize);
    static const uint8_t kNothing = 0;
    ASSERT_TRUE(stream.OpenMemory(bytes.empty() ? &kNothing : bytes.data(), int32_t(bytes.size()),
                                  CBufferedStream::kModeRead, nullptr));
    reader.Read(stream, image);
}

std::string TempFile(const std::string& name)
{
    return lindar_test::TempDir() + "/" + name;
}

void WriteFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes WriteToBytes(CGraphicsWriter& writer, CGraphicsImage& image, const std::string& name)
{
    const std::string path = TempFile(name);
    {
        CBufferedStream stream(kFormatStreamBufferSize);
        if (!stream.OpenA(path.c_str(), CBufferedStream::kModeCreate, nullptr)) {
            ADD_FAILURE() << "cannot create " << path;
            return {};
        }
        writer.Write(stream, image);
        EXPECT_TRUE(stream.Close());
    }
    return ReadFile(path);
}

// --------------------------------------------------------------- pixels --

uint32_t ColourAt(const CGraphicsImage& image, int x, int y)
{
    const uint32_t value = image.m_pfnGetPixel(image.RowAt(y), x);
    if (image.m_nBitCount <= 8)
        return image.GetPaletteRGBA(value, nullptr, nullptr, nullptr, nullptr);
    return image.m_nBitCount == 32 ? value : value & 0xFFFFFF;
}

Colours ColoursOf(const CGraphicsImage& image, bool withAlpha)
{
    Colours out;
    for (int y = 0; y < int(image.m_nHeight); ++y)
        for (int x = 0; x < int(image.m_nWidth); ++x) {
            const uint32_t c = ColourAt(image, x, y);
            out.push_back(image.m_nBitCount == 32 && withAlpha ? c : (c & 0xFFFFFF) | 0xFF000000);
        }
    return out;
}

int64_t Differences(const Colours& a, const Colours& b)
{
    if (a.size() != b.size())
        return -1;
    int64_t n = 0;
    for (size_t i = 0; i < a.size(); ++i)
        n += a[i] != b[i];
    return n;
}

void MakeRandomImage(CGraphicsImage& image, uint32_t bits, uint32_t width, uint32_t height, uint64_t seed)
{
    ASSERT_TRUE(image.Create(bits, width, height));
    lindar_test::Rng rng(seed);
    for (uint32_t i = 0; i < image.m_nImageSize; ++i)
        image.m_pBits[i] = uint8_t(rng.Next());
    if (bits <= 8)
        for (uint32_t i = 0; i < 256; ++i)
            image.SetPaletteEntry(i, rng.Next() & 0xFFFFFF);
}

void ExpectComment(const char* actual, const char* expected)
{
    if (expected)
        EXPECT_STREQ(actual, expected);
    else
        EXPECT_EQ(actual, nullptr);
}

}  // namespace codec_test
