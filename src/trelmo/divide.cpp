// Evaluating one candidate start node A of a cut: every partner J is scored
// on the four corners the cut makes and the step match along it; the best
// partner whose cut stays inside the loop wins.
#include <algorithm>
#include <cmath>
#include <functional>
#include <new>
#include <utility>
#include <vector>

#include "base/messages.h"
#include "trelmo/loop_geometry.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

namespace {

constexpr double kTinyCorner = 0.08726646259971647;    // 5 degrees: a corner that must not be made
constexpr double kNarrowBeside = 0.17453292519943295;  // 10 degrees

double corner_deviation(double phi) {
    double d = phi > 0.75 * kPi ? std::fabs(kPi - phi) : std::fabs(kPi / 2 - phi);
    if (phi < kPi / 8) d *= 2.0;
    if (phi < kTinyCorner) d = 100.0;
    return d;
}

// The least corner_deviation(phi) can be for an angle phi within kAngleEstimateSlack
// of `estimate`: the distance to a right or a straight angle changes no
// faster than the angle, and the small-angle penalties apply only when the
// whole range lies below them.
double corner_deviation_floor(double estimate) {
    const double highest = estimate + kAngleEstimateSlack;
    if (highest < kTinyCorner) return 100.0;
    double d = estimate > 0.75 * kPi ? std::fabs(kPi - estimate) : std::fabs(kPi / 2 - estimate);
    d = std::max(0.0, d - kAngleEstimateSlack);
    if (highest < kPi / 8) d *= 2.0;
    return d;
}

// Exactly angle_between(...) <= pi/2, mostly without the arc cosine: a
// clockwise turn gives at least pi, and a cosine clearly away from zero
// decides on its sign; only near a right angle is the angle computed.
bool at_most_right(double ax, double ay, double bx, double by, double la, double lb) {
    constexpr double kClearCosine = 1e-9;
    if (la == 0.0 || lb == 0.0) return true;
    if (ax * by - ay * bx < 0.0) return false;
    const double c = (ax * bx + ay * by) / (la * lb);
    if (c > kClearCosine) return true;
    if (c < -kClearCosine) return false;
    return angle_between(ax, ay, bx, by, la, lb) <= kPi / 2;
}

struct LoopView {
    const NodeLoop& loop;
    const TrelmoMesh& mesh;
    const GenNode& at(int pos) const { return mesh.node(loop.at(pos)); }
    double seg(int i, int j) const { return distance(at(i), at(j)); }
};

// The test whether a cut A->J stays inside a non-convex loop: no boundary node
// X may lie across the cut or too close beside it. Every angle and distance
// is computed as the plain formulas do, but only when the test needs it.
class CrossingTest {
public:
    // seg[i] is the length of the boundary segment from position i to the next.
    CrossingTest(const LoopView& v, const std::vector<double>& seg, std::vector<double>& from_A)
        : v_(v), seg_(seg), from_A_(from_A) {
        from_A_.assign(static_cast<std::size_t>(v.loop.count) + 1, kUnknown);
    }

    bool stays_inside(int j) {
        const int n = v_.loop.count;
        const GenNode& A = v_.at(1);
        const GenNode& J = v_.at(j);
        aj_ = std::hypot(J.x - A.x, J.y - A.y);
        // The node that rejected the previous partner is tried first: it
        // often rejects this one too, and the answer does not depend on the
        // order in which the nodes are tried.
        if (last_ >= 2 && last_ <= n - 1 && last_ != j && rejects(j, last_, last_ < j)) return false;
        for (int x = 2; x <= j - 1; ++x)
            if (rejects(j, x, true)) return remember(x);
        for (int x = j + 1; x <= n - 1; ++x)
            if (rejects(j, x, false)) return remember(x);
        return true;
    }

private:
    bool remember(int x) {
        last_ = x;
        return false;
    }

    // Whether node X (position x) rejects the cut A->J. `first_side` is true
    // for the nodes between A and J, false for the nodes between J and A.
    bool rejects(int j, int x, bool first_side) {
        const GenNode& A = v_.at(1);
        const GenNode& J = v_.at(j);
        const GenNode& X = v_.at(x);
        const double ajx_ = J.x - A.x, ajy_ = J.y - A.y, axx = X.x - A.x, axy = X.y - A.y;
        const double h = 0.25 * std::max(seg_[static_cast<std::size_t>(x - 1)], seg_[static_cast<std::size_t>(x)]);
        if (clearly_beside(ajx_, ajy_, axx, axy, h, first_side)) return false;
        const double jxx = X.x - J.x, jxy = X.y - J.y, jax = A.x - J.x, jay = A.y - J.y;
        const double aj = aj_, ax = from_A(x, axx, axy), jx = std::hypot(jxx, jxy);
        // The four angles of the triangle A, J, X (angle(V, P, Q) at V from P
        // to Q), and the tests whether each is at most a right angle.
        auto a_ajx = [&] { return angle_between(ajx_, ajy_, axx, axy, aj, ax); };
        auto a_jxa = [&] { return angle_between(jxx, jxy, jax, jay, jx, aj); };
        auto a_jax = [&] { return angle_between(jax, jay, jxx, jxy, aj, jx); };
        auto a_axj = [&] { return angle_between(axx, axy, ajx_, ajy_, ax, aj); };
        auto r_ajx = [&] { return at_most_right(ajx_, ajy_, axx, axy, aj, ax); };
        auto r_jxa = [&] { return at_most_right(jxx, jxy, jax, jay, jx, aj); };
        auto r_jax = [&] { return at_most_right(jax, jay, jxx, jxy, aj, jx); };
        auto r_axj = [&] { return at_most_right(axx, axy, ajx_, ajy_, ax, aj); };
        const int n = v_.loop.count;
        if (first_side) {
            if (r_ajx() && r_jxa()) return true;
            if (r_jax() && r_axj()) {
                const double b1 = a_jax(), b2 = a_axj();
                return h > ax * std::sin(b2) || (b1 < kNarrowBeside && b2 < kNarrowBeside);
            }
            const bool near_end = x == 2 || x == j - 1;
            return !near_end && (h > ax || h > jx);
        }
        if (r_jax() && r_axj()) return true;
        if (r_ajx() && r_jxa()) {
            const double b1 = a_ajx(), b2 = a_jxa();
            return h > ax * std::sin(b1) || (b1 < kNarrowBeside && b2 < kNarrowBeside);
        }
        const bool near_end = x == j + 1 || x == n - 1;
        return !near_end && (h > ax || h > jx);
    }

    // Whether X lies on the side of the cut its place in the loop puts it on
    // (right of A->J for the nodes between A and J, left for the others), and
    // farther from the cut's line than both h and a fifth of the cut: then
    // none of the tests below can reject it. The side is read from the same
    // cross product as at_most_right() reads it; the distance has a margin
    // far above the rounding of the angles the tests compute.
    bool clearly_beside(double ajx, double ajy, double axx, double axy, double h, bool first_side) const {
        constexpr double kMargin = 1.0 + 1e-6;
        constexpr double kNarrowDistance = 0.2;  // a node at both 10-degree corners lies within 0.18 |AJ|
        const double c = first_side ? ajx * axy - ajy * axx : axx * ajy - axy * ajx;
        return c < 0.0 && -c > aj_ * std::max(h, kNarrowDistance * aj_) * kMargin;
    }

    // |AX|, measured once per node however many partners it is tested for.
    double from_A(int x, double axx, double axy) {
        double& d = from_A_[static_cast<std::size_t>(x)];
        if (d == kUnknown) d = std::hypot(axx, axy);
        return d;
    }

    static constexpr double kUnknown = -1.0;
    const LoopView& v_;
    const std::vector<double>& seg_;
    std::vector<double>& from_A_;
    double aj_ = 0;  // |AJ| of the partner being tested
    int last_ = 0;
};

// The partners of one start node with their scores. C = 0.7 S + 0.3 D is
// never below 0.7 S, so the partners are handed out in increasing C (ties
// by position) while D is computed only for those whose 0.7 S does not
// already exceed the best C still pending. S itself (two arc cosines and a
// hypot per partner) is first only bounded from below, from estimated
// angles, and computed exactly when that bound is competitive; every value
// that is compared or kept is the exact one.
class Partners {
public:
    Partners(const LoopView& v, const std::vector<double>& seg, const Array1<double>& angles, double REF,
             std::vector<PartnerScore>& scores)
        : v_(v), seg_(seg), angles_(angles), REF_(REF), n_(v.loop.count), A_(v.at(1)), p_(scores) {
        hA_ = (v.seg(1, 2) + v.seg(1, n_)) / 2;
        const GenNode& P = v.at(n_);
        ax_n_ = P.x - A_.x;
        ay_n_ = P.y - A_.y;
        a_n_len_ = std::hypot(ax_n_, ay_n_);
        p_.assign(static_cast<std::size_t>(n_) + 1, PartnerScore{});
        for (int j = 3; j <= n_ - 1; ++j) floor_from_A(j);
    }

    double L(int j) const { return at(j).L; }
    double S(int j) const { return at(j).S; }
    double D(int j) const { return at(j).D; }
    int segments(int j) const { return at(j).segments; }
    double mean_step(int j) const {
        return (seg_[static_cast<std::size_t>(j)] + seg_[static_cast<std::size_t>(j - 1)]) / 2;
    }

    // Whether some cut may be too long for the segment table (or a step is
    // not positive): then every partner is placed in full, in order, so that
    // the failure is reported for the same partner as always. A cut whose
    // length is clearly short enough is not measured exactly.
    bool needs_full_placement() {
        for (int j = 3; j <= n_ - 1; ++j) {
            const double hs = std::min(hA_, mean_step(j));
            if (!(hs > 0.0)) return true;
            if (length_bound(j) / hs + kSegmentMargin < SIZE_COORDS_ARRAY) continue;
            score(j);
            if (!(L(j) / hs + kSegmentMargin < SIZE_COORDS_ARRAY)) return true;
        }
        return false;
    }

    // Computes the exact L and S of partner j, once.
    void score(int j) {
        if (at(j).scored) return;
        score_corners(j);
        at(j).scored = true;
    }

    // Places the cut to partner j and stores its score C, once, as every
    // comparison must see the same value.
    bool place(int j, int& code) {
        score(j);
        PartnerScore& p = at(j);
        if (!divline_score(p.L, hA_, mean_step(j), (j - 2) % 2 != 0, REF_, p.D, p.segments, code)) return false;
        p.C = 0.7 * p.S + 0.3 * p.D;
        return true;
    }
    double C(int j) const { return at(j).C; }
    double bound(int j) const { return 0.7 * S(j); }
    // Never above bound(j).
    double bound_floor(int j) const { return 0.7 * at(j).S_floor; }
    // Raises the floor of S(j) by the corners at J; false when it has them.
    bool raise_floor(int j) {
        if (at(j).floor_at_J) return false;
        floor_from_J(j);
        return true;
    }

private:
    static constexpr double kSegmentMargin = 16.0;

    PartnerScore& at(int j) { return p_[static_cast<std::size_t>(j)]; }
    const PartnerScore& at(int j) const { return p_[static_cast<std::size_t>(j)]; }

    // At least hypot(J - A), from the square of the length (a length whose
    // square underflows reads as 0, far below any limit either way).
    double length_bound(int j) const {
        const GenNode& J = v_.at(j);
        const double jx = J.x - A_.x, jy = J.y - A_.y;
        return std::sqrt(jx * jx + jy * jy) * (1.0 + 1e-12);
    }

    void score_corners(int j) {
        const GenNode& J = v_.at(j);
        const GenNode& Q = v_.at(j - 1);
        const double jx = J.x - A_.x, jy = J.y - A_.y;
        const double L = std::hypot(jx, jy);
        const double a1 = angle_between(jx, jy, ax_n_, ay_n_, L, a_n_len_), a2 = angles_[1] - a1;
        const double b1 = angle_between(A_.x - J.x, A_.y - J.y, Q.x - J.x, Q.y - J.y, L,
                                        seg_[static_cast<std::size_t>(j - 1)]);
        const double b2 = angles_[j] - b1;
        at(j).L = L;
        at(j).S = (corner_deviation(a1) + corner_deviation(a2) + corner_deviation(b1) + corner_deviation(b2)) / kTwoPi;
    }

    // Lower bounds of S(j) from estimated corner angles: first from the two
    // corners the cut makes at A, then with the two at J added (the sum only
    // grows). No bound (0) when an angle cannot be estimated.
    void floor_from_A(int j) {
        const GenNode& J = v_.at(j);
        const double jx = J.x - A_.x, jy = J.y - A_.y;
        PartnerScore& p = at(j);
        double a1 = 0;
        p.floor_at_J = false;
        if (!angle_estimate(jx, jy, ax_n_, ay_n_, jx * jx + jy * jy, a_n_len_ * a_n_len_, a1)) {
            p.floor_A = p.S_floor = 0.0;
            p.floor_at_J = true;  // nothing better to come from estimates
            return;
        }
        p.floor_A = corner_deviation_floor(a1) + corner_deviation_floor(angles_[1] - a1);
        p.S_floor = p.floor_A / kTwoPi;
    }
    void floor_from_J(int j) {
        const GenNode& J = v_.at(j);
        const GenNode& Q = v_.at(j - 1);
        const double jx = J.x - A_.x, jy = J.y - A_.y;
        const double seg = seg_[static_cast<std::size_t>(j - 1)];
        PartnerScore& p = at(j);
        p.floor_at_J = true;
        double b1 = 0;
        if (!angle_estimate(-jx, -jy, Q.x - J.x, Q.y - J.y, jx * jx + jy * jy, seg * seg, b1)) return;
        p.S_floor = (p.floor_A + corner_deviation_floor(b1) + corner_deviation_floor(angles_[j] - b1)) / kTwoPi;
    }

    const LoopView& v_;
    const std::vector<double>& seg_;
    const Array1<double>& angles_;
    double REF_;
    int n_;
    const GenNode& A_;
    double hA_ = 0, ax_n_ = 0, ay_n_ = 0, a_n_len_ = 0;
    std::vector<PartnerScore>& p_;
};

// Every partner placed, then sorted by C (stable: ties keep position order).
bool order_all(Partners& p, int n, std::vector<int>& order, int& code) {
    for (int j = 3; j <= n - 1; ++j) p.score(j);
    for (int j = 3; j <= n - 1; ++j) {
        if (!p.place(j, code)) return false;
        order.push_back(j);
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return p.C(a) < p.C(b); });
    return true;
}

void take(const Partners& p, const LoopView& v, int j, DivideResult& result) {
    result.B = v.loop.at(j);
    result.position = j;
    result.S = p.S(j);
    result.L = p.L(j);
    result.D = p.D(j);
    result.m = p.segments(j) - 1;
}

// A heap of partners by a key, smallest key (then position) on top, kept in
// the caller's storage.
class PartnerHeap {
public:
    explicit PartnerHeap(std::vector<std::pair<double, int>>& items) : items_(items) { items_.clear(); }
    bool empty() const { return items_.empty(); }
    double top_key() const { return items_.front().first; }
    void push(double key, int j) {
        items_.emplace_back(key, j);
        std::push_heap(items_.begin(), items_.end(), larger);
    }
    int pop() {
        std::pop_heap(items_.begin(), items_.end(), larger);
        const int j = items_.back().second;
        items_.pop_back();
        return j;
    }
    void add(double key, int j) { items_.emplace_back(key, j); }
    void build() { std::make_heap(items_.begin(), items_.end(), larger); }

private:
    static constexpr std::greater<std::pair<double, int>> larger{};
    std::vector<std::pair<double, int>>& items_;
};

// The first acceptable partner in increasing C, computing S and D lazily: 1
// when found, 0 when none is acceptable, -1 when placing a cut failed. A
// partner is taken only when every partner not yet placed has a bound above
// its C, so the order is that of C over all partners (ties by position).
int first_acceptable(Partners& p, const LoopView& v, bool convex, CrossingTest& crossing, DivideResult& result,
                     int& code, DivideScratch& scratch) {
    const int n = v.loop.count;
    PartnerHeap unscored(scratch.unscored), unplaced(scratch.unplaced);  // by the floor of the bound; by the bound
    for (int j = 4; j <= n - 2; ++j) unscored.add(p.bound_floor(j), j);
    unscored.build();
    // The placed partners, in a heap by C (ties by position).
    auto later = [&](int a, int b) { return p.C(a) > p.C(b) || (p.C(a) == p.C(b) && a > b); };
    std::vector<int>& pending = scratch.pending;
    pending.clear();
    for (;;) {
        const bool has_pending = !pending.empty();
        const double next_c = has_pending ? p.C(pending.front()) : 0.0;
        // Whether a partner keyed `key` may come before the best pending one.
        auto before_pending = [&](double key) { return !has_pending || !(key > next_c); };
        if (!unscored.empty() && before_pending(unscored.top_key()) &&
            (unplaced.empty() || !(unscored.top_key() > unplaced.top_key()))) {
            const int j = unscored.pop();
            if (p.raise_floor(j)) {
                unscored.push(p.bound_floor(j), j);
                continue;
            }
            p.score(j);
            unplaced.push(p.bound(j), j);
            continue;
        }
        if (!unplaced.empty() && before_pending(unplaced.top_key())) {
            const int j = unplaced.pop();
            if (!p.place(j, code)) return -1;
            pending.push_back(j);
            std::push_heap(pending.begin(), pending.end(), later);
            continue;
        }
        if (!has_pending) return 0;
        std::pop_heap(pending.begin(), pending.end(), later);
        const int j = pending.back();
        pending.pop_back();
        if (!convex && !crossing.stays_inside(j)) continue;
        take(p, v, j, result);
        return 1;
    }
}

}  // namespace

int divide(bool convex, const NodeLoop& loop, const Array1<double>& angles, const std::vector<double>& seg,
           const TrelmoMesh& mesh, double REF, DivideResult& result, int& code, DivideScratch& scratch) {
    result = DivideResult{};
    const int n = loop.count;
    const LoopView v{loop, mesh};
    try {
        Partners p(v, seg, angles, REF, scratch.partners);
        CrossingTest crossing(v, seg, scratch.from_A);
        if (!p.needs_full_placement()) {
            const int found = first_acceptable(p, v, convex, crossing, result, code, scratch);
            if (found != 0) return found > 0 ? 1 : 0;
        } else {
            std::vector<int> order;
            if (!order_all(p, n, order, code)) return 0;
            for (int j : order) {
                if (j == 3 || j == n - 1) continue;
                if (!convex && !crossing.stays_inside(j)) continue;
                take(p, v, j, result);
                return 1;
            }
        }
    } catch (const std::bad_alloc&) {
        report(" Out of memory in divide().\n");
        code = TM_NO_MEMORY;
        return 0;
    }
    code = TM_STEP_TOO_LARGE;
    return 0;
}

}  // namespace korvex
