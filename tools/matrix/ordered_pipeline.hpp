// Work on blocks in three steps: made one after the other on the calling
// thread (read from the input, or rows numbered), worked on by any of the
// threads (parsed, or formatted), and finished in the order they were made
// on the calling thread (stored into the matrix, or written). The text of a
// hundred-million-line pair list is parsed and the matrix formatted on all
// threads while the results land exactly as a single pass would leave them.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace tarvix::matrix {

// The threads tarvix-matrix works on: OMP_NUM_THREADS when it is set to a
// positive whole number (as for tarvix), else the processors of the machine;
// 1 to 4, since the steps made and finished on one thread keep more from
// paying off.
unsigned worker_count();

// Runs the three steps over blocks until `make` returns false:
//   make(Block&) -> bool   fills the next block; false: there is none
//   work(Block&)           on any thread, at most `depth` blocks ahead
//   finish(Block&, pause)  in the order made; a call of `pause()` waits
//                          until no work() runs and starts none until
//                          finish returns (for steps that change what
//                          work() reads)
// Blocks are reused: a Block object is made again once it is finished, so
// its buffers keep their room. An exception from work() is rethrown when
// its block is due to be finished; an exception from make() or finish()
// stops the threads and propagates.
template <typename Block, typename Make, typename Work, typename Finish>
void run_ordered(unsigned workers, std::size_t depth, Make&& make, Work&& work, Finish&& finish) {
    if (workers == 0) workers = 1;
    if (depth < workers) depth = workers;
    std::vector<Block> blocks(depth);
    std::vector<char> worked(depth, 0);
    std::vector<std::exception_ptr> errors(depth);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t made = 0, claimed = 0, finished = 0;
    bool no_more = false, stopping = false, paused = false;
    unsigned working = 0;

    auto can_claim = [&] { return !paused && claimed < made; };
    // Called with the lock held; returns with it held.
    auto work_one = [&](std::unique_lock<std::mutex>& lock) {
        const std::size_t slot = claimed++ % depth;
        ++working;
        lock.unlock();
        std::exception_ptr error;
        try {
            work(blocks[slot]);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        --working;
        errors[slot] = error;
        worked[slot] = 1;
        changed.notify_all();
    };

    std::vector<std::thread> helpers;
    struct Stop {
        std::mutex& mutex;
        std::condition_variable& changed;
        bool& stopping;
        std::vector<std::thread>& helpers;
        ~Stop() {
            {
                const std::lock_guard<std::mutex> lock(mutex);
                stopping = true;
            }
            changed.notify_all();
            for (std::thread& helper : helpers) helper.join();
        }
    } stop{mutex, changed, stopping, helpers};
    auto help = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return stopping || can_claim() || (no_more && claimed == made); });
            if (stopping || !can_claim()) return;
            work_one(lock);
        }
    };
    // A machine that will not start another thread gets the work done on
    // fewer.
    try {
        for (unsigned i = 1; i < workers; ++i) helpers.emplace_back(help);
    } catch (const std::system_error&) {
    }

    const std::function<void()> pause = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        paused = true;
        changed.wait(lock, [&] { return working == 0; });
    };
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        // Finishing first keeps the blocks flowing; then making, so that
        // every thread finds work; then working.
        if (finished < made && worked[finished % depth]) {
            const std::size_t slot = finished % depth;
            const std::exception_ptr error = errors[slot];
            lock.unlock();
            if (error) std::rethrow_exception(error);
            finish(blocks[slot], pause);
            lock.lock();
            paused = false;
            worked[slot] = 0;
            ++finished;
            changed.notify_all();
            continue;
        }
        if (no_more && finished == made) break;
        if (!no_more && made < finished + depth) {
            Block& block = blocks[made % depth];
            lock.unlock();
            const bool more = make(block);
            lock.lock();
            if (more)
                ++made;
            else
                no_more = true;
            changed.notify_all();
            continue;
        }
        if (can_claim()) {
            work_one(lock);
            continue;
        }
        changed.wait(lock);
    }
}

}  // namespace tarvix::matrix
