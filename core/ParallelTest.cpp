// ParallelTest.cpp: batches of parts on the helper threads, several in flight at once.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/Parallel.hpp"

namespace {

// Each part counts its runs; a short sleep in some keeps a helper busy while the caller goes on.
struct Counted {
    explicit Counted(std::size_t parts) : runs(parts) {}
    void Run(std::size_t k) {
        if (k % 7 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
        ++runs[k];
    }
    bool EachOnce() const {
        for (const std::atomic<int>& count : runs) {
            if (count.load() != 1) return false;
        }
        return true;
    }
    std::vector<std::atomic<int>> runs;
};

TEST(ParallelTest, BatchesInFlightRunEveryPartOnceWhicheverIsWaitedForFirst) {
    for (int round = 0; round < 50; ++round) {
        Counted first(1 + round % 9);
        Counted second(30);
        parallel::CBatch a;
        parallel::CBatch b;
        a.Start(first.runs.size(), [&](std::size_t k) { first.Run(k); });
        b.Start(second.runs.size(), [&](std::size_t k) { second.Run(k); });
        if (round % 2 == 0) {
            a.Wait();
            EXPECT_TRUE(first.EachOnce());
            b.Wait();
        } else {
            b.Wait();
            EXPECT_TRUE(second.EachOnce());
            a.Wait();
        }
        EXPECT_TRUE(first.EachOnce());
        EXPECT_TRUE(second.EachOnce());
        // A batch is used again once waited for, as the line loop uses its two.
        a.Start(0, [](std::size_t) {});
        a.Wait();
    }
}

TEST(ParallelTest, WaitThrowsTheFirstFailingPartsExceptionOnceEveryPartRan) {
    Counted counted(12);
    parallel::CBatch batch;
    batch.Start(counted.runs.size(), [&](std::size_t k) {
        counted.Run(k);
        if (k == 3 || k == 9) throw std::runtime_error(k == 3 ? "three" : "nine");
    });
    try {
        batch.Wait();
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ("three", error.what());
    }
    EXPECT_TRUE(counted.EachOnce());
}

TEST(ParallelTest, ABatchLeftWithoutWaitIsWaitedForWhenItGoes) {
    Counted counted(40);
    {
        parallel::CBatch batch;
        batch.Start(counted.runs.size(), [&](std::size_t k) {
            counted.Run(k);
            if (k == 0) throw std::runtime_error("swallowed");
        });
    }
    EXPECT_TRUE(counted.EachOnce());
}

TEST(ParallelTest, PartsMayRunPartsOfTheirOwn) {
    std::vector<std::atomic<int>> runs(8 * 8);
    parallel::ForEachPart(8, [&](std::size_t outer) {
        parallel::ForEachPart(8, [&](std::size_t inner) { ++runs[outer * 8 + inner]; });
    });
    for (const std::atomic<int>& count : runs) EXPECT_EQ(1, count.load());
}

}  // namespace
