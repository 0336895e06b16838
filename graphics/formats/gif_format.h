// Bytes and limits of the GIF stream shared by the reader and the writer.
#pragma once

#include <cstdint>

constexpr int kGifSignatureSize = 6;
constexpr char kGif87a[] = "GIF87a";
constexpr char kGif89a[] = "GIF89a";

// Block introducers and extension labels.
constexpr uint8_t kGifImageSeparator = 0x2C;
constexpr uint8_t kGifExtension = 0x21;
constexpr uint8_t kGifTrailer = 0x3B;
constexpr uint8_t kGifLabelPlainText = 0x01;
constexpr uint8_t kGifLabelControl = 0xF9;
constexpr uint8_t kGifLabelComment = 0xFE;
constexpr uint8_t kGifLabelApplication = 0xFF;

// Fixed first sub-blocks of the extensions that have one.
constexpr int kGifControlSize = 4;
constexpr int kGifApplicationSize = 11;
constexpr int kGifPlainTextSize = 12;

// Packed bytes of the screen and image descriptors and the control block.
constexpr uint8_t kGifTablePresent = 0x80;
constexpr uint8_t kGifInterlaced = 0x40;
constexpr uint8_t kGifTableSizeMask = 0x07;
constexpr uint8_t kGifControlTransparent = 0x01;
constexpr uint8_t kGifControlRestorePrevious = 0x0C;  // disposal method 3

// LZW: codes of at most 12 bits, so the string table holds 4096 entries.
// A minimum code size of 12 is allowed too: its clear code needs 13-bit
// codes and leaves no room for strings. Roots above 255 name no palette
// index; the decoder refuses them as corrupt when they occur.
constexpr int kGifMaxCodeBits = 12;
constexpr int kGifMaxCodes = 1 << kGifMaxCodeBits;
constexpr int kGifMinRootBits = 1;
constexpr int kGifMaxRootBits = 12;

constexpr int kGifMaxColours = 256;
constexpr int kGifSubBlockMax = 255;
