// The element makers: loop_46 patterns, structured rectangles, add_elem.
#include <gtest/gtest.h>

#include <cmath>

#include "mesh_builder.h"
#include "trelmo/loop_geometry.h"
#include "trelmo_fixture.h"

namespace korvex::test {
namespace {

TEST(Loop46, FourNodesMakeOneElement) {
    TrelmoMesh m = mesh_of({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    int code = TM_OK;
    ASSERT_EQ(loop_46(m, loop_upto(4), "R1", 1, code), 1);
    ASSERT_EQ(m.num_elements, 1);
    EXPECT_EQ(m.elements[1].corner1, 1);
    EXPECT_EQ(m.elements[1].corner4, 4);
    EXPECT_EQ(m.elements[1].name, "R1");
    EXPECT_EQ(m.elements[1].subregion, 1);
}

TEST(Loop46, RegularHexagonGetsTheDiagonalSplit) {
    TrelmoMesh m;
    m.allocate(100);
    for (int k = 0; k < 6; ++k) append_node(m, std::cos(k * kPi / 3), std::sin(k * kPi / 3), NODE_KIND_INTERIOR, "R1");
    int code = TM_OK;
    ASSERT_EQ(loop_46(m, loop_upto(6), "R1", 1, code), 1);
    EXPECT_EQ(m.num_nodes, 6);
    ASSERT_EQ(m.num_elements, 2);
    // The two elements share one diagonal: corner 1 of the first is corner 4 of the second.
    EXPECT_EQ(m.elements[1].corner4, m.elements[2].corner1);
    EXPECT_EQ(m.elements[1].corner1, m.elements[2].corner4);
    EXPECT_TRUE(check_mesh(m, {chain_upto(6)}).empty());
}

TEST(Loop46, SmallOppositeAngleGetsACentreNode) {
    // Largest angle (168.9 deg) at node 3; after rotation a4 = 131.2 <= 0.8 * a3 = 135.1.
    TrelmoMesh m = mesh_of({{-1, 0}, {0, -1}, {3, -0.8}, {6, 0}, {3, 0.8}, {0, 1}});
    int code = TM_OK;
    ASSERT_EQ(loop_46(m, loop_upto(6), "R1", 1, code), 1);
    ASSERT_EQ(m.num_nodes, 7);
    EXPECT_EQ(m.num_elements, 3);
    EXPECT_NEAR(m.nodes[7].x, (-1 + 0 + 3 + 6 + 3 + 0) / 6.0, 1e-12);
    EXPECT_NEAR(m.nodes[7].y, 0.0, 1e-12);
    EXPECT_EQ(m.nodes[7].kind, NODE_KIND_INTERIOR);
    const auto failures = check_mesh(m, {chain_upto(6)});
    EXPECT_TRUE(failures.empty()) << join_failures(failures);
}

TEST(Loop46, TriangleWithSideMidpointsGetsTheTrianglePattern) {
    TrelmoMesh m = mesh_of({{0, 0}, {2, 0}, {4, 0}, {3, 2}, {2, 4}, {1, 2}});
    int code = TM_OK;
    ASSERT_EQ(loop_46(m, loop_upto(6), "R1", 1, code), 1);
    ASSERT_EQ(m.num_nodes, 7);
    EXPECT_EQ(m.num_elements, 3);
    // The centre is the mean of the three midpoints.
    EXPECT_NEAR(m.nodes[7].x, (2 + 3 + 1) / 3.0, 1e-12);
    EXPECT_NEAR(m.nodes[7].y, (0 + 2 + 2) / 3.0, 1e-12);
    const auto failures = check_mesh(m, {chain_upto(6)});
    EXPECT_TRUE(failures.empty()) << join_failures(failures);
}

TEST(Loop46, OppositeFlatNodesGetTheDiagonalSplit) {
    // Rectangle 2 x 1 with a flat node in the middle of the bottom and of the top:
    // after rotation the flat node is position 1 and the other flat node position 4.
    TrelmoMesh m = mesh_of({{0, 0}, {1, 0}, {2, 0}, {2, 1}, {1, 1}, {0, 1}});
    int code = TM_OK;
    ASSERT_EQ(loop_46(m, loop_upto(6), "R1", 1, code), 1);
    EXPECT_EQ(m.num_elements, 2);
    const auto failures = check_mesh(m, {chain_upto(6)});
    EXPECT_TRUE(failures.empty()) << join_failures(failures);
}

TEST(Loop46, TwoFlatNodesInARowGetTheTwoNodePattern) {
    // Three segments along the bottom of a 3 x 1 rectangle: positions 1 and 2 flat.
    TrelmoMesh m = mesh_of({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {0, 1}});
    int code = TM_OK;
    ASSERT_EQ(loop_46(m, loop_upto(6), "R1", 1, code), 1);
    EXPECT_EQ(m.num_nodes, 8);
    EXPECT_EQ(m.num_elements, 4);
    // The pattern's new nodes are midpoints of corners of their own elements
    // (flat corners that the smoothing opens later): check the topology.
    const auto failures = check_mesh(m, {chain_upto(6)}, false);
    EXPECT_TRUE(failures.empty()) << join_failures(failures);
}

TEST(Loop46, OtherLoopSizesFailWithCode4) {
    for (int n : {2, 8}) {
        TrelmoMesh m = mesh_of({{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}});
        int code = TM_OK;
        MessageCapture capture;
        EXPECT_EQ(loop_46(m, loop_upto(n), "R1", 1, code), 0);
        EXPECT_EQ(code, TM_LOOP_46);
        EXPECT_NE(MessageCapture::text().find(" Internal error in loop_46() : not a 4- or 6-noded\n loop has been passed "
                                              "into the procedure.\n n46=" + std::to_string(n) + "\n"),
                  std::string::npos);
        EXPECT_EQ(m.num_elements, 0);
    }
}

// A 4 x 3-node rectangle: 10 loop nodes counter-clockwise from (0,0).
TrelmoMesh rectangle_4x3() {
    return mesh_of({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2}, {2, 2}, {1, 2}, {0, 2}, {0, 1}});
}

TEST(IsRectangular, FourByThreeNodesMakeSixElementsAndTwoInteriorNodes) {
    TrelmoMesh m = rectangle_4x3();
    int code = TM_OK;
    ASSERT_EQ(is_rectangular(loop_upto(10), m, "R1", 1, code), 1);
    EXPECT_EQ(code, TM_OK);
    EXPECT_EQ(m.num_elements, 6);
    ASSERT_EQ(m.num_nodes, 12);
    EXPECT_NEAR(m.nodes[11].x, 1.0, 1e-12);
    EXPECT_NEAR(m.nodes[11].y, 1.0, 1e-12);
    EXPECT_NEAR(m.nodes[12].x, 2.0, 1e-12);
    EXPECT_NEAR(m.nodes[12].y, 1.0, 1e-12);
    const auto failures = check_mesh(m, {chain_upto(10)});
    EXPECT_TRUE(failures.empty()) << join_failures(failures);
}

TEST(IsRectangular, OppositeSidesWithDifferentNodeCountsAreDeclined) {
    // 4 nodes along the bottom, 3 along the top.
    TrelmoMesh m = mesh_of({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2}, {1.5, 2}, {0, 2}, {0, 1}, {0, 0.5}});
    int code = TM_OK;
    EXPECT_EQ(is_rectangular(loop_upto(10), m, "R1", 1, code), 0);
    EXPECT_EQ(code, TM_OK);
    EXPECT_EQ(m.num_nodes, 10);
    EXPECT_EQ(m.num_elements, 0);
}

TEST(IsRectangular, A25DegreeGridIsDeclinedAndLeavesNothingBehind) {
    // A parallelogram with 25-degree corners, 3 segments per side.
    const double c = std::cos(deg_to_rad(25)), s = std::sin(deg_to_rad(25));
    TrelmoMesh m;
    m.allocate(100);
    auto add = [&](double u, double v) { append_node(m, u + v * c, v * s, NODE_KIND_ENTITY, "L1"); };
    for (int i = 0; i < 3; ++i) add(i, 0);
    for (int j = 0; j < 3; ++j) add(3, j);
    for (int i = 3; i > 0; --i) add(i, 3);
    for (int j = 3; j > 0; --j) add(0, j);
    int code = TM_OK;
    EXPECT_EQ(is_rectangular(loop_upto(12), m, "R1", 1, code), 0);
    EXPECT_EQ(code, TM_OK);
    EXPECT_EQ(m.num_nodes, 12);
    EXPECT_EQ(m.num_elements, 0);
}

TEST(IsRectangular, TransfiniteInterpolationFollowsCurvedSides) {
    // A 3 x 3 grid whose bottom middle node is pulled down: the interior
    // node moves down by half of it (Coons patch).
    Array1<double> gx(9), gy(9);
    const double xs[] = {0, 1, 2, 0, 0, 2, 0, 1, 2};
    const double ys[] = {0, -0.4, 0, 1, 0, 1, 2, 2, 2};
    for (int k = 1; k <= 9; ++k) { gx[k] = xs[k - 1]; gy[k] = ys[k - 1]; }
    MessageCapture capture;
    ASSERT_EQ(transfinite_interpolation(3, 3, gx, gy), 1);
    EXPECT_NEAR(gx[5], 1.0, 1e-12);
    EXPECT_NEAR(gy[5], 0.8, 1e-12);
    for (int k = 1; k <= 9; ++k) { gx[k] = 0; gy[k] = 0; }
    EXPECT_EQ(transfinite_interpolation(3, 3, gx, gy), 0);
    EXPECT_NE(MessageCapture::text().find(" Input data error: check lengths of the entities\n  (they are too short).\n"),
              std::string::npos);
}

TEST(AddElem, ReportsProgressAndTheElementCap) {
    TrelmoMesh m = mesh_of({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    m.max_nodel_3d = 5600;   // cap 5040
    MessageCapture capture;
    for (int k = 1; k <= 5040; ++k) ASSERT_EQ(add_elem(m, 1, 2, 3, 4, "R1", 1), 1);
    EXPECT_NE(MessageCapture::text().find("In add_elem.c: num_elements=  5000\n"), std::string::npos);
    EXPECT_EQ(add_elem(m, 1, 2, 3, 4, "R1", 1), 0);
    EXPECT_NE(MessageCapture::text().find("Increase MAX_NODEL_3D (currently=5600)\n"), std::string::npos);
    EXPECT_GE(m.elements_allocated, 5041);
}

TEST(LoopElm, BoundaryWithoutModerateNodesGetsNoLayer) {
    // A regular pentagon with two segments per side: corners of 108 degrees.
    Region region;
    std::vector<std::pair<double, double>> corners;
    for (int k = 0; k < 5; ++k) corners.push_back({std::cos(-kPi / 2 + k * 2 * kPi / 5), std::sin(-kPi / 2 + k * 2 * kPi / 5)});
    region.polygon(corners, {2});
    const TrelmoResult r = region.run();
    ASSERT_EQ(r.ok, 1) << r.messages;
    EXPECT_TRUE(r.said("Warning! no appropriate nodes found in loop_elm()\n to generate a boundary layer of elements !\n"));
    const auto failures = check_result(r, {region.polygon_chain(r)});
    EXPECT_TRUE(failures.empty()) << join_failures(failures);
}

TEST(LoopElm, ElementCapStopsTheRun) {
    Region region;
    region.polygon({{0, 0}, {4, 0}, {5, 2}, {3, 4}, {0, 3}}, {16, 2, 6, 4, 8});
    TrelmoLimits limits;
    limits.MAX_NODEL_3D = 30;
    const TrelmoResult r = region.run(limits);
    EXPECT_EQ(r.ok, 0);
    EXPECT_TRUE(r.said("Increase MAX_NODEL_3D (currently=30)\n")) << r.messages;
}

}  // namespace
}  // namespace korvex::test
