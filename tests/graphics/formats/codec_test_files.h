// PNG and JPEG files made at test time with libpng and libjpeg directly (no
// files in the tree), memory and file round trips through our classes, and
// pixel and result comparers. Shared by the codec, dispatcher and
// malformed-file tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class CGraphicsImage;
class CGraphicsReader;
class CGraphicsWriter;

namespace codec_test {

using Bytes = std::vector<uint8_t>;

// ------------------------------------------------------------------ PNG --

struct PngRgb {
    uint8_t red, green, blue;
};

struct PngSpec {
    uint32_t width = 1;
    uint32_t height = 1;
    int bitDepth = 8;
    int colorType = 0;  // PNG_COLOR_TYPE_*
    bool interlace = false;
    std::vector<PngRgb> palette;
    std::vector<uint8_t> alpha;  // palette tRNS (not written when empty)
    std::vector<std::pair<std::string, std::string>> texts;
    Bytes rows;  // height rows of PngRowBytes() bytes, PNG sample order
};

size_t PngChannels(int colorType);
size_t PngRowBytes(const PngSpec& spec);
// Random rows (palette indexes below the palette size).
void FillRandomRows(PngSpec& spec, uint64_t seed);
Bytes EncodePng(const PngSpec& spec);

// Byte offset of the first chunk of this type ("IDAT"...), or 0.
size_t FindPngChunk(const Bytes& png, const char* type);

// ----------------------------------------------------------------- JPEG --

enum class JpegKind { Grey, Colour, Cmyk };

struct JpegSpec {
    uint32_t width = 16;
    uint32_t height = 16;
    JpegKind kind = JpegKind::Colour;
    bool progressive = false;
    bool subsample = true;  // 4:2:0; false: 4:4:4
    int quality = 90;
    std::vector<Bytes> comments;
    Bytes samples;  // width * height * components, RGB / grey / CMYK
};

int JpegComponents(JpegKind kind);
// Smooth random samples (JPEG-friendly).
void FillSamples(JpegSpec& spec, uint64_t seed);
Bytes EncodeJpeg(const JpegSpec& spec);
// Pixels as 0xAARRGGBB in row order (see ColoursOf).
using Colours = std::vector<uint32_t>;
// Decodes with libjpeg's defaults, grey in all three channels, alpha 255;
// empty on error.
Colours DecodeJpegReference(const Bytes& jpeg);

// ------------------------------------------------------------- streams --

// Runs reader.Read on a memory stream over the bytes (and writes them into
// the folder LINDAR_FUZZ_SEEDS names, when it is set).
void ReadFromMemory(CGraphicsReader& reader, const Bytes& bytes, CGraphicsImage& image);
// Writes with writer.Write into a file in the test folder, returns its bytes.
Bytes WriteToBytes(CGraphicsWriter& writer, CGraphicsImage& image, const std::string& name);

std::string TempFile(const std::string& name);
void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);

// -------------------------------------------------------------- results --

// The text of the E that f throws; "<other exception>" or "<nothing thrown>"
// otherwise. (A fixed-text class fixes the code too.)
template <class E>
std::string ThrownText(const std::function<void()>& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.text;
    } catch (...) {
        return "<other exception>";
    }
    return "<nothing thrown>";
}

// A comment read or handed out: the expected text, or none for null.
void ExpectComment(const char* actual, const char* expected);

// --------------------------------------------------------------- pixels --

// The 0x00RRGGBB colour (with the fourth byte for 32-bit pixels and
// palette entries) of a pixel.
uint32_t ColourAt(const CGraphicsImage& image, int x, int y);
// The image's pixels; alpha is the fourth byte of 32-bit pixels when
// withAlpha, else 255.
Colours ColoursOf(const CGraphicsImage& image, bool withAlpha = true);
// Count of pixels that differ; -1 when the counts differ.
int64_t Differences(const Colours& a, const Colours& b);

// An image of the depth with random pixels (and palette for 1 to 8 bits).
void MakeRandomImage(CGraphicsImage& image, uint32_t bits, uint32_t width, uint32_t height, uint64_t seed);

}  // namespace codec_test
