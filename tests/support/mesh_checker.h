// The mesh invariant checker every test that makes a mesh runs.
//
// Nodes are given as a vector whose entry k holds node number k + base
// (base = 1 for the 1-based arrays of the engine, 0 for 0-based data);
// quads list four node numbers in the same numbering. The checker verifies:
//   - every element has four distinct corners, all existing nodes;
//   - every corner order is counter-clockwise with positive area, and no
//     corner is folded (each corner turns left);
//   - every edge is used by at most two elements, and two elements sharing an
//     edge run it in opposite directions;
//   - when boundary chains are given: the edges used by one element only are
//     exactly the directed edges of the chains (each chain closed, first node
//     not repeated);
//   - no node is unused; no two distinct nodes coincide.
// It returns one readable line per failure (empty = valid), so a test can
// print them all.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace korvex::test {

struct MeshCheckOptions {
    int base = 1;                                   // number of the first node
    std::vector<std::vector<int>> boundary_chains;  // expected boundary, counter-clockwise
    double coincidence = 1e-9;                      // relative to the mesh's extent
    bool require_convex_corners = true;
    std::size_t max_messages = 50;                  // stop listing after this many
};

using Point2 = std::array<double, 2>;
using Point3 = std::array<double, 3>;
using Quad = std::array<int, 4>;

std::vector<std::string> check_quad_mesh(const std::vector<Point2>& nodes, const std::vector<Quad>& quads,
                                         const MeshCheckOptions& options = {});

// 3D plane meshes: nodes are projected onto the plane with the given normal
// (frame u, v, normal right-handed), so counter-clockwise means
// counter-clockwise seen from the side the normal points to.
std::vector<std::string> check_quad_mesh(const std::vector<Point3>& nodes, const std::vector<Quad>& quads,
                                         const Point3& normal, const MeshCheckOptions& options = {});

// All failures joined by newlines, for test output.
std::string join_failures(const std::vector<std::string>& failures);

}  // namespace korvex::test
