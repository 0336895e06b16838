// Keyboard: caret moves by rows and cells, Shift ranges, the scrolling Ctrl
// keys, Enter, paste, Tab, the keys of a running drag, check boxes; and the
// incremental search with its timing, repeated letters, the 17th
// character, national letters and the suppression by a TVN_KEYDOWN answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "tests/treelist/treelist_fake_host.h"
#include "ui/treelist/core/incremental_search.h"

using namespace treelist_test;

namespace {

TEST(TreeListKeys, CaretMoves)
{
    Tree t;
    const struct {
        const char* name; uint32_t Tree::*from; int key; uint32_t Tree::*to;
        bool expandedAfter;  // of the caret, for Left and Right
    } cases[] = {
        {"down", &Tree::r1, VK_DOWN, &Tree::a, true}, {"up", &Tree::a, VK_UP, &Tree::r1, true},
        {"up at the top", &Tree::r1, VK_UP, &Tree::r1, true}, {"end", &Tree::a, VK_END, &Tree::r3, false},
        {"home", &Tree::r3, VK_HOME, &Tree::r1, true},
        {"page down: rows per page - 1", &Tree::r1, VK_NEXT, &Tree::a1, false},
        {"page up", &Tree::a2, VK_PRIOR, &Tree::a, true}, {"backspace: parent", &Tree::a1, VK_BACK, &Tree::a, true},
        {"backspace at the root level", &Tree::r2, VK_BACK, &Tree::r2, false},
        {"left on a leaf: parent", &Tree::a2, VK_LEFT, &Tree::a, true},
        {"left on an expanded item collapses it", &Tree::a, VK_LEFT, &Tree::a, false},
        {"right on a collapsed item expands it", &Tree::r2, VK_RIGHT, &Tree::r2, true},
        {"right on an expanded item: first child", &Tree::r1, VK_RIGHT, &Tree::a, true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Tree f;
        Control& c = f.c;
        c.Select(f.*k.from);
        c.host.Clear();
        c.Key(k.key);
        EXPECT_EQ(c.d->caretItem, f.*k.to);
        EXPECT_EQ((c.State(c.d->caretItem) & TVIS_EXPANDED) != 0, k.expandedAfter);
        EXPECT_EQ(c.SelectedItems(), std::vector<uint32_t>{f.*k.to});
        EXPECT_EQ(c.host.Codes().back(), TVN_KEYDOWN);
        EXPECT_EQ(c.host.sent.back().action, UINT(k.key));
        if (f.*k.from != f.*k.to) {
            EXPECT_EQ(c.host.sent[0].code, TVN_SELCHANGINGA);
            EXPECT_EQ(c.host.sent[0].action, 2u);  // by keyboard
            EXPECT_EQ(c.d->anchorItem, f.*k.from);  // the old caret anchors
        }
    }
}

TEST(TreeListKeys, WithoutACaretAnyMoveSetsOne)
{
    Tree t;
    t.c.Key(VK_HOME);
    EXPECT_EQ(t.c.d->caretItem, t.r1);
}

TEST(TreeListKeys, HomeWithPinnedRowsStopsBelowThemFirst)
{
    Control c;
    std::vector<uint32_t> h;
    for (int i = 0; i < 20; ++i)
        h.push_back(c.Insert(0, "row"));
    c.Send(TLM_OPTION, 4 | kTreeListOptionSet, 2);
    c.Select(h[10]);
    c.Key(VK_HOME);
    EXPECT_EQ(c.d->caretItem, h[2]);
    c.Key(VK_HOME);
    EXPECT_EQ(c.d->caretItem, h[0]);
    c.Key(VK_END);
    EXPECT_EQ(c.d->caretItem, h[19]);
    c.Key(VK_HOME);
    EXPECT_EQ(c.d->caretItem, h[2]);
}

TEST(TreeListKeys, ShiftRangesEndAtTheNewCaret)
{
    Control c;
    c.SetExStyle(TLS_EX_MULTISELECT);
    std::vector<uint32_t> h;
    for (int i = 0; i < 10; ++i)
        h.push_back(c.Insert(0, "row"));
    auto range = [&](int from, int to) {
        std::vector<uint32_t> out;
        for (int i = from; i <= to; ++i)
            out.push_back(h[size_t(i)]);
        return out;
    };
    c.Select(h[3]);
    const struct { const char* name; int key; bool shift; int first, last, caret; } steps[] = {
        {"shift down", VK_DOWN, true, 3, 4, 4}, {"shift down again", VK_DOWN, true, 3, 5, 5},
        {"shift up shrinks", VK_UP, true, 3, 4, 4}, {"shift up to the anchor", VK_UP, true, 3, 3, 3},
        {"past the anchor", VK_UP, true, 2, 3, 2}, {"shift home walks down to row 0", VK_HOME, true, 0, 3, 0},
        {"shift end", VK_END, true, 3, 9, 9}, {"plain up: one item", VK_UP, false, 8, 8, 8},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        c.Key(s.key, s.shift);
        EXPECT_EQ(c.SelectedItems(), range(s.first, s.last));
        EXPECT_EQ(c.d->caretItem, h[size_t(s.caret)]);
    }
}

TEST(TreeListKeys, ShiftRangeEndsAtTheNewCaretWhateverTheParentDoes)
{
    Control c;
    c.SetExStyle(TLS_EX_MULTISELECT);
    std::vector<uint32_t> h;
    for (int i = 0; i < 8; ++i)
        h.push_back(c.Insert(0, "row"));
    c.Select(h[6]);
    // The parent moves the caret back to row 7 whenever row 2 is selected.
    int depth = 0;
    c.host.parent = [&](NMHDR& hdr) -> LRESULT {
        const NMTREEVIEWA& nm = reinterpret_cast<const NMTREEVIEWA&>(hdr);
        if (hdr.code == TVN_SELCHANGEDA && TreeListHandleOf(nm.itemNew.hItem) == h[2] && depth == 0) {
            ++depth;
            c.Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(h[7]));
            --depth;
        }
        return 0;
    };
    c.Key(VK_HOME, true);
    c.host.parent = nullptr;
    EXPECT_EQ(c.d->caretItem, h[0]);
}

// With the selection always shown, a Shift range selects every row with
// its notifications but scrolls once: to where its caret ends.
TEST(TreeListKeys, ShiftRangesScrollOnceWithTheSelectionAlwaysShown)
{
    constexpr uint32_t kRows = 100;
    const struct { const char* name; int start; int key; uint32_t firstRow; } cases[] = {
        {"shift end", 0, VK_END, kRows - 10}, {"shift home", int(kRows) - 1, VK_HOME, 0},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Control c(TVS_HASBUTTONS | TVS_SHOWSELALWAYS, 300, 10 * 16);  // ten rows of 16 pixels
        c.SetExStyle(TLS_EX_MULTISELECT | TLS_EX_SCROLLNOTIFY);
        std::vector<uint32_t> h;
        for (uint32_t i = 0; i < kRows; ++i)
            h.push_back(c.Insert(0, "row"));
        c.Select(h[size_t(k.start)]);
        c.Pump();
        c.host.Clear();
        c.Key(k.key, true);
        std::vector<uint32_t> changed;
        int scrolls = 0;
        for (const Sent& s : c.host.sent) {
            scrolls += s.code == TLN_SCROLLING;
            if (s.code == TVN_SELCHANGEDA && (changed.empty() || changed.back() != s.newItem))
                changed.push_back(s.newItem);
        }
        EXPECT_EQ(scrolls, 1);
        EXPECT_EQ(c.d->firstRow, k.firstRow);
        EXPECT_EQ(c.SelectedItems().size(), size_t(kRows));
        // Each row as the caret on the way, the new caret last.
        ASSERT_GE(changed.size(), size_t(kRows));
        std::vector<uint32_t> walked(changed.end() - kRows, changed.end());
        if (k.key == VK_HOME)
            std::reverse(walked.begin(), walked.end());
        EXPECT_EQ(walked, h);
    }
}

TEST(TreeListKeys, CellSelectionSkipsZeroWidthColumnsAndJoinedCells)
{
    Control c(TVS_HASBUTTONS | TVS_LINESATROOT, 400, 200);
    c.SetExStyle(TLS_EX_CELLSELECT);
    c.Columns({100, 0, 50, 50, 50});
    ASSERT_EQ(c.d->columns[1].width, 16);  // the minimum width; make it zero
    c.d->columns[1].width = 0;
    const uint32_t plain = c.Insert(0, "plain");
    const uint32_t joined = c.Insert(0, "joined");
    c.Send(TLM_OPTION, 14 | kTreeListOptionSet, 0x4);  // column 2 joins column 3
    TVITEMA tv = ItemOf(joined, TVIF_STATE, 0x4u << 16, 0x4u << 16);
    c.Send(TVM_SETITEMA, 0, P(&tv));
    c.Select(plain);
    const struct { const char* name; int key; uint32_t item; uint32_t column; } steps[] = {
        {"right skips the empty column", VK_RIGHT, plain, 2}, {"right", VK_RIGHT, plain, 3},
        {"down into the group: its first column", VK_DOWN, joined, 2}, {"right out of the group", VK_RIGHT, joined, 4},
        {"left into the group: its first column", VK_LEFT, joined, 2},
        {"left skips the empty column", VK_LEFT, joined, 0}, {"left at the first column stays", VK_LEFT, joined, 0},
        {"right onto the group's first column", VK_RIGHT, joined, 2},
        {"up: a plain row keeps the column", VK_UP, plain, 2}, {"right in the plain row", VK_RIGHT, plain, 3},
        {"down onto the spanned column", VK_DOWN, joined, 2}, {"home keeps the column", VK_HOME, plain, 2},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        c.Key(s.key);
        EXPECT_EQ(c.d->caretItem, s.item);
        EXPECT_EQ(c.d->caretColumn, s.column);
    }
}

TEST(TreeListKeys, CtrlKeysScrollWithoutMovingTheCaret)
{
    Control c;
    c.Columns({300, 200});
    std::vector<uint32_t> h;
    for (int i = 0; i < 40; ++i)
        h.push_back(c.Insert(0, "row"));
    c.Select(h[0]);
    const uint32_t visible = c.d->visibleCount;
    ASSERT_EQ(visible, 11u);  // below the header
    const struct { const char* name; int key; uint32_t first; int x; } steps[] = {
        {"down", VK_DOWN, 1, 0}, {"page down", VK_NEXT, 1 + visible, 0},
        {"end: the last page", VK_END, 40 - visible + 1, 0}, {"down at the end", VK_DOWN, 40 - visible + 1, 0},
        {"page up", VK_PRIOR, 40 - 2 * visible + 1, 0}, {"home", VK_HOME, 0, 0}, {"up at the top", VK_UP, 0, 0},
        {"right", VK_RIGHT, 0, 16}, {"left", VK_LEFT, 0, 0}, {"left at the edge", VK_LEFT, 0, 0},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        c.host.Clear();
        c.Key(s.key, false, true);
        EXPECT_EQ(c.d->firstRow, s.first);
        EXPECT_EQ(c.d->scrollX, s.x);
        EXPECT_EQ(c.d->caretItem, h[0]);
        EXPECT_EQ(c.host.Codes(), std::vector<UINT>{TVN_KEYDOWN});
    }
    // A vetoed scroll keeps the position.
    c.SetExStyle(TLS_EX_SCROLLNOTIFY);
    c.host.parent = [](NMHDR& hdr) -> LRESULT { return hdr.code == TLN_SCROLLING; };
    c.Key(VK_DOWN, false, true);
    EXPECT_EQ(c.d->firstRow, 0u);
    c.host.parent = nullptr;
    // With the style bit, Ctrl+End and Ctrl+Home move the caret instead.
    c.SetExStyle(TLS_EX_CTRLHOMEEND);
    c.Key(VK_END, false, true);
    EXPECT_EQ(c.d->caretItem, h[39]);
    c.Key(VK_HOME, false, true);
    EXPECT_EQ(c.d->caretItem, h[0]);
}

TEST(TreeListKeys, CtrlSpaceTogglesTheCaretsExpansion)
{
    Tree t;
    t.c.Select(t.r2);
    t.c.Key(VK_SPACE, false, true);
    EXPECT_NE(t.c.State(t.r2) & TVIS_EXPANDED, 0u);
    EXPECT_EQ(t.c.d->caretItem, t.r2);
}

TEST(TreeListKeys, EnterNotifiesThenEditsOrHooks)
{
    const struct {
        const char* name; uint8_t editKind; bool ctrl; EditCall::Kind kind; uint32_t code; LPARAM data;
    } cases[] = {
        {"hook without editor", 0, false, EditCall::kHook, VK_RETURN, 0x1C0001},
        {"editor with the key", 1, false, EditCall::kStart, VK_RETURN, 0x1C0001},
        {"ctrl: start code", 1, true, EditCall::kStart, kTreeListEditCtrlEnter, 0},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Control c;
        c.InsertColumn(0, 200);
        const uint32_t a = c.Insert(0, "a");
        c.Select(a);
        c.d->columns[0].editKind = k.editKind;
        c.host.Clear();
        c.Key(VK_RETURN, false, k.ctrl, 0x1C0001);
        ASSERT_EQ(c.host.Codes(), (std::vector<UINT>{NM_RETURN, TVN_KEYDOWN}));
        EXPECT_EQ(c.host.sent[0].action, UINT(VK_RETURN));
        ASSERT_EQ(c.host.edits.size(), 1u);
        EXPECT_EQ(c.host.edits[0].kind, k.kind);
        EXPECT_EQ(c.host.edits[0].code, k.code);
        EXPECT_EQ(c.host.edits[0].data, k.data);
    }
}

TEST(TreeListKeys, PasteStartsTheEditorOrGoesToTheHook)
{
    const struct {
        const char* name; bool clipboard; uint8_t editKind, editFlags; bool viaCtrlV; int calls; EditCall::Kind kind;
    } cases[] = {
        {"no text on the clipboard", false, 1, 0, false, 0, EditCall::kHook},
        {"typing editor", true, 1, 0, false, 1, EditCall::kStart},
        {"typing editor by Ctrl+V", true, 7, 0, true, 1, EditCall::kStart},
        {"editor refusing typing", true, 1, 0x10, false, 1, EditCall::kHook},
        {"other editor kind", true, 3, 0, true, 1, EditCall::kHook},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Control c;
        c.InsertColumn(0, 200);
        const uint32_t a = c.Insert(0, "a");
        c.Select(a);
        c.d->columns[0].editKind = k.editKind;
        c.d->columns[0].editFlags = k.editFlags;
        c.host.clipboardText = k.clipboard;
        if (k.viaCtrlV)
            c.Key('V', false, true);
        else
            c.Key(VK_INSERT, true, false);
        ASSERT_EQ(int(c.host.edits.size()), k.calls);
        if (k.calls) {
            EXPECT_EQ(c.host.edits[0].kind, k.kind);
            EXPECT_EQ(c.host.edits[0].code, kTreeListEditPaste);
        }
        EXPECT_EQ(c.d->caretItem, a);
    }
}

TEST(TreeListKeys, TabEscapeAndCtrlDuringADrag)
{
    Control c;
    const uint32_t a = c.Insert(0, "a");
    c.Key(VK_TAB);
    EXPECT_EQ(c.host.parentFocus, 0);
    c.SetExStyle(TLS_EX_TABTOPARENT);
    c.Key(VK_TAB);
    EXPECT_EQ(c.host.parentFocus, 1);
    c.d->dragItem = a;
    c.Key(VK_TAB);
    EXPECT_EQ(c.host.parentFocus, 1);  // not during a drag
    c.d->dragMode = 2;
    c.Key(VK_CONTROL, false, true);
    ASSERT_EQ(c.host.feedback.size(), 1u);
    EXPECT_EQ(c.host.feedback[0].first, 2u | 8u);
    EXPECT_EQ(c.host.feedback[0].second, uint32_t(MK_CONTROL));
    c.d->dragMode = 5;
    c.Key(VK_CONTROL, false, true);
    EXPECT_EQ(c.host.feedback.size(), 1u);
    c.host.Clear();
    c.Key(VK_RETURN);  // no NM_RETURN during a drag
    EXPECT_EQ(c.host.Codes(), std::vector<UINT>{TVN_KEYDOWN});
    c.Send(TLM_OPTION, 3 | kTreeListOptionSet, TLO3_ENDDRAGNOTIFY);
    c.host.Clear();
    c.Key(VK_ESCAPE);
    EXPECT_EQ(c.d->dragItem, 0u);
    EXPECT_EQ(c.host.dragEnds, 1);
    EXPECT_EQ(c.host.Codes(), (std::vector<UINT>{TLN_ENDDRAG, TVN_KEYDOWN}));
}

TEST(TreeListKeys, SpaceTogglesTheCaretsCheckBoxInTheFirstColumn)
{
    Control c(TVS_HASBUTTONS | TVS_CHECKBOXES);
    c.SetExStyle(TLS_EX_CELLSELECT);
    c.Columns({100, 100});
    const uint32_t a = c.Insert(0, "a");
    c.Select(a);
    c.Key(VK_SPACE);
    EXPECT_EQ(c.State(a) & TVIS_STATEIMAGEMASK, 0x2000u);
    c.Select(a, 1);
    c.Key(VK_SPACE);
    EXPECT_EQ(c.State(a) & TVIS_STATEIMAGEMASK, 0x2000u);
}

// The character a key down produces belongs to that key: when the key down
// used it (a box ticked, an expansion toggled), the character neither opens
// the typing editor nor searches; else a space types as any letter does.
TEST(TreeListKeys, TheCharacterOfAUsedKeyIsNoTyping)
{
    constexpr UINT kLock = 0x0800;  // overlay image 8, a state bit the lock option names
    const struct {
        const char* name; DWORD style; UINT state; bool ctrl; const char* typed; UINT stateAfter;
        std::vector<uint32_t> started;  // the editor starts, by their codes
    } cases[] = {
        {"Space ticks the box", TVS_CHECKBOXES, 0x1000, false, " ", 0x2000, {}},
        {"then a letter types", TVS_CHECKBOXES, 0x1000, false, " x", 0x2000, {'x'}},
        {"a locked box that shows", TVS_CHECKBOXES, 0x1000 | kLock, false, " ", 0x1000, {}},
        {"a row without a box", TVS_CHECKBOXES, kLock, false, " ", 0, {' '}},
        {"no check boxes", 0, 0, false, " ", 0, {' '}},
        {"Ctrl+Space toggles the expansion", 0, 0, true, " ", 0, {}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Control c(TVS_HASBUTTONS | k.style);
        c.InsertColumn(0, 200);
        c.Send(TLM_OPTION, 12 | kTreeListOptionSet, kLock);
        const uint32_t a = c.InsertState(0, "a", k.state, TVIS_STATEIMAGEMASK | TVIS_OVERLAYMASK);
        c.Insert(a, "a1");
        c.Select(a);
        c.d->columns[0].editKind = 1;
        c.Key(VK_SPACE, false, k.ctrl);
        for (const char* p = k.typed; *p; ++p)
            c.Char(static_cast<unsigned char>(*p));
        EXPECT_EQ(c.State(a) & TVIS_STATEIMAGEMASK, k.stateAfter);
        std::vector<uint32_t> started;
        for (const EditCall& e : c.host.edits)
            if (e.kind == EditCall::kStart)
                started.push_back(e.code);
        EXPECT_EQ(started, k.started);
    }
}

TEST(TreeListKeys, EmptyDisabledOrUnfocused)
{
    Control c;
    c.Key(VK_DOWN);
    EXPECT_EQ(c.host.Codes(), std::vector<UINT>{TVN_KEYDOWN});
    c.Insert(0, "a");
    c.d->enabled = 0;
    c.host.Clear();
    c.Key(VK_DOWN);
    EXPECT_TRUE(c.host.sent.empty());
    c.d->enabled = 1;
    c.d->hasFocus = 0;
    c.host.refuseFocus = true;
    c.Key(VK_DOWN);
    EXPECT_TRUE(c.host.sent.empty());
    EXPECT_EQ(c.d->caretItem, 0u);
}

// ---- Incremental search ----

struct Search {
    Control c;
    std::vector<uint32_t> h;
    Search()
    {
        TreeListResetSearch();
        // "\xC4pfel" is Äpfel in code page 1252.
        for (const char* text : {"apple", "Banana", "berry", "blue", "cherry", "\xC4pfel", "zeta"})
            h.push_back(c.Insert(0, text));
    }
    ~Search() { TreeListResetSearch(); }
    void Type(const char* chars, DWORD step = 100)
    {
        for (const char* p = chars; *p; ++p) {
            c.host.now += step;
            c.Char(static_cast<unsigned char>(*p));
        }
    }
    std::string String()
    {
        char buffer[32] = {};
        c.Send(TVM_GETISEARCHSTRINGA, 0, P(buffer));
        return buffer;
    }
    int CaretRow() { return c.d->caretItem ? c.Row(c.d->caretItem) : -1; }
};

TEST(TreeListSearch, TypedLettersFindThePrefixInEitherCase)
{
    Search s;
    s.Type("be");
    EXPECT_EQ(s.CaretRow(), 2);
    EXPECT_EQ(s.String(), "BE");
    EXPECT_EQ(s.c.Send(TVM_GETISEARCHSTRINGA), 2);
    EXPECT_EQ(s.c.d->anchorItem, s.h[2]);
    s.c.host.now += 751;  // the string expires for the message
    EXPECT_EQ(s.c.Send(TVM_GETISEARCHSTRINGA), 0);
    EXPECT_EQ(s.String(), "");
    s.Type("b", 0);  // a new search from the caret's row
    EXPECT_EQ(s.CaretRow(), 3);
}

TEST(TreeListSearch, TypedTextsFindTheirRows)
{
    // Each row types into a fresh search: the caret row and the string after it.
    const struct { const char* typed; DWORD step; int row; std::string string; } cases[] = {
        {"b", 100, 1, "B"}, {"bb", 100, 2, "BB"}, {"bbb", 100, 3, "BBB"},  // repeated letters walk the rows
        {"aaaaaaaaaaaaaaaa", 10, 0, std::string(16, 'A')},
        {"aaaaaaaaaaaaaaaab", 10, 1, "B"},  // the 17th character starts a new search
        {"\xE4", 100, 5, "\xC4"},           // upper-cased national letters: ä finds Äpfel
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.typed);
        Search s;
        s.Type(k.typed, k.step);
        EXPECT_EQ(s.CaretRow(), k.row);
        EXPECT_EQ(s.String(), k.string);
    }
    EXPECT_EQ(IncrementalSearchUpper(0xE0), 0xC0);
    EXPECT_EQ(IncrementalSearchUpper(0xFE), 0xDE);
    EXPECT_EQ(IncrementalSearchUpper(0xFF), 0xFF);
    EXPECT_EQ(IncrementalSearchUpper('{'), '{');
}

TEST(TreeListSearch, TimeoutsGrowWithTheTypedCount)
{
    const struct { const char* name; const char* before; DWORD pause; std::string after; } cases[] = {
        {"one char: 750 still appends", "b", 750, "BX"}, {"one char: 751 starts anew", "b", 751, "X"},
        {"two chars: 750 still appends", "bl", 750, "BLX"}, {"two chars: 751 starts anew", "bl", 751, "X"},
        {"three chars: 1000 still appends", "blu", 1000, "BLUX"}, {"three chars: 1001 starts anew", "blu", 1001, "X"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Search s;
        s.Type(k.before);
        s.c.host.now += k.pause;
        s.c.Char('x');
        EXPECT_EQ(s.String(), k.after);
    }
}

TEST(TreeListSearch, TheFirstCharacterHasHalfASecond)
{
    // Before any character the search state is empty; its start row is kept
    // while the first character comes within 500 ms of the state's tick.
    for (DWORD now : {500u, 501u}) {
        SCOPED_TRACE(now);
        Search s;
        s.c.Select(s.h[1]);
        s.c.host.now = now;
        s.c.Char('b');
        EXPECT_EQ(s.CaretRow(), now == 500 ? 1 : 2);
    }
}

TEST(TreeListSearch, WhatKeepsACharacterFromSearching)
{
    {
        Search s;  // the parent handled the key
        s.c.host.parent = [](NMHDR& h) -> LRESULT { return h.code == TVN_KEYDOWN; };
        s.c.Key('B');
        s.c.host.parent = nullptr;
        s.Type("b");
        EXPECT_EQ(s.CaretRow(), -1);
        s.Type("b");  // only the one character after the key
        EXPECT_EQ(s.CaretRow(), 1);
    }
    // The caret row afterwards (-1: none) and the editing calls the character made.
    const struct {
        const char* name; UINT exStyle; LRESULT hookAnswer; uint8_t editKind; const char* typed; int row;
        std::vector<std::pair<EditCall::Kind, uint32_t>> edits;
    } cases[] = {
        {"no search style: to the hook", TLS_EX_NOISEARCH, 0, 0, "b", -1, {{EditCall::kHook, 'b' | kTreeListHookChar}}},
        {"the hook takes it", 0, 1, 0, "b", -1, {{EditCall::kHook, 'b' | kTreeListHookChar}}},
        {"below 32", 0, 0, 0, "\x1f", -1, {}},
        {"a typing editor in the caret column", 0, 0, 2, "b", 0, {{EditCall::kStart, 'b'}}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Search s;
        s.c.SetExStyle(k.exStyle);
        s.c.host.hookAnswer = k.hookAnswer;
        if (k.editKind) {
            s.c.InsertColumn(0, 200);
            s.c.Select(s.h[0]);
            s.c.d->columns[0].editKind = k.editKind;
        }
        s.Type(k.typed);
        EXPECT_EQ(s.CaretRow(), k.row);
        std::vector<std::pair<EditCall::Kind, uint32_t>> edits;
        for (const EditCall& e : s.c.host.edits)
            edits.emplace_back(e.kind, e.code);
        EXPECT_EQ(edits, k.edits);
    }
}

TEST(TreeListSearch, CallbackTextsAndCellColumns)
{
    Search s;
    Control& c = s.c;
    const uint32_t kiwi = c.Insert(0, LPSTR_TEXTCALLBACKA);
    c.host.parent = [](NMHDR& h) -> LRESULT {
        if (h.code == TVN_GETDISPINFOA)
            reinterpret_cast<NMTVDISPINFOA&>(h).item.pszText = const_cast<char*>("kiwi");
        return 0;
    };
    s.Type("k");
    EXPECT_EQ(c.d->caretItem, kiwi);
    c.host.parent = nullptr;
    // In cell selection the caret column's cells are searched.
    c.SetExStyle(TLS_EX_CELLSELECT);
    c.Columns({100, 100});
    c.SetText(s.h[4], "mango", 1);
    c.Select(s.h[0], 1);
    c.host.now += 2000;
    s.Type("m");
    EXPECT_EQ(c.d->caretItem, s.h[4]);
    EXPECT_EQ(c.d->caretColumn, 1u);
}

TEST(TreeListSearch, MatcherOnPlainRows)
{
    const char* rows[] = {"", nullptr, "ab", "b", "ab", "x"};
    auto text = [](void* context, uint32_t row) { return static_cast<const char**>(context)[row]; };
    uint32_t found = 99;
    const unsigned char ab[] = {'A', 'B'}, aa[] = {'A', 'A'}, q[] = {'Q'};
    EXPECT_TRUE(IncrementalSearchFind(6, 2, ab, 2, text, rows, found));
    EXPECT_EQ(found, 4u);  // behind the start first
    EXPECT_TRUE(IncrementalSearchFind(6, 4, ab, 2, text, rows, found));
    EXPECT_EQ(found, 2u);  // wrapping
    EXPECT_TRUE(IncrementalSearchFind(6, 0, aa, 2, text, rows, found));
    EXPECT_EQ(found, 4u);  // the second A steps to the next row with A
    EXPECT_FALSE(IncrementalSearchFind(6, 0, q, 1, text, rows, found));
    EXPECT_FALSE(IncrementalSearchFind(0, 0, q, 1, text, rows, found));
    EXPECT_EQ(IncrementalSearchTimeout(0), 500u);
    EXPECT_EQ(IncrementalSearchTimeout(2), 750u);
    EXPECT_EQ(IncrementalSearchTimeout(3), 1000u);
}

// Controls on two UI threads share the search state: typing on both at
// once keeps it consistent (never more than 16 characters stored).
TEST(TreeListSearch, SharedStateUnderTwoThreads)
{
    TreeListResetSearch();
    auto typist = [](char letter) {
        Control c;
        for (int i = 0; i < 20; ++i)
            c.Insert(0, i % 2 ? "aaaa" : "bbbb");
        for (int i = 0; i < 3000; ++i) {
            c.host.now += 1;
            c.Char(static_cast<unsigned char>(letter));
            char buffer[32];
            if (c.Send(TVM_GETISEARCHSTRINGA, 0, reinterpret_cast<LPARAM>(buffer))) {
                EXPECT_LE(std::string(buffer).size(), 16u);
            }
        }
    };
    std::thread one(typist, 'a');
    std::thread two(typist, 'b');
    one.join();
    two.join();
    TreeListResetSearch();
}

}  // namespace
