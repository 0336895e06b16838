// Shared inside the icon reader: the throwers its cursors call, the choice
// of one image, the decode of one image's data block, and the executable
// walks.
#pragma once

#include <cstdint>
#include <vector>

class CBufferedStream;
class CGraphicsImage;
struct IconEntryInfo;

namespace icon_detail {

[[noreturn]] void FailExeRead();
[[noreturn]] void FailFormat();

// The largest image data accepted: a 256 x 256 x 32 DIB with its AND mask
// and a full colour table.
constexpr int64_t kIconMaxEntryBytes = 40 + 256 * 4 + 256 * 256 * 4 + 256 * 32;
constexpr uint32_t kDibHeaderSize = 40;
// Offsets of the BITMAPINFOHEADER fields an icon's DIB is read by.
enum DibField : int64_t {
    kDibSize = 0,
    kDibWidth = 4,
    kDibHeight = 8,  // doubled: the AND mask follows the pixels
    kDibPlanes = 12,
    kDibBitCount = 14,
    kDibCompression = 16,
    kDibColoursUsed = 32,
};
constexpr uint32_t kKindBits = 0x03000000;
constexpr uint32_t kKindIcons = 0x01000000;
constexpr uint32_t kKindCursors = 0x02000000;

// A width or height byte of a directory or group entry: 0 means 256.
inline uint32_t EntrySide(uint8_t side)
{
    return side ? side : 256;
}

struct IconCandidate {
    uint32_t width;
    uint32_t height;
    uint32_t depth;
};

// Index of the image the selector (kind bits cleared) picks, else EIconNotFound.
int32_t ChooseImage(const std::vector<IconCandidate>& candidates, int32_t selector);

// How a DIB is checked against its directory entry.
struct DibRules {
    bool cursorFile;     // a .cur entry: biHeight may equal the height (no mask)
    bool planesFor4And8; // executables: planes other than 1 pass only at 4 and 8 bits (files: at every depth)
    uint32_t depthHint;  // used when the DIB's bit count lies outside 1..32 (executables)
};

struct IconColours {
    uint32_t transparent;
    uint32_t inverse;
};

bool IsPngData(const uint8_t* data, int64_t size);

// Decodes one image (a PNG stream or a DIB with its AND mask) of `size`
// bytes whose entry names width x height.
void DecodeIconData(const uint8_t* data, int64_t size, uint32_t width, uint32_t height, const DibRules& rules,
                    CGraphicsImage& image, CGraphicsImage* mask, const IconColours& colours);

// One leaf of a PE resource tree: type and id from the first two levels.
struct ResourceLeaf {
    uint32_t type;
    uint32_t id;
    bool namedId;
    uint32_t offset;  // in the section copy
    uint32_t size;
};

// Walks the resource directory of a section copy loaded at `rva`, appending
// every leaf that lies wholly inside it; returns the directory entries
// visited, which never exceed size / 8.
int64_t WalkResourceSection(const uint8_t* section, int64_t size, uint32_t rva, std::vector<ResourceLeaf>& leaves);

// The executable readers; `header` is the "PE"/"NE" offset from `start`.
void ReadExeIcon(CBufferedStream& stream, int64_t start, int64_t header, bool pe, CGraphicsImage& image,
                 CGraphicsImage* mask, int32_t selector, int32_t group, const IconColours& colours);
int32_t EnumExeIcons(CBufferedStream& stream, int64_t start, int64_t header, bool pe, IconEntryInfo* records,
                     int32_t n, uint32_t kinds);

}  // namespace icon_detail
