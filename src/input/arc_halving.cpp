// divide_arc_to_2: a circular arc is cut in two at the middle of its sweep.
// Each half is given defining points at every step along it, so that the
// nodes later placed on the half fall on points that carry the arc's name.
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "base/messages.h"
#include "curves/arc_frame.h"
#include "curves/curve_division.h"
#include "curves/geometry_kernels.h"
#include "input/edge_conversion.h"

namespace korvex {

namespace {

constexpr double kSnapFraction = 0.001;     // of one step: a placed point this close is the defining point

int find_plane(const Run& run, const Curve& cv, ArcFrame& f) {
    const double anorm = set_arc_plane_of(run.points, cv, f);
    if (!(anorm >= kMinArcPlaneNormal)) {
        report(" Error in divide_arc_to_2():  anorm=%g\n", anorm);
        report("  Probable reason: points of arc curve %s   are inlined.\n", cv.name.c_str());
        return 0;
    }
    if (any_point_off_arc_plane(f, run.points, cv)) {
        report(" Check input data : not all points defining \n    arc curve %s belong to one and the same plane.\n",
               cv.name.c_str());
        return 0;
    }
    return 1;
}

int find_centre(ArcFrame& f) {
    int ierr = 0;
    double cond = 0.0;
    const int solved = solve_arc_centre(f, ierr, cond);
    if (solved < 0) {
        report(" Error in divide_arc_to_2():   cannot initialize w_crout0():  ierr=%i\n", -1);
        return 0;
    }
    if (solved == 0) {
        report(" Error in divide_arc_to_2():   cannot factorize the matrix in w_crout2():  ierr=%i   cond=%e\n", ierr,
               cond);
        return 0;
    }
    return 1;
}

int check_radius(const Run& run, const Curve& cv, ArcFrame& f) {
    set_arc_radius(f);
    if (any_point_off_arc_circle(f, run.points, cv)) {
        report(" Check input data : definition of arc curve %s contains\n  point(s) that geometrically do(es) not "
               "belong\n  to the arc.\n",
               cv.name.c_str());
        return 0;
    }
    return 1;
}

int find_sweep(const Curve& cv, ArcFrame& f) {
    const double theta_M = angle_from_start(f, f.M);
    const double theta_E = angle_from_start(f, f.E);
    if (theta_M < 0.0 || theta_E < 0.0) {
        report(" Arc curve %s input data error:\n an intermediate point either coincides with\n the start point or "
               "doesn't belong to the arc.\n",
               cv.name.c_str());
        return 0;
    }
    set_arc_sweep(f, theta_M, theta_E);
    return 1;
}

int find_circle(const Run& run, const Curve& cv, ArcFrame& f) {
    if (cv.num_points < 3) {
        report(" Input data error: arc curve %s must have at least    3 points.\n", cv.name.c_str());
        return 0;
    }
    return find_plane(run, cv, f) && find_centre(f) && check_radius(run, cv, f) && find_sweep(cv, f);
}

// Point at angle phi (in the arc's sense) from A around the circle.
Vec3 point_on_circle(const ArcFrame& f, double phi) {
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
int place_half(Run& run, const Curve& old, const ArcFrame& f, double from, int n, double delta, const char* name_format,
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
    ArcFrame f;
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
