// The framework's worker thread and lock guard, on both builds.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/framework/worker.h"
#include "tests/support/test_support.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;
using lindar_test::Eventually;
// A wait of kRunOutMs that took kRanOutMs or more ran out its time: no
// prompt return takes that long even on a loaded machine.
constexpr uint32_t kRunOutMs = 300;
constexpr long long kRanOutMs = 250;

long long MsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// What the owner did before a wait, and what two waits in a row answer: a
// wake-up is kept for one wait and taken by it, the quit answers every wait.
TEST(WorkerTest, WakeUpsRequestsAndTheQuitAsSeenByWaits)
{
    enum Before { kNothing, kWake, kRequest, kQuit, kQuitAfterWake };
    const struct {
        Before before;
        bool woken;    // the first wait returns at once; the second runs out
        bool quit;     // both waits return false at once
        bool request;  // a request is there to take, once
    } cases[] = {
        {kNothing, false, false, false},
        {kWake, true, false, false},
        {kRequest, true, false, true},
        {kQuit, false, true, false},
        {kQuitAfterWake, false, true, false},
    };
    for (const auto& c : cases) {
        CWorker worker;
        if (c.before == kWake || c.before == kQuitAfterWake)
            worker.Wake();
        if (c.before == kRequest)
            worker.Request();
        if (c.before == kQuit || c.before == kQuitAfterWake)
            worker.Quit();
        for (const bool first : {true, false}) {
            const auto start = Clock::now();
            EXPECT_EQ(worker.WaitForWake(kRunOutMs), !c.quit) << c.before;
            EXPECT_EQ(MsSince(start) < kRanOutMs, c.quit || (first && c.woken)) << c.before << first;
        }
        EXPECT_EQ(worker.Requested(), c.request) << c.before;
        EXPECT_EQ(worker.TakeRequest(), c.request) << c.before;
        EXPECT_FALSE(worker.TakeRequest()) << c.before;
        EXPECT_EQ(worker.Quitting(), c.quit) << c.before;
    }
}

// The owner writes and requests under the lock; the worker takes each
// request and reads under the lock. No request is lost, none is taken twice
// for one state (the flag goes with the state in one hold on both sides: a
// flag taken apart from its state could be taken again for the state a later
// request brought), and Stop ends a worker that waits without a time-out.
TEST(WorkerTest, RequestsCarryStateUnderTheSharedLockUntilStopped)
{
    CWorker worker;
    int path = 0;  // shared, under the lock
    std::vector<int> seen;
    std::atomic<int> last{0};
    ASSERT_TRUE(worker.Start([&](CWorker& w) {
        while (w.WaitForWake()) {
            CLockGuard hold(w.SharedLock());
            if (w.TakeRequest()) {
                seen.push_back(path);
                last = path;
            }
        }
    }));
    EXPECT_TRUE(worker.Running());
    for (int i = 1; i <= 200; ++i) {
        CLockGuard hold(worker.SharedLock());
        path = i;
        worker.Request();
    }
    EXPECT_TRUE(Eventually([&] { return last == 200; }));
    worker.Stop();
    EXPECT_FALSE(worker.Running());
    ASSERT_FALSE(seen.empty());
    // Requests coalesce, but with each flag raised and taken together with
    // its value no value is seen twice or after a newer one.
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_LT(seen[i - 1], seen[i]);
}

// A worker that waits for its owner (a message only the owner's thread can
// take) ends when Stop lets the owner answer while it waits; one that ends
// by itself needs no answer.
TEST(WorkerTest, StopRunsTheOwnersWorkWhileTheWorkerRuns)
{
    const struct {
        bool waitsForOwner;
        uint32_t stepMs;
    } cases[] = {{true, 10}, {true, kWorkerStopStepMs}, {false, kWorkerStopStepMs}};
    for (const auto& c : cases) {
        CWorker worker;
        std::atomic<bool> answered{false}, started{false};
        std::atomic<int> calls{0};
        ASSERT_TRUE(worker.Start([&](CWorker&) {
            started = true;
            // Deaf to the quit until answered, as a worker blocked in a call to the owner.
            while (c.waitsForOwner && !answered)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }));
        ASSERT_TRUE(Eventually([&] { return started.load(); }));
        if (!c.waitsForOwner) {
            ASSERT_TRUE(Eventually([&] { return !worker.Running(); }));
        }
        const auto start = Clock::now();
        worker.Stop([&] { ++calls, answered = true; }, c.stepMs);
        EXPECT_FALSE(worker.Running());
        EXPECT_EQ(calls > 0, c.waitsForOwner) << c.stepMs;
        EXPECT_LT(MsSince(start), 1000) << c.stepMs;
    }
}

// What a run sees at its start: a request raised before the first Start
// is there; what an earlier run left (its quit, a request, a wake-up) is
// not, and Start stops that run first.
TEST(WorkerTest, StartKeepsAnEarlyRequestAndStopsAndForgetsTheEarlierRun)
{
    struct Seen {
        bool earlierEnded, quitting, requested, waitRanOut;
    };
    CWorker worker;
    std::atomic<bool> earlierEnded{true};
    std::vector<Seen> seen;
    const auto run = [&] {
        std::atomic<bool> done{false};
        const bool started = worker.Start([&](CWorker& w) {
            const bool ended = earlierEnded, quitting = w.Quitting(), requested = w.TakeRequest();
            const auto start = Clock::now();
            w.WaitForWake(kRunOutMs);
            seen.push_back(Seen{ended, quitting, requested, MsSince(start) >= kRanOutMs});
            earlierEnded = false;
            done = true;
            while (w.WaitForWake()) {
            }
            earlierEnded = true;
        });
        return started && Eventually([&] { return done.load(); });
    };
    worker.Request();
    ASSERT_TRUE(run());
    worker.Request();
    worker.Wake();
    ASSERT_TRUE(run());  // the first run still waits
    worker.Stop();
    worker.Stop();  // again: nothing to join
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(std::make_tuple(seen[0].earlierEnded, seen[0].quitting, seen[0].requested, seen[0].waitRanOut),
              std::make_tuple(true, false, true, false));  // the request woke it too
    EXPECT_EQ(std::make_tuple(seen[1].earlierEnded, seen[1].quitting, seen[1].requested, seen[1].waitRanOut),
              std::make_tuple(true, false, false, true));
    EXPECT_TRUE(earlierEnded);
}

// A worker stopping itself only quits; the owner's Stop joins it.
TEST(WorkerTest, AWorkerStoppingItselfLeavesTheJoinToItsOwner)
{
    CWorker worker;
    std::atomic<bool> after{false};
    ASSERT_TRUE(worker.Start([&](CWorker& w) {
        w.Stop();
        after = !w.WaitForWake();
    }));
    ASSERT_TRUE(Eventually([&] { return !worker.Running(); }));
    worker.Stop();
    EXPECT_TRUE(after);
}

#ifdef _WIN32
TEST(WorkerTest, TheBodyRunsAtThePriorityAsked)
{
    for (const int priority : {THREAD_PRIORITY_NORMAL, THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_ABOVE_NORMAL}) {
        CWorker worker;
        std::atomic<int> seen{-100};
        ASSERT_TRUE(worker.Start([&](CWorker&) { seen = GetThreadPriority(GetCurrentThread()); }, priority));
        worker.Stop();
        EXPECT_EQ(seen, priority);
    }
}
#endif

// The guard holds any of the framework's locks for its scope.
TEST(LockGuardTest, HoldsTheLockForItsScope)
{
    std::vector<std::unique_ptr<CSyncObject>> locks;
    locks.push_back(std::make_unique<CSemaphore>(1, 1));
    locks.push_back(std::make_unique<CCriticalSection>());
    for (const auto& lock : locks) {
        const auto takenElsewhere = [&] {
            bool taken = false;
            std::thread other([&] {
                taken = lock->Lock(10);
                if (taken)
                    lock->Unlock();
            });
            other.join();
            return taken;
        };
        {
            CLockGuard hold(*lock);
            EXPECT_FALSE(takenElsewhere());
        }
        EXPECT_TRUE(takenElsewhere());
    }
}

}  // namespace
