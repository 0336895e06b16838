#include "examples/imgconv/imgconv_convert.h"

#include "graphics/formats/format_classify.h"
#include "graphics/formats/format_dispatch.h"
#include "graphics/image.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

// Formats that store a 32-bit picture's fourth bytes as alpha when saved
// with transparency.
constexpr FormatId kAlphaFormats[] = {kFormatPng, kFormatBmp};

// The format SaveGraphicsFile picks for a path: by the text from its last '.'.
FormatId SaveFormatOf(const char* path)
{
    const char* dot = std::strrchr(path, '.');
    return FormatForExtension(dot ? dot : path);
}

// Saves through the dispatcher; alpha is kept by switching the save
// transparency on for this save only (for GIF it would name an index).
int Save(const char* path, CGraphicsImage& image, const char* comment, bool keepAlpha)
{
    SetGraphicsSaveTransparency(keepAlpha ? 0 : kSaveTransparencyDefault);
    const int saved = SaveGraphicsFile(path, image, comment);
    SetGraphicsSaveTransparency(kSaveTransparencyDefault);
    return saved;
}

// TLS stores pictures of 8 bits or less as eight colours: whether the file
// written shows other colours than the picture.
bool TlsLostColours(const CGraphicsImage& image, const char* path)
{
    if (image.m_nBitCount > 8)
        return false;
    CGraphicsImage back;
    return LoadGraphicsFile(path, back) == kLoadOk && back.m_nWidth == image.m_nWidth &&
           back.m_nHeight == image.m_nHeight && MeanChannelDifference(image, back) > 0;
}

}  // namespace

std::string DisplayText(const char* text)
{
#ifdef _WIN32
    return text ? text : "";
#else
    static const char16_t kHigh[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
    };
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text ? text : ""); *p; ++p) {
        const uint32_t c = *p < 0x80 ? *p : *p < 0xA0 ? kHigh[*p - 0x80] : *p;
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | c >> 6);
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xE0 | c >> 12);
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
#endif
}

FormatId FormatOfFile(const char* path)
{
    uint8_t header[kGraphicsHeaderSize] = {};
    if (std::FILE* file = std::fopen(path, "rb")) {
        const size_t got = std::fread(header, 1, sizeof header, file);
        (void)got;  // a short file is classified zero-padded
        std::fclose(file);
    }
    return ClassifyGraphicsHeader(header, HeaderSource::File);
}

const char* FormatName(FormatId id)
{
    const GraphicsFormat* format = FindGraphicsFormat(id);
    return format ? format->name : "?";
}

double MeanChannelDifference(const CGraphicsImage& a, const CGraphicsImage& b)
{
    uint64_t sum = 0;
    for (int y = 0; y < int(a.m_nHeight); ++y) {
        // The row functions share the image's spare row: copy one side out.
        const uint8_t* ra = a.m_pfnRowTo24(a.RowAt(y), &a);
        const std::string rowA(reinterpret_cast<const char*>(ra), size_t(a.m_nWidth) * 3);
        const uint8_t* rb = b.m_pfnRowTo24(b.RowAt(y), &b);
        for (size_t i = 0; i < rowA.size(); ++i)
            sum += uint64_t(std::abs(int(uint8_t(rowA[i])) - int(rb[i])));
    }
    return double(sum) / (double(a.m_nWidth) * a.m_nHeight * 3);
}

bool KeepsAlpha(FormatId id)
{
    return std::find(std::begin(kAlphaFormats), std::end(kAlphaFormats), id) != std::end(kAlphaFormats);
}

std::string AlphaFormatNames()
{
    std::string names;
    for (size_t i = 0; i < std::size(kAlphaFormats); ++i)
        names += std::string(i == 0 ? "" : i + 1 < std::size(kAlphaFormats) ? ", " : " and ") +
                 FormatName(kAlphaFormats[i]);
    return names;
}

bool CarriesAlpha(const CGraphicsImage& image, FormatId loadedFrom)
{
    return image.m_nBitCount == 32 && loadedFrom != kFormatTls && image.HasAlpha();
}

int ConvertImageFile(const char* in, const char* out, const char* comment, std::FILE* info, std::FILE* errors)
{
    CGraphicsImage image;
    char* ownComment = nullptr;
    const int loaded = LoadGraphicsFile(in, image, &ownComment);
    if (loaded != kLoadOk) {
        std::fprintf(errors, "%s: %s\n", in, DisplayText(GetGraphicsLoadError()).c_str());
        return -loaded;
    }
    const FormatId from = FormatOfFile(in);
    std::fprintf(info, "%s: %s, %u x %u, %u bits", in, FormatName(from), image.m_nWidth, image.m_nHeight,
                 image.m_nBitCount);
    if (ownComment)
        std::fprintf(info, ", comment \"%s\"", DisplayText(ownComment).c_str());
    std::fprintf(info, "\n");

    const FormatId to = SaveFormatOf(out);
    const int saved = Save(out, image, comment ? comment : ownComment, CarriesAlpha(image, from) && KeepsAlpha(to));
    delete[] ownComment;
    if (saved != kSaveOk) {
        std::fprintf(errors, "%s: %s\n", out, DisplayText(GetGraphicsSaveError()).c_str());
        return -saved;
    }
    if (to == kFormatTls && TlsLostColours(image, out))
        std::fprintf(errors, "%s: warning: colours lost: TLS stores images of 8 bits or less as eight colours\n",
                     out);
    return 0;
}
