// process_plane_PINTs: the generator never sees the internal points of a
// plane, so after meshing the nearest suitable node is moved onto each of
// them: a boundary node when the point lies near a corner-type boundary
// node, otherwise the nearest interior node. Points too close to the
// boundary are ignored with a warning. The mesh is smoothed afterwards and
// distorted elements at the moved nodes are reported.
#include <cmath>
#include <string_view>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "patches/plane/plane_mesher.h"
#include "planar/plane_geometry.h"

namespace korvex {

namespace {

constexpr double kSnapRatio = 0.47;       // corner snap, relative to the local spacing
constexpr double kTooCloseRatio = 0.1;    // ignored, relative to the local spacing
constexpr double kMinPintAngle = 20.0;    // degrees
constexpr double kMaxPintAngle = 160.0;

constexpr int PINT_ON_INTERIOR_NODE = 2;
constexpr int PINT_IGNORED = 3;
constexpr int PINT_ON_BOUNDARY_NODE = 5;

double uv_distance(double u1, double v1, double u2, double v2) { return std::hypot(u1 - u2, v1 - v2); }

struct BoundaryView {
    const Run& run;
    const PlaneUV& uv;
    int n;

    const PointUV& rec(int j) const { return uv[j == 0 ? n : (j > n ? j - n : j)]; }
    // Mean length of the two boundary segments meeting at record j.
    double spacing(int j) const {
        const PointUV &a = rec(j - 1), &b = rec(j), &c = rec(j + 1);
        return 0.5 * (uv_distance(a.u, a.v, b.u, b.v) + uv_distance(b.u, b.v, c.u, c.v));
    }
    std::string_view curve_name(int j) const {
        const int cid = rec(j).curve_id;
        return cid > 0 && cid <= run.nCurves ? run.curves[cid].name.view() : std::string_view{};
    }
    // Boundary nodes that stand at corners a point may be snapped onto.
    bool is_corner_form(int j) const {
        const std::string_view name = rec(j).name.view();
        for (const char* form : {"P**", "P$x", "P$w", "QLc", "P$c"})
            if (name.substr(0, 3) == form) return true;
        return curve_name(j).substr(0, 3) == "QL*";
    }
};

// The node of this kind nearest to P (the first of equals), or 0.
int nearest_node_of_kind(const PointUV& P, int kind, int num_nodes, const Array1<GenNode>& nodes) {
    int best = 0;
    double dbest = kNotComputed;
    for (int i = 1; i <= num_nodes; ++i) {
        if (nodes[i].kind != kind) continue;
        const double d = uv_distance(P.u, P.v, nodes[i].x, nodes[i].y);
        if (d < dbest) {
            dbest = d;
            best = i;
        }
    }
    return best;
}

// Step 3: snap onto the nearest kind-1 node. Returns 1 snapped, 0 not applicable, -1 error.
int snap_to_corner(const BoundaryView& b, const PointUV& P, ControlPoint& pint, int num_nodes, Array1<GenNode>& nodes) {
    int j = 1;
    for (; j <= b.n; ++j)
        if (b.is_corner_form(j) && uv_distance(P.u, P.v, b.rec(j).u, b.rec(j).v) / b.spacing(j) < kSnapRatio) break;
    if (j > b.n) return 0;
    for (int i = 1; i <= num_nodes; ++i)
        if (nodes[i].name[0] == 'L') {
            nodes[i].name[0] = 'P';
            nodes[i].kind = NODE_KIND_POINT;
        }
    const int best = nearest_node_of_kind(P, NODE_KIND_POINT, num_nodes, nodes);
    if (best == 0) {
        report("Error in PLANPINT.C:\na nodecorresponding to pointUV[%i].name=%snot found\n", j, b.rec(j).name.c_str());
        return -1;
    }
    if (nodes[best].name[0] == 'R') {
        report("PLANPINT.C internal error\n");
        return -1;
    }
    nodes[best].x = P.u;
    nodes[best].y = P.v;
    nodes[best].kind = NODE_KIND_POINT;
    nodes[best].name = "PINT";
    nodes[best].owner = b.rec(j).name;
    pint.PINT = PINT_ON_BOUNDARY_NODE;
    return 1;
}

// Step 4: points too close to the boundary are ignored.
bool too_close_to_boundary(const BoundaryView& b, const Subregion& patch, const PointUV& P, ControlPoint& pint) {
    for (int j = 1; j <= b.n; ++j) {
        const PointUV& r = b.rec(j);
        if (uv_distance(P.u, P.v, r.u, r.v) / b.spacing(j) < kTooCloseRatio && b.curve_name(j).substr(0, 3) != "P$c") {
            report("Warning: point %s is located too close to the subregion's %s boundary\n  and will be ignored.   \n",
                   pint.name.c_str(), patch.original_name.c_str());
            report("(Close location to %s)\n", r.name.c_str());
            pint.PINT = PINT_IGNORED;
            return true;
        }
        const PointUV& q = b.rec(j - 1);
        const double seg = uv_distance(q.u, q.v, r.u, r.v);
        if (seg <= 0) continue;
        const double at_q = ccw_angle(q.u, q.v, r.u, r.v, P.u, P.v);
        const double at_r = ccw_angle(r.u, r.v, q.u, q.v, P.u, P.v);
        const auto within_right = [](double a) { return a <= kPi / 2 || a >= 1.5 * kPi; };
        const double line_dist = std::fabs((r.u - q.u) * (P.v - q.v) - (r.v - q.v) * (P.u - q.u)) / seg;
        if (within_right(at_q) && within_right(at_r) && line_dist / seg < kTooCloseRatio &&
            b.curve_name(j).substr(0, 3) != "QLc") {
            report("Warning: point %s is located too close to subregion %s boundary\n  and WILL BE IGNORED !.   \n",
                   pint.name.c_str(), patch.original_name.c_str());
            report("  (Close location to [%s,%s] segment.)\n", q.name.c_str(), r.name.c_str());
            pint.PINT = PINT_IGNORED;
            return true;
        }
    }
    return false;
}

// Step 5: the nearest interior node is moved onto the point.
void place_on_interior_node(const PointUV& P, ControlPoint& pint, int num_nodes, Array1<GenNode>& nodes) {
    const int best = nearest_node_of_kind(P, NODE_KIND_INTERIOR, num_nodes, nodes);
    if (best == 0) {
        report("Point %s: a close node inside subregion node NOT FOUND.\n", pint.name.c_str());
        report("\nTry to reduce elements' sizes in the input data !\n");
        return;
    }
    nodes[best].x = P.u;
    nodes[best].y = P.v;
    nodes[best].kind = NODE_KIND_POINT;
    nodes[best].name = "PINT";
    pint.PINT = PINT_ON_INTERIOR_NODE;
}

// Step 6: corner angles at the moved nodes after smoothing.
void check_pint_angles(const PointUV& P, const ControlPoint& pint, const Array1<GenNode>& nodes, int num_elements,
                       const Array1<GenElement>& elements) {
    for (int e = 1; e <= num_elements; ++e) {
        const GenElement& el = elements[e];
        for (int c = 1; c <= 4; ++c) {
            const GenNode& v = nodes[el.corner(c)];
            if (!(v.name == "PINT")) continue;
            if (std::hypot(v.x - P.u, v.y - P.v) > 0) continue;
            const GenNode& next = nodes[el.corner(c == 4 ? 1 : c + 1)];
            const GenNode& prev = nodes[el.corner(c == 1 ? 4 : c - 1)];
            const double a = degrees(ccw_angle(v.x, v.y, next.x, next.y, prev.x, prev.y));
            if (a < kMinPintAngle || a > kMaxPintAngle) {
                report("\nPLAPINT.C: Input data inconsistency identified for internal point%s:\n", pint.name.c_str());
                report("in the element %i an angle of %6.2lf degrees has appeared,\n i.e. outside the permitted interval [%6.2lf,%6.2lf].\n",
                       e, a, kMinPintAngle, kMaxPintAngle);
                report("This and surrounding elements' sizes must be reduced,\n which can be achieved by reduction(s) of step sizes on the boundary entities.\n");
            }
        }
    }
}

}  // namespace

int process_plane_PINTs(const Run& run, const Subregion& patch, const PlaneUV& uv, int num_nodes, Array1<GenNode>& nodes,
                        int num_elements, const Array1<GenElement>& elements) {
    const BoundaryView b{run, uv, uv.num_points};
    for (int i = uv.num_points + 1; i <= uv.num_points + uv.nPINT; ++i) {
        const PointUV& P = uv[i];
        // The outcome (PINT_*) is kept on a copy: the mesh carries it in
        // the moved node's name, and the model's point stays as read, so
        // subregions meshed side by side never write to shared points.
        ControlPoint pint = run.new_points[P.index_global_of_PINT];
        report("PLANPINT.C: Processing %s point.\n", pint.name.c_str());
        const bool refined_square = pint.PINT_step == 0 && pint.PINT_rad == 0 && pint.PINT_step_work != 0 &&
                                    pint.PINT_rad_work != 0;
        if (!refined_square) {
            const int snapped = snap_to_corner(b, P, pint, num_nodes, nodes);
            if (snapped < 0) return 0;
            if (snapped > 0) continue;
            if (too_close_to_boundary(b, patch, P, pint)) continue;
        }
        place_on_interior_node(P, pint, num_nodes, nodes);
    }
    if (uv.nPINT == 0) return 1;
    laplas_plane(num_nodes, nodes, num_elements, elements);
    for (int i = uv.num_points + 1; i <= uv.num_points + uv.nPINT; ++i)
        check_pint_angles(uv[i], run.new_points[uv[i].index_global_of_PINT], nodes, num_elements, elements);
    return 1;
}

}  // namespace korvex
