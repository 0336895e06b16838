// Numbers and message texts the TIFF reader and writer share.
#pragma once

#include <cstdint>

constexpr uint16_t kTiffVersion = 42;
constexpr int64_t kTiffHeaderSize = 8;
constexpr int64_t kTiffEntrySize = 12;

// Field types and their sizes in bytes.
enum : uint16_t {
    kTiffByte = 1,
    kTiffAscii = 2,
    kTiffShort = 3,
    kTiffLong = 4,
    kTiffRational = 5,
    kTiffSByte = 6,
    kTiffSShort = 8,
    kTiffSLong = 9,
};

enum : uint16_t {
    kTagNewSubfileType = 254,
    kTagImageWidth = 256,
    kTagImageLength = 257,
    kTagBitsPerSample = 258,
    kTagCompression = 259,
    kTagPhotometric = 262,
    kTagFillOrder = 266,
    kTagImageDescription = 270,
    kTagStripOffsets = 273,
    kTagSamplesPerPixel = 277,
    kTagRowsPerStrip = 278,
    kTagStripByteCounts = 279,
    kTagXResolution = 282,
    kTagYResolution = 283,
    kTagPlanarConfiguration = 284,
    kTagResolutionUnit = 296,
    kTagSoftware = 305,
    kTagPredictor = 317,
    kTagColorMap = 320,
    kTagExtraSamples = 338,
};

enum : uint32_t {
    kTiffCompressionNone = 1,
    kTiffCompressionFax = 2,  // CCITT modified Huffman, one-dimensional
    kTiffCompressionLzw = 5,
    kTiffCompressionPackBits = 32773,
};

enum : uint32_t {
    kTiffWhiteIsZero = 0,
    kTiffBlackIsZero = 1,
    kTiffRgb = 2,
    kTiffPalette = 3,
};

constexpr uint32_t kTiffPredictorNone = 1;
constexpr uint32_t kTiffPredictorHorizontal = 2;
// NewSubfileType bit of a reduced-resolution copy of another image.
constexpr uint32_t kTiffReducedImage = 1;

// Messages of ETiffError (code 0).
extern const char kTiffOpenFailed[];
extern const char kTiffReadFailed[];
extern const char kTiffBadHeader[];
extern const char kTiffBadEntry[];
extern const char kTiffNotSupported[];
extern const char kTiffBadMode[];
extern const char kTiffEmptyImage[];
extern const char kTiffWriteFailed[];
extern const char kTiffCreateFailed[];

// Throw ETiffError with one of the texts above.
[[noreturn]] void ThrowTiff(const char* text);
[[noreturn]] void ThrowTiffReadFailed();
[[noreturn]] void ThrowTiffBadEntry();

// Copies `width` pixels of 3 or 4 bytes, exchanging the first and third
// byte of each: TIFF's RGB(A) order to the image's BGR(A) and back.
void TiffSwapRedBlue(const uint8_t* from, uint8_t* to, uint32_t width, uint32_t samples);
