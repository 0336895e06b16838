// The table behind the shared GDI cache: objects under a 20-byte key of
// five 32-bit words (kind, kind-dependent values, the resource or source
// handle). Kept sorted by the last word; a lookup compares all five words
// across the run of entries that share it. Not locked: the cache functions
// lock around it.
#pragma once

#include "system/struct_ptr_array.h"

#include <cstdint>
#include <vector>

struct GdiCacheKey {
    uint32_t words[5];
};

class CGdiCacheTable {
public:
    CGdiCacheTable();

    // The object under the key, or null.
    void* Find(const GdiCacheKey& key) const;
    // Adds an object under a key not yet present; false when the key is
    // there already (the cached object stays) or memory ran out.
    bool Add(const GdiCacheKey& key, void* object);
    // Removes every entry and hands back the objects with their keys.
    std::vector<std::pair<GdiCacheKey, void*>> TakeAll();
    int Count() const { return m_records.m_count; }

private:
    struct Record {
        GdiCacheKey key;
        void* object;
    };
    int FindIndex(const GdiCacheKey& key, int* insertAt) const;

    CStructPtrArray m_records;
};
