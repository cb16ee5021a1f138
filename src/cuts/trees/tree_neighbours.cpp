// walltr_0, the end-point records of a tree (for every end of every tree
// curve, the other tree curves that end or start at the same point) and the
// look-ups of tree curves and their end points.
#include <cstdlib>

#include "base/messages.h"
#include "cuts/trees/trees.h"

namespace korvex {

namespace {

int add_neighbour(TreeEndPoint& e, int other, int code, int which) {
    if (e.nneis + 1 > MAX_NEIGHBOURS_FOR_CURVE_IN_TREE) {
        switch (which) {
            case 1: report("Increase MAX_NEIGHBOURS_FOR_CURVE_IN_TREE (currently %i)   (1)\n", MAX_NEIGHBOURS_FOR_CURVE_IN_TREE); break;
            case 2: report("Increase MAX_NEIGHBOURS_FOR_CURVE_IN_TREE (currently %i)   (2)\n", MAX_NEIGHBOURS_FOR_CURVE_IN_TREE); break;
            case 3: report("Increase MAX_NEIGHBOURS_FOR_CURVE_IN_TREE (currently %i)   (3)\n", MAX_NEIGHBOURS_FOR_CURVE_IN_TREE); break;
            default: report("Increase MAX_NEIGHBOURS_FOR_CURVE_IN_TREE (currently %i)   (4)\n", MAX_NEIGHBOURS_FOR_CURVE_IN_TREE); break;
        }
        return 0;
    }
    ++e.nneis;
    e.neighbours[static_cast<std::size_t>(e.nneis)] = other;
    e.codes[static_cast<std::size_t>(e.nneis)] = code;
    return 1;
}

}  // namespace

int tree_curve_id(const Run& run, const Tree& tree, int m) {
    const int id = std::abs(tree.curve_ids[static_cast<std::size_t>(m)]);
    if (id >= 1 && id <= run.nCurves && run.curves[id].name == tree.curve_names[static_cast<std::size_t>(m)]) return id;
    for (int i = 1; i <= run.nCurves; ++i)
        if (run.curves[i].name == tree.curve_names[static_cast<std::size_t>(m)]) return i;
    return 0;
}

int tree_curve_start(const Run& run, const Tree& tree, int m) {
    const int id = tree_curve_id(run, tree, m);
    return id ? run.curves[id].points_id[1] : 0;
}

int tree_curve_end(const Run& run, const Tree& tree, int m) {
    const int id = tree_curve_id(run, tree, m);
    return id ? run.curves[id].points_id[static_cast<std::size_t>(run.curves[id].num_points)] : 0;
}

int build_tree_neighbours(const Run& run, Tree& tree) {
    tree.ends.assign(static_cast<std::size_t>(tree.num_curves) + 1, TreeCurveEnds{});
    for (int i = 1; i <= tree.num_curves; ++i) {
        const int si = tree_curve_start(run, tree, i), ei = tree_curve_end(run, tree, i);
        if (si == 0) continue;
        TreeCurveEnds& ends = tree.ends[static_cast<std::size_t>(i)];
        for (int j = 1; j <= tree.num_curves; ++j) {
            if (j == i) continue;
            const int sj = tree_curve_start(run, tree, j), ej = tree_curve_end(run, tree, j);
            if (sj == 0) continue;
            if (si == sj && !add_neighbour(ends.start_point, j, kTouchesAtStart, 1)) return 0;
            if (si == ej && !add_neighbour(ends.start_point, j, kTouchesAtEnd, 2)) return 0;
            if (ei == sj && !add_neighbour(ends.end_point, j, kTouchesAtStart, 3)) return 0;
            if (ei == ej && !add_neighbour(ends.end_point, j, kTouchesAtEnd, 4)) return 0;
        }
    }
    return 1;
}

bool is_boundary_corner(const Run& run, const Subregion& s, int p) {
    for (int i = 1; i <= s.num_curves; ++i) {
        const Curve& c = run.curves[std::abs(s.curves_id[static_cast<std::size_t>(i)])];
        if (c.points_id[1] == p || c.points_id[static_cast<std::size_t>(c.num_points)] == p) return true;
    }
    return false;
}

int walltr_0(Run& run) {
    for (int k = 1; k <= run.nPatches; ++k) {
        report("In WALLTR_0.C: processing patch %i...\n", k);
        Subregion& s = run.patches[k];
        for (int t = 1; t <= s.num_trees; ++t) {
            Tree& tree = s.trees[static_cast<std::size_t>(t)];
            if (tree.name[1] != 'n') {
                report("In WALLTR_0.C: Subregion %s tree %s: number of curves in tree = %i\n", s.name.c_str(),
                       tree.name.c_str(), tree.num_curves);
                for (int m = 1; m <= tree.num_curves; ++m) {
                    const int id = tree_curve_id(run, tree, m);
                    tree.curve_ids[static_cast<std::size_t>(m)] = id;
                    if (id == 0)
                        report("In WALLTR_0.C: Curve %s stated in tree\n %s doesn't exist in CURVES data\n",
                               tree.curve_names[static_cast<std::size_t>(m)].c_str(), tree.name.c_str());
                }
                report("Tree %s (%i): global indexes of the comprising curves:\n", tree.name.c_str(), t);
                for (int m = 1; m <= tree.num_curves; ++m)
                    report("Global index=%6i    curve=%s\n", tree.curve_ids[static_cast<std::size_t>(m)],
                           tree.curve_names[static_cast<std::size_t>(m)].c_str());
            }
            if (!build_tree_neighbours(run, tree)) return 0;
        }
    }
    return 1;
}

}  // namespace korvex
