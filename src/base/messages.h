// The single route of every message: the host's callback when one is
// registered, else the log file (each message written through at once) and
// stdout.
#pragma once

#include <string>

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

// Ends the run: throws the int 1, which GenerateQuads turns into "Fatal error occurred".
[[noreturn]] void fatal_stop();

// Thrown when the walk along an internal tree exceeds its guard; carries the tree name.
struct TreeException {
    std::string tree_name;
};

}  // namespace korvex
