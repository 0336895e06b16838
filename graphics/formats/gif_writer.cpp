#include "graphics/formats/gif_writer.h"

#include "graphics/formats/gif_format.h"
#include "graphics/formats/gif_lzw_encoder.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

void GifWriterErrors::CreateFailed()
{
    throw EGifError("Fehler beim Erzeugen der Datei");
}

void GifWriterErrors::EmptyImage()
{
    throw EGifError("Das Bils ist leer");
}

namespace {

constexpr char kCannotQuantize[] = "Kann Format nicht verarbeiten";
constexpr char kMissingImage[] = "Ein Bild Fehlt in der Liste";
constexpr char kNoImages[] = "Es wurden keine Bilder angegeben";
constexpr uint8_t kNetscapeLoop[] = {kGifExtension, kGifLabelApplication, kGifApplicationSize,
                                     'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                                     0x03, 0x01, 0x00, 0x03, 0x00};
constexpr int kHighIndex = 128;  // an index this high already needs the full table

void PutU16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

// The image itself at 8 bits or fewer, else its quantized copy in `temp`.
const CGraphicsImage& Indexed(const CGraphicsImage& image, CGraphicsImage& temp)
{
    if (image.m_nBitCount <= 8)
        return image;
    if (!temp.QuantizeFrom(image))
        throw EGifError(kCannotQuantize);
    return temp;
}

// Colour table bits: the depth, or for 8-bit images the fewest that hold
// the highest index used.
int TableBits(const CGraphicsImage& image)
{
    if (image.m_nBitCount != 8)
        return int(image.m_nBitCount);
    int highest = 0;
    for (int y = 0; y < int(image.m_nHeight) && highest < kHighIndex; ++y) {
        const uint8_t* row = image.RowAt(y);
        for (uint32_t x = 0; x < image.m_nWidth; ++x)
            highest = std::max<int>(highest, row[x]);
    }
    int bits = 1;
    while ((1 << bits) <= highest)
        ++bits;
    return bits;
}

// RGB triples of the first 2^bits palette entries.
std::vector<uint8_t> TableOf(const CGraphicsImage& image, int bits)
{
    std::vector<uint8_t> table(size_t(3) << bits);
    for (uint32_t i = 0; i < (1u << bits); ++i)
        image.GetPaletteRGB(i, &table[i * 3], &table[i * 3 + 1], &table[i * 3 + 2]);
    return table;
}

// Row y of a frame as `width` 8-bit indices; 0 outside the frame.
const uint8_t* FrameRow(const CGraphicsImage& frame, int y, uint32_t width, std::vector<uint8_t>& buffer)
{
    if (frame.m_nBitCount == 8 && frame.m_nWidth >= width && uint32_t(y) < frame.m_nHeight)
        return frame.RowAt(y);
    std::fill(buffer.begin(), buffer.end(), uint8_t(0));
    if (!frame.m_pBits || uint32_t(y) >= frame.m_nHeight)
        return buffer.data();
    const uint8_t* row = frame.RowAt(y);
    const uint32_t bits = frame.m_nBitCount;
    const uint32_t mask = (1u << bits) - 1;
    const uint32_t n = std::min(width, frame.m_nWidth);
    for (uint32_t x = 0; x < n; ++x) {
        const uint32_t bit = x * bits;
        buffer[x] = uint8_t(row[bit / 8] >> (8 - bits - bit % 8) & mask);
    }
    return buffer.data();
}

// What every frame of one write shares: the screen's size and global
// table, the frame count and the graphic control settings.
struct GifScreen {
    uint32_t width;
    uint32_t height;
    int globalBits;
    std::vector<uint8_t> globalTable;
    uint32_t count;
    bool transparent;
    uint32_t transparentIndex;
    uint16_t delay;
};

// The signature, the logical screen with its global table, the loop block
// of an animation and the comment (its ASCII characters, at most
// kMaxCommentBytes).
void WriteScreen(CBufferedStream& stream, const GifScreen& screen, uint8_t background, const char* comment)
{
    std::vector<uint8_t> head(kGif89a, kGif89a + kGifSignatureSize);
    PutU16(head, screen.width);
    PutU16(head, screen.height);
    head.push_back(uint8_t(kGifTablePresent | (screen.globalBits - 1) << 4 | (screen.globalBits - 1)));
    head.push_back(background);
    head.push_back(0);  // aspect ratio
    head.insert(head.end(), screen.globalTable.begin(), screen.globalTable.end());
    if (screen.count > 1)
        head.insert(head.end(), std::begin(kNetscapeLoop), std::end(kNetscapeLoop));
    std::string text;
    for (const char* p = comment; p && *p && text.size() < size_t(CGifWriter::kMaxCommentBytes); ++p)
        if (uint8_t(*p) < 0x80)
            text += *p;
    if (!text.empty()) {
        head.insert(head.end(), {kGifExtension, kGifLabelComment, uint8_t(text.size())});
        head.insert(head.end(), text.begin(), text.end());
        head.push_back(0);
    }
    GifPut(stream, head.data(), head.size());
}

// Writes the frames of one screen, reporting progress over all their rows.
class FrameWriter {
public:
    FrameWriter(CBufferedStream& stream, const GifScreen& screen, CFormatInfo& info)
        : m_stream(stream), m_screen(screen), m_info(info), m_rowBuffer(screen.width),
          m_step((uint64_t(100) << 24) / (uint64_t(screen.count) * screen.height))
    {
    }

    // A frame at 8 bits or fewer: its graphic control block (animations and
    // transparency), its descriptor at the screen's size, a local table when
    // its palette is not the global one, and its rows.
    void Write(const CGraphicsImage& frame, bool first)
    {
        const int frameBits = first ? m_screen.globalBits : TableBits(frame);
        std::vector<uint8_t> local;
        if (!first && frame.m_pBits) {
            local = TableOf(frame, frameBits);
            if (frameBits <= m_screen.globalBits &&
                std::equal(local.begin(), local.end(), m_screen.globalTable.begin()))
                local.clear();
        }
        std::vector<uint8_t> block;
        if (m_screen.transparent || m_screen.count > 1) {
            block.insert(block.end(), {kGifExtension, kGifLabelControl, uint8_t(kGifControlSize)});
            block.push_back(uint8_t((m_screen.transparent ? kGifControlTransparent : 0) |
                                    (m_screen.count > 1 ? kGifControlRestorePrevious : 0)));
            PutU16(block, m_screen.delay);
            block.push_back(uint8_t(m_screen.transparentIndex));
            block.push_back(0);
        }
        block.push_back(kGifImageSeparator);
        PutU16(block, 0);
        PutU16(block, 0);
        PutU16(block, m_screen.width);
        PutU16(block, m_screen.height);
        block.push_back(local.empty() ? 0 : uint8_t(kGifTablePresent | (frameBits - 1)));
        block.insert(block.end(), local.begin(), local.end());
        GifPut(m_stream, block.data(), block.size());

        CGifLzwEncoder encoder(m_stream, std::max<int>(int(frame.m_nBitCount), 2));
        for (uint32_t y = 0; y < m_screen.height; ++y) {
            encoder.Pixels(FrameRow(frame, int(y), m_screen.width, m_rowBuffer), m_screen.width);
            m_done += m_step;
            ReportFormatProgress(m_info, int(m_done >> 24));
        }
        encoder.Finish();
    }

private:
    CBufferedStream& m_stream;
    const GifScreen& m_screen;
    CFormatInfo& m_info;
    std::vector<uint8_t> m_rowBuffer;
    uint64_t m_step;  // percent per row, in units of 2^-24
    uint64_t m_done = 0;
};

// Clears the writer's list and stream when a write ends, however it ends.
struct WriteScope {
    CGifWriter& writer;
    ~WriteScope()
    {
        writer.images = nullptr;
        writer.imageCount = 1;
        writer.stream = nullptr;
    }
};

// Sets the list for one write of its first image through `write`.
template <class WriteFirst>
void WriteList(CGifWriter& writer, CGraphicsImage** images, uint32_t count, WriteFirst write)
{
    WriteScope scope{writer};
    if (!images || !images[0])
        throw EGifError(kNoImages);
    writer.images = images;
    writer.imageCount = count;
    write(*images[0]);
}

}  // namespace

void CGifWriter::WriteSequence(CBufferedStream& stream, CGraphicsImage** images, uint32_t count)
{
    WriteList(*this, images, count, [&](CGraphicsImage& first) { Write(stream, first); });
}

void CGifWriter::SaveSequenceA(const char* path, CGraphicsImage** images, uint32_t count)
{
    WriteList(*this, images, count, [&](CGraphicsImage& first) { SaveA(path, first); });
}

void CGifWriter::SaveSequenceW(const WCHAR* path, CGraphicsImage** images, uint32_t count)
{
    WriteList(*this, images, count, [&](CGraphicsImage& first) { SaveW(path, first); });
}

void CGifWriter::Write(CBufferedStream& stream, CGraphicsImage& image)
{
    WriteScope scope{*this};
    this->stream = &stream;
    CGraphicsImage** const list = images;
    const uint32_t count = list ? std::max<uint32_t>(imageCount, 1) : 1;

    RequireImage(image);
    CGraphicsImage firstTemp;
    const CGraphicsImage& first = Indexed(image, firstTemp);
    GifScreen screen{image.m_nWidth, image.m_nHeight, TableBits(first), {}, count,
                     transparentIndex < kNoTransparency, transparentIndex, delay};
    screen.globalTable = TableOf(first, screen.globalBits);
    WriteScreen(stream, screen, background, m_info.comment);

    FrameWriter frames(stream, screen, m_info);
    for (uint32_t i = 0; i < count; ++i) {
        CGraphicsImage* source = i == 0 ? &image : list[i];
        if (!source)
            throw EGifError(kMissingImage);
        CGraphicsImage temp;
        frames.Write(i == 0 ? first : Indexed(*source, temp), i == 0);
    }
    const uint8_t trailer = kGifTrailer;
    GifPut(stream, &trailer, 1);
    Progress(100);
}
