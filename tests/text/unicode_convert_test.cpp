#include "text/text_services.h"

#include <gtest/gtest.h>

#include "tests/text/text_test_util.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kFffd = 0xFFFD;

struct Utf8Case {
    std::string source;
    int length;  // -1: up to the NUL
    int size;
    std::vector<uint16_t> want;
};

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}

void RunUtf8(const std::vector<Utf8Case>& cases)
{
    for (size_t n = 0; n < cases.size(); ++n) {
        const Utf8Case& c = cases[n];
        SCOPED_TRACE("case " + std::to_string(n));
        text_test::Guarded<WCHAR> out(c.size, WCHAR(0xABCD));
        out.Expect(StrUtf8ToWide(out.data(), c.source.c_str(), c.size, c.length), {c.want.begin(), c.want.end()});
    }
}

TEST(Utf8ToWide, WellFormedText)
{
    RunUtf8({
        {"abc", -1, 8, {'a', 'b', 'c'}},
        {Bytes({0xC3, 0xA4, 0xC3, 0x9F}), -1, 8, {0xE4, 0xDF}},
        {Bytes({0xE2, 0x82, 0xAC}), -1, 8, {0x20AC}},
        {Bytes({0xED, 0x9F, 0xBF, 0xEE, 0x80, 0x80}), -1, 8, {0xD7FF, 0xE000}},
        {Bytes({0xF0, 0x9F, 0x98, 0x80}), -1, 8, {0xD83D, 0xDE00}},
        {Bytes({0xF0, 0x90, 0x80, 0x80}), -1, 8, {0xD800, 0xDC00}},
        {Bytes({0xF4, 0x8F, 0xBF, 0xBF}), -1, 8, {0xDBFF, 0xDFFF}},
        {"", -1, 8, {}},
    });
}

TEST(Utf8ToWide, DestinationBounds)
{
    const std::string smile = Bytes({0xF0, 0x9F, 0x98, 0x80});
    RunUtf8({
        {"abc", -1, 0, {}}, {"abc", -1, -2, {}}, {"abc", -1, 1, {}}, {"abc", -1, 2, {'a'}},
        {"abc", -1, 4, {'a', 'b', 'c'}},
        // A pair goes in whole or not at all, and nothing after it follows.
        {smile, -1, 2, {}}, {smile, -1, 3, {0xD83D, 0xDE00}}, {"a" + smile + "b", -1, 3, {'a'}},
        {"a" + smile + "b", -1, 4, {'a', 0xD83D, 0xDE00}},
    });
}

TEST(Utf8ToWide, SourceLengthAndNul)
{
    RunUtf8({
        {"abcdef", 3, 8, {'a', 'b', 'c'}}, {"abc", 0, 8, {}}, {std::string("a\0b", 3), 3, 8, {'a'}},
        // A sequence cut by the length or by the NUL is one replacement.
        {Bytes({0xE2, 0x82, 0xAC}), 2, 8, {kFffd}},
        {Bytes({0xE2, 0x82, 0x00, 0x41}), 4, 8, {kFffd}},
        {Bytes({0xF0, 0x9F, 0x98, 0x80}), 3, 8, {kFffd}},
        {Bytes({0xF0, 0x9F, 0x98, 0x80}), 1, 8, {kFffd}},
    });
}

TEST(Utf8ToWide, IllFormedSequencesBecomeOneReplacementPerMaximalSubpart)
{
    RunUtf8({
        // Stray continuation bytes and bytes that never occur.
        {Bytes({0x80}), -1, 8, {kFffd}},
        {Bytes({0xBF, 0x41}), -1, 8, {kFffd, 'A'}},
        {Bytes({0xF5, 0xF8, 0xFE, 0xFF}), -1, 8, {kFffd, kFffd, kFffd, kFffd}},
        // Overlong forms: the lead or the second byte is already refused.
        {Bytes({0xC0, 0x80}), -1, 8, {kFffd, kFffd}},
        {Bytes({0xC1, 0xBF}), -1, 8, {kFffd, kFffd}},
        {Bytes({0xE0, 0x80, 0x80}), -1, 8, {kFffd, kFffd, kFffd}},
        {Bytes({0xE0, 0x9F, 0xBF}), -1, 8, {kFffd, kFffd, kFffd}},
        {Bytes({0xF0, 0x80, 0x80, 0x80}), -1, 8, {kFffd, kFffd, kFffd, kFffd}},
        {Bytes({0xF0, 0x8F, 0xBF, 0xBF}), -1, 8, {kFffd, kFffd, kFffd, kFffd}},
        // Encoded surrogates, alone and as a pair.
        {Bytes({0xED, 0xA0, 0x80}), -1, 8, {kFffd, kFffd, kFffd}},
        {Bytes({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}), -1, 8, {kFffd, kFffd, kFffd, kFffd, kFffd, kFffd}},
        // Above U+10FFFF.
        {Bytes({0xF4, 0x90, 0x80, 0x80}), -1, 8, {kFffd, kFffd, kFffd, kFffd}},
        // Truncated sequences followed by text.
        {Bytes({0xE2, 0x82, 0x41}), -1, 8, {kFffd, 'A'}},
        {Bytes({0xF0, 0x9F, 0x98, 0x41}), -1, 8, {kFffd, 'A'}},
        {Bytes({0xC3, 0xC3, 0xA4}), -1, 8, {kFffd, 0xE4}},
        // The standard's example of maximal subparts.
        {Bytes({0x61, 0xF1, 0x80, 0x80, 0xE1, 0x80, 0xC2, 0x62, 0x80, 0x63, 0x80, 0xBF, 0x64}),
         -1,
         16,
         {'a', kFffd, kFffd, kFffd, 'b', kFffd, 'c', kFffd, kFffd, 'd'}},
        // Replacements need room like any character.
        {Bytes({0x80, 0x80, 0x80}), -1, 3, {kFffd, kFffd}},
    });
}

struct WideCase {
    std::vector<uint16_t> source;  // terminated by the runner
    int length;
    int size;
    std::string want;
};

TEST(WideToByte, NarrowsUnitByUnit)
{
    const std::vector<WideCase> cases = {
        {{'a', 'b', 'c'}, -1, 8, "abc"},
        {{0xE4, 0xFF, 0x100, 0x20AC, 0xD83D, 0xDE00}, -1, 8, Bytes({0xE4, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},
        {{'a', 0, 'b'}, 3, 8, "a"},          {{'a', 'b', 'c', 'd'}, 2, 8, "ab"}, {{'a', 'b', 'c'}, 0, 8, ""},
        {{'a', 'b', 'c', 'd'}, -1, 3, "ab"}, {{'a', 'b', 'c'}, -1, 1, ""},       {{'a', 'b', 'c'}, -1, 0, ""},
        {{'a', 'b', 'c'}, -1, -1, ""},
    };
    for (size_t n = 0; n < cases.size(); ++n) {
        const WideCase& c = cases[n];
        SCOPED_TRACE("case " + std::to_string(n));
        std::vector<WCHAR> source(c.source.begin(), c.source.end());
        source.push_back(0);
        text_test::Guarded<char> out(c.size, '#');
        out.Expect(StrWideToByte(out.data(), source.data(), c.size, c.length), {c.want.begin(), c.want.end()});
    }
}

}  // namespace
