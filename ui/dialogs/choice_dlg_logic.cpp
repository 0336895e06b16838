#include "ui/dialogs/choice_dlg_logic.h"

#include <algorithm>
#include <cstring>

#include "text/char_class.h"
#include "ui/treelist/core/incremental_search.h"

namespace {

constexpr uint32_t kScaledSizeTag = 0x12340000;
constexpr uint32_t kTagMask = 0xFFFF0000;
constexpr int kOffScreenMargin = 20;   // a little of a title bar may hang off
constexpr int kOnScreenMargin = 50;    // enough stays visible to grab it
enum : unsigned { kLeft = 1, kRight, kTop, kTopLeft, kTopRight, kBottom, kBottomLeft, kBottomRight };

bool TextGreater(const char* a, const char* b) { return ChoiceCompareNoCase(a, b) > 0; }

const char* EntryText(void* context, uint32_t row)
{
    const ChoiceEntry* e = static_cast<const ChoiceEntries*>(context)->At(int(row));
    return e ? e->text.c_str() : nullptr;
}

}  // namespace

int ChoiceCompareNoCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        const int ca = CharToLower(static_cast<unsigned char>(*a));
        const int cb = CharToLower(static_cast<unsigned char>(*b));
        if (ca != cb || ca == 0)
            return ca - cb;
    }
}

int ChoiceCopyText(const char* text, char* buffer, int size)
{
    if (!text || !buffer || size < 1)
        return 0;
    const size_t n = strnlen(text, size_t(size - 1));
    std::memcpy(buffer, text, n);
    buffer[n] = 0;
    return int(n);
}

int ChoiceEntries::Add(int position, uint32_t data, const char* text, bool selected)
{
    ChoiceEntry entry{data, uint8_t(selected ? 1 : 0), text ? text : "", {}};
    size_t at = m_entries.size();
    if (position >= 0 && position <= Count()) {
        at = size_t(position);
    } else if (position == kChoiceSortByText) {
        at = size_t(std::find_if(m_entries.begin(), m_entries.end(),
                                 [&](const ChoiceEntry& e) { return TextGreater(e.text.c_str(), entry.text.c_str()); }) -
                    m_entries.begin());
    } else if (position == kChoiceSortByData) {
        at = size_t(std::find_if(m_entries.begin(), m_entries.end(), [&](const ChoiceEntry& e) { return e.data > data; }) -
                    m_entries.begin());
    }
    m_entries.insert(m_entries.begin() + std::ptrdiff_t(at), std::move(entry));
    return int(at);
}

int ChoiceEntries::Find(const char* text, bool noCase) const
{
    if (!text)
        return -1;
    for (int i = 0; i < Count(); ++i) {
        const char* t = m_entries[size_t(i)].text.c_str();
        if (noCase ? ChoiceCompareNoCase(t, text) == 0 : std::strcmp(t, text) == 0)
            return i;
    }
    return -1;
}

std::vector<int> ChoiceEntries::SortBy(Less less)
{
    std::vector<int> order(m_entries.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return less(m_entries[size_t(a)], m_entries[size_t(b)]); });
    std::vector<ChoiceEntry> sorted;
    sorted.reserve(order.size());
    for (const int i : order)
        sorted.push_back(std::move(m_entries[size_t(i)]));
    m_entries = std::move(sorted);
    return order;
}

std::vector<int> ChoiceEntries::SortByText()
{
    return SortBy([](const ChoiceEntry& a, const ChoiceEntry& b) {
        return ChoiceCompareNoCase(a.text.c_str(), b.text.c_str()) < 0;
    });
}

std::vector<int> ChoiceEntries::SortByData()
{
    return SortBy([](const ChoiceEntry& a, const ChoiceEntry& b) { return a.data < b.data; });
}

void ChoiceEntries::Remove(int index)
{
    if (Valid(index))
        m_entries.erase(m_entries.begin() + index);
}

int ChoiceSearchType(ChoiceSearch& s, const ChoiceEntries& entries, unsigned char ch, uint32_t now, int caretRow)
{
    // The count is tested before a character is stored: the 17th starts a
    // new search instead of writing behind the buffer.
    if (now - s.tick > IncrementalSearchTimeout(s.count) || s.count >= kIncrementalSearchMaxChars) {
        s.count = 0;
        s.startRow = caretRow < 0 ? uint32_t(entries.Count()) : uint32_t(caretRow);
    }
    s.chars[s.count++] = IncrementalSearchUpper(ch);
    s.tick = now;
    uint32_t found = 0;
    if (!IncrementalSearchFind(uint32_t(entries.Count()), s.startRow, s.chars, s.count, EntryText,
                               const_cast<ChoiceEntries*>(&entries), found))
        return -1;
    return int(found);
}

void ChoiceSavedPosition::Save(int32_t x, int32_t y)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_saved = true;
    m_x = x;
    m_y = y;
}

bool ChoiceSavedPosition::Load(int32_t& x, int32_t& y) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_saved) {
        x = m_x;
        y = m_y;
    }
    return m_saved;
}

bool ChoicePositionUsable(int x, int y, int screenWidth, int screenHeight)
{
    return x >= -kOffScreenMargin && x < screenWidth - kOnScreenMargin && y >= -kOffScreenMargin &&
           y < screenHeight - kOnScreenMargin;
}

int ChoiceSizeChange(uint32_t setting, int size, int base, int minimum)
{
    if (setting == 0 || base <= 0)
        return 0;
    int64_t wanted;
    if ((setting & kTagMask) == kScaledSizeTag) {
        const uint32_t share = setting & ~kTagMask;
        if (share == 0)
            return 0;  // a zero share would close the window to nothing
        wanted = int64_t(size) * share / base;
    } else {
        wanted = size + int64_t(size) * int32_t(setting) / base;
    }
    wanted = std::clamp<int64_t>(wanted, minimum, INT32_MAX / 2);
    return int(wanted - size);
}

void ChoiceKeepMinimum(ChoiceRect& r, unsigned edge, int minWidth, int minHeight)
{
    if (r.right - r.left < minWidth) {
        if (edge == kLeft || edge == kTopLeft || edge == kBottomLeft)
            r.left = r.right - minWidth;
        else
            r.right = r.left + minWidth;
    }
    if (r.bottom - r.top < minHeight) {
        if (edge == kTop || edge == kTopLeft || edge == kTopRight)
            r.top = r.bottom - minHeight;
        else
            r.bottom = r.top + minHeight;
    }
}

ChoiceButtons ChoiceButtonRow(int clientWidth, int buttonWidth, int gap, bool cancelShown)
{
    if (!cancelShown)
        return {(clientWidth - buttonWidth) / 2, 0};
    const int ok = (clientWidth - 2 * buttonWidth - gap) / 2;
    return {ok, ok + buttonWidth + gap};
}

ChoicePoint ChoiceMenuPlace(const ChoiceRect* caretCell, const ChoiceRect& client)
{
    const bool shows = caretCell && caretCell->bottom > client.top && caretCell->top < client.bottom &&
                       caretCell->bottom > caretCell->top;
    if (!shows)
        return {client.left, client.top};
    const int32_t height = caretCell->bottom - caretCell->top;
    const ChoicePoint inside = {caretCell->left + height, caretCell->top + height / 2};
    return {std::clamp(inside.x, client.left, std::max(client.left, client.right - 1)),
            std::clamp(inside.y, client.top, std::max(client.top, client.bottom - 1))};
}
