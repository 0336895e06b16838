// The dispatchers: every result code with its message, the comment copy,
// save by extension, the save transparency setting, the transparent index.
#include "graphics/formats/format_dispatch.h"
#include "graphics/formats/format_registry.h"
#include "graphics/formats/png_writer.h"
#include "graphics/image.h"
#include "tests/graphics/codec_test_files.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cstring>
#include <memory>
#include <string>


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
        EXPECT_STREQ(comment, "x");
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
