// The one comparer of the bounded text functions: a destination of `size`
// units plus guard units behind it, all sentinels.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace text_test {

template <class Unit>
struct Guarded {
    Guarded(int size, Unit sentinel) : size(size), sentinel(sentinel), units(size_t(std::max(size, 0)) + 4, sentinel)
    {
    }
    Unit* data() { return units.data(); }

    // The call gave `want` (terminated when size >= 1) and changed nothing past the size.
    void Expect(int got, const std::vector<Unit>& want) const
    {
        ASSERT_EQ(got, int(want.size()));
        EXPECT_EQ(std::vector<Unit>(units.begin(), units.begin() + got), want);
        if (size >= 1)
            EXPECT_EQ(units[want.size()], Unit(0)) << "terminator";
        else
            EXPECT_EQ(units[0], sentinel);
        for (size_t i = size_t(std::max(size, 0)); i < units.size(); ++i)
            EXPECT_EQ(units[i], sentinel) << "written past the size at " << i;
    }

    int size;
    Unit sentinel;
    std::vector<Unit> units;
};

}  // namespace text_test
