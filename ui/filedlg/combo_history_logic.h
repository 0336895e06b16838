// The decisions of the combo-box histories that need no window: splitting a
// list text, which entries a history insert removes, the registry form of a
// history, and the key memory of the subclassed controls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Entries longer than this are cut when a list is filled from a text.
constexpr size_t kListEntryMax = 255;
// A stored history holds at most this many entries (the text counts).
constexpr size_t kHistoryEntries = 16;
// Marks the first string of the form that keeps the edit text.
constexpr char kHistoryTextMark = '\x02';

// The pieces of a text split at the separator (0: NUL-separated strings
// ended by an empty one); empty pieces are skipped, long ones cut.
// `size` bounds the reading (a separator-0 list without its end stops there).
std::vector<std::string> SplitListText(const char* text, size_t size, char separator);

// After inserting `text` at index 0 of a list whose old entries are
// `entries`, the old indexes (into `entries`) to delete, highest first:
// those beyond the limit and those equal to the text.
std::vector<size_t> HistoryDeletions(const std::vector<std::string>& entries, const std::string& text, size_t limit,
                                     bool caseSensitive);

// A stored history. Entries are written with NULs between them as they
// are, so any character an entry holds survives; an empty text is never
// written as an entry (an empty string would end the list for a reader).
struct ComboHistory {
    bool hasText = false;             // the form with the edit text
    std::string text;                 // the edit text (form with text)
    std::vector<std::string> entries; // most recent first
};
// The REG_MULTI_SZ bytes: for withText, 0x02 + text first; then the text
// (when not empty) and every non-empty entry that differs from it, up to
// kHistoryEntries. `history->entries` gets the list as written.
std::vector<char> BuildComboHistory(bool withText, const std::string& text, const std::vector<std::string>& entries,
                                    ComboHistory* written);
// Reads the bytes of a value back; withText reads the first string as the
// edit text when it begins with 0x02 and drops repeats of the first entry.
ComboHistory ParseComboHistory(const char* data, size_t size, bool withText);

// One remembered key per kind of subclass procedure: after a swallowed
// WM_KEYDOWN the key's WM_CHAR and other key messages are dropped too.
class SwallowedKey {
public:
    static constexpr unsigned kKeyDown = 0x100;
    static constexpr unsigned kLastKeyMessage = 0x108;
    void Swallowed(uint32_t key) { m_key = key; }
    // True when the message is to be dropped; a new key-down forgets the key.
    bool Drop(unsigned message, uint32_t key);

private:
    uint32_t m_key = 0;
};
