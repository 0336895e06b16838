// File helpers shared by the stream tests.
#pragma once

#include "platform/win32/win.h"
#include "tests/support/test_support.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace lindar_test {

inline std::string TempPath(const std::string& name)
{
    return TempDir() + "/" + name;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<uint8_t> Pattern(size_t n, uint32_t seed = 1)
{
    Rng rng(seed);
    std::vector<uint8_t> bytes(n);
    for (auto& b : bytes)
        b = uint8_t(rng.Next());
    return bytes;
}

// A UTF-16 path as the platform's WCHAR string.
inline std::basic_string<WCHAR> WidePath(const std::filesystem::path& path)
{
    const std::u16string units = path.u16string();
    return std::basic_string<WCHAR>(units.begin(), units.end());
}

}  // namespace lindar_test
