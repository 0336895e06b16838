#include "graphics/formats/xpm_writer.h"

#include "graphics/formats/xpm_reader.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <string>
#include <unordered_map>
#include <vector>

void XpmWriterErrors::CreateFailed()
{
    throw EXpmError("Fehler beim Erzeugen der Dateio");
}

void XpmWriterErrors::WriteFailed()
{
    throw EXpmError("Fehler beim Schreiben in die Datei");
}

void XpmWriterErrors::EmptyImage()
{
    throw EXpmError("Falsche Bild-Daten !");
}

namespace {

constexpr char kAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ#_";

constexpr FormatErrorThrower ThrowWriteError = XpmWriterErrors::WriteFailed;

template <class Char>
void SymbolName(const Char* path, char* name)
{
    const Char* base = path;
    for (const Char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/') base = p + 1;
    int n = 0;
    for (; base[n] && n < 63; ++n) {
        const auto c = base[n];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        name[n] = letter || (n > 0 && c >= '0' && c <= '9') ? char(c) : '_';
    }
    name[n] = 0;
}

uint32_t PaletteColour(const CGraphicsImage& image, uint32_t index)
{
    uint8_t r = 0, g = 0, b = 0, fourth = 0;
    image.GetPaletteRGBA(index, &r, &g, &b, &fourth);
    const uint32_t colour = uint32_t(r) << 16 | uint32_t(g) << 8 | b;
    return colour == 0xFFFFFF && fourth == 0xFF ? kXpmNone : colour;
}

// The colour table and each pixel's entry in it.
struct XpmTable {
    std::vector<uint32_t> colours;
    CGraphicsImage reduced;       // the 8-bit image, when one was needed
    const CGraphicsImage* pixels; // what the entries are taken from
};

void BuildTable(CGraphicsImage& image, XpmTable& table)
{
    table.pixels = &image;
    if (image.m_nBitCount <= 8) {
        const uint32_t entries = image.m_nPaletteSize ? image.m_nPaletteSize : 1u << image.m_nBitCount;
        for (uint32_t i = 0; i < entries; ++i)
            table.colours.push_back(PaletteColour(image, i));
        return;
    }
    std::unordered_map<uint32_t, uint32_t> seen;
    for (int y = 0; y < int(image.m_nHeight) && seen.size() < size_t(kXpmMaxColours); ++y) {
        const uint8_t* row = image.RowAt(y);
        for (int x = 0; x < int(image.m_nWidth) && seen.size() < size_t(kXpmMaxColours); ++x) {
            const uint32_t colour = image.m_pfnGetPixel(row, x) & 0xFFFFFF;
            if (seen.emplace(colour, uint32_t(table.colours.size())).second) table.colours.push_back(colour);
        }
    }
    if (table.colours.size() < size_t(kXpmMaxColours)) return;
    if (!table.reduced.QuantizeFrom(image)) throw EXpmError("Kann Format nicht verarbeiten");
    table.colours.clear();
    table.pixels = &table.reduced;
    for (uint32_t i = 0; i < table.reduced.m_nPaletteSize; ++i)
        table.colours.push_back(PaletteColour(table.reduced, i) & 0xFFFFFF);
}

void Put(CBufferedStream& stream, const std::string& text)
{
    if (stream.Write(text.data(), int32_t(text.size())) != int32_t(text.size())) ThrowWriteError();
}

}  // namespace

void MakeXpmSymbolName(const WCHAR* path, char* name)
{
    SymbolName(path, name);
}

void MakeXpmSymbolName(const char* path, char* name)
{
    SymbolName(path, name);
}

void CXpmWriter::SaveW(const WCHAR* path, CGraphicsImage& image)
{
    MakeXpmSymbolName(path, m_name);
    CFormatWriter::SaveW(path, image);
}

void CXpmWriter::SaveA(const char* path, CGraphicsImage& image)
{
    MakeXpmSymbolName(path, m_name);
    CFormatWriter::SaveA(path, image);
}

void CXpmWriter::Write(CBufferedStream& stream, CGraphicsImage& image)
{
    RequireImage(image);
    XpmTable table;
    BuildTable(image, table);
    const uint32_t count = uint32_t(table.colours.size());
    int bits = 0;
    while ((count >> bits) != 0) ++bits;
    const int k = (bits + 5) / 6;
    const int width = int(image.m_nWidth), height = int(image.m_nHeight);

    if (stream.PrintfA("/* XPM */\nstatic char * %s[] = {\n\"%i %i %i %i\",\n", m_name[0] ? m_name : "unkown_xpm",
                       width, height, int(count), k) < 1)
        ThrowWriteError();
    // Keys, least significant digit first; entry `count` stands for colours
    // outside the table.
    std::vector<char> keys(size_t(count + 1) * size_t(k));
    for (uint32_t i = 0; i <= count; ++i)
        for (int j = 0; j < k; ++j)
            keys[size_t(i) * size_t(k) + size_t(j)] = kAlphabet[(i >> (6 * j)) & 63];
    for (uint32_t i = 0; i < count; ++i) {
        const std::string key(&keys[size_t(i) * size_t(k)], size_t(k));
        const int written = table.colours[i] == kXpmNone
                                ? stream.PrintfA("\"%s\tc None\",\n", key.c_str())
                                : stream.PrintfA("\"%s\tc #%06X\",\n", key.c_str(), table.colours[i] & 0xFFFFFF);
        if (written < 1) ThrowWriteError();
    }

    // Palette images: each index is its own entry; deeper ones look their
    // colour up.
    const CGraphicsImage& source = *table.pixels;
    std::unordered_map<uint32_t, uint32_t> entryOf;
    if (source.m_nBitCount > 8)
        for (uint32_t i = count; i-- > 0;) entryOf[table.colours[i]] = i;
    std::string line;
    for (int y = 0; y < height; ++y) {
        line.assign(1, '"');
        const uint8_t* row = source.RowAt(y);
        for (int x = 0; x < width; ++x) {
            uint32_t entry = source.m_pfnGetPixel(row, x);
            if (source.m_nBitCount > 8) {
                const auto it = entryOf.find(entry & 0xFFFFFF);
                entry = it == entryOf.end() ? count : it->second;
            } else if (entry >= count) {
                entry = count;
            }
            line.append(&keys[size_t(entry) * size_t(k)], size_t(k));
        }
        Progress(y * 99 / height);
        line += y + 1 < height ? "\",\n" : "\"};\n";
        Put(stream, line);
    }
    if (!stream.Flush()) ThrowWriteError();
    Progress(100);
}
