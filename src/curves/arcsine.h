// Arcsine accurate over the whole range [-1, 1], built on a fixed Chebyshev
// series, so that angles come out identically on every platform.
#pragma once

namespace korvex {

constexpr int kArcsineSeriesTerms = 39;

// The coefficients c0..c38 of the series evaluated by dcselv.
extern const double kArcsineChebyshev[kArcsineSeriesTerms];

// Arcsine of x in radians, in [-pi/2, pi/2]. |x| > 1 is reported as a
// warning and treated as |x| = 1.
double dasin(double x);

// Clenshaw sum c0/2 + sum_k ck*Tk(t) of the arcsine series, for t in [-1, 1]:
// arcsin(y)/y - 1 with t = 4y^2 - 1. A t outside [-1, 1] (beyond rounding)
// is reported as a warning and the series is evaluated anyway.
double dcselv(double t);

}  // namespace korvex
