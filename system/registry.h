// Registry access through a stack of open keys under one root: Open starts
// the stack, OpenSubKey goes one key deeper, values are read and written in
// the deepest key. The destructor closes every key.
#pragma once

#include "platform/win32/win.h"
#include "system/record_array.h"

#include <cstdint>

class CRegistry {
public:
    static constexpr int kModeRead = 0;
    static constexpr int kModeWrite = 2;  // write, creating missing keys
    static constexpr int kMaxDepth = 16;
    // ReadValueAlloc refuses values larger than this.
    static constexpr DWORD kMaxValueSize = 16u << 20;

    CRegistry() = default;
    ~CRegistry();
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    // Closes the open keys and opens path under root (null path: the
    // application's key, see SetRegistryApplication). 1 on success, 0 when
    // the key is missing (read mode) or cannot be made.
    int Open(HKEY root, const char* path, int mode);
    // One key deeper; a missing key is created in write mode unless
    // noCreate is set. 1 on success, 0 otherwise (the stack unchanged).
    int OpenSubKey(const char* name, bool noCreate = false);
    // Closes every open key.
    void Close();
    int Depth() const { return m_depth; }
    HKEY Key() const { return m_depth > 0 ? m_keys[m_depth - 1] : nullptr; }

    // Reads a value of the given type into a buffer of size bytes. REG_DWORD
    // reads exactly 4 bytes; a text (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ)
    // is always terminated within the buffer, a REG_MULTI_SZ by two NULs.
    // Returns the bytes stored, -1 when the value is missing, of another
    // type or larger than the buffer.
    int ReadValue(void* buffer, DWORD size, const char* name, DWORD type);
    // The value in a new heap block (free()) with two NULs behind it, so a
    // text or list read this way is always terminated; *size, when given,
    // gets the value's length. True on success.
    bool ReadValueAlloc(void** out, const char* name, DWORD type, DWORD* size = nullptr);
    // Reads a REG_MULTI_SZ into the list (appending); -1 on failure, else
    // the number of texts added.
    int ReadMultiString(CRecordArray& list, const char* name);

    // 1 on success, 0 on failure (read mode, no key).
    int WriteValue(const void* data, DWORD size, const char* name, DWORD type);
    int WriteMultiString(const CRecordArray& list, const char* name);
    int WriteCString(const char* text, const char* name);

private:
    HKEY m_keys[kMaxDepth] = {};
    int m_depth = 0;
    int m_mode = kModeRead;
};
