#include "graphics/formats/jpeg_reader.h"

#include "graphics/formats/jpeg_binding.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <cstring>
#include <string>

namespace {

// The fewest bits Huffman coding spends on one 8 x 8 block of one component:
// a sequential scan codes at least a DC difference and an end of block, one
// bit each; a progressive file at least the DC difference of its first scan.
// Arithmetic coding can spend far less on a flat block: it has no bound.
constexpr int64_t kJpegMinBitsPerBlock = 2;
constexpr int64_t kJpegMinBitsPerBlockProgressive = 1;

// Comment markers are kept up to this many bytes each.
constexpr unsigned kCommentLimit = 4096;
// Scanlines asked from libjpeg per call (it may deliver fewer).
constexpr int kRowBatch = 4;

// Grey, YCbCr and RGB files decode to BGR; CMYK, YCCK and unknown colour
// spaces are not read.
bool Decodable(const jpeg_decompress_struct& cinfo)
{
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        return true;
    default:
        return false;
    }
}

void HeaderStep(void* arg)
{
    jpeg_decompress_struct* cinfo = static_cast<jpeg_decompress_struct*>(arg);
    jpeg_save_markers(cinfo, JPEG_COM, kCommentLimit);
    jpeg_read_header(cinfo, TRUE);
    if (!Decodable(*cinfo))
        return;
#ifdef JCS_EXTENSIONS
    cinfo->out_color_space = JCS_EXT_BGR;
#else
    cinfo->out_color_space = cinfo->jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
#endif
    jpeg_calc_output_dimensions(cinfo);
}

void StartStep(void* arg)
{
    jpeg_start_decompress(static_cast<jpeg_decompress_struct*>(arg));
}

void FinishStep(void* arg)
{
    jpeg_finish_decompress(static_cast<jpeg_decompress_struct*>(arg));
}

struct RowArgs {
    jpeg_decompress_struct* cinfo;
    CGraphicsImage* image;
    CFormatInfo* info;
};

// Without libjpeg-turbo's BGR output: RGB or grey samples at the start of the
// row become BGR pixels in place.
void ToBgr(uint8_t* row, const jpeg_decompress_struct& cinfo)
{
#ifndef JCS_EXTENSIONS
    const int width = int(cinfo.output_width);
    if (cinfo.output_components == 1) {
        for (int x = width - 1; x >= 0; --x)
            row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = row[x];
    } else {
        SwapRedBlue24(row, width);
    }
#else
    (void)row;
    (void)cinfo;
#endif
}

void RowsStep(void* arg)
{
    RowArgs& r = *static_cast<RowArgs*>(arg);
    jpeg_decompress_struct* cinfo = r.cinfo;
    const JDIMENSION height = cinfo->output_height;
    while (cinfo->output_scanline < height) {
        const JDIMENSION first = cinfo->output_scanline;
        ReportFormatProgress(*r.info, int(uint64_t(first) * 100 / height));
        JSAMPROW rows[kRowBatch];
        const JDIMENSION count = height - first < JDIMENSION(kRowBatch) ? height - first : JDIMENSION(kRowBatch);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = r.image->RowAt(int(first + i));
        const JDIMENSION got = jpeg_read_scanlines(cinfo, rows, count);
        for (JDIMENSION i = 0; i < got; ++i)
            ToBgr(rows[i], *cinfo);
    }
}

// The fewest bytes in which the header's blocks can be coded, 0 when there
// is no bound.
int64_t LeastDataBytes(const jpeg_decompress_struct& cinfo)
{
    if (cinfo.arith_code)
        return 0;
    int64_t blocks = 0;
    for (int c = 0; c < cinfo.num_components; ++c)
        blocks += int64_t(cinfo.comp_info[c].width_in_blocks) * cinfo.comp_info[c].height_in_blocks;
    const int64_t bits = cinfo.progressive_mode ? kJpegMinBitsPerBlockProgressive : kJpegMinBitsPerBlock;
    return blocks * bits / 8;
}

// All saved comment markers joined in file order, when the first has data.
std::string CommentOf(const jpeg_decompress_struct& cinfo)
{
    std::string comment;
    if (!cinfo.marker_list || cinfo.marker_list->data_length == 0)
        return comment;
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next)
        comment.append(reinterpret_cast<const char*>(m->data), m->data_length);
    return comment;
}

}  // namespace

void CJpegReader::Read(CBufferedStream& stream, CGraphicsImage& image)
{
    try {
        JpegDecompressSession session;
        JpegCreateDecompressStep(session, stream);
        jpeg_decompress_struct& cinfo = session.cinfo;
        JpegCallOrThrow(session.err, HeaderStep, &cinfo);
        // Colour spaces without a BGR form end as libjpeg ends a decode that
        // delivered no rows.
        if (!Decodable(cinfo))
            ThrowJpegError(kJpegErrorTooLittleData);
        // Data too short for the size the header declares is refused before
        // a single pixel is allocated; decoding it could only end early.
        if (stream.GetLength() < LeastDataBytes(cinfo))
            ThrowJpegError(kJpegWarningEof);
        // The image is made before libjpeg sets up its buffers, so that a
        // size the image refuses costs nothing more.
        if (!image.Create(24, cinfo.output_width, cinfo.output_height))
            ThrowCreateError(image.m_nError);
        JpegCallOrThrow(session.err, StartStep, &cinfo);
        RowArgs rows{&cinfo, &image, &m_info};
        try {
            JpegCallOrThrow(session.err, RowsStep, &rows);
        } catch (const EGraphicsAbort&) {
            throw EJpegAbort();
        }
        Progress(100);
        const std::string comment = CommentOf(cinfo);
        m_info.SetCommentA(comment.empty() ? nullptr : comment.c_str());
        JpegCallOrThrow(session.err, FinishStep, &cinfo);
    } catch (...) {
        m_info.SetCommentA(nullptr);
        throw;
    }
}
