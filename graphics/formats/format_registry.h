// The one table of image formats the dispatchers know: each FormatId with
// the functions that make its reader and writer and the hooks for the
// dispatchers' transparency settings, and the file-name extensions that
// choose a writer. A format joins by filling in its row in
// format_registry.cpp; until then its row is empty and the dispatchers answer
// for it as for an unknown format.
#pragma once

#include <cstdint>

class CGraphicsImage;
class CGraphicsReader;
class CGraphicsWriter;

// The dispatchers' numbering of image formats.
enum FormatId : int32_t {
    kFormatUnknown = -1,
    kFormatBmp = 0,   // also a bare BITMAPINFOHEADER
    kFormatJpeg = 1,
    kFormatGif = 2,
    kFormatPng = 3,
    kFormatTiff = 4,
    kFormatXpm = 5,
    kFormatXwd = 6,
    kFormatPnm = 7,
    kFormatEps = 8,
    kFormatTls = 9,   // the library's own multi-image format, magic "TLSP"
    kFormatIcon = 10, // ICO and CUR, read only
    kFormatCount = 11,
};

struct GraphicsFormat {
    FormatId id;
    const char* name;
    // New reader / writer on the heap; null while the format is not built
    // (or, for the writer, cannot be written).
    CGraphicsReader* (*newReader)();
    CGraphicsWriter* (*newWriter)();
    // Applies the save transparency setting (-1: none, 0 or more: with
    // transparency, the GIF writer's transparent index) to a new writer for
    // `image`. Null: the format ignores it.
    void (*applySaveTransparency)(CGraphicsWriter& writer, const CGraphicsImage& image, int32_t setting);
    // The transparent colour index the reader found in its last read, -1 for
    // none. Null: the format has none to tell.
    int32_t (*transparentIndex)(const CGraphicsReader& reader);
};

// The row of a format; null for kFormatUnknown and values out of range.
const GraphicsFormat* FindGraphicsFormat(FormatId id);

// Save extensions in the order they are tried, each with its format.
struct GraphicsExtension {
    const char* extension;  // with its '.', upper case
    FormatId id;
};
extern const GraphicsExtension kGraphicsExtensions[];
extern const int kGraphicsExtensionCount;

// The format that saves files whose extension (the text from the last '.',
// compared without case) is `extension`; kFormatUnknown when none matches.
FormatId FormatForExtension(const char* extension);
