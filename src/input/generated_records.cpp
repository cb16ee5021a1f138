// Points and curves made while two- and three-edged subregions are
// converted, and the checks that go with them.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "input/edge_conversion.h"

namespace korvex {

namespace {

std::string formatted(const char* format, int index) {
    char buf[32];
    std::snprintf(buf, sizeof buf, format, index);
    return buf;
}

}  // namespace

int append_generated_point(Run& run, const Vec3& x, const char* name_format, const Name& name_original,
                           const char* limit_format) {
    if (run.nPoints + 1 > MAX_CONTROL_POINTS) {
        report(limit_format, MAX_CONTROL_POINTS);
        return 0;
    }
    const int i = ++run.nPoints;
    run.points.ensure(i);
    ControlPoint& p = run.points[i];
    p = ControlPoint{};
    p.name = formatted(name_format, i);
    p.set_pos(x);
    p.id = i;
    p.name_original = name_original;
    return i;
}

int append_generated_curve(Run& run, int like, const char* name_format, const char* limit_format) {
    if (run.nCurves + 1 > run.settings.MAX_CURVES) {
        report(limit_format, run.settings.MAX_CURVES);
        return 0;
    }
    const int i = ++run.nCurves;
    run.curves.ensure(i);
    const Curve& old = run.curves[like];
    Curve c;
    c.name = formatted(name_format, i);
    c.id = i;
    c.step = old.step;
    c.name_original = old.name_original;
    run.curves[i] = std::move(c);
    return i;
}

void set_curve_points(Run& run, int c, const std::vector<int>& ids) {
    Curve& cv = run.curves[c];
    cv.num_points = static_cast<int>(ids.size());
    for (std::size_t j = 0; j < ids.size(); ++j) {
        cv.points_id[j + 1] = ids[j];
        cv.point_names[j + 1] = run.points[ids[j]].name;
    }
}

// Points are swept in order of x, so only pairs closer than the tolerance
// in x are measured; the pair reported is still the first of the scan over
// all pairs by index.
void report_first_close_points(const Run& run, const char* format) {
    std::vector<int> order;
    for (int i = 1; i <= run.nPoints; ++i)
        if (!run.points[i].name.starts_with("PINT")) order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return run.points[a].x < run.points[b].x; });
    std::pair<int, int> first{0, 0};
    for (std::size_t a = 0; a < order.size(); ++a) {
        const ControlPoint& p = run.points[order[a]];
        for (std::size_t b = a + 1; b < order.size(); ++b) {
            const ControlPoint& q = run.points[order[b]];
            if (!(q.x - p.x < kCoincidentPointDistance)) break;
            if (!(distance(p.pos(), q.pos()) < kCoincidentPointDistance)) continue;
            const std::pair<int, int> pair = std::minmax(order[a], order[b]);
            if (first.first == 0 || pair < first) first = pair;
        }
    }
    if (first.first == 0) return;
    const ControlPoint& a = run.points[first.first];
    const ControlPoint& b = run.points[first.second];
    report(format, a.name.c_str(), a.x, a.y, a.z, b.name.c_str(), b.x, b.y, b.z);
}

double polyline_length(const Run& run, int c) {
    const Curve& cv = run.curves[c];
    double length = 0.0;
    for (int j = 1; j < cv.num_points; ++j)
        length += distance(run.points[cv.points_id[static_cast<std::size_t>(j)]].pos(),
                           run.points[cv.points_id[static_cast<std::size_t>(j + 1)]].pos());
    return length;
}

}  // namespace korvex
