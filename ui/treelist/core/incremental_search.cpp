// The incremental-search rules and the row matcher.
#include "ui/treelist/core/incremental_search.h"

namespace {

constexpr uint32_t kFirstTimeout = 500;
constexpr uint32_t kShortTimeout = 750;
constexpr uint32_t kLongTimeout = 1000;
constexpr uint32_t kLongAfter = 3;
constexpr unsigned char kCaseDistance = 32;
constexpr unsigned char kNationalFirst = 224;  // à .. þ (÷ at 247 shifts too, as the rule says)
constexpr unsigned char kNationalLast = 254;

bool BeginsWith(const char* text, const unsigned char* chars, uint32_t count)
{
    if (!text)
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == 0 || IncrementalSearchUpper(c) != chars[i])
            return false;
    }
    return true;
}

uint32_t Wrap(uint64_t row, uint32_t rowCount) { return uint32_t(row % rowCount); }

}  // namespace

uint32_t IncrementalSearchTimeout(uint32_t typed)
{
    if (typed == 0)
        return kFirstTimeout;
    return typed < kLongAfter ? kShortTimeout : kLongTimeout;
}

unsigned char IncrementalSearchUpper(unsigned char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= kNationalFirst && c <= kNationalLast))
        return static_cast<unsigned char>(c - kCaseDistance);
    return c;
}

bool IncrementalSearchFind(uint32_t rowCount, uint32_t startRow, const unsigned char* chars, uint32_t count,
                           IncrementalSearchTextFn text, void* context, uint32_t& found)
{
    if (rowCount == 0 || count == 0)
        return false;
    const uint32_t start = startRow < rowCount ? startRow : rowCount - 1;
    bool haveFirst = false;
    uint32_t firstMatch = 0;
    for (uint64_t i = 1; i <= rowCount; ++i) {
        const uint32_t row = Wrap(start + i, rowCount);
        const char* t = text(context, row);
        if (BeginsWith(t, chars, count)) {
            found = row;
            return true;
        }
        if (!haveFirst && BeginsWith(t, chars, 1)) {
            haveFirst = true;
            firstMatch = row;
        }
    }
    if (!haveFirst)
        return false;
    uint32_t row = firstMatch;
    for (uint32_t k = 1; k < count; ++k) {
        for (uint64_t j = 1; j < rowCount; ++j) {
            const uint32_t next = Wrap(row + j, rowCount);
            if (BeginsWith(text(context, next), chars + k, 1)) {
                row = next;
                break;
            }
        }
    }
    found = row;
    return true;
}
