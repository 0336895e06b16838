#include "ui/toolbar/toolbar_control_logic.h"

#include <gtest/gtest.h>

using namespace toolbar;

namespace {

// Buttons 20x10, separators 4: ids 1..n, id 0 a separator.
ToolbarModel Bar(std::initializer_list<int> ids)
{
    ToolbarModel model;
    model.SetMetrics(20, 10, 4);
    for (int id : ids) {
        Button button;
        button.id = uint16_t(id);
        button.style = id ? 0 : kStyleSeparator;
        EXPECT_TRUE(model.Insert(kAppendIndex, button));
    }
    return model;
}

struct LayoutCase {
    int limit;
    bool byHeight;
    int cx, cy;
};

class ToolbarLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(ToolbarLayout, NeededSize)
{
    ToolbarModel model = Bar({1, 2, 0, 3, 4});
    const LayoutCase& c = GetParam();
    const ToolbarModel::Size size = model.Layout(c.limit, c.byHeight, true);
    EXPECT_EQ(size.cx, c.cx);
    EXPECT_EQ(size.cy, c.cy);
}

INSTANTIATE_TEST_SUITE_P(Cases, ToolbarLayout,
                         testing::Values(LayoutCase{kOneRow, false, 84, 10},  // one row: 4 buttons + separator
                                         LayoutCase{0, false, 20, 44},        // one column: separator lies across
                                         LayoutCase{44, false, 44, 20},       // 1 2 sep | 3 4
                                         LayoutCase{40, false, 40, 30},       // 1 2 | sep 3 | 4
                                         LayoutCase{5, false, 20, 50},        // narrower than a button
                                         LayoutCase{20, true, 60, 20},        // 1 2 | sep 3 | 4
                                         LayoutCase{1000, true, 20, 44}));

TEST(ToolbarLayout, RectanglesAndHitTest)
{
    ToolbarModel model = Bar({1, 2, 0, 3});
    model.Layout(44, false, true);
    EXPECT_EQ(model.At(3).rect.left, 0);
    EXPECT_EQ(model.At(3).rect.top, 10);
    EXPECT_EQ(model.HitTest(25, 5), 1);
    EXPECT_EQ(model.HitTest(45, 5), -1);
    model.Find(1)->state |= kStateHidden;
    EXPECT_EQ(model.Layout(kOneRow, false, true).cx, 44);
    EXPECT_EQ(model.HitTest(25, 5), 3);
}

TEST(ToolbarLayout, ChildAndFixedWidths)
{
    ToolbarModel model = Bar({1, 2});
    model.Find(0)->minWidth = kSizeFromChild;
    model.Find(0)->maxWidth = kSizeFromChild;
    model.Find(0)->childWidth = 104;
    model.Find(1)->minWidth = 30;
    model.Find(1)->maxWidth = 25;  // a maximum below the minimum gives way
    EXPECT_EQ(model.Layout(kOneRow, false, false).cx, 134);
    EXPECT_EQ(model.SetWidth(-1, 0), 1);
    EXPECT_EQ(model.SetWidth(-1, 5000), kMaxButtonWidth);
}

// Adding many buttons does no layout; one layout visits each button once.
TEST(ToolbarLayout, ThousandButtonsLayOutInOnePass)
{
    ToolbarModel model;
    for (int id = 1; id <= 1000; ++id) {
        Button button;
        button.id = uint16_t(id);
        ASSERT_TRUE(model.Insert(kAppendIndex, button));
    }
    EXPECT_EQ(model.LayoutPasses(), 0);
    model.Layout(800, false, true);
    EXPECT_EQ(model.LayoutPasses(), 1);
    EXPECT_EQ(model.ButtonVisits(), 1000);
}

TEST(ToolbarModel, InsertIndexField)
{
    ToolbarModel model = Bar({1, 2});
    Button button;
    button.id = 9;
    ASSERT_TRUE(model.Insert(1, button));
    EXPECT_EQ(model.At(1).id, 9);
    ASSERT_TRUE(model.Insert(500, button));  // past the end appends
    EXPECT_EQ(model.At(3).id, 9);
    EXPECT_EQ(model.IndexOfCommand(9, 1), 3);
    EXPECT_EQ(model.IndexOfCommand(9, 2), -1);
    EXPECT_EQ(model.Remove(1, 100), 3);
    EXPECT_EQ(model.Count(), 1);
}

struct StateCase {
    uint8_t before;
    uint32_t word;
    uint8_t after;
};

class ToolbarState : public testing::TestWithParam<StateCase> {};

TEST_P(ToolbarState, WordApplies)
{
    ToolbarModel model = Bar({7});
    model.Find(0)->state = GetParam().before;
    bool found = false;
    const bool changed = model.SetState(7, GetParam().word, &found);
    EXPECT_TRUE(found);
    EXPECT_EQ(model.At(0).state, GetParam().after);
    EXPECT_EQ(changed, GetParam().before != GetParam().after);
    EXPECT_EQ(model.GetStateWord(7), int64_t(PackState(GetParam().after, 0)));
}

INSTANTIATE_TEST_SUITE_P(Cases, ToolbarState,
                         testing::Values(StateCase{0, 0x04040000, kStateEnabled},             // enable
                                         StateCase{kStateEnabled, 0x04040000, kStateEnabled}, // unchanged
                                         StateCase{kStateEnabled | kStatePressed, 0x06000000, 0},
                                         StateCase{kStateEnabled, 0xFF01FF00, kStateChecked},  // SetCheck form
                                         StateCase{kStateEnabled, PackState(0x14), 0x14}));

TEST(ToolbarModel, UnknownIdAndGroups)
{
    ToolbarModel model = Bar({1, 2, 3, 4});
    bool found = true;
    EXPECT_FALSE(model.SetState(99, 0x04040000, &found));
    EXPECT_FALSE(found);
    EXPECT_EQ(model.GetStateWord(99), -1);
    // The bar's grouping: the first with 0x84, the others with 0x04.
    EXPECT_EQ(model.SetStyles(1, 1, 0x84, 0x84) + model.SetStyles(2, 2, 0x04, 0x04), 3);
    EXPECT_TRUE(model.Click(2));
    EXPECT_TRUE(model.Click(3));
    EXPECT_EQ(model.At(2).state & kStateChecked, 0);
    EXPECT_EQ(model.At(3).state & kStateChecked, kStateChecked);
    EXPECT_EQ(model.At(0).state & kStateChecked, 0);
    model.Find(0)->style = kStyleCheck;
    EXPECT_TRUE(model.Click(0));
    EXPECT_TRUE(model.Click(0));
    EXPECT_EQ(model.At(0).state & kStateChecked, 0);
    model.Find(0)->state = 0;
    EXPECT_FALSE(model.Click(0));  // disabled
}

TEST(ToolbarModel, ColourPacking)
{
    EXPECT_EQ(Pack16Color(0xFFFFFF), 0xFFFFFFFFu);  // white as -1
    EXPECT_EQ(Pack16Color(0), 0xFFFF0000u);
    EXPECT_EQ(Pack16Color(0x0000FF), 0x1Fu - 0x10000u);
    for (uint32_t colour : {0xFFFFFFu, 0u, 0x0000FFu, 0xFF0000u, 0x00FF00u})
        EXPECT_EQ(UnpackColor(Pack16Color(colour)), colour);
    EXPECT_EQ(UnpackColor(0x123456), 0x123456u);
}

TEST(ToolbarModel, Slots)
{
    ToolbarModel model = Bar({1, 2});
    EXPECT_EQ(model.FreeSlot(), 0);
    model.Find(1)->slot = 0;
    EXPECT_EQ(model.FreeSlot(), 1);
    EXPECT_EQ(model.ButtonOfSlot(0), 1);
    EXPECT_EQ(model.ButtonOfSlot(5), -1);
}

// A button's own width: below 1 is the automatic (bar) width, not 1 pixel.
TEST(ToolbarModel, ButtonWidths)
{
    const int cases[][2] = {{40, 40}, {1, 1}, {0, 20}, {-1, 20}, {-7, 20}, {5000, kMaxButtonWidth}};
    for (const auto& c : cases) {
        ToolbarModel model = Bar({1, 0, 1, 2});
        ASSERT_TRUE(model.SetButtonWidth(1, 40));
        ASSERT_TRUE(model.SetButtonWidth(1, c[0]));
        EXPECT_EQ(model.Layout(kOneRow, false, false).cx, 2 * c[1] + 4 + 20) << c[0];
    }
    ToolbarModel model = Bar({1, 0});
    EXPECT_FALSE(model.SetButtonWidth(9, 40));
    EXPECT_FALSE(model.SetButtonWidth(0, 40));  // a separator has no command
}

TEST(ToolbarModel, ImagesLimitsColoursAndIds)
{
    ToolbarModel model = Bar({1, 2, 0, 2});
    bool found = false;
    EXPECT_TRUE(model.SetImage(2, 7, &found));
    EXPECT_TRUE(found);
    EXPECT_FALSE(model.SetImage(2, 7, &found));  // unchanged
    EXPECT_TRUE(found);
    EXPECT_FALSE(model.SetImage(9, 7, &found));
    EXPECT_FALSE(found);
    EXPECT_EQ(model.At(3).image, -1);  // the first button of the id only

    // An index first, then an id.
    EXPECT_TRUE(model.SetSizeLimits(3, SizeLimits{30, 50}));
    EXPECT_EQ(model.At(3).minWidth, 30);
    EXPECT_TRUE(model.SetSizeLimits(1, SizeLimits{10, 0}));
    EXPECT_EQ(model.At(1).minWidth, 10);
    EXPECT_FALSE(model.SetSizeLimits(9, SizeLimits{1, 1}));

    EXPECT_TRUE(model.SetColor(2, 0x123456));
    EXPECT_EQ(model.At(1).color, 0x123456u);
    EXPECT_EQ(model.At(3).color, 0x123456u);
    EXPECT_EQ(model.At(2).color, kNoColor);
    EXPECT_FALSE(model.SetColor(9, 0));

    uint16_t ids[8] = {};
    EXPECT_EQ(model.CopyIds(ids, 8), 4);
    EXPECT_EQ(ids[3], 2);
    EXPECT_EQ(model.CopyIds(ids, 2), 2);
}

}  // namespace
