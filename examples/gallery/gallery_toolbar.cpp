// The gallery's toolbar page: a frame with three toolbar bars, one per icon
// size, two docked and the third floating beside the frame; the first holds
// a swatch, a combo box and an edit in buttons, a disabled and a checked
// button.
#include "platform/win32/win.h"

#include <commctrl.h>

#include <memory>

#include "examples/gallery/gallery_pages.h"
#include "platform/framework/frame.h"
#include "ui/toolbar/toolbar_bar.h"

namespace {

enum : UINT { kOpen = 0x9001, kSave, kPrint, kGrid, kCombo = 0x9010, kEdit, kComboWindow = 0x9020, kEditWindow };
constexpr UINT kSwatch = 0x8100;
constexpr int kSizes[3] = {16, 24, 32};
constexpr int kImages = 4;
const uint16_t kImageIds[kImages] = {kOpen, kSave, kPrint, kGrid};

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

class GalleryFrame : public CFrameWnd {
public:
    CToolBarNew bars[3];
    CWnd view, combo, edit;

    void Build()
    {
        const uint16_t ids[] = {kOpen, kSave, 0, kPrint, kGrid, 0, kSwatch, 0, kCombo, kEdit};
        for (int n = 0; n < 3; ++n) {
            CToolBarNew& bar = bars[n];
            bar.CreateEx(this, 0x1F0000 | TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP, RECT{4, 2, 0, 2},
                         AFX_IDW_TOOLBAR + UINT(n));
            bar.iconMode = uint32_t(n);
            if (n == 0)
                bar.SetButtons(ids, int(sizeof ids / sizeof ids[0]));
            else
                bar.SetButtons(kImageIds, kImages);
            SetIconSize(bar, n);
        }
        CToolBarNew& first = bars[0];
        first.SetButtonColor(kSwatch, RGB(220, 40, 40));
        first.SendMessage(TBX_SETIMAGE, kSwatch, -1);
        // Made in the bar: a control tells the parent it was made with, and
        // the bar passes its commands on, with one for the chosen scale.
        combo.CreateEx(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST,
                       RECT{0, 0, 120, 160}, &first, kComboWindow);
        for (const char* scale : {"1 : 25 000", "1 : 50 000", "1 : 100 000"})
            combo.SendMessage(CB_ADDSTRING, 0, LPARAM(scale));
        combo.SendMessage(CB_SETCURSEL, 1);
        edit.CreateEx(WS_EX_CLIENTEDGE, "EDIT", "Zugspitze", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL,
                      RECT{0, 0, 110, 21}, &first, kEditWindow);
        first.AddControl(&combo, kCombo);
        first.AddControl(&edit, kEdit);
        view.CreateEx(WS_EX_CLIENTEDGE, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_WHITERECT,
                      RECT{0, 0, 10, 10}, this, 0xE900);
        SetActiveView(&view);
        RecalcLayout();
        // The large icons float beside the frame, level with its top.
        RECT place;
        GetWindowRect(&place);
        bars[2].SetWindowText("Große Icons");
        FloatControlBar(&bars[2], POINT{place.right + 8, place.top});
    }

    void SetIconSize(CToolBarNew& bar, int mode)
    {
        HBITMAP strip = DrawStrip(kSizes[mode]);
        bar.SetBitmap(strip, kSizes[mode], TRUE, kImageIds, kImages, 0);
        DeleteObject(strip);
        bar.iconMode = uint32_t(mode);
        bar.RecalcBar();
    }

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        const UINT id = LOWORD(wParam);
        if (HIWORD(wParam) == 0 && !lParam && id >= 0xD000 && id <= 0xD002) {
            // The bar that showed the menu set its icon mode first.
            for (CToolBarNew& bar : bars)
                if (bar.iconMode == id - 0xD000 && bar.m_hWnd)
                    SetIconSize(bar, int(id - 0xD000));
            return TRUE;
        }
        return CFrameWnd::OnCommand(wParam, lParam);
    }

    void OnAny() {}
    void OnUpdatePrint(CCmdUI* ui) { ui->Enable(FALSE); }
    void OnUpdateGrid(CCmdUI* ui) { ui->SetCheck(1); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(GalleryFrame, CFrameWnd)
    ON_COMMAND(kOpen, OnAny)
    ON_COMMAND(kSave, OnAny)
    ON_COMMAND(kGrid, OnAny)
    ON_COMMAND(kSwatch, OnAny)
    ON_COMMAND(kCombo, OnAny)
    ON_COMMAND(kEdit, OnAny)
    ON_UPDATE_COMMAND_UI(kPrint, OnUpdatePrint)
    ON_UPDATE_COMMAND_UI(kGrid, OnUpdateGrid)
END_MESSAGE_MAP()

}  // namespace

int OpenToolbarPage()
{
    CWinApp app;
    auto frame = std::make_unique<GalleryFrame>();
    const RECT place = {60, 60, 700, 380};
    if (!frame->Create("Symbolleiste", WS_OVERLAPPEDWINDOW, &place))
        return 1;
    app.m_pMainWnd = frame.get();
    frame->Build();
    frame->ShowWindow(SW_SHOW);
    frame->UpdateWindow();
    return app.Run();
}
