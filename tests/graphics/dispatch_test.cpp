// The dispatchers: every result code with its message, the comment copy,
// save by extension, the save transparency setting, the transparent index.
#include "graphics/formats/format_dispatch.h"
#include "graphics/formats/format_registry.h"
#include "graphics/formats/png_writer.h"
#include "graphics/image.h"
#include "tests/graphics/codec_test_files.h"

#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <cstring>
#include <memory>
#include <string>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

using namespace codec_test;

namespace {

Bytes TinyPng(int colorType = PNG_COLOR_TYPE_RGB, int bitDepth = 8, uint32_t size = 3)
{
    PngSpec spec;
    spec.width = spec.height = size;
    spec.colorType = colorType;
    spec.bitDepth = bitDepth;
    spec.texts = {{"Comment", "Kartenausschnitt"}};
    FillRandomRows(spec, 1);
    return EncodePng(spec);
}

// A PNG header claiming a size, with a valid CRC, and the start of an IDAT
// chunk whose data is missing.
Bytes PngHeaderOnly(uint32_t width, uint32_t height, int colorType)
{
    Bytes png = TinyPng(colorType, 8, 1);
    const size_t ihdr = FindPngChunk(png, "IHDR");
    for (int i = 0; i < 4; ++i) {
        png[ihdr + 8 + size_t(i)] = uint8_t(width >> (24 - 8 * i));
        png[ihdr + 12 + size_t(i)] = uint8_t(height >> (24 - 8 * i));
    }
    const uint32_t crc = uint32_t(crc32(0, png.data() + ihdr + 4, 17));
    for (int i = 0; i < 4; ++i)
        png[ihdr + 21 + size_t(i)] = uint8_t(crc >> (24 - 8 * i));
    png.resize(ihdr + 25);
    png.insert(png.end(), {0, 0, 0x10, 0, 'I', 'D', 'A', 'T'});
    return png;
}

Bytes CmykJpeg()
{
    JpegSpec spec;
    spec.kind = JpegKind::Cmyk;
    FillSamples(spec, 2);
    return EncodeJpeg(spec);
}

struct LoadCase {
    const char* name;
    Bytes bytes;
    int fileResult;
    int memoryResult;
    const char* message;
};

std::vector<LoadCase> LoadCases()
{
    Bytes cut = TinyPng();
    cut.resize(40);
    return {
        {"PNG", TinyPng(), 0, 0, ""},
        {"unknown content", Bytes(100, 'x'), -2, -2, "Unbekanntes Datei Format."},
        {"16-bit RGB", TinyPng(PNG_COLOR_TYPE_RGB, 16), -5, -1, "Falsches Farbformat"},
        {"too large", PngHeaderOnly(40000, 10, PNG_COLOR_TYPE_RGB), -4, -1, "Das Bild ist zu groß"},
        {"damaged PNG", PngHeaderOnly(10, 10, PNG_COLOR_TYPE_RGB), -1, -1, "Fehler beim Lesen"},
        {"short PNG is still a PNG", cut, -1, -1, "Fehler beim Lesen"},
        {"CMYK JPEG", CmykJpeg(), -1, -1, "Fehler 67 beim Laden der Jpeg Datei"},
    };
}

TEST(Dispatch, LoadResultsAndMessages)
{
    for (const LoadCase& c : LoadCases()) {
        SCOPED_TRACE(c.name);
        const std::string path = TempFile("load.bin");
        WriteFile(path, c.bytes);
        CGraphicsImage image;
        EXPECT_EQ(LoadGraphicsFile(path.c_str(), image), c.fileResult);
        EXPECT_STREQ(GetGraphicsLoadError(), c.message);
        EXPECT_EQ(LoadGraphicsFromMemory(c.bytes.data(), uint32_t(c.bytes.size()), image), c.memoryResult);
        EXPECT_STREQ(GetGraphicsLoadError(), c.message);
    }
}

TEST(Dispatch, LoadWithoutFileOrData)
{
    CGraphicsImage image;
    EXPECT_EQ(LoadGraphicsFile(TempFile("missing.png").c_str(), image), kLoadCannotOpen);
    EXPECT_STREQ(GetGraphicsLoadError(), "Kann Datei nicht öffnen.");
    EXPECT_EQ(LoadGraphicsFile(nullptr, image), kLoadCannotOpen);

    const uint8_t byte = 0x89;
    const struct {
        const void* data;
        uint32_t size;
    } cases[] = {{nullptr, 10}, {&byte, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(LoadGraphicsFromMemory(c.data, c.size, image), kMemoryLoadUnknownFormat);
        EXPECT_STREQ(GetGraphicsLoadError(), "Unbekanntes Datei Format.");
    }
    // A load clears the message of the one before.
    const Bytes png = TinyPng();
    EXPECT_EQ(LoadGraphicsFromMemory(png.data(), uint32_t(png.size()), image), 0);
    EXPECT_STREQ(GetGraphicsLoadError(), "");
}

#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
[[noreturn]] void LoadUnderMemoryLimit(const std::string& path)
{
    const rlimit limit{512ul << 20, 512ul << 20};
    setrlimit(RLIMIT_AS, &limit);
    CGraphicsImage image;
    const int result = LoadGraphicsFile(path.c_str(), image);
    std::exit(result == kLoadNoMemory && std::strcmp(GetGraphicsLoadError(), "Zu wenig Speicher") == 0 ? 0 : 1);
}

TEST(DispatchDeathTest, OutOfMemoryIsMinusSix)
{
    // A 20000 x 20000 RGBA image needs 1.6 GB; the child may have 512 MB.
    const std::string path = TempFile("huge.png");
    WriteFile(path, PngHeaderOnly(20000, 20000, PNG_COLOR_TYPE_RGB_ALPHA));
    EXPECT_EXIT(LoadUnderMemoryLimit(path), testing::ExitedWithCode(0), "");
}
#endif

TEST(Dispatch, CommentCopies)
{
    const Bytes png = TinyPng();
    CGraphicsImage image;
    char* comment = reinterpret_cast<char*>(1);
    ASSERT_EQ(LoadGraphicsFromMemory(png.data(), uint32_t(png.size()), image, &comment), 0);
    ASSERT_NE(comment, nullptr);
    EXPECT_STREQ(comment, "Kartenausschnitt");
    delete[] comment;

    const std::string path = TempFile("comment.png");
    WriteFile(path, png);
    ASSERT_EQ(LoadGraphicsFile(path.c_str(), image, &comment), 0);
    EXPECT_STREQ(comment, "Kartenausschnitt");
    delete[] comment;

    PngSpec spec;
    spec.texts = {{"Comment", ""}};
    FillRandomRows(spec, 3);
    const Bytes empty = EncodePng(spec);
    ASSERT_EQ(LoadGraphicsFromMemory(empty.data(), uint32_t(empty.size()), image, &comment), 0);
    EXPECT_EQ(comment, nullptr);

    comment = reinterpret_cast<char*>(1);
    const Bytes junk(80, 'j');
    EXPECT_EQ(LoadGraphicsFromMemory(junk.data(), uint32_t(junk.size()), image, &comment), -2);
    EXPECT_EQ(comment, nullptr);
}

// ------------------------------------------------------------------ save --

TEST(Dispatch, SaveChoosesTheWriterByExtension)
{
    CGraphicsImage image;
    MakeRandomImage(image, 24, 6, 4, 5);
    const struct {
        const char* name;
        FormatId id;
    } cases[] = {
        {"a.png", kFormatPng},      {"b.Png", kFormatPng},      {"c.jpg", kFormatJpeg},   {"d.JPEG", kFormatJpeg},
        {"e.gif", kFormatGif},      {"f.bmp", kFormatBmp},      {"g.tif", kFormatTiff},   {"h.TIFF", kFormatTiff},
        {"i.xwd", kFormatXwd},      {"j.xpm", kFormatXpm},      {"k.pnm", kFormatPnm},    {"l.ps", kFormatEps},
        {"m.eps", kFormatEps},      {"n.prn", kFormatEps},      {"o.tlsp", kFormatTls},   {"p.png.bak", kFormatUnknown},
        {"noextension", kFormatUnknown}, {"q.webp", kFormatUnknown}, {"r.", kFormatUnknown}, {"s.pngx", kFormatUnknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = TempFile(c.name);
        const GraphicsFormat* format = FindGraphicsFormat(c.id);
        const bool writable = format && format->newWriter;
        const int result = SaveGraphicsFile(path.c_str(), image, "x");
        if (!writable) {
            EXPECT_EQ(result, kSaveUnknownExtension);
            EXPECT_STREQ(GetGraphicsSaveError(), "Unbekanntes Datei Format.");
            continue;
        }
        ASSERT_EQ(result, kSaveOk);
        CGraphicsImage back;
        char* comment = nullptr;
        ASSERT_EQ(LoadGraphicsFile(path.c_str(), back, &comment), 0);
        EXPECT_EQ(back.m_nWidth, 6u);
        if (c.id != kFormatGif) {  // the GIF reader skips comment blocks
            EXPECT_STREQ(comment, "x");
        }
        delete[] comment;
    }
}

TEST(Dispatch, SaveFailuresKeepTheirMessage)
{
    CGraphicsImage empty;
    EXPECT_EQ(SaveGraphicsFile(TempFile("empty.png").c_str(), empty, nullptr), kSaveGraphicsError);
    EXPECT_STREQ(GetGraphicsSaveError(), "Ungültiges Bild");
    CGraphicsImage image;
    MakeRandomImage(image, 8, 4, 4, 6);
    EXPECT_EQ(SaveGraphicsFile(TempFile("no-folder/x.png").c_str(), image, nullptr), kSaveGraphicsError);
    EXPECT_STREQ(GetGraphicsSaveError(), "Fehler beim Erzeugen der Datei");
    EXPECT_EQ(SaveGraphicsFile(TempFile("no-folder/x.jpg").c_str(), image, nullptr), kSaveGraphicsError);
    EXPECT_STREQ(GetGraphicsSaveError(), "Fehler beim Öffnen der Datei !");
    // Success leaves the message.
    EXPECT_EQ(SaveGraphicsFile(TempFile("ok.png").c_str(), image, nullptr), kSaveOk);
    EXPECT_STREQ(GetGraphicsSaveError(), "Fehler beim Öffnen der Datei !");
    EXPECT_EQ(SaveGraphicsFile(nullptr, image, nullptr), kSaveUnknownExtension);
}

TEST(Dispatch, SaveTransparencySetting)
{
    constexpr size_t kIhdrColourType = 25;
    const struct {
        int32_t setting;
        uint32_t bits;
        uint8_t colourType;
    } cases[] = {
        {kSaveTransparencyDefault, 32, 2}, {0, 32, 6}, {255, 32, 6}, {kSaveTransparencyNone, 32, 2},
        {0, 24, 2},                        {0, 8, 3},  {-3, 32, 2},
    };
    for (const auto& c : cases) {
        CGraphicsImage image;
        MakeRandomImage(image, c.bits, 4, 4, 7);
        SetGraphicsSaveTransparency(c.setting);
        const std::string path = TempFile("transparency.png");
        ASSERT_EQ(SaveGraphicsFile(path.c_str(), image, nullptr), kSaveOk);
        EXPECT_EQ(ReadFile(path)[kIhdrColourType], c.colourType) << c.setting << ", " << c.bits << " bits";
    }
    SetGraphicsSaveTransparency(kSaveTransparencyDefault);
}

TEST(Dispatch, TransparentIndexIsMinusOneAfterNonGifLoads)
{
    EXPECT_EQ(GetGraphicsTransparentIndex(), -1);
    const Bytes png = TinyPng();
    CGraphicsImage image;
    ASSERT_EQ(LoadGraphicsFromMemory(png.data(), uint32_t(png.size()), image), 0);
    EXPECT_EQ(GetGraphicsTransparentIndex(), -1);
}

}  // namespace
