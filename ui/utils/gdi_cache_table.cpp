#include "ui/utils/gdi_cache_table.h"

#include <cstddef>
#include <cstring>

namespace {

constexpr int kSortWord = 4;
constexpr int kGrowStep = 32;

}  // namespace

CGdiCacheTable::CGdiCacheTable() : m_records(int(sizeof(Record)), kGrowStep) {}

int CGdiCacheTable::FindIndex(const GdiCacheKey& key, int* insertAt) const
{
    const int keyOffset = int(offsetof(Record, key) + kSortWord * sizeof(uint32_t));
    void* found = nullptr;
    int i = m_records.FindSortedU32(key.words[kSortWord], keyOffset, 0, 0x7fffffff, &found,
                                    CStructPtrArray::kFindUnsigned | CStructPtrArray::kFindFirstEqual |
                                        CStructPtrArray::kFindInsertPos);
    if (insertAt != nullptr)
        *insertAt = i;
    if (found == nullptr)
        return -1;
    for (; i < m_records.m_count; ++i) {
        const auto* record = static_cast<const Record*>(m_records.At(i));
        if (record->key.words[kSortWord] != key.words[kSortWord])
            break;
        if (std::memcmp(record->key.words, key.words, sizeof key.words) == 0)
            return i;
    }
    if (insertAt != nullptr)
        *insertAt = i;  // behind the run of the same sort word
    return -1;
}

void* CGdiCacheTable::Find(const GdiCacheKey& key) const
{
    const int i = FindIndex(key, nullptr);
    return i >= 0 ? static_cast<const Record*>(m_records.At(i))->object : nullptr;
}

bool CGdiCacheTable::Add(const GdiCacheKey& key, void* object)
{
    int insertAt = 0;
    if (FindIndex(key, &insertAt) >= 0)
        return false;
    const Record record = {key, object};
    return m_records.Insert(&record, insertAt, 1) >= 0;
}

std::vector<std::pair<GdiCacheKey, void*>> CGdiCacheTable::TakeAll()
{
    std::vector<std::pair<GdiCacheKey, void*>> all;
    for (int i = 0; i < m_records.m_count; ++i) {
        const auto* record = static_cast<const Record*>(m_records.At(i));
        all.emplace_back(record->key, record->object);
    }
    m_records.RemoveAll();
    return all;
}
