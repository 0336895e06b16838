#include "system/icon_cache.h"

#include "text/char_class.h"

#include <cstring>
#include <deque>
#include <mutex>

namespace {

std::mutex g_recordsLock;
std::deque<CFileIconRecord>& Records()
{
    static std::deque<CFileIconRecord> records;  // a deque never moves its records
    return records;
}

}  // namespace

CFileIconRecord* CFileIconCache::FindExtensionA(const char* extension)
{
    if (extension == nullptr)
        return nullptr;
    char key[kMaxExtension + 1];
    int n = 0;
    for (; extension[n] != 0; ++n) {
        if (n == kMaxExtension)
            return nullptr;
        key[n] = char(CharToLower(static_cast<unsigned char>(extension[n])));
    }
    key[n] = 0;
    std::lock_guard<std::mutex> hold(g_recordsLock);
    std::deque<CFileIconRecord>& records = Records();
    for (CFileIconRecord& record : records)
        if (std::strcmp(record.extension, key) == 0)
            return &record;
    if (records.size() >= size_t(kMaxRecords))
        return nullptr;
    CFileIconRecord& record = records.emplace_back();
    std::memcpy(record.extension, key, size_t(n) + 1);
    for (std::atomic<int>& icon : record.icons)
        icon.store(kUnknown);
    return &record;
}
