// Steps the curved meshers share on a finished patch mesh.
#include "patches/common/patch_mesh.h"

#include "base/messages.h"

namespace korvex {

namespace {

bool restored(const GenNode& g, CurvedBoundaryNodes which) {
    if (g.kind == NODE_KIND_ENTITY) return true;
    return g.kind == NODE_KIND_POINT && which != CurvedBoundaryNodes::EntitiesOnly;
}

}  // namespace

int restore_curved_boundary_uv(const PlaneUV& uv, const std::map<std::string, int>& by_name, CurvedBoundaryNodes which,
                               const char* missing_format, PatchMesh& mesh) {
    for (int i = 1; i <= mesh.num_nodes; ++i) {
        GenNode& g = mesh.gen_nodes[i];
        if (!restored(g, which)) continue;
        const bool lenient = which == CurvedBoundaryNodes::EntitiesAndPoints;
        if (which == CurvedBoundaryNodes::EntitiesOnly)
            g.name[0] = 'P';
        else if (!g.name.empty() && !(lenient && g.kind == NODE_KIND_POINT))  // lenient: points keep their letter
            g.name[0] = 'P';
        const auto it = by_name.find(g.name.c_str());
        if (it == by_name.end()) {
            if (lenient && g.kind == NODE_KIND_POINT) continue;
            report(missing_format, i, g.name.c_str());
            return 0;
        }
        g.x = uv[it->second].u;
        g.y = uv[it->second].v;
    }
    return 1;
}

void copy_generator_names(PatchMesh& mesh, bool also_saved) {
    for (int i = 1; i <= mesh.num_nodes; ++i) {
        mesh.nodes[i].name = mesh.gen_nodes[i].name;
        if (also_saved) mesh.nodes[i].name_saved = mesh.gen_nodes[i].name;
    }
}

void project_interior_onto_sphere(const Run& run, const Subregion& patch, PatchMesh& mesh) {
    const Vec3 centre{patch.centre[0], patch.centre[1], patch.centre[2]};
    const double R = distance(run.new_points[patch.points_id[1]].pos(), centre);
    for (int i = 1; i <= mesh.num_nodes; ++i) {
        Node3D& n = mesh.nodes[i];
        if (n.name[0] != 'R') continue;
        const Vec3 d = n.pos() - centre;
        const double len = norm(d);
        if (len > 0) n.set_pos(centre + d * (R / len));
    }
}

int room_in_global_mesh(const Run& run, int nodes) {
    constexpr int kNodeReserve = 1000;  // nodes kept free below MAX_NODEL_3D
    if (run.num_nodes + nodes <= run.settings.MAX_NODEL_3D - kNodeReserve) return 1;
    report("Increase  MAX_NODEL_3D to at least %i\n", run.num_nodes + nodes + kNodeReserve);
    return 0;
}

}  // namespace korvex
