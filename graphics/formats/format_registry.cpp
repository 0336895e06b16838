#include "graphics/formats/format_registry.h"

#include "graphics/formats/bmp_reader.h"
#include "graphics/formats/bmp_writer.h"
#include "graphics/formats/eps_reader.h"
#include "graphics/formats/eps_writer.h"
#include "graphics/formats/gif_reader.h"
#include "graphics/formats/gif_writer.h"
#include "graphics/formats/icon_reader.h"
#include "graphics/formats/jpeg_reader.h"
#include "graphics/formats/jpeg_writer.h"
#include "graphics/formats/png_reader.h"
#include "graphics/formats/png_writer.h"
#include "graphics/formats/pnm_reader.h"
#include "graphics/formats/pnm_writer.h"
#include "graphics/formats/tiff_reader.h"
#include "graphics/formats/tiff_writer.h"
#include "graphics/formats/tls_reader.h"
#include "graphics/formats/tls_writer.h"
#include "graphics/formats/xpm_reader.h"
#include "graphics/formats/xpm_writer.h"
#include "graphics/formats/xwd_reader.h"
#include "graphics/formats/xwd_writer.h"
#include "graphics/image.h"

#include <string_view>

namespace {

template <class Reader>
CGraphicsReader* NewReader()
{
    return new Reader();
}

template <class Writer>
CGraphicsWriter* NewWriter()
{
    return new Writer();
}

// 32-bit images keep their alpha bytes when saved with transparency.
void PngSaveTransparency(CGraphicsWriter& writer, const CGraphicsImage& image, int32_t setting)
{
    if (image.m_nBitCount == 32)
        static_cast<CPngWriter&>(writer).m_options = setting >= 0 ? kPngOptionAlpha : 0;
}

// 32-bit images keep their fourth bytes when saved with transparency.
void BmpSaveTransparency(CGraphicsWriter& writer, const CGraphicsImage& image, int32_t setting)
{
    if (image.m_nBitCount == 32)
        static_cast<CBmpWriter&>(writer).SetBitCount(setting >= 0 ? 32 : 24);
}

// The setting is the transparent index; -1 (as 0xFFFFFFFF) means none.
void GifSaveTransparency(CGraphicsWriter& writer, const CGraphicsImage&, int32_t setting)
{
    static_cast<CGifWriter&>(writer).transparentIndex = uint32_t(setting);
}

int32_t GifTransparentIndex(const CGraphicsReader& reader)
{
    return static_cast<const CGifReader&>(reader).m_transparentIndex;
}

// ------------------------------------------------------------ header tests --

constexpr uint32_t kBitmapInfoHeaderSize = 40;
constexpr int kMaxIconImages = 32;
constexpr uint8_t kBlank = GraphicsHeader::kBlank;
constexpr uint8_t kXwdVersions[] = {6, 7};  // X10 and X11 dumps

// ICONDIR: reserved 0, type 1 (icon) or 2 (cursor), 1 to 32 images.
bool IsIconHeader(const GraphicsHeader& header)
{
    const uint8_t* h = header.bytes;
    return h[0] == 0 && h[1] == 0 && (h[2] == 1 || h[2] == 2) && h[3] == 0 && h[4] >= 1 && h[4] <= kMaxIconImages &&
           h[5] == 0;
}

// A BITMAPINFOHEADER without file header (a clipboard DIB), its width and
// height below 65536. Weak: any file may start with the word 40.
bool IsBitmapInfoHeader(const GraphicsHeader& header)
{
    const uint8_t* h = header.bytes;
    const uint32_t size = uint32_t(h[0]) | uint32_t(h[1]) << 8 | uint32_t(h[2]) << 16 | uint32_t(h[3]) << 24;
    return size == kBitmapInfoHeaderSize && h[6] == 0 && h[7] == 0 && h[10] == 0 && h[11] == 0;
}

// A JFIF marker somewhere in the header (its SOI may be missing). Weak: the
// word may stand in any text.
bool HasJfif(const GraphicsHeader& header)
{
    return header.Contains("JFIF");
}

// The "XPM" comment of XPM 3, or in files a C declaration of char. Weak:
// any C source says "char".
bool HasXpmWord(const GraphicsHeader& header)
{
    return header.Contains("XPM") || (header.source == HeaderSource::File && header.Contains("char"));
}

// An XWD header: the big-endian header size's three high bytes are zero
// (blank in the text), the version word is 6 or 7. Weak: many small
// big-endian numbers look like that.
bool IsXwdHeader(const GraphicsHeader& header)
{
    const uint8_t* t = header.text;
    return t[4] == kBlank && t[5] == kBlank && t[6] == kBlank &&
           (t[7] == kXwdVersions[0] || t[7] == kXwdVersions[1]);
}

// ----------------------------------------------------------------- the rows --

using namespace std::string_view_literals;

// Indexed by FormatId.
constexpr GraphicsFormat kFormats[kFormatCount] = {
    {kFormatBmp, "BMP", {"BM"sv}, nullptr, IsBitmapInfoHeader, {".BMP"},
     NewReader<CBmpReader>, NewWriter<CBmpWriter>, BmpSaveTransparency, nullptr},
    {kFormatJpeg, "JPEG", {"\xFF\xD8"sv, "\xFF\xDB"sv}, nullptr, HasJfif, {".JPG", ".JPEG"},
     NewReader<CJpegReader>, NewWriter<CJpegWriter>, nullptr, nullptr},
    {kFormatGif, "GIF", {"GIF87a"sv, "GIF89a"sv}, nullptr, nullptr, {".GIF"},
     NewReader<CGifReader>, NewWriter<CGifWriter>, GifSaveTransparency, GifTransparentIndex},
    {kFormatPng, "PNG", {"\x89PNG"sv}, nullptr, nullptr, {".PNG"},
     NewReader<CPngReader>, NewWriter<CPngWriter>, PngSaveTransparency, nullptr},
    // BigTIFF ("+" for "*") goes to the TIFF reader, which refuses it with
    // its header error.
    {kFormatTiff, "TIFF", {"II*\0"sv, "MM\0*"sv, "II+\0"sv, "MM\0+"sv}, nullptr, nullptr, {".TIFF", ".TIF"},
     NewReader<CTiffReader>, NewWriter<CTiffWriter>, nullptr, nullptr},
    {kFormatXpm, "XPM", {}, nullptr, HasXpmWord, {".XPM"},
     NewReader<CXpmReader>, NewWriter<CXpmWriter>, nullptr, nullptr},
    {kFormatXwd, "XWD", {}, nullptr, IsXwdHeader, {".XWD"},
     NewReader<CXwdReader>, NewWriter<CXwdWriter>, nullptr, nullptr},
    {kFormatPnm, "PNM", {"P1"sv, "P2"sv, "P3"sv, "P4"sv, "P5"sv, "P6"sv}, nullptr, nullptr, {".PNM"},
     NewReader<CPnmReader>, NewWriter<CPnmWriter>, nullptr, nullptr},
    {kFormatEps, "EPS", {"%!"sv}, nullptr, nullptr, {".PS", ".EPS", ".PRN"},
     NewReader<CEpsReader>, NewWriter<CEpsWriter>, nullptr, nullptr},
    {kFormatTls, "TLS", {"TLSP"sv}, nullptr, nullptr, {".TLSP"},
     NewReader<CTlsReader>, NewWriter<CTlsWriter>, nullptr, nullptr},
    {kFormatIcon, "ICO", {}, IsIconHeader, nullptr, {},
     NewReader<CIconReader>, nullptr, nullptr, nullptr},
};

constexpr bool RowsInOrder()
{
    for (int i = 0; i < kFormatCount; ++i)
        if (kFormats[i].id != i)
            return false;
    return true;
}
static_assert(RowsInOrder(), "kFormats is indexed by FormatId");

// No signature starts another, so the order in which they are tried cannot
// matter; none is longer than the header.
constexpr bool SignaturesApart()
{
    for (int i = 0; i < kFormatCount * kMaxFormatSignatures; ++i) {
        const std::string_view& a = kFormats[i / kMaxFormatSignatures].signatures[i % kMaxFormatSignatures];
        if (a.size() > kGraphicsHeaderSize)
            return false;
        for (int j = 0; j < kFormatCount * kMaxFormatSignatures; ++j) {
            const std::string_view& b = kFormats[j / kMaxFormatSignatures].signatures[j % kMaxFormatSignatures];
            if (i != j && !a.empty() && !b.empty() && (a.starts_with(b) || b.starts_with(a)))
                return false;
        }
    }
    return true;
}
static_assert(SignaturesApart(), "a signature must not start another");

// Every extension starts with its '.', is upper case and names one format.
constexpr bool ExtensionsApart()
{
    for (int i = 0; i < kFormatCount * kMaxFormatExtensions; ++i) {
        const char* a = kFormats[i / kMaxFormatExtensions].extensions[i % kMaxFormatExtensions];
        if (!a)
            continue;
        const std::string_view va(a);
        if (va.size() < 2 || va[0] != '.')
            return false;
        for (const char c : va)
            if (c >= 'a' && c <= 'z')
                return false;
        for (int j = 0; j < kFormatCount * kMaxFormatExtensions; ++j) {
            const char* b = kFormats[j / kMaxFormatExtensions].extensions[j % kMaxFormatExtensions];
            if (i != j && b && va == std::string_view(b))
                return false;
        }
    }
    return true;
}
static_assert(ExtensionsApart(), "extensions start with '.', are upper case and unique");

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

bool EqualNoCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (Upper(*a) != Upper(*b))
            return false;
    return *a == *b;
}

}  // namespace

const GraphicsFormat* FindGraphicsFormat(FormatId id)
{
    if (id < 0 || id >= kFormatCount)
        return nullptr;
    return &kFormats[id];
}

FormatId FormatForExtension(const char* extension)
{
    if (!extension)
        return kFormatUnknown;
    for (const GraphicsFormat& format : kFormats)
        for (const char* e : format.extensions)
            if (e && EqualNoCase(extension, e))
                return format.id;
    return kFormatUnknown;
}
