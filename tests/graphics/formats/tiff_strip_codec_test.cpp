// The TIFF strip codecs and row conversions against their plain twins: the
// encoders' bytes as they were before they were made fast, one LZW strip
// decoded in rows of any width (string copies within a row against walks
// back through the table), blocks of any size under both decoders, and the
// vector row loops at every level against the plain loops.
#include "graphics/cpu_features.h"
#include "graphics/formats/read_cursor.h"
#include "graphics/formats/tiff_decode.h"
#include "graphics/formats/tiff_encode.h"
#include "graphics/formats/tiff_format.h"
#include "graphics/formats/tiff_rows.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"
#include "tests/graphics/blit_test_util.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using blit_test::VectorLevelScope;
using graphics_detail::VectorLevel;

constexpr VectorLevel kLevels[] = {VectorLevel::Avx2, VectorLevel::Ssse3, VectorLevel::Sse2, VectorLevel::None};

enum Kind { Noise, Map, Zeros };

// Noise fills the table (Clear codes); map-like runs make long strings;
// zeros with a rare one make the strings that repeat the previous one.
Bytes Sample(Kind kind, size_t n, uint64_t seed)
{
    lindar_test::Rng rng(seed);
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) {
        const uint32_t r = rng.Next();
        switch (kind) {
        case Noise: b[i] = uint8_t(r); break;
        case Map: b[i] = r % 16 == 0 ? uint8_t(r >> 8) : uint8_t(i / 37 % 5 * 40); break;
        case Zeros: b[i] = r % 97 == 0 ? 1 : 0; break;
        }
    }
    return b;
}

uint64_t Fnv(const Bytes& b)
{
    uint64_t h = 1469598103934665603ull;
    for (const uint8_t c : b)
        h = (h ^ c) * 1099511628211ull;
    return h;
}

// One strip of `rows` rows and what the encoders made of it before they
// were rewritten for speed: files stay byte for byte what they were.
struct PinnedStrip {
    Kind kind;
    int rowBytes, rows;
    uint64_t lzw;
    size_t lzwSize;
    uint64_t packBits;
    size_t packBitsSize;

    Bytes Data() const { return Sample(kind, size_t(rowBytes) * rows, uint64_t(kind * 100 + rows)); }
};

const PinnedStrip kPinned[] = {
    {Noise, 3000, 7, 0xcb4eba3d20264a3full, 28570, 0xdb9e1e541444bd3bull, 21214},
    {Map, 24000, 3, 0x69a11f0ad42a5ca3ull, 14387, 0x7e2b7046990a3091ull, 19534},
    {Zeros, 9000, 5, 0x2ad05f930cb76e9dull, 940, 0x541fea0a47888827ull, 2281},
    {Map, 5, 40, 0x5ddeeff925526472ull, 86, 0xda342f56c17f4206ull, 139},
    {Noise, 1, 3, 0xe1a5c995a5869952ull, 6, 0xa1999180362eae37ull, 6},
};

Bytes Encode(const PinnedStrip& p, bool lzw)
{
    const Bytes data = p.Data();
    CTiffStripBuffer out;
    CTiffLzwEncoder encoder;
    if (lzw)
        encoder.BeginStrip(out);
    for (int r = 0; r < p.rows; ++r) {
        const uint8_t* row = data.data() + size_t(r) * p.rowBytes;
        if (lzw)
            encoder.EncodeRow(row, p.rowBytes, out);
        else
            EncodePackBitsRow(row, p.rowBytes, out);
    }
    if (lzw)
        encoder.EndStrip(out);
    return Bytes(out.Data(), out.Data() + out.Size());
}

TEST(TiffStripCodecs, EncodersWriteThePinnedBytes)
{
    for (const PinnedStrip& p : kPinned) {
        const Bytes lzw = Encode(p, true), packBits = Encode(p, false);
        EXPECT_EQ(p.lzwSize, lzw.size()) << p.kind << " " << p.rowBytes;
        EXPECT_EQ(p.lzw, Fnv(lzw)) << p.kind << " " << p.rowBytes;
        EXPECT_EQ(p.packBitsSize, packBits.size()) << p.kind << " " << p.rowBytes;
        EXPECT_EQ(p.packBits, Fnv(packBits)) << p.kind << " " << p.rowBytes;
    }
}

// A strip read through a memory stream (one block) or a file stream with
// the smallest buffer (blocks of 512 bytes, so codes and runs cross them).
class StripReader {
public:
    StripReader(const Bytes& strip, bool smallBlocks) : m_stream(CBufferedStream::kMinBufferSize)
    {
        if (smallBlocks) {
            m_path = lindar_test::TempDir() + "/tiff_strip_codec.bin";
            std::FILE* f = std::fopen(m_path.c_str(), "wb");
            std::fwrite(strip.data(), 1, strip.size(), f);
            std::fclose(f);
            m_stream.OpenA(m_path.c_str(), CBufferedStream::kModeRead, nullptr);
        } else {
            m_stream.OpenMemory(strip.data(), int32_t(strip.size()), CBufferedStream::kModeRead, nullptr);
        }
    }

    // The strip's bytes decoded in rows of `width` (the last one shorter);
    // uncompressed rows with their red and blue exchanged.
    enum Codec { Lzw, PackBits, SwappedRgb };
    Bytes Decode(Codec codec, size_t total, int64_t width, bool mirror = false)
    {
        CReadCursor in(m_stream, ThrowTiffReadFailed, ThrowTiffBadEntry);
        in.SeekTo(0);
        CTiffStripSource source(in);
        source.Begin(in.Length(), mirror);
        CTiffLzwDecoder decoder;
        decoder.BeginStrip();
        Bytes out, row(size_t(width + kTiffRowSpare));
        for (size_t done = 0; done < total; done += size_t(width)) {
            const int64_t n = std::min<int64_t>(width, int64_t(total - done));
            switch (codec) {
            case Lzw: decoder.DecodeRow(source, row.data(), n); break;
            case PackBits: DecodePackBitsRow(source, row.data(), n); break;
            case SwappedRgb: source.Convert(row.data(), n, 3, CopySwapRedBlue24); break;
            }
            out.insert(out.end(), row.begin(), row.begin() + n);
        }
        return out;
    }

private:
    CBufferedStream m_stream;
    std::string m_path;
};

// Widths of one byte leave strings waiting for the next row and walk the
// table for strings of earlier rows; wide rows copy strings within the row;
// 4095 and 4097 bracket the longest string.
TEST(TiffStripCodecs, LzwRowsOfAnyWidthDecodeTheSameBytes)
{
    for (const PinnedStrip& p : kPinned) {
        const Bytes data = p.Data(), strip = Encode(p, true);
        for (const bool smallBlocks : {false, true}) {
            StripReader reader(strip, smallBlocks);
            for (const int64_t width : {int64_t(1), int64_t(2), int64_t(3), int64_t(7), int64_t(64), int64_t(1000),
                                        int64_t(4095), int64_t(4097), int64_t(data.size())})
                EXPECT_EQ(data, reader.Decode(StripReader::Lzw, data.size(), width))
                    << p.kind << " " << p.rowBytes << " width " << width << (smallBlocks ? " small blocks" : "");
        }
    }
}

TEST(TiffStripCodecs, PackBitsRowsAcrossBlocks)
{
    for (const PinnedStrip& p : kPinned) {
        const Bytes data = p.Data(), strip = Encode(p, false);
        for (const bool smallBlocks : {false, true})
            EXPECT_EQ(data, StripReader(strip, smallBlocks).Decode(StripReader::PackBits, data.size(), p.rowBytes))
                << p.kind << " " << p.rowBytes << (smallBlocks ? " small blocks" : "");
    }
}

// Uncompressed RGB rows go through the row converter in pieces of whole
// pixels; blocks of 512 bytes split pixels, which are made whole alone.
// Mirrored strips (only bilevel ones in files) take the copying path.
TEST(TiffStripCodecs, ConvertedRowsAcrossBlocks)
{
    const Bytes data = Sample(Noise, 3 * 1000, 7);
    Bytes swapped(data.size()), mirrored(data.size());
    CopySwapRedBlue24(data.data(), swapped.data(), int(data.size() / 3));
    for (size_t i = 0; i < data.size(); ++i) {
        uint8_t m = 0;
        for (int b = 0; b < 8; ++b)
            m = uint8_t(m | ((data[i] >> b) & 1) << (7 - b));
        mirrored[i] = m;
    }
    Bytes mirroredSwapped(data.size());
    CopySwapRedBlue24(mirrored.data(), mirroredSwapped.data(), int(data.size() / 3));
    for (const bool smallBlocks : {false, true})
        for (const int64_t width : {int64_t(3), int64_t(300), int64_t(3000)}) {
            StripReader reader(data, smallBlocks);
            EXPECT_EQ(swapped, reader.Decode(StripReader::SwappedRgb, data.size(), width)) << width;
            EXPECT_EQ(mirroredSwapped, reader.Decode(StripReader::SwappedRgb, data.size(), width, true)) << width;
        }
}

// The plain loops (no vector level) one after the other are the reference
// of the fused vector loops, at widths around their 15- and 16-byte windows.
TEST(TiffRows, PredictorLoopsAgreeAtEveryVectorLevel)
{
    lindar_test::Rng rng(35);
    for (const uint32_t samples : {3u, 4u})
        for (uint32_t width = 0; width <= 41; width += width < 24 ? 1 : 17) {
            const size_t n = size_t(width) * samples;
            const Bytes bgr = Sample(Noise, n, rng.Next());
            Bytes reference;
            for (const VectorLevel level : kLevels) {
                VectorLevelScope cap(level);
                Bytes predicted(n + 1, 0xEE), scratch(n), stored(n + 1, 0xEE);
                TiffPredictRgb(bgr.data(), scratch.data(), predicted.data(), width, samples);
                EXPECT_EQ(0xEE, predicted[n]) << "written past the row";
                Bytes row(predicted.begin(), predicted.end() - 1);
                TiffStorePredictedRgb(row.data(), stored.data(), width, samples);
                EXPECT_EQ(0xEE, stored[n]) << "written past the row";
                stored.pop_back();
                predicted.pop_back();
                EXPECT_EQ(bgr, stored) << "round trip, samples " << samples << " width " << width;
                if (level == VectorLevel::Avx2) {
                    reference = predicted;
                    continue;
                }
                EXPECT_EQ(reference, predicted) << "samples " << samples << " width " << width << " level "
                                                << int(level);
            }
            // The plain predictor on RGB bytes gives the same differences.
            Bytes rgb(n), plain(n);
            TiffSwapRedBlue(bgr.data(), rgb.data(), width, samples);
            TiffApplyPredictor(rgb.data(), plain.data(), int64_t(n), samples);
            EXPECT_EQ(plain, reference) << "samples " << samples << " width " << width;
        }
}

}  // namespace
