#include "platform/framework/work_area_fit.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

struct Span {
    LONG start, end;
};

// In 64 bits: a hostile rectangle's extent does not fit in a LONG.
Span FitSpan(Span span, Span area)
{
    const int64_t size = int64_t(span.end) - span.start;
    if (size < 0 || area.end <= area.start)
        return span;
    int64_t start = span.start;
    start = std::min(start, int64_t(area.end) - size);  // back from the far edge
    start = std::max(start, int64_t(area.start));       // the near edge wins
    const int64_t end = std::min(start + size, int64_t(std::numeric_limits<LONG>::max()));
    return Span{LONG(start), LONG(end)};
}

// The span's extent at most the area's (64 bits, as above).
Span CutSpan(Span span, Span area)
{
    const int64_t size = int64_t(span.end) - span.start, room = int64_t(area.end) - area.start;
    if (size < 0 || room <= 0 || size <= room)
        return span;
    return Span{span.start, LONG(span.start + room)};
}

// Each side on its own: the horizontal span, then the vertical one.
template <Span (*OnSpan)(Span, Span)>
RECT BySides(const RECT& rect, const RECT& area)
{
    const Span x = OnSpan({rect.left, rect.right}, {area.left, area.right});
    const Span y = OnSpan({rect.top, rect.bottom}, {area.top, area.bottom});
    return RECT{x.start, y.start, x.end, y.end};
}

}  // namespace

RECT FitRectInArea(const RECT& rect, const RECT& area) { return BySides<FitSpan>(rect, area); }

RECT CutRectToAreaSize(const RECT& rect, const RECT& area) { return BySides<CutSpan>(rect, area); }
