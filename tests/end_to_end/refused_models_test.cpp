// Models that cannot give a valid mesh are refused with a reason that names
// the subregion and the curves, and models whose steps are far too small
// are refused by the limit they would overrun, before the work is spent
// (the regression models of runs that took a minute and many gigabytes).
#include <gtest/gtest.h>

#include <string>

#include "meshed_model.h"

namespace korvex::test {
namespace {

TEST(RefusedModels, EachGivesItsReasonAndNoResult) {
    const struct {
        const char* model;
        const char* message;
    } cases[] = {
        {"refused_tiny_step.sur", "Increase MAX_CURVES_PER_EDGE(currently 500)\n"},
        {"refused_tiny_step_refined_zone.sur", "Increase MAX_CURVES_PER_EDGE(currently 500)\n"},
        {"refused_tiny_step_long_curve.sur", "Increase MAX_CURVES_PER_EDGE(currently 500)\n"},
        {"refused_plate_self_crossing.sur",
         " Input data error: the boundary of subregion R1 crosses or touches itself (curves QL2 and QL4).\n"},
        {"refused_plate_touching_itself.sur",
         " Input data error: the boundary of subregion R1 crosses or touches itself (curves QL1 and QL4).\n"},
        {"refused_hole_crossing_boundary.sur",
         " Input data error: hole H1 of subregion R1 crosses or touches its boundary (curves QL2 and QL5).\n"},
        {"refused_holes_crossing.sur",
         " Input data error: holes H1 and H2 of subregion R1 cross or touch (curves QL7 and QL12).\n"},
        {"refused_tree_leaving.sur",
         " Input data error: tree T1 of subregion R1 leaves the subregion (curves QLs2 and QL2).\n"},
        {"refused_sphere_arc_off_sphere.sur",
         " Input data error: point P2 of curve C1 is off the sphere of subregion RCAP\n"
         "  (distance from the centre 10.6301, radius 10).\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        const Meshed r = mesh_test_model(c.model);
        EXPECT_NE(r.rc, 0);
        EXPECT_TRUE(r.m3d_bytes.empty());
        EXPECT_NE(r.log.find(c.message), std::string::npos) << r.log;
    }
}

}  // namespace
}  // namespace korvex::test
