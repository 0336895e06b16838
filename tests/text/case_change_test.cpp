#include "text/text_services.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
    const char* source;
    unsigned flags;
    const char* want;
};

void RunCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " flags " + std::to_string(c.flags));
        std::string source(c.source);
        std::vector<char> out(source.size() + 2, '#');
        EXPECT_EQ(StrChangeCaseA(out.data(), c.source, c.flags), int(source.size()));
        EXPECT_EQ(std::string(out.data()), c.want);
        EXPECT_EQ(out.back(), '#');

        std::vector<char> inPlace(source.begin(), source.end());
        inPlace.push_back('\0');
        StrChangeCaseA(inPlace.data(), inPlace.data(), c.flags);
        EXPECT_EQ(std::string(inPlace.data()), c.want) << "in place";
    }
}

// The folder dialog's rows: capitalised words for all-capital texts, national
// letters included.
TEST(ChangeCase, FolderDialogFlagsCapitaliseAllCapitalTexts)
{
    ASSERT_EQ(kCaseIfNoLower | kCaseNational | kCaseCapitalise, 0xA200u);
    RunCases({
        {"MÜNCHEN", 0xA200, "München"},
        {"PROGRAM FILES", 0xA200, "Program Files"},
        {"ÄRGER ÜBER ÖL", 0xA200, "Ärger Über Öl"},
        {"ŠKODA ŒUVRE ŽIŽKA ŸVES", 0xA200, "Škoda Œuvre Žižka Ÿves"},
        {"STRAßE", 0xA200, "Straße"},
        {"O'NEIL-SMITH 2TE_DIR", 0xA200, "O'Neil-Smith 2Te_Dir"},
        {"DSC0001.JPG", 0xA200, "Dsc0001.Jpg"},
        {"München", 0xA200, "München"},
        {"MüNCHEN", 0xA200, "MüNCHEN"},
        {"WINDOWS ß", 0xA200, "Windows ß"},
        {"1234 ×÷", 0xA200, "1234 ×÷"},
        {"", 0xA200, ""},
    });
}

TEST(ChangeCase, NationalLettersOnlyWithTheirFlag)
{
    RunCases({
        // Without the flag national letters are neither converted nor counted,
        // but still letters of a word.
        {"MÜNCHEN", kCaseIfNoLower | kCaseCapitalise, "MÜnchen"},
        {"MüNCHEN", kCaseIfNoLower | kCaseCapitalise, "München"},
        {"ärger", kCaseCapitalise, "ärger"},
        {"ärger", kCaseNational | kCaseCapitalise, "Ärger"},
        {"äöü àÿ šœž ß", kCaseUpper, "äöü àÿ šœž ß"},
        {"äöü àÿ šœž ß", kCaseNational | kCaseUpper, "ÄÖÜ ÀŸ ŠŒŽ ß"},
        {"ÄÖÜ ÀŸ ŠŒŽ", kCaseLower, "ÄÖÜ ÀŸ ŠŒŽ"},
        {"ÄÖÜ ÀŸ ŠŒŽ", kCaseNational | kCaseLower, "äöü àÿ šœž"},
        {"Þ×÷þ", kCaseNational | kCaseUpper, "Þ×÷Þ"},
        {"Þ×÷þ", kCaseNational | kCaseLower, "þ×÷þ"},
        {"€µª", kCaseNational | kCaseUpper, "€µª"},
    });
}

TEST(ChangeCase, SelectorsAndRestrictions)
{
    RunCases({
        {"Mixed Case text", kCaseKeep, "Mixed Case text"},
        {"Mixed Case text", kCaseUpper, "MIXED CASE TEXT"},
        {"Mixed Case text", kCaseLower, "mixed case text"},
        {"mIXED cASE tEXT", kCaseCapitalise, "Mixed Case Text"},
        {"abc", kCaseIfNoUpper | kCaseUpper, "ABC"},
        {"Abc", kCaseIfNoUpper | kCaseUpper, "Abc"},
        {"ABC", kCaseIfNoLower | kCaseLower, "abc"},
        {"ABc", kCaseIfNoLower | kCaseLower, "ABc"},
        {"ABC", kCaseIfNotMixed | kCaseLower, "abc"},
        {"abc", kCaseIfNotMixed | kCaseUpper, "ABC"},
        {"AbC", kCaseIfNotMixed | kCaseLower, "AbC"},
        {"aÄ", kCaseIfNotMixed | kCaseUpper, "AÄ"},
        {"aÄ", kCaseIfNotMixed | kCaseNational | kCaseUpper, "aÄ"},
        // ß is no small letter to the restriction: the text stays all-capital.
        {"GROß", kCaseIfNoLower | kCaseNational | kCaseLower, "groß"},
        // Bits outside the fields change nothing.
        {"abc", 0x1000 | 0x00FF | kCaseUpper, "ABC"},
    });
}

}  // namespace
