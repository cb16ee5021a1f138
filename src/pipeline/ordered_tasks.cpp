#include "pipeline/ordered_tasks.h"

#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

#include "base/messages.h"

namespace korvex {

namespace {

struct TaskResult {
    MessageCapture messages;
    std::exception_ptr error;
};

// Takes tasks in order until none is left.
void take_tasks(const std::vector<std::function<void()>>& tasks, std::vector<TaskResult>& results,
                std::atomic<std::size_t>& next) {
    for (std::size_t k = next++; k < tasks.size(); k = next++) {
        capture_messages_on_this_thread(&results[k].messages);
        try {
            tasks[k]();
        } catch (...) {
            results[k].error = std::current_exception();
        }
        capture_messages_on_this_thread(nullptr);
    }
}

}  // namespace

void run_ordered_tasks(const std::vector<std::function<void()>>& tasks, int threads) {
    if (threads < 2 || tasks.size() < 2) {
        for (const auto& task : tasks) task();
        return;
    }
    std::vector<TaskResult> results(tasks.size());
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> helpers;
    const std::size_t wanted = std::min(tasks.size(), static_cast<std::size_t>(threads)) - 1;
    try {
        for (std::size_t i = 0; i < wanted; ++i)
            helpers.emplace_back(take_tasks, std::cref(tasks), std::ref(results), std::ref(next));
    } catch (const std::system_error&) {
        // A thread the system refuses is done without: the others take its share.
    }
    take_tasks(tasks, results, next);
    for (std::thread& t : helpers) t.join();
    for (TaskResult& r : results) {
        release_messages(r.messages);
        if (r.error) std::rethrow_exception(r.error);
    }
}

}  // namespace korvex
