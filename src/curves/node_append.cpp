// Appending nodes to the list of curve nodes and snapping them onto
// definition points.
#include <cmath>
#include <cstdio>

#include "base/messages.h"
#include "curves/curve_division.h"

namespace korvex {

namespace {

// Interval counts beyond this are refused by every caller's own limit check.
constexpr double kIntervalCeiling = 1e9;

bool generated_with_original(const PointName& name) { return name[1] == '@'; }

int next_slot(NodeList& list, const char* overflow_format) {
    if (list.count + 1 > list.max_count) {
        report(overflow_format, list.max_count);
        return 0;
    }
    const int k = list.count + 1;
    list.nodes.ensure(k);
    list.count = k;
    return k;
}

}  // namespace

int intervals_for(double length, double step) {
    const double q = length / step + 0.5;
    if (q < 0.0) return 0;  // a negative step: the minimum count applies
    if (!(q < kIntervalCeiling)) return static_cast<int>(kIntervalCeiling);
    return static_cast<int>(q);
}

int even_intervals(int n, int minimum) {
    if (n < minimum) n = minimum;
    if (n % 2 != 0) ++n;
    return n;
}

int node_for_input_point(Array1<ControlPoint>& points, int p, NodeList& list, const char* overflow_format) {
    if (points[p].new_id != 0) return points[p].new_id;
    const int k = next_slot(list, overflow_format);
    if (k == 0) return 0;
    ControlPoint& P = points[p];
    ControlPoint node;
    node.set_pos(P.pos());
    node.name = P.name;
    if (generated_with_original(P.name)) node.name_original = P.name_original;
    node.id = k;
    list.nodes[k] = node;
    P.new_id = k;
    return k;
}

int append_generated_node(const Vec3& x, int c, NodeList& list, const char* overflow_format) {
    const int k = next_slot(list, overflow_format);
    if (k == 0) return 0;
    ControlPoint node;
    node.set_pos(x);
    node.id = k;
    node.curve_id = c;
    char name[32];
    std::snprintf(name, sizeof name, "P$%06i", k);
    node.name = name;
    list.nodes[k] = node;
    return k;
}

void snap_to_definition_points(int node, const Curve& curve, Array1<ControlPoint>& points, NodeList& list,
                               double tolerance) {
    ControlPoint& x = list.nodes[node];
    for (int j = 2; j < curve.num_points; ++j) {
        ControlPoint& P = points[curve.points_id[static_cast<std::size_t>(j)]];
        if (!(distance(x.pos(), P.pos()) <= tolerance)) continue;
        x.set_pos(P.pos());
        x.name = P.name;
        if (generated_with_original(P.name)) x.name_original = P.name_original;
        x.curve_id = 0;
        P.new_id = node;
    }
}

}  // namespace korvex
