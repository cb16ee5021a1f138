// The element makers: loop_46 patterns, structured rectangles, add_elem.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "trelmo/loop_geometry.h"
#include "trelmo_fixture.h"

namespace korvex::test {
namespace {

TEST(Loop46, EachPatternMakesItsElements) {
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> loop;
        int nodes, elements;
        std::optional<std::pair<double, double>> centre;   // the new node 7
        bool convex = true;
    };
    std::vector<std::pair<double, double>> hexagon;
    for (int k = 0; k < 6; ++k) hexagon.push_back({std::cos(k * kPi / 3), std::sin(k * kPi / 3)});
    const Case cases[] = {
        {"four_nodes", {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, 4, 1, {}},
        {"regular_hexagon_diagonal_split", hexagon, 6, 2, {}},
        // Largest angle (168.9 deg) at node 3; after rotation a4 = 131.2 <= 0.8 * a3 = 135.1:
        // a centre node at the mean of the loop.
        {"small_opposite_angle_centre_node", {{-1, 0}, {0, -1}, {3, -0.8}, {6, 0}, {3, 0.8}, {0, 1}}, 7, 3,
         std::pair{(-1 + 0 + 3 + 6 + 3 + 0) / 6.0, 0.0}},
        // The centre is the mean of the three midpoints.
        {"triangle_with_midpoints", {{0, 0}, {2, 0}, {4, 0}, {3, 2}, {2, 4}, {1, 2}}, 7, 3, std::pair{2.0, 4.0 / 3}},
        // Flat nodes in the middle of the bottom and of the top: positions 1 and 4 after rotation.
        {"opposite_flat_nodes_diagonal_split", {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {1, 1}, {0, 1}}, 6, 2, {}},
        // Positions 1 and 2 flat. The pattern's new nodes are midpoints of
        // corners of their own elements (flat corners that the smoothing
        // opens later): only the topology is checked.
        {"two_flat_in_a_row", {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {0, 1}}, 8, 4, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrelmoMesh m = mesh_of(c.loop);
        const int n = static_cast<int>(c.loop.size());
        int code = TM_OK;
        ASSERT_EQ(loop_46(m, loop_upto(n), "R1", 1, code), 1);
        EXPECT_EQ(m.num_nodes, c.nodes);
        ASSERT_EQ(m.num_elements, c.elements);
        for (int e = 1; e <= m.num_elements; ++e) {
            EXPECT_EQ(m.elements[e].name, "R1");
            EXPECT_EQ(m.elements[e].subregion, 1);
        }
        if (c.centre) {
            EXPECT_TRUE(node_at(m, 7, c.centre->first, c.centre->second));
            EXPECT_EQ(m.nodes[7].kind, NODE_KIND_INTERIOR);
        }
        EXPECT_TRUE(valid_mesh(m, {upto(n)}, c.convex));
    }
}

TEST(Loop46, OtherLoopSizesFailWithCode4) {
    for (int n : {2, 8}) {
        TrelmoMesh m = mesh_of({{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}});
        int code = TM_OK;
        MessageCapture capture;
        EXPECT_EQ(loop_46(m, loop_upto(n), "R1", 1, code), 0);
        EXPECT_EQ(code, TM_LOOP_46);
        EXPECT_TRUE(capture.contains(" Internal error in loop_46() : not a 4- or 6-noded\n loop has been passed into the "
                                 "procedure.\n n46=" + std::to_string(n) + "\n"));
        EXPECT_EQ(m.num_elements, 0);
    }
}

TEST(IsRectangular, DeclinedLoopsLeaveNothingBehind) {
    // A parallelogram with 25-degree corners, 3 segments per side.
    const double c = std::cos(deg_to_rad(25)), s = std::sin(deg_to_rad(25));
    std::vector<std::pair<double, double>> grid25;
    auto add = [&](double u, double v) { grid25.push_back({u + v * c, v * s}); };
    for (int i = 0; i < 3; ++i) add(i, 0);
    for (int j = 0; j < 3; ++j) add(3, j);
    for (int i = 3; i > 0; --i) add(i, 3);
    for (int j = 3; j > 0; --j) add(0, j);
    const std::pair<const char*, std::vector<std::pair<double, double>>> cases[] = {
        {"4_nodes_bottom_3_top", {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2}, {1.5, 2}, {0, 2}, {0, 1}, {0, 0.5}}},
        {"25_degree_grid", grid25},
    };
    for (const auto& [name, xy] : cases) {
        SCOPED_TRACE(name);
        TrelmoMesh m = mesh_of(xy, NODE_KIND_ENTITY);
        const int n = static_cast<int>(xy.size());
        int code = TM_OK;
        EXPECT_EQ(is_rectangular(loop_upto(n), m, "R1", 1, code), 0);
        EXPECT_EQ(code, TM_OK);
        EXPECT_EQ(m.num_nodes, n);
        EXPECT_EQ(m.num_elements, 0);
    }
}

TEST(IsRectangular, TransfiniteInterpolationFollowsCurvedSides) {
    // A 3 x 3 grid whose bottom middle node is pulled down: the interior
    // node moves down by half of it (Coons patch).
    Array1<double> gx(9), gy(9);
    const double xs[] = {0, 1, 2, 0, 0, 2, 0, 1, 2};
    const double ys[] = {0, -0.4, 0, 1, 0, 1, 2, 2, 2};
    for (int k = 1; k <= 9; ++k) {
        gx[k] = xs[k - 1];
        gy[k] = ys[k - 1];
    }
    MessageCapture capture;
    ASSERT_EQ(transfinite_interpolation(3, 3, gx, gy), 1);
    EXPECT_NEAR(gx[5], 1.0, 1e-12);
    EXPECT_NEAR(gy[5], 0.8, 1e-12);
    for (int k = 1; k <= 9; ++k) gx[k] = gy[k] = 0;
    EXPECT_EQ(transfinite_interpolation(3, 3, gx, gy), 0);
    EXPECT_TRUE(capture.contains(" Input data error: check lengths of the entities\n  (they are too short).\n"));
}

TEST(AddElem, ReportsProgressAndTheElementCap) {
    TrelmoMesh m = mesh_of({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    m.max_nodel_3d = 5600;   // cap 5040
    MessageCapture capture;
    for (int k = 1; k <= 5040; ++k) ASSERT_EQ(add_elem(m, 1, 2, 3, 4, "R1", 1), 1);
    EXPECT_TRUE(capture.contains("In add_elem.c: num_elements=  5000\n"));
    EXPECT_EQ(add_elem(m, 1, 2, 3, 4, "R1", 1), 0);
    EXPECT_TRUE(capture.contains("Increase MAX_NODEL_3D (currently=5600)\n"));
    EXPECT_GE(m.elements_allocated, 5041);
}

TEST(LoopElm, ElementCapStopsTheRun) {
    Region region = polygon({{0, 0}, {4, 0}, {5, 2}, {3, 4}, {0, 3}}, {16, 2, 6, 4, 8});
    region.limits.MAX_NODEL_3D = 30;
    const TrelmoResult r = region.run();
    EXPECT_EQ(r.ok, 0);
    EXPECT_TRUE(r.said("Increase MAX_NODEL_3D (currently=30)\n")) << r.messages;
}

}  // namespace
}  // namespace korvex::test
