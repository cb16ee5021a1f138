#include "base/run_settings.h"

#include <cstdlib>
#include <thread>

namespace korvex {

RunSettings& run_settings() {
    static RunSettings settings;
    return settings;
}

MessageCallback& message_callback() {
    static MessageCallback callback = nullptr;
    return callback;
}

namespace {

// A whole number of at least 1 (at most `most`) from the environment, else 0.
int environment_count(const char* name, long most) {
    const char* text = std::getenv(name);
    if (!text) return 0;
    char* end = nullptr;
    const long n = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || n < 1) return 0;
    return static_cast<int>(n < most ? n : most);
}

}  // namespace

int threads_from_environment() {
    if (const int n = environment_count("KORVEX_THREADS", 1024)) return n;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores >= 1 ? static_cast<int>(cores) : 1;
}

int max_curves_per_edge_from_environment() {
    // The curve list of a subregion holds 4 x this + 6 slots.
    if (const int n = environment_count("KORVEX_MAX_CURVES_PER_EDGE", 100000000)) return n;
    return RunSettings{}.MAX_CURVES_PER_EDGE;
}

int max_curves_from_environment() {
    if (const int n = environment_count("KORVEX_MAX_CURVES", 100000000)) return n;
    return RunSettings{}.MAX_CURVES;
}

int max_new_points_from_environment() {
    if (const int n = environment_count("KORVEX_MAX_NEW_POINTS", 1000000000)) return n;
    return RunSettings{}.MAX_NEW_POINTS;
}

}  // namespace korvex
