// CXpmReader: X PixMap text images (the C-source form of XPM 3).
//
// Up to 256 colours give an 8-bit palette image ("None" becomes the palette
// entry 0xFFFFFFFF), more (up to 1024) a 24-bit image. A colour line may hold
// several key/value pairs: the colour ("c") is taken before grey ("g", "g4")
// and mono ("m"); symbolic names ("s") are ignored. Values are "None", #
// with 3, 6, 9 or 12 hexadecimal digits, or an X11 colour name. Keys of 1 to
// 4 characters are looked up in a table, never by a scan of the colours.
// A row whose keys end early keeps 0 in its remaining pixels.
#pragma once

#include "graphics/formats/format_framework.h"

#include <cstdint>
#include <vector>

// What load by path throws when the path cannot be opened.
struct XpmReaderErrors : GraphicsFileErrors {
    [[noreturn]] static void OpenFailed();  // EXpmError "Fehler beim Öffnen der Datei"
};

class CXpmReader : public CFormatReader<XpmReaderErrors> {
public:
    CXpmReader() = default;
    void Read(CBufferedStream& stream, CGraphicsImage& image) override;

    // The colours of the last read in file order: 0x00RRGGBB, 0xFFFFFFFF for "None".
    std::vector<uint32_t> m_colours;
};

constexpr int64_t kXpmMaxSide = 8000;
constexpr int64_t kXpmMaxColours = 1024;
constexpr uint32_t kXpmNone = 0xFFFFFFFF;
