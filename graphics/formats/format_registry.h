// The one table of image formats the dispatchers know. A format's row holds
// every fact the dispatchers need of it: how its files begin (signatures and
// header tests, which the classifier runs), the extensions that choose its
// writer, the functions that make its reader and writer, and the hooks for
// the dispatchers' transparency settings. A new format is its own files, its
// FormatId below and its row in format_registry.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

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

// Formats are classified by this many first bytes of a file or block
// (shorter data zero-padded).
constexpr size_t kGraphicsHeaderSize = 64;

enum class HeaderSource { File, Memory };

// The first kGraphicsHeaderSize bytes as the header tests see them.
struct GraphicsHeader {
    static constexpr uint8_t kBlank = 0x20;  // what a zero byte is in `text`
    const uint8_t* bytes;  // as read
    const uint8_t* text;   // the same with every zero byte kBlank
    HeaderSource source;   // "char" counts only in files
    // True when `word` occurs anywhere in `text`.
    bool Contains(const char* word) const;
};

typedef bool (*HeaderTest)(const GraphicsHeader& header);

constexpr int kMaxFormatSignatures = 6;
constexpr int kMaxFormatExtensions = 3;

struct GraphicsFormat {
    FormatId id;
    const char* name;
    // Byte strings a file of the format starts with; any one decides alone.
    std::string_view signatures[kMaxFormatSignatures];
    // A header test that decides alone, run once no signature matched.
    HeaderTest strongTest;
    // A test that only suggests the format (a word anywhere in the header,
    // a field that many files share). Run only when no signature and no
    // strong test matched, in row order; the last match wins.
    HeaderTest weakTest;
    // Save extensions, upper case with their '.', in the order tried (the
    // first names the format's files, e.g. in imgconv's sample table).
    const char* extensions[kMaxFormatExtensions];
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

// The format that saves files whose extension (the text from the last '.',
// compared without case) is `extension`; kFormatUnknown when none matches.
FormatId FormatForExtension(const char* extension);
