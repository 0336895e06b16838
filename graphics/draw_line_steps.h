// The stepping of lines and of the fills' edge walkers in closed form, so
// that clipping can skip any number of steps arithmetically.
//
// A line runs along its major axis u (the axis with the larger difference D)
// and steps its minor axis v (difference d) by an error term that starts at
// e = (D - d + 1) / 2: a step with e > 0 moves along u only and subtracts d,
// any other step moves along both axes and adds D - d. After i steps the
// minor axis has moved k(i) = floor((i d + D - d - e) / D) times and the
// error term is D - d - ((i d + D - d - e) mod D). Coordinates are 32-bit, so
// D < 2^32 and every product below stays under D (D + 1) < 2^64.
#pragma once

#include <algorithm>
#include <cstdint>

namespace graphics_detail {

struct LineSteps {
    static constexpr uint64_t kNever = UINT64_MAX;

    bool xMajor;
    int64_t u1, v1;  // start on the major and the minor axis
    int su, sv;      // +1 or -1
    uint64_t major, minor;
    uint64_t bias;  // D - d - e, in [0, D)

    static LineSteps Make(int64_t x1, int64_t y1, int64_t x2, int64_t y2)
    {
        const uint64_t dx = uint64_t(x2 >= x1 ? x2 - x1 : x1 - x2), dy = uint64_t(y2 >= y1 ? y2 - y1 : y1 - y2);
        const int sx = x2 < x1 ? -1 : 1, sy = y2 < y1 ? -1 : 1;
        LineSteps s;
        s.xMajor = dx >= dy;
        s.u1 = s.xMajor ? x1 : y1;
        s.v1 = s.xMajor ? y1 : x1;
        s.su = s.xMajor ? sx : sy;
        s.sv = s.xMajor ? sy : sx;
        s.major = s.xMajor ? dx : dy;
        s.minor = s.xMajor ? dy : dx;
        const uint64_t e = (s.major - s.minor + 1) / 2;
        s.bias = s.major - s.minor - e;
        return s;
    }

    uint64_t MinorSteps(uint64_t i) const { return major ? (i * minor + bias) / major : 0; }
    int64_t ErrorAfter(uint64_t i) const
    {
        return major ? int64_t(major - minor) - int64_t((i * minor + bias) % major) : 0;
    }
    // The smallest step after which the minor axis has moved k times, or
    // kNever when the line ends first.
    uint64_t FirstStepReaching(uint64_t k) const
    {
        if (k == 0)
            return 0;
        if (k > minor)
            return kNever;
        const uint64_t need = k * major - bias;
        return (need + minor - 1) / minor;
    }
    int64_t U(uint64_t i) const { return u1 + su * int64_t(i); }
    int64_t V(uint64_t i) const { return v1 + sv * int64_t(MinorSteps(i)); }

    // Steps [first, last] whose major coordinate lies in [lo, hi], among
    // steps 0 .. count - 1; false when there are none.
    bool MajorRange(int64_t lo, int64_t hi, uint64_t count, uint64_t& first, uint64_t& last) const
    {
        if (count == 0)
            return false;
        const int64_t before = su > 0 ? lo - u1 : u1 - hi;  // steps before the window
        const int64_t toEnd = su > 0 ? hi - u1 : u1 - lo;   // steps to its far edge
        if (toEnd < 0)
            return false;
        first = before > 0 ? uint64_t(before) : 0;
        last = std::min<uint64_t>(count - 1, uint64_t(toEnd));
        return first <= last;
    }
    // Steps [first, last] whose minor coordinate lies in [lo, hi].
    bool MinorRange(int64_t lo, int64_t hi, uint64_t& first, uint64_t& last) const
    {
        const int64_t kLow = sv > 0 ? lo - v1 : v1 - hi, kHigh = sv > 0 ? hi - v1 : v1 - lo;
        if (kHigh < 0)
            return false;
        first = FirstStepReaching(kLow > 0 ? uint64_t(kLow) : 0);
        if (first == kNever)
            return false;
        const uint64_t next = FirstStepReaching(uint64_t(kHigh) + 1);
        last = next == kNever ? major : next - 1;
        return first <= last;
    }
    // Smallest and largest x of the line's points on row y; false when the
    // line has none there. A row holds one point of a steep line and a run of
    // consecutive steps of a flat one.
    bool RunOnRow(int64_t y, int64_t& xMin, int64_t& xMax) const
    {
        if (!xMajor) {
            const int64_t i = (y - u1) * su;
            if (i < 0 || uint64_t(i) > major)
                return false;
            xMin = xMax = V(uint64_t(i));
            return true;
        }
        const int64_t k = (y - v1) * sv;
        if (k < 0 || uint64_t(k) > minor)
            return false;
        const uint64_t a = FirstStepReaching(uint64_t(k)), next = FirstStepReaching(uint64_t(k) + 1);
        const uint64_t b = next == kNever ? major : next - 1;
        xMin = std::min(U(a), U(b));
        xMax = std::max(U(a), U(b));
        return true;
    }
};

// Visits steps first .. last as visit(x, y), stepping the error term.
template <class Visit>
void WalkSteps(const LineSteps& s, uint64_t first, uint64_t last, Visit&& visit)
{
    int64_t u = s.U(first), v = s.V(first), e = s.ErrorAfter(first);
    const int64_t down = int64_t(s.minor), up = int64_t(s.major - s.minor);
    for (uint64_t i = first;; ++i) {
        if (s.xMajor)
            visit(u, v);
        else
            visit(v, u);
        if (i == last)
            break;
        if (e > 0) {
            e -= down;
        } else {
            v += s.sv;
            e += up;
        }
        u += s.su;
    }
}

}  // namespace graphics_detail
