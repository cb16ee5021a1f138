// The generator's node array: allocation and growth by a third.
#include <new>

#include "interface/messages.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

void TrelmoMesh::allocate(int capacity) {
    nodes.reset(static_cast<std::size_t>(capacity));
    elements.reset(static_cast<std::size_t>(capacity));
    nodes_allocated = capacity;
    elements_allocated = capacity;
    num_nodes = 0;
    num_elements = 0;
}

bool TrelmoMesh::reserve_nodes(int needed) {
    if (needed <= nodes_allocated) return true;
    try {
        int cap = nodes_allocated > 0 ? nodes_allocated : TM_INITIAL_CAPACITY;
        while (cap < needed) cap += cap / 3 > 0 ? cap / 3 : 1;
        nodes.ensure(cap);
        nodes_allocated = cap;
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

int append_node(TrelmoMesh& mesh, double x, double y, int kind, std::string_view name) {
    if (!mesh.reserve_nodes(mesh.num_nodes + 1)) {
        report(" Not enough memory for nodes (can't reallocate). \n");
        return 0;
    }
    const int k = ++mesh.num_nodes;
    GenNode& n = mesh.nodes[k];
    n = GenNode{};
    n.x = x;
    n.y = y;
    n.kind = kind;
    n.name = name;
    return k;
}

}  // namespace korvex
