// The transfinite (Coons) curved-patch mesher and its pieces.
//
// A four-edged subregion is described by the surface that interpolates its
// four edges. The edges are resampled at a common set of parameters, the
// surface is sampled on an N13 x N24 grid, the boundary nodes are projected
// onto that grid to get their (u, v) on the unit square, the square is meshed
// by the 2D generator and every 2D node is mapped back by linear
// interpolation inside the grid cell that holds it.
//
// Edge k (1..4) is the run of curves_per_edge[k] entries of curves_id; corner
// k is its first node. Edges 1 and 3 run along u (v = 0 and v = 1), edges 2
// and 4 along v (u = 1 and u = 0); edges 3 and 4 are read backwards, from
// corner 4 to corner 3 and from corner 1 to corner 4.
//
// Every table is 1-based; every routine returns 1, or 0 after reporting why.
#pragma once

#include <vector>

#include "base/vec3.h"
#include "model/run.h"
#include "planar/plane_uv.h"
#include "trelmo/trelmo.h"

namespace korvex {

// ---- Edges (transfinite_edges.cpp) -----------------------------------------

// The nodes (indexes into new_points) of edge k in edge order: edges 3 and 4
// backwards, a node equal to its predecessor dropped. curve_starts[c] is the
// position in nodes of the first node of the edge's c-th curve (in edge order).
struct EdgeNodes {
    std::vector<int> nodes;         // 1-based
    std::vector<int> curve_starts;  // 1-based, one per curve
    int count() const { return static_cast<int>(nodes.size()) - 1; }
};
void collect_edge_nodes(const Run& run, const Subregion& patch, int k, EdgeNodes& edge);

// First position in curves_id of every edge: first[1] = 1,
// first[k + 1] = first[k] + curves_per_edge[k].
void edge_first_curves(const Subregion& patch, int first[6]);

// Normalised cumulative chord parameter of every node of edge k, running in
// the edge's surface direction (edges 3 and 4 reversed, s -> 1 - s).
void edge_parameters(const Run& run, const Subregion& patch, int k, std::vector<double>& arc);

// Every edge of the four has curves, each with nodes; otherwise reports the
// edge that cannot be resampled and returns 0.
int check_edge_nodes(const Run& run, const Subregion& patch);

// Sets edge_flags[k] = 1 for every corner whose 3D angle exceeds 165 degrees.
void mark_cut_corners(const Run& run, Subregion& patch);

// Merges sorted values[1..n] that exceed the value kept so far by at most
// 1e-4 into it (the kept value becomes their mean); n becomes the count left.
// index[] is the sort index of the values (kept for the interface; the
// values are already in order).
int removeDuplicates(int& n, const std::vector<int>& index, std::vector<double>& values);

// Points 1..N of edge k at the parameters t[1..N] on the Hermite curves
// through the edge's nodes; every interior node of the edge replaces the
// generated point nearest to it.
int generatePointsOnEdge(const Run& run, const Subregion& patch, int k, int N, const std::vector<double>& t,
                         std::vector<Vec3>& out);

// Points along edge k on the Hermite curves of its curves: every node and
// sub_steps - 1 points between each pair of consecutive nodes (node index 0
// for the inserted ones). In edge order, or in boundary order when
// boundary_order is set.
struct EdgeSample {
    Vec3 p;
    int node = 0;  // index in new_points, 0 for inserted points
};
void sample_edge_curves(const Run& run, const Subregion& patch, int k, int sub_steps, bool boundary_order,
                        std::vector<EdgeSample>& out);

// ---- Grid and cells (transfinite_grid.cpp) -----------------------------------

struct PointUVGrid {
    double u = 0, v = 0;
};

struct TransfiniteCell {
    int p[5] = {0, 0, 0, 0, 0};  // grid point indexes Q1..Q4 (index 0 unused)
    int border = 0;              // 1 in the first or last column or row
    Vec3 lo, hi;                 // bounding box of the four points
};

struct TransfiniteGrid {
    int N13 = 0, N24 = 0;
    std::vector<Vec3> xyz;          // trf_coords: index (r - 1)·N13 + c, 1-based
    std::vector<PointUVGrid> uv;    // trf_coordsUV
    std::vector<TransfiniteCell> cells;  // cells_all, 1..(N13 - 1)(N24 - 1)
    std::vector<int> border_cells;       // the cells with the border flag, in index order
    double av_edge = 0;

    int at(int c, int r) const { return (r - 1) * N13 + c; }
    int num_cells() const { return static_cast<int>(cells.size()) - 1; }
};

// Fills the grid from the four edges' points (coords1..coords4) by the
// transfinite interpolation.
void interpolate_transfinite_grid(const std::vector<Vec3>& coords1, const std::vector<Vec3>& coords2,
                                  const std::vector<Vec3>& coords3, const std::vector<Vec3>& coords4,
                                  TransfiniteGrid& grid);

// The (u, v) of every grid point, the cells with their triangles, and av_edge.
void build_grid_parameters_and_cells(TransfiniteGrid& grid);

// ---- Plane frames (plane_frame.cpp) -----------------------------------------

// The frame that turns the unit normal n onto the z axis (a rotation about
// x, then about y) after moving ref to the origin.
struct PlaneFrameMatrix {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    Vec3 ref;
};
int rotate_around_x(const Vec3& n, double rx[3][3]);
int calculate_matrix(const Vec3& ref, const Vec3& n, PlaneFrameMatrix& frame);
// The two in-plane coordinates of P in the frame of (ref, n); kNotComputed on failure.
int mapXYZ_on_UV(const Vec3& ref, const Vec3& n, const Vec3& P, double& u, double& v);

// ---- Projection onto the grid (transfinite_projection.cpp) -------------------

constexpr double ZERO_TOL = 1e-10;
constexpr double ANORM_TOL = 1e-7;

// Barycentric weights of P in the triangle P1, P2, P3 of the plane.
int barycentricCoords2D(double x1, double y1, double x2, double y2, double x3, double y3, double x, double y,
                        double& w1, double& w2, double& w3);

struct ProjectionHit {
    int cell = 0;
    int triangle = 0;  // 1: (Q1, Q4, Q3); 2: (Q3, Q2, Q1)
    double w[3] = {0, 0, 0};
    Vec3 foot;
};
// The grid point indexes of triangle t (1 or 2) of a cell.
void cell_triangle(const TransfiniteCell& cell, int t, int v[3]);

int testPointProjectionOnCell(const Vec3& P, int pass, const TransfiniteGrid& grid, double zero_tol,
                              std::vector<ProjectionHit>& hits);

// The (u, v) of every boundary node of the patch (pointsUV[1..num_points],
// record 0 a copy of the last), normalised with the grid onto the unit square.
int parameterize(TransfiniteGrid& grid, const Run& run, const Subregion& patch, PlaneUV& pointsUV);

// ---- (u, v) -> 3D (transfinite_uv_to_xyz.cpp) ---------------------------------

// Finds the grid triangle holding (u, v): the cells around the row-1 column
// and column row first, then all cells (through an index over their (u, v)
// boxes, which gives the same first match as a scan of every cell).
class GridTriangleSearch {
public:
    // use_index = false scans every cell plainly (the reference the index is tested against).
    explicit GridTriangleSearch(const TransfiniteGrid& grid, bool use_index = true);
    int calcNodeXYZCoords(double u, double v, Vec3& out) const;
    // The search over all cells alone (found tells whether a cell accepted).
    int scan_all_cells(double u, double v, Vec3& out, bool& found) const;

private:
    int test_cell(int c, int r, double u, double v, int msg1, int msg2, Vec3& out, bool& found) const;

    const TransfiniteGrid& g_;
    bool use_index_ = true;
    // Cells (as c + (r - 1)·(N13 - 1)), in scan order, per bucket of a
    // uniform grid over the (u, v) boxes of the cells.
    std::vector<std::vector<int>> buckets_;
    std::vector<int> noisy_cells_;  // cells whose triangles report on every test
    double u0_ = 0, v0_ = 0, du_ = 1, dv_ = 1;
    int nu_ = 1, nv_ = 1;
};

// ---- Generator input (transfinite_patch.cpp) ---------------------------------

// corners[1..4]: generator point 1, then every point whose counter-clockwise
// interior angle is below 100 degrees. Returns 0 after reporting when there
// are more or fewer than four.
int find_generator_corners(const Array1<GenPoint>& points, int N, int corners[5]);

// ---- Corner fans (transfinite_corners.cpp) ----------------------------------

struct CornerFanInput {
    const Subregion& patch;
    const Array1<GenPoint>& points;  // generator points after the meshing
    int num_points;
    const int* corners;               // corners[1..4]: generator point index of corner k
    const PlaneUV& pointsUV;
};
int generate_nodes_and_elements_in_corners(const CornerFanInput& in, Array1<GenNode>& nodes, int& num_nodes,
                                           Array1<GenElement>& elements, int& num_elements);

}  // namespace korvex
