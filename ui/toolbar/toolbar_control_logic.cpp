#include "ui/toolbar/toolbar_control_logic.h"

#include <algorithm>

namespace toolbar {

void ToolbarModel::SetMetrics(int buttonWidth, int buttonHeight, int separatorWidth)
{
    m_buttonWidth = std::clamp(buttonWidth, 1, kMaxButtonWidth);
    m_buttonHeight = std::clamp(buttonHeight, 1, kMaxButtonWidth);
    m_separatorWidth = std::clamp(separatorWidth, 1, kMaxButtonWidth);
}

int ToolbarModel::IndexOfCommand(uint16_t id, int nth) const
{
    for (int index = 0; index < Count(); ++index) {
        const Button& button = m_buttons[size_t(index)];
        if (button.id == id && !(button.style & kStyleSeparator) && nth-- == 0)
            return index;
    }
    return -1;
}

bool ToolbarModel::Insert(uint32_t index, const Button& button)
{
    if (Count() >= kMaxButtons)
        return false;
    Button added = button;
    added.width = std::clamp(added.width, 0, kMaxButtonWidth);
    added.slot = -1;
    if (index >= uint32_t(Count()))
        m_buttons.push_back(added);
    else
        m_buttons.insert(m_buttons.begin() + index, added);
    return true;
}

int ToolbarModel::Remove(int first, int last)
{
    first = std::max(first, 0);
    last = std::min(last, Count() - 1);
    if (first > last)
        return 0;
    m_buttons.erase(m_buttons.begin() + first, m_buttons.begin() + last + 1);
    return last - first + 1;
}

bool ToolbarModel::SetState(uint16_t id, uint32_t word, bool* found)
{
    bool changed = false;
    *found = false;
    for (Button& button : m_buttons) {
        if (button.id != id || (button.style & kStyleSeparator))
            continue;
        *found = true;
        const uint8_t state = ApplyStateWord(button.state, word);
        changed |= state != button.state;
        button.state = state;
    }
    return changed;
}

int64_t ToolbarModel::GetStateWord(uint16_t id) const
{
    const int index = IndexOfCommand(id);
    return index < 0 ? -1 : int64_t(PackState(m_buttons[size_t(index)].state, 0));
}

int ToolbarModel::SetStyles(int index, int count, uint8_t bits, uint8_t mask)
{
    int changed = 0;
    for (int at = std::max(index, 0); at < Count() && changed < count; ++at, ++changed) {
        Button& button = m_buttons[size_t(at)];
        button.style = uint8_t((button.style & ~mask) | (bits & mask));
    }
    return changed;
}

bool ToolbarModel::Click(int index)
{
    Button* button = Find(index);
    if (!button || (button->style & kStyleSeparator) || !(button->state & kStateEnabled))
        return false;
    if (button->style & kStyleGroup) {
        // The group runs from its start back and forward over members.
        int first = index;
        while (first > 0 && !(m_buttons[size_t(first)].style & kStyleGroupStart) &&
               (m_buttons[size_t(first - 1)].style & kStyleGroup))
            --first;
        for (int at = first; at < Count() && (m_buttons[size_t(at)].style & kStyleGroup); ++at) {
            if (at > first && (m_buttons[size_t(at)].style & kStyleGroupStart))
                break;
            m_buttons[size_t(at)].state &= uint8_t(~kStateChecked);
        }
        button->state |= kStateChecked;
    } else if (button->style & kStyleCheck) {
        button->state ^= kStateChecked;
    }
    return true;
}

int ToolbarModel::SetWidth(int id, int width)
{
    width = std::clamp(width, 1, kMaxButtonWidth);
    for (Button& button : m_buttons)
        if ((id == -1 || button.id == id) && !(button.style & kStyleSeparator))
            button.width = width;
    if (id == -1)
        m_buttonWidth = width;
    return width;
}

bool ToolbarModel::SetButtonWidth(uint16_t id, int width)
{
    if (IndexOfCommand(id) < 0)
        return false;
    // As the common toolbar treats 0: no width of its own, not one pixel.
    const int own = width < 1 ? 0 : std::min(width, kMaxButtonWidth);
    for (Button& button : m_buttons)
        if (button.id == id && !(button.style & kStyleSeparator))
            button.width = own;
    return true;
}

bool ToolbarModel::SetImage(uint16_t id, int image, bool* found)
{
    Button* button = Find(IndexOfCommand(id));
    *found = button != nullptr;
    if (!button || button->image == image)
        return false;
    button->image = image;
    return true;
}

bool ToolbarModel::SetSizeLimits(uint16_t indexOrId, SizeLimits limits)
{
    Button* button = Find(indexOrId);
    if (!button)
        button = Find(IndexOfCommand(indexOrId));
    if (!button)
        return false;
    button->minWidth = limits.minWidth;
    button->maxWidth = limits.maxWidth;
    return true;
}

bool ToolbarModel::SetColor(uint16_t id, uint32_t color)
{
    bool any = false;
    for (Button& button : m_buttons) {
        if (button.id == id && !(button.style & kStyleSeparator)) {
            button.color = color;
            any = true;
        }
    }
    return any;
}

int ToolbarModel::CopyIds(uint16_t* ids, int capacity) const
{
    const int count = std::min(capacity, Count());
    for (int index = 0; index < count; ++index)
        ids[index] = m_buttons[size_t(index)].id;
    return count;
}

int ToolbarModel::FreeSlot() const
{
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (ButtonOfSlot(slot) < 0)
            return slot;
    return -1;
}

int ToolbarModel::ButtonOfSlot(int slot) const
{
    for (int index = 0; index < Count(); ++index)
        if (m_buttons[size_t(index)].slot == slot)
            return index;
    return -1;
}

int ToolbarModel::WidthOf(const Button& button) const
{
    if (button.style & kStyleSeparator)
        return m_separatorWidth;
    int width = button.width > 0 ? button.width : m_buttonWidth;
    const int minimum = button.minWidth == kSizeFromChild ? button.childWidth : button.minWidth;
    const int maximum = button.maxWidth == kSizeFromChild ? button.childWidth : button.maxWidth;
    width = std::max(width, minimum);
    if (maximum > 0 && button.minWidth != kSizeFromChild)
        width = std::min(width, std::max(maximum, minimum));
    return width;
}

ToolbarModel::Size ToolbarModel::Layout(int limit, bool byHeight, bool commit)
{
    ++m_layoutPasses;
    const bool oneLine = !byHeight && limit >= kOneRow;
    const bool oneColumn = !byHeight && limit <= 0;
    const bool across = oneColumn || byHeight;
    int x = 0, y = 0, lineExtent = 0;
    Size needed;
    for (Button& button : m_buttons) {
        ++m_buttonVisits;
        if (button.state & kStateHidden) {
            if (commit)
                button.rect = Rect{};
            continue;
        }
        const bool separator = (button.style & kStyleSeparator) != 0;
        // A separator in a column lies across it.
        const int width = across && separator ? m_buttonWidth : WidthOf(button);
        const int height = across && separator ? m_separatorWidth : m_buttonHeight;
        if (byHeight) {
            if (y > 0 && y + height > limit) {
                x += lineExtent;
                y = 0;
                lineExtent = 0;
            }
        } else if (x > 0 && (oneColumn || (!oneLine && x + width > limit))) {
            y += lineExtent;
            x = 0;
            lineExtent = 0;
        }
        if (commit)
            button.rect = Rect{x, y, x + width, y + height};
        needed.cx = std::max(needed.cx, x + width);
        needed.cy = std::max(needed.cy, y + height);
        if (byHeight) {
            y += height;
            lineExtent = std::max(lineExtent, width);
        } else {
            x += width;
            lineExtent = std::max(lineExtent, height);
        }
    }
    return needed;
}

int ToolbarModel::HitTest(int x, int y) const
{
    for (int index = 0; index < Count(); ++index) {
        const Button& button = m_buttons[size_t(index)];
        if (!(button.state & kStateHidden) && button.rect.Contains(x, y))
            return index;
    }
    return -1;
}

}  // namespace toolbar
