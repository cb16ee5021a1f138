// Internal points in the global mesh: curve node chains and the arc and
// line rules that pull a curve node onto an internal point.
#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include "assembly/internal_points.h"
#include "assembly_fixture.h"
#include "pipeline/stages.h"

namespace korvex {
namespace {

using assembly_test::add_global_node;
using assembly_test::Messages;

int add_point(korvex::Run& run, const char* name, double x, double y, int pint = 0) {
    const int i = ++run.nPoints;
    run.points.ensure(i);
    run.points[i].name = name;
    run.points[i].set_pos({x, y, 0});
    run.points[i].PINT = pint;
    return i;
}

int add_curve(korvex::Run& run, const char* name, const char* original, std::initializer_list<const char*> points) {
    const int c = ++run.nCurves;
    run.curves.ensure(c);
    Curve& cv = run.curves[c];
    cv.name = name;
    cv.name_original = original;
    for (const char* p : points) cv.point_names[static_cast<std::size_t>(++cv.num_points)] = p;
    return c;
}

// Straight curve QL1 (read as QLA) from P1 (0,0) to P2 (4,0); global nodes in
// scrambled order: QL1 at x = 3, P2, QL1 at 1, P1, QL1 at 2.
korvex::Run line_model() {
    korvex::Run run;
    add_point(run, "P1", 0, 0);
    add_point(run, "P2", 4, 0);
    add_curve(run, "QL1", "QLA", {"P1", "P2"});
    add_global_node(run, "QL1", 3, 0);
    add_global_node(run, "P2", 4, 0);
    add_global_node(run, "QL1", 1, 0);
    add_global_node(run, "P1", 0, 0);
    add_global_node(run, "QL1", 2, 0);
    add_global_node(run, "R1", 2, 1);
    return run;
}

TEST(InternalPoints, CurveNodesFormANearestNeighbourChain) {
    korvex::Run run = line_model();
    ASSERT_EQ(PINT_out(run), 1);
    EXPECT_EQ(run.curves[1].num_indexes_of_nodes, 5);
    EXPECT_EQ(run.curves[1].indexes_of_nodes, (std::vector<int>{0, 4, 3, 5, 1, 2}));
    for (int j = 1; j <= run.num_nodes; ++j) EXPECT_EQ(run.nodes3D[j].id, j);
}

TEST(InternalPoints, PointOnANodeNamesIt) {
    korvex::Run run = line_model();
    const int p = add_point(run, "PINT1", 2 + 5e-5, 1, 1);
    ASSERT_EQ(PINT_out(run), 1);
    EXPECT_TRUE(run.nodes3D[6].name == "PINT");
    EXPECT_DOUBLE_EQ(run.nodes3D[6].x, 2 + 5e-5);
    EXPECT_EQ(run.points[p].PINT, 4);
}

TEST(InternalPoints, LineRulePullsNearerCurveNode) {
    Messages msg;
    korvex::Run run = line_model();
    const int p = add_point(run, "PINT1", 2.3, 0, 1);
    ASSERT_EQ(PINT_out(run), 1);
    EXPECT_TRUE(run.nodes3D[5].name == "PINT");
    EXPECT_DOUBLE_EQ(run.nodes3D[5].x, 2.3);
    EXPECT_EQ(run.points[p].PINT, 4);
    // The point's own interval on a first-segment position pulls the curve
    // node, never the point node.
    korvex::Run near_end = line_model();
    add_point(near_end, "PINT2", 0.2, 0, 1);
    ASSERT_EQ(PINT_out(near_end), 1);
    EXPECT_TRUE(near_end.nodes3D[3].name == "PINT");
    EXPECT_TRUE(near_end.nodes3D[4].name == "P1");
}

TEST(InternalPoints, LineBetweenTwoPointNodesAsksForSmallerStep) {
    Messages msg;
    korvex::Run run;
    add_point(run, "P1", 0, 0);
    add_point(run, "P2", 1, 0);
    add_curve(run, "QL1", "QLA", {"P1", "P2"});
    add_global_node(run, "P1", 0, 0);
    add_global_node(run, "P2", 1, 0);
    const int p = add_point(run, "PINT1", 0.5, 0, 1);
    ASSERT_EQ(PINT_out(run), 1);
    EXPECT_TRUE(msg.has("Input data inconsistency: point PINT1 has no neighboring nodes\n that could be pulled to it.\n"));
    EXPECT_TRUE(msg.has("Reduce step size on QL1 (name original =QLA)\n"));
    EXPECT_EQ(run.points[p].PINT, 1);
}

// Quarter arc C1 (read as CA) of the unit circle in z = 0 from P1 (1,0) to
// P2 (0,1) through PM at 45 degrees; curve nodes at 30 and 60 degrees.
korvex::Run arc_model(bool with_curve_nodes = true) {
    korvex::Run run;
    const double s = std::sqrt(0.5);
    add_point(run, "P1", 1, 0);
    add_point(run, "PM", s, s);
    add_point(run, "P2", 0, 1);
    const int c = add_curve(run, "C1", "CA", {"P1", "PM", "P2"});
    Curve& cv = run.curves[c];
    cv.center[0] = cv.center[1] = cv.center[2] = 0;
    cv.radius = 1;
    cv.plane[2] = 1;
    add_global_node(run, "P1", 1, 0);
    if (with_curve_nodes) {
        add_global_node(run, "C1", std::cos(std::numbers::pi / 6), std::sin(std::numbers::pi / 6));
        add_global_node(run, "C1", std::cos(std::numbers::pi / 3), std::sin(std::numbers::pi / 3));
    }
    add_global_node(run, "P2", 0, 1);
    return run;
}

int add_point_at_angle(korvex::Run& run, const char* name, double degrees, double radius = 1) {
    const double a = degrees * std::numbers::pi / 180;
    return add_point(run, name, radius * std::cos(a), radius * std::sin(a), 1);
}

TEST(InternalPoints, ArcRulePullsNearerCurveNode) {
    Messages msg;
    korvex::Run run = arc_model();
    const int p = add_point_at_angle(run, "PINT1", 40);
    ASSERT_EQ(PINT_out(run), 1);
    EXPECT_TRUE(run.nodes3D[2].name == "PINT");
    EXPECT_TRUE(run.nodes3D[3].name == "C1");
    EXPECT_EQ(run.points[p].PINT, 4);

    korvex::Run next = arc_model();
    add_point_at_angle(next, "PINT1", 5);  // between P1 and the 30-degree node
    ASSERT_EQ(PINT_out(next), 1);
    EXPECT_TRUE(next.nodes3D[2].name == "PINT");
    EXPECT_TRUE(next.nodes3D[1].name == "P1");
}

TEST(InternalPoints, ArcRuleRejectsPointsOffTheArc) {
    Messages msg;
    korvex::Run run = arc_model();
    const int off_circle = add_point_at_angle(run, "PINT1", 40, 1 + 2e-6);
    const int beyond = add_point_at_angle(run, "PINT2", 120);
    ASSERT_EQ(PINT_out(run), 1);
    EXPECT_TRUE(msg.has("Point PINT1 does not belong to arc C1 (name original CA) (2)\n"));
    EXPECT_TRUE(msg.has("Point PINT2 does not belong to arc C1 \n (name original CA) (3)\n"));
    EXPECT_EQ(run.points[off_circle].PINT, 1);
    EXPECT_EQ(run.points[beyond].PINT, 1);

    korvex::Run close = arc_model();
    const int within = add_point_at_angle(close, "PINT1", 40, 1 + 1e-6);
    ASSERT_EQ(PINT_out(close), 1);
    EXPECT_EQ(close.points[within].PINT, 4);
}

TEST(InternalPoints, ArcBetweenTwoPointNodesAsksForSmallerStep) {
    Messages msg;
    korvex::Run run = arc_model(false);
    add_point_at_angle(run, "PINT1", 45);
    ASSERT_EQ(PINT_out(run), 1);
    EXPECT_TRUE(msg.has("Reduce step size on curve C1 (name original CA)\n"));
}

TEST(InternalPoints, WrongNamesAndTypesFail) {
    Messages msg;
    korvex::Run run = arc_model();
    add_point_at_angle(run, "PINT1", 40);
    run.nodes3D[2].name = "C1";
    run.nodes3D[3].name = "C1";
    add_curve(run, "X1", "X1", {"P1", "P2"});
    EXPECT_EQ(PINT_out(run), 0);
    EXPECT_TRUE(msg.has("In KORVEX.C: curve[     2]=X1 of unknown type: \n\t\tmust be 'C....' or 'QL....' or "
                        "'Q.....'\n"));

    korvex::Run twice = arc_model();
    add_point_at_angle(twice, "PINT1", 40);
    add_curve(twice, "C2", "CB", {"P1", "PM", "P2"});
    twice.curves[2].center[0] = twice.curves[2].center[1] = twice.curves[2].center[2] = 0;
    twice.curves[2].radius = 1;
    twice.curves[2].plane[2] = 1;
    for (int j = 2; j <= 3; ++j) twice.nodes3D[j].name = "C1";
    add_global_node(twice, "C2", std::cos(0.6), std::sin(0.6));
    msg.clear();
    EXPECT_EQ(PINT_out(twice), 0);
    EXPECT_TRUE(msg.has("Error: PINT-point PINT1 has been associated with\nmore than two nodes on curve(s).\n"));
}

}  // namespace
}  // namespace korvex
