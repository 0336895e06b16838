// The averaging scaler. Target pixel (x, y) is the truncated average of the
// source area it covers, in 1/256 pixel: columns and rows at the ends of the
// area count with the part of them inside. The weights are products of a
// column weight and a row weight, so the sum is taken in two exact integer
// passes: each source row is reduced to the target's columns once, then the
// covered rows are added with their weights.
#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

#include "graphics/image_resize.h"
#include "graphics/pixel_access.h"

namespace graphics_detail {
namespace {

constexpr uint64_t kSubPixels = 256;
constexpr uint64_t kMaxChannel = 255;

// The source interval [a, b) one target pixel covers along one direction.
struct Cell {
    uint32_t first;  // first source pixel
    uint32_t count;  // source pixels touched
    uint32_t w0;     // weight of the first (all of the interval when count is 1)
    uint32_t wLast;  // weight of the last
    uint32_t total;  // b - a
};

// 64-bit bounds: d × S × 256 passes 2^32 for sizes of a few thousand.
std::vector<Cell> MakeCells(uint32_t sourceSize, uint32_t targetSize)
{
    std::vector<Cell> cells(targetSize);
    const uint64_t end = uint64_t(sourceSize) * kSubPixels;
    for (uint32_t d = 0; d < targetSize; ++d) {
        uint64_t a = d * end / targetSize, b = (d + 1) * end / targetSize;
        if (b - a < kSubPixels) {
            // At least one whole source pixel, kept inside the source.
            b = std::min(a + kSubPixels, end);
            a = b - kSubPixels;
        }
        const uint64_t first = a / kSubPixels, last = (b - 1) / kSubPixels;
        Cell& c = cells[d];
        c.first = uint32_t(first);
        c.count = uint32_t(last - first + 1);
        c.w0 = uint32_t(std::min(b, (first + 1) * kSubPixels) - a);
        c.wLast = uint32_t(b - std::max(a, last * kSubPixels));
        c.total = uint32_t(b - a);
    }
    return cells;
}

// One source row (B bytes per pixel) reduced to the target's columns: C
// weighted channel sums per column. A sum stays below 255 × 2^23.
template <int B, int C>
void ReduceRow(const uint8_t* row, const std::vector<Cell>& cellList, uint32_t* out)
{
    // Up to this many whole pixels inside a cell, 32-bit pixels are summed
    // two channels to a word (16-bit lanes, 255 × 257 < 65536).
    constexpr uint32_t kMaxLaneSum = 257;
    constexpr uint32_t kLanes = 0x00FF00FF;
    const Cell* cells = cellList.data();
    const size_t n = cellList.size();
    for (size_t x = 0; x < n; ++x, out += C) {
        const Cell cell = cells[x];
        const uint8_t* p = row + size_t(cell.first) * B;
        if (cell.count == 1) {
            for (int c = 0; c < C; ++c)
                out[c] = cell.w0 * p[c];
            continue;
        }
        uint32_t mid[4] = {};
        const uint8_t* q = p + B;
        const uint8_t* last = p + size_t(cell.count - 1) * B;
        if (B == 4 && cell.count - 2 <= kMaxLaneSum) {
            uint32_t even = 0, odd = 0;
            for (; q < last; q += B) {
                const uint32_t v = Load32(q);
                even += v & kLanes;
                odd += (v >> 8) & kLanes;
            }
            mid[0] = even & 0xFFFF;
            mid[1] = odd & 0xFFFF;
            mid[2] = even >> 16;
            mid[3] = odd >> 16;
        } else {
            for (; q < last; q += B)
                for (int c = 0; c < C; ++c)
                    mid[c] += q[c];
        }
        for (int c = 0; c < C; ++c)
            out[c] = cell.w0 * p[c] + uint32_t(kSubPixels) * mid[c] + cell.wLast * last[c];
    }
}

// Reduced rows, keeping the last one made: neighbouring target rows share
// the source row at their common border.
template <int B, int C>
class RowReducer {
public:
    RowReducer(const CGraphicsImage& source, bool via32, const std::vector<Cell>& columns)
        : m_source(source), m_via32(via32), m_columns(columns), m_kept(columns.size() * C),
          m_work(columns.size() * C)
    {
    }

    const uint32_t* Get(uint32_t sy, bool keep)
    {
        if (sy == m_keptRow)
            return m_kept.data();
        const uint8_t* row = m_source.RowAt(int(sy));
        row = m_via32 ? m_source.m_pfnRowTo32(row, &m_source) : m_source.m_pfnRowTo24(row, &m_source);
        ReduceRow<B, C>(row, m_columns, m_work.data());
        if (!keep)
            return m_work.data();
        m_kept.swap(m_work);
        m_keptRow = sy;
        return m_kept.data();
    }

private:
    const CGraphicsImage& m_source;
    bool m_via32;
    const std::vector<Cell>& m_columns;
    std::vector<uint32_t> m_kept, m_work;
    int64_t m_keptRow = -1;
};

// Division by a total d that the truncated averages need for every pixel,
// done as a multiply: with 2^shift > 255 d² and m = ceil(2^shift / d),
// (n m) >> shift = n / d for every n up to 255 d (the error n / 2^shift stays
// below 1 / d), and n m stays below 2^64 while d <= 2^24.
struct Divider {
    uint64_t m;
    int shift;
    explicit Divider(uint64_t d)
    {
        shift = 0;
        while ((uint64_t(1) << shift) <= kMaxChannel * d * d)
            ++shift;
        m = ((uint64_t(1) << shift) + d - 1) / d;
    }
    uint32_t operator()(uint32_t n) const { return uint32_t((n * m) >> shift); }
};

constexpr uint64_t kMaxMultiplyTotal = uint64_t(1) << 24;

// The distinct column widths (there are at most three: the two neighbours
// of S × 256 / T and one whole pixel) and each column's index among them.
struct WidthClasses {
    std::vector<uint32_t> widths;
    std::vector<uint8_t> of;
    explicit WidthClasses(const std::vector<Cell>& columns) : of(columns.size())
    {
        for (size_t x = 0; x < columns.size(); ++x) {
            size_t k = 0;
            while (k < widths.size() && widths[k] != columns[x].total)
                ++k;
            if (k == widths.size())
                widths.push_back(columns[x].total);
            of[x] = uint8_t(k);
        }
    }
};

template <int B, int C, typename Acc>
void Average(const CGraphicsImage& source, CGraphicsImage& target, uint8_t uniformFourth)
{
    constexpr bool kMultiply = std::is_same_v<Acc, uint32_t>;
    const std::vector<Cell> columns = MakeCells(source.m_nWidth, target.m_nWidth);
    const std::vector<Cell> rows = MakeCells(source.m_nHeight, target.m_nHeight);
    const WidthClasses classes(columns);
    RowReducer<B, C> reducer(source, B == 4, columns);
    const size_t tw = columns.size();
    std::vector<Acc> acc(tw * C);
    std::vector<Divider> dividers;
    const int outBytes = target.m_nBitCount == 32 ? 4 : 3;

    for (uint32_t y = 0; y < rows.size(); ++y) {
        const Cell& ry = rows[y];
        for (uint32_t i = 0; i < ry.count; ++i) {
            const Acc wy = i == 0 ? ry.w0 : i + 1 == ry.count ? ry.wLast : uint32_t(kSubPixels);
            const uint32_t* h = reducer.Get(ry.first + i, i + 1 == ry.count);
            if (i == 0)
                for (size_t k = 0; k < tw * C; ++k)
                    acc[k] = wy * h[k];
            else
                for (size_t k = 0; k < tw * C; ++k)
                    acc[k] += wy * h[k];
        }
        uint8_t* to = target.RowAt(int(y));
        // Locals: byte stores may alias the vectors' own fields.
        const Acc* sums = acc.data();
        const Cell* cells = columns.data();
        const uint8_t* classOf = classes.of.data();
        if constexpr (kMultiply) {
            dividers.clear();
            for (uint32_t width : classes.widths)
                dividers.emplace_back(uint64_t(width) * ry.total);
        }
        const Divider* divide = dividers.data();
        for (size_t x = 0; x < tw; ++x, to += outBytes, sums += C) {
            if constexpr (kMultiply) {
                const Divider d = divide[classOf[x]];
                for (int c = 0; c < C; ++c)
                    to[c] = uint8_t(d(sums[c]));
            } else {
                const Acc total = Acc(cells[x].total) * ry.total;
                for (int c = 0; c < C; ++c)
                    to[c] = uint8_t(sums[c] / total);
            }
            if (C == 3 && outBytes == 4)
                to[3] = uniformFourth;
        }
    }
}

template <int B, int C>
void AverageSized(const CGraphicsImage& source, CGraphicsImage& target, uint8_t uniformFourth)
{
    // Narrow sums and multiplies for division while the largest total
    // allows: every scale factor up to about 16 in both directions.
    const uint64_t maxX = (uint64_t(source.m_nWidth) * kSubPixels + target.m_nWidth - 1) / target.m_nWidth + 1;
    const uint64_t maxY = (uint64_t(source.m_nHeight) * kSubPixels + target.m_nHeight - 1) / target.m_nHeight + 1;
    if (std::max(maxX, kSubPixels) * std::max(maxY, kSubPixels) <= kMaxMultiplyTotal)
        Average<B, C, uint32_t>(source, target, uniformFourth);
    else
        Average<B, C, uint64_t>(source, target, uniformFourth);
}

}  // namespace

void ResizeSmooth(const CGraphicsImage& source, CGraphicsImage& target, bool averageFourth, uint8_t uniformFourth)
{
    if (target.m_nBitCount == 32 && averageFourth)
        AverageSized<4, 4>(source, target, 0);
    else if (source.m_nBitCount == 24)
        AverageSized<3, 3>(source, target, uniformFourth);
    else
        AverageSized<4, 3>(source, target, uniformFourth);
}

}  // namespace graphics_detail
