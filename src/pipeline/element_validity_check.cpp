// check_element_validity: every element of the global mesh is measured in 3D
// against its own reference normal (base/scaled_jacobian.h), so curved
// surfaces are judged element by element. The patch meshers have repaired what they could in their own
// frames; what is left is reported here rather than written silently.
#include "pipeline/element_validity_check.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "base/scaled_jacobian.h"

namespace korvex {

namespace {

std::uint64_t directed_edge(int a, int b) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) | static_cast<std::uint32_t>(b);
}

// Two elements of one subregion that walk a shared edge the same way face
// opposite ways: a neighbour that faces the same way walks it backwards.
// Returns the first such pair of the group (element numbers), or {0, 0}.
std::array<int, 2> first_flipped_pair(const Run& run, const std::vector<int>& group) {
    std::unordered_map<std::uint64_t, int> walked;
    walked.reserve(group.size() * 4);
    for (const int e : group) {
        const Element& el = run.elements[e];
        for (std::size_t k = 0; k < 4; ++k) {
            const int a = el.node[k], b = el.node[(k + 1) % 4];
            if (a == b) continue;
            const auto [it, fresh] = walked.emplace(directed_edge(a, b), e);
            if (!fresh && it->second != e) return {it->second, e};
        }
    }
    return {0, 0};
}

// Reports every subregion whose valid elements face both ways (an invalid
// element has its own report); returns how many.
int check_orientation(const Run& run, const std::vector<int>& valid) {
    std::vector<int> order = valid;
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return run.elements[a].name.view() < run.elements[b].name.view(); });
    int reported = 0;
    for (std::size_t first = 0; first < order.size();) {
        std::size_t last = first;
        while (last < order.size() && run.elements[order[last]].name == run.elements[order[first]].name) ++last;
        const std::vector<int> group(order.begin() + static_cast<std::ptrdiff_t>(first),
                                     order.begin() + static_cast<std::ptrdiff_t>(last));
        const auto [e1, e2] = first_flipped_pair(run, group);
        if (e1 != 0) {
            report(" Output data error: elements %i and %i of subregion %s face opposite ways.\n", e1, e2,
                   run.elements[e1].name.c_str());
            ++reported;
        }
        first = last;
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
