// The icon cache by file extension: one record per extension with the four
// system image-list indices (by the low two bits of the shell flags: large
// or small, open or not), -1 until known. Records live for the process and
// are shared by every thread.
#pragma once

#include <atomic>

struct CFileIconRecord {
    char extension[9];  // lower case, at most 8 characters
    std::atomic<int> icons[4];
};

class CFileIconCache {
public:
    static constexpr int kMaxExtension = 8;
    // A bound on distinct extensions: a folder of random names cannot grow
    // the cache without end.
    static constexpr int kMaxRecords = 4096;
    static constexpr int kUnknown = -1;

    // Finds or inserts the record of an extension (without the dot, letters
    // without case). Null for an extension longer than 8 characters or a
    // full cache.
    static CFileIconRecord* FindExtensionA(const char* extension);
    // The image-list slot of shell flags (their low two bits).
    static int Slot(unsigned shellFlags) { return int(shellFlags & 3); }
};
