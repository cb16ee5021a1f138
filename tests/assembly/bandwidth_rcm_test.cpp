// Known answers of the reverse Cuthill-McKee renumbering.
#include <gtest/gtest.h>

#include "assembly/assembly.h"
#include "assembly/bandwidth.h"
#include "assembly_fixture.h"

namespace korvex {
namespace {

using namespace assembly_test;

// Nodes named N1..Nn at x = 1..n, so that their moves can be followed.
Run nodes_only(int n) {
    korvex::Run run;
    for (int i = 1; i <= n; ++i) add_node(run, ("N" + std::to_string(i)).c_str(), i, 0);
    return run;
}

TEST(BandwidthRcm, SingleElementStartsFromPseudoPeripheralRoot) {
    Messages msg;
    korvex::Run run = nodes_only(4);
    add_element(run, 1, 2, 3, 4);
    ASSERT_EQ(minband_3D(run), 1);
    EXPECT_TRUE(msg.has(" Initial  max_diff=3\n"));
    EXPECT_TRUE(msg.has(" Final  max_diff=2\n"));
    EXPECT_EQ(run.elements[1].node, (std::array<int, 4>{1, 3, 4, 2}));
    // Order 1, 4, 2, 3: whole records move, id included.
    EXPECT_EQ(node_names(run), (Names{"N1", "N4", "N2", "N3"}));
    EXPECT_EQ(run.nodes3D[2].id, 4);
    EXPECT_DOUBLE_EQ(run.nodes3D[2].x, 4.0);
}

TEST(BandwidthRcm, ComponentsInNodeOrderAndIsolatedNodesKeepTheirOrder) {
    // Components {1}, {2,4,6,7}, {3}, {5}.
    korvex::Run run = nodes_only(7);
    add_element(run, 2, 4, 6, 7);
    ASSERT_EQ(minband_3D(run), 1);
    EXPECT_EQ(node_names(run)[0], "N1");
    EXPECT_EQ(node_names(run)[5], "N3");
    EXPECT_EQ(node_names(run)[6], "N5");
    for (int v : run.elements[1].node) EXPECT_TRUE(v >= 2 && v <= 5) << v;

    // Two disconnected meshes, the second given first: the one with the lowest
    // node comes first.
    korvex::Run two = nodes_only(8);
    add_element(two, 2, 4, 6, 8);
    add_element(two, 1, 3, 5, 7);
    ASSERT_EQ(minband_3D(two), 1);
    for (int v : two.elements[2].node) EXPECT_LE(v, 4);
    for (int v : two.elements[1].node) EXPECT_GE(v, 5);
    EXPECT_EQ(max_node_difference(two.num_elements, two.elements), 2);
}

TEST(BandwidthRcm, EmptyMeshReportsSentinelTwice) {
    Messages msg;
    korvex::Run run = nodes_only(3);
    ASSERT_EQ(minband_3D(run), 1);
    EXPECT_TRUE(msg.has(" Initial  max_diff=-10000\n"));
    EXPECT_TRUE(msg.has(" Final  max_diff=-10000\n"));
    EXPECT_EQ(node_names(run), (Names{"N1", "N2", "N3"}));
}

// A failure leaves the mesh unchanged: too many neighbours (a node with 17
// spokes, each edge given as a two-node element), or a corner that is no node.
TEST(BandwidthRcm, FailuresLeaveTheMeshUnchanged) {
    auto star = [](int spokes) {
        korvex::Run run = nodes_only(spokes + 1);
        for (int k = 2; k <= spokes + 1; ++k) add_element(run, 1, k, 1, k);
        return run;
    };
    korvex::Run ok = star(MAX_NODES_CONNECTED);
    EXPECT_EQ(minband_3D(ok), 1);

    Messages msg;
    korvex::Run run = star(MAX_NODES_CONNECTED + 1);
    const Names before = node_names(run);
    EXPECT_EQ(minband_3D(run), 0);
    EXPECT_TRUE(msg.has("Increase MAX_NODES_CONNECTED in MINB_3D.C  (2)\n"));
    EXPECT_EQ(run.elements[17].node, (std::array<int, 4>{1, 18, 1, 18}));
    EXPECT_EQ(node_names(run), before);

    korvex::Run outside = nodes_only(3);
    add_element(outside, 1, 2, 3, 9);
    EXPECT_EQ(minband_3D(outside), 0);
    EXPECT_EQ(outside.elements[1].node, (std::array<int, 4>{1, 2, 3, 9}));
}

// The 10-vertex, 14-edge example graph of the Boost Graph Library's
// Cuthill-McKee example (vertices 0..9 there, 1..10 here), each edge given as
// an element (a, b, a, b) so that no other edge arises. Numbered as given its
// bandwidth is 8; Boost's ordering reaches 4, and so does ours.
TEST(BandwidthRcm, ExampleGraphBandwidthComesDown) {
    const int edges[14][2] = {{0, 3}, {0, 5}, {1, 2}, {1, 4}, {1, 6}, {1, 9}, {2, 3},
                              {2, 4}, {3, 5}, {3, 8}, {4, 6}, {5, 6}, {5, 7}, {6, 7}};
    korvex::Run run = nodes_only(10);
    for (const auto& e : edges) add_element(run, e[0] + 1, e[1] + 1, e[0] + 1, e[1] + 1);
    EXPECT_EQ(max_node_difference(run.num_elements, run.elements), 8);
    ASSERT_EQ(minband_3D(run), 1);
    EXPECT_EQ(max_node_difference(run.num_elements, run.elements), 4);
    // Still the same graph: every element joins the two nodes it joined before.
    const Names now = node_names(run);
    for (int e = 1; e <= run.num_elements; ++e) {
        const auto& c = run.elements[e].node;
        EXPECT_EQ(now[c[0] - 1], "N" + std::to_string(edges[e - 1][0] + 1));
        EXPECT_EQ(now[c[1] - 1], "N" + std::to_string(edges[e - 1][1] + 1));
    }
}

}  // namespace
}  // namespace korvex
