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
    std::free(m_records);
}

int CStructPtrArray::Insert(const void* records, int index, int count)
{
    if (index == -1)
        index = m_count;
    if (records == nullptr || count < 1 || index < 0 || index > m_count || count > kMaxRecords - m_count)
        return -1;
    if (m_count + count > m_capacity) {
        const int capacity = m_count + count + m_growStep;
        void* grown = std::realloc(m_records, size_t(capacity) * sizeof(void*));
        if (grown == nullptr)
            return -1;
        m_records = static_cast<void**>(grown);
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
    std::memmove(m_records + index + count, m_records + index, size_t(m_count - index) * sizeof(void*));
    std::memcpy(m_records + index, made, size_t(count) * sizeof(void*));
    std::free(made);
    m_count += count;
    return index;
}

int CStructPtrArray::Delete(int first, int end)
{
    if (first < 0)
        first = 0;
    if (end > m_count)
        end = m_count;
    if (first >= end)
        return 0;
    for (int i = first; i < end; ++i)
        std::free(m_records[i]);
    std::memmove(m_records + first, m_records + end, size_t(m_count - end) * sizeof(void*));
    m_count -= end - first;
    return end - first;
}

void CStructPtrArray::RemoveAll()
{
    Delete(0, m_count);
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
    if (end > m_count)
        end = m_count;
    if (first > end)
        first = end;
    const bool isUnsigned = (flags & kFindUnsigned) != 0;
    // lower: the first record not below key; upper: the first above it.
    int lo = first, hi = end;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (CompareKey(m_records[mid], keyOffset, key, isUnsigned) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    const int lower = lo;
    hi = end;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (CompareKey(m_records[mid], keyOffset, key, isUnsigned) <= 0)
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
            *found = m_records[upper - 1];
        return upper;
    }
    if (flags & kFindFirstEqual)
        index = lower;
    if (found != nullptr)
        *found = m_records[index];
    return index;
}
