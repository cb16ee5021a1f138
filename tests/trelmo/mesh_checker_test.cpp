// The shared mesh checker finds each kind of fault it promises to find.
#include <gtest/gtest.h>

#include <cmath>

#include "support/mesh_checker.h"

namespace korvex::test {
namespace {

// Two unit squares side by side, 1-based: 1 2 3 along the bottom, 4 5 6 along the top.
const std::vector<Point2> kNodes = {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}};
const std::vector<Quad> kQuads = {{1, 2, 5, 4}, {2, 3, 6, 5}};

std::vector<Point2> nodes_with(int k, Point2 p) {   // node k moved to p (k = 7 appends)
    std::vector<Point2> n = kNodes;
    if (k > static_cast<int>(n.size())) n.push_back(p);
    else n[static_cast<std::size_t>(k - 1)] = p;
    return n;
}

TEST(MeshChecker, AcceptsAValidMeshAndFindsEachFault) {
    struct Case {
        const char* name;
        std::vector<Point2> nodes;
        std::vector<Quad> quads;
        std::vector<std::vector<int>> chains;
        std::vector<std::string> expected;   // empty = valid
    };
    const std::vector<std::vector<int>> chain = {{1, 2, 3, 6, 5, 4}};
    const Case cases[] = {
        {"valid", kNodes, kQuads, chain, {}},
        {"clockwise", kNodes, {{1, 2, 5, 4}, {2, 5, 6, 3}}, chain, {"is not positive", "same direction"}},
        {"repeated_corner", kNodes, {{1, 2, 5, 4}, {2, 3, 3, 5}}, {}, {"not distinct"}},
        {"edge_in_three", kNodes, {{1, 2, 5, 4}, {2, 3, 6, 5}, {2, 3, 6, 5}}, {}, {"more than two elements"}},
        {"unused_node", nodes_with(7, {5, 5}), kQuads, {}, {"node 7 is used by no element"}},
        {"coincident", nodes_with(7, {1, 0}), {{1, 2, 5, 4}, {2, 3, 6, 5}, {7, 3, 6, 5}}, {}, {"coincide"}},
        {"chain_misses_node_5", kNodes, kQuads, {{1, 2, 3, 6, 4}}, {"not on the boundary chain", "is not a free edge"}},
        // Node 5 pulled inside element 1: a dart, reflex at node 5.
        {"dart", nodes_with(5, {0.3, 0.3}), kQuads, {}, {"folded or flat"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeshCheckOptions o;
        o.boundary_chains = c.chains;
        const auto failures = check_quad_mesh(c.nodes, c.quads, o);
        EXPECT_EQ(failures.empty(), c.expected.empty()) << join_failures(failures);
        for (const std::string& text : c.expected)
            EXPECT_NE(join_failures(failures).find(text), std::string::npos) << text << "\n" << join_failures(failures);
    }
}

TEST(MeshChecker, ZeroBasedNumberingAndThreeDimensionalPlanes) {
    MeshCheckOptions o;
    o.base = 0;
    o.boundary_chains = {{0, 1, 2, 5, 4, 3}};
    const std::vector<Quad> quads = {{0, 1, 4, 3}, {1, 2, 5, 4}};
    EXPECT_TRUE(check_quad_mesh(kNodes, quads, o).empty());
    // The same squares standing in the plane x = 0 (y, z), seen from +x: valid;
    // seen from -x they run clockwise.
    std::vector<Point3> nodes3;
    for (const Point2& p : kNodes) nodes3.push_back({0, p[0], p[1]});
    EXPECT_TRUE(check_quad_mesh(nodes3, quads, {1, 0, 0}, o).empty());
    EXPECT_NE(join_failures(check_quad_mesh(nodes3, quads, {-1, 0, 0}, o)).find("is not positive"), std::string::npos);
}


// A quarter cylinder of radius 2 about z, n × m elements, outward normals.
struct CylinderGrid {
    std::vector<Point3> nodes;
    std::vector<Quad> quads;
    CylinderGrid(int n, int m) {
        for (int j = 0; j <= m; ++j)
            for (int i = 0; i <= n; ++i) {
                const double t = 1.5707963267948966 * i / n;
                nodes.push_back({2 * std::cos(t), 2 * std::sin(t), 3.0 * j / m});
            }
        auto id = [n](int i, int j) { return j * (n + 1) + i + 1; };
        for (int j = 0; j < m; ++j)
            for (int i = 0; i < n; ++i) quads.push_back({id(i, j), id(i + 1, j), id(i + 1, j + 1), id(i, j + 1)});
    }
};

TEST(MeshChecker, CurvedMeshesAreCheckedInThreeDimensions) {
    CurvedMeshCheck check;
    check.surface = cylinder_surface({0, 0, 0}, {0, 0, 1}, 2.0);
    check.max_distance = 1e-12;
    struct Case {
        const char* name;
        void (*change)(CylinderGrid&);
        const char* expected;  // nullptr = valid
    };
    const Case cases[] = {
        {"valid", [](CylinderGrid&) {}, nullptr},
        {"flipped_element", [](CylinderGrid& g) { std::swap(g.quads[4][1], g.quads[4][3]); }, "inconsistent orientation"},
        {"node_off_surface", [](CylinderGrid& g) { g.nodes[7][0] *= 1.01; }, "from the surface"},
        {"folded_corner", [](CylinderGrid& g) { g.nodes[7][2] += 0.9; }, "scaled Jacobian"},
        {"edge_in_three", [](CylinderGrid& g) { g.quads.push_back(g.quads[0]); }, "more than two elements"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CylinderGrid g(6, 4);
        c.change(g);
        const CurvedMeshReport r = check_curved_quad_mesh(g.nodes, g.quads, {}, check);
        if (!c.expected) {
            EXPECT_TRUE(r.ok()) << join_failures(r.failures);
            EXPECT_NEAR(r.min_scaled_jacobian, 1.0, 0.02);
        } else {
            EXPECT_NE(join_failures(r.failures).find(c.expected), std::string::npos) << join_failures(r.failures);
        }
    }
}

TEST(MeshChecker, OrientationIsComparedWithinOneGroupAndSurfacesPerGroup) {
    CylinderGrid g(4, 2);
    // Elements of the second row belong to another subregion whose normals point inwards.
    std::vector<std::string> groups(g.quads.size(), "R1");
    for (std::size_t e = 4; e < g.quads.size(); ++e) {
        groups[e] = "R2";
        std::swap(g.quads[e][1], g.quads[e][3]);
    }
    CurvedMeshCheck check;
    check.surface_of["R1"] = cylinder_surface({0, 0, 0}, {0, 0, 1}, 2.0);
    check.surface_of["R2"] = revolution_surface({0, 0, 0}, {0, 0, 1}, [](double) { return 2.0; });
    EXPECT_TRUE(check_curved_quad_mesh(g.nodes, g.quads, groups, check).ok());
    groups.assign(g.quads.size(), "R1");
    EXPECT_FALSE(check_curved_quad_mesh(g.nodes, g.quads, groups, check).ok());
    // Other analytic surfaces measure what they promise.
    EXPECT_NEAR(sphere_surface({0, 0, 0}, 1.0)({0, 3, 4}), 4.0, 1e-15);
    EXPECT_NEAR(plane_surface({0, 0, 1}, {0, 0, 2})({5, 5, 4}), 3.0, 1e-15);
    EXPECT_NEAR(height_surface([](double x, double y) { return x * y / 20; })({10, 10, 5}), 0.0, 1e-15);
}

}  // namespace
}  // namespace korvex::test
