// Cut of a straight two-point curve of a three-edged subregion at its
// middle; the second half becomes the subregion's fourth edge.
#include <cstdlib>

#include "base/messages.h"
#include "input/edge_conversion.h"
#include "input/input_stages.h"

namespace korvex {

void cut_straight_curve(Run& run, int k, int signed_id) {
    const int c = std::abs(signed_id);
    // Both limits are tested before anything changes, so that a full table
    // leaves the curve whole (the subregion then stays three-edged).
    if (run.nPoints + 1 > MAX_CONTROL_POINTS) {
        report("Increase MAX_CONTROL_POINTS (curr.%i) (PREPRO2A.C)\n", MAX_CONTROL_POINTS);
        return;
    }
    if (run.nCurves + 1 > run.settings.MAX_CURVES) {
        report("Increase MAX_CURVES(curr.=%i) in KORVEX.H\n   (PREPRO2A.C)\n", run.settings.MAX_CURVES);
        return;
    }
    const int first = run.curves[c].points_id[1];
    const int last = run.curves[c].points_id[2];
    const Vec3 middle = (run.points[first].pos() + run.points[last].pos()) * 0.5;
    const int p = append_generated_point(run, middle, "P@%06i", run.curves[c].name_original,
                                         "Increase MAX_CONTROL_POINTS (curr.%i) (PREPRO2A.C)\n");
    set_curve_points(run, c, {first, p});
    const int q = append_generated_curve(run, c, "Q@%06i", "Increase MAX_CURVES(curr.=%i) in KORVEX.H\n   (PREPRO2A.C)\n");
    set_curve_points(run, q, {p, last});

    Subregion& s = run.patches[k];
    s.num_edges = 4;
    s.curves_per_edge[4] = 1;
    s.num_curves = 4;
    s.curves_id[4] = signed_id > 0 ? q : -q;
    s.curve_names[4] = run.curves[q].name;
    propagate_curve_split(run, signed_id, q, k);
    report_first_close_points(run, "In MULT_CL5.C: two coincident points:\n%s(%25.15lf,%25.10lf,%25.10lf)\n"
                                   "%s(%25.15lf,%25.10lf,%25.10lf)\n");
}

}  // namespace korvex
