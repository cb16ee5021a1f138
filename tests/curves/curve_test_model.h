// Small in-memory models for the curve tests.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "curves/curve_points.h"
#include "model/run.h"
#include "support/message_capture.h"
#include "support/model_builder.h"

namespace korvex::curve_test {

using test::MessageCapture;

inline int run_stage(Run& run, int limit = MAX_NEW_POINTS) { return generatePointsAlongCurves(run, limit); }

using test::add_point;

// An empty curve, and the point i appended to its definition.
inline int new_curve(Run& run, const char* name, double step) {
    const int c = ++run.nCurves;
    run.curves.ensure(c);
    Curve& cv = run.curves[c];
    cv.name = name;
    cv.name_original = name;
    cv.id = c;
    cv.step = step;
    return c;
}
inline void append_point(Run& run, int c, int i) {
    Curve& cv = run.curves[c];
    cv.points_id[static_cast<std::size_t>(++cv.num_points)] = i;
    cv.point_names[static_cast<std::size_t>(cv.num_points)] = run.points[i].name;
}

// A curve through the given point indexes.
inline int add_curve(Run& run, const char* name, std::initializer_list<int> point_ids, double step) {
    const int c = new_curve(run, name, step);
    for (int i : point_ids) append_point(run, c, i);
    return c;
}

// A definition point given by value; a name already in the model reuses that point.
struct Pt {
    const char* name;
    double x, y, z = 0.0;
};

inline int add_curve(Run& run, const char* name, const std::vector<Pt>& points, double step) {
    const int c = new_curve(run, name, step);
    for (const Pt& p : points) {
        int id = 0;
        for (int i = 1; i <= run.nPoints && !id; ++i)
            if (run.points[i].name == p.name) id = i;
        append_point(run, c, id ? id : add_point(run, p.name, p.x, p.y, p.z));
    }
    return c;
}

// The nodes of curve c, in order along it.
inline std::vector<const ControlPoint*> curve_nodes(const Run& run, int c) {
    std::vector<const ControlPoint*> out;
    const Curve& cv = run.curves[c];
    for (int k = 1; k <= cv.num_new_points; ++k) out.push_back(&run.new_points[cv.new_points_id[static_cast<std::size_t>(k)]]);
    return out;
}

}  // namespace korvex::curve_test
