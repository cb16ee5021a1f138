// Small meshes built node by node for the unit tests of the loop makers and
// the repairs.
#pragma once

#include <initializer_list>
#include <utility>
#include <vector>

#include "support/mesh_checker.h"
#include "trelmo/trelmo_internal.h"

namespace korvex::test {

inline TrelmoMesh mesh_of(std::initializer_list<std::pair<double, double>> xy, int kind = NODE_KIND_INTERIOR,
                          const char* name = "R1") {
    TrelmoMesh m;
    m.allocate(TM_INITIAL_CAPACITY);
    for (const auto& [x, y] : xy) append_node(m, x, y, kind, name);
    return m;
}

inline NodeLoop loop_of(std::initializer_list<int> nodes) {
    NodeLoop l;
    for (int n : nodes) l.push(n);
    return l;
}

// Loop 1..n.
inline NodeLoop loop_upto(int n) {
    NodeLoop l;
    for (int i = 1; i <= n; ++i) l.push(i);
    return l;
}

inline std::vector<std::string> check_mesh(const TrelmoMesh& m, std::vector<std::vector<int>> chains = {},
                                           bool convex = true) {
    std::vector<Point2> nodes;
    for (int i = 1; i <= m.num_nodes; ++i) nodes.push_back({m.nodes[i].x, m.nodes[i].y});
    std::vector<Quad> quads;
    for (int e = 1; e <= m.num_elements; ++e) {
        const GenElement& el = m.elements[e];
        quads.push_back({el.corner1, el.corner2, el.corner3, el.corner4});
    }
    MeshCheckOptions o;
    o.boundary_chains = std::move(chains);
    o.require_convex_corners = convex;
    return check_quad_mesh(nodes, quads, o);
}

inline std::vector<int> chain_upto(int n) {
    std::vector<int> c;
    for (int i = 1; i <= n; ++i) c.push_back(i);
    return c;
}

}  // namespace korvex::test
