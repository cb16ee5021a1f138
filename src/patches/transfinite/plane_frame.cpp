// Plane frames: the rotation that turns a unit normal onto the z axis, so
// that points of a plane (or near it) get two in-plane coordinates.
#include <cmath>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "patches/transfinite/transfinite_patch.h"

namespace korvex {

namespace {

constexpr double kTinyComponent = 1e-13;  // normal components below this are 0
constexpr double kUnitTolerance = 1e-7;   // |n| must be 1 within this
constexpr double kMinDistYZ = 1e-10;      // below this the normal is along x

Vec3 clean_normal(const Vec3& n) {
    Vec3 c = n;
    for (int i = 0; i < 3; ++i)
        if (std::fabs(c[i]) < kTinyComponent) c[i] = 0.0;
    return c;
}

}  // namespace

// Rotation about the x axis that brings n into the xz-plane (positive z).
int rotate_around_x(const Vec3& n, double rx[3][3]) {
    const double d = std::sqrt(n.y * n.y + n.z * n.z);
    if (d < kMinDistYZ) {
        report("Internal error in rotate_around_x():  dist_yz=%g (<1e-10)\n", d);
        report("unit_vector_y=%25.17e ;  unit_vector_z=%25.17e\n", n.y, n.z);
        return 0;
    }
    const double c = n.z / d, s = n.y / d;
    const double m[3][3] = {{1, 0, 0}, {0, c, -s}, {0, s, c}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) rx[i][j] = m[i][j];
    return 1;
}

// [T_rotation_around_OY]·[T_rotation_around_OX], applied after moving ref to the origin.
int calculate_matrix(const Vec3& ref, const Vec3& n_in, PlaneFrameMatrix& frame) {
    const Vec3 n = clean_normal(n_in);
    const double len = norm(n);
    if (std::fabs(len - 1.0) > kUnitTolerance) {
        report("Error in calculate_matrix(): unit_vector_length=%g != 1.\n", len);
        return 0;
    }
    double rx[3][3];
    if (!rotate_around_x(n, rx)) {
        report("Unsuccessful return from rotate_around_x()\n");
        return 0;
    }
    const double d = std::sqrt(n.y * n.y + n.z * n.z);
    const double ry[3][3] = {{d, 0, -n.x}, {0, 1, 0}, {n.x, 0, d}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double s = 0;
            for (int k = 0; k < 3; ++k) s += ry[i][k] * rx[k][j];
            frame.m[i][j] = s;
        }
    frame.ref = ref;
    return 1;
}

int mapXYZ_on_UV(const Vec3& ref, const Vec3& n_in, const Vec3& P, double& u, double& v) {
    u = v = kNotComputed;
    const Vec3 n = clean_normal(n_in);
    const double len = norm(n);
    if (std::fabs(len - 1.0) > kUnitTolerance) {
        report("Error in GLOBALS.C: unit_vector_length=%g !=1.\n", len);
        return 0;
    }
    PlaneFrameMatrix frame;
    if (!calculate_matrix(ref, n, frame)) {
        report("In mapXYZ_on_UV() : the unit vector is parallel(or almost) to the OX axis:\n");
        report(" unit_vector=(%g, %g, %g)\n", n.x, n.y, n.z);
        report("The most likely reason: a plane surface or\n its component is declared as a BILINEAR patch\n parallel to the YOZ coordinate plane.\n");
        report("The problem can be resolved by describing the same\n surface (patch) as a PLANE-type subregion.\n");
        return 0;
    }
    const Vec3 q = P - ref;
    u = frame.m[0][0] * q.x + frame.m[0][1] * q.y + frame.m[0][2] * q.z;
    v = frame.m[1][0] * q.x + frame.m[1][1] * q.y + frame.m[1][2] * q.z;
    return 1;
}

}  // namespace korvex
