// The grid search for coincident points must report the same first pair as
// a scan over all pairs.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <utility>

#include "input/coincident_points.h"

namespace korvex {
namespace {

std::pair<int, int> all_pairs_scan(const Array1<ControlPoint>& p, int n, double tol) {
    for (int i = 1; i <= n; ++i)
        for (int j = i + 1; j <= n; ++j)
            if (std::fabs(p[i].x - p[j].x) < tol && std::fabs(p[i].y - p[j].y) < tol &&
                std::fabs(p[i].z - p[j].z) < tol)
                return {i, j};
    return {0, 0};
}

TEST(FirstCoincidentPair, AgreesWithAllPairsScan) {
    const double tol = 1.5e-6;
    std::mt19937 rng(12345);
    // Coordinates on a lattice of 0.7·tol, so that neighbours straddle the
    // tolerance and the cell borders in every way.
    std::uniform_int_distribution<int> lattice(0, 40);
    int with_pair = 0;
    for (int trial = 0; trial < 300; ++trial) {
        const int n = 5 + trial % 40;
        Array1<ControlPoint> pts(static_cast<std::size_t>(n));
        for (int i = 1; i <= n; ++i) {
            pts[i].x = lattice(rng) * 0.7 * tol - 10 * tol;
            pts[i].y = lattice(rng) * 0.7 * tol;
            pts[i].z = (trial % 3 == 0) ? 0.0 : lattice(rng) * 0.7 * tol;
        }
        const auto expected = all_pairs_scan(pts, n, tol);
        const auto got = first_coincident_pair(pts, n, tol, [](const ControlPoint&) { return true; });
        ASSERT_EQ(got, expected) << "trial " << trial;
        if (expected.first != 0) ++with_pair;
    }
    EXPECT_GT(with_pair, 50);   // both outcomes were exercised
    EXPECT_LT(with_pair, 300);
}

TEST(FirstCoincidentPair, HonoursFilterAndOddValues) {
    Array1<ControlPoint> pts(5);
    pts[1].x = NAN;
    pts[2].x = 1e300;   // far beyond the grid range: clamped, still compared exactly
    pts[3].x = 2e300;
    pts[4].x = 1.0;
    pts[5].x = 1.0;
    pts[5].PINT = 1;
    const auto take_all = [](const ControlPoint&) { return true; };
    EXPECT_EQ(first_coincident_pair(pts, 5, 1e-6, take_all), std::make_pair(4, 5));
    EXPECT_EQ(first_coincident_pair(pts, 5, 1e-6, [](const ControlPoint& p) { return p.PINT == 0; }),
              std::make_pair(0, 0));
    pts[3].x = 1e300;
    EXPECT_EQ(first_coincident_pair(pts, 5, 1e-6, take_all), std::make_pair(2, 3));
}

}  // namespace
}  // namespace korvex
