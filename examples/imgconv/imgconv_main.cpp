// imgconv IN OUT [--comment TEXT]
//   Loads IN by its content, saves OUT in the format its extension names and
//   prints format, size, depth and comment. Exit 0 on success, else the
//   dispatcher's result as a positive number, its message on stderr. The
//   comment written is TEXT, else the one IN had. PNG and BMP keep the
//   picture's alpha; a TLS file that lost colours is warned about.
// imgconv --help
//   Prints the usage, the formats and the exit statuses.
// imgconv
//   Saves a built-in sample image in every format the library writes, reads
//   each file back and prints a table: format, bytes, size, depth, and
//   whether the pixels came back equal.
#include "examples/imgconv/imgconv_convert.h"
#include "examples/imgconv/imgconv_sample.h"
#include "examples/imgconv/imgconv_usage.h"
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

const char* FirstExtension(FormatId id)
{
    const GraphicsFormat* format = FindGraphicsFormat(id);
    return format ? format->extensions[0] : nullptr;
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
            std::printf("%-6s save failed: %s\n", format->name, DisplayText(GetGraphicsSaveError()).c_str());
            result = result ? result : -saved;
            continue;
        }
        CGraphicsImage back;
        const int loaded = LoadGraphicsFile(path.c_str(), back);
        if (loaded != kLoadOk) {
            std::printf("%-6s load failed: %s\n", format->name, DisplayText(GetGraphicsLoadError()).c_str());
            result = result ? result : -loaded;
            continue;
        }
        const std::string size = std::to_string(back.m_nWidth) + " x " + std::to_string(back.m_nHeight);
        const bool sameSize = back.m_nWidth == sample.m_nWidth && back.m_nHeight == sample.m_nHeight;
        const double difference = sameSize ? MeanChannelDifference(sample, back) : 0;
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
        return ConvertImageFile(argv[1], argv[2], nullptr, stdout, stderr);
    if (argc == 5 && std::strcmp(argv[3], "--comment") == 0)
        return ConvertImageFile(argv[1], argv[2], FromCommandLine(argv[4]).c_str(), stdout, stderr);
    std::fputs(ImgconvUsage().c_str(), stderr);
    return kImgconvUsageError;
}
