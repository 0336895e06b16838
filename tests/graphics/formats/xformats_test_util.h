// Shared by the PNM, XPM and XWD tests: bytes from text, one read that
// reports its error text, and the pixels of what was read.
#pragma once

#include "graphics/formats/format_framework.h"
#include "graphics/image.h"
#include "tests/graphics/formats/codec_test_files.h"

#include <string>

namespace xformats_test {

using codec_test::Bytes;

inline Bytes Text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}
// A literal with its NUL bytes.
template <size_t N>
std::string Raw(const char (&s)[N])
{
    return std::string(s, N - 1);
}

// Reads the bytes into `image`: "" on success, else the exception's text.
inline std::string TryRead(CGraphicsReader& reader, const Bytes& bytes, CGraphicsImage& image)
{
    try {
        codec_test::ReadFromMemory(reader, bytes, image);
    } catch (const EGraphicsException& e) {
        return e.text;
    }
    return "";
}

// Reads with a fresh reader of the type; the error text or "".
template <class Reader>
std::string TryRead(const Bytes& bytes, CGraphicsImage& image)
{
    Reader reader;
    return TryRead(reader, bytes, image);
}

// Writes with a fresh writer of the type into a file: its bytes, or the
// exception's text in `error`.
template <class Writer>
Bytes TryWrite(CGraphicsImage& image, std::string* error = nullptr)
{
    Writer writer;
    try {
        return codec_test::WriteToBytes(writer, image, "xformat.out");
    } catch (const EGraphicsException& e) {
        if (error) *error = e.text;
    }
    return {};
}

}  // namespace xformats_test
