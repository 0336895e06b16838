// Bitmap fonts: self-contained blobs that CGraphicsImage::SetFont selects.
//
// Layout (little-endian): a short header (first and last character code, one
// byte each) or a 16-byte long header starting with FONT_LONG_MAGIC (flags at
// byte 4, u16 first and last at bytes 8 and 10); then one u32 offset from the
// blob's start per character; then optionally a trailer (FONT_TRAILER_MAGIC,
// u32 length counted from the magic, records of u16 type, u16 length, data).
// A glyph is u8 width, u8 height and its rows bottom first, ceil(width / 8)
// bytes each, the leftmost pixel in the top bit of the first byte.
#pragma once

#include <cstddef>
#include <cstdint>

typedef uint8_t BitmapFont;

constexpr uint8_t FONT_LONG_MAGIC[4] = {0x00, 0x00, 0x46, 0x4E};
constexpr uint32_t FONT_SHORT_HEADER_SIZE = 2;
constexpr uint32_t FONT_LONG_HEADER_SIZE = 16;
constexpr uint32_t FONT_TRAILER_MAGIC = 0x55AA00FF;
constexpr uint32_t FONT_TRAILER_MAX_LENGTH = 4096;
constexpr uint16_t FONT_RECORD_SPACING = 0;
constexpr uint16_t FONT_RECORD_NOMINAL_SPACING = 1;
constexpr uint16_t FONT_RECORD_BASELINE = 2;

// Vertical modes of m_nTextVAlign, read by SetFont.
enum TextVAlign : uint8_t { TEXT_TOP = 0, TEXT_MIDDLE = 1, TEXT_BOTTOM = 2, TEXT_BASELINE = 3 };
// Horizontal modes of m_nTextAlign; any value above 1 means right.
enum TextAlign : uint8_t { TEXT_LEFT = 0, TEXT_CENTRE = 1, TEXT_RIGHT = 2 };

// The built-in fonts: characters 0..255 of code page 1252, ink in the
// 0-bits, 14 and 24 pixels high.
constexpr int SMALL_FONT_HEIGHT = 14;
constexpr int LARGE_FONT_HEIGHT = 24;
extern const BitmapFont kSmallFont[];
extern const size_t kSmallFontSize;
extern const BitmapFont kLargeFont[];
extern const size_t kLargeFontSize;
