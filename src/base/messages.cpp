#include "base/messages.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#if __has_include(<fcntl.h>) && __has_include(<unistd.h>)
#include <fcntl.h>
#include <unistd.h>
#define KORVEX_POSIX_APPEND 1
#endif

#include "base/run_settings.h"

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

#ifdef KORVEX_POSIX_APPEND
// The log file's append-mode descriptor, held from the run's first message
// to its end. Every message reaches the file with its own write, unbuffered,
// so the log is complete whatever happens to the process afterwards; holding
// the descriptor saves an open and a close per message (over a hundred
// per run, a few hundredths of a small model's run).
struct LogDescriptor {
    int fd = -1;
    std::string path;

    void close() {
        if (fd >= 0) ::close(fd);
        fd = -1;
        path.clear();
    }
    bool open_for(const std::string& p) {
        if (fd >= 0 && path == p) return true;
        close();
        fd = ::open(p.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        if (fd >= 0) path = p;
        return fd >= 0;
    }
};

LogDescriptor& log_descriptor() {
    static LogDescriptor d;
    return d;
}
#endif

// Appends the text to the log file.
void append_to_log(const std::string& path, const char* text) {
#ifdef KORVEX_POSIX_APPEND
    LogDescriptor& log = log_descriptor();
    if (!log.open_for(path)) return;
    std::size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t n = ::write(log.fd, text, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text += n;
        left -= static_cast<std::size_t>(n);
    }
#else
    // Opened and closed for each message, so that the log is complete
    // whatever happens to the process afterwards.
    if (std::FILE* f = std::fopen(path.c_str(), "a")) {
        std::fprintf(f, "%s", text);
        std::fclose(f);
    }
#endif
}

thread_local MessageCapture* t_capture = nullptr;

}  // namespace

void capture_messages_on_this_thread(MessageCapture* capture) { t_capture = capture; }

void in_message_order(std::function<void()> action) {
    if (t_capture) t_capture->deferred.emplace_back(t_capture->messages.size(), std::move(action));
    else action();
}

void release_first_messages(MessageCapture& capture, std::size_t count) {
    count = std::min(count, capture.messages.size());
    std::size_t next_action = 0;
    auto run_actions_before = [&](std::size_t message) {
        while (next_action < capture.deferred.size() && capture.deferred[next_action].first <= message)
            capture.deferred[next_action++].second();
    };
    for (std::size_t i = 0; i < count; ++i) {
        run_actions_before(i);
        report_message(capture.messages[i].c_str());
    }
    run_actions_before(count);
    const auto released = static_cast<std::ptrdiff_t>(count);
    capture.messages.erase(capture.messages.begin(), capture.messages.begin() + released);
    capture.deferred.erase(capture.deferred.begin(), capture.deferred.begin() + static_cast<std::ptrdiff_t>(next_action));
    for (auto& action : capture.deferred) action.first -= count;
}

void release_messages(MessageCapture& capture) { release_first_messages(capture, capture.messages.size()); }

std::optional<std::size_t> captured_message_count() {
    if (!t_capture) return std::nullopt;
    return t_capture->messages.size();
}

void set_log_file(const std::string& path) {
    if (path != log_path()) close_log_file();
    log_path() = path;
}

void close_log_file() {
#ifdef KORVEX_POSIX_APPEND
    log_descriptor().close();
#endif
}
const std::string& log_file() { return log_path(); }

void report_message(const char* text) {
    if (t_capture) {
        t_capture->messages.emplace_back(text);
        return;
    }
    if (MessageCallback cb = message_callback()) {
        cb(text);
        return;
    }
    if (!log_path().empty()) append_to_log(log_path(), text);
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
