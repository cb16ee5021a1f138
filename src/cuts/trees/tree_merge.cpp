// TREEMERG: trees of one subregion that touch at a free point (a point on
// neither the outer boundary nor a hole) are one tree for the walk, so the
// later tree's curves are appended to the earlier tree and the later tree
// leaves the list.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "base/messages.h"
#include "cuts/cuts.h"
#include "cuts/trees/trees.h"

namespace korvex {

namespace {

// Where a tree point lies.
enum PointPlace { kFree = 0, kOnBoundary = 1, kOnHole = 2 };

// The distinct end points of the tree's curves, in order of appearance.
int list_tree_points(const Run& run, const Tree& tree, std::vector<int>& points, bool merged) {
    points.clear();
    for (int m = 1; m <= tree.num_curves; ++m) {
        const int id = tree_curve_id(run, tree, m);
        if (id == 0) continue;
        const Curve& c = run.curves[id];
        for (int p : {c.points_id[1], c.points_id[static_cast<std::size_t>(c.num_points)]}) {
            if (std::find(points.begin(), points.end(), p) != points.end()) continue;
            points.push_back(p);
        }
    }
    if (static_cast<int>(points.size()) > run.settings.MAX_POINTS_PER_TREE - 3) {
        if (merged)
            report("Increase MAX_POINTS_PER_TREE in KORVEX.H\n (currently=%i;  error identified in TREEMERG.C)  (B)\n",
                   run.settings.MAX_POINTS_PER_TREE);
        else
            report("Increase MAX_POINTS_PER_TREE in KORVEX.H\n (currently=%i;  error identified in TREEMERG.C)  (A)\n",
                   run.settings.MAX_POINTS_PER_TREE);
        return 0;
    }
    return 1;
}

bool is_hole_corner(const Run& run, const Subregion& s, int p) {
    for (int h = 1; h <= s.num_holes; ++h) {
        const Hole& hole = s.holes[static_cast<std::size_t>(h)];
        for (int i = 1; i <= hole.num_curves; ++i) {
            const Curve& c = run.curves[std::abs(hole.curves[static_cast<std::size_t>(i)])];
            if (c.points_id[1] == p || c.points_id[static_cast<std::size_t>(c.num_points)] == p) return true;
        }
    }
    return false;
}

PointPlace place_of(const Run& run, const Subregion& s, int p) {
    const int node = run.points[p].new_id;
    if (node != 0)
        for (int i = 1; i <= s.num_points; ++i)
            if (s.points_id[static_cast<std::size_t>(i)] == node) return kOnBoundary;
    return is_hole_corner(run, s, p) ? kOnHole : kFree;
}

// The free points of every tree of subregion k (slot t for tree t).
int free_points_of_trees(const Run& run, int k, std::vector<std::vector<int>>& free_points) {
    const Subregion& s = run.patches[k];
    free_points.assign(static_cast<std::size_t>(s.num_trees) + 1, {});
    std::vector<int> points;
    for (int t = 1; t <= s.num_trees; ++t) {
        if (!list_tree_points(run, s.trees[static_cast<std::size_t>(t)], points, false)) return 0;
        for (int p : points)
            if (place_of(run, s, p) == kFree) free_points[static_cast<std::size_t>(t)].push_back(p);
    }
    return 1;
}

// Appends tree t2's curves to tree t1, then closes the gap t2 leaves.
int merge_two_trees(Run& run, int k, int t1, int t2) {
    Subregion& s = run.patches[k];
    Tree& a = s.trees[static_cast<std::size_t>(t1)];
    Tree& b = s.trees[static_cast<std::size_t>(t2)];
    if (a.num_curves + b.num_curves > run.settings.MAX_CURVES_PER_TREE - 3 ||
        a.num_curves + b.num_curves > a.curve_capacity()) {
        report("Increase MAX_CURVES_PER_TREE in KORVEX.H\n (currently=%i;  error identified in TREEMERG.C)\n",
               run.settings.MAX_CURVES_PER_TREE);
        return 0;
    }
    for (int m = 1; m <= b.num_curves; ++m) {
        const auto slot = static_cast<std::size_t>(++a.num_curves);
        a.curve_names[slot] = b.curve_names[static_cast<std::size_t>(m)];
        a.curve_ids[slot] = b.curve_ids[static_cast<std::size_t>(m)];
    }
    std::vector<int> merged;
    if (!list_tree_points(run, a, merged, true)) return 0;
    b.name = Name{};
    b.num_curves = 0;
    // The emptied record moves to the end of the list; the later trees move down one place.
    std::rotate(s.trees.begin() + t2, s.trees.begin() + t2 + 1, s.trees.begin() + s.num_trees + 1);
    --s.num_trees;
    for (int t = t2; t <= s.num_trees; ++t) s.trees[static_cast<std::size_t>(t)].id = t;
    return 1;
}

// Finds the first pair of trees sharing a free point and merges it.
int merge_one_pair(Run& run, int k, bool& merged) {
    merged = false;
    std::vector<std::vector<int>> free_points;
    if (!free_points_of_trees(run, k, free_points)) return 0;
    const Subregion& s = run.patches[k];
    for (int t1 = 1; t1 <= s.num_trees; ++t1) {
        if (s.trees[static_cast<std::size_t>(t1)].name.empty()) continue;
        for (int p : free_points[static_cast<std::size_t>(t1)]) {
            for (int t2 = t1 + 1; t2 <= s.num_trees; ++t2) {
                const auto& other = free_points[static_cast<std::size_t>(t2)];
                if (std::find(other.begin(), other.end(), p) == other.end()) continue;
                merged = true;
                return merge_two_trees(run, k, t1, t2);
            }
        }
    }
    return 1;
}

}  // namespace

int tree_merge(Run& run) {
    report("Entered TREEMERG.C ...\n");
    for (int k = 1; k <= run.nPatches; ++k) {
        if (run.patches[k].num_trees <= 0) continue;
        for (bool merged = true; merged;)
            if (!merge_one_pair(run, k, merged)) return 0;
    }
    return 1;
}

}  // namespace korvex
