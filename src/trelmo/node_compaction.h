// Removing deleted nodes and elements and renumbering every reference.
#pragma once

#include <vector>

#include "trelmo/trelmo_internal.h"

namespace korvex {

constexpr double kDeletedMark = 1e32;      // written into x of a deleted node
constexpr double kDeletedTest = 1e31;      // x above this: the node is deleted

inline bool node_deleted(const GenNode& n) { return n.x > kDeletedTest; }
inline void delete_node(GenNode& n) { n.x = kDeletedMark; }
inline bool element_deleted(const GenElement& e) {
    return e.corner1 == -1 && e.corner2 == -1 && e.corner3 == -1 && e.corner4 == -1;
}
inline void delete_element(GenElement& e) { e.corner1 = e.corner2 = e.corner3 = e.corner4 = -1; }

// Drops deleted elements and deleted nodes (survivors keep their order) and
// rewrites element corners and the entries of the given loops. Returns
// false when the renumbering map cannot be allocated.
bool compact_mesh(TrelmoMesh& mesh, const std::vector<NodeLoop*>& loops);

// Replaces node `from` by `to` in every element (and every given loop).
void replace_node(TrelmoMesh& mesh, int from, int to, const std::vector<NodeLoop*>& loops);

}  // namespace korvex
