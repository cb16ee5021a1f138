#include "curves/arcsine.h"

#include <cmath>

#include "base/messages.h"
#include "base/numeric_constants.h"

namespace korvex {

namespace {

// |t| may exceed 1 by rounding in the argument 4y^2 - 1; beyond this it is reported.
constexpr double kSeriesArgumentLimit = 1.00000000000001;

}  // namespace

double dcselv(double t) {
    if (std::fabs(t) > kSeriesArgumentLimit) report(" Warning: in dcselv(): fabs(x)=%e > 1.\n", std::fabs(t));
    const double twot = 2.0 * t;
    double b0 = 0.0, b1 = 0.0, b2 = 0.0;
    for (int k = kArcsineSeriesTerms - 1; k >= 0; --k) {
        b2 = b1;
        b1 = b0;
        b0 = twot * b1 - b2 + kArcsineChebyshev[k];
    }
    return (b0 - b2) / 2.0;
}

double dasin(double x) {
    double y = std::fabs(x);
    if (y > 1.0) {
        report(" Warning in dasin(x): fabs(x)=%g > 1.  Set to 1.\n", y);
        y = 1.0;
    }
    const double y2 = y * y;
    double r;
    if (y2 <= 0.5) {
        r = y * (1.0 + dcselv(4.0 * y2 - 1.0));
    } else {
        // arcsin(y) = pi/2 - arcsin(sqrt(1 - y^2)), with sqrt(1 - y^2) in the series range.
        r = kPi / 2.0 - std::sqrt(1.0 - y2) * (1.0 + dcselv(3.0 - 4.0 * y2));
    }
    if (r > kPi / 2.0) r = kPi / 2.0;
    if (x == 0.0) return 0.0;
    return x < 0.0 ? -r : r;
}

}  // namespace korvex
