// Meshing on several threads gives the same result file and the same
// messages, one for one and in order, as meshing on one thread: plane models
// of many subregions, models whose cuts make subregions, a model mixing
// meshers, and models whose meshing fails in a later subregion.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "end_to_end/meshed_model.h"

namespace korvex::test {
namespace {

// Sets KORVEX_THREADS for the runs made while it lives.
class ThreadCount {
public:
    explicit ThreadCount(int n) {
        if (const char* old = std::getenv("KORVEX_THREADS")) saved_ = old, had_ = true;
        setenv("KORVEX_THREADS", std::to_string(n).c_str(), 1);
    }
    ~ThreadCount() {
        if (had_) setenv("KORVEX_THREADS", saved_.c_str(), 1);
        else unsetenv("KORVEX_THREADS");
    }
    ThreadCount(const ThreadCount&) = delete;
    ThreadCount& operator=(const ThreadCount&) = delete;

private:
    std::string saved_;
    bool had_ = false;
};

Meshed mesh_with_threads(const std::filesystem::path& model, int threads) {
    const ThreadCount count(threads);
    Meshed r = mesh_model(model);
    // The processing time is the one message that may differ between runs.
    std::erase_if(r.messages, [](const std::string& m) { return m.find("Total processing time") != std::string::npos; });
    return r;
}

// k x k unit plates sharing their curves, each its own subregion; `lifted`
// (when not empty) names a corner point raised out of the plane, so that the
// plates using it fail as non-planar.
std::string plate_grid(int k, double step, const std::string& lifted = "") {
    std::ostringstream s;
    s << "Grid of plates\nPOINTS\n";
    for (int i = 0; i <= k; ++i)
        for (int j = 0; j <= k; ++j) {
            const std::string name = "P" + std::to_string(i) + "_" + std::to_string(j);
            s << name << " " << 4.0 * i << " " << 4.0 * j << " " << (name == lifted ? 0.5 : 0.0) << "\n";
        }
    s << "CURVES\n";
    auto point = [](int i, int j) { return "P" + std::to_string(i) + "_" + std::to_string(j); };
    for (int i = 0; i <= k; ++i)
        for (int j = 0; j <= k; ++j) {
            if (i < k) s << "QLH" << i << j << " " << point(i, j) << " " << point(i + 1, j) << " STEP " << step << "\n";
            if (j < k) s << "QLV" << i << j << " " << point(i, j) << " " << point(i, j + 1) << " STEP " << step << "\n";
        }
    s << "SUBREGIONS\n";
    for (int i = 0; i < k; ++i)
        for (int j = 0; j < k; ++j)
            s << "R" << i << j << " PLANE QLH" << i << j << " QLV" << i + 1 << j << " QLH" << i << j + 1 << " QLV" << i << j
              << " REF 0.2\n";
    s << "END\n";
    return s.str();
}

void expect_same_run(const std::filesystem::path& model, bool succeeds) {
    const Meshed one = mesh_with_threads(model, 1);
    EXPECT_EQ(one.rc, succeeds ? 0 : 1) << model << "\n" << one.log;
    if (succeeds) {
        ASSERT_TRUE(one.m3d.ok()) << model << ": " << one.m3d.error;
        std::vector<Point3> nodes;
        for (const auto& node : one.m3d.nodes) nodes.push_back({node.x, node.y, node.z});
        std::vector<Quad> quads;
        for (const auto& e : one.m3d.elements) quads.push_back(e.nodes);
        const auto failures = check_quad_mesh(nodes, quads, {0, 0, 1});
        EXPECT_TRUE(failures.empty()) << model << ": " << join_failures(failures);
    }
    for (const int threads : {2, 4}) {
        const Meshed many = mesh_with_threads(model, threads);
        EXPECT_EQ(many.rc, one.rc) << model << " on " << threads << " threads";
        EXPECT_EQ(many.m3d_bytes, one.m3d_bytes) << model << " on " << threads << " threads";
        EXPECT_EQ(many.messages, one.messages) << model << " on " << threads << " threads";
    }
}

TEST(ParallelMeshing, PlaneModelsOfManySubregionsAreTheSameAtAnyThreadCount) {
    const TempDir dir("parallel");
    const std::filesystem::path grid = dir.path() / "grid_4x4.sur";
    write_file(grid, plate_grid(4, 0.5));
    expect_same_run(grid, true);
    for (const char* name : {"plane_grid_3x3.sur", "plane_two_plates.sur", "plane_two_plates_sharp_corner.sur"})
        expect_same_run(std::filesystem::path(KORVEX_TEST_MODELS) / name, true);
}

TEST(ParallelMeshing, ModelsMeshedPartlyOrWhollyInOrderAreTheSame) {
    // Holes and trees cut subregions before meshing; internal points and
    // other meshers keep the subregions in order on one thread.
    for (const char* name : {"holes_two_kinds.sur", "trees_l_stiffener.sur", "plane_internal_point.sur",
                             "curved_saddle_beside_plate.sur", "tank_mixed.sur"}) {
        const Meshed one = mesh_with_threads(std::filesystem::path(KORVEX_TEST_MODELS) / name, 1);
        const Meshed two = mesh_with_threads(std::filesystem::path(KORVEX_TEST_MODELS) / name, 2);
        EXPECT_EQ(two.rc, one.rc) << name;
        EXPECT_EQ(two.m3d_bytes, one.m3d_bytes) << name;
        EXPECT_EQ(two.messages, one.messages) << name;
    }
}

TEST(ParallelMeshing, TheFirstFailingSubregionDecidesAtAnyThreadCount) {
    const TempDir dir("parallel");
    // P2_2 lies in plates R11, R12, R21 and R22: R11 is the first to fail.
    const std::filesystem::path lifted = dir.path() / "grid_lifted.sur";
    write_file(lifted, plate_grid(4, 0.5, "P2_2"));
    expect_same_run(lifted, false);
    const Meshed r = mesh_with_threads(lifted, 4);
    EXPECT_NE(r.log.find(" subregion R11: is NOT plane, although declared as such."), std::string::npos) << r.log;
    EXPECT_EQ(r.log.find("Meshing subregion R12"), std::string::npos);
}

}  // namespace
}  // namespace korvex::test
