// The stage that puts nodes along every curve, and the division of general
// (non-arc) curves on the Hermite curve model.
#include "curves/curve_points.h"

#include <cmath>
#include <new>
#include <vector>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "curves/curve_division.h"
#include "curves/hermite_curve.h"
#include "curves/node_coincidence.h"
#include "model/run.h"

namespace korvex {

namespace {

// A generated node snaps onto a definition point closer than this fraction of a step.
constexpr double kSnapFraction = 1e-6;
// Interval counts of short curves: straight ones get 2, curved ones 4.
constexpr int kStraightMinIntervals = 2;
constexpr int kCurvedMinIntervals = 4;
constexpr int kProgressEveryCurves = 1000;

void zero_tiny_coordinates(Vec3& x, double limit) {
    for (int k = 0; k < 3; ++k)
        if (std::fabs(x[k]) < limit) x[k] = 0.0;
}

// Refuses what the curve model cannot divide: too few or too many definition
// points, or two consecutive ones at the same place (a segment of no length).
int check_definition_points(const Curve& cv, const std::vector<Vec3>& P, const Array1<ControlPoint>& points) {
    const int n = cv.num_points;
    if (n < 2 || n > MAX_POINTS_PER_CURVE) {
        report(" Input data error: curve %s is defined by %i points.\n", cv.name.c_str(), n);
        return 0;
    }
    for (int i = 1; i < n; ++i) {
        if (distance(P[static_cast<std::size_t>(i)], P[static_cast<std::size_t>(i + 1)]) > 0.0) continue;
        report(" Input data error: curve %s: consecutive definition points %s and %s coincide.\n",
               cv.name.c_str(), points[cv.points_id[static_cast<std::size_t>(i)]].name.c_str(),
               points[cv.points_id[static_cast<std::size_t>(i + 1)]].name.c_str());
        return 0;
    }
    return 1;
}

int general_curve_intervals(const Curve& cv, double L) {
    const bool straight = cv.name.starts_with("QL") || cv.num_points == 2;
    const int minimum = straight ? kStraightMinIntervals : kCurvedMinIntervals;
    if (cv.step > L) return minimum;
    return even_intervals(intervals_for(L, cv.step), minimum);
}

// Every interior definition point records the curve it lies inside.
void mark_interior_definition_points(Run& run) {
    for (int c = 1; c <= run.nCurves; ++c) {
        const Curve& cv = run.curves[c];
        for (int j = 2; j < cv.num_points && j <= MAX_POINTS_PER_CURVE; ++j)
            run.points[cv.points_id[static_cast<std::size_t>(j)]].curve_id = c;
    }
}

std::vector<int> internal_points(const Run& run) {
    std::vector<int> list;
    for (int i = 1; i <= run.nPoints; ++i)
        if (run.points[i].PINT == 1) list.push_back(i);
    return list;
}

int report_coincident_nodes(const Array1<ControlPoint>& nodes, const CoincidentPair& pair) {
    const ControlPoint& a = nodes[pair.i];
    const ControlPoint& b = nodes[pair.j];
    report("In CURVE.C: two coincident points (dist=%g):\n%s(%25.15lf,%25.10lf,%25.10lf)\n"
           "%s(%25.15lf,%25.10lf,%25.10lf)\n",
           distance(a.pos(), b.pos()), a.name.c_str(), a.x, a.y, a.z, b.name.c_str(), b.x, b.y, b.z);
    return 0;
}

int divide_all_curves(Run& run, int max_new_points) {
    run.num_new_points = 0;
    // new_id indexes the node list, which starts empty: nothing may point into it yet.
    for (int i = 1; i <= run.nPoints; ++i) run.points[i].new_id = 0;
    mark_interior_definition_points(run);
    assign_internal_points_to_curves(run.points, run.nPoints);
    const std::vector<int> pint_points = internal_points(run);

    NodeCoincidenceIndex checked;
    NodeList list{run.new_points, run.num_new_points, max_new_points};
    for (int c = 1; c <= run.nCurves; ++c) {
        if (c % kProgressEveryCurves == 0) report("   ...processing curve %i  (nCurves=%i)\n", c, run.nCurves);
        if (run.curves[c].name[0] == 'C') {
            if (!generatePointsOnArc(c, run.points, run.curves, run.num_new_points, run.new_points, max_new_points,
                                     checked))
                return 0;
            continue;
        }
        if (!divide_general_curve(c, run.points, run.curves, list)) return 0;
        attach_internal_points_to_curve(c, pint_points, run.points, run.curves, run.new_points, checked);
    }

    project_sphere_curve_nodes(run.patches, run.nPatches, run.curves, run.new_points);
    const CoincidentPair pair = first_coincident_pair(run.new_points, run.num_new_points);
    if (pair) return report_coincident_nodes(run.new_points, pair);
    return 1;
}

}  // namespace

int divide_general_curve(int c, Array1<ControlPoint>& points, Array1<Curve>& curves, NodeList& list) {
    Curve& cv = curves[c];
    const int n = cv.num_points;
    std::vector<Vec3> P(static_cast<std::size_t>(n > 0 ? n : 0) + 1);
    for (int i = 1; i <= n && i <= MAX_POINTS_PER_CURVE; ++i)
        P[static_cast<std::size_t>(i)] = points[cv.points_id[static_cast<std::size_t>(i)]].pos();
    if (!check_definition_points(cv, P, points)) return 0;

    HermiteChain chain;
    chain.build(n, P);
    const double L = chain.length();
    cv.length = L;
    const int N = general_curve_intervals(cv, L);
    if (N + 1 > MAX_POINTS_PER_CURVE) {
        report("Increase MAX_POINTS_PER_CURVE in korvex.h (currently =%i)\n", MAX_POINTS_PER_CURVE);
        return 0;
    }
    cv.num_new_points = N + 1;

    const int first = node_for_input_point(points, cv.points_id[1], list,
                                           " Increase MAX_NEW_POINTS in korvex.h (currently =%i)\n");
    if (first == 0) return 0;
    cv.new_points_id[1] = first;
    const double snap_tolerance = kSnapFraction * L / N;
    for (int k = 2; k <= N; ++k) {
        const double s = static_cast<double>(k - 1) / N;
        Vec3 x;
        if (!chain.evaluate(s, x)) {
            report("Internal error in CURVE.C: curve %s has no segment at s=%g\n", cv.name.c_str(), s);
            return 0;
        }
        zero_tiny_coordinates(x, kSqrtEps);
        const int node =
            append_generated_node(x, c, list, " Increase MAX_NEW_POINTS in korvex.h (currently =%i)  (2)\n");
        if (node == 0) return 0;
        snap_to_definition_points(node, cv, points, list, snap_tolerance);
        cv.new_points_id[static_cast<std::size_t>(k)] = node;
    }
    const int last = node_for_input_point(points, cv.points_id[static_cast<std::size_t>(n)], list,
                                          " Increase MAX_NEW_POINTS in korvex.h (currently =%i)  (3)\n");
    if (last == 0) return 0;
    cv.new_points_id[static_cast<std::size_t>(N + 1)] = last;
    return 1;
}

int generatePointsAlongCurves(Run& run, int max_new_points) {
    try {
        return divide_all_curves(run, max_new_points);
    } catch (const std::bad_alloc&) {
        report("Not enough memory in generatePointsAlongCurves() (file CURVE.C)\n");
        return 0;
    }
}

}  // namespace korvex
