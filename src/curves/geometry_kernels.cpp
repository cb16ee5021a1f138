#include "curves/geometry_kernels.h"

#include <algorithm>
#include <cmath>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "curves/arcsine.h"

namespace korvex {

namespace {

bool coordinate_out_of_range(double v) { return !(std::fabs(v) <= kAngleCoordinateLimit); }

}  // namespace

double ANGLEXYZ(double p1x, double p1y, double p1z, double p2x, double p2y, double p2z, double p3x,
                double p3y, double p3z) {
    const double all[9] = {p1x, p1y, p1z, p2x, p2y, p2z, p3x, p3y, p3z};
    if (std::any_of(std::begin(all), std::end(all), coordinate_out_of_range)) {
        report("Input data error in ANGLEXYZ.C:\np1x=%g  p1y=%g  p1z=%g\np2x=%g  p2y=%g  p2z=%g\n"
               "p3x=%g  p3y=%g  p3z=%g\n",
               p1x, p1y, p1z, p2x, p2y, p2z, p3x, p3y, p3z);
        fatal_stop();
    }
    const Vec3 p1{p1x, p1y, p1z}, p2{p2x, p2y, p2z}, p3{p3x, p3y, p3z};
    const double a = distance(p1, p2);
    const double b = distance(p1, p3);
    const Vec3 d23 = p2 - p3;
    const double c2 = dot(d23, d23);
    if (a < kSqrtEps || b < kSqrtEps) return kAngleUndefined;

    // Law of cosines, written with ratios so that it stays well scaled.
    double cos_t = (a / b + b / a - c2 / (a * b)) / 2.0;
    cos_t = std::clamp(cos_t, -1.0, 1.0);
    if (cos_t >= -0.9 && cos_t <= 0.9) return kPi / 2.0 - dasin(cos_t);

    // Near 0 or pi the cosine loses the angle; the half-angle form keeps it:
    // sin^2(theta/2) = (c - a + b)(c + a - b) / (4ab).
    const double c = std::sqrt(c2);
    double h = (a / 2 - b / 2 + c / 2) * (b / 2 - a / 2 + c / 2) / (a * b);
    h = std::max(h, 0.0);
    return 2.0 * dasin(std::min(1.0, std::sqrt(h)));
}

double ANGLEXYZ(const Vec3& p1, const Vec3& p2, const Vec3& p3) {
    return ANGLEXYZ(p1.x, p1.y, p1.z, p2.x, p2.y, p2.z, p3.x, p3.y, p3.z);
}

}  // namespace korvex
