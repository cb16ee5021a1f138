// The arc rule and the line rule that attach an internal point lying on a
// curve to the curve's nodes: the interval of the node chain holding the
// point is found and one of its two nodes is pulled onto the point.
#include <cmath>
#include <new>
#include <vector>

#include "assembly/internal_points.h"
#include "base/messages.h"
#include "base/numeric_constants.h"
#include "curves/geometry_kernels.h"

namespace korvex {

namespace {

// Relative tolerance of every on-curve test: 100·sqrt(eps).
constexpr int kParameterSlack = 1000;

const Name& saved_name(const Run& run, int j) { return run.nodes3D[j].name_original; }

void pull_node(Run& run, int j, ControlPoint& p) {
    Node3D& node = run.nodes3D[j];
    node.set_pos(p.pos());
    node.name = "PINT";
    p.PINT = 4;
}

// How the two nodes of the holding interval decide which one moves.
enum class Pick { None, A, B, Nearer, Wrong };

// A point node never moves; of two curve nodes the nearer one does.
Pick pick_node(bool point_a, bool point_b, bool curve_a, bool curve_b) {
    if (point_a && point_b) return Pick::None;
    if (point_a && curve_b) return Pick::B;
    if (point_b && curve_a) return Pick::A;
    if (curve_a && curve_b) return Pick::Nearer;
    return Pick::Wrong;
}

// Applies the pick for interval k (nodes a, b). Returns the outcome.
PintAttach pull_from_interval(Run& run, Pick pick, int a, int b, ControlPoint& p) {
    int j = 0;
    switch (pick) {
    case Pick::A: j = a; break;
    case Pick::B: j = b; break;
    case Pick::Nearer:
        j = distance(run.nodes3D[a].pos(), p.pos()) < distance(run.nodes3D[b].pos(), p.pos()) ? a : b;
        break;
    default: return PintAttach::NotOnCurve;
    }
    pull_node(run, j, p);
    return PintAttach::Attached;
}

void report_no_pullable_node(const ControlPoint& p) {
    report("Input data inconsistency: point %s has no neighboring nodes\n that could be pulled to it.\n",
           p.name.c_str());
}

// First interval k (nodes ion[k], ion[k+1]) of the arc holding p, or 0.
int arc_interval(const Run& run, const Curve& cv, const Vec3& C, const Vec3& p) {
    const auto& ion = cv.indexes_of_nodes;
    const double R = cv.radius;
    for (int k = 1; k + 1 <= cv.num_indexes_of_nodes; ++k) {
        const Vec3 a = run.nodes3D[ion[static_cast<std::size_t>(k)]].pos();
        const Vec3 b = run.nodes3D[ion[static_cast<std::size_t>(k) + 1]].pos();
        const double s = R * ANGLEXYZ(C, a, b);
        const double sa = R * ANGLEXYZ(C, p, a);
        const double sb = R * ANGLEXYZ(C, b, p);
        if (std::fabs(sa + sb - s) / s < kPointTolerance) return k;
    }
    return 0;
}

// First interval k of the straight curve holding p, or 0; -1 when the
// parameter table cannot be allocated.
int line_interval(const Run& run, const Curve& cv, const Vec3& p) {
    const auto& ion = cv.indexes_of_nodes;
    const int n = cv.num_indexes_of_nodes;
    if (n < 2) return 0;
    std::vector<double> t;
    try {
        t.assign(static_cast<std::size_t>(n) + kParameterSlack + 1, 0.0);
    } catch (const std::bad_alloc&) {
        report("Out of memory for t[] (file PINT_out.c)   (1)\n");
        return -1;
    }
    auto at = [&](int k) { return run.nodes3D[ion[static_cast<std::size_t>(k)]].pos(); };
    for (int k = 2; k <= n; ++k) t[static_cast<std::size_t>(k)] = t[static_cast<std::size_t>(k) - 1] + distance(at(k - 1), at(k));
    const double dp = distance(at(1), p);
    for (int k = 1; k < n; ++k) {
        if (dp < t[static_cast<std::size_t>(k)] || dp > t[static_cast<std::size_t>(k) + 1]) continue;
        const double ab = distance(at(k), at(k + 1));
        if (std::fabs(distance(at(k), p) + distance(p, at(k + 1)) - ab) / ab < kPointTolerance) return k;
    }
    return 0;
}

}  // namespace

PintAttach attach_to_arc(Run& run, int c, ControlPoint& pt) {
    const Curve& cv = run.curves[c];
    const Vec3 p = pt.pos();
    const Vec3 C{cv.center[0], cv.center[1], cv.center[2]};
    const double R = cv.radius;
    const double plane_dist = std::fabs(cv.plane[0] * p.x + cv.plane[1] * p.y + cv.plane[2] * p.z - cv.plane[3]);
    if (!(plane_dist / R <= kPointTolerance)) {
        report("Point %s does not belong to arc %s\n  (name original = %s) (1)\n", pt.name.c_str(), cv.name.c_str(),
               cv.name_original.c_str());
        return PintAttach::NotOnCurve;
    }
    if (!(std::fabs(distance(p, C) / R - 1) <= kPointTolerance)) {
        report("Point %s does not belong to arc %s (name original %s) (2)\n", pt.name.c_str(), cv.name.c_str(),
               cv.name_original.c_str());
        return PintAttach::NotOnCurve;
    }
    const int k = arc_interval(run, cv, C, p);
    if (k == 0) {
        report("Point %s does not belong to arc %s \n (name original %s) (3)\n", pt.name.c_str(), cv.name.c_str(),
               cv.name_original.c_str());
        return PintAttach::NotOnCurve;
    }
    const int a = cv.indexes_of_nodes[static_cast<std::size_t>(k)], b = cv.indexes_of_nodes[static_cast<std::size_t>(k) + 1];
    const Name &na = saved_name(run, a), &nb = saved_name(run, b);
    const Pick pick = pick_node(na[0] == 'P', nb[0] == 'P', na[0] == 'C', nb[0] == 'C');
    if (pick == Pick::None) {
        report_no_pullable_node(pt);
        report("Reduce step size on curve %s (name original %s)\n", cv.name.c_str(), cv.name_original.c_str());
        return PintAttach::NotOnCurve;
    }
    if (pick == Pick::Wrong) {
        report("Error identified in PINT_out.c:\tnodes3D[ion[k(=%i)](=%i)].name=%s ;\n\tnodes3D[ion[k+1]].name=%s .\n",
               k, a, na.c_str(), nb.c_str());
        report(" First letter must be 'P' or 'C' (for arcs). ;\n");
        return PintAttach::Failed;
    }
    return pull_from_interval(run, pick, a, b, pt);
}

PintAttach attach_to_line(Run& run, int c, ControlPoint& pt) {
    const Curve& cv = run.curves[c];
    const int k = line_interval(run, cv, pt.pos());
    if (k < 0) return PintAttach::Failed;
    if (k == 0) return PintAttach::NotOnCurve;
    const int a = cv.indexes_of_nodes[static_cast<std::size_t>(k)], b = cv.indexes_of_nodes[static_cast<std::size_t>(k) + 1];
    const Name &na = saved_name(run, a), &nb = saved_name(run, b);
    const Pick pick = pick_node(na[0] == 'P', nb[0] == 'P', na.starts_with("QL"), nb.starts_with("QL"));
    if (pick == Pick::None) {
        report_no_pullable_node(pt);
        report("Reduce step size on %s (name original =%s)\n", cv.name.c_str(), cv.name_original.c_str());
        return PintAttach::NotOnCurve;
    }
    if (pick == Pick::Wrong) {
        report("Error identified in PINT_out.c:\tnodes3D[ion[k(=%i)](=%i)].name[0]=%s ;\n\tnodes3D[ion[k+1]].name[0]=%s "
               ".\n", k, a, na.c_str(), nb.c_str());
        report(" First letter must be 'P' or 'Q' ;\n  2nd letter can be 'L' for line segments\n");
        return PintAttach::Failed;
    }
    return pull_from_interval(run, pick, a, b, pt);
}

}  // namespace korvex
