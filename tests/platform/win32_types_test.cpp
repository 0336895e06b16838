#include "platform/win32/win.h"

#include <gtest/gtest.h>

#include <cstddef>

// The layer's structures must lie in memory as the platform's do: image
// headers are read and written as raw bytes by the format classes.
TEST(Win32Types, LayoutsMatchThePlatform)
{
    EXPECT_EQ(sizeof(WCHAR), 2u);
    EXPECT_EQ(sizeof(BITMAPINFOHEADER), 40u);
    EXPECT_EQ(sizeof(BITMAPFILEHEADER), 14u);
    EXPECT_EQ(sizeof(BITMAPV5HEADER), 124u);
    EXPECT_EQ(offsetof(BITMAPINFOHEADER, biBitCount), 14u);
    EXPECT_EQ(offsetof(BITMAPINFOHEADER, biClrImportant), 36u);
    EXPECT_EQ(offsetof(BITMAPV5HEADER, bV5RedMask), 40u);
    EXPECT_EQ(offsetof(BITMAPV5HEADER, bV5Reserved), 120u);
    EXPECT_EQ(offsetof(BITMAPINFO, bmiColors), 40u);
    EXPECT_EQ(RGB(1, 2, 3), 0x030201u);
}

TEST(Win32Gdi, DibSectionIsAlignedZeroedAndFreed)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 3;
    info.bmiHeader.biHeight = 2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = GetDC(nullptr);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, dc);
    ASSERT_NE(section, nullptr);
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(bits) % 4, 0u);
    const unsigned char* p = static_cast<const unsigned char*>(bits);
    for (int i = 0; i < 2 * 12; ++i)
        EXPECT_EQ(p[i], 0) << i;
    EXPECT_TRUE(DeleteObject(section));
}

TEST(Win32Gdi, DibSectionRefusesDepthsGdiLacks)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 4;
    info.bmiHeader.biHeight = 4;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biCompression = BI_RGB;
    for (WORD bits : {2, 12, 15}) {
        info.bmiHeader.biBitCount = bits;
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(CreateDIBSection(GetDC(nullptr), &info, DIB_RGB_COLORS, &p, nullptr, 0), nullptr) << bits;
        EXPECT_EQ(p, nullptr);
    }
}
