// The meshers of the subregions, one per room of this folder. Each meshes
// subregion k into a patch mesh of its own numbering, which the pipeline then
// merges into the global mesh; each returns 1, or 0 after reporting its
// reason.
#pragma once

#include "base/vec3.h"
#include "model/run.h"
#include "patches/common/patch_mesh.h"
#include "planar/plane_recognition.h"

namespace korvex {

int process_plane_patch(Run& run, int k, const PlaneCoeffs& plane, PatchMesh& mesh);  // plane/
int meshPatch(Run& run, int k, PatchMesh& mesh);                                       // transfinite/
int meshTriangular(Run& run, int k, PatchMesh& mesh);                                  // triangular/
int process_cylinder_patch(Run& run, int k, PatchMesh& mesh);                          // cylinder/
int process_REV2_patch(Run& run, int k, PatchMesh& mesh);                              // revolution/
// revolution/: a REV subregion is meshed by the transfinite mesher, strip by
// strip when its meridians have several curves; each strip's mesh is merged
// with merge_transfinite (the pipeline's merge of a transfinite mesh) before
// its new nodes are corrected onto the exact surface.
int process_REV_patch(Run& run, int k, const MergePatchMesh& merge_transfinite);

// A REV subregion whose four edges are one curve each is meshed in one
// piece, never in strips, so its meshing splits as the other meshers' does:
// mesh_REV_piece reads the model and writes only subregion k and the piece
// (it may run on a worker thread); merge_REV_piece merges the piece with
// merge_transfinite and moves its new nodes onto the exact surface.
struct RevPiece {
    int prepared = 0;       // checks passed, parallels chosen, axis found
    Vec3 axis_point;
    Vec3 axis_dir;
    int meshed = 0;         // the transfinite mesher's return
    PatchMesh mesh;
};
bool REV_meshed_in_one_piece(const Subregion& s);
void mesh_REV_piece(Run& run, int k, RevPiece& piece);
int merge_REV_piece(Run& run, int k, RevPiece& piece, const MergePatchMesh& merge_transfinite);

}  // namespace korvex
