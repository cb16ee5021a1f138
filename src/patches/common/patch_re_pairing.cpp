// re_pair_failing_elements: changes the connectivity around failing
// elements whose nodes cannot move to repair them (boundary nodes and
// internal points, such as an internal point inside the triangle of a
// corner and its two boundary neighbours). The failing element and one
// neighbour across an edge make a hexagon h0..h5 (their shared edge is the
// diagonal h0-h3); it is split anew along the diagonal h1-h4 or h2-h5, or
// into three quadrilaterals around a new node joined to h0, h2, h4 or to
// h1, h3, h5. Or an interior corner of the failing element is joined to the
// opposite corner, with two new nodes, its elements re-paired around it.
// New nodes are placed by the compass search of the untangling.
#include <algorithm>
#include <array>
#include <vector>

#include "base/numeric_constants.h"
#include "patches/common/patch_untangling.h"

namespace korvex {

namespace {

constexpr std::size_t kMaxFailingElementsTried = 16;  // bounds the work on a badly tangled patch
constexpr int kPlacementRounds = 3;                    // alternating searches for two new nodes

using Hexagon = std::array<int, 6>;
using Quad = std::array<int, 4>;

// A new arrangement of some elements: `quads` take the places of `old_elements`
// in turn, the rest are appended; new node i is numbered num_nodes + 1 + i.
struct Split {
    std::vector<int> old_elements;
    std::vector<Quad> quads;
    std::vector<GenNode> new_nodes;
    double worst = -2.0;  // smallest scaled Jacobian of the quads
};

GenElement with_corners(const GenElement& like, const Quad& q) {
    GenElement e = like;
    e.corner1 = q[0];
    e.corner2 = q[1];
    e.corner3 = q[2];
    e.corner4 = q[3];
    return e;
}

// The corners of e from node p on, or an array of zeros when p is not one.
Quad from_corner(const GenElement& e, int p) {
    for (int k = 1; k <= 4; ++k)
        if (e.corner(k) == p) return {p, e.corner(k % 4 + 1), e.corner((k + 1) % 4 + 1), e.corner((k + 2) % 4 + 1)};
    return {0, 0, 0, 0};
}

// The element other than e whose corners run p -> q, or 0.
int element_with_edge(const std::vector<std::vector<int>>& elements_of, const Array1<GenElement>& elements, int e,
                      int p, int q) {
    for (int n : elements_of[static_cast<std::size_t>(p)])
        if (n != e && from_corner(elements[n], p)[1] == q) return n;
    return 0;
}

// Places the new nodes of s (numbered from num_nodes + 1, already in `nodes`)
// by the compass search over their elements, then measures the quads.
void place_new_nodes(Array1<GenNode>& nodes, int num_nodes, const GenElement& like, int orientation, Split& s) {
    Array1<GenElement> quads(s.quads.size());
    for (std::size_t i = 0; i < s.quads.size(); ++i) quads[static_cast<long>(i) + 1] = with_corners(like, s.quads[i]);
    for (int round = 0; round < (s.new_nodes.size() > 1 ? kPlacementRounds : 1); ++round)
        for (std::size_t i = 0; i < s.new_nodes.size(); ++i) {
            const int m = num_nodes + 1 + static_cast<int>(i);
            std::vector<int> star;
            for (std::size_t q = 0; q < s.quads.size(); ++q)
                if (std::find(s.quads[q].begin(), s.quads[q].end(), m) != s.quads[q].end())
                    star.push_back(static_cast<int>(q) + 1);
            optimise_free_node(nodes, quads, star, m, orientation);
        }
    s.worst = 1.0;
    for (std::size_t i = 1; i <= s.quads.size(); ++i)
        s.worst = std::min(s.worst, element_scaled_jacobian_uv(nodes, quads[static_cast<long>(i)], orientation));
    for (std::size_t i = 0; i < s.new_nodes.size(); ++i) s.new_nodes[i] = nodes[num_nodes + 1 + static_cast<int>(i)];
}

// A new interior node at the mean of `around`, written at number m.
GenNode& new_node_at(Array1<GenNode>& nodes, int m, const std::vector<int>& around, const GenElement& like) {
    GenNode& node = nodes[m];
    node = GenNode{};
    for (int c : around) {
        node.x += nodes[c].x / static_cast<double>(around.size());
        node.y += nodes[c].y / static_cast<double>(around.size());
    }
    node.kind = NODE_KIND_INTERIOR;
    node.name = like.name.c_str();
    return node;
}

// The hexagon of e (edge a = corner k, b = corner k+1) and its neighbour n,
// starting at a and running the way the elements run; false when two of its
// corners are the same node.
bool hexagon_of(const GenElement& e, int k, const GenElement& n, Hexagon& h) {
    const Quad q = from_corner(n, e.corner(k % 4 + 1));
    h = {e.corner(k), q[2], q[3], q[0], e.corner((k + 1) % 4 + 1), e.corner((k + 2) % 4 + 1)};
    Hexagon sorted = h;
    std::sort(sorted.begin(), sorted.end());
    return std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
}

// The split of h along the diagonal h[d] - h[d + 3] (d = 1, 2), or into
// three around a new node joined to h[f], h[f + 2], h[f + 4] (d = 3 + f).
Split hexagon_split(Array1<GenNode>& nodes, int num_nodes, const Hexagon& h, int d, const GenElement& like,
                    int orientation) {
    Split s;
    if (d <= 2) {
        s.quads = {{h[d], h[d + 1], h[d + 2], h[d + 3]}, {h[d + 3], h[(d + 4) % 6], h[(d + 5) % 6], h[d]}};
    } else {
        const int f = d - 3, m = num_nodes + 1;
        s.quads = {{h[f], h[f + 1], h[f + 2], m}, {h[f + 2], h[f + 3], h[f + 4], m}, {h[f + 4], h[(f + 5) % 6], h[f], m}};
        s.new_nodes.push_back(new_node_at(nodes, m, {h.begin(), h.end()}, like));
    }
    place_new_nodes(nodes, num_nodes, like, orientation, s);
    return s;
}

// The split that joins corner p of element e = (p, s1, c, s0) to its
// opposite corner c, for an interior node p whose star is e, a = (p, s0, ..),
// a fan g1..gj and b = (.., s1): e becomes (c, s0, x, p) and (c, p, y, s1),
// a and b give their edges at p to the new nodes x and y, and p's fan turns
// so that p is joined to its far corners instead of its spokes.
Split corner_split(Array1<GenNode>& nodes, int num_nodes, const Array1<GenElement>& elements,
                   const std::vector<std::vector<int>>& elements_of, int e, int p, int orientation) {
    Split s;
    std::vector<Quad> star;
    for (int cur = e; star.size() <= elements_of[static_cast<std::size_t>(p)].size();) {
        s.old_elements.push_back(cur);
        star.push_back(from_corner(elements[cur], p));
        cur = element_with_edge(elements_of, elements, cur, p, star.back()[3]);
        if (cur == 0) return {};
        if (cur == e) break;
    }
    if (star.size() < 3 || star.size() > elements_of[static_cast<std::size_t>(p)].size()) return {};
    const int x = num_nodes + 1, y = num_nodes + 2;
    const Quad& q = star.front();
    const Quad& a = star[1];
    const Quad& b = star.back();
    s.quads = {{q[2], q[3], x, p}, {q[2], p, y, q[1]}, {q[3], a[2], a[3], x}, {y, b[1], b[2], b[3]}};
    std::vector<int> fan = {x, a[3]};
    for (std::size_t i = 2; i + 1 < star.size(); ++i) {
        fan.push_back(star[i][2]);
        fan.push_back(star[i][3]);
    }
    fan.push_back(y);
    for (std::size_t i = 0; i + 2 < fan.size(); i += 2) s.quads.push_back({p, fan[i], fan[i + 1], fan[i + 2]});
    s.new_nodes.push_back(new_node_at(nodes, x, {a.begin(), a.end()}, elements[e]));
    s.new_nodes.push_back(new_node_at(nodes, y, {b.begin(), b.end()}, elements[e]));
    place_new_nodes(nodes, num_nodes, elements[e], orientation, s);
    return s;
}

// The splits with `new_nodes` new nodes of the hexagons around element e
// and of its interior corners.
std::vector<Split> splits_with(Array1<GenNode>& nodes, int num_nodes, const Array1<GenElement>& elements,
                               const std::vector<std::vector<int>>& elements_of, int e, int orientation,
                               std::size_t new_nodes) {
    std::vector<Split> splits;
    const GenElement& el = elements[e];
    for (int k = 1; k <= 4; ++k) {
        if (new_nodes == 2) {
            Split s = corner_split(nodes, num_nodes, elements, elements_of, e, el.corner(k), orientation);
            if (!s.quads.empty()) splits.push_back(std::move(s));
            continue;
        }
        const int n = element_with_edge(elements_of, elements, e, el.corner(k % 4 + 1), el.corner(k));
        Hexagon h;
        if (n == 0 || !hexagon_of(el, k, elements[n], h)) continue;
        for (int d = new_nodes == 0 ? 1 : 3; d <= (new_nodes == 0 ? 2 : 4); ++d) {
            Split s = hexagon_split(nodes, num_nodes, h, d, el, orientation);
            s.old_elements = {e, n};
            splits.push_back(std::move(s));
        }
    }
    return splits;
}

// The best valid new arrangement around failing element e, trying those
// with fewer new nodes first; an empty split when none is valid.
Split best_split(Array1<GenNode>& nodes, int num_nodes, const Array1<GenElement>& elements,
                 const std::vector<std::vector<int>>& elements_of, int e, int orientation) {
    for (std::size_t new_nodes = 0; new_nodes <= 2; ++new_nodes) {
        std::vector<Split> group = splits_with(nodes, num_nodes, elements, elements_of, e, orientation, new_nodes);
        Split* best = nullptr;
        for (Split& s : group)
            if (s.worst >= kMinValidScaledJacobian && (!best || s.worst > best->worst)) best = &s;
        if (best) return std::move(*best);
    }
    return {};
}

void replace_element(std::vector<std::vector<int>>& elements_of, Array1<GenElement>& elements, int e, const Quad& q) {
    for (int k = 1; k <= 4; ++k) {
        auto& list = elements_of[static_cast<std::size_t>(elements[e].corner(k))];
        list.erase(std::remove(list.begin(), list.end(), e), list.end());
    }
    elements[e] = with_corners(elements[e], q);
    for (int c : q) elements_of[static_cast<std::size_t>(c)].push_back(e);
}

void apply_split(const Split& s, int& num_nodes, Array1<GenNode>& nodes, int& num_elements,
                 Array1<GenElement>& elements, std::vector<std::vector<int>>& elements_of) {
    for (const GenNode& node : s.new_nodes) {
        nodes[++num_nodes] = node;
        elements_of.emplace_back();
    }
    const GenElement like = elements[s.old_elements.front()];
    for (std::size_t i = 0; i < s.quads.size(); ++i) {
        int e = 0;
        if (i < s.old_elements.size()) {
            e = s.old_elements[i];
        } else {
            elements.ensure(e = ++num_elements);
            elements[e] = GenElement{};
            elements[e].name = like.name;
            elements[e].subregion = like.subregion;
        }
        replace_element(elements_of, elements, e, s.quads[i]);
    }
}

}  // namespace

std::vector<int> re_pair_failing_elements(const std::vector<int>& invalid, int& num_nodes, Array1<GenNode>& nodes,
                                          int& num_elements, Array1<GenElement>& elements, int orientation) {
    std::vector<std::vector<int>> elements_of(static_cast<std::size_t>(num_nodes) + 1);
    for (int e = 1; e <= num_elements; ++e)
        for (int k = 1; k <= 4; ++k) elements_of[static_cast<std::size_t>(elements[e].corner(k))].push_back(e);
    const std::size_t room = nodes.storage().size();
    for (std::size_t i = 0; i < invalid.size() && i < kMaxFailingElementsTried; ++i) {
        const int e = invalid[i];
        if (element_scaled_jacobian_uv(nodes, elements[e], orientation) >= kMinValidScaledJacobian) continue;
        nodes.ensure(num_nodes + 2);
        const Split s = best_split(nodes, num_nodes, elements, elements_of, e, orientation);
        if (!s.quads.empty()) apply_split(s, num_nodes, nodes, num_elements, elements, elements_of);
    }
    const std::size_t used = std::max(room, static_cast<std::size_t>(num_nodes) + 1);
    if (nodes.storage().size() > used) nodes.storage().resize(used);
    return invalid_patch_elements(nodes, num_elements, elements, orientation);
}

}  // namespace korvex
