// Entry checks and verification of REV and REV2 patches: the arcs-only edges,
// the choice of the bottom and top parallels, and the boundary cycling that
// makes them edges 1 and 3.
#include <cmath>
#include <cstdlib>
#include <vector>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "curves/geometry_kernels.h"
#include "patches/revolution/rev_patch.h"
#include "patches/transfinite/transfinite_patch.h"
#include "planar/plane_geometry.h"

namespace korvex {

namespace {

constexpr double kSameRadius = 1e-5;    // relative
constexpr double kSameCentre = 1e-5;    // distance / radius
constexpr double kSamePlane = 0.001;    // sum of absolute normal component differences
constexpr double kCoincidentCentres = 1e-5;
constexpr double kRightAngle = 90.0;
constexpr double kParallelWindow = 1.0;  // degrees: a parallel meets its axis at 90 within this
constexpr double kNotParallel = 0.01;    // degrees: the other pair must differ by at least this

std::size_t at(int i) { return static_cast<std::size_t>(i); }

const char* routine(RevKind kind) { return kind == RevKind::Rev ? "process_REV_patch" : "process_REV2_patch"; }

int pair_rule(const Subregion& patch, RevKind kind, const RevEdges& e, bool check_point_2) {
    if (e.arcs_only[1] == e.arcs_only[3] && e.arcs_only[2] == e.arcs_only[4]) return 1;
    report(" Input data error in %s():\n   subregion %s must have either pair 1-3 or 2-4\n  consisting of 'C'-type curves (ie. arcs) only.\n",
           routine(kind), patch.name.c_str());
    if (check_point_2) report("   (Check point 2.)\n");
    return 0;
}

bool same_circle(const ArcGeometry& a, const ArcGeometry& b) {
    const double r = a.radius, r2 = b.radius;
    if (std::fabs(r - r2) / ((r + r2) / 2) > kSameRadius) return false;
    if (distance(a.centre, b.centre) / r > kSameCentre) return false;
    const auto sum_abs = [](const Vec3& v) { return std::fabs(v.x) + std::fabs(v.y) + std::fabs(v.z); };
    return sum_abs(a.normal - b.normal) <= kSamePlane || sum_abs(a.normal + b.normal) <= kSamePlane;
}

// First node of edge k in boundary order.
Vec3 first_edge_node(const Run& run, const Subregion& patch, const RevEdges& e, int k) {
    const int c = patch.curves_id[at(e.first[k])];
    const Curve& cv = run.curves[std::abs(c)];
    return run.new_points[cv.new_points_id[at(c > 0 ? 1 : cv.num_new_points)]].pos();
}

// Angles (degrees) at the centres of a pair of arc edges between the axis
// direction and the first node of each edge.
void pair_angles(const Run& run, const Subregion& patch, const RevEdges& e, int lo, int hi, double& bot,
                 double& top) {
    const Vec3 C1 = e.arc[lo].centre, C3 = e.arc[hi].centre;
    const bool apart = distance(C1, C3) >= kCoincidentCentres;
    bot = degrees(ANGLEXYZ(C1, apart ? C3 : C1 + e.arc[lo].normal, first_edge_node(run, patch, e, lo)));
    top = degrees(ANGLEXYZ(C3, apart ? C1 : C3 + e.arc[lo].normal, first_edge_node(run, patch, e, hi)));
}

// Whether the parallels (edges 1 and 3) are arcs about one axis: their
// planes parallel, and the line through their centres (when apart) along
// their normal, each within the window of the parallels' right angle.
bool parallels_share_axis(const RevEdges& e) {
    const double window = std::sin(kParallelWindow * kPi / 180.0);
    const Vec3 &n1 = e.arc[1].normal, &n3 = e.arc[3].normal;
    if (norm(cross(n1, n3)) > window) return false;
    const Vec3 d = e.arc[3].centre - e.arc[1].centre;
    return distance(e.arc[1].centre, e.arc[3].centre) < kCoincidentCentres || norm(cross(d / norm(d), n1)) <= window;
}

const char* curve_name_at(const Run& run, const Subregion& patch, int pos) {
    const Curve& cv = run.curves[std::abs(patch.curves_id[at(pos)])];
    return cv.name_original.empty() ? cv.name.c_str() : cv.name_original.c_str();
}

void rotate_edge_tables(RevEdges& e) {
    const ArcGeometry a1 = e.arc[1];
    const int f1 = e.arcs_only[1];
    for (int k = 1; k < 4; ++k) e.arc[k] = e.arc[k + 1], e.arcs_only[k] = e.arcs_only[k + 1];
    e.arc[4] = a1;
    e.arcs_only[4] = f1;
}

}  // namespace

int choose_parallel_pair(double bot13, double top13, double bot24, double top24) {
    const auto within = [](double a, double tol) { return std::fabs(a - kRightAngle) <= tol; };
    const auto differs_at_least = [](double a) { return std::fabs(a - kRightAngle) >= kNotParallel; };
    const auto differs_more = [](double a) { return std::fabs(a - kRightAngle) > kNotParallel; };
    if (within(bot13, kParallelWindow) && within(top13, kParallelWindow) &&
        (differs_at_least(bot24) || differs_at_least(top24)))
        return 13;
    if (within(bot24, kParallelWindow) && within(top24, kParallelWindow) && (differs_more(bot13) || differs_more(top13)))
        return 24;
    return 0;
}

int rev_entry_checks(const Run& run, const Subregion& patch, RevKind kind, RevEdges& e) {
    const int type = kind == RevKind::Rev ? TYPE_REV : TYPE_REV2;
    if (patch.type != type) {
        report(" Error in %s() upon entering the procedure:\n  subregion %s in not of %s type.\n", routine(kind),
               patch.name.c_str(), kind == RevKind::Rev ? "REV" : "REV2");
        return 0;
    }
    if (patch.num_edges != 4) {
        report(" Input data error in %s():\n   subregion %s must consist of 4 edges, not %i.\n", routine(kind),
               patch.name.c_str(), patch.num_edges);
        return 0;
    }
    if (!check_edge_nodes(run, patch)) return 0;
    edge_first_curves(patch, e.first);
    for (int k = 1; k <= 4; ++k) {
        e.arcs_only[k] = 1;
        for (int pos = e.first[k]; pos < e.first[k + 1]; ++pos)
            if (run.curves[std::abs(patch.curves_id[at(pos)])].name[0] != 'C') e.arcs_only[k] = 0;
        e.arc[k] = ArcGeometry{};
    }
    return pair_rule(patch, kind, e, false);
}

int geometricParametersOfArc(const Run& run, int c, RevKind kind, ArcGeometry& g) {
    const Curve& cv = run.curves[std::abs(c)];
    const Vec3 n{cv.plane[0], cv.plane[1], cv.plane[2]};
    if (cv.center[0] == kNotComputed || !(cv.radius > 0) || !(norm(n) > 0)) {
        report(kind == RevKind::Rev ? "Unsuccessful return from geometricParametersOfArc()\n"
                                    : "Unsuccessful return from geometricParametersOfArc_in_REV2()\n");
        return 0;
    }
    g.centre = {cv.center[0], cv.center[1], cv.center[2]};
    g.radius = cv.radius;
    g.normal = n / norm(n);
    return 1;
}

void cycle_patch_edges(const Run& run, Subregion& patch) {
    int first[6];
    edge_first_curves(patch, first);
    const int n1 = patch.curves_per_edge[1];
    int shift_points = 0;  // boundary nodes of edge 1
    for (int pos = 1; pos <= n1; ++pos) shift_points += run.curves[std::abs(patch.curves_id[at(pos)])].num_new_points - 1;
    const auto rotate = [](auto& table, int count, int by) {
        std::vector<std::decay_t<decltype(table[1])>> copy(table.begin() + 1, table.begin() + 1 + count);
        for (int i = 0; i < count; ++i) table[at(i + 1)] = copy[at((i + by) % count)];
    };
    rotate(patch.curves_id, patch.num_curves, n1);
    rotate(patch.curve_names, patch.num_curves, n1);
    rotate(patch.points_id, patch.num_points, shift_points);
    const int c1 = patch.curves_per_edge[1];
    for (int k = 1; k < 4; ++k) patch.curves_per_edge[k] = patch.curves_per_edge[k + 1];
    patch.curves_per_edge[4] = c1;
}

int verify_and_preprocess_REV_patch(const Run& run, Subregion& patch, RevKind kind, RevEdges& e) {
    report(kind == RevKind::Rev ? "Entered verify_and_preprocess_REV_patch\n" : "Entered verify_and_preprocess_REV2_patch\n");
    for (int k = 1; k <= 4; ++k) {
        if (!e.arcs_only[k]) continue;
        if (!geometricParametersOfArc(run, patch.curves_id[at(e.first[k])], kind, e.arc[k])) return 0;
        for (int pos = e.first[k] + 1; pos < e.first[k + 1] && e.arcs_only[k]; ++pos) {
            ArcGeometry other;
            if (!geometricParametersOfArc(run, patch.curves_id[at(pos)], kind, other)) return 0;
            if (!same_circle(e.arc[k], other)) e.arcs_only[k] = 0;
        }
    }
    if (!pair_rule(patch, kind, e, true)) return 0;
    double bot13 = 0, top13 = 0, bot24 = 0, top24 = 0;  // 0: not a pair of arcs
    if (e.arcs_only[1]) pair_angles(run, patch, e, 1, 3, bot13, top13);
    if (e.arcs_only[2]) pair_angles(run, patch, e, 2, 4, bot24, top24);
    const int pair = choose_parallel_pair(bot13, top13, bot24, top24);
    if (pair == 0) {
        report(" Input data error  in %s():\n no pair of edges of subregion %s can be identified\n as 'top' and 'bottom' arcs.\n",
               routine(kind), patch.name.c_str());
        report(" Angles: angle_bot13=%13.6g  angle_top13=%13.6g\n         angle_bot24=%13.6g  angle_top24=%13.6g\n", bot13,
               top13, bot24, top24);
        return 0;
    }
    if (pair == 24) {
        cycle_patch_edges(run, patch);
        rotate_edge_tables(e);
        edge_first_curves(patch, e.first);
    }
    if (!parallels_share_axis(e)) {
        report(" Input data error: the parallels of subregion %s are not arcs about one axis (curves %s and %s).\n",
               patch.name.c_str(), curve_name_at(run, patch, e.first[1]), curve_name_at(run, patch, e.first[3]));
        return 0;
    }
    if (kind == RevKind::Rev2)
        report("arcs_only[1]=%i   arcs_only[2]=%i   arcs_only[3]=%i  arcs_only[4]=%i\n", e.arcs_only[1],
               e.arcs_only[2], e.arcs_only[3], e.arcs_only[4]);
    if (patch.curves_per_edge[2] != patch.curves_per_edge[4]) {
        report(" Input data error for %s subregion %s:\n  the 'left' and the 'right' edges \n  consist of different numbers of curves:\n  %i and %i correspondingly.\n",
               kind == RevKind::Rev ? "REV" : "REV2", patch.name.c_str(), patch.curves_per_edge[2],
               patch.curves_per_edge[4]);
        return 0;
    }
    return 1;
}

int rev_axis(const RevEdges& e, RevAxis& axis) {
    const ArcGeometry &b = e.arc[1], &t = e.arc[3];
    if (!b.computed() || !t.computed()) {
        report(" Error in adjust_coordinates():\n Xc1=%g  Yc1=%g  Zc1=%g\n Xc3=%g  Yc3=%g  Zc3=%g\n", b.centre.x,
               b.centre.y, b.centre.z, t.centre.x, t.centre.y, t.centre.z);
        return 0;
    }
    axis.point = b.centre;
    const Vec3 d = t.centre - b.centre;
    axis.dir = norm(d) < 1e-6 ? b.normal : d / norm(d);
    return 1;
}

}  // namespace korvex
