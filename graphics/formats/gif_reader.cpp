#include "graphics/formats/gif_reader.h"

#include "graphics/formats/gif_format.h"
#include "graphics/formats/gif_lzw_decoder.h"
#include "graphics/formats/read_cursor.h"
#include "graphics/image.h"

#include <cstring>

namespace {

[[noreturn]] void ThrowOpenError()
{
    throw EGifError("Fehler beim Öffnen der Datei");
}

// Colour table entries of a packed size field.
uint32_t TableEntries(uint8_t packed)
{
    return 2u << (packed & kGifTableSizeMask);
}

void SkipSubBlocks(CReadCursor& in)
{
    while (const uint8_t length = in.U8())
        in.Skip(length);
}

// Stores the decoder's rows in stream order: straight down, or in the four
// interlace passes (every 8th row from 0, every 8th from 4, every 4th from 2,
// every 2nd from 1), reporting progress per row.
class RowStore final : public CGifLzwDecoder::RowSink {
public:
    RowStore(CGraphicsImage& image, CFormatInfo& info, bool interlaced)
        : m_image(image), m_info(info), m_interlaced(interlaced), m_height(image.m_nHeight)
    {
    }

    void Row(const uint8_t* indices) override
    {
        std::memcpy(m_image.RowAt(int(m_y)), indices, m_image.m_nWidth);
        ++m_done;
        ReportFormatProgress(m_info, int(uint64_t(m_done) * 100 / m_height));
        Advance();
    }

private:
    struct Pass {
        uint32_t start, step;
    };
    static constexpr Pass kPasses[] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    static constexpr uint32_t kPassCount = 4;

    void Advance()
    {
        if (!m_interlaced) {
            ++m_y;
            return;
        }
        m_y += kPasses[m_pass].step;
        // Passes that hold no row of a short image are skipped.
        while (m_y >= m_height && ++m_pass < kPassCount)
            m_y = kPasses[m_pass].start;
    }

    CGraphicsImage& m_image;
    CFormatInfo& m_info;
    const bool m_interlaced;
    const uint32_t m_height;
    uint32_t m_y = 0;
    uint32_t m_pass = 0;
    uint32_t m_done = 0;
};

}  // namespace

void CGifReader::LoadW(const WCHAR* path, CGraphicsImage& image)
{
    LoadPathW(path, image, ThrowOpenError);
}

void CGifReader::LoadA(const char* path, CGraphicsImage& image)
{
    LoadPathA(path, image, ThrowOpenError);
}

void CGifReader::Read(CBufferedStream& stream, CGraphicsImage& image)
{
    struct Finish {
        CGifReader& reader;
        ~Finish()
        {
            reader.m_pStream = nullptr;
            if (!reader.m_bImagePending && !reader.m_bKeepOpen) {
                reader.m_pGlobalTable.reset();
                reader.m_nGlobalColours = 0;
            }
        }
    } finish{*this};
    m_pStream = &stream;
    m_bImagePending = 0;
    m_nTransparentIndex = -1;
    m_nControlIndex = -1;

    {
        CReadCursor header(stream, ThrowFormatError<EGifFileReadError>, ThrowFormatError<EGifCorruptFile>);
        ReadHeader(header);
    }
    // Past the header, data that ends early is a corrupt stream.
    CReadCursor in(stream, ThrowFormatError<EGifCorruptFile>, ThrowFormatError<EGifCorruptFile>);
    ScanBlocks(in);
    ReadImage(in, image);
}

void CGifReader::ReadHeader(CReadCursor& in)
{
    char signature[kGifSignatureSize];
    in.Bytes(signature, kGifSignatureSize);
    if (std::memcmp(signature, kGif87a, kGifSignatureSize) != 0 &&
        std::memcmp(signature, kGif89a, kGifSignatureSize) != 0)
        throw EGifNotAGifFile();
    m_nScreenWidth = in.U16LE();
    m_nScreenHeight = in.U16LE();
    const uint8_t packed = in.U8();
    in.Skip(2);  // background index and aspect ratio
    m_pGlobalTable.reset();
    m_nGlobalColours = 0;
    if (packed & kGifTablePresent) {
        const uint32_t entries = TableEntries(packed);
        std::unique_ptr<uint8_t[]> table(new uint8_t[entries * 3]);
        in.Bytes(table.get(), entries * 3);
        m_pGlobalTable = std::move(table);
        m_nGlobalColours = entries;
    }
}

void CGifReader::ScanBlocks(CReadCursor& in)
{
    for (;;) {
        switch (in.U8()) {
        case 0x00:
            break;
        case kGifImageSeparator:
            m_bImagePending = 1;
            return;
        case kGifTrailer:
            m_bImagePending = 0;
            return;
        case kGifExtension:
            ReadExtension(in);
            break;
        default:
            in.ThrowCorrupt();
        }
    }
}

void CGifReader::ReadExtension(CReadCursor& in)
{
    const uint8_t label = in.U8();
    switch (label) {
    case kGifLabelControl: {
        const uint8_t size = in.U8();
        in.Require(size >= kGifControlSize);
        const uint8_t flags = in.U8();
        in.Skip(2);  // delay
        const uint8_t index = in.U8();
        in.Skip(size - kGifControlSize);
        // The block has no further sub-blocks: its terminator must follow.
        in.Require(in.U8() == 0);
        m_nControlIndex = (flags & kGifControlTransparent) ? index : -1;
        return;
    }
    case kGifLabelApplication:
        in.Require(in.U8() == kGifApplicationSize);
        in.Skip(kGifApplicationSize);
        break;
    case kGifLabelPlainText:
        in.Require(in.U8() == kGifPlainTextSize);
        in.Skip(kGifPlainTextSize);
        break;
    default:  // comments and labels we do not know are sub-blocks only
        break;
    }
    SkipSubBlocks(in);
}

void CGifReader::ReadImage(CReadCursor& in, CGraphicsImage& image)
{
    if (!m_bImagePending)
        throw EGifNoMoreImages();
    m_bImagePending = 0;
    m_nTransparentIndex = m_nControlIndex;

    m_nLeft = in.U16LE();
    m_nTop = in.U16LE();
    m_nWidth = uint16_t(in.Limit(in.U16LE(), 1, UINT16_MAX));
    m_nHeight = uint16_t(in.Limit(in.U16LE(), 1, UINT16_MAX));
    const uint8_t packed = in.U8();
    m_bInterlaced = (packed & kGifInterlaced) ? 1 : 0;

    uint8_t local[kGifMaxColours * 3];
    const uint32_t localEntries = (packed & kGifTablePresent) ? TableEntries(packed) : 0;
    in.Bytes(local, int64_t(localEntries) * 3);
    if (!localEntries && !m_pGlobalTable)
        in.ThrowCorrupt();

    const int rootBits = int(in.Limit(in.U8(), kGifMinRootBits, kGifMaxRootBits));
    // Each code of at least rootBits + 1 bits gives at most kGifMaxCodes
    // indices: a claim the remaining data cannot fill is refused before the
    // image is allocated.
    const int64_t pixels = int64_t(m_nWidth) * m_nHeight;
    in.Require(pixels <= in.Remaining() * 8 / (rootBits + 1) * kGifMaxCodes);

    if (!image.Create(8, m_nWidth, m_nHeight, 0))
        ThrowCreateError(image.m_nError);
    const uint32_t globalEntries = m_pGlobalTable ? m_nGlobalColours : 0;
    for (uint32_t i = 0; i < globalEntries && i < kGifMaxColours; ++i) {
        const uint8_t* rgb = &m_pGlobalTable[size_t(i) * 3];
        image.SetPaletteRGB(i, rgb[0], rgb[1], rgb[2]);
    }
    for (uint32_t i = 0; i < localEntries; ++i)
        image.SetPaletteRGB(i, local[i * 3], local[i * 3 + 1], local[i * 3 + 2]);

    CGifLzwDecoder decoder(in, rootBits, m_nWidth);
    RowStore rows(image, m_info, m_bInterlaced != 0);
    try {
        decoder.Decode(rows, m_nHeight);
        Progress(100);
    } catch (const EGraphicsAbort&) {
        return;  // a cancel keeps the rows decoded so far and ends quietly
    }

    // The image is complete: whatever follows it cannot take it back.
    try {
        decoder.SkipRest();
        ScanBlocks(in);
    } catch (const EGifError&) {
        m_bImagePending = 0;
    }
}
