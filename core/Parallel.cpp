// Parallel.cpp: the helper threads, made on first use and kept for the life of the process.
#include "Parallel.hpp"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace parallel {

class CPool {
  public:
    explicit CPool(std::size_t helpers) {
        // The helpers wait for work until the process ends; one that cannot be made leaves its share to the
        // others, and with none every part runs in Wait.
        for (std::size_t k = 0; k < helpers; ++k) {
            try {
                std::thread([this] { Serve(); }).detach();
            } catch (const std::exception&) {  // no thread, or no memory for one
                break;
            }
        }
    }

    // The batch's parts are handed out from here on; if it cannot be queued (no memory), nothing is.
    void Start(CBatch& batch, std::size_t count) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_queue.push_back(&batch);
            batch.m_count = count;
        }
        m_wake.notify_all();
    }

    void Wait(CBatch& batch) {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (batch.m_unfinished != 0) {
            // Its own parts first; then, rather than sit idle while helpers finish it, the next batch's.
            CBatch* const from = batch.m_next < batch.m_count ? &batch
                                 : m_queue.empty()            ? nullptr
                                                              : m_queue.front();
            if (from == nullptr) {
                m_done.wait(lock);
                continue;
            }
            RunOne(*from, lock);
        }
    }

  private:
    // Takes the next part of batch and runs it, the lock released meanwhile.
    void RunOne(CBatch& batch, std::unique_lock<std::mutex>& lock) {
        const std::size_t k = batch.m_next++;
        if (batch.m_next == batch.m_count) {
            const auto queued = std::find(m_queue.begin(), m_queue.end(), &batch);
            if (queued != m_queue.end()) m_queue.erase(queued);
        }
        lock.unlock();
        try {
            batch.m_part(k);
        } catch (...) {
            batch.m_errors[k] = std::current_exception();
        }
        lock.lock();
        if (--batch.m_unfinished == 0) m_done.notify_all();
    }

    void Serve() {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [&] { return !m_queue.empty(); });
            RunOne(*m_queue.front(), lock);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::deque<CBatch*> m_queue;  // the batches with parts not taken yet, in the order they started
};

namespace {

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

CBatch::~CBatch() {
    if (m_count == 0) return;
    Pool().Wait(*this);
}

void CBatch::Start(std::size_t count, std::function<void(std::size_t)> part) {
    m_count = 0;  // nothing to wait for unless it is queued
    m_part = std::move(part);
    m_errors.assign(count, nullptr);
    m_next = 0;
    m_unfinished = count;
    if (count != 0) Pool().Start(*this, count);
}

void CBatch::Wait() {
    if (m_count == 0) return;
    Pool().Wait(*this);
    m_count = 0;
    for (const std::exception_ptr& error : m_errors) {
        if (error) std::rethrow_exception(error);
    }
}

void ForEachPart(std::size_t count, const std::function<void(std::size_t)>& part) {
    if (count == 1) return part(0);
    CBatch batch;
    batch.Start(count, [&part](std::size_t k) { part(k); });
    batch.Wait();
}

}  // namespace parallel
