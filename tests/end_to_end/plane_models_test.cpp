// Plane models meshed through the library's entry point: each result file
// must hold a valid quadrilateral mesh whose nodes all lie in the declared
// plane, with shared curves merged and the node counts the step rules give.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "korvex/korvex.h"
#include "support/m3d_file.h"
#include "support/mesh_checker.h"

namespace {

using korvex::test::M3dFile;

std::string& log_text() {
    static std::string text;
    return text;
}
void capture(const char* message) { log_text() += message; }

std::string read_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

struct Meshed {
    int rc = -1;
    std::string log;
    std::string m3d_bytes;
    M3dFile m3d;
};

// Copies a model of tests/models into a fresh folder and meshes it there.
class PlaneModels : public ::testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("korvex_plane_models_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    Meshed mesh_file(const std::filesystem::path& source, const std::string& as = "") {
        const std::filesystem::path model = dir_ / (as.empty() ? source.filename().string() : as);
        std::filesystem::copy_file(source, model, std::filesystem::copy_options::overwrite_existing);
        log_text().clear();
        SetMessageCallback(capture);
        std::string path = model.string();
        char name[] = "korvex";
        char* argv[] = {name, path.data()};
        Meshed r;
        r.rc = GenerateQuads(2, argv);
        SetMessageCallback(nullptr);
        r.log = log_text();
        std::filesystem::path result = model;
        result.replace_extension(".m3d");
        r.m3d_bytes = read_bytes(result);
        r.m3d = korvex::test::read_m3d(result.string());
        return r;
    }
    Meshed mesh(const std::string& model_name, const std::string& as = "") {
        return mesh_file(std::filesystem::path(KORVEX_TEST_MODELS) / model_name, as);
    }

    std::filesystem::path dir_;
};

// A valid mesh with every node in the plane n·x = d (n a unit normal).
void expect_valid_plane_mesh(const Meshed& r, const korvex::test::Point3& n, double d) {
    ASSERT_EQ(r.rc, 0) << r.log;
    ASSERT_TRUE(r.m3d.ok()) << r.m3d.error;
    ASSERT_FALSE(r.m3d.elements.empty());
    std::vector<korvex::test::Point3> nodes;
    for (const auto& node : r.m3d.nodes) {
        nodes.push_back({node.x, node.y, node.z});
        EXPECT_NEAR(n[0] * node.x + n[1] * node.y + n[2] * node.z, d, 1e-9) << "node " << node.number;
    }
    std::vector<korvex::test::Quad> quads;
    for (const auto& e : r.m3d.elements) quads.push_back(e.nodes);
    const auto failures = korvex::test::check_quad_mesh(nodes, quads, n);
    EXPECT_TRUE(failures.empty()) << korvex::test::join_failures(failures);
    EXPECT_EQ(r.log.find("Output data error"), std::string::npos);
    EXPECT_EQ(r.log.find("A pair of possibly coinciding nodes identified"), std::string::npos);
}

TEST_F(PlaneModels, TheSquareOfTheFormatDescription) {
    const Meshed r = mesh("plane_square_10x10.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    EXPECT_EQ(r.m3d.title, "Square plate");
    // Each side of 10 steps is cut into 4 + 4 + 2: nine nodes inside each side
    // carry the side's name, the corners their point names.
    for (const char* curve : {"QL1", "QL2", "QL3", "QL4"}) EXPECT_EQ(r.m3d.count_named(curve), 9) << curve;
    for (const char* point : {"P1", "P2", "P3", "P4"}) EXPECT_EQ(r.m3d.count_named(point), 1) << point;
    for (const auto& node : r.m3d.nodes) {
        EXPECT_NE(node.name.substr(0, 3), "QLq") << node.number;
        EXPECT_NE(node.name.substr(0, 2), "P@") << node.number;
        EXPECT_NE(node.name.substr(0, 2), "P$") << node.number;
    }
    for (const auto& e : r.m3d.elements) EXPECT_EQ(e.name, "R1");
}

TEST_F(PlaneModels, AnLShapeWithCurvesInMixedOrderAndDirections) {
    const Meshed r = mesh("plane_l_shape_mixed.sur");
    // The first listed curve runs clockwise seen from +z, so the subregion's
    // normal (and its elements' counter-clockwise sense) is about -z.
    expect_valid_plane_mesh(r, {0, 0, -1}, 0);
    // 8- and 5-step sides: 8 is cut into 4 + 4, 5 rounds up to 6 and is cut into 4 + 2.
    EXPECT_EQ(r.m3d.count_named("QL1"), 7);
    EXPECT_EQ(r.m3d.count_named("QL4"), 5);
    EXPECT_EQ(r.m3d.count_named("QL3"), 5);
}

TEST_F(PlaneModels, ARegionBoundedByLinesAndArcs) {
    const Meshed r = mesh("plane_lines_and_arcs.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    // Nodes on the arcs lie on their circles.
    for (const auto& node : r.m3d.nodes) {
        if (node.name == "C1") {
            EXPECT_NEAR(std::hypot(node.x - 10, node.y - 9), 3.0, 1e-9);
        }
        if (node.name == "C2") {
            EXPECT_NEAR(std::hypot(node.x, node.y - 6), 2.0, 1e-9);
        }
    }
    EXPECT_GT(r.m3d.count_named("C1"), 0);
    EXPECT_GT(r.m3d.count_named("C2"), 0);
}

TEST_F(PlaneModels, APolygonInATiltedPlane) {
    const Meshed r = mesh("plane_tilted_pentagon.sur");
    const double len = std::sqrt(14.0);
    expect_valid_plane_mesh(r, {1 / len, 2 / len, 3 / len}, 6 / len);
}

TEST_F(PlaneModels, TwoPlatesSharingACurveShareItsNodes) {
    const Meshed r = mesh("plane_two_plates.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    EXPECT_EQ(r.m3d.count_named("QL2"), 5);  // 5 steps -> 6 -> cut into 4 + 2: five inside nodes, once
    int in_r1 = 0, in_r2 = 0;
    for (const auto& e : r.m3d.elements) (e.name == "R1" ? in_r1 : in_r2)++;
    EXPECT_GT(in_r1, 0);
    EXPECT_GT(in_r2, 0);
}

TEST_F(PlaneModels, AGridOfPlatesWithDifferentStepsIsOneConformingMesh) {
    const Meshed r = mesh("plane_grid_3x3.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    // Every curve of length 4: step 1 -> 4 steps, 2 -> 2, 4 -> 2, 1.5 -> 3 made 4.
    const std::map<double, int> inside_nodes = {{1.0, 3}, {2.0, 1}, {4.0, 1}, {1.5, 3}};
    const double steps[] = {1.0, 2.0, 4.0, 1.5};
    int k = 0;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 3; ++col, ++k) {
            const std::string name = "QLH" + std::to_string(row) + std::to_string(col);
            EXPECT_EQ(r.m3d.count_named(name), inside_nodes.at(steps[k % 4])) << name;
        }
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col, ++k) {
            const std::string name = "QLV" + std::to_string(row) + std::to_string(col);
            EXPECT_EQ(r.m3d.count_named(name), inside_nodes.at(steps[k % 4])) << name;
        }
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            EXPECT_EQ(r.m3d.count_named("P" + std::to_string(row) + std::to_string(col)), 1);
}

TEST_F(PlaneModels, AnUntypedFourEdgedFlatPatchGoesToThePlaneMesher) {
    const Meshed r = mesh("plane_untyped_four_edges.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 2);
    EXPECT_NE(r.log.find(" This subregion is recognized as PLANAR.\n"), std::string::npos);
}

TEST_F(PlaneModels, APlateWithASmoothGeneralCurveEdge) {
    const Meshed r = mesh("plane_general_curve_edge.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    EXPECT_GT(r.m3d.count_named("Q1"), 0);
}

TEST_F(PlaneModels, ANodeLandsExactlyOnTheInternalPoint) {
    const Meshed r = mesh("plane_internal_point.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    ASSERT_EQ(r.m3d.count_named("PINT"), 1) << r.log;
    for (const auto& node : r.m3d.nodes)
        if (node.name == "PINT") {
            EXPECT_EQ(node.x, 3.3);
            EXPECT_EQ(node.y, 4.6);
            EXPECT_EQ(node.z, 0.0);
        }
}

TEST_F(PlaneModels, TheSameModelTwiceGivesByteIdenticalResults) {
    const Meshed first = mesh("plane_lines_and_arcs.sur", "first.sur");
    const Meshed second = mesh("plane_lines_and_arcs.sur", "second.sur");
    ASSERT_EQ(first.rc, 0);
    ASSERT_FALSE(first.m3d_bytes.empty());
    EXPECT_TRUE(first.m3d_bytes == second.m3d_bytes);
}

TEST_F(PlaneModels, RepeatedRunsInOneProcessAreIdentical) {
    const Meshed reference = mesh("plane_internal_point.sur");
    ASSERT_EQ(reference.rc, 0);
    for (int run = 0; run < 3; ++run) {
        const Meshed again = mesh("plane_internal_point.sur");
        EXPECT_EQ(again.rc, 0);
        EXPECT_TRUE(again.m3d_bytes == reference.m3d_bytes) << "run " << run;
    }
}

TEST_F(PlaneModels, TheShippedBracketExampleMeshes) {
    const Meshed r = mesh_file(std::filesystem::path(KORVEX_SOURCE_DIR) / "examples" / "bracket.sur");
    expect_valid_plane_mesh(r, {0, 0, 1}, 0);
    EXPECT_GT(r.m3d.elements.size(), 100u);
}

TEST_F(PlaneModels, APlaneSubregionOffItsPlaneStops) {
    std::ofstream(dir_ / "source.sur") << "Warped\nPOINTS\nP1 0 0 0\nP2 4 0 0\nP3 4 4 1\nP4 0 4 0\nCURVES\n"
                                           "QL1 P1 P2 STEP 1\nQL2 P2 P3 STEP 1\nQL3 P3 P4 STEP 1\nQL4 P4 P1 STEP 1\n"
                                           "SUBREGIONS\nR1 PLANE QL1 QL2 QL3 QL4 REF 0.2\nEND\n";
    const Meshed r = mesh_file(dir_ / "source.sur", "warped.sur");
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.log.find("Subregion R1 isn't planar whereas it is declared PLANE;\n"), std::string::npos) << r.log;
}

}  // namespace
