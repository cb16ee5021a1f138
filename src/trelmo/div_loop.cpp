// One cut of a loop: choose candidate start nodes, let divide find each one's
// best partner, take the best cut and put new nodes on it.
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "base/messages.h"
#include "trelmo/loop_geometry.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

namespace {

constexpr double kNearMaxAngle = 0.01;
constexpr int kMaxSideCandidates = 10;
constexpr double kSameSideLength = 1e-5;
constexpr double kReflexCandidate = 1.4 * kPi;
constexpr double kSameCutLength = 1e-4;

struct Candidate {
    int node;
    double length;   // length of the side it is the middle of
};

// The middle nodes of the loop's sides (runs of nearly flat nodes between
// two corners), longest sides first.
std::vector<Candidate> side_candidates(const NodeLoop& loop, const Array1<double>& a, const TrelmoMesh& mesh) {
    const int n = loop.count;
    double amax = 0;
    for (int i = 1; i <= n; ++i) amax = std::max(amax, a[i]);
    std::vector<char> marked(static_cast<std::size_t>(n) + 1, 0);
    int first_unmarked = 0;
    for (int i = 1; i <= n; ++i) {
        marked[static_cast<std::size_t>(i)] = std::fabs(a[i] - amax) <= kNearMaxAngle || a[i] > kPi - kNearMaxAngle;
        if (!marked[static_cast<std::size_t>(i)] && first_unmarked == 0) first_unmarked = i;
    }
    std::vector<Candidate> c;
    if (first_unmarked == 0) {
        for (int i = 1; i <= n; ++i) c.push_back({loop.at(i), 0.0});
        return c;
    }
    int run_start = 0;
    for (int k = 1; k <= n; ++k) {
        const int pos = shift_pos(first_unmarked, k, n);
        if (marked[static_cast<std::size_t>(pos)]) {
            if (run_start == 0) run_start = k;
            continue;
        }
        if (run_start != 0) {
            const int len = k - run_start;
            const int p_first = shift_pos(first_unmarked, run_start, n);
            const int p_last = shift_pos(first_unmarked, k - 1, n);
            const double d = distance(mesh.node(loop.at(p_first)), mesh.node(loop.at(p_last)));
            const int mid = run_start + (len - 1) / 2;
            c.push_back({loop.at(shift_pos(first_unmarked, mid, n)), d});
            if (len % 2 == 0) c.push_back({loop.at(shift_pos(first_unmarked, mid + 1, n)), d});
            run_start = 0;
        }
    }
    if (static_cast<int>(c.size()) > kMaxSideCandidates) {
        std::stable_sort(c.begin(), c.end(), [](const Candidate& x, const Candidate& y) { return x.length > y.length; });
        std::size_t keep = kMaxSideCandidates;
        while (keep < c.size()) {
            const double prev = c[keep - 1].length, cur = c[keep].length;
            if (!(cur == prev || std::fabs(prev - cur) <= kSameSideLength * prev)) break;
            ++keep;
        }
        c.resize(keep);
    }
    return c;
}

// The three nodes of largest angle, largest first.
std::vector<Candidate> largest_angles(const NodeLoop& loop, const Array1<double>& a, int count) {
    std::vector<int> pos;
    for (int i = 1; i <= loop.count; ++i) pos.push_back(i);
    std::stable_sort(pos.begin(), pos.end(), [&](int x, int y) { return a[x] > a[y]; });
    std::vector<Candidate> c;
    for (int k = 0; k < count && k < loop.count; ++k) c.push_back({loop.at(pos[static_cast<std::size_t>(k)]), 0.0});
    return c;
}

std::vector<Candidate> choose_candidates(const NodeLoop& loop, const Array1<double>& a, const TrelmoMesh& mesh) {
    const int n = loop.count;
    if (n > 10) {
        std::vector<Candidate> c = side_candidates(loop, a, mesh);
        if (c.size() < 3) c = largest_angles(loop, a, 3);
        return c;
    }
    double amax = 0;
    for (int i = 1; i <= n; ++i) amax = std::max(amax, a[i]);
    const double limit = amax <= kReflexCandidate ? 0.99 * kPi * (n - 2) / n : kReflexCandidate;
    std::vector<Candidate> c;
    for (int i = 1; i <= n; ++i)
        if (a[i] > limit) c.push_back({loop.at(i), 0.0});
    return c;
}

// seg[i]: the length of the segment from position i of the loop to the next.
std::vector<double> segment_lengths(const NodeLoop& loop, const TrelmoMesh& mesh) {
    const int n = loop.count;
    std::vector<double> seg(static_cast<std::size_t>(n) + 1, 0.0);
    for (int i = 1; i <= n; ++i)
        seg[static_cast<std::size_t>(i)] = distance(mesh.node(loop.at(i)), mesh.node(loop.at(next_pos(i, n))));
    return seg;
}

// The loop, its angles and its segment lengths rotated as first() rotates
// them: the first position holding `node` becomes position 1 (no rotation
// when the node is not in the loop).
struct RotatedLoop {
    NodeLoop loop;
    Array1<double> angles;
    std::vector<double> seg;

    void rotate(const NodeLoop& from, const Array1<double>& a, const std::vector<double>& s, int node) {
        const int n = from.count;
        int at = 0;
        for (int i = 1; i <= n; ++i)
            if (from.at(i) == node) { at = i; break; }
        loop = from;
        angles.ensure(n);
        seg.resize(static_cast<std::size_t>(n) + 1);
        for (int i = 1; i <= n; ++i) {
            const int k = at <= 1 ? i : shift_pos(at, i - 1, n);
            loop.node[i] = from.at(k);
            angles[i] = a[k];
            seg[static_cast<std::size_t>(i)] = s[static_cast<std::size_t>(k)];
        }
    }
};

struct Evaluated {
    int node;
    DivideResult r;
};

// Builds the two sub-loops of the rotated loop cut from position 1 to p.
bool split_loop(const NodeLoop& rot, int p, const std::vector<int>& cut, NodeLoop& loop1, NodeLoop& loop2, int& code) {
    const int n = rot.count;
    loop1.clear();
    loop2.clear();
    for (int i = 1; i <= p; ++i) loop1.push(rot.at(i));
    for (auto it = cut.rbegin(); it != cut.rend(); ++it) loop1.push(*it);
    for (int i = p; i <= n; ++i) loop2.push(rot.at(i));
    loop2.push(rot.at(1));
    for (int node : cut) loop2.push(node);
    if (loop1.count > n + SIZE_COORDS_ARRAY || loop2.count > n + SIZE_COORDS_ARRAY) {
        report(" Error in DIV_LOOP: increase SIZE_COORDS_ARRAY\n");
        code = TM_COORDS_ARRAY;
        return false;
    }
    return true;
}

}  // namespace

int div_loop(const NodeLoop& loop, TrelmoMesh& mesh, double REF, std::string_view name, NodeLoop& loop1,
             NodeLoop& loop2, int& code, DivideScratch* scratch, const Array1<double>* angles) {
    const int n = loop.count;
    Array1<double> a;
    if (angles) a = *angles;
    else loop_angles(mesh, loop, a);
    bool convex = true;
    for (int i = 1; i <= n; ++i)
        if (a[i] > kPi + 1e-6) convex = false;

    std::vector<Evaluated> found;
    DivideScratch own_scratch;
    DivideScratch& work = scratch ? *scratch : own_scratch;
    RotatedLoop rotated;
    const std::vector<double> seg = segment_lengths(loop, mesh);
    for (const Candidate& c : choose_candidates(loop, a, mesh)) {
        rotated.rotate(loop, a, seg, c.node);
        DivideResult r;
        if (divide(convex, rotated.loop, rotated.angles, rotated.seg, mesh, REF, r, code, work)) {
            found.push_back({c.node, r});
            continue;
        }
        if (code != TM_STEP_TOO_LARGE) return 0;
        code = TM_OK;
    }
    if (found.empty()) {
        code = TM_STEP_TOO_LARGE;
        return 0;
    }
    double lmax = 0, lmin = 1e300;
    for (const Evaluated& e : found) { lmax = std::max(lmax, e.r.L); lmin = std::min(lmin, e.r.L); }
    const bool use_length = found.size() > 1 && !(lmax - lmin < kSameCutLength * lmin);
    std::size_t best = 0;
    double best_score = 1e300;
    for (std::size_t k = 0; k < found.size(); ++k) {
        const double score = 0.2 * found[k].r.S + 0.1 * (use_length ? found[k].r.L / lmax : 0.0);
        if (score < best_score) { best_score = score; best = k; }
    }
    rotated.rotate(loop, a, seg, found[best].node);
    const NodeLoop& rot = rotated.loop;
    const int p = found[best].r.position;
    const GenNode A = mesh.node(rot.at(1)), B = mesh.node(rot.at(p));
    const double hA = (distance(A, mesh.node(rot.at(2))) + distance(A, mesh.node(rot.at(n)))) / 2;
    const double hB = (distance(B, mesh.node(rot.at(p - 1))) + distance(B, mesh.node(rot.at(p + 1)))) / 2;
    const double L = distance(A, B);
    DivlineResult line;
    if (!divline(L, hA, hB, (p - 2) % 2 != 0, REF, line, code)) return 0;
    std::vector<int> cut;
    for (int k = 1; k < line.segments; ++k) {
        const double t = line.ends[k] / L;
        const int node = append_node(mesh, A.x + t * (B.x - A.x), A.y + t * (B.y - A.y), NODE_KIND_INTERIOR, name);
        if (node == 0) {
            report("Cannot reallocate nodes in div_loop().\n");
            code = TM_NO_MEMORY;
            return 0;
        }
        cut.push_back(node);
    }
    return split_loop(rot, p, cut, loop1, loop2, code) ? 1 : 0;
}

}  // namespace korvex
