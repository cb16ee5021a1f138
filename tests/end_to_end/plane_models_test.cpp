// Plane models meshed through the library's entry point: each result file
// must hold a valid quadrilateral mesh whose nodes all lie in the declared
// plane, with shared curves merged and the node counts the step rules give.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "end_to_end/meshed_model.h"

namespace korvex::test {
namespace {

TEST(PlaneModels, TheSquareOfTheFormatDescription) {
    const Meshed r = mesh_test_model("plane_square_10x10.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    EXPECT_EQ(r.m3d.title, "Square plate");
    // Each side of 10 steps is cut into 4 + 4 + 2: nine nodes inside each side
    // carry the side's name (never a generated piece's), the corners their point names.
    for (const char* curve : {"QL1", "QL2", "QL3", "QL4"}) EXPECT_EQ(r.m3d.count_named(curve), 9) << curve;
    for (const char* point : {"P1", "P2", "P3", "P4"}) EXPECT_EQ(r.m3d.count_named(point), 1) << point;
    for (const auto& node : r.m3d.nodes) {
        EXPECT_FALSE(node.name.starts_with("QLq") || node.name.starts_with("P@") || node.name.starts_with("P$"))
            << node.number << " " << node.name;
    }
    for (const auto& e : r.m3d.elements) EXPECT_EQ(e.name, "R1");
}

TEST(PlaneModels, AnLShapeWithCurvesInMixedOrderAndDirections) {
    const Meshed r = mesh_test_model("plane_l_shape_mixed.sur");
    // The first listed curve runs clockwise seen from +z, so the subregion's
    // normal (and its elements' counter-clockwise sense) is about -z.
    expect_valid_plane_mesh(r, {0, 0, -1}, 0);
    // 8- and 5-step sides: 8 is cut into 4 + 4, 5 rounds up to 6 and is cut into 4 + 2.
    EXPECT_EQ(r.m3d.count_named("QL1"), 7);
    EXPECT_EQ(r.m3d.count_named("QL4"), 5);
    EXPECT_EQ(r.m3d.count_named("QL3"), 5);
}

TEST(PlaneModels, ARegionBoundedByLinesAndArcs) {
    const Meshed r = mesh_test_model("plane_lines_and_arcs.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    // Nodes on the arcs lie on their circles.
    EXPECT_GT(r.m3d.count_named("C1"), 0);
    EXPECT_GT(r.m3d.count_named("C2"), 0);
    for (const auto& node : r.m3d.nodes) {
        if (node.name == "C1") {
            EXPECT_NEAR(std::hypot(node.x - 10, node.y - 9), 3.0, 1e-9);
        } else if (node.name == "C2") {
            EXPECT_NEAR(std::hypot(node.x, node.y - 6), 2.0, 1e-9);
        }
    }
}

TEST(PlaneModels, APolygonInATiltedPlane) {
    const double len = std::sqrt(14.0);
    expect_valid_plane_mesh(mesh_test_model("plane_tilted_pentagon.sur"), {1 / len, 2 / len, 3 / len}, 6 / len);
}

TEST(PlaneModels, TwoPlatesSharingACurveShareItsNodes) {
    const Meshed r = mesh_test_model("plane_two_plates.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    EXPECT_EQ(r.m3d.count_named("QL2"), 5);  // 5 steps -> 6 -> cut into 4 + 2: five inside nodes, once
    int in_r1 = 0;
    for (const auto& e : r.m3d.elements) in_r1 += e.name == "R1";
    EXPECT_GT(in_r1, 0);
    EXPECT_LT(in_r1, static_cast<int>(r.m3d.elements.size()));
}

TEST(PlaneModels, AGridOfPlatesWithDifferentStepsIsOneConformingMesh) {
    const Meshed r = mesh_test_model("plane_grid_3x3.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    // Every curve of length 4, with steps 1, 2, 4, 1.5 in turn (horizontal
    // curves first): 4 steps, 2, 2 and 3 made 4.
    const std::map<double, int> inside_nodes = {{1.0, 3}, {2.0, 1}, {4.0, 1}, {1.5, 3}};
    const double steps[] = {1.0, 2.0, 4.0, 1.5};
    int k = 0;
    for (const char* dir : {"QLH", "QLV"})
        for (int row = 0; row < 4; ++row)
            for (int col = 0; col < 4; ++col) {
                const std::string at = std::to_string(row) + std::to_string(col);
                EXPECT_EQ(r.m3d.count_named("P" + at), 1) << at;
                if ((dir[2] == 'H' && col == 3) || (dir[2] == 'V' && row == 3)) continue;
                EXPECT_EQ(r.m3d.count_named(dir + at), inside_nodes.at(steps[k++ % 4])) << dir << at;
            }
}

TEST(PlaneModels, AnUntypedFourEdgedFlatPatchGoesToThePlaneMesher) {
    const Meshed r = mesh_test_model("plane_untyped_four_edges.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 2);
    EXPECT_NE(r.log.find(" This subregion is recognized as PLANAR.\n"), std::string::npos);
}

TEST(PlaneModels, APlateWithASmoothGeneralCurveEdge) {
    const Meshed r = mesh_test_model("plane_general_curve_edge.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    EXPECT_GT(r.m3d.count_named("Q1"), 0);
}

TEST(PlaneModels, ANodeLandsExactlyOnTheInternalPoint) {
    const Meshed r = mesh_test_model("plane_internal_point.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    ASSERT_EQ(r.m3d.count_named("PINT"), 1) << r.log;
    for (const auto& node : r.m3d.nodes)
        if (node.name == "PINT") {
            EXPECT_EQ(node.x, 3.3);
            EXPECT_EQ(node.y, 4.6);
            EXPECT_EQ(node.z, 0.0);
        }
}

// The messages of a run, without the two that name its folder and its time.
std::vector<std::string> repeatable_messages(const Meshed& r) {
    std::vector<std::string> kept;
    for (const auto& m : r.messages)
        if (m.find("Problem name:") == std::string::npos && m.find("Total processing time") == std::string::npos)
            kept.push_back(m);
    return kept;
}

// The same model meshed again, under another name or not, in one process
// gives a byte-identical result file and the same messages.
TEST(PlaneModels, RepeatedRunsGiveByteIdenticalResults) {
    for (const char* model : {"plane_lines_and_arcs.sur", "plane_internal_point.sur"}) {
        const Meshed reference = mesh_test_model(model);
        ASSERT_EQ(reference.rc, 0);
        ASSERT_FALSE(reference.m3d_bytes.empty());
        for (const char* as : {"again.sur", "again.sur", model}) {
            const Meshed again = mesh_test_model(model, as);
            EXPECT_EQ(again.rc, 0);
            EXPECT_TRUE(again.m3d_bytes == reference.m3d_bytes) << model << " as " << as;
            EXPECT_EQ(repeatable_messages(again), repeatable_messages(reference)) << model << " as " << as;
        }
    }
}

TEST(PlaneModels, TheShippedBracketExampleMeshes) {
    const Meshed r = mesh_model(std::filesystem::path(KORVEX_SOURCE_DIR) / "examples" / "bracket.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    EXPECT_GT(r.m3d.elements.size(), 100u);
}

// MAX_CURVES_PER_EDGE is read for each run: a square whose sides are cut
// into 40 pieces in all stops with the limit's message when the limit is
// below that, and meshes with the default or a limit raised to fit.
TEST(PlaneModels, MaxCurvesPerEdgeIsSetForEachRun) {
    const TempDir dir("pieces");
    const std::filesystem::path model = dir.path() / "square.sur";
    write_file(model, "Square\nPOINTS\nP1 0 0 0\nP2 20 0 0\nP3 20 20 0\nP4 0 20 0\nCURVES\n"
                      "QL1 P1 P2 STEP 0.5\nQL2 P2 P3 STEP 0.5\nQL3 P3 P4 STEP 0.5\nQL4 P4 P1 STEP 0.5\n"
                      "SUBREGIONS\nR1 PLANE QL1 QL2 QL3 QL4 REF 0.2\nEND\n");
    setenv("KORVEX_MAX_CURVES_PER_EDGE", "20", 1);
    const Meshed limited = mesh_model(model);
    EXPECT_EQ(limited.rc, 1);
    EXPECT_NE(limited.log.find(" MAX_CURVES_PER_EDGE     =      20\n"), std::string::npos);
    EXPECT_NE(limited.log.find("Increase MAX_CURVES_PER_EDGE (currently =20) to at least 50."), std::string::npos)
        << limited.log;
    setenv("KORVEX_MAX_CURVES_PER_EDGE", "40", 1);
    expect_valid_plane_mesh(mesh_model(model), {0, 0, 1}, 0);
    unsetenv("KORVEX_MAX_CURVES_PER_EDGE");
    const Meshed by_default = mesh_model(model);
    EXPECT_NE(by_default.log.find(" MAX_CURVES_PER_EDGE     =     500\n"), std::string::npos);
    expect_valid_plane_mesh(by_default, {0, 0, 1}, 0);
}
}  // namespace
}  // namespace korvex::test
