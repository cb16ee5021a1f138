// Known answers of the reverse Cuthill-McKee renumbering.
#include <gtest/gtest.h>

#include "assembly/bandwidth.h"
#include "assembly_fixture.h"
#include "pipeline/stages.h"

namespace korvex {
namespace {

using assembly_test::add_global_element;
using assembly_test::add_global_node;
using assembly_test::Messages;

// Nodes named N1..Nn at x = 1..n, so that their moves can be followed.
Run nodes_only(int n) {
    korvex::Run run;
    for (int i = 1; i <= n; ++i) add_global_node(run, ("N" + std::to_string(i)).c_str(), i, 0);
    return run;
}

std::string name_at(const Run& run, int k) { return std::string(run.nodes3D[k].name.view()); }

TEST(BandwidthRcm, SingleElementStartsFromPseudoPeripheralRoot) {
    Messages msg;
    korvex::Run run = nodes_only(4);
    add_global_element(run, 1, 2, 3, 4);
    ASSERT_EQ(minband_3D(run), 1);
    EXPECT_TRUE(msg.has(" Initial  max_diff=3\n"));
    EXPECT_TRUE(msg.has(" Final  max_diff=2\n"));
    EXPECT_EQ(run.elements[1].node, (std::array<int, 4>{1, 3, 4, 2}));
    // Order 1, 4, 2, 3: whole records move, id included.
    EXPECT_EQ(name_at(run, 1), "N1");
    EXPECT_EQ(name_at(run, 2), "N4");
    EXPECT_EQ(name_at(run, 3), "N2");
    EXPECT_EQ(name_at(run, 4), "N3");
    EXPECT_EQ(run.nodes3D[2].id, 4);
    EXPECT_DOUBLE_EQ(run.nodes3D[2].x, 4.0);
}

TEST(BandwidthRcm, IsolatedNodesKeepTheirRelativeOrder) {
    korvex::Run run = nodes_only(7);
    add_global_element(run, 2, 4, 6, 7);
    ASSERT_EQ(minband_3D(run), 1);
    // Components in node order: {1}, {2,4,6,7}, {3}, {5}.
    EXPECT_EQ(name_at(run, 1), "N1");
    EXPECT_EQ(name_at(run, 6), "N3");
    EXPECT_EQ(name_at(run, 7), "N5");
    for (int v : run.elements[1].node) {
        EXPECT_GE(v, 2);
        EXPECT_LE(v, 5);
    }
}

TEST(BandwidthRcm, DisconnectedMeshesFollowTheirLowestNode) {
    korvex::Run run = nodes_only(8);
    add_global_element(run, 2, 4, 6, 8);  // second component (lowest node 2)
    add_global_element(run, 1, 3, 5, 7);  // first component
    ASSERT_EQ(minband_3D(run), 1);
    for (int v : run.elements[2].node) EXPECT_LE(v, 4);
    for (int v : run.elements[1].node) EXPECT_GE(v, 5);
    EXPECT_EQ(max_node_difference(run.num_elements, run.elements), 2);
}

TEST(BandwidthRcm, EmptyMeshReportsSentinelTwice) {
    Messages msg;
    korvex::Run run = nodes_only(3);
    ASSERT_EQ(minband_3D(run), 1);
    EXPECT_TRUE(msg.has(" Initial  max_diff=-10000\n"));
    EXPECT_TRUE(msg.has(" Final  max_diff=-10000\n"));
    EXPECT_EQ(name_at(run, 1), "N1");
    EXPECT_EQ(name_at(run, 3), "N3");
}

// A node with `spokes` neighbours, each edge given as a two-node element.
Run star(int spokes) {
    korvex::Run run = nodes_only(spokes + 1);
    for (int k = 2; k <= spokes + 1; ++k) add_global_element(run, 1, k, 1, k);
    return run;
}

TEST(BandwidthRcm, SixteenNeighboursAreTheLimit) {
    korvex::Run ok = star(MAX_NODES_CONNECTED);
    EXPECT_EQ(minband_3D(ok), 1);

    Messages msg;
    korvex::Run run = star(MAX_NODES_CONNECTED + 1);
    const auto before = run.elements[17].node;
    EXPECT_EQ(minband_3D(run), 0);
    EXPECT_TRUE(msg.has("Increase MAX_NODES_CONNECTED in MINB_3D.C  (2)\n"));
    // A failure leaves the mesh unchanged.
    EXPECT_EQ(run.elements[17].node, before);
    EXPECT_EQ(name_at(run, 2), "N2");
}

TEST(BandwidthRcm, CornerOutsideTheNodesFailsWithoutChanges) {
    Messages msg;
    korvex::Run run = nodes_only(3);
    add_global_element(run, 1, 2, 3, 9);
    EXPECT_EQ(minband_3D(run), 0);
    EXPECT_EQ(run.elements[1].node, (std::array<int, 4>{1, 2, 3, 9}));
}

// The 10-vertex, 14-edge example graph of the Boost Graph Library's
// Cuthill-McKee example (vertices 0..9 there, 1..10 here), each edge given as
// an element (a, b, a, b) so that no other edge arises. Numbered as given its
// bandwidth is 8; Boost's ordering reaches 4, and so does ours.
TEST(BandwidthRcm, ExampleGraphBandwidthComesDown) {
    const int edges[14][2] = {{0, 3}, {0, 5}, {1, 2}, {1, 4}, {1, 6}, {1, 9}, {2, 3},
                              {2, 4}, {3, 5}, {3, 8}, {4, 6}, {5, 6}, {5, 7}, {6, 7}};
    korvex::Run run = nodes_only(10);
    for (const auto& e : edges) add_global_element(run, e[0] + 1, e[1] + 1, e[0] + 1, e[1] + 1);
    EXPECT_EQ(max_node_difference(run.num_elements, run.elements), 8);
    ASSERT_EQ(minband_3D(run), 1);
    EXPECT_EQ(max_node_difference(run.num_elements, run.elements), 4);
    // Still the same graph: every element joins the two nodes it joined before.
    for (int e = 1; e <= run.num_elements; ++e) {
        const auto& c = run.elements[e].node;
        const int a = std::stoi(name_at(run, c[0]).substr(1)) - 1;
        const int b = std::stoi(name_at(run, c[1]).substr(1)) - 1;
        EXPECT_EQ(a, edges[e - 1][0]);
        EXPECT_EQ(b, edges[e - 1][1]);
    }
}

// A structured grid numbered along its long side has bandwidth nx + 1 (the
// diagonals are not edges); after RCM every edge stays within one level.
TEST(BandwidthRcm, GridNumberedBadlyGetsNarrowBand) {
    const int nx = 30, ny = 4;
    korvex::Run run;
    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i <= nx; ++i) add_global_node(run, "R1", i, j);
    auto id = [&](int i, int j) { return j * (nx + 1) + i + 1; };
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) add_global_element(run, id(i, j), id(i + 1, j), id(i + 1, j + 1), id(i, j + 1));
    EXPECT_EQ(max_node_difference(run.num_elements, run.elements), nx + 1);
    ASSERT_EQ(minband_3D(run), 1);
    EXPECT_LE(max_node_difference(run.num_elements, run.elements), ny + 1);
}

}  // namespace
}  // namespace korvex
