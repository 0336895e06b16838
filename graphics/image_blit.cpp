// DrawImage: clip, normalise the flags, take a private copy of a source that
// shares memory with the target, then hand the blit to the fast-path table.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "graphics/image.h"
#include "graphics/image_blit.h"

namespace graphics_detail {
namespace {

constexpr uint32_t kSourceTests = 0x0F000000;
constexpr uint32_t kTargetTests = 0xF0000000;
constexpr uint32_t kBit31 = 0x80000000;
constexpr uint32_t kBit30 = 0x40000000;
constexpr PixelTest kNoTest = {0, 1};

bool HasFlagBits(const CGraphicsImage& image) { return image.m_nBitCount == 15 || image.m_nBitCount == 32; }

std::atomic<bool>& GeneralSwitch()
{
    static std::atomic<bool> on{[] {
        const char* v = std::getenv("LINDAR_BLIT_GENERAL");
        return v && *v && std::strcmp(v, "0") != 0;
    }()};
    return on;
}

bool ByteAligned(const BlitJob& job)
{
    const uint32_t bits = job.source->m_nBitCount;
    if (bits >= 8 && bits != 12)
        return true;
    const uint32_t perUnit = bits == 12 ? 2 : 8 / bits;  // pixels per whole byte (pair for 12 bits)
    return job.sx % perUnit == 0 && job.tx % perUnit == 0 && job.width % perUnit == 0;
}

}  // namespace

bool SharesMemory(const CGraphicsImage& a, const CGraphicsImage& b)
{
    const uintptr_t a0 = reinterpret_cast<uintptr_t>(a.m_pBits), b0 = reinterpret_cast<uintptr_t>(b.m_pBits);
    return a0 < b0 + b.m_nImageSize && b0 < a0 + a.m_nImageSize;
}

bool ClipBlit(const CGraphicsImage& source, const CGraphicsImage& target, int x, int y, BlitJob& job)
{
    const int64_t tx0 = std::max<int64_t>(x, 0), ty0 = std::max<int64_t>(y, 0);
    const int64_t tx1 = std::min<int64_t>(int64_t(x) + source.m_nWidth, target.m_nWidth);
    const int64_t ty1 = std::min<int64_t>(int64_t(y) + source.m_nHeight, target.m_nHeight);
    if (tx1 <= tx0 || ty1 <= ty0)
        return false;
    job.tx = int(tx0);
    job.ty = int(ty0);
    job.sx = int(tx0 - x);
    job.sy = int(ty0 - y);
    job.width = int(tx1 - tx0);
    job.height = int(ty1 - ty0);
    return true;
}

bool PrepareBlit(const CGraphicsImage& source, CGraphicsImage& target, int x, int y, BlitJob& job,
                 std::optional<CGraphicsImage>& copy)
{
    if (!ClipBlit(source, target, x, y, job))
        return false;
    job.source = &source;
    job.target = &target;
    if (SharesMemory(source, target)) {
        if (!copy.emplace().Assign(source))
            return false;
        job.source = &*copy;
    }
    return true;
}

uint32_t NormaliseBlitFlags(uint32_t flags, const CGraphicsImage& source, const CGraphicsImage& target)
{
    using I = CGraphicsImage;
    // Bit tests only where the depth has such bits; a 15-bit pixel has a bit
    // 31 (its flag bit) but no bit 30.
    if (!HasFlagBits(target))
        flags &= ~(I::BLIT_TARGET_BIT31 | I::BLIT_TARGET_NO_BIT31 | I::BLIT_TARGET_BIT30);
    if (!HasFlagBits(source))
        flags &= ~(I::BLIT_SOURCE_BIT31 | I::BLIT_SOURCE_NO_BIT31 | I::BLIT_SOURCE_BIT30);
    if (target.m_nBitCount == 15)
        flags &= ~I::BLIT_TARGET_BIT30;
    if (source.m_nBitCount == 15)
        flags &= ~I::BLIT_SOURCE_BIT30;
    // A key test masks the key to the bits the depth keeps and wins over the
    // other tests of its side.
    if (flags & I::BLIT_SOURCE_KEY)
        flags &= source.m_nSignificantBits | 0xF1000000;
    if (flags & I::BLIT_TARGET_KEY)
        flags &= target.m_nSignificantBits | 0x1F000000;
    // Of the remaining tests of one side the lowest wins.
    if (flags & I::BLIT_SOURCE_BIT31)
        flags &= ~(I::BLIT_SOURCE_NO_BIT31 | I::BLIT_SOURCE_BIT30);
    else if (flags & I::BLIT_SOURCE_NO_BIT31)
        flags &= ~I::BLIT_SOURCE_BIT30;
    if (flags & I::BLIT_TARGET_BIT31)
        flags &= ~(I::BLIT_TARGET_NO_BIT31 | I::BLIT_TARGET_BIT30);
    else if (flags & I::BLIT_TARGET_NO_BIT31)
        flags &= ~I::BLIT_TARGET_BIT30;
    // A key without a test means nothing.
    if (!(flags & (kSourceTests | kTargetTests)))
        flags = 0;
    return flags;
}

PixelTest SourceTestOf(uint32_t flags)
{
    if (flags & CGraphicsImage::BLIT_SOURCE_KEY)
        return {CGraphicsImage::BLIT_KEY_MASK, flags & CGraphicsImage::BLIT_KEY_MASK};
    if (flags & CGraphicsImage::BLIT_SOURCE_BIT31)
        return {kBit31, kBit31};
    if (flags & CGraphicsImage::BLIT_SOURCE_NO_BIT31)
        return {kBit31, 0};
    if (flags & CGraphicsImage::BLIT_SOURCE_BIT30)
        return {kBit30, kBit30};
    return kNoTest;
}

// The target key test skips target pixels equal to the key, in the general
// path and in every fast path alike.
PixelTest TargetTestOf(uint32_t flags)
{
    if (flags & CGraphicsImage::BLIT_TARGET_KEY)
        return {CGraphicsImage::BLIT_KEY_MASK, flags & CGraphicsImage::BLIT_KEY_MASK};
    if (flags & CGraphicsImage::BLIT_TARGET_BIT31)
        return {kBit31, kBit31};
    if (flags & CGraphicsImage::BLIT_TARGET_NO_BIT31)
        return {kBit31, 0};
    if (flags & CGraphicsImage::BLIT_TARGET_BIT30)
        return {kBit30, kBit30};
    return kNoTest;
}

void SetGeneralPathOnly(bool on) { GeneralSwitch().store(on, std::memory_order_relaxed); }
bool GeneralPathOnly() { return GeneralSwitch().load(std::memory_order_relaxed); }

}  // namespace graphics_detail

using namespace graphics_detail;

bool CGraphicsImage::DrawImage(const CGraphicsImage& source, int x, int y, uint32_t flags)
{
    if (!m_pBits || !source.m_pBits)
        return false;
    BlitJob job;
    std::optional<CGraphicsImage> copy;
    if (!PrepareBlit(source, *this, x, y, job, copy))
        return false;
    job.flags = NormaliseBlitFlags(flags, source, *this);
    job.sourceTest = SourceTestOf(job.flags);
    job.targetTest = TargetTestOf(job.flags);

    job.info = 0;
    if (source.m_nBitCount == m_nBitCount)
        job.info |= kSameDepth;
    job.info |= job.flags ? kTested : kNoTests;
    if ((job.flags & 0xFF000000) == BLIT_SOURCE_KEY)
        job.info |= kSourceKeyOnly;
    if (ByteAligned(job))
        job.info |= kByteAligned;

    RunBlit(job);
    return true;
}
