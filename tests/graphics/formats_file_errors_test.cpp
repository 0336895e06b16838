// Every format's own errors for load and save by path and for an image
// without pixels, through the readers and writers its registry row makes.
#include "graphics/formats/format_framework.h"
#include "graphics/formats/format_registry.h"
#include "graphics/image.h"
#include "tests/graphics/codec_test_files.h"
#include "tests/system/stream_test_files.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using codec_test::ThrownText;
using codec_test::TempFile;

namespace {

struct FileErrorCase {
    FormatId id;
    const char* openFailed;    // reader: the path cannot be opened
    const char* createFailed;  // writer: the file cannot be created; null: no writer
    const char* emptyImage;    // writer: an image without pixels
};

const FileErrorCase kCases[] = {
    {kFormatBmp, "Fehler beim Öffnen der BMP-Datei !", "Fehler beim Öffnen der BMP-Datei !", "Falsche Bild-Daten !"},
    {kFormatJpeg, "Fehler beim Öffnen der Datei !", "Fehler beim Öffnen der Datei !", "Falsche Bild-Daten !"},
    {kFormatGif, "Fehler beim Öffnen der Datei", "Fehler beim Erzeugen der Datei", "Das Bils ist leer"},
    {kFormatPng, "Fehler beim Öffnen der Datei", "Fehler beim Erzeugen der Datei", "Ungültiges Bild"},
    {kFormatTiff, "Fehler beim Öffnen der Datei", "Fehler beim Erzeugen der Datei", "Leeres Bild übergeben"},
    {kFormatXpm, "Fehler beim Öffnen der Datei", "Fehler beim Erzeugen der Dateio", "Falsche Bild-Daten !"},
    {kFormatXwd, "Fehler beim Öffnen der XWD-Datei !", "Fehler beim Öffnen der XWD-Datei !", "Falsche Bild-Daten !"},
    {kFormatPnm, "Fehler beim Öffnen der PNM-Datei !", "Fehler beim Öffnen der PNM-Datei !", "Falsche Bild-Daten !"},
    {kFormatEps, "Fehler beim Öffnen der EPS-Datei !", "Fehler beim Öffnen der EPS-Datei !", "Falsche Bild-Daten !"},
    {kFormatTls, "Fehler beim Öffnen der TLS-Datei !", "Fehler beim Öffnen der TLS-Datei !", "Falsche Bild-Daten !"},
    {kFormatIcon, "Datei konnte nicht geöffnet werden !", nullptr, nullptr},
};

TEST(FormatFileErrors, EachFormatNamesItsOwn)
{
    ASSERT_EQ(std::size(kCases), size_t(kFormatCount));
    const std::string missing = TempFile("no-such-folder/x");
    const std::basic_string<WCHAR> wideMissing = lindar_test::WidePath(missing);
    CGraphicsImage image, empty, noHeight;
    codec_test::MakeRandomImage(image, 8, 4, 4, 7);
    ASSERT_TRUE(noHeight.Create(8, 4, 0));
    for (const FileErrorCase& c : kCases) {
        const GraphicsFormat* format = FindGraphicsFormat(c.id);
        ASSERT_TRUE(format && format->newReader);
        SCOPED_TRACE(format->name);
        std::unique_ptr<CGraphicsReader> reader(format->newReader());
        EXPECT_EQ(ThrownText<EGraphicsException>([&] { reader->LoadA(missing.c_str(), image); }), c.openFailed);
        EXPECT_EQ(ThrownText<EGraphicsException>([&] { reader->LoadW(wideMissing.c_str(), image); }), c.openFailed);
        EXPECT_EQ(ThrownText<EGraphicsException>([&] { reader->LoadA(nullptr, image); }), c.openFailed);

        ASSERT_EQ(format->newWriter != nullptr, c.createFailed != nullptr);
        if (!format->newWriter)
            continue;
        std::unique_ptr<CGraphicsWriter> writer(format->newWriter());
        EXPECT_EQ(ThrownText<EGraphicsException>([&] { writer->SaveA(missing.c_str(), image); }), c.createFailed);
        EXPECT_EQ(ThrownText<EGraphicsException>([&] { writer->SaveW(wideMissing.c_str(), image); }),
                  c.createFailed);
        // The empty image is refused inside the write, after the file was made.
        for (CGraphicsImage* refused : {&empty, &noHeight}) {
            const std::string path = TempFile(std::string("empty-") + format->name);
            EXPECT_EQ(ThrownText<EGraphicsException>([&] { writer->SaveA(path.c_str(), *refused); }), c.emptyImage);
        }
    }
}

}  // namespace
