#include "graphics/formats/tiff_format.h"

#include "graphics/formats/graphics_exceptions.h"

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

namespace {

template <uint32_t Samples>
void SwapRedBlue(const uint8_t* from, uint8_t* to, uint32_t width)
{
    for (uint32_t x = 0; x < width; ++x, from += Samples, to += Samples) {
        to[0] = from[2];
        to[1] = from[1];
        to[2] = from[0];
        if constexpr (Samples == 4)
            to[3] = from[3];
    }
}

}  // namespace

void TiffSwapRedBlue(const uint8_t* from, uint8_t* to, uint32_t width, uint32_t samples)
{
    if (samples == 4)
        SwapRedBlue<4>(from, to, width);
    else
        SwapRedBlue<3>(from, to, width);
}
