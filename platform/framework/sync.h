// Synchronisation objects of the framework: a recursive critical section, a
// counting semaphore with a maximum, and the scoped guard every lock is held
// with (CLockGuard; CSingleLock where a scope locks and unlocks by hand).
// Portable, so code that shares state between threads is tested on both
// builds.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

// Wait forever, as with the platform's wait functions.
constexpr uint32_t kLockInfinite = 0xFFFFFFFFu;

class CSyncObject {
public:
    CSyncObject() = default;
    CSyncObject(const CSyncObject&) = delete;
    CSyncObject& operator=(const CSyncObject&) = delete;
    virtual ~CSyncObject() = default;

    // True when the object was acquired within the timeout (milliseconds).
    virtual bool Lock(uint32_t timeout = kLockInfinite) = 0;
    virtual bool Unlock() = 0;
};

// Recursive, like the platform's critical sections: the owning thread may
// enter again and must leave as often.
class CCriticalSection : public CSyncObject {
public:
    bool Lock(uint32_t timeout = kLockInfinite) override;
    bool Unlock() override;

private:
    std::recursive_timed_mutex m_mutex;
};

// A count between 0 and a maximum: Lock takes one unit (waiting while the
// count is 0), Unlock gives units back and fails, changing nothing, when that
// would pass the maximum. With initial 1 and maximum 1 it is a mutex that any
// thread may release.
class CSemaphore : public CSyncObject {
public:
    explicit CSemaphore(long initialCount = 1, long maximumCount = 1);

    bool Lock(uint32_t timeout = kLockInfinite) override;
    bool Unlock() override;
    // Gives back count units; previous receives the count before, when given.
    bool Unlock(long count, long* previous = nullptr);

private:
    std::mutex m_mutex;
    std::condition_variable m_available;
    long m_count;
    long m_maximum;
};

// Holds a sync object for a scope.
class CSingleLock {
public:
    explicit CSingleLock(CSyncObject* object, bool initialLock = false);
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;
    ~CSingleLock();

    bool Lock(uint32_t timeout = kLockInfinite);
    bool Unlock();
    bool IsLocked() const { return m_locked; }

private:
    CSyncObject* m_object;
    bool m_locked = false;
};

// Holds a lock from its construction to the end of its scope: the one way a
// scope takes a lock. CSingleLock is for the rare scope that must let go
// early or wait with a timeout.
class CLockGuard {
public:
    explicit CLockGuard(CSyncObject& object) : m_object(object) { m_object.Lock(); }
    CLockGuard(const CLockGuard&) = delete;
    CLockGuard& operator=(const CLockGuard&) = delete;
    ~CLockGuard() { m_object.Unlock(); }

private:
    CSyncObject& m_object;
};
