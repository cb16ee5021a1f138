// The generator's node and element arrays: allocation and growth by a third.
#include <new>

#include "base/messages.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

void TrelmoMesh::allocate(int capacity) {
    nodes.reset_with_room(static_cast<std::size_t>(capacity));
    elements.reset_with_room(static_cast<std::size_t>(capacity));
    nodes_allocated = capacity;
    elements_allocated = capacity;
    num_nodes = 0;
    num_elements = 0;
}

namespace {

// Grows the capacity by a third (at least one record), starting from the
// initial capacity, until it holds `needed` records. The capacity is
// reserved, not filled: records are made as they are appended, so a small
// mesh touches no more memory than it uses.
template <class T>
bool grow_by_third(Array1<T>& records, int& allocated, int needed) {
    if (needed <= allocated) return true;
    try {
        int cap = allocated > 0 ? allocated : TM_INITIAL_CAPACITY;
        while (cap < needed) cap += cap / 3 > 0 ? cap / 3 : 1;
        records.storage().reserve(static_cast<std::size_t>(cap) + 1);
        allocated = cap;
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace

bool TrelmoMesh::reserve_nodes(int needed) { return grow_by_third(nodes, nodes_allocated, needed); }

bool TrelmoMesh::reserve_elements(int needed) { return grow_by_third(elements, elements_allocated, needed); }

int append_node(TrelmoMesh& mesh, double x, double y, int kind, std::string_view name) {
    if (!mesh.reserve_nodes(mesh.num_nodes + 1)) {
        report(" Not enough memory for nodes (can't reallocate). \n");
        return 0;
    }
    const int k = ++mesh.num_nodes;
    mesh.nodes.ensure(k);
    GenNode& n = mesh.nodes[k];
    n = GenNode{};
    n.x = x;
    n.y = y;
    n.kind = kind;
    n.name = name;
    return k;
}

}  // namespace korvex
