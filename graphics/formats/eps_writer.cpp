#include "graphics/formats/eps_writer.h"

#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

namespace {

// A4 in points and the margin kept around a fitted image.
constexpr int kPageWidth = 595;
constexpr int kPageHeight = 841;
constexpr int kMargin = 15;
constexpr double kPointsPerMetre = 2834.0;
constexpr int kBytesPerLine = 30;
constexpr char kDigits[] = "0123456789abcdef";

constexpr const char* kTrailer =
    "currentdict /inputf undef\n"
    "currentdict /picstr undef\n"
    "currentdict /rpicstr undef\n"
    "currentdict /gpicstr undef\n"
    "currentdict /bpicstr undef\n"
    "currentdict /readstring undef\n"
    "grestore\n"
    "showpage\n"
    "%%Trailer\n";

enum class Template { Bilevel, Grey, Rgb };

constexpr FormatErrorThrower ThrowWriteError = EpsWriterErrors::WriteFailed;

// %i and %g as C writes them, never with a locale's decimal comma.
std::string Int(int64_t v)
{
    return std::to_string(v);
}

std::string G(double v)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, v, std::chars_format::general, 6);
    return std::string(text, result.ptr);
}

int Lightness(const CGraphicsImage& image, uint32_t index)
{
    uint8_t r, g, b;
    image.GetPaletteRGB(index, &r, &g, &b);
    return 76 * r + 152 * g + 29 * b;
}

bool IsGreyPalette(const CGraphicsImage& image)
{
    for (uint32_t i = 0; i < 256; ++i) {
        uint8_t r, g, b, fourth;
        image.GetPaletteRGBA(i, &r, &g, &b, &fourth);
        if (r != i || g != i || b != i || fourth != 0)
            return false;
    }
    return true;
}

Template TemplateOf(const CGraphicsImage& image)
{
    if (image.m_nBitCount == 1)
        return Template::Bilevel;
    if (image.m_nBitCount == 8 && IsGreyPalette(image))
        return Template::Grey;
    return Template::Rgb;
}

struct Placement {
    int left, bottom, right, top;
    double scaleX, scaleY;
};

Placement Place(int64_t width, int64_t height, int32_t xResolution, int32_t yResolution)
{
    Placement p{};
    if (xResolution >= 1 && yResolution >= 1) {
        p.scaleX = double(width) * kPointsPerMetre / xResolution;
        p.scaleY = double(height) * kPointsPerMetre / yResolution;
        const int w = int(p.scaleX), h = int(p.scaleY);
        p.left = w > kPageWidth - kMargin ? kMargin : (kPageWidth - w) / 2;
        p.right = p.left + w;
        p.bottom = h > kPageHeight - kMargin ? kMargin : (kPageHeight - h) / 2;
        p.top = p.bottom + h;
        return p;
    }
    const double fx = double(kPageWidth - 2 * kMargin) / double(width);
    const double fy = double(kPageHeight - 2 * kMargin) / double(height);
    const double f = std::min(fx, fy);
    if (fx < fy) {
        p.left = kMargin;
        p.right = kPageWidth - kMargin;
        const int h = int(double(height) * f);
        p.bottom = (kPageHeight - h) / 2;
        p.top = kPageHeight - p.bottom;
    } else {
        p.bottom = kMargin;
        p.top = kPageHeight - kMargin;
        const int w = int(double(width) * f);
        p.left = (kPageWidth - w) / 2;
        p.right = kPageWidth - p.left;
    }
    p.scaleX = double(width) * f;
    p.scaleY = double(height) * f;
    return p;
}

std::string Header(Template t, int64_t width, int64_t height, const Placement& p)
{
    const bool rgb = t == Template::Rgb;
    const int64_t bits = t == Template::Bilevel ? 1 : 8;
    const int64_t perComponent = (width * bits + 7) >> 3;
    const std::string n = Int(perComponent);
    std::string h = "%!PS-Adobe-3.0 EPSF-3.0\n";
    h += t == Template::Bilevel ? "%%LanguageLevel: 1\n" : "%%LanguageLevel: 2\n";
    h += "%%Creator: Velk-Tools\n%%Pages: 1\n";
    h += "%%BoundingBox: " + Int(p.left) + " " + Int(p.bottom) + " " + Int(p.right) + " " + Int(p.top) + "\n";
    h += "%%EndComments\n%%BeginSetup\n/readstring {\n  currentfile exch readhexstring pop\n} bind def\n";
    if (rgb)
        h += "/rpicstr " + n + " string def\n/gpicstr " + n + " string def\n/bpicstr " + n + " string def\n";
    else
        h += "/picstr " + n + " string def\n%%Dummy " + n + " " + n + "\n";
    h += "%%EndSetup\n%%Page: 1 1\ngsave\n";
    h += G(p.left + 0.25) + " " + G(p.bottom + 0.25) + " translate\n";
    h += G(p.scaleX) + " " + G(p.scaleY) + " scale\n";
    h += Int(width) + " " + Int(height) + " " + Int(bits) + "\n";
    h += "[ " + Int(width) + " 0 0 -" + Int(height) + " 0 " + Int(height) + " ]\n";
    if (rgb)
        h += "{ rpicstr readstring }\n{ gpicstr readstring }\n{ bpicstr readstring }\ntrue 3\ncolorimage\n";
    else
        h += "{ picstr readstring }\nimage\n";
    return h;
}

void Put(CBufferedStream& stream, const std::string& text)
{
    if (stream.Write(text.data(), int32_t(text.size())) != int32_t(text.size()))
        ThrowWriteError();
}

}  // namespace

void CEpsWriter::Write(CBufferedStream& stream, CGraphicsImage& image)
{
    RequireImage(image);
    const int64_t width = image.m_nWidth;
    const int height = int(image.m_nHeight);
    const Template t = TemplateOf(image);
    Put(stream, Header(t, width, height, Place(width, height, m_nXResolution, m_nYResolution)));

    // The page's 1 bits are white: invert rows whose palette has white at 0.
    const bool invert = t == Template::Bilevel && Lightness(image, 0) > Lightness(image, 1);
    const int64_t rowBytes = t == Template::Bilevel ? (width + 7) >> 3 : t == Template::Grey ? width : 3 * width;
    std::vector<uint8_t> planes(static_cast<size_t>(rowBytes));
    std::string text;
    int onLine = 0;  // bytes on the current line, counted across rows
    for (int y = 0; y < height; ++y) {
        Progress(int(int64_t(y) * 100 / height));
        const uint8_t* row = image.RowAt(y);
        if (t == Template::Rgb) {
            // Red, green and blue planes of the row.
            const uint8_t* bgr = image.m_pfnRowCopyTo24(row, &image);
            for (int64_t x = 0; x < width; ++x) {
                planes[size_t(x)] = bgr[3 * x + 2];
                planes[size_t(width + x)] = bgr[3 * x + 1];
                planes[size_t(2 * width + x)] = bgr[3 * x];
            }
            row = planes.data();
        }
        text.clear();
        for (int64_t i = 0; i < rowBytes; ++i) {
            const uint8_t b = invert ? uint8_t(~row[i]) : row[i];
            text += kDigits[b >> 4];
            text += kDigits[b & 15];
            if (++onLine == kBytesPerLine) {
                text += '\n';
                onLine = 0;
            }
        }
        Put(stream, text);
    }
    if (onLine > 0)
        Put(stream, "\n");
    Put(stream, kTrailer);
    Progress(100);
    if (!stream.Flush())
        ThrowWriteError();
}
