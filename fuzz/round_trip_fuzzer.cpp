// libFuzzer target: decode any input, save the image in each format the
// library writes, decode that again and compare. Every format must read its
// own output at the same size; a lossless format must reach a fixed point:
// its second round trip gives the same pixels and palette as its first
// (a first one may convert the depth, as PNG's 16 to 24 bits).
#include "fuzz/fuzz_options.h"
#include "graphics/formats/format_dispatch.h"
#include "graphics/formats/format_registry.h"
#include "graphics/formats/xpm_reader.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

namespace {

// Larger images cost the fuzzer seconds per input in the encoders alone.
constexpr int64_t kMaxRoundTripPixels = int64_t(1) << 18;

// Writers write to streams over files only: one scratch file per process.
const std::string kScratch =
    (std::filesystem::temp_directory_path() / ("lindar-round-trip-" + std::to_string(std::random_device()()))).string();

// Writes and reads back through the format's own writer and reader. A
// writer may refuse a depth its format lacks (BMP has no 2 bits); then
// there is nothing to compare. A file the writer made that its reader
// refuses, or reads at another size, is a finding.
bool RoundTrip(const GraphicsFormat& format, CGraphicsImage& image, CGraphicsImage& out)
{
    std::unique_ptr<CGraphicsWriter> writer(format.newWriter());
    std::unique_ptr<CGraphicsReader> reader(format.newReader());
    CBufferedStream stream(kFormatStreamBufferSize);
    if (!stream.OpenA(kScratch.c_str(), CBufferedStream::kModeCreate, nullptr))
        return false;  // no scratch space: nothing to learn
    try {
        writer->Write(stream, image);
    } catch (const EGraphicsException&) {
        return false;
    }
    if (!stream.Close())
        return false;
    try {
        if (!stream.OpenA(kScratch.c_str(), CBufferedStream::kModeRead, nullptr))
            std::abort();
        reader->Read(stream, out);
    } catch (const EGraphicsException&) {
        std::abort();
    }
    if (out.m_nWidth != image.m_nWidth || out.m_nHeight != image.m_nHeight)
        std::abort();
    return true;
}

bool SamePixels(const CGraphicsImage& a, const CGraphicsImage& b)
{
    if (a.m_nBitCount != b.m_nBitCount || a.m_nWidth != b.m_nWidth || a.m_nHeight != b.m_nHeight)
        return false;
    const uint64_t bits = uint64_t(a.m_nWidth) * a.m_nBitCount;
    const size_t whole = size_t(bits / 8);
    const uint8_t lastMask = uint8_t(0xFF00 >> (bits % 8));
    for (uint32_t y = 0; y < a.m_nHeight; ++y) {
        const uint8_t* ra = a.RowAt(int(y));
        const uint8_t* rb = b.RowAt(int(y));
        if (std::memcmp(ra, rb, whole) != 0 || (bits % 8 && ((ra[whole] ^ rb[whole]) & lastMask)))
            return false;
    }
    return a.m_nPaletteSize == b.m_nPaletteSize &&
           (a.m_nPaletteSize == 0 || std::memcmp(a.m_pPalette, b.m_pPalette, a.m_nPaletteSize * sizeof(RGBQUAD)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > UINT32_MAX)
        return 0;
    CGraphicsImage image;
    if (LoadGraphicsFromMemory(data, uint32_t(size), image) != 0)
        return 0;
    lindar_fuzz::RequireWhole(image);
    if (int64_t(image.m_nWidth) * image.m_nHeight > kMaxRoundTripPixels)
        return 0;
    for (int id = 0; id < kFormatCount; ++id) {
        const GraphicsFormat* format = FindGraphicsFormat(FormatId(id));
        if (!format || !format->newWriter || !format->newReader)
            continue;
        // XPM's reader refuses sides above 8000 that its writer still writes.
        if (id == kFormatXpm && (image.m_nWidth > kXpmMaxSide || image.m_nHeight > kXpmMaxSide))
            continue;
        CGraphicsImage once, twice, thrice;
        if (!RoundTrip(*format, image, once) || id == kFormatJpeg)
            continue;  // refused, or lossy: the size is all that must hold
        if (!RoundTrip(*format, once, twice))
            std::abort();  // what the format wrote it must write again
        if (twice.m_nBitCount == once.m_nBitCount) {
            if (!SamePixels(once, twice))
                std::abort();
            continue;
        }
        // The second trip converted once more (a used transparent palette
        // entry read as 32 bits is written without alpha): the third must hold.
        if (!RoundTrip(*format, twice, thrice) || !SamePixels(twice, thrice))
            std::abort();
    }
    std::remove(kScratch.c_str());
    return 0;
}
