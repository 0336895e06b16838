#include "graphics/formats/png_reader.h"

#include "graphics/formats/png_binding.h"
#include "graphics/formats/png_palette.h"
#include "graphics/formats/read_cursor.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <cstring>

namespace {

constexpr int kMaxPaletteEntries = 256;
constexpr const char kCommentKey[] = "Comment";
constexpr const char kReadErrorText[] = "Fehler beim Lesen";
// libpng's own text for image data that ends before the rows do.
constexpr const char kTooLittleDataText[] = "Not enough image data";

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr int64_t kPngChunkFrame = 12;  // length, type and CRC around the data
constexpr int64_t kPngIhdrBytes = 13;
// Deflate codes at best 258 bytes in two bits (the shortest length and
// distance codes): no valid stream inflates more than 1032-fold.
constexpr int64_t kPngMaxDeflateRatio = 1032;
// libpng's own limits. An ancillary chunk of a valid file (text, an ICC
// profile) stays far below kPngMaxChunkBytes; more stored text chunks than
// kPngMaxStoredChunks are dropped with a warning.
constexpr png_alloc_size_t kPngMaxChunkBytes = 8u << 20;
constexpr png_uint_32 kPngMaxStoredChunks = 256;

[[noreturn]] void ThrowPngReadError()
{
    throw EGraphicsException(kReadErrorText);
}

[[noreturn]] void ThrowPngTooLittleData()
{
    throw EGraphicsException(kTooLittleDataText);
}

uint32_t ChunkType(const char (&name)[5])
{
    return uint32_t(uint8_t(name[0])) << 24 | uint32_t(uint8_t(name[1])) << 16 | uint32_t(uint8_t(name[2])) << 8 |
           uint8_t(name[3]);
}

int64_t PngChannelCount(int colorType)
{
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 0;  // libpng refuses it
    }
}

// Walks the chunk headers against the data's length before libpng reads
// anything, so that a chunk claiming more bytes than exist (image data
// aside) fails before libpng allocates for it, a size above the image's limit fails as Create
// would, and image data too short for the declared size fails before the
// pixels are allocated. Leaves the stream where it was; a file that is not a
// PNG, or has no header chunk first, is left to libpng.
void CheckPngLayout(CBufferedStream& stream)
{
    CReadCursor in(stream, ThrowPngReadError, ThrowPngTooLittleData);
    const int64_t start = in.Position();
    uint8_t signature[sizeof kPngSignature];
    if (!in.Fits(sizeof signature + kPngChunkFrame + kPngIhdrBytes))
        return;
    in.Bytes(signature, sizeof signature);
    const int64_t ihdrLength = in.U32BE();
    if (std::memcmp(signature, kPngSignature, sizeof signature) != 0 || ihdrLength != kPngIhdrBytes ||
        in.U32BE() != ChunkType("IHDR")) {
        in.SeekTo(start);
        return;
    }
    const int64_t width = in.U32BE(), height = in.U32BE();
    const int bitDepth = in.U8(), colorType = in.U8();
    if (width > kReadMaxSide || height > kReadMaxSide)
        ThrowCreateError(1);
    in.Skip(3 + 4);  // compression, filter, interlace; CRC
    int64_t imageData = 0;
    for (;;) {
        if (in.Remaining() == 0)
            break;  // no end chunk: libpng judges
        const int64_t length = in.U32BE();
        const uint32_t type = in.U32BE();
        if (type == ChunkType("IDAT") && !in.Fits(length + 4)) {
            // libpng reads image data piece by piece and keeps the rows it
            // got before the end: cut image data is left to it.
            imageData += in.Remaining();
            break;
        }
        in.Skip(length + 4);
        if (type == ChunkType("IDAT"))
            imageData += length;
        if (type == ChunkType("IEND"))
            break;
    }
    const int64_t rowBits = width * bitDepth * PngChannelCount(colorType);
    const int64_t rawBytes = height * ((rowBits + 7) / 8);
    in.Require(imageData >= rawBytes / kPngMaxDeflateRatio);
    in.SeekTo(start);
}

// What png_read_info told us, copied out of libpng's structures.
struct PngHeader {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    int interlace = 0;
    int channels = 0;
    int paletteCount = 0;
    PngPaletteEntry palette[kMaxPaletteEntries] = {};
    bool hasAlphaTable = false;  // a palette tRNS chunk
    int alphaCount = 0;
    uint8_t alpha[kMaxPaletteEntries] = {};
    png_textp texts = nullptr;  // owned by libpng's info structure
    int textCount = 0;
};

void ReadHeaderStep(PngSession& s, void* arg)
{
    PngHeader& h = *static_cast<PngHeader*>(arg);
    png_set_user_limits(s.png, png_uint_32(kReadMaxSide), png_uint_32(kReadMaxSide));
    png_set_chunk_malloc_max(s.png, kPngMaxChunkBytes);
    png_set_chunk_cache_max(s.png, kPngMaxStoredChunks);
    png_read_info(s.png, s.info);
    png_get_IHDR(s.png, s.info, &h.width, &h.height, &h.bitDepth, &h.colorType, &h.interlace, nullptr, nullptr);
    h.channels = png_get_channels(s.png, s.info);

    png_colorp palette = nullptr;
    int count = 0;
    if (png_get_PLTE(s.png, s.info, &palette, &count) && palette) {
        h.paletteCount = count < kMaxPaletteEntries ? count : kMaxPaletteEntries;
        for (int i = 0; i < h.paletteCount; ++i)
            h.palette[i] = {palette[i].red, palette[i].green, palette[i].blue};
    }

    png_bytep alpha = nullptr;
    int alphaCount = 0;
    if (h.colorType == PNG_COLOR_TYPE_PALETTE && png_get_tRNS(s.png, s.info, &alpha, &alphaCount, nullptr) &&
        alpha) {
        h.hasAlphaTable = true;
        h.alphaCount = alphaCount < kMaxPaletteEntries ? alphaCount : kMaxPaletteEntries;
        std::memcpy(h.alpha, alpha, size_t(h.alphaCount));
    }
    png_get_text(s.png, s.info, &h.texts, &h.textCount);
}

// The depth the image gets and the libpng transformations that produce it.
struct PngLayout {
    uint32_t bits = 0;
    bool greyPalette = false;  // grey of 1 to 8 bits: a palette image over a grey ramp
    bool scale16 = false;
    bool greyToRgb = false;
    bool bgr = false;
};

PngLayout LayoutFor(const PngHeader& h)
{
    PngLayout layout;
    layout.bits = uint32_t(h.bitDepth * h.channels);
    switch (h.colorType) {
    case PNG_COLOR_TYPE_GRAY:
        if (h.bitDepth <= 8) {
            layout.greyPalette = true;
            break;
        }
        layout = {24, false, true, true, true};
        break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        layout = {32, false, h.bitDepth > 8, true, true};
        break;
    case PNG_COLOR_TYPE_RGB:
    case PNG_COLOR_TYPE_RGB_ALPHA:
        // 16 bits per channel gives 48 or 64 bits, which no image has: the
        // image refuses them as a wrong colour format.
        layout.bgr = true;
        break;
    default:
        break;
    }
    return layout;
}

struct TransformArgs {
    const PngLayout* layout;
    int passes;
};

void TransformStep(PngSession& s, void* arg)
{
    TransformArgs& t = *static_cast<TransformArgs*>(arg);
    if (t.layout->scale16)
        png_set_scale_16(s.png);
    if (t.layout->greyToRgb)
        png_set_gray_to_rgb(s.png);
    if (t.layout->bgr)
        png_set_bgr(s.png);
    t.passes = png_set_interlace_handling(s.png);
}

struct RowArgs {
    CPngReader* reader;
    CGraphicsImage* image;
    int passes;
};

void RowsStep(PngSession& s, void* arg)
{
    RowArgs& r = *static_cast<RowArgs*>(arg);
    const int height = int(r.image->m_nHeight);
    const int64_t total = int64_t(r.passes) * height;
    for (int pass = 0; pass < r.passes; ++pass)
        for (int y = 0; y < height; ++y) {
            ReportFormatProgress(r.reader->m_info, int((int64_t(pass) * height + y) * 100 / total));
            // Interlaced passes each fill in their own pixels of the row.
            png_read_row(s.png, r.image->RowAt(y), nullptr);
        }
}

// Text chunks after the image data (where ImageMagick puts its comment).
void ReadEndStep(PngSession& s, void* arg)
{
    PngHeader& h = *static_cast<PngHeader*>(arg);
    png_read_end(s.png, s.info);
    png_get_text(s.png, s.info, &h.texts, &h.textCount);
}

// The last "Comment" text, else the first text whatever its key.
const char* FindComment(const PngHeader& h)
{
    if (h.textCount < 1 || !h.texts)
        return nullptr;
    for (int i = h.textCount - 1; i >= 1; --i)
        if (h.texts[i].key && std::strcmp(h.texts[i].key, kCommentKey) == 0)
            return h.texts[i].text;
    return h.texts[0].text;
}

// Palette transparency and colourless palettes, after all rows are in.
uint32_t FinishPalette(CGraphicsImage& image, const PngHeader& h)
{
    if (h.hasAlphaTable) {
        uint8_t alpha[kMaxPaletteEntries];
        std::memset(alpha, 255, sizeof alpha);
        std::memcpy(alpha, h.alpha, size_t(h.alphaCount));
        // Transparency that no pixel uses is ignored: the image stays a
        // palette image with its colours.
        if (UsesTransparentEntry(image, alpha)) {
            ExpandPaletteAlpha(image, alpha);
            return kPngColorAlpha;
        }
        return 0;
    }
    if (IsGreyPalette(h.palette, h.paletteCount, image.m_nBitCount))
        SetGreyRampPalette(image);
    return 0;
}

}  // namespace

void CPngReader::Read(CBufferedStream& stream, CGraphicsImage& image)
{
    m_stream = &stream;
    m_colorType = 0;
    struct StreamReset {
        CPngReader* reader;
        ~StreamReset() { reader->m_stream = nullptr; }
    } reset{this};

    PngReadSession session(stream);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Mutated files keep their checksums wrong; let the fuzzer past them.
    png_set_crc_action(session.png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    png_set_option(session.png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    Progress(0);
    CheckPngLayout(stream);
    PngHeader header;
    PngCallOrThrow(session, ReadHeaderStep, &header);
    m_colorType = uint32_t(header.colorType);
    m_info.SetCommentA(FindComment(header));

    if (header.width == 0 || header.height == 0)
        throw EGraphicsException("Das Format wird nicht unterstützt");

    const PngLayout layout = LayoutFor(header);
    if (!image.Create(layout.bits, header.width, header.height))
        ThrowCreateError(image.m_nError);
    if (layout.greyPalette)
        SetGreyRampPalette(image);
    if (header.colorType == PNG_COLOR_TYPE_PALETTE) {
        // Entries the file does not define are black, whatever the depth's
        // default palette holds.
        for (uint32_t i = 0; i < image.m_nPaletteSize; ++i)
            image.SetPaletteEntry(i, 0);
        for (int i = 0; i < header.paletteCount; ++i)
            image.SetPaletteRGB(uint32_t(i), header.palette[i].red, header.palette[i].green, header.palette[i].blue);
    }

    TransformArgs transform{&layout, 1};
    PngCallOrThrow(session, TransformStep, &transform);
    RowArgs rows{this, &image, transform.passes};
    PngCallOrThrow(session, RowsStep, &rows);
    // The rows are whole: trouble in the chunks after them (a bad CRC, no
    // end chunk) keeps the image and the texts read before the image data.
    if (PngGuardedCall(session, ReadEndStep, &header))
        m_info.SetCommentA(FindComment(header));

    if (header.colorType == PNG_COLOR_TYPE_PALETTE)
        m_colorType |= FinishPalette(image, header);
    Progress(100);
}
