// The subdivision stage: every PLANE subregion's outer boundary, holes and
// trees are swept until a sweep cuts nothing.
#include <cstdlib>

#include "base/messages.h"
#include "model/name_lookup.h"
#include "refinement/curve_subdivision.h"
#include "refinement/refinement.h"

namespace korvex {

namespace {

// One loop (outer boundary or a hole) swept until nothing more is cut.
int subdivide_loop(Run& run, int k, int hole, NearPointIndex& near) {
    const char* q_note = hole == 0
        ? " Q-curves of the outer boundaries of \n multiply-connected subregions not subjected to subdivisions yet\n (to be implemented)\n"
        : " Internal points of Q-curves of holes of \n multiply-connected subregions not subjected to subdivisions yet\n (to be implemented)\n";
    bool divided = true;
    while (divided) {
        divided = false;
        for (int pos = 1;; ++pos) {
            const Subregion& patch = run.patches[k];
            const int size = hole ? patch.holes[static_cast<std::size_t>(hole)].num_curves : patch.num_curves;
            if (pos > size) break;
            const int entry = hole ? patch.holes[static_cast<std::size_t>(hole)].curves[static_cast<std::size_t>(pos)]
                                   : patch.curves_id[static_cast<std::size_t>(pos)];
            const Name name = run.curves[std::abs(entry)].name;
            if (name.starts_with("QL")) {
                if (!divide_line_to_2_on_MC_boundary(run, k, hole, pos, divided)) {
                    report("Unsuccessful return from divide_line_to_2_on_MC_boundary() in KORVEX.C\n");
                    return 0;
                }
            } else if (name[0] == 'C') {
                if (!divide_arc_to_2_on_MC_boundary(run, k, hole, pos, divided, near)) {
                    report("Unsuccessful return from divide_arc_to_2_on_MC_boundary() in KORVEX.C\n");
                    return 0;
                }
            } else {
                report("%s", q_note);
            }
        }
    }
    return 1;
}

int subdivide_tree(Run& run, int k, int t) {
    bool divided = true;
    while (divided) {
        divided = false;
        for (int m = 1; m <= run.patches[k].trees[static_cast<std::size_t>(t)].num_curves; ++m) {
            Tree& tree = run.patches[k].trees[static_cast<std::size_t>(t)];
            const Name name = tree.curve_names[static_cast<std::size_t>(m)];
            const int id = find_curve(run, name.view());
            if (id == 0) {
                report("KORVEX.C internal error:\ncurve %s not found in the global array\n", name.c_str());
                return 0;
            }
            tree.curve_ids[static_cast<std::size_t>(m)] = id;
            if (name.starts_with("QL")) {
                if (!divide_line_2_on_tree(run, k, t, m, divided)) {
                    report("Unsuccessful return from divide_line_2_on_tree() in KORVEX.C\n");
                    return 0;
                }
            } else if (name[0] != 'C') {
                report(" Q-curves of trees \n not subjected to subdivisions yet\n (to be implemented)\n");
            }
        }
    }
    return 1;
}

int subdivide_patch(Run& run, int k, NearPointIndex& near) {
    report("In QUAD_ESD.C: performing additional \n subdivisions of boundary and/or internal \n ('tree') entities (if any) for subregion %s\n",
           run.patches[k].name.c_str());
    if (!check_subdivision_room(run, k)) return 0;
    if (!subdivide_loop(run, k, 0, near)) return 0;
    for (int h = 1; h <= run.patches[k].num_holes; ++h)
        if (!subdivide_loop(run, k, h, near)) return 0;
    if (run.patches[k].num_trees == 0) {
        report("No trees.\n");
        return 1;
    }
    for (int t = 1; t <= run.patches[k].num_trees; ++t)
        if (!subdivide_tree(run, k, t)) return 0;
    return 1;
}

}  // namespace

int activate_entities_subdivisions(Run& run) {
    report("\nEntered QUAD_ESD.C\n\n");
    int ok = 1;
    NearPointIndex near;  // the stage only adds points
    for (int k = 1; k <= run.nPatches && ok; ++k)
        if (run.patches[k].type == TYPE_PLANE) ok = subdivide_patch(run, k, near);
    report("\nFinished QUAD_ESD.C\n\n");
    return ok;
}

}  // namespace korvex
