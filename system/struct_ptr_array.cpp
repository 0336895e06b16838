#include "system/struct_ptr_array.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMaxRecords = 0x10000000;

// -1, 0 or 1 as a's key is below, equal to or above key.
int CompareKey(const void* record, int offset, uint32_t key, bool isUnsigned)
{
    uint32_t value;
    std::memcpy(&value, static_cast<const uint8_t*>(record) + offset, sizeof(value));
    if (isUnsigned)
        return value < key ? -1 : value > key ? 1 : 0;
    const int32_t a = int32_t(value), b = int32_t(key);
    return a < b ? -1 : a > b ? 1 : 0;
}

}  // namespace

CStructPtrArray::CStructPtrArray(int recordSize, int growStep)
    : m_recordSize(recordSize < 1 ? 1 : recordSize > kMaxRecordSize ? kMaxRecordSize : recordSize),
      m_growStep(growStep < 1 ? 1 : growStep)
{
}

CStructPtrArray::~CStructPtrArray()
{
    RemoveAll();
    std::free(m_ppRecords);
}

int CStructPtrArray::Insert(const void* records, int index, int count)
{
    if (index == -1)
        index = m_nCount;
    if (records == nullptr || count < 1 || index < 0 || index > m_nCount || count > kMaxRecords - m_nCount)
        return -1;
    if (m_nCount + count > m_capacity) {
        const int capacity = m_nCount + count + m_growStep;
        void* grown = std::realloc(m_ppRecords, size_t(capacity) * sizeof(void*));
        if (grown == nullptr)
            return -1;
        m_ppRecords = static_cast<void**>(grown);
        m_capacity = capacity;
    }
    // Allocate everything first, so a failure inserts nothing.
    void** made = static_cast<void**>(std::malloc(size_t(count) * sizeof(void*)));
    if (made == nullptr)
        return -1;
    for (int i = 0; i < count; ++i) {
        made[i] = std::malloc(size_t(m_recordSize));
        if (made[i] == nullptr) {
            for (int j = 0; j < i; ++j)
                std::free(made[j]);
            std::free(made);
            return -1;
        }
        std::memcpy(made[i], static_cast<const uint8_t*>(records) + size_t(i) * size_t(m_recordSize),
                    size_t(m_recordSize));
    }
    std::memmove(m_ppRecords + index + count, m_ppRecords + index, size_t(m_nCount - index) * sizeof(void*));
    std::memcpy(m_ppRecords + index, made, size_t(count) * sizeof(void*));
    std::free(made);
    m_nCount += count;
    return index;
}

int CStructPtrArray::Delete(int first, int end)
{
    if (first < 0)
        first = 0;
    if (end > m_nCount)
        end = m_nCount;
    if (first >= end)
        return 0;
    for (int i = first; i < end; ++i)
        std::free(m_ppRecords[i]);
    std::memmove(m_ppRecords + first, m_ppRecords + end, size_t(m_nCount - end) * sizeof(void*));
    m_nCount -= end - first;
    return end - first;
}

void CStructPtrArray::RemoveAll()
{
    Delete(0, m_nCount);
}

int CStructPtrArray::FindSortedU32(uint32_t key, int keyOffset, int first, int end, void** found,
                                   unsigned flags) const
{
    if (found != nullptr)
        *found = nullptr;
    if (keyOffset < 0 || keyOffset > m_recordSize - int(sizeof(uint32_t)))
        return -1;
    if (first < 0)
        first = 0;
    if (end > m_nCount)
        end = m_nCount;
    if (first > end)
        first = end;
    const bool isUnsigned = (flags & kFindUnsigned) != 0;
    // lower: the first record not below key; upper: the first above it.
    int lo = first, hi = end;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (CompareKey(m_ppRecords[mid], keyOffset, key, isUnsigned) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    const int lower = lo;
    hi = end;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (CompareKey(m_ppRecords[mid], keyOffset, key, isUnsigned) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    const int upper = lo;
    if (lower == upper)
        return (flags & kFindInsertPos) != 0 ? lower : -1;
    int index = lower + (upper - lower - 1) / 2;  // any equal one
    if (flags & kFindAfterEqual) {
        if (found != nullptr)
            *found = m_ppRecords[upper - 1];
        return upper;
    }
    if (flags & kFindFirstEqual)
        index = lower;
    if (found != nullptr)
        *found = m_ppRecords[index];
    return index;
}
