#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "curve_test_model.h"
#include "curves/arcsine.h"
#include "curves/dense_solver.h"
#include "curves/geometry_kernels.h"

namespace korvex {
namespace {

using namespace curve_test;

TEST(ANGLEXYZ, KnownAnglesAndTheUndefinedMarker) {
    struct Case {
        const char* label;
        Vec3 p1, p2, p3;
        double angle, tol;
    };
    const Case cases[] = {
        {"right angle", {0, 0, 0}, {1, 0, 0}, {0, 2, 0}, M_PI / 2, 1e-15},
        {"p1 between p2 and p3: half-angle branch", {0, 0, 0}, {-1, 0, 0}, {3, 0, 0}, M_PI, 1e-15},
        {"p2 and p3 on one ray", {1, 1, 1}, {2, 2, 2}, {5, 5, 5}, 0.0, 1e-12},
        {"45 degrees", {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, M_PI / 4, 1e-15},
        {"nearly straight", {0, 0, 0}, {1, 0, 0}, {-1, 1e-4, 0}, M_PI - 1e-4, 1e-10},
        {"nearly zero", {0, 0, 0}, {1, 0, 0}, {1, 1e-9, 0}, 1e-9, 1e-17},
        {"p2 on p1", {1, 2, 3}, {1, 2, 3}, {4, 5, 6}, kAngleUndefined, 0},
        {"p3 within 1e-9 of p1", {1, 2, 3}, {4, 5, 6}, {1, 2, 3 + 1e-9}, kAngleUndefined, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.label);
        const double got = ANGLEXYZ(k.p1, k.p2, k.p3);
        EXPECT_NEAR(got, k.angle, k.tol);
        EXPECT_EQ(ANGLEXYZ(k.p1.x, k.p1.y, k.p1.z, k.p2.x, k.p2.y, k.p2.z, k.p3.x, k.p3.y, k.p3.z), got);
    }
}

TEST(ANGLEXYZ, HugeCoordinatesStopTheRun) {
    MessageCapture capture;
    EXPECT_THROW(ANGLEXYZ(0, 0, 0, 2e20, 0, 0, 0, 1, 0), int);
    EXPECT_TRUE(capture.contains("Input data error in ANGLEXYZ.C:\np1x=0  p1y=0  p1z=0\np2x=2e+20  p2y=0  p2z=0\n"));
    EXPECT_THROW(ANGLEXYZ(0, 0, 0, 1, 0, 0, 0, NAN, 0), int);
}

TEST(Arcsine, KnownValuesSeriesEndsAndRangeWarnings) {
    EXPECT_DOUBLE_EQ(dasin(1.0), M_PI / 2);
    EXPECT_DOUBLE_EQ(dasin(-0.5), -M_PI / 6);
    EXPECT_EQ(dasin(0.0), 0.0);
    EXPECT_NEAR(dcselv(-1.0), 0.0, 3e-17);                             // y = 0
    EXPECT_NEAR(dcselv(1.0), M_PI / 4 * std::sqrt(2.0) - 1.0, 2e-16);  // y^2 = 1/2
    MessageCapture capture;
    dcselv(1.0000000000000002);
    EXPECT_EQ(capture.text(), "");
    EXPECT_DOUBLE_EQ(dasin(1.5), M_PI / 2);
    EXPECT_EQ(capture.text(), " Warning in dasin(x): fabs(x)=1.5 > 1.  Set to 1.\n");
    dcselv(1.5);
    EXPECT_EQ(capture.text(), " Warning in dasin(x): fabs(x)=1.5 > 1.  Set to 1.\n"
                              " Warning: in dcselv(): fabs(x)=1.500000e+00 > 1.\n");
}

TEST(Arcsine, AgreesWithTheLibraryOverTheWholeRange) {
    MessageCapture capture;
    for (int i = -2000; i <= 2000; ++i) EXPECT_NEAR(dasin(i / 2000.0), std::asin(i / 2000.0), 1e-15) << i;
    EXPECT_EQ(capture.text(), "");
}

// The table reproduces the leading coefficients as published to 17 digits.
// The published last coefficient, 1.6222501166399013e-32, is the value of an
// expansion of the power series cut after its 69th term; the exact
// coefficient is 0.4% larger. The difference, 7e-35, lies 15 orders of
// magnitude below the resolution of any sum the series produces.
TEST(Arcsine, ChebyshevTableMatchesThePublishedCoefficients) {
    EXPECT_DOUBLE_EQ(kArcsineChebyshev[0], 0.10246391753227159);
    EXPECT_DOUBLE_EQ(kArcsineChebyshev[1], 0.054946487221245836);
    EXPECT_DOUBLE_EQ(kArcsineChebyshev[2], 0.00408063039254497);
    EXPECT_DOUBLE_EQ(kArcsineChebyshev[3], 0.00040789006854604433);
    EXPECT_NEAR(kArcsineChebyshev[38] / 1.6222501166399013e-32, 1.0, 5e-3);
    for (int k = 2; k < kArcsineSeriesTerms; ++k) {
        EXPECT_GT(kArcsineChebyshev[k], 0.0);
        EXPECT_LT(kArcsineChebyshev[k], kArcsineChebyshev[k - 1] / 5.0) << k;
    }
}

// One solver object takes every system in turn, so set-up also clears the
// previous one. Each case gives its matrix, the range of the condition
// estimate and, when it is to be solved, the solution.
TEST(DenseSolver, SolutionsAndConditionEstimates) {
    using Matrix = std::vector<std::vector<double>>;
    Matrix weighted(25, std::vector<double>(25));  // passes the progress line of column 20
    for (int i = 0; i < 25; ++i)
        for (int j = 0; j < 25; ++j) weighted[i][j] = (i == j) ? 1.0 : 1.0 / (i + 1 + 2 * (j + 1));
    std::vector<double> one_to_25;
    for (int i = 1; i <= 25; ++i) one_to_25.push_back(i);
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* label;
        Matrix a;
        double cond_lo, cond_hi;
        std::vector<double> x;  // empty: not solved
        double tol;
    };
    const Case cases[] = {
        {"3x3 needing pivots", {{0, 2, 1}, {1, 1, 1}, {4, -1, 3}}, 1.0, 100.0, {1, 2, 3}, 1e-14},
        {"diag(1, 1e-8, 1): condition exactly 1e8", {{1, 0, 0}, {0, 1e-8, 0}, {0, 0, 1}}, 1e8 * (1 - 1e-6),
         1e8 * (1 + 1e-6), {}, 0},
        {"identity", {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, 1.0, 1.0, {}, 0},
        {"two equal rows", {{1, 2, 3}, {1, 2, 3}, {4, 5, 6}}, 1e12, inf, {}, 0},
        {"zero 1x1", {{0.0}}, kSingularCondition, kSingularCondition, {}, 0},
        {"1x1", {{2.0}}, 1.0, 1.0, {2.0}, 0},
        {"25x25 diagonally weighted", weighted, 1.0, inf, one_to_25, 1e-11},
    };
    DenseSolver s;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.label);
        const int n = static_cast<int>(k.a.size());
        ASSERT_EQ(s.w_crout0(n), 0);
        std::vector<double> b(static_cast<std::size_t>(n) + 1, 0.0);
        b[0] = 99.0;
        for (int i = 1; i <= n; ++i)
            for (int j = 1; j <= n; ++j) {
                ASSERT_EQ(s.w_crout1(i, j, k.a[i - 1][j - 1]), 0);
                if (!k.x.empty()) b[i] += k.a[i - 1][j - 1] * k.x[j - 1];
            }
        int ierr = 7;
        double cond = 0;
        s.w_crout2(ierr, cond);
        EXPECT_EQ(ierr, 0);
        EXPECT_GE(cond, k.cond_lo);
        EXPECT_LE(cond, k.cond_hi);
        if (k.x.empty()) continue;
        ASSERT_EQ(s.w_crout3(b), 0);
        EXPECT_EQ(b[0], 99.0);
        for (int i = 1; i <= n; ++i) EXPECT_NEAR(b[i], k.x[i - 1], k.tol) << i;
    }
}

TEST(DenseSolver, RefusesBadIndexesAndUseBeforeSetUp) {
    DenseSolver s;
    EXPECT_NE(s.w_crout1(1, 1, 1.0), 0);
    int ierr;
    double cond;
    s.w_crout2(ierr, cond);
    EXPECT_NE(ierr, 0);
    std::vector<double> b{0, 1, 2};
    EXPECT_NE(s.w_crout3(b), 0);
    ASSERT_EQ(s.w_crout0(2), 0);
    EXPECT_NE(s.w_crout1(3, 1, 1.0), 0);
    EXPECT_NE(s.w_crout1(1, 0, 1.0), 0);
    EXPECT_EQ(s.w_crout0(0), -1);
}

}  // namespace
}  // namespace korvex
