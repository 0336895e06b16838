#include "ui/dialogs/input_dlg_logic.h"

#include <cstring>
#include <limits>

namespace {

constexpr uint64_t kMagnitudeCap = uint64_t(1) << 40;  // beyond every 32-bit value
constexpr char kHexDigits[] = "0123456789abcdefABCDEF";
constexpr char kOctalDigits[] = "01234567";
constexpr char kBinaryDigits[] = "01";

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 99;
}

// True when the text starts with a run of the set followed by the suffix letter.
bool RunWithSuffix(const char* text, const char* set, char suffix)
{
    const size_t run = std::strspn(text, set);
    return run > 0 && (text[run] == suffix || text[run] == suffix + ('a' - 'A'));
}

struct Form {
    const char* set;
    char suffix;  // upper case
    int base;
};
constexpr Form kSuffixForms[] = {{kHexDigits, 'H', 16}, {kOctalDigits, 'O', 8}, {kBinaryDigits, 'B', 2}};

}  // namespace

int32_t ParseInputNumber(const char* text)
{
    if (!text)
        return 0;
    while (*text == ' ' || *text == '\t')
        ++text;
    bool negative = false;
    if (*text == '-' || *text == '+')
        negative = *text++ == '-';
    int base = 10;
    const char prefix = text[0] == '0' ? char(text[1] | 0x20) : 0;
    if (prefix == 'x' || prefix == 'o' || prefix == 'b') {
        base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : 2;
        text += 2;
    } else {
        for (const Form& form : kSuffixForms)
            if (RunWithSuffix(text, form.set, form.suffix)) {
                base = form.base;
                break;
            }
    }
    uint64_t magnitude = 0;
    for (int digit; (digit = DigitValue(*text)) < base; ++text)
        magnitude = magnitude >= kMagnitudeCap ? kMagnitudeCap : magnitude * uint64_t(base) + uint64_t(digit);
    if (base == 10) {
        const int64_t value = negative ? -int64_t(magnitude) : int64_t(magnitude);
        if (value < std::numeric_limits<int32_t>::min())
            return std::numeric_limits<int32_t>::min();
        if (value > std::numeric_limits<int32_t>::max())
            return std::numeric_limits<int32_t>::max();
        return int32_t(value);
    }
    const uint32_t pattern = magnitude > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(magnitude);
    return int32_t(negative ? 0u - pattern : pattern);
}

int InputWidthChange(int currentWidth, int option)
{
    int64_t change = 0;
    if ((uint32_t(option) & kInputWidthMarkerMask) == kInputWidthMarker) {
        const int64_t factor = int64_t(uint32_t(option) & 0xFFFF);
        if (factor != 0)
            change = int64_t(currentWidth) * factor / kInputTemplateWidth - currentWidth;
    } else {
        change = int64_t(currentWidth) * option / kInputTemplateWidth;
    }
    if (currentWidth + change < 1)
        change = 1 - int64_t(currentWidth);
    return int(change);
}
