// process_plane_patch: meshes one planar subregion. The boundary goes to the
// 2D generator as every second boundary node joined by straight entities of
// two steps each, so that the generator's middle node of each entity stands
// for the boundary node in between; afterwards those nodes get their exact
// positions and names back, the internal points are imposed and the mesh is
// mapped into 3D; the pipeline merges it into the global mesh.
#include <cmath>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "base/messages.h"
#include "patches/common/boundary_generator_input.h"
#include "patches/common/patch_untangling.h"
#include "patches/plane/plane_mesher.h"
#include "planar/boundary_crossings.h"

namespace korvex {

namespace {

constexpr int kMaxGeneratorPoints = 29997;
constexpr int kMaxPointsReported = 30000;
constexpr int kMaxEntitiesPerSubregion = 20000;   // MAX_ENTITIES_PER_SUBREGION

// Steps 3 to 6: generator points, entities and the one subregion, within
// the generator's fixed capacities for plane patches.
int build_generator_input(const Subregion& patch, const PlaneUV& uv, BoundaryGeneratorInput& in) {
    if (uv.num_points % 2 != 0) {
        report(" Error in process_plane_patch(): \n  total number of boundary points is an odd value: %i\n", uv.num_points);
        return 0;
    }
    const int N = uv.num_points / 2;
    if (N > kMaxGeneratorPoints) {
        report("In PLANE_PA.C: Increase MAX_POINTS (currently  %i) in QUAD_DRV.H\n", kMaxPointsReported);
        return 0;
    }
    if (N > kMaxEntitiesPerSubregion) {
        report(" Increase MAX_ENTITIES_PER_SUBREGION (currently %i) \n to at least %i\n", kMaxEntitiesPerSubregion, N + 100);
        return 0;
    }
    build_boundary_generator_input(patch, uv, in);
    return 1;
}

// Step 10: the patch's 3D node records, before renaming and mapping.
// The records are appended into reserved room, not zero-filled first: on a
// large patch that saves a pass over fresh memory.
void prepare_3d_nodes(PatchMesh& mesh) {
    std::vector<Node3D>& nodes = mesh.nodes.storage();
    nodes.clear();
    nodes.reserve(static_cast<std::size_t>(mesh.num_nodes) + 1);
    nodes.emplace_back();
    for (int i = 1; i <= mesh.num_nodes; ++i) {
        Node3D& n = nodes.emplace_back();
        const GenNode& g = mesh.gen_nodes[i];
        n.id = i;
        n.name = g.name;
        n.name_saved = g.name;
        if (!g.owner.empty()) n.pint_tag = g.owner;
    }
}

int mesh_plane(const Run& run, int k, const PlaneCoeffs& plane, const Vec3& normal, PatchMesh& mesh) {
    const Subregion& patch = run.patches[k];
    PlaneUV uv;
    if (!parameterize_plane_patch(run, patch, normal, uv)) {
        report("Unsuccessful return from parameterize_plane_patch() (PLANE_P3.C)\ninto process_plane_patch() (PLANE_PA.C)\n");
        return 0;
    }
    // A PLANE subregion's boundary, holes and trees were checked as the user
    // drew them; a flat subregion of another type is checked here.
    if (patch.type != TYPE_PLANE && !check_parameter_boundary(run, patch, uv)) return 0;
    BoundaryGeneratorInput in;
    if (!build_generator_input(patch, uv, in)) return 0;

    const TrelmoLimits limits{run.settings.MAX_SUBREGIONS, run.settings.MAX_NODEL_3D};
    if (!call_Trelmo(in.points, in.N, in.entities, in.N, in.subregions, 1, mesh.gen_nodes, mesh.num_nodes, mesh.elements,
                     mesh.num_elements, limits, mesh.all_singular_repaired)) {
        report("Unsuccessful return from call_Trelmo() into PLANE_PA.C. \nPossible reasons: too acute angle, too large step size\n (or insufficient memory)\n");
        return 0;
    }
    if (!process_plane_PINTs(run, patch, uv, mesh.num_nodes, mesh.gen_nodes, mesh.num_elements, mesh.elements)) {
        report("Unsuccessful return into PLANE_PA.C from PLANPINT.C\n");
        return 0;
    }
    // Step 9: boundary nodes get their exact (u, v) back; step 11: user names.
    const std::map<std::string, int> by_name = boundary_records_by_name(uv);
    if (!restore_boundary_positions(uv, by_name, RestoredNodes::PointsAndEntities,
                                    "Error in PLANE_PA.C: boundary point coordinate can't be restored.\n",
                                    mesh.num_nodes, mesh.gen_nodes))
        return 0;
    untangle_patch_mesh(patch.name.c_str(), mesh.num_nodes, mesh.gen_nodes, mesh.num_elements, mesh.elements);
    prepare_3d_nodes(mesh);
    if (!restore_boundary_node_names(run, patch, uv, by_name, true, mesh.num_nodes, mesh.gen_nodes, mesh.num_elements,
                                     mesh.elements))
        return 0;

    report("\n Rotating (U,V) mesh to the 3D position... \n");
    rotate_uv_mesh_to_3D(run, patch, uv, plane, mesh);
    report(" ... completed.\n");
    return 1;
}

}  // namespace

int process_plane_patch(Run& run, int k, const PlaneCoeffs& plane, PatchMesh& mesh) {
    Vec3 normal{plane.a, plane.b, plane.c};
    const double len = norm(normal);
    if (len > 0) normal = normal / len;
    try {
        return mesh_plane(run, k, plane, normal, mesh);
    } catch (const std::bad_alloc&) {
        report("Patch %s  (plane): \n  insufficient memory for TRELMO input    data structures.\n",
               run.patches[k].name.c_str());
        return 0;
    }
}

}  // namespace korvex
