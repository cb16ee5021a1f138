// The boundary of a REV2 patch in its (u, v) plane: the bottom arc at v = 0
// centred on u = 0, the meridians walked point by point (densified on their
// Hermite curves) accumulating rotation angle and meridian length, the top
// arc at the height of the right meridian's end.
#include <cmath>
#include <cstdlib>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "curves/geometry_kernels.h"
#include "patches/revolution/rev_patch.h"
#include "patches/transfinite/transfinite_patch.h"
#include "planar/plane_geometry.h"

namespace korvex {

namespace {

constexpr int kSideSubSteps = 20;             // 19 points inserted per node interval
constexpr double kCrossTolerance = 1e-12;     // relative to |axis_raw|
constexpr double kOppositeAngle = 0.99 * kPi;
constexpr double kMinStepFraction = 0.0001;   // of the first sub-step
constexpr double kReversal = 178.0 * kPi / 180.0;

std::size_t at(int i) { return static_cast<std::size_t>(i); }

double angle_at(const Vec3& C, const Vec3& a, const Vec3& b) {
    const double t = ANGLEXYZ(C, a, b);
    return t == kAngleUndefined ? 0.0 : t;
}

// Nodes of edge k in boundary order.
std::vector<int> boundary_nodes(const Run& run, const Subregion& patch, const RevEdges& e, int k) {
    std::vector<int> nodes;
    for (int pos = e.first[k]; pos < e.first[k + 1]; ++pos) {
        const int c = patch.curves_id[at(pos)];
        const Curve& cv = run.curves[std::abs(c)];
        for (int j = 1; j <= cv.num_new_points; ++j) {
            const int node = cv.new_points_id[at(c > 0 ? j : cv.num_new_points + 1 - j)];
            if (nodes.empty() || nodes.back() != node) nodes.push_back(node);
        }
    }
    return nodes;
}

void walk_bottom(const Run& run, const std::vector<int>& nodes, const Rev2Frame& f, std::vector<Rev2Record>& out) {
    out.clear();
    double theta = 0;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const Vec3 p = run.new_points[nodes[i]].pos();
        if (i > 0) theta += angle_at(f.P, run.new_points[nodes[i - 1]].pos(), p);
        out.push_back({p, f.R * theta, 0.0, theta, nodes[i]});
    }
    const double half_u = out.back().u / 2, half_theta = out.back().theta / 2;
    for (Rev2Record& r : out) r.u -= half_u, r.theta -= half_theta;
}

// Walks a densified meridian from the record `start`; keeps the records of its nodes.
int walk_meridian(const std::vector<EdgeSample>& pts, const Rev2Frame& f, const Rev2Record& start, double sense,
                  std::vector<Rev2Record>& out) {
    out.assign(1, start);
    out[0].p = pts[0].p;
    out[0].node = pts[0].node;
    const auto project = [&](const Vec3& p) { return p - f.plane_n * (dot(f.plane_n, p) - f.plane_d); };
    const double first_step = pts.size() > 1 ? distance(pts[1].p, pts[0].p) : 0.0;
    Rev2Record prev = out[0];
    Vec3 last_diff{};
    bool have_last = false;
    for (std::size_t k = 1; k < pts.size(); ++k) {
        const Vec3 q0 = project(pts[k - 1].p), q1 = project(pts[k].p);
        double step = angle_at(f.P, q0, q1);
        const Vec3 c = cross(q0 - f.P, q1 - f.P);
        if (norm(c) / norm(f.axis_raw) >= kCrossTolerance && angle_at(Vec3{}, c, f.axis_raw) > kOppositeAngle)
            step = -step;
        Rev2Record r;
        r.p = pts[k].p;
        r.node = pts[k].node;
        r.theta = prev.theta + step;
        r.u = distance(q1, f.P) * r.theta;
        const Vec3 diff = pts[k].p - rotate_about_axis(pts[k - 1].p, f.P, f.n, step);
        double ell = norm(diff);
        if (ell > kMinStepFraction * first_step) {
            if (k >= 2 && have_last && angle_at(Vec3{}, diff, last_diff) > kReversal) sense = -sense;
            last_diff = diff;
            have_last = true;
        } else {
            ell = 0;
        }
        r.v = prev.v + sense * ell;
        prev = r;
        if (r.node != 0) out.push_back(r);
    }
    return 1;
}

void walk_top(const Run& run, const std::vector<int>& nodes, const Vec3& C, double R_top, const Rev2Record& start,
              std::vector<Rev2Record>& out) {
    out.assign(1, start);
    for (std::size_t i = 1; i < nodes.size(); ++i) {
        const Vec3 p = run.new_points[nodes[i]].pos();
        const double alpha = angle_at(C, run.new_points[nodes[i - 1]].pos(), p);
        const Rev2Record& prev = out.back();
        out.push_back({p, prev.u - R_top * alpha, start.v, prev.theta - alpha, nodes[i]});
    }
}

int walk_side(const Run& run, const Subregion& patch, int k, const Rev2Frame& f, const Rev2Record& start,
              double sense, std::vector<Rev2Record>& out, double& first_sub_step) {
    std::vector<EdgeSample> pts;
    sample_edge_curves(run, patch, k, kSideSubSteps, true, pts);
    first_sub_step = pts.size() > 1 ? distance(pts[1].p, pts[0].p) : 0.0;
    walk_meridian(pts, f, start, sense, out);
    const int expected = static_cast<int>(pts.size() + kSideSubSteps - 1) / kSideSubSteps;
    if (static_cast<int>(out.size()) != expected) {
        report(" Error in process_REV2_patch():\n  edge_data[%i].num_new_points=%i  !=  lastPoint=%i.\n", k, expected,
               static_cast<int>(out.size()));
        return 0;
    }
    return 1;
}

int check_closure(const Subregion& patch, const Rev2Tables& t, double step_small) {
    const Rev2Record &first = t.bottom.front(), &last = t.left.back();
    if (std::fabs(last.v - first.v) <= step_small) return 1;
    report(" Unsuccessful parameterization of REV2 patch %s:\n", patch.name.c_str());
    report("   u1 = %14.7g     u_last = %14.7g\n", first.u, last.u);
    report("   v1 = %14.7g     v_last = %14.7g\n", first.v, last.v);
    report("  (  checking against: step_small=%g )\n", step_small);
    report("\n (Possible reason: the 'right' and 'left' edges\n  don't define one and the same surface of revolution.)\n");
    report("Consider using smaller step size when defining initial\n data points, as well as smaller STEP parameter in \n the CURVES section.\n");
    return 0;
}

}  // namespace

Vec3 rotate_about_axis(const Vec3& p, const Vec3& P, const Vec3& n, double phi) {
    const Vec3 x = p - P;
    const double c = std::cos(phi), s = std::sin(phi);
    return P + x * c + cross(n, x) * s + n * (dot(n, x) * (1.0 - c));
}

int parameterize_REV2_boundary(const Run& run, const Subregion& patch, const RevEdges& e, Rev2Frame& f,
                               Rev2Tables& t) {
    report(" Boundary parameterization begins ...\n");
    const std::vector<int> bottom = boundary_nodes(run, patch, e, 1), top = boundary_nodes(run, patch, e, 3);
    f.P = e.arc[1].centre;
    f.R = e.arc[1].radius;
    f.plane_n = e.arc[1].normal;
    f.plane_d = dot(f.plane_n, f.P);
    f.axis_raw = cross(run.new_points[bottom[0]].pos() - f.P, run.new_points[bottom[1]].pos() - f.P);
    f.n = f.axis_raw / norm(f.axis_raw);
    walk_bottom(run, bottom, f, t.bottom);
    double first_right = 0, step_small = 0;
    if (!walk_side(run, patch, 2, f, t.bottom.back(), 1.0, t.right, first_right)) return 0;
    walk_top(run, top, e.arc[3].centre, e.arc[3].radius, t.right.back(), t.top);
    if (!walk_side(run, patch, 4, f, t.top.back(), -1.0, t.left, step_small)) return 0;
    if (!check_closure(patch, t, step_small)) return 0;
    report(" ... boundary parameterization complete.\n");
    return 1;
}

}  // namespace korvex
