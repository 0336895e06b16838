#include "examples/imgconv/imgconv_usage.h"

#include "examples/imgconv/imgconv_convert.h"
#include "graphics/formats/format_dispatch.h"
#include "graphics/formats/format_registry.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr const char* kCalls =
    "usage: imgconv IN OUT [--comment TEXT]\n"
    "       imgconv\n"
    "       imgconv --help\n"
    "\n"
    "imgconv IN OUT reads IN by its content and writes OUT in the format its\n"
    "extension names; the comment written is TEXT, else the one IN had.\n"
    "imgconv alone writes a sample image in every format it can write, reads\n"
    "each file back and tells whether the pixels came back equal.\n";

// A failed call exits with the dispatcher's result as a positive number;
// load and save results share numbers.
static_assert(-kSaveGraphicsError == -kLoadGraphicsError && -kSaveUnknownExtension == -kLoadUnknownFormat &&
              -kSaveOtherError == -kLoadTooLarge && kImgconvNoSample == -kLoadNoMemory);

struct ExitMeaning {
    int status;
    const char* meaning;
};
constexpr ExitMeaning kExitMeanings[] = {
    {0, "done"},
    {-kLoadGraphicsError, "IN or OUT: the format's error (its message on standard error)"},
    {-kLoadUnknownFormat, "IN: format not known; OUT: no format writes its extension"},
    {-kLoadCannotOpen, "IN cannot be opened"},
    {-kLoadTooLarge, "IN: picture too large; OUT: unexpected error"},
    {-kLoadWrongColor, "IN: colour format not supported"},
    {-kLoadNoMemory, "out of memory"},
    {-kLoadOtherError, "IN: unexpected error"},
    {kImgconvUsageError, "wrong call (this text on standard error)"},
};

std::string Padded(std::string text, size_t width)
{
    text.resize(std::max(text.size(), width), ' ');
    return text;
}

std::string Extensions(FormatId id)
{
    std::string list;
    for (const char* extension : FindGraphicsFormat(id)->extensions) {
        if (!extension)
            continue;
        list += list.empty() ? "" : " ";
        for (const char* p = extension; *p; ++p)
            list += char(std::tolower(static_cast<unsigned char>(*p)));
    }
    return list;
}

}  // namespace

std::string ImgconvUsage()
{
    std::string text = kCalls;
    text += "\nformats\n  name   read  write  extensions written\n";
    for (int id = 0; id < kFormatCount; ++id) {
        const GraphicsFormat* format = FindGraphicsFormat(FormatId(id));
        if (!format->newReader && !format->newWriter)
            continue;  // not built yet
        text += "  " + Padded(format->name, 7) + Padded(format->newReader ? "yes" : "no", 6) +
                Padded(format->newWriter ? "yes" : "no", 7) + (format->newWriter ? Extensions(FormatId(id)) : "");
        while (text.back() == ' ')
            text.pop_back();
        text += '\n';
    }
    text += "\nalpha\n  " + AlphaFormatNames() +
            " keep the alpha of a 32-bit picture; the other formats write its\n"
            "  colours only. Fourth bytes that are all 0, or a TLS file's, are no alpha.\n";
    text += "\nexit status\n";
    for (const ExitMeaning& e : kExitMeanings)
        text += "  " + Padded(std::to_string(e.status), 4) + e.meaning + '\n';
    return text;
}
