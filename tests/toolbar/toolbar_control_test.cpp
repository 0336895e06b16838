// The "ToolbarExWindow32" control through a real window: each message with
// the answer it gives.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <commctrl.h>

#include "tests/winharness/message_pump.h"
#include "tests/winharness/notify_parent.h"
#include "ui/toolbar/toolbar_control.h"
#include "ui/toolbar/toolbar_control_logic.h"

namespace {

class ToolbarEx : public testing::Test {
protected:
    void SetUp() override
    {
        ToolbarExRegister(GetModuleHandleA(nullptr));
        // The bar's creation style, scroll-bar bits included.
        bar = CreateWindowExA(0, "ToolbarExWindow32", nullptr, 0x4030004E | WS_VISIBLE, 0, 0, 400, 40,
                              parent.Handle(), HMENU(7), GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(bar);
        for (int id : {101, 0, 102, 103, 101})
            ASSERT_EQ(Add(id), 1);
    }
    void TearDown() override { DestroyWindow(bar); }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return SendMessageA(bar, message, wParam, lParam); }
    LRESULT Add(int id, WPARAM index = toolbar::kAppendIndex)
    {
        TBBUTTON button = {};
        button.iBitmap = id ? id - 101 : -1;
        button.idCommand = id;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = id ? 0 : BTNS_SEP;
        return Send(TBX_ADDBUTTON, index << 16 | toolbar::kInsertTag, LPARAM(&button));
    }
    ToolbarExButtonInfo Info(WPARAM button, DWORD mask)
    {
        ToolbarExButtonInfo info = ButtonInfoRequest(mask);
        info.iImage = -7;
        EXPECT_GE(Send(TB_GETBUTTONINFOA, button, LPARAM(&info)), 0);
        return info;
    }

    winharness::NotifyParent parent;
    HWND bar = nullptr;
};

struct Step {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT answer;
};

TEST_F(ToolbarEx, MessagesAnswer)
{
    const Step steps[] = {
        {TB_BUTTONCOUNT, 0, 0, 5},
        {TB_COMMANDTOINDEX, 102, 0, 2},
        {TB_COMMANDTOINDEX, 999, 0, -1},
        {TB_COMMANDTOINDEX, 101 | toolbar::kNthCommandTag | 1 << 16, 0, 4},  // the second 101
        {TBX_GETSTATE, 102, 0, 0x040000},
        {TBX_SETSTATE, 102, 0x06000000, 1},                                  // disable
        {TBX_GETSTATE, 102, 0, 0},
        {TBX_SETSTATE, 102, LPARAM(0xFF05FF00), 1},                          // enabled and checked
        {TBX_GETSTATE, 102, 0, 0x050000},
        {TBX_SETSTATE, 999, 0x04040000, 0},
        {TBX_GETSTATE, 999, 0, -1},
        {TBX_SETIMAGE, 102, 4, 1},
        {TBX_SETBUTTONWIDTH, 103, 40, 1},
        {TBX_SETWIDTHS, WPARAM(-1), 256, 256},
        {TBX_SETWIDTHS, WPARAM(-1), 30, 30},
        {TBX_SETWIDTHS, 999, 30, 0},
        {TBX_NEEDEDSIZE, toolbar::kOneRow, 1, MAKELONG(4 * 30 + 8, 22)},
        {TBX_NEEDEDSIZE, 0, 0, MAKELONG(30, 4 * 22 + 8)},
        {TBX_NEEDEDSIZE, 70, 0, MAKELONG(68, 2 * 22)},
        {TBX_NEEDEDSIZE, 44, 2, MAKELONG(3 * 30, 44)},                       // a height: columns
        {TBX_GETCHILD, 3 << 16 | toolbar::kSlotTag, 0, 0},
        {TBX_GETCHILD, 3 << 16, 0, 0},                                       // without the tag
        {TBX_CHILDINDEX, 0, LPARAM(1234), -1},
        {TBX_EXTRACOLOR, 0x80000000, 0xFF00FF, LPARAM(CLR_NONE)},
        {TBX_EXTRACOLOR, 0x80000000, 0x00FF00, 0xFF00FF},
        {TBX_EXTRACOLOR, 5, 0, -1},
        {TBX_ITEMRECORD, 0, 9, 0},
        {TBX_TIMERTICK, 0, 0, 0},
        {TBX_RELAYOUT, 3, 1, 1},
        {TBX_GROUP, 2 | 1 << 16, 0x840084, 1},
        {TBX_GROUP, 2 << 16 | 3, 0x40004, 2},
        {TBX_GROUP, 9 << 16 | 3, 0x40004, 2},                                // clipped at the end
        {TBX_ADDIMAGES, 65535, 0, -1},                                       // no bitmap
        {TB_REPLACEBITMAP, 0, 0, 0},
        {TB_SETPARENT, WPARAM(-1), kSetParentFinish, 0},
        {TBX_ADDBUTTON, 0x12340001, 0, 0},                                   // not the add form
        {TBX_REMOVEBUTTONS, 3, 65535, 2},
        {TB_BUTTONCOUNT, 0, 0, 3},
        {TBX_REMOVEBUTTONS, 0, 65535, 3},
        {TB_BUTTONCOUNT, 0, 0, 0},
    };
    for (const Step& step : steps)
        EXPECT_EQ(Send(step.message, step.wParam, step.lParam), step.answer)
            << std::hex << step.message << " " << step.wParam << " " << step.lParam;
    EXPECT_EQ(GetWindowLongA(bar, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), 0);
}

TEST_F(ToolbarEx, ButtonInfoRecordsAndIds)
{
    ASSERT_EQ(Add(104, 1), 1);  // inserted at index 1
    ToolbarExButtonInfo info = Info(1, 0x2D | kButtonInfoByIndex);
    EXPECT_EQ(info.cbSize, 52u);
    EXPECT_EQ(info.idCommand, 104);
    EXPECT_EQ(info.iImage, 3);
    EXPECT_EQ(info.fsState, TBSTATE_ENABLED);
    info = Info(103, 0x28);  // by id, style and command only
    EXPECT_EQ(info.idCommand, 103);
    EXPECT_EQ(info.iImage, -7);
    EXPECT_EQ(Info(2, 0x28 | kButtonInfoByIndex).fsStyle, BTNS_SEP);
    uint16_t ids[8] = {};
    EXPECT_EQ(Send(TBX_GETIDS, 8, LPARAM(ids)), 6);
    EXPECT_EQ(ids[1], 104);
    EXPECT_EQ(ids[2], 0);
    EXPECT_EQ(Send(TBX_GETIDS, 8, 0), -1);
}

// A colour is told from a window by the tag only: a colour that happens to
// be a window handle stays a colour.
TEST_F(ToolbarEx, ColoursAndChildren)
{
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 60, 20, parent.Handle(), HMENU(300),
                                nullptr, nullptr);
    EXPECT_EQ(Send(TBX_ATTACH, 103 | toolbar::kColorTag, LPARAM(edit)), 1);
    EXPECT_EQ(Info(103, 0).color, DWORD(uintptr_t(edit)) & 0xFFFFFF);
    EXPECT_EQ(Send(TBX_GETCHILD, 0 | toolbar::kSlotTag), 0);
    EXPECT_EQ(Send(TBX_ATTACH, 102 | toolbar::kColorTag, LPARAM(toolbar::Pack16Color(0xFFFFFF))), 1);
    EXPECT_EQ(Info(102, 0).color, 0xFFFFFFu);
    EXPECT_EQ(Send(TBX_ATTACH, 999 | toolbar::kColorTag, 0), 0);

    EXPECT_EQ(Send(TBX_SETSIZES, 2, 0x20002000), 1);
    EXPECT_EQ(Send(TBX_ATTACH, 2, LPARAM(edit)), 1);
    EXPECT_EQ(Send(TBX_FITCHILD, 2 << 16, 0x20002000), 1);
    EXPECT_EQ(GetParent(edit), bar);
    EXPECT_EQ(HWND(Send(TBX_GETCHILD, 0 | toolbar::kSlotTag)), edit);
    EXPECT_EQ(Send(TBX_CHILDINDEX, 0, LPARAM(edit)), 0);
    RECT rect;
    GetWindowRect(edit, &rect);
    MapWindowPoints(nullptr, bar, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_GE(rect.left, 23 + 8);  // inside the third button, after a button and a separator
    EXPECT_EQ(LOWORD(Send(TBX_NEEDEDSIZE, toolbar::kOneRow, 0)), 3 * 23 + 8 + 60 + 4);
    DestroyWindow(edit);
    EXPECT_EQ(Send(TBX_GETCHILD, 0 | toolbar::kSlotTag), 0);
}

TEST_F(ToolbarEx, BitmapsFromResources)
{
    const uint16_t block[] = {1, 8, 8, 2, 101, 102};
    ToolbarBitmapEntry entry = {GetModuleHandleA(nullptr), MAKEINTRESOURCEA(300), 0, 8, block, nullptr};
    EXPECT_EQ(Send(TB_ADDBITMAP, kAddBitmapBlock, LPARAM(&entry)), 0);
    EXPECT_EQ(Send(TB_ADDBITMAP, kAddBitmapBlock, LPARAM(&entry)), 2);  // appended
    entry.name = MAKEINTRESOURCEA(302);                                   // no bitmap
    EXPECT_EQ(Send(TB_ADDBITMAP, kAddBitmapBlock, LPARAM(&entry)), -1);
    entry.name = MAKEINTRESOURCEA(300);
    entry.imageWidth = 16;                                                // another image size
    EXPECT_EQ(Send(TB_ADDBITMAP, kAddBitmapBlock, LPARAM(&entry)), -1);
    EXPECT_EQ(Send(TB_ADDBITMAP, 0, LPARAM(&entry)), -1);

    const uint16_t ids[] = {101, 102};
    ToolbarIdList same = {2, ids}, other = {1, ids};
    EXPECT_EQ(Send(TBX_HASBITMAP, kHasBitmapQuery, LPARAM(&same)), 1);
    EXPECT_EQ(Send(TBX_HASBITMAP, kHasBitmapQuery, LPARAM(&other)), 0);
    HBITMAP bitmap = CreateBitmap(32, 16, 1, 32, nullptr);
    ToolbarBitmapEntry replace = {nullptr, nullptr, kEntryInMemory, 16, block, bitmap};
    EXPECT_NE(Send(TB_REPLACEBITMAP, 0, LPARAM(&replace)), 0);
    EXPECT_EQ(Send(TBX_ADDIMAGES, WPARAM(bitmap), 16), 2);
    EXPECT_EQ(Send(TBX_ADDIMAGES, WPARAM(bitmap), 8), -1);  // the list holds 16x16 images now
    EXPECT_EQ(Send(TBX_REMOVEBITMAPS), 1);
    EXPECT_EQ(Send(TBX_HASBITMAP, kHasBitmapQuery, LPARAM(&same)), 0);
    DeleteObject(bitmap);
}

// A click sends one WM_COMMAND to the frame TB_SETPARENT named; a disabled
// button sends none; a check button toggles.
TEST_F(ToolbarEx, ClicksGoToTheFrame)
{
    winharness::NotifyParent frame(200, 100, false);
    EXPECT_EQ(Send(TB_SETPARENT, WPARAM(frame.Handle()), kSetParentFrame), 0);
    Send(TBX_NEEDEDSIZE, toolbar::kOneRow, 1);
    const auto click = [&](int x) {
        Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 5));
        Send(WM_LBUTTONUP, 0, MAKELPARAM(x, 5));
    };
    click(10);
    Send(TBX_SETSTATE, 102, 0x06000000);
    click(23 + 8 + 10);  // 102, disabled
    Send(TBX_GROUP, 3 | 1 << 16, 0x20002);  // 103 a check button
    click(2 * 23 + 8 + 10);
    ASSERT_EQ(frame.Log().size(), 2u);
    EXPECT_EQ(frame.Log()[0].id, 101u);
    EXPECT_EQ(frame.Log()[0].from, bar);
    EXPECT_EQ(frame.Log()[1].id, 103u);
    EXPECT_EQ(Send(TBX_GETSTATE, 103), 0x050000);
    EXPECT_TRUE(parent.Log().empty());
}

}  // namespace
