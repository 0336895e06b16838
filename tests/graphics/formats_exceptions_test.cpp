#include "graphics/formats/graphics_exceptions.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>

namespace {

struct Row {
    const char* name;
    std::function<void()> raise;
    std::function<bool(const std::function<void()>&)> caughtAsBase;
    const char* text;  // CP1252 bytes
    int32_t code;
};

template <class E, class Base>
Row Fixed(const char* name, const char* text, int32_t code)
{
    static_assert(std::is_base_of_v<Base, E> && std::is_base_of_v<EGraphicsException, E>);
    return Row{name, [] { throw E(); },
               [](const std::function<void()>& f) {
                   try {
                       f();
                   } catch (const Base&) {
                       return true;
                   } catch (...) {
                   }
                   return false;
               },
               text, code};
}

TEST(GraphicsExceptions, ClassesCarryTheirTextsAndCodes)
{
    const Row rows[] = {
        Fixed<EGraphicsAbort, EGraphicsException>("abort", "Benutzer Abbruch", 1),
        Fixed<EGraphicsPicSize, EGraphicsException>("pic size", "Das Bild ist zu gro\xDF", 4),
        Fixed<EGraphicsWrongColor, EGraphicsException>("wrong colour", "Falsches Farbformat", 5),
        Fixed<EGraphicsMemory, EGraphicsException>("memory", "Zu wenig Speicher", 6),
        Fixed<EGifCorruptFile, EGifError>("gif corrupt", "Gif stream is corrupt", 0),
        Fixed<EGifNotAGifFile, EGifError>("gif not gif", "Stream is not in GIF format", 0),
        Fixed<EGifFileReadError, EGifError>("gif read", "Error reading from GIF file", 0),
        Fixed<EGifNoMoreImages, EGifError>("gif no more", "No more images in the GIF stream", 0),
        Fixed<EJpegOpenError, EGraphicsException>("jpeg open", "Fehler beim \xD6" "ffnen der Datei !", 0),
        Fixed<EJpegAbort, EGraphicsException>("jpeg abort", "Benutzer Abbruch", 0),
        Fixed<EJpegBadData, EJpegError>("jpeg bad data", "Falsche Bild-Daten !", 0),
        Fixed<EBmpFileOpenError, EGraphicsException>("bmp open", "Fehler beim \xD6" "ffnen der BMP-Datei !", 0),
        Fixed<EBmpUnknownError, EGraphicsException>("bmp unknown", "Fehler beim Unknown Error", 0),
        Fixed<EBmpNotSupported, EGraphicsException>("bmp unsupported",
                                                    "Das Format der BMP-Datei wird nicht unterst\xFCtzt !", 0),
        Fixed<EBmpCorruptFile, EGraphicsException>("bmp corrupt", "Besch\xE4" "digte BMP-Datei !", 0),
        Fixed<EBmpNotABmpFile, EGraphicsException>("bmp not bmp", "Die Datei ist keine BMP-Datei !", 0),
        Fixed<EBmpFileReadError, EGraphicsException>("bmp read", "Fehler beim Lesen der BMP-Datei !", 0),
        Fixed<EBmpFileWriteError, EGraphicsException>("bmp write", "Fehler beim Schreiben BMP-Datei !", 0),
        Fixed<EBmpDataError, EGraphicsException>("bmp data", "Falsche Bild-Daten !", 0),
        Fixed<ETlsFileOpenError, EGraphicsException>("tls open", "Fehler beim \xD6" "ffnen der TLS-Datei !", 0),
        Fixed<ETlsCrcError, EGraphicsException>("tls crc", "Falsche CRC-Summe !", 0),
        Fixed<ETlsUnknownError, EGraphicsException>("tls unknown", "Fehler beim Unknown Error", 0),
        Fixed<ETlsNotFound, EGraphicsException>("tls not found", "Das Bild wurde in der Sequenz nicht gefunden !", 0),
        Fixed<ETlsCorruptFile, EGraphicsException>("tls corrupt", "Besch\xE4" "digte TLS-Datei !", 0),
        Fixed<ETlsNotATlsFile, EGraphicsException>("tls not tls", "Die Datei ist keine TLS-Datei !", 0),
        Fixed<ETlsFileReadError, EGraphicsException>("tls read", "Fehler beim Lesen der TLS-Datei !", 0),
        Fixed<ETlsDataError, EGraphicsException>("tls data", "Falsche Bild-Daten !", 0),
        Fixed<ETlsFileWriteError, EGraphicsException>("tls write", "Fehler beim Schreiben TLS-Datei !", 0),
        Fixed<EEpsFileOpenError, EGraphicsException>("eps open", "Fehler beim \xD6" "ffnen der EPS-Datei !", 0),
        Fixed<EEpsNotSupported, EGraphicsException>("eps unsupported",
                                                    "Das Format der EPS-Datei wird nicht unterst\xFCtzt !", 0),
        Fixed<EEpsCorruptFile, EGraphicsException>("eps corrupt", "Besch\xE4" "digte EPS-Datei !", 0),
        Fixed<EEpsNotAEpsFile, EGraphicsException>("eps not eps", "Die Datei ist keine EPS-Datei !", 0),
        Fixed<EEpsFileReadError, EGraphicsException>("eps read", "Fehler beim Lesen der EPS-Datei !", 0),
        Fixed<EEpsUnknownError, EGraphicsException>("eps unknown", "Fehler beim Unknown Error", 0),
        Fixed<EEpsFileWriteError, EGraphicsException>("eps write", "Fehler beim Schreiben EPS-Datei !", 0),
        Fixed<EEpsDataError, EGraphicsException>("eps data", "Falsche Bild-Daten !", 0),
        Fixed<EPnmFileOpenError, EGraphicsException>("pnm open", "Fehler beim \xD6" "ffnen der PNM-Datei !", 0),
        Fixed<EPnmCorruptFile, EGraphicsException>("pnm corrupt", "Besch\xE4" "digte PNM-Datei !", 0),
        Fixed<EPnmNotAPnmFile, EGraphicsException>("pnm not pnm", "Die Datei ist keine PNM-Datei !", 0),
        Fixed<EPnmFileReadError, EGraphicsException>("pnm read", "Fehler beim Lesen der PNM-Datei !", 0),
        Fixed<EPnmFileWriteError, EGraphicsException>("pnm write", "Fehler beim Schreiben PNM-Datei !", 0),
        Fixed<EPnmDataError, EGraphicsException>("pnm data", "Falsche Bild-Daten !", 0),
        Fixed<EXwdFileOpenError, EGraphicsException>("xwd open", "Fehler beim \xD6" "ffnen der XWD-Datei !", 0),
        Fixed<EXwdNotAXwdFile, EGraphicsException>("xwd not xwd", "Die Datei ist keine XWD-Datei !", 0),
        Fixed<EXwdFileReadError, EGraphicsException>("xwd read", "Fehler beim Lesen der XWD-Datei !", 0),
        Fixed<EXwdFileWriteError, EGraphicsException>("xwd write", "Fehler beim Schreiben XWD-Datei !", 0),
        Fixed<EXwdDataError, EGraphicsException>("xwd data", "Falsche Bild-Daten !", 0),
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(row.caughtAsBase(row.raise));
        try {
            row.raise();
            ADD_FAILURE() << "nothing thrown";
        } catch (const EGraphicsException& e) {
            EXPECT_EQ(std::string(e.text), row.text);
            EXPECT_EQ(e.code, row.code);
        }
    }
}

TEST(GraphicsExceptions, ClassesWithTextsOfTheirThrows)
{
    EXPECT_THROW(throw EGifError("Fehler beim Erzeugen der Datei"), EGraphicsException);
    EXPECT_THROW(throw EJpegError("Fehler 42 beim Laden der Jpeg Datei"), EGraphicsException);
    EXPECT_THROW(throw EIconError("x"), EGraphicsException);
    EXPECT_THROW(throw EXpmError("x"), EGraphicsException);
    EXPECT_THROW(throw ETiffError("x"), EGraphicsException);
    // Siblings do not catch each other.
    bool caughtAsGif = false;
    try {
        throw EJpegBadData();
    } catch (const EGifError&) {
        caughtAsGif = true;
    } catch (const EJpegError& e) {
        EXPECT_EQ(e.code, 0);
    }
    EXPECT_FALSE(caughtAsGif);
    const ETiffError tiff("Fehler beim Erzeugen der Datei");
    EXPECT_STREQ(tiff.text, "Fehler beim Erzeugen der Datei");
    EXPECT_EQ(tiff.code, 0);
}

TEST(GraphicsExceptions, TextIsCutTo255AndTerminated)
{
    const std::string longText(300, 'x');
    const struct {
        const char* message;
        size_t length;
    } cases[] = {{nullptr, 0}, {"", 0}, {longText.c_str(), 255}, {longText.c_str() + 45, 255}, {longText.c_str() + 46, 254}};
    for (const auto& c : cases) {
        const EGraphicsException e(c.message, 7);
        EXPECT_EQ(std::string(e.text), std::string(c.length, 'x'));
        EXPECT_EQ(e.code, 7);
    }
}

TEST(GraphicsExceptions, ThrowCreateErrorByErrorByte)
{
    const struct {
        int error;
        const char* text;
        int32_t code;
        bool exactBase;  // the base class itself, none of the derived
    } cases[] = {
        {1, "Das Bild ist zu gro\xDF", 4, false}, {2, "Falsches Farbformat", 5, false},
        {3, "Zu wenig Speicher", 6, false},        {0, "Unknown error", 0, true},
        {4, "Unknown error", 0, true},             {255, "Unknown error", 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        try {
            ThrowCreateError(c.error);
        } catch (const EGraphicsPicSize& e) {
            EXPECT_EQ(c.error, 1);
        } catch (const EGraphicsWrongColor& e) {
            EXPECT_EQ(c.error, 2);
        } catch (const EGraphicsMemory& e) {
            EXPECT_EQ(c.error, 3);
        } catch (const EGraphicsException& e) {
            EXPECT_TRUE(c.exactBase);
            EXPECT_STREQ(e.text, c.text);
            EXPECT_EQ(e.code, c.code);
        }
        try {
            ThrowCreateError(c.error);
        } catch (const EGraphicsException& e) {
            EXPECT_STREQ(e.text, c.text);
            EXPECT_EQ(e.code, c.code);
        }
    }
}

}  // namespace
