#include "interface/messages.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "interface/run_settings.h"

namespace korvex {

namespace {

std::string& log_path() {
    static std::string path;
    return path;
}

// Formats into a buffer that grows to fit, so no message can overrun it.
std::string vformat(const char* fmt, va_list args) {
    va_list copy;
    va_copy(copy, args);
    char small[1400];
    const int n = std::vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    if (n < 0) return std::string();
    if (static_cast<std::size_t>(n) < sizeof small) return std::string(small, static_cast<std::size_t>(n));
    std::vector<char> big(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(big.data(), big.size(), fmt, args);
    return std::string(big.data(), static_cast<std::size_t>(n));
}

}  // namespace

void set_log_file(const std::string& path) { log_path() = path; }
const std::string& log_file() { return log_path(); }

void report_message(const char* text) {
    if (MessageCallback cb = message_callback()) {
        cb(text);
        return;
    }
    if (!log_path().empty()) {
        if (std::FILE* f = std::fopen(log_path().c_str(), "a")) {
            std::fprintf(f, "%s", text);
            std::fclose(f);
        }
    }
    std::printf("%s", text);
    std::fflush(stdout);
}

void report(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const std::string text = vformat(fmt, args);
    va_end(args);
    report_message(text.c_str());
}

void console(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::vprintf(fmt, args);
    va_end(args);
    std::fflush(stdout);
}

void fatal_stop() { throw 1; }

}  // namespace korvex
