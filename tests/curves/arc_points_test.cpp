#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "curve_test_model.h"
#include "curves/curve_points.h"

namespace korvex {
namespace {

using namespace curve_test;

// Arcs through three points at the given angles on a circle in the plane
// z = centre z: nodes at equal angles, the middle point on the middle node.
TEST(ArcNodes, NodesFallAtEqualAnglesOnTheCircle) {
    struct Case {
        const char* label;
        double cx, cy, cz, r;
        double start, middle, end;  // degrees
        double step;
        int nodes;
        double tol;
    };
    const Case cases[] = {
        // Centre at the origin: the polar construction takes its shifted form.
        {"half circle about the origin", 0, 0, 0, 1, 0, 90, 180, M_PI / 8, 9, 1e-14},
        // 9.42 / 0.5 = 18.8 -> 19 -> 20 intervals.
        {"three quarters away from the origin", 10, -3, 2, 2, 0, -135, -270, 0.5, 21, 1e-12},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.label);
        auto at = [&](double deg, const char* name) {
            return Pt{name, k.cx + k.r * std::cos(deg * M_PI / 180), k.cy + k.r * std::sin(deg * M_PI / 180), k.cz};
        };
        korvex::Run run;
        const int c = add_curve(run, "C1", {at(k.start, "PA"), at(k.middle, "PM"), at(k.end, "PE")}, k.step);
        ASSERT_EQ(run_stage(run), 1);
        const Curve& cv = run.curves[c];
        const double sweep = (k.end - k.start) * M_PI / 180;
        EXPECT_NEAR(cv.length, std::fabs(sweep) * k.r, k.tol);
        EXPECT_NEAR(cv.radius, k.r, k.tol);
        EXPECT_NEAR(cv.center[0], k.cx, k.tol);
        EXPECT_NEAR(cv.center[1], k.cy, k.tol);
        EXPECT_NEAR(cv.center[2], k.cz, k.tol);
        EXPECT_EQ(std::fabs(cv.plane[2]), 1.0);
        const auto nodes = curve_nodes(run, c);
        ASSERT_EQ(static_cast<int>(nodes.size()), k.nodes);
        for (int i = 0; i < k.nodes; ++i) {
            const Pt want = at(k.start + (k.end - k.start) * i / (k.nodes - 1), "");
            EXPECT_NEAR(nodes[i]->x, want.x, k.tol) << i;
            EXPECT_NEAR(nodes[i]->y, want.y, k.tol) << i;
            EXPECT_NEAR(nodes[i]->z, k.cz, k.cz == 0 ? 0.0 : k.tol) << i;  // exact in z = 0
        }
        EXPECT_EQ(nodes[k.nodes / 2]->name, "PM");
        EXPECT_EQ(nodes[1]->curve_id, c);
    }
}

TEST(ArcNodes, StandAloneCallChecksTheNodeLimit) {
    korvex::Run run;
    const int c = add_curve(run, "C1", {{"PA", 1, 0}, {"PM", 0, 1}, {"PE", -1, 0}}, M_PI / 8);
    int count = 0;
    MessageCapture capture;
    EXPECT_EQ(generatePointsOnArc(-c, run.points, run.curves, count, run.new_points, 5), 0);
    EXPECT_EQ(capture.text(), " Increase MAX_NEW_POINTS in korvex.h (currently =5) (6)\n");
    EXPECT_EQ(count, 5);
}

TEST(ArcNodes, NodeOnAnEarlierCurveIsFoundAfterTheArc) {
    // The general curve's end point PX sits where the arc's middle node falls.
    korvex::Run run;
    add_curve(run, "QL1", {{"PX", 0, 1}, {"PY", 0, 3}}, 1.0);
    add_curve(run, "C1", {{"PA", 1, 0}, {"PM", 0.6, 0.8}, {"PE", -1, 0}}, M_PI / 4);
    MessageCapture capture;
    EXPECT_EQ(run_stage(run), 0);
    const std::string text = capture.text();
    EXPECT_EQ(text.rfind("In CURVEARC.C: two coincident points:\nPX(", 0), 0u) << text;
    EXPECT_NE(text.find("\nP$000006("), std::string::npos) << text;
}

}  // namespace
}  // namespace korvex
