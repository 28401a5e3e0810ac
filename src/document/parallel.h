#pragma once
// Work spread over the cores. The steps of one call are independent and each writes only its own
// results, so what comes out never depends on how many threads ran or in which order they
// finished: one thread and many give the same result, which the tests check.

#include <cstddef>
#include <functional>

namespace trevok
{

/// The threads parallel work uses: what SetWorkerThreads chose, else the environment variable
/// TREVOK_THREADS, else the cores (at most 8).
int WorkerThreads() noexcept;
/// Chooses the thread count (tests compare one thread with several); 0 restores the default.
void SetWorkerThreads(int threads) noexcept;

/// Calls step(i, worker) for every i in [0, count), on up to WorkerThreads() threads (the caller's
/// one of them), handing out the indices in order in chunks of grain; returns when all are done.
/// worker (0 .. WorkerThreads() - 1) names the thread, for scratch space of its own. The first
/// exception a step throws is thrown again here, after the other threads stopped.
void ParallelFor(std::size_t count, const std::function<void(std::size_t i, std::size_t worker)>& step,
                 std::size_t grain = 1);

} // namespace trevok
