// process_plane_patch: meshes one planar subregion. The boundary goes to the
// 2D generator as every second boundary node joined by straight entities of
// two steps each, so that the generator's middle node of each entity stands
// for the boundary node in between; afterwards those nodes get their exact
// positions and names back, the internal points are imposed, the mesh is
// mapped into 3D and merged into the global mesh.
#include <cmath>
#include <map>
#include <new>
#include <string>

#include "interface/messages.h"
#include "patches/patch_untangling.h"
#include "patches/plane_mesher.h"

namespace korvex {

namespace {

constexpr int kMaxGeneratorPoints = 29997;
constexpr int kMaxPointsReported = 30000;
constexpr int kMaxEntitiesPerSubregion = 20000;   // MAX_ENTITIES_PER_SUBREGION
constexpr double kTinyUV = 1e-14;

double zero_tiny(double x) { return std::fabs(x) < kTinyUV ? 0.0 : x; }

// Steps 3 to 6: generator points, entities and the one subregion.
struct GeneratorInput {
    Array1<GenPoint> points;
    Array1<GenEntity> entities;
    Array1<GenSubregion> subregions;
    int N = 0;
};

int build_generator_input(const Subregion& patch, const PlaneUV& uv, GeneratorInput& in) {
    if (uv.num_points % 2 != 0) {
        report(" Error in process_plane_patch(): \n  total number of boundary points is an odd value: %i\n", uv.num_points);
        return 0;
    }
    const int N = uv.num_points / 2;
    if (N > kMaxGeneratorPoints) {
        report("In PLANE_PA.C: Increase MAX_POINTS (currently  %i) in QUAD_DRV.H\n", kMaxPointsReported);
        return 0;
    }
    in.N = N;
    in.points = Array1<GenPoint>(static_cast<std::size_t>(N));
    in.entities = Array1<GenEntity>(static_cast<std::size_t>(N));
    for (int k = 1; k <= N; ++k) {
        const PointUV& r = uv[2 * k - 1];
        in.points[k].name = r.name;
        in.points[k].x = zero_tiny(r.u);
        in.points[k].y = zero_tiny(r.v);
    }
    for (int k = 1; k <= N; ++k) {
        GenEntity& e = in.entities[k];
        std::string name = uv[2 * k].name.c_str();
        if (!name.empty()) name[0] = 'L';
        e.name = name;
        e.type = ENTITY_TYPE_LINE;
        e.start = in.points[k].name;
        e.end = in.points[k == N ? 1 : k + 1].name;
        e.division_mode = DIVISION_BY_COUNT;
        e.num_steps = 2;
    }
    if (N > kMaxEntitiesPerSubregion) {
        report(" Increase MAX_ENTITIES_PER_SUBREGION (currently %i) \n to at least %i\n", kMaxEntitiesPerSubregion, N + 100);
        return 0;
    }
    in.subregions = Array1<GenSubregion>(1);
    GenSubregion& s = in.subregions[1];
    s.name = patch.name;
    s.num_entities = N;
    s.entity_names = Array1<FixedName<12>>(static_cast<std::size_t>(N));
    for (int k = 1; k <= N; ++k) s.entity_names[k] = in.entities[k].name;
    s.REF = patch.REF;
    return 1;
}

// Step 9: every boundary node (not an internal point, not interior) takes
// the exact (u, v) of the boundary record it stands for.
int restore_boundary_positions(const PlaneUV& uv, const std::map<std::string, int>& by_name, PlanePatchMesh& mesh) {
    for (int i = 1; i <= mesh.num_nodes; ++i) {
        GenNode& g = mesh.gen_nodes[i];
        if (g.name == "PINT" || g.kind == NODE_KIND_INTERIOR) continue;
        if (!g.name.empty()) g.name[0] = 'P';
        const auto it = by_name.find(g.name.c_str());
        if (it == by_name.end()) {
            report("Error in PLANE_PA.C: boundary point coordinate can't be restored.\n");
            return 0;
        }
        g.x = uv[it->second].u;
        g.y = uv[it->second].v;
    }
    return 1;
}

// Step 11: generated node names become the user's names.
int restore_node_names(const Run& run, const Subregion& patch, const PlaneUV& uv,
                       const std::map<std::string, int>& by_name, PlanePatchMesh& mesh) {
    for (int i = 1; i <= mesh.num_nodes; ++i) {
        GenNode& g = mesh.gen_nodes[i];
        if (g.name[1] == '$') {
            const auto it = by_name.find(g.name.c_str());
            const int j = it == by_name.end() ? 0 : it->second;
            const int cid = j ? uv[j].curve_id : 0;
            if (cid <= 0) {
                report(" Wrong curve_id=%i  when i=%i j=%i\n", cid, i, j);
                return 0;
            }
            g.name = run.curves[cid].name_original;
        } else if (g.name[1] == 'p' || g.name.starts_with("RH@")) {
            g.name = patch.original_name;
            g.kind = NODE_KIND_INTERIOR;
        } else if (g.name.starts_with("P@")) {
            const ControlPoint* match = nullptr;
            for (int p = 1; p <= run.num_new_points && !match; ++p)
                if (run.new_points[p].name == g.name) match = &run.new_points[p];
            if (!match || match->name_original.empty())
                report(" Warning : Original curve name for point %s   \n  could not be restored.\n", g.name.c_str());
            g.name = match ? match->name_original.c_str() : "";
            g.kind = NODE_KIND_ENTITY;
        }
    }
    for (int e = 1; e <= mesh.num_elements; ++e)
        if (mesh.elements[e].name[1] == 'p') mesh.elements[e].name = patch.original_name;
    return 1;
}

// Step 10: the patch's 3D node records, before renaming and mapping.
void prepare_3d_nodes(PlanePatchMesh& mesh) {
    mesh.nodes = Array1<Node3D>(static_cast<std::size_t>(mesh.num_nodes));
    for (int i = 1; i <= mesh.num_nodes; ++i) {
        Node3D& n = mesh.nodes[i];
        const GenNode& g = mesh.gen_nodes[i];
        n.id = i;
        n.name = g.name;
        n.name_saved = g.name;
        if (!g.owner.empty()) n.pint_tag = g.owner;
    }
}

int mesh_plane(Run& run, int k, const PlaneCoeffs& plane, const Vec3& normal) {
    const Subregion& patch = run.patches[k];
    PlaneUV uv;
    if (!parameterize_plane_patch(run, patch, normal, uv)) {
        report("Unsuccessful return from parameterize_plane_patch() (PLANE_P3.C)\ninto process_plane_patch() (PLANE_PA.C)\n");
        return 0;
    }
    GeneratorInput in;
    if (!build_generator_input(patch, uv, in)) return 0;

    PlanePatchMesh mesh;
    const TrelmoLimits limits{run.settings.MAX_SUBREGIONS, run.settings.MAX_NODEL_3D};
    if (!call_Trelmo(in.points, in.N, in.entities, in.N, in.subregions, 1, mesh.gen_nodes, mesh.num_nodes, mesh.elements,
                     mesh.num_elements, limits, run.all_singular_repaired)) {
        report("Unsuccessful return from call_Trelmo() into PLANE_PA.C. \nPossible reasons: too acute angle, too large step size\n (or insufficient memory)\n");
        return 0;
    }
    if (!process_plane_PINTs(run, patch, uv, mesh.num_nodes, mesh.gen_nodes, mesh.num_elements, mesh.elements)) {
        report("Unsuccessful return into PLANE_PA.C from PLANPINT.C\n");
        return 0;
    }
    std::map<std::string, int> by_name;
    for (int j = uv.num_points; j >= 1; --j) by_name[uv[j].name.c_str()] = j;  // first record wins
    if (!restore_boundary_positions(uv, by_name, mesh)) return 0;
    untangle_patch_mesh(patch.name.c_str(), mesh.num_nodes, mesh.gen_nodes, mesh.num_elements, mesh.elements);
    prepare_3d_nodes(mesh);
    if (!restore_node_names(run, patch, uv, by_name, mesh)) return 0;

    report("\n Rotating (U,V) mesh to the 3D position... \n");
    rotate_uv_mesh_to_3D(run, patch, uv, plane, mesh);
    report(" ... completed.\n");

    if (!add_to_global_plane(run, patch, mesh)) {
        report("Unsuccessful return from add_to_global() to PLANE_PA.C\n");
        return 0;
    }
    return 1;
}

}  // namespace

int process_plane_patch(Run& run, int k, const PlaneCoeffs& plane) {
    Vec3 normal{plane.a, plane.b, plane.c};
    const double len = norm(normal);
    if (len > 0) normal = normal / len;
    try {
        return mesh_plane(run, k, plane, normal);
    } catch (const std::bad_alloc&) {
        report("Patch %s  (plane): \n  insufficient memory for TRELMO input    data structures.\n",
               run.patches[k].name.c_str());
        return 0;
    }
}

}  // namespace korvex
