// internal_segments_and_curves_processing (WALLTREE): every tree of a PLANE
// subregion becomes boundary. Branching trees are walked into simple
// sequences; each free end of a tree gets a straight connector to the outer
// boundary, and the subregion is cut along the tree and its connectors.
// Passes repeat with a growing allowance for long connectors until no tree
// is left or a pass changes nothing.
#include <cstdlib>

#include "base/messages.h"
#include "cuts/cuts.h"
#include "cuts/trees/trees.h"

namespace korvex {

namespace {

constexpr int kMaxPasses = 10000;
constexpr int kMaxSweeps = 100000;
constexpr double kFirstAngle = 1.3962634015954636;  // 80 degrees
constexpr int kMarkExamining = -1;
constexpr int kMarkBothEndsFree = -5;

bool any_trees(const Run& run) {
    for (int k = 1; k <= run.nPatches; ++k)
        if (run.patches[k].num_trees > 0) return true;
    return false;
}

// A point is connected when a boundary curve or a curve of another tree of the subregion ends there.
bool connected(const Run& run, const Subregion& s, int t, int p) {
    if (is_boundary_corner(run, s, p)) return true;
    for (int o = 1; o <= s.num_trees; ++o) {
        if (o == t) continue;
        const Tree& other = s.trees[static_cast<std::size_t>(o)];
        for (int m = 1; m <= other.num_curves; ++m)
            if (tree_curve_start(run, other, m) == p || tree_curve_end(run, other, m) == p) return true;
    }
    return false;
}

void reset_markers(Tree& tree) {
    for (TreeCurveEnds& e : tree.ends) {
        if (e.start_point.marker == kMarkExamining) e.start_point.marker = 0;
        if (e.end_point.marker == kMarkExamining) e.end_point.marker = 0;
    }
}

// One end of curve m: examined once; a free end gets its connector.
// Returns 1 (nothing or connector added; added is set), 2 (search failed), 0 failure.
int examine_end(Run& run, int k, int t, int m, int mode, int iter_length, bool& added) {
    Tree& tree = run.patches[k].trees[static_cast<std::size_t>(t)];
    TreeEndPoint& e = mode == 1 ? tree.ends[static_cast<std::size_t>(m)].start_point
                                : tree.ends[static_cast<std::size_t>(m)].end_point;
    if (e.marker != 0) return 1;
    e.marker = kMarkExamining;
    const int p = mode == 1 ? tree_curve_start(run, tree, m) : tree_curve_end(run, tree, m);
    if (p == 0 || e.nneis > 0 || connected(run, run.patches[k], t, p)) return 1;
    report(mode == 1 ? "First call to boundary_loop_search():\n" : "Second call to boundary_loop_search():\n");
    if (!boundary_loop_search(run, k, t, m, mode, iter_length, kFirstAngle)) {
        report("Unsuccessful return from boundary_loop_search()\n (file WALLTREE.C)\n");
        return 2;
    }
    added = true;
    return 1;
}

// The sweeps over tree t, then the cut. Returns 1 (cut), 2 (left for a later pass), 0 failure.
int sweep_and_split(Run& run, int k, int t, int iter_length) {
    bool added = true;
    int i_do = 0;
    while (added) {
        added = false;
        if (++i_do > kMaxSweeps) {
            report("i_do=%i too large. Report to Norvane.\n", i_do);
            return 0;
        }
        report(" WALLTREE.C: running 'do' loop iteration i_do=%i\n", i_do);
        for (int m = 1; m <= run.patches[k].trees[static_cast<std::size_t>(t)].num_curves; ++m) {
            for (int mode = 1; mode <= 2; ++mode) {
                const int r = examine_end(run, k, t, m, mode, iter_length, added);
                if (r == 0) return 0;
                if (r == 2) {
                    reset_markers(run.patches[k].trees[static_cast<std::size_t>(t)]);
                    return 2;
                }
            }
        }
    }
    report("WALLTREE.C: 'do' loop complete in %i steps\n", i_do);
    Tree& tree = run.patches[k].trees[static_cast<std::size_t>(t)];
    reset_markers(tree);
    for (int m = 1; m <= tree.num_curves; ++m) {
        TreeCurveEnds& e = tree.ends[static_cast<std::size_t>(m)];
        if (e.start_point.nneis == 0 && e.end_point.nneis == 0 &&
            !connected(run, run.patches[k], t, tree_curve_start(run, tree, m)) &&
            !connected(run, run.patches[k], t, tree_curve_end(run, tree, m)))
            e.start_point.marker = e.end_point.marker = kMarkBothEndsFree;
    }
    report("\nRight before WALLTR_2.C:\n\n");
    if (!split_along_tree(run, k, t)) {
        report("Unsuccessful (returning from WALLTR_2.C to WALLTREE.C)\n");
        return 0;
    }
    return 1;
}

// Whether sequence t may be swept now: its start must lie on the boundary.
int sequence_ready(const Run& run, int k, int t, bool& ready) {
    const Subregion& s = run.patches[k];
    const Tree& tree = s.trees[static_cast<std::size_t>(t)];
    if (tree.ipstart < 1) {
        report("Error in WALLTREE.C: patch[%i]=%s tree[%i]=%s ipstart=%i\n", k, s.name.c_str(), t, tree.name.c_str(),
               tree.ipstart);
        return 0;
    }
    ready = is_boundary_corner(run, s, tree.ipstart);
    return 1;
}

// One tree of subregion k: 1 cut, 2 left as it is, 0 failure.
int process_tree(Run& run, int k, int t, int iter_length) {
    Tree& tree = run.patches[k].trees[static_cast<std::size_t>(t)];
    if (tree.num_curves >= 3 && tree.name[1] != 'n') {
        if (!branching_trees_common_case(run, k, t)) return 0;
        report("Back from WALLTRB1 into WALLTREE\n");
    }
    if (run.patches[k].trees[static_cast<std::size_t>(t)].name[1] == 'n') {
        // Sequences of any length wait for their start: a short one swept
        // early would have no way back to the boundary.
        bool ready = false;
        if (!sequence_ready(run, k, t, ready)) return 0;
        if (!ready) return 2;
    }
    return sweep_and_split(run, k, t, iter_length);
}

// One pass over every tree of every subregion.
int one_pass(Run& run, int iter_length) {
    for (int k = 1; k <= run.nPatches; ++k) {
        for (int t = 1; t <= run.patches[k].num_trees;) {
            const int r = process_tree(run, k, t, iter_length);
            if (r == 0) return 0;
            // After a cut the subregion's trees were handed out anew: start again from its first.
            t = r == 1 ? 1 : t + 1;
        }
    }
    return 1;
}

}  // namespace

int internal_segments_and_curves_processing(Run& run) {
    report("\n\n\n\n\nWALLTREE.C entered\n");
    if (!any_trees(run)) {
        run.all_trees_processed = 1;
        return 1;
    }
    if (!walltr_0(run)) {
        report("Unsuccessful return from walltr_0()\n");
        return 0;
    }
    int iter_length = 2;
    for (int pass = 1;; ++pass) {
        if (pass > kMaxPasses) {
            report("Too many unprocessed trees in WALLTREE\n supposedly an internal error\n");
            return 0;
        }
        const int patches_before = run.nPatches;
        if (!one_pass(run, iter_length)) return 0;
        if (!any_trees(run)) {
            run.all_trees_processed = 1;
            break;
        }
        if (run.nPatches == patches_before && iter_length == 3) {
            run.all_trees_processed = 0;
            break;
        }
        if (iter_length < 3) ++iter_length;
    }
    report("Leaving WALLTREE.C\n");
    return 1;
}

}  // namespace korvex
