// The message box answered through the modal driver, its texts from the
// program's string table or the built-in German ones, and heap DIBs from
// the program's resources.
#include "system/heap_dib.h"
#include "system/message_box.h"

#include "tests/winharness/modal_driver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

struct TextCase {
    UINT id;
    const char* text;
    BYTE fromResource;
};

TEST(MessageBoxTexts, ResourceElseFallback)
{
    const TextCase cases[] = {
        {1287, "Weiter", 1},  // the test program's string table has this one
        {1290, "Zeile löschen", 0},
        {1291, "Feld kopieren", 0},
        {1294, "&Alles auswählen", 0},
        {1295, "&Alles abwählen", 0},
        {1286, "", 0},
        {1299, "", 0},
    };
    for (const TextCase& c : cases) {
        BYTE from = 9;
        EXPECT_STREQ(GetMessageBoxText(c.id, &from), c.text) << c.id;
        EXPECT_EQ(from, c.fromResource) << c.id;
    }
    EXPECT_STREQ(GetMessageBoxText(1291), "Feld kopieren");
}

TEST(MessageBoxTexts, ShowMessageBoxReturnsTheButton)
{
    MSGBOXPARAMSA params = {};
    params.cbSize = sizeof params;
    params.lpszText = "Datei überschreiben?";
    params.dwStyle = MB_YESNO;
    std::string caption;
    int result = 0;
    winharness::ModalDriver driver;
    driver
        .Then([&](winharness::ModalDriver& d) {
            HWND box = d.TopDialog();
            if (box == nullptr)
                return false;
            char text[64] = {};
            GetWindowTextA(box, text, sizeof text);
            caption = text;
            return true;
        })
        .Then([](winharness::ModalDriver& d) { return d.Post(IDNO); });
    driver.Run([&] { result = ShowMessageBox(&params, 0, 0); });
    EXPECT_EQ(result, IDNO);
    EXPECT_EQ(caption, GetMessageBoxText(kLastMessageBoxText));  // no caption: the built-in one

    EXPECT_EQ(ShowMessageBox(nullptr, 0, 0), 0);
    params.cbSize = 4;
    EXPECT_EQ(ShowMessageBox(&params, 0, 0), 0);
}

TEST(HeapDibResource, LoadsBitmapResource)
{
    DWORD format = 9;
    BITMAPINFOHEADER* dib = LoadHeapDibA(nullptr, GetModuleHandleA(nullptr), MAKEINTRESOURCEA(201), RT_BITMAP, 0,
                                         &format);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(format, kHeapDibFromDib);
    EXPECT_EQ(dib->biWidth, 2);
    EXPECT_EQ(dib->biBitCount, 24);
    // Loading again replaces the previous DIB; a missing resource keeps it.
    BITMAPINFOHEADER* again = LoadHeapDibA(dib, GetModuleHandleA(nullptr), MAKEINTRESOURCEA(201), RT_BITMAP,
                                           kHeapDibTopDown, &format);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->biHeight, -2);
    EXPECT_EQ(LoadHeapDibA(again, GetModuleHandleA(nullptr), MAKEINTRESOURCEA(999), RT_BITMAP, 0, &format), nullptr);
    EXPECT_EQ(format, 0u);
    std::free(again);
}

}  // namespace
