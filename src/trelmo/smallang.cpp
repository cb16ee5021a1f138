// Spike removal on the inner loops left by the boundary layer.
#include "base/messages.h"
#include "trelmo/loop_geometry.h"
#include "trelmo/node_compaction.h"
#include "trelmo/small_angles.h"

namespace korvex {

namespace {

constexpr double kSpikeMin = 1.0471975511965976;   // 60 degrees
constexpr double kSpikeMax = 5.235987755982989;    // 300 degrees
// acos returns an exact 60-degree corner a few ulps above pi/3; such a
// corner still counts as a spike.
constexpr double kAngleRoundOff = 1e-12;

void report_missing(SpikeReporter who, int number) {
    const bool first = who == SpikeReporter::smallang;
    switch (number) {
    case 51: report(first ? " In smallang(): warning 51\n" : " In smallan1(): warning 51\n"); break;
    case 52: report(first ? " Internal error (52) in smallang()\n." : "Internal error (52) in smallan1()\n."); break;
    case 53: report(first ? " Internal error (53) in smallang()\n." : " Internal error (53) in smallan1()\n."); break;
    default: report(first ? "Internal error (54) in smallang()\n." : " Internal error (54) in smallan1()\n."); break;
    }
    report("   (mesh cannot be created; reduce step size.)\n");
}

// First element named `name` holding both nodes, 0 when none.
int element_with(const TrelmoMesh& mesh, std::string_view name, int a, int b) {
    for (int e = 1; e <= mesh.num_elements; ++e) {
        const GenElement& el = mesh.elements[e];
        if (el.name.view() != name) continue;
        bool ha = false, hb = false;
        for (int k = 1; k <= 4; ++k) {
            ha = ha || el.corner(k) == a;
            hb = hb || el.corner(k) == b;
        }
        if (ha && hb) return e;
    }
    return 0;
}

int corner_before(const GenElement& e, int node) {
    for (int k = 1; k <= 4; ++k)
        if (e.corner(k) == node) return e.corner(k == 1 ? 4 : k - 1);
    return 0;
}
int corner_after(const GenElement& e, int node) {
    for (int k = 1; k <= 4; ++k)
        if (e.corner(k) == node) return e.corner(k == 4 ? 1 : k + 1);
    return 0;
}

bool on_list(const NodeLoop& list, int node) {
    for (int i = 1; i <= list.count; ++i)
        if (list.at(i) == node) return true;
    return false;
}

// 1 = collapse, 0 = leave, -1 = failure (reported).
int spike_decision(const TrelmoMesh& mesh, const NodeLoop& loop, int i, const NodeLoop& boundary,
                   std::string_view name, SpikeReporter who) {
    const int n = loop.count;
    const int p = loop.at(prev_pos(i, n)), c = loop.at(i), q = loop.at(next_pos(i, n));
    const int e1 = element_with(mesh, name, p, c);
    if (e1 == 0) { report_missing(who, 51); return -1; }
    const int e2 = element_with(mesh, name, c, q);
    if (e2 == 0) { report_missing(who, 52); return -1; }
    if (e1 == e2 || corner_before(mesh.elements[e1], c) == corner_after(mesh.elements[e2], c)) return 0;
    if (n == 4) {
        const int o = loop.at(shift_pos(i, 2, n));
        const int e3 = element_with(mesh, name, p, o);
        if (e3 == 0) { report_missing(who, 53); return -1; }
        const int e4 = element_with(mesh, name, q, o);
        if (e4 == 0) { report_missing(who, 54); return -1; }
        if (e3 == e4 || corner_after(mesh.elements[e3], o) == corner_before(mesh.elements[e4], o)) return 0;
    }
    if (on_list(boundary, p) || on_list(boundary, q)) return 0;
    return 1;
}

void collapse(TrelmoMesh& mesh, NodeLoop& loop, int i, const std::vector<NodeLoop*>& others) {
    const int n = loop.count;
    const int ip = prev_pos(i, n);
    const int p = loop.at(ip), q = loop.at(next_pos(i, n));
    NodeLoop kept;
    for (int k = 1; k <= n; ++k)
        if (k != i && k != ip) kept.push(loop.at(k));
    loop = kept;
    replace_node(mesh, p, q, others);
    GenNode& nq = mesh.node(q);
    const GenNode& np = mesh.node(p);
    nq.x = (np.x + nq.x) / 2;
    nq.y = (np.y + nq.y) / 2;
    delete_node(mesh.node(p));
}

}  // namespace

int remove_spikes(TrelmoMesh& mesh, NodeLoop& loop, const NodeLoop& boundary, std::string_view name,
                  const std::vector<NodeLoop*>& others, SpikeReporter who) {
    int i = 1;
    while (i <= loop.count && loop.count >= 4) {
        const double a = node_angle(mesh, loop, i);
        if (a > kSpikeMin + kAngleRoundOff && a <= kSpikeMax) { ++i; continue; }
        const int d = spike_decision(mesh, loop, i, boundary, name, who);
        if (d < 0) return 0;
        if (d == 0) { ++i; continue; }
        collapse(mesh, loop, i, others);
        i = 1;
    }
    return 1;
}

int smallan1(TrelmoMesh& mesh, NodeLoop& loop, const NodeLoop& boundary, std::string_view name,
             const std::vector<NodeLoop*>& others) {
    return remove_spikes(mesh, loop, boundary, name, others, SpikeReporter::smallan1);
}

int smallang(TrelmoContext& ctx) {
    std::vector<NodeLoop*> inner_loops;
    for (int s = 1; s <= ctx.num_subregions; ++s) inner_loops.push_back(&ctx.sub_work[s].inner);
    for (int s = 1; s <= ctx.num_subregions; ++s) {
        if (ctx.layer_flags[s] != 1) continue;
        SubregionWork& w = ctx.sub_work[s];
        if (!remove_spikes(ctx.mesh, w.inner, w.boundary, ctx.subregions[s].name.view(), inner_loops,
                           SpikeReporter::smallang))
            return 0;
    }
    std::vector<NodeLoop*> lists = inner_loops;
    for (int s = 1; s <= ctx.num_subregions; ++s) lists.push_back(&ctx.sub_work[s].boundary);
    if (!compact_mesh(ctx.mesh, lists)) {
        report(" Out of memory in smallang().\n");
        return 0;
    }
    return 1;
}

}  // namespace korvex
