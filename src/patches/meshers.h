// The meshers of the subregions, one per room of this folder. Each meshes
// subregion k and returns 1, or 0 after reporting its reason.
#pragma once

#include "model/run.h"
#include "planar/plane_recognition.h"

namespace korvex {

int process_plane_patch(Run& run, int k, const PlaneCoeffs& plane);  // plane/
int meshPatch(Run& run, int k);                                       // transfinite/
int meshTriangular(Run& run, int k);                                  // triangular/
int process_cylinder_patch(Run& run, int k);                          // cylinder/
int process_REV_patch(Run& run, int k);                               // revolution/
int process_REV2_patch(Run& run, int k);                              // revolution/

}  // namespace korvex
