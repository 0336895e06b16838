// Combo histories without windows: list splitting, history deletions, the
// registry form and the swallowed-key memory.
#include <gtest/gtest.h>

#include "ui/filedlg/combo_history_logic.h"

#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Texts;

struct SplitCase {
    std::string text;  // may hold NULs
    char separator;
    Texts pieces;
};

TEST(ComboHistoryLogic, SplitsListTexts)
{
    const std::string longPiece(300, 'q');
    const SplitCase cases[] = {
        {"a;bb;;c", ';', {"a", "bb", "c"}},
        {std::string("a\0b\0\0c\0", 7), '\0', {"a", "b"}},
        {std::string("a;b\0c;d", 7), ';', {"a", "b"}},
        {longPiece + ";x", ';', {std::string(255, 'q'), "x"}},
        {std::string("ab", 2), '\0', {"ab"}},  // no end marker: stops at the bound
        {"", ';', {}},
    };
    for (const SplitCase& c : cases)
        EXPECT_EQ(SplitListText(c.text.data(), c.text.size(), c.separator), c.pieces) << c.text;
}

TEST(ComboHistoryLogic, HistoryDeletionsKeepIndexZeroPlusLimit)
{
    Texts thirty;
    for (int i = 0; i < 30; ++i)
        thirty.push_back("e" + std::to_string(i));
    EXPECT_EQ(thirty.size() + 1 - HistoryDeletions(thirty, "new", 16, false).size(), 17u);
    EXPECT_EQ(HistoryDeletions({"x", "abc", "y"}, "ABC", 16, false), (std::vector<size_t>{1}));
    EXPECT_TRUE(HistoryDeletions({"x", "abc", "y"}, "ABC", 16, true).empty());
    EXPECT_EQ(HistoryDeletions({"a", "b", "c"}, "z", 1, false), (std::vector<size_t>{2, 1}));
}

// Case-blind means the code page's own mapping: national letters too.
TEST(ComboHistoryLogic, HistoryDeletionsAreCaseBlindForNationalLetters)
{
    const struct {
        std::string text;
        Texts entries;
        bool caseSensitive;
        std::vector<size_t> doomed;
    } cases[] = {
        {"ÜBERSICHT", {"übersicht", "Übersicht", "x"}, false, {1, 0}},
        {"ärger", {"ÄRGER", "Ärger"}, false, {1, 0}},
        {"ärger", {"ÄRGER", "ärger"}, true, {1}},
        {"Bergem", {"Berge m"}, false, {}},
        {"straße", {"STRASSE", "STRAßE"}, false, {1}},  // ß has no capital of one byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(HistoryDeletions(c.entries, c.text, 16, c.caseSensitive), c.doomed) << c.text;
}

struct FormCase {
    bool withText;
    std::string text;
    Texts entries;
    std::string bytes;
    Texts loaded;
};

TEST(ComboHistoryLogic, RegistryFormRoundTrips)
{
    Texts twenty;
    for (int i = 0; i < 20; ++i)
        twenty.push_back("p" + std::to_string(i));
    std::string sixteen;
    for (int i = 0; i < 16; ++i)
        sixteen += "p" + std::to_string(i) + '\0';
    const FormCase cases[] = {
        {true, "abc", {"x", "abc", "y"}, std::string("\x02" "abc\0abc\0x\0y\0\0", 14), {"abc", "x", "y"}},
        // An empty text is never written as an entry: it would end the list.
        {false, "", {"x", "", "y"}, std::string("x\0y\0\0", 5), {"x", "y"}},
        {false, "", {}, std::string("\0\0", 2), {}},
        // Separator characters inside entries survive.
        {false, "a;b", {"c|d"}, std::string("a;b\0c|d\0\0", 9), {"a;b", "c|d"}},
        {false, "", twenty, sixteen + '\0', Texts(twenty.begin(), twenty.begin() + 16)},
    };
    for (const FormCase& c : cases) {
        ComboHistory written;
        std::vector<char> bytes = BuildComboHistory(c.withText, c.text, c.entries, &written);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.bytes) << c.text;
        ComboHistory loaded = ParseComboHistory(bytes.data(), bytes.size(), c.withText);
        EXPECT_EQ(loaded.entries, c.loaded) << c.text;
        EXPECT_EQ(loaded.hasText, c.withText);
        EXPECT_EQ(loaded.text, c.withText ? c.text : "");
    }
}

TEST(ComboHistoryLogic, SwallowedKeyDropsItsFollowersOnly)
{
    SwallowedKey memory;
    memory.Swallowed(9);
    EXPECT_TRUE(memory.Drop(0x102, 9));   // WM_CHAR '\t'
    EXPECT_FALSE(memory.Drop(0x102, 'a'));
    EXPECT_FALSE(memory.Drop(0x100, 9));  // a new key-down
    EXPECT_FALSE(memory.Drop(0x102, 9));
}

}  // namespace
