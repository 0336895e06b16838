// The text input dialogs' decisions without windows: the number a text
// stands for and the width an option asks for.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <tuple>
#include <utility>

#include "ui/dialogs/input_dlg_logic.h"

namespace {

constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();

TEST(InputNumber, BasesSignsAndLimits)
{
    const std::pair<const char*, int32_t> cases[] = {
        {"1Fh", 31},      {"0x1F", 31},          {"31", 31},          {"-0b101", -5},        {"17o", 15},
        {"0o17", 15},     {"101b", 5},           {"1bh", 27},         {"  +12", 12},         {"\t12abc", 12},
        {"xyz", 0},       {"", 0},               {"0X", 0},           {"-", 0},              {"-2147483648", kMin32},
        {"FFFFFFFFh", -1}, {"0x80000000", kMin32}, {"0x1FFFFFFFF", -1}, {"2147483648", INT32_MAX},
        {"-99999999999999999999", kMin32},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ParseInputNumber(text), value) << text;
    EXPECT_EQ(ParseInputNumber(nullptr), 0);
}

TEST(InputNumber, WidthOption)
{
    const std::tuple<int, int, int> cases[] = {{354, int(kInputWidthMarker + 708), 354},
                                               {354, int(kInputWidthMarker), 0},  // a factor of 0 is ignored
                                               {500, int(kInputWidthMarker + 354), 0},
                                               {354, 177, 177}, {354, -177, -177}, {354, 0, 0}, {400, 177, 200},
                                               {400, -1, -1},   {354, -100000, -353}};
    for (const auto& [width, option, change] : cases)
        EXPECT_EQ(InputWidthChange(width, option), change) << width << " " << option;
}

}  // namespace
