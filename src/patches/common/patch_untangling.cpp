// untangle_patch_mesh: repairs inverted and degenerate elements of a patch
// mesh. Interior nodes shared by only two elements are removed first (no
// position of theirs can be valid); then the free interior nodes around the
// failing elements are moved, each by a compass search, first to unfold its
// elements (largest smallest corner area), then to shape them (largest
// smallest scaled Jacobian). The nodes are swept until every element is
// valid, the swept region growing by a ring of elements every few sweeps.
// What moving cannot repair is re-paired with a neighbour
// (re_pair_failing_elements).
#include <algorithm>
#include <cmath>
#include <utility>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "patches/common/patch_untangling.h"

namespace korvex {

namespace {

constexpr int kMaxRounds = 24;           // sweeps over the nodes around failing elements
constexpr int kRoundsPerRing = 4;        // sweeps before the region grows by one ring
constexpr int kMaxRings = 3;             // rings of elements around the failing ones
constexpr double kInitialStep = 0.25;    // first search step, of the node's mean edge length
constexpr double kFinalStep = 1e-4;      // the search stops below this fraction of it
constexpr int kMaxSearchMoves = 200;     // accepted moves per node and sweep

struct PatchTopology {
    std::vector<std::vector<int>> elements_of;  // node -> elements that use it
    std::vector<char> movable;                  // node may move
};

PatchTopology build_topology(int num_nodes, const Array1<GenNode>& nodes, int num_elements,
                             const Array1<GenElement>& elements) {
    PatchTopology t;
    const auto n = static_cast<std::size_t>(num_nodes) + 1;
    t.elements_of.assign(n, {});
    std::vector<std::pair<int, int>> edges;
    for (int e = 1; e <= num_elements; ++e)
        for (int k = 1; k <= 4; ++k) {
            const int a = elements[e].corner(k), b = elements[e].corner(k % 4 + 1);
            t.elements_of[static_cast<std::size_t>(a)].push_back(e);
            edges.emplace_back(std::min(a, b), std::max(a, b));
        }
    std::sort(edges.begin(), edges.end());
    std::vector<char> on_boundary(n, 0);
    for (std::size_t i = 0; i < edges.size();) {
        std::size_t j = i;
        while (j < edges.size() && edges[j] == edges[i]) ++j;
        if (j - i == 1) on_boundary[static_cast<std::size_t>(edges[i].first)] =
                            on_boundary[static_cast<std::size_t>(edges[i].second)] = 1;
        i = j;
    }
    t.movable.assign(n, 0);
    for (int i = 1; i <= num_nodes; ++i) {
        const auto s = static_cast<std::size_t>(i);
        t.movable[s] = nodes[i].kind == NODE_KIND_INTERIOR && !(nodes[i].name == "PINT") && !on_boundary[s] &&
                       !t.elements_of[s].empty();
    }
    return t;
}

// What a node's position is judged by: first the signed corner areas, which
// are affine in the node's position, so that their minimum has no local
// maximum but the best one and a folded star unfolds; then the scaled
// Jacobians, for the shape of the unfolded elements.
enum class Measure { CornerArea, ScaledJacobian };

double corner_area(const Array1<GenNode>& nodes, const GenElement& e, int orientation) {
    double worst = 0.0;
    for (int k = 1; k <= 4; ++k) {
        const GenNode& p = nodes[e.corner(k)];
        const GenNode& next = nodes[e.corner(k % 4 + 1)];
        const GenNode& prev = nodes[e.corner((k + 2) % 4 + 1)];
        const double area = orientation * ((next.x - p.x) * (prev.y - p.y) - (next.y - p.y) * (prev.x - p.x));
        worst = k == 1 ? area : std::min(worst, area);
    }
    return worst;
}

// The worst measure of the elements `star` (those around node n).
double node_quality(const Array1<GenNode>& nodes, const Array1<GenElement>& elements, const std::vector<int>& star,
                    int orientation, Measure measure) {
    double worst = 0.0;
    bool first = true;
    for (int e : star) {
        const double q = measure == Measure::CornerArea ? corner_area(nodes, elements[e], orientation)
                                                        : element_scaled_jacobian_uv(nodes, elements[e], orientation);
        worst = first ? q : std::min(worst, q);
        first = false;
    }
    return worst;
}

// Mean length of the element edges that meet at node n (its elements are `star`).
double mean_edge_length(const Array1<GenNode>& nodes, const Array1<GenElement>& elements, const std::vector<int>& star,
                        int n) {
    double sum = 0.0;
    int count = 0;
    for (int e : star)
        for (int k = 1; k <= 4; ++k) {
            if (elements[e].corner(k) != n) continue;
            for (int other : {elements[e].corner(k % 4 + 1), elements[e].corner((k + 2) % 4 + 1)}) {
                sum += std::hypot(nodes[other].x - nodes[n].x, nodes[other].y - nodes[n].y);
                ++count;
            }
        }
    return count ? sum / count : 0.0;
}

// Compass search for the position of node n with the best node_quality.
void compass_search(Array1<GenNode>& nodes, const Array1<GenElement>& elements, const std::vector<int>& star, int n,
                    int orientation, Measure measure, double length) {
    constexpr int kDirections = 16;
    GenNode& node = nodes[n];
    double best = node_quality(nodes, elements, star, orientation, measure);
    double step = kInitialStep * length;
    for (int moves = 0; moves < kMaxSearchMoves && step > kFinalStep * length;) {
        bool moved = false;
        for (int d = 0; d < kDirections && !moved; ++d) {
            const double angle = kTwoPi * d / kDirections;
            const double x = node.x, y = node.y;
            node.x = x + step * std::cos(angle);
            node.y = y + step * std::sin(angle);
            const double q = node_quality(nodes, elements, star, orientation, measure);
            if (q > best) {
                best = q;
                moved = true;
                ++moves;
            } else {
                node.x = x;
                node.y = y;
            }
        }
        if (!moved) step *= 0.5;
    }
}


// The movable nodes of the elements in `seed` and of `rings` rings of
// elements around them, in increasing node order.
std::vector<int> nodes_to_move(const std::vector<int>& seed, int rings, const Array1<GenElement>& elements,
                               const PatchTopology& t) {
    std::vector<char> in_region(t.movable.size(), 0);
    std::vector<int> region_elements = seed;
    for (int ring = 0;; ++ring) {
        std::vector<int> added;
        for (int e : region_elements)
            for (int k = 1; k <= 4; ++k) {
                const auto c = static_cast<std::size_t>(elements[e].corner(k));
                if (in_region[c]) continue;
                in_region[c] = 1;
                added.push_back(elements[e].corner(k));
            }
        if (ring == rings) break;
        region_elements.clear();
        for (int c : added)
            for (int e : t.elements_of[static_cast<std::size_t>(c)]) region_elements.push_back(e);
    }
    std::vector<int> result;
    for (std::size_t i = 1; i < in_region.size(); ++i)
        if (in_region[i] && t.movable[i]) result.push_back(static_cast<int>(i));
    return result;
}

// The failing elements with at least one movable corner: only those can be
// repaired by moving nodes.
std::vector<int> repairable(const std::vector<int>& invalid, const Array1<GenElement>& elements,
                            const PatchTopology& t) {
    std::vector<int> result;
    for (int e : invalid)
        for (int k = 1; k <= 4; ++k)
            if (t.movable[static_cast<std::size_t>(elements[e].corner(k))]) {
                result.push_back(e);
                break;
            }
    return result;
}

// Sweeps the nodes around the failing elements; returns the elements still failing.
std::vector<int> move_free_nodes(std::vector<int> invalid, int num_nodes, Array1<GenNode>& nodes, int num_elements,
                                 const Array1<GenElement>& elements, int orientation) {
    const PatchTopology t = build_topology(num_nodes, nodes, num_elements, elements);
    for (int round = 0; round < kMaxRounds && !invalid.empty(); ++round) {
        const std::vector<int> seed = repairable(invalid, elements, t);
        if (seed.empty()) break;
        for (int n : nodes_to_move(seed, std::min(round / kRoundsPerRing, kMaxRings), elements, t))
            optimise_free_node(nodes, elements, t.elements_of[static_cast<std::size_t>(n)], n, orientation);
        invalid = invalid_patch_elements(nodes, num_elements, elements, orientation);
    }
    return invalid;
}

}  // namespace

// Unfolds the star of node n where it is folded, then improves its shape.
void optimise_free_node(Array1<GenNode>& nodes, const Array1<GenElement>& elements, const std::vector<int>& star, int n,
                        int orientation) {
    const double length = mean_edge_length(nodes, elements, star, n);
    if (node_quality(nodes, elements, star, orientation, Measure::ScaledJacobian) < kMinValidScaledJacobian)
        compass_search(nodes, elements, star, n, orientation, Measure::CornerArea, length);
    compass_search(nodes, elements, star, n, orientation, Measure::ScaledJacobian, length);
}

int untangle_patch_mesh(const char* subregion_name, int& num_nodes, Array1<GenNode>& nodes, int& num_elements,
                        Array1<GenElement>& elements) {
    const int orientation = patch_orientation(nodes, num_elements, elements);
    std::vector<int> invalid = invalid_patch_elements(nodes, num_elements, elements, orientation);
    if (invalid.empty()) return 0;

    const int found = static_cast<int>(invalid.size());
    const int original_num_nodes = num_nodes, original_num_elements = num_elements;
    const Array1<GenNode> original_nodes = nodes;
    const Array1<GenElement> original_elements = elements;
    if (collapse_patch_doublets(num_nodes, nodes, num_elements, elements))
        invalid = invalid_patch_elements(nodes, num_elements, elements, orientation);
    invalid = move_free_nodes(std::move(invalid), num_nodes, nodes, num_elements, elements, orientation);
    if (!invalid.empty()) invalid = re_pair_failing_elements(invalid, num_nodes, nodes, num_elements, elements, orientation);
    const int left = static_cast<int>(invalid.size());
    if (left >= found) {
        // Nothing gained: the mesh stays as the generator made it.
        num_nodes = original_num_nodes;
        num_elements = original_num_elements;
        nodes = original_nodes;
        elements = original_elements;
        return found;
    }
    report(" Subregion %s: %i of %i inverted or degenerate elements repaired.\n", subregion_name, found - left, found);
    return left;
}

}  // namespace korvex
