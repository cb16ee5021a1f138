#include "pipeline/subregion_dispatch.h"

#include "base/messages.h"
#include "patches/meshers.h"
#include "pipeline/patch_merge.h"
#include "planar/plane_recognition.h"

namespace korvex {

namespace {

// The smallest global mesh a successful plane mesher can leave behind.
constexpr int kMinimumMeshEntities = 4;

// Each mesher fills a patch mesh of its own; the route then merges it.
int mesh_transfinite_subregion(Run& run, int k) {
    PatchMesh mesh;
    return meshPatch(run, k, mesh) && merge_transfinite_mesh(run, run.patches[k], mesh);
}

int mesh_triangular_subregion(Run& run, int k) {
    PatchMesh mesh;
    return meshTriangular(run, k, mesh) && merge_triangular_mesh(run, run.patches[k], mesh);
}

// The cylinder mesher's closing line follows the merge, failed or not.
int mesh_cylinder_subregion(Run& run, int k) {
    PatchMesh mesh;
    const int ok = process_cylinder_patch(run, k, mesh) && merge_cylinder_mesh(run, run.patches[k], mesh);
    report("CYLIN_PA.C complete (process_cylinder_patch)\n");
    return ok;
}

int mesh_rev2_subregion(Run& run, int k) {
    PatchMesh mesh;
    return process_REV2_patch(run, k, mesh) && merge_rev2_mesh(run, run.patches[k], mesh);
}

// Subregions that are not planar, or whose plane mesher failed: the
// triangular mesher for three-cornered ones, else the transfinite one.
int mesh_curved_subregion(Run& run, int k) {
    const Subregion& s = run.patches[k];
    if (s.type == TYPE_TRIANGULAR || (s.type == TYPE_SPHERE && s.num_edges == 3)) {
        report("Meshing triangular.\n");
        return mesh_triangular_subregion(run, k);
    }
    return mesh_transfinite_subregion(run, k);
}

// Plane mesher when the subregion is planar; otherwise (or when the plane
// mesher fails for a subregion not declared PLANE) the curved meshers.
int mesh_after_planarity_test(Run& run, int k) {
    PlaneAttempt a;
    attempt_plane_mesh(run, k, a, false);
    return finish_plane_attempt(run, k, a);
}

void report_planarity_candidate_type(int type) {
    switch (type) {
        case TYPE_TRIANGULAR: report(" Subregion type: TRIANGULAR.\n"); break;
        case TYPE_PLANE: report(" Subregion type: PLANE.\n"); break;
        case TYPE_SPHERE: report(" Subregion type: SPHERE.\n"); break;
        default: break;  // no type word: nothing to say
    }
}

int run_revolution_mesher(Run& run, int k) {
    report(" Subregion type: REV.\n");
    report("infile=%s\n", run.problem_path.c_str());
    report("problem_name=%s\n", run.title.c_str());
    report("patches[%i]=%s\n", k, run.patches[k].name.c_str());
    report("Calling process_REV_patch() from KORVEX.C\n");
    return process_REV_patch(run, k, merge_transfinite_mesh);
}

}  // namespace

void attempt_plane_mesh(Run& run, int k, PlaneAttempt& a, bool capture) {
    if (capture) capture_messages_on_this_thread(&a.messages);
    try {
        report("Second call of PLANE_P1.C from KORVEX.C:\n");
        a.recognized = recognize_plane_patch(run, k, a.plane, a.planar);
        if (!a.recognized) {
            report("Unsuccessful return from \trecognize_plane_patch()\n into KORVEX.C\n");
        } else if (a.planar) {
            report(" This subregion is recognized as PLANAR.\n");
            a.meshed = process_plane_patch(run, k, a.plane, a.mesh);
        }
    } catch (...) {
        if (!capture) throw;
        a.error = std::current_exception();
    }
    if (capture) capture_messages_on_this_thread(nullptr);
}

int finish_plane_attempt(Run& run, int k, PlaneAttempt& a) {
    release_messages(a.messages);
    if (a.error) std::rethrow_exception(a.error);
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
    return mesh_curved_subregion(run, k);
}

bool tries_plane_mesher_first(const Subregion& s) {
    return choose_mesher_route(s.type, s.num_edges) == MesherRoute::PlanarityTest;
}

void report_plane_candidate(const Subregion& s) { report_planarity_candidate_type(s.type); }

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
    const Subregion& s = run.patches[k];
    switch (choose_mesher_route(s.type, s.num_edges)) {
        case MesherRoute::Revolution:
            return run_revolution_mesher(run, k);
        case MesherRoute::Revolution2:
            report(" Subregion type: REV2.\n");
            return mesh_rev2_subregion(run, k);
        case MesherRoute::Cylinder:
            report(" Subregion type: CYLINDER.\n");
            return mesh_cylinder_subregion(run, k);
        case MesherRoute::BilinearPatch:
            report(" Subregion type: BILINEAR .\n");
            return mesh_transfinite_subregion(run, k);
        case MesherRoute::BilinearEdgeError:
            report(" Input data error: BILINEAR patch %s: \n    must have 4 edges  not %i\n    (after the preprocessing ).\n",
                   s.name.c_str(), s.num_edges);
            return 0;
        case MesherRoute::SpherePatch:
            report(" Subregion type: SPHERE .\n");
            return mesh_transfinite_subregion(run, k);
        case MesherRoute::PlanarityTest:
            report_plane_candidate(s);
            return mesh_after_planarity_test(run, k);
        case MesherRoute::EdgeCountError:
            break;
    }
    report(" Error: patch %s has %i edges;\n    4 edges only are allowed.\n", s.name.c_str(), s.num_edges);
    return 0;
}

}  // namespace korvex
