#include "graphics/formats/jpeg_writer.h"

#include "graphics/formats/jpeg_binding.h"
#include "graphics/image.h"

#include <algorithm>
#include <vector>

void JpegWriterErrors::WriteFailed()
{
    ThrowJpegError(kJpegErrorFileWrite);
}

namespace {

// Slack after a grey row, as libjpeg's own row buffers have.
constexpr size_t kRowSlack = 16;

struct WriteArgs {
    jpeg_compress_struct* cinfo;
    CGraphicsImage* image;
    CFormatInfo* info;
    uint32_t quality;
    bool grey;
    uint8_t* greyRow;  // width + kRowSlack bytes when grey
};

void StartStep(void* arg)
{
    WriteArgs& w = *static_cast<WriteArgs*>(arg);
    jpeg_compress_struct* cinfo = w.cinfo;
    cinfo->image_width = w.image->m_nWidth;
    cinfo->image_height = w.image->m_nHeight;
    if (w.grey) {
        cinfo->input_components = 1;
        cinfo->in_color_space = JCS_GRAYSCALE;
    } else {
        cinfo->input_components = 3;
#ifdef JCS_EXTENSIONS
        cinfo->in_color_space = JCS_EXT_BGR;
#else
        cinfo->in_color_space = JCS_RGB;
#endif
    }
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, int(w.quality), TRUE);
    jpeg_start_compress(cinfo, TRUE);
    const CFormatInfo& info = *w.info;
    if (info.comment && info.commentLength > 0)
        jpeg_write_marker(cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(info.comment), info.commentLength);
}

// One row in the form libjpeg was told to expect.
JSAMPROW PrepareRow(const WriteArgs& w, int y)
{
    CGraphicsImage& image = *w.image;
    uint8_t* bgr = image.m_pfnRowTo24(image.RowAt(y), &image);
    const int width = int(image.m_nWidth);
    if (w.grey) {
        for (int x = 0; x < width; ++x)
            w.greyRow[x] = uint8_t((77 * bgr[3 * x + 2] + 151 * bgr[3 * x + 1] + 29 * bgr[3 * x]) >> 8);
        return w.greyRow;
    }
#ifndef JCS_EXTENSIONS
    if (bgr == image.RowAt(y))
        bgr = image.m_pfnRowCopyTo24(image.RowAt(y), &image);  // never swap the image's own row
    SwapRedBlue24(bgr, width);
#endif
    return bgr;
}

void RowsStep(void* arg)
{
    WriteArgs& w = *static_cast<WriteArgs*>(arg);
    const int height = int(w.image->m_nHeight);
    for (int y = 0; y < height; ++y) {
        ReportFormatProgress(*w.info, int(int64_t(y) * 100 / height));
        JSAMPROW row = PrepareRow(w, y);
        jpeg_write_scanlines(w.cinfo, &row, 1);
    }
}

void FinishStep(void* arg)
{
    jpeg_finish_compress(static_cast<jpeg_compress_struct*>(arg));
}

}  // namespace

uint32_t CJpegWriter::SetQuality(uint32_t value)
{
    quality = std::clamp(value, kMinQuality, kMaxQuality);
    return quality;
}

uint8_t CJpegWriter::SetGrey(uint8_t value)
{
    grey = value;
    return grey;
}

void CJpegWriter::Write(CBufferedStream& stream, CGraphicsImage& image)
{
    JpegCompressSession session;
    JpegCreateCompressStep(session, stream);
    RequireImage(image);

    std::vector<uint8_t> greyRow(grey ? size_t(image.m_nWidth) + kRowSlack : 0);
    WriteArgs args{&session.cinfo, &image, &m_info, std::clamp(quality, kMinQuality, kMaxQuality), grey != 0,
                   greyRow.data()};
    JpegCallOrThrow(session.err, StartStep, &args);
    JpegCallOrThrow(session.err, RowsStep, &args);
    JpegCallOrThrow(session.err, FinishStep, &session.cinfo);
}
