// Chooses and runs the mesher of one subregion from its type and edge count.
#pragma once

#include <exception>

#include "base/messages.h"
#include "model/run.h"
#include "patches/common/patch_mesh.h"
#include "planar/plane_recognition.h"

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

// The plane mesher's part of a subregion that may be planar, up to the
// patch mesh: plane recognition and, when planar, the plane mesher. It reads
// the model and writes only subregion k's own record and the result here,
// so the attempts of different subregions may run on worker threads.
struct PlaneAttempt {
    MessageCapture messages;         // filled only when attempted on a worker
    int recognized = 0;              // recognize_plane_patch's return
    int planar = 0;
    PlaneCoeffs plane;
    int meshed = 0;                  // process_plane_patch's return
    PatchMesh mesh;
    std::exception_ptr error;        // thrown on a worker, rethrown in order
};

// True when subregion k goes through the plane mesher first.
bool tries_plane_mesher_first(const Subregion& s);

// The attempt for subregion k; with `capture` its messages are kept in
// the attempt (and anything it throws), else routed and thrown at once.
void attempt_plane_mesh(Run& run, int k, PlaneAttempt& a, bool capture);

// Meshes subregion k from its plane attempt, exactly as mesh_subregion
// would from the start: releases the attempt's messages, merges its mesh
// or goes on with the curved meshers. Returns 1, or 0 after reporting why.
int finish_plane_attempt(Run& run, int k, PlaneAttempt& a);

// The messages mesh_subregion writes for subregion k before its plane attempt.
void report_plane_candidate(const Subregion& s);

// Meshes subregion k with its mesher and merges the patch mesh into the
// global mesh. Returns 1, or 0 after reporting why.
int mesh_subregion(Run& run, int k);

}  // namespace korvex
