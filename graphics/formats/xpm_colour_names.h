// The colour names the XPM reader knows: the X11 colour database's names in
// lower case without blanks, with their values there, and "aqua".
#pragma once

#include <cstdint>

struct XpmColourName {
    uint32_t value;  // 0x00RRGGBB
    const char* name;
};

// Sorted by name.
extern const XpmColourName kXpmColourNames[];
extern const int kXpmColourNameCount;

// The value of a name compared without case, or -1 when it is not in the table.
int64_t FindXpmColourName(const char* name, int length);
