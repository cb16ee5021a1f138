// final_preprocessing_of_patches: lists every subregion's boundary mesh
// points in order around its boundary, once the curves have their points.
#include <cstdlib>

#include "base/messages.h"
#include "input/input_stages.h"

namespace korvex {

namespace {

// Appends one boundary point; false when the table is full.
bool append_point(Subregion& s, int point) {
    if (s.num_points + 1 > MAX_BOUNDARY_POINTS) return false;
    s.points_id[static_cast<std::size_t>(++s.num_points)] = point;
    return true;
}

// Every curve contributes its points but the last one in walking order,
// which is the first point of the next curve.
int list_boundary_points(Run& run, int k) {
    Subregion& s = run.patches[k];
    s.num_points = 0;
    for (int slot = 1; slot <= s.num_curves; ++slot) {
        const int signed_id = s.curves_id[static_cast<std::size_t>(slot)];
        const int id = std::abs(signed_id);
        if (id < 1 || id > run.nCurves) {
            report(" Internal error in final_preprocessing_of_patches():\n"
                   " patch %s refers to curve index %i (nCurves=%i).\n",
                   s.name.c_str(), signed_id, run.nCurves);
            return 0;
        }
        const Curve& c = run.curves[id];
        const int n = c.num_new_points;
        if (n >= CURVE_NEW_POINT_SLOTS) {
            report(" Internal error in final_preprocessing_of_patches():\n curve %s has %i points.\n", c.name.c_str(),
                   n);
            return 0;
        }
        if (signed_id > 0) {
            for (int m = 1; m <= n - 1; ++m)
                if (!append_point(s, c.new_points_id[static_cast<std::size_t>(m)])) {
                    report("Increase size of patches[].points_id[] arrays\n (currently %i)   (1)\n",
                           SUBREGION_POINT_SLOTS);
                    return 0;
                }
        } else {
            for (int m = n; m >= 2; --m)
                if (!append_point(s, c.new_points_id[static_cast<std::size_t>(m)])) {
                    report("Increase size of patches[].points_id[] arrays\n (currently %i)   (2)\n",
                           SUBREGION_POINT_SLOTS);
                    return 0;
                }
        }
    }
    return 1;
}

}  // namespace

int final_preprocessing_of_patches(Run& run) {
    for (int k = 1; k <= run.nPatches; ++k)
        if (!list_boundary_points(run, k)) return 0;
    return 1;
}

}  // namespace korvex
