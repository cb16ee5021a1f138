// divide_curve_to_2: a curve is cut in two at the middle of its length. The
// first half keeps the curve's index; the second becomes a new curve. The
// cut points of a smooth curve are placed on its Hermite model, so that the
// halves describe the same shape.
#include <cstdlib>
#include <vector>

#include "base/messages.h"
#include "curves/curve_division.h"
#include "curves/hermite_curve.h"
#include "input/edge_conversion.h"

namespace korvex {

namespace {

constexpr double kSnapFraction = 0.001;  // of one step: a placed point this close is the defining point

// Even number of steps whose half is even too: a multiple of 4, at least 4.
int halving_intervals(double length, double step) {
    int n = intervals_for(length, step);
    if (n < 4) return 4;
    if (n % 2 != 0) ++n;
    if ((n / 2) % 2 != 0) n += 2;
    return n;
}

// The inner defining point (2..n-1) of the curve within tol of x, first
// in point order; 0 if none.
int nearby_inner_point(const Run& run, const Curve& cv, const Vec3& x, double tol) {
    for (int j = 2; j < cv.num_points; ++j) {
        const int id = cv.points_id[static_cast<std::size_t>(j)];
        if (distance(run.points[id].pos(), x) < tol) return id;
    }
    return 0;
}

int divide_general_curve_to_2(Run& run, int c, int& new_curve) {
    const Curve& cv = run.curves[c];
    std::vector<Vec3> P(static_cast<std::size_t>(cv.num_points) + 1);
    for (int j = 1; j <= cv.num_points; ++j)
        P[static_cast<std::size_t>(j)] = run.points[cv.points_id[static_cast<std::size_t>(j)]].pos();
    HermiteChain chain;
    chain.build(cv.num_points, P);
    const double L = chain.length();
    const int N = halving_intervals(L, cv.step);
    if (N / 2 + 1 > MAX_POINTS_PER_CURVE) {
        report("Increase MAX_POINTS_PER_CURVE (curr.=%i)\n", MAX_POINTS_PER_CURVE);
        return 0;
    }
    std::vector<int> ids{cv.points_id[1]};
    const Name owner = cv.name_original;
    for (int k = 2; k <= N; ++k) {
        Vec3 x;
        if (!chain.evaluate(static_cast<double>(k - 1) / N, x)) {
            report(" Error in divide_curve_to_2(): curve %s cannot be evaluated at its length %g.\n",
                   run.curves[c].name.c_str(), static_cast<double>(k - 1) / N);
            return 0;
        }
        int id = nearby_inner_point(run, run.curves[c], x, kSnapFraction * L / N);
        if (id == 0)
            id = append_generated_point(run, x, "P@%06i", owner,
                                        "Increase MAX_CONTROL_POINTS (curr.%i) (PREPRO23.C; 2)\n");
        if (id == 0) return 0;
        ids.push_back(id);
    }
    ids.push_back(run.curves[c].points_id[static_cast<std::size_t>(run.curves[c].num_points)]);

    new_curve = append_generated_curve(run, c, "Q@%06i", "Increase MAX_CURVES(curr.=%i) in KORVEX.H\n   (PREPRO23.C   2)\n");
    if (new_curve == 0) return 0;
    const auto half = static_cast<std::ptrdiff_t>(N / 2);
    set_curve_points(run, new_curve, std::vector<int>(ids.begin() + half, ids.end()));
    set_curve_points(run, c, std::vector<int>(ids.begin(), ids.begin() + half + 1));
    report_first_close_points(run, "In PREPRO2B.C: two coincident points:\n%s(%25.15lf,%25.10lf,%25.10lf)\n"
                                   "%s(%25.15lf,%25.10lf,%25.10lf)\n");
    return 1;
}

}  // namespace

int divide_curve_to_2(Run& run, int signed_id, int& new_curve) {
    const int c = std::abs(signed_id);
    new_curve = 0;
    if (run.curves[c].name[0] != 'C') return divide_general_curve_to_2(run, c, new_curve);
    if (!divide_arc_to_2(run, signed_id, new_curve)) {
        report("Unsuccessful return from divide_arc_to_2()\n");
        return 0;
    }
    return 1;
}

}  // namespace korvex
