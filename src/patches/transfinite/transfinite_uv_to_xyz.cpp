// (u, v) -> 3D on the transfinite grid: the grid triangle (in the grid's
// (u, v)) that holds the point gives the weights of its three 3D corners.
//
// The cells around the point's row-1 column and column row are tried first,
// then every cell in scan order (columns, then rows within a column). The
// full scan is answered through a bucket grid over the cells' (u, v) boxes:
// only cells whose widened box holds the point can accept it, and the cells
// whose triangles report a warning or a failure on every test are always
// visited, so the first accepting cell and every message are those of the
// plain scan.
#include <algorithm>
#include <cmath>

#include "base/messages.h"
#include "patches/transfinite/transfinite_patch.h"

namespace korvex {

namespace {

constexpr double kWeightLow = -1e-5, kWeightHigh = 1.00001;  // acceptance window
constexpr int kWindow = 5;            // cells on each side of the first guess
constexpr double kTinyCoord = 1e-12;
constexpr double kBoxMargin = 1e-3;   // relative widening of a cell's (u, v) box (the window is 1e-5)
constexpr double kBoxMarginAbs = 1e-9;
constexpr double kEndRounding = 1e-9;  // (u, v) beyond the grid's range by rounding only

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// The grid points of triangle t (1 or 2) of the cell with lower-left (c, r).
void search_triangle(const TransfiniteGrid& g, int c, int r, int t, int p[3]) {
    p[0] = g.at(c, r);
    p[1] = t == 1 ? g.at(c + 1, r) : g.at(c + 1, r + 1);
    p[2] = t == 1 ? g.at(c + 1, r + 1) : g.at(c, r + 1);
}

// True when barycentricCoords2D reports something (a warning or a failure)
// for this triangle whatever the point: the same arithmetic, silently.
bool triangle_reports(const TransfiniteGrid& g, const int p[3]) {
    double x[3], y[3];
    for (int i = 0; i < 3; ++i) x[i] = g.uv[at(p[i])].u, y[i] = g.uv[at(p[i])].v;
    const double h = std::min({std::hypot(x[1] - x[0], y[1] - y[0]), std::hypot(x[2] - x[1], y[2] - y[1]),
                               std::hypot(x[0] - x[2], y[0] - y[2])});
    if (h < 1e-7) return true;
    for (int i = 0; i < 3; ++i) x[i] /= h, y[i] /= h;
    const double D = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
    return std::fabs(D) < 1e-8;
}

int bucket_of(double x, double x0, double dx, int n) {
    const double b = std::floor((x - x0) / dx);
    if (!(b > 0)) return 0;  // also catches NaN
    return b >= n - 1 ? n - 1 : static_cast<int>(b);
}

// A boundary node's (u, v) is exactly 0 or 1, while the grid's end values
// may differ from it in the last bit after normalisation: a value that
// misses the first or last interval by rounding only is given that interval.
int end_interval(double x, double first, double last, int intervals) {
    if (x < first && first - x <= kEndRounding) return 1;
    if (x > last && x - last <= kEndRounding) return intervals;
    return 0;
}

}  // namespace

GridTriangleSearch::GridTriangleSearch(const TransfiniteGrid& grid, bool use_index) : g_(grid), use_index_(use_index) {
    const int nc = g_.N13 - 1, nr = g_.N24 - 1;
    double umin = 1e300, umax = -1e300, vmin = 1e300, vmax = -1e300;
    for (std::size_t p = 1; p < g_.uv.size(); ++p) {
        umin = std::min(umin, g_.uv[p].u), umax = std::max(umax, g_.uv[p].u);
        vmin = std::min(vmin, g_.uv[p].v), vmax = std::max(vmax, g_.uv[p].v);
    }
    nu_ = std::max(1, nc), nv_ = std::max(1, nr);
    u0_ = umin, v0_ = vmin;
    du_ = umax > umin ? (umax - umin) / nu_ : 1.0;
    dv_ = vmax > vmin ? (vmax - vmin) / nv_ : 1.0;
    buckets_.assign(at(nu_ * nv_), {});
    for (int c = 1; c <= nc; ++c)
        for (int r = 1; r <= nr; ++r) {
            const int id = (c - 1) * nr + r;
            const int pts[4] = {g_.at(c, r), g_.at(c + 1, r), g_.at(c + 1, r + 1), g_.at(c, r + 1)};
            double lo_u = 1e300, hi_u = -1e300, lo_v = 1e300, hi_v = -1e300;
            for (int p : pts) {
                lo_u = std::min(lo_u, g_.uv[at(p)].u), hi_u = std::max(hi_u, g_.uv[at(p)].u);
                lo_v = std::min(lo_v, g_.uv[at(p)].v), hi_v = std::max(hi_v, g_.uv[at(p)].v);
            }
            const double m = kBoxMargin * std::max(hi_u - lo_u, hi_v - lo_v) + kBoxMarginAbs;
            const auto bu = [&](double u) { return bucket_of(u, u0_, du_, nu_); };
            const auto bv = [&](double v) { return bucket_of(v, v0_, dv_, nv_); };
            for (int i = bu(lo_u - m); i <= bu(hi_u + m); ++i)
                for (int j = bv(lo_v - m); j <= bv(hi_v + m); ++j) buckets_[at(j * nu_ + i)].push_back(id);
            int t1[3], t2[3];
            search_triangle(g_, c, r, 1, t1);
            search_triangle(g_, c, r, 2, t2);
            if (triangle_reports(g_, t1) || triangle_reports(g_, t2)) noisy_cells_.push_back(id);
        }
}

// Tests the two triangles of cell (c, r). found is set when one accepts.
int GridTriangleSearch::test_cell(int c, int r, double u, double v, int msg1, int msg2, Vec3& out,
                                  bool& found) const {
    for (int t = 1; t <= 2; ++t) {
        int p[3];
        search_triangle(g_, c, r, t, p);
        double w[3];
        if (!barycentricCoords2D(g_.uv[at(p[0])].u, g_.uv[at(p[0])].v, g_.uv[at(p[1])].u, g_.uv[at(p[1])].v,
                                 g_.uv[at(p[2])].u, g_.uv[at(p[2])].v, u, v, w[0], w[1], w[2])) {
            static const char* const failures[5] = {"", "Unsuccessful return (1) from barycentricCoords2D()\n",
                                                    "Unsuccessful return (2) from barycentricCoords2D()\n",
                                                    "Unsuccessful return (3) from barycentricCoords2D()\n",
                                                    "Unsuccessful return (4) from barycentricCoords2D()\n"};
            report("%s", failures[t == 1 ? msg1 : msg2]);
            return 0;
        }
        bool inside = true;
        for (double wi : w) inside = inside && wi >= kWeightLow && wi <= kWeightHigh;
        if (!inside) continue;
        out = g_.xyz[at(p[0])] * w[0] + g_.xyz[at(p[1])] * w[1] + g_.xyz[at(p[2])] * w[2];
        for (int d = 0; d < 3; ++d)
            if (std::fabs(out[d]) < kTinyCoord) out[d] = 0.0;
        found = true;
        return 1;
    }
    return 1;
}

int GridTriangleSearch::scan_all_cells(double u, double v, Vec3& out, bool& found) const {
    const int nr = g_.N24 - 1;
    if (!use_index_) {
        for (int c = 1; c < g_.N13; ++c)
            for (int r = 1; r <= nr; ++r) {
                if (!test_cell(c, r, u, v, 3, 4, out, found)) return 0;
                if (found) return 1;
            }
        return 1;
    }
    // Clamped like the cells' boxes were, so a point just outside the grid
    // meets the cells whose widened boxes reach it.
    const int i = bucket_of(u, u0_, du_, nu_);
    const int j = bucket_of(v, v0_, dv_, nv_);
    const std::vector<int>& bucket = buckets_[at(j * nu_ + i)];
    // Visit the union of the bucket's cells and the reporting cells in scan order.
    std::size_t a = 0, b = 0;
    while (a < bucket.size() || b < noisy_cells_.size()) {
        int id;
        if (b >= noisy_cells_.size() || (a < bucket.size() && bucket[a] < noisy_cells_[b])) {
            id = bucket[a++];
        } else {
            id = noisy_cells_[b++];
            if (a < bucket.size() && bucket[a] == id) ++a;
        }
        if (!test_cell((id - 1) / nr + 1, (id - 1) % nr + 1, u, v, 3, 4, out, found)) return 0;
        if (found) return 1;
    }
    return 1;
}

int GridTriangleSearch::calcNodeXYZCoords(double u, double v, Vec3& out) const {
    const int N13 = g_.N13, N24 = g_.N24;
    int c = 0, r = 0;
    for (int i = 1; i < N13 && !c; ++i)
        if (g_.uv[at(g_.at(i, 1))].u <= u && u <= g_.uv[at(g_.at(i + 1, 1))].u) c = i;
    if (!c) c = end_interval(u, g_.uv[at(g_.at(1, 1))].u, g_.uv[at(g_.at(N13, 1))].u, N13 - 1);
    if (!c) {
        report("Internal error (1) in SURF_PRJ.C   s=%g\n", u);
        return 0;
    }
    for (int j = 1; j < N24 && !r; ++j)
        if (g_.uv[at(g_.at(c, j))].v <= v && v <= g_.uv[at(g_.at(c, j + 1))].v) r = j;
    if (!r) r = end_interval(v, g_.uv[at(g_.at(c, 1))].v, g_.uv[at(g_.at(c, N24))].v, N24 - 1);
    if (!r) {
        report("Internal error (2) in SURF_PRJ.C  t=%g\n", v);
        return 0;
    }
    bool found = false;
    for (int ci = std::max(1, c - kWindow); ci <= std::min(N13 - 1, c + kWindow) && !found; ++ci)
        for (int rj = std::max(1, r - kWindow); rj <= std::min(N24 - 1, r + kWindow) && !found; ++rj)
            if (!test_cell(ci, rj, u, v, 1, 2, out, found)) return 0;
    if (!found && !scan_all_cells(u, v, out, found)) return 0;
    if (!found) {
        report(" Error in calcNodeXYZCoords(): \n for point (u,v)=(%g,%g) no 3D equivalent found.\n", u, v);
        return 0;
    }
    return 1;
}

}  // namespace korvex
