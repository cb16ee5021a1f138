// The hole and tree tests of plane subregions: a test point of the hole or
// tree must lie in the subregion's plane (within 6 degrees, seen from the
// first boundary node along the frame's u axis), and its (u, v) position is
// located against the outer boundary polygon.
#include <cmath>

#include "base/messages.h"
#include "planar/plane_geometry.h"
#include "planar/plane_inclusion.h"

namespace korvex {

namespace {

constexpr double kNearFrameNode = 1e-8;  // a tree point this near O or Q has no direction

enum class Kind { Hole, Tree };

Vec3 stored_normal(const Subregion& patch) { return {patch.plane[0], patch.plane[1], patch.plane[2]}; }

// 1 when P lies in the plane; 0 after the out-of-plane message.
int in_plane(const PlaneFrame& f, const Subregion& patch, const ControlPoint& P, int node, Kind kind,
             const char* loop_name) {
    const Vec3 c = cross(f.e, P.pos() - f.O);
    const double len = norm(c);
    if (len < kZeroCrossTol) {
        report("The cross-product=%g < ZERO_CROSS_PRODUCT_RECOGNITION_TOL(=%g):\n", len, kZeroCrossTol);
        report("point[iph=%i]=%s ", node, P.name.c_str());
        report("already belongs to the OU-axis\n");
        return 1;
    }
    const double phi = angle_between(c, stored_normal(patch));
    if (phi <= kInPlaneAngle || std::fabs(phi - kPi) <= kInPlaneAngle) return 1;
    report(kind == Kind::Hole ? "Input error: hole %s doesn't belong \nto the same plane as subregion %s\n"
                              : "Input error: tree %s doesn't belong \nto the same plane as subregion %s\n",
           loop_name, patch.name.c_str());
    return 0;
}

// A tree point must not sit on the frame's origin O or its second node Q.
int away_from_frame_nodes(const Run& run, const Subregion& patch, const PlaneFrame& f, const ControlPoint& P,
                          int node) {
    const int ip1 = patch.points_id[1], ip2 = patch.points_id[2];
    const double d1 = distance(P.pos(), f.O), d2 = distance(P.pos(), f.Q);
    if (d1 >= kNearFrameNode && d2 >= kNearFrameNode) return 1;
    if (d1 < kNearFrameNode)
        report("Error in PLANE_PT.C: dist between %s[ip1=%i] and %s[ipi=%i] =%g \n", run.new_points[ip1].name.c_str(),
               ip1, P.name.c_str(), node, d1);
    else
        report("Error in PLANE_PT.C: dist between %s[ip2=%i] and %s[ipi=%i] =%g \n", run.new_points[ip2].name.c_str(),
               ip2, P.name.c_str(), node, d2);
    report("Patch %s  num_points + 1=%i\n", patch.name.c_str(), patch.num_points + 1);
    report("Point[ip1=%i]  :   %s\n", ip1, run.new_points[ip1].name.c_str());
    report("Point[ip2=%i]  :   %s\n", ip2, run.new_points[ip2].name.c_str());
    for (int i = 1; i <= patch.num_points; ++i)
        report("[%5i]=%s", i, run.new_points[patch.points_id[static_cast<std::size_t>(i)]].name.c_str());
    return 0;
}

// polypoin of node P against the boundary records already in uv.
int locate(const Run& run, const Subregion& patch, const PlaneFrame& f, int node, PlaneUV& uv) {
    PointUV p;
    plane_uv_of_point(f, stored_normal(patch), run.new_points[node].pos(), p.u, p.v);
    uv.records.resize(static_cast<std::size_t>(uv.num_points) + 1);
    uv.records.push_back(p);
    return polypoin(uv.num_points, uv.records, p);
}

// Boundary records 1..num_points with their (u, v) positions.
PlaneFrame boundary_uv(const Run& run, const Subregion& patch, PlaneUV& uv) {
    const PlaneFrame f = fill_boundary_records(run, patch, uv);
    for (int i = 3; i <= uv.num_points; ++i)
        plane_uv_of_point(f, stored_normal(patch), run.new_points[patch.points_id[static_cast<std::size_t>(i)]].pos(),
                          uv[i].u, uv[i].v);
    uv[0] = uv[uv.num_points];
    return f;
}

int hole_failed() {
    report("Plane patch parameterization in PLANE_P4.C unsuccessful.\n");
    return 0;
}

int tree_failed() {
    report("Plane patch parameterization unsuccessful.\n");
    return 0;
}

}  // namespace

int hole_in_plane_subregion(const Run& run, const Subregion& patch, int hole, PlaneUV& uv, int& inside) {
    const Hole& h = patch.holes[static_cast<std::size_t>(hole)];
    if (patch.num_points < 3 || h.num_curves < 1) return hole_failed();
    const int node = run.curves[std::abs(h.curves[1])].new_points_id[1];
    const ControlPoint& P = run.new_points[node];
    const PlaneFrame f = boundary_uv(run, patch, uv);
    if (!in_plane(f, patch, P, node, Kind::Hole, h.name.c_str())) return hole_failed();
    const int where = locate(run, patch, f, node, uv);
    const PointUV& p = uv[uv.num_points + 1];
    switch (where) {
        case 1: inside = 1; return 1;
        case 3: inside = 0; return 1;
        case 2:
            report(" Error in PLANE_P4.C:\n point %s (x,y,z)=(%g,%g,%g) \n(u=%g, v=%g) is supposed to\n"
                   " belong to a hole, lies on the outer boundary of the subregion.\n",
                   P.name.c_str(), P.x, P.y, P.z, p.u, p.v);
            return 1;
        default:
            report("Error in PLANE_P4.C after polypoin()\n");
            return hole_failed();
    }
}

int tree_in_plane_subregion(const Run& run, const Subregion& patch, int tree, PlaneUV& uv, int& inside) {
    const Tree& t = patch.trees[static_cast<std::size_t>(tree)];
    int curve = 0;
    for (int id : t.curve_ids)
        if (id != 0) {
            curve = std::abs(id);
            break;
        }
    if (curve == 0) {
        report("Internal error in PLANE_PT.C:\n no non-zero components in \n save_trees[j=%i].id_curves_in_tree[] array.\n",
               tree);
        return tree_failed();
    }
    if (patch.num_points < 3) return tree_failed();
    const PlaneFrame f = boundary_uv(run, patch, uv);
    const Curve& c = run.curves[curve];
    for (int m = 1; m <= c.num_new_points; ++m) {
        const int node = c.new_points_id[static_cast<std::size_t>(m)];
        const ControlPoint& P = run.new_points[node];
        if (!in_plane(f, patch, P, node, Kind::Tree, t.name.c_str())) return tree_failed();
        if (!away_from_frame_nodes(run, patch, f, P, node)) return tree_failed();
        const int where = locate(run, patch, f, node, uv);
        if (where == 1 || where == 3) {
            inside = where == 1 ? 1 : 0;
            return 1;
        }
        if (where == 0) {
            report("Error in PLANE_PT.C after polypoin()\n");
            return tree_failed();
        }
        const PointUV& p = uv[uv.num_points + 1];
        report(" Special case in PLANE_PT.C:\n point %s (x,y,z)=(%g,%g,%g) \n(u=%g, v=%g) lies on the outer boundary of"
               " the subregion;\nwhereas must be either inside or outside\n",
               P.name.c_str(), P.x, P.y, P.z, p.u, p.v);
    }
    return 1;  // every node of the curve lies on the outer boundary: inside stays as it was
}

}  // namespace korvex
