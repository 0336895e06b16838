// The gallery's toolbar page (gallery_toolbar.h).
#include "examples/gallery/gallery_toolbar.h"

#include <commctrl.h>

#include <memory>
#include <utility>

#include "examples/gallery/gallery_pages.h"

namespace {

enum : UINT { kOpen = 0x9001, kSave, kPrint, kGrid, kCombo = 0x9010, kEdit, kComboWindow = 0x9020, kEditWindow };
constexpr UINT kSwatch = 0x8100;
constexpr int kSizes[3] = {16, 24, 32};
constexpr int kImages = 4;
const uint16_t kImageIds[kImages] = {kOpen, kSave, kPrint, kGrid};
// The context menu's entries the page answers.
constexpr UINT kSmallIcons = 0xD000, kLargeIcons = 0xD002, kFlat = 0xD003;
// Each bar's name: its floating caption and its "Ansicht" entry.
const char* const kBarNames[ToolbarPage::kBars] = {"Symbolleiste 1", "Symbolleiste 2", "Symbolleiste 3"};
const char* const kBarEntries[ToolbarPage::kBars] = {"Symbolleiste &1", "Symbolleiste &2", "Symbolleiste &3"};

// The y of eighth n of a picture.
int y(int size, int n)
{
    return size * n / 8;
}

// Four pictures side by side, drawn at the size asked, on the control's
// transparent magenta.
HBITMAP DrawStrip(int size)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP strip = CreateCompatibleBitmap(screen, size * kImages, size);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, strip);
    const RECT all = {0, 0, size * kImages, size};
    HBRUSH key = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &all, key);
    DeleteObject(key);
    const COLORREF colours[kImages] = {RGB(230, 180, 40), RGB(40, 90, 200), RGB(90, 90, 90), RGB(30, 150, 60)};
    const int m = size / 8;
    for (int n = 0; n < kImages; ++n) {
        const int x = n * size;
        HBRUSH fill = CreateSolidBrush(colours[n]);
        HGDIOBJ oldBrush = SelectObject(dc, fill);
        switch (n) {
        case 0: {  // a folder
            const POINT folder[] = {{x + m, y(size, 2)}, {x + size / 2 - m, y(size, 2)}, {x + size / 2, y(size, 3)},
                                    {x + size - m, y(size, 3)}, {x + size - m, size - m}, {x + m, size - m}};
            Polygon(dc, folder, 6);
            break;
        }
        case 1:  // a disk
            RoundRect(dc, x + m, m, x + size - m, size - m, m, m);
            break;
        case 2:  // a printer
            Rectangle(dc, x + m, size / 3, x + size - m, size - 2 * m);
            break;
        default:  // a grid
            for (int line = 0; line < 4; ++line) {
                const int at = m + line * (size - 2 * m) / 3;
                PatBlt(dc, x + at, m, 1 + size / 16, size - 2 * m, PATCOPY);
                PatBlt(dc, x + m, at, size - 2 * m, 1 + size / 16, PATCOPY);
            }
        }
        SelectObject(dc, oldBrush);
        DeleteObject(fill);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return strip;
}

}  // namespace

BOOL ToolbarPageBar::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message != WM_CONTEXTMENU || !page)
        return CToolBarNew::OnWndMsg(message, wParam, lParam, result);
    // The menu's command reaches the page before the menu's message ends.
    CToolBarNew* outer = std::exchange(page->menuBar, this);
    const BOOL done = CToolBarNew::OnWndMsg(message, wParam, lParam, result);
    page->menuBar = outer;
    return done;
}

bool ToolbarPage::Open(const RECT& place)
{
    if (!Create("Symbolleiste", WS_OVERLAPPEDWINDOW, &place))
        return false;
    HMENU menuBar = CreateMenu();
    HMENU viewMenu = CreatePopupMenu();
    if (!menuBar || !viewMenu) {
        DestroyMenu(menuBar);
        DestroyMenu(viewMenu);
        return false;
    }
    for (int n = 0; n < kBars; ++n)
        AppendMenuA(viewMenu, MF_STRING, AFX_IDW_TOOLBAR + UINT(n), kBarEntries[n]);
    AppendMenuA(menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(viewMenu), "&Ansicht");
    // The window destroys its menu with it.
    return ::SetMenu(m_hWnd, menuBar) != FALSE;
}

bool ToolbarPage::Build()
{
    EnableDocking(CBRS_ALIGN_ANY);
    const uint16_t ids[] = {kOpen, kSave, 0, kPrint, kGrid, 0, kSwatch, 0, kCombo, kEdit};
    for (int n = 0; n < kBars; ++n) {
        ToolbarPageBar& bar = bars[n];
        bar.page = this;
        if (!bar.CreateEx(this, 0x1F0000 | TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER,
                          RECT{4, 2, 0, 2}, AFX_IDW_TOOLBAR + UINT(n)))
            return false;
        bar.SetWindowText(kBarNames[n]);
        bar.EnableDocking(CBRS_ALIGN_ANY);
        if (!(n == 0 ? bar.SetButtons(ids, int(sizeof ids / sizeof ids[0])) : bar.SetButtons(kImageIds, kImages)))
            return false;
        SetIconSize(bar, n);
    }
    CToolBarNew& first = bars[0];
    first.SetButtonColor(kSwatch, RGB(220, 40, 40));
    first.SendMessage(TBX_SETIMAGE, kSwatch, -1);
    // Made in the bar: a control tells the parent it was made with, and
    // the bar passes its commands on, with one for the chosen scale.
    if (!combo.CreateEx(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST,
                        RECT{0, 0, 120, 160}, &first, kComboWindow))
        return false;
    for (const char* scale : {"1 : 25 000", "1 : 50 000", "1 : 100 000"})
        combo.SendMessage(CB_ADDSTRING, 0, LPARAM(scale));
    combo.SendMessage(CB_SETCURSEL, 1);
    if (!edit.CreateEx(WS_EX_CLIENTEDGE, "EDIT", "Zugspitze", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL,
                       RECT{0, 0, 110, 21}, &first, kEditWindow) ||
        first.AddControl(&combo, kCombo) < 0 || first.AddControl(&edit, kEdit) < 0)
        return false;
    if (!view.CreateEx(WS_EX_CLIENTEDGE, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_WHITERECT, RECT{0, 0, 10, 10},
                       this, 0xE900))
        return false;
    SetActiveView(&view);
    RecalcLayout();
    // The large icons float beside the frame, level with its top.
    RECT place;
    GetWindowRect(&place);
    FloatControlBar(&bars[2], POINT{place.right + 8, place.top});
    return bars[2].IsFloating() != FALSE;
}

void ToolbarPage::SetIconSize(CToolBarNew& bar, int mode)
{
    HBITMAP strip = DrawStrip(kSizes[mode]);
    bar.SetBitmap(strip, kSizes[mode], TRUE, kImageIds, kImages, 0);
    DeleteObject(strip);
    bar.iconMode = uint32_t(mode);
    bar.RecalcBar();
}

// The context menu's icon sizes and flat look come here as commands (its
// owner is the frame); they are for the bar whose menu it is.
BOOL ToolbarPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    if (HIWORD(wParam) != 0 || lParam || id < kSmallIcons || id > kFlat)
        return CFrameWnd::OnCommand(wParam, lParam);
    if (menuBar && id == kFlat)
        menuBar->ModifyStyle(menuBar->GetStyle() ^ TBSTYLE_FLAT, TBSTYLE_FLAT, TRUE);
    else if (menuBar && id <= kLargeIcons)
        SetIconSize(*menuBar, int(id - kSmallIcons));
    return TRUE;
}

BEGIN_MESSAGE_MAP(ToolbarPage, CFrameWnd)
    ON_COMMAND(kOpen, OnAny)
    ON_COMMAND(kSave, OnAny)
    ON_COMMAND(kGrid, OnAny)
    ON_COMMAND(kSwatch, OnAny)
    ON_COMMAND(kCombo, OnAny)
    ON_COMMAND(kEdit, OnAny)
    ON_UPDATE_COMMAND_UI(kPrint, OnUpdatePrint)
    ON_UPDATE_COMMAND_UI(kGrid, OnUpdateGrid)
END_MESSAGE_MAP()

int OpenToolbarPage()
{
    CWinApp app;
    auto page = std::make_unique<ToolbarPage>();
    if (!page->Open(RECT{60, 60, 700, 400}))
        return 1;
    app.m_pMainWnd = page.get();
    if (!page->Build())
        return 1;
    page->ShowWindow(SW_SHOW);
    page->UpdateWindow();
    return app.Run();
}
