// Finding, for one patch node, the first global node (in index order) that it
// coincides with, through the run's name index and spatial grid.
#include <algorithm>

#include "assembly/merge_steps.h"
#include "base/messages.h"

namespace korvex::merge {

namespace {

constexpr double kCurvedCoordTol = 1e-5;  // relative to the neighbour distance h
constexpr double kPlaneCoordTol = 1e-4;   // absolute

int lowest_nonzero(int a, int b) {
    if (a == 0) return b;
    if (b == 0) return a;
    return std::min(a, b);
}

// Index entries above G (nodes appended by the current call) are not candidates.
int within(int j, int G) { return j <= G ? j : 0; }

}  // namespace

bool is_shared_pint_name(std::string_view name) { return name == "PINT"; }

int match_curved_node(Run& run, MergeIndex& ix, int G, const GenNode& gen, const Node3D& node, double h) {
    const std::string_view owner = gen.name.view();
    int j_name = 0;
    if (!owner.empty() && owner[0] == 'P' && !is_shared_pint_name(owner)) j_name = within(ix.by_name.lowest(owner), G);
    const int limit = j_name ? std::min(G, j_name - 1) : G;
    const int j_coord = ix.grid.lowest_within(node.pos(), kCurvedCoordTol * h, run.nodes3D, limit);
    const int j = lowest_nonzero(j_name, j_coord);
    if (j == 0 || j != j_coord) return j;
    Node3D& g = run.nodes3D[j];
    if (g.name[0] == 'P' && (node.name[0] == 'C' || node.name[0] == 'Q')) {
        const Node3D before = g;
        g.name = node.name;
        ix.update_node(j, before, g);
        report("\nInfo in ADDTOGLO(): 2nd section detection.\n");
    }
    return j;
}

PlaneMatch match_plane_node(const Run& run, const MergeIndex& ix, int G, std::string_view owner, const Node3D& node) {
    const int j_tag = node.pint_tag.empty() ? 0 : within(ix.by_saved.lowest(node.pint_tag.view()), G);
    const std::string_view name = node.name.view();
    const std::string_view saved = node.name_saved.view();
    int j_name = 0;
    if (!owner.empty() && owner[0] == 'P' && !is_shared_pint_name(owner)) {
        j_name = lowest_nonzero(within(ix.by_name.lowest(name), G), within(ix.by_saved.lowest(saved), G));
    } else {
        const int limit = j_tag ? std::min(G, j_tag - 1) : G;
        j_name = ix.grid.lowest_within(node.pos(), kPlaneCoordTol, run.nodes3D, limit, [&](int j) {
            const Node3D& g = run.nodes3D[j];
            return (!name.empty() && g.name == name) || (!saved.empty() && g.name_saved == saved);
        });
    }
    const int j = lowest_nonzero(j_tag, j_name);
    return {j, j != 0 && j == j_tag};
}

}  // namespace korvex::merge
