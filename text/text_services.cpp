#include "text/text_services.h"

#include <algorithm>
#include <cstring>

int StrLenBoundedA(const char* text, int max)
{
    int length = 0;
    while (length < max && text[length] != '\0')
        ++length;
    return length;
}

int StrCopyBoundedA(char* destination, const char* source, int size)
{
    if (size < 1)
        return 0;
    int length = StrLenBoundedA(source, size - 1);
    std::memmove(destination, source, static_cast<size_t>(length));
    destination[length] = '\0';
    return length;
}

int StrAppendBoundedA(char* destination, const char* source, int size)
{
    if (size < 1)
        return 0;
    int old = StrLenBoundedA(destination, size);
    if (old == size)
        return size;
    int added = StrLenBoundedA(source, size - 1 - old);
    std::memmove(destination + old, source, static_cast<size_t>(added));
    destination[old + added] = '\0';
    return old + added;
}

int StrCopyPrefixA(char* destination, const char* source, int size, int n)
{
    if (size < 1)
        return 0;
    int length = StrLenBoundedA(source, std::min(n, size - 1));
    std::memmove(destination, source, static_cast<size_t>(length));
    destination[length] = '\0';
    return length;
}

int StrLenToCharA(const char* text, char character)
{
    int i = 0;
    while (text[i] != '\0' && text[i] != character)
        ++i;
    return i;
}

int StrSpanNotClassA(const char* text, uint32_t classMask)
{
    const uint32_t mask = classMask ^ kCharEnd;
    int i = 0;
    // The NUL stops the run whatever the mask says: the text has no bound
    // beyond it.
    while (text[i] != '\0' && (CharClassOf(static_cast<unsigned char>(text[i])) & mask) == 0)
        ++i;
    return i;
}

namespace {

unsigned PathFold(char c)
{
    unsigned u = static_cast<unsigned char>(c);
    if (u == '/')
        return '\\';
    if (u >= 'A' && u <= 'Z')
        return u - 'A' + 'a';
    return u;
}

}  // namespace

int StrCompareNoCaseNA(const char* a, const char* b, int n)
{
    for (int i = 0; n < 0 || i < n; ++i) {
        unsigned ca = CharToLower(static_cast<unsigned char>(a[i]));
        unsigned cb = CharToLower(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return static_cast<int>(ca) - static_cast<int>(cb);
        if (ca == 0)
            break;
    }
    return 0;
}

int StrFindNoCaseA(const char* text, const char* pattern)
{
    const int length = static_cast<int>(std::strlen(pattern));
    if (length == 0)
        return 0;
    for (int i = 0; text[i] != '\0'; ++i) {
        if (StrCompareNoCaseNA(text + i, pattern, length) == 0)
            return i;
    }
    return -1;
}

int PathCompareNA(const char* a, const char* b, int n)
{
    for (int i = 0; i < n; ++i) {
        unsigned ca = PathFold(a[i]);
        unsigned cb = PathFold(b[i]);
        if (ca != cb)
            return static_cast<int>(ca) - static_cast<int>(cb);
        if (ca == 0)
            break;
    }
    return 0;
}
