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
