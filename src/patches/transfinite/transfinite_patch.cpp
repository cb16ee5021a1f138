// meshPatch: the transfinite curved-patch mesher (see transfinite_patch.h).
#include <algorithm>
#include <cmath>
#include <new>
#include <string>

#include "base/messages.h"
#include "patches/common/boundary_generator_input.h"
#include "patches/common/patch_untangling.h"
#include "patches/meshers.h"
#include "patches/transfinite/transfinite_patch.h"
#include "planar/boundary_crossings.h"
#include "planar/plane_geometry.h"

namespace korvex {

namespace {

constexpr double kCornerAngle = kPi * 5.0 / 9.0;  // a sharper boundary turn is a corner
constexpr double kCutFactor = 1.15;                    // cut-corner displacement
constexpr int kMaxGeneratorRecords = 30000;            // generator point and entity lists
constexpr int kMaxEntitiesPerSubregion = 20000;   // MAX_ENTITIES_PER_SUBREGION
constexpr int kFanRoom = 101;                          // records added for the corner fans
constexpr double kFirstV = 1e-12;
constexpr double kOnSide = 1e-10;
constexpr double kTinyStored = 1e-10;

std::size_t at(int i) { return static_cast<std::size_t>(i); }

struct PatchWork {
    TransfiniteGrid grid{};
    PlaneUV pointsUV{};
    BoundaryGeneratorInput in{};
    int corners[5] = {0, 0, 0, 0, 0};
    double aspect = 1.0;  // b / a
    PatchMesh& m;         // the mesh the mesher returns
};

// Parameters of two opposite edges together, sorted and merged.
int merged_parameters(const std::vector<double>& a, const std::vector<double>& b, std::vector<double>& merged, int& n,
                      const char* failure) {
    merged.assign(1, 0.0);
    merged.insert(merged.end(), a.begin() + 1, a.end());
    merged.insert(merged.end(), b.begin() + 1, b.end());
    n = static_cast<int>(merged.size()) - 1;
    std::vector<int> index(at(n) + 1, 0);
    for (int i = 1; i <= n; ++i) index[at(i)] = i;
    std::stable_sort(index.begin() + 1, index.end(), [&](int x, int y) { return merged[at(x)] < merged[at(y)]; });
    std::vector<double> sorted(at(n) + 1, 0.0);
    for (int i = 1; i <= n; ++i) sorted[at(i)] = merged[at(index[at(i)])];
    merged = std::move(sorted);
    if (!removeDuplicates(n, index, merged)) {
        report("%s", failure);
        return 0;
    }
    return 1;
}

// Edge parameters, cut corners, merged parameters, edge points, grid and cells.
int build_grid(const Run& run, Subregion& patch, TransfiniteGrid& g) {
    std::vector<double> arc[5];
    for (int k = 1; k <= 4; ++k) edge_parameters(run, patch, k, arc[k]);
    mark_cut_corners(run, patch);
    std::vector<double> arc13, arc24;
    if (!merged_parameters(arc[1], arc[3], arc13, g.N13, " Unsuccessful return from removeDuplicates().\n")) return 0;
    if (!merged_parameters(arc[2], arc[4], arc24, g.N24, " Unsuccessful return from removeDuplicates().  (2)\n"))
        return 0;
    std::vector<Vec3> coords[5];
    static const char* const failures[5] = {"", "Cannot generate points along edge 1 of patch %d\n",
                                            "Cannot generate points along edge 2 of patch %d\n",
                                            "Cannot generate points along edge 3 of patch %d\n",
                                            "Cannot generate points along edge 4 of path %d\n"};
    for (int k : {1, 3, 2, 4}) {
        const bool along_u = k == 1 || k == 3;
        if (!generatePointsOnEdge(run, patch, k, along_u ? g.N13 : g.N24, along_u ? arc13 : arc24, coords[k])) {
            report(failures[k], patch.id);
            return 0;
        }
    }
    report(" generatePointsOnEdge() complete (all)\n");
    interpolate_transfinite_grid(coords[1], coords[2], coords[3], coords[4], g);
    build_grid_parameters_and_cells(g);
    return 1;
}

int check_parameterization(const PlaneUV& uv) {
    if (uv.num_points >= 2 && std::fabs(uv[2].v) > kFirstV) {
        report(" In mechPatch():\n");
        report("    after parameterize():  pointsUV[%i].v =%g \n    whereas it must be 0.0  : parameterization incorrect.\n",
               2, uv[2].v);
        return 0;
    }
    const auto near = [](double x, double y) { return std::fabs(x - y) <= kOnSide; };
    for (int i = 1; i <= uv.num_points; ++i) {
        const PointUV& r = uv[i];
        if (near(r.u, 0) || near(r.u, 1) || near(r.v, 0) || near(r.v, 1)) continue;
        report(" Internal error in QUAD_CUR.C : parameterization unsuccessful.\n\n");
        report(" Points UV:\n");
        for (int j = 1; j <= uv.num_points; ++j)
            report(" point %i:  %s  (%g,%g) \n", j, uv[j].name.c_str(), uv[j].u, uv[j].v);
        return 0;
    }
    return 1;
}

double mean_segment(const BoundaryGeneratorInput& in, int from, int to) {
    double sum = 0;
    int count = 0;
    for (int p = from; p < to; ++p, ++count)
        sum += std::hypot(in.points[p + 1].x - in.points[p].x, in.points[p + 1].y - in.points[p].y);
    return count ? sum / count : 0.0;
}

// Stretches u so that the generator's boundary segments are about as long along u as along v.
void scale_aspect(PatchWork& w) {
    BoundaryGeneratorInput& in = w.in;
    const int* c = w.corners;
    const int nu = (c[2] - c[1]) + (c[4] - c[3]), nv = (c[3] - c[2]) + (in.N - c[4]);
    const double a = nu ? (mean_segment(in, c[1], c[2]) * (c[2] - c[1]) + mean_segment(in, c[3], c[4]) * (c[4] - c[3])) / nu : 0;
    const double b = nv ? (mean_segment(in, c[2], c[3]) * (c[3] - c[2]) + mean_segment(in, c[4], in.N) * (in.N - c[4])) / nv : 0;
    w.aspect = a > 0 && b > 0 ? b / a : 1.0;
    for (int p = 1; p <= in.N; ++p) in.points[p].x *= w.aspect;
}

void cut_corners(const Subregion& patch, PatchWork& w) {
    BoundaryGeneratorInput& in = w.in;
    for (int k = 1; k <= 4; ++k) {
        if (!patch.edge_flags[k]) continue;
        const int c = w.corners[k];
        GenPoint& C = in.points[c];
        const GenPoint& p = in.points[c == 1 ? in.N : c - 1];
        const GenPoint& q = in.points[c == in.N ? 1 : c + 1];
        C.name = ("P^CUT" + std::to_string(k)).c_str();
        C.x += kCutFactor * (p.x + q.x - 2 * C.x);
        C.y += kCutFactor * (p.y + q.y - 2 * C.y);
        // The two entities at the corner now run to and from the moved point.
        in.entities[c == 1 ? in.N : c - 1].end = C.name;
        in.entities[c].start = C.name;
    }
}

int build_input(const Subregion& patch, PatchWork& w) {
    const PlaneUV& uv = w.pointsUV;
    if (uv.num_points % 2 != 0) {
        report(" Error in procedure meshPatch(): \n  total number of boundary points is an odd value: %i\n", uv.num_points);
        return 0;
    }
    if (uv.num_points / 2 > kMaxGeneratorRecords) {
        report("In QUAD_CUR.C: Increase MAX_POINTS (currently  %i) in QUAD_DRV.H\n", kMaxGeneratorRecords);
        return 0;
    }
    if (uv.num_points / 2 > kMaxEntitiesPerSubregion) {
        report(" Increase MAX_ENTITIES_PER_SUBREGION (currently %i) \n to at least %i\n", kMaxEntitiesPerSubregion,
               uv.num_points / 2 + 100);
        return 0;
    }
    build_boundary_generator_input(patch, uv, w.in);
    if (!find_generator_corners(w.in.points, w.in.N, w.corners)) return 0;
    scale_aspect(w);
    cut_corners(patch, w);
    return 1;
}

// After the generator: true u back, corner fans, exact boundary positions, user names.
int finish_2d_mesh(const Run& run, const Subregion& patch, PatchWork& w) {
    for (int i = 1; i <= w.m.num_nodes; ++i) w.m.gen_nodes[i].x /= w.aspect;
    for (int p = 1; p <= w.in.N; ++p) w.in.points[p].x /= w.aspect;
    if (patch.edge_flags[1] || patch.edge_flags[2] || patch.edge_flags[3] || patch.edge_flags[4]) {
        w.m.gen_nodes.ensure(w.m.num_nodes + kFanRoom);
        w.m.elements.ensure(w.m.num_elements + kFanRoom);
        const CornerFanInput fan{patch, w.in.points, w.in.N, w.corners, w.pointsUV};
        if (!generate_nodes_and_elements_in_corners(fan, w.m.gen_nodes, w.m.num_nodes, w.m.elements, w.m.num_elements)) {
            report(" Unsuccessful return from generate_nodes_and_elements_in_corners()\n");
            return 0;
        }
    }
    const auto by_name = boundary_records_by_name(w.pointsUV);
    if (!restore_curved_boundary_uv(w.pointsUV, by_name, CurvedBoundaryNodes::EntitiesAndPoints,
                                    " For node %i (%s) : boundary point not found.\n", w.m))
        return 0;
    // Inverted or degenerate elements are repaired in the parameter plane, before the mapping onto the surface.
    untangle_patch_mesh(patch.name.c_str(), w.m.num_nodes, w.m.gen_nodes, w.m.num_elements, w.m.elements);
    return restore_boundary_node_names(run, patch, w.pointsUV, by_name, false, w.m.num_nodes, w.m.gen_nodes, w.m.num_elements,
                                       w.m.elements);
}

double zero_stored(double x) { return std::fabs(x) < kTinyStored ? 0.0 : x; }

int map_nodes_to_3d(const Subregion& patch, PatchWork& w) {
    w.m.nodes = Array1<Node3D>(static_cast<std::size_t>(w.m.num_nodes));
    report("\n Calculation of 3D nodal coordinates  begins ...    (patch name %s)\n\n", patch.name.c_str());
    const GridTriangleSearch search(w.grid);
    for (int i = 1; i <= w.m.num_nodes; ++i) {
        if (i % 2000 == 0) report(" Processing node: %10i   (total: %i)\n", i, w.m.num_nodes);
        Vec3 p;
        if (!search.calcNodeXYZCoords(w.m.gen_nodes[i].x, w.m.gen_nodes[i].y, p)) {
            report("Unsuccessful return from calcNodeXYZCoords()\n");
            report(" Error: projection of the 2D mesh onto the 3D\n transfinite surface unsuccessful.\n");
            return 0;
        }
        Node3D& n = w.m.nodes[i];
        n.set_pos({zero_stored(p.x), zero_stored(p.y), zero_stored(p.z)});
        n.name = w.m.gen_nodes[i].name;
        n.name_saved = w.m.gen_nodes[i].name;
        n.id = i;
    }
    return 1;
}

}  // namespace

// The four corners among the generator points: point 1, then every point
// whose counter-clockwise interior angle is below 100 degrees.
int find_generator_corners(const Array1<GenPoint>& points, int N, int corners[5]) {
    int k = 1;
    corners[1] = 1;
    for (int p = 2; p <= N; ++p) {
        const GenPoint& V = points[p];
        const GenPoint& next = points[p == N ? 1 : p + 1];
        const GenPoint& prev = points[p - 1];
        if (ccw_angle(V.x, V.y, next.x, next.y, prev.x, prev.y) >= kCornerAngle) continue;
        if (++k > 4) {
            report(" Internal error in meshPatch(): k=%i > 4\n", k);
            return 0;
        }
        corners[k] = p;
    }
    if (k != 4) {
        report(" Internal error in meshPatch(): k=%i != 4\n", k);
        return 0;
    }
    return 1;
}

namespace {

// Reads the model and writes only subregion k's own record (`patch`).
int mesh_transfinite(const Run& run, Subregion& patch, PatchMesh& mesh) {
    PatchWork w{.m = mesh};
    report(" Entering meshPatch()\n");
    if (patch.num_edges != 4) {
        report(" Error: patch %s has %i edges;\n    4 edges only are allowed.\n", patch.name.c_str(), patch.num_edges);
        return 0;
    }
    if (!check_edge_nodes(run, patch)) return 0;
    if (!build_grid(run, patch, w.grid)) return 0;
    if (!parameterize(w.grid, run, patch, w.pointsUV)) {
        report("Cannot calculate (u,v) coordinates of curve points for patch %d\n", patch.id);
        return 0;
    }
    if (!check_parameterization(w.pointsUV) || !check_parameter_boundary(run, patch, w.pointsUV)) return 0;
    if (!build_input(patch, w)) return 0;
    const TrelmoLimits limits{run.settings.MAX_SUBREGIONS, run.settings.MAX_NODEL_3D};
    if (!call_Trelmo(w.in.points, w.in.N, w.in.entities, w.in.N, w.in.subregions, 1, w.m.gen_nodes, w.m.num_nodes, w.m.elements,
                     w.m.num_elements, limits, w.m.all_singular_repaired)) {
        report("\n Patch %s : step size must be reduced.\n", patch.original_name.c_str());
        return 0;
    }
    if (!finish_2d_mesh(run, patch, w)) return 0;
    if (!map_nodes_to_3d(patch, w)) return 0;
    if (patch.type == TYPE_SPHERE) project_interior_onto_sphere(run, patch, w.m);
    return 1;
}

}  // namespace

int meshPatch(Run& run, int k, PatchMesh& mesh) {
    try {
        return mesh_transfinite(run, run.patches[k], mesh);
    } catch (const std::bad_alloc&) {
        report(" Insufficient memory for input data structures.\n");
        return 0;
    }
}

}  // namespace korvex
