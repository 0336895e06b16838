// Path texts: roots keep their separators, joins and cuts, wildcards, the
// folder tree made on disk.
#include "system/path_text.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

enum Op { kAppend, kRemoveSlash, kRemoveName };

struct EditCase {
    Op op;
    const char* in;
    const char* out;
};

TEST(PathText, EditsKeepRoots)
{
    const EditCase cases[] = {
        {kAppend, "C:\\a", "C:\\a\\"},         {kAppend, "C:/a/", "C:/a/"},
        {kAppend, "", "\\"},                   {kRemoveSlash, "C:\\a\\", "C:\\a"},
        {kRemoveSlash, "C:\\", "C:\\"},        {kRemoveSlash, "\\\\srv\\share\\", "\\\\srv\\share\\"},
        {kRemoveSlash, "\\", "\\"},            {kRemoveSlash, "a//", "a/"},
        {kRemoveName, "C:\\a\\b", "C:\\a\\"},  {kRemoveName, "C:\\a\\b\\", "C:\\a\\"},
        {kRemoveName, "C:\\a", "C:\\"},        {kRemoveName, "C:\\", "C:\\"},
        {kRemoveName, "C:", "C:"},             {kRemoveName, "\\\\srv\\share\\x", "\\\\srv\\share\\"},
        {kRemoveName, "\\\\srv\\share", "\\\\srv\\share"}, {kRemoveName, "name", ""},
        {kRemoveName, "/usr/lib", "/usr/"},
    };
    for (const EditCase& c : cases) {
        std::string text = c.in;
        const size_t length = c.op == kAppend        ? AppendBackslashStr(text)
                              : c.op == kRemoveSlash ? RemoveTrailingSlashStr(text)
                                                     : RemoveFileNameStr(text);
        EXPECT_EQ(text, c.out) << c.op << " " << c.in;
        EXPECT_EQ(length, text.size());
    }
}

struct JoinCase {
    const char* folder;
    const char* name;
    const char* out;
};

TEST(PathText, Join)
{
    const JoinCase cases[] = {
        {"C:\\a", "b.txt", "C:\\a\\b.txt"}, {"C:\\a\\", "\\b", "C:\\a\\b"}, {"", "b.txt", "b.txt"},
        {nullptr, "b", "b"},                {"C:", "b", "C:b"},             {"/x/", "", "/x/"},
    };
    for (const JoinCase& c : cases) {
        std::string out = "alt";
        EXPECT_EQ(JoinPathStr(out, c.folder, c.name), std::string(c.out).size());
        EXPECT_EQ(out, c.out);
    }
}

// "." and empty levels go, ".." takes one level back but never past the
// first; both separators count; the part before `from` is not looked at.
TEST(PathText, CollapsedLevels)
{
    const struct {
        const char* text;
        size_t from;
        std::vector<std::string> levels;
    } cases[] = {
        {"a\\b\\c", 0, {"a", "b", "c"}},
        {"a/./b//c\\", 0, {"a", "b", "c"}},
        {"a\\b\\..\\c", 0, {"a", "c"}},
        {"a\\..\\..\\..\\b", 0, {"b"}},
        {"..\\..", 0, {}},
        {"", 0, {}},
        {"C:\\x\\..\\y", 3, {"y"}},
        {"\\\\srv\\share\\..\\z", 13, {"z"}},
        {"a\\...\\b", 0, {"a", "...", "b"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CollapsedLevels(c.text, c.from), c.levels) << c.text;
}

TEST(PathText, RootsAndFileNames)
{
    const std::pair<const char*, size_t> roots[] = {
        {"C:\\x", 3}, {"c:", 2}, {"\\\\srv\\share\\x", 12}, {"\\\\srv", 5}, {"\\\\srv\\share", 11},
        {"/usr", 1},  {"rel\\x", 0}, {"", 0},
    };
    for (const auto& r : roots)
        EXPECT_EQ(PathRootLength(r.first), r.second) << r.first;

    const std::pair<const char*, const char*> names[] = {
        {"C:\\a\\b.txt", "b.txt"}, {"C:b", "b"}, {"a/b/", ""}, {"plain", "plain"},
    };
    for (const auto& n : names) {
        int length = -1;
        EXPECT_STREQ(FindFileNameA(-1, n.first, &length), n.second);
        EXPECT_EQ(length, int(std::string(n.second).size()));
    }
    int length = -1;
    EXPECT_STREQ(FindFileNameA(4, "ab\\cdef", &length), "cdef");  // only the first 4 characters count
    EXPECT_EQ(length, 1);
}

struct PatternCase {
    const char* patterns;
    const char* name;
    bool match;
};

TEST(PathText, Patterns)
{
    const PatternCase cases[] = {
        {"*.gpx", "Tour.GPX", true},  {"*.gpx; *.kml ", "a.kml", true}, {"*.gpx;*.kml", "a.txt", false},
        {"?.txt", "ab.txt", false},   {"a*b*c", "aXXbYYc", true},        {"a*b*c", "aXXbYY", false},
        {"*Ü*", "grÜn", true},        {"*ü*", "GRÜN", true},             {nullptr, "x", true},
        {" ; ", "x", true},           {"**", "", true},
    };
    for (const PatternCase& c : cases)
        EXPECT_EQ(MatchPatternList(c.patterns, c.name, true), c.match) << c.patterns << " " << c.name;
    EXPECT_FALSE(MatchPatternList(nullptr, "x", false));
    // Many stars on a long name stay linear.
    EXPECT_FALSE(MatchPatternList("*a*a*a*a*a*a*a*a*a*a*b", std::string(5000, 'a').c_str(), true));
}

TEST(PathText, DirectoryTreeAndTypes)
{
    const std::string base = lindar_test::TempDir();
    const std::string deep = base + "/tree/a/b/c";
    ASSERT_NE(CreateDirectoryTreeA(deep.c_str()), 0);
    EXPECT_NE(CreateDirectoryTreeA((deep + "/").c_str()), 0);  // existing is fine
    EXPECT_EQ(GetPathTypeA((base + "/tree/a/b/c").c_str()), kPathFolder);
    EXPECT_EQ(GetPathTypeA((base + "/tree/none").c_str()), kPathMissing);
    EXPECT_EQ(GetPathTypeA(nullptr), kPathMissing);
    EXPECT_EQ(GetPathTypeA(base[1] == ':' ? "Z:\\" : "/"), kPathDriveRoot);
    EXPECT_EQ(GetPathTypeA(base[1] == ':' ? "Z:" : "/"), kPathDriveRoot);

    int length = 0;
    char* folder = AllocFullDirectoryA((base + "/tree/a/file.txt").c_str(), &length);
    ASSERT_NE(folder, nullptr);
    const std::string text(folder);
    std::free(folder);
    EXPECT_EQ(int(text.size()), length);
    EXPECT_TRUE(IsPathSeparator(text.back()));
    EXPECT_NE(text.find("tree"), std::string::npos);
    EXPECT_EQ(AllocFullDirectoryA((std::string(300, 'x') + "/f").c_str()), nullptr);
}

}  // namespace
