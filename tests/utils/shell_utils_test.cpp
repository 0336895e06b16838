// The Win32 side of the UI utilities under Wine: clipboard text, the window
// under a point, text measuring, the recycle bin, the GDI cache, icons,
// system-colour bitmaps from read-only resources, button images, drag data
// and the library's message box.
#include "ui/utils/ole_drag.h"
#include "ui/utils/shell_utils.h"

#include "platform/framework/wnd.h"
#include "system/message_box.h"
#include "system/shell_icons.h"

#include <shellapi.h>
#include <shlobj.h>
#include "tests/support/test_support.h"
#include "tests/winharness/modal_driver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

TEST(ClipboardText, RoundTripsAnsiAndBounds)
{
    ASSERT_EQ(SetClipboardText("keep", -1), 4);
    EXPECT_EQ(SetClipboardText("", -1), 0);  // empty: the clipboard stays as it was
    EXPECT_EQ(SetClipboardText(nullptr, 3), 0);
    char buffer[16];
    EXPECT_EQ(GetClipboardText(buffer, sizeof buffer), 4);
    EXPECT_STREQ(buffer, "keep");

    ASSERT_EQ(SetClipboardText("Grüße aus Köln", 5), 5);
    EXPECT_EQ(GetClipboardText(buffer, 4), 3);
    EXPECT_STREQ(buffer, "Grü");
    int length = 0;
    char* copy = GetClipboardTextAlloc(&length);
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "Grüße");
    EXPECT_EQ(length, 5);
    std::free(copy);
    // Other programs read the same text as Unicode through the ANSI code page.
    ASSERT_TRUE(OpenClipboard(nullptr));
    const auto* wide = static_cast<const WCHAR*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(std::wstring(wide), std::wstring(L"Gr\u00FC\u00DFe"));
    GlobalUnlock(GetClipboardData(CF_UNICODETEXT));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_EQ(GetClipboardTextAlloc(&length), nullptr);
    EXPECT_EQ(length + GetClipboardText(buffer, sizeof buffer), 0);
}

HWND Child(HWND parent, int x, int y, int w, int h, bool visible = true)
{
    return CreateWindowExA(0, "STATIC", "", WS_CHILD | (visible ? WS_VISIBLE : 0), x, y, w, h, parent, nullptr,
                           nullptr, nullptr);
}

TEST(WindowFromPoint, DeepestChild)
{
    HWND top = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr, nullptr, nullptr,
                               nullptr);
    ASSERT_NE(top, nullptr);
    HWND a = Child(top, 10, 10, 150, 150);
    HWND a1 = Child(a, 20, 20, 50, 50);
    HWND hidden = Child(a1, 0, 0, 50, 50, false);
    const POINT inA1 = {100 + 10 + 20 + 5, 100 + 10 + 20 + 5};
    const POINT inA = {100 + 10 + 100, 100 + 10 + 100};
    const POINT outside = {100 + 250, 100 + 180};
    EXPECT_EQ(ChildWindowFromPointDeep(inA1, top, TRUE), a1);
    EXPECT_EQ(ChildWindowFromPointDeep(inA1, top, FALSE), hidden);
    EXPECT_EQ(ChildWindowFromPointDeep(inA, top, TRUE), a);
    EXPECT_EQ(ChildWindowFromPointDeep(outside, top, TRUE), top);
    EXPECT_EQ(CWndFromPointDeep(inA1, top, TRUE)->GetSafeHwnd(), a1);
    DestroyWindow(top);
}

TEST(TextMeasure, AgreesWithGdi)
{
    HFONT font = GetGuiFont(kGuiFontBold);
    const char text[] = "Übersicht der Wegpunkte";
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, 8, &size);
    uint8_t table[256] = {};
    EXPECT_EQ(GetCharWidthTable(dc, table), 256);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);

    int height = 0;
    EXPECT_EQ(GetTextSizeWithFont(text, font, 8, &height), size.cx);
    EXPECT_EQ(height, size.cy);
    EXPECT_EQ(GetTextSizeWithFont(nullptr, font, -1, &height), 0);
    EXPECT_EQ(height, 0);
    // The table sums to GDI's width for a font without kerning pairs used.
    EXPECT_NEAR(TextWidthFromTable(text, table, 8), size.cx, 2);
    uint8_t viaFont[256] = {};
    EXPECT_EQ(GetFontCharWidths(viaFont, font), 256);
    EXPECT_EQ(std::memcmp(table, viaFont, 256), 0);
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    EXPECT_EQ(GetTextSizeInWindow(text, edit, 8, &height), size.cx);
    DestroyWindow(edit);
}

TEST(RecycleBin, DeletesWithoutDialog)
{
    const std::string folder = lindar_test::TempDir();
    const std::string path = folder + "\\weg.txt";
    std::ofstream(path) << "x";
    // Relative to the current folder: the full path reaches the shell.
    char old[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, old);
    SetCurrentDirectoryA(folder.c_str());
    EXPECT_TRUE(DeleteToRecycleBin("weg.txt"));
    SetCurrentDirectoryA(old);
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(DeleteToRecycleBin((folder + "\\fehlt.txt").c_str()));
    EXPECT_FALSE(DeleteToRecycleBin(("C:\\" + std::string(300, 'x')).c_str()));
    EXPECT_FALSE(DeleteToRecycleBin(""));
}

TEST(GdiCache, BitmapPartsKeptUntilFreed)
{
    // Keys differing in one word each, and a memory device context.
    const GdiCacheKey keys[] = {{{kGdiCacheBitmap, 1, 2, 3, 77}}, {{kGdiCacheBitmap, 1, 2, 4, 77}},
                                {{kGdiCacheDC, 0, 0, 0, 77}}};
    const HGDIOBJ objects[] = {CreateBitmap(1, 1, 1, 32, nullptr), CreateBitmap(1, 1, 1, 32, nullptr),
                               CreateCompatibleDC(nullptr)};
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(GdiCacheAdd(keys[i], objects[i]));
    EXPECT_FALSE(GdiCacheAdd(keys[0], objects[1]));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(GdiCacheFind(keys[i]), objects[i]);
    // The right column of a 2 x 2 bitmap resource (red, green), loaded once.
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HBITMAP part = LoadBitmapEx(instance, MAKEINTRESOURCEA(301), 1, 0, 1, kLoadBitmapOwnHeight, kLoadBitmapCache, 0);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(LoadBitmapEx(instance, MAKEINTRESOURCEA(301), 1, 0, 1, kLoadBitmapOwnHeight, kLoadBitmapCache, 0), part);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, part);
    EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc, 1, 0), CLR_INVALID);  // one pixel wide, the resource's height
    SelectObject(dc, old);
    DeleteDC(dc);
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 10, "Karte");
    EXPECT_TRUE(SetMenuItemBitmap(menu, 10, instance, MAKEINTRESOURCEA(301), 1, 1));
    EXPECT_FALSE(SetMenuItemBitmap(menu, 10, instance, MAKEINTRESOURCEA(999), 1, 1));
    DestroyMenu(menu);
    GdiCacheFree();
    for (HGDIOBJ object : objects)
        EXPECT_EQ(GetObjectType(object), 0u);
    EXPECT_EQ(GetObjectType(part), 0u);
}

TEST(FileIcons, DrivesAndExtensions)
{
    const int drive = GetDriveIconIndex('C', kIconSmall);
    EXPECT_EQ(GetFileIconIndex("C:", SHGFI_SMALLICON), drive);
    EXPECT_EQ(GetFileIconIndex("c:\\", SHGFI_SMALLICON), drive);
    const int gpx = GetFileIconIndex("x.qqq", kIconByExtension | SHGFI_SMALLICON);
    EXPECT_GE(gpx, 0);
    EXPECT_EQ(GetFileIconIndex("anderer\\y.QQQ", kIconByExtension | SHGFI_SMALLICON), gpx);
    EXPECT_EQ(GetSystemImageListExt(FALSE), GetSystemImageList(FALSE));
    EXPECT_EQ(GetFileIconIndex(nullptr, 0), -1);
}

// A 2 x 1 8-bit DIB in read-only memory: face grey and another colour.
struct ReadOnlyDib {
    ReadOnlyDib()
    {
        BITMAPINFOHEADER header = {40, 2, 1, 1, 8, 0, 0, 0, 0, 2, 0};
        uint8_t bytes[40 + 8 + 4] = {};
        std::memcpy(bytes, &header, 40);
        const uint8_t palette[8] = {0xC0, 0xC0, 0xC0, 0, 0x10, 0x20, 0x30, 0};
        std::memcpy(bytes + 40, palette, 8);
        bytes[49] = 1;
        memory = VirtualAlloc(nullptr, sizeof bytes, MEM_COMMIT, PAGE_READWRITE);
        std::memcpy(memory, bytes, sizeof bytes);
        DWORD old = 0;
        VirtualProtect(memory, sizeof bytes, PAGE_READONLY, &old);
    }
    ~ReadOnlyDib() { VirtualFree(memory, 0, MEM_RELEASE); }
    BITMAPINFOHEADER* Dib() const { return static_cast<BITMAPINFOHEADER*>(memory); }
    void* memory;
};

TEST(SysColorBitmap, ReadOnlyDibAndButtons)
{
    ReadOnlyDib art;
    HBITMAP bitmap = CreateSysColorBitmap(art.Dib(), 0);  // would fault if written in place
    ASSERT_NE(bitmap, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 0, 0), GetNearestColor(dc, GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(GetPixel(dc, 1, 0), GetNearestColor(dc, RGB(0x30, 0x20, 0x10)));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    BITMAPINFOHEADER core = *art.Dib();
    core.biSize = 12;
    EXPECT_EQ(CreateSysColorBitmap(&core, kSysColorInPlace), nullptr);

    HWND button = CreateWindowExA(0, "BUTTON", "", WS_POPUP | BS_BITMAP, 0, 0, 40, 40, nullptr, nullptr, nullptr,
                                  nullptr);
    EXPECT_EQ(SetButtonBitmap(button, art.Dib()), 1);
    HGDIOBJ image = reinterpret_cast<HGDIOBJ>(SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0));
    EXPECT_EQ(GetObjectType(image), DWORD(OBJ_BITMAP));
    DeleteButtonBitmap(button);
    EXPECT_EQ(GetObjectType(image), 0u);
    EXPECT_EQ(SetButtonBitmap(button, nullptr), 0);
    DestroyWindow(button);
}

TEST(SplitterAndDib, DrawsIntoADibSection)
{
    void* pixels = nullptr;
    HBITMAP dib = CreateDibFromHeader(40, -10, 32, &pixels);  // top-down rows
    ASSERT_NE(dib, nullptr);
    ASSERT_NE(pixels, nullptr);
    void* none = &none;
    EXPECT_EQ(CreateDibFromHeader(0, 10, 32, &none), nullptr);
    EXPECT_EQ(none, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib);
    EXPECT_EQ(DrawSplitterBarH(dc, 0, 1, 40), kSplitterBarWidth);
    DrawSplitterHandleV(dc, RECT{0, 0, 7, 10}, 0);
    GdiFlush();
    const auto* rows = static_cast<const uint32_t*>(pixels);
    EXPECT_EQ(rows[2 * 40 + 20] & 0xFFFFFF, 0xFFFFFFu);  // the white line
    EXPECT_EQ(rows[7 * 40 + 20] & 0xFFFFFF, 0u);         // the black line
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dib);
    ForceForegroundWindow(nullptr);  // no window: nothing happens
}

TEST(DragData, BlocksAndDataObject)
{
    const std::string path = lindar_test::TempDir() + "\\Übersicht.gpx";
    std::ofstream(path) << "x";
    HGLOBAL files = MakeDropFilesBlock(path.c_str());
    ASSERT_NE(files, nullptr);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(files));
    EXPECT_TRUE(drop->fWide);
    const std::wstring name(reinterpret_cast<const WCHAR*>(reinterpret_cast<BYTE*>(drop) + drop->pFiles));
    GlobalUnlock(files);
    EXPECT_NE(name.find(L"\u00DCbersicht.gpx"), std::wstring::npos);  // ANSI code page, not UTF-8
    EXPECT_EQ(MakeDropFilesBlock((path + ".fehlt").c_str()), nullptr);

    IDataObject* data = CreateDragDataObject(CF_HDROP, files);
    ASSERT_NE(data, nullptr);
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(data->QueryGetData(&format), S_OK);
    STGMEDIUM medium = {};
    ASSERT_EQ(data->GetData(&format, &medium), S_OK);
    char first[MAX_PATH] = {};
    EXPECT_EQ(DragQueryFileA(static_cast<HDROP>(medium.hGlobal), 0xFFFFFFFF, nullptr, 0), 1u);
    DragQueryFileA(static_cast<HDROP>(medium.hGlobal), 0, first, MAX_PATH);
    EXPECT_NE(std::string(first).find("Übersicht.gpx"), std::string::npos);
    ReleaseStgMedium(&medium);
    format.cfFormat = CF_TEXT;
    EXPECT_EQ(data->QueryGetData(&format), DV_E_FORMATETC);
    data->Release();

    for (int mode : {0, 1, 0xC123}) {
        CLIPFORMAT made = 0;
        HGLOBAL block = MakeDragTextBlock("Grüß", -1, mode, &made);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(made, mode == 0 ? CF_TEXT : mode == 1 ? CF_UNICODETEXT : mode);
        const std::wstring wide = mode == 1 ? static_cast<const WCHAR*>(GlobalLock(block)) : L"Gr\u00FC\u00DF";
        EXPECT_EQ(wide, L"Gr\u00FC\u00DF");  // the ANSI code page, never UTF-8
        GlobalUnlock(block);
        GlobalFree(block);
    }
    EXPECT_EQ(DragText("abc", 0, 0) + DragText(nullptr, -1, 1), 0);
    EXPECT_EQ(DragFile((path + ".fehlt").c_str()) + DragFile(nullptr), 0);
}

TEST(LibraryMessageBox, GermanButtonsAnsweredByTheDriver)
{
    char caption[64] = {}, no[32] = {};
    int result = 0;
    winharness::ModalDriver driver;
    driver
        .Then([&](winharness::ModalDriver& d) {
            if (d.TopDialog() == nullptr)
                return false;
            GetWindowTextA(d.TopDialog(), caption, sizeof caption);
            GetDlgItemTextA(d.TopDialog(), IDNO, no, sizeof no);
            return true;
        })
        .Then([](winharness::ModalDriver& d) { return d.Post(IDNO); });
    driver.Run([&] { result = LibMessageBox(nullptr, "Datei überschreiben?", nullptr, MB_YESNO); });
    EXPECT_EQ(result, IDNO);
    EXPECT_STREQ(caption, GetMessageBoxText(kLastMessageBoxText));  // no caption: the built-in one
    EXPECT_STREQ(no, "&Nein");
}

}  // namespace
