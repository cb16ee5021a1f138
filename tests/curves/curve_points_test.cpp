#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "curve_test_model.h"

namespace korvex {
namespace {

using namespace curve_test;

// A straight curve of `n` points from (0, y) along x, `length` long.
int straight_curve(Run& run, const char* name, int n, double length, double step, double y = 0.0) {
    const int c = new_curve(run, name, step);
    for (int i = 0; i < n; ++i)
        append_point(run, c, add_point(run, (std::string("P") + name + std::to_string(i)).c_str(),
                                                length * i / (n - 1), y));
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
        // Evenly spaced; generated nodes are named by their number and owned by
        // the curve, definition points on a target (always the ends) are not.
        const auto nodes = curve_nodes(run, c);
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            EXPECT_NEAR(nodes[i]->x, 3.0 * static_cast<double>(i) / static_cast<double>(nodes.size() - 1), 1e-12);
            char generated[16];
            std::snprintf(generated, sizeof generated, "P$%06i", nodes[i]->id);
            const bool is_generated = nodes[i]->name == generated;
            EXPECT_EQ(nodes[i]->curve_id, is_generated ? c : 0);
            EXPECT_FALSE(is_generated && (i == 0 || i + 1 == nodes.size())) << i;
            EXPECT_TRUE(is_generated || nodes[i]->name.starts_with(std::string("P") + cases[c - 1].name)) << i;
        }
        total += run.curves[c].num_new_points;
    }
    EXPECT_EQ(run.num_new_points, total);
}

TEST(CurveNodes, CurvedGeneralCurveFollowsItsPoints) {
    // Seven points on a quarter circle of radius 2: the length estimate and the
    // nodes stay close to the circle.
    korvex::Run run;
    const int c = new_curve(run, "Q1", 0.25);
    for (int i = 0; i <= 6; ++i) {
        const double a = M_PI / 2 * i / 6;
        append_point(run, c, add_point(run, ("P" + std::to_string(i)).c_str(), 2 * std::cos(a), 2 * std::sin(a), 1.0));
    }
    ASSERT_EQ(run_stage(run), 1);
    EXPECT_NEAR(run.curves[c].length, M_PI, 5e-4);  // the 8-chord estimate of the cubic model
    EXPECT_EQ(run.curves[c].num_new_points, 15);    // pi / 0.25 = 12.6 -> 13 -> 14 intervals
    for (const ControlPoint* p : curve_nodes(run, c)) {
        EXPECT_NEAR(std::hypot(p->x, p->y), 2.0, 5e-4);
        EXPECT_EQ(p->z, 1.0);
    }
}

TEST(CurveNodes, SharedEndPointsShareOneNode) {
    korvex::Run run;
    const Pt a{"PA", 0, 0}, b{"PB", 2, 0}, c{"PC", 2, 2};
    const int c1 = add_curve(run, "QL1", {a, b}, 0.5);
    const int c2 = add_curve(run, "QL2", {b, c}, 0.5);
    const int c3 = add_curve(run, "QL3", {c, a}, 0.5);
    ASSERT_EQ(run_stage(run), 1);
    EXPECT_EQ(run.curves[c1].new_points_id[5], run.curves[c2].new_points_id[1]);
    EXPECT_EQ(run.curves[c2].new_points_id[5], run.curves[c3].new_points_id[1]);
    EXPECT_EQ(run.curves[c3].new_points_id[7], run.curves[c1].new_points_id[1]);
    EXPECT_EQ(run.num_new_points, 3 + 3 + 3 + 5);
    EXPECT_EQ(run.new_points[run.points[2].new_id].name, "PB");
}

TEST(CurveNodes, DefinitionPointAtATargetBecomesTheNode) {
    korvex::Run run;
    const int p1 = add_point(run, "P@000001", 0, 0);  // a generated name keeps its original
    const int p2 = add_point(run, "P2", 1, 0);        // on node 2
    const int p3 = add_point(run, "P@7", 2.3, 0);     // between nodes
    const int p4 = add_point(run, "P4", 4, 0);
    run.points[p1].name_original = "QBASE";
    run.points[p2].name_original = "ignored";
    run.points[p3].name_original = "QX";
    const int c = add_curve(run, "Q1", {p1, p2, p3, p4}, 1.0);
    ASSERT_EQ(run_stage(run), 1);
    const auto nodes = curve_nodes(run, c);
    ASSERT_EQ(nodes.size(), 5u);
    EXPECT_EQ(nodes[0]->name, "P@000001");
    EXPECT_EQ(nodes[0]->name_original, "QBASE");
    EXPECT_EQ(nodes[1]->name, "P2");
    EXPECT_EQ(nodes[1]->curve_id, 0);
    EXPECT_EQ(nodes[1]->name_original, "");
    EXPECT_EQ(run.points[p2].new_id, nodes[1]->id);
    EXPECT_EQ(run.points[p3].new_id, 0);  // the curve passes through it, no node there
    EXPECT_EQ(run.points[p2].curve_id, c);
    EXPECT_EQ(std::string(nodes[2]->name.c_str()).substr(0, 2), "P$");
}

// Many straight curves: a progress line at every 1000th curve; 31 curves of
// 999 nodes each have their 30001st node refused.
TEST(CurveNodes, ProgressLineAndModelNodeLimit) {
    struct Case {
        int curves;
        double length;
        int result, nodes;
        const char* message;
    };
    for (const Case& k : {Case{1000, 1.0, 1, 3000, "   ...processing curve 1000  (nCurves=1000)\n"},
                          Case{31, 998.0, 0, 30000, " Increase MAX_NEW_POINTS in korvex.h (currently =30000)  (2)\n"}}) {
        SCOPED_TRACE(k.curves);
        korvex::Run run;
        for (int c = 0; c < k.curves; ++c) straight_curve(run, ("QL" + std::to_string(c)).c_str(), 2, k.length, 1.0, c);
        MessageCapture capture;
        EXPECT_EQ(run_stage(run), k.result);
        EXPECT_EQ(capture.text(), k.message);
        EXPECT_EQ(run.num_new_points, k.nodes);
    }
}

// One curve that the stage refuses, with the whole report it gives.
TEST(CurveNodes, DefinitionErrorsAreReportedExactly) {
    const char* anorm = " Error in generatePointsOnArcs():  anorm=0\n Probable reason: points of arc %s inlined.\n";
    const char* too_many = "Increase MAX_POINTS_PER_CURVE in korvex.h (currently =1000)\n";
    struct Case {
        const char* label;
        const char* curve;
        std::vector<Pt> points;
        double step;
        std::string message;  // %s stands for the curve's name
    };
    const std::vector<Case> cases = {
        {"collinear arc", "C1", {{"PA", 0, 0}, {"PM", 1, 1}, {"PE", 2, 2}}, 0.1, anorm},
        {"full circle", "C2", {{"PA", 1, 0}, {"PM", -1, 0}, {"PA", 1, 0}}, 0.1, anorm},
        {"two-point arc", "C1", {{"PA", 0, 0}, {"PE", 2, 2}}, 0.1,
         " Input data error: arc curve %s must have at least    3 points.\n"},
        {"fourth point off the circle", "C1", {{"PA", 1, 0}, {"PB", 0, 1.1}, {"PM", -1, 0}, {"PE", 0, -1}}, 0.1,
         " Check input data : definition of arc curve %s contains\n  point(s) that geometrically do(es) not belong\n"
         "  to the arc.\n"},
        {"fourth point off the plane", "C1", {{"PA", 1, 0}, {"PB", 0, 1, 0.1}, {"PM", -1, 0}, {"PE", 0, -1}}, 0.1,
         " Check input data : not all points defining \n    arc curve %s belong to one and the same plane.\n"},
        {"arc step too fine", "C9", {{"PA", 1, 0}, {"PM", 0, 1}, {"PE", -1, 0}}, M_PI / 1001,
         std::string("%s: ") + "Increase  MAX_POINTS_PER_CURVE in korvex.h (currently =1000)\n"},
        {"1001 nodes on a line", "QL1", {{"PA", 0, 0}, {"PB", 10, 0}}, 0.01, too_many},
        {"zero step", "QL1", {{"PA", 0, 0}, {"PB", 10, 0}}, 0.0, too_many},
        {"coincident consecutive points", "Q1", {{"PA", 0, 0}, {"PB", 0, 0}, {"PC", 1, 0}}, 0.1,
         " Input data error: curve %s: consecutive definition points PA and PB coincide.\n"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.label);
        korvex::Run run;
        add_curve(run, k.curve, k.points, k.step);
        MessageCapture capture;
        EXPECT_EQ(run_stage(run), 0);
        std::string expected = k.message;
        if (const auto at = expected.find("%s"); at != std::string::npos) expected.replace(at, 2, k.curve);
        EXPECT_EQ(capture.text(), expected);
    }
}

TEST(CurveNodes, BackTrackingPointGivesTheTangentWarning) {
    korvex::Run run;
    add_curve(run, "Q1", {{"PA", 0, 0}, {"PB", 1, 0}, {"PC", 0.5, 0}}, 10.0);
    MessageCapture capture;
    run_stage(run);
    EXPECT_TRUE(capture.contains(" Warning: in computeDirectionalCos: length=0 < toler=1e-06\n")) << capture.text();
}

// Two curves whose points PB and PB2 share a place: distinct input points fail,
// internal points may share it.
TEST(CoincidenceCheck, DistinctPointsAtOnePlaceFailButInternalPointsMayShare) {
    korvex::Run run;
    add_curve(run, "QL1", {{"PA", 0, 0}, {"PB", 1, 0}}, 1.0);
    add_curve(run, "QL2", {{"PB2", 1, 0}, {"PC", 1, 1}}, 1.0);
    MessageCapture capture;
    EXPECT_EQ(run_stage(run), 0);
    char expected[300];
    std::snprintf(expected, sizeof expected,
                  "In CURVE.C: two coincident points (dist=0):\n%s(%25.15lf,%25.10lf,%25.10lf)\n"
                  "%s(%25.15lf,%25.10lf,%25.10lf)\n",
                  "PB", 1.0, 0.0, 0.0, "PB2", 1.0, 0.0, 0.0);
    EXPECT_EQ(capture.text(), expected);

    korvex::Run internal;
    const int a = add_point(internal, "PINT", 0, 0);
    const int a2 = add_point(internal, "PINT", 0, 0);
    add_curve(internal, "QL1", {a, add_point(internal, "PB", 1, 0)}, 1.0);
    add_curve(internal, "QL2", {a2, add_point(internal, "PC", 0, 1)}, 1.0);
    EXPECT_EQ(run_stage(internal), 1);
}

// An internal point at x on the line curve P1 (0) - PM (x) - P2 (end): the
// nearest node that is not an input point's node moves onto it.
TEST(InternalPoints, MoveTheNearestMovableNodeOfTheirCurve) {
    struct Case {
        const char* curve;
        const char* pint;
        double x, end, step;
        int moved;            // index along the curve of the node that moves, -1: none
        std::string message;  // the whole report, or a part of it when partial
        bool partial;
    };
    const Case cases[] = {
        // The node at 2 is nearer than the node at 3.
        {"Q1", "PINT7", 2.3, 4, 1.0, 2, "Moving PINT7  (belongs to Q1)\n", false},
        // Next to the node of input point P1 its generated neighbour moves.
        {"Q1", "PINT", 0.2, 4, 1.0, 1, "Moving PINT  (belongs to Q1)\n", false},
        // Three defining points on a QL curve: at least 2 intervals, so PM snaps
        // onto the generated middle node and the internal point lies on
        // input-point nodes only.
        {"QL1", "PINT", 0.5, 1, 5.0, -1, "Input data inconsistency: PINT cannot be \n accomodated. Reduce step size on QL1\n",
         true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.pint + std::to_string(k.x));
        korvex::Run run;
        const int c = add_curve(run, k.curve, {{"P1", 0, 0}, {"PM", k.x, 0}, {"P2", k.end, 0}}, k.step);
        add_point(run, k.pint, k.x, 0);
        MessageCapture capture;
        ASSERT_EQ(run_stage(run), 1);
        EXPECT_TRUE(k.partial ? capture.contains(k.message) : capture.text() == k.message) << capture.text();
        if (k.moved < 0) continue;
        const auto nodes = curve_nodes(run, c);
        ASSERT_EQ(nodes.size(), 5u);
        EXPECT_EQ(nodes[0]->x, 0.0);  // P1 stays
        EXPECT_DOUBLE_EQ(nodes[k.moved]->x, k.x);
        EXPECT_EQ(std::string(nodes[k.moved]->name.c_str()).substr(0, 2), "P$");
        EXPECT_NEAR(nodes[3]->x, 3.0, 1e-12);
    }
}

TEST(SphereSubregions, GeneratedNodesOfTheirCurvesMoveOntoTheSphere) {
    korvex::Run run;
    const int c1 = add_curve(run, "QL1", {{"PA", 3, 0, 0}, {"PB", 1, 2, 0}}, 0.2);
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
