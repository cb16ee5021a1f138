// Plane recognition on mesh nodes: boundary chaining, orientation of the
// normal, the planarity and reference-triangle failures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "planar/plane_recognition.h"
#include "support/message_capture.h"
#include "support/plane_model.h"

namespace korvex::test {
namespace {

struct Recognised {
    korvex::Run run;
    PlaneCoeffs plane;
    int planar = -1;
    int result = -1;

    explicit Recognised(const std::string& text) {
        EXPECT_EQ(prepare_model(run, text), 1);
        result = recognize_plane_patch(run, 1, plane, planar);
    }
};

// The 10 x 10 square at height z with 2.5 steps and the given subregion line.
std::string square(const std::string& subregion, double z = 0) {
    SurModel m = rectangle_sur(10, 10, 2.5, z);
    m.subregions = subregion + "\n";
    return m.text();
}

// Curves listed in mixed order and directions are chained by their end nodes;
// a counter-clockwise boundary keeps the normal +z.
TEST(RecognizePlanePatch, ChainsCurvesInMixedOrderByTheirEndNodes) {
    MessageCapture messages;
    Recognised r(square("R1 PLANE QL3 QL1 QL4 QL2 REF 0.2"));
    ASSERT_EQ(r.result, 1);
    ASSERT_EQ(r.planar, 1);
    EXPECT_NEAR(r.plane.c, 1.0, 1e-12);
    EXPECT_NEAR(r.plane.d, 0.0, 1e-12);
    const Subregion& s = r.run.patches[1];
    EXPECT_EQ(s.num_points, 16);
    EXPECT_GT(s.curves_id[1], 0);
    for (int i = 1; i <= s.num_curves; ++i) {
        const int a = s.curves_id[i], b = s.curves_id[i == s.num_curves ? 1 : i + 1];
        const Curve& ca = r.run.curves[std::abs(a)];
        const Curve& cb = r.run.curves[std::abs(b)];
        const int end_a = a > 0 ? ca.new_points_id[ca.num_new_points] : ca.new_points_id[1];
        const int start_b = b > 0 ? cb.new_points_id[1] : cb.new_points_id[cb.num_new_points];
        EXPECT_EQ(end_a, start_b) << "between positions " << i << " and " << i % s.num_curves + 1;
        EXPECT_EQ(s.curve_names[i], ca.name);
    }
}

TEST(RecognizePlanePatch, ClockwiseBoundaryGetsItsNormalNegated) {
    MessageCapture messages;
    // The square at z = 3 with its curves running clockwise seen from +z.
    SurModel m = rectangle_sur(10, 10, 2.5, 3);
    m.curves = "QL1 P1 P4 STEP 2.5\nQL2 P4 P3 STEP 2.5\nQL3 P3 P2 STEP 2.5\nQL4 P2 P1 STEP 2.5\n";
    Recognised r(m.text());
    ASSERT_EQ(r.result, 1);
    ASSERT_EQ(r.planar, 1);
    EXPECT_NEAR(r.plane.c, -1.0, 1e-12);
    EXPECT_NEAR(r.plane.d, -3.0, 1e-12);
    // The stored boundary runs counter-clockwise about that normal.
    const Subregion& s = r.run.patches[1];
    double area2 = 0;  // twice the signed area seen from +z
    for (int i = 1; i <= s.num_points; ++i) {
        const ControlPoint& a = r.run.new_points[s.points_id[i]];
        const ControlPoint& b = r.run.new_points[s.points_id[i == s.num_points ? 1 : i + 1]];
        area2 += a.x * b.y - b.x * a.y;
    }
    EXPECT_LT(area2, 0.0);
}

TEST(RecognizePlanePatch, Failures) {
    // An untyped patch off its plane is not planar.
    {
        MessageCapture messages;
        std::string text = square("R1 EDGE QL1 EDGE QL2 EDGE QL3 EDGE QL4 REF 0.2");
        text.replace(text.find("P3 10 10 0"), 10, "P3 10 10 1");
        Recognised r(text);
        EXPECT_EQ(r.result, 1);
        EXPECT_EQ(r.planar, 0);
        EXPECT_TRUE(messages.contains("Patch R1 is not plane.    (In PLANE_P1.C)\n"));
    }
    // Nearly collinear reference points: the thin strip 1000 x 1.
    {
        MessageCapture messages;
        SurModel m = rectangle_sur(1000, 1, 1);
        m.curves.replace(m.curves.find("STEP 1"), 6, "STEP 500");
        m.curves.replace(m.curves.find("P3 P4 STEP 1"), 12, "P3 P4 STEP 500");
        m.subregions = "R1 EDGE QL1 EDGE QL2 EDGE QL3 EDGE QL4 REF 0.2\n";
        Recognised r(m.text());
        EXPECT_EQ(r.result, 0);
        EXPECT_TRUE(messages.contains("points could be\n inlined or almost inlined.\n"));
        EXPECT_TRUE(messages.contains(" (tol=  0.50 degs.)\n"));
    }
    // A curve listed twice.
    {
        MessageCapture messages;
        Recognised r(square("R1 PLANE QL1 QL2 QL3 QL4 REF 0.2"));
        Subregion& s = r.run.patches[1];
        s.curves_id[3] = -s.curves_id[1];
        EXPECT_EQ(recognize_plane_patch(r.run, 1, r.plane, r.planar), 0);
        EXPECT_TRUE(messages.contains("encountered twice in patch R1\n"));
    }
}

}  // namespace
}  // namespace korvex::test
