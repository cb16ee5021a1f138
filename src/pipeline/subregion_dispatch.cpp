#include "pipeline/subregion_dispatch.h"

#include "base/messages.h"
#include "patches/meshers.h"
#include "pipeline/patch_merge.h"
#include "planar/plane_recognition.h"

namespace korvex {

namespace {

// The smallest global mesh a successful plane mesher can leave behind.
constexpr int kMinimumMeshEntities = 4;

bool three_cornered(const Subregion& s) { return s.type == TYPE_TRIANGULAR || (s.type == TYPE_SPHERE && s.num_edges == 3); }

// Subregions that are not planar, or whose plane mesher failed: the
// triangular mesher for three-cornered ones, else the transfinite one.
int mesh_curved(Run& run, int k, PatchMesh& mesh) {
    if (three_cornered(run.patches[k])) {
        report("Meshing triangular.\n");
        return meshTriangular(run, k, mesh);
    }
    return meshPatch(run, k, mesh);
}

int merge_curved(Run& run, int k, PatchMesh& mesh) {
    const Subregion& s = run.patches[k];
    return three_cornered(s) ? merge_triangular_mesh(run, s, mesh) : merge_transfinite_mesh(run, s, mesh);
}

int mesh_curved_subregion(Run& run, int k) {
    PatchMesh mesh;
    return mesh_curved(run, k, mesh) && merge_curved(run, k, mesh);
}

void report_planarity_candidate_type(int type) {
    switch (type) {
        case TYPE_TRIANGULAR: report(" Subregion type: TRIANGULAR.\n"); break;
        case TYPE_PLANE: report(" Subregion type: PLANE.\n"); break;
        case TYPE_SPHERE: report(" Subregion type: SPHERE.\n"); break;
        default: break;  // no type word: nothing to say
    }
}

// Plane recognition, the plane mesher when planar, and the curved mesher
// when a subregion not declared PLANE is not planar.
void attempt_plane_route(Run& run, int k, SubregionAttempt& a) {
    report_planarity_candidate_type(run.patches[k].type);
    report("Second call of PLANE_P1.C from KORVEX.C:\n");
    a.recognized = recognize_plane_patch(run, k, a.plane, a.planar);
    if (!a.recognized) {
        report("Unsuccessful return from \trecognize_plane_patch()\n into KORVEX.C\n");
    } else if (a.planar) {
        report(" This subregion is recognized as PLANAR.\n");
        a.meshed = process_plane_patch(run, k, a.plane, a.mesh);
    } else if (run.patches[k].type != TYPE_PLANE) {
        a.curved_meshed = mesh_curved(run, k, a.curved);
    }
}

void report_revolution_entry(const Run& run, int k) {
    report(" Subregion type: REV.\n");
    report("infile=%s\n", run.problem_path.c_str());
    report("problem_name=%s\n", run.title.c_str());
    report("patches[%i]=%s\n", k, run.patches[k].name.c_str());
    report("Calling process_REV_patch() from KORVEX.C\n");
}

// The mesher of every route that may run on a worker.
void attempt_route(Run& run, int k, SubregionAttempt& a) {
    switch (a.route) {
        case MesherRoute::Revolution:
            if (!REV_meshed_in_one_piece(run.patches[k])) break;  // in strips: in order
            a.rev_piece = true;
            report_revolution_entry(run, k);
            mesh_REV_piece(run, k, a.rev);
            break;
        case MesherRoute::Revolution2:
            report(" Subregion type: REV2.\n");
            a.meshed = process_REV2_patch(run, k, a.mesh);
            break;
        case MesherRoute::Cylinder:
            report(" Subregion type: CYLINDER.\n");
            a.meshed = process_cylinder_patch(run, k, a.mesh);
            break;
        case MesherRoute::BilinearPatch:
            report(" Subregion type: BILINEAR .\n");
            a.meshed = meshPatch(run, k, a.mesh);
            break;
        case MesherRoute::SpherePatch:
            report(" Subregion type: SPHERE .\n");
            a.meshed = meshPatch(run, k, a.mesh);
            break;
        case MesherRoute::PlanarityTest:
            attempt_plane_route(run, k, a);
            break;
        default:
            break;  // the edge-count errors: on the calling thread, in order
    }
}

int finish_plane_route(Run& run, int k, SubregionAttempt& a) {
    if (!a.recognized) return 0;
    if (!a.mesh.all_singular_repaired) run.all_singular_repaired = 0;
    const bool declared_plane = run.patches[k].type == TYPE_PLANE;
    if (a.planar) {
        const int ok = a.meshed && merge_plane_mesh(run, run.patches[k], a.mesh);
        a.mesh = PatchMesh{};
        if (run.num_nodes < kMinimumMeshEntities || run.num_elements < kMinimumMeshEntities) {
            report(" Subregion %s processing unsuccessful:\n", run.patches[k].name.c_str());
            report("num_nodes=%i   num_elements=%i\n", run.num_nodes, run.num_elements);
            return 0;
        }
        if (ok) return 1;
        if (declared_plane) {
            report(" Subregion %s: processing unsuccessful.\n", run.patches[k].name.c_str());
            return 0;
        }
        return mesh_curved_subregion(run, k);
    }
    if (declared_plane) {
        report("In KORVEX.C: either insufficent RAM or\n");
        report(" input data error:\n");
        report(" subregion %s: is NOT plane, although declared as such.\n", run.patches[k].name.c_str());
        return 0;
    }
    return a.curved_meshed && merge_curved(run, k, a.curved);
}


// The routes that never leave the calling thread.
int mesh_in_order(Run& run, int k, MesherRoute route) {
    const Subregion& s = run.patches[k];
    switch (route) {
        case MesherRoute::Revolution:
            report_revolution_entry(run, k);
            return process_REV_patch(run, k, merge_transfinite_mesh);
        case MesherRoute::BilinearEdgeError:
            report(" Input data error: BILINEAR patch %s: \n    must have 4 edges  not %i\n    (after the preprocessing ).\n",
                   s.name.c_str(), s.num_edges);
            return 0;
        default:
            break;
    }
    report(" Error: patch %s has %i edges;\n    4 edges only are allowed.\n", s.name.c_str(), s.num_edges);
    return 0;
}

// The room in the global mesh that a mesher on a worker left to this thread
// to check, checked where its messages stand; 0 after reporting, the rest of
// the attempt void (the mesher would have stopped there).
int check_room_in_order(Run& run, SubregionAttempt& a) {
    const PatchMesh::RoomCheck& check = a.curved.room_check;
    if (!check.pending) return 1;
    release_first_messages(a.messages, check.at);
    if (room_in_global_mesh(run, check.nodes)) return 1;
    a.messages = MessageCapture{};
    return 0;
}

}  // namespace

void attempt_subregion_mesh(Run& run, int k, SubregionAttempt& a, bool capture) {
    a.route = choose_mesher_route(run.patches[k].type, run.patches[k].num_edges);
    if (capture) capture_messages_on_this_thread(&a.messages);
    try {
        attempt_route(run, k, a);
    } catch (...) {
        if (!capture) throw;
        a.error = std::current_exception();
    }
    if (capture) capture_messages_on_this_thread(nullptr);
}

int finish_subregion_attempt(Run& run, int k, SubregionAttempt& a) {
    if (!check_room_in_order(run, a)) return 0;
    release_messages(a.messages);
    if (a.error) std::rethrow_exception(a.error);
    const Subregion& s = run.patches[k];
    switch (a.route) {
        case MesherRoute::Revolution2:
            return a.meshed && merge_rev2_mesh(run, s, a.mesh);
        case MesherRoute::Cylinder: {
            // The cylinder mesher's closing line follows the merge, failed or not.
            const int ok = a.meshed && merge_cylinder_mesh(run, s, a.mesh);
            report("CYLIN_PA.C complete (process_cylinder_patch)\n");
            return ok;
        }
        case MesherRoute::BilinearPatch:
        case MesherRoute::SpherePatch:
            return a.meshed && merge_transfinite_mesh(run, s, a.mesh);
        case MesherRoute::PlanarityTest:
            return finish_plane_route(run, k, a);
        case MesherRoute::Revolution:
            if (a.rev_piece) return merge_REV_piece(run, k, a.rev, merge_transfinite_mesh);
            return mesh_in_order(run, k, a.route);
        default:
            return mesh_in_order(run, k, a.route);
    }
}

bool meshes_apart_from_the_model(const Subregion& s) {
    return choose_mesher_route(s.type, s.num_edges) != MesherRoute::Revolution || REV_meshed_in_one_piece(s);
}

MesherRoute choose_mesher_route(int type, int num_edges) {
    switch (type) {
        case TYPE_REV: return MesherRoute::Revolution;
        case TYPE_REV2: return MesherRoute::Revolution2;
        case TYPE_CYLINDER: return MesherRoute::Cylinder;
        case TYPE_BILINEAR: return num_edges == 4 ? MesherRoute::BilinearPatch : MesherRoute::BilinearEdgeError;
        default: break;
    }
    if (type == TYPE_SPHERE && num_edges == 4) return MesherRoute::SpherePatch;
    const bool four_edged = num_edges == 4 && (type == TYPE_NONE || type == TYPE_TRIANGULAR || type == TYPE_PLANE);
    const bool three_edged = num_edges == 3 && (type == TYPE_TRIANGULAR || type == TYPE_SPHERE);
    const bool one_edged_plane = num_edges == 1 && type == TYPE_PLANE;
    if (four_edged || three_edged || one_edged_plane) return MesherRoute::PlanarityTest;
    return MesherRoute::EdgeCountError;
}

int mesh_subregion(Run& run, int k) {
    SubregionAttempt a;
    attempt_subregion_mesh(run, k, a, false);
    return finish_subregion_attempt(run, k, a);
}

}  // namespace korvex
