#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "curve_test_model.h"
#include "curves/curve_points.h"
#include "pipeline/stages.h"

namespace korvex {
namespace {

using testing::add_curve;
using testing::add_point;
using testing::curve_nodes;
using testing::MessageCapture;

TEST(ArcNodes, HalfCircleThroughTheOriginPlane) {
    // Centre at the origin: the polar construction takes its shifted form.
    korvex::Run run;
    const int a = add_point(run, "PA", 1, 0);
    const int m = add_point(run, "PM", 0, 1);
    const int e = add_point(run, "PE", -1, 0);
    const int c = add_curve(run, "C1", {a, m, e}, M_PI / 8);
    ASSERT_EQ(generatePointsAlongCurves(run, MAX_NEW_POINTS), 1);
    const Curve& cv = run.curves[c];
    EXPECT_NEAR(cv.length, M_PI, 1e-14);
    EXPECT_NEAR(cv.radius, 1.0, 1e-15);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(cv.center[k], 0.0, 1e-15);
    EXPECT_EQ(std::fabs(cv.plane[2]), 1.0);
    const auto nodes = curve_nodes(run, c);
    ASSERT_EQ(nodes.size(), 9u);
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        const double phi = M_PI * static_cast<double>(k) / 8;
        EXPECT_NEAR(nodes[k]->x, std::cos(phi), 1e-14) << k;
        EXPECT_NEAR(nodes[k]->y, std::sin(phi), 1e-14) << k;
        EXPECT_EQ(nodes[k]->z, 0.0);
    }
    EXPECT_EQ(nodes[4]->name, "PM");  // the middle point lies on a target
    EXPECT_EQ(nodes[1]->curve_id, c);
}

TEST(ArcNodes, ThreeQuarterArcAwayFromTheOriginRunsThroughItsMiddlePoint) {
    korvex::Run run;
    const double cx = 10, cy = -3, cz = 2, r = 2;
    auto at = [&](double deg) { return std::pair{cx + r * std::cos(deg * M_PI / 180), cy + r * std::sin(deg * M_PI / 180)}; };
    const auto [ax, ay] = at(0);
    const auto [mx, my] = at(-135);
    const auto [ex, ey] = at(-270);
    const int a = add_point(run, "PA", ax, ay, cz);
    const int m = add_point(run, "PM", mx, my, cz);
    const int e = add_point(run, "PE", ex, ey, cz);
    const int c = add_curve(run, "C7", {a, m, e}, 0.5);
    ASSERT_EQ(generatePointsAlongCurves(run, MAX_NEW_POINTS), 1);
    const Curve& cv = run.curves[c];
    EXPECT_NEAR(cv.length, 1.5 * M_PI * r, 1e-12);
    EXPECT_EQ(cv.num_new_points, 21);  // 9.42 / 0.5 = 18.8 -> 19 -> 20 intervals
    const auto nodes = curve_nodes(run, c);
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        const auto [x, y] = at(-270.0 * static_cast<double>(k) / 20);
        EXPECT_NEAR(nodes[k]->x, x, 1e-12) << k;
        EXPECT_NEAR(nodes[k]->y, y, 1e-12) << k;
        EXPECT_NEAR(nodes[k]->z, cz, 1e-12);
    }
}

TEST(ArcNodes, CollinearPointsAndFullCirclesFailAtThePlaneTest) {
    {
        korvex::Run run;
        add_curve(run, "C1", {add_point(run, "PA", 0, 0), add_point(run, "PM", 1, 1), add_point(run, "PE", 2, 2)}, 0.1);
        MessageCapture capture;
        EXPECT_EQ(generatePointsAlongCurves(run, MAX_NEW_POINTS), 0);
        EXPECT_EQ(capture.text(), " Error in generatePointsOnArcs():  anorm=0\n Probable reason: points of arc C1 inlined.\n");
    }
    {
        korvex::Run run;
        const int a = add_point(run, "PA", 1, 0);
        add_curve(run, "C2", {a, add_point(run, "PM", -1, 0), a}, 0.1);
        MessageCapture capture;
        EXPECT_EQ(generatePointsAlongCurves(run, MAX_NEW_POINTS), 0);
        EXPECT_EQ(capture.text(), " Error in generatePointsOnArcs():  anorm=0\n Probable reason: points of arc C2 inlined.\n");
    }
}

TEST(ArcNodes, DefinitionErrors) {
    {
        korvex::Run run;
        add_curve(run, "C1", {add_point(run, "PA", 0, 0), add_point(run, "PE", 2, 2)}, 0.1);
        MessageCapture capture;
        EXPECT_EQ(generatePointsAlongCurves(run, MAX_NEW_POINTS), 0);
        EXPECT_EQ(capture.text(), " Input data error: arc curve C1 must have at least    3 points.\n");
    }
    {  // a fourth point off the circle of the first three
        korvex::Run run;
        add_curve(run, "C1",
                  {add_point(run, "PA", 1, 0), add_point(run, "PB", 0, 1.1), add_point(run, "PM", -1, 0),
                   add_point(run, "PE", 0, -1)},
                  0.1);
        MessageCapture capture;
        EXPECT_EQ(generatePointsAlongCurves(run, MAX_NEW_POINTS), 0);
        EXPECT_EQ(capture.text(), " Check input data : definition of arc curve C1 contains\n  point(s) that geometrically "
                                  "do(es) not belong\n  to the arc.\n");
    }
    {  // a fourth point off the plane
        korvex::Run run;
        add_curve(run, "C1",
                  {add_point(run, "PA", 1, 0), add_point(run, "PB", 0, 1, 0.1), add_point(run, "PM", -1, 0),
                   add_point(run, "PE", 0, -1)},
                  0.1);
        MessageCapture capture;
        EXPECT_EQ(generatePointsAlongCurves(run, MAX_NEW_POINTS), 0);
        EXPECT_EQ(capture.text(), " Check input data : not all points defining \n    arc curve C1 belong to one and the "
                                  "same plane.\n");
    }
    {  // too fine a step
        korvex::Run run;
        add_curve(run, "C9", {add_point(run, "PA", 1, 0), add_point(run, "PM", 0, 1), add_point(run, "PE", -1, 0)},
                  M_PI / 1001);
        MessageCapture capture;
        EXPECT_EQ(generatePointsAlongCurves(run, MAX_NEW_POINTS), 0);
        EXPECT_EQ(capture.text(), "C9: Increase  MAX_POINTS_PER_CURVE in korvex.h (currently =1000)\n");
    }
}

TEST(ArcNodes, StandAloneCallChecksTheNodeLimit) {
    korvex::Run run;
    const int c = add_curve(
        run, "C1", {add_point(run, "PA", 1, 0), add_point(run, "PM", 0, 1), add_point(run, "PE", -1, 0)}, M_PI / 8);
    int count = 0;
    MessageCapture capture;
    EXPECT_EQ(generatePointsOnArc(-c, run.points, run.curves, count, run.new_points, 5), 0);
    EXPECT_EQ(capture.text(), " Increase MAX_NEW_POINTS in korvex.h (currently =5) (6)\n");
    EXPECT_EQ(count, 5);
}

TEST(ArcNodes, NodeOnAnEarlierCurveIsFoundAfterTheArc) {
    // The general curve's end point PX sits where the arc's middle node falls.
    korvex::Run run;
    const int x = add_point(run, "PX", 0, 1);
    const int y = add_point(run, "PY", 0, 3);
    add_curve(run, "QL1", {x, y}, 1.0);
    add_curve(run, "C1", {add_point(run, "PA", 1, 0), add_point(run, "PM", 0.6, 0.8), add_point(run, "PE", -1, 0)},
              M_PI / 4);
    MessageCapture capture;
    EXPECT_EQ(generatePointsAlongCurves(run, MAX_NEW_POINTS), 0);
    const std::string text = capture.text();
    EXPECT_EQ(text.rfind("In CURVEARC.C: two coincident points:\nPX(", 0), 0u) << text;
    EXPECT_NE(text.find("\nP$000006("), std::string::npos) << text;
}

}  // namespace
}  // namespace korvex
