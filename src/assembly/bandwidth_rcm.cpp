// minb_3d: builds the node graph of the global mesh, orders it by reverse
// Cuthill-McKee (rcm_roots.cpp) and renumbers nodes and element corners.
#include <algorithm>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

#include "assembly/assembly.h"
#include "assembly/bandwidth.h"
#include "assembly/merge_index.h"
#include "base/messages.h"

namespace korvex {

namespace {

constexpr int kNoElementsMaxDiff = -10000;

// Neighbour lists with a fixed row of MAX_NODES_CONNECTED entries per node,
// so that building them needs no reallocation.
struct NeighbourRows {
    std::vector<int> adj;         // row v holds adj[v*16 .. v*16+15]
    std::vector<int> num_in_adj;  // entries used in each row

    int* row(int v) { return adj.data() + static_cast<std::size_t>(v) * MAX_NODES_CONNECTED; }
    int& count(int v) { return num_in_adj[static_cast<std::size_t>(v)]; }
};

// Adds b to a's row unless it is there already. Returns 0 when the row is full.
int add_neighbour(NeighbourRows& rows, int a, int b) {
    int* r = rows.row(a);
    int& cnt = rows.count(a);
    if (std::find(r, r + cnt, b) != r + cnt) return 1;
    if (cnt >= MAX_NODES_CONNECTED) {
        report("Increase MAX_NODES_CONNECTED in MINB_3D.C  (2)\n");
        return 0;
    }
    r[cnt++] = b;
    return 1;
}

int check_corners(int n, int m, const Array1<Element>& elements) {
    for (int e = 1; e <= m; ++e)
        for (int v : elements[e].node)
            if (v < 1 || v > n) {
                report(" Error in minb_3d(): element %i has node %i outside 1..%i.\n", e, v, n);
                return 0;
            }
    return 1;
}

int fill_rows(int m, const Array1<Element>& elements, NeighbourRows& rows) {
    for (int e = 1; e <= m; ++e) {
        const auto& c = elements[e].node;
        for (int k = 0; k < 4; ++k) {
            const int a = c[static_cast<std::size_t>(k)];
            if (rows.count(a) > MAX_NODES_CONNECTED) {
                report("Increase MAX_NODES_CONNECTED in MINB_3D.C\n");
                return 0;
            }
            if (!add_neighbour(rows, a, c[static_cast<std::size_t>((k + 3) % 4)])) return 0;
            if (!add_neighbour(rows, a, c[static_cast<std::size_t>((k + 1) % 4)])) return 0;
        }
    }
    return 1;
}

// Sorts every row and packs the rows into xadj/adjncy.
int pack_rows(int n, NeighbourRows& rows, NodeGraph& graph) {
    graph.n = n;
    graph.xadj.assign(static_cast<std::size_t>(n) + 2, 0);
    graph.xadj[1] = 1;
    for (int v = 1; v <= n; ++v)
        graph.xadj[static_cast<std::size_t>(v) + 1] = graph.xadj[static_cast<std::size_t>(v)] + rows.count(v);
    try {
        graph.adjncy.assign(static_cast<std::size_t>(graph.xadj[static_cast<std::size_t>(n) + 1]) + 101, 0);
    } catch (const std::bad_alloc&) {
        report(" Out of memory for array adjncy[] in procedure minb_3d().\n");
        return 0;
    }
    for (int v = 1; v <= n; ++v) {
        int* r = rows.row(v);
        std::sort(r, r + rows.count(v));
        std::copy(r, r + rows.count(v), graph.adjncy.begin() + graph.xadj[static_cast<std::size_t>(v)]);
    }
    return 1;
}

void renumber_corners(int m, Array1<Element>& elements, const std::vector<int>& invp) {
    for (int e = 1; e <= m; ++e)
        for (int& v : elements[e].node) v = invp[static_cast<std::size_t>(v)];
}

}  // namespace

int max_node_difference(int m, const Array1<Element>& elements) {
    int md = kNoElementsMaxDiff;
    for (int e = 1; e <= m; ++e) {
        const auto& c = elements[e].node;
        for (int k = 0; k < 4; ++k)
            md = std::max(md, std::abs(c[static_cast<std::size_t>(k)] - c[static_cast<std::size_t>((k + 1) % 4)]));
    }
    return md;
}

int build_node_graph(int n, int m, const Array1<Element>& elements, NodeGraph& graph) {
    if (!check_corners(n, m, elements)) return 0;
    NeighbourRows rows;
    try {
        rows.adj.assign((static_cast<std::size_t>(n) + 11) * MAX_NODES_CONNECTED, 0);
    } catch (const std::bad_alloc&) {
        report(" Out of memory for array adj[] in procedure minb_3d().\n");
        return 0;
    }
    try {
        rows.num_in_adj.assign(static_cast<std::size_t>(n) + 101, 0);
    } catch (const std::bad_alloc&) {
        report(" Out of memory for array num_in_adj[] in procedure minb_3d().\n");
        return 0;
    }
    if (!fill_rows(m, elements, rows)) return 0;
    return pack_rows(n, rows, graph);
}

// nodes3D[k] becomes the record that was at perm[k], for k = 1..n: each
// cycle of the permutation is followed once, every record moved once, with
// no second array of records.
// `placed` holds n + 1 flags, all false.
void permute_nodes(int n, Array1<Node3D>& nodes3D, const std::vector<int>& perm, std::vector<bool>& placed) {
    for (int start = 1; start <= n; ++start) {
        if (placed[static_cast<std::size_t>(start)]) continue;
        Node3D held = std::move(nodes3D[start]);
        int k = start;
        for (;;) {
            placed[static_cast<std::size_t>(k)] = true;
            const int from = perm[static_cast<std::size_t>(k)];
            if (from == start) break;
            nodes3D[k] = std::move(nodes3D[from]);
            k = from;
        }
        nodes3D[k] = std::move(held);
    }
}

int minb_3d(int n, Array1<Node3D>& nodes3D, int m, Array1<Element>& elements) {
    report(" Initial  max_diff=%i\n", max_node_difference(m, elements));
    NodeGraph graph;
    std::vector<int> perm, invp;
    std::vector<bool> placed;
    // Allocated before anything is renumbered, so that every failure leaves
    // the mesh as it was.
    try {
        invp.assign(static_cast<std::size_t>(n) + 101, 0);
        placed.assign(static_cast<std::size_t>(n) + 1, false);
    } catch (const std::bad_alloc&) {
        report(" Out of memory in procedure minb_3d().\n");
        return 0;
    }
    if (!build_node_graph(n, m, elements, graph)) return 0;
    try {
        perm = reverse_cuthill_mckee(graph);
    } catch (const std::bad_alloc&) {
        report(" Out of memory in procedure minb_3d().\n");
        return 0;
    }
    for (int k = 1; k <= n; ++k) invp[static_cast<std::size_t>(perm[static_cast<std::size_t>(k)])] = k;
    renumber_corners(m, elements, invp);
    // Whole records move, their id field included.
    permute_nodes(n, nodes3D, perm, placed);
    report(" Final  max_diff=%i\n", max_node_difference(m, elements));
    return 1;
}

int minband_3D(Run& run) {
    invalidate_merge_index(run);
    return minb_3d(run.num_nodes, run.nodes3D, run.num_elements, run.elements);
}

}  // namespace korvex
