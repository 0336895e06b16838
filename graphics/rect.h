// Rectangle normalisation and clipping shared by the fills, blits and
// drawing operations. All arithmetic is 64-bit so that extreme coordinates
// and widths cannot overflow.
#pragma once

#include <algorithm>
#include <cstdint>

namespace graphics_detail {

// A non-empty rectangle inside an image: columns [x0, x1), rows [y0, y1).
struct Span {
    int x0, y0, x1, y1;
    int Width() const { return x1 - x0; }
    int Height() const { return y1 - y0; }
};

// A negative length spans the |length| pixels ending at pos: moves pos to
// the first of them and makes the length positive.
inline void NormaliseExtent(int64_t& pos, int64_t& length)
{
    if (length < 0) {
        pos += length + 1;
        length = -length;
    }
}

// A negative width spans the |width| pixels ending at x, a negative height
// the rows ending at y. False when nothing lies inside width × height.
inline bool ClipRect(int64_t x, int64_t y, int64_t w, int64_t h, uint32_t width, uint32_t height, Span& out)
{
    NormaliseExtent(x, w);
    NormaliseExtent(y, h);
    const int64_t x0 = std::max<int64_t>(x, 0), y0 = std::max<int64_t>(y, 0);
    const int64_t x1 = std::min<int64_t>(x + w, width), y1 = std::min<int64_t>(y + h, height);
    if (x1 <= x0 || y1 <= y0)
        return false;
    out = {int(x0), int(y0), int(x1), int(y1)};
    return true;
}

}  // namespace graphics_detail
