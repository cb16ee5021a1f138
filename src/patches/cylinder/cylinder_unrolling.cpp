// The unrolling of a cylinder boundary into its (u, v) plane, and the
// boundary list the generator input is made from.
//
// Every densified point p has its foot f on the reference plane (through
// point 1, perpendicular to the axis); v is the signed distance |p - f|, u
// the walked length of the feet. Where the boundary turns back around the
// axis (after running along a generator line, say) the in-plane steps
// reverse, and so does the sign of u: a step that makes less than
// lower_angle_margin with the last earlier in-plane step taken backwards
// flips the sign.
#include <cmath>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "curves/geometry_kernels.h"
#include "patches/cylinder/cylinder_mesher.h"

namespace korvex {

namespace {

constexpr double kAxialAngleWarning = 0.1 * kDegree;  // p - f off the axis by more: warned
constexpr double kAgainstAxis = 0.9 * kPi;            // p - f points against the axis
constexpr double kZeroStep = 1e-12;                   // shorter in-plane steps leave u alone

struct UnrollTables {
    std::vector<Vec3> foot;   // 1..M
    std::vector<Vec3> step;   // 2..M+1: foot[i] - foot[i-1]; M+1 is the closing step back to point 1
    std::vector<double> d;    // 2..M+1: in-plane step lengths (0 for steps parallel to the axis)
};

double signed_axial_distance(const Vec3& axis, const Vec3& p, const Vec3& f, int i) {
    const Vec3 w = p - f;
    const double dist = norm(w);
    const double angle = angle_between(w, axis);
    if (angle == kAngleUndefined) return dot(w, axis);
    if (angle > kAxialAngleWarning && std::fabs(angle - kPi) > kAxialAngleWarning)
        report(" Warning in cylin_pa.c: \n      i(bound point)=%4i   dir_angle=%10.5lf\n", i, angle / kDegree);
    return angle > kAgainstAxis ? -dist : dist;
}

void fill_tables(const Vec3& axis, const UnrollingLimits& limits, DenseBoundary& dense, UnrollTables& t) {
    const int M = dense.count;
    const auto size = static_cast<std::size_t>(M) + 2;
    t.foot.assign(size, Vec3{});
    t.step.assign(size, Vec3{});
    t.d.assign(size, 0.0);
    const Vec3 p0 = dense.xyzuv[1].p;
    for (int i = 1; i <= M; ++i) {
        const Vec3& p = dense.xyzuv[static_cast<std::size_t>(i)].p;
        t.foot[static_cast<std::size_t>(i)] = p - axis * dot(p - p0, axis);
    }
    for (int i = 2; i <= M + 1; ++i) {
        const auto s = static_cast<std::size_t>(i);
        const std::size_t here = i == M + 1 ? 1 : s;
        const Vec3 step3 = dense.xyzuv[here].p - dense.xyzuv[s - 1].p;
        t.step[s] = t.foot[here] - t.foot[s - 1];
        const double d = norm(t.step[s]);
        const double len3 = norm(step3);
        // Parallel to the axis within the tolerance: no in-plane step at all.
        t.d[s] = (len3 == 0.0 || d / len3 < limits.projection_tolerance) ? 0.0 : d;
    }
}

}  // namespace

Unrolling unroll_cylinder_boundary(const Vec3& axis, const UnrollingLimits& limits, DenseBoundary& dense,
                                   double& U_last, double& V_last) {
    const int M = dense.count;
    UnrollTables t;
    fill_tables(axis, limits, dense, t);
    auto long_enough = [&](int j) { return t.d[static_cast<std::size_t>(j)] >= limits.projection_tolerance; };
    // The cyclic search backwards from step i - 1 finds the latest earlier
    // long step, or else the latest long step after i.
    int latest_overall = 0;
    for (int j = M + 1; j >= 2 && latest_overall == 0; --j)
        if (long_enough(j)) latest_overall = j;

    dense.xyzuv[1].u = 0;
    dense.xyzuv[1].v = 0;
    double u = 0, sign = 1;
    int latest_before = 0;
    for (int i = 2; i <= M + 1; ++i) {
        const auto s = static_cast<std::size_t>(i);
        const double d = t.d[s];
        if (i == 2) {
            u = d;
        } else if (d >= kZeroStep) {
            const int j = latest_before ? latest_before : (latest_overall > i ? latest_overall : 0);
            if (j == 0) {
                report(" Error in process_cylinder_patch():\n  cannot find a previous non-zero projection vector.\n");
                return Unrolling::Failed;
            }
            const double turn = angle_between(t.step[s], t.step[static_cast<std::size_t>(j)] * -1.0);
            if (turn < limits.lower_angle_margin * kDegree) sign = -sign;
            u += sign * d;
        }
        if (long_enough(i)) latest_before = i;
        if (i == M + 1) break;
        DensePoint& q = dense.xyzuv[s];
        q.u = u;
        q.v = signed_axial_distance(axis, q.p, t.foot[s], i);
    }
    U_last = u;
    V_last = 0;  // the walk ends on point 1, which lies in the reference plane
    const double tolerance = 2.0 * dense.chord_last / kBoundarySubdivisions;
    return std::hypot(U_last, V_last) <= tolerance ? Unrolling::Closed : Unrolling::Open;
}

int cylinder_boundary_list(const Run& run, const CylinderBoundary& b, const DenseBoundary& dense, PlaneUV& uv) {
    uv.records.assign(1, PointUV{});
    uv.nPINT = 0;
    for (int i = 1; i <= dense.count; ++i) {
        const DensePoint& q = dense.xyzuv[static_cast<std::size_t>(i)];
        if (q.id == 0) continue;
        PointUV r;
        r.u = q.u;
        r.v = q.v;
        r.curve_id = run.new_points[q.id].curve_id;
        r.name = run.new_points[q.id].name;
        uv.records.push_back(r);
    }
    const int nPoints = static_cast<int>(uv.records.size()) - 1;
    if (nPoints != b.n) {
        report(" Error in process_cylinder_patch():\n  num_points=%i  !=  nPoints=%i\n", b.n, nPoints);
        return 0;
    }
    uv.num_points = nPoints;
    uv.records[0] = uv.records[static_cast<std::size_t>(nPoints)];
    return 1;
}

}  // namespace korvex
