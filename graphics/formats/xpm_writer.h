// CXpmWriter: an image as X PixMap C source. Palette images write their
// palette (an entry 0xFFFFFFFF, the reader's "None", as "None"); deeper
// images their distinct colours, or, with 1024 and more, the palette that
// QuantizeFrom makes for them. Keys take as few characters of a 64-character
// alphabet as the colour count needs.
#pragma once

#include "graphics/formats/format_framework.h"

// What save by path throws when the file cannot be created or written,
// and what an image without pixels throws.
struct XpmWriterErrors : GraphicsFileErrors {
    [[noreturn]] static void CreateFailed();  // EXpmError "Fehler beim Erzeugen der Dateio"
    [[noreturn]] static void WriteFailed();   // EXpmError "Fehler beim Schreiben in die Datei"
    [[noreturn]] static void EmptyImage();    // EXpmError "Falsche Bild-Daten !"
};

class CXpmWriter : public CFormatWriter<XpmWriterErrors> {
public:
    CXpmWriter() = default;
    void Write(CBufferedStream& stream, CGraphicsImage& image) override;
    // Save by path; the symbol name is made from the file name.
    void SaveW(const WCHAR* path, CGraphicsImage& image) override;
    void SaveA(const char* path, CGraphicsImage& image) override;

    // The C symbol of the array; "unkown_xpm" when empty.
    char m_name[64] = {};
};

// The symbol name for a file name: the part after the last \ or /, at most
// 63 characters, each one that is no letter, "_" or (not first) digit as "_".
void MakeXpmSymbolName(const WCHAR* path, char* name);
void MakeXpmSymbolName(const char* path, char* name);
