// divide_arc_to_2: a circular arc is cut in two at the middle of its sweep.
// Each half is given defining points at every step along it, so that the
// nodes later placed on the half fall on points that carry the arc's name.
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "curves/curve_division.h"
#include "curves/dense_solver.h"
#include "curves/geometry_kernels.h"
#include "input/edge_conversion.h"
#include "interface/messages.h"

namespace korvex {

namespace {

constexpr double kMinPlaneNormal = 1e-12;   // |(M - A) x (E - A)| below this: points in line
constexpr double kPlaneTolerance = 1e-6;    // distance of a defining point from the plane
constexpr double kMaxCondition = 1e12;      // centre system worse than this: points in line
constexpr double kRadiusTolerance = 1e-6;   // relative deviation of a point from the circle
constexpr double kMinCross = 1e-7;          // below: the two radii are taken as collinear
constexpr double kFlipTolerance = 5.0 * M_PI / 180.0;
constexpr double kHalfTurnTolerance = M_PI / 180.0;
constexpr double kSnapFraction = 0.001;     // of one step: a placed point this close is the defining point

struct Circle {
    Vec3 A, M, E;     // first, middle and last defining point
    Vec3 normal;      // unit normal of the plane
    double d = 0;     // plane: normal . x = d
    Vec3 C;           // centre
    double R = 0;
    double sweep = 0; // from A to E along the arc
    int sense = 1;    // +1 positive about the normal, -1 negative
};

Vec3 defining_point(const Run& run, const Curve& cv, int j) {
    return run.points[cv.points_id[static_cast<std::size_t>(j)]].pos();
}

int find_plane(const Run& run, const Curve& cv, Circle& f) {
    const int n = cv.num_points;
    f.A = defining_point(run, cv, 1);
    f.M = defining_point(run, cv, n / 2 + 1);
    f.E = defining_point(run, cv, n);
    const Vec3 w = cross(f.M - f.A, f.E - f.A);
    const double anorm = norm(w);
    if (!(anorm >= kMinPlaneNormal)) {
        report(" Error in divide_arc_to_2():  anorm=%g\n", anorm);
        report("  Probable reason: points of arc curve %s   are inlined.\n", cv.name.c_str());
        return 0;
    }
    f.normal = w / anorm;
    f.d = dot(f.normal, f.A);
    for (int j = 1; j <= n; ++j) {
        const Vec3 p = defining_point(run, cv, j);
        double dist = std::fabs(dot(f.normal, p) - f.d);
        if (norm(p) >= 1.0 - 2.0 * kSqrtEps) dist /= norm(p);
        if (dist > kPlaneTolerance) {
            report(" Check input data : not all points defining \n    arc curve %s belong to one and the same plane.\n",
                   cv.name.c_str());
            return 0;
        }
    }
    return 1;
}

// Centre: equidistant from A and M, from M and E, and in the plane.
int find_centre(Circle& f) {
    DenseSolver solver;
    if (solver.w_crout0(3) != 0) {
        report(" Error in divide_arc_to_2():   cannot initialize w_crout0():  ierr=%i\n", -1);
        return 0;
    }
    const Vec3 rows[3] = {f.A - f.M, f.M - f.E, f.normal};
    std::vector<double> rhs{0.0, (dot(f.A, f.A) - dot(f.M, f.M)) / 2.0, (dot(f.M, f.M) - dot(f.E, f.E)) / 2.0, f.d};
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j) solver.w_crout1(i, j, rows[i - 1][j - 1]);
    int ierr = 0;
    double cond = 0.0;
    solver.w_crout2(ierr, cond);
    if (ierr != 0 || !(cond <= kMaxCondition)) {
        report(" Error in divide_arc_to_2():   cannot factorize the matrix in w_crout2():  ierr=%i   cond=%e\n", ierr,
               cond);
        return 0;
    }
    solver.w_crout3(rhs);
    f.C = {rhs[1], rhs[2], rhs[3]};
    return 1;
}

int check_radius(const Run& run, const Curve& cv, Circle& f) {
    f.R = (distance(f.A, f.C) + distance(f.M, f.C) + distance(f.E, f.C)) / 3.0;
    for (int j = 1; j <= cv.num_points; ++j) {
        if (std::fabs(distance(defining_point(run, cv, j), f.C) - f.R) / f.R <= kRadiusTolerance) continue;
        report(" Check input data : definition of arc curve %s contains\n  point(s) that geometrically do(es) not "
               "belong\n  to the arc.\n",
               cv.name.c_str());
        return 0;
    }
    return 1;
}

// Angle from CA to CP in the positive sense about the normal, in [0, 2pi);
// -1 when P lies on the line through C and A without being opposite A.
double angle_from_start(const Circle& f, const Vec3& P) {
    double theta = ANGLEXYZ(f.C, f.A, P);
    const Vec3 w = cross(f.A - f.C, P - f.C);
    if (norm(w) >= kMinCross) {
        if (std::fabs(angle_between(w, f.normal) - M_PI) < kFlipTolerance) theta = 2.0 * M_PI - theta;
        return theta;
    }
    return std::fabs(theta - M_PI) <= kHalfTurnTolerance ? M_PI : -1.0;
}

int find_sweep(const Curve& cv, Circle& f) {
    const double theta_M = angle_from_start(f, f.M);
    const double theta_E = angle_from_start(f, f.E);
    if (theta_M < 0.0 || theta_E < 0.0) {
        report(" Arc curve %s input data error:\n an intermediate point either coincides with\n the start point or "
               "doesn't belong to the arc.\n",
               cv.name.c_str());
        return 0;
    }
    f.sense = theta_E > theta_M ? 1 : -1;
    f.sweep = theta_E > theta_M ? theta_E : 2.0 * M_PI - theta_E;
    return 1;
}

int find_circle(const Run& run, const Curve& cv, Circle& f) {
    if (cv.num_points < 3) {
        report(" Input data error: arc curve %s must have at least    3 points.\n", cv.name.c_str());
        return 0;
    }
    return find_plane(run, cv, f) && find_centre(f) && check_radius(run, cv, f) && find_sweep(cv, f);
}

// Point at angle phi (in the arc's sense) from A around the circle.
Vec3 point_on_circle(const Circle& f, double phi) {
    const Vec3 e1 = (f.A - f.C) / distance(f.A, f.C);
    const Vec3 e2 = cross(f.normal, e1);
    const double a = f.sense * phi;
    return f.C + (e1 * std::cos(a) + e2 * std::sin(a)) * f.R;
}

// Defining point for position x: an inner defining point of the old arc
// within tol, or a new point.
int place_point(Run& run, const Curve& old, const Vec3& x, double tol, const char* name_format,
                const char* limit_format) {
    for (int j = 2; j < old.num_points; ++j) {
        const int id = old.points_id[static_cast<std::size_t>(j)];
        if (distance(run.points[id].pos(), x) < tol) return id;
    }
    return append_generated_point(run, x, name_format, old.name_original, limit_format);
}

// Steps of one half: at least 4, even.
int half_intervals(double length, double step) { return even_intervals(intervals_for(length, step), 4); }

// Inner points of the half from angle `from`, `n` steps of `delta`.
int place_half(Run& run, const Curve& old, const Circle& f, double from, int n, double delta, const char* name_format,
               const char* limit_format, std::vector<int>& ids) {
    const double tol = kSnapFraction * f.R * delta;
    for (int k = 1; k < n; ++k) {
        const int id = place_point(run, old, point_on_circle(f, from + k * delta), tol, name_format, limit_format);
        if (id == 0) return 0;
        ids.push_back(id);
    }
    return 1;
}

int cut_arc(Run& run, int signed_id, int& new_curve) {
    const int c = std::abs(signed_id);
    new_curve = 0;
    Circle f;
    if (!find_circle(run, run.curves[c], f)) return 0;
    const double half = f.sweep / 2.0;
    const int n1 = half_intervals(half * f.R, run.curves[c].step);
    const int n2 = half_intervals(half * f.R, run.curves[c].step);
    if (n1 + 1 > MAX_POINTS_PER_CURVE || n2 + 1 > MAX_POINTS_PER_CURVE) {
        report("Increase MAX_POINTS_PER_CURVE (curr.=%i)\n", MAX_POINTS_PER_CURVE);
        return 0;
    }
    const Curve old = run.curves[c];  // the table may grow below
    const int first = old.points_id[1];
    const int last = old.points_id[static_cast<std::size_t>(old.num_points)];
    const int middle = place_point(run, old, point_on_circle(f, half), kSnapFraction * half * f.R / n1, "P@A%05i",
                                   "Increase MAX_CONTROL_POINTS (curr.%i) (PREPRO23.C; 3)\n");
    if (middle == 0) return 0;
    std::vector<int> first_half{first};
    if (!place_half(run, old, f, 0.0, n1, half / n1, "P@B%05i", "Increase MAX_CONTROL_POINTS (curr.%i) (PREPRO23.C; 4)\n",
                    first_half))
        return 0;
    first_half.push_back(middle);
    std::vector<int> second_half{middle};
    if (!place_half(run, old, f, half, n2, half / n2, "P@D%05i", "Increase MAX_CONTROL_POINTS (curr.%i) (PREPRO23.C; 5)\n",
                    second_half))
        return 0;
    second_half.push_back(last);

    new_curve = append_generated_curve(run, c, "C@%06i", "Increase MAX_CURVES(curr.=%i) in KORVEX.H\n   (PREPRO23.C   3)\n");
    if (new_curve == 0) return 0;
    set_curve_points(run, c, first_half);
    set_curve_points(run, new_curve, second_half);
    return 1;
}

}  // namespace

int divide_arc_to_2(Run& run, int signed_id, int& new_curve) {
    try {
        return cut_arc(run, signed_id, new_curve);
    } catch (const std::bad_alloc&) {
        report(" Out of memory in divide_arc_to_2().\n");
        return 0;
    }
}

}  // namespace korvex
