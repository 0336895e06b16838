// The classifier: magic signatures decide alone, the weak tests only when
// none matched, the last weak match winning.
#include "graphics/formats/format_classify.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct ClassifyCase {
    const char* name;
    std::string bytes;  // padded with zeros to 64
    FormatId file;
    FormatId memory;
};

std::string B(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s.push_back(char(b));
    return s;
}

const std::string kPngSignature = B({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A});

const ClassifyCase kCases[] = {
    // Magic signatures.
    {"BMP", "BM" + B({0x36, 0x10, 0, 0, 0, 0, 0, 0}), kFormatBmp, kFormatBmp},
    {"JFIF", B({0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10}) + "JFIF", kFormatJpeg, kFormatJpeg},
    {"Exif JPEG without JFIF", B({0xFF, 0xD8, 0xFF, 0xE1, 0x12, 0x34}) + "Exif", kFormatJpeg, kFormatJpeg},
    {"FF DB", B({0xFF, 0xDB, 0, 0x43}), kFormatJpeg, kFormatJpeg},
    {"GIF87a", "GIF87a", kFormatGif, kFormatGif},
    {"GIF89a", "GIF89a", kFormatGif, kFormatGif},
    {"PNG", kPngSignature, kFormatPng, kFormatPng},
    {"TIFF II", B({'I', 'I', 0x2A, 0}), kFormatTiff, kFormatTiff},
    {"TIFF MM", B({'M', 'M', 0, 0x2A}), kFormatTiff, kFormatTiff},
    {"BigTIFF II", B({'I', 'I', 0x2B, 0, 8, 0}), kFormatTiff, kFormatTiff},
    {"BigTIFF MM", B({'M', 'M', 0, 0x2B, 0, 8}), kFormatTiff, kFormatTiff},
    {"TLS", "TLSP", kFormatTls, kFormatTls},
    {"PostScript", "%!PS-Adobe-3.0 EPSF-3.0", kFormatEps, kFormatEps},
    {"P1", "P1\n", kFormatPnm, kFormatPnm},
    {"P6", "P6 4 4 255\n", kFormatPnm, kFormatPnm},
    {"ICO, three images", B({0, 0, 1, 0, 3, 0, 16, 16}), kFormatIcon, kFormatIcon},
    {"CUR, one image", B({0, 0, 2, 0, 1, 0, 32, 32}), kFormatIcon, kFormatIcon},
    // Signatures beat the weak tests (in the original order they lost).
    {"PNG with JFIF in a text chunk", kPngSignature + B({0, 0, 0, 13}) + "IHDR....tEXtJFIF", kFormatPng,
     kFormatPng},
    {"BM with XPM", "BM...XPM", kFormatBmp, kFormatBmp},
    {"ICO with count 32 and an XWD-like version byte", B({0, 0, 1, 0, 32, 0, 0, 6}), kFormatIcon, kFormatIcon},
    {"GIF with char", "GIF89a char", kFormatGif, kFormatGif},
    // Weak tests.
    {"bare BITMAPINFOHEADER", B({40, 0, 0, 0, 0x10, 0, 0, 0, 0x20, 0, 0, 0, 1, 0, 8}), kFormatBmp, kFormatBmp},
    {"BITMAPINFOHEADER 65536 wide", B({40, 0, 0, 0, 0, 0, 1, 0, 0x20, 0, 0, 0}), kFormatUnknown, kFormatUnknown},
    {"BITMAPINFOHEADER 65536 high", B({40, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0}), kFormatUnknown, kFormatUnknown},
    {"JFIF alone", "....JFIF", kFormatJpeg, kFormatJpeg},
    {"XPM comment", "/* XPM */\nstatic char * x[] = {", kFormatXpm, kFormatXpm},
    {"C text with char only", "static char *icon[] = {", kFormatXpm, kFormatUnknown},
    {"JFIF then XPM: the last weak test wins", "JFIF XPM", kFormatXpm, kFormatXpm},
    {"DIB header with JFIF", B({40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}) + "JFIF", kFormatJpeg, kFormatJpeg},
    {"XWD version 7", B({0, 0, 0, 100, 0, 0, 0, 7}), kFormatXwd, kFormatXwd},
    {"XWD version 6", B({0, 0, 0, 100, 0, 0, 0, 6}), kFormatXwd, kFormatXwd},
    {"XWD with blanks", B({0, 0, 0, 100, ' ', ' ', ' ', 7}), kFormatXwd, kFormatXwd},
    {"XWD version 8", B({0, 0, 0, 100, 0, 0, 0, 8}), kFormatUnknown, kFormatUnknown},
    {"XPM text that looks like XWD", B({'!', 'X', 'P', 'M', 0, 0, 0, 7}), kFormatXwd, kFormatXwd},
    // Near misses.
    {"ICO without images", B({0, 0, 1, 0, 0, 0}), kFormatUnknown, kFormatUnknown},
    {"ICO with 33 images", B({0, 0, 1, 0, 33, 0}), kFormatUnknown, kFormatUnknown},
    {"ICO of type 3", B({0, 0, 3, 0, 1, 0}), kFormatUnknown, kFormatUnknown},
    {"TIFF without 42", "II..", kFormatUnknown, kFormatUnknown},
    {"GIF88a", "GIF88a", kFormatUnknown, kFormatUnknown},
    {"P7", "P7\nWIDTH 1", kFormatUnknown, kFormatUnknown},
    {"lower-case jfif", "jfif xpm", kFormatUnknown, kFormatUnknown},
    {"all zeros", "", kFormatUnknown, kFormatUnknown},
    {"text", "Hello, world", kFormatUnknown, kFormatUnknown},
};

TEST(Classify, SignaturesThenWeakTests)
{
    for (const ClassifyCase& c : kCases) {
        uint8_t header[kGraphicsHeaderSize] = {};
        ASSERT_LE(c.bytes.size(), kGraphicsHeaderSize) << c.name;
        std::memcpy(header, c.bytes.data(), c.bytes.size());
        EXPECT_EQ(ClassifyGraphicsHeader(header, HeaderSource::File), c.file) << c.name;
        EXPECT_EQ(ClassifyGraphicsHeader(header, HeaderSource::Memory), c.memory) << c.name;
    }
}

TEST(Classify, SubstringsAnywhereInTheHeader)
{
    for (size_t at : {size_t(0), size_t(30), kGraphicsHeaderSize - 4}) {
        uint8_t header[kGraphicsHeaderSize] = {};
        std::memset(header, '.', sizeof header);
        std::memcpy(header + at, "JFIF", 4);
        EXPECT_EQ(ClassifyGraphicsHeader(header, HeaderSource::Memory), kFormatJpeg) << at;
    }
    uint8_t header[kGraphicsHeaderSize + 4] = {};
    std::memset(header, '.', sizeof header);
    std::memcpy(header + kGraphicsHeaderSize - 2, "JFIF", 4);  // straddles the end: not seen
    EXPECT_EQ(ClassifyGraphicsHeader(header, HeaderSource::Memory), kFormatUnknown);
}

}  // namespace
