#include "text/text_services.h"

#include <gtest/gtest.h>

#include "tests/text/text_test_util.h"

#include <algorithm>
#include <bitset>
#include <string>
#include <vector>

namespace {

// A guarded destination of `size` bytes; the result compared as text.
struct Buffer : text_test::Guarded<char> {
    explicit Buffer(int size) : Guarded(size, '#') {}
    void Expect(int got, const std::string& want) const { Guarded::Expect(got, {want.begin(), want.end()}); }
};

TEST(BoundedText, CopyCutsToSizeAndTerminates)
{
    struct Case {
        const char* source;
        int size;
        const char* want;
    } cases[] = {
        {"abc", 8, "abc"}, {"abc", 4, "abc"}, {"abcd", 4, "abc"}, {"abc", 2, "a"},
        {"abc", 1, ""},    {"abc", 0, ""},    {"abc", -5, ""},    {"", 3, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " size " + std::to_string(c.size));
        Buffer b(c.size);
        b.Expect(StrCopyBoundedA(b.data(), c.source, c.size), c.want);
    }
}

TEST(BoundedText, CopyMayOverlap)
{
    char text[] = "abcdef";
    EXPECT_EQ(StrCopyBoundedA(text, text + 2, 7), 4);
    EXPECT_STREQ(text, "cdef");
}

TEST(BoundedText, AppendCutsToSizeAndTerminates)
{
    struct Case {
        const char* old;
        const char* source;
        int size;
        const char* want;
    } cases[] = {
        {"abc", "de", 8, "abcde"}, {"abc", "defgh", 8, "abcdefg"}, {"abc", "x", 4, "abc"},
        {"", "xyz", 3, "xy"},      {"ab", "", 5, "ab"},            {"", "x", 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.old) + "+" + c.source + " size " + std::to_string(c.size));
        Buffer b(c.size);
        std::copy(c.old, c.old + std::string(c.old).size() + 1, b.data());
        b.Expect(StrAppendBoundedA(b.data(), c.source, c.size), c.want);
    }
}

TEST(BoundedText, AppendLeavesABufferWithoutNulAlone)
{
    const std::string before("abcd##\0", 7);
    std::string bytes = before;
    EXPECT_EQ(StrAppendBoundedA(bytes.data(), "xy", 4), 4);
    EXPECT_EQ(bytes, before);
    EXPECT_EQ(StrAppendBoundedA(bytes.data(), "xy", 0), 0);
    EXPECT_EQ(StrAppendBoundedA(bytes.data(), "xy", -1), 0);
    EXPECT_EQ(bytes, before);
}

TEST(BoundedText, PrefixCopiesAtMostNAndReadsNoFurther)
{
    // Not terminated: a read past n would run into the guard.
    const char unterminated[3] = {'a', 'b', 'c'};
    struct Case {
        const char* source;
        int size;
        int n;
        const char* want;
    } cases[] = {
        {"abcdef", 8, 3, "abc"}, {"ab", 8, 5, "ab"}, {"abcdef", 3, 5, "ab"}, {"abc", 8, 0, ""},
        {"abc", 8, -1, ""},      {"abc", 1, 3, ""},  {"abc", 0, 3, ""},      {unterminated, 8, 3, "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.size) + " n " + std::to_string(c.n));
        Buffer b(c.size);
        b.Expect(StrCopyPrefixA(b.data(), c.source, c.size, c.n), c.want);
    }
}

TEST(BoundedText, Lengths)
{
    const char unterminated[4] = {'w', 'x', 'y', 'z'};
    const struct {
        const char* text;
        int n, bounded;
        char stop;
        int toChar;
    } cases[] = {
        {"abc", 10, 3, '\0', 3},   {"abc", 2, 2, 'a', 0},       {"abc", 0, 0, 'c', 2},        {"abc", -3, 0, 'x', 3},
        {"", 1, 0, 'a', 0},        {"\nx", 9, 2, '\n', 0},      {"Maß", 9, 3, '\xDF', 2},
        {"line one\nline two", 99, 17, '\n', 8},               {"no break", 99, 8, '\n', 8},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StrLenBoundedA(c.text, c.n), c.bounded) << c.text << " " << c.n;
        EXPECT_EQ(StrLenToCharA(c.text, c.stop), c.toChar) << c.text << " " << int(c.stop);
    }
    EXPECT_EQ(StrLenBoundedA(unterminated, 4), 4);
}

TEST(CharClasses, EveryByteHasOneClassAndCasePairsRoundTrip)
{
    for (int c = 0; c < 256; ++c) {
        uint32_t cls = CharClassOf(static_cast<unsigned char>(c));
        EXPECT_EQ(std::bitset<32>(cls).count(), 1u) << c;
        unsigned char up = CharToUpper(static_cast<unsigned char>(c));
        unsigned char low = CharToLower(static_cast<unsigned char>(c));
        if (cls & (kCharUpper | kCharNatUpper)) {
            EXPECT_EQ(CharToUpper(low), c) << c;
            EXPECT_NE(low, c) << c;
        } else if ((cls & (kCharLower | kCharNatLower)) && c != 0xDF) {
            EXPECT_EQ(CharToLower(up), c) << c;
            EXPECT_NE(up, c) << c;
        } else {
            EXPECT_EQ(up, c) << c;
            EXPECT_EQ(low, c) << c;
        }
    }
}

TEST(CharClasses, ClassesOfTheCharactersCallersLookFor)
{
    struct Case {
        char c;
        uint32_t cls;
    } cases[] = {
        {'\0', kCharEnd},       {'A', kCharUpper},       {'z', kCharLower},        {'7', kCharDigit},
        {' ', kCharSpace},      {'\t', kCharSpace},      {'\n', kCharSpace},       {'\\', kCharPathSep},
        {'/', kCharPathSep},    {':', kCharColon},       {'.', kCharPunct},        {'~', kCharPunct},
        {'\x01', kCharControl}, {'\x7F', kCharControl},  {'Ä', kCharNatUpper},     {'Š', kCharNatUpper},
        {'Œ', kCharNatUpper},   {'Ÿ', kCharNatUpper},    {'Þ', kCharNatUpper},     {'ö', kCharNatLower},
        {'ß', kCharNatLower},   {'ž', kCharNatLower},    {'ÿ', kCharNatLower},     {'×', kCharOther},
        {'÷', kCharOther},      {'€', kCharOther},       {'\xA0', kCharOther},     {'µ', kCharOther},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CharClassOf(static_cast<unsigned char>(c.c)), c.cls) << int(static_cast<unsigned char>(c.c));
}

TEST(CharClasses, SpanStopsAtAMatchingClassOrTheNul)
{
    const char withHiddenTail[] = "ab\0cd\\";
    struct Case {
        const char* text;
        uint32_t mask;
        int want;
    } cases[] = {
        {"server\\share\\dir", kCharPathSep, 6}, {"server/share", kCharPathSep, 6}, {"server", kCharPathSep, 6},
        {"", kCharPathSep, 0}, {"\\x", kCharPathSep, 0}, {"abc123", kCharDigit, 3}, {"12 Äb", kCharLetter, 3},
        {"12 Äb", kCharAsciiLetter, 4}, {"word  next", kCharSpace | kCharPunct, 4}, {"C:dir", kCharColon, 1},
        {"anything", 0, 8},
        // The end bit lets the NUL pass the class test, yet nothing beyond it
        // is a text.
        {withHiddenTail, kCharPathSep | kCharEnd, 2}, {withHiddenTail, kCharEnd, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StrSpanNotClassA(c.text, c.mask), c.want) << c.text << " mask " << std::hex << c.mask;
}

// Two texts compared over n characters, and the sign-carrying result.
struct CompareCase {
    const char* a;
    const char* b;
    int n;
    int want;
};

TEST(PathCompare, FoldsAsciiCaseAndSeparators)
{
    const CompareCase cases[] = {
        {"C:\\Maps\\Tiles", "c:/maps/tiles", 260, 0}, {"C:\\Maps", "C:\\Maps\\Tiles", 7, 0},
        {"C:\\Maps", "C:\\Maps\\Tiles", 8, -'\\'}, {"abc", "abd", 3, 'c' - 'd'}, {"abc", "abd", 2, 0},
        {"abc", "xyz", 0, 0}, {"abc", "xyz", -1, 0}, {"A_", "a[", 2, '_' - '['}, {"_", "A", 1, '_' - 'a'},
        {"Ä", "ä", 1, 0xC4 - 0xE4}, {"\xFF", "a", 1, 0xFF - 'a'}, {"ab", "ab", 100, 0}, {"ab", "abc", 100, -'c'},
    };
    for (const CompareCase& c : cases)
        EXPECT_EQ(PathCompareNA(c.a, c.b, c.n), c.want) << c.a << " / " << c.b << " n " << c.n;
}

TEST(NoCaseText, FoldsTheCodePagesLetters)
{
    const CompareCase cases[] = {
        {"Übersicht", "übersicht", -1, 0}, {"ALLGÄU.GPX", "allgäu.gpx", -1, 0}, {"\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF", -1, 0},
        {"STRAßE", "straße", -1, 0}, {"Berge m", "berge mit", 7, 0}, {"Berge m", "bergem", 7, ' ' - 'm'},
        {"abc", "abd", 2, 0}, {"abc", "abd", -1, 'c' - 'd'}, {"ab", "abc", -1, -'c'}, {"x", "y", 0, 0},
        {"\xD7", "\xF7", -1, 0xD7 - 0xF7},  // × and ÷ are no letters
    };
    for (const CompareCase& c : cases)
        EXPECT_EQ(StrCompareNoCaseNA(c.a, c.b, c.n), c.want) << c.a << " / " << c.b << " n " << c.n;

    struct Find {
        const char* text;
        const char* pattern;
        int want;
    } finds[] = {
        {"Allgäu.gpx", "ALLGÄ", 0}, {"Tour Allgäu", "LLGÄU", 6}, {"abc", "", 0}, {"", "", 0}, {"", "a", -1},
        {"abc", "abcd", -1}, {"aab", "ab", 1}, {"Übersicht", "ÜBERSICHT", 0},
    };
    for (const Find& f : finds)
        EXPECT_EQ(StrFindNoCaseA(f.text, f.pattern), f.want) << f.text << " / " << f.pattern;
}

}  // namespace
