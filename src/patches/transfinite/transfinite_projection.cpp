// Projection of the boundary nodes onto the transfinite grid: each node is
// dropped onto the triangles of the border cells around it, and the
// barycentric weights of the foot point give its (u, v).
#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "base/messages.h"
#include "patches/transfinite/transfinite_patch.h"

namespace korvex {

namespace {

constexpr double kTinyEdge = 1e-15, kShortEdge = 1e-7;
constexpr double kTinyArea = 1e-15, kSmallArea = 1e-8;
constexpr double kTinyWeight = 1e-9;
constexpr double kBorderTolFactor = 5.0;   // border cells accept 5·ZERO_TOL
constexpr double kMaxDistanceFactor = 3.0; // t_coef_max = 3·av_edge
constexpr double kOnSurface = 1e-12;       // first pass: the point must lie in the triangle's plane
constexpr double kBoxWidening = 0.1;
constexpr int kMaxHits = 1001;
constexpr double kTinyCoord = 1e-12;
constexpr double kNormalisedZero = 1e-12;

std::size_t at(int i) { return static_cast<std::size_t>(i); }

double zero_tiny(double x, double tol) { return std::fabs(x) < tol ? 0.0 : x; }

bool inside_widened_box(const TransfiniteCell& cell, const Vec3& P, double av_edge, int pass) {
    double extent = 0;
    for (int d = 0; d < 3; ++d) extent = std::max(extent, cell.hi[d] - cell.lo[d]);
    const double w = std::max(kBoxWidening * extent, kBoxWidening * av_edge) * pass * pass;
    for (int d = 0; d < 3; ++d)
        if (P[d] < cell.lo[d] - w || P[d] > cell.hi[d] + w) return false;
    return true;
}

struct PassState {
    std::vector<ProjectionHit>& hits;
    Vec3 proj[2];  // the last foot points found (diagnostics)
};

// Tests one triangle of a cell. Returns 0 on a failure that ends the projection.
int test_triangle(const Vec3& P, int pass, const TransfiniteGrid& g, int cell_index, int t, double tol,
                  PassState& st) {
    int v[3];
    cell_triangle(g.cells[at(cell_index)], t, v);
    const Vec3 &A = g.xyz[at(v[0])], &B = g.xyz[at(v[1])], &C = g.xyz[at(v[2])];
    Vec3 n = cross(B - A, C - A);
    const double a_norm = norm(n);
    if (a_norm <= ANORM_TOL * g.av_edge * g.av_edge) {
        report(" Check input data scaling: the transfinite mesh points\n  appear to be placed very close to each other.\n");
        report("  (a_norm=%g) <= (ANORM_TOL*av_edge**2 = %g)\n", a_norm, ANORM_TOL * g.av_edge * g.av_edge);
        return 1;
    }
    n = n / a_norm;
    const Vec3 centre = (A + B + C) / 3.0;
    const double t_coef = dot(P - centre, n);
    const double t_coef_max = kMaxDistanceFactor * g.av_edge;
    if (std::fabs(t_coef) >= t_coef_max) {
        if (t == 1)
            report("\n A cell was identified which 'embraces' the point\n    but apparently belongs to a different part of the surface.   (1)\n");
        else
            report("\n A cell was identified which 'embraces' the point\n    but apparently belongs to a different part of the surface.  (2)\n");
        report("  (t_coef = %g >= t_coef_max=%g)\n", t_coef, t_coef_max);
        return 1;
    }
    const Vec3 foot = P - n * t_coef;
    st.proj[t - 1] = foot;
    double fu, fv, u[3], w[3];
    double vv[3];
    if (!mapXYZ_on_UV(centre, n, foot, fu, fv)) {
        report("Unsuccessful completion of mapXYZ_on_UV()    (1)\n");
        return 0;
    }
    for (int i = 0; i < 3; ++i)
        if (!mapXYZ_on_UV(centre, n, g.xyz[at(v[i])], u[i], vv[i])) {
            report(t == 1 ? "Unsuccessful completion of mapXYZ_on_UV()    (2)\n"
                          : "Unsuccessful completion of mapXYZ_on_UV()    (3)\n");
            return 0;
        }
    if (!barycentricCoords2D(u[0], vv[0], u[1], vv[1], u[2], vv[2], fu, fv, w[0], w[1], w[2])) return 1;
    for (double wi : w)
        if (wi < -tol || wi > 1.0 + tol) return 1;
    if (pass == 1 && std::fabs(t_coef) > kOnSurface) {
        report("In testPointProjectionOnCell() during the 1-st run: fabs(t_coef)=%g > ZERO_TOL=%g:\n this projection to be ignored.\n",
               std::fabs(t_coef), kOnSurface);
        return 1;
    }
    if (static_cast<int>(st.hits.size()) >= kMaxHits) {
        report(t == 1 ? "Internal error in surf.tst.c: \n(*nTrias_adjacent)>n_3_max_arrays_size\n"
                      : "Internal error in surf.tst.c: \n(*nTrias_adjacent)>n_3_max_arrays_size (2)\n");
        return 0;
    }
    ProjectionHit h;
    h.cell = cell_index;
    h.triangle = t;
    for (int i = 0; i < 3; ++i) h.w[i] = w[i];
    h.foot = foot;
    st.hits.push_back(h);
    return 1;
}

int run_pass(const Vec3& P, int pass, const TransfiniteGrid& g, double zero_tol, PassState& st) {
    // Only border cells are candidates: the points projected are boundary nodes.
    for (int c : g.border_cells) {
        const TransfiniteCell& cell = g.cells[at(c)];
        if (!inside_widened_box(cell, P, g.av_edge, pass)) continue;
        const double tol = cell.border ? kBorderTolFactor * zero_tol : zero_tol;
        for (int t = 1; t <= 2; ++t)
            if (!test_triangle(P, pass, g, c, t, tol, st)) return 0;
    }
    return 1;
}

bool share_grid_point(const TransfiniteGrid& g, const ProjectionHit& a, const ProjectionHit& b, int va[3], int vb[3]) {
    cell_triangle(g.cells[at(a.cell)], a.triangle, va);
    cell_triangle(g.cells[at(b.cell)], b.triangle, vb);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (va[i] == vb[j]) return true;
    return false;
}

// The choice among the hits: accepted unless the two nearest are equally
// near and lie on triangles that do not touch (an overlapping surface).
int check_hit_choice(const Vec3& P, const TransfiniteGrid& g, std::vector<ProjectionHit>& hits) {
    for (auto& h : hits)
        for (int d = 0; d < 3; ++d) h.foot[d] = zero_tiny(h.foot[d], kTinyCoord);
    std::vector<ProjectionHit> order = hits;
    std::stable_sort(order.begin(), order.end(), [&](const ProjectionHit& a, const ProjectionHit& b) {
        return distance(a.foot, P) < distance(b.foot, P);
    });
    if (order.size() == 1) return 1;
    const double d1 = distance(order[0].foot, P), d2 = distance(order[1].foot, P);
    if (d1 < 1e-10 || std::fabs(d1 - d2) >= 0.1 * (d1 + d2)) return 1;
    int va[3], vb[3];
    const bool touch = share_grid_point(g, order[0], order[1], va, vb);
    console(" First  cell vertices:   %8i  %8i  %8i\n", va[0], va[1], va[2]);
    console(" Second cell vertices:   %8i  %8i  %8i\n", vb[0], vb[1], vb[2]);
    if (touch) return 1;
    report(" Error: projections considered to be correct\n on non-neighboring triangular cells\n");
    report(" The most probable reason: the transfinite surface\n is self-overlapped or almost self-overlaped.\n");
    return 0;
}

}  // namespace

void cell_triangle(const TransfiniteCell& cell, int t, int v[3]) {
    if (t == 1) {
        v[0] = cell.p[1], v[1] = cell.p[4], v[2] = cell.p[3];
    } else {
        v[0] = cell.p[3], v[1] = cell.p[2], v[2] = cell.p[1];
    }
}

int barycentricCoords2D(double x1, double y1, double x2, double y2, double x3, double y3, double x, double y,
                        double& w1, double& w2, double& w3) {
    const double h = std::min({std::hypot(x2 - x1, y2 - y1), std::hypot(x3 - x2, y3 - y2), std::hypot(x1 - x3, y1 - y3)});
    if (h < kTinyEdge) {
        report(" Error: in barycentricCoords2D(): shortest_edge=%g (<1e-15)\n", h);
        return 0;
    }
    if (h < kShortEdge) report("Warning: in barycentricCoords2D(): shortest_edge=%g (<1e-7)\n", h);
    x1 /= h, y1 /= h, x2 /= h, y2 /= h, x3 /= h, y3 /= h, x /= h, y /= h;
    const double D = (x2 - x1) * (y3 - y1) - (x3 - x1) * (y2 - y1);
    if (std::fabs(D) < kTinyArea) {
        report(" Check input data scaling:  the transfinite mesh points\n  appear to be placed very close to each other.\n");
        report(" (tri_area=%g < 1e-15)\n", D);
        return 0;
    }
    if (std::fabs(D) < kSmallArea) {
        report(" Warning: check input data scaling:  the transfinite mesh points\n  appear to be placed very close to each other.\n");
        report(" (tri_area=%g < 1e-8)\n", D);
    }
    w2 = ((x - x1) * (y3 - y1) - (y - y1) * (x3 - x1)) / D;
    w3 = ((y - y1) * (x2 - x1) - (x - x1) * (y2 - y1)) / D;
    w1 = 1.0 - w2 - w3;
    if (std::fabs(w1) < kTinyWeight) w1 = 0.0;
    return 1;
}

int testPointProjectionOnCell(const Vec3& P, int pass, const TransfiniteGrid& g, double zero_tol,
                              std::vector<ProjectionHit>& hits) {
    hits.clear();
    PassState st{hits, {}};
    if (!run_pass(P, pass, g, zero_tol, st)) return 0;
    if (hits.empty() && pass == 1) {
        report("In testPointProjectionOnCell() during the 1-st run:\n no boundary point's projection found:\n repeat the run, this time with no t_coef=0 restriction.\n");
        pass = 2;
        if (!run_pass(P, pass, g, zero_tol, st)) return 0;
    }
    if (hits.empty()) {
        report("Projection unsuccessful:\n");
        report("\n Point:      (%13.6g,%13.6g,%13.6g): nTrias_adjacent=%i;\n", P.x, P.y, P.z, 0);
        report("Point proj1=(%13.6g,%13.6g,%13.6g)\n", st.proj[0].x, st.proj[0].y, st.proj[0].z);
        report("Point proj2=(%13.6g,%13.6g,%13.6g)\n", st.proj[1].x, st.proj[1].y, st.proj[1].z);
        return 0;
    }
    return check_hit_choice(P, g, hits);
}

namespace {

// Two boundary records of one name: the pair a scan i < j, then j, finds first.
int check_coinciding_names(const Subregion& patch, const PlaneUV& uv) {
    std::map<std::string, std::pair<int, int>> seen;  // name -> first and second position
    for (int i = 1; i <= uv.num_points; ++i) {
        auto [it, fresh] = seen.try_emplace(uv[i].name.c_str(), i, 0);
        if (!fresh && it->second.second == 0) it->second.second = i;
    }
    int bi = 0, bj = 0;
    for (const auto& [name, pos] : seen)
        if (pos.second != 0 && (bi == 0 || pos.first < bi)) bi = pos.first, bj = pos.second;
    if (bi == 0) return 1;
    report(" Error in patch %s: coinciding points:\n  %s  (i=%i)   and   %s (j=%i)\n", patch.name.c_str(),
           uv[bi].name.c_str(), bi, uv[bj].name.c_str(), bj);
    return 0;
}

void normalise(TransfiniteGrid& g, PlaneUV& uv) {
    double umin = uv[1].u, umax = uv[1].u, vmin = uv[1].v, vmax = uv[1].v;
    for (int i = 2; i <= uv.num_points; ++i) {
        umin = std::min(umin, uv[i].u), umax = std::max(umax, uv[i].u);
        vmin = std::min(vmin, uv[i].v), vmax = std::max(vmax, uv[i].v);
    }
    const auto fix = [](double x) { return std::fabs(x) < kNormalisedZero ? 0.0 : x; };
    for (int i = 1; i <= uv.num_points; ++i) {
        if (umax > umin) uv[i].u = fix((uv[i].u - umin) / (umax - umin));
        if (vmax > vmin) uv[i].v = fix((uv[i].v - vmin) / (vmax - vmin));
    }
    for (std::size_t p = 1; p < g.uv.size(); ++p) {
        if (umax > umin) g.uv[p].u = fix((g.uv[p].u - umin) / (umax - umin));
        if (vmax > vmin) g.uv[p].v = fix((g.uv[p].v - vmin) / (vmax - vmin));
    }
}

}  // namespace

int parameterize(TransfiniteGrid& g, const Run& run, const Subregion& patch, PlaneUV& uv) {
    report(" Entering parameterize()...\n");
    uv.num_points = patch.num_points;
    uv.nPINT = 0;
    uv.records.assign(at(patch.num_points) + 1, PointUV{});
    std::vector<ProjectionHit> hits;
    for (int i = 1; i <= patch.num_points; ++i) {
        const ControlPoint& node = run.new_points[patch.points_id[at(i)]];
        if (!testPointProjectionOnCell(node.pos(), 1, g, ZERO_TOL, hits)) {
            report(" Unsuccessful return from testPointProjectionOnCell().\n");
            return 0;
        }
        double u = 0, v = 0;
        for (const ProjectionHit& h : hits) {
            int tri[3];
            cell_triangle(g.cells[at(h.cell)], h.triangle, tri);
            for (int k = 0; k < 3; ++k) {
                u += h.w[k] * g.uv[at(tri[k])].u;
                v += h.w[k] * g.uv[at(tri[k])].v;
            }
        }
        PointUV& r = uv[i];
        r.u = u / static_cast<double>(hits.size());
        r.v = v / static_cast<double>(hits.size());
        r.curve_id = std::abs(node.curve_id);
        r.name = node.name;
    }
    if (!check_coinciding_names(patch, uv)) return 0;
    normalise(g, uv);
    uv[0] = uv[uv.num_points];
    report(" ...parameterize() completed.\n");
    return 1;
}

}  // namespace korvex
