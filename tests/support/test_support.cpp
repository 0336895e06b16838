#include "tests/support/test_support.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#ifdef _WIN32
#include <process.h>
#define LINDAR_GETPID _getpid
#else
#include <unistd.h>
#define LINDAR_GETPID getpid
#endif

namespace lindar_test {

std::string TempDir()
{
    static const std::string dir = [] {
        std::filesystem::path base;
        if (const char* env = std::getenv("LINDAR_TEST_TMP"); env && *env)
            base = env;
        else
            base = std::filesystem::temp_directory_path();
        base /= "lindar-" + std::to_string(LINDAR_GETPID());
        std::filesystem::create_directories(base);
        return base.string();
    }();
    return dir;
}

std::vector<std::string> NumberedNames(int from, int count, const std::string& prefix)
{
    std::vector<std::string> names;
    for (int i = from; i < from + count; ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%04d", i);
        names.push_back(prefix + number);
    }
    return names;
}

bool Eventually(const std::function<bool()>& done, uint32_t patienceMs)
{
    const auto start = std::chrono::steady_clock::now();
    for (; !done(); std::this_thread::sleep_for(std::chrono::milliseconds(1)))
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(patienceMs))
            return false;
    return true;
}

}  // namespace lindar_test
