// Kernels of the triangular mesher: the planar triangle, barycentric
// coordinates and the blend of the three edges.
#include <gtest/gtest.h>

#include <cmath>

#include "patches/triangular/triangular_mesher.h"
#include "support/message_capture.h"

namespace korvex::test {
namespace {

TEST(TriangularPatch, PlanarTriangleFromEdgeLengths) {
    struct Case {
        const char* what;
        double L1, L2, L3;
        double x3, y3;       // corner 3
        double cos_b;        // angle at corner 2
    };
    const double h = std::sqrt(3.0) / 2;
    const Case cases[] = {
        {"equilateral", 2, 2, 2, 1, 2 * h, 0.5},
        {"right angle at corner 1", 3, 5, 4, 0, 4, 0.6},
        {"too long second side: angle 180 at corner 1", 1, 3, 1, -1, 0, 1},
        {"too long first side: angles 0", 5, 1, 1, 1, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PlanarTriangle t = planar_triangle(c.L1, c.L2, c.L3);
        EXPECT_EQ(t.V[1][0], 0.0);
        EXPECT_EQ(t.V[2][0], c.L1);
        EXPECT_NEAR(t.V[3][0], c.x3, 1e-12);
        EXPECT_NEAR(t.V[3][1], c.y3, 1e-7);
        EXPECT_NEAR(t.cos_b, c.cos_b, 1e-12);
    }
}

TEST(TriangularPatch, BarycentricCoordinatesAndDegenerateTriangles) {
    const PlanarTriangle t = planar_triangle(3, 5, 4);
    double b[4];
    ASSERT_EQ(triangle_barycentric(t, 0, 0, b), 1);
    EXPECT_NEAR(b[1], 1, 1e-15);
    ASSERT_EQ(triangle_barycentric(t, 1, 1, b), 1);
    EXPECT_NEAR(b[1], 1 - 1.0 / 3 - 1.0 / 4, 1e-15);
    EXPECT_NEAR(b[2], 1.0 / 3, 1e-15);
    EXPECT_NEAR(b[3], 1.0 / 4, 1e-15);

    MessageCapture log;
    EXPECT_EQ(triangle_barycentric(planar_triangle(1, 3, 1), 0.5, 0, b), 0);
    EXPECT_TRUE(log.contains(" In barycentric()  (file tria_cur.c):\n a triangle has too small area:")) << log.text();
}

// Edges of a sphere octant of radius 2: great-circle quarters from corner to corner.
Vec3 on_arc(const Vec3& a, const Vec3& b, double t) {
    return (a * std::cos(t * M_PI / 2) + b * std::sin(t * M_PI / 2)) * 2.0;
}

TEST(TriangularPatch, BlendReproducesEveryEdge) {
    const Vec3 X{1, 0, 0}, Y{0, 1, 0}, Z{0, 0, 1};
    const EdgeCurve E1 = [&](double t) { return on_arc(X, Y, t); };
    const EdgeCurve E2 = [&](double t) { return on_arc(Y, Z, t); };
    const EdgeCurve E3 = [&](double t) { return on_arc(Z, X, t); };
    for (double t : {0.1, 0.37, 0.5, 0.9}) {
        SCOPED_TRACE(t);
        // (b1, b2, b3) on edge 1 at parameter t, on edge 2 and on edge 3.
        EXPECT_NEAR(distance(triangular_blend(1 - t, t, 0, E1, E2, E3), E1(t)), 0.0, 1e-14);
        EXPECT_NEAR(distance(triangular_blend(0, 1 - t, t, E1, E2, E3), E2(t)), 0.0, 1e-14);
        EXPECT_NEAR(distance(triangular_blend(t, 0, 1 - t, E1, E2, E3), E3(t)), 0.0, 1e-14);
    }
    // Inside, the blend of the octant's edges falls short of the sphere
    // (which the SPHERE case corrects) but stays in the octant.
    const Vec3 centre = triangular_blend(1.0 / 3, 1.0 / 3, 1.0 / 3, E1, E2, E3);
    EXPECT_GT(norm(centre), 1.6);
    EXPECT_LT(norm(centre), 2.0);
    EXPECT_NEAR(centre.x, centre.y, 1e-14);
    EXPECT_NEAR(centre.y, centre.z, 1e-14);
}

TEST(TriangularPatch, BlendOfStraightEdgesIsTheirPlane) {
    const Vec3 A{0, 0, 1}, B{4, 0, 2}, C{0, 3, 0};
    const EdgeCurve E1 = [&](double t) { return A + (B - A) * t; };
    const EdgeCurve E2 = [&](double t) { return B + (C - B) * t; };
    const EdgeCurve E3 = [&](double t) { return C + (A - C) * t; };
    for (const auto& b : {std::array<double, 3>{0.2, 0.3, 0.5}, {0.6, 0.3, 0.1}, {1.0 / 3, 1.0 / 3, 1.0 / 3}}) {
        const Vec3 p = triangular_blend(b[0], b[1], b[2], E1, E2, E3);
        EXPECT_NEAR(distance(p, A * b[0] + B * b[1] + C * b[2]), 0.0, 1e-14);
    }
}

}  // namespace
}  // namespace korvex::test
