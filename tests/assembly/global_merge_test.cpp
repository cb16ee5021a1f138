// Merging curved-patch meshes into the global mesh (add_to_global).
#include <random>

#include <gtest/gtest.h>

#include "assembly/global_merge.h"
#include "assembly/merge_index.h"
#include "assembly_fixture.h"

namespace korvex {
namespace {

using assembly_test::add_global_node;
using assembly_test::merge;
using assembly_test::Messages;
using assembly_test::new_patch;
using assembly_test::PatchMesh;

// Unit square [x0, x0+1] x [0, 1] as one element; the side x = x0 + 1 lies on
// curve "QL2", the side x = x0 on "QL1".
PatchMesh square(double x0, const char* region) {
    PatchMesh p;
    p.node("QL1", x0, 0);
    p.node("QL2", x0 + 1, 0);
    p.node("QL2", x0 + 1, 1);
    p.node("QL1", x0, 1);
    p.element(1, 2, 3, 4, region);
    return p;
}

TEST(GlobalMerge, PatchesSharingACurveShareItsNodes) {
    Messages msg;
    korvex::Run run;
    const int k1 = new_patch(run, "R1", TYPE_BILINEAR, 1);
    const int k2 = new_patch(run, "R2", TYPE_BILINEAR, 2);
    PatchMesh a = square(0, "R1");
    ASSERT_EQ(merge(run, k1, a), 1);
    EXPECT_EQ(run.num_nodes, 4);
    PatchMesh b = square(1, "R2");  // its QL1 side is a's QL2 side
    ASSERT_EQ(merge(run, k2, b), 1);
    EXPECT_EQ(run.num_nodes, 6);
    EXPECT_EQ(run.num_elements, 2);
    EXPECT_EQ(run.elements[2].node, (std::array<int, 4>{2, 5, 6, 3}));
    EXPECT_TRUE(run.elements[2].name == "R2");
    EXPECT_EQ(run.elements[2].id, 2);
    EXPECT_EQ(run.nodes3D[6].id, 6);
    EXPECT_TRUE(msg.has("\n\nadd_to_global() entered\n  num_nodes=4 globalNumNodes=4\n"));
}

// Patch with node 2 displaced by `offset`·h from global node 2 (h = 1, the
// distance to node 1).
int merged_count_with_offset(double offset) {
    korvex::Run run;
    const int k = new_patch(run, "R1", TYPE_BILINEAR, 1);
    add_global_node(run, "QL9", 5, 5);
    add_global_node(run, "QL1", 1, 0);
    PatchMesh p;
    p.node("QL1", 0, 0);
    p.node("QL1", 1 + offset, 0);
    p.node("R1", 1, 1);
    p.node("R1", 0, 1);
    p.element(1, 2, 3, 4, "R1");
    EXPECT_EQ(merge(run, k, p), 1);
    return run.num_nodes;
}

TEST(GlobalMerge, CoordinateToleranceIsRelativeToNeighbourDistance) {
    Messages msg;
    EXPECT_EQ(merged_count_with_offset(1e-6), 2 + 3);
    EXPECT_EQ(merged_count_with_offset(1e-4), 2 + 4);
}

TEST(GlobalMerge, CoincidentConsecutiveNodesStillMatchByCoordinates) {
    Messages msg;
    korvex::Run run;
    const int k = new_patch(run, "R1", TYPE_BILINEAR, 1);
    add_global_node(run, "QL1", 1, 0);
    PatchMesh p;
    p.node("QL1", 0, 0);
    p.node("QL1", 1, 0);
    p.node("QL1", 1, 0);  // coincides with its predecessor: h would be 0
    p.node("R1", 1, 1);
    p.element(1, 2, 4, 3, "R1");
    ASSERT_EQ(merge(run, k, p), 1);
    // Both coincident patch nodes find global node 1; only the other two are new.
    EXPECT_EQ(run.num_nodes, 3);
    EXPECT_EQ(run.elements[1].node, (std::array<int, 4>{2, 1, 3, 1}));
}

TEST(GlobalMerge, NodesMadeByTheSameCallAreNotCandidates) {
    Messages msg;
    korvex::Run run;
    const int k = new_patch(run, "R1", TYPE_BILINEAR, 1);
    PatchMesh p;
    p.node("QL1", 0, 0);
    p.node("QL1", 1, 0);
    p.node("R1", 1, 0);
    p.node("R1", 0, 1);
    p.element(1, 2, 3, 4, "R1");
    ASSERT_EQ(merge(run, k, p), 1);
    EXPECT_EQ(run.num_nodes, 4);
}

TEST(GlobalMerge, PointOwnerNameMergesRegardlessOfDistance) {
    Messages msg;
    korvex::Run run;
    const int k = new_patch(run, "R1", TYPE_BILINEAR, 1);
    add_global_node(run, "QL1", 9, 9);
    add_global_node(run, "P7", 0, 0);
    PatchMesh p;
    p.node("P7", 50, 50);
    p.node("R1", 51, 50);
    p.node("R1", 51, 51);
    p.node("R1", 50, 51);
    p.element(1, 2, 3, 4, "R1");
    ASSERT_EQ(merge(run, k, p), 1);
    EXPECT_EQ(run.elements[1].node[0], 2);
    EXPECT_EQ(run.num_nodes, 5);
}

TEST(GlobalMerge, InternalPointNameNeverMergesByNameAlone) {
    Messages msg;
    korvex::Run run;
    const int k = new_patch(run, "R1", TYPE_BILINEAR, 1);
    add_global_node(run, "PINT", 0, 0);
    PatchMesh p;
    p.node("PINT", 50, 50);
    p.node("R1", 51, 50);
    p.node("R1", 51, 51);
    p.node("R1", 50, 51);
    p.element(1, 2, 3, 4, "R1");
    ASSERT_EQ(merge(run, k, p), 1);
    EXPECT_EQ(run.num_nodes, 5);
}

TEST(GlobalMerge, CurveNodeOnPointNodeIsSecondSection) {
    Messages msg;
    korvex::Run run;
    const int k = new_patch(run, "R1", TYPE_BILINEAR, 1);
    add_global_node(run, "P1", 1, 0);
    PatchMesh p;
    p.node("C1", 0, 0, 0, "C1");
    p.node("C1", 1, 0, 0, "C1");
    p.node("R1", 1, 1);
    p.node("R1", 0, 1);
    p.element(1, 2, 3, 4, "R1");
    ASSERT_EQ(merge(run, k, p), 1);
    EXPECT_TRUE(run.nodes3D[1].name == "C1");
    EXPECT_TRUE(msg.has("\nInfo in ADDTOGLO(): 2nd section detection.\n"));
}

// A model curve "QL1" read as "QL7" whose generated node P$000001 sits at (1, 0).
void add_curve_with_node(korvex::Run& run, const char* name_original) {
    run.nCurves = 1;
    run.curves.ensure(1);
    run.curves[1].name = "QL1";
    run.curves[1].name_original = name_original;
    run.curves[1].step = 1;
    run.curves[1].num_new_points = 1;
    run.curves[1].new_points_id[1] = 1;
    run.new_points.ensure(1);
    run.new_points[1].name = "P$000001";
    run.new_points[1].set_pos({1, 0, 0});
    run.num_new_points = 1;
}

PatchMesh patch_with_generated_node(const char* name, double x) {
    PatchMesh p;
    p.node("P1", 0, 0);
    p.node(name, x, 0);
    p.node("R1", 1, 1);
    p.node("R1", 0, 1);
    p.element(1, 2, 3, 4, "R1");
    return p;
}

TEST(GlobalMerge, GeneratedNamesAreRestoredFromTheCurve) {
    Messages msg;
    korvex::Run run;
    const int k = new_patch(run, "R1", TYPE_BILINEAR, 1);
    add_curve_with_node(run, "QL7");
    PatchMesh p = patch_with_generated_node("P@000004", 1 + 1e-7);
    ASSERT_EQ(merge(run, k, p), 1);
    EXPECT_TRUE(msg.has("Coincidence found by COORDINATES.\n"));
    EXPECT_TRUE(msg.has("\tName replacement found:  QL7\n"));
    EXPECT_TRUE(run.nodes3D[2].name == "QL7");

    PatchMesh q = patch_with_generated_node("P$000001", 3);  // by name, far away
    q.gen[2].name = "P@000001";
    msg.clear();
    ASSERT_EQ(merge(run, k, q), 1);
    EXPECT_TRUE(msg.has("Coincidence found BY NAME.\n"));
}

TEST(GlobalMerge, UnrestorableGeneratedNameFails) {
    Messages msg;
    korvex::Run run;
    const int k = new_patch(run, "R1", TYPE_BILINEAR, 1);
    add_curve_with_node(run, "QL7");
    PatchMesh p = patch_with_generated_node("P@000004", 1.5);
    EXPECT_EQ(merge(run, k, p), 0);
    EXPECT_TRUE(msg.has("Error: no name replacement found.\n"));
    EXPECT_TRUE(msg.has("Unsuccessful completion of add_to_global\n"));
}

TEST(GlobalMerge, NameStillGeneratedAfterRestorationIsInternalError) {
    Messages msg;
    korvex::Run run;
    const int k = new_patch(run, "R1", TYPE_BILINEAR, 1);
    add_curve_with_node(run, "Q@000002");  // the curve's own read name is generated
    PatchMesh p = patch_with_generated_node("P@000004", 1);
    EXPECT_EQ(merge(run, k, p), 0);
    EXPECT_TRUE(msg.has("Internal error in ADDTOGLO.C: \n  nodes3D[2].name=Q@000002\n"));
    EXPECT_EQ(run.num_nodes, 1);  // no blank node is left behind
}

TEST(GlobalMerge, ArcMiddlePointNamesInteriorNode) {
    Messages msg;
    korvex::Run run;
    const int k = new_patch(run, "R1", TYPE_BILINEAR, 1);
    run.nCurves = 1;
    run.curves.ensure(1);
    run.curves[1].name = "C1";
    run.curves[1].step = 1;
    run.curves[1].second_point[0] = 1;
    run.curves[1].second_point[1] = 1;
    run.curves[1].second_point_name = "PM";
    PatchMesh p = square(0, "R1");
    p.gen[3].name = "R1";
    ASSERT_EQ(merge(run, k, p), 1);
    EXPECT_TRUE(run.nodes3D[3].name == "PM");
    EXPECT_TRUE(msg.has("Coincidence if an arc midpoint and a node found by COORDINATES.\n"));
}

TEST(GlobalMerge, NodeAndElementLimits) {
    Messages msg;
    korvex::Run run;
    run.settings.MAX_NODEL_3D = 3;
    const int k = new_patch(run, "R1", TYPE_BILINEAR, 1);
    PatchMesh p = square(0, "R1");
    EXPECT_EQ(merge(run, k, p), 0);
    EXPECT_TRUE(msg.has("Increase MAX_NODEL_3D(currently=3)\n"));
    EXPECT_TRUE(msg.has("(Identified in ADDTOGLO.C for *globalNumNodes)\n"));
    EXPECT_EQ(run.num_nodes, 3);

    korvex::Run full;
    full.settings.MAX_NODEL_3D = 4;
    PatchMesh two = square(0, "R1");
    two.element(1, 2, 3, 4, "R1");
    new_patch(full, "R1", TYPE_BILINEAR, 1);
    two.element(1, 2, 3, 4, "R1");
    two.element(1, 2, 3, 4, "R1");
    two.element(1, 2, 3, 4, "R1");
    EXPECT_EQ(merge(full, 1, two), 0);
    EXPECT_EQ(full.num_elements, 4);
}

TEST(GlobalMerge, PlanePatchIsWarnedAbout) {
    Messages msg;
    korvex::Run run;
    const int k = new_patch(run, "R1", TYPE_PLANE, 1);
    PatchMesh p = square(0, "R1");
    ASSERT_EQ(merge(run, k, p), 1);
    EXPECT_TRUE(msg.has("Warning: PLANE patch passed into add_to_global.\n"));
}

// The index must give exactly what a scan of the global nodes in index order
// gives: random patches with repeated names and many near-coincident nodes
// are merged both ways and compared.
struct Reference {
    std::vector<Node3D> g{Node3D{}};
    std::vector<std::array<int, 4>> elements;

    void merge(const PatchMesh& p) {
        const int G = static_cast<int>(g.size()) - 1;
        std::vector<int> map(static_cast<std::size_t>(p.n) + 1);
        for (int i = 1; i <= p.n; ++i) {
            double h = distance(p.nodes[i == 1 ? 2 : i - 1].pos(), p.nodes[i].pos());
            // Coincident consecutive nodes: nearest positive distance outward.
            for (int d = 1; h == 0 && d < p.n; ++d)
                for (int j : {i - d, i + d})
                    if (h == 0 && j >= 1 && j <= p.n) h = distance(p.nodes[j].pos(), p.nodes[i].pos());
            int found = 0;
            for (int j = 1; j <= G && !found; ++j) {
                const auto owner = p.gen[i].name.view();
                if (owner[0] == 'P' && owner != "PINT" && g[j].name == owner) found = j;
                else if (distance(g[j].pos(), p.nodes[i].pos()) < 1e-5 * h) {
                    found = j;
                    if (g[j].name[0] == 'P' && (p.nodes[i].name[0] == 'C' || p.nodes[i].name[0] == 'Q'))
                        g[j].name = p.nodes[i].name;
                }
            }
            if (!found) {
                g.push_back(p.nodes[i]);
                found = static_cast<int>(g.size()) - 1;
            }
            map[static_cast<std::size_t>(i)] = found;
        }
        for (int e = 1; e <= p.m; ++e)
            elements.push_back({map[static_cast<std::size_t>(p.elements[e].corner1)],
                                map[static_cast<std::size_t>(p.elements[e].corner2)],
                                map[static_cast<std::size_t>(p.elements[e].corner3)],
                                map[static_cast<std::size_t>(p.elements[e].corner4)]});
    }
};

TEST(GlobalMerge, IndexAgreesWithScanInIndexOrder) {
    Messages msg;
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> cell(0, 6), pick(0, 5);
    const char* names[] = {"P1", "P2", "QL1", "C3", "R1", "PINT"};
    korvex::Run run;
    Reference ref;
    const int k = new_patch(run, "R1", TYPE_BILINEAR, 1);
    for (int patch = 0; patch < 40; ++patch) {
        PatchMesh p;
        // Later patches are finer, so that the grid is refined on the way.
        const double scale = patch < 20 ? 0.5 : 0.005;
        for (int i = 0; i < 12; ++i) {
            const double jitter = (pick(rng) == 0) ? 1e-9 : 0.0;
            const char* name = names[pick(rng)];
            p.node(name, cell(rng) * scale + jitter, cell(rng) * scale, 0, names[pick(rng)]);
        }
        for (int e = 0; e < 3; ++e) p.element(4 * e + 1, 4 * e + 2, 4 * e + 3, 4 * e + 4, "R1");
        ref.merge(p);
        ASSERT_EQ(merge(run, k, p), 1);
    }
    ASSERT_EQ(run.num_nodes, static_cast<int>(ref.g.size()) - 1);
    for (int j = 1; j <= run.num_nodes; ++j) EXPECT_TRUE(run.nodes3D[j].name == ref.g[static_cast<std::size_t>(j)].name);
    for (int e = 1; e <= run.num_elements; ++e) EXPECT_EQ(run.elements[e].node, ref.elements[static_cast<std::size_t>(e) - 1]);
}

TEST(GlobalMerge, ReplacedGlobalMeshIsReindexed) {
    Messages msg;
    korvex::Run run;
    const int k = new_patch(run, "R1", TYPE_BILINEAR, 1);
    PatchMesh a = square(0, "R1");
    ASSERT_EQ(merge(run, k, a), 1);
    // The global mesh is emptied and rebuilt elsewhere without telling the index.
    run.num_nodes = 0;
    add_global_node(run, "QL2", 7, 7);
    PatchMesh b = square(0, "R1");
    ASSERT_EQ(merge(run, k, b), 1);
    EXPECT_EQ(run.num_nodes, 5);
}

}  // namespace
}  // namespace korvex
