// Meshing on several threads gives the same result file and the same
// messages, one for one and in order, as meshing on one thread: plane models
// of many subregions, models whose cuts make subregions, models mixing every
// mesher (REV in strips meshed in order between the others), and models whose
// meshing fails in a later subregion.
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
    // The processing time and the model's folder are what differ between runs.
    std::erase_if(r.messages, [](const std::string& m) {
        return m.find("Total processing time") != std::string::npos || m.find("Problem name:") != std::string::npos ||
               m.find("infile=") != std::string::npos;
    });
    return r;
}

// k x k plates of side 4 sharing their curves, each its own subregion; the
// curve named `fine` (when given) has a step ten times finer.
std::string plate_grid(int k, double step, const std::string& fine = "") {
    std::ostringstream s;
    s << "Grid of plates\nPOINTS\n";
    auto point = [](int i, int j) {
        std::ostringstream name;
        name << "P" << i << "_" << j;
        return name.str();
    };
    for (int i = 0; i <= k; ++i)
        for (int j = 0; j <= k; ++j) s << point(i, j) << " " << 4.0 * i << " " << 4.0 * j << " 0\n";
    s << "CURVES\n";
    for (int i = 0; i <= k; ++i)
        for (int j = 0; j <= k; ++j) {
            std::ostringstream h_name;
            h_name << "QLH" << i << j;
            const std::string h = h_name.str();
            if (i < k) s << h << " " << point(i, j) << " " << point(i + 1, j) << " STEP " << (h == fine ? step / 10 : step) << "\n";
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

// The tank models of every mesher: valid on their exact surfaces on one
// thread, the same bytes and messages on two and four.
void expect_same_curved_run(const std::filesystem::path& model) {
    const Meshed one = mesh_with_threads(model, 1);
    CurvedMeshCheck check;
    for (int q = 0; q < 4; ++q) {
        const std::string n = std::to_string(q);
        check.surface_of["RSH" + n] = cylinder_surface({0, 0, 0}, {0, 0, 1}, 10);
        check.surface_of["RCAP" + n] = sphere_surface({0, 0, 10}, 10);
        check.surface_of["RSK" + n] = revolution_surface({0, 0, 0}, {0, 0, 1}, [](double h) { return 10 - h; });
    }
    check.surface_of["RPL"] = plane_surface({0, 0, -5}, {0, 0, 1});
    check.surface_of["RBI"] = height_surface([](double x, double y) {
        const double u = (x - 40) / 10, v = (y + 5) / 10;
        return -5 * (1 - u) * (1 - v) - 3 * u * v - 5 * (1 - u) * v;
    });
    check.max_distance = 1e-6;  // the panel's nodes lie within 1e-7 of the exact bilinear blend
    expect_valid_curved_mesh(one, check);
    for (const int threads : {2, 4}) {
        const Meshed many = mesh_with_threads(model, threads);
        EXPECT_EQ(many.rc, one.rc) << threads << " threads";
        EXPECT_EQ(many.m3d_bytes, one.m3d_bytes) << threads << " threads";
        EXPECT_EQ(many.messages, one.messages) << threads << " threads";
    }
}

// Four quarter shells (CYLINDER), their caps (three-edged SPHERE) and conical
// skirts (REV), beside a plate with two internal points and a BILINEAR panel
// sharing one of its curves; then with skirts whose meridians are two curves
// each, meshed strip by strip in order while the workers wait.
TEST(ParallelMeshing, EveryMesherGivesTheSameMeshAtAnyThreadCount) {
    for (const char* name : {"mixed_tank_ring.sur", "mixed_tank_ring_strips.sur"}) {
        SCOPED_TRACE(name);
        expect_same_curved_run(std::filesystem::path(KORVEX_TEST_MODELS) / name);
    }
    const Meshed ring = mesh_with_threads(std::filesystem::path(KORVEX_TEST_MODELS) / "mixed_tank_ring.sur", 2);
    EXPECT_EQ(ring.m3d.count_named("PINT"), 2);
}

TEST(ParallelMeshing, ModelsOfCutsTreesAndInvalidElementsAreTheSame) {
    // Holes and trees cut subregions before meshing. The last two leave
    // invalid elements, which the final checks, run side by side, report in
    // the same order.
    for (const char* name : {"holes_two_kinds.sur", "trees_l_stiffener.sur", "plane_internal_point.sur",
                             "curved_saddle_beside_plate.sur", "tank_mixed.sur", "mutated_trees_two_trees_arc.sur",
                             "mutated_tri_bilinear_five_curves.sur"}) {
        const Meshed one = mesh_with_threads(std::filesystem::path(KORVEX_TEST_MODELS) / name, 1);
        const Meshed two = mesh_with_threads(std::filesystem::path(KORVEX_TEST_MODELS) / name, 2);
        EXPECT_EQ(two.rc, one.rc) << name;
        EXPECT_EQ(two.m3d_bytes, one.m3d_bytes) << name;
        EXPECT_EQ(two.messages, one.messages) << name;
    }
}

// With MAX_NODEL_3D at `limit`: the model fails the same way at 1, 2 and 4
// threads; its run on `threads` threads. The default limit is set back after.
Meshed failing_run_with_node_limit(const std::filesystem::path& model, int limit, int threads) {
    SetMeshParameters(false, 200, 150, 150, limit);
    expect_same_run(model, false);
    Meshed r = mesh_with_threads(model, threads);
    SetMeshParameters(false, 200, 150, 150, 1000000);
    return r;
}

TEST(ParallelMeshing, TheFirstFailingSubregionDecidesAtAnyThreadCount) {
    const TempDir dir("parallel");
    // QLH21 bounds R20 and R21: cut finely it gives both more curves than a
    // subregion may hold with the limit at 16, which stops the run before
    // the subregions are meshed.
    const std::filesystem::path fine = dir.path() / "grid_fine_curve.sur";
    write_file(fine, plate_grid(4, 0.5, "QLH21"));
    setenv("KORVEX_MAX_CURVES_PER_EDGE", "16", 1);
    expect_same_run(fine, false);
    const Meshed r = mesh_with_threads(fine, 4);
    unsetenv("KORVEX_MAX_CURVES_PER_EDGE");
    EXPECT_NE(r.log.find("Increase MAX_CURVES_PER_EDGE (currently =16) to at least 36."), std::string::npos) << r.log;

    // The merge of a middle plate fails: the mesh outgrows MAX_NODEL_3D while
    // workers have meshed the plates after it, whose messages must not appear.
    const std::filesystem::path grid = dir.path() / "grid_small_limit.sur";
    write_file(grid, plate_grid(4, 0.5));
    const Meshed m = failing_run_with_node_limit(grid, 500, 3);
    EXPECT_NE(m.log.find("Increase MAX_NODEL_3D(currently=500)"), std::string::npos) << m.log;
    EXPECT_EQ(m.log.find("Meshing subregion R33"), std::string::npos);

    // A cap's mesher, on a worker, cannot see whether the global mesh has
    // room for its nodes: the check is made in order, where its messages
    // stand, and the third cap is the first without room.
    const std::filesystem::path ring = std::filesystem::path(KORVEX_TEST_MODELS) / "mixed_tank_ring.sur";
    const Meshed capped = failing_run_with_node_limit(ring, 1700, 4);
    EXPECT_NE(capped.log.find("Increase  MAX_NODEL_3D to at least 2005"), std::string::npos) << capped.log;
    EXPECT_EQ(capped.log.find("Meshing subregion RSK2"), std::string::npos);
}

}  // namespace
}  // namespace korvex::test
