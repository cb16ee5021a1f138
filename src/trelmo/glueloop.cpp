// Merging opposite fronts of a loop that have come too close: the two nearest
// nodes become one and the loop is split there into two loops.
#include <algorithm>
#include <new>
#include <vector>

#include "base/messages.h"
#include "trelmo/loop_geometry.h"
#include "trelmo/node_compaction.h"
#include "trelmo/small_angles.h"

namespace korvex {

namespace {

constexpr double kFrontMin = 2.792526803190927;   // 160 degrees
constexpr double kFrontMax = 3.490658503988659;   // 200 degrees
constexpr double kGlueDistance = 0.6;             // of the shorter front segment

struct Glue {
    TrelmoContext& ctx;
    std::vector<char> done;          // per node number
    std::vector<char> changed, next_changed;  // per loop of the table

    std::vector<NodeLoop*> all_loops() {
        std::vector<NodeLoop*> v;
        for (int k = 1; k <= ctx.loop_table.count; ++k) v.push_back(&ctx.loop_table.loops[k].loop);
        for (int s = 1; s <= ctx.num_subregions; ++s) v.push_back(&ctx.sub_work[s].boundary);
        return v;
    }
};

bool in_range(double a) { return a > kFrontMin && a < kFrontMax; }

// Nearest node to position i among the loop's nodes other than i and its
// first and second neighbours (the first of equals); 0 when there is none.
// A node whose squared distance clearly exceeds the square of the best
// distance so far cannot be nearer, so its distance is not measured.
int nearest_position(const TrelmoMesh& mesh, const NodeLoop& loop, int i) {
    constexpr double kSquareMargin = 1.0 + 1e-12;  // far above the rounding of the squares
    const int m = loop.count;
    const GenNode& P = mesh.node(loop.at(i));
    int best = 0;
    double best_d = 0, best_d2 = 0;
    for (int k = 1; k <= m; ++k) {
        const int off = std::min((k - i + m) % m, (i - k + m) % m);
        if (off <= 2) continue;
        const GenNode& Q = mesh.node(loop.at(k));
        const double dx = Q.x - P.x, dy = Q.y - P.y;
        if (best != 0 && dx * dx + dy * dy > best_d2 * kSquareMargin) continue;
        const double d = distance(P, Q);
        if (best == 0 || d < best_d) {
            best = k;
            best_d = d;
            best_d2 = d * d;
        }
    }
    return best;
}

// Splits loop k at positions i and j (whose nodes have been merged into the
// node at i) and appends the new loop to the table.
bool split_at(Glue& g, int k, int i, int j) {
    LoopTable& t = g.ctx.loop_table;
    if (t.count + 1 > t.capacity) {
        report(i < j ? " Internal error (5) in glueloop(). \n" : " Internal error (5a) in glueloop().\n");
        return false;
    }
    const NodeLoop old = t.loops[k].loop;
    const int a = std::min(i, j), b = std::max(i, j);
    const int from = i == a ? a : a + 1, to = i == a ? b - 1 : b;
    NodeLoop cut, rest;
    for (int pos = 1; pos <= old.count; ++pos) {
        if (pos >= from && pos <= to) cut.push(old.at(pos));
        else rest.push(old.at(pos));
    }
    const int merged = old.at(i), gone = old.at(j);
    for (int pos = 1; pos <= rest.count; ++pos)
        if (rest.node[pos] == gone) rest.node[pos] = merged;
    ++t.count;
    t.loops.ensure(t.count);
    BoundLoop& added = t.loops[t.count];
    added = t.loops[k];
    added.loop = cut;
    t.loops[k].loop = rest;
    return true;
}

// Looks for one merge in loop k. Returns -1 on failure, 1 when merged, 0 otherwise.
int glue_one_loop(Glue& g, int k) {
    TrelmoMesh& mesh = g.ctx.mesh;
    const NodeLoop& loop = g.ctx.loop_table.loops[k].loop;
    const int m = loop.count;
    if (m < 6) return 0;
    Array1<double> a;
    loop_angles(mesh, loop, a);
    for (int i = 1; i <= m; ++i) {
        const int ni = loop.at(i);
        if (g.done[static_cast<std::size_t>(ni)]) continue;
        if (!in_range(a[i]) || !in_range(a[prev_pos(i, m)]) || !in_range(a[next_pos(i, m)])) continue;
        const double h = std::min(distance(mesh.node(ni), mesh.node(loop.at(prev_pos(i, m)))),
                                  distance(mesh.node(ni), mesh.node(loop.at(next_pos(i, m)))));
        const int j = nearest_position(mesh, loop, i);
        if (j == 0) {
            report(" Internal error in glueloop(). \n");
            return -1;
        }
        const int nj = loop.at(j);
        if (distance(mesh.node(ni), mesh.node(nj)) <= kGlueDistance * h && (j - i) % 2 == 0) {
            GenNode& A = mesh.node(ni);
            const GenNode& B = mesh.node(nj);
            A.x = (A.x + B.x) / 2;
            A.y = (A.y + B.y) / 2;
            replace_node(mesh, nj, ni, g.all_loops());
            delete_node(mesh.node(nj));
            if (!split_at(g, k, i, j)) return -1;
            return 1;
        }
        g.done[static_cast<std::size_t>(ni)] = 1;
    }
    return 0;
}

bool treat_split_loops(Glue& g, int k) {
    LoopTable& t = g.ctx.loop_table;
    const auto others = g.all_loops();
    for (int which : {k, t.count}) {
        BoundLoop& b = t.loops[which];
        if (!smallan1(g.ctx.mesh, b.loop, g.ctx.sub_work[b.subregion].boundary, b.name.view(), others)) {
            report("Unsuccessful return from smallan1()\n");
            return false;
        }
    }
    return true;
}

bool iterate(Glue& g) {
    for (int iteration = 1;; ++iteration) {
        report(" Merging opposite layers: iteration %i.\n", iteration);
        LoopTable& t = g.ctx.loop_table;
        g.next_changed.assign(static_cast<std::size_t>(t.capacity) + 1, 0);
        g.done.resize(static_cast<std::size_t>(g.ctx.mesh.num_nodes) + 1, 0);
        bool merged = false;
        const int count = t.count;
        for (int k = 1; k <= count; ++k) {
            if (iteration > 1 && !g.changed[static_cast<std::size_t>(k)]) continue;
            const int r = glue_one_loop(g, k);
            if (r < 0) return false;
            if (r == 0) continue;
            merged = true;
            g.next_changed[static_cast<std::size_t>(k)] = 1;
            g.next_changed[static_cast<std::size_t>(t.count)] = 1;
            if (!treat_split_loops(g, k)) return false;
        }
        if (!merged) return true;
        g.changed = g.next_changed;
    }
}

// Removes elements folded onto a diagonal and every node no element and no
// loop uses any more.
bool remove_degenerate(Glue& g) {
    TrelmoMesh& mesh = g.ctx.mesh;
    for (int e = 1; e <= mesh.num_elements; ++e) {
        GenElement& el = mesh.elements[e];
        if (el.corner1 == el.corner3 || el.corner2 == el.corner4) delete_element(el);
    }
    std::vector<char> used(static_cast<std::size_t>(mesh.num_nodes) + 1, 0);
    auto mark = [&](int n) { if (n >= 1 && n <= mesh.num_nodes) used[static_cast<std::size_t>(n)] = 1; };
    for (int e = 1; e <= mesh.num_elements; ++e)
        if (!element_deleted(mesh.elements[e]))
            for (int k = 1; k <= 4; ++k) mark(mesh.elements[e].corner(k));
    for (NodeLoop* loop : g.all_loops())
        for (int i = 1; i <= loop->count; ++i) mark(loop->at(i));
    for (int n = 1; n <= mesh.num_nodes; ++n)
        if (!used[static_cast<std::size_t>(n)]) delete_node(mesh.node(n));
    return compact_mesh(mesh, g.all_loops());
}

}  // namespace

int glueloop(TrelmoContext& ctx) {
    try {
        Glue g{ctx, {}, {}, {}};
        if (!iterate(g)) return 0;
        if (!remove_degenerate(g)) {
            report(" Out of memory in glueloop()\n");
            return 0;
        }
    } catch (const std::bad_alloc&) {
        report(" Out of memory in glueloop()\n");
        return 0;
    }
    return 1;
}

}  // namespace korvex
