#include "graphics/formats/eps_reader.h"

#include "graphics/formats/eps_scan.h"
#include "graphics/formats/read_cursor.h"
#include "graphics/formats/tiff_reader.h"
#include "graphics/image.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint8_t kDosMagic[4] = {0xC5, 0xD0, 0xD3, 0xC6};
constexpr int64_t kDosHeaderSize = 32;
constexpr int32_t kDefaultResolution = 2835;
// Characters of a line looked at: the private form's line is short, and the
// image header needs only its start.
constexpr size_t kLineKeep = 1024;
constexpr size_t kPrivateMinLength = 16;
constexpr char kPrivateMark[] = "@BMP";
constexpr int kPrivateNumbers = 8;
constexpr int64_t kProcedureMax = 256;
constexpr int64_t kMaxComponents = 255;
constexpr int64_t kMaxBits = 8;
// Raster bytes one byte of text may stand for: a file that keeps an eighth
// of its data still loads (the rest 0); a few bytes cannot claim gigabytes.
constexpr int64_t kMaxExpansion = 4;

struct Description {
    int64_t width = 0;
    int64_t height = 0;
    int64_t bits = 0;
    int64_t components = 0;
    bool planar = false;
    bool bottomUp = false;
};

uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void SkipBlanks(CEpsScanner& s)
{
    while (s.Peek() == ' ' || s.Peek() == '\t')
        s.Get();
}

bool IsSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// "[" six numbers (digits with an optional minus) "]".
bool Matrix(CEpsScanner& s)
{
    if (s.Get() != '[')
        return false;
    for (int i = 0; i < 6; ++i) {
        s.SkipSpace();
        if (s.Peek() == '-')
            s.Get();
        int64_t v;
        if (!s.Unsigned(&v, INT32_MAX))
            return false;
    }
    s.SkipSpace();
    return s.Get() == ']';
}

// Procedure blocks up to the operator. Sets *inlineAt when a block opens
// inline data ("{<"), then the operator follows its closing ">}".
bool Procedures(CEpsScanner& s, int64_t* inlineAt)
{
    for (;;) {
        s.SkipSpace();
        if (s.Peek() != '{')
            return true;
        s.Get();
        if (s.Peek() == '<') {
            s.Get();
            *inlineAt = s.Position();
            for (int c = s.Get();; c = s.Get()) {
                if (c < 0)
                    throw EEpsCorruptFile();  // inline data never closed
                if (c == '>' && s.Peek() == '}') {
                    s.Get();
                    return true;
                }
            }
        }
        int64_t length = 0;
        for (int c = s.Get(); c != '}'; c = s.Get())
            if (c < 0 || ++length > kProcedureMax)
                return false;
    }
}

// "image", or "false" / "true" n with an optional "colorimage".
bool Operator(CEpsScanner& s, Description* d)
{
    s.SkipSpace();
    if (s.Word("image")) {
        d->components = 1;
        return true;
    }
    const bool planar = s.Word("true");
    if (!planar && !s.Word("false"))
        return false;
    s.SkipSpace();
    if (!s.Unsigned(&d->components, kMaxComponents) || d->components == 0)
        return false;
    d->planar = planar;
    const int64_t mark = s.Position();
    s.SkipSpace();
    if (!s.Word("colorimage"))
        s.MoveTo(mark);
    return true;
}

// The image header at the scanner's position: "W H B", the matrix, the
// procedures and the operator, over as many lines as they take. Sets the
// position of the data.
bool ImageHeader(CEpsScanner& s, Description* d, int64_t* dataAt)
{
    SkipBlanks(s);
    int64_t* const numbers[] = {&d->width, &d->height, &d->bits};
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (s.Peek() != ' ' && s.Peek() != '\t')
                return false;
            SkipBlanks(s);
        }
        if (!s.Unsigned(numbers[i], INT32_MAX))
            return false;
    }
    if (!IsSpace(s.Peek()))
        return false;
    s.SkipSpace();
    int64_t inlineAt = -1;
    if (!Matrix(s) || !Procedures(s, &inlineAt) || !Operator(s, d))
        return false;
    *dataAt = inlineAt >= 0 ? inlineAt : s.Position();
    return true;
}

// "W H B C x x PW PH ... @BMP": decimal numbers, physical sizes in micrometres.
Description PrivateForm(const std::string& line, int32_t* xResolution, int32_t* yResolution)
{
    int64_t v[kPrivateNumbers] = {};
    const char* p = line.c_str();
    for (int i = 0; i < kPrivateNumbers; ++i) {
        while (*p == ' ' || *p == '\t')
            ++p;
        const bool negative = *p == '-' || *p == '+' ? *p++ == '-' : false;
        if (*p < '0' || *p > '9')
            throw EEpsCorruptFile();
        for (; *p >= '0' && *p <= '9'; ++p)
            v[i] = std::min<int64_t>(v[i] * 10 + (*p - '0'), INT32_MAX);
        if (negative)
            v[i] = -v[i];
    }
    Description d;
    d.width = v[0];
    d.height = v[1];
    d.bits = v[2];
    d.components = v[3];
    d.bottomUp = true;
    if (d.width < 1 || d.height < 1 || d.width > kReadMaxSide || d.height > kReadMaxSide || d.bits < 1 ||
        d.bits > kMaxBits)
        throw EEpsCorruptFile();
    const int64_t physicalWidth = v[6], physicalHeight = std::llabs(v[7]);
    // Whole numbers: the same pixels per metre on every floating-point unit.
    const auto perMetre = [](int64_t pixels, int64_t micrometres) {
        return int32_t(std::clamp<int64_t>(pixels * 1000000 / micrometres, INT32_MIN, INT32_MAX));
    };
    if (physicalWidth != 0)
        *xResolution = perMetre(d.width, physicalWidth);
    if (physicalHeight != 0)
        *yResolution = perMetre(d.height, physicalHeight);
    return d;
}

// Only 1-bit and 8-bit grey and 8-bit RGB are images this reader can hold.
void CheckSupported(const Description& d)
{
    if (d.width < 1 || d.height < 1 || d.width > kReadMaxSide || d.height > kReadMaxSide)
        throw EEpsCorruptFile();
    const bool grey = d.components == 1 && (d.bits == 1 || d.bits == 8);
    const bool rgb = d.components == 3 && d.bits == 8;
    if (!grey && !rgb)
        throw EEpsNotSupported();
}

// Creates the image and decodes its rows; rows the data does not reach stay 0.
void ReadHexData(CEpsScanner& s, const Description& d, CGraphicsImage& image, CFormatInfo& info)
{
    const int64_t rowBytes = (d.components * d.width * d.bits + 7) >> 3;
    if (rowBytes * d.height > kMaxExpansion * (s.End() - s.Position()))
        throw EEpsCorruptFile();
    if (!image.Create(uint32_t(d.components * d.bits), uint32_t(d.width), uint32_t(d.height), 0))
        throw EEpsUnknownError();
    if (d.components == 1 && d.bits == 8)
        for (uint32_t i = 0; i < 256; ++i)
            image.SetPaletteRGB(i, uint8_t(i), uint8_t(i), uint8_t(i));
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
    const int height = int(d.height);
    const int width = int(d.width);
    for (int i = 0; i < height; ++i) {
        ReportFormatProgress(info, int(int64_t(i) * 100 / height));
        const int64_t got = s.Hex(row.data(), rowBytes);
        std::fill(row.begin() + got, row.end(), 0);
        uint8_t* out = image.RowAt(d.bottomUp ? height - 1 - i : i);
        if (d.components == 3 && d.planar) {
            const uint8_t* r = row.data();
            for (int x = 0; x < width; ++x, out += 3) {
                out[0] = r[2 * width + x];
                out[1] = r[width + x];
                out[2] = r[x];
            }
        } else if (d.components == 3) {
            const uint8_t* r = row.data();
            for (int x = 0; x < width; ++x, out += 3, r += 3) {
                out[0] = r[2];
                out[1] = r[1];
                out[2] = r[0];
            }
        } else {
            std::memcpy(out, row.data(), size_t(rowBytes));
        }
        if (got < rowBytes)
            break;
    }
}

}  // namespace

void CEpsReader::Read(CBufferedStream& stream, CGraphicsImage& image)
{
    CReadCursor in(stream, ThrowFormatError<EEpsFileReadError>, ThrowFormatError<EEpsCorruptFile>);
    m_nXResolution = m_nYResolution = kDefaultResolution;
    m_info.SetCommentA(nullptr);
    const int64_t start = in.Position();
    if (!in.Fits(kDosHeaderSize))
        throw EEpsFileReadError();
    uint8_t header[kDosHeaderSize];
    in.Bytes(header, kDosHeaderSize);

    int64_t end = in.Length();
    if (std::memcmp(header, kDosMagic, 4) == 0) {
        // Offsets count from where the file starts; each is checked against
        // the data before it is used.
        const int64_t psStart = start + Le32(header + 4);
        const int64_t psLength = Le32(header + 8);
        const int64_t preview = Le32(header + 20);
        if (preview != 0) {
            if (start + preview >= in.Length())
                throw EEpsCorruptFile();
            in.SeekTo(start + preview);
            CTiffReader tiff;
            tiff.Read(stream, image);
            m_info.SetCommentA(tiff.m_info.comment);
            return;
        }
        if (psStart >= in.Length())
            throw EEpsCorruptFile();
        end = std::min(psStart + psLength, in.Length());
        in.SeekTo(psStart);
    } else {
        if (header[0] != '%' || header[1] != '!')
            throw EEpsNotAEpsFile();
        in.SeekTo(start);
    }

    CEpsScanner s(in, end);
    std::string line;
    for (;;) {
        const int64_t mark = s.Position();
        if (!s.Line(&line, kLineKeep))
            break;
        const int64_t next = s.Position();
        while (!line.empty() && IsSpace(static_cast<unsigned char>(line.back())))
            line.pop_back();
        Description d;
        int64_t dataAt = next;
        bool found = false;
        if (line.size() >= kPrivateMinLength &&
            line.compare(line.size() - 4, 4, kPrivateMark) == 0) {
            d = PrivateForm(line, &m_nXResolution, &m_nYResolution);
            // Read right after the line, wherever it stands in the file.
            found = true;
        } else {
            s.MoveTo(mark);
            found = ImageHeader(s, &d, &dataAt);
        }
        if (found) {
            CheckSupported(d);
            s.MoveTo(dataAt);
            ReadHexData(s, d, image, m_info);
            if (d.bottomUp)
                image.SetResolution(m_nXResolution, m_nYResolution);
            return;
        }
        s.MoveTo(next);
    }
    throw EEpsCorruptFile();
}
