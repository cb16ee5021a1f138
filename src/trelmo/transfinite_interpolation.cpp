// The bilinearly blended Coons patch through the four sides of a grid.
#include <cmath>
#include <new>
#include <vector>

#include "base/messages.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

namespace {

constexpr double kShortestSide = 1e-8;

// Normalised cumulative chord length along count points given by index(k).
template <class Index>
bool chord_parameters(int count, const Array1<double>& gx, const Array1<double>& gy, Index index,
                      std::vector<double>& t) {
    t.assign(static_cast<std::size_t>(count) + 1, 0.0);
    for (int k = 2; k <= count; ++k) {
        const long a = index(k - 1), b = index(k);
        t[static_cast<std::size_t>(k)] = t[static_cast<std::size_t>(k) - 1] + std::hypot(gx[b] - gx[a], gy[b] - gy[a]);
    }
    const double total = t[static_cast<std::size_t>(count)];
    if (total <= kShortestSide) return false;
    for (double& v : t) v /= total;
    return true;
}

}  // namespace

int transfinite_interpolation(int nu, int nv, Array1<double>& gx, Array1<double>& gy) {
    auto at = [nu](int i, int j) { return static_cast<long>(j - 1) * nu + i; };
    std::vector<double> tb, tt, tl, tr;
    try {
        const bool ok = chord_parameters(nu, gx, gy, [&](int i) { return at(i, 1); }, tb) &&
                        chord_parameters(nu, gx, gy, [&](int i) { return at(i, nv); }, tt) &&
                        chord_parameters(nv, gx, gy, [&](int j) { return at(1, j); }, tl) &&
                        chord_parameters(nv, gx, gy, [&](int j) { return at(nu, j); }, tr);
        if (!ok) {
            report(" Input data error: check lengths of the entities\n  (they are too short).\n");
            return 0;
        }
    } catch (const std::bad_alloc&) {
        report(" Out of memory in transfinite_interpolation().\n");
        return 0;
    }
    const long p00 = at(1, 1), p10 = at(nu, 1), p01 = at(1, nv), p11 = at(nu, nv);
    for (int j = 2; j < nv; ++j) {
        for (int i = 2; i < nu; ++i) {
            const double u = (tb[static_cast<std::size_t>(i)] + tt[static_cast<std::size_t>(i)]) / 2;
            const double v = (tl[static_cast<std::size_t>(j)] + tr[static_cast<std::size_t>(j)]) / 2;
            const long b = at(i, 1), t = at(i, nv), l = at(1, j), r = at(nu, j);
            auto blend = [&](const Array1<double>& g) {
                return (1 - v) * g[b] + v * g[t] + (1 - u) * g[l] + u * g[r] - (1 - u) * (1 - v) * g[p00] -
                       u * (1 - v) * g[p10] - (1 - u) * v * g[p01] - u * v * g[p11];
            };
            const double x = blend(gx), y = blend(gy);
            gx[at(i, j)] = x;
            gy[at(i, j)] = y;
        }
    }
    return 1;
}

}  // namespace korvex
