#include "system/registry.h"

#include "system/registry_text.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool IsTextType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

HKEY OpenKey(HKEY parent, const char* path, int mode, bool noCreate)
{
    HKEY key = nullptr;
    LONG status;
    if (mode == CRegistry::kModeWrite && !noCreate)
        status = RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                                 &key, nullptr);
    else
        status = RegOpenKeyExA(parent, path, 0, mode == CRegistry::kModeWrite ? KEY_READ | KEY_WRITE : KEY_READ,
                               &key);
    return status == ERROR_SUCCESS ? key : nullptr;
}

}  // namespace

CRegistry::~CRegistry()
{
    Close();
}

void CRegistry::Close()
{
    while (m_depth > 0)
        RegCloseKey(m_keys[--m_depth]);
}

int CRegistry::Open(HKEY root, const char* path, int mode)
{
    Close();
    m_mode = mode == kModeWrite ? kModeWrite : kModeRead;
    std::string appPath;
    if (path == nullptr) {
        appPath = RegistryApplicationPath();
        if (appPath.empty())
            return 0;
        path = appPath.c_str();
    }
    if (root == nullptr)
        return 0;
    HKEY key = OpenKey(root, path, m_mode, false);
    if (key == nullptr)
        return 0;
    m_keys[m_depth++] = key;
    return 1;
}

int CRegistry::OpenSubKey(const char* name, bool noCreate)
{
    if (m_depth == 0 || m_depth == kMaxDepth || name == nullptr)
        return 0;
    HKEY key = OpenKey(Key(), name, m_mode, noCreate);
    if (key == nullptr)
        return 0;
    m_keys[m_depth++] = key;
    return 1;
}

int CRegistry::ReadValue(void* buffer, DWORD size, const char* name, DWORD type)
{
    if (m_depth == 0 || buffer == nullptr)
        return -1;
    DWORD found = 0;
    DWORD length = 0;
    if (RegQueryValueExA(Key(), name, nullptr, &found, nullptr, &length) != ERROR_SUCCESS || found != type ||
        length > size)
        return -1;
    if (type == REG_DWORD && length != sizeof(DWORD))
        return -1;
    const DWORD terminators = type == REG_MULTI_SZ ? 2 : IsTextType(type) ? 1 : 0;
    DWORD read = size;
    if (RegQueryValueExA(Key(), name, nullptr, &found, static_cast<BYTE*>(buffer), &read) != ERROR_SUCCESS ||
        found != type || read > size)
        return -1;
    if (IsTextType(type)) {
        char* text = static_cast<char*>(buffer);
        // Drop the value's own terminators, then add ours within the buffer.
        while (read > 0 && text[read - 1] == 0)
            --read;
        if (read + terminators > size)
            return -1;
        std::memset(text + read, 0, terminators);
        return int(read + terminators);
    }
    return int(read);
}

bool CRegistry::ReadValueAlloc(void** out, const char* name, DWORD type, DWORD* size)
{
    if (out == nullptr)
        return false;
    *out = nullptr;
    if (size != nullptr)
        *size = 0;
    if (m_depth == 0)
        return false;
    // The value may grow between the two queries: retry a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD found = 0;
        DWORD length = 0;
        if (RegQueryValueExA(Key(), name, nullptr, &found, nullptr, &length) != ERROR_SUCCESS || found != type ||
            length > kMaxValueSize)
            return false;
        auto* block = static_cast<BYTE*>(std::malloc(size_t(length) + 2));
        if (block == nullptr)
            return false;
        DWORD read = length;
        const LONG status = RegQueryValueExA(Key(), name, nullptr, &found, block, &read);
        if (status == ERROR_MORE_DATA) {
            std::free(block);
            continue;
        }
        if (status != ERROR_SUCCESS || found != type || read > length) {
            std::free(block);
            return false;
        }
        block[read] = 0;
        block[read + 1] = 0;
        *out = block;
        if (size != nullptr)
            *size = read;
        return true;
    }
    return false;
}

int CRegistry::ReadMultiString(CRecordArray& list, const char* name)
{
    void* block = nullptr;
    if (!ReadValueAlloc(&block, name, REG_MULTI_SZ))
        return -1;
    const int added = list.AddSplit(0, static_cast<const char*>(block));
    std::free(block);
    return added;
}

int CRegistry::WriteValue(const void* data, DWORD size, const char* name, DWORD type)
{
    if (m_depth == 0 || m_mode != kModeWrite || (data == nullptr && size > 0))
        return 0;
    return RegSetValueExA(Key(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS ? 1 : 0;
}

int CRegistry::WriteMultiString(const CRecordArray& list, const char* name)
{
    const std::vector<char> block = BuildMultiString(list);
    return WriteValue(block.data(), DWORD(block.size()), name, REG_MULTI_SZ);
}

int CRegistry::WriteCString(const char* text, const char* name)
{
    if (text == nullptr)
        text = "";
    return WriteValue(text, DWORD(std::strlen(text) + 1), name, REG_SZ);
}
