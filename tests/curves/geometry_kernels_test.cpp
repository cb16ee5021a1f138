#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "curve_test_model.h"
#include "curves/arcsine.h"
#include "curves/dense_solver.h"
#include "curves/geometry_kernels.h"

namespace korvex {
namespace {

using testing::MessageCapture;

TEST(ANGLEXYZ, KnownAngles) {
    EXPECT_DOUBLE_EQ(ANGLEXYZ(0, 0, 0, 1, 0, 0, 0, 2, 0), M_PI / 2);
    // p1 between p2 and p3: a straight angle, through the half-angle branch.
    EXPECT_DOUBLE_EQ(ANGLEXYZ(0, 0, 0, -1, 0, 0, 3, 0, 0), M_PI);
    // p2 and p3 on one ray: zero.
    EXPECT_NEAR(ANGLEXYZ(Vec3{1, 1, 1}, Vec3{2, 2, 2}, Vec3{5, 5, 5}), 0.0, 1e-12);
    EXPECT_NEAR(ANGLEXYZ(Vec3{0, 0, 0}, Vec3{1, 0, 0}, Vec3{1, 1, 0}), M_PI / 4, 1e-15);
    EXPECT_NEAR(ANGLEXYZ(Vec3{0, 0, 0}, Vec3{1, 0, 0}, Vec3{-1, 1e-4, 0}), M_PI - 1e-4, 1e-10);
    EXPECT_NEAR(ANGLEXYZ(Vec3{0, 0, 0}, Vec3{1, 0, 0}, Vec3{1, 1e-9, 0}), 1e-9, 1e-17);
}

TEST(ANGLEXYZ, CoincidentPointsGiveTheUndefinedMarker) {
    EXPECT_EQ(ANGLEXYZ(Vec3{1, 2, 3}, Vec3{1, 2, 3}, Vec3{4, 5, 6}), kAngleUndefined);
    EXPECT_EQ(ANGLEXYZ(Vec3{1, 2, 3}, Vec3{4, 5, 6}, Vec3{1, 2, 3 + 1e-9}), kAngleUndefined);
}

TEST(ANGLEXYZ, HugeCoordinatesStopTheRun) {
    MessageCapture capture;
    EXPECT_THROW(ANGLEXYZ(0, 0, 0, 2e20, 0, 0, 0, 1, 0), int);
    EXPECT_TRUE(capture.contains("Input data error in ANGLEXYZ.C:\np1x=0  p1y=0  p1z=0\np2x=2e+20  p2y=0  p2z=0\n"));
    EXPECT_THROW(ANGLEXYZ(0, 0, 0, 1, 0, 0, 0, NAN, 0), int);
}

TEST(Arcsine, KnownValuesAndWarning) {
    EXPECT_DOUBLE_EQ(dasin(1.0), M_PI / 2);
    EXPECT_DOUBLE_EQ(dasin(-0.5), -M_PI / 6);
    EXPECT_EQ(dasin(0.0), 0.0);
    MessageCapture capture;
    EXPECT_DOUBLE_EQ(dasin(1.5), M_PI / 2);
    EXPECT_EQ(capture.text(), " Warning in dasin(x): fabs(x)=1.5 > 1.  Set to 1.\n");
}

TEST(Arcsine, AgreesWithTheLibraryOverTheWholeRange) {
    MessageCapture capture;
    for (int i = -2000; i <= 2000; ++i) {
        const double x = i / 2000.0;
        EXPECT_NEAR(dasin(x), std::asin(x), 1e-15) << x;
    }
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

TEST(Arcsine, SeriesEndsAndRangeWarning) {
    EXPECT_NEAR(dcselv(-1.0), 0.0, 3e-17);                               // y = 0
    EXPECT_NEAR(dcselv(1.0), M_PI / 4 * std::sqrt(2.0) - 1.0, 2e-16);    // y^2 = 1/2
    MessageCapture capture;
    dcselv(1.0000000000000002);
    EXPECT_EQ(capture.text(), "");
    dcselv(1.5);
    EXPECT_EQ(capture.text(), " Warning: in dcselv(): fabs(x)=1.500000e+00 > 1.\n");
}

void fill(DenseSolver& s, const std::vector<std::vector<double>>& a) {
    const int n = static_cast<int>(a.size());
    ASSERT_EQ(s.w_crout0(n), 0);
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) ASSERT_EQ(s.w_crout1(i, j, a[i - 1][j - 1]), 0);
}

TEST(DenseSolver, SolvesA3x3SystemThatNeedsPivoting) {
    DenseSolver s;
    fill(s, {{0, 2, 1}, {1, 1, 1}, {4, -1, 3}});
    int ierr = 7;
    double cond = 0;
    s.w_crout2(ierr, cond);
    EXPECT_EQ(ierr, 0);
    EXPECT_GE(cond, 1.0);
    EXPECT_LT(cond, 100.0);
    // x = (1, 2, 3)
    std::vector<double> b{99.0, 7.0, 6.0, 11.0};
    ASSERT_EQ(s.w_crout3(b), 0);
    EXPECT_EQ(b[0], 99.0);
    EXPECT_NEAR(b[1], 1.0, 1e-14);
    EXPECT_NEAR(b[2], 2.0, 1e-14);
    EXPECT_NEAR(b[3], 3.0, 1e-14);
}

TEST(DenseSolver, ConditionEstimateTracksTheTrueCondition) {
    // diag(1, 1e-8, 1): the 1-norm condition is exactly 1e8.
    DenseSolver s;
    fill(s, {{1, 0, 0}, {0, 1e-8, 0}, {0, 0, 1}});
    int ierr;
    double cond;
    s.w_crout2(ierr, cond);
    EXPECT_NEAR(cond / 1e8, 1.0, 1e-6);
    DenseSolver identity;
    fill(identity, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
    identity.w_crout2(ierr, cond);
    EXPECT_EQ(cond, 1.0);
}

TEST(DenseSolver, SingularSystems) {
    DenseSolver s;
    fill(s, {{1, 2, 3}, {1, 2, 3}, {4, 5, 6}});
    int ierr;
    double cond;
    s.w_crout2(ierr, cond);
    EXPECT_EQ(ierr, 0);
    EXPECT_GE(cond, 1e12);
    DenseSolver one;
    fill(one, {{0.0}});
    one.w_crout2(ierr, cond);
    EXPECT_EQ(cond, kSingularCondition);
    fill(one, {{2.0}});
    one.w_crout2(ierr, cond);
    EXPECT_EQ(cond, 1.0);
    std::vector<double> b{0, 4};
    one.w_crout3(b);
    EXPECT_EQ(b[1], 2.0);
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

TEST(DenseSolver, LargerSystemMatchesAKnownSolution) {
    // A 25x25 diagonally weighted system with x_i = i; also passes the
    // progress line of the 20th column.
    const int n = 25;
    DenseSolver s;
    ASSERT_EQ(s.w_crout0(n), 0);
    std::vector<double> b(n + 1, 0.0);
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) {
            const double a = (i == j) ? 1.0 : 1.0 / (i + 2 * j);
            s.w_crout1(i, j, a);
            b[i] += a * j;
        }
    int ierr;
    double cond;
    s.w_crout2(ierr, cond);
    ASSERT_EQ(ierr, 0);
    s.w_crout3(b);
    for (int i = 1; i <= n; ++i) EXPECT_NEAR(b[i], i, 1e-11);
}

}  // namespace
}  // namespace korvex
