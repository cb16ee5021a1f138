// check_subdivision_room: the cuts of the subdivision stage follow from the
// lengths and steps of the curves alone, so their number is estimated before
// any is made. A straight boundary curve loses four steps per cut and a
// straight tree curve two, until fewer than six (four) are left; each cut
// adds a point, a curve and an entry to the loop's curve list. When even a
// lower bound of the cuts overruns one of those limits, the limit's message
// is given at once, instead of after thousands of cuts (or, with a refined
// zone, after a polygon of one vertex per step has been built).
#include <cstdlib>

#include "base/messages.h"
#include "model/name_lookup.h"
#include "refinement/curve_subdivision.h"

namespace korvex {

namespace {

// Boundary cuts leave at least this many steps (four cut off, at most
// five left) and tree cuts at least this many (two cut off, at most three left).
constexpr double kBoundaryStepsPerCut = 4.0;
constexpr double kTreeStepsPerCut = 2.0;
// Steps of slack for the rounding of the step count (made even, raised by one).
constexpr double kCountRounding = 4.0;

// Length along the definition points: the curve itself for a straight
// curve, a lower bound of its length for an arc.
double polyline_length(const Run& run, const Curve& c) {
    double L = 0;
    for (int m = 1; m < c.num_points && m + 1 < CURVE_POINT_SLOTS; ++m)
        L += distance(run.points[c.points_id[static_cast<std::size_t>(m)]].pos(),
                      run.points[c.points_id[static_cast<std::size_t>(m + 1)]].pos());
    return L;
}

// Steps of a curve counted from below, as a double: a tiny step gives a
// count far beyond any int.
double steps_at_least(const Run& run, const Curve& c) {
    if (!(c.step > 0)) return 0;
    return polyline_length(run, c) / c.step;
}

double cuts_at_least(double steps, double per_cut) {
    const double cuts = (steps - 2 * kCountRounding) / per_cut;
    return cuts > 0 ? cuts : 0;
}

// What is left of each limit while the cuts are counted.
struct Room {
    double points = 0, curves = 0, list = 0;
    int max_curves = MAX_CURVES;  // the run's MAX_CURVES, for its message
};

// Reports the limit a run of `cuts` cuts overruns first, in the order the
// cut itself checks them (point, curve, list); false when one is overrun.
bool room_for_cuts(Room& r, double cuts, const char* list_message, int list_limit) {
    if (cuts <= r.points && cuts <= r.curves && cuts <= r.list) {
        r.points -= cuts;
        r.curves -= cuts;
        r.list -= cuts;
        return true;
    }
    if (r.points <= r.curves && r.points <= r.list)
        report("Increase MAX_CONTROL_POINTS (curr.%i) (MULT_CO5.C)\n", MAX_CONTROL_POINTS);
    else if (r.curves <= r.list)
        report("Increase MAX_CURVES (now=%i) in KORVEX.H\n   (MULT_CO5.C)\n", r.max_curves);
    else
        report(list_message, list_limit);
    return false;
}

// An arc cut leaves a piece with all but three of its steps as points.
bool arc_fits(const Run& run, const Curve& c) {
    if (steps_at_least(run, c) - 3 - kCountRounding <= MAX_POINTS_PER_CURVE) return true;
    report("Increase MAX_POINTS_PER_CURVE (curr.=%i)\n", MAX_POINTS_PER_CURVE);
    return false;
}

// One closed loop: the outer boundary (hole 0) or a hole.
bool loop_fits(const Run& run, const Subregion& s, int hole, Room& r) {
    const int n = hole ? s.holes[static_cast<std::size_t>(hole)].num_curves : s.num_curves;
    r.list = hole ? MAX_CURVES_PER_HOLE - n : static_cast<int>(s.curves_id.size()) - 1 - n;
    const char* list_message =
        hole ? "Increase MAX_CURVES_PER_HOLE(currently %i)\n" : "Increase MAX_CURVES_PER_EDGE(currently %i)\n";
    const int list_limit = hole ? MAX_CURVES_PER_HOLE : run.settings.MAX_CURVES_PER_EDGE;
    for (int i = 1; i <= n; ++i) {
        const int id = hole ? s.holes[static_cast<std::size_t>(hole)].curves[static_cast<std::size_t>(i)]
                            : s.curves_id[static_cast<std::size_t>(i)];
        const Curve& c = run.curves[std::abs(id)];
        if (c.name[0] == 'C' && !arc_fits(run, c)) return false;
        if (!c.name.starts_with("QL")) continue;
        if (!room_for_cuts(r, cuts_at_least(steps_at_least(run, c), kBoundaryStepsPerCut), list_message, list_limit))
            return false;
    }
    return true;
}

bool tree_fits(const Run& run, const Tree& tree, Room& r) {
    r.list = tree.curve_capacity() - tree.num_curves;
    for (int m = 1; m <= tree.num_curves; ++m) {
        const int id = find_curve(run, tree.curve_names[static_cast<std::size_t>(m)].view());
        if (id == 0) continue;  // the subdivision stage itself reports it
        const Curve& c = run.curves[id];
        if (!c.name.starts_with("QL")) continue;
        if (!room_for_cuts(r, cuts_at_least(steps_at_least(run, c), kTreeStepsPerCut),
                           "Increase MAX_CURVES_PER_TREE(currently=%i)\n", tree.curve_capacity()))
            return false;
    }
    return true;
}

}  // namespace

int check_subdivision_room(const Run& run, int k) {
    const Subregion& s = run.patches[k];
    Room r;
    r.points = MAX_CONTROL_POINTS - run.nPoints;
    r.curves = run.settings.MAX_CURVES - run.nCurves;
    r.max_curves = run.settings.MAX_CURVES;
    if (!loop_fits(run, s, 0, r)) return 0;
    for (int h = 1; h <= s.num_holes; ++h)
        if (!loop_fits(run, s, h, r)) return 0;
    for (int t = 1; t <= s.num_trees; ++t)
        if (!tree_fits(run, s.trees[static_cast<std::size_t>(t)], r)) return 0;
    return 1;
}

}  // namespace korvex
