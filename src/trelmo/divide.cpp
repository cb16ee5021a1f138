// Evaluating one candidate start node A of a cut: every partner J is scored
// on the four corners the cut makes and the step match along it; the best
// partner whose cut stays inside the loop wins.
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "interface/messages.h"
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

struct LoopView {
    const NodeLoop& loop;
    const TrelmoMesh& mesh;
    const GenNode& at(int pos) const { return mesh.node(loop.at(pos)); }
    double seg(int i, int j) const { return distance(at(i), at(j)); }
};

// Mean length of the two boundary segments at position i.
double mean_step(const LoopView& v, int i) {
    const int n = v.loop.count;
    return (v.seg(i, next_pos(i, n)) + v.seg(i, prev_pos(i, n))) / 2;
}

// Whether node X (position x) rejects the cut A->J. `first_side` is true for
// the nodes between A and J, false for the nodes between J and A.
bool rejects(const LoopView& v, int j, int x, bool first_side) {
    const int n = v.loop.count;
    const GenNode& A = v.at(1);
    const GenNode& J = v.at(j);
    const GenNode& X = v.at(x);
    const double h = 0.25 * std::max(v.seg(x, prev_pos(x, n)), v.seg(x, next_pos(x, n)));
    const double a_ajx = angle(A, J, X), a_jxa = angle(J, X, A);
    const double a_jax = angle(J, A, X), a_axj = angle(A, X, J);
    const double ax = distance(A, X), jx = distance(J, X);
    bool wrong, beside;
    double beside1, beside2, dist;
    if (first_side) {
        wrong = a_ajx <= kPi / 2 && a_jxa <= kPi / 2;
        beside = a_jax <= kPi / 2 && a_axj <= kPi / 2;
        beside1 = a_jax;
        beside2 = a_axj;
        dist = ax * std::sin(a_axj);
    } else {
        wrong = a_jax <= kPi / 2 && a_axj <= kPi / 2;
        beside = a_ajx <= kPi / 2 && a_jxa <= kPi / 2;
        beside1 = a_ajx;
        beside2 = a_jxa;
        dist = ax * std::sin(a_ajx);
    }
    if (wrong) return true;
    if (beside) return h > dist || (beside1 < kNarrowBeside && beside2 < kNarrowBeside);
    const bool near_end = first_side ? (x == 2 || x == j - 1) : (x == j + 1 || x == n - 1);
    return !near_end && (h > ax || h > jx);
}

bool cut_stays_inside(const LoopView& v, int j) {
    for (int x = 2; x <= j - 1; ++x)
        if (rejects(v, j, x, true)) return false;
    for (int x = j + 1; x <= v.loop.count - 1; ++x)
        if (rejects(v, j, x, false)) return false;
    return true;
}

}  // namespace

int divide(bool convex, const NodeLoop& loop, const Array1<double>& angles, const TrelmoMesh& mesh, double REF,
           DivideResult& result, int& code) {
    result = DivideResult{};
    const int n = loop.count;
    const LoopView v{loop, mesh};
    const GenNode& A = v.at(1);
    const double hA = (v.seg(1, 2) + v.seg(1, n)) / 2;
    std::vector<double> S, D, C;
    std::vector<int> segments, order;
    try {
        S.assign(static_cast<std::size_t>(n) + 1, 0);
        D = S;
        C = S;
        segments.assign(static_cast<std::size_t>(n) + 1, 0);
    } catch (const std::bad_alloc&) {
        report(" Out of memory in divide().\n");
        code = TM_NO_MEMORY;
        return 0;
    }
    DivlineResult line;
    for (int j = 3; j <= n - 1; ++j) {
        const GenNode& J = v.at(j);
        const double a1 = angle(A, J, v.at(n)), a2 = angles[1] - a1;
        const double b1 = angle(J, A, v.at(j - 1)), b2 = angles[j] - b1;
        const auto k = static_cast<std::size_t>(j);
        S[k] = (corner_deviation(a1) + corner_deviation(a2) + corner_deviation(b1) + corner_deviation(b2)) / kTwoPi;
        if (!divline(distance(A, J), hA, mean_step(v, j), (j - 2) % 2 != 0, REF, line, code)) return 0;
        D[k] = line.D;
        segments[k] = line.segments;
        C[k] = 0.7 * S[k] + 0.3 * D[k];
        order.push_back(j);
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return C[static_cast<std::size_t>(a)] < C[static_cast<std::size_t>(b)];
    });
    for (int j : order) {
        if (j == 3 || j == n - 1) continue;
        if (!convex && !cut_stays_inside(v, j)) continue;
        const auto k = static_cast<std::size_t>(j);
        result.B = loop.at(j);
        result.position = j;
        result.S = S[k];
        result.L = distance(A, v.at(j));
        result.D = D[k];
        result.m = segments[k] - 1;
        return 1;
    }
    code = TM_STEP_TOO_LARGE;
    return 0;
}

}  // namespace korvex
