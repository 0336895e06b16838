// The folder dialog's decisions: path texts, OK rules and start paths over a
// map file system, the recent list, option words, type-ahead and sizing.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "system/record_array.h"
#include "text/text_services.h"
#include "ui/folderdlg/path_dlg_logic.h"

namespace {

// Paths known to the fake file system (lower case) and their kinds.
struct FakeFs {
    std::map<std::string, int> kinds = {{"c:\\", 3}, {"c:\\cwd", 2}, {"c:\\a", 2}, {"c:\\a\\f.txt", 1}};
    bool creatable = true;
    PathDlgFileSystem Get()
    {
        auto key = [](std::string p) {
            for (char& c : p)
                c = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
            return p;
        };
        return {[this, key](const std::string& p) { auto it = kinds.find(key(p)); return it == kinds.end() ? 0 : it->second; },
                [](const std::string& p) { return p.rfind("\\\\srv", 0) == 0; },
                [](const std::string&) { return 2; },
                [this, key](const std::string& p) { return creatable && (kinds[key(p)] = 2); },
                [] { return std::string("C:\\cwd"); }};
    }
};

std::string Absolute(const std::string& p) { return p.size() > 1 && p[1] == ':' ? p : "C:\\cwd\\" + p; }

TEST(PathDlgText, SetPathAppendAndCopy)
{
    const std::tuple<const char*, unsigned, const char*> normal[] = {
        {"  D:/Data/ ", 0, "D:\\Data"}, {"D:\\", 0, "D:\\"},     {"D:/", 0, "D:\\"},
        {"sub/dir", 0, "C:\\cwd\\sub\\dir"}, {"\\\\server\\share\\", 0, "\\\\server\\share"},
        {"\\\\x\\y\\", kPathPlain, "C:\\cwd\\\\\\x\\y"}};
    for (const auto& [in, options, out] : normal)
        EXPECT_EQ(NormalizeDialogPath(in, options, Absolute, [](const std::string& p) { return p; }), out) << in;

    const std::tuple<const char*, const char*> parts[] = {{" b/c:d", "C:\\A\\b\\c"}, {"*x", "C:\\A"}, {"x\\  ", "C:\\A\\x"}};
    for (const auto& [part, out] : parts)
        EXPECT_EQ(AppendDialogPathPart("C:\\A", part), out) << part;

    const std::tuple<int, bool, int, const char*> copies[] = {{5, false, 4, "C:\\A"}, {5, true, 0, ""}, {6, true, 5, "C:\\A\\"}};
    for (const auto& [size, sep, length, text] : copies) {
        char buffer[8] = "guard";
        EXPECT_EQ(CopyDialogPath("C:\\A", buffer, size, sep), length);
        EXPECT_STREQ(buffer, text);
    }
}

// A text typed in the path box is taken from the folder shown unless it
// names a drive or begins at a separator; ".." climbs, never past the root.
TEST(PathDlgText, TypedTextIsTakenFromTheShownFolder)
{
    const char kHarz[] = "C:\\Karten\\Harz";
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {kHarz, "Brocken", "C:\\Karten\\Harz\\Brocken"},
        {kHarz, "  Brocken\\Gipfel/ ", "C:\\Karten\\Harz\\Brocken\\Gipfel"},
        {kHarz, "..", "C:\\Karten"},
        {kHarz, "..\\..\\..\\..", "C:\\"},
        {kHarz, ".\\Brocken\\..\\Wurmberg", "C:\\Karten\\Harz\\Wurmberg"},
        {kHarz, "...", "C:\\Karten\\Harz\\..."},
        {"C:\\", "Karten", "C:\\Karten"},
        {"\\\\srv\\share\\Karten", "..\\..", "\\\\srv\\share"},
        {"\\\\", "srv", "\\\\srv"},
        // Not relative: as typed.
        {kHarz, "D:\\Daten", "D:\\Daten"},
        {kHarz, "D:Daten", "D:Daten"},
        {kHarz, "\\Daten", "\\Daten"},
        {kHarz, "/Daten", "/Daten"},
        {kHarz, "\\\\srv\\share", "\\\\srv\\share"},
        {kHarz, "  ", "  "},
    };
    for (const auto& [shown, typed, out] : rows)
        EXPECT_EQ(ResolveTypedPath(shown, typed), out) << shown << " + " << typed;
}

TEST(PathDlgText, RegistryEntryAndLevels)
{
    RegistryEntryText e;
    ASSERT_TRUE(ParseRegistryEntry("#Test//Dlg\\Pfad", &e));
    EXPECT_TRUE(e.belowUser);
    EXPECT_EQ(e.keys, (std::vector<std::string>{"Test", "Dlg"}));
    EXPECT_EQ(e.value, "Pfad");
    EXPECT_FALSE(ParseRegistryEntry("#", &e));
    EXPECT_FALSE(ParseRegistryEntry(("a\\" + std::string(260, 'k')).c_str(), &e));

    const std::vector<std::string> levels = SplitPathLevels("C:\\tmp\\a");
    EXPECT_EQ(levels, (std::vector<std::string>{"C:\\", "tmp", "a"}));
    EXPECT_EQ(JoinPathLevels(levels, 0), "C:\\");
    EXPECT_EQ(JoinPathLevels(levels, 1), "C:\\tmp");
    EXPECT_EQ(JoinPathLevels({"\\\\", "srv", "share"}, 2), "\\\\srv\\share");
}

TEST(PathDlgRules, StartPathAndOk)
{
    FakeFs fake;
    const PathDlgFileSystem fs = fake.Get();
    const std::tuple<const char*, unsigned, const char*, int> starts[] = {
        {"", 1, "C:\\cwd", 2},          {"C:\\nope", 1, "C:\\cwd", 2}, {"C:\\nope", 2, "C:\\nope", 0},
        {"C:\\a\\f.txt", 1, "C:\\a", 2}, {"\\\\srv\\s", 1, "\\\\srv\\s", 4}};
    for (const auto& [in, options, path, kind] : starts) {
        const StartPath s = ClassifyStartPath(in, options, fs);
        EXPECT_EQ(std::make_tuple(s.path, s.kind), std::make_tuple(std::string(path), kind)) << in;
    }

    // Path, shown folder, tree mode, options, creatable; outcome, result.
    const std::tuple<const char*, const char*, bool, unsigned, bool, OkOutcome, const char*> oks[] = {
        {"D:", "d:\\", false, 0, true, OkOutcome::kAccept, "D:\\"},
        {"C:\\a", "C:\\b", false, 1, true, OkOutcome::kNavigate, ""},
        {"C:\\a", "C:\\b", true, 1, true, OkOutcome::kAccept, "C:\\a\\"},
        {"C:\\new", "C:\\new", false, 1, true, OkOutcome::kMissing, ""},
        {"C:\\new", "C:\\new", false, 3, true, OkOutcome::kAccept, "C:\\new\\"},
        {"C:\\new", "C:\\new", false, 3, false, OkOutcome::kCreateFailed, ""},
        {"\\\\srv\\s", "\\\\srv\\s", false, 3, false, OkOutcome::kAccept, "\\\\srv\\s\\"},
        {"\\\\off\\s", "\\\\off\\s", false, 1, false, OkOutcome::kMissing, ""}};
    for (const auto& [path, shown, tree, options, creatable, outcome, result] : oks) {
        FakeFs local;
        local.creatable = creatable;
        const OkDecision d = DecideOk(path, shown, tree, options, local.Get());
        EXPECT_EQ(std::make_tuple(d.outcome, d.result), std::make_tuple(outcome, std::string(result))) << path;
    }
}

TEST(PathDlgRules, RecentListAndOptions)
{
    CRecordArray recent;
    for (int i = 0; i < 17; ++i)
        AddRecentPath(recent, "C:\\T" + std::to_string(i) + "\\");
    AddRecentPath(recent, "c:\\t5");
    AddRecentPath(recent, "D:\\");
    ASSERT_EQ(recent.m_count, kRecentLimit);
    EXPECT_STREQ(recent.GetString(0), "D:\\");
    EXPECT_STREQ(recent.GetString(1), "C:\\T5");  // moved, its spelling kept
    EXPECT_STREQ(recent.GetString(2), "C:\\T16");

    EXPECT_EQ(MergeModalOptions(0x11, -1), 0x11u);
    EXPECT_EQ(MergeModalOptions(0x11, 0xE), 0x1Eu);
    const std::tuple<unsigned, bool, unsigned> combos[] = {{0, true, 3}, {4, true, 0x103}, {1, false, 0x213}, {5, false, 0x313}};
    for (const auto& [options, crumb, combo] : combos)
        EXPECT_EQ(PathComboOptions(options, crumb), combo);
}

TEST(PathDlgRules, TypeAheadSizingAndDrives)
{
    // Tick, key; buffer afterwards, search behind the selected row.
    const std::tuple<uint32_t, char, const char*, bool> keys[] = {
        {0, 'w', "w", true},      {700, 'i', "wi", false},  {1500, 'x', "x", true},   {1600, 'y', "xy", false},
        {1700, 'z', "xyz", false}, {2600, 'a', "xyza", false}, {2700, 'b', "xyzab", false}, {2800, 'c', "xyzabc", false},
        {2900, 'd', "xyzabcd", false}, {3000, 'e', "xyzabcde", false}, {3100, 'f', "f", true}, {3200, 'F', "f", true}};
    TypeAhead t;
    for (const auto& [tick, key, text, next] : keys) {
        EXPECT_EQ(t.Key(key, tick), next) << tick;
        EXPECT_STREQ(t.text, text) << tick;
    }
    const char* rows[] = {"Alpen", "wien", "Wiesen", "Zug"};
    auto textOf = [&](int i) { return rows[i]; };
    EXPECT_EQ(FindPrefixRow(4, 2, "wi", textOf), 2);
    EXPECT_EQ(FindPrefixRow(4, 3, "wi", textOf), 1);
    EXPECT_EQ(FindPrefixRow(4, 0, "q", textOf), -1);

    IntRect r{300, 0, 500, 400};
    ClampSizingRect(1, r, 300, 300);  // WMSZ_LEFT
    EXPECT_EQ(std::make_tuple(r.left, r.right), std::make_tuple(200, 500));
    r = {300, 100, 500, 200};
    ClampSizingRect(3, r, 100, 300);  // WMSZ_TOP
    EXPECT_EQ(std::make_tuple(r.top, r.bottom), std::make_tuple(-100, 200));

    const IntRect moved = LayoutRect({1015, 0, 0, 1, -1}, {5, 30, 215, 248}, 40, 20);
    EXPECT_EQ(std::make_tuple(moved.left, moved.right, moved.bottom), std::make_tuple(5, 255, 268));
    EXPECT_TRUE(KeptRectUsable({101, 11, 400, 300}, {0, 0, 1024, 768}));
    EXPECT_FALSE(KeptRectUsable({100, 11, 400, 300}, {0, 0, 1024, 768}));
    EXPECT_EQ(MixRowColour(0x00FF8000, 0x00FFFFFF), 0x00FCDDBDu);

    const std::vector<DriveRecordText> drives = {{"C:\\", 0}, {"Netzwerk", 1}, {"D:\\", 0}, {"\\\\srv\\s\\", 2}};
    const std::tuple<const char*, int> finds[] = {{"c:\\x", 0}, {"D:", 2}, {"\\\\srv\\s\\t", 3}, {"\\\\other", 1}, {"E:\\", -1}};
    for (const auto& [path, index] : finds)
        EXPECT_EQ(FindDriveForPath(drives, path), index) << path;
}

// Where the dialog opens: the window the template makes at the screen's
// resolution (as Wine makes it), or the one kept from the last run, on
// monitors of the usual sizes. A window larger than its work area opens at
// the area's size inside it; everything else as it is.
constexpr IntRect kAt96 = {0, 0, 434, 480}, kAt120 = {0, 0, 576, 590}, kAt144 = {0, 0, 649, 736},
                  kAt192 = {0, 0, 868, 960};
struct Screen {
    IntRect monitor, work;
};
constexpr Screen k800 = {{0, 0, 800, 600}, {0, 0, 800, 600}}, k1024 = {{0, 0, 1024, 768}, {0, 0, 1024, 768}},
                 k1280 = {{0, 0, 1280, 1024}, {0, 0, 1280, 1024}},
                 k800Bar = {{0, 0, 800, 600}, {0, 0, 800, 570}},          // a task bar at the bottom
                 kRightOf1280 = {{1280, 0, 2080, 600}, {1280, 0, 2080, 600}};  // a second monitor
struct OpeningRow {
    const char* what;
    IntRect first;
    std::vector<Screen> screens;  // the first holds what lies on none
    std::optional<IntRect> kept;
    IntRect rect;
    int minWidth, minHeight;
};

TEST(PathDlgOpening, LargerThanTheWorkAreaOpensAtItsSize)
{
    const OpeningRow rows[] = {
        {"96 dpi on 800x600", kAt96, {k800}, {}, kAt96, 334, 180},
        {"120 dpi on 800x600", kAt120, {k800}, {}, kAt120, 476, 290},
        {"144 dpi on 800x600", kAt144, {k800}, {}, {0, 0, 649, 600}, 549, 436},
        {"144 dpi on 800x600 with a task bar", kAt144, {k800Bar}, {}, {0, 0, 649, 570}, 549, 436},
        {"96 dpi on 1024x768", kAt96, {k1024}, {}, kAt96, 334, 180},
        {"120 dpi on 1024x768", kAt120, {k1024}, {}, kAt120, 476, 290},
        {"144 dpi on 1024x768", kAt144, {k1024}, {}, kAt144, 549, 436},
        {"96 dpi on 1280x1024", kAt96, {k1280}, {}, kAt96, 334, 180},
        {"120 dpi on 1280x1024", kAt120, {k1280}, {}, kAt120, 476, 290},
        {"144 dpi on 1280x1024", kAt144, {k1280}, {}, kAt144, 549, 436},
        {"192 dpi on 800x600: the minimum as high as the area", kAt192, {k800}, {}, {0, 0, 800, 600}, 768, 600},
        {"kept larger than 800x600 at 144 dpi", kAt144, {k800}, IntRect{120, 20, 1020, 820}, {0, 0, 800, 600}, 549,
         436},
        {"kept higher than 1024x768 at 96 dpi: moved inside", kAt96, {k1024}, IntRect{150, 60, 1150, 900},
         {24, 0, 1024, 768}, 334, 180},
        {"kept higher than 1280x1024 at 120 dpi", kAt120, {k1280}, IntRect{300, 50, 1000, 1200}, {300, 0, 1000, 1024},
         476, 290},
        {"kept larger than the second monitor", kAt96, {k1280, kRightOf1280}, IntRect{1400, 50, 2300, 900},
         {1280, 0, 2080, 600}, 334, 180},
        {"kept in place where it fits, even partly off", kAt96, {k1024}, IntRect{650, 400, 1150, 800},
         {650, 400, 1150, 800}, 334, 180},
        {"kept too near the monitor's edge: the first", kAt144, {k800}, IntRect{50, 20, 950, 820}, {0, 0, 649, 600},
         549, 436},
    };
    for (const OpeningRow& row : rows) {
        const auto monitorOf = [&](const IntRect& r) {
            const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
            for (const Screen& s : row.screens)
                if (x >= s.monitor.left && x < s.monitor.right && y >= s.monitor.top && y < s.monitor.bottom)
                    return MonitorAreas{s.monitor, s.work};
            return MonitorAreas{row.screens[0].monitor, row.screens[0].work};
        };
        const DialogOpening o = DecideOpening(row.first, row.kept ? &*row.kept : nullptr, monitorOf);
        EXPECT_EQ(std::make_tuple(o.rect.left, o.rect.top, o.rect.right, o.rect.bottom, o.minWidth, o.minHeight),
                  std::make_tuple(row.rect.left, row.rect.top, row.rect.right, row.rect.bottom, row.minWidth,
                                  row.minHeight))
            << row.what;
    }
}

// Case-blind means the code page's mapping: national letters as well as A-Z.
TEST(PathDlgCase, PathsDrivesAndOkCompareBlindToCase)
{
    // a, b; SamePathNoCase, PathStartsWithNoCase(a, b).
    const std::tuple<const char*, const char*, bool, bool> paths[] = {
        {"C:\\Übersicht", "c:/übersicht", true, true},    {"C:\\ÄRGER\\Weg", "c:\\ärger", false, true},
        {"C:\\Arger", "C:\\Ärger", false, false},          {"\\\\Srv\\ŠTÝR", "//srv/štýr", true, true},
        {"C:\\Ü", "C:\\Übersicht", false, false},          {"C:\\a", "C:\\a\\", false, false},
        {"C:\\Straße", "C:\\STRAßE", true, true}};
    for (const auto& [a, b, same, starts] : paths)
        EXPECT_EQ(std::make_tuple(SamePathNoCase(a, b), PathStartsWithNoCase(a, b)), std::make_tuple(same, starts))
            << a;

    const std::vector<DriveRecordText> drives = {{"C:\\", 0}, {"\\\\srv\\Ärger\\", 2}};
    EXPECT_EQ(FindDriveForPath(drives, "\\\\SRV\\ärger\\Weg"), 1);

    // Path, shown folder; outcome (options 0: nothing asked of the files).
    // The longest folder chosen: its result with the separator fills a
    // MAX_PATH buffer.
    const std::string longest = "C:\\" + std::string(kMaxDialogPath - 4, 'x');
    const std::tuple<std::string, std::string, bool, OkOutcome> oks[] = {
        {"C:\\Übersicht", "c:\\übersicht", false, OkOutcome::kAccept},
        {"C:\\Übersicht", "c:\\ubersicht", false, OkOutcome::kNavigate},
        {longest, longest, false, OkOutcome::kAccept},
        {longest + "y", longest + "y", false, OkOutcome::kTooLong},
        {longest + "y", "C:\\", false, OkOutcome::kTooLong},  // refused, not gone to again
        {longest + std::string(42, 'y'), "", true, OkOutcome::kTooLong}};
    for (const auto& [path, shown, tree, outcome] : oks) {
        FakeFs fake;
        EXPECT_EQ(DecideOk(path, shown, tree, 0, fake.Get()).outcome, outcome) << path.size();
    }
}

TEST(PathDlgCase, TypeAheadTakesBlanksAndNationalLetters)
{
    // Character codes; whether they search.
    const std::tuple<unsigned, bool> takes[] = {{' ', true},    {'a', true},    {0xFC, true},   {0xA0, true},
                                                {0xFF, true},   {'\t', false}, {'\r', false}, {0x1B, false},
                                                {0x7F, false},  {0x100, false}};
    for (const auto& [code, searches] : takes)
        EXPECT_EQ(TypeAheadTakes(code), searches) << code;

    // The same letter in the other case searches on, as the same key does.
    TypeAhead t;
    EXPECT_TRUE(t.Key(char(0xFC), 0));  // ü
    EXPECT_TRUE(t.Key(char(0xDC), 100));  // Ü
    EXPECT_STREQ(t.text, "\xFC");

    const char* rows[] = {"äpfel", "Ärger", "Berge mit Leerzeichen", "Bergem", "Übersicht", "Weg"};
    auto textOf = [&](int i) { return rows[i]; };
    // Prefix, start row; row found.
    const std::tuple<const char*, int, int> finds[] = {
        {"ü", 0, 4},      {"ÜBER", 5, 4}, {"ÄR", 0, 1}, {"ä", 1, 1}, {"ä", 2, 0}, {"berge m", 0, 2},
        {"bergem", 0, 3}, {"berge ", 3, 2}, {"ö", 0, -1}, {"weg ", 0, -1}};
    for (const auto& [prefix, start, row] : finds)
        EXPECT_EQ(FindPrefixRow(6, start, prefix, textOf), row) << prefix;
}

TEST(PathDlgCase, FolderNamesFollowTheGivenOrder)
{
    // Names as listed; in the order of a case-blind comparison, equal names
    // keeping their listing order.
    const std::vector<std::string> listed = {"Weg", "b", "äpfel", "B", "a", "Ärger", "A"};
    std::vector<std::string> names = listed;
    SortFolderNames(names, [](const char* a, const char* b) { return StrCompareNoCaseNA(a, b, -1); });
    EXPECT_EQ(names, (std::vector<std::string>{"a", "A", "b", "B", "Weg", "äpfel", "Ärger"}));
    // Another comparison, another order: the order is the comparison's.
    names = listed;
    SortFolderNames(names, [](const char* a, const char* b) { return -StrCompareNoCaseNA(a, b, -1); });
    EXPECT_EQ(names, (std::vector<std::string>{"Ärger", "äpfel", "Weg", "b", "B", "a", "A"}));
}

}  // namespace
