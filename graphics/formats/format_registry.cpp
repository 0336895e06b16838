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

#include <iterator>

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
        static_cast<CPngWriter&>(writer).m_nOptions = setting >= 0 ? kPngOptionAlpha : 0;
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
    static_cast<CGifWriter&>(writer).m_nTransparentIndex = uint32_t(setting);
}

int32_t GifTransparentIndex(const CGraphicsReader& reader)
{
    return static_cast<const CGifReader&>(reader).m_nTransparentIndex;
}

// Indexed by FormatId.
constexpr GraphicsFormat kFormats[kFormatCount] = {
    {kFormatBmp, "BMP", NewReader<CBmpReader>, NewWriter<CBmpWriter>, BmpSaveTransparency, nullptr},
    {kFormatJpeg, "JPEG", NewReader<CJpegReader>, NewWriter<CJpegWriter>, nullptr, nullptr},
    {kFormatGif, "GIF", NewReader<CGifReader>, NewWriter<CGifWriter>, GifSaveTransparency, GifTransparentIndex},
    {kFormatPng, "PNG", NewReader<CPngReader>, NewWriter<CPngWriter>, PngSaveTransparency, nullptr},
    {kFormatTiff, "TIFF", NewReader<CTiffReader>, NewWriter<CTiffWriter>, nullptr, nullptr},
    {kFormatXpm, "XPM", NewReader<CXpmReader>, NewWriter<CXpmWriter>, nullptr, nullptr},
    {kFormatXwd, "XWD", NewReader<CXwdReader>, NewWriter<CXwdWriter>, nullptr, nullptr},
    {kFormatPnm, "PNM", NewReader<CPnmReader>, NewWriter<CPnmWriter>, nullptr, nullptr},
    {kFormatEps, "EPS", NewReader<CEpsReader>, NewWriter<CEpsWriter>, nullptr, nullptr},
    {kFormatTls, "TLS", NewReader<CTlsReader>, NewWriter<CTlsWriter>, nullptr, nullptr},
    {kFormatIcon, "ICO", NewReader<CIconReader>, nullptr, nullptr, nullptr},
};

constexpr bool RowsInOrder()
{
    for (int i = 0; i < kFormatCount; ++i)
        if (kFormats[i].id != i)
            return false;
    return true;
}
static_assert(RowsInOrder(), "kFormats is indexed by FormatId");

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

const GraphicsExtension kGraphicsExtensions[] = {
    {".PNG", kFormatPng},  {".GIF", kFormatGif},   {".BMP", kFormatBmp},  {".JPG", kFormatJpeg},
    {".JPEG", kFormatJpeg}, {".XWD", kFormatXwd},  {".XPM", kFormatXpm},  {".PNM", kFormatPnm},
    {".TIFF", kFormatTiff}, {".TIF", kFormatTiff}, {".PS", kFormatEps},   {".EPS", kFormatEps},
    {".PRN", kFormatEps},  {".TLSP", kFormatTls},
};
const int kGraphicsExtensionCount = int(std::size(kGraphicsExtensions));

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
    for (const GraphicsExtension& e : kGraphicsExtensions)
        if (EqualNoCase(extension, e.extension))
            return e.id;
    return kFormatUnknown;
}
