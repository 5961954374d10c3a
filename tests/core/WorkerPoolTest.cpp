#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/WorkerPool.h"

using namespace quillory;

TEST(WorkerPool, RunsEveryPartOnceAndReturnsWhenAllAreDone) {
    WorkerPool& pool = WorkerPool::Shared();
    const int threads = pool.Threads();
    for (int wanted : {1, 2, 5}) {
        pool.SetThreads(wanted);
        EXPECT_EQ(pool.Threads(), wanted);
        for (int round = 0; round < 50; ++round) {
            const int count = 1 + round % 13;
            std::vector<std::atomic<int>> runs(static_cast<size_t>(count));
            pool.Run(count, [&](int i) {
                if (i % 3 == 0) std::this_thread::yield();
                runs[size_t(i)].fetch_add(1);
            });
            for (int i = 0; i < count; ++i) ASSERT_EQ(runs[size_t(i)].load(), 1) << wanted << " " << round << " " << i;
        }
    }
    pool.SetThreads(threads);
}

TEST(WorkerPool, PartsStartedFromAPartRunOnItsThread) {
    std::atomic<int> total{0};
    WorkerPool::Shared().Run(4, [&](int) {
        const std::thread::id outer = std::this_thread::get_id();
        WorkerPool::Shared().Run(3, [&](int) {
            EXPECT_EQ(std::this_thread::get_id(), outer);
            total.fetch_add(1);
        });
    });
    EXPECT_EQ(total.load(), 12);
}

TEST(WorkerPool, APartOfAOneThreadPoolRunsPartsOfItsOwn) {
    WorkerPool& pool = WorkerPool::Shared();
    const int threads = pool.Threads();
    pool.SetThreads(1);
    std::atomic<int> total{0};
    pool.Run(4, [&](int) { pool.Run(3, [&](int) { total.fetch_add(1); }); });
    EXPECT_EQ(total.load(), 12);
    pool.SetThreads(threads);
}

TEST(WorkerPool, BandsCoverTheRangeWithoutOverlap) {
    for (int total : {1, 7, 64, 1000}) {
        std::vector<std::atomic<int>> hits(static_cast<size_t>(total));
        RunInBands(total, 16, [&](int begin, int end) {
            ASSERT_LT(begin, end);
            for (int i = begin; i < end; ++i) hits[size_t(i)].fetch_add(1);
        });
        for (int i = 0; i < total; ++i) ASSERT_EQ(hits[size_t(i)].load(), 1) << total << " " << i;
    }
    RunInBands(0, 16, [](int, int) { FAIL(); });
}
