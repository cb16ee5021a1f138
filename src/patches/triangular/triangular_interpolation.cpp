// Placement of the interior nodes of a triangular patch: the planar
// triangle, barycentric coordinates in it and the blend of the three edges.
#include <algorithm>
#include <cmath>
#include <new>

#include "base/messages.h"
#include "patches/triangular/triangular_mesher.h"

namespace korvex {

namespace {

constexpr double kMinTriangleArea = 1e-8;   // twice the area of the planar triangle, below: degenerate
constexpr double kCornerDistance = 1e-7;    // 1 - b below this: the node sits on a corner
constexpr double kTinyCoordinate = 1e-10;

double clamped_acos(double c) { return std::acos(std::clamp(c, -1.0, 1.0)); }

// 1 - b of every barycentric coordinate must stay clear of 0.
int check_not_at_corner(const double b[4]) {
    if (1.0 - b[3] <= kCornerDistance) {
        report(" Error in Project_2D_mesh_on_the_triangular_patch():\n  1.-v = %e  <  1e-7\n", 1.0 - b[3]);
        return 0;
    }
    if (1.0 - b[1] <= kCornerDistance) {
        report(" Error in Project_2D_mesh_on_the_triangular_patch():\n  1.-w = %e  <  1e-7\n", 1.0 - b[1]);
        return 0;
    }
    if (1.0 - b[2] <= kCornerDistance) {
        report(" Error in Project_2D_mesh_on_the_triangular_patch():\n  1.-u = %e  <  1e-7\n", 1.0 - b[2]);
        return 0;
    }
    return 1;
}

int place_interior_nodes(const Run& run, int k, int num_nodes, const Array1<GenNode>& nodes, Array1<Node3D>& nodes3D,
                         const PlanarTriangle& tri) {
    TriangularEdge edge[4];
    for (int e = 1; e <= 3; ++e) {
        try {
            if (!getEdgeDirectionalCos(run, k, e, edge[e])) return 0;
        } catch (const std::bad_alloc&) {
            report(" Out of memory in getEdgeDirectionalCos().  (1)\n");
            return 0;
        }
    }
    const EdgeCurve E1 = [&](double t) { return evaluate_triangular_edge(edge[1], t); };
    const EdgeCurve E2 = [&](double t) { return evaluate_triangular_edge(edge[2], t); };
    const EdgeCurve E3 = [&](double t) { return evaluate_triangular_edge(edge[3], t); };
    for (int i = 1; i <= num_nodes; ++i) {
        const GenNode& g = nodes[i];
        if (g.kind != NODE_KIND_INTERIOR) continue;
        double b[4];
        if (!triangle_barycentric(tri, g.x, g.y, b) || !check_not_at_corner(b)) return 0;
        Vec3 p = triangular_blend(b[1], b[2], b[3], E1, E2, E3);
        for (int a = 0; a < 3; ++a)
            if (std::fabs(p[a]) < kTinyCoordinate) p[a] = 0.0;
        nodes3D[i].set_pos(p);
        nodes3D[i].name = g.name;
    }
    return 1;
}

}  // namespace

PlanarTriangle planar_triangle(double L1, double L2, double L3) {
    PlanarTriangle t;
    const double alpha = clamped_acos((L1 * L1 + L3 * L3 - L2 * L2) / (2.0 * L3 * L1));
    const double beta = clamped_acos((L2 * L2 + L1 * L1 - L3 * L3) / (2.0 * L2 * L1));
    t.cos_a = std::cos(alpha);
    t.sin_a = std::sin(alpha);
    t.cos_b = std::cos(beta);
    t.sin_b = std::sin(beta);
    t.V[1] = {0.0, 0.0};
    t.V[2] = {L1, 0.0};
    t.V[3] = {L3 * t.cos_a, L3 * t.sin_a};
    return t;
}

int triangle_barycentric(const PlanarTriangle& tri, double x, double y, double b[4]) {
    const double x1 = tri.V[1][0], y1 = tri.V[1][1];
    const double x2 = tri.V[2][0], y2 = tri.V[2][1];
    const double x3 = tri.V[3][0], y3 = tri.V[3][1];
    const double D = (x3 - x2) * (y1 - y2) - (y3 - y2) * (x1 - x2);
    if (!(std::fabs(D) > kMinTriangleArea)) {
        report(" In barycentric()  (file tria_cur.c):\n a triangle has too small area: %g <= 1e-8\n", std::fabs(D));
        report(" Check the input data.\n");
        return 0;
    }
    b[1] = ((x3 - x2) * (y - y2) - (y3 - y2) * (x - x2)) / D;
    b[2] = ((x1 - x3) * (y - y3) - (y1 - y3) * (x - x3)) / D;
    b[3] = 1.0 - b[1] - b[2];
    return 1;
}

Vec3 triangular_blend(double b1, double b2, double b3, const EdgeCurve& E1, const EdgeCurve& E2, const EdgeCurve& E3) {
    const Vec3 V1 = E1(0.0), V2 = E2(0.0), V3 = E3(0.0);
    const Vec3 across_1 = (E3(b1) * b3 + E1(1.0 - b1) * b2) / (1.0 - b1);
    const Vec3 across_3 = (E3(1.0 - b3) * b1 + E2(b3) * b2) / (1.0 - b3);
    const Vec3 across_2 = (E2(1.0 - b2) * b3 + E1(b2) * b1) / (1.0 - b2);
    return (across_1 + across_3 + across_2 - (V1 * b1 + V2 * b2 + V3 * b3)) * 0.5;
}

int Project_2D_mesh_on_the_triangular_patch(const Run& run, int k, int num_nodes, const Array1<GenNode>& nodes,
                                            Array1<Node3D>& nodes3D, const PlanarTriangle& tri) {
    if (place_interior_nodes(run, k, num_nodes, nodes, nodes3D, tri)) return 1;
    report(" Error: projection of the 2D mesh onto the triangular \n patch unsuccessful.\n");
    return 0;
}

}  // namespace korvex
