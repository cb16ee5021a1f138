// Chooses and runs the mesher of one subregion from its type and edge count.
#pragma once

#include "model/run.h"

namespace korvex {

enum class MesherRoute {
    Revolution,         // REV: process_REV_patch
    Revolution2,        // REV2: process_REV2_patch
    Cylinder,           // process_cylinder_patch
    BilinearPatch,      // BILINEAR with 4 edges: meshPatch
    BilinearEdgeError,  // BILINEAR with another edge count: input error
    SpherePatch,        // SPHERE with 4 edges: meshPatch
    PlanarityTest,      // plane mesher when planar, else triangular or transfinite
    EdgeCountError,     // no mesher accepts this type and edge count
};

// The dispatch table by subregion type and number of edges.
MesherRoute choose_mesher_route(int type, int num_edges);

// Meshes subregion k with its mesher and merges the patch mesh into the
// global mesh. Returns 1, or 0 after reporting why.
int mesh_subregion(Run& run, int k);

}  // namespace korvex
