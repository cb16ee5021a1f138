// A long-running host: one process meshes a good model and fails on a bad
// one, alternately, many times through the C interface. Every good run gives
// the same result file and messages, every bad run ends with the fatal-error
// message, and the live heap does not grow from one pair of runs to the next.
// The sanitizer build runs fewer pairs: each run is several times slower there.
#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's count of live heap bytes (its allocator replaces malloc's).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

#include "library_host.h"

namespace korvex::test {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kPairs = 100;
std::size_t live_heap_bytes() { return __sanitizer_get_current_allocated_bytes(); }
#else
constexpr int kPairs = 300;
std::size_t live_heap_bytes() { return mallinfo2().uordblks; }
#endif
constexpr int kWarmUpPairs = 5;
// Allowed growth of the live heap over all pairs after the warm-up: far less
// than one run's mesh, so a leak of anything per run shows.
constexpr std::size_t kHeapSlack = 64 * 1024;

std::string read_text(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The messages without the processing-time line, which varies.
std::vector<std::string> stable_messages(const RunOutput& out) {
    std::vector<std::string> kept;
    for (const auto& m : out.messages)
        if (m.find("Total processing time") == std::string::npos) kept.push_back(m);
    return kept;
}

TEST(LongRunningHost, AlternatingGoodAndBadRunsRepeatIdenticallyInFlatMemory) {
    LibraryHost host;
    const std::string good = read_text(std::filesystem::path(KORVEX_TEST_MODELS) / "plane_lines_and_arcs.sur");
    const std::string bad = read_text(std::filesystem::path(KORVEX_TEST_MODELS) / "pipeline_nonplanar_plane.sur");
    const std::filesystem::path result = host.folder() / "good.m3d";

    std::string first_m3d;
    std::vector<std::string> first_messages;
    std::size_t heap_after_warm_up = 0;
    for (int pair = 1; pair <= kPairs; ++pair) {
        const RunOutput ok = host.run_model("good.sur", good);
        ASSERT_EQ(ok.result, 0) << "pair " << pair;
        const std::string m3d = read_text(result);
        if (pair == 1) {
            first_m3d = m3d;
            first_messages = stable_messages(ok);
            ASSERT_FALSE(first_m3d.empty());
        } else {
            ASSERT_EQ(m3d, first_m3d) << "pair " << pair;
            ASSERT_EQ(stable_messages(ok), first_messages) << "pair " << pair;
        }
        const RunOutput failed = host.run_model("bad.sur", bad);
        ASSERT_EQ(failed.result, 1) << "pair " << pair;
        ASSERT_FALSE(failed.messages.empty());
        ASSERT_EQ(failed.messages.back(), "Fatal error occurred") << "pair " << pair;
        if (pair == kWarmUpPairs) heap_after_warm_up = live_heap_bytes();
    }
    const std::size_t heap_at_end = live_heap_bytes();
    EXPECT_LE(heap_at_end, heap_after_warm_up + kHeapSlack)
        << "live heap grew from " << heap_after_warm_up << " to " << heap_at_end << " bytes";
}

}  // namespace
}  // namespace korvex::test
