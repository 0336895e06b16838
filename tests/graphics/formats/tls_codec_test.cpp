// The TLS format, CTlsReader and CTlsWriter, against files built and parsed
// here independently (bitwise CRC, the format's layout arithmetic).
#include "graphics/formats/format_dispatch.h"
#include "graphics/formats/tls_reader.h"
#include "graphics/formats/tls_writer.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"
#include "tests/graphics/formats/codec_test_files.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace codec_test;

namespace {

uint16_t BitwiseCrc(const uint8_t* p, size_t n)
{
    uint16_t crc = 0;
    for (size_t i = 0; i < n; ++i)
        for (int b = 0, c = crc ^ p[i] << 8; b < 8; ++b)
            crc = uint16_t(c = c & 0x8000 ? (c << 1) ^ 0x1021 : c << 1);
    return crc;
}

uint32_t Le(const Bytes& b, size_t at, int n)
{
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = v << 8 | b[at + size_t(i)];
    return v;
}

// The layout of a file: offsets of each image's block, rows and record.
struct Parsed {
    uint32_t width = 0, height = 0, images = 0, stride = 0;
    bool crcOk = false;
    std::vector<size_t> blocks, rows, records;
};

bool Parse(Bytes f, Parsed* p)
{
    if (f.size() < 16 || std::memcmp(f.data(), "TLSP", 4) != 0)
        return false;
    p->width = Le(f, 4, 2), p->height = Le(f, 6, 2), p->images = f[9] + 1u;
    p->stride = (p->width * f[8] * 8 + 31) / 32 * 4;
    const size_t record = p->images > 1 ? 4 : 0, each = 64 + p->height * p->stride + record;
    for (size_t k = 0; k < p->images; ++k) {
        p->blocks.push_back(16 + k * each);
        p->rows.push_back(16 + k * each + 64);
        p->records.push_back(16 + (k + 1) * each - 4);
    }
    const uint32_t crc = Le(f, 10, 2);
    f[10] = f[11] = 0;
    p->crcOk = BitwiseCrc(f.data(), f.size()) == crc;
    return f.size() == 16 + p->images * each;
}

// A valid file of random content: tag bits anywhere, bits 28-30 of 32-bit
// pixels and the padding 0, records of duration 7k and next k + 1.
Bytes Build(uint32_t width, uint32_t height, uint32_t bpp, uint32_t images, uint64_t seed)
{
    lindar_test::Rng rng(seed);
    const uint32_t stride = (width * bpp * 8 + 31) / 32 * 4;
    Bytes f = {'T', 'L', 'S', 'P', uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8),
               uint8_t(bpp), uint8_t(images - 1), 0, 0, 0x78, 0x56, 0x34, 0x12};
    for (uint32_t k = 0; k < images; ++k) {
        for (uint32_t i = 0; i < 64 + height * stride; ++i) {
            const uint32_t x = (i - 64) % stride;
            f.push_back(i < 64 ? uint8_t(rng.Next()) : x >= width * bpp ? 0 : uint8_t(rng.Next() & (bpp == 4 && x % 4 == 3 ? 0x8F : 0xFF)));
        }
        if (images > 1)
            f.insert(f.end(), {uint8_t(k * 7), 0, uint8_t((k + 1) % images), 0});
    }
    const uint16_t crc = BitwiseCrc(f.data(), f.size());
    f[10] = uint8_t(crc), f[11] = uint8_t(crc >> 8);
    return f;
}

// Reads image `index` of the bytes through a file stream (whose buffer size
// bounds what can be looked at at once); "" or the exception text.
std::string ReadTls(CTlsReader& reader, const Bytes& f, CGraphicsImage& image, uint32_t index,
                    int32_t bufferSize = kFormatStreamBufferSize)
{
    WriteFile(TempFile("read.tlsp"), f);
    CBufferedStream stream(bufferSize);
    EXPECT_TRUE(stream.OpenA(TempFile("read.tlsp").c_str(), CBufferedStream::kModeRead, nullptr));
    try {
        reader.ReadIndex(stream, image, index);
    } catch (const EGraphicsException& e) {
        return e.text;
    }
    return "";
}

// The bytes `write` puts into a new file; a throw's text goes to `error`
// (a failure when no error is expected).
Bytes WriteTls(const std::function<void(CBufferedStream&)>& write, std::string* error = nullptr)
{
    {
        CBufferedStream stream(kFormatStreamBufferSize);
        EXPECT_TRUE(stream.OpenA(TempFile("write.tlsp").c_str(), CBufferedStream::kModeCreate, nullptr));
        try {
            write(stream);
        } catch (const EGraphicsException& e) {
            error ? void(*error = e.text) : void(ADD_FAILURE() << e.text);
        }
    }
    return ReadFile(TempFile("write.tlsp"));
}

CGraphicsImage Image(uint32_t bits, uint32_t width, uint32_t height, uint32_t fill)
{
    CGraphicsImage image;
    EXPECT_TRUE(image.Create(bits, width, height, fill));
    return image;
}

TEST(TlsFormat, CrcAndAttributePacking)
{
    EXPECT_EQ(TlsCrc16(0, "123456789", 9), 0x31C3);
    const Bytes data = Build(37, 5, 4, 2, 3);
    for (size_t n = 0; n < 40; ++n)  // every length, split anywhere
        for (size_t split = 0; split <= n; ++split)
            ASSERT_EQ(TlsCrc16(TlsCrc16(0, data.data(), split), data.data() + split, n - split), BitwiseCrc(data.data(), n));
    EXPECT_EQ(TlsCrc16(0, data.data(), data.size()), BitwiseCrc(data.data(), data.size()));

    struct Case {
        uint32_t entry, value, word, shift, readBack;
    } const cases[] = {{0, 5, 0, 0, 5}, {17, 6, 1, 3, 6}, {159, 7, 15, 27, 7}, {170, 7, 10, 30, 3}, {175, 2, 15, 30, 2}};
    for (const Case& c : cases) {
        TlsAttributeBlock block;
        TlsSetAttribute(block, c.entry, c.value);
        EXPECT_EQ(TlsGetAttribute(block, c.entry), c.readBack) << c.entry;
        for (uint32_t w = 0; w < 16; ++w)
            EXPECT_EQ(block.words[w], w == c.word ? c.readBack << c.shift : 0u) << c.entry;
    }
}

TEST(TlsReader, LayoutCarriersAndByteIdenticalRoundTrips)
{
    struct Case {
        uint32_t width, height, bpp, images;
        size_t length;  // 0: not checked
    } const cases[] = {{5, 2, 1, 1, 96}, {4, 4, 4, 3, 412}, {33, 9, 1, 4, 16 + 4 * (68 + 9 * 36)}, {15, 14, 4, 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bpp << " images " << c.images);
        const Bytes file = Build(c.width, c.height, c.bpp, c.images, c.width);
        Parsed p;
        ASSERT_TRUE(Parse(file, &p));
        EXPECT_TRUE(!c.length || file.size() == c.length);
        std::vector<CGraphicsImage> images(c.images);
        std::vector<uint32_t> durations(c.images), next(c.images);
        std::vector<uint8_t> nexts;
        CTlsReader reader;
        for (uint32_t k = 0; k < c.images; ++k) {
            ASSERT_EQ(ReadTls(reader, file, images[k], k), "");
            TlsAttributeBlock block;
            reader.GetAttributes(block.words);
            uint8_t raw[64];
            TlsPackBlock(block, raw);
            EXPECT_EQ(Bytes(raw, raw + 64), Bytes(&file[p.blocks[k]], &file[p.blocks[k]] + 64));
            reader.GetSequenceInfo(&durations[k], &next[k]);
            nexts.push_back(uint8_t(next[k]));
            EXPECT_EQ(reader.GetOptionWord(), 0x12345678u);
            const CGraphicsImage& im = images[k];
            if (c.bpp == 1) {  // the fixed palette: colour from bits 4-6, tags and attribute in the fourth byte
                const uint8_t first = file[p.rows[k]];
                EXPECT_EQ(ColourAt(im, 0, 0) & 0xFFFFFF,
                          (first & 0x40 ? 0xFF0000u : 0) | (first & 0x20 ? 0xFF00u : 0) | (first & 0x10 ? 0xFFu : 0));
                EXPECT_EQ(im.m_pPalette[0xF0].rgbReserved, 0x80);
                EXPECT_EQ(im.m_pPalette[17].rgbReserved, 0x01 | TlsGetAttribute(block, 17) << 4);
            } else if (c.width * c.height >= 198) {  // pixel 177 carries the signature 1
                EXPECT_EQ(ColourAt(im, 177 % int(c.width), 177 / int(c.width)) >> 28 & 7, 1u);
            }
        }
        // Written again with what the reader kept: the same bytes, except the
        // zero blocks of 32-bit images too small to carry theirs.
        CTlsWriter writer;
        writer.SetOptionWord(0x12345678);
        const Bytes again = WriteTls([&](CBufferedStream& s) {
            writer.WriteSequence(s, images.data(), c.images, nullptr, durations.data(), nexts.data());
        });
        Bytes expected = file;
        if (c.bpp == 4 && c.width * c.height < 198) {
            for (size_t b : p.blocks)
                std::fill(&expected[b], &expected[b] + 64, 0);
            ASSERT_TRUE(Parse(again, &p));
            EXPECT_TRUE(p.crcOk);
            expected[10] = again[10], expected[11] = again[11];
        }
        EXPECT_EQ(again, expected);
    }
}

TEST(TlsReader, FailuresSmallBuffersAndStaleRecord)
{
    const Bytes three = Build(20, 3, 4, 3, 9);
    Parsed p;
    ASSERT_TRUE(Parse(three, &p));
    const auto changed = [&](size_t at, uint8_t xorValue, size_t cut = 0) {
        Bytes f = three;
        f[at] ^= xorValue;
        f.resize(f.size() - cut);
        return f;
    };
    struct Case {
        const char* name;
        Bytes file;
        uint32_t index;
        std::string error;
        bool created;  // the image was made, image 0 read in full, before the failure
    } const cases[] = {
        {"index 3 of 3", three, 3, ETlsNotFound::kText, false},
        {"index 0xFFFFFFFF", three, 0xFFFFFFFF, ETlsNotFound::kText, false},
        {"magic", changed(3, 1), 0, ETlsNotATlsFile::kText, false},
        {"15 bytes", Bytes(three.begin(), three.begin() + 15), 0, ETlsFileReadError::kText, false},
        {"3 bytes per pixel", changed(8, 7), 0, ETlsCorruptFile::kText, false},
        {"width 0", changed(4, 20), 0, ETlsCorruptFile::kText, false},
        {"width 4116", changed(5, 0x10), 0, ETlsCorruptFile::kText, false},
        {"cut inside the last image", changed(0, 0, 5), 0, ETlsCorruptFile::kText, false},
        {"a byte of image 2", changed(p.rows[2] + 7, 1), 0, ETlsCrcError::kText, true},
        {"a record", changed(p.records[1], 1), 0, ETlsCrcError::kText, true},
        {"the CRC field", changed(11, 0x80), 0, ETlsCrcError::kText, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CGraphicsImage image = Image(8, 2, 2, 0);
        CTlsReader reader;
        EXPECT_EQ(ReadTls(reader, c.file, image, c.index), c.error);
        EXPECT_EQ(image.m_nWidth, c.created ? 20u : 2u);
        EXPECT_TRUE(!c.created || std::memcmp(image.RowAt(2), &c.file[p.rows[0] + 2 * p.stride], 80) == 0);
    }

    // Rows of 4 KiB through a 512-byte buffer: skipped images pass in pieces.
    CTlsReader reader;
    CGraphicsImage image;
    EXPECT_EQ(ReadTls(reader, Build(1024, 3, 4, 3, 5), image, 2, CBufferedStream::kMinBufferSize), "");
    uint32_t duration = 0, next = 1;
    // A one-image file has no record: the previous one is still reported.
    EXPECT_EQ(ReadTls(reader, Build(3, 3, 1, 1, 1), image, 0), "");
    reader.GetSequenceInfo(&duration, &next);
    EXPECT_EQ(duration, 14u);
    EXPECT_EQ(next, 0u);
}

TEST(TlsWriter, SequenceRecordsAndLastingSettings)
{
    std::vector<CGraphicsImage> images(3);
    for (CGraphicsImage& im : images)
        im = Image(8, 3, 2, 0x25);
    const uint32_t durations[] = {1, 70000, 3};
    const uint8_t nexts[] = {2, 0, 1};
    struct Case {
        const uint32_t* durations;
        const uint8_t* nexts;
        std::vector<uint32_t> expected;  // duration, next per image
    } const cases[] = {
        {nullptr, nullptr, {5000, 1, 5000, 2, 5000, 0}},
        {durations, nullptr, {1, 1, 65535, 2, 3, 0}},
        {nullptr, nexts, {5000, 2, 5000, 0, 5000, 1}},
        {durations, nexts, {1, 2, 65535, 0, 3, 1}},
    };
    for (const Case& c : cases) {
        CTlsWriter writer;
        const Bytes f = WriteTls([&](CBufferedStream& s) { writer.WriteSequence(s, images.data(), 3, nullptr, c.durations, c.nexts); });
        Parsed p;
        ASSERT_TRUE(Parse(f, &p));
        EXPECT_TRUE(p.crcOk);
        std::vector<uint32_t> got;
        for (size_t r : p.records)
            got.insert(got.end(), {Le(f, r, 2), f[r + 2]});
        EXPECT_EQ(got, c.expected);
    }

    // Settings last: a caller's block from a sequence goes with the next
    // single image too, until ResetOptions.
    CTlsWriter writer;
    TlsAttributeBlock blocks[2];
    TlsSetAttribute(blocks[1], 3, 5);
    WriteTls([&](CBufferedStream& s) { writer.WriteSequence(s, images.data(), 2, blocks, nullptr, nullptr); });
    const auto single = [&] { return WriteTls([&](CBufferedStream& s) { writer.Write(s, images[0]); }); };
    EXPECT_EQ(Le(single(), 16 + 12, 4), 5u);
    writer.ResetOptions();
    EXPECT_EQ(Le(single(), 16 + 12, 4), 0u);
    // A caller's next index that no single image can use does not fail one.
    writer.SetSequenceInfo(70000, 5);
    EXPECT_EQ(writer.m_record.duration, 65535);
    EXPECT_EQ(single().size(), 16 + 64 + 2 * 4u);
    std::string error;
    writer.SetSequenceInfo(70000, 2);
    WriteTls([&](CBufferedStream& s) { writer.WriteSequence(s, images.data(), 2, nullptr, nullptr, nullptr); }, &error);
    EXPECT_EQ(error, ETlsDataError::kText);
}

TEST(TlsWriter, RefusalsPlacementAndStreamEnd)
{
    CGraphicsImage a = Image(32, 4, 4, 0x11223344), b = Image(32, 4, 4, 0x55667788), wide = Image(32, 5, 4, 0),
                   none, big = Image(32, 4096, 4096, CGraphicsImage::NO_FILL), tooWide = Image(8, 4097, 1, 0);
    struct Case {
        const char* name;
        std::function<void(CTlsWriter&, CBufferedStream&)> write;
        bool wroteNothing = true;
    } const refused[] = {
        {"count 0", [&](CTlsWriter& w, CBufferedStream& s) { w.WriteImage(s, a, 0, 0); }},
        {"count 256", [&](CTlsWriter& w, CBufferedStream& s) { w.WriteImage(s, a, 0, 256); }},
        {"index 1 first", [&](CTlsWriter& w, CBufferedStream& s) { w.WriteImage(s, a, 1, 2); }},
        {"index skipped", [&](CTlsWriter& w, CBufferedStream& s) { w.WriteImage(s, a, 0, 3), w.WriteImage(s, b, 2, 3); }, false},
        {"count changed", [&](CTlsWriter& w, CBufferedStream& s) { w.WriteImage(s, a, 0, 3), w.WriteImage(s, b, 1, 2); }, false},
        {"size changed", [&](CTlsWriter& w, CBufferedStream& s) { w.WriteImage(s, a, 0, 2), w.WriteImage(s, wide, 1, 2); }, false},
        {"256 images", [&](CTlsWriter& w, CBufferedStream& s) { w.WriteSequence(s, &a, 256, nullptr, nullptr, nullptr); }},
        {"4097 wide", [&](CTlsWriter& w, CBufferedStream& s) { w.Write(s, tooWide); }},
        {"no pixels", [&](CTlsWriter& w, CBufferedStream& s) { w.Write(s, none); }},
        {"file too large", [&](CTlsWriter& w, CBufferedStream& s) { w.WriteImage(s, big, 0, 255); }},
    };
    for (const Case& c : refused) {
        std::string error;
        CTlsWriter writer;
        const Bytes f = WriteTls([&](CBufferedStream& s) { c.write(writer, s); }, &error);
        EXPECT_EQ(error, ETlsDataError::kText) << c.name;
        EXPECT_EQ(f.empty(), c.wroteNothing) << c.name;
    }
    CTlsWriter writer;
    EXPECT_EQ(WriteTls([&](CBufferedStream& s) { writer.Write(s, big); }).size(), 80 + 4096 * 4096 * 4u);

    // A sequence after 10 bytes of other data, image by image without seeking
    // back: placed from its own start, the stream left at its end.
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
    EXPECT_EQ(Le(f, 10 + p.rows[1], 4), 0x05667788u);  // bits 28-30 cleared
}

TEST(TlsWriter, PixelsConvertedWithoutTouchingTheSource)
{
    struct Case {
        uint32_t bits, setBits, colour, filePixel, fileBpp;
    } const cases[] = {
        {24, 8, 0x3F4040, 0x30, 1}, {24, 8, 0x400000, 0x40, 1}, {1, 0, 1, 0x70, 1}, {1, 0, 0, 0, 1},
        {24, 0, 0x123456, 0x123456, 4}, {32, 0, 0xFF123456, 0x8F123456, 4},
    };
    for (const Case& c : cases) {
        CGraphicsImage image = Image(c.bits, 20, 10, c.colour);
        CTlsWriter writer;
        writer.SetBitCount(c.setBits);
        const Bytes f = WriteTls([&](CBufferedStream& s) { writer.Write(s, image); });
        EXPECT_EQ(f[8], c.fileBpp) << c.colour;
        EXPECT_EQ(Le(f, 80, int(c.fileBpp)), c.filePixel) << c.colour;
        if (c.bits > 8) {  // no attributes: a zero block
            EXPECT_EQ(Bytes(f.begin() + 16, f.begin() + 80), Bytes(64, 0)) << c.colour;
        }
        EXPECT_EQ(image.m_pfnGetPixel(image.RowAt(0), 0), c.colour);
    }
}

TEST(TlsWriter, SaveSequenceOfNothingKeepsTheFileAndCancelling)
{
    const std::string path = TempFile("keep.tlsp");
    WriteFile(path, Bytes{1, 2, 3});
    CTlsWriter writer;
    CGraphicsImage image = Image(8, 2, 10, 0), back;
    for (uint32_t count : {0u, 256u})
        EXPECT_THROW(writer.SaveSequenceA(path.c_str(), &image, count, nullptr, nullptr, nullptr), ETlsDataError);
    writer.m_info.proc = [](void*, uintptr_t, int, int, int percent, unsigned char* cancel) { *cancel = percent >= 50; };
    EXPECT_THROW(writer.SaveA(path.c_str(), image), EGraphicsAbort);
    EXPECT_EQ(ReadFile(path), Bytes({1, 2, 3}));

    // Through the dispatcher.
    CGraphicsImage rgb = Image(24, 7, 5, 0x00FF00);
    ASSERT_EQ(SaveGraphicsFile(TempFile("d.tlsp").c_str(), rgb, nullptr), 0);
    ASSERT_EQ(LoadGraphicsFile(TempFile("d.tlsp").c_str(), back), 0);
    EXPECT_EQ(ColourAt(back, 6, 4) & 0xFFFFFF, 0x00FF00u);
    EXPECT_THROW(CTlsReader().LoadA(TempFile("missing.tlsp").c_str(), back), ETlsFileOpenError);
}

}  // namespace
