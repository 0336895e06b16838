#include "ui/utils/icon_path.h"

#include "text/char_class.h"

#include <cstring>

namespace {

// Extensions whose files carry their own icon.
constexpr const char* kOwnIconExtensions[] = {"exe", "ico", "lnk", "cur", "ani", "scr", "url", "cpl", "msc"};

bool EqualNoCase(const char* a, const char* b)
{
    for (; *a != 0 && *b != 0; ++a, ++b)
        if (CharToLower(static_cast<unsigned char>(*a)) != CharToLower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

}  // namespace

const char* IconExtension(const char* path)
{
    if (path == nullptr)
        return nullptr;
    const char* dot = nullptr;
    for (const char* p = path; *p != 0; ++p) {
        if (*p == '.')
            dot = p;
        else if (*p == '\\' || *p == '/' || *p == ':')
            dot = nullptr;
    }
    return dot != nullptr ? dot + 1 : nullptr;
}

bool IsDrivePath(const char* path)
{
    if (path == nullptr)
        return false;
    const char c = char(path[0] & ~0x20);
    if (c < 'A' || c > 'Z' || path[1] != ':')
        return false;
    return path[2] == 0 || ((path[2] == '\\' || path[2] == '/') && path[3] == 0);
}

bool HasOwnIcon(const char* path)
{
    const char* extension = IconExtension(path);
    if (extension == nullptr || *extension == 0)
        return true;
    for (const char* own : kOwnIconExtensions)
        if (EqualNoCase(extension, own))
            return true;
    return false;
}
