#include "planar/plane_reference.h"

#include <cmath>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "planar/plane_geometry.h"

namespace korvex {

namespace {

const Vec3& at(const std::vector<Vec3>& loop, int i) { return loop.at(static_cast<std::size_t>(i)); }

// Within this angle of 0 or pi the plane normal counts as parallel to m.
constexpr double kParallelTol = 0.01;
// Up to this angle the normal is left as it is (else negated).
constexpr double kNotDivertedLimit = 0.99 * kPi;

void report_asymmetry(const OrientationPoint& o, const OrientationReports& names) {
    report("%s internal error :\n", names.unit);
    report("dist_ort_A(=%20.14e) != dist_ort_B(=%20.14e)\n", o.dist_ort_A, o.dist_ort_B);
    report("Additional information:\n");
    if (names.fixed_point_details) {
        report("dist_i_A=%20.14lf  angle_A=%6.2lf sin(angle_A)=%g\n", o.dist_i_A, degrees(o.angle_A), std::sin(o.angle_A));
        report("dist_i_B=%20.14lf  angle_B=%6.2lf sin(angle_B)=%g\n", o.dist_i_B, degrees(o.angle_B), std::sin(o.angle_B));
    } else {
        report("dist_i_A=%20.14e  angle_A=%6.2lf sin(angle_A)=%20.14e\n", o.dist_i_A, degrees(o.angle_A),
               std::sin(o.angle_A));
        report("dist_i_B=%20.14e  angle_B=%6.2lf sin(angle_B)=%20.14e\n", o.dist_i_B, degrees(o.angle_B),
               std::sin(o.angle_B));
    }
}

}  // namespace

ReferencePoints find_reference_points(const std::vector<Vec3>& loop, int n) {
    ReferencePoints r;
    double dmax = -1.0;
    for (int i = 1; i <= n; ++i) {
        r.perimeter += distance(at(loop, i), at(loop, i - 1));
        for (int j = i + 1; j <= n; ++j) {
            const double d = distance(at(loop, i), at(loop, j));
            if (d > dmax) {
                dmax = d;
                r.iA = i;
                r.iB = j;
            }
        }
    }
    double smax = -1.0;
    for (int i = 1; i <= n; ++i) {
        if (i == r.iA || i == r.iB) continue;
        const double s = distance(at(loop, i), at(loop, r.iA)) + distance(at(loop, i), at(loop, r.iB));
        if (s > smax) {
            smax = s;
            r.iC = i;
        }
    }
    return r;
}

OrientationPoint find_orientation_point(const std::vector<Vec3>& loop, int n, int iA, int iB, double h) {
    OrientationPoint o;
    const Vec3& A = at(loop, iA);
    const Vec3& B = at(loop, iB);
    double best = -kNotComputed;
    for (int i = 1; i <= n; ++i) {
        if (i == iA || i == iB) continue;
        const Vec3& P = at(loop, i);
        const double dist_i_A = distance(P, A);
        const double dist_i_B = distance(P, B);
        const double angle_A = vertex_angle(A, P, B);
        const double angle_B = vertex_angle(B, P, A);
        const double ort_A = dist_i_A * std::sin(angle_A);
        const double ort_B = dist_i_B * std::sin(angle_B);
        if (ort_A < h || ort_B < h) continue;
        if (std::fabs(ort_A - ort_B) / ((ort_A + ort_B) / 2.0) > 10.0 * kSqrtEps) {
            o = OrientationPoint{false, 0, ort_A, ort_B, dist_i_A, angle_A, dist_i_B, angle_B};
            return o;
        }
        if (ort_A > best) {
            best = ort_A;
            o.iD = i;
        }
    }
    return o;
}

Vec3 reference_normal(const std::vector<Vec3>& loop, int iA, int iB, int iD) {
    const Vec3& A = at(loop, iA);
    Vec3 m = cross(at(loop, iB) - A, at(loop, iD) - A);
    const bool d_before_b = iA < iB ? (iA < iD && iD < iB) : (iD > iA || iD < iB);
    if (d_before_b) m = m * -1.0;
    return m;
}

NormalCheck check_normal_direction(const Vec3& normal, const Vec3& m, double& angle_unit_cross) {
    angle_unit_cross = angle_between(normal, m);
    const bool near_zero = angle_unit_cross <= kParallelTol;
    const bool near_pi = std::fabs(angle_unit_cross - kPi) <= kParallelTol;
    if (!near_zero && !near_pi) return NormalCheck::Inconsistent;
    return angle_unit_cross <= kNotDivertedLimit ? NormalCheck::AlreadyCorrect : NormalCheck::Negate;
}

int plane_through_triangle(const Vec3& A, const Vec3& B, const Vec3& C, double raw[4], Vec3& n, double& d) {
    n = cross(B - A, C - A);
    d = dot(n, A);
    raw[0] = n.x;
    raw[1] = n.y;
    raw[2] = n.z;
    raw[3] = d;
    const double anorm = norm(n);
    if (anorm < kSqrtEps) {
        report(" Error in plane_pa():  anorm=%g too small\n", anorm);
        return 0;
    }
    n = n / anorm;
    d /= anorm;
    return 1;
}

int orient_plane_normal(const std::vector<Vec3>& loop, int n_points, const ReferencePoints& ref, double h, Vec3& n,
                        double& d, const OrientationReports& names) {
    const OrientationPoint o = find_orientation_point(loop, n_points, ref.iA, ref.iB, h);
    if (!o.ok) {
        report_asymmetry(o, names);
        return 0;
    }
    if (o.iD == 0) {
        report(" Internal error in %s:\n     ip_max=%i\n", names.routine, o.iD);
        return 0;
    }
    double angle_unit_cross = 0;
    switch (check_normal_direction(n, reference_normal(loop, ref.iA, ref.iB, o.iD), angle_unit_cross)) {
    case NormalCheck::AlreadyCorrect:
        report("Unit normal vector has NOT been diverted\n because it has been originally correctly directed.\n");
        break;
    case NormalCheck::Negate:
        n = n * -1.0;
        d = -d;
        break;
    case NormalCheck::Inconsistent:
        report("Internal error in %s:\nangle_unit_cross=%6.2lf - must be either 0. or 180. degrees.\n", names.unit,
               degrees(angle_unit_cross));
        return 0;
    }
    return 1;
}

}  // namespace korvex
