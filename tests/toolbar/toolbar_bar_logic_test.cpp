#include "ui/toolbar/toolbar_bar_logic.h"

#include <gtest/gtest.h>

using namespace toolbar;

namespace {

TEST(ToolbarBarLogic, ButtonSizeFromIcon)
{
    const int cases[][2] = {{16, 16}, {24, 16}, {32, 28}, {40, 44}, {48, 48}, {64, 48}};
    for (const auto& c : cases)
        EXPECT_EQ(ButtonSizeFromIcon(c[0]), c[1]) << c[0];
}

TEST(ToolbarBarLogic, ToolbarBlocks)
{
    const std::vector<uint16_t> block = MakeToolbarBlock(16, 15, {5, 0, 6});
    ToolbarBlock parsed;
    ASSERT_TRUE(ParseToolbarBlock(block.data(), block.size() * 2, &parsed));
    EXPECT_EQ(parsed.imageWidth, 16);
    EXPECT_EQ(parsed.ids, (std::vector<uint16_t>{5, 0, 6}));
    EXPECT_FALSE(ParseToolbarBlock(block.data(), block.size() * 2 - 1, &parsed));  // cut id list
    EXPECT_FALSE(ParseToolbarBlock(block.data(), 7, &parsed));
    EXPECT_FALSE(ParseToolbarBlock(nullptr, 100, &parsed));
}

TEST(ToolbarBarLogic, ImageIndexesCountNonZeroIdsAcrossEntries)
{
    const std::vector<std::vector<uint16_t>> entries = {{10, 0, 11}, {20, 21}};
    const std::vector<ButtonPlan> buttons = MapButtons(entries, {21, 0, 11, 99, 10});
    const int images[] = {3, -1, 1, -1, 0};
    ASSERT_EQ(buttons.size(), 5u);
    for (size_t n = 0; n < buttons.size(); ++n)
        EXPECT_EQ(buttons[n].image, images[n]) << n;
    EXPECT_TRUE(buttons[1].separator);
    EXPECT_FALSE(buttons[3].separator);
    const std::vector<ButtonPlan> running = RunningButtons({1, 0, 2});
    EXPECT_EQ(running[2].image, 1);
    EXPECT_EQ(running[1].image, -1);
}

TEST(ToolbarBarLogic, MenuTexts)
{
    EXPECT_EQ(MenuTexts(nullptr)[2], "Große Icons");
    const auto texts = MenuTexts(("Klein\n\nGroß\n" + std::string(80, 'x') + "\nweg\nzuviel").c_str());
    EXPECT_EQ(texts[0], "Klein");
    EXPECT_EQ(texts[1], "Mittler Icons");  // an empty line keeps the built-in text
    EXPECT_EQ(texts[3].size(), kMenuTextMax);
    EXPECT_EQ(texts[4], "weg");
}

TEST(ToolbarBarLogic, DerivedCommand)
{
    EXPECT_EQ(DerivedCommand(2, 0x8105, 300), 0x8105);
    EXPECT_EQ(DerivedCommand(2, 0, 300), 302);
    EXPECT_EQ(DerivedCommand(-1, -1, 300), 0);  // no selection, no command
}

}  // namespace
