// The image libraries link and agree with our headers on both builds. On
// Windows this is where a libjpeg `boolean` of another size than the one the
// library was built with would show: libjpeg checks its structure sizes, and
// its boolean parameters are passed by value.
#include "platform/win32/win.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include <gtest/gtest.h>

namespace {

constexpr int kSide = 16;

#ifdef _WIN32
// The SDK's rpcndr.h and the library's jconfig.h both say unsigned char.
static_assert(sizeof(boolean) == 1);
#endif

struct JpegErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void LeaveOnJpegError(j_common_ptr info)
{
    std::longjmp(static_cast<JpegErrorTrap*>(info->client_data)->jump, 1);
}

// Encodes a grey square into `encoded` (malloc'd by libjpeg, freed by the
// caller). No object with a destructor lives in this frame.
bool EncodeJpeg(const unsigned char* grey, unsigned char** encoded, unsigned long* size)
{
    jpeg_compress_struct info;
    JpegErrorTrap trap;
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = LeaveOnJpegError;
    info.client_data = &trap;
    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, encoded, size);
    info.image_width = kSide;
    info.image_height = kSide;
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(grey + info.next_scanline * kSide);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

bool DecodeJpeg(const unsigned char* encoded, unsigned long size, unsigned char* grey, JDIMENSION* width)
{
    jpeg_decompress_struct info;
    JpegErrorTrap trap;
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = LeaveOnJpegError;
    info.client_data = &trap;
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, const_cast<unsigned char*>(encoded), size);
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || info.image_height != kSide || info.num_components != 1) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_start_decompress(&info);
    *width = info.output_width;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = grey + info.output_scanline * kSide;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

std::vector<unsigned char> GreyRamp()
{
    std::vector<unsigned char> grey(kSide * kSide);
    for (int i = 0; i < kSide * kSide; ++i)
        grey[i] = static_cast<unsigned char>(i);
    return grey;
}

TEST(ImageLibraries, JpegRoundTripKeepsTheRampClose)
{
    const std::vector<unsigned char> grey = GreyRamp();
    unsigned char* encoded = nullptr;
    unsigned long size = 0;
    ASSERT_TRUE(EncodeJpeg(grey.data(), &encoded, &size));
    ASSERT_NE(encoded, nullptr);
    std::vector<unsigned char> decoded(grey.size());
    JDIMENSION width = 0;
    const bool ok = DecodeJpeg(encoded, size, decoded.data(), &width);
    std::free(encoded);
    ASSERT_TRUE(ok);
    EXPECT_EQ(width, JDIMENSION(kSide));
    for (size_t i = 0; i < grey.size(); ++i)
        EXPECT_NEAR(decoded[i], grey[i], 4) << i;
}

TEST(ImageLibraries, PngRoundTripIsExact)
{
    const std::vector<unsigned char> grey = GreyRamp();
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = kSide;
    image.height = kSide;
    image.format = PNG_FORMAT_GRAY;
    png_alloc_size_t size = 0;
    ASSERT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, grey.data(), 0, nullptr)) << image.message;
    std::vector<unsigned char> encoded(size);
    ASSERT_TRUE(png_image_write_to_memory(&image, encoded.data(), &size, 0, grey.data(), 0, nullptr)) << image.message;

    png_image read{};
    read.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&read, encoded.data(), size)) << read.message;
    EXPECT_EQ(read.width, png_uint_32(kSide));
    read.format = PNG_FORMAT_GRAY;
    std::vector<unsigned char> decoded(PNG_IMAGE_SIZE(read));
    ASSERT_TRUE(png_image_finish_read(&read, nullptr, decoded.data(), 0, nullptr)) << read.message;
    EXPECT_EQ(decoded, grey);
}

}  // namespace
