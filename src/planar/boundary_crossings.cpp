// check_plane_boundaries: the curve nodes of a PLANE subregion's outer
// boundary, holes and trees are joined into segments, projected onto the
// coordinate plane the subregion faces most, and every two segments that do
// not share a node are tested for a common point (within a tolerance of the
// subregion's extent); two of the outer boundary or the holes that share one
// are tested for a fold back along each other or a second pass through it. A uniform grid of about one cell per segment keeps
// the test near linear. A hole or tree entirely outside is found by the
// parity of the outer boundary's crossings of a ray from its first segment.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "model/name_lookup.h"
#include "planar/boundary_crossings.h"

namespace korvex {

namespace {

struct P2 {
    double u = 0, v = 0;
};

// One segment between consecutive nodes of a curve. owner: 0 the outer
// boundary, h > 0 hole h, -t tree t.
struct Segment {
    P2 a, b;
    int na = 0, nb = 0;  // node indices in new_points
    int owner = 0;
    int curve = 0;
};

struct SubregionSegments {
    std::vector<Segment> list;
    int axis = 2;  // the coordinate dropped by the projection
};

P2 project(const Vec3& x, int axis) {
    if (axis == 0) return {x.y, x.z};
    if (axis == 1) return {x.z, x.x};
    return {x.x, x.y};
}

void add_curve(const Run& run, int signed_id, int owner, std::vector<Segment>& out, std::vector<Vec3>& xyz) {
    const int c = std::abs(signed_id);
    const Curve& cv = run.curves[c];
    const int n = std::min(cv.num_new_points, CURVE_NEW_POINT_SLOTS - 1);
    for (int i = 1; i < n; ++i) {
        int na = cv.new_points_id[static_cast<std::size_t>(i)];
        int nb = cv.new_points_id[static_cast<std::size_t>(i + 1)];
        if (signed_id < 0) std::swap(na, nb);
        Segment s;
        s.na = na;
        s.nb = nb;
        s.owner = owner;
        s.curve = c;
        out.push_back(s);
        xyz.push_back(run.new_points[na].pos());
        xyz.push_back(run.new_points[nb].pos());
    }
}

// The coordinate the subregion faces most: the largest component of the
// Newell normal of its outer boundary; when that normal (nearly) vanishes,
// as for a boundary crossing itself into two opposite loops, the coordinate
// over which the nodes spread least.
int facing_axis(const std::vector<Vec3>& xyz, std::size_t outer_segments) {
    Vec3 n{};
    Vec3 lo{kNotComputed, kNotComputed, kNotComputed}, hi = lo * -1.0;
    for (std::size_t i = 0; i < outer_segments; ++i) {
        n = n + cross(xyz[2 * i], xyz[2 * i + 1]);
        lo = {std::min(lo.x, xyz[2 * i].x), std::min(lo.y, xyz[2 * i].y), std::min(lo.z, xyz[2 * i].z)};
        hi = {std::max(hi.x, xyz[2 * i].x), std::max(hi.y, xyz[2 * i].y), std::max(hi.z, xyz[2 * i].z)};
    }
    const Vec3 spread = hi - lo;
    const double extent = std::max({spread.x, spread.y, spread.z, 0.0});
    if (norm(n) <= kSqrtEps * extent * extent) {
        if (spread.x <= spread.y && spread.x <= spread.z) return 0;
        return spread.y <= spread.z ? 1 : 2;
    }
    const double ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    if (ax >= ay && ax >= az) return 0;
    return ay >= az ? 1 : 2;
}

SubregionSegments collect_segments(const Run& run, const Subregion& s) {
    SubregionSegments out;
    std::vector<Vec3> xyz;
    for (int i = 1; i <= s.num_curves && i < static_cast<int>(s.curves_id.size()); ++i)
        add_curve(run, s.curves_id[static_cast<std::size_t>(i)], 0, out.list, xyz);
    const std::size_t outer = out.list.size();
    for (int h = 1; h <= s.num_holes && h < HOLE_RECORDS; ++h) {
        const Hole& hole = s.holes[static_cast<std::size_t>(h)];
        for (int i = 1; i <= hole.num_curves && i < HOLE_CURVE_SLOTS; ++i)
            add_curve(run, hole.curves[static_cast<std::size_t>(i)], h, out.list, xyz);
    }
    for (int t = 1; t <= s.num_trees && t < TREE_RECORDS; ++t) {
        const Tree& tree = s.trees[static_cast<std::size_t>(t)];
        for (int m = 1; m <= tree.num_curves && m <= tree.curve_capacity(); ++m) {
            const int id = find_curve(run, tree.curve_names[static_cast<std::size_t>(m)].view());
            if (id != 0) add_curve(run, id, -t, out.list, xyz);
        }
    }
    out.axis = facing_axis(xyz, outer);
    for (std::size_t i = 0; i < out.list.size(); ++i) {
        out.list[i].a = project(xyz[2 * i], out.axis);
        out.list[i].b = project(xyz[2 * i + 1], out.axis);
    }
    return out;
}

double cross2(const P2& o, const P2& a, const P2& b) { return (a.u - o.u) * (b.v - o.v) - (a.v - o.v) * (b.u - o.u); }

double point_segment_distance(const P2& p, const P2& a, const P2& b) {
    const double du = b.u - a.u, dv = b.v - a.v;
    const double len2 = du * du + dv * dv;
    double t = len2 > 0 ? ((p.u - a.u) * du + (p.v - a.v) * dv) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.u - (a.u + t * du), p.v - (a.v + t * dv));
}

// Whether two segments have a point in common, or come within tol.
bool segments_meet(const Segment& s, const Segment& r, double tol) {
    const double d1 = cross2(s.a, s.b, r.a), d2 = cross2(s.a, s.b, r.b);
    const double d3 = cross2(r.a, r.b, s.a), d4 = cross2(r.a, r.b, s.b);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) return true;
    return point_segment_distance(r.a, s.a, s.b) < tol || point_segment_distance(r.b, s.a, s.b) < tol ||
           point_segment_distance(s.a, r.a, r.b) < tol || point_segment_distance(s.b, r.a, r.b) < tol;
}

bool same_place(const P2& a, const P2& b, double tol) { return std::hypot(a.u - b.u, a.v - b.v) < tol; }

// Segments that share a node (by index or by place) meet there by design:
// consecutive segments of a curve, curves at a corner, a tree at its root.
bool share_node(const Segment& s, const Segment& r, double tol) {
    if (s.na == r.na || s.na == r.nb || s.nb == r.na || s.nb == r.nb) return true;
    return same_place(s.a, r.a, tol) || same_place(s.a, r.b, tol) || same_place(s.b, r.a, tol) ||
           same_place(s.b, r.b, tol);
}

// Whether two segments of the outer boundary or the holes that share a node
// still meet wrongly: two of them leave (or reach) the same place, so the
// boundary touches itself at a vertex, or the free end of one lies on the
// other, so the boundary folds back along itself. Trees meet at nodes by design.
bool fold_or_vertex_touch(const Segment& s, const Segment& r, double tol) {
    if (s.owner < 0 || r.owner < 0) return false;
    if (same_place(s.a, r.a, tol) || same_place(s.b, r.b, tol)) return true;
    const bool s_ends_at_r = same_place(s.b, r.a, tol), r_ends_at_s = same_place(r.b, s.a, tol);
    if (s_ends_at_r && r_ends_at_s) return true;
    const P2& s_free = s_ends_at_r ? s.a : s.b;
    const P2& r_free = s_ends_at_r ? r.b : r.a;
    return point_segment_distance(s_free, r.a, r.b) < tol || point_segment_distance(r_free, s.a, s.b) < tol;
}

// Uniform grid over the segments' box: cell -> segments whose box meets it.
class SegmentGrid {
public:
    SegmentGrid(const std::vector<Segment>& segs, double tol) {
        lo_ = {kNotComputed, kNotComputed};
        P2 hi{-kNotComputed, -kNotComputed};
        for (const Segment& s : segs)
            for (const P2& p : {s.a, s.b}) {
                lo_.u = std::min(lo_.u, p.u);
                lo_.v = std::min(lo_.v, p.v);
                hi.u = std::max(hi.u, p.u);
                hi.v = std::max(hi.v, p.v);
            }
        const double extent = std::max({hi.u - lo_.u, hi.v - lo_.v, tol});
        side_ = std::max(1, static_cast<int>(std::sqrt(static_cast<double>(segs.size()))));
        size_ = extent / side_ * (1 + kSqrtEps);
        cells_.assign(static_cast<std::size_t>(side_) * static_cast<std::size_t>(side_), {});
        for (std::size_t i = 0; i < segs.size(); ++i) {
            const Segment& s = segs[i];
            const int u0 = cell(std::min(s.a.u, s.b.u) - tol - lo_.u), u1 = cell(std::max(s.a.u, s.b.u) + tol - lo_.u);
            const int v0 = cell(std::min(s.a.v, s.b.v) - tol - lo_.v), v1 = cell(std::max(s.a.v, s.b.v) + tol - lo_.v);
            for (int a = u0; a <= u1; ++a)
                for (int b = v0; b <= v1; ++b)
                    cells_[static_cast<std::size_t>(a) * static_cast<std::size_t>(side_) + static_cast<std::size_t>(b)]
                        .push_back(static_cast<int>(i));
        }
    }
    const std::vector<std::vector<int>>& cells() const { return cells_; }

private:
    int cell(double d) const { return std::clamp(static_cast<int>(d / size_), 0, side_ - 1); }
    P2 lo_;
    int side_ = 1;
    double size_ = 1;
    std::vector<std::vector<int>> cells_;
};

double extent_of(const std::vector<Segment>& segs) {
    double lu = kNotComputed, lv = kNotComputed, hu = -kNotComputed, hv = -kNotComputed;
    for (const Segment& s : segs)
        for (const P2& p : {s.a, s.b}) {
            lu = std::min(lu, p.u);
            lv = std::min(lv, p.v);
            hu = std::max(hu, p.u);
            hv = std::max(hv, p.v);
        }
    return std::max(hu - lu, hv - lv);
}

std::string curve_name(const Run& run, int c) {
    const Curve& cv = run.curves[c];
    return cv.name_original.empty() ? cv.name.c_str() : cv.name_original.c_str();
}

std::string owner_name(const Subregion& s, int owner) {
    if (owner > 0) return s.holes[static_cast<std::size_t>(owner)].name.c_str();
    return s.trees[static_cast<std::size_t>(-owner)].name.c_str();
}

// Whether the pair is a fault: trees may meet each other (a branch point
// off the nodes is the tree mesher's own business), anything else may not.
bool pair_counts(const Segment& s, const Segment& r) { return !(s.owner < 0 && r.owner < 0); }

void report_meeting(const Run& run, const Subregion& s, const Segment& x, const Segment& y) {
    // A tree comes first, then the outer boundary, then the hole of lower number.
    const bool x_first = x.owner < 0 || (y.owner >= 0 && x.owner <= y.owner);
    const Segment& a = x_first ? x : y;
    const Segment& b = x_first ? y : x;
    const std::string ca = curve_name(run, a.curve), cb = curve_name(run, b.curve);
    const char* sub = s.name.c_str();
    if (a.owner < 0)
        report(" Input data error: tree %s of subregion %s leaves the subregion (curves %s and %s).\n",
               owner_name(s, a.owner).c_str(), sub, ca.c_str(), cb.c_str());
    else if (a.owner == 0 && b.owner == 0)
        report(" Input data error: the boundary of subregion %s crosses or touches itself (curves %s and %s).\n", sub,
               ca.c_str(), cb.c_str());
    else if (a.owner == b.owner)
        report(" Input data error: hole %s of subregion %s crosses or touches itself (curves %s and %s).\n",
               owner_name(s, a.owner).c_str(), sub, ca.c_str(), cb.c_str());
    else if (a.owner == 0 || b.owner == 0)
        report(" Input data error: hole %s of subregion %s crosses or touches its boundary (curves %s and %s).\n",
               owner_name(s, a.owner == 0 ? b.owner : a.owner).c_str(), sub, ca.c_str(), cb.c_str());
    else
        report(" Input data error: holes %s and %s of subregion %s cross or touch (curves %s and %s).\n",
               owner_name(s, a.owner).c_str(), owner_name(s, b.owner).c_str(), sub, ca.c_str(), cb.c_str());
}

// The first meeting pair in cell order, or false.
bool find_meeting(const std::vector<Segment>& segs, double tol, int& first, int& second) {
    const SegmentGrid grid(segs, tol);
    for (const std::vector<int>& cell : grid.cells())
        for (std::size_t i = 0; i < cell.size(); ++i)
            for (std::size_t j = i + 1; j < cell.size(); ++j) {
                const Segment& s = segs[static_cast<std::size_t>(cell[i])];
                const Segment& r = segs[static_cast<std::size_t>(cell[j])];
                if (!pair_counts(s, r)) continue;
                if (share_node(s, r, tol) ? !fold_or_vertex_touch(s, r, tol) : !segments_meet(s, r, tol)) continue;
                first = std::min(cell[i], cell[j]);
                second = std::max(cell[i], cell[j]);
                return true;
            }
    return false;
}

// Parity of the outer boundary's crossings of the ray from p towards +u.
bool inside_outer(const std::vector<Segment>& segs, const P2& p) {
    bool inside = false;
    for (const Segment& s : segs) {
        if (s.owner != 0) continue;
        if ((s.a.v > p.v) == (s.b.v > p.v)) continue;
        const double u = s.a.u + (p.v - s.a.v) * (s.b.u - s.a.u) / (s.b.v - s.a.v);
        if (u > p.u) inside = !inside;
    }
    return inside;
}

// A hole or tree that meets nothing yet lies outside: its first segment's
// middle tells.
bool report_outside_parts(const Run& run, const Subregion& s, const std::vector<Segment>& segs) {
    int last_owner = 0;
    for (const Segment& x : segs) {
        if (x.owner == 0 || x.owner == last_owner) continue;
        last_owner = x.owner;
        const P2 mid{(x.a.u + x.b.u) / 2, (x.a.v + x.b.v) / 2};
        if (inside_outer(segs, mid)) continue;
        if (x.owner < 0)
            report(" Input data error: tree %s of subregion %s leaves the subregion (curve %s).\n",
                   owner_name(s, x.owner).c_str(), s.name.c_str(), curve_name(run, x.curve).c_str());
        else
            report(" Input data error: hole %s of subregion %s lies outside its boundary (curve %s).\n",
                   owner_name(s, x.owner).c_str(), s.name.c_str(), curve_name(run, x.curve).c_str());
        return true;
    }
    return false;
}

int check_subregion(const Run& run, const Subregion& s) {
    const SubregionSegments segs = collect_segments(run, s);
    if (segs.list.size() < 3) return 1;
    const double tol = kBoundaryContactTolerance * extent_of(segs.list);
    int i = 0, j = 0;
    if (find_meeting(segs.list, tol, i, j)) {
        report_meeting(run, s, segs.list[static_cast<std::size_t>(i)], segs.list[static_cast<std::size_t>(j)]);
        return 0;
    }
    return report_outside_parts(run, s, segs.list) ? 0 : 1;
}

// The curve of the segment from record i to record j: the one of record i,
// or of record j when record i names none.
int segment_curve(const PlaneUV& uv, int i, int j) { return uv[i].curve_id != 0 ? uv[i].curve_id : uv[j].curve_id; }

}  // namespace

int check_parameter_boundary(const Run& run, const Subregion& s, const PlaneUV& uv) {
    const int n = uv.num_points;
    if (n < 3) return 1;
    std::vector<Segment> segs(static_cast<std::size_t>(n));
    for (int i = 1; i <= n; ++i) {
        Segment& g = segs[static_cast<std::size_t>(i - 1)];
        const int j = i % n + 1;
        g.a = {uv[i].u, uv[i].v};
        g.b = {uv[j].u, uv[j].v};
        g.na = i;
        g.nb = j;
        g.curve = segment_curve(uv, i, j);
    }
    const double tol = kBoundaryContactTolerance * extent_of(segs);
    int i = 0, j = 0;
    if (!find_meeting(segs, tol, i, j)) return 1;
    const Segment& a = segs[static_cast<std::size_t>(i)];
    const Segment& b = segs[static_cast<std::size_t>(j)];
    report(" Input data error: the boundary of subregion %s crosses or touches itself (curves %s and %s).\n",
           s.name.c_str(), a.curve ? curve_name(run, a.curve).c_str() : "?", b.curve ? curve_name(run, b.curve).c_str() : "?");
    return 0;
}

int check_plane_boundaries(const Run& run) {
    for (int k = 1; k <= run.nPatches; ++k) {
        const Subregion& s = run.patches[k];
        if (s.type != TYPE_PLANE) continue;
        if (!check_subregion(run, s)) return 0;
    }
    return 1;
}

}  // namespace korvex
