// The type-ahead worker's rounds over folders held in memory: what the
// popup is offered for a typed text, in folders of umlaut and blank names
// and in one of 5,000 subfolders, whose listing is cut at 2000 names; and
// the dialog's requests in every order that decides its first listing.
#include <gtest/gtest.h>

#include "ui/filedlg/type_ahead_logic.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace {

typedef std::vector<std::string> Texts;

// Folders by name, listed in the order given, "." and ".." first. The next
// listing may fail: at once (`failFirst`), or after some entries
// (`breakAfter`, counting "." and "..").
class MemoryFolders : public FolderEntries {
public:
    std::map<std::string, Texts> folders;
    std::map<std::string, uint64_t> stamps;  // changed with the entries
    int listings = 0;
    bool failFirst = false;
    size_t breakAfter = 0;

    void Add(const std::string& folder, const Texts& names)
    {
        folders[folder].insert(folders[folder].end(), names.begin(), names.end());
        ++stamps[folder];
    }
    uint64_t Stamp(const std::string& folder) override { return stamps[folder]; }

    bool First(const std::string& folder, std::string* name) override
    {
        auto it = folders.find(folder);
        m_failed = failFirst;
        failFirst = false;
        if (it == folders.end() || m_failed)
            return false;
        ++listings;
        m_breakAt = breakAfter ? breakAfter : size_t(-1);
        breakAfter = 0;
        m_list = {".", ".."};
        m_list.insert(m_list.end(), it->second.begin(), it->second.end());
        m_at = 0;
        return Next(name);
    }
    bool Next(std::string* name) override
    {
        m_failed = m_at == m_breakAt;
        if (m_at >= m_list.size() || m_failed)
            return false;
        *name = m_list[m_at++];
        return true;
    }
    void Close() override { m_list.clear(); }
    bool Failed() const override { return m_failed; }

private:
    Texts m_list;
    size_t m_at = 0;
    size_t m_breakAt = size_t(-1);
    bool m_failed = false;
};

// A popup as the worker feeds it: emptied, added to, shown on the first
// match; `refuse` posts fail once each before they succeed.
struct Popup {
    Texts rows;
    int shown = 0;
    int refuse = 0;
};

// Runs rounds until the model is idle (or a bound is reached).
void RunUntilIdle(TypeAheadModel& model, Popup& popup, int bound = 200000)
{
    int refused = 0;
    for (int i = 0; i < bound; ++i) {
        TypeAheadRound round = model.Round(true);
        if (round.reset)
            popup.rows.clear();
        if (round.match) {
            if (refused < popup.refuse) {
                ++refused;
                continue;
            }
            refused = 0;
            popup.rows.push_back(*round.match);
            popup.shown += round.firstMatch;
            model.Posted();
        }
        if (model.Idle())
            return;
    }
    ADD_FAILURE() << "the rounds never came to rest";
}


const char kTree[] = "D:\\Touren Ä";
const char kLate[] = "D:\\Später gefüllt";
const char kMany[] = "D:\\Viele Ordner";

MemoryFolders Folders()
{
    MemoryFolders f;
    f.folders[kTree] = {"Allgäu.gpx", "Ärger Tour.gpx", "Bergem.gpx", "Berge mit Leerzeichen", "Übersicht",
                        "ALLGEMEIN", ".versteckt"};
    f.folders[kMany] = lindar_test::NumberedNames(0, 5000, "Ordner ");
    f.folders[kLate] = {};
    return f;
}

struct OfferCase {
    const char* folder;
    std::string typed;
    size_t rows;        // rows offered
    std::string first;  // the first row, or empty
    std::string last;   // the last row, or empty
};

TEST(TypeAhead, OffersTheNamesThatBeginWithTheText)
{
    const OfferCase cases[] = {
        {kTree, "ALLGÄ", 1, "Allgäu.gpx", "Allgäu.gpx"},
        {kTree, "allg", 2, "Allgäu.gpx", "ALLGEMEIN"},
        {kTree, "äRGER t", 1, "Ärger Tour.gpx", ""},
        {kTree, "berge m", 1, "Berge mit Leerzeichen", ""},
        {kTree, "BERGE", 2, "Bergem.gpx", "Berge mit Leerzeichen"},
        {kTree, "ü", 1, "Übersicht", ""},
        {kTree, ".", 1, ".versteckt", ""},  // never "." or ".."
        {kTree, "x", 0, "", ""},
        // Within the first 2000 names, and past them: the cut folder is
        // listed again for the text.
        {kMany, "ordner 0", 100, "Ordner 0000", "Ordner 0099"},
        {kMany, "ORDNER 4", 100, "Ordner 4000", "Ordner 4099"},
        {kMany, "Ordner 49", 100, "Ordner 4900", "Ordner 4999"},
        {kMany, "ordner 4999", 1, "Ordner 4999", ""},
        {kMany, "ordner 5", 0, "", ""},
        {"D:\\fehlt", "a", 0, "", ""},
    };
    for (const OfferCase& c : cases) {
        MemoryFolders folders = Folders();
        TypeAheadModel model(folders);
        Popup popup;
        model.NewFolder(c.folder);
        model.NewText(c.typed);
        RunUntilIdle(model, popup);
        ASSERT_EQ(popup.rows.size(), c.rows) << c.typed;
        EXPECT_EQ(popup.shown, c.rows ? 1 : 0) << c.typed;
        if (!c.first.empty()) {
            EXPECT_EQ(popup.rows.front(), c.first) << c.typed;
        }
        if (!c.last.empty()) {
            EXPECT_EQ(popup.rows.back(), c.last) << c.typed;
        }
        EXPECT_LE(model.Names().size(), kMaxFolderNames + 1) << c.typed;
    }
}

// The order of requests and rounds: a text typed while the folder is still
// being listed, a text typed after, a second text, a folder change, a post
// that fails once.
struct SequenceCase {
    const char* name;
    std::function<void(TypeAheadModel&, Popup&, MemoryFolders&)> run;
    size_t rows;
    std::string first;
    int listings;
};

TEST(TypeAhead, RequestsArriveAtAnyRound)
{
    const SequenceCase cases[] = {
        {"typed while listing",
         [](TypeAheadModel& m, Popup& p, MemoryFolders& f) {
             m.NewFolder(kMany);
             for (int i = 0; i < 10; ++i)
                 m.Round(true);
             m.NewText("ordner 3");
             RunUntilIdle(m, p);
         },
         100, "Ordner 3000", 2},
        {"typed after listing, then more",
         [](TypeAheadModel& m, Popup& p, MemoryFolders& f) {
             m.NewFolder(kMany);
             RunUntilIdle(m, p);
             m.NewText("ordner 2");
             RunUntilIdle(m, p);
             m.NewText("ordner 27");
             RunUntilIdle(m, p);
         },
         100, "Ordner 2700", 3},
        {"text emptied",
         [](TypeAheadModel& m, Popup& p, MemoryFolders& f) {
             m.NewFolder(kMany);
             m.NewText("ordner 1");
             RunUntilIdle(m, p);
             m.NewText("");
             RunUntilIdle(m, p);
         },
         0, "", 1},
        {"folder changed",
         [](TypeAheadModel& m, Popup& p, MemoryFolders& f) {
             m.NewFolder(kMany);
             m.NewText("ordner 4");
             RunUntilIdle(m, p);
             m.NewFolder(kTree);
             m.NewText("allgä");
             RunUntilIdle(m, p);
         },
         1, "Allgäu.gpx", 3},
        {"names made after the listing, then typed (the recipe filled late)",
         [](TypeAheadModel& m, Popup& p, MemoryFolders& f) {
             m.NewFolder(kLate);
             RunUntilIdle(m, p);
             f.Add(kLate, lindar_test::NumberedNames(0, 150));
             m.NewText("0");
             RunUntilIdle(m, p);
         },
         100, "0000", 2},
        {"names made while the listing runs",
         [](TypeAheadModel& m, Popup& p, MemoryFolders& f) {
             m.NewFolder(kLate);
             m.Round(true);
             f.Add(kLate, lindar_test::NumberedNames(0, 150));
             RunUntilIdle(m, p);
             m.NewText("01");
             RunUntilIdle(m, p);
         },
         50, "0100", 2},
        {"an unchanged folder is not listed again per text",
         [](TypeAheadModel& m, Popup& p, MemoryFolders& f) {
             m.NewFolder(kTree);
             m.NewText("a");
             RunUntilIdle(m, p);
             m.NewText("al");
             RunUntilIdle(m, p);
             m.NewText("allgä");
             RunUntilIdle(m, p);
         },
         1, "Allgäu.gpx", 1},
        {"post refused once each",
         [](TypeAheadModel& m, Popup& p, MemoryFolders& f) {
             p.refuse = 1;
             m.NewFolder(kTree);
             m.NewText("BERGE");
             RunUntilIdle(m, p);
         },
         2, "Bergem.gpx", 1},
    };
    for (const SequenceCase& c : cases) {
        MemoryFolders folders = Folders();
        TypeAheadModel model(folders);
        Popup popup;
        c.run(model, popup, folders);
        ASSERT_EQ(popup.rows.size(), c.rows) << c.name;
        if (c.rows) {
            EXPECT_EQ(popup.rows.front(), c.first) << c.name;
        }
        EXPECT_EQ(folders.listings, c.listings) << c.name;
        EXPECT_EQ(std::set<std::string>(popup.rows.begin(), popup.rows.end()).size(), popup.rows.size()) << c.name;
    }
}


// The events of one dialog that decide its first listing: the folder-change
// notification (its folder read right, read empty or as the parent before
// the dialog knew it, or none reaching the worker's record), the popup's
// creation with the
// worker's start (which reads the dialog's folder), the first key '0', and
// the folder's entries changing under the listing. Rounds run only once the
// worker has started, each taking the requests first as the worker does.
enum class Event { kNotified, kStarted, kTyped, kEntriesChanged };
enum class Notice { kRight, kReadEmpty, kReadParent, kLost };
// The worker's first listing: whole, failing at once, or breaking off.
enum class FirstListing { kWhole, kFails, kBreaks };
constexpr int kUntilIdle = -1;

class DialogRun {
public:
    DialogRun(Notice notice, FirstListing listing) : m_notice(notice)
    {
        m_folders.Add(kBig, lindar_test::NumberedNames(0, int(kMaxFolderNames) + 100));  // cut once
        m_folders.failFirst = listing == FirstListing::kFails;
        m_folders.breakAfter = listing == FirstListing::kBreaks ? 30 : 0;
    }

    void Apply(Event e)
    {
        switch (e) {
        case Event::kNotified:
            if (m_notice != Notice::kLost)
                m_requests.FolderShown(m_notice == Notice::kRight ? kBig : m_notice == Notice::kReadParent ? "D:\\" : "");
            break;
        case Event::kStarted:
            m_requests.EnsureFolder(kBig);
            m_started = true;
            break;
        case Event::kTyped: m_requests.Typed("0", kBig); break;
        case Event::kEntriesChanged: m_folders.Add(kBig, {"Neu"}); break;
        }
    }
    // Rounds of a started worker: a number, or until it waits for a request
    // (and once more after the wait, as a second passes).
    void Rounds(int count)
    {
        bool waited = false;
        for (int i = 0; m_started && (count == kUntilIdle ? i < 100000 : i < count); ++i) {
            m_requests.Take().Into(m_model);
            TypeAheadRound round = m_model.Round(true);
            if (round.reset)
                m_popup.rows.clear();
            if (round.match) {
                m_popup.rows.push_back(*round.match);
                m_model.Posted();
            }
            if (count == kUntilIdle && m_model.Idle()) {
                if (waited)
                    return;
                m_model.Waited();
                waited = true;
            }
        }
    }
    const Texts& Rows() const { return m_popup.rows; }

private:
    static constexpr const char* kBig = "D:\\Groß";
    Notice m_notice;
    MemoryFolders m_folders;
    TypeAheadModel m_model{m_folders};
    TypeAheadRequests m_requests;
    Popup m_popup;
    bool m_started = false;
};

std::string Describe(const std::vector<Event>& order, const std::vector<int>& gaps, Notice notice,
                     FirstListing listing)
{
    static const char* const kNames[] = {"notified", "started", "typed", "entries changed"};
    static const char* const kNotices[] = {"right", "read empty", "read as the parent", "lost"};
    static const char* const kListings[] = {"whole", "failing", "breaking off"};
    std::string text = std::string("notice ") + kNotices[int(notice)] + ", first listing " + kListings[int(listing)] + ":";
    for (size_t i = 0; i < order.size(); ++i)
        text += std::string(" ") + kNames[int(order[i])] + ", " +
                (gaps[i] == kUntilIdle ? "idle" : std::to_string(gaps[i]) + " rounds") + ";";
    return text;
}

TEST(TypeAhead, NoOrderOfTheDialogsEventsLosesTheFirstListing)
{
    // No round, one, part of the first listing (before its cut at 2000),
    // all the worker does until it waits.
    const int gapChoices[] = {0, 1, 700, kUntilIdle};
    const Texts first100 = lindar_test::NumberedNames(0, 100);
    int runs = 0;
    for (FirstListing listing : {FirstListing::kWhole, FirstListing::kFails, FirstListing::kBreaks})
    for (Notice notice : {Notice::kRight, Notice::kReadEmpty, Notice::kReadParent, Notice::kLost}) {
        std::vector<Event> order = {Event::kNotified, Event::kStarted, Event::kTyped, Event::kEntriesChanged};
        do {
            // The combo that takes keys comes with the popup. A folder read
            // wrong is the first notice's, sent while the dialog starts up;
            // a later one is where the user went.
            const auto at = [&](Event e) { return std::find(order.begin(), order.end(), e); };
            const bool readWrong = notice == Notice::kReadEmpty || notice == Notice::kReadParent;
            if (at(Event::kTyped) < at(Event::kStarted) || (readWrong && at(Event::kNotified) > at(Event::kStarted)))
                continue;
            for (int g = 0; g < 4 * 4 * 4; ++g) {
                const std::vector<int> gaps = {gapChoices[g % 4], gapChoices[g / 4 % 4], gapChoices[g / 16],
                                               kUntilIdle};
                DialogRun run(notice, listing);
                for (size_t i = 0; i < order.size(); ++i) {
                    run.Apply(order[i]);
                    run.Rounds(gaps[i]);
                }
                ++runs;
                ASSERT_EQ(run.Rows(), first100) << Describe(order, gaps, notice, listing);
            }
        } while (std::next_permutation(order.begin(), order.end()));
    }
    EXPECT_EQ(runs, 3 * (12 + 4 + 4 + 12) * 64);
}

}  // namespace
