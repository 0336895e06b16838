// In-place editing end to end under Wine: opening the editor, Enter and
// Escape, TVN_ENDLABELEDIT with its answer, TVM_ENDEDITLABELNOW, typing into
// a column with an editor, the double click, TLN_EDITQUERY, focus loss.
#include <gtest/gtest.h>

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
    f.InsertColumn(0, 100, "Name");
    f.InsertColumn(1, 100, "Wert");
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

}  // namespace
}  // namespace treelist_window_test

namespace treelist_window_test {
namespace {

// The answer's top bit opens the editor on a cell without a column editor
// when the control has TVS_EDITLABELS: a typed character replaces the text,
// a double click keeps it; without the style the event is only taken.
TEST(TreeListWindowEdit, EditQueryAnswerOpensTheEditor)
{
    struct Case {
        DWORD style;
        UINT message;
        bool opens;
        const char* text;
    };
    const Case cases[] = {
        {kTreeStyle | TVS_EDITLABELS, WM_CHAR, true, "x"},
        {kTreeStyle | TVS_EDITLABELS, WM_LBUTTONDBLCLK, true, "a"},
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

}  // namespace
}  // namespace treelist_window_test
