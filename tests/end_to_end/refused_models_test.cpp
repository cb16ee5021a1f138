// Models that cannot give a valid mesh are refused with a reason that names
// the subregion and the curves, and models whose steps are far too small
// are refused by the limit they would overrun, before the work is spent
// (the regression models of runs that took a minute and many gigabytes).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "meshed_model.h"

namespace korvex::test {
namespace {

struct RefusedCase {
    const char* model;
    const char* message;
};

void expect_refused(const RefusedCase& c) {
    SCOPED_TRACE(c.model);
    const Meshed r = mesh_test_model(c.model);
    EXPECT_NE(r.rc, 0);
    EXPECT_TRUE(r.m3d_bytes.empty());
    EXPECT_NE(r.log.find(c.message), std::string::npos) << r.log;
}

TEST(RefusedModels, EachGivesItsReasonAndNoResult) {
    const RefusedCase cases[] = {
        {"refused_tiny_step.sur", "Increase MAX_CURVES_PER_EDGE(currently 500)\n"},
        {"refused_tiny_step_refined_zone.sur", "Increase MAX_CURVES_PER_EDGE(currently 500)\n"},
        {"refused_tiny_step_long_curve.sur", "Increase MAX_CURVES_PER_EDGE(currently 500)\n"},
        {"refused_tiny_step_in_refined_zone.sur", "Increase MAX_CURVES_PER_HOLE(currently 208)\n"},
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
        {"refused_self_crossing_fillet_arc.sur",
         " Input data error: the boundary of subregion RPLATE crosses or touches itself (curves CFILLET and QLBACK).\n"},
        {"refused_sphere_arc_off_sphere.sur",
         " Input data error: point P2 of curve C1 is off the sphere of subregion RCAP\n"
         "  (distance from the centre 10.6301, radius 10).\n"},
    };
    for (const auto& c : cases) expect_refused(c);
}

// Curved subregions: the boundary in the plane they are meshed in, and
// the parallels of surfaces of revolution.
TEST(RefusedModels, CurvedSubregionsGiveTheirReasonAndNoResult) {
    const RefusedCase cases[] = {
        {"refused_cylinder_self_crossing.sur",
         " Input data error: the boundary of subregion R1 crosses or touches itself (curves C1 and QL2).\n"},
        {"refused_untyped_folding_back.sur",
         " Input data error: the boundary of subregion R1 crosses or touches itself (curves QL1 and QL5).\n"},
        {"refused_untyped_self_crossing.sur",
         " Input data error: the boundary of subregion R1 crosses or touches itself (curves QL2 and QL4).\n"},
        {"refused_rev_parallels_off_axis.sur",
         " Input data error: the parallels of subregion R1 are not arcs about one axis (curves C1 and C2).\n"},
        {"refused_rev2_parallels_off_axis.sur",
         " Input data error: the parallels of subregion R1 are not arcs about one axis (curves C1 and C2).\n"},
    };
    for (const auto& c : cases) expect_refused(c);
}

// Changes of the project's models found by the mutation survey to leave
// invalid elements: the shared checker's every failing element is named by
// the final check, and the result is still written.
TEST(RefusedModels, MutatedModelsReportEveryInvalidElement) {
    for (const char* model : {"mutated_trees_two_trees_arc.sur", "mutated_tri_bilinear_five_curves.sur",
                              "mutated_holes_square_in_rect.sur", "mutated_holes_round_in_plate.sur",
                              "mutated_plane_internal_point_near_corner.sur", "mutated_holes_hole_near_edge.sur"}) {
        SCOPED_TRACE(model);
        const Meshed r = mesh_test_model(model);
        ASSERT_EQ(r.rc, 0) << r.log;
        ASSERT_TRUE(r.m3d.ok()) << r.m3d.error;
        std::vector<Point3> nodes;
        for (const auto& node : r.m3d.nodes) nodes.push_back({node.x, node.y, node.z});
        std::vector<Quad> quads;
        std::vector<std::string> groups;
        for (const auto& e : r.m3d.elements) {
            quads.push_back(e.nodes);
            groups.push_back(e.name);
        }
        const CurvedMeshReport report = check_curved_quad_mesh(nodes, quads, groups, CurvedMeshCheck{});
        for (const std::string& failure : report.failures) {
            if (failure.rfind("element ", 0) != 0) continue;
            const std::string number = failure.substr(8, failure.find(' ', 8) - 8);
            EXPECT_NE(r.log.find(" Output data error: element " + number + " of subregion "), std::string::npos)
                << failure;
        }
    }
}

// The model-wide capacities are run settings: below what the model needs the
// run stops with the limit's message and the value in force (also in the
// log's list of array sizes); raised far above the default they change
// nothing in the result.
TEST(RefusedModels, ModelWideCapacitiesAreRunSettings) {
    const struct {
        const char* variable;
        const char* value;
        const char* listed;
        const char* message;
    } cases[] = {
        {"KORVEX_MAX_CURVES", "10", " MAX_CURVES              =      10\n", " Increase MAX_CURVES in KORVEX.H  file.\n"},
        {"KORVEX_MAX_NEW_POINTS", "20", " MAX_NEW_POINTS          =      20\n", "(currently =20)"},
    };
    const Meshed reference = mesh_test_model("plane_grid_3x3.sur");
    ASSERT_EQ(reference.rc, 0) << reference.log;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.variable);
        setenv(c.variable, c.value, 1);
        const Meshed r = mesh_test_model("plane_grid_3x3.sur");
        setenv(c.variable, "1000000", 1);
        const Meshed raised = mesh_test_model("plane_grid_3x3.sur");
        unsetenv(c.variable);
        EXPECT_NE(r.rc, 0);
        EXPECT_TRUE(r.m3d_bytes.empty());
        EXPECT_NE(r.log.find(c.listed), std::string::npos) << r.log;
        EXPECT_NE(r.log.find(c.message), std::string::npos) << r.log;
        EXPECT_EQ(raised.rc, 0) << raised.log;
        EXPECT_EQ(raised.m3d_bytes, reference.m3d_bytes);
    }
}

}  // namespace
}  // namespace korvex::test
