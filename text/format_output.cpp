#include "text/format_output.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// Beyond this many digits after the point every double's decimal expansion
// is zeros (2^-1074 has 1074 of them), so longer precisions are computed at
// this one and padded with zeros.
constexpr int kMaxExactFraction = 1100;
// Digits before the point of the largest double in fixed notation, plus room
// for sign, point and exponent.
constexpr int kMaxFixedOverhead = 330;
constexpr int kDefaultFloatPrecision = 6;
constexpr int kIntegerDigitsMax = 24;  // 64-bit values in octal need 22

struct ConversionSpec {
    bool left = false;
    bool zero = false;
    bool plus = false;
    bool space = false;
    bool alt = false;
    int width = 0;
    int precision = -1;  // -1: none given
    char length = 0;     // 'H' hh, 'h', 'l', 'L' ll, 'z'
    char conversion = 0;
};

class Output {
public:
    Output(FormatSink sink, void* ctx) : m_sink(sink), m_ctx(ctx) {}

    void Put(const char* data, int64_t n)
    {
        while (n > 0 && !m_failed) {
            const int chunk = int(std::min<int64_t>(n, INT_MAX));
            if (m_count + chunk > INT_MAX || m_sink(m_ctx, data, chunk) != chunk) {
                m_failed = true;
                return;
            }
            m_count += chunk;
            data += chunk;
            n -= chunk;
        }
    }

    void Repeat(char c, int64_t n)
    {
        static constexpr int kChunk = 256;
        char block[kChunk];
        std::memset(block, c, sizeof block);
        while (n > 0 && !m_failed) {
            const int64_t part = std::min<int64_t>(n, kChunk);
            Put(block, part);
            n -= part;
        }
    }

    void Fail() { m_failed = true; }
    int Result() const { return m_failed ? -1 : int(m_count); }
    bool Failed() const { return m_failed; }

private:
    FormatSink m_sink;
    void* m_ctx;
    int64_t m_count = 0;
    bool m_failed = false;
};

// One field: prefix (sign, "0x"), leading zeros, body, padded to the width.
// `zeroFill` lets the '0' flag fill the width with zeros after the prefix.
void EmitField(Output& out, const ConversionSpec& spec, const char* prefix, int64_t zeros, const char* body,
               int64_t bodyLen, bool zeroFill)
{
    const int64_t prefixLen = int64_t(std::strlen(prefix));
    int64_t total = prefixLen + zeros + bodyLen;
    if (zeroFill && spec.zero && !spec.left && total < spec.width) {
        zeros += spec.width - total;
        total = spec.width;
    }
    const int64_t pad = std::max<int64_t>(0, spec.width - total);
    if (!spec.left)
        out.Repeat(' ', pad);
    out.Put(prefix, prefixLen);
    out.Repeat('0', zeros);
    out.Put(body, bodyLen);
    if (spec.left)
        out.Repeat(' ', pad);
}

void EmitInteger(Output& out, const ConversionSpec& spec, uint64_t magnitude, bool negative)
{
    const char conv = spec.conversion;
    const bool isSigned = conv == 'd' || conv == 'i';
    const int base = (conv == 'x' || conv == 'X') ? 16 : 10;
    const char* digitSet = conv == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";

    char digits[kIntegerDigitsMax];
    int len = 0;
    for (uint64_t v = magnitude; v != 0; v /= unsigned(base))
        digits[kIntegerDigitsMax - ++len] = digitSet[v % unsigned(base)];
    if (magnitude == 0 && spec.precision != 0)
        digits[kIntegerDigitsMax - ++len] = '0';

    const char* prefix = "";
    if (isSigned)
        prefix = negative ? "-" : spec.plus ? "+" : spec.space ? " " : "";
    else if (base == 16 && spec.alt && magnitude != 0)
        prefix = conv == 'X' ? "0X" : "0x";

    const int64_t zeros = spec.precision > len ? spec.precision - len : 0;
    EmitField(out, spec, prefix, zeros, digits + kIntegerDigitsMax - len, len, spec.precision < 0);
}

// `value` (finite, not negative) with `precision` digits after the point, in
// fixed or scientific notation, rounded as printf rounds.
std::string FixedOrScientific(double value, bool scientific, int precision)
{
    const int exact = std::min(precision, kMaxExactFraction);
    std::string text(size_t(kMaxFixedOverhead + exact), '\0');
    const auto format = scientific ? std::chars_format::scientific : std::chars_format::fixed;
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value, format, exact);
    text.resize(size_t(result.ptr - text.data()));
    if (precision > exact) {
        const size_t at = scientific ? text.find('e') : text.size();
        text.insert(at, size_t(precision - exact), '0');
    }
    return text;
}

int DecimalExponent(const std::string& scientific)
{
    const size_t e = scientific.find('e');
    int exponent = 0;
    std::from_chars(scientific.data() + e + 1 + (scientific[e + 1] == '+'), scientific.data() + scientific.size(),
                    exponent);
    return exponent;
}

// Drops trailing zeros of the fraction, and the point when nothing is left of it.
void StripFractionZeros(std::string& text)
{
    const size_t point = text.find('.');
    if (point == std::string::npos)
        return;
    const size_t e = text.find('e');
    const size_t end = e == std::string::npos ? text.size() : e;
    size_t cut = end;
    while (cut > point + 1 && text[cut - 1] == '0')
        --cut;
    if (cut == point + 1)
        cut = point;
    text.erase(cut, end - cut);
}

void EnsurePoint(std::string& text)
{
    if (text.find('.') != std::string::npos)
        return;
    const size_t e = text.find('e');
    text.insert(e == std::string::npos ? text.size() : e, 1, '.');
}

std::string FloatBody(double magnitude, const ConversionSpec& spec)
{
    const char conv = char(std::tolower(static_cast<unsigned char>(spec.conversion)));
    const int precision = spec.precision < 0 ? kDefaultFloatPrecision : spec.precision;
    std::string body;
    if (conv == 'f' || conv == 'e') {
        body = FixedOrScientific(magnitude, conv == 'e', precision);
    } else {
        // %g: scientific when the exponent X (after rounding to P digits) is
        // below -4 or not below P, else fixed with P - 1 - X decimals.
        const int significant = precision == 0 ? 1 : precision;
        const std::string scientific = FixedOrScientific(magnitude, true, significant - 1);
        const int exponent = magnitude == 0 ? 0 : DecimalExponent(scientific);
        body = (exponent >= -4 && exponent < significant)
            ? FixedOrScientific(magnitude, false, significant - 1 - exponent)
            : scientific;
        if (!spec.alt)
            StripFractionZeros(body);
    }
    if (spec.alt)
        EnsurePoint(body);
    return body;
}

void EmitFloat(Output& out, const ConversionSpec& spec, double value)
{
    const bool negative = std::signbit(value);
    const char* prefix = negative ? "-" : spec.plus ? "+" : spec.space ? " " : "";
    const double magnitude = std::fabs(value);
    std::string body = std::isnan(value) ? "nan" : std::isinf(value) ? "inf" : FloatBody(magnitude, spec);
    if (std::isupper(static_cast<unsigned char>(spec.conversion)))
        for (char& c : body)
            c = char(std::toupper(static_cast<unsigned char>(c)));
    EmitField(out, spec, prefix, 0, body.data(), int64_t(body.size()), std::isfinite(value));
}

// Reads a decimal number; false when it exceeds INT_MAX.
bool ParseNumber(const char*& p, int& value)
{
    int64_t v = 0;
    while (*p >= '0' && *p <= '9') {
        v = v * 10 + (*p++ - '0');
        if (v > INT_MAX)
            return false;
    }
    value = int(v);
    return true;
}

// Parses flags, width, precision, length and conversion after a '%'; false
// for a format error.
bool ParseSpec(const char*& p, va_list* args, ConversionSpec& spec)
{
    for (;; ++p) {
        if (*p == '-') spec.left = true;
        else if (*p == '0') spec.zero = true;
        else if (*p == '+') spec.plus = true;
        else if (*p == ' ') spec.space = true;
        else if (*p == '#') spec.alt = true;
        else break;
    }
    if (*p == '*') {
        ++p;
        const int w = va_arg(*args, int);
        if (w == INT_MIN)
            return false;
        if (w < 0)
            spec.left = true;
        spec.width = w < 0 ? -w : w;
    } else if (!ParseNumber(p, spec.width)) {
        return false;
    }
    if (*p == '.') {
        ++p;
        if (*p == '*') {
            ++p;
            const int prec = va_arg(*args, int);
            spec.precision = prec < 0 ? -1 : prec;
        } else if (!ParseNumber(p, spec.precision)) {
            return false;
        }
    }
    if (p[0] == 'h' && p[1] == 'h') { spec.length = 'H'; p += 2; }
    else if (p[0] == 'l' && p[1] == 'l') { spec.length = 'L'; p += 2; }
    else if (*p == 'h' || *p == 'l' || *p == 'z') spec.length = *p++;
    spec.conversion = *p;
    if (!*p)
        return false;
    ++p;
    return true;
}

int64_t SignedArgument(char length, va_list* args)
{
    switch (length) {
    case 'H': return static_cast<signed char>(va_arg(*args, int));
    case 'h': return static_cast<short>(va_arg(*args, int));
    case 'l': return va_arg(*args, long);
    case 'L': return va_arg(*args, long long);
    case 'z': return va_arg(*args, ptrdiff_t);
    default: return va_arg(*args, int);
    }
}

uint64_t UnsignedArgument(char length, va_list* args)
{
    switch (length) {
    case 'H': return static_cast<unsigned char>(va_arg(*args, unsigned));
    case 'h': return static_cast<unsigned short>(va_arg(*args, unsigned));
    case 'l': return va_arg(*args, unsigned long);
    case 'L': return va_arg(*args, unsigned long long);
    case 'z': return va_arg(*args, size_t);
    default: return va_arg(*args, unsigned);
    }
}

// Emits one conversion; false for a format error.
bool EmitConversion(Output& out, const ConversionSpec& spec, va_list* args)
{
    switch (spec.conversion) {
    case 'd':
    case 'i': {
        const int64_t v = SignedArgument(spec.length, args);
        EmitInteger(out, spec, v < 0 ? uint64_t(0) - uint64_t(v) : uint64_t(v), v < 0);
        return true;
    }
    case 'u':
    case 'x':
    case 'X':
        EmitInteger(out, spec, UnsignedArgument(spec.length, args), false);
        return true;
    case 'f': case 'F': case 'e': case 'E': case 'g': case 'G':
        if (spec.length != 0 && spec.length != 'l')
            return false;
        EmitFloat(out, spec, va_arg(*args, double));
        return true;
    case 'c': {
        if (spec.length != 0)
            return false;
        const char c = char(va_arg(*args, int));
        EmitField(out, spec, "", 0, &c, 1, false);
        return true;
    }
    case 's': {
        if (spec.length != 0)
            return false;
        const char* s = va_arg(*args, const char*);
        if (!s)
            s = "(null)";
        int64_t len = 0;
        while ((spec.precision < 0 || len < spec.precision) && s[len])
            ++len;
        EmitField(out, spec, "", 0, s, len, false);
        return true;
    }
    default:
        return false;
    }
}

}  // namespace

int FormatOutputA(FormatSink sink, void* ctx, const char* format, va_list args)
{
    if (!sink || !format)
        return -1;
    Output out(sink, ctx);
    va_list ap;
    va_copy(ap, args);
    const char* p = format;
    while (*p && !out.Failed()) {
        const char* run = p;
        while (*p && *p != '%')
            ++p;
        out.Put(run, p - run);
        if (!*p)
            break;
        ++p;
        if (*p == '%') {
            out.Put(p++, 1);
            continue;
        }
        ConversionSpec spec;
        if (!ParseSpec(p, &ap, spec) || !EmitConversion(out, spec, &ap))
            out.Fail();
    }
    va_end(ap);
    return out.Result();
}
