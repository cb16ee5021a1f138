// transform_segment_to_QL_lin_step and the candidate pass around it: the
// points of a straight connector under the linear step rule.
#include <algorithm>
#include <cstdio>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "cuts/connectors/connectors.h"

namespace korvex {

namespace {

constexpr double kMinStep = 1e-8;               // smaller end steps are refused
constexpr double kHalfLengthLimit = 0.499999;   // end steps above this share of the length are halved
constexpr int kMaxConnectorSteps = 1999;

// The first step is the start step scaled by the subregion's refinement.
double first_step_factor(double REF) {
    if (REF <= 0.1) return 1.3;
    if (REF <= 0.2) return 1.1;
    return 0.9;
}

// End steps that do not fit twice into the connector are cut to half its length.
void reduce_end_steps(Connector& c) {
    if (c.step_start > c.length || c.step_end > c.length)
        report("length=%g  step_start=%g  step_end=%g\n", c.length, c.step_start, c.step_end);
    bool reduced = false;
    if (c.step_start > kHalfLengthLimit * c.length) {
        c.step_start = 0.5 * c.length;
        reduced = true;
    }
    if (c.step_end > kHalfLengthLimit * c.length) {
        c.step_end = 0.5 * c.length;
        reduced = true;
    }
    if (reduced) report("   Reduced to: step_start=%g  step_end=%g\n", c.step_start, c.step_end);
}

// Positions t(0..n) along the connector, n even, t(n) scaled onto its length.
int linear_step_positions(const Connector& c, double REF, std::vector<double>& t) {
    const double s0 = first_step_factor(REF) * c.step_start;
    const double slope = (c.step_end - s0) / c.length;
    t.assign(2, 0.0);
    t[1] = s0;
    for (;;) {
        const std::size_t n = t.size() - 1;
        if (n % 2 == 0 && t[n] >= c.length - 0.5 * c.step_end) break;
        if (static_cast<int>(n) >= kMaxConnectorSteps) {
            report("In MULT_CL1.C: t-coord. building loop exceeded\n 1999 steps. Stop.\n");
            return 0;
        }
        t.push_back(t[n] + (slope * t[n] + s0));
    }
    const double scale = c.length / t.back();
    for (double& x : t) x *= scale;
    return 1;
}

// No two inner points of the connector may coincide. They lie on one line,
// so the nearest pair is a pair of neighbours in the order along it.
int check_coincident_points(const std::vector<Vec3>& pos, const std::vector<double>& t, int first_index) {
    std::vector<std::size_t> order;
    for (std::size_t i = 1; i + 1 < pos.size(); ++i) order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return t[a] < t[b]; });
    for (std::size_t m = 1; m < order.size(); ++m) {
        const Vec3& p = pos[order[m - 1]];
        const Vec3& q = pos[order[m]];
        if (distance(p, q) >= kCoincidentPointDistance) continue;
        char a[32], b[32];
        std::snprintf(a, sizeof a, "P$%06i", first_index + static_cast<int>(order[m - 1]) - 1);
        std::snprintf(b, sizeof b, "P$%06i", first_index + static_cast<int>(order[m]) - 1);
        report("Error in MULT_CL1.C: two coincident points:\n%s(%25.15lf,%25.10lf,%25.10lf)\n"
               "%s(%25.15lf,%25.10lf,%25.10lf)\n",
               a, p.x, p.y, p.z, b, q.x, q.y, q.z);
        return 0;
    }
    return 1;
}

}  // namespace

int transform_segment_to_QL_lin_step(Run& run, const Subregion& patch, Connector& c, int icand) {
    if (icand % 50 == 0) report("Processing candidate %i...\n", icand);
    const Vec3 A = run.new_points[c.start_node].pos();
    const Vec3 B = run.new_points[c.end_node].pos();
    c.length = distance(A, B);
    if (c.step_start < kMinStep || c.step_end < kMinStep) {
        report("*** Error in MULT_C13.C: step(s) too small: ***\n***  DK[icand=%i].step_start=%g  step_end=%g  ***\n\n",
               icand, c.step_start, c.step_end);
        return 0;
    }
    const int counter = run.nCurves + 1;
    if (counter > run.settings.MAX_CURVES) {
        report("Increase MAX_CURVES (currently=%i)\n     (detected in MULT_CO1.C)", run.settings.MAX_CURVES);
        return 0;
    }
    char name[32];
    std::snprintf(name, sizeof name, "QLcR%04i", counter);
    c.curve_name = name;
    c.step = 0.5 * (c.step_start + c.step_end);
    reduce_end_steps(c);

    std::vector<double> t;
    if (!linear_step_positions(c, patch.REF, t)) return 0;
    const int n = static_cast<int>(t.size()) - 1;
    if (run.num_new_points + n - 1 > run.settings.MAX_NEW_POINTS) {
        report(" Increase MAX_NEW_POINTS in korvex.h (currently =%i) \n    (in MULT_CO1.C)\n", run.settings.MAX_NEW_POINTS);
        return 0;
    }
    const Vec3 unit = (B - A) / c.length;
    c.positions.assign(static_cast<std::size_t>(n) + 1, A);
    for (int i = 1; i < n; ++i) c.positions[static_cast<std::size_t>(i)] = A + unit * t[static_cast<std::size_t>(i)];
    c.positions[static_cast<std::size_t>(n)] = B;
    if (!check_coincident_points(c.positions, t, run.num_new_points + 1)) return 0;
    if (n + 1 > MAX_NEW_POINTS_LOCAL_) {
        // Too many points to keep: this candidate cannot be used.
        report("Increase MAX_NEW_POINTS_LOCAL_ (currently %i)   (1)\n", MAX_NEW_POINTS_LOCAL_);
        c.valid = false;
    }
    return 1;
}

int finalize_connector_candidates(Run& run, int k, std::vector<Connector>& candidates, double factor) {
    const SubregionNodeGrid grid(run, k);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        Connector& c = candidates[i];
        if (!transform_segment_to_QL_lin_step(run, run.patches[k], c, static_cast<int>(i) + 1)) return 0;
        if (c.valid && !check_connector_against_distances(c, grid, factor)) c.valid = false;
    }
    std::erase_if(candidates, [](const Connector& c) { return !c.valid; });
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Connector& a, const Connector& b) { return a.length < b.length; });
    return 1;
}

}  // namespace korvex
