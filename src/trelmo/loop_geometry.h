// Planar angles and lengths shared by every phase of the generator.
#pragma once

#include <algorithm>
#include <cmath>

#include "base/numeric_constants.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

// Zero tests of the loop makers: tolA for "flat" with margin, tolB for "is pi".
constexpr double kTolA = 100.0 * kSqrtEps;
constexpr double kTolB = 10.0 * kSqrtEps;

double deg_to_rad(double degrees);
double rad_to_deg(double radians);

double distance(const GenNode& a, const GenNode& b);

// Counter-clockwise angle from the direction (ax, ay) to (bx, by), in
// [0, 2pi), given their lengths la and lb (0 when either is 0).
inline double angle_between(double ax, double ay, double bx, double by, double la, double lb) {
    if (la == 0.0 || lb == 0.0) return 0.0;
    double c = (ax * bx + ay * by) / (la * lb);
    c = std::clamp(c, -1.0, 1.0);
    double a = std::acos(c);
    if (ax * by - ay * bx < 0.0) a = kTwoPi - a;
    return a;
}

// How far angle_estimate() may be from angle_between(): the estimate is
// within 1e-7 of it (the arc cosine's table error, and lengths taken from
// squares instead of hypot, which matters only near a zero or a straight
// angle), so ten times that is safe.
constexpr double kAngleEstimateSlack = 1e-6;

// Arc cosine on [-1, 1] within 1e-7, from a short polynomial and one square
// root: a fraction of the cost of the exact one.
inline double acos_estimate(double c) {
    const double x = std::fabs(c);
    const double p = ((((((-0.0012624911 * x + 0.0066700901) * x - 0.0170881256) * x + 0.0308918810) * x -
                         0.0501743046) * x + 0.0889789874) * x - 0.2145988016) * x + 1.5707963050;
    const double a = std::sqrt(1.0 - x) * p;
    return c < 0.0 ? kPi - a : a;
}

// angle_between() within kAngleEstimateSlack, from the squared lengths la2
// and lb2. False when a square is too small or too large to stand for its
// length, or not finite: there is no estimate then.
inline bool angle_estimate(double ax, double ay, double bx, double by, double la2, double lb2, double& phi) {
    constexpr double kSmallest = 1e-150, kLargest = 1e150;  // their product stays normal
    if (!(la2 > kSmallest && la2 < kLargest && lb2 > kSmallest && lb2 < kLargest)) return false;
    const double c = std::clamp((ax * bx + ay * by) / std::sqrt(la2 * lb2), -1.0, 1.0);
    phi = acos_estimate(c);
    if (ax * by - ay * bx < 0.0) phi = kTwoPi - phi;
    return true;
}

// Counter-clockwise angle at V from the direction V->P to V->Q, in [0, 2pi).
double angle(double vx, double vy, double px, double py, double qx, double qy);
double angle(const GenNode& V, const GenNode& P, const GenNode& Q);

// Interior angle at loop position i: from the direction towards the successor
// to the direction towards the predecessor (cyclic neighbours).
double node_angle(const TrelmoMesh& mesh, const NodeLoop& loop, int i);

// All node angles of a loop into angles[1..count]. An angle in
// (pi, pi + flat_margin] is replaced by pi.
void loop_angles(const TrelmoMesh& mesh, const NodeLoop& loop, Array1<double>& angles,
                 double flat_margin = 1e-6);

// Cyclic position helpers on 1..n.
inline int next_pos(int i, int n) { return i == n ? 1 : i + 1; }
inline int prev_pos(int i, int n) { return i == 1 ? n : i - 1; }
// Position i shifted by k places (k may be negative), cyclic on 1..n.
int shift_pos(int i, int k, int n);

}  // namespace korvex
