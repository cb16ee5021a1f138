// Element validity in a patch's own frame and the untangling of failing
// elements: meshes that must stay untouched, and repairs that move only free
// interior nodes.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "patches/common/patch_untangling.h"
#include "support/mesh_checker.h"
#include "support/message_capture.h"

namespace korvex::test {
namespace {

struct PatchMesh {
    int num_nodes = 0;
    Array1<GenNode> nodes;
    int num_elements = 0;
    Array1<GenElement> elements;
};

// A (cells+1) x (cells+1) grid of unit squares, counter-clockwise; the nodes
// on its border are boundary nodes, the others interior.
PatchMesh grid(int cells) {
    PatchMesh m;
    const int side = cells + 1;
    for (int j = 0; j < side; ++j)
        for (int i = 0; i < side; ++i) {
            m.nodes.ensure(++m.num_nodes);
            GenNode& n = m.nodes[m.num_nodes];
            n.x = i;
            n.y = j;
            const bool border = i == 0 || j == 0 || i == cells || j == cells;
            n.kind = border ? NODE_KIND_ENTITY : NODE_KIND_INTERIOR;
            n.name = border ? "L1" : "R1";
        }
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i) {
            m.elements.ensure(++m.num_elements);
            GenElement& e = m.elements[m.num_elements];
            const int a = j * side + i + 1;
            e.corner1 = a;
            e.corner2 = a + 1;
            e.corner3 = a + side + 1;
            e.corner4 = a + side;
            e.name = "R1";
        }
    return m;
}

int node_at(const PatchMesh& m, double x, double y) {
    for (int i = 1; i <= m.num_nodes; ++i)
        if (m.nodes[i].x == x && m.nodes[i].y == y) return i;
    return 0;
}

std::vector<std::string> check(const PatchMesh& m) {
    std::vector<Point2> nodes;
    std::vector<Quad> quads;
    for (int i = 1; i <= m.num_nodes; ++i) nodes.push_back({m.nodes[i].x, m.nodes[i].y});
    for (int e = 1; e <= m.num_elements; ++e) {
        const GenElement& el = m.elements[e];
        quads.push_back({el.corner1, el.corner2, el.corner3, el.corner4});
    }
    return check_quad_mesh(nodes, quads);
}

int untangle(PatchMesh& m) { return untangle_patch_mesh("R1", m.num_nodes, m.nodes, m.num_elements, m.elements); }

TEST(PatchUntangling, AValidMeshIsLeftBitForBit) {
    PatchMesh m = grid(4);
    m.nodes[node_at(m, 2, 2)].x = 2.6;  // skewed, still valid
    const PatchMesh before = m;
    MessageCapture messages;
    EXPECT_EQ(untangle(m), 0);
    EXPECT_TRUE(messages.all().empty());
    ASSERT_EQ(m.num_nodes, before.num_nodes);
    for (int i = 1; i <= m.num_nodes; ++i) {
        EXPECT_EQ(m.nodes[i].x, before.nodes[i].x);
        EXPECT_EQ(m.nodes[i].y, before.nodes[i].y);
    }
}

TEST(PatchUntangling, ClockwisePatchesAreJudgedByTheirOwnOrientation) {
    PatchMesh m = grid(2);
    for (int i = 1; i <= m.num_nodes; ++i) m.nodes[i].y = -m.nodes[i].y;  // mirrored: every element clockwise
    EXPECT_EQ(patch_orientation(m.nodes, m.num_elements, m.elements), -1);
    EXPECT_TRUE(invalid_patch_elements(m.nodes, m.num_elements, m.elements, -1).empty());
    m.nodes[node_at(m, 1, -1)].y = -3.5;  // folds elements over the border
    EXPECT_FALSE(invalid_patch_elements(m.nodes, m.num_elements, m.elements, -1).empty());
    EXPECT_EQ(untangle(m), 0);
}

TEST(PatchUntangling, FoldedInteriorNodesMoveBackAndTheBorderStays) {
    struct Case {
        const char* what;
        double x, y;  // where the interior node (2, 2) of a 4 x 4 grid is put
    };
    const Case cases[] = {
        {"across an edge: four elements inverted or non-convex", 3.4, 2.2},
        {"onto a neighbour's diagonal: three nodes in a line", 3.0, 3.0},
        {"far outside its star", -1.5, 0.5},
    };
    for (const Case& c : cases) {
        PatchMesh m = grid(4);
        m.nodes[node_at(m, 2, 2)].x = c.x;
        m.nodes[node_at(m, 2, 2)].y = c.y;
        const PatchMesh before = m;
        MessageCapture messages;
        EXPECT_EQ(untangle(m), 0) << c.what;
        EXPECT_TRUE(check(m).empty()) << c.what << "\n" << join_failures(check(m));
        for (int i = 1; i <= m.num_nodes; ++i)
            if (m.nodes[i].kind != NODE_KIND_INTERIOR) {
                EXPECT_EQ(m.nodes[i].x, before.nodes[i].x) << c.what;
                EXPECT_EQ(m.nodes[i].y, before.nodes[i].y) << c.what;
            }
        ASSERT_EQ(messages.all().size(), 1u) << c.what;
        EXPECT_NE(messages.all()[0].find(" Subregion R1: "), std::string::npos);
    }
}

TEST(PatchUntangling, AnInteriorNodeOfTwoElementsIsRemoved) {
    // Two squares side by side; a node in the middle of the left one splits it
    // into two elements that share both of its edges.
    PatchMesh m = grid(2);
    const int b = node_at(m, 1, 0), c = node_at(m, 1, 1);
    m.nodes.ensure(++m.num_nodes);
    GenNode& mid = m.nodes[m.num_nodes];
    mid.x = 0.5;
    mid.y = 0.5;
    mid.kind = NODE_KIND_INTERIOR;
    mid.name = "R1";
    // Element 1 was (0,0) (1,0) (1,1) (0,1); it becomes two around mid.
    GenElement& e1 = m.elements[1];
    const int origin = e1.corner1;
    e1 = GenElement{m.num_nodes, origin, b, c, "R1", 1};
    m.elements.ensure(++m.num_elements);
    m.elements[m.num_elements] = GenElement{m.num_nodes, c, node_at(m, 0, 1), origin, "R1", 1};
    // Put mid on the diagonal: both of its angles are 180 degrees.
    ASSERT_FALSE(invalid_patch_elements(m.nodes, m.num_elements, m.elements, 1).empty());
    MessageCapture messages;
    EXPECT_EQ(untangle(m), 0);
    EXPECT_EQ(m.num_nodes, 9);
    EXPECT_EQ(m.num_elements, 4);
    EXPECT_TRUE(check(m).empty()) << join_failures(check(m));
}

TEST(PatchUntangling, AFoldOfFixedNodesIsRePairedAndTheFixedNodesStay) {
    // The interior node is an internal point pulled next to the far corner:
    // no node may move, so the elements around it are re-paired, the point
    // joined to that corner, with two new interior nodes.
    PatchMesh m = grid(2);
    const int p = node_at(m, 1, 1);
    m.nodes[p].name = "PINT";
    m.nodes[p].kind = NODE_KIND_POINT;
    m.nodes[p].x = 1.8;
    m.nodes[p].y = 1.9;
    const PatchMesh before = m;
    ASSERT_FALSE(invalid_patch_elements(m.nodes, m.num_elements, m.elements, 1).empty());
    MessageCapture messages;
    EXPECT_EQ(untangle(m), 0);
    EXPECT_EQ(m.num_nodes, before.num_nodes + 2);
    EXPECT_EQ(m.num_elements, before.num_elements + 2);
    for (int i = 1; i <= before.num_nodes; ++i) {
        EXPECT_EQ(m.nodes[i].x, before.nodes[i].x);
        EXPECT_EQ(m.nodes[i].y, before.nodes[i].y);
    }
    for (int i = before.num_nodes + 1; i <= m.num_nodes; ++i) {
        EXPECT_EQ(m.nodes[i].kind, NODE_KIND_INTERIOR);
        EXPECT_EQ(m.nodes[i].name, "R1");
    }
    EXPECT_TRUE(check(m).empty()) << join_failures(check(m));
}

TEST(PatchUntangling, AHopelessElementIsGivenBack) {
    // One element folded over itself, alone: nothing can move and there is
    // no neighbour to re-pair it with.
    PatchMesh m = grid(1);
    std::swap(m.nodes[3].x, m.nodes[4].x);
    const PatchMesh before = m;
    MessageCapture messages;
    EXPECT_EQ(untangle(m), 1);
    EXPECT_TRUE(messages.all().empty());
    ASSERT_EQ(m.num_nodes, before.num_nodes);
    ASSERT_EQ(m.num_elements, before.num_elements);
    for (int i = 1; i <= m.num_nodes; ++i) EXPECT_EQ(m.nodes[i].x, before.nodes[i].x);
}

}  // namespace
}  // namespace korvex::test
