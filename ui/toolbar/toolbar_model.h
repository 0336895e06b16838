// The "ToolbarExWindow32" control's buttons and their layout, without
// Windows headers: the window procedure decodes a message, calls this model
// and encodes its answer; the painter reads the rectangles it computed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

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

// Markers of the packed message forms.
constexpr uint32_t kAppendIndex = 0x3FF;           // 0x493's 10-bit index field: append
constexpr uint32_t kInsertTagMask = 0xFC00FFFF;    // what 0x493's wParam keeps besides the index
constexpr uint32_t kInsertTag = 0x50000001;
constexpr uint32_t kColorTag = 0x12480000;         // 0x48E: wParam is a command id, lParam a colour
constexpr uint32_t kNthCommandTag = 0x12800000;    // TB_COMMANDTOINDEX: the n-th button of an id
constexpr uint32_t kSlotTag = 0x12802E7E;          // 0x48D: a child-control slot in bits 16..22
constexpr uint32_t kSizeFromChild = 0x2000;        // 0x48C: a size taken from the child window
constexpr int kOneRow = 17000;                     // 0x491: lay out in one row
constexpr int kSlotCount = 128;                    // child-control slots
constexpr uint32_t kNoColor = 0xFFFFFFFF;

// 0x473/0x474: state bits in bits 16..23, the mask of the bits to change in
// 24..31. The idle update, SetCheck and SetButtonInfo all speak this form.
constexpr uint32_t PackState(uint8_t state, uint8_t mask = 0xFF)
{
    return uint32_t(state) << 16 | uint32_t(mask) << 24;
}
constexpr uint8_t ApplyStateWord(uint8_t state, uint32_t word)
{
    const uint8_t bits = uint8_t(word >> 16), mask = uint8_t(word >> 24);
    return uint8_t((state & ~mask) | (bits & mask));
}
// A colour sent in 16-bit form (red in bits 0..4, green 5..10, blue
// 11..15) minus 0x10000, as the bar's mode -1 does; else the COLORREF.
constexpr bool IsPackedColor(uint32_t value)
{
    return value >= 0xFFFF0000u;
}
uint32_t Pack16Color(uint32_t colorref);
uint32_t UnpackColor(uint32_t value);

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
    uint16_t minWidth = 0;       // 0x48C; kSizeFromChild takes the child's width
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
    // The state in 0x473's form, or -1 for an unknown id.
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
