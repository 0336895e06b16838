#include "ui/dialogs/tree_select_dlg_logic.h"

#include <algorithm>
#include <mutex>

#include "platform/framework/work_area_fit.h"

namespace {

constexpr int kMaxColumns = 64;  // the column editor word holds 6 bits
constexpr uint32_t kBaseStyle = 0x32000;
constexpr uint32_t kFlipBits = 0x30000;
constexpr uint32_t kRadioChecks = 0x2000;
constexpr uint32_t kCellSelect = 0x40000;
constexpr uint32_t kNoHeader = 0x1000000;
constexpr uint32_t kAlwaysStyle = 0x10080000;
constexpr uint32_t kMultiSelect = 0x2;
constexpr uint32_t kChoiceBits = kTreeSelectMultiple | kTreeSelectCheckBoxes;

std::mutex g_sortLock;
TreeSelectSort g_sort = {0, false};

}  // namespace

int TreeSelectModel::AddColumn(const char* text, int16_t width, uint8_t align, uint8_t editable)
{
    if (entries.Count() > 0 || columns.size() >= size_t(kMaxColumns))
        return -1;
    columns.push_back({text ? text : "", width, align, editable});
    return int(columns.size() - 1);
}

int TreeSelectModel::AddItem(int position, uint32_t data, const char* text, bool selected)
{
    return entries.Add(position, data, text, selected);
}

const char* TreeSelectModel::CellText(int index, int column) const
{
    const ChoiceEntry* e = entries.At(index);
    if (!e || (column > 0 && column >= int(columns.size())))
        return nullptr;
    if (column <= 0)
        return e->text.c_str();
    for (const ChoiceCell& c : e->cells)
        if (c.column == column)
            return c.text.c_str();
    return "";
}

bool TreeSelectModel::SetCellText(int index, const char* text, int column)
{
    ChoiceEntry* e = entries.At(index);
    if (!e || (column > 0 && column >= int(columns.size())))
        return false;
    if (column <= 0) {
        e->text = text ? text : "";
        return true;
    }
    for (ChoiceCell& c : e->cells) {
        if (c.column == column) {
            c.text = text ? text : "";
            return true;
        }
    }
    e->cells.push_back({uint8_t(column), text ? text : ""});
    return true;
}

void TreeSelectModel::Sort(Less less) { entries.SortBy(less); }

void TreeSelectModel::Remove(int index) { entries.Remove(index); }

bool TreeSelectModel::RowEmpty(int index) const
{
    const ChoiceEntry* e = entries.At(index);
    if (!e || !e->text.empty())
        return false;
    return std::all_of(e->cells.begin(), e->cells.end(), [](const ChoiceCell& c) { return c.text.empty(); });
}

size_t TreeSelectModel::CellCount() const
{
    size_t count = 0;
    for (int i = 0; i < entries.Count(); ++i)
        count += entries.At(i)->cells.size();
    return count;
}

uint32_t TreeSelectOpeningOptions(uint32_t options, const std::vector<TreeSelectColumn>& columns)
{
    const bool editable = std::any_of(columns.begin(), columns.end(), [](const TreeSelectColumn& c) { return c.editable; });
    if (editable || (columns.empty() && (options & (kTreeSelectAddRow | kTreeSelectDelete))))
        options |= kTreeSelectEditing;
    return options;
}

uint32_t TreeSelectExtendedStyle(uint32_t options, bool haveColumns)
{
    uint32_t style = kBaseStyle;
    if ((options & kChoiceBits) == kTreeSelectMultiple)
        style |= kMultiSelect;
    if ((options & kChoiceBits) == kChoiceBits)
        style &= ~kRadioChecks;  // several rows may be checked by the user too
    if (options & kTreeSelectFlipStyle)
        style ^= kFlipBits;
    if (options & kTreeSelectEditing)
        style |= kCellSelect;
    if (!haveColumns)
        style |= kNoHeader;
    return style | kAlwaysStyle;
}

bool TreeSelectEnterEdits(const std::vector<TreeSelectColumn>& columns, uint32_t options, bool haveCaret,
                          uint32_t caretColumn)
{
    if (!haveCaret)
        return false;
    if (columns.empty())
        return (options & kTreeSelectEditing) != 0;
    return caretColumn < columns.size() && columns[caretColumn].editable;
}

TreeSelectDoubleClick TreeSelectDoubleClickAction(uint32_t options)
{
    // Only the choice bits count: sorting, editing or style bits do not
    // switch choosing by double click off.
    switch (options & kChoiceBits) {
    case 0: return kDoubleClickChoose;
    case kTreeSelectCheckBoxes: return kDoubleClickCheckAndChoose;
    default: return kDoubleClickNothing;
    }
}

std::vector<TreeSelectMenuEntry> TreeSelectMenu(uint32_t options)
{
    std::vector<TreeSelectMenuEntry> menu = {kMenuCopyField};
    if (options & kTreeSelectDelete)
        menu.push_back(kMenuDeleteRow);
    // Select all and none act in multiple choice only.
    if (options & kTreeSelectMultiple) {
        menu.push_back(kMenuSeparator);
        menu.push_back(kMenuSelectAll);
        menu.push_back(kMenuSelectNone);
    }
    return menu;
}

TreeSelectSort TreeSelectHeaderClick(uint32_t column)
{
    std::lock_guard<std::mutex> hold(g_sortLock);
    if (uint8_t(column) != g_sort.column)
        g_sort = {uint8_t(column), false};
    else
        g_sort.descending = !g_sort.descending;
    return g_sort;
}

int TreeSelectCompareRows(const char* text1, uint32_t index1, const char* text2, uint32_t index2,
                          uint32_t entryCount, bool descending)
{
    const bool add1 = index1 >= entryCount, add2 = index2 >= entryCount;
    if (add1 || add2)
        return int(add1) - int(add2);  // the add row last, whatever the direction
    int result = ChoiceCompareNoCase(text1 ? text1 : "", text2 ? text2 : "");
    if (result == 0)
        result = index1 < index2 ? -1 : index1 > index2 ? 1 : 0;
    return descending ? -result : result;
}

ChoiceRect TreeSelectPlace(const ChoiceRect& window, const ChoicePoint* saved, int screenWidth, int screenHeight,
                           const ChoiceRect& workArea)
{
    const int64_t width = int64_t(window.right) - window.left, height = int64_t(window.bottom) - window.top;
    const bool usable = saved && ChoicePositionUsable(saved->x, saved->y, screenWidth, screenHeight);
    const RECT wanted = usable ? RECT{saved->x, saved->y, LONG(saved->x + width), LONG(saved->y + height)}
                               : RECT{window.left, window.top, window.right, window.bottom};
    const RECT kept = FitRectInArea(wanted, {workArea.left, workArea.top, workArea.right, workArea.bottom});
    if (!usable)
        return {kept.left, kept.top, kept.right, kept.bottom};
    const bool wider = width > int64_t(workArea.right) - workArea.left;
    const bool higher = height > int64_t(workArea.bottom) - workArea.top;
    return {wider ? kept.left : wanted.left, higher ? kept.top : wanted.top, wider ? kept.right : wanted.right,
            higher ? kept.bottom : wanted.bottom};
}
