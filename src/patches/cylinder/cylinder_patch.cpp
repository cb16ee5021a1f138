// process_cylinder_patch: meshes one CYLINDER subregion. The boundary is
// pulled onto the radius of its circumferential arcs, densified, unrolled
// into the (u, v) plane, meshed there by the 2D generator and mapped back
// onto the cylinder. An unrolling that does not close, or a mesh with an
// interior edge much shorter in 3D than in (u, v), is tried again with a
// larger lower_angle_margin (and, when that runs out, a larger projection
// tolerance); the mesh is returned for merging only when it passes.
#include <cmath>
#include <new>
#include <utility>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "patches/common/patch_untangling.h"
#include "patches/cylinder/cylinder_mesher.h"
#include "patches/meshers.h"
#include "planar/boundary_crossings.h"

namespace korvex {

namespace {

constexpr double kFirstMargin = 1;                  // degrees
constexpr double kLastUnrollingMargin = 88;         // the closure test gives up above
constexpr double kLastMeshingMargin = 89;           // the element check gives up above
constexpr double kFirstProjectionTolerance = 1e-9;
constexpr double kLastProjectionTolerance = 0.001;  // raised by factors of 10 while below
constexpr double kSameUV = 1e-14;                   // a repeated attempt gave the same mesh
constexpr double kElementEdgeRatio = 0.94;          // smallest accepted 3D / (u, v) length of an interior edge

double next_margin(double m) { return m < 10 ? m + 1 : (m < 50 ? m + 5 : m + 10); }

// Runs one step; when memory runs out there, reports that step's own
// message and fails.
template <class Step>
int with_memory_report(const char* message, Step step) {
    try {
        return step();
    } catch (const std::bad_alloc&) {
        report("%s", message);
        return 0;
    }
}

// What made the last retry: a failed closure or a failed element check.
constexpr int kRetryForClosure = 1;
constexpr int kRetryForElements = 2;

// The state the retries carry from one attempt to the next.
struct Attempts {
    UnrollingLimits limits{kFirstMargin, kFirstProjectionTolerance};
    int ireason = kRetryForClosure;
    bool meshed_before = false;
    std::vector<std::pair<double, double>> nodes_old;  // (u, v) of the previous attempt's nodes
};

// Unrolls until the boundary closes; returns 0 after reporting when no
// margin and tolerance make it close.
int unroll_until_closed(const Subregion& patch, const Vec3& axis, DenseBoundary& dense, Attempts& at) {
    for (;;) {
        double U_last = 0, V_last = 0;
        const Unrolling r = unroll_cylinder_boundary(axis, at.limits, dense, U_last, V_last);
        if (r == Unrolling::Failed) return 0;
        if (r == Unrolling::Closed) {
            report("\n Parameterization completed with  lower_angle_margin=%g\n", at.limits.lower_angle_margin);
            return 1;
        }
        at.limits.lower_angle_margin = next_margin(at.limits.lower_angle_margin);
        if (at.limits.lower_angle_margin <= kLastUnrollingMargin) continue;
        if (at.limits.projection_tolerance < kLastProjectionTolerance) {
            report(" lower_angle_margin over limit :%10.5lf \n", at.limits.lower_angle_margin);
            report(" Projection tolerance being increased from  %g to %g\n", at.limits.projection_tolerance,
                   at.limits.projection_tolerance * 10);
            at.limits.projection_tolerance *= 10;
            at.limits.lower_angle_margin = kFirstMargin;
            continue;
        }
        report(" Parameterization unsuccessful.\n");
        if (at.ireason == kRetryForElements) {
            report(" Check input data: step sizes along\n the boundary appear to be too large, \n"
                   " compared to the boundary's curvature value(s).\n");
        } else {
            report(" Check input data of subregion %s:\n   may not be a cylindrical surface.\n", patch.name.c_str());
            report("  (U_last=%g;  V_last=%g;  2.*chord_last/icoef=%g)\n", U_last, V_last,
                   2.0 * dense.chord_last / kBoundarySubdivisions);
        }
        return 0;
    }
}

// The generator's mesh of the unrolled boundary, with the boundary nodes'
// exact (u, v) and the user's names restored.
int mesh_unrolled_boundary(const Run& run, const Subregion& patch, const CylinderBoundary& b, const DenseBoundary& dense,
                           PatchMesh& mesh) {
    PlaneUV uv;
    if (!cylinder_boundary_list(run, b, dense, uv) || !check_parameter_boundary(run, patch, uv)) return 0;
    BoundaryGeneratorInput in;
    if (!cylinder_generator_input(patch, uv, in)) return 0;
    const TrelmoLimits limits{run.settings.MAX_SUBREGIONS, run.settings.MAX_NODEL_3D};
    if (!call_Trelmo(in.points, in.N, in.entities, in.N, in.subregions, 1, mesh.gen_nodes, mesh.num_nodes,
                     mesh.elements, mesh.num_elements, limits, mesh.all_singular_repaired)) {
        report(" Unsuccessful return from call_Trelmo() into CYLIN_PA.C: \n"
               "  (can be: too acute angle, a large step size or insufficient memory)\n");
        return 0;
    }
    const std::map<std::string, int> by_name = boundary_records_by_name(uv);
    if (!restore_boundary_positions(uv, by_name, RestoredNodes::EntitiesOnly,
                                    " Error in CYLIN_PA.C: boundary point coordinate can't be restored.\n",
                                    mesh.num_nodes, mesh.gen_nodes))
        return 0;
    // Inverted or degenerate elements are repaired in the unrolled plane, where the mesh is planar.
    untangle_patch_mesh(patch.name.c_str(), mesh.num_nodes, mesh.gen_nodes, mesh.num_elements, mesh.elements);
    return restore_boundary_node_names(run, patch, uv, by_name, false, mesh.num_nodes, mesh.gen_nodes,
                                       mesh.num_elements, mesh.elements);
}

bool same_as_previous_attempt(const PatchMesh& mesh, const Attempts& at) {
    if (!at.meshed_before || static_cast<int>(at.nodes_old.size()) != mesh.num_nodes) return false;
    for (int i = 1; i <= mesh.num_nodes; ++i) {
        const auto& [u, v] = at.nodes_old[static_cast<std::size_t>(i - 1)];
        if (std::fabs(mesh.gen_nodes[i].x - u) > kSameUV || std::fabs(mesh.gen_nodes[i].y - v) > kSameUV) return false;
    }
    return true;
}

int remember_attempt(const Run& run, const PatchMesh& mesh, Attempts& at) {
    if (mesh.num_nodes > run.settings.MAX_NODEL_3D) {
        report(" Not enough memory in array nodes_old[] in CYLIN_PA.C\n  Increase MAX_NODEL_3D(=%i) to at least %i\n",
               run.settings.MAX_NODEL_3D, mesh.num_nodes);
        return 0;
    }
    try {
        at.nodes_old.clear();
        for (int i = 1; i <= mesh.num_nodes; ++i) at.nodes_old.emplace_back(mesh.gen_nodes[i].x, mesh.gen_nodes[i].y);
    } catch (const std::bad_alloc&) {
        report(" Out of memory in process_cylinder_patch() for array nodes_old[].\n");
        report("MAX_NODEL_3D=%i\n", run.settings.MAX_NODEL_3D);
        return 0;
    }
    at.meshed_before = true;
    return 1;
}

// The first interior element edge whose 3D length is at most
// kElementEdgeRatio times its (u, v) length, or element = 0.
struct EdgeIrregularity {
    int element = 0;
    int edge = 0;
    double length_UV = 0;
    double length_XYZ = 0;
};

EdgeIrregularity find_irregular_element_edge(const PatchMesh& mesh) {
    for (int e = 1; e <= mesh.num_elements; ++e) {
        for (int k = 1; k <= 4; ++k) {
            const GenNode& a = mesh.gen_nodes[mesh.elements[e].corner(k)];
            const GenNode& c = mesh.gen_nodes[mesh.elements[e].corner(k % 4 + 1)];
            if (a.kind != NODE_KIND_INTERIOR || c.kind != NODE_KIND_INTERIOR) continue;
            const double length_UV = std::hypot(a.x - c.x, a.y - c.y);
            const double length_XYZ = distance(mesh.nodes[mesh.elements[e].corner(k)].pos(),
                                               mesh.nodes[mesh.elements[e].corner(k % 4 + 1)].pos());
            if (length_UV > 0 && length_XYZ / length_UV <= kElementEdgeRatio) return {e, k, length_UV, length_XYZ};
        }
    }
    return {};
}

// A meshing attempt was not accepted: raise the margin and say so, or give
// up (returns 0) when it is used up.
int raise_margin_for_meshing(const Subregion& patch, Attempts& at) {
    at.limits.lower_angle_margin = next_margin(at.limits.lower_angle_margin);
    at.ireason = kRetryForElements;
    if (at.limits.lower_angle_margin > kLastMeshingMargin) {
        report(" Subregion %s: Parameterization unsuccessful.\n", patch.name.c_str());
        report(" Possible reason: user-defined step size\n on the boundary of this subregion is too large.\n");
        return 0;
    }
    report("\n Parameterization and meshing to be repeated \n   with lower_angle_margin=%g\n",
           at.limits.lower_angle_margin);
    return 1;
}

// Interior nodes (named after the subregion) onto the arcs' radius.
int adjust_interior_radius(const Run& run, const Vec3& axis, const std::vector<CircumferentialArc>& arcs,
                           const CylinderBoundary& b, PatchMesh& mesh) {
    std::vector<Vec3> points(static_cast<std::size_t>(mesh.num_nodes) + 1);
    std::vector<char> selected(points.size(), 0);
    for (int i = 1; i <= mesh.num_nodes; ++i) {
        points[static_cast<std::size_t>(i)] = mesh.nodes[i].pos();
        selected[static_cast<std::size_t>(i)] = mesh.nodes[i].name[0] == 'R';
    }
    if (!cylindrical_surface_radius_adjustment_of_nodes(axis, run, arcs, b.xyz, b.n, points, selected)) {
        report("Unsuccessful return from \tcylindrical_surface_radius_adjustment_of_nodes()\n\tto cylin_pa.c\n");
        return 0;
    }
    for (int i = 1; i <= mesh.num_nodes; ++i) mesh.nodes[i].set_pos(points[static_cast<std::size_t>(i)]);
    return 1;
}

// The boundary as the mesher reads it: arcs found, the other boundary
// nodes pulled onto the arcs' radius, the whole densified.
int prepare_boundary(const Run& run, const Subregion& patch, const Vec3& axis, CylinderBoundary& b,
                     std::vector<CircumferentialArc>& arcs, DenseBoundary& dense) {
    if (!with_memory_report(" Out of memory in Cylin_pa.c for Xsave[],  Ysave[],  Zsave[]\n",
                            [&] { load_cylinder_boundary(run, patch, b); return 1; }))
        return 0;
    if (!find_circumferential_arcs(run, axis, b, arcs)) return 0;
    std::vector<char> selected(b.xyz.size(), 0);
    for (int i = 1; i <= b.n; ++i) {
        const int c = b.curve_ids[static_cast<std::size_t>(i)];
        selected[static_cast<std::size_t>(i)] = c <= 0 || run.curves[c].name_original[0] != 'C';
    }
    const std::vector<Vec3> arc_nodes = b.xyz;
    if (!cylindrical_surface_radius_adjustment_of_nodes(axis, run, arcs, arc_nodes, b.n, b.xyz, selected)) {
        report("Unsuccessful return from \tcylindrical_surface_radius_adjustment_of_nodes()\n\tto cylin_pa.c\n");
        return 0;
    }
    if (!with_memory_report("Out of memory in boundary_interpolation().  (1)\n",
                            [&] { return boundary_interpolation(run, patch, b, dense); })) {
        report("Unsuccessful return from boundary_interpolation()\n to cylin_pa.c\n");
        return 0;
    }
    return 1;
}

int mesh_cylinder(const Run& run, int k, PatchMesh& mesh) {
    const Subregion& patch = run.patches[k];
    Vec3 axis{patch.axis_cos[0], patch.axis_cos[1], patch.axis_cos[2]};
    if (norm(axis) < kSqrtEps) {
        report(" Subregion %s of CYLINDER type:\n  ANGLEX, ANGLEY and ANGLEZ give no axis direction.\n",
               patch.name.c_str());
        return 0;
    }
    axis = axis / norm(axis);
    CylinderBoundary b;
    std::vector<CircumferentialArc> arcs;
    DenseBoundary dense;
    if (!prepare_boundary(run, patch, axis, b, arcs, dense)) return 0;

    Attempts at;
    for (;;) {
        if (!unroll_until_closed(patch, axis, dense, at)) return 0;
        mesh = PatchMesh{};
        if (!mesh_unrolled_boundary(run, patch, b, dense, mesh)) return 0;
        if (same_as_previous_attempt(mesh, at)) {
            report("\nParameterization unsuccessful:\n (U,V) nodal coordinates coincide with those\n"
                   " from the previous iteration.\n");
            if (!raise_margin_for_meshing(patch, at)) return 0;
            continue;
        }
        if (!remember_attempt(run, mesh, at)) return 0;
        if (!with_memory_report("Not enough memory in process_cylinder_patch() for array  nodes3D[].\n", [&] {
                return convert_UV_mesh_to_XYZ(patch.name.c_str(), b, dense, mesh.num_nodes, mesh.gen_nodes,
                                              mesh.nodes);
            }))
            return 0;
        const EdgeIrregularity bad = find_irregular_element_edge(mesh);
        if (bad.element != 0) {
            if (!raise_margin_for_meshing(patch, at)) return 0;
            report("  (ireason=%i; ", at.ireason);
            report(" irregularity encountered in element %i, edge %i:\n      (length_UV,length_XYZ)=(%g,%g) .)\n",
                   bad.element, bad.edge, bad.length_UV, bad.length_XYZ);
            continue;
        }
        return adjust_interior_radius(run, axis, arcs, b, mesh);
    }
}

}  // namespace

int cylinder_generator_input(const Subregion& patch, const PlaneUV& uv, BoundaryGeneratorInput& in) {
    if (uv.num_points % 2 != 0) {
        report(" Error in process_cylinder_patch(): \n  total number of boundary points is an odd value: %i\n",
               uv.num_points);
        return 0;
    }
    try {
        build_boundary_generator_input(patch, uv, in);
    } catch (const std::bad_alloc&) {
        report("  In process_cylinder_patch(): Patch %s : \n  insufficient memory for TRELMO input    data structures.\n",
               patch.name.c_str());
        return 0;
    }
    return 1;
}

// The pipeline reports the closing line of the cylinder mesher once the
// mesh is merged (or the mesher has failed).
int process_cylinder_patch(Run& run, int k, PatchMesh& mesh) {
    report("CYLIN_PA.C entered (process_cylinder_patch)\n");
    try {
        return mesh_cylinder(run, k, mesh);
    } catch (const std::bad_alloc&) {
        report("Out of memory in 'process_cylinder_patch()'\n");
        return 0;
    }
}

}  // namespace korvex
