// add_to_global: merges the mesh of a curved, cylinder, revolution or
// triangular patch into the global mesh.
#include <vector>

#include "assembly/global_merge.h"
#include "assembly/merge_steps.h"
#include "base/messages.h"

namespace korvex {

namespace {

using merge::Variant;

int merge_curved_patch(Run& run, const Subregion& patch, int n, Array1<GenNode>& gen_nodes, Array1<Node3D>& nodes,
                       int m, const Array1<GenElement>& elements) {
    if (!merge::check_patch_arrays(Variant::Curved, n, nodes, gen_nodes, m, elements)) return 0;
    if (patch.type == TYPE_PLANE) report("Warning: PLANE patch passed into add_to_global.\n");
    report("\n\nadd_to_global() entered\n  num_nodes=%i globalNumNodes=%i\n", n, run.num_nodes);
    if (!merge::restore_generated_names(run, Variant::Curved, n, gen_nodes, nodes)) return 0;
    merge::match_arc_midpoints(run, n, gen_nodes, nodes);

    std::vector<int> nodes_global;
    if (!merge::allocate_nodes_global(nodes_global, n)) return 0;

    merge::reserve_global_room(run, n, m);
    const double spacing = merge::typical_spacing(nodes, n);
    MergeIndex& ix = synced_merge_index(run, spacing);
    const int G = run.num_nodes;  // nodes appended by this call are never candidates
    for (int i = 1; i <= n; ++i) {
        const double h = merge::neighbour_distance(nodes, n, i, spacing);
        int j = merge::match_curved_node(run, ix, G, gen_nodes[i], nodes[i], h);
        if (j == 0) j = merge::append_global_node(run, Variant::Curved, nodes[i], i);
        if (j == 0) return 0;
        nodes_global[static_cast<std::size_t>(i)] = j;
    }
    return merge::append_elements(run, Variant::Curved, patch, m, elements, nodes_global, n);
}

}  // namespace

int add_to_global(Run& run, const Subregion& patch, PatchMesh& mesh) {
    if (!merge_curved_patch(run, patch, mesh.num_nodes, mesh.gen_nodes, mesh.nodes, mesh.num_elements, mesh.elements)) {
        report("Unsuccessful completion of add_to_global\n");
        return 0;
    }
    return 1;
}

}  // namespace korvex
