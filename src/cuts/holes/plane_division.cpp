// divide_PLANE_to_two_parts: a PLANE subregion is cut along two connectors
// that run from its hole to its outer boundary. The new subregion is bounded
// by the first connector, the outer boundary from the first connector's
// boundary corner on to the second's, the second connector backwards and the
// hole back to the first connector; the parent keeps the rest of the outer
// boundary and of the hole. The hole is walked against the outer boundary's
// sense, so that both parts come out as simple loops. The parent's other
// holes and its trees go to the part that contains them.
#include <cstdio>
#include <cstdlib>

#include "base/messages.h"
#include "cuts/holes/hole_removal.h"
#include "planar/plane_geometry.h"
#include "planar/plane_inclusion.h"

namespace korvex {

namespace {

// Curve positions of a closed chain of n curves from the corner at the start
// of curve `from` to the corner at the start of curve `to`: walked forward
// (curves from .. to-1, signs kept) or backward (curves from-1 .. to, reversed).
void walk_chain(const int* chain, int n, int from, int to, bool forward, std::vector<int>& out) {
    if (forward) {
        for (int p = from; p != to; p = p % n + 1) out.push_back(chain[p]);
        return;
    }
    for (int p = from == 1 ? n : from - 1;; p = p == 1 ? n : p - 1) {
        out.push_back(-chain[p]);
        if (p == to) break;
    }
}

// Gives subregion s the single-edge boundary `loop` and rebuilds its
// boundary nodes from it.
int set_boundary(Run& run, Subregion& s, const std::vector<int>& loop, const char* which) {
    const int n = static_cast<int>(loop.size());
    const int room = static_cast<int>(s.curves_id.size()) - 1;
    if (n > room) {
        report("MULT_CO2 internal error (%s)\n", which);
        report(" nd1=%i  neih=%i\n", n, room);
        return 0;
    }
    s.num_edges = 1;
    s.num_curves = n;
    for (int e = 0; e < 5; ++e) s.curves_per_edge[e] = 0;
    s.curves_per_edge[1] = n;
    int np = 0;
    for (int i = 1; i <= n; ++i) {
        const int sid = loop[static_cast<std::size_t>(i - 1)];
        const Curve& c = run.curves[std::abs(sid)];
        s.curves_id[static_cast<std::size_t>(i)] = sid;
        s.curve_names[static_cast<std::size_t>(i)] = c.name;
        const int m = c.num_new_points;
        for (int j = 1; j < m; ++j) {
            if (np + 1 > MAX_BOUNDARY_POINTS) {
                report("MULT_CO2 internal error (%s)\n", which);
                report(" nd2=%i  neih=%i\n", np + 1, MAX_BOUNDARY_POINTS);
                return 0;
            }
            s.points_id[static_cast<std::size_t>(++np)] = c.new_points_id[static_cast<std::size_t>(sid > 0 ? j : m + 1 - j)];
        }
    }
    s.num_points = np;
    return 1;
}

}  // namespace

int append_part(Run& run, int k, const char* name_format) {
    const int np = run.new_patch_slot();
    const Subregion& parent = run.patches[k];
    Subregion& part = run.patches[np];
    char name[32];
    std::snprintf(name, sizeof name, name_format, np);
    part.name = name;
    part.original_name = parent.original_name;
    part.type = parent.type;
    part.REF = parent.REF;
    for (int a = 0; a < 3; ++a) {
        part.axis_cos[a] = parent.axis_cos[a];
        part.centre[a] = parent.centre[a];
    }
    for (int a = 0; a < 4; ++a) part.plane[a] = parent.plane[a];
    part.id = parent.id;
    part.num_edges_original = parent.num_edges_original;
    part.preprocessed_marker = parent.preprocessed_marker;
    run.nPatches = np;
    return np;
}

namespace {

// The new subregion for the part cut off k (no holes or trees yet).
int new_part(Run& run, int k) {
    if (run.nPatches + 1 > run.settings.MAX_SUBREGIONS) {
        report(" Increase MAX_SUBREGIONS in KORVEX.H file.\n");
        return 0;
    }
    return append_part(run, k, "Rpa%05i");
}

// Holes other than `cut` go to the part that contains them.
int distribute_holes(Run& run, int k, int np, int cut, const std::vector<Hole>& save_holes) {
    PlaneUV uv;
    run.patches[k].num_holes = 0;
    for (std::size_t i = 1; i < save_holes.size(); ++i) {
        if (static_cast<int>(i) == cut) continue;
        Subregion& parent = run.patches[k];
        Subregion& part = run.patches[np];
        const Hole& h = save_holes[i];
        parent.holes[static_cast<std::size_t>(parent.num_holes + 1)] = h;
        part.holes[static_cast<std::size_t>(part.num_holes + 1)] = h;
        int inside_i = 0, inside_nPatch = 0;
        if (!hole_in_plane_subregion(run, parent, parent.num_holes + 1, uv, inside_i)) {
            report("Error in MULT_CO2.C: unsuccessful return from PLANE_P4.C   (1)\n");
            return 0;
        }
        if (!inside_i && !hole_in_plane_subregion(run, part, part.num_holes + 1, uv, inside_nPatch)) {
            report("Error in MULT_CO2.C: unsuccessful return from PLANE_P4.C   (2)\n");
            return 0;
        }
        if (!inside_i && !inside_nPatch) {
            report("Error in MULT_CO2.C: for subregion %s hole %s: \ninside_i=%i inside_nPatch=%i\n",
                   parent.name.c_str(), h.name.c_str(), inside_i, inside_nPatch);
            report("(test point belongs to neither of the new subregions)\n");
            return 0;
        }
        Subregion& to = inside_i ? parent : part;
        to.num_holes += 1;
        to.holes[static_cast<std::size_t>(to.num_holes)].id = to.num_holes;
        report("%s inside %s\n", h.name.c_str(), to.name.c_str());
    }
    return 1;
}

// Every tree goes to the part that contains it.
int distribute_trees(Run& run, int k, int np, const std::vector<Tree>& save_trees) {
    PlaneUV uv;
    run.patches[k].num_trees = 0;
    for (std::size_t i = 1; i < save_trees.size(); ++i) {
        Subregion& parent = run.patches[k];
        Subregion& part = run.patches[np];
        const Tree& t = save_trees[i];
        if (parent.num_trees + 1 > MAX_TREES_PER_SUBREGION || part.num_trees + 1 > MAX_TREES_PER_SUBREGION) {
            report("Increase MAX_TREES_PER_SUBREGION(currently=%i)\n", MAX_TREES_PER_SUBREGION);
            return 0;
        }
        parent.trees[static_cast<std::size_t>(parent.num_trees + 1)] = t;
        part.trees[static_cast<std::size_t>(part.num_trees + 1)] = t;
        int inside_i = 0, inside_nPatch = 0;
        if (!tree_in_plane_subregion(run, parent, parent.num_trees + 1, uv, inside_i)) {
            report("Error in MULT_CO2.C: unsuccessful return from PLANE_PT.C   (1)\n");
            return 0;
        }
        if (!tree_in_plane_subregion(run, part, part.num_trees + 1, uv, inside_nPatch)) {
            report("Error in MULT_CO2.C: unsuccessful return from PLANE_PT.C   (2)\n");
            return 0;
        }
        if (inside_i && inside_nPatch) {
            report("Internal error(MULT_CO2.C): after PLANE_PT.C:\n both inside_i && inside_nPatch are TRUE (must be either or)\n");
            return 0;
        }
        if (!inside_i && !inside_nPatch) {
            report("Error in MULT_CO2.C: for subregion %s tree %s: \ninside_i=%i inside_nPatch=%i\n",
                   parent.name.c_str(), t.name.c_str(), inside_i, inside_nPatch);
            return 0;
        }
        Subregion& to = inside_i ? parent : part;
        to.num_trees += 1;
        to.trees[static_cast<std::size_t>(to.num_trees)].id = to.num_trees;
        report("%s inside %s\n", t.name.c_str(), to.name.c_str());
    }
    return 1;
}

}  // namespace

int divide_PLANE_to_two_parts(Run& run, int k, int hole, double hole_angle, const Connector& conn1,
                              const Connector& conn2, int c1, int c2) {
    if (run.curves[c1].name.length() < 2 || run.curves[c2].name.length() < 2) {
        const bool first = run.curves[c1].name.length() < 2;
        report(first ? "MULT_CO2.C input error: 1st connector curve[%i].name='%s' <2\n"
                     : "MULT_CO2.C input error: 2nd connector curve[%i].name='%s' <2\n",
               first ? c1 : c2, run.curves[first ? c1 : c2].name.c_str());
        report("\nLeaving MULT_CO2.C\n");
        return 0;
    }
    {
        const Subregion& parent = run.patches[k];
        if (parent.plane[0] == 0 && parent.plane[1] == 0 && parent.plane[2] == 0) {
            report("Error in MULT_CO2.C input: (a,b,c)=(%g,%g,%g)\n", parent.plane[0], parent.plane[1], parent.plane[2]);
            return 0;
        }
    }
    // Copies first: the parent record is rewritten below.
    const Subregion& parent0 = run.patches[k];
    const std::vector<int> outer(parent0.curves_id.begin(), parent0.curves_id.begin() + parent0.num_curves + 1);
    const Hole cut = parent0.holes[static_cast<std::size_t>(hole)];
    const std::vector<Hole> save_holes(parent0.holes.begin(), parent0.holes.begin() + parent0.num_holes + 1);
    const std::vector<Tree> save_trees(parent0.trees.begin(), parent0.trees.begin() + parent0.num_trees + 1);

    const bool same_sense = hole_angle < kPi / 2;
    const int nb = static_cast<int>(outer.size()) - 1;
    std::vector<int> part_loop{c1}, parent_loop{c2};
    walk_chain(outer.data(), nb, conn1.end_pos, conn2.end_pos, true, part_loop);
    part_loop.push_back(-c2);
    walk_chain(cut.curves.data(), cut.num_curves, conn2.start_pos, conn1.start_pos, !same_sense, part_loop);
    walk_chain(outer.data(), nb, conn2.end_pos, conn1.end_pos, true, parent_loop);
    parent_loop.push_back(-c1);
    walk_chain(cut.curves.data(), cut.num_curves, conn1.start_pos, conn2.start_pos, !same_sense, parent_loop);

    const int np = new_part(run, k);
    if (np == 0) return 0;
    if (!set_boundary(run, run.patches[np], part_loop, "loop1")) return 0;
    if (!set_boundary(run, run.patches[k], parent_loop, "loop2")) return 0;
    if (!distribute_holes(run, k, np, hole, save_holes)) return 0;
    return distribute_trees(run, k, np, save_trees);
}

}  // namespace korvex
