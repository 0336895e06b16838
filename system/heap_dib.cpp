#include "system/heap_dib.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <cstddef>
#include <utility>

namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint32_t kRgb = 0;        // BI_RGB
constexpr uint32_t kBitFields = 3;  // BI_BITFIELDS
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kMaxHeaderSize = 124;  // BITMAPV5HEADER

uint64_t RowBytes(int64_t width, int bits)
{
    return ((uint64_t(width) * uint64_t(bits) + 31) / 32) * 4;
}

// Everything the libpng frame touches is plain data, freed by the caller:
// nothing with a destructor lives across setjmp.
struct PngJob {
    const uint8_t* data;
    size_t size;
    size_t position;
    unsigned flags;
    png_structp png;
    png_infop info;
    uint8_t* dib;
    png_bytep* rows;
    char message[128];
};

void ReadData(png_structp png, png_bytep out, png_size_t n)
{
    auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (n > job->size - job->position)
        png_error(png, "PNG data end early");
    std::memcpy(out, job->data + job->position, n);
    job->position += n;
}

void OnError(png_structp png, png_const_charp message)
{
    auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
    std::strncpy(job->message, message, sizeof job->message - 1);
    longjmp(png_jmpbuf(png), 1);
}

void OnWarning(png_structp, png_const_charp) {}

// The one frame with setjmp. On success job.dib holds the DIB.
bool DecodePng(PngJob& job)
{
    if (setjmp(png_jmpbuf(job.png)))
        return false;
    png_set_read_fn(job.png, &job, ReadData);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    png_set_crc_action(job.png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    png_set_option(job.png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    png_set_user_limits(job.png, kMaxHeapDibSide, kMaxHeapDibSide);
    png_read_info(job.png, job.info);
    const png_uint_32 width = png_get_image_width(job.png, job.info);
    const png_uint_32 height = png_get_image_height(job.png, job.info);
    const uint64_t stride = uint64_t(width) * 4;
    if (width == 0 || height == 0 || stride * height > kMaxHeapDibBytes)
        png_error(job.png, "PNG image too large");
    png_set_expand(job.png);
    png_set_strip_16(job.png);
    png_set_gray_to_rgb(job.png);
    png_set_bgr(job.png);
    png_set_add_alpha(job.png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(job.png);
    png_read_update_info(job.png, job.info);
    if (png_get_rowbytes(job.png, job.info) != stride)
        png_error(job.png, "PNG row size unexpected");
    job.dib = static_cast<uint8_t*>(std::malloc(kInfoHeaderSize + stride * height));
    job.rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (job.dib == nullptr || job.rows == nullptr)
        png_error(job.png, "out of memory");
    BITMAPINFOHEADER header = {};
    header.biSize = kInfoHeaderSize;
    header.biWidth = LONG(width);
    header.biHeight = (job.flags & kHeapDibTopDown) ? -LONG(height) : LONG(height);
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = kRgb;
    header.biSizeImage = DWORD(stride * height);
    std::memcpy(job.dib, &header, sizeof header);
    uint8_t* bits = job.dib + kInfoHeaderSize;
    for (png_uint_32 y = 0; y < height; ++y) {
        const png_uint_32 row = (job.flags & kHeapDibTopDown) ? y : height - 1 - y;
        job.rows[y] = bits + size_t(row) * size_t(stride);
    }
    png_read_image(job.png, job.rows);
    return true;
}

BITMAPINFOHEADER* FromPng(const uint8_t* data, size_t size, unsigned flags)
{
    PngJob job = {data, size, 0, flags, nullptr, nullptr, nullptr, nullptr, {}};
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, OnError, OnWarning);
    if (job.png == nullptr)
        return nullptr;
    job.info = png_create_info_struct(job.png);
    const bool ok = job.info != nullptr && DecodePng(job);
    png_destroy_read_struct(&job.png, job.info != nullptr ? &job.info : nullptr, nullptr);
    std::free(job.rows);
    if (!ok) {
        std::free(job.dib);
        return nullptr;
    }
    return reinterpret_cast<BITMAPINFOHEADER*>(job.dib);
}

BITMAPINFOHEADER* FromPackedDib(const uint8_t* data, size_t size, unsigned flags)
{
    if (size < kInfoHeaderSize)
        return nullptr;
    BITMAPINFOHEADER header;
    std::memcpy(&header, data, sizeof header);
    const uint64_t total = PackedDibSize(header);
    if (total == 0 || total > size)
        return nullptr;
    auto* dib = static_cast<uint8_t*>(std::malloc(size_t(total)));
    if (dib == nullptr)
        return nullptr;
    std::memcpy(dib, data, size_t(total));
    const bool topDown = header.biHeight < 0;
    if (((flags & kHeapDibTopDown) != 0) != topDown) {
        // Reverse the rows and the height's sign.
        const int64_t height = topDown ? -int64_t(header.biHeight) : header.biHeight;
        const uint64_t stride = RowBytes(header.biWidth, header.biBitCount);
        uint8_t* bits = dib + (total - stride * uint64_t(height));
        for (int64_t a = 0, b = height - 1; a < b; ++a, --b)
            for (uint64_t i = 0; i < stride; ++i)
                std::swap(bits[uint64_t(a) * stride + i], bits[uint64_t(b) * stride + i]);
        const LONG flipped = LONG(-int64_t(header.biHeight));
        std::memcpy(dib + offsetof(BITMAPINFOHEADER, biHeight), &flipped, sizeof flipped);
    }
    return reinterpret_cast<BITMAPINFOHEADER*>(dib);
}

}  // namespace

uint64_t PackedDibSize(const BITMAPINFOHEADER& header)
{
    const uint32_t bits = header.biBitCount;
    if (header.biSize < kInfoHeaderSize || header.biSize > kMaxHeaderSize || header.biPlanes != 1 ||
        header.biWidth <= 0 || header.biHeight == 0 || header.biWidth > kMaxHeapDibSide ||
        header.biHeight > kMaxHeapDibSide || header.biHeight < -kMaxHeapDibSide)
        return 0;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return 0;
    if (header.biCompression != kRgb && !(header.biCompression == kBitFields && (bits == 16 || bits == 32)))
        return 0;
    uint64_t colours = 0;
    if (bits <= 8) {
        colours = header.biClrUsed != 0 ? header.biClrUsed : 1u << bits;
        if (colours > (1u << bits))
            return 0;
    } else if (header.biClrUsed > 256) {
        return 0;
    } else {
        colours = header.biClrUsed;
    }
    // A 40-byte header is followed by its three masks; larger ones hold them.
    const uint64_t masks = header.biCompression == kBitFields && header.biSize == kInfoHeaderSize ? 12 : 0;
    const int64_t height = header.biHeight < 0 ? -int64_t(header.biHeight) : header.biHeight;
    const uint64_t total = header.biSize + masks + colours * 4 + RowBytes(header.biWidth, int(bits)) * uint64_t(height);
    return total <= kMaxHeapDibBytes ? total : 0;
}

BITMAPINFOHEADER* DecodeHeapDib(const void* data, size_t size, unsigned flags, DWORD* format)
{
    if (format != nullptr)
        *format = 0;
    if (data == nullptr)
        return nullptr;
    const auto* bytes = static_cast<const uint8_t*>(data);
    const bool png = size >= sizeof kPngSignature && std::memcmp(bytes, kPngSignature, sizeof kPngSignature) == 0;
    BITMAPINFOHEADER* dib = png ? FromPng(bytes, size, flags) : FromPackedDib(bytes, size, flags);
    if (dib != nullptr && format != nullptr)
        *format = png ? kHeapDibFromPng : kHeapDibFromDib;
    return dib;
}

#ifdef _WIN32
BITMAPINFOHEADER* LoadHeapDibA(BITMAPINFOHEADER* previous, HINSTANCE instance, const char* name, const char* type,
                               unsigned flags, DWORD* format)
{
    if (format != nullptr)
        *format = 0;
    HRSRC found = FindResourceA(instance, name, type);
    if (found == nullptr)
        return nullptr;
    HGLOBAL loaded = LoadResource(instance, found);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr)
        return nullptr;
    BITMAPINFOHEADER* dib = DecodeHeapDib(data, SizeofResource(instance, found), flags, format);
    if (dib != nullptr)
        std::free(previous);
    return dib;
}
#endif
