// The message box's texts from the program's string table or the built-in
// German ones, and heap DIBs from the program's resources.
#include "system/heap_dib.h"
#include "system/message_box.h"


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

TEST(MessageBoxTexts, ShowMessageBoxRefusesBadRecords)
{
    // Shown boxes are driven in the UI tests, through the library's box.
    MSGBOXPARAMSA params = {};
    params.cbSize = 4;
    EXPECT_EQ(ShowMessageBox(nullptr, 0, 0), 0);
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
