// Plane recognition on mesh nodes: boundary chaining, orientation of the
// normal, the planarity and reference-triangle failures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "pipeline/stages.h"
#include "support/plane_model.h"

namespace korvex {
namespace {

using plane_test::Messages;
using plane_test::ModelFile;

std::string square(const std::string& subregion_line) {
    return "Square\nSTEP CONSTANT\nPOINTS\nP1 0 0 0\nP2 10 0 0\nP3 10 10 0\nP4 0 10 0\nCURVES\n"
           "QL1 P1 P2 STEP 2.5\nQL2 P2 P3 STEP 2.5\nQL3 P3 P4 STEP 2.5\nQL4 P4 P1 STEP 2.5\nSUBREGIONS\n" +
           subregion_line + "\nEND\n";
}

struct Recognised {
    Run run;
    PlaneCoeffs plane;
    int planar = -1;
    int result = -1;
};

void recognise(const std::string& text, Recognised& r) {
    ModelFile file(text);
    ASSERT_EQ(plane_test::prepare(r.run, file.path(), false), 1);
    r.result = recognize_plane_patch(r.run, 1, r.plane, r.planar);
}

TEST(RecognizePlanePatch, CounterClockwiseSquareKeepsItsNormal) {
    Messages messages;
    Recognised r;
    recognise(square("R1 PLANE QL1 QL2 QL3 QL4 REF 0.2"), r);
    ASSERT_EQ(r.result, 1);
    EXPECT_EQ(r.planar, 1);
    EXPECT_NEAR(r.plane.c, 1.0, 1e-12);
    EXPECT_NEAR(r.plane.d, 0.0, 1e-12);
    EXPECT_EQ(r.run.patches[1].num_points, 16);
}

TEST(RecognizePlanePatch, ClockwiseBoundaryGetsItsNormalNegated) {
    Messages messages;
    Recognised r;
    // A square at z = 3 whose curves run clockwise seen from +z.
    const std::string text =
        "Clockwise\nPOINTS\nP1 0 0 3\nP2 10 0 3\nP3 10 10 3\nP4 0 10 3\nCURVES\n"
        "QL1 P1 P4 STEP 2.5\nQL2 P4 P3 STEP 2.5\nQL3 P3 P2 STEP 2.5\nQL4 P2 P1 STEP 2.5\nSUBREGIONS\n"
        "R1 PLANE QL1 QL2 QL3 QL4 REF 0.2\nEND\n";
    recognise(text, r);
    ASSERT_EQ(r.result, 1);
    ASSERT_EQ(r.planar, 1);
    // Walking the stored boundary must run counter-clockwise about the normal.
    const Subregion& s = r.run.patches[1];
    double area2 = 0;  // twice the signed area seen from +z
    for (int i = 1; i <= s.num_points; ++i) {
        const ControlPoint& a = r.run.new_points[s.points_id[i]];
        const ControlPoint& b = r.run.new_points[s.points_id[i == s.num_points ? 1 : i + 1]];
        area2 += a.x * b.y - b.x * a.y;
    }
    EXPECT_LT(area2, 0.0);
    EXPECT_NEAR(r.plane.c, -1.0, 1e-12);
    EXPECT_NEAR(r.plane.d, -3.0, 1e-12);
}

TEST(RecognizePlanePatch, CurvesInMixedOrderAndDirectionAreChainedByEndNodes) {
    Messages messages;
    Recognised r;
    recognise(square("R1 PLANE QL3 QL1 QL4 QL2 REF 0.2"), r);
    ASSERT_EQ(r.result, 1);
    ASSERT_EQ(r.planar, 1);
    const Subregion& s = r.run.patches[1];
    // Consecutive curves meet at a shared end node.
    for (int i = 1; i <= s.num_curves; ++i) {
        const int a = s.curves_id[i], b = s.curves_id[i == s.num_curves ? 1 : i + 1];
        const Curve& ca = r.run.curves[std::abs(a)];
        const Curve& cb = r.run.curves[std::abs(b)];
        const int end_a = a > 0 ? ca.new_points_id[ca.num_new_points] : ca.new_points_id[1];
        const int start_b = b > 0 ? cb.new_points_id[1] : cb.new_points_id[cb.num_new_points];
        EXPECT_EQ(end_a, start_b) << "between positions " << i << " and " << i % s.num_curves + 1;
        EXPECT_EQ(s.curve_names[i], ca.name);
    }
    EXPECT_GT(s.curves_id[1], 0);
}

TEST(RecognizePlanePatch, AnUntypedPatchOffThePlaneIsNotPlanar) {
    Messages messages;
    Recognised r;
    std::string text = square("R1 EDGE QL1 EDGE QL2 EDGE QL3 EDGE QL4 REF 0.2");
    text.replace(text.find("P3 10 10 0"), 10, "P3 10 10 1");
    recognise(text, r);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.planar, 0);
    EXPECT_TRUE(messages.contains("Patch R1 is not plane.    (In PLANE_P1.C)\n"));
}

TEST(RecognizePlanePatch, NearlyCollinearReferencePointsAreInlined) {
    Messages messages;
    Recognised r;
    const std::string text =
        "Thin strip\nPOINTS\nP1 0 0 0\nP2 1000 0 0\nP3 1000 1 0\nP4 0 1 0\nCURVES\n"
        "QL1 P1 P2 STEP 500\nQL2 P2 P3 STEP 1\nQL3 P3 P4 STEP 500\nQL4 P4 P1 STEP 1\nSUBREGIONS\n"
        "R1 EDGE QL1 EDGE QL2 EDGE QL3 EDGE QL4 REF 0.2\nEND\n";
    recognise(text, r);
    EXPECT_EQ(r.result, 0);
    EXPECT_TRUE(messages.contains("points could be\n inlined or almost inlined.\n"));
    EXPECT_TRUE(messages.contains(" (tol=  0.50 degs.)\n"));
}

TEST(RecognizePlanePatch, ACurveListedTwiceIsAnInputError) {
    Messages messages;
    Recognised r;
    recognise(square("R1 PLANE QL1 QL2 QL3 QL4 REF 0.2"), r);
    Subregion& s = r.run.patches[1];
    s.curves_id[3] = -s.curves_id[1];
    EXPECT_EQ(recognize_plane_patch(r.run, 1, r.plane, r.planar), 0);
    EXPECT_TRUE(messages.contains("encountered twice in patch R1\n"));
}

}  // namespace
}  // namespace korvex
