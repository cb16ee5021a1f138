#include "curves/arc_frame.h"

#include <cmath>
#include <vector>

#include "base/numeric_constants.h"
#include "curves/dense_solver.h"
#include "curves/geometry_kernels.h"

namespace korvex {

namespace {

constexpr double kPlaneTolerance = 1e-6;   // distance of a definition point from the plane
constexpr double kRadiusTolerance = 1e-6;  // relative deviation of a point from the circle
constexpr double kMinCross = 1e-7;         // below: the two radii are taken as collinear
constexpr double kFlipTolerance = 5.0 * kPi / 180.0;
constexpr double kHalfTurnTolerance = kPi / 180.0;

}  // namespace

double set_arc_plane(const Vec3& A, const Vec3& M, const Vec3& E, ArcFrame& f) {
    f.A = A;
    f.M = M;
    f.E = E;
    const Vec3 w = cross(f.M - f.A, f.E - f.A);
    const double anorm = norm(w);
    if (!(anorm >= kMinArcPlaneNormal)) return anorm;
    f.normal = w / anorm;
    f.d = dot(f.normal, f.A);
    return anorm;
}

namespace {

Vec3 definition_point(const Array1<ControlPoint>& points, const Curve& cv, int j) {
    return points[cv.points_id[static_cast<std::size_t>(j)]].pos();
}

}  // namespace

double set_arc_plane_of(const Array1<ControlPoint>& points, const Curve& cv, ArcFrame& f) {
    const int n = cv.num_points;
    return set_arc_plane(definition_point(points, cv, 1), definition_point(points, cv, n / 2 + 1),
                         definition_point(points, cv, n), f);
}

bool any_point_off_arc_plane(const ArcFrame& f, const Array1<ControlPoint>& points, const Curve& cv) {
    for (int j = 1; j <= cv.num_points; ++j)
        if (off_arc_plane(f, definition_point(points, cv, j))) return true;
    return false;
}

bool any_point_off_arc_circle(const ArcFrame& f, const Array1<ControlPoint>& points, const Curve& cv) {
    for (int j = 1; j <= cv.num_points; ++j)
        if (off_arc_circle(f, definition_point(points, cv, j))) return true;
    return false;
}

bool off_arc_plane(const ArcFrame& f, const Vec3& p) {
    double dist = std::fabs(dot(f.normal, p) - f.d);
    const double r = norm(p);
    if (r >= 1.0 - 2.0 * kSqrtEps) dist /= r;
    return dist > kPlaneTolerance;
}

int solve_arc_centre(ArcFrame& f, int& ierr, double& cond) {
    DenseSolver solver;
    ierr = 0;
    cond = 0.0;
    if (solver.w_crout0(3) != 0) {
        ierr = -1;
        return -1;
    }
    const Vec3 rows[3] = {f.A - f.M, f.M - f.E, f.normal};
    std::vector<double> rhs{0.0, (dot(f.A, f.A) - dot(f.M, f.M)) / 2.0, (dot(f.M, f.M) - dot(f.E, f.E)) / 2.0, f.d};
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j) solver.w_crout1(i, j, rows[i - 1][j - 1]);
    solver.w_crout2(ierr, cond);
    if (ierr != 0 || !(cond <= kMaxArcCondition)) return 0;
    solver.w_crout3(rhs);
    f.C = {rhs[1], rhs[2], rhs[3]};
    return 1;
}

void set_arc_radius(ArcFrame& f) { f.R = (distance(f.A, f.C) + distance(f.M, f.C) + distance(f.E, f.C)) / 3.0; }

bool off_arc_circle(const ArcFrame& f, const Vec3& p) {
    return !(std::fabs(distance(p, f.C) - f.R) / f.R <= kRadiusTolerance);
}

double angle_from_start(const ArcFrame& f, const Vec3& P) {
    double theta = ANGLEXYZ(f.C, f.A, P);
    const Vec3 w = cross(f.A - f.C, P - f.C);
    if (norm(w) >= kMinCross) {
        if (std::fabs(angle_between(w, f.normal) - kPi) < kFlipTolerance) theta = kTwoPi - theta;
        return theta;
    }
    if (std::fabs(theta - kPi) <= kHalfTurnTolerance) return kPi;
    return -1.0;
}

void set_arc_sweep(ArcFrame& f, double theta_M, double theta_E) {
    f.sense = theta_E > theta_M ? 1 : -1;
    f.sweep = theta_E > theta_M ? theta_E : kTwoPi - theta_E;
}

}  // namespace korvex
