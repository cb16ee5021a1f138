// The steps of the plane mesher that work on its (u, v) mesh.
#pragma once

#include "patches/common/patch_mesh.h"
#include "model/run.h"
#include "planar/plane_recognition.h"
#include "planar/plane_uv.h"
#include "trelmo/trelmo.h"

namespace korvex {

// Moves the nearest suitable 2D mesh node onto every internal point kept in
// uv (records num_points+1 .. num_points+nPINT) and names it "PINT"; sets the
// PINT state of the point's record in new_points (2 placed on an interior
// node, 3 ignored, 5 placed on a boundary node). Returns 1, or 0 on a missing
// boundary node for a snapped point or a snapped node named like a subregion.
int process_plane_PINTs(const Run& run, const Subregion& patch, const PlaneUV& uv, int num_nodes, Array1<GenNode>& nodes,
                        int num_elements, const Array1<GenElement>& elements);

// Maps the 2D nodes of mesh.gen_nodes into the plane a·x + b·y + c·z = d:
// fills mesh.nodes[i] coordinates, name (the 2D node's name) and id (= i).
void rotate_uv_mesh_to_3D(const Run& run, const Subregion& patch, const PlaneUV& uv, const PlaneCoeffs& plane,
                          PatchMesh& mesh);

}  // namespace korvex
