// 4-connected flood fills: a stack of seeds, each filled as far as its row
// reaches, the rows above and below seeded once per run of matching pixels.
#include <cstring>
#include <memory>
#include <new>

#include "graphics/image.h"
#include "graphics/pixel_access.h"

namespace {

// Stack entries: y in bits 17-31, x in bits 2-16, bit 0 scan the row above,
// bit 1 the row below. Dimensions are at most 32768, so 15 bits suffice.
constexpr uint32_t kScanAbove = 1, kScanBelow = 2;
constexpr int kXShift = 2, kYShift = 17;
constexpr uint32_t kCoordMask = 0x7FFF;
constexpr size_t kMinCapacity = 1024;

class SeedStack {
public:
    bool Init(uint32_t width)
    {
        m_width = width;
        m_capacity = std::max<size_t>(8 * size_t(width), kMinCapacity);
        m_entries.reset(new (std::nothrow) uint32_t[m_capacity]);
        return m_entries != nullptr;
    }
    bool Empty() const { return m_count == 0; }
    void Push(uint32_t x, uint32_t y, uint32_t height)
    {
        uint32_t bits = 0;
        if (y > 0)
            bits |= kScanAbove;
        if (y + 1 < height)
            bits |= kScanBelow;
        m_entries[m_count++] = (y << kYShift) | (x << kXShift) | bits;
    }
    uint32_t Pop() { return m_entries[--m_count]; }
    // One popped entry pushes at most width + 1 seeds (a run start at every
    // other pixel of two rows); keep that much room. False when out of memory.
    bool Reserve()
    {
        if (m_count + m_width + 1 < m_capacity)
            return true;
        const size_t grown = 2 * m_capacity;
        std::unique_ptr<uint32_t[]> bigger(new (std::nothrow) uint32_t[grown]);
        if (!bigger)
            return false;
        std::memcpy(bigger.get(), m_entries.get(), m_count * sizeof(uint32_t));
        m_entries = std::move(bigger);
        m_capacity = grown;
        return true;
    }

private:
    std::unique_ptr<uint32_t[]> m_entries;
    size_t m_count = 0, m_capacity = 0;
    uint32_t m_width = 0;
};

// The fill loop over a pixel policy with Match(row, x, y) and Plot(row, x, y);
// a pixel once plotted must no longer match.
template <class Pixels>
bool Fill(CGraphicsImage& image, int seedX, int seedY, Pixels& px)
{
    const uint32_t w = image.m_nWidth, h = image.m_nHeight;
    SeedStack stack;
    if (!stack.Init(w))
        return false;
    stack.Push(uint32_t(seedX), uint32_t(seedY), h);
    while (!stack.Empty()) {
        const uint32_t e = stack.Pop();
        const int x = int((e >> kXShift) & kCoordMask), y = int(e >> kYShift);
        uint8_t* row = image.RowAt(y);
        // A seed may have been filled since it was pushed (from its other
        // side); plotting it again would blend twice.
        if (!px.Match(row, x, y))
            continue;
        px.Plot(row, x, y);
        int right = x, left = x;
        while (right + 1 < int(w) && px.Match(row, right + 1, y))
            px.Plot(row, ++right, y);
        while (left > 0 && px.Match(row, left - 1, y))
            px.Plot(row, --left, y);
        for (int side = 0; side < 2; ++side) {
            if (!(e & (side ? kScanBelow : kScanAbove)))
                continue;
            const int ny = side ? y + 1 : y - 1;
            uint8_t* next = image.RowAt(ny);
            bool inRun = false;
            for (int nx = left; nx <= right; ++nx) {
                const bool m = px.Match(next, nx, ny);
                if (m && !inRun)
                    stack.Push(uint32_t(nx), uint32_t(ny), h);
                inRun = m;
            }
        }
        if (!stack.Reserve())
            return false;
    }
    return true;
}

// FloodFill: pixels equal to the seed's value become the colour.
struct ValuePixels {
    CGraphicsImage& image;
    uint32_t reference, colour;
    bool Match(const uint8_t* row, int x, int) const { return image.m_pfnGetPixel(row, x) == reference; }
    void Plot(uint8_t* row, int x, int) const { image.m_pfnSetPixel(row, x, colour); }
};

// The same on 32-bit pixels, read and written in place.
struct Value32Pixels {
    uint32_t reference, colour;
    bool Match(const uint8_t* row, int x, int) const { return graphics_detail::Load32(row + 4 * x) == reference; }
    void Plot(uint8_t* row, int x, int) const { graphics_detail::Store32(row + 4 * x, colour); }
};

// FloodFillEx: the caller's test and plot, with a visited bit per pixel so
// that a plot which leaves the pixel matching cannot loop forever.
struct TestPixels {
    CGraphicsImage& image;
    CGraphicsImage::FloodTestFn test;
    RowPlotFn plot;
    uint32_t reference, colour;
    uint8_t* visited;
    size_t Bit(int x, int y) const { return size_t(y) * image.m_nWidth + size_t(x); }
    bool Match(uint8_t* row, int x, int y) const
    {
        const size_t b = Bit(x, y);
        return !(visited[b >> 3] & (1u << (b & 7))) && test(&image, row, x, y) == reference;
    }
    void Plot(uint8_t* row, int x, int y) const
    {
        const size_t b = Bit(x, y);
        visited[b >> 3] |= uint8_t(1u << (b & 7));
        plot(&image, row, x, y, colour);
    }
};

bool Inside(const CGraphicsImage& image, int x, int y)
{
    return image.m_pBits && uint32_t(x) < image.m_nWidth && uint32_t(y) < image.m_nHeight;
}

}  // namespace

bool CGraphicsImage::FloodFill(int x, int y, uint32_t colour)
{
    if (!Inside(*this, x, y))
        return false;
    // The colour as the pixel reads back once written: at 12, 15 and 16 bits
    // a colour differing from the seed only in dropped bits would leave every
    // filled pixel matching, and the fill would never end.
    uint8_t scratch[8] = {};
    m_pfnSetPixel(scratch, 0, colour);
    colour = m_pfnGetPixel(scratch, 0);
    const uint32_t reference = m_pfnGetPixel(RowAt(y), x);
    if (colour == reference)
        return true;
    if (m_nBitCount == 32) {
        Value32Pixels px{reference, colour};
        return Fill(*this, x, y, px);
    }
    ValuePixels px{*this, reference, colour};
    return Fill(*this, x, y, px);
}

bool CGraphicsImage::FloodFillEx(int x, int y, uint32_t colour, RowPlotFn plot, FloodTestFn test,
                                 uint32_t reference)
{
    if (!Inside(*this, x, y) || !plot || !test)
        return false;
    colour &= m_nPixelMask;
    if (reference == FLOOD_SEED_REFERENCE)
        reference = test(this, RowAt(y), x, y);
    if (colour == reference)
        return true;
    const size_t bits = size_t(m_nWidth) * m_nHeight;
    std::unique_ptr<uint8_t[]> visited(new (std::nothrow) uint8_t[(bits + 7) / 8]());
    if (!visited)
        return false;
    TestPixels px{*this, test, plot, reference, colour, visited.get()};
    return Fill(*this, x, y, px);
}
