// check_element_validity: every element of the global mesh is measured in 3D
// against its own reference normal (base/scaled_jacobian.h), so curved
// surfaces are judged element by element. The patch meshers have repaired what they could in their own
// frames; what is left is reported here rather than written silently.
#include "pipeline/element_validity_check.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "base/scaled_jacobian.h"

namespace korvex {

namespace {

// The valid elements grouped by subregion name, the groups in the names'
// order and the elements of a group in their own order (a stable sort by
// name, done by ranking the few distinct names and counting).
std::vector<std::vector<int>> groups_by_name(const Run& run, const std::vector<int>& valid) {
    std::map<std::string_view, int> rank;
    std::vector<int> name_of(valid.size());
    std::string_view last;
    int last_rank = -1;
    for (std::size_t i = 0; i < valid.size(); ++i) {
        const std::string_view name = run.elements[valid[i]].name.view();
        if (last_rank < 0 || name != last) {
            last = name;
            last_rank = rank.try_emplace(name, static_cast<int>(rank.size())).first->second;
        }
        name_of[i] = last_rank;
    }
    std::vector<int> position(rank.size());
    int next = 0;
    for (const auto& entry : rank) position[static_cast<std::size_t>(entry.second)] = next++;
    std::vector<std::vector<int>> groups(rank.size());
    for (std::size_t i = 0; i < valid.size(); ++i)
        groups[static_cast<std::size_t>(position[static_cast<std::size_t>(name_of[i])])].push_back(valid[i]);
    return groups;
}

// The directed edges walked so far, listed by their first node: room for
// every edge of the valid elements, each list holding (second node,
// element, group) in the order walked.
class WalkedEdges {
public:
    WalkedEdges(const Run& run, const std::vector<int>& valid) : first_(static_cast<std::size_t>(run.nodes3D.last()) + 2, 0) {
        for (const int e : valid)
            for_each_edge(run.elements[e], [&](int a, int) { ++first_[static_cast<std::size_t>(a) + 1]; });
        for (std::size_t a = 1; a < first_.size(); ++a) first_[a] += first_[a - 1];
        used_.assign(first_.begin(), first_.end() - 1);
        entries_.resize(static_cast<std::size_t>(first_.back()));
    }
    template <class F>
    static void for_each_edge(const Element& el, F&& f) {
        for (std::size_t k = 0; k < 4; ++k) {
            const int a = el.node[k], b = el.node[(k + 1) % 4];
            if (a != b) f(a, b);
        }
    }
    // The element of `group` that walked a->b first, else 0 after noting e as that element.
    int walk(int a, int b, int e, int group) {
        const auto from = static_cast<std::size_t>(first_[static_cast<std::size_t>(a)]);
        int& used = used_[static_cast<std::size_t>(a)];
        for (std::size_t i = from; i < static_cast<std::size_t>(used); ++i)
            if (entries_[i].to == b && entries_[i].group == group) return entries_[i].element;
        entries_[static_cast<std::size_t>(used++)] = {b, e, group};
        return 0;
    }

private:
    struct Entry {
        int to, element, group;
    };
    std::vector<int> first_;
    std::vector<int> used_;
    std::vector<Entry> entries_;
};

// Two elements of one subregion that walk a shared edge the same way face
// opposite ways: a neighbour that faces the same way walks it backwards.
// Returns the first such pair of the group (element numbers), or {0, 0}.
std::array<int, 2> first_flipped_pair(const Run& run, const std::vector<int>& group, int g, WalkedEdges& walked) {
    for (const int e : group) {
        std::array<int, 2> pair{0, 0};
        WalkedEdges::for_each_edge(run.elements[e], [&](int a, int b) {
            const int earlier = pair[0] == 0 ? walked.walk(a, b, e, g) : 0;
            if (earlier != 0 && earlier != e) pair = {earlier, e};
        });
        if (pair[0] != 0) return pair;
    }
    return {0, 0};
}

// Reports every subregion whose valid elements face both ways (an invalid
// element has its own report); returns how many.
int check_orientation(const Run& run, const std::vector<int>& valid) {
    const std::vector<std::vector<int>> groups = groups_by_name(run, valid);
    WalkedEdges walked(run, valid);
    int reported = 0;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const auto [e1, e2] = first_flipped_pair(run, groups[g], static_cast<int>(g), walked);
        if (e1 != 0) {
            report(" Output data error: elements %i and %i of subregion %s face opposite ways.\n", e1, e2,
                   run.elements[e1].name.c_str());
            ++reported;
        }
    }
    return reported;
}

}  // namespace

int check_element_validity(const Run& run) {
    int reported = 0;
    std::vector<int> valid;
    for (int e = 1; e <= run.num_elements; ++e) {
        const Element& el = run.elements[e];
        std::array<Vec3, 4> p;
        for (std::size_t k = 0; k < 4; ++k) p[k] = run.nodes3D[el.node[k]].pos();
        const double sj = quad_min_scaled_jacobian(p);
        if (sj >= kMinValidScaledJacobian) {
            valid.push_back(e);
            continue;
        }
        report(" Output data error: element %i of subregion %s is inverted or degenerate (scaled Jacobian %g).\n", e,
               el.name.c_str(), sj);
        ++reported;
    }
    return reported + check_orientation(run, valid);
}

}  // namespace korvex
