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
#include "patches/common/patch_mesh.h"
#include "trelmo/trelmo.h"

namespace korvex {

// Used for the meshes of the curved, cylinder, revolution and triangular
// meshers. mesh.gen_nodes[i].name (the owner name) and mesh.nodes[i].name
// may be rewritten (name restoration). Example:
//   if (!add_to_global(run, run.patches[k], mesh)) {
//       report("...caller's own failure line...");
//       return 0;
//   }
int add_to_global(Run& run, const Subregion& patch, PatchMesh& mesh);

// Used for the meshes of the plane mesher; also carries the internal points
// of plane patches across patches through run.unprocessed_PINT_nodes. The
// merge may rewrite names, pint_tag of nodes and the owner names of gen_nodes.
int add_to_global_plane(Run& run, const Subregion& patch, PatchMesh& mesh);

}  // namespace korvex
