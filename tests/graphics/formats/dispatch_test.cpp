// The dispatchers: every result code with its message, the comment copy,
// save by extension, the save transparency setting, the transparent index.
#include "graphics/formats/format_dispatch.h"
#include "graphics/formats/format_registry.h"
#include "graphics/formats/png_writer.h"
#include "graphics/image.h"
#include "tests/graphics/formats/codec_test_files.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cstring>
#include <memory>
#include <string>


using namespace codec_test;

namespace {

Bytes TinyPng(const char* comment = "Kartenausschnitt")
{
    PngSpec spec;
    spec.width = spec.height = 3;
    spec.colorType = PNG_COLOR_TYPE_RGB;
    spec.texts = {{"Comment", comment}};
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


// The comment is handed out as a copy the caller deletes; an empty one or a
// failed load gives none.
TEST(Dispatch, CommentCopies)
{
    const struct {
        Bytes bytes;
        bool byPath;
        int result;
        const char* comment;
    } cases[] = {
        {TinyPng(), false, 0, "Kartenausschnitt"},
        {TinyPng(), true, 0, "Kartenausschnitt"},
        {TinyPng(""), false, 0, nullptr},
        {Bytes(80, 'j'), false, -2, nullptr},
    };
    const std::string path = TempFile("comment.png");
    for (const auto& c : cases) {
        WriteFile(path, c.bytes);
        CGraphicsImage image;
        char* comment = reinterpret_cast<char*>(1);
        EXPECT_EQ(c.byPath ? LoadGraphicsFile(path.c_str(), image, &comment)
                           : LoadGraphicsFromMemory(c.bytes.data(), uint32_t(c.bytes.size()), image, &comment),
                  c.result);
        ExpectComment(comment, c.comment);
        delete[] comment;
    }
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
        // Formats without comments (BMP, TLS) give none back.
        EXPECT_TRUE(!comment || std::string(comment) == "x");
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
