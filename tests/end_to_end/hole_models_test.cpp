// Plates with holes meshed through the library's entry point. Every mesh
// must be valid and in its plane, cover the plate minus its holes (to the
// chord error of arcs), have one boundary loop per hole plus the outer one,
// keep every element out of the holes, and name no node after a generated
// connector.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "end_to_end/meshed_model.h"

namespace korvex::test {
namespace {

constexpr double kPi = 3.14159265358979323846;

const M3dNode& node(const Meshed& r, int number) { return r.m3d.nodes.at(static_cast<std::size_t>(number - 1)); }

Point3 pos(const M3dNode& n) { return {n.x, n.y, n.z}; }

// Centroids of the elements, for "no element inside a hole" checks.
std::vector<Point3> centroids(const Meshed& r) {
    std::vector<Point3> out;
    for (const auto& e : r.m3d.elements) {
        Point3 c{0, 0, 0};
        for (int n : e.nodes)
            for (int a = 0; a < 3; ++a) c[a] += pos(node(r, n))[a] / 4;
        out.push_back(c);
    }
    return out;
}

// The connectors' generated names never reach the result file: their nodes
// are named after the subregion, like its other inner nodes.
void expect_no_generated_names(const Meshed& r) {
    for (const auto& n : r.m3d.nodes)
        EXPECT_FALSE(n.name.starts_with("QLc") || n.name.starts_with("P$") || n.name.starts_with("QLq") ||
                     n.name.starts_with("P@") || n.name.starts_with("Rpa"))
            << n.number << " " << n.name;
    for (const auto& e : r.m3d.elements) EXPECT_EQ(e.name, "R1") << e.number;
}

// Area of the regular polygon of n chords inscribed in a circle of radius rho.
double inscribed_area(int n, double rho) { return 0.5 * n * rho * rho * std::sin(2 * kPi / n); }

TEST(HoleModels, ASquarePlateWithASquareHole) {
    const Meshed r = mesh_test_model("holes_square_hole.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    EXPECT_NEAR(mesh_area(r), 100.0 - 4.0, 1e-6);
    EXPECT_EQ(boundary_loops(r), 2);
    for (const Point3& c : centroids(r)) EXPECT_FALSE(c[0] > 4 && c[0] < 6 && c[1] > 4 && c[1] < 6);
    expect_no_generated_names(r);
    // The hole's sides keep their nodes and names: 4 steps each, 3 inner nodes.
    for (const char* curve : {"QL5", "QL6", "QL7", "QL8"}) EXPECT_EQ(r.m3d.count_named(curve), 3) << curve;
    EXPECT_NE(r.log.find("All trees and holes have been processed in 1 iteration(s).\n"), std::string::npos);
    EXPECT_NE(r.log.find("Meshing subregion Rpa00002"), std::string::npos);
}

TEST(HoleModels, ARoundHoleWhoseArcsAreListedInReverseIsChainedRight) {
    const Meshed r = mesh_test_model("holes_round_hole_reversed.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    // Four quarter arcs of radius 3 with step 0.4: 12 steps each.
    EXPECT_NEAR(mesh_area(r), 20.0 * 12.0 - inscribed_area(48, 3.0), 1e-6);
    EXPECT_EQ(boundary_loops(r), 2);
    for (const Point3& c : centroids(r)) EXPECT_GT(std::hypot(c[0] - 10, c[1] - 6), 2.9);
    for (const auto& n : r.m3d.nodes)
        if (n.name[0] == 'C') {
            EXPECT_NEAR(std::hypot(n.x - 10, n.y - 6), 3.0, 1e-9) << n.number;
        }
    expect_no_generated_names(r);
}

TEST(HoleModels, TwoHolesTheNearerIsCutFirstAndTheOtherMovesWithItsPart) {
    const Meshed r = mesh_test_model("holes_two_kinds.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    EXPECT_NEAR(mesh_area(r), 30.0 * 12.0 - 9.0 - inscribed_area(48, 3.0), 1e-6);
    EXPECT_EQ(boundary_loops(r), 3);
    for (const Point3& c : centroids(r)) {
        EXPECT_FALSE(c[0] > 2 && c[0] < 5 && c[1] > 4 && c[1] < 7);
        EXPECT_GT(std::hypot(c[0] - 20, c[1] - 6), 2.9);
    }
    expect_no_generated_names(r);
    // H2, the square near the left edge, is listed second but cut first; the
    // round hole H1 stays with the parent, which is cut next.
    EXPECT_NE(r.log.find("H1 inside R1\n"), std::string::npos);
    EXPECT_NE(r.log.find("Meshing subregion Rpa00003"), std::string::npos);
}

TEST(HoleModels, ARoundHoleInATiltedPlane) {
    const Meshed r = mesh_test_model("holes_round_hole_tilted.sur");
    // The plate of the reversed-arcs model turned about x by 30 degrees, about z by 20, and moved.
    const Point3 n = {0.17101007166283422, -0.469846310392954, 0.8660254037844388};
    expect_valid_plane_mesh(r, n, 3.794283939633476);
    EXPECT_NEAR(mesh_area(r), 20.0 * 12.0 - inscribed_area(48, 3.0), 1e-6);
    EXPECT_EQ(boundary_loops(r), 2);
    expect_no_generated_names(r);
}

TEST(HoleModels, TheShippedPlateWithBoltHoles) {
    const Meshed r = mesh_model(std::filesystem::path(KORVEX_SOURCE_DIR) / "examples" / "plate_with_bolt_holes.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    EXPECT_EQ(boundary_loops(r), 5);
    // Four holes of radius 8, each short of its circle by the chords of its arcs.
    EXPECT_NEAR(mesh_area(r), 160.0 * 100.0 - 4 * kPi * 64.0, 4 * (kPi * 64.0 - inscribed_area(24, 8.0)));
    for (const auto& n : r.m3d.nodes)
        EXPECT_FALSE(n.name.starts_with("QLc") || n.name.starts_with("P$")) << n.number << " " << n.name;
}

TEST(HoleModels, RepeatedRunsGiveTheSameResultFile) {
    const Meshed a = mesh_test_model("holes_two_kinds.sur");
    const Meshed b = mesh_test_model("holes_two_kinds.sur");
    ASSERT_EQ(a.rc, 0);
    EXPECT_FALSE(a.m3d_bytes.empty());
    EXPECT_EQ(a.m3d_bytes, b.m3d_bytes);
}

TEST(HoleModels, AHoleWithoutAPairOfConnectorsEndsTheRun) {
    // A sliver of a triangle: only its blunt corner leaves a connector more
    // than 15 degrees from both sides, and a pair needs two boundary corners.
    const Meshed r = mesh_test_model("holes_no_connector_pair.sur");
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.m3d_bytes.empty());
    // End steps longer than half a connector are cut to half its length.
    EXPECT_NE(r.log.find("length=0.8  step_start=0.15708  step_end=3\n"
                         "   Reduced to: step_start=0.15708  step_end=0.4\n"),
              std::string::npos);
    EXPECT_NE(r.log.find("No possible connector pairs \nfrom corner of hole[1]=H1 (patch[1]=R1)  (Total num_holes =1)\n"
                         "Unsuccessful completion of MC_planar_processing():\n   num_possible_connector_pairs=0\n"
                         "Consider step size variations.\n"
                         "Unsuccessful return from MC_planar_processing() into KORVEX.C\n"),
              std::string::npos)
        << r.log;
}

}  // namespace
}  // namespace korvex::test
