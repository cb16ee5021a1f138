// The (u, v) table of a plane subregion, shared by the plane mesher, its
// internal-point companion and the hole and tree tests of plane subregions.
#pragma once

#include <vector>

#include "base/fixed_name.h"
#include "base/vec3.h"
#include "model/records.h"
#include "model/run.h"

namespace korvex {

// Most records a plane's (u, v) table may hold (boundary nodes + internal points).
constexpr int MAX_POINTS = 30000;

// One record of the (u, v) table: a boundary node of the plane or one of its
// internal points.
struct PointUV {
    double u = 0;
    double v = 0;
    int curve_id = 0;             // the node's curve_id (0 for internal points)
    FixedName<21> name;           // the node's name ("PINT" for internal points)
    int index_global_of_PINT = 0; // internal points: index in new_points; 0 otherwise
};

// Records 1..num_points are the boundary nodes in boundary order, followed by
// nPINT internal points. Record 0 is a copy of record num_points, so that the
// predecessor of record 1 is record num_points.
struct PlaneUV {
    std::vector<PointUV> records;  // index 0..num_points + nPINT
    int num_points = 0;
    int nPINT = 0;

    PointUV& operator[](int i) { return records.at(static_cast<std::size_t>(i)); }
    const PointUV& operator[](int i) const { return records.at(static_cast<std::size_t>(i)); }
};

// Point-in-polygon test with an on-boundary outcome. The polygon is
// polygon[1..n] (closed implicitly); polygon[0] is overwritten with
// polygon[n]. Only u and v are read.
// Returns 0 on a degenerate case (reported), 1 inside, 2 on the boundary, 3 outside.
int polypoin(int n, std::vector<PointUV>& polygon, const PointUV& p);

// Builds the (u, v) coordinates of the boundary nodes of subregion k and of
// the internal points lying in its plane and inside it; checks that the
// boundary runs counter-clockwise about the unit normal. Returns 1 or 0
// (after "Plane patch parameterization unsuccessful.\n").
int parameterize_plane_patch(const Run& run, const Subregion& patch, const Vec3& normal, PlaneUV& uv);

// Fills the (u, v) frame of a plane subregion's boundary: records
// 1..num_points from points_id, record 0, and the first two positions.
// Returns the frame origin O, the second node Q and e = Q - O.
struct PlaneFrame {
    Vec3 O, Q, e;
};
PlaneFrame fill_boundary_records(const Run& run, const Subregion& patch, PlaneUV& uv);

// (u, v) of a 3D point P in the frame (right-handed about the unit normal).
void plane_uv_of_point(const PlaneFrame& frame, const Vec3& normal, const Vec3& P, double& u, double& v);

}  // namespace korvex
