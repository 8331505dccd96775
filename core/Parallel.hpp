// Parallel.hpp: a few helper threads that share a piece of work with the thread that has it.
#pragma once

#include <cstddef>
#include <functional>

namespace parallel {

// How many parts a piece of work is worth cutting into: the processors there are, four at most.
std::size_t Workers();

// Runs part(k) for every k below count, part 0 on the calling thread and the others on helper threads at the
// same time, and returns when all are done. If some parts throw, the exception of the first of them is
// thrown here once all are done. A call made while another runs (from another thread, or from within a
// part) runs its parts one after the other on its own thread.
void ForEachPart(std::size_t count, const std::function<void(std::size_t)>& part);

}  // namespace parallel
