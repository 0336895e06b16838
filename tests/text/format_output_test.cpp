#include "text/format_output.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

int AppendSink(void* ctx, const char* data, int n)
{
    static_cast<std::string*>(ctx)->append(data, size_t(n));
    return n;
}

// Formats through the engine; a failure gives "<fail>".
std::string Fmt(const char* format, ...)
{
    std::string out;
    va_list args;
    va_start(args, format);
    const int n = FormatOutputA(&AppendSink, &out, format, args);
    va_end(args);
    if (n < 0)
        return "<fail>";
    EXPECT_EQ(size_t(n), out.size());
    return out;
}

int FmtTo(FormatSink sink, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int n = FormatOutputA(sink, nullptr, format, args);
    va_end(args);
    return n;
}

struct Expectation {
    const char* expected;
    std::string actual;
};

void Check(std::initializer_list<Expectation> table)
{
    int row = 0;
    for (const Expectation& e : table) {
        SCOPED_TRACE(testing::Message() << "row " << row++);
        EXPECT_EQ(e.actual, e.expected);
    }
}

TEST(FormatOutput, Integers)
{
    Check({
        {"42", Fmt("%d", 42)}, {"-42", Fmt("%i", -42)}, {"-2147483648", Fmt("%d", INT_MIN)},
        {"4294967295", Fmt("%u", UINT_MAX)}, {"  42|42  |", Fmt("%4d|%-4d|", 42, 42)},
        {"0042|-042", Fmt("%04d|%04d", 42, -42)}, {"+42| 42|+0", Fmt("%+d|% d|%+d", 42, 42, 0)},
        {"  042|00042", Fmt("%5.3d|%05d", 42, 42)},
        {"  042", Fmt("%05.3d", 42)},  // a precision turns the zero flag off
        {"|", Fmt("%.0d|", 0)}, {"ff|FF|0xff|0XFF|0", Fmt("%x|%X|%#x|%#X|%#x", 255u, 255u, 255u, 255u, 0u)},
        {"00ABCD", Fmt("%06X", 0xABCDu)}, {"0x00ff", Fmt("%#06x", 255u)},
        {"   -7|-7  ", Fmt("%*d|%*d", 5, -7, -4, -7)}, {"007", Fmt("%.*d", 3, 7)}, {"7", Fmt("%.*d", -3, 7)},
        {"-9223372036854775808", Fmt("%lld", LLONG_MIN)}, {"18446744073709551615", Fmt("%llu", ULLONG_MAX)},
        {"-1|255|65535", Fmt("%hhd|%hhu|%hu", 255, 255, -1)}, {"123456789", Fmt("%zu", size_t(123456789))},
        {"-5", Fmt("%ld", -5L)},
    });
}

TEST(FormatOutput, TextAndCharacters)
{
    Check({
        {"abc", Fmt("%s", "abc")}, {"  abc|abc  |ab", Fmt("%5s|%-5s|%.2s", "abc", "abc", "abc")},
        {"(null)", Fmt("%s", static_cast<const char*>(nullptr))}, {"x|  x|x  ", Fmt("%c|%3c|%-3c", 'x', 'x', 'x')},
        {"100%", Fmt("100%%")},
        {"\xE4\xF6", Fmt("%s", "\xE4\xF6")},  // bytes pass unchanged
        {"", Fmt("")},
    });
    // Precision bounds how far the text is read: no terminator needed.
    const char unterminated[3] = {'a', 'b', 'c'};
    EXPECT_EQ(Fmt("%.3s", unterminated), "abc");
}

TEST(FormatOutput, Floats)
{
    Check({
        {"0.25 0.25", Fmt("%g %g", 0.25, 0.25)}, {"100.25", Fmt("%g", 100.25)},
        {"1e+06|1e-05|0.0001", Fmt("%g|%g|%g", 1e6, 1e-5, 1e-4)},
        {"123457|1.23457e+06", Fmt("%g|%g", 123456.7, 1234567.0)}, {"0|-0", Fmt("%g|%g", 0.0, -0.0)},
        {"1.000000|1.500000e+02", Fmt("%f|%e", 1.0, 150.0)}, {"2|3|2", Fmt("%.0f|%.0f|%.0f", 2.5, 2.5000001, 1.5)},
        {"1.E+00|1.|1.00000", Fmt("%#.0E|%#.0f|%#g", 1.0, 1.0, 1.0)},
        {"  3.14|3.14  |003.14|+3.14", Fmt("%6.2f|%-6.2f|%06.2f|%+.2f", 3.14159, 3.14159, 3.14159, 3.14159)},
        {"inf|-INF|nan|  inf", Fmt("%f|%G|%e|%05f", INFINITY, -INFINITY, NAN, INFINITY)},
        {"1.79769e+308", Fmt("%g", DBL_MAX)}, {"4.94066e-324", Fmt("%g", 4.9406564584124654e-324)},
        {"0.1000000000000000055511151231257827", Fmt("%.34f", 0.1)},
    });
    // Precisions beyond a double's exact digits pad with zeros.
    const std::string longFraction = Fmt("%.1200f", 0.5);
    EXPECT_EQ(longFraction, "0.5" + std::string(1199, '0'));
    EXPECT_EQ(Fmt("%.1200g", 0.5), "0.5");
}

#ifndef _WIN32
// The C library in the "C" locale is the reference for the float conversions.
TEST(FormatOutput, FloatsMatchTheCLibrary)
{
    lindar_test::Rng rng(21);
    const char* formats[] = {"%g", "%.3g", "%#.4g", "%e", "%.0e", "%f", "%.10f", "%12.5g", "%-+9.2e", "%.17g"};
    for (int i = 0; i < 4000; ++i) {
        const double mantissa = double(rng.Next()) / 4294967296.0 + double(rng.Next()) / 1.8e19;
        const double value = std::ldexp(mantissa, rng.Range(-80, 80)) * (rng.Next() & 1 ? -1 : 1);
        for (const char* format : formats) {
            char expected[512];
            std::snprintf(expected, sizeof expected, format, value);
            ASSERT_EQ(Fmt(format, value), expected) << format << " of " << value;
        }
    }
}
#endif

TEST(FormatOutput, Failures)
{
    Check({
        {"<fail>", Fmt("%")}, {"<fail>", Fmt("abc %q", 1)}, {"<fail>", Fmt("%Lf", 1.0)}, {"<fail>", Fmt("%ls", "x")},
        {"<fail>", Fmt("%99999999999d", 1)}, {"<fail>", Fmt("%*d", INT_MIN, 1)},
    });
    // A sink that refuses output stops the engine.
    EXPECT_EQ(FmtTo([](void*, const char*, int n) { return n - 1; }, "abc"), -1);
    EXPECT_EQ(FmtTo(nullptr, "abc"), -1);
}

TEST(FormatOutput, CountBeyondIntMaxFails)
{
    int pieces = 0;
    auto count = [](void* ctx, const char*, int n) {
        ++*static_cast<int*>(ctx);
        return n;
    };
    auto run = [&](const char* format, ...) {
        va_list args;
        va_start(args, format);
        const int r = FormatOutputA(count, &pieces, format, args);
        va_end(args);
        return r;
    };
    EXPECT_EQ(run("%*d%*d", INT_MAX, 1, INT_MAX, 1), -1);
    EXPECT_GT(pieces, 0);
}

}  // namespace
