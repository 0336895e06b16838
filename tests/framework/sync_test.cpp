// The framework's synchronisation objects, on both builds.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/framework/sync.h"

namespace {

TEST(SemaphoreTest, CountsBetweenZeroAndTheMaximum)
{
    CSemaphore semaphore(1, 1);
    EXPECT_TRUE(semaphore.Lock(0));
    EXPECT_FALSE(semaphore.Lock(0)) << "count 0";
    EXPECT_FALSE(semaphore.Lock(20)) << "times out";
    EXPECT_TRUE(semaphore.Unlock());
    EXPECT_FALSE(semaphore.Unlock()) << "past the maximum";
    EXPECT_TRUE(semaphore.Lock(0));

    CSemaphore counting(2, 3);
    long previous = -1;
    EXPECT_TRUE(counting.Unlock(1, &previous));
    EXPECT_EQ(previous, 2);
    EXPECT_FALSE(counting.Unlock(1, &previous)) << "3 is the maximum";
    EXPECT_FALSE(counting.Unlock(0));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(counting.Lock(0));
    EXPECT_FALSE(counting.Lock(0));
}

TEST(SemaphoreTest, AnotherThreadsUnlockWakesAWaiter)
{
    CSemaphore semaphore(0, 1);
    std::atomic<bool> acquired{false};
    std::thread waiter([&] { acquired = semaphore.Lock(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(acquired);
    EXPECT_TRUE(semaphore.Unlock());
    waiter.join();
    EXPECT_TRUE(acquired);
}

TEST(SemaphoreTest, IsAMutexAcrossThreads)
{
    CSemaphore semaphore(1, 1);
    int counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                CSingleLock lock(&semaphore, true);
                ++counter;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 8000);
}

TEST(CriticalSectionTest, IsRecursiveAndExcludesOtherThreads)
{
    CCriticalSection section;
    ASSERT_TRUE(section.Lock());
    ASSERT_TRUE(section.Lock()) << "the owner enters again";
    std::atomic<bool> entered{false};
    std::thread other([&] { entered = section.Lock(30); });
    other.join();
    EXPECT_FALSE(entered);
    section.Unlock();
    section.Unlock();
    std::thread later([&] {
        entered = section.Lock(1000);
        if (entered)
            section.Unlock();
    });
    later.join();
    EXPECT_TRUE(entered);
}

TEST(SingleLockTest, ReleasesAtScopeEndAndOnlyOnce)
{
    CSemaphore semaphore(1, 1);
    {
        CSingleLock lock(&semaphore);
        EXPECT_FALSE(lock.IsLocked());
        EXPECT_TRUE(lock.Lock());
        EXPECT_TRUE(lock.Lock()) << "already held";
        EXPECT_TRUE(lock.IsLocked());
        EXPECT_TRUE(lock.Unlock());
        EXPECT_TRUE(lock.Unlock()) << "nothing to release";
        EXPECT_TRUE(lock.Lock());
    }
    EXPECT_TRUE(semaphore.Lock(0)) << "released by the destructor";
}

}  // namespace
