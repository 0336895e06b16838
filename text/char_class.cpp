#include "text/char_class.h"

#include <array>

namespace {

// Code page 1252 bytes outside the contiguous Latin-1 blocks.
constexpr unsigned char kScaronCap = 0x8A, kScaronSmall = 0x9A;
constexpr unsigned char kOeCap = 0x8C, kOeSmall = 0x9C;
constexpr unsigned char kZcaronCap = 0x8E, kZcaronSmall = 0x9E;
constexpr unsigned char kYdiaerCap = 0x9F, kYdiaerSmall = 0xFF;
constexpr unsigned char kMultiply = 0xD7, kDivide = 0xF7, kSharpS = 0xDF;
constexpr unsigned char kLatinCapFirst = 0xC0, kLatinCapLast = 0xDE;
constexpr unsigned char kCaseDistance = 0x20;

constexpr bool IsNationalCapital(unsigned c)
{
    return c == kScaronCap || c == kOeCap || c == kZcaronCap || c == kYdiaerCap ||
           (c >= kLatinCapFirst && c <= kLatinCapLast && c != kMultiply);
}

constexpr bool IsNationalSmall(unsigned c)
{
    return c == kScaronSmall || c == kOeSmall || c == kZcaronSmall || c == kSharpS ||
           (c >= kLatinCapFirst + kCaseDistance && c != kDivide);
}

constexpr uint32_t ClassOf(unsigned c)
{
    if (c == 0)
        return kCharEnd;
    if (c >= 'A' && c <= 'Z')
        return kCharUpper;
    if (c >= 'a' && c <= 'z')
        return kCharLower;
    if (c >= '0' && c <= '9')
        return kCharDigit;
    if (c == ' ' || (c >= '\t' && c <= '\r'))
        return kCharSpace;
    if (c == '\\' || c == '/')
        return kCharPathSep;
    if (c == ':')
        return kCharColon;
    if (c < 0x20 || c == 0x7F)
        return kCharControl;
    if (c < 0x80)
        return kCharPunct;
    if (IsNationalCapital(c))
        return kCharNatUpper;
    if (IsNationalSmall(c))
        return kCharNatLower;
    return kCharOther;
}

// Capital → small partner for the capitals, identity elsewhere.
constexpr unsigned SmallOf(unsigned c)
{
    switch (c) {
    case kScaronCap: return kScaronSmall;
    case kOeCap: return kOeSmall;
    case kZcaronCap: return kZcaronSmall;
    case kYdiaerCap: return kYdiaerSmall;
    default: break;
    }
    uint32_t cls = ClassOf(c);
    return (cls == kCharUpper || cls == kCharNatUpper) ? c + kCaseDistance : c;
}

struct CaseTables {
    std::array<uint32_t, 256> cls{};
    std::array<unsigned char, 256> upper{};
    std::array<unsigned char, 256> lower{};
};

constexpr CaseTables MakeTables()
{
    CaseTables t;
    for (unsigned c = 0; c < 256; ++c) {
        t.cls[c] = ClassOf(c);
        t.upper[c] = static_cast<unsigned char>(c);
        t.lower[c] = static_cast<unsigned char>(c);
    }
    for (unsigned c = 0; c < 256; ++c) {
        unsigned small = SmallOf(c);
        if (small != c) {
            t.lower[c] = static_cast<unsigned char>(small);
            t.upper[small] = static_cast<unsigned char>(c);
        }
    }
    return t;
}

constexpr CaseTables kTables = MakeTables();

static_assert(kTables.upper[kSharpS] == kSharpS, "ß has no capital");
static_assert(kTables.upper[kYdiaerSmall] == kYdiaerCap);
static_assert(kTables.lower[kMultiply] == kMultiply && kTables.upper[kDivide] == kDivide);

}  // namespace

uint32_t CharClassOf(unsigned char c) { return kTables.cls[c]; }
unsigned char CharToUpper(unsigned char c) { return kTables.upper[c]; }
unsigned char CharToLower(unsigned char c) { return kTables.lower[c]; }
