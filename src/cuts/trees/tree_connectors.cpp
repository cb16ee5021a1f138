// boundary_loop_search: a straight connector from a free end of a tree to a
// corner of the outer boundary. Corners are tried in boundary order under an
// acceptance angle that starts wide and is lowered step by step; the first
// connector whose angles, length and distances are acceptable is added to
// the tree.
#include <cmath>
#include <cstdlib>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "curves/geometry_kernels.h"
#include "cuts/connectors/connectors.h"
#include "cuts/trees/trees.h"

namespace korvex {

namespace {

constexpr double kAngleDecrement = 5 * kDegree;
constexpr double kLastAngle = 29.9901 * kDegree;    // attempts go on while the angle is above this
constexpr double kMinAnglePermitted = 25.0;         // degrees, the last angle tried
constexpr double kAngleFailure = 100000;            // the angle kernel's failure values lie above
constexpr double kHalfStepShare = 0.500001;
constexpr double kDistanceFactor = 0.9;
constexpr double kStepsIterLength1 = 6;
constexpr double kStepsIterLength2 = 12;

// The free end and the node next to it along its tree curve.
struct FreeEnd {
    int point = 0, node = 0, next_node = 0, far_node = 0;
    double step = 0, length = 0;
};

FreeEnd free_end(const Run& run, const Tree& tree, int m, int mode) {
    const Curve& c = run.curves[tree_curve_id(run, tree, m)];
    FreeEnd f;
    const int n = c.num_new_points;
    f.point = mode == 1 ? c.points_id[1] : c.points_id[static_cast<std::size_t>(c.num_points)];
    f.node = c.new_points_id[static_cast<std::size_t>(mode == 1 ? 1 : n)];
    f.next_node = c.new_points_id[static_cast<std::size_t>(mode == 1 ? 2 : n - 1)];
    f.far_node = c.new_points_id[static_cast<std::size_t>(mode == 1 ? n : 1)];
    f.length = c.length;
    f.step = c.step > kHalfStepShare * c.length ? kHalfStepShare * c.length : c.step;
    return f;
}

// Nodes of a boundary curve in walking order (signed id): the i-th from its start.
int walked_node(const Curve& c, int sid, int i) {
    const int n = c.num_new_points;
    return c.new_points_id[static_cast<std::size_t>(sid > 0 ? i : n + 1 - i)];
}

// The connector from f to the corner at the start of boundary curve pos.
Connector corner_candidate(const Run& run, const Subregion& s, const FreeEnd& f, int pos) {
    const int n = s.num_curves;
    const int sid = s.curves_id[static_cast<std::size_t>(pos)];
    const int sid_prev = s.curves_id[static_cast<std::size_t>(pos == 1 ? n : pos - 1)];
    const Curve& next = run.curves[std::abs(sid)];
    const Curve& prev = run.curves[std::abs(sid_prev)];
    Connector c;
    c.start_point = f.point;
    c.start_node = f.node;
    c.end_node = walked_node(next, sid, 1);
    c.end_point = sid > 0 ? next.points_id[1] : next.points_id[static_cast<std::size_t>(next.num_points)];
    c.end_pos = pos;
    const int far_next = walked_node(next, sid, next.num_new_points);
    const int far_prev = walked_node(prev, sid_prev, 1);
    const Vec3 F = run.new_points[f.node].pos(), B = run.new_points[c.end_node].pos();
    c.angles[0] = ANGLEXYZ(F, run.new_points[f.next_node].pos(), B);
    c.angles[1] = ANGLEXYZ(B, F, run.new_points[far_next].pos());
    c.angles[2] = ANGLEXYZ(B, F, run.new_points[far_prev].pos());
    c.step_start = f.step;
    const int near_next = walked_node(next, sid, 2);
    const int near_prev = walked_node(prev, sid_prev, prev.num_new_points - 1);
    c.step_end = kHalfStepShare * (distance(B, run.new_points[near_next].pos()) + distance(B, run.new_points[near_prev].pos()));
    c.k_id_curve = sid;
    c.km1_id_curve_prev = sid_prev;
    c.exempt_nodes = {f.node, f.far_node, c.end_node, far_next, far_prev, 0};
    c.length = distance(F, B);
    return c;
}

bool length_acceptable(const Connector& c, int iter_length) {
    if (iter_length == 1) return c.length <= kStepsIterLength1 * c.step;
    if (iter_length == 2) return c.length <= kStepsIterLength2 * c.step;
    return true;
}

// Enters connector c into the model and the tree, at end `mode` of curve m.
int attach_connector(Run& run, int k, int t, int m, int mode, const Connector& c) {
    const int id = append_connector(run, run.patches[k], c, 'c', nullptr, 1);
    if (id == 0) return 0;
    Tree& tree = run.patches[k].trees[static_cast<std::size_t>(t)];
    TreeEndPoint& at = mode == 1 ? tree.ends[static_cast<std::size_t>(m)].start_point
                                 : tree.ends[static_cast<std::size_t>(m)].end_point;
    if (at.nneis > 0) {
        if (mode == 1) report("WALLTR_1.C internal error: \nstart_point[icurtree=%i].nneis=%i > 0\n", m, at.nneis);
        else report("WALLTR_1.C internal error: \nend_point[icurtree=%i].nneis=%i > 0\n", m, at.nneis);
        return 0;
    }
    if (tree.num_curves + 1 > tree.curve_capacity()) {
        report("Increase MAX_CURVES_PER_TREE(currently=%i)\n", run.settings.MAX_CURVES_PER_TREE);
        return 0;
    }
    const int q = ++tree.num_curves;
    tree.curve_names[static_cast<std::size_t>(q)] = run.curves[id].name;
    tree.curve_ids[static_cast<std::size_t>(q)] = id;
    tree.ends.resize(static_cast<std::size_t>(q) + 1);
    TreeEndPoint& here = mode == 1 ? tree.ends[static_cast<std::size_t>(m)].start_point
                                   : tree.ends[static_cast<std::size_t>(m)].end_point;
    here.nneis = 1;
    here.neighbours[1] = q;
    here.codes[1] = kTouchesAtStart;
    TreeCurveEnds& own = tree.ends[static_cast<std::size_t>(q)];
    own.start_point.nneis = 1;
    own.start_point.neighbours[1] = m;
    own.start_point.codes[1] = mode == 1 ? kTouchesAtStart : kTouchesAtEnd;
    own.start_point.far_point = c.end_point;
    own.start_point.length = c.length;
    own.start_point.marker = -1;  // the free end itself, examined already
    return 1;
}

// One attempt under angle theta: 1 added, 2 none acceptable, 0 failure.
int try_corners(Run& run, int k, int t, int m, int mode, int iter_length, double theta) {
    const Subregion& s = run.patches[k];
    const FreeEnd f = free_end(run, s.trees[static_cast<std::size_t>(t)], m, mode);
    const SubregionNodeGrid grid(run, k);
    for (int pos = 1; pos <= s.num_curves; ++pos) {
        Connector c = corner_candidate(run, s, f, pos);
        if (c.end_node == f.node || c.length <= 0) continue;
        bool rejected = false;
        for (int a = 0; a < 3; ++a) {
            if (c.angles[a] > kAngleFailure) {
                if (a == 0) report("Returned to WALLTR_1.C   (1)\n");
                else if (a == 1) report("Returned to WALLTR_1.C   (2)\n");
                else report("Returned to WALLTR_1.C   (3)\n");
                return 0;
            }
            if (c.angles[a] < theta) rejected = true;
        }
        if (rejected) continue;
        if (!transform_segment_to_QL_lin_step(run, s, c, 1)) {
            report("Unsuccessful return from MULT_CL1.C to WALLTREE.C \n");
            return 0;
        }
        if (!c.valid || !check_connector_against_distances(c, grid, kDistanceFactor)) continue;
        if (!length_acceptable(c, iter_length)) continue;
        report("connector acceptable after \n   check_connector_against_distances()\n");
        report("...this connector has been added; no further examined\n");
        return attach_connector(run, k, t, m, mode, c) ? 1 : 0;
    }
    return 2;
}

}  // namespace

int boundary_loop_search(Run& run, int k, int t, int m, int mode, int iter_length, double first_angle) {
    if (iter_length < 1 || iter_length > 3) {
        report("WALLTR_1.C input data error: iter_length=%i (must be 1,2 or 3)\n", iter_length);
        return 0;
    }
    double theta = first_angle;
    for (int iteration = 1;; ++iteration) {
        if (iteration > 1) theta -= kAngleDecrement;
        report("'do' loop in WALLTR_1.C: iteration %5i\n", iteration);
        const int r = try_corners(run, k, t, m, mode, iter_length, theta);
        if (r == 0) return 0;
        if (r == 1) {
            report("WALLTR_1.C: connector successfully built\n");
            report(" with factual acceptable_min_angle=%6.2lf\n", theta / kDegree);
            report("WALLTR_1.C: Factual number of iterations: %5i\n", iteration);
            return 1;
        }
        if (!(theta > kLastAngle)) break;
    }
    report("WALLTR_1.C: connector NOT built;\n");
    report(" (ANGLE_MIN_PERMITTED currently =%6.2lf)\n", kMinAnglePermitted);
    return 0;
}

}  // namespace korvex
