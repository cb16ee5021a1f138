// The merge of each mesher's patch mesh into the global mesh, with the line
// the mesher's route reports when the merge fails and the one it reports
// when memory runs out during it. Each returns 1, or 0 after reporting.
#pragma once

#include "model/run.h"
#include "patches/common/patch_mesh.h"

namespace korvex {

int merge_plane_mesh(Run& run, const Subregion& patch, PatchMesh& mesh);
// Also handed to the surface-of-revolution mesher for its strips.
int merge_transfinite_mesh(Run& run, const Subregion& patch, PatchMesh& mesh);
int merge_triangular_mesh(Run& run, const Subregion& patch, PatchMesh& mesh);
int merge_cylinder_mesh(Run& run, const Subregion& patch, PatchMesh& mesh);
int merge_rev2_mesh(Run& run, const Subregion& patch, PatchMesh& mesh);

}  // namespace korvex
