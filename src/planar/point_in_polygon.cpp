// polypoin: is a point inside a closed polygon of the (u, v) plane, on its
// boundary, or outside? A ray from the point through the middle of the edge
// that subtends the largest area with it is walked once around the polygon;
// runs of vertices lying on the ray count as one crossing only when the
// polygon really passes from one side of the ray to the other there.
#include <cmath>

#include "base/messages.h"
#include "planar/plane_uv.h"

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

// Outcome of a walking step that leaves the answer open.
constexpr int kKeepWalking = -1;

const PointUV& vertex(const std::vector<PointUV>& V, int i) { return V[static_cast<std::size_t>(i)]; }
int next_vertex(int i, int n) { return i == n ? 1 : i + 1; }

// Step 1: the edge (V[k-1], V[k]) subtending the largest area with P (its
// doubled area in detm); 0 when there is no edge.
int widest_edge(int n, const std::vector<PointUV>& V, const PointUV& P, double& detm) {
    int k = 0;
    detm = -1.0;
    for (int i = 1; i <= n; ++i) {
        const PointUV& a = vertex(V, i - 1);
        const PointUV& b = vertex(V, i);
        const double det = std::fabs((a.u - P.u) * (b.v - P.v) - (a.v - P.v) * (b.u - P.u));
        if (det > detm) {
            detm = det;
            k = i;
        }
    }
    return k;
}

// Step 2: the ray from P through the middle of the edge a-b.
Ray ray_through_middle(const PointUV& P, const PointUV& a, const PointUV& b) {
    Ray ray{P.u, P.v, 0, 0, true};
    const double mu = 0.5 * (a.u + b.u) - P.u;
    const double mv = 0.5 * (a.v + b.v) - P.v;
    const double len = std::sqrt(mu * mu + mv * mv);
    ray.tu = mu / len;
    ray.tv = mv / len;
    ray.use_u = std::fabs(ray.tu) >= std::fabs(ray.tv);
    return ray;
}

// A run of vertices on the ray's line starting at j; j is left at the first
// vertex after it (or at V[k] when the walk got back there). The run counts
// as a crossing when the polygon passes to the other side of the ray there.
// Returns 2 when P lies on the run, 0 when the walk met its start on the
// line, else kKeepWalking.
int pass_run_on_line(const Ray& ray, const std::vector<PointUV>& V, int n, int k, int& j, int prev_side,
                     int& crossings) {
    const int first = j;
    int last = j;
    int count = 0;
    while (ray.side(vertex(V, j)) == 0) {
        last = j;
        ++count;
        if (j == k) {
            report(" In polypoin(): return E case 2\n");
            return 0;
        }
        j = next_vertex(j, n);
    }
    const double lambda1 = ray.param(vertex(V, first));
    if (std::fabs(lambda1) < kRayTol) return 2;
    if (count > 1) {
        const double lambda2 = ray.param(vertex(V, last));
        if (std::fabs(lambda2) <= kRayTol || lambda1 * lambda2 < 0) return 2;
    }
    const int after = ray.side(vertex(V, j));
    if (after != prev_side && lambda1 > 0) ++crossings;
    return kKeepWalking;
}

// Step 3: walks once around, from the vertex after V[k] back to V[k],
// counting the crossings of the ray. Returns 2 (P on the boundary), 0
// (degenerate, reported) or kKeepWalking when the count decides.
int count_crossings(const Ray& ray, const std::vector<PointUV>& V, int n, int k, int& crossings) {
    int prev = k;
    int prev_side = ray.side(vertex(V, k));
    if (prev_side == 0) prev_side = -1;
    int j = next_vertex(k, n);
    for (;;) {
        const int sj = ray.side(vertex(V, j));
        if (sj != 0) {
            if (sj != prev_side) {
                const double lambda = crossing_param(ray, vertex(V, prev), vertex(V, j));
                if (std::fabs(lambda) <= kRayTol) return 2;
                if (lambda > kRayTol) ++crossings;
            }
        } else {
            const int code = pass_run_on_line(ray, V, n, k, j, prev_side, crossings);
            if (code != kKeepWalking) return code;
        }
        prev = j;
        prev_side = ray.side(vertex(V, j));
        if (j == k) break;
        j = next_vertex(j, n);
    }
    return kKeepWalking;
}

}  // namespace

int polypoin(int n, std::vector<PointUV>& V, const PointUV& P) {
    V[0] = V[static_cast<std::size_t>(n)];
    double detm = -1.0;
    const int k = widest_edge(n, V, P, detm);
    if (k == 0 || detm * detm < kSmallDet) {
        report(" detvalm=%e  SMALL_TOL=%e\n", detm * detm, kRayTol);
        report(" In 'polypoin': return E case 1\n");
        return 0;
    }
    const Ray ray = ray_through_middle(P, vertex(V, k - 1), vertex(V, k));
    int crossings = 0;
    const int code = count_crossings(ray, V, n, k, crossings);
    if (code != kKeepWalking) return code;
    // Step 4. Odd: inside; even: outside.
    return (crossings % 2 == 1) ? 1 : 3;
}

}  // namespace korvex
