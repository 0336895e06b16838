// A seeded storm of random steps on a window, with what it takes to find
// what broke: knobs from the environment, a crash report (the raw stack
// words first), a watchdog that ends a run that stops making progress, a
// heap check, an idle queue after every step and a run over seeds with its
// summary. A subject (the windows under test) derives from StormSubject and
// gives its steps and its checks.
//
// The knobs: LINDAR_STORM_SECONDS (per seed), LINDAR_STORM_SEED (the first
// of two), LINDAR_STORM_TRACE=1 prints every action with its depth,
// LINDAR_STORM_HEAPCHECK=1 checks every heap before each step,
// LINDAR_STORM_FIRSTCHANCE=1 prints each access violation where it happens
// (handled or not), LINDAR_STORM_JIT=1 hands a crash on to the system's
// debugger.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "platform/win32/win.h"
#include "tests/support/test_support.h"

namespace winharness {

// The number in the environment variable, or the fallback.
int EnvInt(const char* name, int fallback);

// Each step and each message dispatched counts as progress for the
// watchdog; what the storm does now names the report of a crash or hang.
void StormProgress();
void StormDoing(const char* what);
const char* StormDoing();

// Whether the current seed's time is up: steps that run inside nested
// loops (message boxes, drags) stop when it is, as the outer loop does.
bool StormTimeUp();

// Every heap of the process is sound.
bool HeapsValid();

// Where a thread stands: the instruction and stack pointers and the words on
// the stack that point into this program (likely return addresses, for
// addr2line), written without the C runtime or the heap; with lookups, then
// the module and the system's stack walk, which can fail or wait for ever on
// a broken heap.
void PrintStack(const CONTEXT& context, bool lookups);

// Crash reports for the life of the object: an unhandled exception is said
// with its stack before the process ends, stderr is unbuffered, and with
// LINDAR_STORM_FIRSTCHANCE each access violation is said where it happens.
class CrashReport {
public:
    CrashReport();
    ~CrashReport();
    CrashReport(const CrashReport&) = delete;
    CrashReport& operator=(const CrashReport&) = delete;

private:
    LPTOP_LEVEL_EXCEPTION_FILTER m_before;
    PVOID m_firstChance = nullptr;
};

// Ends the process when the thread that made it stops making progress for
// the time given, with the raw stack of that thread (a hang on a broken
// heap would also hang the lookups).
class Watchdog {
public:
    explicit Watchdog(uint64_t seed, DWORD stuckMs = 30000);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::atomic<bool> m_stop{false};
    HANDLE m_main = nullptr;
    std::thread m_thread;
};

// What a storm subject has in common: its random numbers, the steps taken,
// the actions done by name and the first failure.
class StormSubject {
public:
    explicit StormSubject(uint64_t seed) : rng(seed), seed(seed) {}
    virtual ~StormSubject() = default;

    lindar_test::Rng rng;
    uint64_t seed;
    uint64_t steps = 0;
    int depth = 0;                           // steps inside steps (notifications, loops)
    std::map<std::string, uint64_t> counts;  // what was done, by name
    std::string failure;

    bool Chance(int percent) { return rng.Range(0, 99) < percent; }
    int Pick(int n) { return rng.Range(0, n - 1); }
    // One action of a table of {member, weight}, as likely as its weight.
    template <class Subject, class Row, size_t N>
    void ActOneOf(Subject& subject, const Row (&actions)[N])
    {
        int total = 0;
        for (const Row& a : actions)
            total += a.weight;
        int r = Pick(total);
        for (const Row& a : actions) {
            if (r < a.weight) {
                (subject.*a.act)();
                return;
            }
            r -= a.weight;
        }
    }
    // Counts an action and names it for a report; with LINDAR_STORM_TRACE
    // printed at its depth (and the heaps checked when asked).
    void Count(const char* what);

    // One step: counted as progress (the heaps checked first when asked),
    // then the subject's Act. Steps inside steps (a message box's loop, a
    // notification) are steps too.
    void Step();
    // One random action; it may run loops of its own.
    virtual void Act() = 0;
    // After each step, with the queue idle: false with the failure set when
    // something is wrong.
    virtual bool AfterStep() = 0;
    // Destroys what the storm made and settles; false with the failure set
    // when anything is left behind.
    virtual bool Finish() = 0;

    // Dispatches until the queue is idle; false (with what kept it busy) when
    // it does not fall idle within the time.
    bool Settle(DWORD busyMs = 3000);
    // With LINDAR_STORM_HEAPCHECK set every heap is checked (slow): a
    // corruption shows at the step that made it. False with the failure.
    bool HeapsSound();
    // Steps, each followed by an idle queue and the subject's checks, until
    // the time is up; false with the failure when a check failed.
    bool Run(DWORD milliseconds);
    std::string Summary() const;
};

// Runs the subjects made for two seeds from LINDAR_STORM_SEED (default 1)
// for LINDAR_STORM_SECONDS each (default given), each under a watchdog and
// the crash report, printing each summary; a failure is the test's.
void RunSeededStorms(const std::function<std::unique_ptr<StormSubject>(uint64_t seed)>& make,
                     int defaultSeconds = 2);

}  // namespace winharness
