#include "graphics/formats/format_classify.h"

#include <cstring>

namespace {

bool StartsWith(const uint8_t* header, std::string_view signature)
{
    return !signature.empty() && std::memcmp(header, signature.data(), signature.size()) == 0;
}

const GraphicsFormat& Row(int id)
{
    return *FindGraphicsFormat(FormatId(id));
}

}  // namespace

bool GraphicsHeader::Contains(const char* word) const
{
    const size_t n = std::strlen(word);
    for (size_t i = 0; i + n <= kGraphicsHeaderSize; ++i)
        if (std::memcmp(text + i, word, n) == 0)
            return true;
    return false;
}

FormatId ClassifyGraphicsHeader(const uint8_t* header, HeaderSource source)
{
    uint8_t text[kGraphicsHeaderSize];
    for (size_t i = 0; i < kGraphicsHeaderSize; ++i)
        text[i] = header[i] ? header[i] : GraphicsHeader::kBlank;
    const GraphicsHeader h{header, text, source};

    for (int id = 0; id < kFormatCount; ++id)
        for (const std::string_view signature : Row(id).signatures)
            if (StartsWith(header, signature))
                return FormatId(id);
    for (int id = 0; id < kFormatCount; ++id)
        if (Row(id).strongTest && Row(id).strongTest(h))
            return FormatId(id);
    FormatId found = kFormatUnknown;
    for (int id = 0; id < kFormatCount; ++id)
        if (Row(id).weakTest && Row(id).weakTest(h))
            found = FormatId(id);
    return found;
}
