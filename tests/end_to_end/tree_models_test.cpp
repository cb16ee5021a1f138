// Plates with internal trees and refined internal points, meshed through the
// library's entry point: every result is one valid conforming mesh of the
// whole plate (one boundary loop plus one per hole), and mesh edges run
// along every straight tree curve from end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/run_settings.h"
#include "end_to_end/meshed_model.h"

namespace korvex::test {
namespace {

// The mesh nodes on segment A-B, from A to B, are joined by element edges.
void expect_edges_along(const Meshed& r, const Point3& A, const Point3& B) {
    const double L = std::hypot(B[0] - A[0], B[1] - A[1]);
    std::vector<std::pair<double, int>> on;
    for (const auto& n : r.m3d.nodes) {
        const double t = ((n.x - A[0]) * (B[0] - A[0]) + (n.y - A[1]) * (B[1] - A[1])) / (L * L);
        const double off = std::fabs((n.x - A[0]) * (B[1] - A[1]) - (n.y - A[1]) * (B[0] - A[0])) / L;
        if (off < 1e-9 && t > -1e-9 && t < 1 + 1e-9) on.push_back({t, n.number});
    }
    std::sort(on.begin(), on.end());
    ASSERT_GE(on.size(), 2u);
    EXPECT_NEAR(on.front().first, 0, 1e-9);
    EXPECT_NEAR(on.back().first, 1, 1e-9);
    std::set<std::pair<int, int>> edges;
    for (const auto& e : r.m3d.elements)
        for (int i = 0; i < 4; ++i) edges.insert({e.nodes[i], e.nodes[(i + 1) % 4]});
    for (std::size_t i = 1; i < on.size(); ++i) {
        const int a = on[i - 1].second, b = on[i].second;
        EXPECT_TRUE(edges.count({a, b}) || edges.count({b, a})) << "no edge " << a << "-" << b;
    }
}

struct TreeModel {
    const char* file;
    double area;
    int loops;
    std::vector<std::pair<Point3, Point3>> straight_curves;
};

TEST(TreeModels, EveryTreeBecomesMeshEdgesInOneConformingMesh) {
    const TreeModel models[] = {
        {"trees_free_crack.sur", 100, 1, {{{3, 5, 0}, {7, 5, 0}}}},
        {"trees_l_stiffener.sur", 100, 1, {{{4, 0, 0}, {4, 6, 0}}, {{4, 6, 0}, {7, 6, 0}}}},
        {"trees_branching.sur", 100, 1, {{{5, 5, 0}, {2, 5, 0}}, {{5, 5, 0}, {8, 5, 0}}, {{5, 5, 0}, {5, 8, 0}}}},
        {"trees_two_branch_points.sur", 100, 1, {{{4, 3, 0}, {4, 7, 0}}, {{4, 5, 0}, {6, 5, 0}}, {{6, 3, 0}, {6, 7, 0}}}},
        {"trees_two_trees_arc.sur", 100, 1, {{{2, 2, 0}, {2, 6, 0}}}},
        {"trees_hole_tree_point.sur", 96, 2, {{{2, 2, 0}, {2, 6, 0}}}},
    };
    for (const auto& m : models) {
        SCOPED_TRACE(m.file);
        const Meshed r = mesh_test_model(m.file);
        expect_valid_plane_mesh(r, {0, 0, 1}, 0);
        if (r.rc != 0) continue;
        EXPECT_NEAR(mesh_area(r), m.area, 1e-6);
        EXPECT_EQ(boundary_loops(r), m.loops);
        for (const auto& [A, B] : m.straight_curves) expect_edges_along(r, A, B);
    }
}

TEST(TreeModels, TheShippedStiffenedPanelMeshes) {
    const Meshed r = mesh_model(std::filesystem::path(KORVEX_SOURCE_DIR) / "examples" / "stiffened_panel.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    ASSERT_EQ(r.rc, 0);
    EXPECT_NEAR(mesh_area(r), 200, 1e-6);
    EXPECT_EQ(boundary_loops(r), 1);
    for (const auto& [A, B] : std::vector<std::pair<Point3, Point3>>{
             {{6, 0, 0}, {6, 6, 0}}, {{6, 6, 0}, {3, 8, 0}}, {{6, 6, 0}, {9, 8, 0}}, {{11, 1.5, 0}, {17, 1.5, 0}}})
        expect_edges_along(r, A, B);
}

TEST(TreeModels, TheArcTreeCarriesNodesOnItsCircle) {
    const Meshed r = mesh_test_model("trees_two_trees_arc.sur");
    ASSERT_EQ(r.rc, 0) << r.log;
    // The arc through (6, 7), (8, 5), (6, 3) has its centre at (6, 5) and radius 2.
    int on_circle = 0;
    for (const auto& n : r.m3d.nodes) on_circle += std::fabs(std::hypot(n.x - 6, n.y - 5) - 2) < 1e-9 && n.x >= 6 - 1e-9;
    EXPECT_GE(on_circle, 5);
}

TEST(TreeModels, AHoleTreeAndPlainPointModelPlacesThePoint) {
    const Meshed r = mesh_test_model("trees_hole_tree_point.sur");
    ASSERT_EQ(r.rc, 0) << r.log;
    bool placed = false;
    for (const auto& n : r.m3d.nodes) placed |= n.name == "PINT" && n.x == 4 && n.y == 8;
    EXPECT_TRUE(placed);
}

TEST(TreeModels, ARefinedZoneIsAFinelyMeshedSquareAroundThePoint) {
    const Meshed r = mesh_test_model("pint_refined_zone.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    ASSERT_EQ(r.rc, 0);
    EXPECT_NEAR(mesh_area(r), 100, 1e-6);
    EXPECT_EQ(boundary_loops(r), 1);
    int pint = 0, corners = 0, inside = 0;
    for (const auto& n : r.m3d.nodes) {
        if (n.name == "PINT") pint += n.x == 5 && n.y == 5;
        if (std::fabs(std::fabs(n.x - 5) - 0.8) < 1e-9 && std::fabs(std::fabs(n.y - 5) - 0.8) < 1e-9) {
            ++corners;
            EXPECT_EQ(n.name, "R1");  // renamed from P** to the subregion's name
        }
        if (std::fabs(n.x - 5) < 0.8 - 1e-9 && std::fabs(n.y - 5) < 0.8 - 1e-9) ++inside;
    }
    EXPECT_EQ(pint, 1);
    EXPECT_EQ(corners, 4);
    // A square of side 1.6 at step 0.2 holds about 7 x 7 interior nodes.
    EXPECT_GE(inside, 40);
    EXPECT_LE(inside, 70);
    for (const auto& e : r.m3d.elements) EXPECT_EQ(e.name, "R1");
}

TEST(TreeModels, ARingOfTreeCurvesFailsCleanlyWithAndWithoutTheGuard) {
    const RunSettings saved = run_settings();
    for (const bool guard : {true, false}) {
        run_settings().tree_guard = guard;
        const Meshed r = mesh_test_model("trees_ring.sur");
        EXPECT_EQ(r.rc, 1);
        EXPECT_EQ(r.messages.back(), "Fatal error occurred");
        const bool guard_message = std::find(r.messages.begin(), r.messages.end(),
                                             "Error processing tree T1. Make sure the tree are connected.") !=
                                   r.messages.end();
        EXPECT_EQ(guard_message, guard) << r.log;
        if (!guard) {
            EXPECT_NE(r.log.find("Tree T1: the walk along its curves does not end"), std::string::npos);
        }
    }
    run_settings() = saved;
}

TEST(TreeModels, ATreeInTwoSeparatePiecesIsRefused) {
    const Meshed r = mesh_test_model("trees_two_pieces.sur");
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.m3d_bytes.empty());
    EXPECT_NE(r.log.find("connected"), std::string::npos) << r.log;
}

TEST(TreeModels, AFreeEndSeeingEveryCornerUnderASmallAngleGetsNoConnector) {
    const Meshed r = mesh_test_model("trees_narrow_strip.sur");
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(messages_in_order(r.messages, {"WALLTR_1.C: connector NOT built;\n",
                                               " (ANGLE_MIN_PERMITTED currently = 25.00)\n",
                                               "The model can't be processed\n"
                                               "   (nPatches didn't decrease over the last\n"
                                               "   WALLTREE.C-and-MULT_CON.C iteration).\n"}))
        << r.log;
}

TEST(TreeModels, RepeatedRunsGiveIdenticalResults) {
    for (const char* file : {"trees_branching.sur", "pint_refined_zone.sur"}) {
        const Meshed a = mesh_test_model(file);
        const Meshed b = mesh_test_model(file);
        ASSERT_EQ(a.rc, 0) << file;
        EXPECT_EQ(a.m3d_bytes, b.m3d_bytes) << file;
    }
}

}  // namespace
}  // namespace korvex::test
