// Before matching, patch nodes that still carry a generated '@' name get the
// read name of the curve they stand on, and interior nodes sitting on the
// middle point of an arc as read get that point's name.
#include <algorithm>
#include <cmath>

#include "assembly/merge_steps.h"
#include "base/messages.h"

namespace korvex::merge {

namespace {

// Coordinate tolerances relative to the curve's step.
constexpr double kCurvedNameTol = 1e-5;   // add_to_global
constexpr double kPlaneNameTol = 1e-4;    // add_to_global_plane
constexpr double kReportRadius = 0.1;     // near nodes are reported
constexpr double kArcMidTol = 1e-5;

template <class N>
void rename_node(Node3D& node, GenNode& gen, const N& name) {
    node.name = name.view();
    gen.name = name.view();
}

// Looks for a curve node coinciding with patch node i; renames it on success.
bool find_replacement(const Run& run, Variant v, Node3D& node, GenNode& gen) {
    const double rel = v == Variant::Curved ? kCurvedNameTol : kPlaneNameTol;
    for (int c = 1; c <= run.nCurves; ++c) {
        const Curve& cv = run.curves[c];
        const double step = cv.step;
        const int count = std::min(cv.num_new_points, CURVE_NEW_POINT_SLOTS - 1);
        for (int k = 1; k <= count; ++k) {
            const int id = cv.new_points_id[static_cast<std::size_t>(k)];
            if (id < 1 || id > run.new_points.last()) continue;
            const ControlPoint& P = run.new_points[id];
            const double d = distance(P.pos(), node.pos());
            bool hit = false;
            if (v == Variant::Curved && P.name == node.name) {
                report("Coincidence found BY NAME.\n");
                hit = true;
            } else if (d < kReportRadius * step) {
                report("curve=%s (original=%s)  \nnew_points_name=%s (original=%s) (%+14.7g,%+14.7g,%+14.7g)\n",
                       cv.name.c_str(), cv.name_original.c_str(), P.name.c_str(), P.name_original.c_str(), P.x, P.y,
                       P.z);
                report("dist=%g   COINCIDENCE_TOL_*step=%g\n", d, rel * step);
                if (d < rel * step) {
                    report("Coincidence found by COORDINATES.\n");
                    hit = true;
                }
            }
            if (!hit) continue;
            rename_node(node, gen, cv.name_original);
            report("point (%g,%g,%g) on curve %s:\n     name_original=%s\n     dist=%21.14e step=%g abs_tol=%g "
                   "rel_tol=%g\n",
                   P.x, P.y, P.z, cv.name.c_str(), cv.name_original.c_str(), d, step, rel, rel * step);
            report("\tName replacement found:  %s\n", node.name.c_str());
            return true;
        }
    }
    return false;
}

}  // namespace

int restore_generated_names(const Run& run, Variant v, int n, Array1<GenNode>& gen_nodes, Array1<Node3D>& nodes) {
    for (int i = 1; i <= n; ++i) {
        Node3D& node = nodes[i];
        GenNode& gen = gen_nodes[i];
        if (!marked(node.name, '@') && !marked(gen.name, '@')) continue;
        if (v == Variant::Curved)
            report("add_to_global: unrestored node name detected:\n nodes3D[%8i]=%s (%+14.7g,%+14.7g,%+14.7g)\n", i,
                   node.name.c_str(), node.x, node.y, node.z);
        else
            report("add_to_global: unrestored node name detected: nodes3D[%i]=%s (%g,%g,%g)\n", i, node.name.c_str(),
                   node.x, node.y, node.z);
        if (!find_replacement(run, v, node, gen)) {
            report("Error: no name replacement found.\n");
            return 0;
        }
    }
    return 1;
}

void match_arc_midpoints(const Run& run, int n, Array1<GenNode>& gen_nodes, Array1<Node3D>& nodes) {
    report("Special check for arcs' midpoints...\n");
    // Box around the interior nodes: arcs whose middle point lies outside it
    // cannot match any of them.
    Vec3 lo{INFINITY, INFINITY, INFINITY}, hi{-INFINITY, -INFINITY, -INFINITY};
    for (int i = 1; i <= n; ++i) {
        if (gen_nodes[i].name[0] != 'R') continue;
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], nodes[i].pos()[a]);
            hi[a] = std::max(hi[a], nodes[i].pos()[a]);
        }
    }
    for (int c = 1; c <= run.nCurves; ++c) {
        const Curve& cv = run.curves[c];
        if (cv.name[0] != 'C' || cv.name[1] == '@' || cv.name[1] == '$' || cv.second_point_name.empty()) continue;
        const Vec3 mid{cv.second_point[0], cv.second_point[1], cv.second_point[2]};
        const double tol = kArcMidTol * cv.step;
        bool outside = false;
        for (int a = 0; a < 3; ++a) outside = outside || mid[a] < lo[a] - tol || mid[a] > hi[a] + tol;
        if (outside) continue;
        for (int i = 1; i <= n; ++i) {
            if (gen_nodes[i].name[0] != 'R') continue;
            const double d = distance(nodes[i].pos(), mid);
            if (!(d < tol)) continue;
            report("Coincidence if an arc midpoint and a node found by COORDINATES.\n");
            rename_node(nodes[i], gen_nodes[i], cv.second_point_name);
            report("point (%g,%g,%g) on arc %s:\n     name=%s\n     dist=%21.14e step=%g abs_tol=%g rel_tol=%g\n",
                   mid.x, mid.y, mid.z, cv.name.c_str(), cv.second_point_name.c_str(), d, cv.step, kArcMidTol, tol);
        }
    }
}

}  // namespace korvex::merge
