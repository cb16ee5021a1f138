// Split propagation: after a stage has cut a curve in two (the first half
// keeping the curve's index), every other subregion that uses the curve --
// on its boundary, in a hole or in a tree -- is given both halves.
#include <algorithm>
#include <cstdlib>

#include "base/messages.h"
#include "input/input_stages.h"

namespace korvex {

namespace {

constexpr int kMaxEdgesInSplit = MAX_EDGES_PER_SUBREGION + 8;  // capacity of the edge table xadj[]

// Slot of curve `id` (either sign) in the subregion's boundary list; 0 if absent.
int boundary_slot(const Subregion& s, int id) {
    const int n = std::min(s.num_curves, static_cast<int>(s.curves_id.size()) - 1);
    for (int slot = 1; slot <= n; ++slot)
        if (std::abs(s.curves_id[static_cast<std::size_t>(slot)]) == id) return slot;
    return 0;
}

// The edge whose slots include `slot` (the last edge if the counts fall short).
int edge_of_slot(const Subregion& s, int slot) {
    const int edges = std::clamp(s.num_edges, 1, MAX_EDGES_PER_SUBREGION);
    int last_slot = 0;
    for (int e = 1; e <= edges; ++e) {
        last_slot += s.curves_per_edge[e];
        if (slot <= last_slot) return e;
    }
    return edges;
}

void insert_into_boundary(Run& run, int j, int old_id, int new_id) {
    Subregion& s = run.patches[j];
    const int slot = boundary_slot(s, old_id);
    if (slot == 0) return;
    if (s.num_edges > kMaxEdgesInSplit) {
        report("Error in INPREPR4.C: \npatches[j=%i].num_edges=%i > MAX_EDGES_PER_SUBREGION(=%i) + 8\n", j,
               s.num_edges, MAX_EDGES_PER_SUBREGION);
        report("Increase upper dimension of array xadj[]\n");
        fatal_stop();
    }
    if (s.num_curves + 1 > static_cast<int>(s.curves_id.size()) - 1) {
        report(" Subregion %s: too many curves after a curve split.\n Increase MAX_CURVES_PER_EDGE in KORVEX.H file.\n",
               s.name.c_str());
        fatal_stop();
    }
    for (int m = s.num_curves; m > slot; --m) {
        s.curves_id[static_cast<std::size_t>(m + 1)] = s.curves_id[static_cast<std::size_t>(m)];
        s.curve_names[static_cast<std::size_t>(m + 1)] = s.curve_names[static_cast<std::size_t>(m)];
    }
    const auto at = static_cast<std::size_t>(slot);
    if (s.curves_id[at] > 0) {
        s.curves_id[at + 1] = new_id;
        s.curve_names[at + 1] = run.curves[new_id].name;
    } else {
        // Walked against its direction the old curve is met second.
        s.curves_id[at + 1] = -old_id;
        s.curve_names[at + 1] = run.curves[old_id].name;
        s.curves_id[at] = -new_id;
        s.curve_names[at] = run.curves[new_id].name;
    }
    ++s.num_curves;
    ++s.curves_per_edge[edge_of_slot(s, slot)];
}

// Hole lists are not ordered: the second half goes to the end.
void append_to_holes(Subregion& s, int old_id, int new_id) {
    const int holes = std::clamp(s.num_holes, 0, MAX_HOLES_PER_SUBREGION);
    for (int h = 1; h <= holes; ++h) {
        Hole& hole = s.holes[static_cast<std::size_t>(h)];
        const int n = std::min(hole.num_curves, MAX_CURVES_PER_HOLE);
        for (int m = 1; m <= n; ++m) {
            const int entry = hole.curves[static_cast<std::size_t>(m)];
            if (std::abs(entry) != old_id) continue;
            if (hole.num_curves + 1 > MAX_CURVES_PER_HOLE) {
                report("Increase MAX_CURVES_PER_HOLE(currently %i)\n", MAX_CURVES_PER_HOLE);
                fatal_stop();
            }
            hole.curves[static_cast<std::size_t>(++hole.num_curves)] = entry > 0 ? new_id : -new_id;
            break;
        }
    }
}

// Trees hold curve names; the second half's name goes to the end.
void append_to_trees(Subregion& s, const Name& old_name, const Name& new_name, int new_id) {
    const int trees = std::min(s.num_trees, static_cast<int>(s.trees.size()) - 1);
    for (int t = 1; t <= trees; ++t) {
        Tree& tree = s.trees[static_cast<std::size_t>(t)];
        const int n = std::min(tree.num_curves, tree.curve_capacity());
        for (int m = 1; m <= n; ++m) {
            if (!(tree.curve_names[static_cast<std::size_t>(m)] == old_name)) continue;
            if (tree.num_curves + 1 > tree.curve_capacity()) {
                report("Increase MAX_CURVES_PER_TREE(currently=%i)\n", tree.curve_capacity());
                fatal_stop();
            }
            const auto slot = static_cast<std::size_t>(++tree.num_curves);
            tree.curve_names[slot] = new_name;
            tree.curve_ids[slot] = new_id;
            break;
        }
    }
}

}  // namespace

int propagate_curve_split(Run& run, int first_signed, int new_second, int skip_patch) {
    const int old_id = std::abs(first_signed);
    const Name old_name = run.curves[old_id].name;
    const Name new_name = run.curves[new_second].name;
    for (int j = 1; j <= run.nPatches; ++j) {
        if (j == skip_patch) continue;
        insert_into_boundary(run, j, old_id, new_second);
        append_to_holes(run.patches[j], old_id, new_second);
        append_to_trees(run.patches[j], old_name, new_name, new_second);
    }
    return 1;
}

}  // namespace korvex
