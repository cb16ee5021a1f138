// rotate_uv_mesh_to_3D: maps the (u, v) mesh of a plane subregion back into
// its 3D plane by polar coordinates about F, the point of the plane nearest
// the coordinate origin. F lies on the axis through the origin along the
// normal, so every node is F + rho·w rotated about that axis by its polar
// angle in the (u, v) plane.
#include <algorithm>
#include <cmath>
#include <vector>

#include "base/numeric_constants.h"
#include "patches/plane/plane_mesher.h"
#include "planar/plane_geometry.h"

namespace korvex {

namespace {

constexpr double kMinRadius = 0.1;     // below this |F - O| the frame is shifted
constexpr double kCollinear = 1e-8;
constexpr double kSameSide = 0.5;
constexpr double kAtF = 1e-6;
constexpr double kTinyCoord = 1e-10;

// Rotation of p by phi about the axis through the origin along the unit k.
Vec3 rotate_about_axis(const Vec3& p, const Vec3& k, double phi) {
    const double c = std::cos(phi), s = std::sin(phi);
    return p * c + cross(k, p) * s + k * (dot(k, p) * (1.0 - c));
}

double zero_tiny(double x) { return std::fabs(x) < kTinyCoord ? 0.0 : x; }

}  // namespace

void rotate_uv_mesh_to_3D(const Run& run, const Subregion& patch, const PlaneUV& uv, const PlaneCoeffs& plane,
                          PatchMesh& mesh) {
    const Vec3 normal{plane.a, plane.b, plane.c};
    const Vec3 n = normal / norm(normal);  // the rotation axis must be a unit vector
    Vec3 O = run.new_points[patch.points_id[1]].pos();
    Vec3 Q = run.new_points[patch.points_id[2]].pos();
    double uO = uv[1].u, vO = uv[1].v, uQ = uv[2].u;
    const Vec3 F = normal * (plane.d / dot(normal, normal));
    double R = distance(F, O);

    // Too near F the angle at O is ill-defined: shift the frame along OQ.
    Vec3 s{};
    std::vector<double> saved_u;  // the 2D mesh is given back exactly as it came
    const bool shifted = R < kMinRadius;
    if (shifted) {
        s = (Q - O) * 2.0;
        const double su = 2.0 * (uQ - uO);
        O += s;
        Q += s;
        uO += su;
        uQ += su;
        saved_u.resize(static_cast<std::size_t>(mesh.num_nodes) + 1);
        for (int i = 1; i <= mesh.num_nodes; ++i) {
            saved_u[static_cast<std::size_t>(i)] = mesh.gen_nodes[i].x;
            mesh.gen_nodes[i].x += su;
        }
        R = distance(F, O);
    }

    double alpha = std::clamp(vertex_angle(O, Q, F), 0.0, kPi);
    const Vec3 m = cross(Q - O, F - O);
    const double mlen = norm(m);
    if (mlen > kCollinear && norm(m * (-1.0 / mlen) - n) < kSameSide) alpha = kTwoPi - alpha;
    const double uF = uO + R * std::cos(alpha);
    const double vF = mlen > kCollinear ? vO + R * std::sin(alpha) : vO;
    const Vec3 w = (O - F) / R;

    for (int i = 1; i <= mesh.num_nodes; ++i) {
        GenNode& g = mesh.gen_nodes[i];
        const double rho = std::hypot(uF - g.x, vF - g.y);
        Vec3 p = F;
        if (rho >= kAtF) {
            const double phi = ccw_angle(uF, vF, uO, vO, g.x, g.y);
            p = rotate_about_axis(F + w * rho, n, phi);
        }
        p = Vec3{zero_tiny(p.x), zero_tiny(p.y), zero_tiny(p.z)} - s;
        Node3D& node = mesh.nodes[i];
        node.set_pos(p);
        node.name = g.name;
        node.id = i;
    }
    if (shifted)
        for (int i = 1; i <= mesh.num_nodes; ++i) mesh.gen_nodes[i].x = saved_u[static_cast<std::size_t>(i)];
}

}  // namespace korvex
