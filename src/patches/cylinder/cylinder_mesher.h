// The steps of the cylinder mesher. A CYLINDER subregion is unrolled into a
// (u, v) plane (u the arc length around the axis, v the distance along it),
// meshed there by the 2D generator and mapped back onto the cylinder.
//
// Indexing: the boundary tables are 1-based in boundary order (position i
// holds the node points_id[i] of the subregion); entry 0 is unused.
#pragma once

#include <string>
#include <vector>

#include "base/vec3.h"
#include "model/run.h"
#include "patches/common/boundary_generator_input.h"
#include "planar/plane_uv.h"
#include "trelmo/trelmo.h"

namespace korvex {

// The subregion's boundary nodes with the working coordinates the mesher
// reads (pulled onto the arcs' radius where that applies); the model's own
// node records are never changed.
struct CylinderBoundary {
    int n = 0;                   // num_points
    std::vector<Vec3> xyz;       // 1..n: working coordinates
    std::vector<Vec3> saved;     // 1..n: the coordinates as they were on entry
    std::vector<int> ids;        // 1..n: index of the node in new_points
    std::vector<int> curve_ids;  // 1..n: the curve that generated the node (0 at input points)
};

// Copies the boundary of subregion `patch` out of new_points.
void load_cylinder_boundary(const Run& run, const Subregion& patch, CylinderBoundary& b);

// An arc of the boundary lying in a plane perpendicular to the axis, with
// the boundary positions of the nodes just before and just after its run of
// nodes (its end nodes): positions ipstart..ipend (ipend may exceed n, then
// it counts on cyclically).
struct CircumferentialArc {
    int curve = 0;
    int ipstart = 0;
    int ipend = 0;
};

// Most circumferential arcs one boundary may hold (MAX_CURVES_PER_EDGE x
// MAX_EDGES_PER_SUBREGION).
constexpr int kMaxCircumferentialArcs = 2000;

// Lists the arcs of the boundary whose plane is perpendicular to the unit
// axis, in the order their nodes are met. Returns 1, or 0 after reporting.
int find_circumferential_arcs(const Run& run, const Vec3& axis, const CylinderBoundary& b,
                              std::vector<CircumferentialArc>& arcs);

// Moves every selected point radially, at its own axial position, onto the
// radius of each listed arc (the distance from its centre to its node at
// ipstart) whose angular range (as seen from the arc's
// centre, between two consecutive nodes of the arc) contains it. The arcs'
// nodes are read from boundary (1..n). Returns 1, or 0 after reporting an
// arc whose ipstart is not before its ipend.
int cylindrical_surface_radius_adjustment_of_nodes(const Vec3& axis, const Run& run,
                                                   const std::vector<CircumferentialArc>& arcs,
                                                   const std::vector<Vec3>& boundary, int n,
                                                   std::vector<Vec3>& points, const std::vector<char>& selected);

// One point of the densified boundary.
struct DensePoint {
    Vec3 p;
    double u = 0, v = 0;
    int id = 0;  // new_points index of the boundary node; 0 for an inserted point
};

// Points per boundary segment in the densified boundary (19 inserted).
constexpr int kBoundarySubdivisions = 20;

// The densified boundary: xyzuv[1..count], each boundary segment's start
// node followed by its 19 inserted points; the segment after the last point
// closes back onto point 1.
struct DenseBoundary {
    std::vector<DensePoint> xyzuv;
    int count = 0;
    double chord_last = 0;  // length of the closing chord, last boundary node to the first
};

// Walks the boundary curves as one closed chain, each curve on its own
// Hermite chain through its nodes (working coordinates of b). Returns 1, or
// 0 after reporting.
int boundary_interpolation(const Run& run, const Subregion& patch, const CylinderBoundary& b, DenseBoundary& dense);

// Result of one unrolling.
enum class Unrolling { Closed, Open, Failed };

struct UnrollingLimits {
    double lower_angle_margin = 1;      // degrees: a smaller turn-back angle reverses the u direction
    double projection_tolerance = 1e-9; // sine of the angle below which a step is parallel to the axis
};

// Gives every densified point its (u, v): v the signed distance from the
// plane through point 1 perpendicular to the unit axis, u the in-plane
// walked length with its direction sign. U_last, V_last: where the walk
// comes back to point 1. Failed has been reported.
Unrolling unroll_cylinder_boundary(const Vec3& axis, const UnrollingLimits& limits, DenseBoundary& dense,
                                   double& U_last, double& V_last);

// The boundary list: the (u, v) of the densified points that are boundary
// nodes, with their names and generating curves. Returns 1, or 0 after
// reporting a count other than b.n.
int cylinder_boundary_list(const Run& run, const CylinderBoundary& b, const DenseBoundary& dense, PlaneUV& uv);

// Maps the (u, v) mesh nodes onto the cylinder: nodes on boundary nodes take
// their saved coordinates, the others lie on the straight line between the
// nearest boundary crossings below and above them. Fills nodes[1..num_nodes]
// (coordinates, name = the generator's owner name, id). Returns 1, or 0
// after reporting.
int convert_UV_mesh_to_XYZ(const std::string& patch_name, const CylinderBoundary& b, const DenseBoundary& dense,
                           int num_nodes, const Array1<GenNode>& gen_nodes, Array1<Node3D>& nodes);

// The generator input of a cylinder patch from its boundary list: fails,
// after reporting, on an odd number of boundary nodes.
int cylinder_generator_input(const Subregion& patch, const PlaneUV& uv, BoundaryGeneratorInput& in);

}  // namespace korvex
