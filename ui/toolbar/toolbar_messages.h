// The "ToolbarExWindow32" control's own message numbers and how every
// packed argument of its messages is laid out: one encoder for the bar that
// sends it and one decoder for the control's message table, so the bits of
// a form are written down once. No Windows headers; 32-bit words.
#pragma once

#include <algorithm>
#include <cstdint>

// The control's own messages.
enum : uint32_t {
    TBX_TIMERTICK = 0x46A,
    TBX_ITEMRECORD = 0x46D,
    TBX_RELAYOUT = 0x46E,
    TBX_CHILDINDEX = 0x470,
    TBX_SETSTATE = 0x473,
    TBX_GETSTATE = 0x474,
    TBX_SETIMAGE = 0x475,
    TBX_SETBUTTONWIDTH = 0x477,
    TBX_FITCHILD = 0x47F,
    TBX_GROUP = 0x480,
    TBX_ADDIMAGES = 0x483,
    TBX_HASBITMAP = 0x484,
    TBX_GETIDS = 0x485,
    TBX_REMOVEBITMAPS = 0x486,
    TBX_REMOVEBUTTONS = 0x487,
    TBX_SETSIZES = 0x48C,
    TBX_GETCHILD = 0x48D,
    TBX_ATTACH = 0x48E,
    TBX_SETWIDTHS = 0x48F,
    TBX_NEEDEDSIZE = 0x491,
    TBX_ADDBUTTON = 0x493,
    TBX_EXTRACOLOR = 0x494,
};

namespace toolbar {

// Markers of the packed forms.
constexpr uint32_t kAppendIndex = 0x3FF;           // TBX_ADDBUTTON's 10-bit index field: append
constexpr uint32_t kInsertTagMask = 0xFC00FFFF;    // what TBX_ADDBUTTON's wParam keeps besides the index
constexpr uint32_t kInsertTag = 0x50000001;
constexpr uint32_t kColorTag = 0x12480000;         // TBX_ATTACH: wParam is a command id, lParam a colour
constexpr uint32_t kNthCommandTag = 0x12800000;    // TB_COMMANDTOINDEX: the n-th button of an id
constexpr uint32_t kSlotTag = 0x12802E7E;          // TBX_GETCHILD: a child-control slot in bits 16..22
constexpr uint32_t kSizeFromChild = 0x2000;        // TBX_SETSIZES: a size taken from the child window
constexpr int kOneRow = 17000;                     // TBX_NEEDEDSIZE: lay out in one row
constexpr int kSlotCount = 128;                    // child-control slots
constexpr uint32_t kNoColor = 0xFFFFFFFF;
constexpr uint32_t kSlotBits = 0x7F;               // a slot or occurrence number: 7 bits from bit 16
constexpr uint32_t kNthCommandMask = 0xFF800000;   // TB_COMMANDTOINDEX: the tag's bits
constexpr uint32_t kSlotTagMask = 0xFF80FFFF;      // TBX_GETCHILD: everything but the slot
constexpr uint32_t kTagMask = 0xFFFF0000;          // TBX_ATTACH: the colour tag's bits
constexpr uint32_t kExtraColorTag = 0x80000000;    // TBX_EXTRACOLOR: wParam selects extra colour 0 or 1
constexpr uint32_t kAllButtons = 0xFFFFFFFF;       // TBX_SETWIDTHS: every button
constexpr uint32_t kRelayoutButtons = 3;           // TBX_RELAYOUT's wParam
// TBX_SETSIZES, TBX_FITCHILD: sized by the child.
constexpr uint32_t kChildSizes = kSizeFromChild | kSizeFromChild << 16;
constexpr uint32_t kLayoutCommit = 1;              // TBX_NEEDEDSIZE's lParam: keep the rectangles
constexpr uint32_t kLayoutByHeight = 2;            // TBX_NEEDEDSIZE's lParam: the limit is a height

// TB_COMMANDTOINDEX: the caller packs a command id, or the id with the tag
// and the occurrence n (0..127) in bits 16..22.
struct CommandQuery {
    uint16_t id;
    int nth;
};
constexpr uint32_t EncodeCommandQuery(uint16_t id, int nth)
{
    return id | kNthCommandTag | (uint32_t(nth) & kSlotBits) << 16;
}
constexpr CommandQuery DecodeCommandQuery(uint32_t word)
{
    if ((word & kNthCommandMask) == kNthCommandTag)
        return {uint16_t(word), int((word >> 16) & kSlotBits)};
    return {uint16_t(word), 0};
}

// TBX_GETCHILD: the caller packs a slot (0..127) in bits 16..22 beside the
// tag; -1 for a word without the tag.
constexpr uint32_t EncodeSlotQuery(int slot)
{
    return (uint32_t(slot) & kSlotBits) << 16 | kSlotTag;
}
constexpr int DecodeSlotQuery(uint32_t word)
{
    return (word & kSlotTagMask) == kSlotTag ? int((word >> 16) & kSlotBits) : -1;
}

// TBX_ATTACH: the caller packs a button index (a child window in lParam), or
// a command id with the colour tag (a colour in lParam).
struct AttachTarget {
    bool color;
    uint16_t value;  // the command id for a colour, else the index
};
constexpr uint32_t EncodeColorTarget(uint32_t id)
{
    return (id & 0xFFFF) | kColorTag;
}
constexpr AttachTarget DecodeAttachTarget(uint32_t word)
{
    return {(word & kTagMask) == kColorTag, uint16_t(word)};
}

// TBX_ADDBUTTON: the caller packs the insertion index (10 bits, kAppendIndex
// and beyond append) in bits 16..25 of the tag; -1 for a word without the
// tag.
constexpr uint32_t EncodeInsert(uint32_t index)
{
    return std::min(index, kAppendIndex) << 16 | kInsertTag;
}
constexpr int64_t DecodeInsert(uint32_t word)
{
    return (word & kInsertTagMask) == kInsertTag ? int64_t((word >> 16) & kAppendIndex) : -1;
}

// TBX_SETSTATE/TBX_GETSTATE: the caller packs state bits in bits 16..23 and
// the mask of the bits to change in 24..31. The idle update, SetCheck and
// SetButtonInfo all speak this form.
constexpr uint32_t PackState(uint8_t state, uint8_t mask = 0xFF)
{
    return uint32_t(state) << 16 | uint32_t(mask) << 24;
}
constexpr uint8_t ApplyStateWord(uint8_t state, uint32_t word)
{
    const uint8_t bits = uint8_t(word >> 16), mask = uint8_t(word >> 24);
    return uint8_t((state & ~mask) | (bits & mask));
}
// The bar's own state words: every mask bit, with the low word filled as
// the bar always sent it.
constexpr uint32_t kStateMaskAll = 0xFF00FF00;

// TBX_ATTACH, TBX_EXTRACOLOR: the caller packs a COLORREF, or a colour in
// 16-bit form (red in bits 0..4, green 5..10, blue 11..15) minus 0x10000.
constexpr bool IsPackedColor(uint32_t value)
{
    return value >= 0xFFFF0000u;
}
constexpr uint32_t Pack16Color(uint32_t colorref)
{
    const uint32_t red = colorref & 0xFF, green = (colorref >> 8) & 0xFF, blue = (colorref >> 16) & 0xFF;
    const uint32_t packed = (red >> 3) | (green >> 2) << 5 | (blue >> 3) << 11;
    return packed - 0x10000;
}
constexpr uint32_t UnpackColor(uint32_t value)
{
    if (!IsPackedColor(value))
        return value & 0xFFFFFF;
    const uint32_t packed = value & 0xFFFF;
    // Widen each field so that full intensity stays full (31 -> 255).
    const uint32_t red = (packed & 0x1F) * 255 / 31;
    const uint32_t green = ((packed >> 5) & 0x3F) * 255 / 63;
    const uint32_t blue = ((packed >> 11) & 0x1F) * 255 / 31;
    return red | green << 8 | blue << 16;
}

// TBX_EXTRACOLOR: the caller packs which extra colour (0 or 1) beside the
// tag; -1 for any other word.
constexpr uint32_t EncodeExtraColor(int which)
{
    return kExtraColorTag | (uint32_t(which) & 1);
}
constexpr int DecodeExtraColor(uint32_t word)
{
    return (word & ~1u) == kExtraColorTag ? int(word & 1) : -1;
}

// TBX_GROUP: the caller packs the first index in the low word and the count
// in the high word of wParam, the style bits in the low byte and their mask
// in bits 16..23 of lParam.
struct StyleRange {
    int index, count;
    uint8_t bits, mask;
};
constexpr uint32_t EncodeGroupRange(uint32_t index, uint32_t count)
{
    return count << 16 | (index & 0xFFFF);
}
constexpr uint32_t EncodeStyleChange(uint8_t bits, uint8_t mask)
{
    return uint32_t(mask) << 16 | bits;
}
constexpr StyleRange DecodeStyleRange(uint32_t range, uint32_t change)
{
    return {int(range & 0xFFFF), int(range >> 16), uint8_t(change), uint8_t(change >> 16)};
}

// TBX_SETSIZES: the caller packs a button's minimum width in the low word
// and its maximum in the high word (kSizeFromChild: the child window's
// width).
struct SizeLimits {
    uint16_t minWidth, maxWidth;
};
constexpr uint32_t EncodeSizeLimits(uint32_t minWidth, uint32_t maxWidth)
{
    return maxWidth << 16 | (minWidth & 0xFFFF);
}
constexpr SizeLimits DecodeSizeLimits(uint32_t word)
{
    return {uint16_t(word), uint16_t(word >> 16)};
}

// TBX_FITCHILD: the caller packs the button index in the high word.
constexpr uint32_t EncodeFitChild(uint32_t index)
{
    return index << 16;
}
constexpr int DecodeFitChild(uint32_t word)
{
    return int(word >> 16);
}

// TBX_NEEDEDSIZE: the caller packs the commit and by-height flags in lParam;
// the control answers the width in the low word and the height in the high
// word, each at most 0xFFFF.
struct LayoutRequest {
    bool commit, byHeight;
};
constexpr uint32_t EncodeLayoutFlags(bool commit, bool byHeight)
{
    return (commit ? kLayoutCommit : 0) | (byHeight ? kLayoutByHeight : 0);
}
constexpr LayoutRequest DecodeLayoutFlags(uint32_t word)
{
    return {(word & kLayoutCommit) != 0, (word & kLayoutByHeight) != 0};
}
constexpr uint32_t EncodeNeededSize(int cx, int cy)
{
    return uint32_t(std::clamp(cy, 0, 0xFFFF)) << 16 | uint32_t(std::clamp(cx, 0, 0xFFFF));
}
struct NeededSize {
    int cx, cy;
};
constexpr NeededSize DecodeNeededSize(uint32_t word)
{
    return {int(word & 0xFFFF), int(word >> 16)};
}

// TBX_SETWIDTHS: the caller packs a command id, or kAllButtons; -1 for all.
constexpr int DecodeWidthTarget(uint32_t word)
{
    return word == kAllButtons ? -1 : int(uint16_t(word));
}

// TBX_ADDIMAGES: the caller packs kSquareImages and a bitmap (square images
// of its height), or a bitmap and an image width.
constexpr uintptr_t kSquareImages = 65535;
struct ImageSource {
    uintptr_t bitmap;
    int width;  // kImageWidthAuto for square images
};
constexpr ImageSource DecodeImageSource(uintptr_t wParam, intptr_t lParam, int squareWidth)
{
    if (wParam == kSquareImages)
        return {uintptr_t(lParam), squareWidth};
    return {wParam, int(lParam)};
}

}  // namespace toolbar
