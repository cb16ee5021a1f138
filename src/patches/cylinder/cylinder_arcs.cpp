// The circumferential arcs of a cylinder boundary (arcs in planes
// perpendicular to the axis) and the radius adjustment that pulls points
// lying within an arc's angular range onto that arc's radius.
#include <algorithm>
#include <cmath>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "curves/geometry_kernels.h"
#include "patches/cylinder/cylinder_mesher.h"

namespace korvex {

namespace {

constexpr double kArcNormalTolerance = 0.05;     // radians: arc normal parallel to the axis
constexpr double kWideArc = 150.0 * kDegree;     // wider arcs take their middle node for the normal
constexpr double kAngularRangeTolerance = 0.001 * kDegree;

bool is_arc_curve(const Curve& c) { return c.name[0] == 'C' || c.name_original[0] == 'C'; }

Vec3 arc_centre(const Curve& c) { return {c.center[0], c.center[1], c.center[2]}; }

// The arc's plane is perpendicular to the axis when the normal from its
// first node and its last node (its middle node for a wide arc) is parallel to it.
bool arc_perpendicular_to_axis(const Run& run, const Curve& c, const Vec3& axis) {
    const int count = c.num_new_points;
    if (count < 2) return false;
    const Vec3 C = arc_centre(c);
    const Vec3 first = run.new_points[c.new_points_id[1]].pos();
    Vec3 last = run.new_points[c.new_points_id[static_cast<std::size_t>(count)]].pos();
    if (ANGLEXYZ(C, first, last) > kWideArc) {
        const int mid = count < 4 ? count / 2 + 1 : count / 2;
        last = run.new_points[c.new_points_id[static_cast<std::size_t>(mid)]].pos();
    }
    const double a = angle_between(cross(first - C, last - C), axis);
    if (a == kAngleUndefined) return false;
    return a <= kArcNormalTolerance || std::fabs(a - kPi) <= kArcNormalTolerance;
}

// A node is on the arc when the arc generated it or it is one of the arc's
// interior nodes (a node snapped onto a definition point of the arc keeps
// that point's name and no generating curve, but still lies on the arc).
bool node_on_arc(const Run& run, const CylinderBoundary& b, int pos, int curve) {
    if (b.curve_ids[static_cast<std::size_t>(pos)] == curve) return true;
    const Curve& c = run.curves[curve];
    const int id = b.ids[static_cast<std::size_t>(pos)];
    for (int k = 2; k < c.num_new_points; ++k)
        if (c.new_points_id[static_cast<std::size_t>(k)] == id) return true;
    return false;
}

// ipstart: the position off the arc whose successor is on it; ipend: the
// position off the arc whose predecessor is on it (counted past n when the
// arc's run of nodes wraps around position 1).
void locate_arc_ends(const Run& run, const CylinderBoundary& b, CircumferentialArc& arc) {
    const int n = b.n;
    std::vector<char> on(static_cast<std::size_t>(n) + 1, 0);
    for (int i = 1; i <= n; ++i) on[static_cast<std::size_t>(i)] = node_on_arc(run, b, i, arc.curve);
    auto at = [&](int i) { return on[static_cast<std::size_t>((i - 1 + n) % n + 1)] != 0; };
    for (int i = 1; i <= n; ++i) {
        if (!at(i) && at(i + 1) && arc.ipstart == 0) arc.ipstart = i;
        if (!at(i) && at(i - 1) && arc.ipend == 0) arc.ipend = i;
    }
    if (arc.ipend != 0 && arc.ipend < arc.ipstart) arc.ipend += n;
}

}  // namespace

void load_cylinder_boundary(const Run& run, const Subregion& patch, CylinderBoundary& b) {
    b.n = patch.num_points;
    const auto size = static_cast<std::size_t>(b.n) + 1;
    b.xyz.assign(size, Vec3{});
    b.saved.assign(size, Vec3{});
    b.ids.assign(size, 0);
    b.curve_ids.assign(size, 0);
    for (int i = 1; i <= b.n; ++i) {
        const auto s = static_cast<std::size_t>(i);
        const ControlPoint& p = run.new_points[patch.points_id[s]];
        b.ids[s] = patch.points_id[s];
        b.curve_ids[s] = p.curve_id;
        b.xyz[s] = p.pos();
        b.saved[s] = p.pos();
    }
}

int find_circumferential_arcs(const Run& run, const Vec3& axis, const CylinderBoundary& b,
                              std::vector<CircumferentialArc>& arcs) {
    arcs.clear();
    for (int i = 1; i <= b.n; ++i) {
        const int c = b.curve_ids[static_cast<std::size_t>(i)];
        if (c <= 0 || !is_arc_curve(run.curves[c])) continue;
        if (std::any_of(arcs.begin(), arcs.end(), [c](const CircumferentialArc& a) { return a.curve == c; }))
            continue;
        if (!arc_perpendicular_to_axis(run, run.curves[c], axis)) continue;
        if (static_cast<int>(arcs.size()) >= kMaxCircumferentialArcs) {
            report("Increase either MAX_CURVES_PER_EDGE(curr.=%i)\n  or MAX_EDGES_PER_SUBREGION(curr.=%i)\n"
                   "  in KORVEX.H: their product must\n exceed %i\n",
                   MAX_CURVES_PER_EDGE, MAX_EDGES_PER_SUBREGION, static_cast<int>(arcs.size()) + 1);
            return 0;
        }
        arcs.push_back(CircumferentialArc{c, 0, 0});
    }
    for (CircumferentialArc& arc : arcs) locate_arc_ends(run, b, arc);
    return 1;
}

namespace {

// One listed arc as the radius adjustment reads it: its centre, its radius
// and its boundary nodes ipstart..ipend in order.
struct ArcRange {
    Vec3 centre;
    double radius = 0;
    std::vector<Vec3> nodes;
};

// Polar angle of P about the arc's centre in the arc's sense of travel,
// measured from its first node, in [0, 2 pi).
struct ArcFrame {
    Vec3 C, e1, e2;
    double angle(const Vec3& P) const {
        const Vec3 d = P - C;
        double phi = std::atan2(dot(d, e2), dot(d, e1));
        if (phi < 0) phi += kTwoPi;
        return phi;
    }
};

// The arc's range with its nodes' polar angles, so that the pair of
// consecutive nodes around a point is found by bisection.
struct IndexedArc {
    ArcRange range;
    ArcFrame frame;
    std::vector<double> phi;  // increasing along the arc
};

int build_indexed_arc(const Run& run, const CircumferentialArc& arc, const std::vector<Vec3>& boundary, int n,
                      IndexedArc& out) {
    if (arc.ipstart >= arc.ipend) {
        report("Error in cylin_ar.c:  for (arc) curve %i\n   ipstart(=%i) >= ipend(=%i) \n", arc.curve, arc.ipstart,
               arc.ipend);
        return 0;
    }
    ArcRange& r = out.range;
    r.centre = arc_centre(run.curves[arc.curve]);
    for (int i = arc.ipstart; i <= arc.ipend; ++i) r.nodes.push_back(boundary[static_cast<std::size_t>((i - 1) % n + 1)]);
    r.radius = distance(r.centre, r.nodes.front());
    ArcFrame& f = out.frame;
    f.C = r.centre;
    f.e1 = (r.nodes.front() - r.centre) / r.radius;
    Vec3 normal = cross(r.nodes.front() - r.centre, r.nodes[1] - r.centre);
    normal = normal / norm(normal);
    f.e2 = cross(normal, f.e1);
    out.phi.push_back(0.0);
    for (std::size_t j = 1; j < r.nodes.size(); ++j) {
        double phi = f.angle(r.nodes[j]);
        if (phi < out.phi.back()) phi += kTwoPi;  // an arc never makes a full turn
        out.phi.push_back(phi);
    }
    return 1;
}

// Seen from the centre, P lies between nodes j and j + 1 of the arc.
bool between_nodes(const ArcRange& r, std::size_t j, const Vec3& P) {
    const Vec3& A = r.nodes[j];
    const Vec3& B = r.nodes[j + 1];
    const double excess = ANGLEXYZ(r.centre, A, P) + ANGLEXYZ(r.centre, P, B) - ANGLEXYZ(r.centre, A, B);
    return std::fabs(excess) <= kAngularRangeTolerance;
}

// True when some pair of consecutive arc nodes holds P. The pair around P's
// polar angle and its neighbours are tried first; only when none of them
// holds P are all pairs tried, so the answer is the one of the full scan.
bool within_angular_range(const IndexedArc& a, const Vec3& P) {
    const std::size_t pairs = a.range.nodes.size() - 1;
    const double phi = a.frame.angle(P);
    const auto it = std::upper_bound(a.phi.begin(), a.phi.end(), phi);
    const std::size_t j = it == a.phi.begin() ? 0 : static_cast<std::size_t>(it - a.phi.begin()) - 1;
    if (j < pairs && between_nodes(a.range, j, P)) return true;
    if (j > 0 && j - 1 < pairs && between_nodes(a.range, j - 1, P)) return true;
    if (j + 1 < pairs && between_nodes(a.range, j + 1, P)) return true;
    for (std::size_t k = 0; k < pairs; ++k)
        if (between_nodes(a.range, k, P)) return true;
    return false;
}

}  // namespace

int cylindrical_surface_radius_adjustment_of_nodes(const Vec3& axis, const Run& run,
                                                   const std::vector<CircumferentialArc>& arcs,
                                                   const std::vector<Vec3>& boundary, int n,
                                                   std::vector<Vec3>& points, const std::vector<char>& selected) {
    std::vector<IndexedArc> indexed(arcs.size());
    for (std::size_t a = 0; a < arcs.size(); ++a)
        if (!build_indexed_arc(run, arcs[a], boundary, n, indexed[a])) return 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!selected[i]) continue;
        for (const IndexedArc& a : indexed) {
            const ArcRange& r = a.range;
            Vec3& P = points[i];
            const double lambda = dot(axis, r.centre - P);
            const Vec3 in_plane = P + axis * lambda;
            if (!within_angular_range(a, in_plane)) continue;
            const Vec3 radial = in_plane - r.centre;
            P = r.centre - axis * lambda + radial * (r.radius / norm(radial));
        }
    }
    return 1;
}

}  // namespace korvex
