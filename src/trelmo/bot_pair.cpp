// Merging pairs of elements folded around a node that belongs to them alone.
#include "base/messages.h"
#include "trelmo/loop_geometry.h"
#include "trelmo/node_compaction.h"

namespace korvex {

namespace {

// Position (1..4) of the path a, v, b in element f's corner order, 0 if absent.
int path_position(const GenElement& f, int a, int v, int b) {
    for (int k = 1; k <= 4; ++k)
        if (f.corner(k) == a && f.corner(k % 4 + 1) == v && f.corner((k + 1) % 4 + 1) == b) return k;
    return 0;
}

bool merge_at_flat_corner(TrelmoMesh& mesh, int e) {
    GenElement& el = mesh.elements[e];
    for (int k = 1; k <= 4; ++k) {
        const int v = el.corner(k), a = el.corner(k % 4 + 1), a2 = el.corner((k + 1) % 4 + 1),
                  b = el.corner((k + 2) % 4 + 1);
        if (angle(mesh.node(v), mesh.node(a), mesh.node(b)) <= kPi - kTolA) continue;
        for (int f = 1; f <= mesh.num_elements; ++f) {
            GenElement& other = mesh.elements[f];
            if (f == e || element_deleted(other) || other.subregion != el.subregion) continue;
            const int at = path_position(other, a, v, b);
            if (at == 0) continue;
            const int x = other.corner((at + 2) % 4 + 1);
            el.corner1 = a;
            el.corner2 = a2;
            el.corner3 = b;
            el.corner4 = x;
            delete_element(other);
            delete_node(mesh.node(v));
            return true;
        }
    }
    return false;
}

}  // namespace

int bot_pair(TrelmoMesh& mesh) {
    for (int e = 1; e <= mesh.num_elements; ++e)
        if (!element_deleted(mesh.elements[e])) merge_at_flat_corner(mesh, e);
    if (!compact_mesh(mesh, {})) {
        report(" Out of memory for new_node[] in bot_pair.c\n");
        return 0;
    }
    return 1;
}

}  // namespace korvex
