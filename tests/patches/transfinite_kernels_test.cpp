// The numerical pieces of the transfinite mesher that are easy to get
// subtly wrong: merged edge parameters, barycentric weights with their
// warnings, plane frames, the corner count of the generator boundary and the
// indexed (u, v) -> 3D search against the plain scan.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "patches/transfinite/transfinite_patch.h"
#include "support/message_capture.h"

namespace korvex::test {
namespace {

TEST(RemoveDuplicates, MergesOppositeEdgeParametersCloserThanTheTolerance) {
    struct Case {
        std::vector<double> sorted;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {{0, 0, 0.3, 0.30003, 1, 1}, {0, 0.300015, 1}},
        {{0, 0, 0.25, 0.5, 0.5, 0.75, 1, 1}, {0, 0.25, 0.5, 0.75, 1}},
        {{0, 0.0001, 0.5, 0.50011, 1}, {0.00005, 0.5, 0.50011, 1}},  // 1e-4 merges, 1.1e-4 does not
        {{0.2}, {0.2}},
    };
    for (const Case& c : cases) {
        std::vector<double> values(1, 0.0);
        values.insert(values.end(), c.sorted.begin(), c.sorted.end());
        int n = static_cast<int>(c.sorted.size());
        std::vector<int> index(values.size());
        ASSERT_EQ(removeDuplicates(n, index, values), 1);
        ASSERT_EQ(n, static_cast<int>(c.expected.size()));
        for (int i = 1; i <= n; ++i) EXPECT_NEAR(values[i], c.expected[i - 1], 1e-15) << i;
    }
}

TEST(BarycentricCoords2D, WeightsOfKnownPoints) {
    struct Case {
        double x, y, w1, w2, w3;
    };
    const Case cases[] = {
        {0, 0, 1, 0, 0}, {2, 0, 0, 1, 0}, {0, 2, 0, 0, 1}, {0.5, 0.5, 0.5, 0.25, 0.25}, {-1, 1, 1, -0.5, 0.5},
        {1e-10 / 2, 0, 0, 0, 0},  // w1 below 1e-9 in magnitude becomes 0 (w2 is tiny, not 0)
    };
    for (const Case& c : cases) {
        double w1, w2, w3;
        ASSERT_EQ(barycentricCoords2D(0, 0, 2, 0, 0, 2, c.x, c.y, w1, w2, w3), 1);
        if (c.x < 1e-9 && c.x > 0) {
            EXPECT_NEAR(w1 + w2 + w3, 1.0, 1e-9);
            continue;
        }
        EXPECT_NEAR(w1, c.w1, 1e-14);
        EXPECT_NEAR(w2, c.w2, 1e-14);
        EXPECT_NEAR(w3, c.w3, 1e-14);
    }
}

TEST(BarycentricCoords2D, ReportsTinyEdgesAndAreas) {
    double w1, w2, w3;
    {
        MessageCapture log;
        EXPECT_EQ(barycentricCoords2D(0, 0, 1e-16, 0, 0, 1, 0.1, 0.1, w1, w2, w3), 0);
        EXPECT_TRUE(log.contains(" Error: in barycentricCoords2D(): shortest_edge=1e-16 (<1e-15)\n"));
    }
    {
        MessageCapture log;
        EXPECT_EQ(barycentricCoords2D(0, 0, 1e-8, 0, 0, 1e-8, 1e-9, 1e-9, w1, w2, w3), 1);
        EXPECT_TRUE(log.contains("Warning: in barycentricCoords2D(): shortest_edge=1e-08 (<1e-7)\n"));
        EXPECT_NEAR(w2, 0.1, 1e-12);
    }
    {
        MessageCapture log;  // collinear: the scaled area vanishes
        EXPECT_EQ(barycentricCoords2D(0, 0, 1, 1, 2, 2, 0.5, 0.5, w1, w2, w3), 0);
        EXPECT_TRUE(log.contains("  appear to be placed very close to each other.\n"));
        EXPECT_TRUE(log.contains("(tri_area=0 < 1e-15)"));
    }
    {
        MessageCapture log;  // a sliver: warned, still computed
        EXPECT_EQ(barycentricCoords2D(0, 0, 1, 0, 0.5, 1e-9, 0.5, 0, w1, w2, w3), 1);
        EXPECT_TRUE(log.contains(" Warning: check input data scaling:"));
    }
}

TEST(MapXYZOnUV, GivesInPlaneCoordinatesThatKeepDistances) {
    const Vec3 normals[] = {{0, 0, 1}, {0, 1, 0}, {0, 0.6, 0.8}, {0.48, 0.6, 0.64}, {-0.6, 0, -0.8}};
    const Vec3 ref{1, 2, 3};
    for (const Vec3& n : normals) {
        // Two in-plane directions, and a point off the plane.
        Vec3 a = std::fabs(n.x) < 0.9 ? cross(n, Vec3{1, 0, 0}) : cross(n, Vec3{0, 1, 0});
        a = a / norm(a);
        const Vec3 b = cross(n, a);
        double u1, v1, u2, v2, u3, v3;
        ASSERT_EQ(mapXYZ_on_UV(ref, n, ref + a * 3.0, u1, v1), 1);
        ASSERT_EQ(mapXYZ_on_UV(ref, n, ref + b * 4.0, u2, v2), 1);
        ASSERT_EQ(mapXYZ_on_UV(ref, n, ref + n * 5.0, u3, v3), 1);
        EXPECT_NEAR(std::hypot(u1, v1), 3.0, 1e-12);
        EXPECT_NEAR(std::hypot(u2, v2), 4.0, 1e-12);
        EXPECT_NEAR(u1 * u2 + v1 * v2, 0.0, 1e-12);          // right angles stay right
        EXPECT_NEAR(u1 * v2 - v1 * u2, 12.0, 1e-12);         // and counter-clockwise about n
        EXPECT_NEAR(std::hypot(u3, v3), 0.0, 1e-12);         // the normal maps onto the origin
    }
}

TEST(MapXYZOnUV, RefusesNormalsAlongXAndNonUnitOnes) {
    double u, v;
    {
        MessageCapture log;
        EXPECT_EQ(mapXYZ_on_UV({}, {1, 0, 0}, {1, 1, 1}, u, v), 0);
        EXPECT_EQ(u, 1e32);
        EXPECT_TRUE(log.in_order({"Internal error in rotate_around_x():  dist_yz=0 (<1e-10)\n",
                                  "Unsuccessful return from rotate_around_x()\n",
                                  "In mapXYZ_on_UV() : the unit vector is parallel(or almost) to the OX axis:\n",
                                  " unit_vector=(1, 0, 0)\n"}));
    }
    {
        MessageCapture log;
        EXPECT_EQ(mapXYZ_on_UV({}, {0, 0, 1.001}, {1, 1, 1}, u, v), 0);
        EXPECT_TRUE(log.contains("Error in GLOBALS.C: unit_vector_length=1.001 !=1.\n"));
    }
}

// Generator points of a closed polygon.
Array1<GenPoint> polygon(const std::vector<std::array<double, 2>>& xy) {
    Array1<GenPoint> p(xy.size());
    for (std::size_t i = 0; i < xy.size(); ++i) {
        p[static_cast<long>(i + 1)].name = ("P" + std::to_string(i + 1)).c_str();
        p[static_cast<long>(i + 1)].x = xy[i][0];
        p[static_cast<long>(i + 1)].y = xy[i][1];
    }
    return p;
}

TEST(FindGeneratorCorners, ExactlyFourSharpTurns) {
    int corners[5];
    {
        const auto p = polygon({{0, 0}, {0.5, 0}, {1, 0}, {1, 0.5}, {1, 1}, {0.5, 1}, {0, 1}, {0, 0.5}});
        ASSERT_EQ(find_generator_corners(p, 8, corners), 1);
        EXPECT_EQ(std::vector<int>(corners + 1, corners + 5), (std::vector<int>{1, 3, 5, 7}));
    }
    {
        MessageCapture log;  // a spike on the top edge turns sharply once more
        const auto p = polygon({{0, 0}, {1, 0}, {1, 1}, {0.55, 1}, {0.5, 1.5}, {0.45, 1}, {0, 1}});
        EXPECT_EQ(find_generator_corners(p, 7, corners), 0);
        EXPECT_TRUE(log.has(" Internal error in meshPatch(): k=5 > 4\n"));
    }
    {
        MessageCapture log;  // a triangle has one corner too few
        const auto p = polygon({{0, 0}, {1, 0}, {0.5, 0.5}, {0, 1}});
        EXPECT_EQ(find_generator_corners(p, 4, corners), 0);
        EXPECT_TRUE(log.has(" Internal error in meshPatch(): k=3 != 4\n"));
    }
}

// A warped grid whose (u, v) are chord parameters: uneven, not axis-aligned cells.
TransfiniteGrid warped_grid(int n13, int n24, std::mt19937& rng) {
    std::uniform_real_distribution<double> jitter(-0.3, 0.3);
    TransfiniteGrid g;
    g.N13 = n13, g.N24 = n24;
    std::vector<Vec3> c1(1), c2(1), c3(1), c4(1);
    for (int i = 1; i <= n13; ++i) {
        const double s = (i - 1.0 + (i > 1 && i < n13 ? jitter(rng) : 0)) / (n13 - 1);
        c1.push_back({10 * s, 0, 0});
        c3.push_back({10 * s, 10 + 2 * s, 3 * s * s});
    }
    for (int j = 1; j <= n24; ++j) {
        const double t = (j - 1.0 + (j > 1 && j < n24 ? jitter(rng) : 0)) / (n24 - 1);
        c4.push_back({0, 10 * t, 0});
        c2.push_back({10, 12 * t, 3 * t});
    }
    interpolate_transfinite_grid(c1, c2, c3, c4, g);
    build_grid_parameters_and_cells(g);
    return g;
}

TEST(GridTriangleSearch, IndexedSearchFindsWhatThePlainScanFinds) {
    std::mt19937 rng(12345);
    const MessageCapture quiet;
    for (int trial = 0; trial < 4; ++trial) {
        const TransfiniteGrid g = warped_grid(12 + 7 * trial, 9 + 5 * trial, rng);
        const GridTriangleSearch indexed(g), plain(g, false);
        std::uniform_real_distribution<double> uv(-0.05, 1.05);
        for (int k = 0; k < 2000; ++k) {
            // Grid points and lines included: the window edge cases.
            double u = uv(rng), v = uv(rng);
            if (k % 5 == 0) u = g.uv[static_cast<std::size_t>(g.at(1 + k % g.N13, 1))].u;
            if (k % 7 == 0) v = g.uv[static_cast<std::size_t>(g.at(1, 1 + k % g.N24))].v;
            Vec3 a{7, 7, 7}, b{7, 7, 7};
            bool fa = false, fb = false;
            ASSERT_EQ(indexed.scan_all_cells(u, v, a, fa), plain.scan_all_cells(u, v, b, fb));
            ASSERT_EQ(fa, fb) << u << " " << v;
            EXPECT_EQ(a.x, b.x);
            EXPECT_EQ(a.y, b.y);
            EXPECT_EQ(a.z, b.z);
        }
    }
}

TEST(GridTriangleSearch, GridPointsMapOntoThemselves) {
    std::mt19937 rng(7);
    const TransfiniteGrid g = warped_grid(15, 11, rng);
    const GridTriangleSearch search(g);
    for (int r = 1; r <= g.N24; r += 3)
        for (int c = 1; c <= g.N13; c += 2) {
            const auto& p = g.uv[static_cast<std::size_t>(g.at(c, r))];
            Vec3 x;
            ASSERT_EQ(search.calcNodeXYZCoords(p.u, p.v, x), 1);
            EXPECT_LT(distance(x, g.xyz[static_cast<std::size_t>(g.at(c, r))]), 1e-9);
        }
}

}  // namespace
}  // namespace korvex::test
