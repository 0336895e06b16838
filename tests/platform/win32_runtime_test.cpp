// Windows build only: real GDI and USER behave as the library expects, under
// Wine with an X display (Xvfb) in the test runs.
#include "platform/win32/win.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr LONG kWidth = 5;  // odd, so rows need padding at every depth
constexpr LONG kHeight = 3;

struct DibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

DibInfo MakeInfo(WORD bits)
{
    DibInfo info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = kWidth;
    info.header.biHeight = kHeight;  // bottom-up
    info.header.biPlanes = 1;
    info.header.biBitCount = bits;
    info.header.biCompression = BI_RGB;
    for (int i = 0; i < 256; ++i)
        info.colors[i] = RGBQUAD{BYTE(i), BYTE(255 - i), BYTE(i * 7), 0};
    return info;
}

size_t Stride(WORD bits) { return ((size_t(bits) * kWidth + 31) / 32) * 4; }

class DibSectionTest : public ::testing::TestWithParam<WORD> {};

// What we write into a section's memory is what GDI reads back from it.
TEST_P(DibSectionTest, GetDIBitsSeesThePixelMemory)
{
    const WORD bits = GetParam();
    DibInfo info = MakeInfo(bits);
    HDC screen = GetDC(nullptr);
    void* memory = nullptr;
    HBITMAP section = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &memory, nullptr, 0);
    ASSERT_NE(section, nullptr);
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(memory) % 4, 0u);

    DIBSECTION described{};
    ASSERT_EQ(GetObject(section, sizeof(described), &described), int(sizeof(described)));
    EXPECT_EQ(described.dsBm.bmBits, memory);
    EXPECT_EQ(size_t(described.dsBm.bmWidthBytes), Stride(bits));

    const size_t size = Stride(bits) * kHeight;
    auto* bytes = static_cast<unsigned char*>(memory);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(i * 37 + 11);
    GdiFlush();

    DibInfo query = MakeInfo(bits);
    std::vector<unsigned char> copy(size, 0xAA);
    EXPECT_EQ(GetDIBits(screen, section, 0, kHeight, copy.data(), reinterpret_cast<BITMAPINFO*>(&query), DIB_RGB_COLORS),
              kHeight);
    // Row padding is not pixel data, so GDI need not keep it: compare only the
    // pixels' bits.
    const size_t used = (size_t(bits) * kWidth + 7) / 8;
    const unsigned spare = unsigned(used * 8 - size_t(bits) * kWidth);
    const auto lastMask = static_cast<unsigned char>(0xFF << spare);
    for (size_t i = 0; i < size; ++i) {
        const size_t column = i % Stride(bits);
        if (column >= used)
            continue;
        const unsigned char mask = column + 1 == used ? lastMask : 0xFF;
        EXPECT_EQ(copy[i] & mask, bytes[i] & mask) << "byte " << i;
    }
    ReleaseDC(nullptr, screen);
    EXPECT_TRUE(DeleteObject(section));
    EXPECT_EQ(GetObjectType(section), 0u);  // the handle is gone
}

INSTANTIATE_TEST_SUITE_P(AllGdiDepths, DibSectionTest, ::testing::Values<WORD>(1, 4, 8, 16, 24, 32),
                         [](const ::testing::TestParamInfo<WORD>& depth) { return "Bits" + std::to_string(depth.param); });

// GDI drawing lands in the section's memory, bottom-up and blue first.
TEST(Win32Runtime, GdiDrawsIntoTheSectionMemory)
{
    DibInfo info = MakeInfo(24);
    void* memory = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &memory, nullptr, 0);
    ASSERT_NE(section, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    HGDIOBJ old = SelectObject(dc, section);
    SetPixelV(dc, 1, 0, RGB(0x12, 0x34, 0x56));  // top row = last row in memory
    GdiFlush();
    const auto* pixel = static_cast<const unsigned char*>(memory) + (kHeight - 1) * Stride(24) + 3;
    EXPECT_EQ(pixel[0], 0x56);
    EXPECT_EQ(pixel[1], 0x34);
    EXPECT_EQ(pixel[2], 0x12);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(section);
}

constexpr UINT kEchoMessage = WM_APP + 7;

LRESULT CALLBACK EchoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kEchoMessage)
        return LRESULT(wParam * 3 + lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

// A window class registers, makes a window that answers messages, and goes.
TEST(Win32Runtime, WindowClassRoundTrip)
{
    const wchar_t* kClass = L"LindarRuntimeTestWindow";
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = EchoWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClass;
    ASSERT_NE(RegisterClassExW(&wc), 0);
    HWND window = CreateWindowExW(0, kClass, L"Prüfung", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                  instance, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageW(window, kEchoMessage, 5, 2), 17);
    wchar_t name[64] = {};
    EXPECT_EQ(GetClassNameW(window, name, 64), int(std::wcslen(kClass)));
    EXPECT_STREQ(name, kClass);
    wchar_t title[16] = {};
    GetWindowTextW(window, title, 16);
    EXPECT_STREQ(title, L"Prüfung");
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(UnregisterClassW(kClass, instance));
}

}  // namespace
