#include "text/text_services.h"

namespace {

// Letters that the conversion touches and that count for the restriction.
struct CaseSet {
    uint32_t upper;
    uint32_t lower;
};

CaseSet CaseSetFor(unsigned flags)
{
    if (flags & kCaseNational)
        return {kCharUpper | kCharNatUpper, kCharLower | kCharNatLower};
    return {kCharUpper, kCharLower};
}

constexpr unsigned char kSharpS = 0xDF;  // small, without a capital

bool RestrictionAllows(const char* text, unsigned flags, const CaseSet& set)
{
    unsigned restrict = flags & kCaseRestrictMask;
    if (restrict == 0)
        return true;
    bool hasUpper = false, hasLower = false;
    for (const char* p = text; *p != '\0'; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        uint32_t cls = CharClassOf(c);
        hasUpper |= (cls & set.upper) != 0;
        hasLower |= (cls & set.lower) != 0 && c != kSharpS;
    }
    switch (restrict) {
    case kCaseIfNoUpper: return !hasUpper;
    case kCaseIfNoLower: return !hasLower;
    default: return !(hasUpper && hasLower);
    }
}

}  // namespace

int StrChangeCaseA(char* destination, const char* source, unsigned flags)
{
    const CaseSet set = CaseSetFor(flags);
    const uint32_t convertible = set.upper | set.lower;
    unsigned selector = flags & kCaseSelectorMask;
    if (!RestrictionAllows(source, flags, set))
        selector = kCaseKeep;

    bool afterLetter = false;
    int i = 0;
    for (; source[i] != '\0'; ++i) {
        unsigned char c = static_cast<unsigned char>(source[i]);
        uint32_t cls = CharClassOf(c);
        bool wordStart = (cls & kCharLetter) != 0 && !afterLetter;
        afterLetter = (cls & kCharLetter) != 0;
        if (cls & convertible) {
            switch (selector) {
            case kCaseUpper: c = CharToUpper(c); break;
            case kCaseLower: c = CharToLower(c); break;
            case kCaseCapitalise: c = wordStart ? CharToUpper(c) : CharToLower(c); break;
            default: break;
            }
        }
        destination[i] = static_cast<char>(c);
    }
    destination[i] = '\0';
    return i;
}
