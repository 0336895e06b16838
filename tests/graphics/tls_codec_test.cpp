// The TLS format, CTlsReader and CTlsWriter. Files are built and parsed here
// independently of the library (own bitwise CRC, own layout arithmetic).
#include "graphics/formats/format_dispatch.h"
#include "graphics/formats/tls_reader.h"
#include "graphics/formats/tls_writer.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"
#include "tests/graphics/codec_test_files.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using codec_test::Bytes;
using codec_test::ReadFile;
using codec_test::TempFile;

namespace {

uint16_t BitwiseCrc(const uint8_t* p, size_t n)
{
    uint16_t crc = 0;
    for (size_t i = 0; i < n; ++i) {
        crc ^= uint16_t(p[i] << 8);
        for (int b = 0; b < 8; ++b)
            crc = uint16_t(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

uint32_t Le(const Bytes& b, size_t at, int n)
{
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = v << 8 | b[at + size_t(i)];
    return v;
}

struct Parsed {
    uint32_t width = 0, height = 0, bpp = 0, images = 0, option = 0, stride = 0;
    bool crcOk = false;
    // Offset of each image's block, its first row, and its record (0: none).
    std::vector<size_t> blocks, rows, records;
};

// Layout by the format's arithmetic; false when the length does not match.
bool Parse(const Bytes& f, Parsed* p)
{
    if (f.size() < 16 || std::memcmp(f.data(), "TLSP", 4) != 0)
        return false;
    p->width = Le(f, 4, 2), p->height = Le(f, 6, 2), p->bpp = f[8], p->images = f[9] + 1u;
    p->option = Le(f, 12, 4);
    p->stride = (p->width * p->bpp * 8 + 31) / 32 * 4;
    const size_t record = p->images > 1 ? 4 : 0;
    const size_t each = 64 + size_t(p->height) * p->stride + record;
    if (f.size() != 16 + p->images * each)
        return false;
    for (size_t k = 0; k < p->images; ++k) {
        p->blocks.push_back(16 + k * each);
        p->rows.push_back(16 + k * each + 64);
        p->records.push_back(record ? 16 + (k + 1) * each - 4 : 0);
    }
    Bytes zeroed = f;
    zeroed[10] = zeroed[11] = 0;
    p->crcOk = BitwiseCrc(zeroed.data(), zeroed.size()) == Le(f, 10, 2);
    return true;
}

// A valid file of random content: tag bits anywhere, bits 28-30 of 32-bit
// pixels 0, padding 0, records with next k + 1.
Bytes Build(uint32_t width, uint32_t height, uint32_t bpp, uint32_t images, uint64_t seed)
{
    lindar_test::Rng rng(seed);
    const uint32_t stride = (width * bpp * 8 + 31) / 32 * 4;
    Bytes f = {'T', 'L', 'S', 'P', uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8),
               uint8_t(bpp), uint8_t(images - 1), 0, 0, 0x78, 0x56, 0x34, 0x12};
    for (uint32_t k = 0; k < images; ++k) {
        for (int i = 0; i < 64; ++i)
            f.push_back(uint8_t(rng.Next()));
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t i = 0; i < stride; ++i)
                f.push_back(i >= width * bpp ? 0 : bpp == 4 && i % 4 == 3 ? uint8_t(rng.Next() & 0x8F) : uint8_t(rng.Next()));
        if (images > 1)
            for (uint8_t b : {uint8_t(k * 7), uint8_t(0), uint8_t((k + 1) % images), uint8_t(0)})
                f.push_back(b);
    }
    const uint16_t crc = BitwiseCrc(f.data(), f.size());
    f[10] = uint8_t(crc), f[11] = uint8_t(crc >> 8);
    return f;
}

std::string ReadTls(CTlsReader& reader, const Bytes& f, CGraphicsImage& image, uint32_t index,
                    int32_t bufferSize = kFormatStreamBufferSize)
{
    // A file stream: its buffer size bounds what can be looked at at once.
    const std::string path = TempFile("read.tlsp");
    codec_test::WriteFile(path, f);
    CBufferedStream stream(bufferSize);
    EXPECT_TRUE(stream.OpenA(path.c_str(), CBufferedStream::kModeRead, nullptr));
    try {
        reader.ReadIndex(stream, image, index);
    } catch (const EGraphicsException& e) {
        return e.text;
    }
    return "";
}

// Runs `write` on a new file and returns its bytes, or the exception text in `error`.
Bytes WriteTls(const std::function<void(CBufferedStream&)>& write, std::string* error = nullptr)
{
    const std::string path = TempFile("write.tlsp");
    {
        CBufferedStream stream(kFormatStreamBufferSize);
        EXPECT_TRUE(stream.OpenA(path.c_str(), CBufferedStream::kModeCreate, nullptr));
        try {
            write(stream);
        } catch (const EGraphicsException& e) {
            if (error)
                *error = e.text;
            else
                ADD_FAILURE() << e.text;
        }
        stream.Close();
    }
    return ReadFile(path);
}

TEST(TlsFormat, CrcCheckValueAndPieces)
{
    EXPECT_EQ(TlsCrc16(0, "123456789", 9), 0x31C3);
    EXPECT_EQ(TlsCrc16(0x1234, "", 0), 0x1234);
    // Every length, split anywhere, against the bitwise CRC.
    const Bytes data = Build(37, 5, 4, 2, 3);
    for (size_t n = 0; n < 40; ++n)
        for (size_t split = 0; split <= n; ++split)
            ASSERT_EQ(TlsCrc16(TlsCrc16(0, data.data(), split), data.data() + split, n - split),
                      BitwiseCrc(data.data(), n)) << n << " " << split;
    EXPECT_EQ(TlsCrc16(0, data.data(), data.size()), BitwiseCrc(data.data(), data.size()));
}

TEST(TlsFormat, AttributePacking)
{
    struct Case {
        uint32_t entry, value, word, shift, readBack;
    };
    const Case cases[] = {{0, 5, 0, 0, 5}, {17, 6, 1, 3, 6}, {159, 7, 15, 27, 7}, {170, 7, 10, 30, 3}, {175, 2, 15, 30, 2}};
    for (const Case& c : cases) {
        TlsAttributeBlock block;
        TlsSetAttribute(block, c.entry, c.value);
        EXPECT_EQ(TlsGetAttribute(block, c.entry), c.readBack) << c.entry;
        for (uint32_t w = 0; w < 16; ++w)
            EXPECT_EQ(block.words[w], w == c.word ? c.readBack << c.shift : 0u) << c.entry;
    }
}

TEST(TlsReader, LayoutPaletteCarriersAndByteIdenticalRoundTrips)
{
    struct Case {
        uint32_t width, height, bpp, images;
        size_t length;
    };
    const Case cases[] = {{5, 2, 1, 1, 96}, {4, 4, 4, 3, 412}, {33, 9, 1, 4, 16 + 4 * (68 + 9 * 36)}, {15, 14, 4, 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " bpp " << c.bpp << " images " << c.images);
        const Bytes file = Build(c.width, c.height, c.bpp, c.images, c.width);
        Parsed p;
        ASSERT_TRUE(Parse(file, &p));
        if (c.length) {
            EXPECT_EQ(file.size(), c.length);
        }
        std::vector<CGraphicsImage> images(c.images);
        std::vector<TlsAttributeBlock> blocks(c.images);
        std::vector<uint32_t> durations(c.images);
        std::vector<uint8_t> nexts(c.images);
        CTlsReader reader;
        for (uint32_t k = 0; k < c.images; ++k) {
            ASSERT_EQ(ReadTls(reader, file, images[k], k), "");
            reader.GetAttributes(blocks[k].words);
            uint32_t next = 0;
            reader.GetSequenceInfo(&durations[k], &next);
            nexts[k] = uint8_t(next);
            EXPECT_EQ(Bytes(file.begin() + long(p.blocks[k]), file.begin() + long(p.blocks[k]) + 64),
                      [&] { uint8_t b[64]; TlsPackBlock(blocks[k], b); return Bytes(b, b + 64); }());
            EXPECT_EQ(reader.GetOptionWord(), 0x12345678u);
            const CGraphicsImage& im = images[k];
            if (c.bpp == 1) {
                // The fixed palette: colour from bits 4-6, tag bits and attribute in the fourth byte.
                EXPECT_EQ(codec_test::ColourAt(im, 0, 0) & 0xFFFFFF, (file[p.rows[k]] & 0x40 ? 0xFF0000u : 0) |
                                                                          (file[p.rows[k]] & 0x20 ? 0xFF00u : 0) |
                                                                          (file[p.rows[k]] & 0x10 ? 0xFFu : 0));
                EXPECT_EQ(im.m_pPalette[0xF0].rgbReserved, 0x80);
                EXPECT_EQ(im.m_pPalette[0x40].rgbRed, 255);
                EXPECT_EQ(im.m_pPalette[17].rgbReserved, 0x01 | TlsGetAttribute(blocks[k], 17) << 4);  // 0x10 is blue
            } else if (c.width * c.height >= 198) {
                // Pixel signature: pixel 177 carries 1 in bits 28-30.
                EXPECT_EQ(codec_test::ColourAt(im, 177 % int(c.width), 177 / int(c.width)) >> 28 & 7, 1u);
            }
        }
        // Written again with what the reader kept: the same bytes.
        const bool enough = c.bpp == 1 || c.width * c.height >= 198;
        CTlsWriter writer;
        writer.SetOptionWord(0x12345678);
        const Bytes again = WriteTls([&](CBufferedStream& s) {
            writer.WriteSequence(s, images.data(), c.images, nullptr, durations.data(), nexts.data());
        });
        if (enough) {
            EXPECT_EQ(again, file);
        } else {  // too few pixels to carry the block: zeros (and another CRC)
            ASSERT_EQ(again.size(), file.size());
            for (uint32_t k = 0; k < c.images; ++k) {
                const auto block = again.begin() + long(p.blocks[k]), rows = again.begin() + long(p.rows[k]);
                EXPECT_EQ(Bytes(block, block + 64), Bytes(64, 0));
                EXPECT_TRUE(std::equal(rows, rows + long(c.height * p.stride), file.begin() + long(p.rows[k])));
            }
        }
    }
}

TEST(TlsReader, Failures)
{
    const Bytes three = Build(20, 3, 4, 3, 9);
    Parsed p;
    ASSERT_TRUE(Parse(three, &p));
    const auto changed = [&](const std::function<void(Bytes&)>& change) {
        Bytes f = three;
        change(f);
        return f;
    };
    struct Case {
        const char* name;
        Bytes file;
        uint32_t index;
        std::string error;
        bool created;  // the image was made (and image 0 read) before the failure
    };
    const Case cases[] = {
        {"index 3 of 3", three, 3, ETlsNotFound::kText, false},
        {"index 0xFFFFFFFF", three, 0xFFFFFFFF, ETlsNotFound::kText, false},
        {"magic", changed([](Bytes& f) { f[3] = 'X'; }), 0, ETlsNotATlsFile::kText, false},
        {"15 bytes", Bytes(three.begin(), three.begin() + 15), 0, ETlsFileReadError::kText, false},
        {"3 bytes per pixel", changed([](Bytes& f) { f[8] = 3; }), 0, ETlsCorruptFile::kText, false},
        {"width 0", changed([](Bytes& f) { f[4] = f[5] = 0; }), 0, ETlsCorruptFile::kText, false},
        {"width 4097", changed([](Bytes& f) { f[4] = 1, f[5] = 0x10; }), 0, ETlsCorruptFile::kText, false},
        {"cut inside the last image", changed([](Bytes& f) { f.resize(f.size() - 5); }), 0, ETlsCorruptFile::kText,
         false},
        {"a byte of image 2 changed", changed([&](Bytes& f) { f[p.rows[2] + 7] ^= 1; }), 0, ETlsCrcError::kText, true},
        {"a record changed", changed([&](Bytes& f) { f[p.records[1]] ^= 1; }), 0, ETlsCrcError::kText, true},
        {"the CRC field changed", changed([](Bytes& f) { f[11] ^= 0x80; }), 0, ETlsCrcError::kText, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CGraphicsImage image;
        ASSERT_TRUE(image.Create(8, 2, 2, 0));
        CTlsReader reader;
        EXPECT_EQ(ReadTls(reader, c.file, image, c.index), c.error);
        EXPECT_EQ(image.m_nWidth, c.created ? 20u : 2u);
        if (c.created) {  // image 0 was read in full all the same
            EXPECT_EQ(std::memcmp(image.RowAt(2), &c.file[p.rows[0] + 2 * p.stride], 80), 0);
        }
    }
}

TEST(TlsReader, SmallBufferStreamAndStaleRecord)
{
    // Rows of 4 KiB through a 512-byte buffer: skipped images pass in pieces.
    const Bytes big = Build(1024, 3, 4, 3, 5);
    CTlsReader reader;
    CGraphicsImage image;
    EXPECT_EQ(ReadTls(reader, big, image, 2, CBufferedStream::kMinBufferSize), "");
    uint32_t duration = 0, next = 0;
    reader.GetSequenceInfo(&duration, &next);
    EXPECT_EQ(duration, 14u);
    EXPECT_EQ(next, 0u);
    // A one-image file has no record: the previous one is still reported.
    EXPECT_EQ(ReadTls(reader, Build(3, 3, 1, 1, 1), image, 0), "");
    reader.GetSequenceInfo(&duration, &next);
    EXPECT_EQ(duration, 14u);
}

CGraphicsImage Image(uint32_t bits, uint32_t width, uint32_t height, uint32_t fill)
{
    CGraphicsImage image;
    EXPECT_TRUE(image.Create(bits, width, height, fill));
    return image;
}

TEST(TlsWriter, SequenceRecordsAndSettings)
{
    std::vector<CGraphicsImage> images(3);
    for (CGraphicsImage& im : images)
        im = Image(8, 3, 2, 0x25);
    const uint32_t durations[] = {1, 70000, 3};
    const uint8_t nexts[] = {2, 0, 1};
    struct Case {
        const char* name;
        const uint32_t* durations;
        const uint8_t* nexts;
        std::vector<uint32_t> expected;  // duration, next per image
    };
    const Case cases[] = {
        {"defaults", nullptr, nullptr, {5000, 1, 5000, 2, 5000, 0}},
        {"durations only", durations, nullptr, {1, 1, 65535, 2, 3, 0}},
        {"nexts only", nullptr, nexts, {5000, 2, 5000, 0, 5000, 1}},
        {"both", durations, nexts, {1, 2, 65535, 0, 3, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTlsWriter writer;
        const Bytes f = WriteTls([&](CBufferedStream& s) {
            writer.WriteSequence(s, images.data(), 3, nullptr, c.durations, c.nexts);
        });
        Parsed p;
        ASSERT_TRUE(Parse(f, &p));
        EXPECT_TRUE(p.crcOk);
        std::vector<uint32_t> got;
        for (size_t r : p.records)
            got.insert(got.end(), {Le(f, r, 2), f[r + 2]});
        EXPECT_EQ(got, c.expected);
    }

    // Settings stay: a caller's block from a sequence is written with the next
    // single image too, until ResetOptions.
    CTlsWriter writer;
    TlsAttributeBlock blocks[2];
    TlsSetAttribute(blocks[1], 3, 5);
    WriteTls([&](CBufferedStream& s) { writer.WriteSequence(s, images.data(), 2, blocks, nullptr, nullptr); });
    EXPECT_EQ(Le(WriteTls([&](CBufferedStream& s) { writer.Write(s, images[0]); }), 16 + 12, 4), 5u);
    writer.ResetOptions();
    EXPECT_EQ(Le(WriteTls([&](CBufferedStream& s) { writer.Write(s, images[0]); }), 16 + 12, 4), 0u);

    // A stale caller's next index does not fail a single image (no record).
    writer.SetSequenceInfo(70000, 5);
    EXPECT_EQ(writer.m_record.duration, 65535);
    EXPECT_EQ(WriteTls([&](CBufferedStream& s) { writer.Write(s, images[0]); }).size(), 16 + 64 + 2 * 4u);
    // ... but does fail a sequence it does not fit.
    std::string error;
    writer.SetSequenceInfo(70000, 2);
    WriteTls([&](CBufferedStream& s) { writer.WriteSequence(s, images.data(), 2, nullptr, nullptr, nullptr); },
             &error);
    EXPECT_EQ(error, ETlsDataError::kText);
}

TEST(TlsWriter, IndexChecksPlacementAndStreamEnd)
{
    CGraphicsImage a = Image(32, 4, 4, 0x11223344), b = Image(32, 4, 4, 0x55667788), wide = Image(32, 5, 4, 0);
    struct Case {
        const char* name;
        std::function<void(CTlsWriter&, CBufferedStream&)> write;
    };
    const Case refused[] = {
        {"count 0", [&](CTlsWriter& w, CBufferedStream& s) { w.WriteImage(s, a, 0, 0); }},
        {"count 256", [&](CTlsWriter& w, CBufferedStream& s) { w.WriteImage(s, a, 0, 256); }},
        {"index 1 first", [&](CTlsWriter& w, CBufferedStream& s) { w.WriteImage(s, a, 1, 2); }},
        {"index skipped", [&](CTlsWriter& w, CBufferedStream& s) { w.WriteImage(s, a, 0, 3), w.WriteImage(s, b, 2, 3); }},
        {"count changed", [&](CTlsWriter& w, CBufferedStream& s) { w.WriteImage(s, a, 0, 3), w.WriteImage(s, b, 1, 2); }},
        {"size changed", [&](CTlsWriter& w, CBufferedStream& s) { w.WriteImage(s, a, 0, 2), w.WriteImage(s, wide, 1, 2); }},
        {"256 images", [&](CTlsWriter& w, CBufferedStream& s) { w.WriteSequence(s, &a, 256, nullptr, nullptr, nullptr); }},
        {"4097 wide", [&](CTlsWriter& w, CBufferedStream& s) { CGraphicsImage i = Image(8, 4097, 1, 0); w.Write(s, i); }},
        {"no pixels", [&](CTlsWriter& w, CBufferedStream& s) { CGraphicsImage none; w.Write(s, none); }},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.name);
        std::string error;
        CTlsWriter writer;
        WriteTls([&](CBufferedStream& s) { c.write(writer, s); }, &error);
        EXPECT_EQ(error, ETlsDataError::kText);
    }
    {
        // 255 images of 4096 x 4096 x 32 bits: far beyond the file limit.
        CTlsWriter writer;
        CGraphicsImage big = Image(32, 4096, 4096, CGraphicsImage::NO_FILL);
        std::string error;
        const Bytes f = WriteTls([&](CBufferedStream& s) { writer.WriteImage(s, big, 0, 255); }, &error);
        EXPECT_EQ(error, ETlsDataError::kText);
        EXPECT_TRUE(f.empty());
        // One such image is accepted.
        EXPECT_EQ(WriteTls([&](CBufferedStream& s) { writer.Write(s, big); }).size(), 80 + 4096 * 4096 * 4u);
    }

    // A sequence after 10 bytes of other data, written image by image without
    // seeking back: placed from its own start, the stream left at its end.
    CTlsWriter writer;
    int64_t end = 0;
    const Bytes f = WriteTls([&](CBufferedStream& s) {
        s.Write("0123456789", 10);
        writer.WriteImage(s, a, 0, 2);
        writer.WriteImage(s, b, 1, 2);
        end = s.Tell();
    });
    ASSERT_EQ(end, int64_t(f.size()));
    Parsed p;
    ASSERT_TRUE(Parse(Bytes(f.begin() + 10, f.end()), &p));
    EXPECT_TRUE(p.crcOk);
    EXPECT_EQ(p.images, 2u);
    EXPECT_EQ(Le(f, 10 + p.rows[1], 4), 0x05667788u);  // bits 28-30 cleared
}

TEST(TlsWriter, PixelConversionLeavesTheSourceAlone)
{
    struct Case {
        uint32_t bits, setBits, colour;
        uint8_t filePixel;  // first byte of the first row (8-bit output)
    };
    const Case cases[] = {
        {24, 8, 0x3F4040, 0x30}, {24, 8, 0x400000, 0x40}, {1, 0, 1, 0x70}, {1, 0, 0, 0x00},
    };
    for (const Case& c : cases) {
        CGraphicsImage image = Image(c.bits, 3, 1, c.colour);
        CTlsWriter writer;
        writer.SetBitCount(c.setBits);
        const Bytes f = WriteTls([&](CBufferedStream& s) { writer.Write(s, image); });
        ASSERT_EQ(f.size(), 16 + 64 + 4u) << c.colour;
        EXPECT_EQ(f[8], 1) << c.colour;
        EXPECT_EQ(f[80], c.filePixel) << c.colour;
    }
    // 24 bits default to 32-bit pixels and a zero block.
    CGraphicsImage rgb = Image(24, 3, 1, 0x123456);
    CTlsWriter writer;
    const Bytes f = WriteTls([&](CBufferedStream& s) { writer.Write(s, rgb); });
    EXPECT_EQ(f[8], 4);
    EXPECT_EQ(Le(f, 80, 4), 0x123456u);
    // A 32-bit image with bits 28-30 set is written cleared and stays as it was.
    CGraphicsImage argb = Image(32, 20, 10, 0xFF123456);
    const Bytes g = WriteTls([&](CBufferedStream& s) { writer.Write(s, argb); });
    EXPECT_EQ(Le(g, 80, 4), 0x8F123456u);
    EXPECT_EQ(Bytes(g.begin() + 16, g.begin() + 80), Bytes(64, 0));  // no pixel signature
    EXPECT_EQ(codec_test::ColourAt(argb, 0, 0), 0xFF123456u);
}

TEST(TlsWriter, SaveSequenceCountZeroKeepsTheFileAndProgressCancels)
{
    const std::string path = TempFile("keep.tlsp");
    codec_test::WriteFile(path, Bytes{1, 2, 3});
    CTlsWriter writer;
    CGraphicsImage image = Image(8, 2, 2, 0);
    for (uint32_t count : {0u, 256u}) {
        try {
            writer.SaveSequenceA(path.c_str(), &image, count, nullptr, nullptr, nullptr);
            ADD_FAILURE() << count;
        } catch (const EGraphicsException& e) {
            EXPECT_EQ(std::string(e.text), ETlsDataError::kText);
        }
        EXPECT_EQ(ReadFile(path), Bytes({1, 2, 3}));
    }

    writer.m_info.proc = [](void*, uintptr_t, int, int, int percent, unsigned char* cancel) { *cancel = percent >= 50; };
    CGraphicsImage tall = Image(8, 2, 10, 0);
    try {
        writer.SaveA(path.c_str(), tall);
        ADD_FAILURE();
    } catch (const EGraphicsAbort& e) {
        EXPECT_EQ(e.code, 1);
    }
    EXPECT_EQ(ReadFile(path), Bytes({1, 2, 3}));

    // Through the dispatcher.
    CGraphicsImage rgb = Image(24, 7, 5, 0x00FF00), back;
    ASSERT_EQ(SaveGraphicsFile(TempFile("d.tlsp").c_str(), rgb, nullptr), 0);
    ASSERT_EQ(LoadGraphicsFile(TempFile("d.tlsp").c_str(), back), 0);
    EXPECT_EQ(codec_test::ColourAt(back, 6, 4) & 0xFFFFFF, 0x00FF00u);
    CTlsReader reader;
    EXPECT_THROW(reader.LoadA(TempFile("missing.tlsp").c_str(), back), ETlsFileOpenError);
}

}  // namespace
