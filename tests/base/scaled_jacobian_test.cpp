// The scaled Jacobian kernel: known values on flat, inverted, degenerate and
// warped quadrilaterals, against their own reference normal and a given one,
// and the plane corner against its 3D counterpart.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

#include "base/scaled_jacobian.h"

namespace korvex {
namespace {

using Quad = std::array<Vec3, 4>;

const double kHalfRoot2 = std::sqrt(0.5);
const double kSin60 = std::sqrt(0.75);
const Quad kUnitSquare{{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}};
// One corner of the unit square lifted by 1: a quad with no plane.
const Quad kWarped{{{0, 0, 0}, {1, 0, 0}, {1, 1, 1}, {0, 1, 0}}};

TEST(ScaledJacobian, ElementAgainstItsReferenceNormal) {
    const double r = kHalfRoot2;
    const struct {
        const char* what;
        Quad quad;
        double expected;
    } cases[] = {
        {"unit square", kUnitSquare, 1.0},
        {"square in a tilted plane", {{{0, 0, 0}, {1, 0, 0}, {1, r, r}, {0, r, r}}}, 1.0},
        {"clockwise square: its reference normal turns with it", {{{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}}}, 1.0},
        {"rhombus of 60 and 120 degrees", {{{0, 0, 0}, {1, 0, 0}, {1.5, kSin60, 0}, {0.5, kSin60, 0}}}, kSin60},
        {"three nodes in a line", {{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}}}, 0.0},
        {"edge of no length", {{{0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {0, 1, 0}}}, 0.0},
        {"inverted: arrowhead with a reflex corner", {{{0, 0, 0}, {2, 0, 0}, {0.5, 0.5, 0}, {0, 2, 0}}}, -0.8},
        {"bow tie: no area at all", {{{0, 0, 0}, {1, 1, 0}, {1, 0, 0}, {0, 1, 0}}}, 0.0},
        {"all four nodes at one place", {{{2, 3, 4}, {2, 3, 4}, {2, 3, 4}, {2, 3, 4}}}, 0.0},
        // Corners 0 and 2 see their right and 60-degree angles tilted by the
        // warp: both come to sqrt(2/3); corners 1 and 3 to sqrt(3/4).
        {"warped", kWarped, std::sqrt(2.0 / 3.0)},
    };
    for (const auto& c : cases) EXPECT_NEAR(quad_min_scaled_jacobian(c.quad), c.expected, 1e-15) << c.what;
}

TEST(ScaledJacobian, CornersOfAWarpedQuad) {
    const Vec3 n = quad_reference_normal(kWarped);
    // The sum of the corner normals is twice the cross product of the diagonals.
    EXPECT_EQ(n.x, -2.0);
    EXPECT_EQ(n.y, -2.0);
    EXPECT_EQ(n.z, 4.0);
    const double expected[4] = {std::sqrt(2.0 / 3.0), kSin60, std::sqrt(2.0 / 3.0), kSin60};
    for (std::size_t k = 0; k < 4; ++k)
        EXPECT_NEAR(quad_corner_scaled_jacobian(kWarped, k, n, norm(n)), expected[k], 1e-15) << "corner " << k;
}

TEST(ScaledJacobian, ElementAgainstAGivenNormal) {
    const struct {
        const char* what;
        Vec3 normal;
        double expected;
    } cases[] = {
        {"the plane's normal", {0, 0, 1}, 1.0},
        {"its length does not count", {0, 0, 7}, 1.0},
        {"the other side: every corner inverted", {0, 0, -1}, -1.0},
        {"45 degrees off: each corner seen foreshortened", {0, 1, 1}, kHalfRoot2},
        {"in the element's plane: every corner seen edge on", {1, 0, 0}, 0.0},
        {"no normal at all", {0, 0, 0}, 0.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(quad_min_scaled_jacobian(kUnitSquare, c.normal), c.expected, 1e-15) << c.what;
}

TEST(ScaledJacobian, PlaneCornerIsTheSignedSineOfTheAngle) {
    const struct {
        const char* what;
        double nx, ny, qx, qy;  // next and previous corner, seen from (0, 0)
        double expected;
    } cases[] = {
        {"right angle", 2, 0, 0, 3, 1.0},
        {"45 degrees", 1, 0, 1, 1, kHalfRoot2},
        {"three nodes in a line", 1, 0, -4, 0, 0.0},
        {"reflex corner", 1, 0, 1, -1, -kHalfRoot2},
        {"clockwise corner", 0, 1, 1, 0, -1.0},
        {"edge of no length", 0, 0, 0, 1, 0.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(plane_corner_scaled_jacobian(0, 0, c.nx, c.ny, c.qx, c.qy), c.expected, 1e-15) << c.what;
}

// The plane corner is the 3D corner against (0, 0, 1); only the rounding of
// the edge lengths (hypot there, a square root of squares here) may differ.
TEST(ScaledJacobian, PlaneCornerAgreesWithTheCornerAgainstTheZAxis) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> coordinate(-3.0, 3.0);
    const Vec3 z{0, 0, 1};
    for (int i = 0; i < 2000; ++i) {
        Quad q;
        for (Vec3& p : q) p = {coordinate(random), coordinate(random), 0.0};
        for (std::size_t k = 0; k < 4; ++k) {
            const Vec3 &p = q[k], &next = q[(k + 1) % 4], &prev = q[(k + 3) % 4];
            const double plane = plane_corner_scaled_jacobian(p.x, p.y, next.x, next.y, prev.x, prev.y);
            const double space = quad_corner_scaled_jacobian(q, k, z, 1.0);
            ASSERT_NEAR(plane, space, 1e-15) << "sample " << i << " corner " << k;
            ASSERT_EQ(plane < 0, space < 0) << "sample " << i << " corner " << k;
        }
    }
}

}  // namespace
}  // namespace korvex
