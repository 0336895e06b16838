#include "ui/utils/path_shorten.h"

#include <cstring>
#include <string>

namespace {

constexpr char kEllipsis[] = "...\\";
constexpr int kEllipsisLength = 4;

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Appends n characters to out within size (room for the NUL kept).
void Put(char* out, int size, int& length, const char* text, int n)
{
    const int room = size - 1 - length;
    if (n > room)
        n = room;
    if (n > 0) {
        std::memmove(out + length, text, size_t(n));
        length += n;
    }
}

}  // namespace

int TextWidthFromTable(const char* text, const uint8_t* widths, int length)
{
    if (text == nullptr)
        return 0;
    int width = 0;
    for (int i = 0; length < 0 || i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == 0 || c == '\r' || c == '\n')
            break;
        width += widths != nullptr ? widths[c] : 1;
    }
    return width;
}

int ShortenPath(const char* path, char* out, int size, int width, const uint8_t* widths, int keepFirst)
{
    if (out == nullptr || size < 1)
        return 0;
    int length = 0;
    out[0] = 0;
    if (path == nullptr)
        return 0;
    const int total = int(strnlen(path, 0x7FFFFFFF));
    if (TextWidthFromTable(path, widths, total) <= width) {
        Put(out, size, length, path, total);
        out[length] = 0;
        return length;
    }
    // The root: leading separators, the first part and the separator behind it.
    int root = 0;
    while (root < total && IsSeparator(path[root]))
        ++root;
    while (root < total && !IsSeparator(path[root]))
        ++root;
    if (root < total)
        ++root;
    // The parts between the root and the last part, each with the separator
    // behind it, are measured in place from both ends: no part count limits
    // which part is last, and nothing is allocated.
    int lastStart = total;
    while (lastStart > root && !IsSeparator(path[lastStart - 1]))
        --lastStart;
    const int dots = widths != nullptr ? 3 * widths[uint8_t('.')] + widths[uint8_t('\\')] : kEllipsisLength;
    int used = TextWidthFromTable(path, widths, root) + dots + TextWidthFromTable(path + lastStart, widths);
    int frontEnd = root;
    for (int kept = 0; kept < keepFirst && frontEnd < lastStart; ++kept) {
        int end = frontEnd;
        while (!IsSeparator(path[end]))
            ++end;
        const int w = TextWidthFromTable(path + frontEnd, widths, end + 1 - frontEnd);
        if (used + w > width)
            break;
        used += w;
        frontEnd = end + 1;
    }
    int backStart = lastStart;
    while (backStart > frontEnd) {
        int begin = backStart - 1;  // the separator ending the part before
        while (begin > frontEnd && !IsSeparator(path[begin - 1]))
            --begin;
        const int w = TextWidthFromTable(path + begin, widths, backStart - begin);
        if (used + w > width)
            break;
        used += w;
        backStart = begin;
    }
    Put(out, size, length, path, frontEnd);
    if (backStart > frontEnd)
        Put(out, size, length, kEllipsis, kEllipsisLength);
    Put(out, size, length, path + backStart, total - backStart);
    out[length] = 0;
    return length;
}

int ShortenPathEx(const char* path, char* out, int size, int width, const uint8_t* widths, int keepFirst,
                  const char* prefix, const char* suffix, int suffixLength)
{
    if (out == nullptr || size < 1)
        return 0;
    int length = 0;
    if (prefix != nullptr) {
        // The prefix may lie in out itself: Put moves with memmove.
        Put(out, size, length, prefix, int(strnlen(prefix, size_t(size))));
        width -= TextWidthFromTable(out, widths, length);
    }
    const std::string tail = suffix == nullptr ? std::string()
                             : suffixLength < 0 ? std::string(suffix)
                                                : std::string(suffix, strnlen(suffix, size_t(suffixLength)));
    width -= TextWidthFromTable(tail.c_str(), widths, int(tail.size()));
    length += ShortenPath(path, out + length, size - length, width, widths, keepFirst);
    Put(out, size, length, tail.data(), int(tail.size()));
    out[length] = 0;
    return length;
}
