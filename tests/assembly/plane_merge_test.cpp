// Merging plane-patch meshes (add_to_global_plane), with internal points
// snapped onto boundary nodes carried across patches.
#include <gtest/gtest.h>

#include "assembly/global_merge.h"
#include "assembly_fixture.h"

namespace korvex {
namespace {

using namespace assembly_test;

// Square [x0, x0+1] x [0, 1] with a middle node on each vertical side. The
// side x = 1 is shared: its nodes are saved as P$000001..3 and named "QL2".
TestPatch plane_square(double x0, const char* region) {
    TestPatch p;
    const bool left = x0 == 0;
    p.node(left ? "P1" : "QL2", x0, 0);
    p.node(left ? "QL2" : "P5", x0 + 1, 0);
    p.node(left ? "QL2" : "QL5", x0 + 1, 0.5);
    p.node(left ? "QL2" : "P6", x0 + 1, 1);
    p.node(left ? "P4" : "QL2", x0, 1);
    p.node(left ? "QL4" : "QL2", x0, 0.5);
    // Saved generated names of the shared side's nodes.
    const int shared[3] = {left ? 2 : 1, left ? 3 : 6, left ? 4 : 5};
    for (int k = 0; k < 3; ++k) p.nodes[shared[k]].name_saved = ("P$00000" + std::to_string(k + 1)).c_str();
    p.element(1, 2, 3, 6, region);
    p.element(6, 3, 4, 5, region);
    return p;
}

// The shared side's middle node of R2 displaced along it: within 1e-4 the
// same name merges, farther away it does not.
TEST(PlaneMerge, SharedSideByNameWithinAbsoluteTolerance) {
    for (const auto& [offset, nodes] : {std::pair{5e-5, 9}, {2e-4, 10}}) {
        SCOPED_TRACE(offset);
        Messages msg;
        korvex::Run run;
        const int k1 = new_patch(run, "R1", TYPE_PLANE, 1);
        const int k2 = new_patch(run, "R2", TYPE_PLANE, 2);
        ASSERT_EQ(merge_plane(run, k1, plane_square(0, "R1")), 1);
        EXPECT_EQ(run.num_nodes, 6);
        TestPatch b = plane_square(1, "R2");
        b.nodes[6].set_pos({1, 0.5 + offset, 0});
        ASSERT_EQ(merge_plane(run, k2, b), 1);
        EXPECT_EQ(run.num_nodes, nodes);
        EXPECT_EQ(run.elements[3].node[0], 2);
        EXPECT_TRUE(run.nodes3D[3].name_saved == "P$000002");
        EXPECT_TRUE(msg.has("add_to_global_plane() entered.   globalNumNodes=6\n"));
    }
}

TEST(PlaneMerge, PointOwnerMergesByName) {
    Messages msg;
    korvex::Run run;
    const int k = new_patch(run, "R1", TYPE_PLANE, 1);
    add_node(run, "P9", 0, 0);
    ASSERT_EQ(merge_plane(run, k, patch({{"P9", 3, 3}, {"R1", 4, 3}, {"R1", 4, 4}, {"R1", 3, 4}})), 1);
    EXPECT_EQ(run.elements[1].node[0], 1);
}

// Patch R1 (x in [0, 1]) with its internal point snapped onto the shared
// boundary node P$000002 at (1, 0.5): that node stands at (0.8, 0.5), named
// "PINT", and carries the boundary node's generated name in pint_tag.
TestPatch square_with_snapped_point() {
    TestPatch a = plane_square(0, "R1");
    a.nodes[3].name = "PINT";
    a.nodes[3].name_saved = "PINT";
    a.nodes[3].pint_tag = "P$000002";
    a.nodes[3].set_pos({0.8, 0.5, 0});
    a.gen[3].name = "PINT";
    return a;
}

// Whichever of R1 and its neighbour R2 comes first, the global mesh ends with
// one node there, named "PINT" at the internal point, and nothing waiting.
TEST(PlaneMerge, SnappedInternalPointMovesTheSharedNode) {
    for (const bool neighbour_first : {true, false}) {
        SCOPED_TRACE(neighbour_first ? "R2 first" : "R1 first");
        Messages msg;
        korvex::Run run;
        const int k1 = new_patch(run, "R1", TYPE_PLANE, 1);
        const int k2 = new_patch(run, "R2", TYPE_PLANE, 2);
        ASSERT_TRUE(!neighbour_first || merge_plane(run, k2, plane_square(1, "R2")) == 1);
        ASSERT_EQ(merge_plane(run, k1, square_with_snapped_point()), 1);
        if (!neighbour_first) {
            ASSERT_EQ(run.unprocessed_PINT_nodes.size(), 1u);
            EXPECT_TRUE(run.unprocessed_PINT_nodes[0].pint_tag == "P$000002");
            // An unrelated patch in between adds nothing for the waiting point.
            const int k3 = new_patch(run, "R3", TYPE_PLANE, 3);
            ASSERT_EQ(merge_plane(run, k3, patch({{"R3", 10, 10}, {"R3", 11, 10}, {"R3", 11, 11}, {"R3", 10, 11}}, {1, 2, 3, 4}, "R3")), 1);
            EXPECT_EQ(run.num_nodes, 10);
            EXPECT_EQ(run.unprocessed_PINT_nodes.size(), 1u);
            ASSERT_EQ(merge_plane(run, k2, plane_square(1, "R2")), 1);
            EXPECT_EQ(run.elements[4].node[3], 3);  // R2's element uses the internal point's node
        }
        EXPECT_EQ(run.num_nodes, neighbour_first ? 9 : 13);
        int pint = 0;
        for (int j = 1; j <= run.num_nodes; ++j)
            if (run.nodes3D[j].name == "PINT") {
                ++pint;
                EXPECT_DOUBLE_EQ(run.nodes3D[j].x, 0.8);
            }
        EXPECT_EQ(pint, 1);
        EXPECT_TRUE(run.unprocessed_PINT_nodes.empty());
    }
}

TEST(PlaneMerge, GeneratedNamesInGlobalMeshAreReported) {
    Messages msg;
    korvex::Run run;
    const int k = new_patch(run, "R1", TYPE_PLANE, 1);
    add_node(run, "P@000001", 7, 7);
    ASSERT_EQ(merge_plane(run, k, plane_square(0, "R1")), 1);
    EXPECT_TRUE(msg.has("Error detected in ADDTOG_P.C: globalNodes3D[    1].name=P@000001\n"));
}

TEST(PlaneMerge, LeftoverGeneratedNameAndLimitFail) {
    Messages msg;
    korvex::Run run;
    const int k = new_patch(run, "R1", TYPE_PLANE, 1);
    add_curve_with_node(run, "Q@000001", "Q@000009");
    TestPatch p = plane_square(0, "R1");
    p.nodes[2].name = "P@000007";
    p.gen[2].name = "P@000007";
    EXPECT_EQ(merge_plane(run, k, p), 0);
    EXPECT_TRUE(msg.has("Internal error in ADDTOG_P.C:\n---- nodes3D[2].name=Q@000009\n"));
    EXPECT_TRUE(msg.has("Unsuccessful completion of add_to_global_plane()\n"));

    korvex::Run small;
    small.settings.MAX_NODEL_3D = 2;
    new_patch(small, "R1", TYPE_PLANE, 1);
    msg.clear();
    EXPECT_EQ(merge_plane(small, 1, plane_square(0, "R1")), 0);
    EXPECT_TRUE(msg.has("(Identified in QUAD_TMI.C for *globalNumNodes)\n"));
}

}  // namespace
}  // namespace korvex
