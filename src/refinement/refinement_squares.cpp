// preprocess_nonzero_PINTs: every internal point of a PLANE subregion that
// asks for a refined zone (RAD not 0) gets a square cut around it, unless
// the square would overlap an earlier square or does not fit, in which case
// the point shrinks its zone or becomes a plain internal point.
#include <cmath>
#include <vector>

#include "refinement/refinement_squares.h"
#include "refinement/curve_subdivision.h"
#include "base/messages.h"
#include "base/numeric_constants.h"

namespace korvex {

namespace {

constexpr double kMinRadius = 10 * kEps;             // smaller radii ask for no refined zone
constexpr double kMinStep = 1e-6;
constexpr double kPlaneTolerance = 10 * kSqrtEps;
constexpr double kSquareFactor = 0.4;                // half side of the square per radius
constexpr double kStepsPerHalfSide = 2.999999;       // the step fits about three times in the half side
constexpr double kGapShare = 1.3333333333333333;     // a shrunk radius is three quarters of the gap
constexpr double kMinShrink = 0.5;                   // ... unless that is below half the other radius
constexpr double kMinREF = 0.1;                      // refinement of a subregion with a refined zone

struct Centre {
    double u = 0, v = 0;
    int point = 0;
};

void cap_step(ControlPoint& p) {
    const double s_max = p.PINT_rad_work * kSquareFactor / kStepsPerHalfSide;
    if (p.PINT_step_work > s_max) {
        p.PINT_step = s_max;
        p.PINT_step_work = s_max;
    }
}

// Checks point ip against the squares placed so far; shrinks its zone or
// converts it. Returns false when it was converted.
bool keep_clear_of_earlier_squares(Run& run, int ip, double u, double v, const std::vector<Centre>& centres) {
    ControlPoint& p = run.points[ip];
    for (const Centre& q : centres) {
        const double rq = run.points[q.point].PINT_rad_work;
        const double g = std::hypot(u - q.u, v - q.v) - rq;
        if (g > p.PINT_rad_work) continue;
        if (g <= 0 || rq * kMinShrink > g / kGapShare) {
            convert_to_zero_radius_point(p);
            return false;
        }
        p.PINT_rad = g / kGapShare;
        p.PINT_rad_work = p.PINT_rad;
        const double s_max = p.PINT_rad_work * kSquareFactor / kStepsPerHalfSide;
        if (p.PINT_step_work > s_max) p.PINT_step_work = s_max;
        p.PINT_step = p.PINT_step_work;
    }
    return true;
}

// Steps 1 to 6 for internal point ip of subregion k.
int process_point(Run& run, int k, int ip, const PlaneCoeffs& plane, SubregionPolygons& sp,
                  std::vector<Centre>& centres) {
    ControlPoint& p = run.points[ip];
    if (p.PINT_step < kMinStep) {
        report("Input data error: for PINT-point %s  STEP=%g (too small)\n   whereas points[ip].PINT_rad=%g(i.e. !=0)\n",
               p.name.c_str(), p.PINT_step, p.PINT_rad);
        return 0;
    }
    if (std::fabs(plane.a * p.x + plane.b * p.y + plane.c * p.z + plane.d) > kPlaneTolerance) {
        report("Input data error: point %s doesn't belong to the\n same plane as subregion %s whereas declared as such.\n",
               p.name.c_str(), run.patches[k].name.c_str());
        return 0;
    }
    cap_step(p);
    double u = 0, v = 0;
    sp.frame.to_uv(p.pos(), u, v);
    if (!keep_clear_of_earlier_squares(run, ip, u, v, centres)) return 1;
    bool converted = false;
    if (!introduce_refinement_square_subregion(run, k, ip, u, v, sp, kSquareFactor, converted)) {
        report("Unsuccessful return from MULT_C10.C to MULT_CO7.C\n");
        return 0;
    }
    if (!converted) centres.push_back(Centre{u, v, ip});
    return 1;
}

}  // namespace

void convert_to_zero_radius_point(ControlPoint& p) {
    p.PINT_step = 0;
    p.PINT_step_work = 0;
    p.PINT_rad = 0;
    p.PINT_rad_work = 0;
    p.subregion = Name{};
    p.PINT = 1;
}

int preprocess_nonzero_PINTs(Run& run, int k, const PlaneCoeffs& plane) {
    // Only subregions that hold a point with a refined zone are parameterised.
    const Name name = run.patches[k].name;
    auto wants_square = [&](int ip) {
        const ControlPoint& p = run.points[ip];
        return p.name.starts_with("PINT") && std::fabs(p.PINT_rad) >= kMinRadius && p.subregion == name;
    };
    bool any = false;
    for (int ip = 1; ip <= run.nPoints && !any; ++ip) any = wants_square(ip);
    if (!any) return 1;
    // The polygons below follow straight curves and arcs step by step:
    // steps too small for the later cuts are refused before they are built.
    if (!check_subdivision_room(run, k)) return 0;

    SubregionPolygons sp;
    if (!parameterize_boundary_and_holes(run, k, plane, sp)) {
        report("Unsuccessful return from parameterize_boundary_and_holes()\n(MULT_C16.C) to preprocess_nonzero_PINTs() (MULT_CO7.C)\n");
        return 0;
    }
    if (!small_step_boundaries_parameterization(run, k, sp)) {
        report("Unsuccessful return from \nsmall_step_boundaries_parameterization() (MULT_C17.C)\n to preprocess_nonzero_PINTs() (MULT_CO7.C)\n");
        return 0;
    }
    // Points of other subregions are passed over; every later point of this one is still processed.
    std::vector<Centre> centres;
    const int last_input_point = run.nPoints;
    for (int ip = 1; ip <= last_input_point; ++ip) {
        if (!wants_square(ip)) continue;
        if (!process_point(run, k, ip, plane, sp, centres)) return 0;
    }
    if (run.patches[k].REF < kMinREF) run.patches[k].REF = kMinREF;
    return 1;
}

}  // namespace korvex
