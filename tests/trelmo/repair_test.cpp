// Repairs and smoothing: spikes, folded pairs, singular elements, Laplace.
#include <gtest/gtest.h>

#include <cmath>

#include "trelmo/loop_geometry.h"
#include "trelmo_fixture.h"

namespace korvex::test {
namespace {

// A one-subregion context (whose layer was built) around a hand-made mesh.
struct RepairContext {
    Region region = polygon({{0, 0}, {1, 0}, {1, 1}}, {2});
    TrelmoContext ctx = region.context();
    RepairContext() { ctx.layer_flags[1] = 1; }
};

// Inner loop c, q, o1, o2, o3, p with the angle at c = `degrees` (from q to p),
// and three layer elements around c outside the loop.
void spike_setup(RepairContext& rc, double degrees) {
    const double a = deg_to_rad(degrees);
    rc.ctx.mesh = mesh_of({{0, 0}, {std::cos(a), std::sin(a)}, {1, 0}, {2, 0.3}, {2.2, 1.5}, {1, 1.8},
                           {-1, 0.3}, {-0.3, -1}, {0, 1.5}, {-1.2, -1}, {1, -1}});
    rc.ctx.sub_work[1].inner = loop_of({1, 3, 4, 5, 6, 2});
    rc.ctx.sub_work[1].boundary = loop_of({7, 10, 8, 11});
    add_elem(rc.ctx.mesh, 1, 2, 9, 7, "R1", 1);    // E1 holds p and c
    add_elem(rc.ctx.mesh, 1, 7, 10, 8, "R1", 1);   // between them
    add_elem(rc.ctx.mesh, 1, 8, 11, 3, "R1", 1);   // E2 holds c and q
}

TEST(Smallang, SixtyDegreeSpikeIsCollapsedUnlessWiderOrAtTheBoundary) {
    for (const double degrees : {60.0, 61.0, -60.0}) {   // -60: 60 degrees with p on the boundary
        SCOPED_TRACE(degrees);
        RepairContext rc;
        spike_setup(rc, std::fabs(degrees));
        if (degrees < 0) rc.ctx.sub_work[1].boundary.push(2);
        MessageCapture capture;
        ASSERT_EQ(smallang(rc.ctx), 1) << capture.text();
        const TrelmoMesh& m = rc.ctx.mesh;
        const NodeLoop& inner = rc.ctx.sub_work[1].inner;
        if (degrees != 60.0) {
            EXPECT_EQ(m.num_nodes, 11);
            EXPECT_EQ(inner.count, 6);
            continue;
        }
        // p (node 2) is gone and q (node 3, now 2) sits at the midpoint of p and q.
        EXPECT_EQ(m.num_nodes, 10);
        EXPECT_TRUE(node_at(m, 2, (0.5 + 1) / 2, std::sin(kPi / 3) / 2));
        ASSERT_EQ(inner.count, 4);
        EXPECT_EQ(inner.at(1), 2);
        EXPECT_EQ(m.elements[1].corner2, 2);   // p replaced by q
        EXPECT_EQ(m.elements[3].corner4, 2);
    }
}

TEST(Smallang, ThreeHundredDegreesStayAndAboveIsTreated) {
    // Without any element: a node that is treated reports warning 51.
    for (const double degrees : {300.0, 301.0}) {
        SCOPED_TRACE(degrees);
        RepairContext rc;
        const double a = deg_to_rad(degrees);
        rc.ctx.mesh = mesh_of({{0, 0}, {1, 0}, {0.5, 3}, {-3, 2}, {-2, -1}, {std::cos(a), std::sin(a)}});
        rc.ctx.sub_work[1].inner = loop_upto(6);
        MessageCapture capture;
        EXPECT_EQ(smallang(rc.ctx), degrees == 300.0 ? 1 : 0) << capture.text();
        EXPECT_EQ(capture.contains(" In smallang(): warning 51\n   (mesh cannot be created; reduce step size.)\n"), degrees > 300);
    }
}

// A loop of two straight fronts (y = 0 and y = gap, x = 0..6, step 1) with
// one node at each end, and the layer elements outside it.
void strip_setup(RepairContext& rc, double gap) {
    TrelmoMesh& m = rc.ctx.mesh = mesh_of({});
    int f[7], t[7], b[7], u[7];
    for (int i = 0; i <= 6; ++i) f[i] = append_node(m, i, 0, NODE_KIND_INTERIOR, "R1");
    const int right = append_node(m, 6.3, gap / 2, NODE_KIND_INTERIOR, "R1");
    for (int i = 6; i >= 0; --i) t[i] = append_node(m, i, gap, NODE_KIND_INTERIOR, "R1");
    const int left = append_node(m, -0.3, gap / 2, NODE_KIND_INTERIOR, "R1");
    for (int i = 0; i <= 6; ++i) b[i] = append_node(m, i, -1, NODE_KIND_ENTITY, "L1");
    for (int i = 0; i <= 6; ++i) u[i] = append_node(m, i, gap + 1, NODE_KIND_ENTITY, "L3");
    const int x1 = append_node(m, 7, gap / 2, NODE_KIND_ENTITY, "L2");
    const int x2 = append_node(m, -1, gap / 2, NODE_KIND_ENTITY, "L4");
    for (int i = 0; i < 6; ++i) {
        add_elem(m, b[i], b[i + 1], f[i + 1], f[i], "R1", 1);
        add_elem(m, t[i], t[i + 1], u[i + 1], u[i], "R1", 1);
    }
    add_elem(m, right, f[6], x1, t[6], "R1", 1);
    add_elem(m, left, t[0], x2, f[0], "R1", 1);
    rc.ctx.loop_table = one_loop_table(16);
    rc.ctx.sub_work[1].boundary = NodeLoop{};
}

TEST(Glueloop, FrontsAtHalfAStepAreGluedAtSevenTenthsStayApart) {
    for (const double gap : {0.5, 0.7}) {
        SCOPED_TRACE(gap);
        RepairContext rc;
        strip_setup(rc, gap);
        const int nodes_before = rc.ctx.mesh.num_nodes;
        MessageCapture capture;
        ASSERT_EQ(glueloop(rc.ctx), 1) << capture.text();
        const bool glued = gap == 0.5;
        EXPECT_EQ(capture.contains(" Merging opposite layers: iteration 2.\n"), glued);
        if (!glued) {
            EXPECT_EQ(rc.ctx.mesh.num_nodes, nodes_before);
            EXPECT_EQ(rc.ctx.loop_table.count, 1);
            continue;
        }
        EXPECT_LT(rc.ctx.mesh.num_nodes, nodes_before);
        // The strip is zipped up from the glued node: what remains are the two
        // small end loops, and the elements made so far are conforming.
        ASSERT_EQ(rc.ctx.loop_table.count, 2);
        EXPECT_EQ(rc.ctx.loop_table.loops[1].loop.count, 4);
        EXPECT_EQ(rc.ctx.loop_table.loops[2].loop.count, 4);
        EXPECT_TRUE(valid_mesh(rc.ctx.mesh, {}, false));
    }
}

TEST(BotPair, FoldedPairOfOneSubregionBecomesOneElement) {
    for (const int lower : {1, 2}) {   // subregion of the lower element
        SCOPED_TRACE(lower);
        // e = (v, a, a2, b) above the line a-v-b, f = (a, v, b, X) below it.
        TrelmoMesh m = mesh_of({{1, 0}, {0, 0}, {-1, 0}, {0, 1}, {0, -1}});
        add_elem(m, 2, 1, 4, 3, "R1", 1);
        add_elem(m, 1, 2, 3, 5, lower == 1 ? "R1" : "R2", lower);
        ASSERT_EQ(bot_pair(m), 1);
        if (lower == 2) {   // pairs of different subregions stay
            EXPECT_EQ(m.num_elements, 2);
            EXPECT_EQ(m.num_nodes, 5);
            continue;
        }
        ASSERT_EQ(m.num_elements, 1);
        ASSERT_EQ(m.num_nodes, 4);
        // (a, a2, b, X) with the node numbers after v moved down by one.
        EXPECT_EQ(std::vector<int>({m.elements[1].corner1, m.elements[1].corner2, m.elements[1].corner3,
                                    m.elements[1].corner4}),
                  std::vector<int>({1, 3, 2, 4}));
        EXPECT_TRUE(valid_mesh(m));
    }
}

// A singular element (A, B, C, D) whose corner at A is `degrees`, with its
// neighbours across C-D and C-B.
TrelmoMesh singular_setup(double degrees) {
    const double a = deg_to_rad(degrees);
    TrelmoMesh m = mesh_of({});
    append_node(m, 0, 0, NODE_KIND_POINT, "P1");                          // 1 A
    append_node(m, 1, 0, NODE_KIND_ENTITY, "L1");                         // 2 B
    append_node(m, 0, 1, NODE_KIND_INTERIOR, "R1");                       // 3 C
    append_node(m, std::cos(a), std::sin(a), NODE_KIND_ENTITY, "L2");     // 4 D
    append_node(m, -0.2, 2, NODE_KIND_INTERIOR, "R1");                    // 5 X
    append_node(m, -1.6, 1.5, NODE_KIND_ENTITY, "L2");                    // 6 W
    append_node(m, 1.5, 1, NODE_KIND_ENTITY, "L1");                       // 7 Z
    append_node(m, 0.2, 2, NODE_KIND_INTERIOR, "R1");                     // 8 Y
    add_elem(m, 1, 2, 3, 4, "R1", 1);
    add_elem(m, 4, 3, 5, 6, "R1", 1);   // L: edge D->C, X follows C
    add_elem(m, 3, 2, 7, 8, "R1", 1);   // R: edge C->B, Y precedes C
    return m;
}

TEST(TmSing, FlatBoundaryCornerOf179DegreesIsRepairedOf177LeftAlone) {
    for (const double degrees : {177.0, 179.0}) {
        SCOPED_TRACE(degrees);
        TrelmoMesh m = singular_setup(degrees);
        MessageCapture capture;
        ASSERT_EQ(tm_sing(m), 1) << capture.text();
        if (degrees == 177.0) {
            EXPECT_EQ(m.num_nodes, 8);
            EXPECT_EQ(m.num_elements, 3);
            continue;
        }
        EXPECT_EQ(m.num_nodes, 11);
        EXPECT_EQ(m.num_elements, 6);
        // C moved to 0.7 of the way from A; N1 halfway between A and C.
        EXPECT_TRUE(node_at(m, 3, 0, 0.7));
        EXPECT_TRUE(node_at(m, 9, 0, 0.35));
        EXPECT_EQ(m.nodes[9].kind, NODE_KIND_INTERIOR);
        EXPECT_EQ(m.elements[1].corner3, 11);   // (A, B, N3, N1)
        EXPECT_EQ(m.elements[1].corner4, 9);
        EXPECT_TRUE(valid_mesh(m, {}, false));
    }
}

TEST(TmSing, MissingNeighbourIsReportedAndTheRunGoesOn) {
    TrelmoMesh m = singular_setup(179.0);
    m.num_elements = 1;   // no neighbours
    MessageCapture capture;
    EXPECT_EQ(tm_sing(m), 0);
    EXPECT_TRUE(capture.contains("WARNING in TM_SING.C ! element to the left \nfrom the singular 1 could not be found. (A)\n"));
    EXPECT_TRUE(capture.contains("Unprocessed element not encountered previously.\n"));
    EXPECT_EQ(m.num_elements, 1);
}

// A wheel of `n` elements around node 1 at (0.1, 0.1), in subregion R1.
TrelmoMesh wheel(int n) {
    TrelmoMesh m = mesh_of({{0.1, 0.1}});
    for (int k = 0; k < 2 * n; ++k)
        append_node(m, std::cos(k * kPi / n), std::sin(k * kPi / n), NODE_KIND_ENTITY, "L1");
    for (int k = 0; k < n; ++k) add_elem(m, 1, 2 + 2 * k, 3 + 2 * k, 2 + (2 * k + 2) % (2 * n), "R1", 1);
    return m;
}

Array1<GenSubregion> one_subregion() {
    Array1<GenSubregion> s(1);
    s[1].name = "R1";
    return s;
}

TEST(Laplas, MovesInteriorNodesToTheMeanOfUpToSixteenNeighbours) {
    TrelmoMesh m = wheel(16);
    m.nodes[3].kind = NODE_KIND_INTERIOR;   // interior, but named after no subregion
    m.nodes[3].name = "RX";
    const double x3 = m.nodes[3].x, y3 = m.nodes[3].y;
    ASSERT_EQ(laplas(one_subregion(), 1, m), 1);
    EXPECT_TRUE(node_at(m, 1, 0.0, 0.0));
    EXPECT_TRUE(node_at(m, 3, x3, y3));
    EXPECT_TRUE(node_at(m, 2, 1.0, 0.0));

    m = wheel(17);
    MessageCapture capture;
    EXPECT_EQ(laplas(one_subregion(), 1, m), 0);
    EXPECT_TRUE(capture.contains(" Increase MAX_NODES_CONNECTED (currently =16) in trelmo.h\n"));
    EXPECT_EQ(m.nodes[1].x, 0.1);
    EXPECT_EQ(laplas_plane(m.num_nodes, m.nodes, m.num_elements, m.elements), 0);
    EXPECT_TRUE(capture.contains(" Increase MAX_NODES_CONNECTED_P (currently =16) in trelmo.h\n"));
}

TEST(Laplas, PlaneVariantSmoothsEveryInteriorNodeInFourSweeps) {
    // A chain of two interior nodes between fixed ends: 4 Gauss-Seidel sweeps.
    TrelmoMesh m = mesh_of({{0, 0}, {0.9, 0}, {1.1, 0}, {3, 0}, {0, 1}, {1, 1}, {2, 1}, {3, 1}}, NODE_KIND_ENTITY);
    m.nodes[2].kind = m.nodes[3].kind = NODE_KIND_INTERIOR;
    m.nodes[2].name = m.nodes[3].name = "anything";
    add_elem(m, 1, 2, 6, 5, "R1", 1);
    add_elem(m, 2, 3, 7, 6, "R1", 1);
    add_elem(m, 3, 4, 8, 7, "R1", 1);
    ASSERT_EQ(laplas_plane(m.num_nodes, m.nodes, m.num_elements, m.elements), 1);
    // Node 2 has neighbours 1, 3, 6; node 3 has 2, 4, 7: x2 = (0 + x3 + 1)/3, x3 = (x2 + 3 + 2)/3.
    double x2 = 0.9, x3 = 1.1;
    for (int k = 0; k < 4; ++k) {
        x2 = (0 + x3 + 1) / 3;
        x3 = (x2 + 3 + 2) / 3;
    }
    EXPECT_NEAR(m.nodes[2].x, x2, 1e-12);
    EXPECT_NEAR(m.nodes[3].x, x3, 1e-12);
}

}  // namespace
}  // namespace korvex::test
