// The shared mesh checker finds each kind of fault it promises to find.
#include <gtest/gtest.h>

#include "support/mesh_checker.h"

namespace korvex::test {
namespace {

// Two unit squares side by side, 1-based: 1 2 3 along the bottom, 4 5 6 along the top.
std::vector<Point2> two_square_nodes() { return {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}}; }
std::vector<Quad> two_squares() { return {{1, 2, 5, 4}, {2, 3, 6, 5}}; }
MeshCheckOptions with_chain() {
    MeshCheckOptions o;
    o.boundary_chains = {{1, 2, 3, 6, 5, 4}};
    return o;
}

bool mentions(const std::vector<std::string>& failures, const std::string& text) {
    for (const auto& f : failures)
        if (f.find(text) != std::string::npos) return true;
    return false;
}

TEST(MeshChecker, AcceptsAValidMesh) {
    EXPECT_TRUE(check_quad_mesh(two_square_nodes(), two_squares(), with_chain()).empty());
}

TEST(MeshChecker, FindsEachFault) {
    auto nodes = two_square_nodes();
    auto quads = two_squares();
    quads[1] = {2, 5, 6, 3};   // clockwise
    auto f = check_quad_mesh(nodes, quads, with_chain());
    EXPECT_TRUE(mentions(f, "is not positive")) << join_failures(f);
    EXPECT_TRUE(mentions(f, "same direction")) << join_failures(f);

    quads = two_squares();
    quads[1] = {2, 3, 3, 5};   // repeated corner
    EXPECT_TRUE(mentions(check_quad_mesh(nodes, quads), "not distinct"));

    quads = two_squares();
    quads.push_back({2, 3, 6, 5});   // third element on edges 2-5 and others
    EXPECT_TRUE(mentions(check_quad_mesh(nodes, quads), "more than two elements"));

    nodes.push_back({5, 5});   // unused node 7
    EXPECT_TRUE(mentions(check_quad_mesh(nodes, two_squares()), "node 7 is used by no element"));

    nodes = two_square_nodes();
    nodes.push_back({1, 0});   // node 7 on top of node 2
    auto with_dup = two_squares();
    with_dup.push_back({7, 3, 6, 5});
    EXPECT_TRUE(mentions(check_quad_mesh(nodes, with_dup), "coincide"));

    MeshCheckOptions wrong_chain;
    wrong_chain.boundary_chains = {{1, 2, 3, 6, 4}};   // misses node 5
    f = check_quad_mesh(two_square_nodes(), two_squares(), wrong_chain);
    EXPECT_TRUE(mentions(f, "not on the boundary chain")) << join_failures(f);
    EXPECT_TRUE(mentions(f, "is not a free edge")) << join_failures(f);

    nodes = two_square_nodes();
    nodes[4] = {0.3, 0.3};   // node 5 pulled inside element 1: a dart, reflex at node 5
    f = check_quad_mesh(nodes, two_squares());
    EXPECT_TRUE(mentions(f, "folded or flat")) << join_failures(f);
}

TEST(MeshChecker, ZeroBasedNumberingAndThreeDimensionalPlanes) {
    MeshCheckOptions o;
    o.base = 0;
    o.boundary_chains = {{0, 1, 2, 5, 4, 3}};
    const std::vector<Quad> quads = {{0, 1, 4, 3}, {1, 2, 5, 4}};
    EXPECT_TRUE(check_quad_mesh(two_square_nodes(), quads, o).empty());
    // The same squares standing in the plane x = 0 (y, z), seen from +x: valid;
    // seen from -x they run clockwise.
    std::vector<Point3> nodes3;
    for (const Point2& p : two_square_nodes()) nodes3.push_back({0, p[0], p[1]});
    EXPECT_TRUE(check_quad_mesh(nodes3, quads, {1, 0, 0}, o).empty());
    EXPECT_TRUE(mentions(check_quad_mesh(nodes3, quads, {-1, 0, 0}, o), "is not positive"));
}

}  // namespace
}  // namespace korvex::test
