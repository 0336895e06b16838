// MoveRect: a rectangle moved inside its own image. Rows on whole bytes are
// moved in place in an order that reads every row before it is overwritten;
// other rectangles go through a cropped copy.
#include <algorithm>
#include <cstring>

#include "graphics/image.h"

namespace {

// Bits a pixel occupies in memory (a 15-bit pixel is a 16-bit word).
uint32_t StorageBits(uint32_t bits) { return bits == 15 ? 16 : bits; }

struct Move {
    int64_t sx, sy, tx, ty, w, h;
};

// Cuts the move to the part whose source and target both lie inside the
// image; a cut at the source's left or top moves the target with it.
bool ClipMove(Move& m, int64_t width, int64_t height)
{
    auto cutStart = [](int64_t& from, int64_t& to, int64_t& size) {
        const int64_t cut = std::max<int64_t>({0, -from, -to});
        from += cut;
        to += cut;
        size -= cut;
    };
    cutStart(m.sx, m.tx, m.w);
    cutStart(m.sy, m.ty, m.h);
    m.w = std::min({m.w, width - m.sx, width - m.tx});
    m.h = std::min({m.h, height - m.sy, height - m.ty});
    return m.w > 0 && m.h > 0;
}

}  // namespace

bool CGraphicsImage::MoveRect(int x, int y, int width, int height, int toX, int toY)
{
    Move m{x, y, toX, toY, width, height};
    if (m.w < 0) {
        m.sx += m.w;
        m.w = -m.w;
    }
    if (m.h < 0) {
        m.sy += m.h;
        m.h = -m.h;
    }
    if (m.w == 0 || m.h == 0)
        return false;
    if (m.sx == m.tx && m.sy == m.ty)
        return true;
    if (!m_pBits || !ClipMove(m, m_nWidth, m_nHeight))
        return false;

    const uint64_t bits = StorageBits(m_nBitCount);
    const bool wholeBytes = (uint64_t(m.sx) * bits) % 8 == 0 && (uint64_t(m.tx) * bits) % 8 == 0 &&
                            (uint64_t(m.w) * bits) % 8 == 0;
    if (!wholeBytes) {
        CGraphicsImage part;
        return part.CropFrom(*this, int(m.sx), int(m.sy), int(m.w), int(m.h)) &&
               DrawImage(part, int(m.tx), int(m.ty), 0);
    }

    const size_t bytes = size_t(uint64_t(m.w) * bits / 8);
    const size_t fromOffset = size_t(uint64_t(m.sx) * bits / 8), toOffset = size_t(uint64_t(m.tx) * bits / 8);
    if (m.w == int64_t(m_nWidth)) {
        // Whole rows lie back to back (bottom row first): one move.
        const int64_t lastFrom = m.sy + m.h - 1, lastTo = m.ty + m.h - 1;
        std::memmove(RowAt(int(lastTo)), RowAt(int(lastFrom)), size_t(m.h) * m_nStride);
        return true;
    }
    // Rows never overlap each other, only themselves: moving up reads each
    // source row before the rows above it are written, moving down the reverse.
    const bool up = m.ty <= m.sy;
    for (int64_t i = 0; i < m.h; ++i) {
        const int64_t r = up ? i : m.h - 1 - i;
        std::memmove(RowAt(int(m.ty + r)) + toOffset, RowAt(int(m.sy + r)) + fromOffset, bytes);
    }
    return true;
}
