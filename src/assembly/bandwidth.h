// Bandwidth minimisation of the global mesh: the nodes are renumbered by the
// reverse Cuthill-McKee ordering with pseudo-peripheral starting nodes, so
// that the two ends of every element edge get close numbers.
//
// Indexing: every array is 1-based; records 1..count are used.
#pragma once

#include <vector>

#include "base/array1.h"
#include "model/records.h"

namespace korvex {

// Most distinct neighbours one node may have along element edges.
constexpr int MAX_NODES_CONNECTED = 16;

// The node graph in compressed form: the neighbours of node v are
// adjncy[xadj[v] .. xadj[v+1]-1], sorted ascending. xadj has n + 2 entries
// (xadj[1] = 1), adjncy one more than the neighbour total (index 0 unused).
struct NodeGraph {
    int n = 0;
    std::vector<int> xadj;
    std::vector<int> adjncy;
};

// Largest |difference of node numbers| over the four edges of elements
// 1..m; -10000 when there are no elements.
int max_node_difference(int m, const Array1<Element>& elements);

// Builds the graph of nodes 1..n from the element edges (corner pairs 1-2,
// 2-3, 3-4, 4-1). Returns 1, or 0 after reporting a node with more than
// MAX_NODES_CONNECTED neighbours or a corner outside 1..n.
int build_node_graph(int n, int m, const Array1<Element>& elements, NodeGraph& graph);

// The reverse Cuthill-McKee ordering of the whole graph: perm[k] (k = 1..n)
// is the old number of the node that becomes node k. Components are ordered
// one after the other in the order of their lowest-numbered node.
std::vector<int> reverse_cuthill_mckee(const NodeGraph& graph);

// Renumbers nodes3D[1..n] and the corners of elements[1..m] in place.
// Returns 1, or 0 after its report; on failure the mesh is unchanged.
int minb_3d(int n, Array1<Node3D>& nodes3D, int m, Array1<Element>& elements);

}  // namespace korvex
