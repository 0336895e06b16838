// The entries of the choice dialogs and their decisions, without windows:
// where an entry is added (by position, sorted by text or by data word),
// finding and sorting, the incremental search over the entries, and the
// placement and minimum-size rules of the resizable choice dialogs.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// AddItem positions that insert sorted instead of at an index.
constexpr int kChoiceSortByText = -12345;
constexpr int kChoiceSortByData = -12346;

// A text of a further column (the tree choice's cells).
struct ChoiceCell {
    uint8_t column;
    std::string text;
};

struct ChoiceEntry {
    uint32_t data = 0;
    uint8_t selected = 0;
    std::string text;
    // Kept in the entry so they move with it when entries are inserted,
    // sorted or removed; in the order they were first set.
    std::vector<ChoiceCell> cells;
};

class ChoiceEntries {
public:
    // Position 0..count inserts there; the two sort positions insert in
    // front of the first entry that compares greater (so equal ones keep
    // their order of adding); anything else appends. The index.
    int Add(int position, uint32_t data, const char* text, bool selected);
    int Count() const { return int(m_entries.size()); }
    bool Valid(int index) const { return index >= 0 && index < Count(); }
    // Null for a bad index.
    const ChoiceEntry* At(int index) const { return Valid(index) ? &m_entries[size_t(index)] : nullptr; }
    ChoiceEntry* At(int index) { return Valid(index) ? &m_entries[size_t(index)] : nullptr; }
    // The first entry whose text equals, byte for byte or (noCase) without
    // regard to case; -1 when none.
    int Find(const char* text, bool noCase) const;
    // Stable, so equal keys keep their order. The old index of each entry in
    // its new order.
    typedef bool (*Less)(const ChoiceEntry& a, const ChoiceEntry& b);
    std::vector<int> SortBy(Less less);
    std::vector<int> SortByText();
    std::vector<int> SortByData();
    void Remove(int index);
    void Clear() { m_entries.clear(); }

private:
    std::vector<ChoiceEntry> m_entries;
};

// Case-insensitive comparison of two texts as the choice dialogs sort them
// (national letters folded too): below, equal to or above 0.
int ChoiceCompareNoCase(const char* a, const char* b);
// Copies at most size - 1 characters and a NUL; the number copied, 0 with the
// buffer untouched when the text is null or the size below 1.
int ChoiceCopyText(const char* text, char* buffer, int size);

// The incremental search of a list: one state per dialog.
struct ChoiceSearch {
    unsigned char chars[16] = {};
    uint32_t count = 0;
    uint32_t tick = 0;
    uint32_t startRow = 0;
};
// Takes one typed character at time `now` with the caret on `caretRow`; the
// row to move to, or -1 when no entry matches.
int ChoiceSearchType(ChoiceSearch& s, const ChoiceEntries& entries, unsigned char ch, uint32_t now, int caretRow);

// The last place of a kind of choice dialog, kept for the process and
// guarded, as dialogs may run on several threads.
class ChoiceSavedPosition {
public:
    void Save(int32_t x, int32_t y);
    // False while none was saved.
    bool Load(int32_t& x, int32_t& y) const;

private:
    mutable std::mutex m_lock;
    bool m_saved = false;
    int32_t m_x = 0, m_y = 0;
};

// A saved position is used only while the window stays reachable: x and y
// at least -20 and below the screen size - 50.
bool ChoicePositionUsable(int x, int y, int screenWidth, int screenHeight);
// The size change of a width or height setting: 0x1234nnnn scales the
// current size to nnnn/base (nnnn 0 changes nothing), any other value adds
// size * value / base; the result never makes the size fall below minimum.
int ChoiceSizeChange(uint32_t setting, int size, int base, int minimum);

// The rectangle of WM_SIZING kept at least minWidth x minHeight by moving the
// dragged edge.
struct ChoiceRect {
    int32_t left, top, right, bottom;
};
void ChoiceKeepMinimum(ChoiceRect& r, unsigned edge, int minWidth, int minHeight);

// Where a popup menu opened from the keyboard goes, in the list's client
// coordinates: inside the caret row, a row's height from the left of its
// cell, so that the menu's corner lies on the row it acts on; the client
// area's top-left corner when no row shows (none, or scrolled away). Always
// inside the client area.
struct ChoicePoint {
    int32_t x, y;
};
ChoicePoint ChoiceMenuPlace(const ChoiceRect* caretCell, const ChoiceRect& client);

// Where OK and Abbrechen go under the list: centred as a pair, or OK alone.
struct ChoiceButtons {
    int okX, cancelX;
};
ChoiceButtons ChoiceButtonRow(int clientWidth, int buttonWidth, int gap, bool cancelShown);
