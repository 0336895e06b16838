// Heap DIBs from PNG data and packed DIBs: pixel order, row order, bounds.
#include "system/heap_dib.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct FreeDib {
    void operator()(BITMAPINFOHEADER* dib) const { std::free(dib); }
};
typedef std::unique_ptr<BITMAPINFOHEADER, FreeDib> Dib;

std::vector<uint8_t> MakePng(int width, int height, png_uint_32 format, const std::vector<uint8_t>& pixels)
{
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = format;
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr));
    std::vector<uint8_t> out(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr));
    out.resize(size);
    return out;
}

// The 32-bit pixel at (x, y) counted from the top, whatever the row order.
uint32_t Pixel(const BITMAPINFOHEADER* dib, int x, int y)
{
    const int height = dib->biHeight < 0 ? -dib->biHeight : dib->biHeight;
    const int row = dib->biHeight < 0 ? y : height - 1 - y;
    uint32_t value;
    std::memcpy(&value, reinterpret_cast<const uint8_t*>(dib) + dib->biSize + (row * dib->biWidth + x) * 4, 4);
    return value;
}

struct PngCase {
    png_uint_32 format;
    std::vector<uint8_t> pixels;  // 2 x 2, top row first
    unsigned flags;
    uint32_t expected[4];         // 0xAARRGGBB, top row first
};

TEST(HeapDib, DecodesPng)
{
    const PngCase cases[] = {
        {PNG_FORMAT_RGBA, {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 1, 2, 3, 4}, 0,
         {0xFFFF0000, 0x8000FF00, 0x000000FF, 0x04010203}},
        {PNG_FORMAT_RGB, {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 8, 7}, kHeapDibTopDown,
         {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF090807}},
        {PNG_FORMAT_GRAY, {0, 255, 16, 32}, 0, {0xFF000000, 0xFFFFFFFF, 0xFF101010, 0xFF202020}},
    };
    for (const PngCase& c : cases) {
        const std::vector<uint8_t> png = MakePng(2, 2, c.format, c.pixels);
        DWORD format = 0;
        Dib dib(DecodeHeapDib(png.data(), png.size(), c.flags, &format));
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(format, kHeapDibFromPng);
        EXPECT_EQ(dib->biBitCount, 32);
        EXPECT_EQ(dib->biHeight, (c.flags & kHeapDibTopDown) ? -2 : 2);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(Pixel(dib.get(), i % 2, i / 2), c.expected[i]) << c.format << " " << i;
        // Every cut before the image data's checksum and the end chunk fails.
        for (size_t cut = 0; cut + 16 < png.size(); cut += 3)
            EXPECT_EQ(Dib(DecodeHeapDib(png.data(), cut, 0, &format)), nullptr) << cut;
        EXPECT_EQ(format, 0u);
    }
}

std::vector<uint8_t> MakeDib(BITMAPINFOHEADER header, size_t paletteBytes, size_t bitsBytes)
{
    std::vector<uint8_t> out(sizeof header + paletteBytes + bitsBytes);
    std::memcpy(out.data(), &header, sizeof header);
    for (size_t i = sizeof header; i < out.size(); ++i)
        out[i] = uint8_t(i * 7);
    return out;
}

TEST(HeapDib, CopiesPackedDibs)
{
    BITMAPINFOHEADER header = {};
    header.biSize = 40;
    header.biWidth = 3;
    header.biHeight = 2;
    header.biPlanes = 1;
    header.biBitCount = 8;
    header.biClrUsed = 2;
    const std::vector<uint8_t> dib = MakeDib(header, 8, 8);
    EXPECT_EQ(PackedDibSize(header), dib.size());
    DWORD format = 0;
    Dib copy(DecodeHeapDib(dib.data(), dib.size() + 0, 0, &format));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(format, kHeapDibFromDib);
    EXPECT_EQ(std::memcmp(copy.get(), dib.data(), dib.size()), 0);
    Dib flipped(DecodeHeapDib(dib.data(), dib.size(), kHeapDibTopDown, nullptr));
    ASSERT_NE(flipped, nullptr);
    EXPECT_EQ(flipped->biHeight, -2);
    const uint8_t* bits = reinterpret_cast<const uint8_t*>(flipped.get()) + 48;
    EXPECT_EQ(std::memcmp(bits, dib.data() + 52, 4), 0);
    EXPECT_EQ(std::memcmp(bits + 4, dib.data() + 48, 4), 0);
    EXPECT_EQ(Dib(DecodeHeapDib(dib.data(), dib.size() - 1, 0, nullptr)), nullptr);

    struct Bad {
        const char* what;
        void (*spoil)(BITMAPINFOHEADER&);
    };
    const Bad bad[] = {
        {"header size", [](BITMAPINFOHEADER& h) { h.biSize = 12; }},
        {"width", [](BITMAPINFOHEADER& h) { h.biWidth = 0; }},
        {"planes", [](BITMAPINFOHEADER& h) { h.biPlanes = 2; }},
        {"depth", [](BITMAPINFOHEADER& h) { h.biBitCount = 7; }},
        {"colours", [](BITMAPINFOHEADER& h) { h.biClrUsed = 257; }},
        {"rle", [](BITMAPINFOHEADER& h) { h.biCompression = 1; }},
        {"side", [](BITMAPINFOHEADER& h) { h.biHeight = -kMaxHeapDibSide - 1; }},
        {"bytes", [](BITMAPINFOHEADER& h) { h.biWidth = h.biHeight = kMaxHeapDibSide, h.biBitCount = 32; }},
    };
    for (const Bad& b : bad) {
        BITMAPINFOHEADER spoilt = header;
        b.spoil(spoilt);
        EXPECT_EQ(PackedDibSize(spoilt), 0u) << b.what;
        const std::vector<uint8_t> data = MakeDib(spoilt, 8, 8);
        EXPECT_EQ(Dib(DecodeHeapDib(data.data(), data.size(), 0, nullptr)), nullptr) << b.what;
    }
}

}  // namespace
