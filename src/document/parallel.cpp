#include "document/parallel.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace trevok
{

namespace
{

std::atomic<int> chosenThreads{0};

} // namespace

int WorkerThreads() noexcept
{
    const int chosen = chosenThreads.load();
    if (chosen > 0)
        return chosen;
    // TREVOK_THREADS sets the count for a run (measuring, a machine shared with others).
    static const int fromEnvironment = [] {
        const char* v = std::getenv("TREVOK_THREADS");
        return v ? std::atoi(v) : 0;
    }();
    if (fromEnvironment > 0)
        return std::min(fromEnvironment, 64);
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 8u));
}

void SetWorkerThreads(int threads) noexcept
{
    chosenThreads = std::max(threads, 0);
}

void ParallelFor(std::size_t count, const std::function<void(std::size_t, std::size_t)>& step,
                 std::size_t grain)
{
    grain = std::max<std::size_t>(grain, 1);
    const std::size_t chunks = (count + grain - 1) / grain;
    const std::size_t threads = std::min<std::size_t>(static_cast<std::size_t>(WorkerThreads()), chunks);
    if (threads <= 1) {
        for (std::size_t i = 0; i < count; ++i)
            step(i, 0);
        return;
    }
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr error;
    std::mutex errorLock;
    auto work = [&](std::size_t worker) {
        while (!failed) {
            const std::size_t begin = next.fetch_add(grain);
            if (begin >= count)
                return;
            try {
                for (std::size_t i = begin; i < std::min(count, begin + grain); ++i)
                    step(i, worker);
            } catch (...) {
                const std::lock_guard<std::mutex> hold(errorLock);
                if (!error)
                    error = std::current_exception();
                failed = true;
            }
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(threads - 1);
    try {
        for (std::size_t t = 1; t < threads; ++t)
            helpers.emplace_back(work, t);
    } catch (...) {
        // No thread to be had: the ones started and this one finish the work.
    }
    work(0);
    for (std::thread& h : helpers)
        h.join();
    if (error)
        std::rethrow_exception(error);
}

} // namespace trevok
