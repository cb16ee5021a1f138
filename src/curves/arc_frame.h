// The circle of a circular arc given by its definition points, shared by the
// division of arcs into nodes and by the cut of an arc into two halves. The
// geometry lives here; each caller reports its own messages.
#pragma once

#include "base/array1.h"
#include "base/vec3.h"
#include "model/records.h"

namespace korvex {

constexpr double kMinArcPlaneNormal = 1e-12;  // |(M - A) x (E - A)| below this: points in line
constexpr double kMaxArcCondition = 1e12;     // centre system worse than this: points in line

// The circle of an arc and the way it runs from its first point.
struct ArcFrame {
    Vec3 A, M, E;     // first, middle and last definition point
    Vec3 normal;      // unit normal of the plane; positive sense about it
    double d = 0;     // plane: normal . x = d
    Vec3 C;           // centre
    double R = 0;     // radius
    double sweep = 0; // angle from A to E along the arc
    int sense = 1;    // +1 positive about the normal, -1 negative
};

// Sets A, M, E and, when they are not in line, the plane. Returns
// |(M - A) x (E - A)|; below kMinArcPlaneNormal the plane is not set.
double set_arc_plane(const Vec3& A, const Vec3& M, const Vec3& E, ArcFrame& f);

// set_arc_plane from the curve's first, middle (num_points / 2 + 1) and last
// definition points.
double set_arc_plane_of(const Array1<ControlPoint>& points, const Curve& cv, ArcFrame& f);

// True when p lies off the arc's plane (distance relative to |p| when |p| is at least 1).
bool off_arc_plane(const ArcFrame& f, const Vec3& p);
// True when some definition point of the curve lies off the arc's plane.
bool any_point_off_arc_plane(const ArcFrame& f, const Array1<ControlPoint>& points, const Curve& cv);

// Centre: equidistant from A and M, from M and E, and in the plane.
// Returns 1; -1 when the solver cannot start; 0 when the system cannot be
// factorised or its condition exceeds kMaxArcCondition (ierr and cond say how).
int solve_arc_centre(ArcFrame& f, int& ierr, double& cond);

// Sets R to the mean distance of A, M and E from the centre.
void set_arc_radius(ArcFrame& f);

// True when p is off the circle by more than the relative radius tolerance.
bool off_arc_circle(const ArcFrame& f, const Vec3& p);
// True when some definition point of the curve lies off the circle.
bool any_point_off_arc_circle(const ArcFrame& f, const Array1<ControlPoint>& points, const Curve& cv);

// Angle from CA to CP in the positive sense about the normal, in [0, 2pi).
// Returns -1 when P lies on the line through C and A but not opposite A.
double angle_from_start(const ArcFrame& f, const Vec3& P);

// Sense and sweep from the angles of M and E.
void set_arc_sweep(ArcFrame& f, double theta_M, double theta_E);

}  // namespace korvex
