// polypoin: is a point inside a closed polygon of the (u, v) plane, on its
// boundary, or outside? A ray from the point through the middle of the edge
// that subtends the largest area with it is walked once around the polygon;
// runs of vertices lying on the ray count as one crossing only when the
// polygon really passes from one side of the ray to the other there.
#include <cmath>

#include "interface/messages.h"
#include "patches/plane_uv.h"

namespace korvex {

namespace {

constexpr double kRayTol = 1e-7;        // on-line and on-point tolerance
constexpr double kSmallDet = 1e-14;     // degenerate polygon (squared)

struct Ray {
    double pu, pv;   // origin
    double tu, tv;   // unit direction
    bool use_u;      // parameter taken from the u component

    double raw_side(const PointUV& q) const { return tu * (q.v - pv) - tv * (q.u - pu); }
    int side(const PointUV& q) const {
        const double s = raw_side(q);
        if (std::fabs(s) <= kRayTol) return 0;
        return s > 0 ? 1 : -1;
    }
    double param(double qu, double qv) const { return use_u ? (qu - pu) / tu : (qv - pv) / tv; }
    double param(const PointUV& q) const { return param(q.u, q.v); }
};

// Parameter along the ray of the intersection of edge a-b with the ray's line.
double crossing_param(const Ray& ray, const PointUV& a, const PointUV& b) {
    const double sa = ray.raw_side(a);
    const double sb = ray.raw_side(b);
    const double f = sa / (sa - sb);
    return ray.param(a.u + f * (b.u - a.u), a.v + f * (b.v - a.v));
}

}  // namespace

int polypoin(int n, std::vector<PointUV>& V, const PointUV& P) {
    V[0] = V[static_cast<std::size_t>(n)];
    auto at = [&](int i) -> const PointUV& { return V[static_cast<std::size_t>(i)]; };

    // 1. The edge (V[k-1], V[k]) subtending the largest area with P.
    int k = 0;
    double detm = -1.0;
    for (int i = 1; i <= n; ++i) {
        const double det = std::fabs((at(i - 1).u - P.u) * (at(i).v - P.v) - (at(i - 1).v - P.v) * (at(i).u - P.u));
        if (det > detm) {
            detm = det;
            k = i;
        }
    }
    if (k == 0 || detm * detm < kSmallDet) {
        report(" detvalm=%e  SMALL_TOL=%e\n", detm * detm, kRayTol);
        report(" In 'polypoin': return E case 1\n");
        return 0;
    }

    // 2. The ray through the middle of that edge.
    Ray ray{P.u, P.v, 0, 0, true};
    const double mu = 0.5 * (at(k - 1).u + at(k).u) - P.u;
    const double mv = 0.5 * (at(k - 1).v + at(k).v) - P.v;
    const double len = std::sqrt(mu * mu + mv * mv);
    ray.tu = mu / len;
    ray.tv = mv / len;
    ray.use_u = std::fabs(ray.tu) >= std::fabs(ray.tv);

    // 3. Walk once around, from the vertex after V[k] back to V[k].
    auto next = [n](int i) { return i == n ? 1 : i + 1; };
    int crossings = 0;
    int prev = k;
    int prev_side = ray.side(at(k));
    if (prev_side == 0) prev_side = -1;
    int j = next(k);
    for (;;) {
        const int sj = ray.side(at(j));
        if (sj != 0) {
            if (sj != prev_side) {
                const double lambda = crossing_param(ray, at(prev), at(j));
                if (std::fabs(lambda) <= kRayTol) return 2;
                if (lambda > kRayTol) ++crossings;
            }
        } else {
            // A run of vertices on the ray's line.
            const int first = j;
            int last = j;
            int count = 0;
            bool reached_start = false;
            while (ray.side(at(j)) == 0) {
                last = j;
                ++count;
                if (j == k) {
                    reached_start = true;
                    break;
                }
                j = next(j);
            }
            if (reached_start) {
                report(" In polypoin(): return E case 2\n");
                return 0;
            }
            const double lambda1 = ray.param(at(first));
            if (std::fabs(lambda1) < kRayTol) return 2;
            if (count > 1) {
                const double lambda2 = ray.param(at(last));
                if (std::fabs(lambda2) <= kRayTol || lambda1 * lambda2 < 0) return 2;
            }
            const int after = ray.side(at(j));
            if (after != prev_side && lambda1 > 0) ++crossings;
        }
        prev = j;
        prev_side = ray.side(at(j));
        if (j == k) break;
        j = next(j);
    }

    // 4. Odd: inside; even: outside.
    return (crossings % 2 == 1) ? 1 : 3;
}

}  // namespace korvex
