#include "tests/support/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <string>

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

}  // namespace lindar_test
