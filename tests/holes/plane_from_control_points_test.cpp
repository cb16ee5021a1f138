// Plane recognition from control points: the verdicts and their messages,
// and the vertex loops of holes listed in any order and direction.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "holes/vertex_loops.h"
#include "pipeline/stages.h"
#include "support/plane_model.h"

namespace korvex {
namespace {

using plane_test::Messages;
using plane_test::ModelFile;

std::string rectangle(double length, double width, const std::string& extra_points = "",
                      const std::string& extra_after_ref = "") {
    return "Rectangle\nPOINTS\nP1 0 0 0\nP2 " + std::to_string(length) + " 0 0\nP3 " + std::to_string(length) + " " +
           std::to_string(width) + " 0\nP4 0 " + std::to_string(width) + " 0\n" + extra_points +
           "CURVES\nQL1 P1 P2 STEP 1\nQL2 P2 P3 STEP 1\nQL3 P3 P4 STEP 1\nQL4 P4 P1 STEP 1\n"
           "SUBREGIONS\nR1 PLANE QL1 QL2 QL3 QL4 REF 0.2" + extra_after_ref + "\nEND\n";
}

struct Verdict {
    int result = -1;
    int planar = -1;
    PlaneCoeffs plane;
};

Verdict recognise(const std::string& text, Run& run) {
    ModelFile file(text);
    run.problem_path = file.path();
    Verdict v;
    EXPECT_EQ(read_model(run), 1);
    for (int i = 1; i <= run.nPoints; ++i) run.points[i].PINT = run.points[i].name.starts_with("PINT") ? 1 : 0;
    EXPECT_EQ(check_input_data(run) && restore_curves(run) && input_data_preprocessor(run), 1);
    v.result = recognize_plane_patch_using_control_points(run, 1, v.plane, v.planar);
    return v;
}

TEST(PlaneFromControlPoints, AFlatRectangleIsPlanarWithItsNormalUp) {
    Messages messages;
    korvex::Run run;
    const Verdict v = recognise(rectangle(10, 6), run);
    EXPECT_EQ(v.result, 1);
    EXPECT_EQ(v.planar, 1);
    EXPECT_NEAR(v.plane.c, 1.0, 1e-12);
    EXPECT_FALSE(messages.contains("long-and-narrow"));
}

TEST(PlaneFromControlPoints, APointOffThePlaneMakesItNotPlanar) {
    Messages messages;
    korvex::Run run;
    std::string text = rectangle(10, 6);
    text.replace(text.find("P3 10.000000 6.000000 0"), 23, "P3 10.000000 6.000000 0.01");
    const Verdict v = recognise(text, run);
    EXPECT_EQ(v.result, 1);
    EXPECT_EQ(v.planar, 0);
    EXPECT_TRUE(messages.contains("Patch R1 is not plane.\n"));
}

TEST(PlaneFromControlPoints, ALongAndNarrowRectangleWarnsThenFailsWhenTooThin) {
    {
        Messages messages;
        korvex::Run run;
        const Verdict v = recognise(rectangle(100, 5.24), run);  // about 3 degrees
        EXPECT_EQ(v.result, 1);
        EXPECT_EQ(v.planar, 1);
        EXPECT_TRUE(messages.contains("Warning: subregion R1 is too 'long-and-narrow':\n angle_between_abc=  3.00 degs.\n"));
        EXPECT_FALSE(messages.contains("Consider dividing"));
    }
    {
        Messages messages;
        korvex::Run run;
        const Verdict v = recognise(rectangle(100, 0.524), run);  // about 0.3 degrees
        EXPECT_EQ(v.result, 0);
        EXPECT_TRUE(messages.contains("Consider dividing the subregion\n to several 'shorter' parts.\n"));
    }
}

TEST(PlaneFromControlPoints, AnAssignedInternalPointOffThePlaneIsReported) {
    Messages messages;
    korvex::Run run;
    const Verdict v = recognise(rectangle(10, 6, "PINT1 5 3 0.001 R1 STEP 0.5 RAD 1\n"), run);
    EXPECT_EQ(v.result, 1);
    EXPECT_EQ(v.planar, 0);
    EXPECT_TRUE(messages.contains("Point PINT1 doesn't belong to subregion R1\n   although declared as such.\n"));
    EXPECT_TRUE(messages.contains("PLANE_RECOGNITION_TOLERANCE(=1e-06)\n"));
}

TEST(PlaneFromControlPoints, AnInternalPointWithoutRadiusIsNotTested) {
    Messages messages;
    korvex::Run run;
    const Verdict v = recognise(rectangle(10, 6, "PINT1 5 3 0.001\n"), run);
    EXPECT_EQ(v.result, 1);
    EXPECT_EQ(v.planar, 1);
}

TEST(VertexLoops, AHoleListedInMixedOrderAndDirectionIsChained) {
    Messages messages;
    korvex::Run run;
    const std::string text = rectangle(10, 10,
                                       "PH1 3 3 0\nPH2 6 3 0\nPH3 6 6 0\nPH4 3 6 0\n",
                                       " H1 QLH3 QLH1 QLH4 QLH2");
    std::string with_hole = text;
    with_hole.replace(with_hole.find("SUBREGIONS"), 10,
                      "QLH1 PH1 PH2 STEP 1\nQLH2 PH3 PH2 STEP 1\nQLH3 PH3 PH4 STEP 1\nQLH4 PH1 PH4 STEP 1\nSUBREGIONS");
    const Verdict v = recognise(with_hole, run);
    ASSERT_EQ(v.planar, 1);
    std::vector<VertexLoop> loops;
    ASSERT_EQ(build_vertex_loops(run, 1, loops), 1);
    ASSERT_EQ(loops.size(), 2u);
    EXPECT_EQ(loops[0].count, 4);
    const VertexLoop& hole = loops[1];
    ASSERT_EQ(hole.count, 4);
    // Consecutive hole vertices are joined by one of the hole's sides (length 3).
    for (int i = 1; i <= hole.count; ++i) {
        const Vec3 a = run.points[hole.vertices[i].point].pos();
        const Vec3 b = run.points[hole.vertices[i == hole.count ? 1 : i + 1].point].pos();
        EXPECT_NEAR(distance(a, b), 3.0, 1e-12);
    }
}

}  // namespace
}  // namespace korvex
