#include "document/parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
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

/// Helper threads kept for ParallelFor from one call to the next: starting threads for every
/// call costs a tenth of a millisecond, which a repaint of the view feels, and what a thread
/// keeps for itself (the view's stamps) would go with it. One call uses the pool at a time;
/// another call meanwhile (from another thread, or from within a step) starts threads of its
/// own, as every call did before.
class Pool
{
  public:
    static Pool& instance()
    {
        static Pool pool;
        return pool;
    }

    /// Runs work(0) here and work(1) .. work(helpers) on the pool's threads, each at most once;
    /// a helper not yet started when work(0) returns is not started any more (the work is
    /// handed out in chunks, and the chunks are gone by then). False, and nothing run, when the
    /// pool is busy.
    bool run(std::size_t helpers, const std::function<void(std::size_t)>& work)
    {
        {
            const std::lock_guard<std::mutex> hold(lock_);
            if (busy_)
                return false;
            busy_ = true;
            try {
                while (threads_.size() < helpers)
                    threads_.emplace_back([this] { serve(); });
            } catch (...) {
                // No more threads to be had: the ones there are do the work.
            }
            job_ = &work;
            wanted_ = std::min(helpers, threads_.size());
            taken_ = 0;
            finished_ = 0;
        }
        wake_.notify_all();
        work(0);
        std::unique_lock<std::mutex> hold(lock_);
        wanted_ = taken_;
        done_.wait(hold, [this] { return finished_ == taken_; });
        job_ = nullptr;
        busy_ = false;
        return true;
    }

  private:
    Pool() = default;
    ~Pool()
    {
        {
            const std::lock_guard<std::mutex> hold(lock_);
            stop_ = true;
        }
        wake_.notify_all();
        for (std::thread& t : threads_)
            t.join();
    }

    void serve()
    {
        std::unique_lock<std::mutex> hold(lock_);
        for (;;) {
            wake_.wait(hold, [this] { return stop_ || (job_ && taken_ < wanted_); });
            if (stop_)
                return;
            const std::size_t worker = ++taken_;
            const auto* job = job_;
            hold.unlock();
            (*job)(worker);
            hold.lock();
            if (++finished_ == taken_)
                done_.notify_one();
        }
    }

    std::mutex lock_;
    std::condition_variable wake_, done_;
    std::vector<std::thread> threads_;
    const std::function<void(std::size_t)>* job_ = nullptr;
    std::size_t wanted_ = 0, taken_ = 0, finished_ = 0;
    bool busy_ = false;
    bool stop_ = false;
};

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
    const std::function<void(std::size_t)> job = work;
    if (!Pool::instance().run(threads - 1, job)) {
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
    }
    if (error)
        std::rethrow_exception(error);
}

} // namespace trevok
