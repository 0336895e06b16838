// A list of heap items, each a fixed-size header followed by a 32-bit length
// and the data (kept NUL-terminated, so text items read as C strings).
//
// Callers walk the table directly: m_count items, m_items[i] points at
// item i's data, and RecordLength(m_items[i]) is its length. The header
// stands before the length.
#pragma once

#include <cstdint>
#include <cstring>

class CRecordArray {
public:
    // Case modes of the history functions.
    static constexpr int kCaseExact = 0;
    static constexpr int kCaseIgnore = 1;  // ASCII and code page 1252 letters
    static constexpr int kDefaultHistory = 16;
    // An item's data is at most this long; more is refused.
    static constexpr uint32_t kMaxDataLength = 0x3FFFFFFF;
    static constexpr int kMaxHeaderSize = 0x10000;

    explicit CRecordArray(int headerSize = 0);
    ~CRecordArray();
    CRecordArray(const CRecordArray&) = delete;
    CRecordArray& operator=(const CRecordArray&) = delete;

    int m_count = 0;
    uint8_t** m_items = nullptr;

    int HeaderSize() const { return m_headerSize; }
    static uint32_t RecordLength(const uint8_t* data)
    {
        uint32_t length;  // headers of any size: the word may be unaligned
        std::memcpy(&length, data - sizeof(uint32_t), sizeof(uint32_t));
        return length;
    }
    const char* GetString(int index) const;  // null for a bad index

    // Inserts an item before index (-1 or the count: append). The header is
    // copied when given, else zeroed. Returns the new index, -1 on failure.
    int AddData(uint32_t length, const void* data, int index = -1, const void* header = nullptr);
    int AddString(const char* text, int index = -1, const void* header = nullptr);
    // Adds the parts of a text split at the separator, empty parts left out;
    // separator 0 takes a NUL-separated list ended by an empty text (a
    // REG_MULTI_SZ). Returns the number of items added.
    int AddSplit(char separator, const char* text, int index = -1, const void* header = nullptr);

    // Copies item data into a buffer of size bytes, terminated when there is
    // room. Returns the number of data bytes copied, -1 for a bad index.
    int GetData(int index, void* buffer, int size) const;
    // Copies the header out; false for a bad index.
    bool GetHeader(int index, void* header) const;
    // The item's header in place (writable), null for a bad index.
    void* GetHeaderPtr(int index) const;
    // Replaces the data (and the header when given). Returns index or -1.
    int SetData(uint32_t length, const void* data, int index, const void* header = nullptr);
    // Copies a new header into the item; false for a bad index.
    bool SetHeaderPtr(int index, const void* header);

    // Removes the items [from, to), clamped to the list; returns the count.
    int RemoveRange(int from, int to);
    void RemoveAll();

    // Keeps the first occurrence of every text among the first `limit` items
    // (negative: 16) and drops everything beyond the limit. The case mode is
    // kept for MoveToFront.
    void SetHistoryLimit(int limit, int caseMode);
    // 0 when the text was found and moved to index 0, else 1.
    int MoveToFront(const char* text);
    // The first item equal to text (by the history's case mode), else -1.
    int Find(const char* text) const;

private:
    uint8_t* MakeItem(uint32_t length, const void* data, const void* header) const;
    void FreeItem(uint8_t* data) const;
    bool Reserve(int count);

    int m_headerSize;
    int m_capacity = 0;
    int m_caseMode = kCaseExact;
};
