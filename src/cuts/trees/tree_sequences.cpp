// branching_trees_common_case: a user tree with branch points is walked into
// simple sequences, each a chain of curves, every curve in exactly one.
//
// The rule:
// - The first sequence starts at the first tree point (curves in order,
//   start point before end point) that lies on the outer boundary; failing
//   that at the first free end (a point only one tree curve reaches); failing
//   that at the first curve's start point.
// - A walk leaves its start along the first tree curve (in tree order) not
//   yet in a sequence. At each point it reaches it stops when the point is a
//   free end, lies on the outer boundary, on another tree of the subregion or
//   on an earlier sequence; otherwise it goes on along the first curve at that
//   point not yet in a sequence (or, when all are taken, the first one other
//   than the curve it came by). So the first sequence runs from boundary or
//   free end through branch points to the boundary or another free end, and
//   after its cut every branch point on it lies on the boundary.
// - Each later sequence starts at the first point of the earlier sequences
//   (in their order) that still has a curve outside every sequence; that
//   point is its ipstart, and it waits until that point lies on the boundary.
// - A walk that has not ended after 100 x MAX_CURVES_PER_TREE steps (a ring
//   of curves with no end), and curves that no walk reaches (a tree in
//   separate pieces), mean that the tree is not a connected set of branches.
// The tree keeps its first sequence under its own name, so that it is swept
// at once; the others are appended as trees "Tn%06i".
#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/messages.h"
#include "cuts/trees/trees.h"

namespace korvex {

namespace {

constexpr int kGuardStepsPerCurve = 100;

struct Sequence {
    int ipstart = 0;
    std::vector<int> curves;  // positions in the tree, in walk order
    std::vector<int> points;  // the start, then each point reached
};

class TreeWalk {
public:
    TreeWalk(const Run& run, int k, int t) : run_(run), s_(run.patches[k]), t_(t), tree_(s_.trees[static_cast<std::size_t>(t)]) {
        const int n = tree_.num_curves;
        in_sequence_.assign(static_cast<std::size_t>(n) + 1, false);
        limit_ = static_cast<long>(kGuardStepsPerCurve) * run.settings.MAX_CURVES_PER_TREE;
    }

    // 1 when every curve is in a sequence, 0 when the walk does not end.
    int run_all(std::vector<Sequence>& out) {
        int start = first_start();
        while (start != 0) {
            Sequence seq;
            seq.ipstart = start;
            if (!walk(seq)) return 0;
            out.push_back(seq);
            sequences_.push_back(seq);
            start = next_start();
        }
        for (int m = 1; m <= tree_.num_curves; ++m)
            if (!in_sequence_[static_cast<std::size_t>(m)] && tree_curve_id(run_, tree_, m) != 0) return 0;
        return 1;
    }

private:
    int start_of(int m) const { return tree_curve_start(run_, tree_, m); }
    int end_of(int m) const { return tree_curve_end(run_, tree_, m); }

    int degree(int p) const {
        int d = 0;
        for (int m = 1; m <= tree_.num_curves; ++m) d += (start_of(m) == p) + (end_of(m) == p);
        return d;
    }

    bool on_other_tree(int p) const {
        for (int t = 1; t <= s_.num_trees; ++t) {
            if (t == t_) continue;
            const Tree& o = s_.trees[static_cast<std::size_t>(t)];
            for (int m = 1; m <= o.num_curves; ++m)
                if (tree_curve_start(run_, o, m) == p || tree_curve_end(run_, o, m) == p) return true;
        }
        return false;
    }

    bool on_earlier_sequence(int p) const {
        for (const Sequence& q : sequences_)
            if (std::find(q.points.begin(), q.points.end(), p) != q.points.end()) return true;
        return false;
    }

    bool stops_at(int p) const {
        return degree(p) == 1 || is_boundary_corner(run_, s_, p) || on_other_tree(p) || on_earlier_sequence(p);
    }

    int first_start() const {
        for (int m = 1; m <= tree_.num_curves; ++m)
            for (int p : {start_of(m), end_of(m)})
                if (p != 0 && is_boundary_corner(run_, s_, p)) return p;
        for (int m = 1; m <= tree_.num_curves; ++m)
            for (int p : {start_of(m), end_of(m)})
                if (p != 0 && degree(p) == 1) return p;
        return tree_.num_curves >= 1 ? start_of(1) : 0;
    }

    // The first curve at p other than `from`, preferring one outside every sequence.
    int next_curve(int p, int from) const {
        int any = 0;
        for (int m = 1; m <= tree_.num_curves; ++m) {
            if (m == from || (start_of(m) != p && end_of(m) != p)) continue;
            if (!in_sequence_[static_cast<std::size_t>(m)]) return m;
            if (any == 0) any = m;
        }
        return any;
    }

    int next_start() const {
        for (const Sequence& q : sequences_)
            for (int p : q.points)
                for (int m = 1; m <= tree_.num_curves; ++m)
                    if (!in_sequence_[static_cast<std::size_t>(m)] && (start_of(m) == p || end_of(m) == p)) return p;
        return 0;
    }

    int walk(Sequence& seq) {
        int p = seq.ipstart, from = 0;
        seq.points.push_back(p);
        for (;;) {
            const int m = next_curve(p, from);
            if (m == 0) return 1;
            if (++steps_ > limit_) return 0;
            if (!in_sequence_[static_cast<std::size_t>(m)]) {
                in_sequence_[static_cast<std::size_t>(m)] = true;
                seq.curves.push_back(m);
            }
            p = start_of(m) == p ? end_of(m) : start_of(m);
            from = m;
            seq.points.push_back(p);
            if (stops_at(p)) return 1;
        }
    }

    const Run& run_;
    const Subregion& s_;
    int t_;
    const Tree& tree_;
    std::vector<bool> in_sequence_;
    std::vector<Sequence> sequences_;
    long steps_ = 0;
    long limit_ = 0;
};

// Tree slot `slot` of subregion k gets the curves of `seq` taken from `from`.
int store_sequence(Run& run, Tree& to, const Tree& from, const Sequence& seq) {
    const int n = static_cast<int>(seq.curves.size());
    std::vector<Name> names;
    std::vector<int> ids;
    for (int m : seq.curves) {
        names.push_back(from.curve_names[static_cast<std::size_t>(m)]);
        ids.push_back(tree_curve_id(run, from, m));
    }
    std::fill(to.curve_ids.begin(), to.curve_ids.end(), 0);
    for (int i = 1; i <= n; ++i) {
        to.curve_names[static_cast<std::size_t>(i)] = names[static_cast<std::size_t>(i - 1)];
        to.curve_ids[static_cast<std::size_t>(i)] = ids[static_cast<std::size_t>(i - 1)];
    }
    to.num_curves = n;
    to.ipstart = seq.ipstart;
    return build_tree_neighbours(run, to);
}

int walk_did_not_end(const Run& run, const Tree& tree) {
    if (run.settings.tree_guard) throw TreeException{tree.name.c_str()};
    report("Tree %s: the walk along its curves does not end\n (a closed ring of curves, or curves not connected to the rest of the tree).\n",
           tree.name.c_str());
    return 0;
}

}  // namespace

int branching_trees_common_case(Run& run, int k, int t) {
    report("\n** Entered WALLTRB0.C (branching_trees_common_case): tree j=%i\n", t);
    std::vector<Sequence> sequences;
    {
        TreeWalk walk(run, k, t);
        if (!walk.run_all(sequences)) return walk_did_not_end(run, run.patches[k].trees[static_cast<std::size_t>(t)]);
    }
    Subregion& s = run.patches[k];
    const Tree user = s.trees[static_cast<std::size_t>(t)];
    for (std::size_t i = 0; i < sequences.size(); ++i) {
        int slot = t;
        if (i > 0) {
            if (s.num_trees + 1 > MAX_TREES_PER_SUBREGION) {
                report("Increase MAX_TREES_PER_SUBREGION(currenlt=%i)  (A)\n", MAX_TREES_PER_SUBREGION);
                return 0;
            }
            slot = ++s.num_trees;
            Tree& seq = s.trees[static_cast<std::size_t>(slot)];
            char name[32];
            std::snprintf(name, sizeof name, "Tn%06i", ++run.tree_sequences);
            seq.name = name;
            seq.id = slot;
        } else if (sequences.size() == 1) {
            break;  // no branch point: the tree is one sequence already
        }
        Tree& to = s.trees[static_cast<std::size_t>(slot)];
        if (!store_sequence(run, to, user, sequences[i])) return 0;
        report("In WALLTRB0.C: sequence_being_built->tree_name=%s   ipstart=%i  %s\n", to.name.c_str(), to.ipstart,
               run.points[to.ipstart].name.c_str());
    }
    report("Tree '%s' has been fully processed.\n", user.name.c_str());
    return 1;
}

}  // namespace korvex
