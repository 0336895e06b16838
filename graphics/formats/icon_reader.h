// CIconReader: reads one image of an .ico/.cur file or of the icon and
// cursor resources of a Windows executable (PE or 16-bit NE, parsed from the
// bytes, never loaded) into a CGraphicsImage.
//
// Image selector (signed 32 bits): 0 or more picks that index; a top byte
// 0x80 picks width (bits 0-7), height (bits 8-15) and depth (bits 16-23,
// 0xFF the deepest); any other negative value the largest, then deepest.
// Bits 24-25 are the resource kinds of executables (bit 24 icon groups, bit
// 25 cursor groups, none: icon groups) and are cleared before the selector
// is used. Group selector (executables; 0 for files): 0 or more is the
// ordinal among valid groups, negative the group whose id is minus it.
//
// The AND mask becomes a caller's 1-bit mask image (1 = transparent), or
// without one palette index 255 (transparent) and 254 (inverting) at depths
// up to 8, or the transparent colour with fourth byte 0 in true colour.
// Every failure throws EIconError (code 0).
#pragma once

#include "graphics/formats/format_framework.h"

#include <cstdint>

class CBufferedStream;

// Palette indices that mark the AND mask's pixels when no mask image is
// given (8-bit results and shallower).
constexpr uint8_t kIconTransparentIndex = 255;
constexpr uint8_t kIconInverseIndex = 254;

// One image of a file or executable, as EnumIcons reports it.
struct IconEntryInfo {
    uint32_t resourceId;  // 0 for an .ico/.cur file
    uint16_t kind;        // 1 icon, 2 cursor
    uint16_t group;       // group ordinal; 0 for a file
    uint16_t index;       // image index in the directory or group
    uint16_t width;
    uint16_t height;
    uint16_t bitCount;
};
static_assert(sizeof(IconEntryInfo) == 16, "IconEntryInfo is a 16-byte record");

// What load by path throws when the path cannot be opened.
struct IconReaderErrors : GraphicsFileErrors {
    [[noreturn]] static void OpenFailed();  // EIconError "Datei konnte nicht geöffnet werden !"
};

class CIconReader : public CFormatReader<IconReaderErrors> {
public:
    CIconReader() = default;
    // The largest, deepest icon (selector -1, group 0, no mask image),
    // through ReadIcon and LoadIconW / LoadIconA.
    void Read(CBufferedStream& stream, CGraphicsImage& image) override;
    void LoadW(const WCHAR* path, CGraphicsImage& image) override;
    void LoadA(const char* path, CGraphicsImage& image) override;

    virtual void ReadIcon(CBufferedStream& stream, CGraphicsImage& image, CGraphicsImage* mask, int32_t selector,
                          int32_t group);
    virtual void LoadIconW(const WCHAR* path, CGraphicsImage& image, CGraphicsImage* mask, int32_t selector,
                           int32_t group);
    virtual void LoadIconA(const char* path, CGraphicsImage& image, CGraphicsImage* mask, int32_t selector,
                           int32_t group);
    // Fills up to n records (records may be null: count only) and returns the
    // number of images found, or -1 when the data is neither an icon
    // directory nor an executable. The stream variant throws EIconError on
    // damaged data; the path variants return -1 instead.
    int32_t EnumIcons(CBufferedStream& stream, IconEntryInfo* records, int32_t n, uint32_t kinds);
    int32_t EnumIconsA(const char* path, IconEntryInfo* records, int32_t n, uint32_t kinds);
    int32_t EnumIconsW(const WCHAR* path, IconEntryInfo* records, int32_t n, uint32_t kinds);

    // Frees palette indices 255 and 254 of an 8-bit image for use as markers:
    // their colours move to the least-used indices 16..253 (when those are
    // used less), whose own pixels take the nearest remaining colour.
    static void FreeMarkerIndices(CGraphicsImage& image);

    CBufferedStream* m_stream = nullptr;
    uint32_t m_transparentColour = 0x40C0C0;
    uint32_t m_inverseColour = 0xC040C0;
};
