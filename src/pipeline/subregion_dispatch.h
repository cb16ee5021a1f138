// Chooses and runs the mesher of one subregion from its type and edge count.
#pragma once

#include <exception>

#include "base/messages.h"
#include "model/run.h"
#include "patches/meshers.h"
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

// A subregion's mesher run up to its patch mesh, before the merge. The
// meshers read the model and write only subregion k's own record and the
// attempt, so the attempts of different subregions may run on worker
// threads; the merge stays on the calling thread, in the subregions' order.
struct SubregionAttempt {
    MessageCapture messages;         // filled only when attempted on a worker
    MesherRoute route = MesherRoute::EdgeCountError;
    // Plane route: recognition and, when planar, the plane mesher.
    int recognized = 0;              // recognize_plane_patch's return
    int planar = 0;
    PlaneCoeffs plane;
    int meshed = 0;                  // the mesher's return (plane or curved)
    PatchMesh mesh;
    // A plane-route subregion found not planar goes on with a curved mesher
    // (triangular or transfinite) into `curved`.
    int curved_meshed = 0;
    PatchMesh curved;
    // REV route: a subregion meshed in one piece (not in strips).
    bool rev_piece = false;
    RevPiece rev;
    std::exception_ptr error;        // thrown on a worker, rethrown in order
};

// True when subregion k's mesher may run on a worker: every route but REV
// in strips (edges of several curves), whose strips add points, curves and
// subregions to the model as they go.
bool meshes_apart_from_the_model(const Subregion& s);

// The attempt for subregion k; with `capture` its messages are kept in
// the attempt (and anything it throws), else routed and thrown at once.
void attempt_subregion_mesh(Run& run, int k, SubregionAttempt& a, bool capture);

// Meshes subregion k from its attempt, exactly as mesh_subregion would from
// the start: releases the attempt's messages and merges its mesh (or goes on
// with the curved meshers). Returns 1, or 0 after reporting why.
int finish_subregion_attempt(Run& run, int k, SubregionAttempt& a);

// Meshes subregion k with its mesher and merges the patch mesh into the
// global mesh. Returns 1, or 0 after reporting why.
int mesh_subregion(Run& run, int k);

}  // namespace korvex
