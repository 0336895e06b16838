// QuantizeFrom: median cut of a true-colour image into at most 256 colour
// boxes. The histogram holds one node per distinct colour; every box owns one
// run of the node array (the boxes partition the colour cube, so a box's
// colours are exactly the nodes inside its ranges), which lets a split count
// per channel value and partition in one pass over the box's own colours.
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "graphics/formats/graphics_exceptions.h"
#include "graphics/image.h"
#include "graphics/image_convert_support.h"

using graphics_detail::HasPicture;
using graphics_detail::StableSource;

namespace {

constexpr uint32_t kMaxBoxes = 256;
constexpr int kFirstSplitDepth = 7;  // 2^(7 + 1) boxes: the whole palette
constexpr int kChannels = 3;         // 0 blue, 1 green, 2 red
constexpr int kRed = 2;
constexpr int kMaxTries = 2;         // channel changes before a split gives up
constexpr uint32_t kFirstNodeCapacity = 1024;
constexpr uint32_t kPages = 65536;   // lookup pages, one per red and green pair
constexpr uint32_t kMaskWords = kMaxBoxes / 64;

struct HistogramNode {
    uint32_t count;
    uint8_t value[kChannels];  // blue, green, red
};

struct QuantBox {
    uint8_t min[kChannels];
    uint8_t max[kChannels];
    uint32_t colours;
    uint32_t pixels;
    uint32_t first;  // the box's run in the node array
    bool stuck;      // a split gave up on it
};

// m_pQuantHistogram. The pages find a colour's node while the histogram is
// built: page red << 8 | green holds node index + 1 per blue value.
struct QuantHistogram {
    HistogramNode* nodes;
    uint32_t colours;
    uint32_t capacity;
    uint32_t* pages[kPages];
};

void FreePages(QuantHistogram& h)
{
    for (uint32_t*& page : h.pages) {
        std::free(page);
        page = nullptr;
    }
}

// Node index of a colour (0x00RRGGBB), a new node when it is new.
uint32_t FindOrAdd(QuantHistogram& h, uint32_t colour)
{
    uint32_t*& page = h.pages[colour >> 8];
    if (!page && !(page = static_cast<uint32_t*>(std::calloc(256, sizeof(uint32_t)))))
        throw std::bad_alloc();
    uint32_t& slot = page[colour & 0xFF];
    if (slot)
        return slot - 1;
    if (h.colours == h.capacity) {
        const uint32_t capacity = h.capacity ? h.capacity * 2 : kFirstNodeCapacity;
        auto* nodes = static_cast<HistogramNode*>(std::realloc(h.nodes, size_t(capacity) * sizeof(HistogramNode)));
        if (!nodes)
            throw std::bad_alloc();
        h.nodes = nodes;
        h.capacity = capacity;
    }
    h.nodes[h.colours] = HistogramNode{0, {uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16)}};
    slot = ++h.colours;
    return slot - 1;
}

uint32_t Extent(const QuantBox& b, int c) { return uint32_t(b.max[c] - b.min[c]); }

uint64_t BoxScore(const QuantBox& b)
{
    uint64_t squares = 0;
    for (int c = 0; c < kChannels; ++c)
        squares += uint64_t(Extent(b, c)) * Extent(b, c);
    return uint64_t(b.colours) * squares;
}

// The lower part of a split: the values up to the first at which the pixels
// counted so far reach half the box's, one value less when that value would
// complete the box. kNoMedian when one value holds all the box's colours.
constexpr int kNoMedian = -1;
struct Median {
    int value;
    uint32_t colours;
    uint64_t pixels;
};

Median FindMedian(const HistogramNode* nodes, const QuantBox& b, int channel)
{
    uint64_t pixels[256] = {};
    uint32_t colours[256] = {};
    for (uint32_t i = 0; i < b.colours; ++i) {
        pixels[nodes[i].value[channel]] += nodes[i].count;
        ++colours[nodes[i].value[channel]];
    }
    Median low{kNoMedian, 0, 0};
    for (int v = b.min[channel]; v <= b.max[channel]; ++v) {
        if (colours[v] > b.colours)
            throw EGraphicsException("INTERNAL ERROR - Quantization area color count invalid");
        if (colours[v] == b.colours)
            return low;
        low.colours += colours[v];
        low.pixels += pixels[v];
        if (low.pixels >= b.pixels / 2) {
            if (low.pixels < b.pixels)
                return Median{v, low.colours, low.pixels};
            return Median{v - 1, low.colours - colours[v], low.pixels - pixels[v]};
        }
    }
    throw EGraphicsException("INTERNAL ERROR - Quantization uArea pixel count invalid");
}

int Percent(uint32_t row, uint32_t height) { return int(uint64_t(row) * 100 / height); }

// Guards a running quantization: unless kept, the image ends empty with
// every work buffer freed, whatever left the scope.
class QuantizeRun {
public:
    explicit QuantizeRun(CGraphicsImage& image) : m_image(image) {}
    ~QuantizeRun()
    {
        if (!m_kept)
            m_image.Clear();
    }
    void Keep() { m_kept = true; }

private:
    CGraphicsImage& m_image;
    bool m_kept = false;
};

}  // namespace

void CGraphicsImage::ReleaseQuantizer()
{
    if (auto* h = static_cast<QuantHistogram*>(m_pQuantHistogram)) {
        FreePages(*h);
        std::free(h->nodes);
        std::free(h);
    }
    std::free(m_pQuantBoxes);
    m_pQuantHistogram = nullptr;
    m_pQuantBoxes = nullptr;
    m_nQuantBoxCount = 0;
}

void CGraphicsImage::BuildHistogram(const CGraphicsImage& source)
{
    QuantHistogram& h = *static_cast<QuantHistogram*>(m_pQuantHistogram);
    uint32_t last = 0, lastNode = 0;
    bool haveLast = false;
    for (uint32_t y = 0; y < source.m_nHeight; ++y) {
        const uint8_t* row = source.m_pfnRowTo24(source.RowAt(int(y)), &source);
        for (uint32_t x = 0; x < source.m_nWidth; ++x, row += 3) {
            const uint32_t colour = uint32_t(row[0]) | (uint32_t(row[1]) << 8) | (uint32_t(row[2]) << 16);
            // Flat areas repeat one colour: skip the lookup for a run.
            if (!haveLast || colour != last) {
                lastNode = FindOrAdd(h, colour);
                last = colour;
                haveLast = true;
            }
            ++h.nodes[lastNode].count;
        }
        ReportProgress(Percent(y, source.m_nHeight), 1, 2);
    }
    ReportProgress(100, 1, 2);
    FreePages(h);  // only the building needs them
}

int CGraphicsImage::WidestChannel(uint32_t box) const
{
    const QuantBox& b = static_cast<const QuantBox*>(m_pQuantBoxes)[box];
    const uint32_t blue = Extent(b, 0), green = Extent(b, 1), red = Extent(b, 2);
    if (red >= green && red >= blue)
        return 2;
    return blue >= green && blue >= red ? 0 : 1;
}

bool CGraphicsImage::SplitBox(int depth, int tries, uint32_t box, int channel)
{
    QuantBox* boxes = static_cast<QuantBox*>(m_pQuantBoxes);
    QuantBox& b = boxes[box];
    HistogramNode* nodes = static_cast<QuantHistogram*>(m_pQuantHistogram)->nodes + b.first;
    if (b.colours <= 1 || m_nQuantBoxCount >= kMaxBoxes)
        return false;
    // A channel of one value, or one value holding every colour: the next
    // channel, until all three were tried.
    Median low = FindMedian(nodes, b, channel);
    while (low.value == kNoMedian) {
        if (++tries > kMaxTries)
            return false;
        channel = (channel + 1) % kChannels;
        low = FindMedian(nodes, b, channel);
    }

    std::partition(nodes, nodes + b.colours,
                   [&](const HistogramNode& n) { return n.value[channel] <= low.value; });
    const uint32_t added = m_nQuantBoxCount++;
    QuantBox& upper = boxes[added];
    upper = b;
    upper.min[channel] = uint8_t(low.value + 1);
    upper.colours = b.colours - low.colours;
    upper.pixels = b.pixels - uint32_t(low.pixels);
    upper.first = b.first + low.colours;
    b.max[channel] = uint8_t(low.value);
    b.colours = low.colours;
    b.pixels = uint32_t(low.pixels);

    if (depth > 0) {
        SplitBox(depth - 1, 0, added, WidestChannel(added));
        SplitBox(depth - 1, 0, box, WidestChannel(box));
    }
    return true;
}

void CGraphicsImage::SetBoxPalette()
{
    const QuantBox* boxes = static_cast<const QuantBox*>(m_pQuantBoxes);
    const HistogramNode* nodes = static_cast<const QuantHistogram*>(m_pQuantHistogram)->nodes;
    for (uint32_t i = 0; i < m_nQuantBoxCount; ++i) {
        const QuantBox& b = boxes[i];
        uint64_t sum[kChannels] = {0, 0, 0};
        for (uint32_t k = b.first; k < b.first + b.colours; ++k)
            for (int c = 0; c < kChannels; ++c)
                sum[c] += uint64_t(nodes[k].count) * nodes[k].value[c];
        const uint64_t n = b.pixels;
        SetPaletteRGB(i, uint8_t((sum[2] + n / 2) / n), uint8_t((sum[1] + n / 2) / n), uint8_t((sum[0] + n / 2) / n));
    }
}

void CGraphicsImage::MapPixelsToBoxes(const CGraphicsImage& source)
{
    // Per channel value, the set of boxes whose range holds it: the lowest
    // box in all three sets is the first box that holds a colour.
    std::vector<uint64_t> sets(size_t(kChannels) * 256 * kMaskWords, 0);
    const QuantBox* boxes = static_cast<const QuantBox*>(m_pQuantBoxes);
    for (uint32_t i = 0; i < m_nQuantBoxCount; ++i)
        for (int c = 0; c < kChannels; ++c)
            for (int v = boxes[i].min[c]; v <= boxes[i].max[c]; ++v)
                sets[(size_t(c) * 256 + size_t(v)) * kMaskWords + i / 64] |= uint64_t(1) << (i % 64);

    uint32_t last = 0, lastIndex = 0;
    bool haveLast = false;
    for (uint32_t y = 0; y < m_nHeight; ++y) {
        const uint8_t* from = source.m_pfnRowTo24(source.RowAt(int(y)), &source);
        uint8_t* to = RowAt(int(y));
        for (uint32_t x = 0; x < m_nWidth; ++x, from += 3) {
            const uint32_t colour = uint32_t(from[0]) | (uint32_t(from[1]) << 8) | (uint32_t(from[2]) << 16);
            if (!haveLast || colour != last) {
                const uint64_t* b = &sets[(0 * 256 + size_t(from[0])) * kMaskWords];
                const uint64_t* g = &sets[(1 * 256 + size_t(from[1])) * kMaskWords];
                const uint64_t* r = &sets[(2 * 256 + size_t(from[2])) * kMaskWords];
                uint32_t w = 0;
                uint64_t hit = 0;
                for (; w < kMaskWords && !(hit = b[w] & g[w] & r[w]); ++w) {
                }
                if (!hit)
                    throw EGraphicsException("INTERNAL ERROR - uPos not quantized");
                lastIndex = w * 64 + uint32_t(std::countr_zero(hit));
                last = colour;
                haveLast = true;
            }
            to[x] = uint8_t(lastIndex);
        }
        ReportProgress(Percent(y, m_nHeight), 2, 2);
    }
    ReportProgress(100, 2, 2);
}

bool CGraphicsImage::QuantizeFrom(const CGraphicsImage& sourceArg)
{
    const StableSource stable(sourceArg, *this);
    const CGraphicsImage* source = stable.get();
    if (!source || !HasPicture(*source)) {
        Create(0, 0, 0);
        return false;
    }
    if (source->m_nBitCount == 8)
        return Assign(*source);
    if (!source->m_bTrueColor) {
        // 1, 2 and 4 bits: the same indices and palette at 8 bits.
        if (!Create(8, source->m_nWidth, source->m_nHeight, NO_FILL, OWN_MEMORY))
            return false;
        std::memcpy(m_pPalette, source->m_pPalette, 256 * sizeof(RGBQUAD));
        return DrawImage(*source, 0, 0, 0);
    }

    m_pfnProgress = source->m_pfnProgress;
    m_pProgressContext = source->m_pProgressContext;
    if (!Create(8, source->m_nWidth, source->m_nHeight, NO_FILL, OWN_MEMORY))
        return false;
    QuantizeRun run(*this);
    m_pQuantHistogram = std::calloc(1, sizeof(QuantHistogram));
    m_pQuantBoxes = std::calloc(kMaxBoxes, sizeof(QuantBox));
    if (!m_pQuantHistogram || !m_pQuantBoxes)
        return false;
    try {
        BuildHistogram(*source);
    } catch (...) {
        return false;  // a cancel, or no memory for the nodes
    }

    QuantBox& all = static_cast<QuantBox*>(m_pQuantBoxes)[0];
    all = QuantBox{{0, 0, 0}, {255, 255, 255}, static_cast<QuantHistogram*>(m_pQuantHistogram)->colours,
                   m_nWidth * m_nHeight, 0, false};
    m_nQuantBoxCount = 1;
    SplitBox(kFirstSplitDepth, 0, 0, kRed);
    // Split the box of most colours times squared extents until the palette
    // is full or no box holds two colours; a box that cannot split drops out.
    QuantBox* boxes = static_cast<QuantBox*>(m_pQuantBoxes);
    while (m_nQuantBoxCount < kMaxBoxes) {
        uint32_t best = kMaxBoxes;
        uint64_t bestScore = 0;
        for (uint32_t i = 0; i < m_nQuantBoxCount; ++i) {
            if (boxes[i].colours < 2 || boxes[i].stuck)
                continue;
            const uint64_t score = BoxScore(boxes[i]);
            if (best == kMaxBoxes || score > bestScore) {
                best = i;
                bestScore = score;
            }
        }
        if (best == kMaxBoxes)
            break;
        if (!SplitBox(0, 0, best, WidestChannel(best)))
            boxes[best].stuck = true;
    }
    SetBoxPalette();

    try {
        MapPixelsToBoxes(*source);
    } catch (...) {
        return false;
    }
    ReleaseQuantizer();
    run.Keep();
    return true;
}
