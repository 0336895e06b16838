// SmoothFrom: a 3 x 3 weighted average, centre T - 12, orthogonal
// neighbours 2, diagonal ones 1, the total T. A neighbour outside the source
// counts with the centre pixel's colour, so a one-colour image stays one
// colour up to its edges.
#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/image.h"
#include "graphics/image_convert_support.h"
#include "graphics/pixel_access.h"

using namespace graphics_detail;

namespace {

constexpr uint32_t kMinStrength = 11;
constexpr uint32_t kNeighbourWeight = 12;  // 4 × 2 + 4 × 1

struct Tap {
    int dx, dy;
    uint32_t weight;
};
constexpr Tap kNeighbours[] = {{-1, -1, 1}, {0, -1, 2}, {1, -1, 1}, {-1, 0, 2},
                               {1, 0, 2},   {-1, 1, 1}, {0, 1, 2},  {1, 1, 1}};

bool IsTrueColourDepth(uint32_t bits) { return bits == 12 || bits == 15 || bits == 16 || bits == 24 || bits == 32; }

}  // namespace

bool CGraphicsImage::SmoothFrom(const CGraphicsImage& sourceArg, uint32_t strength, uint32_t bits)
{
    const StableSource stable(sourceArg, *this);
    const CGraphicsImage* source = stable.get();
    // The pixel writer receives colours, which a palette depth cannot take.
    if (!source || !HasPicture(*source) || !IsTrueColourDepth(bits)) {
        Clear();
        return false;
    }
    if (!Create(bits, source->m_nWidth, source->m_nHeight, NO_FILL, OWN_MEMORY))
        return false;

    const uint32_t total = std::max(strength & 255, kMinStrength) + 1;
    const uint32_t centreWeight = total - kNeighbourWeight;
    const int w = int(m_nWidth), h = int(m_nHeight);
    // Colour words of the rows above, at and below the current one.
    std::vector<uint32_t> rows[3];
    auto load = [&](int y, std::vector<uint32_t>& into) {
        into.resize(size_t(w));
        if (y >= 0 && y < h)
            std::memcpy(into.data(), source->m_pfnRowTo32(source->RowAt(y), source), size_t(w) * 4);
    };
    load(-1, rows[0]);
    load(0, rows[1]);
    load(1, rows[2]);

    for (int y = 0; y < h; ++y) {
        uint8_t* to = RowAt(y);
        for (int x = 0; x < w; ++x) {
            const uint32_t centre = rows[1][size_t(x)];
            uint32_t sum[3];
            for (int c = 0; c < 3; ++c)
                sum[c] = centreWeight * ((centre >> (8 * c)) & 255);
            for (const Tap& t : kNeighbours) {
                const int nx = x + t.dx, ny = y + t.dy;
                const bool inside = nx >= 0 && nx < w && ny >= 0 && ny < h;
                const uint32_t v = inside ? rows[1 + t.dy][size_t(nx)] : centre;
                for (int c = 0; c < 3; ++c)
                    sum[c] += t.weight * ((v >> (8 * c)) & 255);
            }
            m_pfnSetPixel(to, x, ((sum[2] / total) << 16) | ((sum[1] / total) << 8) | (sum[0] / total));
        }
        std::swap(rows[0], rows[1]);
        std::swap(rows[1], rows[2]);
        load(y + 2, rows[2]);
    }
    return true;
}
