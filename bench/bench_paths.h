// Where the benchmark programs put their files.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

// In memory where the system has a RAM folder: writes then do not wait for
// the disk, whose write-back would land on whichever side runs after (and
// a save's flush to the disk would time the disk, not the encoder).
inline std::string BenchPath(const std::string& name)
{
    std::error_code error;
    const std::filesystem::path ram = "/dev/shm";
    return ((std::filesystem::is_directory(ram, error) ? ram : std::filesystem::temp_directory_path()) / name).string();
}
