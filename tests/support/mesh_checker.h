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
#include <functional>
#include <map>
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

// ---- Curved meshes -------------------------------------------------------
// Unsigned distance of a point from an analytic surface.
using SurfaceDistance = std::function<double(const Point3&)>;

SurfaceDistance plane_surface(const Point3& point, const Point3& normal);
SurfaceDistance sphere_surface(const Point3& centre, double radius);
SurfaceDistance cylinder_surface(const Point3& axis_point, const Point3& axis_direction, double radius);
// Surface of revolution: radius profile(h) at the signed height h of a point
// along the axis (measured from axis_point). The distance is the radial one,
// |rho - profile(h)|, which bounds the true distance from above.
SurfaceDistance revolution_surface(const Point3& axis_point, const Point3& axis_direction,
                                   std::function<double(double)> profile);
// z = f(x, y); the distance is the vertical one, |z - f(x, y)|.
SurfaceDistance height_surface(std::function<double(double, double)> f);

struct CurvedMeshCheck {
    SurfaceDistance surface;                            // for every element's nodes; may be empty
    std::map<std::string, SurfaceDistance> surface_of;  // per element group (overrides surface)
    double max_distance = 1e-9;                         // absolute bound on each node's distance
    double min_scaled_jacobian = 0;                     // every corner must be above this
    int base = 1;
    double coincidence = 1e-9;                          // relative to the mesh's extent
    std::size_t max_messages = 50;
};

struct CurvedMeshReport {
    std::vector<std::string> failures;  // empty = valid
    double max_distance = 0;            // largest node distance found
    double min_scaled_jacobian = 1;     // smallest corner value found
    bool ok() const { return failures.empty(); }
};

// 3D quad meshes on curved surfaces. groups[e] names element e's group (the
// subregion: the element name of the result file); an empty vector puts all
// elements in one group. Checks: four distinct existing corners; every corner's
// scaled Jacobian measured against the element's mean normal above the bound;
// every edge used by at most two elements; two elements of one group sharing
// an edge run it in opposite directions (consistent orientation); no unused
// node, no coincident nodes; every node of an element within max_distance of
// its group's surface.
CurvedMeshReport check_curved_quad_mesh(const std::vector<Point3>& nodes, const std::vector<Quad>& quads,
                                        const std::vector<std::string>& groups, const CurvedMeshCheck& check);

// All failures joined by newlines, for test output.
std::string join_failures(const std::vector<std::string>& failures);

}  // namespace korvex::test
