#include "tests/winharness/dropped_files.h"

#include <shlobj.h>

#include <cstdint>
#include <cstring>

namespace winharness {

WPARAM MakeDrop(const std::vector<std::string>& files, bool wide)
{
    std::vector<uint8_t> names;
    for (const std::string& file : files) {
        if (wide) {
            std::vector<wchar_t> w(file.size() + 1);
            const int n = MultiByteToWideChar(1252, 0, file.c_str(), -1, w.data(), int(w.size()));
            const uint8_t* bytes = reinterpret_cast<const uint8_t*>(w.data());
            names.insert(names.end(), bytes, bytes + size_t(n) * sizeof(wchar_t));
        } else {
            names.insert(names.end(), file.begin(), file.end());
            names.push_back(0);
        }
    }
    names.insert(names.end(), wide ? 2 : 1, 0);
    const HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = wide;
    std::memcpy(header + 1, names.data(), names.size());
    GlobalUnlock(memory);
    return reinterpret_cast<WPARAM>(memory);
}

}  // namespace winharness
