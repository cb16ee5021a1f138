// restore_curves: resolves the point names of every curve and the curve
// names of every subregion to array indexes.
#include <algorithm>

#include "base/messages.h"
#include "input/input_stages.h"
#include "input/name_index.h"

namespace korvex {

namespace {

void warn_about_arcs_not_of_three_points(const Run& run) {
    for (int i = 1; i <= run.nCurves; ++i) {
        const Curve& c = run.curves[i];
        if (c.name.starts_with("C") && c.num_points != 3)
            report("Input data (in INPREPR1.C): arc %s\n   defined by %i points; must be 3\n", c.name.c_str(),
                   c.num_points);
    }
}

int resolve_curve_points(Run& run) {
    NameIndex by_name;
    for (int p = 1; p <= run.nPoints; ++p) by_name.add(run.points[p].name.view(), p);
    for (int i = 1; i <= run.nCurves; ++i) {
        Curve& c = run.curves[i];
        const int n = std::clamp(c.num_points, 0, CURVE_POINT_SLOTS - 1);
        for (int k = 1; k <= n; ++k) {
            const auto slot = static_cast<std::size_t>(k);
            const int p = by_name.find(c.point_names[slot].view());
            if (p == 0) {
                report("Cannot locate point %s in array points[]\n", c.point_names[slot].c_str());
                report(" Curve %s names point %s, which the POINTS section does not define.\n", c.name.c_str(),
                       c.point_names[slot].c_str());
                return 0;
            }
            c.points_id[slot] = p;  // the point's id, which check_input_data set to p
        }
    }
    return 1;
}

// The middle point of a three-point arc, kept by name and position.
void store_second_points(Run& run) {
    for (int i = 1; i <= run.nCurves; ++i) {
        Curve& c = run.curves[i];
        if (c.num_points < 2) continue;
        const ControlPoint& p = run.points[c.points_id[2]];
        c.second_point[0] = p.x;
        c.second_point[1] = p.y;
        c.second_point[2] = p.z;
        c.second_point_name = c.point_names[2];
    }
}

int resolve_subregion_curves(Run& run) {
    NameIndex by_name;
    for (int i = 1; i <= run.nCurves; ++i) by_name.add(run.curves[i].name.view(), i);
    for (int j = 1; j <= run.nPatches; ++j) {
        Subregion& s = run.patches[j];
        const int n = std::clamp(s.num_curves, 0, static_cast<int>(s.curves_id.size()) - 1);
        for (int k = 1; k <= n; ++k) {
            const auto slot = static_cast<std::size_t>(k);
            const int c = by_name.find(s.curve_names[slot].view());
            if (c == 0) {
                report("Cannot locate curve %s in array curves[]\n", s.curve_names[slot].c_str());
                report(" Subregion %s names curve %s, which the CURVES section does not define.\n", s.name.c_str(),
                       s.curve_names[slot].c_str());
                return 0;
            }
            s.curves_id[slot] = c;
        }
    }
    return 1;
}

}  // namespace

int restore_curves(Run& run) {
    for (int i = 1; i <= run.nCurves; ++i) run.curves[i].name_original = run.curves[i].name;
    warn_about_arcs_not_of_three_points(run);
    if (!resolve_curve_points(run)) return 0;
    store_second_points(run);
    return resolve_subregion_curves(run);
}

}  // namespace korvex
