// Merging a finished patch mesh into the run's global mesh.
//
// Every subregion is meshed on its own, so each patch mesh arrives with its
// own node numbering. Merging restores generated '@' node names, finds for
// every patch node the global node it coincides with (nodes on shared curves
// and points exist already from earlier patches), appends the nodes that are
// new, and appends the patch's elements with their corners translated to
// global node numbers.
//
// Matching keeps the first-global-node-in-index-order result but not its
// quadratic cost: the run keeps a name index and a spatial grid over
// nodes3D[] (see merge_index.h), so one merge costs about the patch size.
//
// Indexing: every array is 1-based; records 1..count are used.
// Both entry points return 1 on success, or 0 after reporting the reason
// (the caller then reports its own failure line). On failure the global
// arrays keep what was appended before the failure.
#pragma once

#include "base/array1.h"
#include "model/records.h"
#include "model/run.h"
#include "trelmo/trelmo.h"

namespace korvex {

// Used by the curved, cylinder, revolution and triangular meshers.
//   patch          the subregion just meshed (its id goes into every element)
//   num_nodes      patch node count
//   gen_nodes      the generator's nodes 1..num_nodes; GenNode::name is the
//                  node's owner name (point, entity or subregion name)
//   nodes          the patch's 3D nodes 1..num_nodes (name, x, y, z)
//   num_elements   patch element count
//   elements       the generator's elements 1..num_elements (corners are
//                  patch node numbers)
// gen_nodes[i].name and nodes[i].name may be rewritten (name restoration).
// Example:
//   if (!add_to_global(run, run.patches[k], nn, gen_nodes, nodes3d, ne, gen_elements)) {
//       report("...caller's own failure line...");
//       return 0;
//   }
int add_to_global(Run& run, const Subregion& patch, int num_nodes, Array1<GenNode>& gen_nodes,
                  Array1<Node3D>& nodes, int num_elements, const Array1<GenElement>& elements);

// The plane mesher's work arrays for one patch, as add_to_global_plane reads
// them. The plane mesher fills every field; the merge may rewrite names,
// pint_tag of nodes and the owner names of gen_nodes.
struct PlanePatchMesh {
    int num_nodes = 0;
    // 1..num_nodes: 3D nodes with name, x, y, z, id (= local index),
    // name_saved (the node's name when the plane mesher created it) and
    // pint_tag (non-empty for an internal point snapped onto a boundary node:
    // that boundary node's generated name). PINT_step and PINT_rad are
    // carried into new global nodes.
    Array1<Node3D> nodes;
    // 1..num_nodes: the generator's nodes; GenNode::name is the owner name.
    Array1<GenNode> gen_nodes;
    int num_elements = 0;
    // 1..num_elements: elements with patch node numbers as corners.
    Array1<GenElement> elements;
};

// Used by the plane mesher; also carries the internal points of plane
// patches across patches through run.unprocessed_PINT_nodes.
int add_to_global_plane(Run& run, const Subregion& patch, PlanePatchMesh& mesh);

}  // namespace korvex
