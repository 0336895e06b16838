// The tree choice dialog's tables and decisions, without windows: columns,
// entries and their cell texts (kept in their entries, so they stay with them
// when entries are inserted, sorted or deleted), the options' effects on the list, the
// popup menu, the double click, the header-click sort and the row order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/dialogs/choice_dlg_logic.h"

enum TreeSelectOption : uint32_t {
    kTreeSelectMultiple = 0x01,
    kTreeSelectCheckBoxes = 0x02,
    kTreeSelectFlipStyle = 0x04,
    kTreeSelectNoSort = 0x08,
    kTreeSelectAddRow = 0x10,
    kTreeSelectDelete = 0x20,
    kTreeSelectDeleteEmptied = 0x40,
    kTreeSelectEditing = 0x80,
};

struct TreeSelectColumn {
    std::string text;
    int16_t width;  // -w: a proportional column of weight w
    uint8_t align;  // 0 left, 1 right, 2 centre
    uint8_t editable;
};

class TreeSelectModel {
public:
    // -1 once an entry exists: columns come first.
    int AddColumn(const char* text, int16_t width, uint8_t align, uint8_t editable);
    int AddItem(int position, uint32_t data, const char* text, bool selected);
    // Column 0 or below: the entry's text; null for a bad index or a column
    // past the last; "" for a cell never set.
    const char* CellText(int index, int column) const;
    // Column 0 or below sets the entry's text; false for a bad index or
    // column.
    bool SetCellText(int index, const char* text, int column);
    typedef ChoiceEntries::Less Less;
    void Sort(Less less);
    // Removes the entry and its cells; the cells of later entries move down.
    void Remove(int index);
    // True when the entry's text and every cell of it are empty.
    bool RowEmpty(int index) const;
    void ClearEntries() { entries.Clear(); }
    // The cells stored over all entries.
    size_t CellCount() const;

    ChoiceEntries entries;
    std::vector<TreeSelectColumn> columns;
};

// The options after the opening's editing rule: bit 0x80 when a column is
// editable, or when none is defined and rows may be added or deleted.
uint32_t TreeSelectOpeningOptions(uint32_t options, const std::vector<TreeSelectColumn>& columns);
// The list's extended style for these options.
uint32_t TreeSelectExtendedStyle(uint32_t options, bool haveColumns);

// Whether Enter on the list opens the caret cell's editor (an editable
// column, or with no columns the editing option, which the list asks the
// dialog about); otherwise Enter presses OK.
bool TreeSelectEnterEdits(const std::vector<TreeSelectColumn>& columns, uint32_t options, bool haveCaret,
                          uint32_t caretColumn);

enum TreeSelectDoubleClick { kDoubleClickNothing, kDoubleClickChoose, kDoubleClickCheckAndChoose };
TreeSelectDoubleClick TreeSelectDoubleClickAction(uint32_t options);

// Popup menu entries, in order, for these options.
enum TreeSelectMenuEntry { kMenuCopyField, kMenuDeleteRow, kMenuSeparator, kMenuSelectAll, kMenuSelectNone };
std::vector<TreeSelectMenuEntry> TreeSelectMenu(uint32_t options);

// The process-wide sort of a header click: a click on the stored column
// flips its direction, another column sorts ascending.
struct TreeSelectSort {
    uint8_t column;
    bool descending;
};
TreeSelectSort TreeSelectHeaderClick(uint32_t column);
// Two rows by their texts in the sort column, then by their entry indexes
// (the order of adding); the empty add row (index >= entryCount) stays last
// in both directions.
int TreeSelectCompareRows(const char* text1, uint32_t index1, const char* text2, uint32_t index2,
                          uint32_t entryCount, bool descending);

// Where the tree choice dialog opens, at the size it opens with (`window`:
// where it was made, at that size). A saved position the rule accepts
// (ChoicePositionUsable, against the screen's size; null: none saved) is
// used as it is; the work area keeps what no rule decides: a window left
// where it was made, and a side on which the window is larger than the
// work area (it then starts at the area's edge).
ChoiceRect TreeSelectPlace(const ChoiceRect& window, const ChoicePoint* saved, int screenWidth, int screenHeight,
                           const ChoiceRect& workArea);
