// The file-dialog extension's decisions without windows: the import walk
// over synthetic images, value names and keys, caption, the remember
// decisions, the stored list, the matching step and the popup arithmetic.
#include <gtest/gtest.h>

#include "platform/framework/message_routes.h"
#include "ui/filedlg/ofn_logic.h"
#include "ui/filedlg/pe_imports.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Texts;

// A mapped PE32 image: descriptors at 0x200, everything else from 0x4000.
struct Descriptor {
    std::string module;
    Texts imports;  // "#n" imports by ordinal
};
std::vector<uint8_t> MakeImage(const std::vector<Descriptor>& descriptors, size_t extraDescriptors = 0)
{
    std::vector<uint8_t> image(0x40000, 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&image[at], &v, 4); };
    put32(0x3C, 0x40);
    put32(0x40, 0x00004550);
    image[0x40 + 24] = 0x0B;
    image[0x40 + 25] = 0x01;
    put32(0x40 + 24 + 104, 0x200);
    size_t heap = 0x4000;
    auto text = [&](const std::string& s) {
        size_t at = heap;
        std::memcpy(&image[at], s.c_str(), s.size() + 1);
        heap += s.size() + 2;
        return uint32_t(at);
    };
    size_t d = 0;
    for (; d < descriptors.size() + extraDescriptors; ++d) {
        const Descriptor& desc = descriptors[std::min(d, descriptors.size() - 1)];
        uint32_t names = uint32_t(heap), table = uint32_t(heap + 0x40);
        heap += 0x80;
        for (size_t t = 0; t < desc.imports.size(); ++t) {
            const std::string& imp = desc.imports[t];
            uint32_t entry = imp[0] == '#' ? 0x80000000u | uint32_t(std::stoi(imp.substr(1))) : text("\x01\x01" + imp) ;
            put32(names + t * 4, entry);
            put32(table + t * 4, entry);
        }
        put32(0x200 + d * 20, names);
        put32(0x200 + d * 20 + 12, text(desc.module));
        put32(0x200 + d * 20 + 16, table);
    }
    return image;
}

TEST(OfnLogic, ImportWalkFindsOnlyComdlgNamedEntries)
{
    const Texts both{"GetOpenFileNameW", "#5", "GetOpenFileNameA", "GetSaveFileNameA"};
    struct Case {
        std::vector<Descriptor> image;
        size_t found;
    } cases[] = {
        {{{"KERNEL32.dll", both}, {"COMDLG32.DLL", both}}, 2},
        {{{"comdlg32", both}}, 2},
        {{{"comdlg32x.dll", both}}, 0},
        {{{"xcomdlg32.dll", both}}, 0},
        {{{"comdlg32.dll", {"#1", "GetOpenFileNameW"}}}, 0},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> image = MakeImage(c.image);
        std::vector<ImportSlot> slots = FindFileDialogImports(image.data(), image.size());
        ASSERT_EQ(slots.size(), c.found) << c.image.back().module;
        if (c.found == 2) {
            EXPECT_EQ(slots[0].function, ImportSlot::kOpen);
            EXPECT_EQ(slots[1].function, ImportSlot::kSave);
        }
    }
    // Limits: 256 descriptors, a cut image, an image of no PE.
    std::vector<uint8_t> many = MakeImage({{"user32.dll", {"x"}}}, 300);
    std::memcpy(&many[0x200 + 260 * 20 + 12], &many[0x200 + 12], 4);  // a comdlg32 beyond the limit
    EXPECT_TRUE(FindFileDialogImports(many.data(), many.size()).empty());
    std::vector<uint8_t> cut = MakeImage({{"comdlg32.dll", both}});
    EXPECT_TRUE(FindFileDialogImports(cut.data(), 0x40A0).empty());
    EXPECT_TRUE(FindFileDialogImports(cut.data(), 0x30).empty());
}

TEST(OfnLogic, ValueNamesKeysAndCaption)
{
    const std::pair<std::string, std::string> names[] = {
        {"gpx", "OfnListGpx"}, {"*.GPX", "OfnListGpx"}, {"a.b.kMl", "OfnListKml"}, {"", "OfnList"},
        {"*.?", "OfnList"}, {std::string(30, 'x'), "OfnListX" + std::string(23, 'x')},
    };
    for (const auto& n : names)
        EXPECT_EQ(OfnListValueName(n.first), n.second);
    auto velkX = [](const std::string& key) { return key == "Software\\Velk\\X"; };
    EXPECT_EQ(OfnListKey("Velk", "Lindar", velkX), "Software\\Velk\\Lindar");
    EXPECT_EQ(OfnListKey("", "X", velkX), "Software\\Velk\\X");
    EXPECT_EQ(OfnListKey("", "Y", velkX), "Software\\Velk\\Common\\OfnList");
    EXPECT_EQ(OfnListKey("K", "", velkX), "Software\\Velk\\Common\\OfnList");
    std::string key, value;
    SplitProfilePath("Software\\T\\Sub\\Name", &key, &value);
    EXPECT_EQ(key + "|" + value, "Software\\T\\Sub|Name");

    CaptionSplit c = SplitCaption("Nur lesen@GPX-Dateien");
    EXPECT_EQ(c.caption, "Nur lesen");
    EXPECT_EQ(c.filterOffset, 10u);
    c = SplitCaption("GPX-Dateien");
    EXPECT_EQ(c.caption, "GPX-Dateien");
    EXPECT_EQ(c.filterOffset, 0u);
}

struct RememberCase {
    uint32_t mode;
    bool save;
    std::string chosen;
    bool add;
    std::string path;
};

TEST(OfnLogic, RememberDecisions)
{
    const std::map<std::string, uint32_t> files{
        {"D:\\Data", kDirectoryBit}, {"D:\\Data\\a.gpx", 0x20}, {"D:\\Data\\Sub", kDirectoryBit}, {"a.gpx", 0x20}};
    AttributesFn attrs = [&](const std::string& p) {
        auto it = files.find(p);
        return it == files.end() ? kNoFile : it->second;
    };
    const RememberCase cases[] = {
        {kOfnModeFolders, false, "D:\\Data\\a.gpx", true, "D:\\Data\\"},
        {kOfnModeFolders, true, "D:\\Data\\new.gpx", false, "D:\\Data\\new.gpx"},
        {kOfnModeFolders, true, "D:\\Data\\a.gpx", true, "D:\\Data\\"},
        {kOfnModeFolders, false, "D:\\Data\\", true, "D:\\Data\\"},
        {kOfnModeFolders, false, "D:\\Data\\gone.gpx", true, "D:\\Data\\"},
        {kOfnModePaths, false, "D:\\Data\\a.gpx", true, "D:\\Data\\a.gpx"},
        {kOfnModeShowOnly, false, "D:\\Data\\a.gpx", false, "D:\\Data\\a.gpx"},
        {kOfnModeOwnList, false, "D:\\Data\\a.gpx", true, "D:\\Data\\a.gpx"},
        {kOfnModeOwnList, false, "D:\\Data", false, "D:\\Data\\"},
        // Relative names are resolved against the dialog's folder, never the
        // process's (where an "a.gpx" would make an empty entry).
        {kOfnModeFolders, false, "a.gpx", true, "D:\\Data\\"},
        {kOfnModeFolders, false, "", false, ""},
    };
    for (const RememberCase& c : cases) {
        RememberDecision d = DecideRemember(c.chosen, "D:\\Data", c.mode, c.save, attrs);
        EXPECT_EQ(d.add, c.add) << c.chosen << " mode " << c.mode;
        EXPECT_EQ(d.path, c.path) << c.chosen;
    }
    Texts list{"X", "D:\\Data\\Sub\\"};
    EXPECT_TRUE(ApplyRemember(list, "D:\\Data\\"));  // a longer entry is not the same
    EXPECT_EQ(list, (Texts{"D:\\Data\\", "X", "D:\\Data\\Sub\\"}));
    EXPECT_FALSE(ApplyRemember(list, "d:\\data\\"));
    EXPECT_TRUE(ApplyRemember(list, "x"));
    EXPECT_EQ(list, (Texts{"x", "D:\\Data\\", "D:\\Data\\Sub\\"}));
}

TEST(OfnLogic, CollapsesDotPartsAboveTheRoot)
{
    const std::pair<std::string, std::string> cases[] = {
        {"D:\\Touren Ä\\Gipfel\\..\\..\\a.gpx", "D:\\a.gpx"},
        {"D:\\Touren Ä\\Gipfel\\..\\Allgäu.gpx", "D:\\Touren Ä\\Allgäu.gpx"},
        {"D:/Touren Ä/./Gipfel//", "D:\\Touren Ä\\Gipfel\\"},
        {"D:\\..\\..\\a", "D:\\a"},
        {"D:\\a\\..", "D:\\"},
        {"D:\\", "D:\\"},
        {"\\\\srv\\teil\\x\\..\\..\\y", "\\\\srv\\teil\\y"},
        {"\\\\srv\\teil", "\\\\srv\\teil"},
        {"\\a\\..\\b", "\\b"},
        {"..\\a", "..\\a"},         // no root: left as it is
        {"D:x\\..\\y", "D:x\\..\\y"},
        {"D:\\...\\x", "D:\\...\\x"},  // three dots are a name
    };
    for (const auto& c : cases)
        EXPECT_EQ(CollapsePath(c.first), c.second) << c.first;
}

// The recent list holds one spelling per folder: dot parts are collapsed
// before the case-blind match, national letters included.
TEST(OfnLogic, RememberedFoldersAreCollapsedAndMatchedCaseBlind)
{
    const std::map<std::string, uint32_t> files{{"D:\\Touren Ä", kDirectoryBit},
                                                {"D:\\Touren Ä\\Gipfel", kDirectoryBit},
                                                {"D:\\Touren Ä\\Allgäu.gpx", 0x20},
                                                {"D:\\a.gpx", 0x20}};
    AttributesFn attrs = [&](const std::string& p) {
        auto it = files.find(p);
        return it == files.end() ? kNoFile : it->second;
    };
    const struct {
        std::string chosen;
        Texts before;
        Texts after;
    } cases[] = {
        {"D:\\Touren Ä\\Gipfel\\..\\Allgäu.gpx", {"D:\\Touren Ä\\"}, {"D:\\Touren Ä\\"}},
        {"D:\\Touren Ä\\Gipfel\\..\\..\\a.gpx", {"D:\\Touren Ä\\"}, {"D:\\", "D:\\Touren Ä\\"}},
        {"Gipfel\\..\\Allgäu.gpx", {"x", "d:\\TOUREN ä\\"}, {"D:\\Touren Ä\\", "x"}},
        {"D:/Touren Ä/Gipfel/../", {"D:\\TOUREN Ä\\"}, {"D:\\TOUREN Ä\\"}},
    };
    for (const auto& c : cases) {
        RememberDecision d = DecideRemember(c.chosen, "D:\\Touren Ä", kOfnModeFolders, false, attrs);
        Texts list = c.before;
        if (d.add)
            ApplyRemember(list, d.path);
        EXPECT_EQ(list, c.after) << c.chosen;
    }
}

// A folder change clears the typed text only when the folder is another.
TEST(OfnLogic, FolderChangeKeepsTheTextOfTheFirstAndTheSameFolder)
{
    const struct {
        std::string listed, folder;
        bool keeps;
    } cases[] = {
        {"", "D:\\Viele Ordner", true},                 // the dialog's first folder
        {"D:\\Viele Ordner", "D:\\Viele Ordner", true},  // repeated
        {"D:\\Viele Ordner", "d:\\VIELE ordner\\", true},
        {"D:\\Touren Ä", "D:\\TOUREN ä", true},
        {"D:\\Touren Ä\\Gipfel", "D:\\Touren Ä\\Gipfel\\..\\Gipfel", true},
        {"D:\\Touren Ä", "D:\\Touren Ä\\Gipfel", false},
        {"D:\\", "D:\\Touren Ä", false},
        {"D:\\Touren Ä", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FolderChangeKeepsText(c.listed, c.folder), c.keeps) << c.listed << " -> " << c.folder;
}

// The routing tables: ranges, gaps and "any code" rows of a command id.
TEST(OfnLogic, RoutesFindTheRowOfAKey)
{
    constexpr auto Command = [](uint32_t id, uint32_t code) { return DialogKey(kRouteCommand, id, code); };
    typedef int (*Handler)();
    constexpr Route<Handler> rows[] = {
        {30, 30, [] { return 3; }},
        {0x17E, 0x1B2, [] { return 4; }},
        {5, 5, [] { return 1; }},
        {Command(1, 0), Command(1, 0xFFFF), [] { return 5; }},
        {Command(1152, 5), [] { return 6; }},
    };
    constexpr auto sorted = SortRoutes(rows);
    static_assert(RoutesDisjoint(sorted), "rows overlap");
    constexpr Route<Handler> overlapping[] = {{1, 9, nullptr}, {9, 9, nullptr}};
    static_assert(!RoutesDisjoint(SortRoutes(overlapping)), "the overlap is seen");
    const std::pair<RouteKey, int> keys[] = {
        {5, 1}, {30, 3}, {0x17E, 4}, {0x190, 4}, {0x1B2, 4}, {0x1B3, 0}, {4, 0}, {31, 0},
        {Command(1, 0), 5}, {Command(1, 0xFFFF), 5}, {Command(1152, 5), 6}, {Command(1152, 4), 0},
    };
    for (const auto& k : keys) {
        const Route<Handler>* route = FindRoute(sorted, k.first);
        EXPECT_EQ(route ? route->handler() : 0, k.second) << k.first;
    }
}

TEST(OfnLogic, RecentListBoundsWritingAndReading)
{
    Texts twenty, long16;
    std::string first16;
    for (int i = 0; i < 20; ++i) {
        twenty.push_back("e" + std::to_string(i));
        if (i < 16)
            first16 += twenty.back() + '\0';
    }
    std::vector<char> bytes = BuildRecentList(twenty);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), first16 + '\0');
    for (int i = 0; i < 16; ++i)
        long16.push_back(std::string(300, char('a' + i)));
    bytes = BuildRecentList(long16);
    EXPECT_LE(bytes.size(), kRecentBytes);
    EXPECT_EQ(ParseRecentList(bytes.data(), bytes.size()), Texts(long16.begin(), long16.begin() + 13));
    std::string forty;
    for (int i = 0; i < 40; ++i)
        forty += "s" + std::to_string(i) + '\0';
    EXPECT_EQ(ParseRecentList(forty.data(), forty.size()).size(), kRecentRead);
    EXPECT_EQ(ParseRecentList(forty.data(), forty.size())[31], "s31");
}

TEST(OfnLogic, MatchingStepAndPopupArithmetic)
{
    const Texts names{"alpha.gpx", "beta", "ALPINE.txt", "al"};
    MatchCursor cursor;
    Texts matched;
    bool hit = false;
    for (long at; (at = MatchStep(names, "alp", cursor, &hit)) >= 0;)
        if (hit) {
            matched.push_back(names[size_t(at)]);
            Posted(cursor);
        }
    EXPECT_EQ(matched, (Texts{"alpha.gpx", "ALPINE.txt"}));
    const std::pair<std::string, Texts> national[] = {
        {"ALLGÄ", {"Allgäu.gpx"}},
        {"allg", {"Allgäu.gpx", "ALLGEMEIN"}},
        {"äRG", {"Ärger Tour.gpx"}},
        {"berge m", {"Berge mit Leerzeichen"}},
        {"Ü", {"Übersicht"}},
    };
    const Texts tree{"Allgäu.gpx", "Ärger Tour.gpx", "Bergem.gpx", "Berge mit Leerzeichen", "Übersicht", "ALLGEMEIN"};
    for (const auto& n : national) {
        Texts found;
        cursor.Reset();
        for (long at; (at = MatchStep(tree, n.first, cursor, &hit)) >= 0;)
            if (hit) {
                found.push_back(tree[size_t(at)]);
                Posted(cursor);
            }
        EXPECT_EQ(found, n.second) << n.first;
    }
    Texts many(150, "x");
    cursor.Reset();
    while (MatchStep(many, "X", cursor, &hit) >= 0)
        Posted(cursor);
    EXPECT_EQ(cursor.posted, kMaxMatches);
    EXPECT_FALSE(IsListedName(".."));
    EXPECT_TRUE(IsListedName("..x"));

    PopupRects r = PopupLayout(200, 120, 16);
    EXPECT_EQ(r.listWidth, 185);
    EXPECT_EQ(r.barHeight, 105);
    EXPECT_EQ(r.gripLeft, 184);
    EXPECT_EQ(PopupLinesPerPage(120, 2), 30);
    EXPECT_EQ(PopupLinesPerPage(120, 13), 9);
    const int scroll[][3] = {{kLineUp, 4, 3}, {kLineDown, 4, 5}, {kPageUp, 4, -5}, {kPageDown, 4, 13},
                             {kThumbTrack, 4, 7}, {kTop, 4, 0}, {kEnd, 4, -1}};
    for (const auto& s : scroll)
        EXPECT_EQ(PopupScrollTarget(s[0], s[1], 9, 7), s[2]) << s[0];
    EXPECT_EQ(PopupWheelLines(-240), -2);
    EXPECT_EQ(PopupWheelLines(100), 0);
    int w = 0, h = 0;
    PopupDragSize(100, 100, -90, 20, 16, &w, &h);
    EXPECT_EQ(w, 32);
    EXPECT_EQ(h, 120);
    FirstDialogSize(100, 48, &w, &h);
    EXPECT_EQ(w, 900);
    EXPECT_EQ(h, 825);
}

// Where the dialog opens at 96, 120 and 144 dpi (icons 32, 40, 48 wide) on
// screens of several work areas, first sized or in a remembered size.
struct PlaceCase {
    const char* what;
    int icon;
    bool first;
    int extra;
    bool resizable;
    RECT made, area, expected;
};

std::vector<LONG> Sides(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

TEST(FileDialogPlace, OpensWithinTheWorkArea)
{
    constexpr RECT kMade = {100, 60, 530, 350};  // the system's template size
    constexpr RECT k800 = {0, 0, 800, 600}, kBarBelow = {0, 0, 800, 570}, kBarAbove = {0, 30, 800, 600};
    constexpr RECT k1280 = {0, 0, 1280, 1024}, kRightOf1280 = {1280, 0, 2080, 600}, kUnknown = {0, 0, 0, 0};
    const PlaceCase cases[] = {
        {"96 dpi on 800 x 600", 32, true, 0, true, kMade, k800, {100, 60, 700, 510}},
        {"96 dpi above a task bar", 32, true, 0, true, kMade, kBarBelow, {100, 60, 700, 510}},
        {"96 dpi on 1280 x 1024", 32, true, 0, true, kMade, k1280, {100, 60, 700, 510}},
        // A size that fits is kept with its place, even across an edge.
        {"120 dpi on 800 x 600", 40, true, 0, true, kMade, k800, {100, 60, 850, 622}},
        {"120 dpi above a task bar", 40, true, 0, true, kMade, kBarBelow, {100, 60, 850, 622}},
        {"120 dpi with a template's extra height", 40, true, 100, true, kMade, k800, {50, 0, 800, 600}},
        {"144 dpi on 800 x 600", 48, true, 0, true, kMade, k800, {0, 0, 800, 600}},
        {"144 dpi above a task bar", 48, true, 0, true, kMade, kBarBelow, {0, 0, 800, 570}},
        {"144 dpi below a task bar", 48, true, 0, true, kMade, kBarAbove, {0, 30, 800, 600}},
        {"144 dpi on 1280 x 1024", 48, true, 0, true, kMade, k1280, {100, 60, 1000, 735}},
        {"144 dpi on a monitor right of another", 48, true, 0, true, {1300, 60, 1730, 350}, kRightOf1280,
         {1280, 0, 2080, 600}},
        {"144 dpi, not resizable", 48, true, 0, false, kMade, k800, {100, 60, 1000, 735}},
        {"144 dpi, work area unknown", 48, true, 0, true, kMade, kUnknown, {100, 60, 1000, 735}},
        // Later dialogs come in the size the system remembered.
        {"remembered 700 x 500 on 800 x 600", 32, false, 0, true, {50, 40, 750, 540}, k800, {50, 40, 750, 540}},
        {"remembered 1000 x 800 on 800 x 600", 32, false, 0, true, {50, 40, 1050, 840}, k800, {0, 0, 800, 600}},
        {"remembered 1000 x 500: only the width cut", 32, false, 0, true, {50, 40, 1050, 540}, k800,
         {0, 40, 800, 540}},
        {"remembered 1000 x 800 above a task bar", 48, false, 0, true, {50, 40, 1050, 840}, kBarBelow,
         {0, 0, 800, 570}},
        {"remembered 900 x 675 on 1280 x 1024", 48, false, 0, true, {10, 20, 910, 695}, k1280, {10, 20, 910, 695}},
        {"remembered too large, not resizable", 32, false, 0, false, {50, 40, 1050, 840}, k800, {50, 40, 1050, 840}},
    };
    for (const PlaceCase& c : cases)
        EXPECT_EQ(Sides(FileDialogRect(c.made, c.first, c.extra, c.icon, c.resizable, c.area)), Sides(c.expected))
            << c.what;
    // The system's minimum is the size it made: at 144 dpi 814 x 602.
    const struct {
        POINT minimum;
        RECT area;
        POINT expected;
    } minimums[] = {
        {{814, 602}, k800, {800, 600}},   {{814, 602}, kBarBelow, {800, 570}}, {{814, 602}, k1280, {814, 602}},
        {{430, 290}, k800, {430, 290}},   {{814, 602}, kUnknown, {814, 602}},
    };
    for (const auto& m : minimums) {
        const POINT fitted = MinimumSizeInArea(m.minimum, m.area);
        EXPECT_EQ(std::vector<LONG>({fitted.x, fitted.y}), std::vector<LONG>({m.expected.x, m.expected.y}))
            << m.minimum.x << " x " << m.minimum.y << " in " << m.area.right << " x " << m.area.bottom;
    }
}

// Where the popup of typed names opens beside a combo 30 high: under it,
// above it when only that side has room, else on the roomier side, cut.
TEST(FileDialogPlace, PopupOpensWhereTheWorkAreaHasRoom)
{
    constexpr RECT k800 = {0, 0, 800, 600}, kBarAbove = {0, 30, 800, 600}, kUnknown = {0, 0, 0, 0};
    const struct {
        const char* what;
        RECT combo, area, expected;
    } cases[] = {
        {"room below", {280, 300, 650, 330}, k800, {280, 330, 630, 450}},
        {"exactly room below", {280, 450, 650, 480}, k800, {280, 480, 630, 600}},
        {"144 dpi on 800 x 600: room above only", {282, 456, 672, 486}, k800, {282, 336, 632, 456}},
        {"the Save dialog lower still", {282, 497, 672, 527}, k800, {282, 377, 632, 497}},
        {"room on neither side, more below", {280, 200, 650, 230}, {0, 100, 800, 340}, {280, 230, 630, 340}},
        {"room on neither side, more above", {280, 210, 650, 240}, {0, 100, 800, 340}, {280, 100, 630, 210}},
        {"no room below, exactly room above", {280, 220, 650, 250}, {0, 100, 800, 340}, {280, 100, 630, 220}},
        {"a task bar above: still room below", {280, 100, 650, 130}, kBarAbove, {280, 130, 630, 250}},
        {"past the area's right edge", {600, 300, 970, 330}, k800, {450, 330, 800, 450}},
        {"work area unknown", {282, 497, 672, 527}, kUnknown, {282, 527, 632, 647}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Sides(PopupRect(c.combo, 350, 120, c.area)), Sides(c.expected)) << c.what;
}

}  // namespace
