#include "graphics/formats/tiff_format.h"

#include "graphics/formats/graphics_exceptions.h"
#include "graphics/image.h"

const char kTiffOpenFailed[] = "Fehler beim Öffnen der Datei";
const char kTiffReadFailed[] = "Fehler beim Lesen";
const char kTiffBadHeader[] = "Falscher Header";
const char kTiffBadEntry[] = "Falscher Eintrag";
const char kTiffNotSupported[] = "Modus ist nicht unterstützt";
const char kTiffBadMode[] = "Falscher Modus";
const char kTiffEmptyImage[] = "Leeres Bild übergeben";
const char kTiffWriteFailed[] = "Fehler beim Schreiben";
const char kTiffCreateFailed[] = "Fehler beim Erzeugen der Datei";

void ThrowTiff(const char* text)
{
    throw ETiffError(text);
}

void ThrowTiffReadFailed()
{
    ThrowTiff(kTiffReadFailed);
}

void ThrowTiffBadEntry()
{
    ThrowTiff(kTiffBadEntry);
}

void TiffSwapRedBlue(const uint8_t* from, uint8_t* to, uint32_t width, uint32_t samples)
{
    if (samples != 4) {
        CopySwapRedBlue24(from, to, int(width));
        return;
    }
    for (uint32_t x = 0; x < width; ++x, from += 4, to += 4) {
        to[0] = from[2];
        to[1] = from[1];
        to[2] = from[0];
        to[3] = from[3];
    }
}
