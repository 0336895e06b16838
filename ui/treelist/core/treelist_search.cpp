// WM_CHAR: a typed character starts the in-place editor or runs the
// incremental search over the rows. The search state is one for every
// TreeList in the process; controls on different UI threads share it, so it
// is kept under a lock (taken only to read and change the state, never
// around a notification).
#include "ui/treelist/core/incremental_search.h"
#include "ui/treelist/core/treelist_internal.h"

#include <cstring>
#include <mutex>

namespace {

constexpr WPARAM kFirstPrintable = 32;
constexpr WPARAM kLastCharCode = 255;
constexpr DWORD kSearchStringLife = 750;  // ms: TVM_GETISEARCHSTRING
constexpr int kTextBuffer = 256;  // callback texts; a prefix of 16 decides

struct TreeListSearchState {
    unsigned char chars[kIncrementalSearchMaxChars];
    uint32_t count;
    uint32_t startRow;
    DWORD tick;
};

std::mutex g_searchLock;
TreeListSearchState g_search;

struct RowTexts {
    TreeListData* d;
    uint32_t column;
    char buffer[kTextBuffer];
};

// The row's text in the search column, asked from the parent for callback
// texts; a missing cell is empty. The rows may change while a callback is
// out: rows that are gone read as empty.
const char* RowText(void* context, uint32_t row)
{
    RowTexts& s = *static_cast<RowTexts*>(context);
    TreeListData& d = *s.d;
    if (d.destroyed)
        return nullptr;
    TreeListEnsureRows(d);
    if (row >= d.rowCount)
        return nullptr;
    const uint32_t h = d.rowItems[row];
    const TreeListItem& item = *d.items[h];
    if (s.column == 0 || s.column >= d.columnCount) {
        if (item.callbackFlags & kTreeListTextCallback)
            return TreeListCallbackText(d, h, 0, s.buffer, kTextBuffer);
        return item.text;
    }
    const TreeListCell* cell = TreeListCellOf(d, h, s.column);
    if (!cell)
        return nullptr;
    if (cell->callbackFlags & kTreeListTextCallback)
        return TreeListCallbackText(d, h, s.column, s.buffer, kTextBuffer);
    return cell->text;
}

}  // namespace

LRESULT TreeListChar(TreeListData& d, WPARAM ch, LPARAM flags)
{
    const bool parentTookKey = d.keyHandled;
    d.keyHandled = false;
    // The character of a key the key down already acted on is no typing.
    const bool keyUsed = d.keyCharUsed != 0 && ch == d.keyCharUsed;
    d.keyCharUsed = 0;
    if (ch < kFirstPrintable || ch > kLastCharCode || parentTookKey || keyUsed || !d.enabled)
        return 0;
    const uint32_t column = d.caretColumn;
    if (d.caretItem && column < d.columnCount && TreeListTypingEditor(d.columns[column])) {
        d.host->StartEdit(column, uint32_t(ch), flags);
        return 0;
    }
    if (d.host->EditKeyHook(d.caretItem, column, uint32_t(ch) | kTreeListHookChar, flags))
        return 0;
    TreeListEnsureRows(d);
    if (d.rowCount == 0 || (d.extStyle & TLS_EX_NOISEARCH))
        return 0;

    const DWORD now = d.host->TickCount();
    const uint32_t caretRow = TreeListCaretRow(d);
    unsigned char chars[kIncrementalSearchMaxChars];
    uint32_t count, startRow;
    {
        std::lock_guard<std::mutex> hold(g_searchLock);
        TreeListSearchState& s = g_search;
        // The count is tested before a character is stored: the 17th starts
        // a new search instead of writing behind the buffer.
        if (now - s.tick > IncrementalSearchTimeout(s.count) || s.count >= kIncrementalSearchMaxChars) {
            s.count = 0;
            s.startRow = caretRow;
        }
        s.chars[s.count++] = IncrementalSearchUpper(static_cast<unsigned char>(ch));
        s.tick = now;
        count = s.count;
        startRow = s.startRow;
        std::memcpy(chars, s.chars, count);
    }

    RowTexts texts{&d, column, {}};
    uint32_t row = 0;
    if (!IncrementalSearchFind(d.rowCount, startRow, chars, count, RowText, &texts, row))
        return 0;
    TreeListEnsureRows(d);
    if (d.destroyed || row >= d.rowCount)
        return 0;
    const uint32_t h = d.rowItems[row];
    const uint32_t serial = d.items[h]->serial;
    const uint32_t selectColumn = column < d.columnCount ? column : 0;
    TreeListSelect(d, h, selectColumn, kTreeListSelectSingle);
    if (!TreeListItemOf(d, h, serial))
        return 0;
    TreeListEnsureVisible(d, h, selectColumn);
    if (TreeListItemOf(d, h, serial))
        TreeListSetAnchor(d, h, selectColumn);
    return 0;
}

LRESULT TreeListGetSearchString(TreeListData& d, char* buffer)
{
    const DWORD now = d.host->TickCount();
    std::lock_guard<std::mutex> hold(g_searchLock);
    const bool fresh = g_search.count > 0 && now - g_search.tick <= kSearchStringLife;
    if (!buffer)
        return fresh ? LRESULT(g_search.count) : 0;
    if (!fresh) {
        buffer[0] = 0;
        return 0;
    }
    std::memcpy(buffer, g_search.chars, g_search.count);
    buffer[g_search.count] = 0;
    return 1;
}

void TreeListResetSearch()
{
    std::lock_guard<std::mutex> hold(g_searchLock);
    g_search = TreeListSearchState{};
}
