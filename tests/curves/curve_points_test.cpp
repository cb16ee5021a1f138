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

int run_stage(Run& run, int limit = MAX_NEW_POINTS) { return generatePointsAlongCurves(run, limit); }

// A straight curve of `n` points from the origin along x, `length` long.
int straight_curve(Run& run, const char* name, int n, double length, double step, double y = 0.0) {
    std::vector<int> ids;
    for (int i = 0; i < n; ++i) {
        const std::string pname = std::string("P") + name + std::to_string(i);
        ids.push_back(add_point(run, pname.c_str(), length * i / (n - 1), y));
    }
    const int c = run.nCurves + 1;
    run.curves.ensure(c);
    Curve& cv = run.curves[c];
    cv.name = name;
    cv.id = c;
    cv.step = step;
    cv.num_points = n;
    for (int j = 1; j <= n; ++j) cv.points_id[static_cast<std::size_t>(j)] = ids[static_cast<std::size_t>(j - 1)];
    run.nCurves = c;
    return c;
}

TEST(CurveNodeCounts, FollowTheRoundingAndEvennessRules) {
    struct Case {
        const char* name;
        int points;
        double ratio;  // length / step; ratio < 1 means step > length
        int nodes;
    };
    const Case cases[] = {
        {"Q1", 4, 4.4, 5},  {"Q2", 4, 4.6, 7},  {"QL3", 2, 2.9, 5}, {"Q4", 2, 0.5, 3},
        {"Q5", 3, 0.5, 5},  {"QL6", 2, 0.5, 3}, {"Q7", 4, 0.5, 5},  {"Q8", 2, 1.2, 3},
        {"Q9", 4, 1.2, 5},  {"QL10", 2, 7.0, 9},
    };
    korvex::Run run;
    for (const Case& k : cases) straight_curve(run, k.name, k.points, 3.0, 3.0 / k.ratio, 10.0 * run.nCurves);
    ASSERT_EQ(run_stage(run), 1);
    int total = 0;
    for (int c = 1; c <= run.nCurves; ++c) {
        EXPECT_EQ(run.curves[c].num_new_points, cases[c - 1].nodes) << cases[c - 1].name;
        EXPECT_NEAR(run.curves[c].length, 3.0, 1e-12);
        total += run.curves[c].num_new_points;
    }
    EXPECT_EQ(run.num_new_points, total);
}

TEST(CurveNodes, AreEvenlySpacedWithGeneratedNamesAndCurveIds) {
    korvex::Run run;
    const int c = straight_curve(run, "QL1", 2, 8.0, 1.0);
    ASSERT_EQ(run_stage(run), 1);
    const auto nodes = curve_nodes(run, c);
    ASSERT_EQ(nodes.size(), 9u);
    EXPECT_EQ(nodes.front()->name, "PQL10");
    EXPECT_EQ(nodes.back()->name, "PQL11");
    EXPECT_EQ(nodes.front()->curve_id, 0);
    for (int k = 1; k < 8; ++k) {
        EXPECT_NEAR(nodes[k]->x, k, 1e-12);
        EXPECT_EQ(nodes[k]->y, 0.0);
        EXPECT_EQ(nodes[k]->curve_id, c);
        char expected[16];
        std::snprintf(expected, sizeof expected, "P$%06i", nodes[k]->id);
        EXPECT_EQ(nodes[k]->name, expected);
    }
    EXPECT_EQ(run.points[1].new_id, nodes.front()->id);
}

TEST(CurveNodes, CurvedGeneralCurveFollowsItsPoints) {
    // Seven points on a quarter circle of radius 2: the length estimate and the
    // nodes stay close to the circle.
    korvex::Run run;
    std::vector<int> ids;
    for (int i = 0; i <= 6; ++i) {
        const double a = M_PI / 2 * i / 6;
        ids.push_back(add_point(run, ("P" + std::to_string(i)).c_str(), 2 * std::cos(a), 2 * std::sin(a), 1.0));
    }
    const int c = add_curve(run, "Q1", {ids[0], ids[1], ids[2], ids[3], ids[4], ids[5], ids[6]}, 0.25);
    ASSERT_EQ(run_stage(run), 1);
    EXPECT_NEAR(run.curves[c].length, M_PI, 5e-4);  // the 8-chord estimate of the cubic model
    EXPECT_EQ(run.curves[c].num_new_points, 15);  // pi / 0.25 = 12.6 -> 13 -> 14 intervals
    for (const ControlPoint* p : curve_nodes(run, c)) {
        EXPECT_NEAR(std::hypot(p->x, p->y), 2.0, 5e-4);
        EXPECT_EQ(p->z, 1.0);
    }
}

TEST(CurveNodes, SharedEndPointsShareOneNode) {
    korvex::Run run;
    const int a = add_point(run, "PA", 0, 0);
    const int b = add_point(run, "PB", 2, 0);
    const int c = add_point(run, "PC", 2, 2);
    const int c1 = add_curve(run, "QL1", {a, b}, 0.5);
    const int c2 = add_curve(run, "QL2", {b, c}, 0.5);
    const int c3 = add_curve(run, "QL3", {c, a}, 0.5);
    ASSERT_EQ(run_stage(run), 1);
    EXPECT_EQ(run.curves[c1].new_points_id[5], run.curves[c2].new_points_id[1]);
    EXPECT_EQ(run.curves[c2].new_points_id[5], run.curves[c3].new_points_id[1]);
    EXPECT_EQ(run.curves[c3].new_points_id[7], run.curves[c1].new_points_id[1]);
    EXPECT_EQ(run.num_new_points, 3 + 3 + 3 + 5);
    EXPECT_EQ(run.new_points[run.points[b].new_id].name, "PB");
}

TEST(CurveNodes, DefinitionPointAtATargetBecomesTheNode) {
    korvex::Run run;
    const int p1 = add_point(run, "P1", 0, 0);
    const int p2 = add_point(run, "P2", 1, 0);      // on node 2
    const int p3 = add_point(run, "P@7", 2.3, 0);   // between nodes
    const int p4 = add_point(run, "P4", 4, 0);
    run.points[p2].name_original = "ignored";
    run.points[p3].name_original = "QX";
    const int c = add_curve(run, "Q1", {p1, p2, p3, p4}, 1.0);
    ASSERT_EQ(run_stage(run), 1);
    const auto nodes = curve_nodes(run, c);
    ASSERT_EQ(nodes.size(), 5u);
    EXPECT_EQ(nodes[1]->name, "P2");
    EXPECT_EQ(nodes[1]->curve_id, 0);
    EXPECT_EQ(nodes[1]->name_original, "");
    EXPECT_EQ(run.points[p2].new_id, nodes[1]->id);
    EXPECT_EQ(run.points[p3].new_id, 0);  // the curve passes through it, no node there
    EXPECT_EQ(run.points[p2].curve_id, c);
    EXPECT_EQ(std::string(nodes[2]->name.c_str()).substr(0, 2), "P$");
}

TEST(CurveNodes, GeneratedNamedPointCarriesItsOriginalName) {
    korvex::Run run;
    const int p1 = add_point(run, "P@000001", 0, 0);
    const int p2 = add_point(run, "P2", 1, 0);
    run.points[p1].name_original = "QBASE";
    add_curve(run, "QL1", {p1, p2}, 1.0);
    ASSERT_EQ(run_stage(run), 1);
    EXPECT_EQ(run.new_points[1].name, "P@000001");
    EXPECT_EQ(run.new_points[1].name_original, "QBASE");
}

TEST(CurveNodes, ProgressIsReportedEveryThousandCurves) {
    korvex::Run run;
    for (int c = 0; c < 1000; ++c) straight_curve(run, ("QL" + std::to_string(c)).c_str(), 2, 1.0, 1.0, c);
    MessageCapture capture;
    ASSERT_EQ(run_stage(run), 1);
    EXPECT_EQ(capture.text(), "   ...processing curve 1000  (nCurves=1000)\n");
    EXPECT_EQ(run.num_new_points, 3000);
}

TEST(CurveNodes, TooManyNodesOnOneCurve) {
    korvex::Run run;
    straight_curve(run, "QL1", 2, 10.0, 0.01);  // 1000 intervals: 1001 nodes
    MessageCapture capture;
    EXPECT_EQ(run_stage(run), 0);
    EXPECT_EQ(capture.text(), "Increase MAX_POINTS_PER_CURVE in korvex.h (currently =1000)\n");
}

TEST(CurveNodes, ZeroStepIsRefusedAsTooManyNodes) {
    korvex::Run run;
    straight_curve(run, "QL1", 2, 10.0, 0.0);
    MessageCapture capture;
    EXPECT_EQ(run_stage(run), 0);
    EXPECT_EQ(capture.text(), "Increase MAX_POINTS_PER_CURVE in korvex.h (currently =1000)\n");
}

TEST(CurveNodes, TooManyNodesInTheModel) {
    // 31 curves of 999 nodes each: the 30001st node is refused.
    korvex::Run run;
    for (int c = 0; c < 31; ++c) straight_curve(run, ("QL" + std::to_string(c)).c_str(), 2, 998.0, 1.0, c);
    MessageCapture capture;
    EXPECT_EQ(run_stage(run), 0);
    EXPECT_EQ(capture.text(), " Increase MAX_NEW_POINTS in korvex.h (currently =30000)  (2)\n");
    EXPECT_EQ(run.num_new_points, 30000);
}

TEST(CurveNodes, CoincidentConsecutiveDefinitionPointsAreRefused) {
    korvex::Run run;
    const int a = add_point(run, "PA", 0, 0);
    const int b = add_point(run, "PB", 0, 0);
    const int c = add_point(run, "PC", 1, 0);
    add_curve(run, "Q1", {a, b, c}, 0.1);
    MessageCapture capture;
    EXPECT_EQ(run_stage(run), 0);
    EXPECT_EQ(capture.text(), " Input data error: curve Q1: consecutive definition points PA and PB coincide.\n");
}

TEST(CurveNodes, BackTrackingPointGivesTheTangentWarning) {
    korvex::Run run;
    const int a = add_point(run, "PA", 0, 0);
    const int b = add_point(run, "PB", 1, 0);
    const int c = add_point(run, "PC", 0.5, 0);
    add_curve(run, "Q1", {a, b, c}, 10.0);
    MessageCapture capture;
    run_stage(run);
    EXPECT_TRUE(capture.contains(" Warning: in computeDirectionalCos: length=0 < toler=1e-06\n")) << capture.text();
}

TEST(CoincidenceCheck, DistinctPointsAtOnePlaceFail) {
    korvex::Run run;
    const int a = add_point(run, "PA", 0, 0);
    const int b = add_point(run, "PB", 1, 0);
    const int b2 = add_point(run, "PB2", 1, 0);
    const int c = add_point(run, "PC", 1, 1);
    add_curve(run, "QL1", {a, b}, 1.0);
    add_curve(run, "QL2", {b2, c}, 1.0);
    MessageCapture capture;
    EXPECT_EQ(run_stage(run), 0);
    char expected[300];
    std::snprintf(expected, sizeof expected,
                  "In CURVE.C: two coincident points (dist=0):\n%s(%25.15lf,%25.10lf,%25.10lf)\n"
                  "%s(%25.15lf,%25.10lf,%25.10lf)\n",
                  "PB", 1.0, 0.0, 0.0, "PB2", 1.0, 0.0, 0.0);
    EXPECT_EQ(capture.text(), expected);
}

TEST(CoincidenceCheck, InternalPointsMayShareAPlace) {
    korvex::Run run;
    const int a = add_point(run, "PINT", 0, 0);
    const int b = add_point(run, "PB", 1, 0);
    const int a2 = add_point(run, "PINT", 0, 0);
    const int c = add_point(run, "PC", 0, 1);
    add_curve(run, "QL1", {a, b}, 1.0);
    add_curve(run, "QL2", {a2, c}, 1.0);
    EXPECT_EQ(run_stage(run), 1);
}

TEST(InternalPoints, MoveTheNearestMovableNodeOfTheirCurve) {
    korvex::Run run;
    const int p1 = add_point(run, "P1", 0, 0);
    const int pm = add_point(run, "PM", 2.3, 0);
    const int p2 = add_point(run, "P2", 4, 0);
    add_point(run, "PINT7", 2.3, 0);
    const int c = add_curve(run, "Q1", {p1, pm, p2}, 1.0);
    MessageCapture capture;
    ASSERT_EQ(run_stage(run), 1);
    EXPECT_EQ(capture.text(), "Moving PINT7  (belongs to Q1)\n");
    const auto nodes = curve_nodes(run, c);
    ASSERT_EQ(nodes.size(), 5u);
    EXPECT_DOUBLE_EQ(nodes[2]->x, 2.3);  // node at 2 was nearer than node at 3
    EXPECT_EQ(std::string(nodes[2]->name.c_str()).substr(0, 2), "P$");
    EXPECT_NEAR(nodes[3]->x, 3.0, 1e-12);
}

TEST(InternalPoints, NextToAnInputPointNodeTheGeneratedNodeMoves) {
    korvex::Run run;
    const int p1 = add_point(run, "P1", 0, 0);
    const int pm = add_point(run, "PM", 0.2, 0);
    const int p2 = add_point(run, "P2", 4, 0);
    add_point(run, "PINT", 0.2, 0);
    const int c = add_curve(run, "Q1", {p1, pm, p2}, 1.0);
    MessageCapture capture;
    ASSERT_EQ(run_stage(run), 1);
    const auto nodes = curve_nodes(run, c);
    EXPECT_EQ(nodes[0]->x, 0.0);        // P1 stays
    EXPECT_DOUBLE_EQ(nodes[1]->x, 0.2);  // its generated neighbour goes
}

TEST(InternalPoints, BetweenTwoInputPointsCannotBeAccommodated) {
    korvex::Run run;
    const int p1 = add_point(run, "P1", 0, 0);
    const int pm = add_point(run, "PM", 0.5, 0);
    const int p2 = add_point(run, "P2", 1, 0);
    add_point(run, "PINT", 0.5, 0);
    add_curve(run, "QL1", {p1, pm, p2}, 5.0);  // only the two end nodes
    MessageCapture capture;
    ASSERT_EQ(run_stage(run), 1);
    // 3 defining points on a QL curve: at least 2 intervals, so one generated node
    // sits at 0.5 and PM snaps onto it; the internal point then lies on input-point
    // nodes only.
    EXPECT_TRUE(capture.contains("Input data inconsistency: PINT cannot be \n accomodated. Reduce step size on QL1\n"))
        << capture.text();
}

TEST(SphereSubregions, GeneratedNodesOfTheirCurvesMoveOntoTheSphere) {
    korvex::Run run;
    const int a = add_point(run, "PA", 3, 0, 0);
    const int b = add_point(run, "PB", 1, 2, 0);
    const int c1 = add_curve(run, "QL1", {a, b}, 0.2);
    const int k = run.new_patch_slot();
    run.nPatches = k;
    Subregion& patch = run.patches[k];
    patch.type = TYPE_SPHERE;
    patch.centre[0] = 1;
    patch.num_curves = 1;
    patch.curves_id[1] = -c1;
    ASSERT_EQ(run_stage(run), 1);
    for (const ControlPoint* p : curve_nodes(run, c1)) EXPECT_NEAR(std::hypot(p->x - 1, p->y, p->z), 2.0, 1e-12);
}

}  // namespace
}  // namespace korvex
