// Merging curved-patch meshes into the global mesh (add_to_global).
#include <random>

#include <gtest/gtest.h>

#include "assembly/global_merge.h"
#include "assembly/merge_index.h"
#include "assembly_fixture.h"

namespace korvex {
namespace {

using namespace assembly_test;

// A run with one bilinear patch R1 (index k) and its messages captured.
class GlobalMerge : public ::testing::Test {
protected:
    Messages msg;
    korvex::Run run;
    const int k = new_patch(run, "R1", TYPE_BILINEAR, 1);
};

// Unit square [x0, x0+1] x [0, 1] as one element; the side x = x0 + 1 lies on
// curve "QL2", the side x = x0 on "QL1".
TestPatch square(double x0, const char* region) {
    return patch({{"QL1", x0, 0}, {"QL2", x0 + 1, 0}, {"QL2", x0 + 1, 1}, {"QL1", x0, 1}}, {1, 2, 3, 4}, region);
}

TEST_F(GlobalMerge, PatchesSharingACurveShareItsNodes) {
    const int k2 = new_patch(run, "R2", TYPE_BILINEAR, 2);
    ASSERT_EQ(merge(run, k, square(0, "R1")), 1);
    EXPECT_EQ(run.num_nodes, 4);
    ASSERT_EQ(merge(run, k2, square(1, "R2")), 1);  // its QL1 side is the first's QL2 side
    EXPECT_EQ(run.num_nodes, 6);
    EXPECT_EQ(run.num_elements, 2);
    EXPECT_EQ(run.elements[2].node, (std::array<int, 4>{2, 5, 6, 3}));
    EXPECT_TRUE(run.elements[2].name == "R2");
    EXPECT_EQ(run.elements[2].id, 2);
    EXPECT_EQ(run.nodes3D[6].id, 6);
    EXPECT_TRUE(msg.has("\n\nadd_to_global() entered\n  num_nodes=4 globalNumNodes=4\n"));
}

// One patch merged into a few global nodes: which patch nodes find a global
// node (by owner name or within 1e-5 h of it, h the distance to the previous
// patch node) and which become new ones.
TEST_F(GlobalMerge, NodeMatchingByNameAndByRelativeDistance) {
    struct Case {
        const char* label;
        std::vector<N> global;
        TestPatch patch;
        int nodes;                   // global node count afterwards
        std::array<int, 4> element;  // the patch element in global numbers
        const char* message = nullptr;
        const char* first_global_name = nullptr;  // afterwards
    };
    const N R11{"R1", 1, 1}, R01{"R1", 0, 1};
    std::vector<Case> cases = {
        {"1e-6 h apart merges", {{"QL9", 5, 5}, {"QL1", 1, 0}}, patch({{"QL1", 0, 0}, {"QL1", 1 + 1e-6, 0}, R11, R01}), 5,
         {3, 2, 4, 5}},
        {"1e-4 h apart does not", {{"QL9", 5, 5}, {"QL1", 1, 0}}, patch({{"QL1", 0, 0}, {"QL1", 1 + 1e-4, 0}, R11, R01}), 6,
         {3, 4, 5, 6}},
        // h = 0 for the second of two coincident patch nodes: the nearest
        // positive neighbour distance is taken, so both find global node 1.
        {"coincident consecutive nodes", {{"QL1", 1, 0}}, patch({{"QL1", 0, 0}, {"QL1", 1, 0}, {"QL1", 1, 0}, R11}, {1, 2, 4, 3}),
         3, {2, 1, 3, 1}},
        {"nodes made by the same call are no candidates", {}, patch({{"QL1", 0, 0}, {"QL1", 1, 0}, {"R1", 1, 0}, R01}), 4,
         {1, 2, 3, 4}},
        {"point owner merges regardless of distance", {{"QL1", 9, 9}, {"P7", 0, 0}},
         patch({{"P7", 50, 50}, {"R1", 51, 50}, {"R1", 51, 51}, {"R1", 50, 51}}), 5, {2, 3, 4, 5}},
        {"an internal point never merges by name", {{"PINT", 0, 0}},
         patch({{"PINT", 50, 50}, {"R1", 51, 50}, {"R1", 51, 51}, {"R1", 50, 51}}), 5, {2, 3, 4, 5}},
        {"curve node on a point node: 2nd section", {{"P1", 1, 0}}, patch({{"C1", 0, 0}, {"C1", 1, 0}, R11, R01}), 4,
         {2, 1, 3, 4}, "\nInfo in ADDTOGLO(): 2nd section detection.\n", "C1"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.label);
        korvex::Run r;
        const int kr = new_patch(r, "R1", TYPE_BILINEAR, 1);
        for (const N& g : c.global) add_node(r, g.name, g.x, g.y);
        msg.clear();
        ASSERT_EQ(merge(r, kr, c.patch), 1);
        EXPECT_EQ(r.num_nodes, c.nodes);
        EXPECT_EQ(r.elements[1].node, c.element);
        EXPECT_TRUE(!c.message || msg.has(c.message));
        EXPECT_TRUE(!c.first_global_name || r.nodes3D[1].name == c.first_global_name);
    }
}

TestPatch patch_with_generated_node(const char* name, double x) {
    return patch({{"P1", 0, 0}, {name, x, 0}, {"R1", 1, 1}, {"R1", 0, 1}});
}

TEST_F(GlobalMerge, GeneratedNamesAreRestoredFromTheCurve) {
    add_curve_with_node(run, "QL1", "QL7");
    ASSERT_EQ(merge(run, k, patch_with_generated_node("P@000004", 1 + 1e-7)), 1);
    EXPECT_TRUE(msg.has("Coincidence found by COORDINATES.\n"));
    EXPECT_TRUE(msg.has("\tName replacement found:  QL7\n"));
    EXPECT_TRUE(run.nodes3D[2].name == "QL7");

    TestPatch q = patch_with_generated_node("P$000001", 3);  // by name, far away
    q.gen[2].name = "P@000001";
    msg.clear();
    ASSERT_EQ(merge(run, k, q), 1);
    EXPECT_TRUE(msg.has("Coincidence found BY NAME.\n"));
}

TEST_F(GlobalMerge, GeneratedNameThatCannotBeRestoredFails) {
    struct Case {
        const char* label;
        const char* curve_read_as;
        double x;
        const char* message;
        int nodes_left;  // no blank node is left behind
    };
    const Case cases[] = {
        {"no curve node near", "QL7", 1.5, "Error: no name replacement found.\n", 0},
        // The curve's own read name is generated: an internal error.
        {"still generated", "Q@000002", 1, "Internal error in ADDTOGLO.C: \n  nodes3D[2].name=Q@000002\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        korvex::Run r;
        const int kr = new_patch(r, "R1", TYPE_BILINEAR, 1);
        add_curve_with_node(r, "QL1", c.curve_read_as);
        msg.clear();
        EXPECT_EQ(merge(r, kr, patch_with_generated_node("P@000004", c.x)), 0);
        EXPECT_TRUE(msg.has(c.message));
        EXPECT_TRUE(msg.has("Unsuccessful completion of add_to_global\n"));
        EXPECT_EQ(r.num_nodes, c.nodes_left);
    }
}

TEST_F(GlobalMerge, ArcMiddlePointNamesInteriorNode) {
    run.nCurves = 1;
    run.curves.ensure(1);
    run.curves[1].name = "C1";
    run.curves[1].step = 1;
    run.curves[1].second_point[0] = 1;
    run.curves[1].second_point[1] = 1;
    run.curves[1].second_point_name = "PM";
    TestPatch p = square(0, "R1");
    p.gen[3].name = "R1";
    ASSERT_EQ(merge(run, k, p), 1);
    EXPECT_TRUE(run.nodes3D[3].name == "PM");
    EXPECT_TRUE(msg.has("Coincidence if an arc midpoint and a node found by COORDINATES.\n"));
}

TEST_F(GlobalMerge, NodeAndElementLimitsAndPlaneWarning) {
    run.settings.MAX_NODEL_3D = 3;
    EXPECT_EQ(merge(run, k, square(0, "R1")), 0);
    EXPECT_TRUE(msg.has("Increase MAX_NODEL_3D(currently=3)\n"));
    EXPECT_TRUE(msg.has("(Identified in ADDTOGLO.C for *globalNumNodes)\n"));
    EXPECT_EQ(run.num_nodes, 3);

    korvex::Run full;  // four nodes fit, the fifth element does not
    full.settings.MAX_NODEL_3D = 4;
    new_patch(full, "R1", TYPE_BILINEAR, 1);
    TestPatch five = square(0, "R1");
    for (int e = 0; e < 4; ++e) five.element(1, 2, 3, 4, "R1");
    EXPECT_EQ(merge(full, 1, five), 0);
    EXPECT_EQ(full.num_elements, 4);

    korvex::Run plane;
    new_patch(plane, "R1", TYPE_PLANE, 1);
    ASSERT_EQ(merge(plane, 1, square(0, "R1")), 1);
    EXPECT_TRUE(msg.has("Warning: PLANE patch passed into add_to_global.\n"));
}

// The index must give exactly what a scan of the global nodes in index order
// gives: random patches with repeated names and many near-coincident nodes
// are merged both ways and compared.
struct Reference {
    std::vector<Node3D> g{Node3D{}};
    std::vector<std::array<int, 4>> elements;

    void merge(const TestPatch& p) {
        const int G = static_cast<int>(g.size()) - 1;
        std::vector<int> map(p.n + 1);
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
            if (!found) g.push_back(p.nodes[i]);
            map[i] = found ? found : static_cast<int>(g.size()) - 1;
        }
        for (int e = 1; e <= p.m; ++e) {
            const GenElement& q = p.elements[e];
            elements.push_back({map[q.corner1], map[q.corner2], map[q.corner3], map[q.corner4]});
        }
    }
};

TEST_F(GlobalMerge, IndexAgreesWithScanInIndexOrder) {
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> cell(0, 6), pick(0, 5);
    const char* names[] = {"P1", "P2", "QL1", "C3", "R1", "PINT"};
    Reference ref;
    for (int patch = 0; patch < 40; ++patch) {
        TestPatch p;
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
    for (int j = 1; j <= run.num_nodes; ++j) EXPECT_TRUE(run.nodes3D[j].name == ref.g[j].name);
    for (int e = 1; e <= run.num_elements; ++e) EXPECT_EQ(run.elements[e].node, ref.elements[e - 1]);
}

TEST_F(GlobalMerge, ReplacedGlobalMeshIsReindexed) {
    ASSERT_EQ(merge(run, k, square(0, "R1")), 1);
    // The global mesh is emptied and rebuilt elsewhere without telling the index.
    run.num_nodes = 0;
    add_node(run, "QL2", 7, 7);
    ASSERT_EQ(merge(run, k, square(0, "R1")), 1);
    EXPECT_EQ(run.num_nodes, 5);
}

}  // namespace
}  // namespace korvex
