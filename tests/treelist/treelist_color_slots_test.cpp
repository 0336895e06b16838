// The colour table: defaults from the system colours, caller slots, column
// text colours.
#include <gtest/gtest.h>

#include <map>

#include "tests/treelist/treelist_fake_host.h"

using namespace treelist_test;

namespace {

// System colours of a test: the listed ones, 0 for the rest.
class ColorHost : public TreeListNullHost {
public:
    std::map<int, COLORREF> colors;
    COLORREF SysColor(int index) override
    {
        auto it = colors.find(index);
        return it == colors.end() ? 0 : it->second;
    }
};

struct Defaults {
    ColorHost host;
    TreeListData d{};
    explicit Defaults(std::map<int, COLORREF> colors)
    {
        host.colors = std::move(colors);
        d.host = &host;
    }
};

struct InfoCase { const char* name; COLORREF window, info; COLORREF slot1; };

TEST(TreeListColorSlots, SlotOneMovesAwayFromSlotTwoInsideTheBlueByte)
{
    const InfoCase cases[] = {
        {"far apart", 0xFFFFFF, 0xE1FFFF, 0xE1FFFF}, {"close, blue can go down", 0xFFFFFF, 0xFFFFFE, 0xF7FFFF},
        {"close, blue 0 goes up, no borrow", 0x000000, 0x000003, 0x080000},
        {"close, blue 7 goes up", 0x070000, 0x070001, 0x0F0000},
        {"close, blue 8 goes to 0", 0x08F0F0, 0x08F0F1, 0x00F0F0},
        {"distance exactly 64 is far", 0x000000, 0x000008, 0x000008},
    };
    for (const InfoCase& c : cases) {
        Defaults t({{COLOR_WINDOW, c.window}, {COLOR_INFOBK, c.info}});
        TreeListMakeDefaultColors(t.d);
        EXPECT_EQ(t.d.colors[1], c.slot1) << c.name;
        EXPECT_EQ(t.d.colors[1] >> 24, 0u) << c.name;
    }
}

TEST(TreeListColorSlots, DefaultsFollowTheirRules)
{
    const COLORREF window = 0x00F0E0D0, info = 0x0080FFFF, text = 0x00102030, highlight = 0x00C08040;
    const COLORREF face = 0x00C0C0C0, shadow = 0x00808080, scroll = 0x00D0D0D0, menu = 0x00F0F0F0;
    Defaults t({{COLOR_WINDOW, window}, {COLOR_INFOBK, info}, {COLOR_WINDOWTEXT, text}, {COLOR_HIGHLIGHT, highlight},
                {COLOR_BTNFACE, face}, {COLOR_BTNSHADOW, shadow}, {COLOR_SCROLLBAR, scroll}, {COLOR_MENU, menu}});
    TreeListMakeDefaultColors(t.d);
    const COLORREF expected[kTreeListColorSlots] = {
        window, info, window, face, text, text, shadow, text ^ 0xFF0000,
        7 * ((info >> 3) & 0x1F1F1F) + ((highlight >> 3) & 0x1F1F1F),
        7 * ((window >> 3) & 0x1F1F1F) + ((highlight >> 3) & 0x1F1F1F),
        info, window, window - 0x0F0B0B, info - 0x0F0B0B, window - 0x0F0B0B,  // every nibble tested is non-zero
        ((scroll >> 2) & 0x3F3F3F) + 3 * ((window >> 2) & 0x3F3F3F),
        (menu >> 1) & 0x7F7F7F,
        3 * ((face >> 2) & 0x3F3F3F) + ((highlight >> 2) & 0x3F3F3F),
    };
    for (uint32_t slot = 0; slot < kTreeListColorSlots; ++slot)
        EXPECT_EQ(t.d.colors[slot], expected[slot]) << "slot " << slot;
}

TEST(TreeListColorSlots, DarkenLeavesZeroNibblesAlone)
{
    // Slot 12 darkens the window colour; each byte only when its top nibble
    // is set, so nothing borrows.
    const struct { COLORREF window, darkened; } cases[] = {
        {0x00FFFFFF, 0x00F0F4F4}, {0x000F0F0F, 0x000F0F0F}, {0x00100010, 0x00010005}, {0, 0}};
    for (const auto& c : cases) {
        Defaults t({{COLOR_WINDOW, c.window}});
        TreeListMakeDefaultColors(t.d);
        EXPECT_EQ(t.d.colors[12], c.darkened) << std::hex << c.window;
    }
}

TEST(TreeListColorSlots, CallerSlotsSurviveAndFeedTheDerivedOnes)
{
    Defaults t({{COLOR_WINDOW, 0x00FFFFFF}, {COLOR_INFOBK, 0x00FFFFFE}, {COLOR_HIGHLIGHT, 0}});
    t.d.colors[2] = 0x00123456;
    t.d.colorSet[2] = 1;
    TreeListMakeDefaultColors(t.d);
    EXPECT_EQ(t.d.colors[2], 0x00123456u);
    EXPECT_EQ(t.d.colors[1], 0x00FFFFFEu);  // far from the caller's slot 2
    EXPECT_EQ(t.d.colors[9], 7 * ((0x00123456u >> 3) & 0x1F1F1F));
}

TEST(TreeListColorSlots, ThemedNeedsOptionEightAndNoCallerLineGridOrCellColour)
{
    struct Case { uint32_t option8; int setSlot; /* -1 none */ uint8_t themed; } cases[] = {
        {0, -1, 0}, {1, -1, 1}, {1, 5, 0}, {1, 6, 0}, {1, 11, 0}, {1, 4, 1}};
    for (const Case& c : cases) {
        Defaults t({});
        t.d.themeRequested = c.option8;
        if (c.setSlot >= 0)
            t.d.colorSet[c.setSlot] = 1;
        TreeListMakeDefaultColors(t.d);
        EXPECT_EQ(t.d.themed, c.themed) << c.option8 << " " << c.setSlot;
    }
}

TEST(TreeListColorSlots, MessagesSetReadAndRestore)
{
    Control c;
    const LRESULT window = c.Send(TVM_GETBKCOLOR, 0);
    EXPECT_EQ(c.Send(TVM_SETBKCOLOR, 0, 0x123456), window);
    EXPECT_EQ(c.Send(TVM_GETBKCOLOR, 0), 0x123456);
    EXPECT_EQ(c.Send(TVM_SETBKCOLOR, 0, -1), 0x123456);  // back to the default
    EXPECT_EQ(c.Send(TVM_GETBKCOLOR, 0), window);
    EXPECT_EQ(c.Send(TVM_SETBKCOLOR, 18, 0x111111), -1);
    EXPECT_EQ(c.Send(TVM_GETBKCOLOR, 18), -1);
    // The fixed slots of the text, line and insert-mark messages.
    const struct { UINT set, get; WPARAM slot; } fixed[] = {
        {TVM_SETTEXTCOLOR, TVM_GETTEXTCOLOR, 4}, {TVM_SETLINECOLOR, TVM_GETLINECOLOR, 5},
        {TVM_SETINSERTMARKCOLOR, TVM_GETINSERTMARKCOLOR, 10}};
    for (const auto& f : fixed) {
        c.Send(f.set, 0, 0x00ABCDEF);
        EXPECT_EQ(c.Send(f.get), 0x00ABCDEF);
        EXPECT_EQ(c.Send(TVM_GETBKCOLOR, f.slot), 0x00ABCDEF);
    }
}

TEST(TreeListColorSlots, ColumnTextColours)
{
    Control c;
    c.Columns({100, 100});
    EXPECT_EQ(c.Send(TLM_COLUMNTEXTCOLOR, 32, 0x10), -1);
    EXPECT_EQ(c.Send(TLM_COLUMNTEXTCOLOR, 1, 0x10), -1);            // set, old: none
    EXPECT_EQ(c.Send(TLM_COLUMNTEXTCOLOR, 1 | (2 << 16), 0x20), 0x10);  // read only
    EXPECT_EQ(c.Send(TLM_COLUMNTEXTCOLOR, 1 | (1 << 16), 0x30), 0x10);  // set and repaint
    EXPECT_EQ(c.d->columnTextColors[1], 0x30u);
}

}  // namespace
