// Parallel.hpp: a few helper threads that share pieces of work with the threads that have them.
#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <vector>

namespace parallel {

// How many parts a piece of work is worth cutting into: the processors there are, four at most.
std::size_t Workers();

// Parts run on the helper threads while the caller goes on with other work: Start hands them out, Wait joins
// in and returns once all are done. Batches started one after the other are taken up in that order, so a
// caller can keep one converting while it writes the last one out. A batch must not be started again before
// its Wait; the destructor waits too (swallowing what parts threw), so that no helper outlives what the
// parts use.
class CBatch {
  public:
    CBatch() = default;
    ~CBatch();
    CBatch(const CBatch&) = delete;
    CBatch& operator=(const CBatch&) = delete;

    void Start(std::size_t count, std::function<void(std::size_t)> part);
    // Runs the parts no helper has taken yet, then other batches' while helpers finish this one's (so a part
    // must not count on its thread holding nothing of its own when it calls Wait); if some parts threw, the
    // exception of the first of them is thrown here once all are done.
    void Wait();

  private:
    friend class CPool;
    std::function<void(std::size_t)> m_part;
    std::vector<std::exception_ptr> m_errors;
    std::size_t m_next = 0;  // the first part not taken
    std::size_t m_count = 0;
    std::size_t m_unfinished = 0;
};

// Runs part(k) for every k below count, on the calling thread and the helper threads at the same time, and
// returns when all are done. If some parts throw, the exception of the first of them is thrown here once all
// are done. A part may itself run parts.
void ForEachPart(std::size_t count, const std::function<void(std::size_t)>& part);

}  // namespace parallel
