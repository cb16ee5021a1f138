// The mesher of curved three-edged subregions: the subregion is flattened
// onto a planar triangle whose sides have the lengths of its edges, the
// triangle is meshed by the 2D generator, boundary nodes keep their exact 3D
// positions and every interior node is placed by a transfinite blend of the
// three edge curves.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "base/vec3.h"
#include "model/run.h"
#include "trelmo/trelmo.h"

namespace korvex {

// One edge of the subregion as a chain of Hermite intervals between its
// nodes. Every curve of the edge keeps its own end tangents, so a corner
// between two curves of one edge stays a corner. Tables are 1-based.
struct TriangularEdge {
    int n = 0;                  // nodes
    std::vector<int> nodes;     // 1..n: new_points indexes in edge order
    std::vector<Vec3> P;        // 1..n: node positions
    std::vector<double> s;      // 1..n: normalised cumulative length (Hermite, 8 chords per interval)
    std::vector<double> arc;    // 1..n: cumulative chord length (straight lines between nodes)
    std::vector<Vec3> t0, t1;   // 1..n-1: unit tangents at the start and end of interval i
    std::vector<double> L;      // 1..n-1: chord length of interval i
};

// Fills the edge data of edge e (1..3) of subregion k. Returns 1, or 0
// after reporting.
int getEdgeDirectionalCos(const Run& run, int k, int e, TriangularEdge& edge);

// Point of the edge at normalised length t in [0, 1] (clamped): the Hermite
// cubic of the last interval whose local parameter lies in [0, 1].
Vec3 evaluate_triangular_edge(const TriangularEdge& edge, double t);

// Corners of the planar triangle with side lengths L1 (corner 1 to 2), L2
// (2 to 3) and L3 (3 to 1): (0, 0), (L1, 0) and L3 (cos a, sin a), a being the
// angle at corner 1. Lengths that violate the triangle inequality give a
// clamped cosine (an angle of 0 or 180 degrees). cos_a .. sin_b are the
// cosines and sines of the angles at corners 1 and 2.
struct PlanarTriangle {
    std::array<double, 2> V[4];  // corners 1..3
    double cos_a = 1, sin_a = 0, cos_b = 1, sin_b = 0;
};
PlanarTriangle planar_triangle(double L1, double L2, double L3);

// Barycentric coordinates of (x, y) in the triangle (b1 = 1 at corner 1).
// Returns 0 after reporting when the triangle has (almost) no area.
int triangle_barycentric(const PlanarTriangle& tri, double x, double y, double b[4]);

// Blend of the three edges at barycentric (b1, b2, b3): E1 runs from corner 1
// to 2, E2 from 2 to 3, E3 from 3 to 1. Each of its three terms interpolates
// between the two edge points cut by the line through the point parallel to
// one side; their sum less half the linear corner interpolation reproduces
// every edge. Needs every b below 1.
using EdgeCurve = std::function<Vec3(double)>;
Vec3 triangular_blend(double b1, double b2, double b3, const EdgeCurve& E1, const EdgeCurve& E2, const EdgeCurve& E3);

// Places every interior (kind 3) node of the 2D mesh: nodes3D[i] gets the
// blend at the node's barycentric coordinates and the node's name. Returns 1,
// or 0 after reporting.
int Project_2D_mesh_on_the_triangular_patch(const Run& run, int k, int num_nodes, const Array1<GenNode>& nodes,
                                            Array1<Node3D>& nodes3D, const PlanarTriangle& tri);

}  // namespace korvex
