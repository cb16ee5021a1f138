// build_possible_connectors: every straight segment from a corner of a hole
// to a corner of the outer boundary that leaves both corners at more than
// 15 degrees from the curves meeting there is a division candidate.
#include <cstdlib>

#include "base/messages.h"
#include "curves/geometry_kernels.h"
#include "cuts/connectors/connectors.h"
#include "model/name_lookup.h"

namespace korvex {

namespace {

constexpr double kMinCornerAngle = 0.2617993877991494;  // 15 degrees
constexpr int kMaxDivisionCandidates = 900;

// The corner at the start of the pos-th curve of a closed chain, with the
// curve before it (cyclically) and the far ends of both.
struct Corner {
    int point = 0, node = 0;      // the corner
    int far_next = 0, far_prev = 0;  // nodes at the far ends of the two curves
    int curve = 0, prev_curve = 0;   // unsigned indexes
    double step = 0;              // mean step of the two curves
};

Corner corner_of(const Run& run, const int* chain, int n, int pos) {
    const int sid = chain[pos];
    const int pid = chain[pos == 1 ? n : pos - 1];
    const Curve& c = run.curves[std::abs(sid)];
    const Curve& p = run.curves[std::abs(pid)];
    const auto first = [](const Curve& x) { return x.new_points_id[1]; };
    const auto last = [](const Curve& x) { return x.new_points_id[static_cast<std::size_t>(x.num_new_points)]; };
    Corner k;
    k.point = sid > 0 ? c.points_id[1] : c.points_id[static_cast<std::size_t>(c.num_points)];
    k.node = sid > 0 ? first(c) : last(c);
    k.far_next = sid > 0 ? last(c) : first(c);
    k.far_prev = pid > 0 ? first(p) : last(p);
    k.curve = std::abs(sid);
    k.prev_curve = std::abs(pid);
    k.step = 0.5 * (c.step + p.step);
    return k;
}

// True when point p is an end of some curve of some tree of any subregion.
bool ends_a_tree_curve(const Run& run, int p) {
    for (int s = 1; s <= run.nPatches; ++s) {
        const Subregion& patch = run.patches[s];
        for (int t = 1; t <= patch.num_trees; ++t) {
            const Tree& tree = patch.trees[static_cast<std::size_t>(t)];
            for (int m = 1; m <= tree.num_curves; ++m) {
                const int id = find_curve(run, tree.curve_names[static_cast<std::size_t>(m)].view());
                if (id == 0) continue;
                const Curve& c = run.curves[id];
                if (c.points_id[1] == p || c.points_id[static_cast<std::size_t>(c.num_points)] == p) return true;
            }
        }
    }
    return false;
}

// The candidate from hole corner a to boundary corner b, with its four angles.
Connector candidate(const Run& run, const Corner& a, int apos, const Corner& b, int bpos) {
    const Vec3 A = run.new_points[a.node].pos();
    const Vec3 B = run.new_points[b.node].pos();
    Connector c;
    c.start_point = a.point;
    c.end_point = b.point;
    c.start_node = a.node;
    c.end_node = b.node;
    c.start_pos = apos;
    c.end_pos = bpos;
    c.angles[0] = ANGLEXYZ(A, B, run.new_points[a.far_next].pos());
    c.angles[1] = ANGLEXYZ(A, B, run.new_points[a.far_prev].pos());
    c.angles[2] = ANGLEXYZ(B, A, run.new_points[b.far_next].pos());
    c.angles[3] = ANGLEXYZ(B, A, run.new_points[b.far_prev].pos());
    c.step_start = a.step;
    c.step_end = b.step;
    c.km1_id_curve_prev = a.prev_curve;
    c.k_id_curve = a.curve;
    c.n_ibound_curve = b.curve;
    c.exempt_nodes = {a.node, a.far_next, a.far_prev, b.node, b.far_next, b.far_prev};
    c.length = distance(A, B);
    return c;
}

bool angles_open(const Connector& c) {
    for (double x : c.angles)
        if (!(x > kMinCornerAngle)) return false;
    return true;
}

}  // namespace

int build_possible_connectors(const Run& run, int k, int hole, std::vector<Connector>& DK) {
    report("--- Entered MULT_C12.C\n");
    DK.clear();
    const Subregion& s = run.patches[k];
    const Hole& h = s.holes[static_cast<std::size_t>(hole)];
    for (int a = 1; a <= h.num_curves; ++a) {
        if (h.curves[static_cast<std::size_t>(a)] == 0) {
            report("Internal error in MULT_C12.C:\n");
            report("id_curve=%i\n", 0);
            return 0;
        }
    }
    bool full = false;
    for (int a = 1; a <= h.num_curves && !full; ++a) {
        const Corner ha = corner_of(run, h.curves.data(), h.num_curves, a);
        if (ends_a_tree_curve(run, ha.point)) continue;
        for (int b = 1; b <= s.num_curves; ++b) {
            const Corner bb = corner_of(run, s.curves_id.data(), s.num_curves, b);
            Connector c = candidate(run, ha, a, bb, b);
            if (!angles_open(c)) continue;
            if (static_cast<int>(DK.size()) + 1 >= kMaxDivisionCandidates) {
                report("Warning: too many division candidates.\n");
                DK.resize(kMaxDivisionCandidates - 3);
                full = true;
                break;
            }
            DK.push_back(std::move(c));
        }
    }
    report("Leaving build_possible_connectors(): num_division_candidates=%i\n", static_cast<int>(DK.size()));
    return 1;
}

}  // namespace korvex
