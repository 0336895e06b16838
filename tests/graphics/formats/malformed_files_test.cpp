// The malformed files of fuzz/malformed/ (hostile headers, cut and garbled
// data, unsupported forms, every crash the fuzzers found) each give their
// result code and text through both loaders. The program runs under a memory ceiling, so a file
// that makes a reader allocate what its header claims fails its row as
// "Zu wenig Speicher".
#include "graphics/formats/format_dispatch.h"
#include "graphics/formats/jpeg_binding.h"
#include "graphics/image.h"
#include "tests/graphics/formats/codec_test_files.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <filesystem>
#include <set>
#include <string>

#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__)
#include <sys/resource.h>
#endif

using namespace codec_test;

#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1:max_allocation_size_mb=256";
}
#elif !defined(_WIN32)
namespace {
// Far above what any row needs, far below what the hostile headers claim.
[[maybe_unused]] const bool kMemoryCeiling = [] {
    const rlimit limit{768ul << 20, 768ul << 20};
    return setrlimit(RLIMIT_AS, &limit) == 0;
}();
}  // namespace
#endif

namespace {

struct MalformedCase {
    const char* file;
    int fileResult;
    int memoryResult;
    const char* text;
};

std::string JpegText(int code)
{
    return "Fehler " + std::to_string(code) + " beim Laden der Jpeg Datei";
}

const std::string kFolder = LINDAR_MALFORMED_DIR;

const MalformedCase kCases[] = {
    {"bmp-masks-not-contiguous.bmp", -1, -1, "Das Format der BMP-Datei wird nicht unterst\xFCtzt !"},
    {"gif-control-terminator.gif", -1, -1, "Gif stream is corrupt"},
    {"gif-index-above-255.gif", -1, -1, "Gif stream is corrupt"},
    {"ico-directory-cut.ico", -1, -1, "Fehler beim lesen aus der Datei !"},
    {"ico-entry-over-cap.ico", -1, -1, "Fehlerhaftes Dateiformat !"},
    {"ico-png-entry-cut.ico", -1, -1, "IHDR: CRC error"},
    {"jpeg-bad-entropy.jpg", -1, -1, "Fehler 117 beim Laden der Jpeg Datei"},
    {"jpeg-cmyk.jpg", -1, -1, "Fehler 67 beim Laden der Jpeg Datei"},
    {"jpeg-cut.jpg", -1, -1, "Fehler 120 beim Laden der Jpeg Datei"},
    {"jpeg-cut-in-header.jpg", -1, -1, "Fehler 120 beim Laden der Jpeg Datei"},
    {"jpeg-cut-with-end-marker.jpg", -1, -1, "Fehler 117 beim Laden der Jpeg Datei"},
    {"jpeg-huge-declared.jpg", -1, -1, "Fehler 120 beim Laden der Jpeg Datei"},
    {"jpeg-no-end-marker.jpg", -1, -1, "Fehler 120 beim Laden der Jpeg Datei"},
    {"png-cut-in-header.png", -1, -1, "Fehler beim Lesen"},
    {"png-cut-in-image-data.png", -1, -1, "Fehler beim Lesen"},
    {"png-huge-declared.png", -1, -1, "Not enough image data"},
    {"png-ihdr-crc.png", -1, -1, "IHDR: CRC error"},
    {"png-lying-text-chunk.png", -1, -1, "Fehler beim Lesen"},
    {"png-rgb16.png", -5, -1, "Falsches Farbformat"},
    {"png-rgba16.png", -5, -1, "Falsches Farbformat"},
    {"png-too-wide.png", -4, -1, "Das Bild ist zu groß"},
    {"pnm-cut-16bit.ppm", -1, -1, "Besch\xE4" "digte PNM-Datei !"},
    {"pnm-huge-declared.pgm", -1, -1, "Besch\xE4" "digte PNM-Datei !"},
    {"pnm-sample-above-max.pgm", -1, -1, "Besch\xE4" "digte PNM-Datei !"},
    {"tiff-bigtiff.tif", -1, -1, "Falscher Header"},
    {"xpm-colour-name-with-space.xpm", -1, -1, "Nicht unterst\xFCtztes Farbformat"},
    {"xpm-huge-declared.xpm", -1, -1, "Fehler beim Lesen aus der Datei"},
    {"xpm-key-length-5.xpm", -1, -1, "Unbekantes Format"},
    {"xwd-header-inside-itself.xwd", -1, -1, "Die Datei ist keine XWD-Datei !"},
    {"xwd-huge-declared.xwd", -1, -1, "Fehler beim Lesen der XWD-Datei !"},
    {"xwd-xy-pixmap-depth8.xwd", -5, -1, "Falsches Farbformat"},
    {"unknown-content.bin", -2, -2, "Unbekanntes Datei Format."},
};

void ExpectLoad(const std::string& name, const Bytes& bytes, int fileResult, int memoryResult, const std::string& text)
{
    SCOPED_TRACE(name);
    const std::string path = TempFile("malformed.bin");
    WriteFile(path, bytes);
    CGraphicsImage image;
    EXPECT_EQ(LoadGraphicsFile(path.c_str(), image), fileResult);
    EXPECT_EQ(GetGraphicsLoadError(), text);
    EXPECT_EQ(LoadGraphicsFromMemory(bytes.data(), uint32_t(bytes.size()), image), memoryResult);
    EXPECT_EQ(GetGraphicsLoadError(), text);
}

TEST(MalformedFiles, EachGivesItsResultAndText)
{
    std::set<std::string> listed;
    for (const MalformedCase& c : kCases) {
        listed.insert(c.file);
        const Bytes bytes = ReadFile(kFolder + "/" + c.file);
        ASSERT_FALSE(bytes.empty()) << c.file;
        ExpectLoad(c.file, bytes, c.fileResult, c.memoryResult, c.text);
    }
    // A file added to the folder without its row would be replayed by the
    // fuzz targets but never held to a result.
    for (const auto& entry : std::filesystem::directory_iterator(kFolder))
        EXPECT_EQ(listed.count(entry.path().filename().string()), 1u) << entry.path();
}

#ifndef _WIN32  // a 32-bit process refuses such sizes itself as too large
// A PNG header claiming a size and that many zero bytes of image data, enough
// to inflate to the pixels: only memory can refuse it.
Bytes PngClaiming(uint32_t width, uint32_t height, uint32_t dataBytes)
{
    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    auto u32 = [](Bytes& out, uint32_t v) {
        out.insert(out.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
    };
    auto chunk = [&](const char* type, const Bytes& data) {
        Bytes body(type, type + 4);
        body.insert(body.end(), data.begin(), data.end());
        u32(png, uint32_t(data.size()));
        png.insert(png.end(), body.begin(), body.end());
        u32(png, uint32_t(crc32(0, body.data(), uInt(body.size()))));
    };
    Bytes header;
    u32(header, width);
    u32(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA
    chunk("IHDR", header);
    chunk("IDAT", Bytes(dataBytes, 0));
    return png;
}

TEST(MalformedFiles, PixelsBeyondMemoryAreZuWenigSpeicher)
{
    // 18000 x 18000 RGBA: 1.3 GB, more than the memory ceiling.
    ExpectLoad("1.3 GB", PngClaiming(18000, 18000, 2u << 20), -6, -1, "Zu wenig Speicher");
}
#endif

// A progressive file with its first scan (the DC values) repeated: libjpeg
// warns about the progression and decodes on, up to the scan limit.
Bytes RepeatFirstScan(int copies)
{
    JpegSpec spec;
    spec.kind = JpegKind::Grey;
    spec.progressive = true;
    spec.width = spec.height = 8;
    FillSamples(spec, 3);
    const Bytes jpeg = EncodeJpeg(spec);
    auto marker = [&](size_t from, auto accept) {
        for (size_t i = from; i + 1 < jpeg.size(); ++i)
            if (jpeg[i] == 0xFF && accept(jpeg[i + 1]))
                return i;
        return jpeg.size();
    };
    const size_t scan = marker(0, [](uint8_t m) { return m == 0xDA; });
    const size_t end = marker(scan + 2, [](uint8_t m) { return m != 0 && (m < 0xD0 || m > 0xD7); });
    Bytes out(jpeg.begin(), jpeg.begin() + long(end));
    for (int i = 0; i < copies; ++i)
        out.insert(out.end(), jpeg.begin() + long(scan), jpeg.begin() + long(end));
    out.insert(out.end(), jpeg.begin() + long(end), jpeg.end());
    return out;
}

TEST(MalformedFiles, ScansBeyondTheLimitFail)
{
    ExpectLoad("at the limit", RepeatFirstScan(kJpegMaxScans - 20), 0, 0, "");
    ExpectLoad("beyond it", RepeatFirstScan(kJpegMaxScans + 1), -1, -1, JpegText(kJpegErrorTooManyScans));
}

}  // namespace
