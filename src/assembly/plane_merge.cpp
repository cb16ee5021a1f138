// add_to_global_plane: merges the mesh of a plane patch into the global mesh
// and carries the internal points of plane patches across patches.
//
// An internal point snapped onto a boundary node of a plane patch (its node
// carries the boundary node's generated name in pint_tag) must end up as one
// global node shared with the neighbouring patch that owns the same boundary
// node. When the neighbour is already merged, that global node is found by
// its saved name and moved onto the internal point. Otherwise the node is
// kept in run.unprocessed_PINT_nodes, together with the global node it
// became, until the neighbour is merged.
#include <map>
#include <new>
#include <string>
#include <vector>

#include "assembly/global_merge.h"
#include "assembly/merge_steps.h"
#include "base/messages.h"

namespace korvex {

namespace {

using merge::Variant;

// Global node j takes the coordinates and name of node src.
void take_position_and_name(Run& run, MergeIndex& ix, int j, const Node3D& src) {
    Node3D& g = run.nodes3D[j];
    const Node3D before = g;
    g.set_pos(src.pos());
    g.name = src.name;
    ix.update_node(j, before, g);
}

void report_generated_global_names(const Run& run, const MergeIndex& ix) {
    for (int j : ix.at_named)
        if (j <= run.num_nodes)
            report("Error detected in ADDTOG_P.C: globalNodes3D[%5i].name=%s\n", j, run.nodes3D[j].name.c_str());
}

// Carried-over entries waiting for the patch that owns their boundary node,
// by pint_tag (first entry per tag).
std::map<std::string, std::size_t, std::less<>> pending_by_tag(const Run& run) {
    std::map<std::string, std::size_t, std::less<>> out;
    for (std::size_t k = 0; k < run.unprocessed_PINT_nodes.size(); ++k) {
        const Node3D& e = run.unprocessed_PINT_nodes[k];
        if (!e.pint_tag.empty()) out.try_emplace(std::string(e.pint_tag.view()), k);
    }
    return out;
}

struct PlaneMergeWork {
    std::vector<char> flags;       // local_indexes_of_unprocessed_PINT_nodes
    std::vector<int> nodes_global;
};

bool allocate_work(PlaneMergeWork& w, int n, std::size_t entries) {
    try {
        w.flags.assign(static_cast<std::size_t>(n) + entries + 1, 0);
    } catch (const std::bad_alloc&) {
        report(" Out of memory in add_to_global() for array\n  local_indexes_of_unprocessed_PINT_nodes[].\n");
        return false;
    }
    return merge::allocate_nodes_global(w.nodes_global, n + static_cast<int>(entries));
}

// Patch node i: its global node, found or appended. Returns 0 on failure.
int merge_patch_node(Run& run, MergeIndex& ix, int G, PatchMesh& mesh, int i, PlaneMergeWork& w,
                     const std::map<std::string, std::size_t, std::less<>>& pending) {
    Node3D& node = mesh.nodes[i];
    // The boundary node an earlier patch's internal point was snapped onto:
    // it becomes that internal point's global node.
    if (!node.name_saved.empty()) {
        auto it = pending.find(node.name_saved.view());
        if (it != pending.end()) {
            Node3D& e = run.unprocessed_PINT_nodes[it->second];
            if (!e.pint_tag.empty() && e.work_int >= 1 && e.work_int <= G) {
                e.pint_tag = "";
                return e.work_int;
            }
        }
    }
    const merge::PlaneMatch m = merge::match_plane_node(run, ix, G, mesh.gen_nodes[i].name.view(), node);
    if (m.by_tag) {
        take_position_and_name(run, ix, m.j, node);
        w.flags[static_cast<std::size_t>(i)] = 0;
        node.pint_tag = "";
    }
    if (m.j != 0) return m.j;
    return merge::append_global_node(run, Variant::Plane, node, i);
}

// A carried-over entry takes part in matching like a patch node, but adds no
// node of its own: no element refers to it, and its global node exists.
void merge_pending_entry(Run& run, MergeIndex& ix, int G, Node3D& e) {
    if (e.pint_tag.empty()) return;
    const merge::PlaneMatch m = merge::match_plane_node(run, ix, G, std::string_view{}, e);
    if (!m.by_tag) return;
    take_position_and_name(run, ix, m.j, e);
    e.pint_tag = "";
}

void drop_resolved_entries(Run& run) {
    auto& list = run.unprocessed_PINT_nodes;
    std::erase_if(list, [](const Node3D& e) { return e.pint_tag.empty(); });
}

// Patch nodes still waiting for their boundary node join the list; entries
// whose boundary node now exists in the global mesh are placed.
void carry_internal_points(Run& run, const PatchMesh& mesh, const PlaneMergeWork& w, double spacing) {
    for (int i = 1; i <= mesh.num_nodes; ++i) {
        if (!w.flags[static_cast<std::size_t>(i)]) continue;
        Node3D e = mesh.nodes[i];
        e.work_int = w.nodes_global[static_cast<std::size_t>(i)];
        run.unprocessed_PINT_nodes.push_back(e);
    }
    drop_resolved_entries(run);
    MergeIndex& ix = synced_merge_index(run, spacing);
    for (Node3D& e : run.unprocessed_PINT_nodes) {
        const int j = ix.by_saved.lowest(e.pint_tag.view());
        if (j == 0) continue;
        take_position_and_name(run, ix, j, e);
        e.pint_tag = "";
    }
    drop_resolved_entries(run);
}

int merge_plane_patch(Run& run, const Subregion& patch, PatchMesh& mesh) {
    const int n = mesh.num_nodes;
    if (!merge::check_patch_arrays(Variant::Plane, n, mesh.nodes, mesh.gen_nodes, mesh.num_elements, mesh.elements))
        return 0;
    report("add_to_global_plane() entered.   globalNumNodes=%i\n", run.num_nodes);
    if (!merge::restore_generated_names(run, Variant::Plane, n, mesh.gen_nodes, mesh.nodes)) return 0;
    merge::match_arc_midpoints(run, n, mesh.gen_nodes, mesh.nodes);

    merge::reserve_global_room(run, n, mesh.num_elements);
    const double spacing = merge::typical_spacing(mesh.nodes, n);
    MergeIndex& ix = synced_merge_index(run, spacing);
    report_generated_global_names(run, ix);

    PlaneMergeWork w;
    if (!allocate_work(w, n, run.unprocessed_PINT_nodes.size())) return 0;
    for (int i = 1; i <= n; ++i) w.flags[static_cast<std::size_t>(i)] = mesh.nodes[i].pint_tag.empty() ? 0 : 1;

    const int G = run.num_nodes;  // nodes appended by this call are never candidates
    const auto pending = pending_by_tag(run);
    for (int i = 1; i <= n; ++i) {
        const int j = merge_patch_node(run, ix, G, mesh, i, w, pending);
        if (j == 0) return 0;
        w.nodes_global[static_cast<std::size_t>(i)] = j;
    }
    for (Node3D& e : run.unprocessed_PINT_nodes) merge_pending_entry(run, ix, G, e);

    if (!merge::append_elements(run, Variant::Plane, patch, mesh.num_elements, mesh.elements, w.nodes_global, n))
        return 0;
    carry_internal_points(run, mesh, w, spacing);
    return 1;
}

}  // namespace

int add_to_global_plane(Run& run, const Subregion& patch, PatchMesh& mesh) {
    if (!merge_plane_patch(run, patch, mesh)) {
        report("Unsuccessful completion of add_to_global_plane()\n");
        return 0;
    }
    return 1;
}

}  // namespace korvex
