#include "text/text_services.h"

#include <climits>

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kLastBmp = 0xFFFF;
constexpr unsigned kHighSurrogate = 0xD800, kLowSurrogate = 0xDC00;
constexpr unsigned char kContinuationLo = 0x80, kContinuationHi = 0xBF;

struct Decoded {
    char32_t code;
    int used;  // bytes consumed
};

// Well-formed UTF-8 (the Unicode standard's table of byte sequences): the
// lead byte fixes the number of continuation bytes and the range of the first
// one, which shuts out overlong forms, surrogates and values past U+10FFFF.
struct LeadRule {
    int more;
    unsigned char secondLo, secondHi;
};

LeadRule RuleFor(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF) return {1, 0x80, 0xBF};
    if (lead == 0xE0) return {2, 0xA0, 0xBF};
    if (lead == 0xED) return {2, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF) return {2, 0x80, 0xBF};
    if (lead == 0xF0) return {3, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3) return {3, 0x80, 0xBF};
    if (lead == 0xF4) return {3, 0x80, 0x8F};
    return {0, 0, 0};
}

// One character from `s`, of which `avail` bytes may be read. An ill-formed
// sequence yields U+FFFD for its maximal subpart: the lead byte and the
// continuation bytes that were still acceptable.
Decoded DecodeOne(const unsigned char* s, int avail)
{
    unsigned char lead = s[0];
    if (lead < 0x80)
        return {lead, 1};
    LeadRule rule = RuleFor(lead);
    if (rule.more == 0)
        return {kReplacement, 1};
    char32_t code = lead & (0x3Fu >> rule.more);
    for (int k = 1; k <= rule.more; ++k) {
        unsigned char lo = k == 1 ? rule.secondLo : kContinuationLo;
        unsigned char hi = k == 1 ? rule.secondHi : kContinuationHi;
        if (k >= avail || s[k] < lo || s[k] > hi)
            return {kReplacement, k};
        code = (code << 6) | (s[k] & 0x3Fu);
    }
    return {code, rule.more + 1};
}

}  // namespace

int StrUtf8ToWide(WCHAR* destination, const char* source, int destinationSize, int sourceLength)
{
    if (destinationSize < 1)
        return 0;
    const unsigned char* in = reinterpret_cast<const unsigned char*>(source);
    // A NUL-terminated source: continuation checks stop at the NUL, which is
    // no continuation byte, so nothing past it is read.
    const int end = sourceLength < 0 ? INT_MAX : sourceLength;
    const int room = destinationSize - 1;
    int out = 0;
    for (int i = 0; i < end && in[i] != 0;) {
        Decoded d = DecodeOne(in + i, end - i);
        if (d.code > kLastBmp) {
            if (room - out < 2)
                break;  // half a pair would be a broken character
            char32_t v = d.code - 0x10000;
            destination[out++] = static_cast<WCHAR>(kHighSurrogate + (v >> 10));
            destination[out++] = static_cast<WCHAR>(kLowSurrogate + (v & 0x3FF));
        } else {
            if (room - out < 1)
                break;
            destination[out++] = static_cast<WCHAR>(d.code);
        }
        i += d.used;
    }
    destination[out] = 0;
    return out;
}

int StrWideToByte(char* destination, const WCHAR* source, int destinationSize, int sourceLength)
{
    if (destinationSize < 1)
        return 0;
    constexpr unsigned kByteMax = 255;
    const int end = sourceLength < 0 ? INT_MAX : sourceLength;
    const int room = destinationSize - 1;
    int out = 0;
    for (int i = 0; i < end && out < room && source[i] != 0; ++i) {
        unsigned unit = static_cast<uint16_t>(source[i]);
        destination[out++] = static_cast<char>(unit > kByteMax ? kByteMax : unit);
    }
    destination[out] = '\0';
    return out;
}
