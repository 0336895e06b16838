#include "platform/framework/worker.h"

#include <chrono>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

bool CWorker::Start(Body body, int priority)
{
    if (m_thread.joinable())
        Stop();
    {
        std::lock_guard<std::mutex> hold(m_mutex);
        m_finished = false;
        m_quit = false;
    }
    try {
        m_thread = std::thread(&CWorker::Run, this, std::move(body), priority);
    } catch (const std::system_error&) {
        std::lock_guard<std::mutex> hold(m_mutex);
        m_finished = true;
        return false;
    }
    return true;
}

void CWorker::Run(const Body& body, int priority)
{
#ifdef _WIN32
    if (priority != THREAD_PRIORITY_NORMAL)
        SetThreadPriority(GetCurrentThread(), priority);
#endif
    body(*this);
    std::lock_guard<std::mutex> hold(m_mutex);
    m_finished = true;
    m_changed.notify_all();
}

void CWorker::Wake()
{
    // Set under the mutex, so a worker between its check and its wait
    // cannot miss it.
    std::lock_guard<std::mutex> hold(m_mutex);
    m_woken = true;
    m_changed.notify_all();
}

void CWorker::Request()
{
    m_requested = true;
    Wake();
}

void CWorker::Quit()
{
    std::lock_guard<std::mutex> hold(m_mutex);
    m_quit = true;
    m_changed.notify_all();
}

void CWorker::Stop(const std::function<void()>& whileWaiting, uint32_t stepMs)
{
    Quit();
    if (!m_thread.joinable() || m_thread.get_id() == std::this_thread::get_id())
        return;
    {
        std::unique_lock<std::mutex> hold(m_mutex);
        while (!m_finished) {
            if (whileWaiting) {
                hold.unlock();
                whileWaiting();
                hold.lock();
            }
            m_changed.wait_for(hold, std::chrono::milliseconds(stepMs), [this] { return m_finished; });
        }
        // What the run left behind goes with it.
        m_woken = false;
        m_requested = false;
    }
    m_thread.join();
}

bool CWorker::Running() const
{
    std::lock_guard<std::mutex> hold(m_mutex);
    return !m_finished;
}

bool CWorker::WaitForWake(uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> hold(m_mutex);
    const auto ready = [this] { return m_woken || m_quit; };
    if (timeoutMs == kLockInfinite)
        m_changed.wait(hold, ready);
    else
        m_changed.wait_for(hold, std::chrono::milliseconds(timeoutMs), ready);
    m_woken = false;
    return !m_quit;
}
