// CXpmReader and CXpmWriter: colour values and key forms, refusals with
// their texts, the writer's exact output, its keys and colour reduction,
// round trips and the colour names against the X11 database.
#include "graphics/formats/xpm_colour_names.h"
#include "graphics/formats/xpm_reader.h"
#include "graphics/formats/xpm_writer.h"
#include "tests/graphics/formats/xformats_test_util.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

using namespace codec_test;
using namespace xformats_test;

namespace {

// A whole file around colour lines and pixel lines.
std::string Xpm(const std::string& values, const std::string& colours, const std::string& pixels)
{
    return "/* XPM */\nstatic const char *x[] = {\n\"" + values + "\",\n" + colours + pixels + "};\n";
}

struct ColourCase {
    const char* line;  // the colour line's pairs
    uint32_t colour;
};

const ColourCase kColours[] = {
    {"c None", kXpmNone},          {"c NONE", kXpmNone},          {"c #FFF", 0xFFFFFF},
    {"c #123", 0x112233},          {"c #a1B2c3", 0xA1B2C3},       {"c #123456789", 0x124578},
    {"c #1234abcd5678", 0x12AB56}, {"c Red", 0xFF0000},           {"c RED", 0xFF0000},
    {"c gray50", 0x7F7F7F},        {"c aqua", 0x00FFFF},          {"m white c black", 0},
    {"s sym m white", 0xFFFFFF},   {"g4 #010203 g gray", 0xBEBEBE}, {"m #000 g4 #111", 0x111111},
};

TEST(XpmReader, ReadsColourValuesAndPairs)
{
    for (const ColourCase& c : kColours) {
        CGraphicsImage image;
        ASSERT_EQ(TryRead<CXpmReader>(Text(Xpm("1 1 1 1", std::string("\"a ") + c.line + "\",\n", "\"a\"\n")), image),
                  "")
            << c.line;
        EXPECT_EQ(image.m_nBitCount, 8u);
        uint8_t r, g, b, fourth;
        image.GetPaletteRGBA(0, &r, &g, &b, &fourth);
        EXPECT_EQ(uint32_t(fourth) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | b, c.colour) << c.line;
    }
}

struct ErrorCase {
    std::string data;
    const char* text;
};

const char kColourFormat[] = "Nicht unterst\xFCtztes Farbformat";
const std::string kOneColour = "\"a c red\",\n";

const ErrorCase kErrors[] = {
    {"", "Fehler beim Lesen aus der Datei"},
    {"/* XPN */\n", "Unbekantes Format"},
    {"static char *x[] = \n", "Unbekantes Format"},
    {"static char *x[] = ;", "Unbekantes Format"},
    {Xpm("0 1 1 1", kOneColour, "\"a\"\n"), "Unbekantes Format"},
    {Xpm("8001 1 1 1", kOneColour, "\"a\"\n"), "Unbekantes Format"},
    {Xpm("1 1 1 5", kOneColour, "\"a\"\n"), "Unbekantes Format"},
    {Xpm("1 1 1 0", kOneColour, "\"a\"\n"), "Unbekantes Format"},
    {Xpm("1 1 1025 1", kOneColour, "\"a\"\n"), "Zu viele Farben definiert"},
    {Xpm("1 1 0 1", kOneColour, "\"a\"\n"), "Zu viele Farben definiert"},
    {"/* XPM */\nstatic char *x[] = {\n\"1 1 2 1\",\n\"a c red\",\n", "Zu wenige Farben definiert"},
    {Xpm("1 1 1 1", "\"a c light blue\",\n", "\"a\"\n"), kColourFormat},
    {Xpm("1 1 1 1", "\"a x red\",\n", "\"a\"\n"), kColourFormat},
    {Xpm("1 1 1 1", "\"a c #12345\",\n", "\"a\"\n"), kColourFormat},
    {Xpm("1 1 1 1", "\"a c #12G\",\n", "\"a\"\n"), kColourFormat},
    {Xpm("1 1 1 1", "\"a c\",\n", "\"a\"\n"), kColourFormat},
    {Xpm("1 1 1 1", "\"a s sym\",\n", "\"a\"\n"), kColourFormat},
    {Xpm("1 1 1 3", "\"ab\",\n", "\"a\"\n"), kColourFormat},
    {Xpm("1 1 1 1", kOneColour, "a\n"), "Fehler in der Datei"},
    {Xpm("1 2 1 1", kOneColour, "\"a\"\n").substr(0, 60), "Fehler beim Lesen aus der Datei"},
};

TEST(XpmReader, RefusesWithItsTexts)
{
    for (const ErrorCase& c : kErrors) {
        CGraphicsImage image;
        EXPECT_EQ(TryRead<CXpmReader>(Text(c.data), image), c.text) << c.data;
    }
}

// Every row needs width x k characters: a size the data left cannot hold is
// refused before the image is made (it stays empty); a short row with data
// enough after it is still read.
TEST(XpmReader, RowClaimsAreHeldToTheDataLeft)
{
    const struct {
        std::string data;
        const char* text;
        uint32_t width;  // of the image afterwards
    } cases[] = {
        {Xpm("8000 8000 1 1", kOneColour, "\"a\"\n"), "Fehler beim Lesen aus der Datei", 0},
        {Xpm("4 2 1 2", "\"ab c red\",\n", "\"abab\"\n"), "Fehler beim Lesen aus der Datei", 0},
        {Xpm("2 2 1 1", kOneColour, "\"aa\"\n\"aa\"\n"), "", 2},
        {Xpm("3 1 1 1", kOneColour, "\"a\"\n"), "", 3},
    };
    for (const auto& c : cases) {
        CGraphicsImage image;
        EXPECT_EQ(TryRead<CXpmReader>(Text(c.data), image), c.text) << c.data.substr(0, 60);
        EXPECT_EQ(image.m_nWidth, c.width);
    }
}

// Four-character keys, comments between the lines, a row ending early at an
// unknown key (the rest stays 0) and 300 colours in a 24-bit image.
TEST(XpmReader, ReadsKeysCommentsAndShortRows)
{
    CGraphicsImage image;
    const std::string colours = "\"abcd c #000001\",\n/* two\n lines */\n\"abce c #000002\",\n// note\n";
    ASSERT_EQ(TryRead<CXpmReader>(Text(Xpm("3 2 2 4", colours, "\"abceabcdabce\",\n\n\"abcdabcfabcd\"\n")), image), "");
    EXPECT_EQ(ColoursOf(image, false), (Colours{0xFF000002, 0xFF000001, 0xFF000002, 0xFF000001, 0xFF000001,
                                                0xFF000001}));

    std::string many, row;
    for (int i = 0; i < 300; ++i) {
        const char key[3] = {char('A' + i / 26), char('a' + i % 26), 0};
        many += "\"" + std::string(key) + " c #0000" + "0123456789ABCDEF"[i / 16 % 16] + "0123456789ABCDEF"[i % 16] + "\",\n";
        row += key;
    }
    ASSERT_EQ(TryRead<CXpmReader>(Text(Xpm("300 1 300 2", many, "\"" + row + "\"\n")), image), "");
    EXPECT_EQ(image.m_nBitCount, 24u);
    EXPECT_EQ(ColourAt(image, 299, 0), 299u % 256);
}

TEST(XpmWriter, WritesTheExactSmallImage)
{
    CGraphicsImage image;
    ASSERT_TRUE(image.Create(8, 3, 2, 0));
    image.m_nPaletteSize = 2;
    image.SetPaletteEntry(0, 0x00FF8000);
    image.SetPaletteEntry(1, kXpmNone);
    image.RowAt(0)[1] = 1;
    image.RowAt(1)[2] = 1;
    const Bytes written = TryWrite<CXpmWriter>(image);
    EXPECT_EQ(std::string(written.begin(), written.end()),
              "/* XPM */\nstatic char * unkown_xpm[] = {\n\"3 2 2 1\",\n\"0\tc #FF8000\",\n\"1\tc None\",\n"
              "\"010\",\n\"001\"};\n");
    CGraphicsImage back;
    ASSERT_EQ(TryRead<CXpmReader>(written, back), "");
    EXPECT_EQ(ColoursOf(back), ColoursOf(image));
}

// A 24-bit image of n distinct colours: the count of colour lines and the key length.
TEST(XpmWriter, KeysAndReductionFollowTheColourCount)
{
    const struct {
        int colours, lines, k;
    } cases[] = {{2, 2, 1}, {63, 63, 1}, {64, 64, 2}, {1023, 1023, 2}, {1024, 256, 2}};
    for (const auto& c : cases) {
        CGraphicsImage image;
        ASSERT_TRUE(image.Create(24, 64, 17, 0));
        for (int i = 0; i < 64 * 17; ++i)
            image.m_pfnSetPixel(image.RowAt(i / 64), i % 64, uint32_t(i % c.colours) * 0x010305);
        const Bytes written = TryWrite<CXpmWriter>(image);
        std::istringstream text(std::string(written.begin(), written.end()));
        std::string line, values;
        std::getline(text, line), std::getline(text, line), std::getline(text, values);
        int width, height, count, k;
        ASSERT_EQ(std::sscanf(values.c_str(), "\"%d %d %d %d\"", &width, &height, &count, &k), 4);
        EXPECT_LE(count, c.lines) << c.colours;
        EXPECT_EQ(k, c.k) << c.colours;
        CGraphicsImage back;
        ASSERT_EQ(TryRead<CXpmReader>(written, back), "") << c.colours;
        if (c.colours < 1024) {
            EXPECT_EQ(Differences(ColoursOf(back, false), ColoursOf(image, false)), 0);
        }
    }
}

TEST(XpmWriter, SymbolNamesFromPaths)
{
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Karten\\Karte.xpm", "Karte_xpm"}, {"/tmp/9lives-1.xpm", "_lives_1_xpm"}, {"a/b\\c_d", "c_d"}, {"dir/", ""}};
    for (const auto& [path, name] : cases) {
        char out[64];
        MakeXpmSymbolName(path, out);
        EXPECT_STREQ(out, name) << path;
    }
}

// Every name and value as the X11 colour database has it ("aqua" excepted).
TEST(XpmColourNames, MatchTheX11Database)
{
    std::ifstream rgb("/usr/share/X11/rgb.txt");
    if (!rgb) GTEST_SKIP() << "no X11 rgb.txt";
    std::map<std::string, uint32_t> database;
    for (std::string line; std::getline(rgb, line);) {
        std::istringstream fields(line);
        uint32_t r, g, b;
        if (line.empty() || line[0] == '!' || !(fields >> r >> g >> b)) continue;
        std::string name, word;
        while (fields >> word) name += word;
        for (char& ch : name) ch = char(std::tolower((unsigned char)ch));
        database.emplace(name, r << 16 | g << 8 | b);
    }
    database["aqua"] = 0x00FFFF;
    ASSERT_EQ(kXpmColourNameCount, 658);
    for (int i = 0; i < kXpmColourNameCount; ++i) {
        const XpmColourName& entry = kXpmColourNames[i];
        ASSERT_EQ(database.count(entry.name), 1u) << entry.name;
        EXPECT_EQ(database[entry.name], entry.value) << entry.name;
        if (i > 0) {
            EXPECT_LT(std::string(kXpmColourNames[i - 1].name), std::string(entry.name));
        }
    }
}

}  // namespace
