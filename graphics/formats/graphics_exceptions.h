// The exception tree of the image format classes. Every failure inside a
// reader or writer is thrown by value as EGraphicsException or one of its
// classes below and caught by reference (only the dispatchers catch them).
//
// Each object carries a message (at most 255 characters, always terminated;
// German except the GIF reader's and libpng's English texts) and a code:
// kGraphicsCodeAbort, ...PicSize, ...WrongColor, ...Memory, or 0. The
// derived classes add nothing to the layout and have no virtual functions.
#pragma once

#include <cstdint>

constexpr int32_t kGraphicsCodeOther = 0;
constexpr int32_t kGraphicsCodeAbort = 1;
constexpr int32_t kGraphicsCodePicSize = 4;
constexpr int32_t kGraphicsCodeWrongColor = 5;
constexpr int32_t kGraphicsCodeMemory = 6;

class EGraphicsException {
public:
    static constexpr int kTextSize = 256;  // 255 characters and the NUL

    // Copies `message` (null: empty), cut to 255 characters.
    explicit EGraphicsException(const char* message, int32_t code = kGraphicsCodeOther);

    char text[kTextSize];
    int32_t code;
};

// The tree, base classes before the classes derived from them:
//   FIXED(class, base, code, text) - a class with its one message; thrown as
//       `throw EBmpFileReadError();`
//   FREE(class, base) - a class whose throws name their texts; thrown as
//       `throw EGifError("...");`
#define LINDAR_GRAPHICS_EXCEPTIONS(FIXED, FREE)                                                      \
    FIXED(EGraphicsAbort, EGraphicsException, kGraphicsCodeAbort, "Benutzer Abbruch")                \
    FIXED(EGraphicsPicSize, EGraphicsException, kGraphicsCodePicSize, "Das Bild ist zu groß")        \
    FIXED(EGraphicsWrongColor, EGraphicsException, kGraphicsCodeWrongColor, "Falsches Farbformat")   \
    FIXED(EGraphicsMemory, EGraphicsException, kGraphicsCodeMemory, "Zu wenig Speicher")             \
    /* GIF: English texts */                                                                          \
    FREE(EGifError, EGraphicsException)                                                               \
    FIXED(EGifCorruptFile, EGifError, 0, "Gif stream is corrupt")                                     \
    FIXED(EGifNotAGifFile, EGifError, 0, "Stream is not in GIF format")                               \
    FIXED(EGifFileReadError, EGifError, 0, "Error reading from GIF file")                             \
    FIXED(EGifNoMoreImages, EGifError, 0, "No more images in the GIF stream")                         \
    /* JPEG */                                                                                        \
    FIXED(EJpegOpenError, EGraphicsException, 0, "Fehler beim Öffnen der Datei !")                    \
    FIXED(EJpegAbort, EGraphicsException, 0, "Benutzer Abbruch")                                     \
    FREE(EJpegError, EGraphicsException)                                                              \
    FIXED(EJpegBadData, EJpegError, 0, "Falsche Bild-Daten !")                                        \
    /* BMP */                                                                                         \
    FIXED(EBmpFileOpenError, EGraphicsException, 0, "Fehler beim Öffnen der BMP-Datei !")            \
    FIXED(EBmpUnknownError, EGraphicsException, 0, "Fehler beim Unknown Error")                       \
    FIXED(EBmpNotSupported, EGraphicsException, 0, "Das Format der BMP-Datei wird nicht unterstützt !") \
    FIXED(EBmpCorruptFile, EGraphicsException, 0, "Beschädigte BMP-Datei !")                         \
    FIXED(EBmpNotABmpFile, EGraphicsException, 0, "Die Datei ist keine BMP-Datei !")                  \
    FIXED(EBmpFileReadError, EGraphicsException, 0, "Fehler beim Lesen der BMP-Datei !")              \
    FIXED(EBmpFileWriteError, EGraphicsException, 0, "Fehler beim Schreiben BMP-Datei !")             \
    FIXED(EBmpDataError, EGraphicsException, 0, "Falsche Bild-Daten !")                               \
    /* ICO/CUR: an icon's PNG fails with the PNG reader's own text */                                \
    FREE(EIconError, EGraphicsException)                                                              \
    FIXED(EIconFileOpenError, EIconError, 0, "Datei konnte nicht geöffnet werden !")                  \
    FIXED(EIconNotFound, EIconError, 0, "Das Icon konnte in der Datei nicht gefunden werden !")       \
    FIXED(EIconFileReadError, EIconError, 0, "Fehler beim lesen aus der Datei !")                     \
    FIXED(EIconPngReadError, EIconError, 0, "Fehler beim Lesen aus der Datei !")                      \
    FIXED(EIconExeReadError, EIconError, 0, "Fehler beim Lesen der Datei !")                          \
    FIXED(EIconCorruptFile, EIconError, 0, "Fehlerhaftes Dateiformat !")                              \
    FIXED(EIconCompressed, EIconError, 0, "Komprimierte Icons werden nicht unterstützt !")           \
    FIXED(EIconWrongColor, EIconError, 0, "Das Farbformat wird nicht unterstützt !")                 \
    FIXED(EIconMemory, EIconError, 0, "Zu wenig Speicher")                                            \
    FIXED(EIconTooBig, EIconError, 0, "Zugroßer Datenblock !")                                       \
    /* TLS */                                                                                         \
    FIXED(ETlsFileOpenError, EGraphicsException, 0, "Fehler beim Öffnen der TLS-Datei !")            \
    FIXED(ETlsCrcError, EGraphicsException, 0, "Falsche CRC-Summe !")                                 \
    FIXED(ETlsUnknownError, EGraphicsException, 0, "Fehler beim Unknown Error")                       \
    FIXED(ETlsNotFound, EGraphicsException, 0, "Das Bild wurde in der Sequenz nicht gefunden !")      \
    FIXED(ETlsCorruptFile, EGraphicsException, 0, "Beschädigte TLS-Datei !")                         \
    FIXED(ETlsNotATlsFile, EGraphicsException, 0, "Die Datei ist keine TLS-Datei !")                  \
    FIXED(ETlsFileReadError, EGraphicsException, 0, "Fehler beim Lesen der TLS-Datei !")              \
    FIXED(ETlsDataError, EGraphicsException, 0, "Falsche Bild-Daten !")                               \
    FIXED(ETlsFileWriteError, EGraphicsException, 0, "Fehler beim Schreiben TLS-Datei !")             \
    /* EPS */                                                                                         \
    FIXED(EEpsFileOpenError, EGraphicsException, 0, "Fehler beim Öffnen der EPS-Datei !")            \
    FIXED(EEpsNotSupported, EGraphicsException, 0, "Das Format der EPS-Datei wird nicht unterstützt !") \
    FIXED(EEpsCorruptFile, EGraphicsException, 0, "Beschädigte EPS-Datei !")                         \
    FIXED(EEpsNotAEpsFile, EGraphicsException, 0, "Die Datei ist keine EPS-Datei !")                  \
    FIXED(EEpsFileReadError, EGraphicsException, 0, "Fehler beim Lesen der EPS-Datei !")              \
    FIXED(EEpsUnknownError, EGraphicsException, 0, "Fehler beim Unknown Error")                       \
    FIXED(EEpsFileWriteError, EGraphicsException, 0, "Fehler beim Schreiben EPS-Datei !")             \
    FIXED(EEpsDataError, EGraphicsException, 0, "Falsche Bild-Daten !")                               \
    /* PNM */                                                                                         \
    FIXED(EPnmFileOpenError, EGraphicsException, 0, "Fehler beim Öffnen der PNM-Datei !")            \
    FIXED(EPnmCorruptFile, EGraphicsException, 0, "Beschädigte PNM-Datei !")                         \
    FIXED(EPnmNotAPnmFile, EGraphicsException, 0, "Die Datei ist keine PNM-Datei !")                  \
    FIXED(EPnmFileReadError, EGraphicsException, 0, "Fehler beim Lesen der PNM-Datei !")              \
    FIXED(EPnmFileWriteError, EGraphicsException, 0, "Fehler beim Schreiben PNM-Datei !")             \
    FIXED(EPnmDataError, EGraphicsException, 0, "Falsche Bild-Daten !")                               \
    /* XWD */                                                                                         \
    FIXED(EXwdFileOpenError, EGraphicsException, 0, "Fehler beim Öffnen der XWD-Datei !")            \
    FIXED(EXwdNotAXwdFile, EGraphicsException, 0, "Die Datei ist keine XWD-Datei !")                  \
    FIXED(EXwdFileReadError, EGraphicsException, 0, "Fehler beim Lesen der XWD-Datei !")              \
    FIXED(EXwdFileWriteError, EGraphicsException, 0, "Fehler beim Schreiben XWD-Datei !")             \
    FIXED(EXwdDataError, EGraphicsException, 0, "Falsche Bild-Daten !")                               \
    /* XPM, TIFF */                                                                                   \
    FREE(EXpmError, EGraphicsException)                                                               \
    FREE(ETiffError, EGraphicsException)

#define LINDAR_DEFINE_FIXED_EXCEPTION(name, base, codeValue, message)   \
    class name : public base {                                          \
    public:                                                             \
        static constexpr const char* kText = message;                   \
        static constexpr int32_t kCode = codeValue;                     \
        name() : base(kText, kCode) {}                                  \
    };
#define LINDAR_DEFINE_FREE_EXCEPTION(name, base)                                          \
    class name : public base {                                                            \
    public:                                                                               \
        explicit name(const char* message, int32_t code = kGraphicsCodeOther) : base(message, code) {} \
    };

LINDAR_GRAPHICS_EXCEPTIONS(LINDAR_DEFINE_FIXED_EXCEPTION, LINDAR_DEFINE_FREE_EXCEPTION)

#undef LINDAR_DEFINE_FIXED_EXCEPTION
#undef LINDAR_DEFINE_FREE_EXCEPTION

// Turns the error byte of a failed CGraphicsImage::Create into its exception:
// 1 EGraphicsPicSize, 2 EGraphicsWrongColor, 3 EGraphicsMemory, anything
// else EGraphicsException "Unknown error".
[[noreturn]] void ThrowCreateError(int error);
