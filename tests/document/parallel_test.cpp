// Work spread over the cores: every index once, on as many threads as asked, however the calls
// come (one after the other on the kept threads, from within a step, from two threads at once),
// and a step's exception handed back without spoiling the calls after it.

#include "document/parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

namespace trevok
{
namespace
{

/// Runs ParallelFor over count indices and checks that each ran once, on a worker in range.
void expectEachOnce(std::size_t count, std::size_t grain, int threads)
{
    std::vector<std::atomic<int>> runs(count);
    std::atomic<bool> workerInRange{true};
    ParallelFor(
        count,
        [&](std::size_t i, std::size_t worker) {
            runs[i]++;
            if (worker >= static_cast<std::size_t>(threads))
                workerInRange = false;
        },
        grain);
    for (std::size_t i = 0; i < count; ++i)
        ASSERT_EQ(runs[i].load(), 1) << "index " << i;
    EXPECT_TRUE(workerInRange.load());
}

TEST(ParallelFor, EveryIndexRunsOnceHoweverTheCallsCome)
{
    struct Case {
        const char* name;
        int threads;
        std::function<void()> run;
    };
    const std::vector<Case> cases = {
        {"one call after another on the kept threads", 3,
         [] {
             for (int k = 0; k < 200; ++k)
                 expectEachOnce(static_cast<std::size_t>(k % 7) * 13, 1 + static_cast<std::size_t>(k % 3), 3);
         }},
        {"a call from within a step", 2,
         [] {
             std::atomic<int> inner{0};
             ParallelFor(4, [&](std::size_t, std::size_t) {
                 ParallelFor(50, [&](std::size_t, std::size_t) { inner++; });
             });
             EXPECT_EQ(inner.load(), 200);
         }},
        {"two threads calling at once", 2,
         [] {
             std::thread other([] {
                 for (int k = 0; k < 100; ++k)
                     expectEachOnce(300, 7, 2);
             });
             for (int k = 0; k < 100; ++k)
                 expectEachOnce(300, 5, 2);
             other.join();
         }},
        {"a step that throws", 2,
         [] {
             EXPECT_THROW(ParallelFor(100,
                                      [](std::size_t i, std::size_t) {
                                          if (i == 37)
                                              throw std::runtime_error("step 37");
                                      }),
                          std::runtime_error);
             expectEachOnce(1000, 3, 2);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetWorkerThreads(c.threads);
        c.run();
    }
    SetWorkerThreads(0);
}

} // namespace
} // namespace trevok
