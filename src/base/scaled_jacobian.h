// The scaled Jacobian of a quadrilateral's corners: the one measure of
// element validity. The patch meshers' untangling in their own plane, the
// final check of the global mesh and the quality figures of a result file all
// measure corners with it, so they agree on which elements are valid.
//
// At corner k of p[0..3] the edges are a = p[k+1] - p[k] and
// b = p[k-1] - p[k] (indices mod 4), the corner normal is a x b, and the
// scaled Jacobian against a reference normal n is
//     (a x b) . n / (|n| |a| |b|),
// the sine of the corner angle as seen along n: negative for a corner that
// turns the other way about n, 0 when an edge has no length. An element's
// reference normal is the sum of its four corner normals (twice
// (p2 - p0) x (p3 - p1)); in a plane it is (0, 0, 1).
//
// Header only: the output library measures with it too and links none of
// the engine's objects.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "base/vec3.h"

namespace korvex {

// The scaled Jacobian of a corner from its corner normal a x b, the product
// |a| |b| of its edge lengths and the reference normal n with its length |n|
// (not 0).
inline double scaled_jacobian(const Vec3& corner_normal, double edge_lengths, const Vec3& normal,
                              double normal_length) {
    return edge_lengths == 0.0 ? 0.0 : dot(corner_normal, normal) / (normal_length * edge_lengths);
}

// The corner normal a x b at corner k (0..3) of p.
inline Vec3 quad_corner_normal(const std::array<Vec3, 4>& p, std::size_t k) {
    return cross(p[(k + 1) % 4] - p[k], p[(k + 3) % 4] - p[k]);
}

// The reference normal of p: the sum of its corner normals, in corner order.
// It has no length when the element has no area.
inline Vec3 quad_reference_normal(const std::array<Vec3, 4>& p) {
    Vec3 sum{};
    for (std::size_t k = 0; k < 4; ++k) sum += quad_corner_normal(p, k);
    return sum;
}

// The scaled Jacobian of corner k (0..3) of p against the normal n of length |n| (not 0).
inline double quad_corner_scaled_jacobian(const std::array<Vec3, 4>& p, std::size_t k, const Vec3& normal,
                                          double normal_length) {
    const Vec3 a = p[(k + 1) % 4] - p[k];
    const Vec3 b = p[(k + 3) % 4] - p[k];
    return scaled_jacobian(cross(a, b), norm(a) * norm(b), normal, normal_length);
}

// The smallest corner scaled Jacobian of p against the normal n, at most 1;
// 0 when n has no length.
inline double quad_min_scaled_jacobian(const std::array<Vec3, 4>& p, const Vec3& normal) {
    const double normal_length = norm(normal);
    if (normal_length == 0.0) return 0.0;
    double worst = 1.0;
    for (std::size_t k = 0; k < 4; ++k)
        worst = std::min(worst, quad_corner_scaled_jacobian(p, k, normal, normal_length));
    return worst;
}

// The element's scaled Jacobian: its smallest corner against its own
// reference normal; 0 for an element with no area.
inline double quad_min_scaled_jacobian(const std::array<Vec3, 4>& p) {
    return quad_min_scaled_jacobian(p, quad_reference_normal(p));
}

// The scaled Jacobian of the corner p between its neighbours next and prev in
// the (x, y) plane, against the normal (0, 0, 1): the corner normal is
// (0, 0, ax by - ay bx), and its x and y are -0 so that the dot product is
// exactly that z, sign of a zero included. The edge lengths are taken with
// hypot, which rounds in the last bit differently from the square root of
// the sum of squares that the 3D corner uses; the patch meshes have always
// been measured so, and the untangling's node moves depend on every bit.
inline double plane_corner_scaled_jacobian(double px, double py, double nx, double ny, double qx, double qy) {
    const double ax = nx - px, ay = ny - py;
    const double bx = qx - px, by = qy - py;
    return scaled_jacobian({-0.0, -0.0, ax * by - ay * bx}, std::hypot(ax, ay) * std::hypot(bx, by),
                           {0.0, 0.0, 1.0}, 1.0);
}

}  // namespace korvex
