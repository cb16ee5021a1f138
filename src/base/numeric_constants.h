// The numerical constants that several stages share: pi, the rounding
// tolerances, the marker of a value not yet computed and the thresholds that
// two stages must apply alike. Each is defined here once, so every stage
// works with the same double. A constant that one file alone uses stays in
// that file.
#pragma once

#include <numbers>

namespace korvex {

// pi as the nearest double: the same double as M_PI and 3.14159265358979323846.
inline constexpr double kPi = std::numbers::pi;
// A full turn; doubling is exact, so this is 2 pi rounded once too.
inline constexpr double kTwoPi = 2.0 * kPi;
// One degree in radians, pi / 180 rounded once (the double 0.017453292519943295).
inline constexpr double kDegree = kPi / 180.0;

// The spacing of doubles at 1 (2^-52): the relative rounding of one operation, doubled.
inline constexpr double kEps = 2.220446049250313e-16;
// sqrt(kEps) = 2^-26: a relative difference below this is the rounding of a
// short computation, not geometry; half the digits of a double are kept.
inline constexpr double kSqrtEps = 1.4901161193847656e-08;
// Points nearer than this (absolute, or relative to a length where the test
// says so) are one point: a hundred roundings of a short computation, far
// below any element size a model can ask for.
inline constexpr double kPointTolerance = 100 * kSqrtEps;

// Two points of the model nearer than this (absolute) are one point given
// twice: control points, curve nodes and connector points alike. Models are
// written in lengths where a millionth is far below any element size.
inline constexpr double kCoincidentPointDistance = 1e-6;

// Stands for a coordinate, distance or angle not computed yet, and starts a
// search for a minimum: far above any model's values, yet finite, so that it
// compares, subtracts and prints as a number.
inline constexpr double kNotComputed = 1e32;

// Cell coordinates of the spatial hashes are clamped to this before they are
// converted to 64-bit integers: below 2^63 (about 9.2e18) with room to step
// to a neighbouring cell.
inline constexpr double kCellCoordinateLimit = 4.0e18;

// An element corner whose scaled Jacobian is below this counts as not
// positive: three nodes in a line come out of the arithmetic a few roundings
// either side of zero, and a corner of a usable element is far above it.
inline constexpr double kMinValidScaledJacobian = 1e-6;

// The largest refinement factor REF (relative growth of the element size
// from one element to the next) a subregion may ask for: the reader refuses
// more and the line division clamps to it, since faster growth leaves the
// generator too few nodes to shape the elements between the two sizes.
inline constexpr double kMaxREF = 0.35;

// A subregion is a plane when every boundary point lies within this of its
// plane (by plane_distance_measure, relative to the point's distance from
// the origin beyond 1): far above the rounding of the plane's fit, far below
// any bend a model means. Plane recognition and the plane fitted to control
// points apply the same test.
inline constexpr double kPlaneRecognitionTolerance = 1e-6;

// Every definition point of a SPHERE subregion's curves lies on its sphere to
// within this share of the radius: room for coordinates written to a few
// digits, far below a point moved off the sphere, which makes the mesher
// bend the surface and can turn one half of the patch inside out.
inline constexpr double kSphereRadiusTolerance = 1e-3;

// Two boundary segments of a plane subregion closer than this share of the
// subregion's extent touch: far above the rounding of the node positions,
// far below any gap a mesh could fill with elements.
inline constexpr double kBoundaryContactTolerance = 1e-9;

}  // namespace korvex
