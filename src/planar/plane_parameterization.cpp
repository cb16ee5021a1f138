// parameterize_plane_patch: lays a (u, v) frame into the plane of a
// subregion (origin at its first boundary node, u towards the second, v to
// the left about the unit normal), places the boundary nodes and the
// internal points of the plane in it, drops internal points that are not
// inside the boundary, and checks that the boundary runs counter-clockwise.
#include <cmath>
#include <cstdio>
#include <string>

#include "base/messages.h"
#include "planar/plane_geometry.h"
#include "planar/plane_uv.h"

namespace korvex {

namespace {

constexpr double kSideAngle = kDegree;
constexpr double kSideZero = 1e-7;  // relative to the distance from O

// An internal point lies in the plane when e x (P - O) is (anti)parallel to
// the normal within 6 degrees, or too short to have a direction.
bool internal_point_in_plane(const PlaneFrame& f, const Vec3& normal, const Vec3& P) {
    const Vec3 c = cross(f.e, P - f.O);
    const double len = norm(c);
    if (len < kZeroCrossTol) {
        report("The cross-product=%g < ZERO_CROSS_PRODUCT_RECOGNITION_TOL(=%g):\n", len, kZeroCrossTol);
        return true;
    }
    const double phi = angle_between(c, normal);
    return phi <= kInPlaneAngle || std::fabs(phi - kPi) <= kInPlaneAngle;
}

// Step 3: internal points are the points whose names begin with "PINT".
int collect_internal_points(const Run& run, const PlaneFrame& f, const Vec3& normal, PlaneUV& uv) {
    for (int i = 1; i <= run.num_new_points; ++i) {
        const ControlPoint& p = run.new_points[i];
        if (!p.name.starts_with("PINT")) continue;
        if (!internal_point_in_plane(f, normal, p.pos())) continue;
        if (uv.num_points + uv.nPINT + 1 > MAX_POINTS) {
            report("Increase MAX_POINTS in KORVEX.H\n (not enough memory for PINTs)\n");
            return 0;
        }
        PointUV r;
        r.name = "PINT";
        r.index_global_of_PINT = i;
        r.curve_id = 0;
        uv.records.push_back(r);
        ++uv.nPINT;
    }
    return 1;
}

// Step 5: keep only the internal points strictly inside the boundary.
int drop_outside_points(PlaneUV& uv) {
    std::vector<PointUV> kept;
    for (int i = uv.num_points + 1; i <= uv.num_points + uv.nPINT; ++i) {
        const PointUV p = uv[i];
        const int where = polypoin(uv.num_points, uv.records, p);
        if (where == 0) {
            report("Error in PLANE_P3.C after polypoin()\n");
            return 0;
        }
        if (where == 1) kept.push_back(p);
    }
    uv.records.resize(static_cast<std::size_t>(uv.num_points) + 1);
    uv.records.insert(uv.records.end(), kept.begin(), kept.end());
    uv.nPINT = static_cast<int>(kept.size());
    return 1;
}

// Written in the working folder, beside the working file, for the user to inspect.
void write_uv_error_file(const PlaneUV& uv) {
    FILE* f = std::fopen("plane_uv.err", "w");
    if (!f) return;
    for (int i = 1; i <= uv.num_points; ++i)
        std::fprintf(f, "Point %i:  name=%s    (u,v)=(%g,%g)  index_global_of_PINT=%7i\n", i, uv[i].name.c_str(), uv[i].u,
                     uv[i].v, uv[i].index_global_of_PINT);
    std::fclose(f);
}

// Step 6: the interior angles of a counter-clockwise boundary sum to less
// than their exterior complements.
int check_boundary_direction(const Subregion& patch, PlaneUV& uv) {
    const int n = uv.num_points;
    double angle_sum = 0, angle_sum_ext = 0;
    for (int i = 1; i <= n; ++i) {
        const PointUV& v = uv[i];
        const PointUV& next = uv[i == n ? 1 : i + 1];
        const PointUV& prev = uv[i - 1];
        const double a = ccw_angle(v.u, v.v, next.u, next.v, prev.u, prev.v);
        angle_sum += a;
        angle_sum_ext += kTwoPi - a;
    }
    if (angle_sum <= angle_sum_ext) return 1;
    report("Internal error: PLANE-patch boundary direction has been incorrect:\n");
    report("angle_sum=%16.12lf > angle_sum_ext=%16.12lf\n", degrees(angle_sum), degrees(angle_sum_ext));
    report("Patch name: %s\n", patch.name.c_str());
    report("\nA likely reason: too large STEP size(s). Try to reduce.\n\n");
    // On a worker thread the file is written only if the run reaches this
    // subregion, as when the subregions are meshed one after another.
    in_message_order([uv] { write_uv_error_file(uv); });
    return 0;
}

int fail() {
    report("Plane patch parameterization unsuccessful.\n");
    return 0;
}

}  // namespace

PlaneFrame fill_boundary_records(const Run& run, const Subregion& patch, PlaneUV& uv) {
    uv.num_points = patch.num_points;
    uv.nPINT = 0;
    uv.records.assign(static_cast<std::size_t>(patch.num_points) + 1, PointUV{});
    for (int i = 1; i <= patch.num_points; ++i) {
        const ControlPoint& node = run.new_points[patch.points_id[i]];
        uv[i].name = node.name;
        uv[i].curve_id = node.curve_id;
        uv[i].index_global_of_PINT = 0;
    }
    PlaneFrame f;
    f.O = run.new_points[patch.points_id[1]].pos();
    f.Q = run.new_points[patch.points_id[2]].pos();
    f.e = f.Q - f.O;
    uv[1].u = 0;
    uv[1].v = 0;
    uv[2].u = norm(f.e);
    uv[2].v = 0;
    uv[0] = uv[patch.num_points];
    return f;
}

void plane_uv_of_point(const PlaneFrame& f, const Vec3& normal, const Vec3& P, double& u, double& v) {
    const double delta = distance(P, f.O);
    double theta = vertex_angle(f.O, f.Q, P);
    if (theta > kPi) theta = kPi;
    if (theta < 0) theta = 0;
    u = delta * std::cos(theta);
    v = delta * std::sin(theta);
    const Vec3 s = cross(f.e, P - f.O);
    const double len = norm(s);
    if (len < kSideZero * delta) {
        v = 0;
        return;
    }
    const double phi = angle_between(s / len, normal);
    if (std::fabs(phi - kPi) < kSideAngle) v = -v;
    else if (std::fabs(phi) >= kSideAngle) v = 0;
}

int parameterize_plane_patch(const Run& run, const Subregion& patch, const Vec3& normal, PlaneUV& uv) {
    if (patch.num_points < 3) return fail();
    const PlaneFrame f = fill_boundary_records(run, patch, uv);
    if (!collect_internal_points(run, f, normal, uv)) return fail();
    for (int i = 3; i <= uv.num_points + uv.nPINT; ++i) {
        const int node = i <= uv.num_points ? patch.points_id[i] : uv[i].index_global_of_PINT;
        plane_uv_of_point(f, normal, run.new_points[node].pos(), uv[i].u, uv[i].v);
    }
    uv[0] = uv[uv.num_points];
    if (!drop_outside_points(uv)) return fail();
    if (!check_boundary_direction(patch, uv)) return fail();
    return 1;
}

}  // namespace korvex
