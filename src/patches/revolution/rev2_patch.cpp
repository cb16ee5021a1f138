// process_REV2_patch: a patch of a surface of revolution meshed in the plane
// of (radius times rotation angle, meridian length) and mapped back by
// rotating points of its right meridian about the axis.
#include <cmath>
#include <map>
#include <new>
#include <string>

#include "base/messages.h"
#include "patches/common/boundary_generator_input.h"
#include "patches/common/interval_index.h"
#include "patches/common/patch_untangling.h"
#include "patches/meshers.h"
#include "patches/revolution/rev_patch.h"
#include "patches/transfinite/transfinite_patch.h"

namespace korvex {

namespace {

constexpr double kFlatSegment = 1e-10;
constexpr int kProgressEvery = 200;

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// The boundary records in points_id order from the edge tables.
int boundary_uv(const Run& run, const Subregion& patch, const Rev2Tables& t, PlaneUV& uv) {
    std::map<int, const Rev2Record*> by_node;  // the first table holding a node gives its (u, v)
    for (const auto* table : {&t.bottom, &t.right, &t.top, &t.left})
        for (const Rev2Record& r : *table) by_node.try_emplace(r.node, &r);
    uv.num_points = patch.num_points;
    uv.nPINT = 0;
    uv.records.assign(at(patch.num_points) + 1, PointUV{});
    int found = 0;
    for (int i = 1; i <= patch.num_points; ++i) {
        const int node = patch.points_id[at(i)];
        const auto it = by_node.find(node);
        if (it == by_node.end()) continue;
        ++found;
        const ControlPoint& np = run.new_points[node];
        uv[i].u = it->second->u;
        uv[i].v = it->second->v;
        uv[i].curve_id = std::abs(np.curve_id);
        uv[i].name = np.name;
    }
    if (found != patch.num_points) {
        report(" Error in process_REV2_patch():\n  num_points=%i  !=  nPoints=%i\n", patch.num_points, found);
        return 0;
    }
    uv[0] = uv[uv.num_points];
    return 1;
}

// Point of a side table at meridian length v: the segment holding v with the
// smallest (left) or largest (right) u. Returns false when none holds it.
bool side_point(const std::vector<Rev2Record>& table, const IntervalIndex& index, double v, bool smallest_u,
                Rev2Record& out) {
    bool found = false;
    for (std::size_t i : index.candidates(v)) {
        const Rev2Record &a = table[i], &b = table[i + 1];
        if (v < std::min(a.v, b.v) || v > std::max(a.v, b.v)) continue;
        const double dv = b.v - a.v;
        const double s = std::fabs(dv) <= kFlatSegment ? 0.5 : (v - a.v) / dv;
        Rev2Record r;
        r.p = a.p + (b.p - a.p) * s;
        r.u = a.u + (b.u - a.u) * s;
        r.theta = a.theta + (b.theta - a.theta) * s;
        r.v = v;
        if (!found || (smallest_u ? r.u < out.u : r.u > out.u)) out = r;
        found = true;
    }
    return found;
}

}  // namespace

int deparameterize_REV2_mesh(int num_nodes, const Array1<GenNode>& nodes, Array1<Node3D>& nodes3d,
                             const Rev2Tables& t, const Rev2Frame& f) {
    const auto v_of = [](const std::vector<Rev2Record>& table) {
        std::vector<double> v;
        for (const Rev2Record& r : table) v.push_back(r.v);
        return v;
    };
    const IntervalIndex left_index(v_of(t.left)), right_index(v_of(t.right));
    for (int i = 1; i <= num_nodes; ++i) {
        if (i % kProgressEvery == 0) report(" Processing node %12i.    Total num_nodes=%i.\n", i, num_nodes);
        const GenNode& g = nodes[i];
        if (!g.name.starts_with("R")) continue;  // boundary nodes are placed by the caller
        Rev2Record L, R;
        if (!side_point(t.left, left_index, g.y, true, L)) {
            report(" Internal error in process_REV2_patch(): j4=%i\n", 0);
            report(" when v=%g\n", g.y);
            return 0;
        }
        if (!side_point(t.right, right_index, g.y, false, R)) {
            report(" Internal error in process_REV2_patch(): j2=%i\n", 0);
            report(" when v=%g\n", g.y);
            return 0;
        }
        const double du = L.u - R.u;
        const double fraction = du != 0 ? (g.x - R.u) / du : 0.5;
        // The right point sits at angle R.theta: it turns by the node's angle less that.
        nodes3d[i].set_pos(rotate_about_axis(R.p, f.P, f.n, (L.theta - R.theta) * fraction));
    }
    return 1;
}

namespace {

// Reads the model and writes only subregion k's own record (`patch`).
int mesh_rev2(const Run& run, Subregion& patch, PatchMesh& mesh) {
    RevEdges e;
    if (!rev_entry_checks(run, patch, RevKind::Rev2, e)) return 0;
    if (!verify_and_preprocess_REV_patch(run, patch, RevKind::Rev2, e)) {
        report("unsuccessful return from verify_and_preprocess_REV2_patch()\n");
        return 0;
    }
    Rev2Frame f;
    Rev2Tables t;
    PlaneUV uv;
    if (!parameterize_REV2_boundary(run, patch, e, f, t) || !boundary_uv(run, patch, t, uv)) return 0;
    if (uv.num_points % 2 != 0) {
        report(" Error in process_REV2_patch(): \n  total number of boundary points is an odd value: %i\n", uv.num_points);
        return 0;
    }
    BoundaryGeneratorInput in;
    build_boundary_generator_input(patch, uv, in);
    const TrelmoLimits limits{run.settings.MAX_SUBREGIONS, run.settings.MAX_NODEL_3D};
    if (!call_Trelmo(in.points, in.N, in.entities, in.N, in.subregions, 1, mesh.gen_nodes, mesh.num_nodes, mesh.elements,
                     mesh.num_elements, limits,
                     mesh.all_singular_repaired)) {
        report(" Subregion %s of REV2 type:\n   2D meshing unsuccessful. Try step size reduction.\n", patch.name.c_str());
        return 0;
    }
    report(" 2D meshing complete.\n");
    const auto by_name = boundary_records_by_name(uv);
    if (!restore_curved_boundary_uv(uv, by_name, CurvedBoundaryNodes::EntitiesAndPointsStrict,
                                    " For node %i (%s) : boundary point not found.\n", mesh))
        return 0;
    // Inverted or degenerate elements are repaired in the (angle, length) plane, before the mapping onto the surface.
    untangle_patch_mesh(patch.name.c_str(), mesh.num_nodes, mesh.gen_nodes, mesh.num_elements, mesh.elements);
    mesh.nodes = Array1<Node3D>(static_cast<std::size_t>(mesh.num_nodes));
    for (int i = 1; i <= mesh.num_nodes; ++i) {
        mesh.nodes[i].id = i;
        const GenNode& g = mesh.gen_nodes[i];
        if (g.kind != NODE_KIND_ENTITY && g.kind != NODE_KIND_POINT) continue;
        mesh.nodes[i].set_pos(run.new_points[patch.points_id[at(by_name.at(g.name.c_str()))]].pos());
    }
    report("\n Converting (U,V) mesh into 3D mesh ...\n\n");
    if (!deparameterize_REV2_mesh(mesh.num_nodes, mesh.gen_nodes, mesh.nodes, t, f)) {
        report("Unsuccessful return from deparameterize_REV2_mesh()\n");
        return 0;
    }
    report("\n ... QUAD4 nodes conversion complete ...\n");
    if (!restore_boundary_node_names(run, patch, uv, by_name, false, mesh.num_nodes, mesh.gen_nodes,
                                     mesh.num_elements, mesh.elements))
        return 0;
    copy_generator_names(mesh, true);
    report("\n ... mesh conversion complete.\n");
    return 1;
}

}  // namespace

int process_REV2_patch(Run& run, int k, PatchMesh& mesh) {
    try {
        return mesh_rev2(run, run.patches[k], mesh);
    } catch (const std::bad_alloc&) {
        report(" Out of memory in 'rev2_pa()'\n");
        return 0;
    }
}

}  // namespace korvex
