// append_connector: a chosen connector becomes part of the model. Its inner
// points join the curve nodes (new_points) and it becomes a straight curve
// whose nodes are those points between its two corners. Both carry the
// subregion's name as their original name, so the mesh names the connector's
// nodes after the subregion they lie inside.
#include <cstdio>

#include "base/messages.h"
#include "cuts/connectors/connectors.h"

namespace korvex {

namespace {

int append_connector_points(Run& run, const Subregion& patch, const Connector& c, char marker, int curve,
                            int messages) {
    const int n = static_cast<int>(c.positions.size()) - 1;
    for (int i = 1; i < n; ++i) {
        if (run.num_new_points + 1 > MAX_NEW_POINTS) {
            report(messages == 1 ? "Increase MAX_NEW_POINTS (currently %i)   (Y)\n"
                                 : "Increase MAX_NEW_POINTS (currently %i)    (Z)\n",
                   MAX_NEW_POINTS);
            return 0;
        }
        if (i + 1 > MAX_NEW_POINTS_LOCAL_) {
            report(messages == 1 ? "Increase MAX_NEW_POINTS_LOCAL_ (currently %i)  (5)\n"
                                 : "Increase MAX_NEW_POINTS_LOCAL_ (currently %i)   (6)\n",
                   MAX_NEW_POINTS_LOCAL_);
            return 0;
        }
        const int k = run.num_new_points + 1;
        run.new_points.ensure(k);
        ControlPoint p;
        char name[32];
        std::snprintf(name, sizeof name, "P$%06i", k);
        name[2] = marker;
        p.name = name;
        p.set_pos(c.positions[static_cast<std::size_t>(i)]);
        p.id = k;
        p.curve_id = curve;
        p.subregion = patch.name;
        p.name_original = patch.original_name;
        run.new_points[k] = p;
        run.num_new_points = k;
    }
    return 1;
}

}  // namespace

int append_connector(Run& run, const Subregion& patch, const Connector& c, char marker, const char* name,
                     int messages) {
    const int id = run.nCurves + 1;
    if (id > MAX_CURVES) {
        report("Increase MAX_CURVES (currently=%i)\n     (detected in MULT_CO1.C)", MAX_CURVES);
        return 0;
    }
    const int first_new = run.num_new_points + 1;
    if (!append_connector_points(run, patch, c, marker, id, messages)) return 0;
    run.curves.ensure(id);
    Curve& cv = run.curves[id];
    cv = Curve{};
    cv.name = (name && *name) ? Name(name) : c.curve_name;
    cv.id = id;
    cv.num_points = 2;
    cv.point_names[1] = run.points[c.start_point].name;
    cv.point_names[2] = run.points[c.end_point].name;
    cv.points_id[1] = c.start_point;
    cv.points_id[2] = c.end_point;
    cv.step = c.step;
    cv.length = c.length;
    cv.name_original = patch.original_name;
    const int n = static_cast<int>(c.positions.size()) - 1;
    cv.num_new_points = n + 1;
    cv.new_points_id[1] = c.start_node;
    for (int i = 1; i < n; ++i) cv.new_points_id[static_cast<std::size_t>(i) + 1] = first_new + i - 1;
    cv.new_points_id[static_cast<std::size_t>(n) + 1] = c.end_node;
    run.nCurves = id;
    return id;
}

}  // namespace korvex
