#include "trelmo/node_compaction.h"

#include <new>

namespace korvex {

bool compact_mesh(TrelmoMesh& mesh, const std::vector<NodeLoop*>& loops) {
    std::vector<int> map;
    try {
        map.assign(static_cast<std::size_t>(mesh.num_nodes) + 1, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    int kept = 0;
    for (int i = 1; i <= mesh.num_nodes; ++i) {
        if (node_deleted(mesh.nodes[i])) continue;
        map[static_cast<std::size_t>(i)] = ++kept;
        if (kept != i) mesh.nodes[kept] = mesh.nodes[i];
    }
    mesh.num_nodes = kept;
    auto remap = [&](int n) { return n >= 1 && static_cast<std::size_t>(n) < map.size() ? map[static_cast<std::size_t>(n)] : n; };
    int live = 0;
    for (int e = 1; e <= mesh.num_elements; ++e) {
        if (element_deleted(mesh.elements[e])) continue;
        GenElement el = mesh.elements[e];
        for (int k = 1; k <= 4; ++k) el.corner(k) = remap(el.corner(k));
        mesh.elements[++live] = el;
    }
    mesh.num_elements = live;
    for (NodeLoop* loop : loops)
        for (int i = 1; i <= loop->count; ++i) loop->node[i] = remap(loop->node[i]);
    return true;
}

void replace_node(TrelmoMesh& mesh, int from, int to, const std::vector<NodeLoop*>& loops) {
    for (int e = 1; e <= mesh.num_elements; ++e)
        for (int k = 1; k <= 4; ++k)
            if (mesh.elements[e].corner(k) == from) mesh.elements[e].corner(k) = to;
    for (NodeLoop* loop : loops)
        for (int i = 1; i <= loop->count; ++i)
            if (loop->node[i] == from) loop->node[i] = to;
}

}  // namespace korvex
