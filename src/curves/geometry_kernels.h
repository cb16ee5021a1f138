// The angle at a vertex of a triangle in space, used wherever the geometric
// stages measure angles between directions.
#pragma once

#include "base/vec3.h"

namespace korvex {

// Returned by ANGLEXYZ when p2 or p3 coincides with p1 (no angle exists).
constexpr double kAngleUndefined = 1e6;
// Coordinates beyond this magnitude are refused as input errors.
constexpr double kAngleCoordinateLimit = 1e20;

// Angle at p1 between p1->p2 and p1->p3, in radians in [0, pi]. Returns
// kAngleUndefined when p2 or p3 lies within sqrt(eps) of p1. A coordinate
// beyond +-1e20 (or not a number) is reported and stops the run (fatal_stop).
double ANGLEXYZ(double p1x, double p1y, double p1z, double p2x, double p2y, double p2z, double p3x,
                double p3y, double p3z);
double ANGLEXYZ(const Vec3& p1, const Vec3& p2, const Vec3& p3);

// Angle between two direction vectors (ANGLEXYZ at the origin).
inline double angle_between(const Vec3& u, const Vec3& v) { return ANGLEXYZ(Vec3{}, u, v); }

}  // namespace korvex
