// Small helpers shared by the tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lindar_test {

// A folder for files a test writes; made on first use, unique per process.
std::string TempDir();

// Waits (bounded) for a condition another thread makes true, looking each
// millisecond; false when it still does not hold after the patience.
constexpr uint32_t kPatienceMs = 5000;
bool Eventually(const std::function<bool()>& done, uint32_t patienceMs = kPatienceMs);

// Names numbered on from `from`, four digits after the prefix ("0000",
// "Ordner 0001", ...): the subfolders of the big-folder tests and what the
// dialogs offer of them.
std::vector<std::string> NumberedNames(int from, int count, const std::string& prefix = "");

#ifdef _WIN32
// Whether every other thread of this process has reached its start routine;
// the tests' main waits for it before the process ends.
bool AllThreadsStarted();
#endif

// Deterministic pseudo-random numbers for table and property tests.
class Rng {
public:
    explicit Rng(uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return uint32_t(m_state >> 16);
    }
    int Range(int lo, int hi) { return lo + int(Next() % uint32_t(hi - lo + 1)); }

private:
    uint64_t m_state;
};

}  // namespace lindar_test
