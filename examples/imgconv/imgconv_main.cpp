// imgconv IN OUT [--comment TEXT]
//   Loads IN by its content, saves OUT in the format its extension names and
//   prints format, size, depth and comment. Exit 0 on success, else the
//   dispatcher's result as a positive number, its message on stderr. The
//   comment written is TEXT, else the one IN had.
// imgconv --help
//   Prints the usage, the formats and the exit statuses.
// imgconv
//   Saves a built-in sample image in every format the library writes, reads
//   each file back and prints a table: format, bytes, size, depth, and
//   whether the pixels came back equal.
#include "examples/imgconv/imgconv_sample.h"
#include "examples/imgconv/imgconv_usage.h"
#include "graphics/formats/format_classify.h"
#include "graphics/formats/format_dispatch.h"
#include "graphics/formats/format_registry.h"
#include "graphics/image.h"
#include "text/text_services.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

// Messages and comments are code page 1252; a Linux terminal wants UTF-8.
std::string Display(const char* text)
{
#ifdef _WIN32
    return text ? text : "";
#else
    static const char16_t kHigh[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
    };
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text ? text : ""); *p; ++p) {
        const uint32_t c = *p < 0x80 ? *p : *p < 0xA0 ? kHigh[*p - 0x80] : *p;
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | c >> 6);
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xE0 | c >> 12);
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
#endif
}

// A comment from the command line as an 8-bit text: Linux passes UTF-8.
std::string FromCommandLine(const char* text)
{
#ifdef _WIN32
    return text;
#else
    const int length = int(std::strlen(text));
    std::basic_string<WCHAR> wide(size_t(length) + 1, 0);
    const int units = StrUtf8ToWide(wide.data(), text, length + 1, length);
    std::string narrow(size_t(units) + 1, '\0');
    narrow.resize(size_t(StrWideToByte(narrow.data(), wide.data(), units + 1, units)));
    return narrow;
#endif
}

const char* FormatName(FormatId id)
{
    const GraphicsFormat* format = FindGraphicsFormat(id);
    return format ? format->name : "?";
}

// The format the loader picks for a file, by its first bytes.
FormatId FormatOfFile(const char* path)
{
    uint8_t header[kGraphicsHeaderSize] = {};
    if (std::FILE* file = std::fopen(path, "rb")) {
        const size_t got = std::fread(header, 1, sizeof header, file);
        (void)got;  // a short file is classified zero-padded
        std::fclose(file);
    }
    return ClassifyGraphicsHeader(header, HeaderSource::File);
}

const char* FirstExtension(FormatId id)
{
    const GraphicsFormat* format = FindGraphicsFormat(id);
    return format ? format->extensions[0] : nullptr;
}

// Mean difference of the colour channels of two images of one size.
double MeanDifference(const CGraphicsImage& a, const CGraphicsImage& b)
{
    uint64_t sum = 0;
    for (int y = 0; y < int(a.m_nHeight); ++y) {
        // The row functions share the image's spare row: copy one side out.
        const uint8_t* ra = a.m_pfnRowTo24(a.RowAt(y), &a);
        const std::string rowA(reinterpret_cast<const char*>(ra), size_t(a.m_nWidth) * 3);
        const uint8_t* rb = b.m_pfnRowTo24(b.RowAt(y), &b);
        for (size_t i = 0; i < rowA.size(); ++i)
            sum += uint64_t(std::abs(int(uint8_t(rowA[i])) - int(rb[i])));
    }
    return double(sum) / (double(a.m_nWidth) * a.m_nHeight * 3);
}

int Convert(const char* in, const char* out, const char* commentText)
{
    CGraphicsImage image;
    char* comment = nullptr;
    const int loaded = LoadGraphicsFile(in, image, &comment);
    if (loaded != kLoadOk) {
        std::fprintf(stderr, "%s: %s\n", in, Display(GetGraphicsLoadError()).c_str());
        return -loaded;
    }
    std::printf("%s: %s, %u x %u, %u bits", in, FormatName(FormatOfFile(in)), image.m_nWidth, image.m_nHeight,
                image.m_nBitCount);
    if (comment)
        std::printf(", comment \"%s\"", Display(comment).c_str());
    std::printf("\n");

    const int saved = SaveGraphicsFile(out, image, commentText ? commentText : comment);
    delete[] comment;
    if (saved != kSaveOk) {
        std::fprintf(stderr, "%s: %s\n", out, Display(GetGraphicsSaveError()).c_str());
        return -saved;
    }
    return 0;
}

int SampleTable()
{
    CGraphicsImage sample;
    if (!MakeSampleImage(sample)) {
        std::fprintf(stderr, "the sample image cannot be made\n");
        return kImgconvNoSample;
    }
    std::error_code error;
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path(error) / ("imgconv-" + std::to_string(now));
    std::filesystem::create_directories(folder, error);

    std::printf("sample: %u x %u, %u bits\n\n", sample.m_nWidth, sample.m_nHeight, sample.m_nBitCount);
    std::printf("%-6s %8s %10s %6s  %s\n", "format", "bytes", "size", "depth", "pixels equal");
    int result = 0;
    for (int id = 0; id < kFormatCount; ++id) {
        const GraphicsFormat* format = FindGraphicsFormat(FormatId(id));
        const char* extension = FirstExtension(FormatId(id));
        if (!format->newWriter || !extension)
            continue;
        std::string name = "sample";
        for (const char* p = extension; *p; ++p)
            name += char(std::tolower(static_cast<unsigned char>(*p)));
        const std::string path = (folder / name).string();
        const int saved = SaveGraphicsFile(path.c_str(), sample, "imgconv sample");
        if (saved != kSaveOk) {
            std::printf("%-6s save failed: %s\n", format->name, Display(GetGraphicsSaveError()).c_str());
            result = result ? result : -saved;
            continue;
        }
        CGraphicsImage back;
        const int loaded = LoadGraphicsFile(path.c_str(), back);
        if (loaded != kLoadOk) {
            std::printf("%-6s load failed: %s\n", format->name, Display(GetGraphicsLoadError()).c_str());
            result = result ? result : -loaded;
            continue;
        }
        const std::string size = std::to_string(back.m_nWidth) + " x " + std::to_string(back.m_nHeight);
        const bool sameSize = back.m_nWidth == sample.m_nWidth && back.m_nHeight == sample.m_nHeight;
        const double difference = sameSize ? MeanDifference(sample, back) : 0;
        std::string equal = sameSize && difference == 0 ? "yes" : "no";
        if (difference > 0) {
            char text[64];
            std::snprintf(text, sizeof text, " (lossy: mean channel difference %.2f)", difference);
            equal += text;
        }
        std::printf("%-6s %8ju %10s %6u  %s\n", format->name, uintmax_t(std::filesystem::file_size(path, error)),
                    size.c_str(), back.m_nBitCount, equal.c_str());
    }
    std::filesystem::remove_all(folder, error);
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 1)
        return SampleTable();
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(ImgconvUsage().c_str(), stdout);
        return 0;
    }
    if (argc == 3)
        return Convert(argv[1], argv[2], nullptr);
    if (argc == 5 && std::strcmp(argv[3], "--comment") == 0)
        return Convert(argv[1], argv[2], FromCommandLine(argv[4]).c_str());
    std::fputs(ImgconvUsage().c_str(), stderr);
    return kImgconvUsageError;
}
