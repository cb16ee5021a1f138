#include "pipeline/parallel_subregions.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "base/messages.h"
#include "pipeline/subregion_dispatch.h"

namespace korvex {

namespace {

// The attempts shared between the workers and the merging thread. Workers
// take subregions in order, at most `window` ahead of the merge, which
// bounds the patch meshes held at once. A subregion meshed in order (REV in strips)
// is a barrier: the workers pass it only once the merging thread has meshed
// it, since its mesher adds records to the model the workers read.
class AttemptQueue {
public:
    AttemptQueue(const Run& run, int window)
        : results_(static_cast<std::size_t>(run.nPatches) + 1), in_order_(results_.size(), false),
          count_(run.nPatches), window_(window) {
        for (int k = 1; k <= count_; ++k) in_order_[static_cast<std::size_t>(k)] = !meshes_apart_from_the_model(run.patches[k]);
    }

    bool in_order(int k) const { return in_order_[static_cast<std::size_t>(k)]; }

    // The next subregion to attempt, or 0 when there is none (or the run stopped).
    int take_next() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return stopped_ || next_ > count_ || (next_ - taken_ <= window_ && (!in_order(next_) || taken_ >= next_)); });
            if (stopped_ || next_ > count_) return 0;
            if (!in_order(next_)) return next_++;
            ++next_;  // a barrier the merging thread has meshed
        }
    }
    void put(int k, std::unique_ptr<SubregionAttempt> a) {
        {
            std::lock_guard lock(mutex_);
            results_[static_cast<std::size_t>(k)] = std::move(a);
        }
        changed_.notify_all();
    }
    // Waits for subregion k's attempt and hands it to the merging thread.
    std::unique_ptr<SubregionAttempt> wait_for(int k) {
        std::unique_ptr<SubregionAttempt> a;
        {
            std::unique_lock lock(mutex_);
            auto& slot = results_[static_cast<std::size_t>(k)];
            changed_.wait(lock, [&] { return slot != nullptr; });
            a = std::move(slot);
            taken_ = k;
        }
        changed_.notify_all();
        return a;
    }
    // The merging thread has meshed barrier k itself.
    void passed(int k) {
        {
            std::lock_guard lock(mutex_);
            taken_ = k;
        }
        changed_.notify_all();
    }
    void stop() {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::unique_ptr<SubregionAttempt>> results_;
    std::vector<bool> in_order_;
    const int count_;
    const int window_;
    int next_ = 1;
    int taken_ = 0;
    bool stopped_ = false;
};

void attempt_worker(Run& run, AttemptQueue& queue) {
    while (const int k = queue.take_next()) {
        auto a = std::make_unique<SubregionAttempt>();
        attempt_subregion_mesh(run, k, *a, true);
        queue.put(k, std::move(a));
    }
}

// Stops and joins the workers however the merging loop is left.
class Workers {
public:
    // A thread the system refuses is done without: the others, or the
    // merging thread itself when none started, do its share.
    Workers(Run& run, AttemptQueue& queue, int count) : queue_(queue) {
        try {
            for (int i = 0; i < count; ++i) threads_.emplace_back(attempt_worker, std::ref(run), std::ref(queue));
        } catch (const std::system_error&) {
        }
    }
    bool none() const { return threads_.empty(); }
    ~Workers() {
        queue_.stop();
        for (std::thread& t : threads_) t.join();
    }
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

private:
    AttemptQueue& queue_;
    std::vector<std::thread> threads_;
};

// Subregion k's attempt: from a worker, or made here when no worker started.
std::unique_ptr<SubregionAttempt> attempt_of(Run& run, int k, AttemptQueue& queue, const Workers& pool) {
    if (!pool.none()) return queue.wait_for(k);
    auto a = std::make_unique<SubregionAttempt>();
    attempt_subregion_mesh(run, k, *a, false);
    return a;
}

}  // namespace

bool subregions_can_be_meshed_in_parallel(const Run& run, int threads) {
    if (threads < 2) return false;
    int apart = 0;
    for (int k = 1; k <= run.nPatches; ++k)
        if (meshes_apart_from_the_model(run.patches[k])) ++apart;
    return apart >= 2;
}

int mesh_subregions_in_parallel(Run& run, int threads) {
    const int workers = threads < run.nPatches ? threads : run.nPatches;
    AttemptQueue queue(run, workers + 1);
    Workers pool(run, queue, workers);
    for (int k = 1; k <= run.nPatches; ++k) {
        run.current_patch = k;
        report("\n ** Meshing subregion %s  (id=%i).\n\n", run.patches[k].name.c_str(), run.patches[k].id);
        int ok = 0;
        if (queue.in_order(k)) {
            ok = mesh_subregion(run, k);
            queue.passed(k);
        } else {
            ok = finish_subregion_attempt(run, k, *attempt_of(run, k, queue, pool));
        }
        if (!ok) {
            report(" Unsuccessful return from the  meshing procedure.\n");
            return 0;
        }
        report("\n ** Meshing of subregion %s  successful.\n", run.patches[k].name.c_str());
    }
    return 1;
}

}  // namespace korvex
