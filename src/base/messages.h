// The single route of every message: the host's callback when one is
// registered, else the log file (each message written through at once) and
// stdout.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace korvex {

// Routes one message exactly as formatted (no newline is added).
void report_message(const char* text);

// printf-style formatting into the message buffer, then report_message.
void report(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// printf-style output on standard output only (banner, usage, file-name errors).
void console(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// The log file that report_message appends to when no callback is registered.
// Empty means none yet: messages then go to standard output alone.
void set_log_file(const std::string& path);
const std::string& log_file();
// Closes the log file until the next message; the end of every run calls it,
// so that no file stays open between runs.
void close_log_file();

// Messages of a task run on a worker thread: while a capture is installed on
// a thread, report_message on that thread appends each message to it instead
// of routing it; the pipeline releases them later in the tasks' order, so the
// log reads as if the tasks had run one after another.
struct MessageCapture {
    std::vector<std::string> messages;
    // Side effects held back with the messages (such as a diagnostic file),
    // each with the number of messages captured before it.
    std::vector<std::pair<std::size_t, std::function<void()>>> deferred;
};

// Runs `action` now, or, on a thread whose messages are captured, when the
// captured messages before it are released.
void in_message_order(std::function<void()> action);

// Installs `capture` (nullptr removes it) for the calling thread.
void capture_messages_on_this_thread(MessageCapture* capture);

// Routes every captured message, in order, and empties the capture.
void release_messages(MessageCapture& capture);

// The number of messages captured on the calling thread so far, or nothing
// when its messages go out at once.
std::optional<std::size_t> captured_message_count();

// Routes the first `count` captured messages (with the actions held back
// among them) and removes them from the capture, which keeps the rest.
void release_first_messages(MessageCapture& capture, std::size_t count);

// Ends the run: throws the int 1, which GenerateQuads turns into "Fatal error occurred".
[[noreturn]] void fatal_stop();

// Thrown when the walk along an internal tree exceeds its guard; carries the tree name.
struct TreeException {
    std::string tree_name;
};

}  // namespace korvex
