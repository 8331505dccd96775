// Once.hpp: something made on first use, once, whichever thread asks first.
#pragma once

#include <atomic>
#include <mutex>

// Run(make) calls make the first time, and never again once a call has returned. A make that throws (no
// memory) leaves nothing made, and the next Run tries again, which std::call_once does not promise on every
// platform. Threads that ask while it is being made wait for it.
class COnce {
  public:
    template <class Make>
    void Run(Make&& make) {
        if (m_made.load(std::memory_order_acquire)) return;
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_made.load(std::memory_order_relaxed)) return;
        make();
        m_made.store(true, std::memory_order_release);
    }

  private:
    std::mutex m_mutex;
    std::atomic<bool> m_made{false};
};
