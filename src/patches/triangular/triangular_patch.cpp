// meshTriangular: meshes a curved three-edged subregion (TRIANGULAR, or a
// three-edged SPHERE that is not planar). Every boundary node is laid on the
// side of a planar triangle at its chord-length distance from the side's
// start; the generator meshes the triangle; boundary nodes get their exact
// 3D positions back and interior nodes are blended from the three edges.
#include <cmath>
#include <map>
#include <new>
#include <string>

#include "base/messages.h"
#include "patches/common/boundary_generator_input.h"
#include "patches/common/patch_untangling.h"
#include "patches/meshers.h"
#include "patches/triangular/triangular_mesher.h"
#include "planar/plane_uv.h"

namespace korvex {

namespace {

constexpr int kMaxGeneratorPoints = 30000;       // points and entities the generator input holds
constexpr int kMaxEntitiesPerSubregion = 20000;  // entities of one generator subregion

// The patch's working data from the edges to the 3D nodes.
struct TriangularMesh {
    TriangularEdge edge[4]{};
    PlanarTriangle tri{};
    PlaneUV uv{};                            // 1..num_points, boundary order
    std::map<std::string, int> by_name{};    // boundary record of a node name (first wins)
    PatchMesh& mesh;                       // the mesh the mesher returns
};

void add_record(const Run& run, TriangularMesh& m, int node, double u, double v) {
    const ControlPoint& p = run.new_points[node];
    PointUV r;
    r.u = u;
    r.v = v;
    r.curve_id = std::abs(p.curve_id);
    r.name = p.name;
    m.uv.records.push_back(r);
}

// Steps 1 and 2: the planar triangle and the boundary (u, v).
int lay_out_boundary(const Run& run, int k, TriangularMesh& m) {
    for (int e = 1; e <= 3; ++e)
        if (!getEdgeDirectionalCos(run, k, e, m.edge[e])) return 0;
    const auto length = [&](int e) { return m.edge[e].arc[static_cast<std::size_t>(m.edge[e].n)]; };
    const double L1 = length(1), L3 = length(3);
    m.tri = planar_triangle(L1, length(2), L3);
    m.uv.records.assign(1, PointUV{});
    const TriangularEdge& e1 = m.edge[1];
    const TriangularEdge& e2 = m.edge[2];
    const TriangularEdge& e3 = m.edge[3];
    for (int i = 1; i <= e1.n; ++i) add_record(run, m, e1.nodes[static_cast<std::size_t>(i)], e1.arc[static_cast<std::size_t>(i)], 0.0);
    for (int i = 2; i <= e2.n; ++i) {
        const double a = e2.arc[static_cast<std::size_t>(i)];
        add_record(run, m, e2.nodes[static_cast<std::size_t>(i)], L1 - m.tri.cos_b * a, m.tri.sin_b * a);
    }
    for (int i = 2; i < e3.n; ++i) {
        const double a = L3 - e3.arc[static_cast<std::size_t>(i)];
        add_record(run, m, e3.nodes[static_cast<std::size_t>(i)], a * m.tri.cos_a, a * m.tri.sin_a);
    }
    m.uv.num_points = static_cast<int>(m.uv.records.size()) - 1;
    m.uv.records[0] = m.uv.records.back();
    m.by_name = boundary_records_by_name(m.uv);
    return 1;
}

// Step 3: every second boundary node is a generator point; straight entities
// of two steps join them, their middle nodes standing for the nodes between.
int mesh_triangle(const Run& run, const Subregion& s, TriangularMesh& m) {
    if (m.uv.num_points % 2 != 0) {
        report(" Error in procedure meshTriangular(): \n  the total number of boundary points is an odd value: %i\n",
               m.uv.num_points);
        return 0;
    }
    if (m.uv.num_points / 2 > kMaxGeneratorPoints) {
        report("In TRIA_CUR.C: Increase MAX_POINTS (currently  %i) in QUAD_DRV.H\n", kMaxGeneratorPoints);
        return 0;
    }
    if (m.uv.num_points / 2 > kMaxEntitiesPerSubregion) {
        report(" Increase MAX_ENTITIES_PER_SUBREGION (currently %i) \n to at least %i\n", kMaxEntitiesPerSubregion,
               m.uv.num_points / 2 + 100);
        return 0;
    }
    BoundaryGeneratorInput in;
    build_boundary_generator_input(s, m.uv, in);
    const TrelmoLimits limits{run.settings.MAX_SUBREGIONS, run.settings.MAX_NODEL_3D};
    if (!call_Trelmo(in.points, in.N, in.entities, in.N, in.subregions, 1, m.mesh.gen_nodes, m.mesh.num_nodes, m.mesh.elements,
                     m.mesh.num_elements, limits, m.mesh.all_singular_repaired)) {
        report("\n Patch %s: step size must be reduced.\n", s.original_name.c_str());
        return 0;
    }
    return 1;
}

// Step 4.1: entity middle nodes become the boundary nodes they stand for.
int restore_boundary_uv(TriangularMesh& m) {
    return restore_curved_boundary_uv(m.uv, m.by_name, CurvedBoundaryNodes::EntitiesOnly,
                                      " Error in meshTriangular():\n For node %i (%s) :  boundary point not found.\n",
                                      m.mesh);
}

// Step 4.2: boundary nodes take the exact position of their namesake.
int place_boundary_nodes(const Run& run, const Subregion& s, TriangularMesh& m) {
    std::map<std::string, int> boundary;
    for (int j = s.num_points; j >= 1; --j) {
        const int id = s.points_id[static_cast<std::size_t>(j)];
        boundary[run.new_points[id].name.c_str()] = id;
    }
    m.mesh.nodes = Array1<Node3D>(static_cast<std::size_t>(m.mesh.num_nodes) + NODEL_3D_EXTRA);
    for (int i = 1; i <= m.mesh.num_nodes; ++i) {
        const GenNode& g = m.mesh.gen_nodes[i];
        m.mesh.nodes[i].id = i;
        m.mesh.nodes[i].name = g.name;
        if (g.kind == NODE_KIND_INTERIOR) continue;
        const auto it = boundary.find(g.name.c_str());
        if (it == boundary.end()) {
            report(" Error in meshTriangular(): cannot identify boundary point\n  for node %i (%s):   u=%g   v=%g\n", i,
                   g.name.c_str(), g.x, g.y);
            return 0;
        }
        m.mesh.nodes[i].set_pos(run.new_points[it->second].pos());
    }
    return 1;
}

// Step 4.3: nodes named after generated curve nodes take the user's names.
int restore_node_names(const Run& run, const Subregion& s, TriangularMesh& m) {
    if (!restore_boundary_node_names(run, s, m.uv, m.by_name, false, m.mesh.num_nodes, m.mesh.gen_nodes, m.mesh.num_elements,
                                     m.mesh.elements))
        return 0;
    copy_generator_names(m.mesh, false);
    return 1;
}

int mesh_triangular_patch(const Run& run, int k, PatchMesh& mesh) {
    report("** new ** Curved TRIANGULAR patch: processing begins. \n *******");
    TriangularMesh m{.mesh = mesh};
    try {
        if (!lay_out_boundary(run, k, m)) return 0;
    } catch (const std::bad_alloc&) {
        report("Out of memory in meshTriangular() for arrays arc1/2/3[].\n");
        return 0;
    }
    const Subregion& s = run.patches[k];
    if (!mesh_triangle(run, s, m) || !restore_boundary_uv(m)) return 0;
    // Inverted or degenerate elements are repaired in the triangle's plane, before the projection onto the surface.
    untangle_patch_mesh(s.name.c_str(), m.mesh.num_nodes, m.mesh.gen_nodes, m.mesh.num_elements, m.mesh.elements);
    if (!place_boundary_nodes(run, s, m) || !restore_node_names(run, s, m)) return 0;
    if (const auto at = captured_message_count()) {
        m.mesh.room_check = {true, *at, m.mesh.num_nodes};
    } else if (!room_in_global_mesh(run, m.mesh.num_nodes)) {
        return 0;
    }
    report("\n Calculation of 3D nodal coordinates begins...\n");
    if (!Project_2D_mesh_on_the_triangular_patch(run, k, m.mesh.num_nodes, m.mesh.gen_nodes, m.mesh.nodes, m.tri)) {
        report("Error: projection of the 2D mesh onto the 3D\n transfinite surface unsuccessful.\n");
        return 0;
    }
    report(" ... 3D nodal coordinates calculation complete.\n");
    // The interior nodes of a SPHERE subregion go onto its sphere, as for a
    // four-edged one: the blend of the edges leaves them inside it.
    if (s.type == TYPE_SPHERE) project_interior_onto_sphere(run, s, mesh);
    return 1;
}

}  // namespace

int meshTriangular(Run& run, int k, PatchMesh& mesh) {
    try {
        return mesh_triangular_patch(run, k, mesh);
    } catch (const std::bad_alloc&) {
        report(" Insufficient memory for TRELMO input data structures.\n");
        return 0;
    }
}

}  // namespace korvex
