// Internal points ("PINT" points) that lie on a general curve: the nearest
// movable node of the curve is moved onto each of them.
#include <cmath>
#include <vector>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "curves/curve_division.h"
#include "curves/node_coincidence.h"

namespace korvex {

namespace {

// An internal point this close to an ordinary point belongs to that point's curve.

// Generated nodes may be moved; nodes named after input points may not.
bool movable(const PointName& name) { return name[1] == '$' || (name[1] == '@' && name[0] == 'P'); }
bool input_point(const PointName& name) { return name[1] != '$' && name[1] != '@'; }

// The node interval a..b of the curve on whose chord p lies most nearly:
// |(|a-b| - |p-a| - |p-b|)| / |a-b| is 0 on the chord; the first smallest wins.
int nearest_interval(const Curve& cv, const Vec3& p, const Array1<ControlPoint>& nodes) {
    int best = 0;
    double best_value = 0.0;
    for (int k = 1; k < cv.num_new_points; ++k) {
        const Vec3 a = nodes[cv.new_points_id[static_cast<std::size_t>(k)]].pos();
        const Vec3 b = nodes[cv.new_points_id[static_cast<std::size_t>(k + 1)]].pos();
        const double ab = distance(a, b);
        const double value = std::fabs(ab - distance(p, a) - distance(p, b)) / ab;
        if (best == 0 || value < best_value) {
            best = k;
            best_value = value;
        }
    }
    return best;
}

// The node of interval a..b that goes onto p, or 0 when neither may move.
int node_to_move(int a, int b, const Vec3& p, const Array1<ControlPoint>& nodes) {
    const PointName& na = nodes[a].name;
    const PointName& nb = nodes[b].name;
    if (movable(na) && movable(nb)) return distance(nodes[a].pos(), p) <= distance(nodes[b].pos(), p) ? a : b;
    if (movable(na) && input_point(nb)) return a;
    if (input_point(na) && movable(nb)) return b;
    return 0;
}

}  // namespace

void assign_internal_points_to_curves(Array1<ControlPoint>& points, int nPoints) {
    std::vector<int> pint;
    for (int q = 1; q <= nPoints; ++q)
        if (points[q].PINT == 1) pint.push_back(q);
    if (pint.empty()) return;
    for (int p = 1; p <= nPoints; ++p) {
        if (points[p].PINT != 0) continue;
        for (int q : pint) {
            if (!(distance(points[p].pos(), points[q].pos()) <= kPointTolerance)) continue;
            points[q].curve_id = points[p].curve_id;
            break;
        }
    }
}

void attach_internal_points_to_curve(int c, const std::vector<int>& pint_points, const Array1<ControlPoint>& points,
                                     const Array1<Curve>& curves, Array1<ControlPoint>& new_points,
                                     NodeCoincidenceIndex& checked) {
    const Curve& cv = curves[c];
    for (int p : pint_points) {
        const ControlPoint& P = points[p];
        if (P.curve_id != c) continue;
        report("Moving %s  (belongs to %s)\n", P.name.c_str(), cv.name.c_str());
        const int k = nearest_interval(cv, P.pos(), new_points);
        if (k == 0) continue;
        const int a = cv.new_points_id[static_cast<std::size_t>(k)];
        const int b = cv.new_points_id[static_cast<std::size_t>(k + 1)];
        const int node = node_to_move(a, b, P.pos(), new_points);
        if (node == 0) {
            report("Input data inconsistency: %s cannot be \n accomodated. Reduce step size on %s\n", P.name.c_str(),
                   cv.name.c_str());
            continue;
        }
        new_points[node].set_pos(P.pos());
        checked.moved(node);
    }
}

}  // namespace korvex
