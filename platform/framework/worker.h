// CWorker: the one way to run a background thread. It holds the thread, a
// wake-up, one lock over the state the owner and the worker share (held with
// CLockGuard), a request flag the owner raises and the worker takes, and a
// quit flag; Stop raises the quit, wakes the worker and joins it, so no
// thread outlives its CWorker. Protocols of a window (posting results,
// answering a question the worker asks) are built on these parts. Usage:
//
//   CWorker m_worker;  // the owner's member: its destructor or WM_DESTROY calls m_worker.Stop()
//   m_worker.Start([this](CWorker& w) { while (w.WaitForWake()) if (w.TakeRequest()) List(); });
//   { CLockGuard hold(m_worker.SharedLock()); m_path = path; }  m_worker.Request();
//
// A request raised or taken apart from the state it goes with may be taken
// twice for one state (the flag of one request, the state of the next);
// where that matters both sides raise and take it under the lock.
//
// Portable: std::thread underneath, so the same code is tested on both builds.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/framework/sync.h"

// How often Stop calls its whileWaiting function while the worker runs.
constexpr uint32_t kWorkerStopStepMs = 50;

class CWorker {
public:
    typedef std::function<void(CWorker& worker)> Body;

    CWorker() = default;
    CWorker(const CWorker&) = delete;
    CWorker& operator=(const CWorker&) = delete;
    // Stops and joins a worker still running.
    ~CWorker() { Stop(); }

    // Stops an earlier thread, clears the quit and runs body on a new thread
    // at the priority (a THREAD_PRIORITY_ value; the native build has none).
    // A request or wake-up raised since the last Stop is kept for it. False
    // when no thread can be made.
    bool Start(Body body, int priority = 0);

    // The owner's side.
    void Wake();
    // Raises the request flag and wakes the worker.
    void Request();
    // Raises the quit flag: every wait returns at once, now and later.
    void Quit();
    // Quits and waits until the body has returned, then joins the thread
    // and drops the run's last request and wake-up. While it waits, whileWaiting runs every stepMs on the calling thread
    // (to answer or discard messages the worker waits on). From the
    // worker's own thread it only quits: its owner joins it.
    void Stop(const std::function<void()>& whileWaiting = nullptr, uint32_t stepMs = kWorkerStopStepMs);
    // From Start until the body has returned.
    bool Running() const;

    // The worker's side. Waits for a wake-up (taking it) or the time in ms;
    // false once the worker is to quit. A wake-up before the wait is kept.
    bool WaitForWake(uint32_t timeoutMs = kLockInfinite);
    // Takes the request flag: true once per raised request.
    bool TakeRequest() { return m_requested.exchange(false); }
    bool Requested() const { return m_requested; }
    bool Quitting() const { return m_quit; }

    // Guards what the owner and the worker share.
    CCriticalSection& SharedLock() const { return m_shared; }

private:
    void Run(const Body& body, int priority);

    mutable CCriticalSection m_shared;
    mutable std::mutex m_mutex;  // m_woken, m_finished; the flags' changes
    std::condition_variable m_changed;
    bool m_woken = false;
    bool m_finished = true;
    std::atomic<bool> m_requested{false};
    std::atomic<bool> m_quit{false};
    std::thread m_thread;
};
