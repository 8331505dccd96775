// Parallel.cpp: the helper threads, made on first use and kept for the life of the process.
#include "Parallel.hpp"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace parallel {

namespace {

class CPool {
  public:
    explicit CPool(std::size_t helpers) {
        // The helpers wait for work until the process ends; one that cannot be made leaves its share to the
        // others.
        for (std::size_t k = 0; k < helpers; ++k) {
            try {
                std::thread([this] { Serve(); }).detach();
            } catch (const std::system_error&) {
                break;
            }
        }
    }

    // One piece of work at a time: a call that finds the pool busy does its parts alone.
    std::mutex& Call() { return m_call; }

    void Run(std::size_t count, const std::function<void(std::size_t)>& part) {
        std::vector<std::exception_ptr> errors(count);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_part = &part;
            m_errors = &errors;
            m_next = 1;
            m_count = count;
            m_unfinished = count - 1;
        }
        m_wake.notify_all();
        RunOne(0, part, errors);
        // The parts no helper has taken yet, here.
        for (;;) {
            std::size_t k;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (m_next >= m_count) break;
                k = m_next++;
            }
            RunOne(k, part, errors);
            std::lock_guard<std::mutex> lock(m_mutex);
            --m_unfinished;
        }
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_done.wait(lock, [&] { return m_unfinished == 0; });
            m_part = nullptr;
        }
        for (const std::exception_ptr& error : errors) {
            if (error) std::rethrow_exception(error);
        }
    }

  private:
    static void RunOne(std::size_t k, const std::function<void(std::size_t)>& part,
                       std::vector<std::exception_ptr>& errors) {
        try {
            part(k);
        } catch (...) {
            errors[k] = std::current_exception();
        }
    }

    void Serve() {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [&] { return m_part != nullptr && m_next < m_count; });
            const std::size_t k = m_next++;
            const std::function<void(std::size_t)>& part = *m_part;
            std::vector<std::exception_ptr>& errors = *m_errors;
            lock.unlock();
            RunOne(k, part, errors);
            lock.lock();
            if (--m_unfinished == 0) m_done.notify_all();
        }
    }

    std::mutex m_call;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    const std::function<void(std::size_t)>* m_part = nullptr;
    std::vector<std::exception_ptr>* m_errors = nullptr;
    std::size_t m_next = 0;
    std::size_t m_count = 0;
    std::size_t m_unfinished = 0;
};

CPool& Pool() {
    // Never destroyed: its helpers may still be waiting when the process ends.
    static CPool* const pool = new CPool(Workers() - 1);
    return *pool;
}

}  // namespace

std::size_t Workers() {
    const unsigned processors = std::thread::hardware_concurrency();
    return std::clamp<std::size_t>(processors, 1, 4);
}

void ForEachPart(std::size_t count, const std::function<void(std::size_t)>& part) {
    if (count == 0) return;
    CPool& pool = Pool();
    std::unique_lock<std::mutex> call(pool.Call(), std::try_to_lock);
    if (count == 1 || !call.owns_lock()) {
        for (std::size_t k = 0; k < count; ++k) part(k);
        return;
    }
    pool.Run(count, part);
}

}  // namespace parallel
