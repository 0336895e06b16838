#include "ui/filedlg/combo_history_logic.h"

#include "text/text_services.h"

#include <algorithm>
#include <cstring>

namespace {

// Case-blind in the code page's own mapping, national letters included.
bool SameText(const std::string& a, const std::string& b, bool caseSensitive)
{
    if (caseSensitive || a.size() != b.size())
        return a == b;
    return StrCompareNoCaseNA(a.c_str(), b.c_str(), int(a.size())) == 0;
}

}  // namespace

std::vector<std::string> SplitListText(const char* text, size_t size, char separator)
{
    std::vector<std::string> pieces;
    if (!text)
        return pieces;
    size_t at = 0;
    while (at < size) {
        size_t end = at;
        while (end < size && text[end] != separator && text[end] != '\0')
            ++end;
        if (end == at && separator == '\0')
            break;  // the empty string ends a NUL-separated list
        if (end > at)
            pieces.emplace_back(text + at, std::min(end - at, kListEntryMax));
        if (end >= size || (text[end] == '\0' && separator != '\0'))
            break;
        at = end + 1;
    }
    return pieces;
}

std::vector<size_t> HistoryDeletions(const std::vector<std::string>& entries, const std::string& text, size_t limit,
                                     bool caseSensitive)
{
    std::vector<size_t> doomed;
    // After the insert old entry i sits at index i + 1; index 0 plus `limit` stay.
    for (size_t i = entries.size(); i-- > 0;)
        if (i + 1 > limit || SameText(entries[i], text, caseSensitive))
            doomed.push_back(i);
    return doomed;
}

std::vector<char> BuildComboHistory(bool withText, const std::string& text, const std::vector<std::string>& entries,
                                    ComboHistory* written)
{
    std::vector<char> bytes;
    ComboHistory list;
    list.hasText = withText;
    list.text = text;
    if (withText) {
        bytes.push_back(kHistoryTextMark);
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back('\0');
    }
    if (!text.empty())
        list.entries.push_back(text);
    for (const std::string& entry : entries) {
        if (list.entries.size() >= kHistoryEntries)
            break;
        if (!entry.empty() && entry != text)
            list.entries.push_back(entry);
    }
    for (const std::string& entry : list.entries) {
        bytes.insert(bytes.end(), entry.begin(), entry.end());
        bytes.push_back('\0');
    }
    bytes.push_back('\0');
    if (bytes.size() == 1)
        bytes.push_back('\0');  // an empty REG_MULTI_SZ is two NULs
    if (written)
        *written = std::move(list);
    return bytes;
}

ComboHistory ParseComboHistory(const char* data, size_t size, bool withText)
{
    ComboHistory history;
    size_t at = 0;
    if (withText && size > 0 && data[0] == kHistoryTextMark) {
        size_t end = 1;
        while (end < size && data[end] != '\0')
            ++end;
        history.hasText = true;
        history.text.assign(data + 1, end - 1);
        at = end + 1;
    }
    if (at < size)
        history.entries = SplitListText(data + at, size - at, '\0');
    if (withText && !history.entries.empty()) {
        const std::string first = history.entries.front();
        history.entries.erase(std::remove(history.entries.begin() + 1, history.entries.end(), first),
                              history.entries.end());
    }
    return history;
}

bool SwallowedKey::Drop(unsigned message, uint32_t key)
{
    if (message == kKeyDown) {
        m_key = 0;
        return false;
    }
    return message > kKeyDown && message <= kLastKeyMessage && m_key != 0 && key == m_key;
}
