#include "platform/framework/sync.h"

#include <chrono>

bool CCriticalSection::Lock(uint32_t timeout)
{
    if (timeout == kLockInfinite) {
        m_mutex.lock();
        return true;
    }
    return m_mutex.try_lock_for(std::chrono::milliseconds(timeout));
}

bool CCriticalSection::Unlock()
{
    m_mutex.unlock();
    return true;
}

CSemaphore::CSemaphore(long initialCount, long maximumCount)
    : m_count(initialCount), m_maximum(maximumCount > 0 ? maximumCount : 1)
{
    if (m_count < 0)
        m_count = 0;
    if (m_count > m_maximum)
        m_count = m_maximum;
}

bool CSemaphore::Lock(uint32_t timeout)
{
    std::unique_lock<std::mutex> hold(m_mutex);
    const auto available = [this] { return m_count > 0; };
    if (timeout == kLockInfinite)
        m_available.wait(hold, available);
    else if (!m_available.wait_for(hold, std::chrono::milliseconds(timeout), available))
        return false;
    --m_count;
    return true;
}

bool CSemaphore::Unlock()
{
    return Unlock(1);
}

bool CSemaphore::Unlock(long count, long* previous)
{
    {
        std::lock_guard<std::mutex> hold(m_mutex);
        if (count <= 0 || count > m_maximum - m_count)
            return false;
        if (previous)
            *previous = m_count;
        m_count += count;
    }
    if (count == 1)
        m_available.notify_one();
    else
        m_available.notify_all();
    return true;
}

CSingleLock::CSingleLock(CSyncObject* object, bool initialLock) : m_object(object)
{
    if (initialLock)
        Lock();
}

CSingleLock::~CSingleLock()
{
    Unlock();
}

bool CSingleLock::Lock(uint32_t timeout)
{
    if (m_locked || !m_object)
        return m_locked;
    m_locked = m_object->Lock(timeout);
    return m_locked;
}

bool CSingleLock::Unlock()
{
    if (!m_locked)
        return true;
    m_locked = false;
    return m_object->Unlock();
}
