// Independent read-only tasks run side by side, their messages released in
// the tasks' order: the log reads as if the tasks had run one after another.
#pragma once

#include <functional>
#include <vector>

namespace korvex {

// Runs every task, on up to `threads` threads (the calling thread among
// them), each with its messages captured; then releases the messages of
// each task in order and rethrows the first task's exception, if any, after
// the messages before it. With one thread the tasks simply run in order.
// The tasks must not write state that another of them reads.
void run_ordered_tasks(const std::vector<std::function<void()>>& tasks, int threads);

}  // namespace korvex
