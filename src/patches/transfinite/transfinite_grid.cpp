// The transfinite grid: the Coons surface of the four edges sampled at the
// merged edge parameters, the (u, v) of its points and its cells, each split
// into two triangles along the diagonal from its largest corner angle.
#include <algorithm>
#include <cmath>

#include "base/messages.h"
#include "curves/geometry_kernels.h"
#include "patches/transfinite/transfinite_patch.h"

namespace korvex {

namespace {

constexpr double kTinyBoundary = 1e-9;  // a grid boundary this short gets even parameters
constexpr double kTinyLine = 1e-7;      // a grid line this short gets (u or v) = 0.5

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// Normalised cumulative chord parameters of the points pts(1..n).
template <class PointAt>
std::vector<double> chord_parameters(int n, PointAt pts) {
    std::vector<double> s(at(n) + 1, 0.0);
    for (int i = 2; i <= n; ++i) s[at(i)] = s[at(i - 1)] + distance(pts(i), pts(i - 1));
    const double total = s[at(n)];
    for (int i = 1; i <= n; ++i) s[at(i)] = total > kTinyBoundary ? s[at(i)] / total : static_cast<double>(i) / n;
    return s;
}

}  // namespace

void interpolate_transfinite_grid(const std::vector<Vec3>& coords1, const std::vector<Vec3>& coords2,
                                  const std::vector<Vec3>& coords3, const std::vector<Vec3>& coords4,
                                  TransfiniteGrid& g) {
    report(" Creating transfinite cells ...\n");
    const int N13 = g.N13, N24 = g.N24;
    g.xyz.assign(at(N13 * N24) + 1, Vec3{});
    for (int i = 1; i <= N13; ++i) {
        g.xyz[at(g.at(i, 1))] = coords1[at(i)];
        g.xyz[at(g.at(i, N24))] = coords3[at(i)];
    }
    for (int j = 1; j <= N24; ++j) {
        g.xyz[at(g.at(1, j))] = coords4[at(j)];
        g.xyz[at(g.at(N13, j))] = coords2[at(j)];
    }
    const auto P = [&](int i, int j) { return g.xyz[at(g.at(i, j))]; };
    const auto s1 = chord_parameters(N13, [&](int i) { return P(i, 1); });
    const auto s3 = chord_parameters(N13, [&](int i) { return P(i, N24); });
    const auto t2 = chord_parameters(N24, [&](int j) { return P(N13, j); });
    const auto t4 = chord_parameters(N24, [&](int j) { return P(1, j); });
    const Vec3 P11 = P(1, 1), PN1 = P(N13, 1), P1N = P(1, N24), PNN = P(N13, N24);
    for (int j = 2; j < N24; ++j) {
        const double v = (t2[at(j)] + t4[at(j)]) / 2.0;
        for (int i = 2; i < N13; ++i) {
            const double u = (s1[at(i)] + s3[at(i)]) / 2.0;
            g.xyz[at(g.at(i, j))] = P(1, j) * (1 - u) + P(N13, j) * u + P(i, 1) * (1 - v) + P(i, N24) * v -
                                    P11 * ((1 - u) * (1 - v)) - PN1 * (u * (1 - v)) - P1N * ((1 - u) * v) -
                                    PNN * (u * v);
        }
    }
    report(" ... transfinite interpolation completed.\n");
}

namespace {

void grid_parameters(TransfiniteGrid& g) {
    const int N13 = g.N13, N24 = g.N24;
    g.uv.assign(at(N13 * N24) + 1, PointUVGrid{});
    for (int r = 1; r <= N24; ++r) {
        const auto s = chord_parameters(N13, [&](int c) { return g.xyz[at(g.at(c, r))]; });
        double len = 0;
        for (int c = 2; c <= N13; ++c) len += distance(g.xyz[at(g.at(c, r))], g.xyz[at(g.at(c - 1, r))]);
        for (int c = 1; c <= N13; ++c) g.uv[at(g.at(c, r))].u = len > kTinyLine ? s[at(c)] : 0.5;
    }
    for (int c = 1; c <= N13; ++c) {
        const auto t = chord_parameters(N24, [&](int r) { return g.xyz[at(g.at(c, r))]; });
        double len = 0;
        for (int r = 2; r <= N24; ++r) len += distance(g.xyz[at(g.at(c, r))], g.xyz[at(g.at(c, r - 1))]);
        for (int r = 1; r <= N24; ++r) g.uv[at(g.at(c, r))].v = len > kTinyLine ? t[at(r)] : 0.5;
    }
}

// Rotates the cell's points so that the one with the largest corner angle is first.
void rotate_to_largest_angle(const TransfiniteGrid& g, TransfiniteCell& cell) {
    int best = 1;
    double best_angle = -1.0;
    for (int k = 1; k <= 4; ++k) {
        const Vec3& Q = g.xyz[at(cell.p[k])];
        const Vec3& next = g.xyz[at(cell.p[k == 4 ? 1 : k + 1])];
        const Vec3& prev = g.xyz[at(cell.p[k == 1 ? 4 : k - 1])];
        double a = ANGLEXYZ(Q, next, prev);
        if (a == kAngleUndefined) a = 0.0;  // a repeated point has no angle
        if (a > best_angle) {
            best_angle = a;
            best = k;
        }
    }
    int q[5];
    for (int k = 1; k <= 4; ++k) q[k] = cell.p[(best - 1 + k - 1) % 4 + 1];
    for (int k = 1; k <= 4; ++k) cell.p[k] = q[k];
}

}  // namespace

void build_grid_parameters_and_cells(TransfiniteGrid& g) {
    grid_parameters(g);
    const int N13 = g.N13, N24 = g.N24;
    g.cells.assign(at((N13 - 1) * (N24 - 1)) + 1, TransfiniteCell{});
    g.border_cells.clear();
    double sum = 0;
    int idx = 0;
    for (int r = 1; r < N24; ++r)
        for (int c = 1; c < N13; ++c) {
            TransfiniteCell& cell = g.cells[at(++idx)];
            cell.p[1] = g.at(c + 1, r + 1);
            cell.p[2] = g.at(c + 1, r);
            cell.p[3] = g.at(c, r);
            cell.p[4] = g.at(c, r + 1);
            double mean = 0;
            for (int k = 1; k <= 4; ++k) mean += distance(g.xyz[at(cell.p[k])], g.xyz[at(cell.p[k % 4 + 1])]);
            sum += mean / 4.0;
            rotate_to_largest_angle(g, cell);
            cell.border = (c == 1 || c == N13 - 1 || r == 1 || r == N24 - 1) ? 1 : 0;
            if (cell.border) g.border_cells.push_back(idx);
            cell.lo = cell.hi = g.xyz[at(cell.p[1])];
            for (int k = 2; k <= 4; ++k)
                for (int d = 0; d < 3; ++d) {
                    const double x = g.xyz[at(cell.p[k])][d];
                    cell.lo[d] = std::min(cell.lo[d], x);
                    cell.hi[d] = std::max(cell.hi[d], x);
                }
        }
    g.av_edge = idx > 0 ? sum / idx : 0.0;
}

}  // namespace korvex
