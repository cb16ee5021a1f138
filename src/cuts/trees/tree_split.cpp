// The splitter: a subregion is cut along a processed tree, that is a path of
// tree curves and connectors from a corner of the outer boundary back to the
// boundary. The new subregion is bounded by the path and the boundary from
// the path's far end on to its start; the parent keeps the path backwards
// and the rest of the boundary. Holes and the other trees go to the part
// that contains them.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/messages.h"
#include "cuts/holes/hole_removal.h"
#include "cuts/trees/trees.h"
#include "planar/plane_inclusion.h"

namespace korvex {

namespace {

// Position in the boundary chain of the curve that starts at point p, or 0.
int boundary_position(const Run& run, const Subregion& s, int p) {
    for (int i = 1; i <= s.num_curves; ++i) {
        const int sid = s.curves_id[static_cast<std::size_t>(i)];
        const Curve& c = run.curves[std::abs(sid)];
        if ((sid > 0 ? c.points_id[1] : c.points_id[static_cast<std::size_t>(c.num_points)]) == p) return i;
    }
    return 0;
}

// WALLTR2L: the path from the tree's first attachment on the boundary along
// the end-point records to the boundary again, as signed curve indexes.
int walk_tree_path(const Run& run, const Subregion& s, const Tree& tree, std::vector<int>& path, int& first, int& last) {
    int m = 0, sign = 0;
    for (int i = 1; i <= tree.num_curves && m == 0; ++i) {
        if (boundary_position(run, s, tree_curve_start(run, tree, i))) m = i, sign = 1;
        else if (boundary_position(run, s, tree_curve_end(run, tree, i))) m = i, sign = -1;
    }
    if (m == 0) {
        report("Internal error: tree sequence %s has no connection\n to the boundary.  (case a.1)\n", tree.name.c_str());
        return 0;
    }
    first = sign > 0 ? tree_curve_start(run, tree, m) : tree_curve_end(run, tree, m);
    path.assign(1, sign * tree_curve_id(run, tree, m));
    for (int steps = 1;; ++steps) {
        const int here = sign > 0 ? tree_curve_end(run, tree, m) : tree_curve_start(run, tree, m);
        if (boundary_position(run, s, here)) {
            last = here;
            return 1;
        }
        if (steps > tree.num_curves) {
            report("Internal error: number of steps in the 'loop_tree'\n  exceeds the number of curves in the tree\n");
            return 0;
        }
        const TreeCurveEnds& ends = tree.ends[static_cast<std::size_t>(m)];
        const TreeEndPoint& e = sign > 0 ? ends.end_point : ends.start_point;
        if (e.nneis < 1) {
            report("Internal error in WALLTR2L.C: icur_global=%i (ic_prev=%i)\n", tree_curve_id(run, tree, m), sign * m);
            return 0;
        }
        const int next = e.neighbours[1];
        if (next > tree.num_curves) {
            report("Internal error in WALLTR_2.C:\n iu(=%i)>patches[i=%i].trees[jtree=%i].num_curves(=%i)\n", next, 0,
                   tree.id, tree.num_curves);
            return 0;
        }
        sign = e.codes[1] == kTouchesAtStart ? 1 : -1;
        m = next;
        path.push_back(sign * tree_curve_id(run, tree, m));
    }
}

// Gives subregion s the single-edge boundary `loop` and its boundary nodes.
// The loop is started at a curve walked forward, because a plane
// subregion's boundary is read in the direction of its first curve: so both
// parts run the same way round as the parent. Curves of the old boundary
// (from position `from` on) are preferred, so that the loop does not start at
// a point of a tree still to be handed out.
int set_boundary(Run& run, Subregion& s, std::vector<int> loop, std::size_t from, bool parent) {
    auto forward = std::find_if(loop.begin() + static_cast<std::ptrdiff_t>(std::min(from, loop.size())), loop.end(),
                                [](int sid) { return sid > 0; });
    if (forward == loop.end()) forward = std::find_if(loop.begin(), loop.end(), [](int sid) { return sid > 0; });
    if (forward != loop.end()) std::rotate(loop.begin(), forward, loop.end());
    const int n = static_cast<int>(loop.size());
    if (n < 1) {
        if (parent) report("Internal error in WALLTR_2.C: nd2=%i < 1\n", n);
        else report("Internal error in WALLTR_2.C: nd1=%i < 1\n", n);
        return 0;
    }
    const int per_edge = run.settings.MAX_CURVES_PER_EDGE;
    if (n > MAX_EDGES_PER_SUBREGION * per_edge) {
        if (parent) report(" In WALLTR_2.C: nd1(=%i) > \nMAX_EDGES_PER_SUBREGION(=%i) * MAX_CURVES_PER_EDGE(=%i)  (D)\n", n, MAX_EDGES_PER_SUBREGION, per_edge);
        else report(" In WALLTR_2.C: nd1(=%i) > \nMAX_EDGES_PER_SUBREGION(=%i) * MAX_CURVES_PER_EDGE(=%i)  (C)\n", n, MAX_EDGES_PER_SUBREGION, per_edge);
        return 0;
    }
    s.num_edges = 1;
    s.num_curves = n;
    for (int& c : s.curves_per_edge) c = 0;
    s.curves_per_edge[1] = n;
    int np = 0;
    for (int i = 1; i <= n; ++i) {
        const int sid = loop[static_cast<std::size_t>(i - 1)];
        if (sid == 0) {
            if (parent) report("Error in WALLTR_2.C: Patwrk.curves_id[iu]=0\n");
            else report("Error in WALLTR_2.C: patches[*nPatches].curves_id[iu]=0\n");
            return 0;
        }
        const Curve& c = run.curves[std::abs(sid)];
        s.curves_id[static_cast<std::size_t>(i)] = sid;
        s.curve_names[static_cast<std::size_t>(i)] = c.name;
        const int m = c.num_new_points;
        for (int j = 1; j < m; ++j) {
            if (np + 1 > run.settings.MAX_NEW_POINTS || np + 1 > MAX_BOUNDARY_POINTS) {
                report("Increase MAX_NEW_POINTS(currently=%i)\n", run.settings.MAX_NEW_POINTS);
                report(parent ? "       (detected in WALLTR_2.C) (B)\n" : "       (detected in WALLTR_2.C) (A)\n");
                return 0;
            }
            s.points_id[static_cast<std::size_t>(++np)] = c.new_points_id[static_cast<std::size_t>(sid > 0 ? j : m + 1 - j)];
        }
    }
    s.num_points = np;
    return 1;
}

int new_part(Run& run, int k) {
    if (run.nPatches + 1 > run.settings.MAX_SUBREGIONS) {
        report("In WALLTR_2.C: nPacthes(=%i) > MAX_SUBREGIONS(=%i)\n      Increase MAX_SUBREGIONS\n", run.nPatches + 1,
               run.settings.MAX_SUBREGIONS);
        return 0;
    }
    return append_part(run, k, "Rp%06i");
}

// WALLTR2C: each saved hole goes to the part that contains it.
int hand_back_holes(Run& run, int k, int np, const std::vector<Hole>& holes) {
    PlaneUV uv;
    for (std::size_t i = 1; i < holes.size(); ++i) {
        Subregion& a = run.patches[k];
        Subregion& b = run.patches[np];
        a.holes[static_cast<std::size_t>(a.num_holes + 1)] = holes[i];
        b.holes[static_cast<std::size_t>(b.num_holes + 1)] = holes[i];
        int inside_i = 0, inside_nPatch = 0;
        if (!hole_in_plane_subregion(run, a, a.num_holes + 1, uv, inside_i) ||
            !hole_in_plane_subregion(run, b, b.num_holes + 1, uv, inside_nPatch))
            return 0;
        if (inside_i == inside_nPatch) {
            report("Error in WALLTR2C.C: for subregion %s hole %s: \ninside_i=%i inside_nPatch=%i\n", a.name.c_str(),
                   holes[i].name.c_str(), inside_i, inside_nPatch);
            report("(test point belongs to either both or neither of the new subregions)\n");
            return 0;
        }
        Subregion& to = inside_i ? a : b;
        ++to.num_holes;
        to.holes[static_cast<std::size_t>(to.num_holes)].id = to.num_holes;
    }
    return 1;
}

// WALLTR2D: each saved tree other than the one cut along goes to the part that contains it.
int hand_back_trees(Run& run, int k, int np, const std::vector<Tree>& trees, int cut) {
    PlaneUV uv;
    for (std::size_t i = 1; i < trees.size(); ++i) {
        if (static_cast<int>(i) == cut) continue;
        Subregion& a = run.patches[k];
        Subregion& b = run.patches[np];
        a.trees[static_cast<std::size_t>(a.num_trees + 1)] = trees[i];
        b.trees[static_cast<std::size_t>(b.num_trees + 1)] = trees[i];
        int inside_i = 0, inside_nPatch = 0;
        if (!tree_in_plane_subregion(run, a, a.num_trees + 1, uv, inside_i) ||
            !tree_in_plane_subregion(run, b, b.num_trees + 1, uv, inside_nPatch))
            return 0;
        if (inside_i && inside_nPatch) {
            report("Internal error(WALLTR_2.C): after PLANE_PT.C:\n both inside_i && inside_nPatch are TRUE (must be either or)\n");
            return 0;
        }
        if (!inside_i && !inside_nPatch) {
            report("Error in WALLTR2D.C: for subregion %s tree %s: \ninside_i=%i inside_nPatch=%i\n", a.name.c_str(),
                   trees[i].name.c_str(), inside_i, inside_nPatch);
            return 0;
        }
        Subregion& to = inside_i ? a : b;
        ++to.num_trees;
        to.trees[static_cast<std::size_t>(to.num_trees)].id = to.num_trees;
        report("In WALLTR2D.C: %s inside %s\n", trees[i].name.c_str(), to.name.c_str());
    }
    return 1;
}

}  // namespace

int split_along_tree(Run& run, int k, int t) {
    report("Entered WALLTR_2.C\n");
    const Subregion& s0 = run.patches[k];
    if (s0.plane[0] == 0 && s0.plane[1] == 0 && s0.plane[2] == 0) {
        report("Error in WALLTR_2.C input: (a,b,c)=(%g,%g,%g)\n", s0.plane[0], s0.plane[1], s0.plane[2]);
        return 0;
    }
    const std::vector<Hole> save_holes(s0.holes.begin(), s0.holes.begin() + s0.num_holes + 1);
    const std::vector<Tree> save_trees(s0.trees.begin(), s0.trees.begin() + s0.num_trees + 1);
    const std::vector<int> outer(s0.curves_id.begin(), s0.curves_id.begin() + s0.num_curves + 1);
    const int nb = s0.num_curves;

    std::vector<int> path;
    int first = 0, last = 0;
    if (!walk_tree_path(run, s0, save_trees[static_cast<std::size_t>(t)], path, first, last)) return 0;
    // Every curve and connector of the tree must lie on the path: a piece
    // left off it would silently carry no mesh edges.
    const Tree& cut = save_trees[static_cast<std::size_t>(t)];
    if (static_cast<int>(path.size()) != cut.num_curves) {
        report("Tree %s: its curves and connectors do not form one path from the boundary\n back to it (%i of %i on the path; are they connected?).\n",
               cut.name.c_str(), static_cast<int>(path.size()), cut.num_curves);
        return 0;
    }
    const int pos_first = boundary_position(run, s0, first), pos_last = boundary_position(run, s0, last);

    // The new part: the path, then the boundary from its far end on to its start.
    std::vector<int> part = path;
    for (int p = pos_last; p != pos_first; p = p % nb + 1) part.push_back(outer[static_cast<std::size_t>(p)]);
    // WALLTR2B: the path backwards, then the boundary the new part did not take.
    report("Entered WALLTR2B.C...\n");
    std::vector<int> rest;
    for (auto it = path.rbegin(); it != path.rend(); ++it) rest.push_back(-*it);
    int p = pos_first;
    do {
        rest.push_back(outer[static_cast<std::size_t>(p)]);
        p = p % nb + 1;
    } while (p != pos_last);
    report("... leaving WALLTR2B.C\n");

    const int np = new_part(run, k);
    if (np == 0) return 0;
    if (!set_boundary(run, run.patches[np], part, path.size(), false)) return 0;
    if (!set_boundary(run, run.patches[k], rest, path.size(), true)) {
        report("Unsuccessful return into WALLTR_2.C\n from WALLTR2B.C\n");
        return 0;
    }
    run.patches[k].num_holes = run.patches[np].num_holes = 0;
    run.patches[k].num_trees = run.patches[np].num_trees = 0;
    if (!hand_back_holes(run, k, np, save_holes)) {
        report("Unsuccessful return from WALLTR2C.C\n into WALLTR_2.C\n");
        return 0;
    }
    if (!hand_back_trees(run, k, np, save_trees, t)) {
        report("Unsuccessful return from WALLTR2D.C\n into WALLTR_2.C\n");
        return 0;
    }
    return 1;
}

}  // namespace korvex
