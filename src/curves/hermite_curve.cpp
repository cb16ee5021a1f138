#include "curves/hermite_curve.h"

#include <cmath>

#include "base/messages.h"
#include "curves/geometry_kernels.h"

namespace korvex {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

std::vector<Vec3> gather(int n, const int* ids, const Array1<ControlPoint>& points) {
    std::vector<Vec3> P(at(n) + 1);
    for (int i = 1; i <= n; ++i) P[at(i)] = points[ids[i]].pos();
    return P;
}

Vec3 unit_or_zero(const Vec3& v) {
    const double l = norm(v);
    return l > 0.0 ? v / l : Vec3{};
}

// Tangent at end point A of a chain whose next points are B and C: the chord
// AC mirrored in the line AB, unless that turns further than the direction
// from the midpoint of AC to B, which is then taken instead.
Vec3 end_tangent(const Vec3& A, const Vec3& B, const Vec3& C) {
    const Vec3 AB = B - A;
    const double d1 = norm(AB);
    const double d2 = distance(C, A);
    if (!(d1 > 0.0)) return Vec3{};
    if (!(d2 > 0.0)) return AB / d1;
    const Vec3 Q = A + (C - A) * (d1 / d2);
    const double s = dot(Q - A, AB) / (d1 * d1);
    const Vec3 F = A + AB * s;
    Vec3 G = F * 2.0 - Q;
    if (distance(G, B) >= kEndTangentTolerance) {
        const Vec3 M = (A + C) * 0.5;
        const double alpha1 = ANGLEXYZ(A, B, G);
        const double alpha2 = ANGLEXYZ(B, A, M);
        const double bm = distance(B, M);
        if (alpha1 > alpha2 && bm > 0.0) G = A + (B - M) * (d1 / bm);
    }
    return unit_or_zero(G - A);
}

}  // namespace

void computeChords(int n, const std::vector<Vec3>& P, std::vector<Chord>& chords) {
    if (chords.size() < at(n) + 1) chords.resize(at(n) + 1);
    for (int i = 1; i < n; ++i) {
        Chord& c = chords[at(i)];
        c.d = P[at(i + 1)] - P[at(i)];
        c.length = norm(c.d);
    }
}

void computeChords(int n, const int* ids, const Array1<ControlPoint>& points, std::vector<Chord>& chords) {
    computeChords(n, gather(n, ids, points), chords);
}

void computeDirectionalCos(int n, const std::vector<Vec3>& P, const std::vector<Chord>& chords,
                           std::vector<Tangent>& tangents) {
    if (tangents.size() < at(n) + 1) tangents.resize(at(n) + 1);
    if (n < 2) return;
    if (n == 2) {
        const Vec3 t = unit_or_zero(chords[1].d);
        tangents[1] = {t, chords[1].length};
        tangents[2] = {t, chords[1].length};
        return;
    }
    for (int k = 2; k < n; ++k) {
        const Chord& before = chords[at(k - 1)];
        const Chord& after = chords[at(k)];
        const Vec3 t = (before.d * after.length + after.d * before.length) / (before.length + after.length);
        const double len = norm(t);
        if (len > kTangentTolerance) {
            tangents[at(k)] = {t / len, len};
        } else {
            report(" Warning: in computeDirectionalCos: length=%g < toler=%g\n", len, kTangentTolerance);
            tangents[at(k)] = {Vec3{}, len};
        }
    }
    const Vec3 start = end_tangent(P[1], P[2], P[3]);
    const Vec3 end = end_tangent(P[at(n)], P[at(n - 1)], P[at(n - 2)]) * -1.0;
    tangents[1] = {start, norm(start)};
    tangents[at(n)] = {end, norm(end)};
}

void computeDirectionalCos(int n, const int* ids, const Array1<ControlPoint>& points,
                           const std::vector<Chord>& chords, std::vector<Tangent>& tangents) {
    computeDirectionalCos(n, gather(n, ids, points), chords, tangents);
}

Vec3 hermite_point(const Vec3& p0, const Vec3& p1, const Vec3& t0, const Vec3& t1, double L, double u) {
    const double u2 = u * u, u3 = u2 * u;
    const double h00 = 1.0 - 3.0 * u2 + 2.0 * u3;
    const double h10 = u - 2.0 * u2 + u3;
    const double h01 = 3.0 * u2 - 2.0 * u3;
    const double h11 = u3 - u2;
    return p0 * h00 + t0 * (h10 * L) + p1 * h01 + t1 * (h11 * L);
}

double hermite_segment_length(const Vec3& p0, const Vec3& p1, const Vec3& t0, const Vec3& t1, double L) {
    constexpr int kSamples = 8;
    double sum = 0.0;
    Vec3 prev = p0;
    for (int s = 1; s <= kSamples; ++s) {
        const Vec3 q = hermite_point(p0, p1, t0, t1, L, static_cast<double>(s) / kSamples);
        sum += distance(prev, q);
        prev = q;
    }
    return sum;
}

void HermiteChain::build(int n, const std::vector<Vec3>& P) {
    n_ = n;
    P_.assign(P.begin(), P.begin() + static_cast<std::ptrdiff_t>(n + 1));
    chords_.assign(at(n) + 1, Chord{});
    tangents_.assign(at(n) + 1, Tangent{});
    cum_.assign(at(n) + 1, 0.0);
    computeChords(n, P_, chords_);
    computeDirectionalCos(n, P_, chords_, tangents_);
    if (n >= 1) cum_[1] = 0.0;
    for (int i = 1; i < n; ++i)
        cum_[at(i + 1)] = cum_[at(i)] + hermite_segment_length(P_[at(i)], P_[at(i + 1)], tangents_[at(i)].dir,
                                                               tangents_[at(i + 1)].dir, chords_[at(i)].length);
    length_ = n >= 1 ? cum_[at(n)] : 0.0;
    if (length_ > 0.0)
        for (int i = 1; i <= n; ++i) cum_[at(i)] /= length_;
}

bool HermiteChain::evaluate(double s, Vec3& out) const {
    for (int i = 1; i < n_; ++i) {
        const double u = (s - cum_[at(i)]) / (cum_[at(i + 1)] - cum_[at(i)]);
        if (u >= 0.0 && u <= 1.0) {
            out = hermite_point(P_[at(i)], P_[at(i + 1)], tangents_[at(i)].dir, tangents_[at(i + 1)].dir,
                                chords_[at(i)].length, u);
            return true;
        }
    }
    return false;
}

}  // namespace korvex
