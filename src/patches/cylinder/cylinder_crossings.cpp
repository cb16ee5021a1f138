#include "patches/cylinder/cylinder_crossings.h"

#include <algorithm>
#include <cmath>

namespace korvex {

namespace {

// Bucket lists may hold at most this many entries per boundary point before
// the buckets are made wider.
constexpr long kMaxEntriesPerPoint = 16;

const DensePoint& at(const std::vector<DensePoint>& pts, int i) { return pts[static_cast<std::size_t>(i)]; }

int segment_end(int i, int count) { return i == count ? 1 : i + 1; }

// The one test both the plain scan and the index apply to a segment.
void consider_segment(const std::vector<DensePoint>& pts, int count, int i, double u, double v, Crossings& c) {
    const DensePoint& a = at(pts, i);
    const DensePoint& b = at(pts, segment_end(i, count));
    if (u < std::min(a.u, b.u) || u > std::max(a.u, b.u)) return;
    const double du = b.u - a.u;
    const double t = std::fabs(du) <= kVerticalSegment ? 0.5 : (u - a.u) / du;
    const double vc = a.v + t * (b.v - a.v);
    if (vc <= v) {
        const double d = v - vc;
        if (d < c.bottom.distance) c.bottom = Crossing{i, t, vc, d};
    } else {
        const double d = vc - v;
        if (d < c.top.distance) c.top = Crossing{i, t, vc, d};
    }
}

bool point_matches(const DensePoint& p, double u, double v, double tol) {
    return std::fabs(p.u - u) <= tol && std::fabs(p.v - v) <= tol;
}

}  // namespace

Crossings scan_crossings(const std::vector<DensePoint>& pts, int count, double u, double v) {
    Crossings c;
    for (int i = 1; i <= count; ++i) consider_segment(pts, count, i, u, v, c);
    return c;
}

int scan_point(const std::vector<DensePoint>& pts, int count, double u, double v, double tol) {
    for (int i = 1; i <= count; ++i)
        if (point_matches(at(pts, i), u, v, tol)) return i;
    return 0;
}

CrossingIndex::CrossingIndex(const std::vector<DensePoint>& pts, int count, double point_tol)
    : pts_(pts), count_(count), tol_(point_tol) {
    if (count_ < 1) return;
    umin_ = umax_ = at(pts, 1).u;
    for (int i = 2; i <= count_; ++i) {
        umin_ = std::min(umin_, at(pts, i).u);
        umax_ = std::max(umax_, at(pts, i).u);
    }
    auto segment_range = [&](int i) {
        const double a = at(pts, i).u, b = at(pts, segment_end(i, count_)).u;
        return std::pair{std::min(a, b), std::max(a, b)};
    };
    // A point within tol of u in floating point lies within 2 tol in exact
    // arithmetic, so this range holds every u that can match it.
    auto point_range = [&](int i) { return std::pair{at(pts, i).u - 2 * tol_, at(pts, i).u + 2 * tol_}; };
    fill(segments_, segment_range);
    fill(points_, point_range);
}

// Monotone in u, so an item whose range [lo, hi] holds u is listed in u's bucket.
int CrossingIndex::bucket(const Buckets& b, double u) const {
    if (!(b.width > 0)) return 0;
    const double k = (u - umin_) / b.width;
    if (!(k > 0)) return 0;
    if (k >= b.nb) return b.nb - 1;
    return static_cast<int>(k);
}

template <class Range>
void CrossingIndex::fill(Buckets& b, Range range) {
    // As many buckets as points, fewer when wide items would make the lists long.
    for (b.nb = std::max(1, count_);; b.nb = std::max(1, b.nb / 2)) {
        b.width = (umax_ - umin_) / b.nb;
        long total = 0;
        for (int i = 1; i <= count_; ++i) {
            const auto [lo, hi] = range(i);
            total += bucket(b, hi) - bucket(b, lo) + 1;
        }
        if (b.nb == 1 || total <= kMaxEntriesPerPoint * count_) break;
    }
    const auto nb = static_cast<std::size_t>(b.nb);
    b.start.assign(nb + 1, 0);
    for (int i = 1; i <= count_; ++i) {
        const auto [lo, hi] = range(i);
        for (int k = bucket(b, lo); k <= bucket(b, hi); ++k) ++b.start[static_cast<std::size_t>(k) + 1];
    }
    for (std::size_t k = 0; k < nb; ++k) b.start[k + 1] += b.start[k];
    b.items.assign(static_cast<std::size_t>(b.start.back()), 0);
    std::vector<int> next(b.start.begin(), b.start.end() - 1);
    for (int i = 1; i <= count_; ++i) {
        const auto [lo, hi] = range(i);
        for (int k = bucket(b, lo); k <= bucket(b, hi); ++k)
            b.items[static_cast<std::size_t>(next[static_cast<std::size_t>(k)]++)] = i;
    }
}

Crossings CrossingIndex::crossings(double u, double v) const {
    Crossings c;
    if (count_ < 1 || u < umin_ || u > umax_) return c;  // no segment's range holds u
    const auto k = static_cast<std::size_t>(bucket(segments_, u));
    for (int e = segments_.start[k]; e < segments_.start[k + 1]; ++e)
        consider_segment(pts_, count_, segments_.items[static_cast<std::size_t>(e)], u, v, c);
    return c;
}

int CrossingIndex::point(double u, double v) const {
    if (count_ < 1) return 0;
    const auto k = static_cast<std::size_t>(bucket(points_, u));
    for (int e = points_.start[k]; e < points_.start[k + 1]; ++e) {
        const int i = points_.items[static_cast<std::size_t>(e)];
        if (point_matches(at(pts_, i), u, v, tol_)) return i;
    }
    return 0;
}

}  // namespace korvex
