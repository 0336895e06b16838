#include "tests/winharness/screenshot.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>

#include "tests/support/test_support.h"

namespace winharness {

bool CaptureDC(HDC dc, int x, int y, int width, int height, Screenshot* shot)
{
    if (!dc || width <= 0 || height <= 0)
        return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first, like the result
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib)
        return false;
    const HDC memory = CreateCompatibleDC(dc);
    const HGDIOBJ previous = SelectObject(memory, dib);
    const BOOL copied = BitBlt(memory, 0, 0, width, height, dc, x, y, SRCCOPY);
    GdiFlush();
    if (copied) {
        shot->width = width;
        shot->height = height;
        shot->pixels.resize(size_t(width) * size_t(height));
        const uint32_t* source = static_cast<const uint32_t*>(bits);
        for (size_t i = 0; i < shot->pixels.size(); ++i)
            shot->pixels[i] = source[i] & 0x00FFFFFF;
    }
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(dib);
    return copied != FALSE;
}

bool CaptureWindow(HWND wnd, Screenshot* shot, bool clientOnly)
{
    if (!IsWindow(wnd))
        return false;
    RedrawWindow(wnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT rect;
    if (clientOnly)
        GetClientRect(wnd, &rect);
    else {
        GetWindowRect(wnd, &rect);
        OffsetRect(&rect, -rect.left, -rect.top);
    }
    const HDC dc = clientOnly ? GetDC(wnd) : GetWindowDC(wnd);
    const bool captured = CaptureDC(dc, 0, 0, rect.right, rect.bottom, shot);
    ReleaseDC(wnd, dc);
    return captured;
}

namespace {

struct PngError {
    char text[256];
};

void OnPngError(png_structp png, png_const_charp message)
{
    PngError* error = static_cast<PngError*>(png_get_error_ptr(png));
    std::snprintf(error->text, sizeof error->text, "%s", message);
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// libpng reports errors by longjmp; nothing here has a destructor.
bool WriteRows(png_structp png, png_infop info, FILE* file, int width, int height, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    return true;
}

}  // namespace

bool SavePng(const Screenshot& shot, const std::string& path, std::string* error)
{
    const auto fail = [error](const char* why) {
        if (error)
            *error = why;
        return false;
    };
    if (shot.width <= 0 || shot.height <= 0 || shot.pixels.size() != size_t(shot.width) * size_t(shot.height))
        return fail("empty picture");
    std::vector<uint8_t> bytes(size_t(shot.width) * size_t(shot.height) * 3);
    std::vector<png_bytep> rows(size_t(shot.height));
    for (int y = 0; y < shot.height; ++y) {
        uint8_t* row = bytes.data() + size_t(y) * size_t(shot.width) * 3;
        rows[size_t(y)] = row;
        for (int x = 0; x < shot.width; ++x) {
            const uint32_t pixel = shot.At(x, y);
            row[3 * x] = uint8_t(pixel >> 16);
            row[3 * x + 1] = uint8_t(pixel >> 8);
            row[3 * x + 2] = uint8_t(pixel);
        }
    }
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file)
        return fail("cannot open the file");
    PngError pngError = {};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &pngError, &OnPngError, &OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return fail("out of memory");
    }
    const bool written = WriteRows(png, info, file.get(), shot.width, shot.height, rows.data());
    png_destroy_write_struct(&png, &info);
    if (!written)
        return fail(pngError.text);
    if (std::fflush(file.get()) != 0)
        return fail("cannot write the file");
    return true;
}

bool SavePicture(const Screenshot& shot, const std::string& file, std::string* error)
{
    const std::string path = lindar_test::TempDir() + "/" + file;
    const bool saved = SavePng(shot, path, error);
    std::printf("screenshot: %s\n", path.c_str());
    return saved;
}

std::string RepaintDiff::Describe(int listed) const
{
    if (SizeChanged())
        return "the size changed";
    std::ostringstream out;
    int count = 0;
    for (int y = 0; y < shown.height && count < listed; ++y)
        for (int x = 0; x < shown.width && count < listed; ++x) {
            if (!Differs(x, y))
                continue;
            ++count;
            out << " (" << x << "," << y << ") " << std::hex << shown.At(x, y) << " instead of " << repainted.At(x, y)
                << std::dec;
        }
    return std::to_string(differing) + " pixels differ:" + out.str();
}

bool CompareWithRepaint(HWND wnd, RepaintDiff* diff, const RECT* ignore)
{
    *diff = RepaintDiff{};
    if (ignore)
        diff->ignored = *ignore;
    if (!CaptureWindow(wnd, &diff->shown))
        return false;
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    CaptureWindow(wnd, &diff->repainted);
    if (diff->SizeChanged())
        return true;
    for (int y = 0; y < diff->shown.height; ++y)
        for (int x = 0; x < diff->shown.width; ++x)
            diff->differing += diff->Differs(x, y);
    return true;
}

}  // namespace winharness
