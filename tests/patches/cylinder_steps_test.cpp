// The cylinder mesher's kernels: the circumferential arcs and the radius
// adjustment, the unrolling of a half cylinder, the generator input's
// refusal of an odd boundary, and the indexed boundary crossings against
// the plain scan.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>

#include "patches/cylinder/cylinder_crossings.h"
#include "patches/cylinder/cylinder_mesher.h"
#include "support/message_capture.h"
#include "support/plane_model.h"

namespace korvex::test {
namespace {

constexpr double kPi = std::numbers::pi;

std::string model_text(const std::string& name) {
    return read_file(std::filesystem::path(KORVEX_TEST_MODELS) / name);
}

// A model read up to the meshers, with its boundary, arcs and densified boundary.
struct CylinderModel {
    Run run;
    Vec3 axis;
    CylinderBoundary b;
    std::vector<CircumferentialArc> arcs;
    DenseBoundary dense;

    explicit CylinderModel(const std::string& file) {
        MessageCapture quiet;
        EXPECT_EQ(prepare_model(run, model_text(file)), 1);
        const Subregion& s = run.patches[1];
        axis = Vec3{s.axis_cos[0], s.axis_cos[1], s.axis_cos[2]};
        load_cylinder_boundary(run, s, b);
        EXPECT_EQ(find_circumferential_arcs(run, axis, b, arcs), 1);
        EXPECT_EQ(boundary_interpolation(run, s, b, dense), 1);
    }
};

TEST(CylinderArcs, ArcsAcrossTheAxisAreFoundAndPullPointsInTheirRangeOntoTheirRadius) {
    CylinderModel m("cylinder_quarter_z.sur");
    ASSERT_EQ(m.arcs.size(), 2u);
    // The arcs' end nodes: C1 runs from position 1 (P1) to P2, C2 from P3 to P4.
    auto name_at = [&](int pos) { return std::string(m.run.new_points[m.b.ids[static_cast<std::size_t>(pos)]].name.c_str()); };
    EXPECT_EQ(m.arcs[0].ipstart, 1);
    EXPECT_EQ(name_at(m.arcs[0].ipend), "P2");
    EXPECT_EQ(name_at(m.arcs[1].ipstart), "P3");
    EXPECT_EQ(name_at(m.arcs[1].ipend), "P4");

    const double r = 9.5;
    std::vector<Vec3> points = {
        {},                                              // unused record 0
        {r * std::cos(0.7), r * std::sin(0.7), 3.0},     // within the arcs' range
        {r * std::cos(2.0), r * std::sin(2.0), 3.0},     // beyond it (about 115 degrees)
        {11.0, 0.0, 7.0},                                // on the range's edge
    };
    const std::vector<Vec3> before = points;
    std::vector<char> selected = {0, 1, 1, 1};
    ASSERT_EQ(cylindrical_surface_radius_adjustment_of_nodes(m.axis, m.run, m.arcs, m.b.xyz, m.b.n, points, selected),
              1);
    EXPECT_NEAR(std::hypot(points[1].x, points[1].y), 10.0, 1e-12);
    EXPECT_NEAR(std::atan2(points[1].y, points[1].x), 0.7, 1e-12);
    EXPECT_EQ(points[1].z, 3.0);
    EXPECT_EQ(points[2].x, before[2].x);
    EXPECT_EQ(points[2].y, before[2].y);
    EXPECT_NEAR(points[3].x, 10.0, 1e-12);
    EXPECT_EQ(points[3].z, 7.0);
}

TEST(CylinderUnrolling, AHalfCylinderUnrollsIntoAPiRByLengthRectangle) {
    CylinderModel m("cylinder_half_x.sur");
    ASSERT_EQ(m.arcs.size(), 2u);  // 180 degree arcs are recognised by their middle node
    double U_last = 0, V_last = 0;
    MessageCapture quiet;
    ASSERT_EQ(unroll_cylinder_boundary(m.axis, UnrollingLimits{}, m.dense, U_last, V_last), Unrolling::Closed);
    PlaneUV uv;
    ASSERT_EQ(cylinder_boundary_list(m.run, m.b, m.dense, uv), 1);
    ASSERT_EQ(uv.num_points, m.b.n);
    std::map<std::string, std::pair<double, double>> corner;
    double umin = 0, umax = 0, vmin = 0, vmax = 0;
    for (int i = 1; i <= uv.num_points; ++i) {
        corner[uv[i].name.c_str()] = {uv[i].u, uv[i].v};
        umin = std::min(umin, uv[i].u);
        umax = std::max(umax, uv[i].u);
        vmin = std::min(vmin, uv[i].v);
        vmax = std::max(vmax, uv[i].v);
    }
    const double width = 5 * kPi;
    EXPECT_NEAR(umax - umin, width, 1e-4 * width);
    EXPECT_NEAR(vmin, 0.0, 1e-12);
    EXPECT_NEAR(vmax, 12.0, 1e-12);
    // Corners: P1 at the origin, P2 across the arc, P3 and P4 twelve along the axis.
    const double w = corner["P2"].first;
    EXPECT_NEAR(std::fabs(w), width, 1e-4 * width);
    EXPECT_EQ(corner["P1"], std::make_pair(0.0, 0.0));
    EXPECT_NEAR(corner["P3"].first, w, 1e-9);
    EXPECT_NEAR(corner["P3"].second, 12.0, 1e-12);
    EXPECT_NEAR(corner["P4"].first, 0.0, 2 * m.dense.chord_last / kBoundarySubdivisions);
    EXPECT_NEAR(corner["P4"].second, 12.0, 1e-12);
    // The generator lines unroll straight: their nodes keep one u.
    for (int i = 1; i <= uv.num_points; ++i)
        if (m.run.new_points[m.b.ids[static_cast<std::size_t>(i)]].curve_id == 2) {
            EXPECT_NEAR(uv[i].u, w, 1e-9);
        }
}

TEST(CylinderGeneratorInput, AnOddBoundaryIsRefusedBeforeMeshing) {
    Subregion patch;
    patch.name = "R7";
    PlaneUV uv;
    uv.num_points = 5;
    uv.records.resize(6);
    BoundaryGeneratorInput in;
    MessageCapture messages;
    EXPECT_EQ(cylinder_generator_input(patch, uv, in), 0);
    EXPECT_TRUE(messages.has(" Error in process_cylinder_patch(): \n  total number of boundary points is an odd value: 5\n"));
    EXPECT_EQ(in.N, 0);
}

// Random closed polylines on a coarse grid (so that crossings tie, points
// repeat and segments stand vertical), queried on and off the grid.
TEST(CylinderCrossings, TheIndexPicksWhatThePlainScanPicks) {
    std::mt19937 gen(20261206);
    for (int round = 0; round < 60; ++round) {
        const int count = 3 + static_cast<int>(gen() % 400);
        const double grid = round % 3 == 0 ? 0.25 : 1e-3;
        std::uniform_int_distribution<int> cell(0, 40);
        std::vector<DensePoint> pts(static_cast<std::size_t>(count) + 1);
        for (int i = 1; i <= count; ++i) {
            pts[static_cast<std::size_t>(i)].u = cell(gen) * grid;
            pts[static_cast<std::size_t>(i)].v = cell(gen) * grid;
            // Now and then a point a hair off the grid, inside the match tolerance.
            if (gen() % 7 == 0) pts[static_cast<std::size_t>(i)].u += 5e-11;
        }
        const double tol = 1e-10;
        const CrossingIndex index(pts, count, tol);
        std::uniform_real_distribution<double> any(-1.0, 41.0 * grid);
        for (int q = 0; q < 300; ++q) {
            const bool on_grid = q % 2 == 0;
            const double u = on_grid ? cell(gen) * grid : any(gen);
            const double v = on_grid ? cell(gen) * grid : any(gen);
            const Crossings a = scan_crossings(pts, count, u, v), b = index.crossings(u, v);
            ASSERT_EQ(a.bottom.segment, b.bottom.segment) << round << " " << u << " " << v;
            ASSERT_EQ(a.top.segment, b.top.segment) << round << " " << u << " " << v;
            ASSERT_EQ(a.bottom.v, b.bottom.v);
            ASSERT_EQ(a.top.t, b.top.t);
            ASSERT_EQ(scan_point(pts, count, u, v, tol), index.point(u, v)) << round << " " << u << " " << v;
        }
    }
}

}  // namespace
}  // namespace korvex::test
