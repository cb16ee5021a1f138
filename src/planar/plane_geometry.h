// Small geometric helpers of the plane mesher and its companions.
#pragma once

#include <cmath>

#include "base/numeric_constants.h"
#include "base/vec3.h"
#include "curves/geometry_kernels.h"

namespace korvex {

inline double degrees(double radians) { return radians * 180.0 / kPi; }

// A point P is in a subregion's plane when e x (P - O), with e the frame's
// u axis, is (anti)parallel to the plane's normal within kInPlaneAngle (6
// degrees: a point meant off the plane is far off it, one slightly off is a
// point of the plane given with few digits), or is shorter than
// kZeroCrossTol and so has no direction to test. Holes, trees and internal
// points are tested alike.
inline constexpr double kZeroCrossTol = 1e-6;
inline constexpr double kInPlaneAngle = 0.10471975511965977;

// Angle at p1 between p1->p2 and p1->p3, in [0, pi]; 1e6 when p2 or p3 lies
// within sqrt(eps) of p1.
inline double vertex_angle(const Vec3& p1, const Vec3& p2, const Vec3& p3) { return ANGLEXYZ(p1, p2, p3); }

// Counter-clockwise planar angle at V from the direction V->P to V->Q, in [0, 2pi).
double ccw_angle(double vx, double vy, double px, double py, double qx, double qy);

// Distance of a point from the plane a·x + b·y + c·z = d (unit normal),
// divided by the point's distance from the origin when that is at least
// 1 - 2 sqrt(eps): the planarity measure of plane recognition.
inline double plane_distance_measure(const Vec3& n, double d, const Vec3& p) {
    double dist = std::fabs(dot(n, p) - d);
    const double r = norm(p);
    if (r >= 1.0 - 2.0 * kSqrtEps) dist /= r;
    return dist;
}

}  // namespace korvex
