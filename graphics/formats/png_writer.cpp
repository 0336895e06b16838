#include "graphics/formats/png_writer.h"

#include "graphics/formats/png_binding.h"
#include "graphics/image.h"

#include <cstring>

namespace {

constexpr char kCommentKey[] = "Comment";

struct WriteArgs {
    CPngWriter* writer;
    CGraphicsImage* image;
    uint32_t options;
};

// The PNG form of an image: colour type, bit depth and the row function that
// gives each row in that form (null: rows as stored).
struct PngForm {
    int colorType;
    int bitDepth;
    CGraphicsImage::RowFn row;
};

PngForm FormOf(const CGraphicsImage& image, uint32_t options)
{
    switch (image.m_nBitCount) {
    case 1:
    case 2:
    case 4:
    case 8:
        return {PNG_COLOR_TYPE_PALETTE, int(image.m_nBitCount), nullptr};
    case 32:
        if (options & kPngOptionAlpha)
            return {PNG_COLOR_TYPE_RGB_ALPHA, 8, image.m_pfnRowTo32};
        [[fallthrough]];
    default:
        return {PNG_COLOR_TYPE_RGB, 8, image.m_pfnRowTo24};
    }
}

void WriteStep(PngSession& s, void* arg)
{
    WriteArgs& w = *static_cast<WriteArgs*>(arg);
    CGraphicsImage& image = *w.image;
    CFormatInfo& info = w.writer->m_info;

    if (info.comment) {
        png_text text;
        std::memset(&text, 0, sizeof text);
        text.compression = PNG_TEXT_COMPRESSION_NONE;
        text.key = const_cast<char*>(kCommentKey);
        text.text = info.comment;
        text.text_length = std::strlen(info.comment);
        png_set_text(s.png, s.info, &text, 1);
    }

    const PngForm form = FormOf(image, w.options);
    png_set_IHDR(s.png, s.info, image.m_nWidth, image.m_nHeight, form.bitDepth, form.colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (form.colorType == PNG_COLOR_TYPE_PALETTE) {
        png_color palette[256];
        const int count = 1 << form.bitDepth;
        for (int i = 0; i < count; ++i)
            image.GetPaletteRGB(uint32_t(i), &palette[i].red, &palette[i].green, &palette[i].blue);
        png_set_PLTE(s.png, s.info, palette, count);
    }
    png_write_info(s.png, s.info);
    if (form.colorType != PNG_COLOR_TYPE_PALETTE)
        png_set_bgr(s.png);

    const int height = int(image.m_nHeight);
    for (int y = 0; y < height; ++y) {
        ReportFormatProgress(info, int(int64_t(y) * 100 / height));
        const uint8_t* row = image.RowAt(y);
        png_write_row(s.png, form.row ? form.row(row, &image) : row);
    }
    png_write_end(s.png, s.info);
}

// Sets the option word for one save and puts the old one back afterwards.
class OptionScope {
public:
    OptionScope(uint32_t& word, uint32_t value) : m_word(word), m_old(word) { word = value; }
    ~OptionScope() { m_word = m_old; }
    OptionScope(const OptionScope&) = delete;
    OptionScope& operator=(const OptionScope&) = delete;

private:
    uint32_t& m_word;
    uint32_t m_old;
};

}  // namespace

void CPngWriter::Write(CBufferedStream& stream, CGraphicsImage& image)
{
    WriteWithAlpha(stream, image, m_options);
}

void CPngWriter::SaveW(const WCHAR* path, CGraphicsImage& image)
{
    SaveWithAlphaW(path, image, m_options);
}

void CPngWriter::SaveA(const char* path, CGraphicsImage& image)
{
    SaveWithAlphaA(path, image, m_options);
}

void CPngWriter::WriteWithAlpha(CBufferedStream& stream, CGraphicsImage& image, uint32_t options)
{
    m_stream = &stream;
    struct StreamReset {
        CPngWriter* writer;
        ~StreamReset() { writer->m_stream = nullptr; }
    } reset{this};

    Progress(0);
    RequireImage(image);
    PngWriteSession session(stream);
    WriteArgs args{this, &image, options};
    PngCallOrThrow(session, WriteStep, &args);
    Progress(100);
}

// Save by path runs the base's Write, which writes with the stored option
// word: the given options stand in for it during the save.
void CPngWriter::SaveWithAlphaA(const char* path, CGraphicsImage& image, uint32_t options)
{
    OptionScope scope(m_options, options);
    CFormatWriter::SaveA(path, image);
}

void CPngWriter::SaveWithAlphaW(const WCHAR* path, CGraphicsImage& image, uint32_t options)
{
    OptionScope scope(m_options, options);
    CFormatWriter::SaveW(path, image);
}
