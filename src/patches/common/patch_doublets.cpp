// collapse_patch_doublets: removes interior nodes shared by only two
// elements. Such a node has two elements on both of its edges, so its two
// angles add up to 360 degrees and one element is never convex, wherever the
// node goes. The two elements become one quadrilateral over their outer
// corners and the node leaves the mesh.
#include <algorithm>
#include <vector>

#include "patches/common/patch_untangling.h"

namespace korvex {

namespace {

// Position (1..4) of node n among the corners of e, or 0.
int corner_position(const GenElement& e, int n) {
    for (int k = 1; k <= 4; ++k)
        if (e.corner(k) == n) return k;
    return 0;
}

// Merges e2 into e1 around their shared node m when both elements have the
// same two neighbours of m; returns false (changing nothing) otherwise.
bool merge_doublet(GenElement& e1, const GenElement& e2, int m) {
    const int k1 = corner_position(e1, m), k2 = corner_position(e2, m);
    const int a = e1.corner(k1 % 4 + 1), x = e1.corner((k1 + 1) % 4 + 1), b = e1.corner((k1 + 2) % 4 + 1);
    const int b2 = e2.corner(k2 % 4 + 1), y = e2.corner((k2 + 1) % 4 + 1), a2 = e2.corner((k2 + 2) % 4 + 1);
    if (a != a2 || b != b2 || x == y) return false;
    e1.corner1 = a;
    e1.corner2 = x;
    e1.corner3 = b;
    e1.corner4 = y;
    return true;
}

// Drops the marked nodes and elements, renumbering the corners.
void compact_patch(int& num_nodes, Array1<GenNode>& nodes, int& num_elements, Array1<GenElement>& elements,
                   const std::vector<char>& node_gone, const std::vector<char>& element_gone) {
    std::vector<int> new_number(static_cast<std::size_t>(num_nodes) + 1, 0);
    int kept = 0;
    for (int i = 1; i <= num_nodes; ++i) {
        if (node_gone[static_cast<std::size_t>(i)]) continue;
        new_number[static_cast<std::size_t>(i)] = ++kept;
        nodes[kept] = nodes[i];
    }
    num_nodes = kept;
    kept = 0;
    for (int e = 1; e <= num_elements; ++e) {
        if (element_gone[static_cast<std::size_t>(e)]) continue;
        elements[++kept] = elements[e];
        for (int k = 1; k <= 4; ++k) {
            int& c = elements[kept].corner(k);
            c = new_number[static_cast<std::size_t>(c)];
        }
    }
    num_elements = kept;
}

// One pass over the nodes in increasing order; returns the doublets removed.
int collapse_doublets_once(int& num_nodes, Array1<GenNode>& nodes, int& num_elements, Array1<GenElement>& elements) {
    std::vector<std::vector<int>> elements_of(static_cast<std::size_t>(num_nodes) + 1);
    for (int e = 1; e <= num_elements; ++e)
        for (int k = 1; k <= 4; ++k) elements_of[static_cast<std::size_t>(elements[e].corner(k))].push_back(e);
    std::vector<char> node_gone(elements_of.size(), 0);
    std::vector<char> element_gone(static_cast<std::size_t>(num_elements) + 1, 0);
    int collapsed = 0;
    for (int m = 1; m <= num_nodes; ++m) {
        const std::vector<int>& around = elements_of[static_cast<std::size_t>(m)];
        if (around.size() != 2 || nodes[m].kind != NODE_KIND_INTERIOR || nodes[m].name == "PINT") continue;
        const int e1 = around[0], e2 = around[1];
        if (element_gone[static_cast<std::size_t>(e1)] || element_gone[static_cast<std::size_t>(e2)]) continue;
        if (!merge_doublet(elements[e1], elements[e2], m)) continue;
        element_gone[static_cast<std::size_t>(e2)] = 1;
        node_gone[static_cast<std::size_t>(m)] = 1;
        // The merged element's corners now list e1 instead of e2.
        for (int k = 1; k <= 4; ++k) {
            auto& list = elements_of[static_cast<std::size_t>(elements[e1].corner(k))];
            list.erase(std::remove(list.begin(), list.end(), e2), list.end());
            if (std::find(list.begin(), list.end(), e1) == list.end()) list.push_back(e1);
            std::sort(list.begin(), list.end());
        }
        ++collapsed;
    }
    if (collapsed) compact_patch(num_nodes, nodes, num_elements, elements, node_gone, element_gone);
    return collapsed;
}

}  // namespace

int collapse_patch_doublets(int& num_nodes, Array1<GenNode>& nodes, int& num_elements, Array1<GenElement>& elements) {
    int total = 0;
    // A collapse can leave a neighbour with two elements: repeat until none is left.
    while (const int n = collapse_doublets_once(num_nodes, nodes, num_elements, elements)) total += n;
    return total;
}

}  // namespace korvex
