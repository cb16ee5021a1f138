// The merge of each mesher's patch mesh: a mesh the merge refuses is
// reported with the line of the mesher's route, and a good one reaches the
// global mesh.
#include <gtest/gtest.h>

#include <string>

#include "pipeline/patch_merge.h"
#include "support/message_capture.h"

namespace korvex::test {
namespace {

using MergeFn = int (*)(Run&, const Subregion&, PatchMesh&);

// A mesh that claims more nodes than its arrays hold.
PatchMesh short_mesh() {
    PatchMesh m;
    m.num_nodes = 5;
    m.nodes = Array1<Node3D>(2);
    m.gen_nodes = Array1<GenNode>(2);
    return m;
}

TEST(PatchMerge, AFailedMergeReportsTheLineOfItsRoute) {
    struct Case {
        MergeFn merge;
        const char* line;
    };
    const Case cases[] = {
        {merge_plane_mesh, "Unsuccessful return from add_to_global() to PLANE_PA.C\n"},
        {merge_cylinder_mesh, "Unsuccessful return from add_to_global()   (1)\n"},
        {merge_transfinite_mesh, "Unsuccessful return from add_to_global()   (2)\n"},
        {merge_rev2_mesh, "Unsuccessful return from add_to_global()   (3)\n"},
        {merge_triangular_mesh, "Unsuccessful return from add_to_global()   (4)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        MessageCapture messages;
        korvex::Run run;
        Subregion s;
        s.name = "R1";
        PatchMesh m = short_mesh();
        EXPECT_EQ(c.merge(run, s, m), 0);
        EXPECT_TRUE(messages.contains(c.line)) << messages.text();
        EXPECT_FALSE(messages.contains("nodal coordinates calculation complete"));
        EXPECT_EQ(run.num_nodes, 0);
    }
}

TEST(PatchMerge, AMergedTransfiniteMeshSaysItIsComplete) {
    MessageCapture messages;
    korvex::Run run;
    Subregion s;
    s.name = "R1";
    s.type = TYPE_BILINEAR;
    s.id = 7;
    PatchMesh m;
    m.num_nodes = 4;
    m.nodes = Array1<Node3D>(4);
    m.gen_nodes = Array1<GenNode>(4);
    const double xy[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 1; i <= 4; ++i) {
        m.nodes[i].set_pos({xy[i - 1][0], xy[i - 1][1], 0});
        m.nodes[i].name = m.gen_nodes[i].name = "R1";
        m.nodes[i].id = i;
    }
    m.num_elements = 1;
    m.elements = Array1<GenElement>(1);
    m.elements[1].corner1 = 1;
    m.elements[1].corner2 = 2;
    m.elements[1].corner3 = 3;
    m.elements[1].corner4 = 4;
    m.elements[1].name = "R1";
    ASSERT_EQ(merge_transfinite_mesh(run, s, m), 1) << messages.text();
    EXPECT_TRUE(messages.contains("\n ... nodal coordinates calculation complete. \n"));
    EXPECT_EQ(run.num_nodes, 4);
    ASSERT_EQ(run.num_elements, 1);
    EXPECT_EQ(run.elements[1].id, 7);
}

}  // namespace
}  // namespace korvex::test
