// In-place editing end to end under Wine: opening the editor, Enter and
// Escape, TVN_ENDLABELEDIT with its answer, TVM_ENDEDITLABELNOW, typing into
// a column with an editor, the double click, TLN_EDITQUERY, focus loss; the
// editor over its cell while the rows and columns under it move.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "tests/treelist/treelist_window_fixture.h"

namespace treelist_window_test {
namespace {

HWND Editor(const Fixture& f) { return reinterpret_cast<HWND>(f.Send(TVM_GETEDITCONTROL)); }

std::string EditorText(HWND editor)
{
    char text[256] = {};
    GetWindowTextA(editor, text, sizeof(text));
    return text;
}

// The user replaces the editor's text.
void Type(HWND editor, const char* text)
{
    SetWindowTextA(editor, text);
    SendMessageA(GetParent(editor), WM_COMMAND, MAKEWPARAM(kTreeListEditorId, EN_CHANGE),
                 reinterpret_cast<LPARAM>(editor));
}

NMTVDISPINFOA EndRecord(const Fixture& f)
{
    NMTVDISPINFOA nm = {};
    const winharness::LoggedMessage* end = f.Find(int(TVN_ENDLABELEDITA));
    EXPECT_NE(end, nullptr);
    if (end)
        end->Read(&nm);
    return nm;
}

TEST(TreeListWindowEdit, EnterKeepsTheTextTheParentAccepts)
{
    Fixture f;
    const Tree t = BuildTree(f);
    f.Clear();
    const HWND editor = reinterpret_cast<HWND>(f.Send(TVM_EDITLABELA, 0, LPARAM(t.b)));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Editor(f), editor);
    EXPECT_EQ(GetDlgCtrlID(editor), kTreeListEditorId);
    EXPECT_EQ(EditorText(editor), "b");
    EXPECT_EQ(GetFocus(), editor);
    EXPECT_EQ(f.Count(int(TVN_BEGINLABELEDITA)), 1);
    Type(editor, "neu");
    SendMessageA(editor, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_EQ(Editor(f), nullptr);
    EXPECT_EQ(GetFocus(), f.tl);
    const NMTVDISPINFOA nm = EndRecord(f);
    EXPECT_EQ(nm.item.mask, 0x801Du | 0x20000000u | 0x10000000u);
    EXPECT_EQ(TreeListHandleOf(nm.item.hItem), t.b);
    EXPECT_EQ(nm.item.cChildren, 0);
    EXPECT_EQ(nm.item.lParam, 5);
    EXPECT_EQ(f.Find(int(TVN_ENDLABELEDITA))->extra, "neu");
    EXPECT_EQ(f.Text(t.b), "neu");
}

TEST(TreeListWindowEdit, ParentRefusalKeepsTheOldText)
{
    Fixture f;
    const Tree t = BuildTree(f);
    f.parent.SetAnswer(int(TVN_ENDLABELEDITA), [](NMHDR*) { return LRESULT(1); });
    const HWND editor = reinterpret_cast<HWND>(f.Send(TVM_EDITLABELA, 0, LPARAM(t.c)));
    Type(editor, "x");
    EXPECT_EQ(f.Send(TVM_ENDEDITLABELNOW, FALSE), 1);  // FALSE keeps
    EXPECT_EQ(f.Text(t.c), "c");
}

TEST(TreeListWindowEdit, EscapeAndCancelDropTheText)
{
    Fixture f;
    const Tree t = BuildTree(f);
    HWND editor = reinterpret_cast<HWND>(f.Send(TVM_EDITLABELA, 0, LPARAM(t.b)));
    Type(editor, "weg");
    f.Clear();
    SendMessageA(editor, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(IsWindow(editor));
    NMTVDISPINFOA nm = EndRecord(f);
    EXPECT_EQ(nm.item.mask, 0x0100801Cu);
    EXPECT_EQ(nm.item.pszText, nullptr);
    EXPECT_EQ(f.Text(t.b), "b");

    editor = reinterpret_cast<HWND>(f.Send(TVM_EDITLABELA, 0, LPARAM(t.b)));
    Type(editor, "auch weg");
    f.Clear();
    EXPECT_EQ(f.Send(TVM_ENDEDITLABELNOW, TRUE), 1);
    EXPECT_EQ(EndRecord(f).item.mask, 0x0100801Cu);
    EXPECT_EQ(f.Text(t.b), "b");
    EXPECT_EQ(f.Send(TVM_ENDEDITLABELNOW, TRUE), 0);  // nothing open

    // Losing the focus ends the edit as a cancel.
    editor = reinterpret_cast<HWND>(f.Send(TVM_EDITLABELA, 0, LPARAM(t.b)));
    Type(editor, "fort");
    f.Clear();
    SetFocus(f.parent.Handle());
    EXPECT_EQ(Editor(f), nullptr);
    EXPECT_EQ(f.Count(int(TVN_ENDLABELEDITA)), 1);
    EXPECT_EQ(f.Text(t.b), "b");
}

TEST(TreeListWindowEdit, BeginLabelEditAnswerRefuses)
{
    Fixture f;
    const Tree t = BuildTree(f);
    f.parent.SetAnswer(int(TVN_BEGINLABELEDITA), [](NMHDR*) { return LRESULT(1); });
    EXPECT_EQ(f.Send(TVM_EDITLABELA, 0, LPARAM(t.b)), 0);
    EXPECT_EQ(Editor(f), nullptr);
    EXPECT_EQ(f.Send(TVM_EDITLABELA, 0, 999), 0);
}

TEST(TreeListWindowEdit, TypingStartsAColumnEditorOnTheCaretCell)
{
    Fixture f;
    f.Columns({{100, "Name"}, {100, "Wert"}});
    const uint32_t h = f.Insert(0, "zeile");
    f.SetText(h, "alt", 1);
    f.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_CELLSELECT, TLS_EX_CELLSELECT);
    EXPECT_EQ(f.Send(TLM_SETCOLUMNEDIT, (1u << 11) | (1u << 8)), 1);
    EXPECT_EQ(f.Send(TLM_SETCOLUMNEDITDATA, 1, 42), 1);
    EXPECT_EQ(f.Data().columns[1].editData, 42);
    f.Send(TLM_SELECTCELL, 1, LPARAM(h));
    SetFocus(f.tl);
    f.Send(WM_CHAR, 'q', 1);
    const HWND editor = Editor(f);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(EditorText(editor), "q");
    SendMessageA(editor, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(f.Text(h, 1), "q");
    EXPECT_EQ(f.Text(h, 0), "zeile");
    EXPECT_EQ(EndRecord(f).item.cChildren, 1);
}

TEST(TreeListWindowEdit, DoubleClickOpensTheEditorOfAnEditableColumn)
{
    Fixture f;
    f.InsertColumn(0, 120, "Name");
    const uint32_t h = f.Insert(0, "doppelt");
    f.Send(TLM_SETCOLUMNEDIT, (0u << 11) | (1u << 8));
    const POINT pt = f.TextPoint(h);
    f.Mouse(WM_LBUTTONDOWN, pt, MK_LBUTTON);
    f.Mouse(WM_LBUTTONUP, pt);
    f.Mouse(WM_LBUTTONDBLCLK, pt, MK_LBUTTON);
    const HWND editor = Editor(f);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(EditorText(editor), "doppelt");
    f.Send(TVM_ENDEDITLABELNOW, TRUE);
}

TEST(TreeListWindowEdit, EditQueryOffersKeysAndDoubleClicks)
{
    Fixture f;
    const Tree t = BuildTree(f);
    f.Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(t.a));
    SetFocus(f.tl);
    f.Clear();
    f.Send(WM_CHAR, 'b', 1);
    ASSERT_EQ(f.Count(int(TLN_EDITQUERY)), 1);
    NMTREEVIEWA nm;
    ASSERT_TRUE(f.Find(int(TLN_EDITQUERY))->Read(&nm));
    EXPECT_EQ(nm.action, UINT('b') | kTreeListHookChar);
    EXPECT_EQ(nm.itemNew.mask, 0x801Cu);
    EXPECT_EQ(TreeListHandleOf(nm.itemNew.hItem), t.a);
    EXPECT_EQ(f.Next(0, TVGN_CARET), t.b);  // not taken: the search found b
    // A parent that takes the double click keeps the item from expanding.
    f.parent.SetAnswer(int(TLN_EDITQUERY), [](NMHDR*) { return LRESULT(0x80000000); });
    const POINT pt = f.TextPoint(t.a);
    f.Mouse(WM_LBUTTONDBLCLK, pt, MK_LBUTTON);
    EXPECT_EQ(f.State(t.a) & TVIS_EXPANDED, 0u);
    f.Send(WM_CHAR, 'c', 1);
    EXPECT_NE(f.Next(0, TVGN_CARET), t.c);  // taken: no search
}

TEST(TreeListWindowEdit, ClipboardMessagesGoToAVisibleEditor)
{
    Fixture f;
    const Tree t = BuildTree(f);
    const HWND editor = reinterpret_cast<HWND>(f.Send(TVM_EDITLABELA, 0, LPARAM(t.b)));
    ASSERT_NE(editor, nullptr);
    SendMessageA(editor, EM_SETSEL, 0, -1);
    EXPECT_EQ(f.Send(WM_CLEAR), 0);
    winharness::PumpUntilIdle(200);
    EXPECT_EQ(EditorText(editor), "");
    f.Send(TVM_ENDEDITLABELNOW, TRUE);
}

// The answer's top bit opens the editor on a cell without a column editor
// when the control has TVS_EDITLABELS: a typed character replaces the text,
// a double click keeps it; without the style the event is only taken.
TEST(TreeListWindowEdit, EditQueryAnswerOpensTheEditor)
{
    struct Case { DWORD style; UINT message; bool opens; const char* text; };
    const Case cases[] = {
        {kTreeStyle | TVS_EDITLABELS, WM_CHAR, true, "x"}, {kTreeStyle | TVS_EDITLABELS, WM_LBUTTONDBLCLK, true, "a"},
        {kTreeStyle, WM_CHAR, false, ""},
    };
    for (const Case& c : cases) {
        Fixture f(c.style);
        const Tree t = BuildTree(f);
        f.Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(t.a));
        f.parent.SetAnswer(int(TLN_EDITQUERY), [](NMHDR*) { return LRESULT(0x80000000); });
        if (c.message == WM_CHAR)
            f.Send(WM_CHAR, 'x', 1);
        else
            f.Mouse(WM_LBUTTONDBLCLK, f.TextPoint(t.a), MK_LBUTTON);
        const HWND editor = Editor(f);
        ASSERT_EQ(editor != nullptr, c.opens) << c.message;
        if (!editor)
            continue;
        EXPECT_EQ(EditorText(editor), c.text);
        f.Clear();
        SendMessageA(editor, WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_EQ(EndRecord(f).item.mask & 0x20000000u, c.message == WM_CHAR ? 0x20000000u : 0u);
        EXPECT_EQ(f.Next(0, TVGN_CARET), t.a);
    }
}

// ---- An open editor and its cell ----

// The cell an editor is open on: "Wert" (column 1) of a row, between a
// proportional "Name" and a fixed "Zoom" (wide: three fixed columns wider
// than the window).
struct EditedCell {
    Fixture& f;
    uint32_t group = 0, row = 0;
    EditedCell(Fixture& fixture, bool wide, bool inGroup) : f(fixture)
    {
        f.Recreate();
        if (wide) {
            f.Columns({{150, "Name"}, {150, "Wert"}, {400, "Zoom"}});
        } else {
            for (const auto& [text, weight] : {std::pair{"Name", 3}, std::pair{"Wert", 2}}) {
                LVCOLUMNA lv = {};
                lv.mask = TLCF_WEIGHT | LVCF_TEXT;
                lv.cx = weight;
                lv.pszText = const_cast<char*>(text);
                f.SendRecord(TLM_INSERTCOLUMN, f.Send(TLM_GETCOLUMNCOUNT), &lv);
            }
            f.InsertColumn(2, 50, "Zoom");
        }
        group = f.Insert(0, "Gruppe");
        char text[32];
        for (int i = 0; i < 40; ++i) {
            std::snprintf(text, sizeof text, "Zeile %02d", i);
            const uint32_t h = f.Insert(i < 3 ? group : 0, text);
            f.SetText(h, "Wert", 1);
            if (i == (inGroup ? 1 : 5))
                row = h;
        }
        f.Send(TVM_EXPAND, TVE_EXPAND, LPARAM(group));
        f.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_CELLSELECT, TLS_EX_CELLSELECT);
        f.Send(TLM_SETCOLUMNEDIT, (1u << 11) | (1u << 8));
        f.Send(TLM_SELECTCELL, 1, LPARAM(row));
        SetFocus(f.tl);
        f.Send(WM_KEYDOWN, VK_RETURN, 0);  // opens the editor on the caret cell
        EXPECT_NE(Editor(f), nullptr);
        f.Clear();
    }
    // The text part of the cell in the client area, as the control gives it.
    RECT Cell(uint32_t column = 1) const
    {
        RECT r = {};
        std::memcpy(&r, &row, sizeof(row));
        if (!f.SendRecord(TVM_GETITEMRECT, 0x81 | (column << 24), &r))
            return RECT{};
        return r;
    }
    // Where the editor stands against its cell; "beendet" when it ended as a
    // focus loss ends it.
    std::string Placement(uint32_t column) const
    {
        if (!Editor(f) && f.Count(int(TVN_ENDLABELEDITA)) == 1)
            return EndRecord(f).item.mask == 0x0100801Cu ? "beendet" : "beendet, Text behalten";
        return EditorPlacement(f, row, column);
    }
};

TEST(TreeListWindowEdit, AnOpenEditorFollowsItsCellOrEnds)
{
    struct Case {
        const char* name;
        bool wide, inGroup;
        std::function<void(EditedCell&)> act;
        const char* placement;
        uint32_t column;  // where the edited cell stands afterwards
    };
    const Case cases[] = {
        {"a line down on the scroll bar", false, false,
         [](EditedCell& e) { e.f.Send(WM_VSCROLL, SB_LINEDOWN); }, "über der Zelle", 1},
        {"a page down takes the row out of view", false, false,
         [](EditedCell& e) { e.f.Send(WM_VSCROLL, SB_PAGEDOWN); }, "beendet", 1},
        {"the window grows: the proportional columns widen", false, false,
         [](EditedCell& e) { SetWindowPos(e.f.tl, nullptr, 0, 0, 420, 260, SWP_NOMOVE | SWP_NOZORDER); },
         "über der Zelle", 1},
        {"the first column narrower", true, false, [](EditedCell& e) { e.f.Send(TLM_SETCOLUMNWIDTH, 0, 90); },
         "über der Zelle", 1},
        {"a little sideways", true, false, [](EditedCell& e) { e.f.Send(WM_HSCROLL, SB_LINERIGHT); },
         "über der Zelle", 1},
        {"sideways out of view", true, false, [](EditedCell& e) { e.f.Send(WM_HSCROLL, SB_RIGHT); }, "beendet", 1},
        {"a column inserted in front", false, false, [](EditedCell& e) { e.f.InsertColumn(1, 40, "neu"); },
         "über der Zelle", 2},
        {"its column deleted", false, false, [](EditedCell& e) { e.f.Send(TLM_DELETECOLUMN, 1); }, "beendet", 1},
        {"a row inserted above", false, false,
         [](EditedCell& e) { e.f.Insert(0, "oben", kTreeListFirst); }, "über der Zelle", 1},
        {"its group collapsed", false, true,
         [](EditedCell& e) { e.f.Send(TVM_EXPAND, TVE_COLLAPSE, LPARAM(e.group)); }, "beendet", 1},
        {"its column widened", false, false,
         [](EditedCell& e) { e.f.Send(TLM_SETCOLUMNWIDTH, 1, 120); }, "über der Zelle", 1},
    };
    Fixture f;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditedCell e(f, c.wide, c.inGroup);
        const RECT before = e.Cell();
        const std::string name = f.Text(e.row);
        Type(Editor(f), "neu");
        c.act(e);
        winharness::PumpUntilIdle(200);
        EXPECT_EQ(e.Placement(c.column), c.placement);
        if (Editor(f)) {
            const RECT after = e.Cell(c.column);
            EXPECT_FALSE(EqualRect(&before, &after)) << "the cell did not move";
            f.Send(TVM_ENDEDITLABELNOW, TRUE);
        }
        EXPECT_EQ(f.Text(e.row), name) << "nothing typed lands elsewhere";
    }
}

}  // namespace
}  // namespace treelist_window_test
