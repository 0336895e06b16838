// The bar: CToolBarNew, the framework control bar over the control.
#include "ui/toolbar/toolbar_bar.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/framework/float_frame.h"
#include "platform/framework/frame.h"
#include "platform/framework/message_routes.h"
#include "platform/framework/routed_message.h"
#include "platform/framework/wnd_class.h"
#include "ui/toolbar/toolbar_bar_logic.h"
#include "ui/toolbar/toolbar_control_logic.h"

namespace {

constexpr WORD kToolbarResource = 0xF1;   // RT_TOOLBAR
constexpr UINT kMenuTextResource = 0x4001;
constexpr DWORD kInfoMask = TBIF_IMAGE | TBIF_STATE | TBIF_STYLE | TBIF_COMMAND;  // 0x2D
constexpr uint32_t kMenuBits = 0x1F0000;
constexpr int kHotTickMs = 250;
constexpr uint8_t kGroupStartStyle = toolbar::kStyleGroupStart | toolbar::kStyleGroup;
// The update cycle's state words (TBX_SETSTATE's form).
constexpr uint32_t kEnableWord = toolbar::PackState(toolbar::kStateEnabled, toolbar::kStateEnabled);
constexpr uint32_t kDisableWord = toolbar::PackState(0, toolbar::kStateEnabled | toolbar::kStatePressed);
constexpr uint32_t kCheckedWord = toolbar::PackState(toolbar::kStateChecked, 0);
constexpr uint32_t kIndeterminateWord = toolbar::PackState(toolbar::kStateIndeterminate, 0);

// A caller's id list, read no further than the control could ever hold
// (one more, so that a full bar still reports its refusal).
std::vector<uint16_t> CallerIds(const uint16_t* ids, int count)
{
    const int bounded = std::min(count, toolbar::kMaxButtons + 1);
    return bounded > 0 ? std::vector<uint16_t>(ids, ids + bounded) : std::vector<uint16_t>{};
}

bool IsIndexForm(UINT button)
{
    return (button >> 24) == 0x12;
}

// A message on its way through the bar's table.
using BarMessage = RoutedMessage;

// A resolved entry of LoadToolBar.
struct Entry {
    ToolbarBitmapEntry record;
    toolbar::ToolbarBlock block;
};

bool ResolveEntry(const char* name, bool inMemory, HINSTANCE instance, Entry* entry)
{
    if (inMemory) {
        entry->record = *reinterpret_cast<const ToolbarBitmapEntry*>(name);
        const uint16_t* raw = entry->record.block;
        return raw && toolbar::ParseToolbarBlock(raw, 8 + size_t(raw[3]) * 2, &entry->block);
    }
    HRSRC found = FindResourceA(instance, name, MAKEINTRESOURCEA(kToolbarResource));
    // The bitmap must be there too, or the control would refuse the entry
    // after the old buttons are gone.
    if (!found || !FindResourceA(instance, name, MAKEINTRESOURCEA(2)))
        return false;
    HGLOBAL loaded = LoadResource(instance, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || !toolbar::ParseToolbarBlock(data, SizeofResource(instance, found), &entry->block))
        return false;
    entry->record = ToolbarBitmapEntry{instance, name, 0, entry->block.imageWidth,
                                       static_cast<const uint16_t*>(data), nullptr};
    return true;
}

// A menu opened from the keyboard (the menu key in a control of the bar)
// opens below that control, not wherever the mouse pointer was left; with
// no control of the bar focused, at the bar's top left corner.
POINT KeyboardMenuPoint(HWND bar)
{
    RECT place;
    const HWND focus = GetFocus();
    if (focus && IsChild(bar, focus)) {
        GetWindowRect(focus, &place);
        return POINT{place.left, place.bottom};
    }
    GetWindowRect(bar, &place);
    return POINT{place.left, place.top};
}

}  // namespace

const CRuntimeClass CToolBarNew::classCToolBarNew = {"CToolBarNew", int(sizeof(CToolBarNew)),
                                                     &CToolBar::classCToolBar};

const CRuntimeClass* CToolBarNew::GetRuntimeClass() const
{
    return &classCToolBarNew;
}

void ToolbarCmdUI::Enable(BOOL on)
{
    if (m_bar)
        m_bar->SendMessage(TBX_SETSTATE, m_nID, on ? kEnableWord : kDisableWord);
    m_bEnableChanged = TRUE;
}

void ToolbarCmdUI::SetCheck(int check)
{
    if (!m_bar)
        return;
    const LRESULT state = m_bar->SendMessage(TBX_GETSTATE, m_nID);
    if (state < 0)
        return;
    DWORD word = DWORD(state) & ~(kCheckedWord | kIndeterminateWord);
    word |= check == 1 ? kCheckedWord : check == 2 ? kIndeterminateWord : 0;
    m_bar->SendMessage(TBX_SETSTATE, m_nID, LPARAM(word | toolbar::kStateMaskAll));
}

CToolBarNew::CToolBarNew()
{
    for (int slot = 0; slot < toolbar::kMenuSlots; ++slot)
        menuSlots[slot] = MenuSlot{nullptr, uint16_t(0xD000 + slot)};
}

BOOL CToolBarNew::Create(CWnd* parent, DWORD style, UINT id)
{
    const RECT borders = {m_cxLeftBorder, m_cyTopBorder, m_cxRightBorder, m_cyBottomBorder};
    return CreateEx(parent, 0, style, borders, id);
}

BOOL CToolBarNew::CreateEx(CWnd* parent, DWORD controlStyle, DWORD style, const RECT& borders, UINT id)
{
    // The high word stays in place: its bits 16..20 are the menu entries.
    barStyle = controlStyle & 0xFFFF0000;
    buttonSize = toolbar::ButtonSizeFromIcon(GetSystemMetrics(SM_CYICON));
    // Registration also registers the common bar classes the framework
    // would otherwise get from a throw-away toolbar.
    ToolbarExRegister(AfxGetInstanceHandle());
    SetBorders(borders);
    m_dwStyle = (style & 0x40FFFF) | (id == AFX_IDW_TOOLBAR ? CBRS_HIDE_INPLACE : 0);
    const DWORD windowStyle = (style & ~DWORD(0x40FFB1)) | (controlStyle & 0xFFFF) | 0x4030004E;
    if (!CWnd::CreateEx(0, "ToolbarExWindow32", nullptr, windowStyle, RECT{0, 0, 0, 0}, parent, id))
        return FALSE;
    AttachToFrame(parent);
    if (CFrameWnd* frame = TargetFrame()) {
        SendMessage(TB_SETPARENT, WPARAM(frame->m_hWnd), kSetParentFrame);
        SendMessage(TB_SETPARENT, WPARAM(-1), kSetParentFinish);
    }
    m_sizeButton = SIZE{buttonSize + 7, buttonSize + 6};
    m_sizeImage = SIZE{buttonSize, buttonSize};
    SetTimer(kToolbarTimer, kHotTickMs);
    return TRUE;
}

CFrameWnd* CToolBarNew::TargetFrame() const
{
    CWinApp* app = AfxGetApp();
    if (auto* main = app ? dynamic_cast<CFrameWnd*>(app->m_pMainWnd) : nullptr)
        return main->GetActiveFrame();
    return m_pDockSite;
}

BOOL CToolBarNew::LoadToolBar(const char* const* entries, const uint16_t* ids, int count, const uint8_t* inMemory,
                              HINSTANCE instance)
{
    if (!m_hWnd || !entries || !entries[0])
        return FALSE;
    if (!instance)
        instance = AfxGetInstanceHandle();
    std::vector<uint16_t> wanted;
    if (count == kKeepButtons) {
        const int have = int(SendMessage(TB_BUTTONCOUNT));
        wanted.resize(size_t(std::max(have, 0)));
        if (have < 0 || SendMessage(TBX_GETIDS, WPARAM(have), LPARAM(wanted.data())) < 0)
            return FALSE;
    } else if (ids && count > 0) {
        wanted = CallerIds(ids, count);
    }
    // Every entry is found before anything of the old bar goes.
    std::vector<Entry> resolved;
    for (int n = 0; n < toolbar::kMaxToolbarEntries && entries[n]; ++n) {
        Entry entry;
        if (!ResolveEntry(entries[n], inMemory && inMemory[n], instance, &entry))
            return FALSE;
        resolved.push_back(entry);
    }
    SendMessage(TBX_REMOVEBUTTONS, 0, 65535);
    SendMessage(TBX_REMOVEBITMAPS);
    BOOL result = TRUE;
    std::vector<std::vector<uint16_t>> accepted;
    for (Entry& entry : resolved) {
        if (SendMessage(TB_ADDBITMAP, kAddBitmapBlock, LPARAM(&entry.record)) < 0) {
            result = FALSE;
            break;
        }
        const uint32_t width = entry.record.imageWidth;
        if ((accepted.empty() && width != uint32_t(kImageWidthAuto)) || imageWidth == 0)
            imageWidth = width == uint32_t(kImageWidthAuto) ? imageWidth : width;
        accepted.push_back(entry.block.ids);
    }
    std::vector<toolbar::ButtonPlan> buttons;
    if (!result || wanted.empty())
        buttons = toolbar::RunningButtons(resolved.front().block.ids);
    else
        buttons = toolbar::MapButtons(accepted, wanted);
    for (const toolbar::ButtonPlan& plan : buttons) {
        TBBUTTON button = {};
        button.iBitmap = plan.image;
        button.idCommand = plan.id;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = plan.separator ? BTNS_SEP : 0;
        if (!SendMessage(TBX_ADDBUTTON, toolbar::EncodeInsert(toolbar::kAppendIndex), LPARAM(&button))) {
            result = FALSE;  // the bar is full: the rest would be refused too
            break;
        }
    }
    SizeAfterLoad();
    return result;
}

void CToolBarNew::SizeAfterLoad()
{
    // In a popup (floating) frame the bar keeps the frame's width, and the
    // frame follows the bar; docked, a bar without a size gets one row.
    HWND parent = ::GetParent(m_hWnd);
    if (parent && (GetWindowLongA(parent, GWL_STYLE) & WS_POPUP)) {
        RECT frame;
        ::GetClientRect(parent, &frame);
        CalcSize(nullptr, TRUE, frame.right - frame.left);
        if (CFloatingFrame* floating = GetFloatingFrame())
            floating->FitToBar();
        return;
    }
    RECT client;
    GetClientRect(&client);
    if (client.right < 2 || client.bottom < 2)
        CalcSize(nullptr, TRUE, 0);
}

BOOL CToolBarNew::SetBitmap(HBITMAP bitmap, int width, BOOL deleteOnFailure, const uint16_t* ids, int count,
                            UINT firstId)
{
    const auto fail = [&] {
        if (deleteOnFailure && bitmap)
            DeleteObject(bitmap);
        return FALSE;
    };
    BITMAP info;
    if (!m_hWnd || !bitmap || !GetObjectA(bitmap, sizeof info, &info) || info.bmHeight < 1)
        return fail();
    if (width < 1)
        width = int(imageWidth);
    // No width known yet: the control decides rather than a division by 0.
    if (width < 1)
        width = kImageWidthAuto;
    const int images = info.bmWidth / (width == kImageWidthAuto ? info.bmHeight : width);
    if (images < 1)
        return fail();
    std::vector<uint16_t> list;
    if (ids && count > 0)
        list = CallerIds(ids, count);
    else
        for (int n = 0; n < images; ++n)
            list.push_back(uint16_t(firstId + UINT(n)));
    const std::vector<uint16_t> block =
        toolbar::MakeToolbarBlock(uint16_t(width), uint16_t(info.bmHeight), list);
    ToolbarBitmapEntry entry = {AfxGetInstanceHandle(), nullptr, kEntryInMemory, uint32_t(width), block.data(),
                                bitmap};
    const ToolbarIdList query = {uint32_t(list.size()), list.data()};
    if (SendMessage(TBX_HASBITMAP, kHasBitmapQuery, LPARAM(&query)))
        return SendMessage(TB_REPLACEBITMAP, 0, LPARAM(&entry)) ? TRUE : fail();
    const char* entries[2] = {reinterpret_cast<const char*>(&entry), nullptr};
    const uint8_t inMemory[1] = {1};
    const bool keep = SendMessage(TB_BUTTONCOUNT) > 0;
    if (!LoadToolBar(entries, nullptr, keep ? kKeepButtons : 0, inMemory))
        return fail();
    return TRUE;
}

BOOL CToolBarNew::LoadBitmap(const char* name, int width, HINSTANCE instance, const uint16_t* ids, int count,
                             UINT firstId)
{
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(instance ? instance : AfxGetInstanceHandle(), name,
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        return FALSE;
    const BOOL done = SetBitmap(bitmap, width, TRUE, ids, count, firstId);
    if (done)
        DeleteObject(bitmap);  // the control keeps its own copy of the images
    return done;
}

CWnd* CToolBarNew::GetControl(int index)
{
    const LRESULT child = SendMessage(TBX_GETCHILD, toolbar::EncodeSlotQuery(index));
    return child ? CWnd::FromHandle(reinterpret_cast<HWND>(child)) : nullptr;
}

CWnd* CToolBarNew::FindControl(int id, int occurrence)
{
    for (int index = 0; index < toolbar::kSlotCount; ++index) {
        CWnd* child = GetControl(index);
        if (child && child->GetDlgCtrlID() == id && occurrence-- == 0)
            return child;
    }
    return nullptr;
}

int CToolBarNew::AddControl(CWnd* child, UINT button, int slot, BOOL setFont)
{
    if (!child || !child->m_hWnd || !m_hWnd)
        return -1;
    LRESULT index = -1;
    if (IsIndexForm(button)) {
        index = LRESULT(button & 0xFFFF);
    } else {
        // The first button with the id that holds no control yet.
        const int wanted = slot < 0 ? -1 : slot;
        for (int n = 0; n < toolbar::kSlotCount; ++n) {
            const LRESULT at = SendMessage(TB_COMMANDTOINDEX, toolbar::EncodeCommandQuery(uint16_t(button), n));
            if (at < 0 || at >= 65535)
                break;
            ToolbarExButtonInfo info = ButtonInfoRequest(kButtonInfoByIndex);
            if (SendMessage(TB_GETBUTTONINFOA, WPARAM(at), LPARAM(&info)) >= 0 && info.slot < 0 &&
                (wanted < 0 || wanted == n)) {
                index = at;
                break;
            }
        }
    }
    if (index < 0 || index >= 65535)
        return -1;
    if (setFont) {
        char className[16] = "";
        GetClassNameA(child->m_hWnd, className, sizeof className);
        if (!lstrcmpiA(className, "ComboBox") || !lstrcmpiA(className, "Edit"))
            child->SendMessage(WM_SETFONT, WPARAM(GetStockObject(ANSI_VAR_FONT)), TRUE);
    }
    SendMessage(TBX_SETSIZES, WPARAM(index), toolbar::kChildSizes);
    if (!SendMessage(TBX_ATTACH, WPARAM(index), LPARAM(child->m_hWnd)))
        return -1;
    return int(SendMessage(TBX_FITCHILD, toolbar::EncodeFitChild(uint32_t(index)), toolbar::kChildSizes));
}

void CToolBarNew::SetButtonColors(int count, UINT firstId, const COLORREF* colors, COLORREF extra)
{
    if (extra != COLORREF(-1))
        SendMessage(TBX_EXTRACOLOR, toolbar::EncodeExtraColor(0), LPARAM(extra));
    for (int n = 0; colors && n < count; ++n)
        SendMessage(TBX_ATTACH, toolbar::EncodeColorTarget(firstId + UINT(n)), LPARAM(colors[n]));
}

LRESULT CToolBarNew::SetButtonColorList(int count, const uint16_t* ids, const COLORREF* colors, COLORREF extra)
{
    if (extra != COLORREF(-1))
        SendMessage(TBX_EXTRACOLOR, toolbar::EncodeExtraColor(0), LPARAM(extra));
    LRESULT answer = 0;
    for (int n = 0; ids && colors && n < count; ++n)
        answer = SendMessage(TBX_ATTACH, toolbar::EncodeColorTarget(ids[n]), LPARAM(colors[n]));
    return answer;
}

LRESULT CToolBarNew::SetButtonColor(UINT button, COLORREF color, int mode)
{
    // Always tagged: the control must never guess whether a value is a
    // colour or a window.
    const LPARAM value = mode == -1 ? LPARAM(toolbar::Pack16Color(color)) : LPARAM(color);
    return SendMessage(TBX_ATTACH, toolbar::EncodeColorTarget(button), value);
}

LRESULT CToolBarNew::SetExtraColors(COLORREF first, COLORREF second)
{
    if (first == COLORREF(-1))
        return -1;
    SendMessage(TBX_EXTRACOLOR, toolbar::EncodeExtraColor(0), LPARAM(first));
    return SendMessage(TBX_EXTRACOLOR, toolbar::EncodeExtraColor(1), LPARAM(second));
}

LRESULT CToolBarNew::SetButtonInfo(UINT id, int image, int state, int width)
{
    LRESULT answer = 0;
    if (image != -1)
        answer = SendMessage(TBX_SETIMAGE, id, image);
    if (state != -1)
        answer = SendMessage(TBX_SETSTATE, id, LPARAM(DWORD(state) | toolbar::kStateMaskAll));
    if (width >= -1)
        answer = SendMessage(TBX_SETBUTTONWIDTH, id, width);
    return answer;
}

LRESULT CToolBarNew::SetButtonInfoEx(UINT id, int image, int state, int width, int size, int secondSize)
{
    LRESULT answer = SetButtonInfo(id, image, state == -1 ? -1 : state ^ 0x40000, width);
    if (secondSize != 0)
        answer = SendMessage(TBX_SETSIZES, id, LPARAM(toolbar::EncodeSizeLimits(uint32_t(size), uint32_t(secondSize))));
    return answer;
}

BOOL CToolBarNew::InfoOf(WPARAM button, DWORD mask, UINT* outId, UINT* styleState, int* image)
{
    ToolbarExButtonInfo info = ButtonInfoRequest(mask);
    if (SendMessage(TB_GETBUTTONINFOA, button, LPARAM(&info)) < 0)
        return FALSE;
    if (outId)
        *outId = UINT(info.idCommand);
    if (styleState)
        *styleState = (UINT(info.fsStyle) << 16 | info.fsState) ^ 0x40000;
    if (image)
        *image = info.iImage;
    return TRUE;
}

BOOL CToolBarNew::GetButtonInfo(UINT id, UINT* outId, UINT* styleState, int* image)
{
    return InfoOf(id, kInfoMask, outId, styleState, image);
}

BOOL CToolBarNew::GetButtonInfoByIndex(int index, UINT* outId, UINT* styleState, int* image)
{
    return InfoOf(WPARAM(index), kInfoMask | kButtonInfoByIndex, outId, styleState, image);
}

DWORD CToolBarNew::SetStyle(DWORD style)
{
    const DWORD old = DWORD(SetWindowLongA(m_hWnd, GWL_STYLE, LONG(style)));
    RecalcBar();
    return old;
}

DWORD CToolBarNew::ModifyStyle(DWORD bits, DWORD mask, BOOL relayout)
{
    const DWORD old = GetStyle();
    const DWORD style = (old & ~mask) | (bits & mask);
    SetWindowLongA(m_hWnd, GWL_STYLE, LONG(style));
    if (relayout && ((old ^ style) & 0x10000820))
        RecalcBar();
    Invalidate();
    return old;
}

LRESULT CToolBarNew::SetButtonWidth(UINT id, int width, BOOL relayout)
{
    const int asked = width ? width : 256;
    const LRESULT answer = SendMessage(TBX_SETWIDTHS, id, asked);
    if (relayout && answer != asked)
        RecalcBar();
    return answer;
}

LRESULT CToolBarNew::SetAllButtonWidths(int width, BOOL relayout)
{
    return SetButtonWidth(UINT(-1), width, relayout);
}

BOOL CToolBarNew::SetButtons(const uint16_t* ids, int count)
{
    SendMessage(TBX_REMOVEBUTTONS, 0, 65535);
    m_layoutDelayed = true;
    // Each button is made as it is sent, so no count is ever trusted with an
    // allocation; the control's first refusal (a full bar) ends the loop.
    int image = 0;
    for (int n = 0; n < count; ++n) {
        const uint16_t id = ids ? ids[n] : 0;
        // Without an id list the buttons are empty, not separators.
        const bool separator = ids && id == 0;
        TBBUTTON button = {};
        button.iBitmap = !ids ? n : separator ? -1 : image++;
        button.idCommand = id;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = separator ? BTNS_SEP : 0;
        if (!SendMessage(TBX_ADDBUTTON, toolbar::EncodeInsert(uint32_t(n)), LPARAM(&button)))
            return FALSE;
    }
    return TRUE;
}

BOOL CToolBarNew::SetGroup(UINT first, int count)
{
    if (count < 2)
        return FALSE;
    const LRESULT index = IsIndexForm(first) ? LRESULT(first & 0xFFFF) : SendMessage(TB_COMMANDTOINDEX, first);
    if (index < 0 || index >= 65535)
        return FALSE;
    const LRESULT head = SendMessage(TBX_GROUP, toolbar::EncodeGroupRange(uint32_t(index), 1),
                                     toolbar::EncodeStyleChange(kGroupStartStyle, kGroupStartStyle));
    const LRESULT rest = SendMessage(TBX_GROUP, toolbar::EncodeGroupRange(uint32_t(index + 1), uint32_t(count - 1)),
                                     toolbar::EncodeStyleChange(toolbar::kStyleGroup, toolbar::kStyleGroup));
    return head + rest == count;
}

LRESULT CToolBarNew::SendItemRecord(LPARAM value, uint32_t word, uint16_t first, uint16_t second, uint8_t a,
                                    uint8_t b)
{
    ToolbarItemRecord record = {word, first, second, a, b};
    return SendMessage(TBX_ITEMRECORD, WPARAM(&record), value);
}

SIZE CToolBarNew::Insets(BOOL horz) const
{
    RECT inside = {0, 0, 0, 0};
    CalcInsideRect(inside, horz);
    return SIZE{-(inside.right - inside.left), -(inside.bottom - inside.top)};
}

SIZE CToolBarNew::Needed(WPARAM limit, LPARAM flags, SIZE insets)
{
    const toolbar::NeededSize needed = toolbar::DecodeNeededSize(uint32_t(SendMessage(TBX_NEEDEDSIZE, limit, flags)));
    return SIZE{needed.cx + insets.cx, needed.cy + insets.cy};
}

SIZE CToolBarNew::CalcSize(SIZE* out, BOOL apply, int minWidth)
{
    SIZE size = Needed(toolbar::kOneRow, toolbar::kLayoutCommit, Insets(TRUE));
    size.cx = std::max<LONG>(size.cx, minWidth);
    if (apply)
        SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (out)
        *out = size;
    return size;
}

SIZE CToolBarNew::CalcFixedLayout(BOOL, BOOL horz)
{
    return Needed(horz ? toolbar::kOneRow : 0, toolbar::kLayoutCommit, Insets(horz));
}

SIZE CToolBarNew::CalcDynamicLayout(int length, DWORD mode)
{
    const bool commit = (mode & LM_COMMIT) != 0;
    const BOOL horz = (mode & (LM_HORZ | LM_HORZDOCK)) != 0;
    const SIZE insets = Insets(horz);
    SIZE size;
    if (mode & (LM_HORZDOCK | LM_VERTDOCK))
        size = Needed((mode & LM_HORZDOCK) ? toolbar::kOneRow : 0, toolbar::EncodeLayoutFlags(commit, false), insets);
    else if (mode & LM_LENGTHY)
        size = Needed(WPARAM(std::max(length, 0) + insets.cy), toolbar::EncodeLayoutFlags(commit, true), insets);
    else
        size = Needed(WPARAM(std::max((mode & LM_MRUWIDTH) ? m_mruWidth : length, 0) + insets.cx),
                      toolbar::EncodeLayoutFlags(commit, false), insets);
    size.cx = std::max<LONG>(size.cx, buttonSize);
    if (commit) {
        // The width remembered is the floating one: a bar docked in a
        // column floats again as wide as it last floated.
        if (!(mode & (LM_HORZDOCK | LM_VERTDOCK)))
            m_mruWidth = size.cx;
        m_layoutDelayed = false;
    }
    return size;
}

int CToolBarNew::OnToolHitTest(POINT client) const
{
    // A separator is empty space too, as it is between the buttons.
    const LRESULT index = SendMessage(TB_HITTEST, 0, LPARAM(&client));
    return index >= 0 ? int(index) : -1;
}

void CToolBarNew::RecalcBar()
{
    m_layoutDelayed = true;
    if (!m_hWnd)
        return;
    if (!(GetStyle() & WS_VISIBLE)) {
        SendMessage(TBX_RELAYOUT, toolbar::kRelayoutButtons, 1);
        return;
    }
    if (CFrameWnd* frame = TargetFrame()) {
        SendMessage(TBX_RELAYOUT, toolbar::kRelayoutButtons, 0);
        frame->ShowControlBar(this, FALSE, FALSE);
        frame->ShowControlBar(this, TRUE, FALSE);
    }
}

void CToolBarNew::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler)
{
    ToolbarCmdUI state;
    state.m_bar = this;
    const int count = int(SendMessage(TB_BUTTONCOUNT));
    for (int index = 0; index < count; ++index) {
        ToolbarExButtonInfo info = ButtonInfoRequest(TBIF_STYLE | TBIF_COMMAND | kButtonInfoByIndex);
        if (SendMessage(TB_GETBUTTONINFOA, WPARAM(index), LPARAM(&info)) < 0 || (info.fsStyle & BTNS_SEP))
            continue;
        state.m_nID = UINT(info.idCommand) & 0xFFFF;
        state.m_nIndex = UINT(index);
        state.m_bEnableChanged = FALSE;
        // The bar's own handlers first, then the frame's routing.
        if (CWnd::OnCommand(MAKEWPARAM(state.m_nID, CN_UPDATE_COMMAND_UI), LPARAM(&state)))
            continue;
        state.DoUpdate(target, disableIfNoHandler && state.m_nID < 65535);
    }
    UpdateDialogControls(this, target);
}

// A command: the menu's hide entry sent as one (no control), or a child
// control's, which goes once to the frame: its routing reaches the view.
bool CToolBarNew::OnBarCommand(uint16_t id, uint16_t code, HWND child)
{
    CFrameWnd* frame = TargetFrame();
    if (!child) {
        if (id != menuSlots[4].id || !frame)
            return false;
        frame->ShowControlBar(this, FALSE, FALSE);
        return true;
    }
    if (SendMessage(TBX_CHILDINDEX, 0, LPARAM(child)) < 0)
        return false;
    int derived = 0;
    if (code == CBN_SELCHANGE) {
        const int selected = int(::SendMessageA(child, CB_GETCURSEL, 0, 0));
        const intptr_t data = selected >= 0 ? intptr_t(::SendMessageA(child, CB_GETITEMDATA, WPARAM(selected), 0)) : 0;
        derived = toolbar::DerivedCommand(selected, data, ::GetDlgCtrlID(child));
    }
    if (frame) {
        frame->PostMessage(WM_COMMAND, MAKEWPARAM(id, code), LPARAM(child));
        if (derived)
            frame->PostMessage(WM_COMMAND, MAKEWPARAM(derived, 0), 0);
    }
    return true;
}

// A child control's notification goes to the frame, its answer back.
bool CToolBarNew::OnChildNotify(LRESULT& answer, WPARAM id, NMHDR* header)
{
    if (!header || !header->hwndFrom || SendMessage(TBX_CHILDINDEX, 0, LPARAM(header->hwndFrom)) < 0)
        return false;
    CFrameWnd* frame = TargetFrame();
    answer = frame ? frame->SendMessage(WM_NOTIFY, id, LPARAM(header)) : 0;
    return true;
}

BOOL CToolBarNew::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    using Rows = RouteRows<CToolBarNew, BarMessage>;
    using Self = CToolBarNew;
    static constexpr Rows::Row kRows[] = {
        Rows::On(WM_COMMAND).May<&Self::OnBarCommand, WParamLow, WParamHigh, LParamAs<HWND>>(),
        Rows::On(WM_NOTIFY).May<&Self::OnChildNotify, ResultSlot, WParamAs<WPARAM>, LParamAs<NMHDR*>>(),
    };
    static constexpr auto kRoutes = SortRoutes(kRows);
    static_assert(RoutesDisjoint(kRoutes), "a message has two rows");

    BarMessage m{message, wParam, lParam, 0};
    if (const auto* row = FindRoute(kRoutes, message); row && row->handler(*this, m)) {
        *result = m.result;
        return TRUE;
    }
    return CToolBar::OnWndMsg(message, wParam, lParam, result);
}

void CToolBarNew::OnTimer(UINT_PTR id)
{
    if (id == kToolbarTimer)
        SendMessage(TBX_TIMERTICK);
    else
        Default();
}

BOOL CToolBarNew::BuildContextMenu(CMenu& menu)
{
    if (!(barStyle & kMenuBits) || !menu.CreatePopupMenu())
        return FALSE;
    char resource[5 * 64 + 8] = "";
    LoadStringA(AfxGetInstanceHandle(), kMenuTextResource, resource, sizeof resource);
    const auto texts = toolbar::MenuTexts(resource);
    const auto text = [&](int slot) { return menuSlots[slot].text ? menuSlots[slot].text : texts[size_t(slot)].c_str(); };
    const auto has = [&](int slot) { return (barStyle & (0x10000u << slot)) != 0; };
    for (int slot = 0; slot < 3; ++slot)
        if (has(slot))
            menu.AppendMenu(MF_STRING | (uint32_t(slot) == iconMode ? MF_CHECKED : 0), menuSlots[slot].id, text(slot));
    for (int slot = 3; slot < 5; ++slot) {
        if (!has(slot))
            continue;
        if (menu.GetMenuItemCount() > 0)
            menu.AppendMenu(MF_SEPARATOR);
        const bool checked = slot == 3 && (GetStyle() & TBSTYLE_FLAT);
        menu.AppendMenu(MF_STRING | (checked ? MF_CHECKED : 0), menuSlots[slot].id, text(slot));
    }
    return TRUE;
}

void CToolBarNew::OnMenuCommand(UINT id)
{
    CFrameWnd* frame = TargetFrame();
    if (!id || !frame)
        return;
    if (id == menuSlots[4].id) {
        frame->ShowControlBar(this, FALSE, FALSE);
        return;
    }
    for (uint32_t slot = 0; slot < 3; ++slot)
        if (id == menuSlots[slot].id)
            iconMode = slot;
    frame->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

LRESULT CToolBarNew::OnContextMenu(WPARAM, LPARAM lParam)
{
    if (!(barStyle & kMenuBits))
        return Default();
    CFrameWnd* frame = TargetFrame();
    CMenu menu;
    if (!frame || !BuildContextMenu(menu))
        return 0;
    POINT at = {short(LOWORD(lParam)), short(HIWORD(lParam))};
    if (lParam == -1)
        at = KeyboardMenuPoint(m_hWnd);
    // The chosen entry comes back here, so the bar can act on its own one.
    const UINT id = UINT(menu.TrackPopupMenu(TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, frame));
    OnMenuCommand(id);
    return 0;
}

BEGIN_MESSAGE_MAP(CToolBarNew, CToolBar)
    ON_WM_TIMER()
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenu)
END_MESSAGE_MAP()
