#include "system/record_array.h"

#include "text/text_services.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int kGrowStep = 16;
constexpr int kMaxItems = 0x10000000;

bool TextsEqual(const char* a, const char* b, int caseMode)
{
    if (caseMode == CRecordArray::kCaseExact)
        return std::strcmp(a, b) == 0;
    return StrCompareNoCaseNA(a, b, -1) == 0;
}

}  // namespace

CRecordArray::CRecordArray(int headerSize)
    : m_headerSize(headerSize < 0 ? 0 : headerSize > kMaxHeaderSize ? kMaxHeaderSize : headerSize)
{
}

CRecordArray::~CRecordArray()
{
    RemoveAll();
    std::free(m_items);
}

uint8_t* CRecordArray::MakeItem(uint32_t length, const void* data, const void* header) const
{
    if (length > kMaxDataLength || (length > 0 && data == nullptr))
        return nullptr;
    // header, length word, data, NUL
    const size_t total = size_t(m_headerSize) + sizeof(uint32_t) + length + 1;
    auto* block = static_cast<uint8_t*>(std::malloc(total));
    if (block == nullptr)
        return nullptr;
    if (header != nullptr)
        std::memcpy(block, header, size_t(m_headerSize));
    else
        std::memset(block, 0, size_t(m_headerSize));
    std::memcpy(block + m_headerSize, &length, sizeof(uint32_t));
    uint8_t* item = block + m_headerSize + sizeof(uint32_t);
    if (length > 0)
        std::memcpy(item, data, length);
    item[length] = 0;
    return item;
}

void CRecordArray::FreeItem(uint8_t* data) const
{
    if (data != nullptr)
        std::free(data - sizeof(uint32_t) - m_headerSize);
}

bool CRecordArray::Reserve(int count)
{
    if (count <= m_capacity)
        return true;
    if (count > kMaxItems)
        return false;
    const int capacity = count + kGrowStep;
    void* grown = std::realloc(m_items, size_t(capacity) * sizeof(uint8_t*));
    if (grown == nullptr)
        return false;
    m_items = static_cast<uint8_t**>(grown);
    m_capacity = capacity;
    return true;
}

const char* CRecordArray::GetString(int index) const
{
    if (index < 0 || index >= m_count)
        return nullptr;
    return reinterpret_cast<const char*>(m_items[index]);
}

int CRecordArray::AddData(uint32_t length, const void* data, int index, const void* header)
{
    if (index == -1)
        index = m_count;
    if (index < 0 || index > m_count || !Reserve(m_count + 1))
        return -1;
    uint8_t* item = MakeItem(length, data, header);
    if (item == nullptr)
        return -1;
    std::memmove(m_items + index + 1, m_items + index, size_t(m_count - index) * sizeof(uint8_t*));
    m_items[index] = item;
    ++m_count;
    return index;
}

int CRecordArray::AddString(const char* text, int index, const void* header)
{
    if (text == nullptr)
        text = "";
    const size_t length = std::strlen(text);
    if (length > kMaxDataLength)
        return -1;
    return AddData(uint32_t(length), text, index, header);
}

int CRecordArray::AddSplit(char separator, const char* text, int index, const void* header)
{
    if (text == nullptr)
        return 0;
    if (index == -1)
        index = m_count;
    int added = 0;
    const char* part = text;
    for (;;) {
        const char* end = part;
        while (*end != 0 && *end != separator)
            ++end;
        if (end > part) {
            if (AddData(uint32_t(end - part), part, index + added, header) < 0)
                break;
            ++added;
        }
        if (separator == 0) {
            if (end == part)
                break;  // the empty text ends the list
            part = end + 1;
        } else {
            if (*end == 0)
                break;
            part = end + 1;
        }
    }
    return added;
}

int CRecordArray::GetData(int index, void* buffer, int size) const
{
    if (index < 0 || index >= m_count || buffer == nullptr || size < 0)
        return -1;
    const uint32_t length = RecordLength(m_items[index]);
    const int copied = length < uint32_t(size) ? int(length) : size;
    std::memcpy(buffer, m_items[index], size_t(copied));
    if (copied < size)
        static_cast<char*>(buffer)[copied] = 0;
    return copied;
}

void* CRecordArray::GetHeaderPtr(int index) const
{
    if (index < 0 || index >= m_count)
        return nullptr;
    return m_items[index] - sizeof(uint32_t) - m_headerSize;
}

bool CRecordArray::GetHeader(int index, void* header) const
{
    const void* source = GetHeaderPtr(index);
    if (source == nullptr || header == nullptr)
        return false;
    std::memcpy(header, source, size_t(m_headerSize));
    return true;
}

bool CRecordArray::SetHeaderPtr(int index, const void* header)
{
    void* target = GetHeaderPtr(index);
    if (target == nullptr || header == nullptr)
        return false;
    std::memcpy(target, header, size_t(m_headerSize));
    return true;
}

int CRecordArray::SetData(uint32_t length, const void* data, int index, const void* header)
{
    if (index < 0 || index >= m_count)
        return -1;
    uint8_t* item = MakeItem(length, data, header != nullptr ? header : GetHeaderPtr(index));
    if (item == nullptr)
        return -1;
    FreeItem(m_items[index]);
    m_items[index] = item;
    return index;
}

int CRecordArray::RemoveRange(int from, int to)
{
    if (from < 0)
        from = 0;
    if (to > m_count)
        to = m_count;
    if (from >= to)
        return 0;
    for (int i = from; i < to; ++i)
        FreeItem(m_items[i]);
    std::memmove(m_items + from, m_items + to, size_t(m_count - to) * sizeof(uint8_t*));
    m_count -= to - from;
    return to - from;
}

void CRecordArray::RemoveAll()
{
    RemoveRange(0, m_count);
}

int CRecordArray::Find(const char* text) const
{
    if (text == nullptr)
        return -1;
    for (int i = 0; i < m_count; ++i)
        if (TextsEqual(GetString(i), text, m_caseMode))
            return i;
    return -1;
}

void CRecordArray::SetHistoryLimit(int limit, int caseMode)
{
    if (limit < 0)
        limit = kDefaultHistory;
    m_caseMode = caseMode;
    for (int i = 1; i < m_count && i < limit;) {
        int j = 0;
        while (j < i && !TextsEqual(GetString(j), GetString(i), m_caseMode))
            ++j;
        if (j < i)
            RemoveRange(i, i + 1);
        else
            ++i;
    }
    RemoveRange(limit, m_count);
}

int CRecordArray::MoveToFront(const char* text)
{
    const int found = Find(text);
    if (found < 0)
        return 1;
    uint8_t* item = m_items[found];
    std::memmove(m_items + 1, m_items, size_t(found) * sizeof(uint8_t*));
    m_items[0] = item;
    return 0;
}
