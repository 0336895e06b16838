// The "ToolbarExWindow32" control's buttons and their layout, without
// Windows headers: the window procedure decodes a message, calls this model
// and encodes its answer; the painter reads the rectangles it computed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/toolbar/toolbar_messages.h"

namespace toolbar {

// Button state bits (the common toolbar's values).
constexpr uint8_t kStateChecked = 0x01;
constexpr uint8_t kStatePressed = 0x02;
constexpr uint8_t kStateEnabled = 0x04;
constexpr uint8_t kStateHidden = 0x08;
constexpr uint8_t kStateIndeterminate = 0x10;
// Button style bits.
constexpr uint8_t kStyleSeparator = 0x01;
constexpr uint8_t kStyleCheck = 0x02;
constexpr uint8_t kStyleGroup = 0x04;       // a member of a radio group
constexpr uint8_t kStyleGroupStart = 0x80;  // the first button of a group

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

struct Button {
    uint16_t id = 0;
    int image = -1;
    uint8_t state = kStateEnabled;
    uint8_t style = 0;
    int width = 0;               // 0: the bar's button width
    uint16_t minWidth = 0;       // TBX_SETSIZES; kSizeFromChild takes the child's width
    uint16_t maxWidth = 0;
    uint32_t color = kNoColor;   // a swatch button's colour
    int slot = -1;               // its child control's slot
    int childWidth = 0;          // that child's width, when the size comes from it
    Rect rect;                   // from the last committed layout
};

class ToolbarModel {
public:
    // Sizes of a plain button and of a separator.
    void SetMetrics(int buttonWidth, int buttonHeight, int separatorWidth);
    int ButtonHeight() const { return m_buttonHeight; }

    int Count() const { return int(m_buttons.size()); }
    const Button& At(int index) const { return m_buttons[size_t(index)]; }
    Button* Find(int index) { return index >= 0 && index < Count() ? &m_buttons[size_t(index)] : nullptr; }
    // The index of the n-th button with the command id, or -1.
    int IndexOfCommand(uint16_t id, int nth = 0) const;
    // Inserts at index (kAppendIndex or past the end: appends); false when
    // the bar is full.
    bool Insert(uint32_t index, const Button& button);
    // Removes the buttons first..last (clipped); the count removed.
    int Remove(int first, int last);

    // Changes the state of every button with the id; true when one changed.
    bool SetState(uint16_t id, uint32_t word, bool* found);
    // The state in TBX_SETSTATE's form, or -1 for an unknown id.
    int64_t GetStateWord(uint16_t id) const;
    // Styles of count buttons from index: (style & ~mask) | (bits & mask);
    // the count changed.
    int SetStyles(int index, int count, uint8_t bits, uint8_t mask);
    // A click on a button: toggles a check button, checks a group member and
    // clears the others of its group. False for a disabled button.
    bool Click(int index);
    // Width of every button (id -1) or of the buttons with the id; the
    // width in force.
    int SetWidth(int id, int width);
    // The width of the buttons with the id; below 1 gives them back the
    // bar's automatic width. False for an unknown id.
    bool SetButtonWidth(uint16_t id, int width);
    // The image of the first button with the id; true when it changed.
    bool SetImage(uint16_t id, int image, bool* found);
    // The width limits of the button at an index, else of the first button
    // with that value as its id. False when there is neither.
    bool SetSizeLimits(uint16_t indexOrId, SizeLimits limits);
    // The swatch colour of every button with the id; false when none has it.
    bool SetColor(uint16_t id, uint32_t color);
    // Copies up to capacity ids in order; the count copied.
    int CopyIds(uint16_t* ids, int capacity) const;

    // Child-control slots.
    int FreeSlot() const;
    int ButtonOfSlot(int slot) const;

    // The size needed for a width (kOneRow: one row; 0: one column; with
    // byHeight the value is a height and columns wrap instead). With commit
    // the rectangles are stored. One pass over the buttons.
    struct Size {
        int cx = 0, cy = 0;
    };
    Size Layout(int limit, bool byHeight, bool commit);
    // The button under a point of the committed layout, or -1.
    int HitTest(int x, int y) const;
    // Layout passes so far, for the tests that hold layout linear.
    int LayoutPasses() const { return m_layoutPasses; }
    int ButtonVisits() const { return m_buttonVisits; }

private:
    int WidthOf(const Button& button) const;

    std::vector<Button> m_buttons;
    int m_buttonWidth = 23, m_buttonHeight = 22, m_separatorWidth = 8;
    int m_layoutPasses = 0;
    int m_buttonVisits = 0;
};

// Bounds that keep a hostile message from growing the bar without limit.
constexpr int kMaxButtons = 4096;
constexpr int kMaxButtonWidth = 1024;

}  // namespace toolbar
