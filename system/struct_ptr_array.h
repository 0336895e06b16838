// A growable array of pointers to separately allocated records of one size,
// with a binary search over a 32-bit key inside the records.
#pragma once

#include <cstdint>

class CStructPtrArray {
public:
    // FindSortedU32 flags.
    static constexpr unsigned kFindUnsigned = 1;     // compare keys unsigned
    static constexpr unsigned kFindFirstEqual = 2;   // the first of equal keys
    static constexpr unsigned kFindAfterEqual = 4;   // the position after the last equal key
    static constexpr unsigned kFindInsertPos = 8;    // not found: the insert position, else -1
    static constexpr int kMaxRecordSize = 0x100000;

    CStructPtrArray(int recordSize, int growStep = 16);
    ~CStructPtrArray();
    CStructPtrArray(const CStructPtrArray&) = delete;
    CStructPtrArray& operator=(const CStructPtrArray&) = delete;

    int m_count = 0;
    void** m_records = nullptr;

    int RecordSize() const { return m_recordSize; }
    void* At(int index) const { return index >= 0 && index < m_count ? m_records[index] : nullptr; }

    // Copies count records (back to back in `records`) into their own
    // allocations before index (-1: append). Returns the index, -1 on failure
    // (nothing inserted).
    int Insert(const void* records, int index = -1, int count = 1);
    // Frees and removes the records [first, end), clamped; returns the count.
    int Delete(int first, int end);
    void RemoveAll();

    // Binary search for key (at keyOffset in each record) over the sorted
    // records [first, end), end clamped to the count. Returns the index found
    // (see the flags) or, with kFindInsertPos, the insert position, else -1.
    // *found receives the matching record, or null when the key is not there:
    // that is how a found index and an insert position are told apart.
    int FindSortedU32(uint32_t key, int keyOffset, int first, int end, void** found, unsigned flags) const;

private:
    int m_recordSize;
    int m_growStep;
    int m_capacity = 0;
};
