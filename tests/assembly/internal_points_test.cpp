// Internal points in the global mesh: curve node chains and the arc and
// line rules that pull a curve node onto an internal point.
#include <cmath>
#include <functional>
#include <numbers>
#include <utility>

#include <gtest/gtest.h>

#include "assembly/assembly.h"
#include "assembly/internal_points.h"
#include "assembly_fixture.h"

namespace korvex {
namespace {

using namespace assembly_test;

int add_point(korvex::Run& run, const char* name, double x, double y, int pint = 0) {
    const int i = ++run.nPoints;
    run.points.ensure(i);
    run.points[i].name = name;
    run.points[i].set_pos({x, y, 0});
    run.points[i].PINT = pint;
    return i;
}

using XY = std::pair<double, double>;
XY at_angle(double degrees, double radius = 1) {
    const double a = degrees * std::numbers::pi / 180;
    return {radius * std::cos(a), radius * std::sin(a)};
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

// Straight curve QL1 (read as QLA) from P1 (0,0) to P2 (length,0). With
// curve nodes (length 4) the global nodes come in scrambled order: QL1 at
// x = 3, P2, QL1 at 1, P1, QL1 at 2, and R1 at (2, 1); without them only the
// two point nodes are there.
korvex::Run line_model(double length = 4, bool with_curve_nodes = true) {
    korvex::Run run;
    add_point(run, "P1", 0, 0);
    add_point(run, "P2", length, 0);
    add_curve(run, "QL1", "QLA", {"P1", "P2"});
    if (with_curve_nodes)
        add_global_nodes(run, {{"QL1", 3, 0}, {"P2", 4, 0}, {"QL1", 1, 0}, {"P1", 0, 0}, {"QL1", 2, 0}, {"R1", 2, 1}});
    else
        add_global_nodes(run, {{"P1", 0, 0}, {"P2", length, 0}});
    return run;
}

// Quarter arc C1 (read as CA) of the unit circle in z = 0 from P1 (1,0) to
// P2 (0,1) through PM at 45 degrees; curve nodes at 30 and 60 degrees.
korvex::Run arc_model(bool with_curve_nodes = true) {
    korvex::Run run;
    add_point(run, "P1", 1, 0);
    add_point(run, "PM", std::sqrt(0.5), std::sqrt(0.5));
    add_point(run, "P2", 0, 1);
    Curve& cv = run.curves[add_curve(run, "C1", "CA", {"P1", "PM", "P2"})];
    cv.center[0] = cv.center[1] = cv.center[2] = 0;
    cv.radius = 1;
    cv.plane[2] = 1;
    add_node(run, "P1", 1, 0);
    if (with_curve_nodes) {
        add_node(run, "C1", std::cos(std::numbers::pi / 6), std::sin(std::numbers::pi / 6));
        add_node(run, "C1", std::cos(std::numbers::pi / 3), std::sin(std::numbers::pi / 3));
    }
    add_node(run, "P2", 0, 1);
    return run;
}

TEST(InternalPoints, CurveNodesFormANearestNeighbourChain) {
    korvex::Run run = line_model();
    ASSERT_EQ(PINT_out(run), 1);
    EXPECT_EQ(run.curves[1].num_indexes_of_nodes, 5);
    EXPECT_EQ(run.curves[1].indexes_of_nodes, (std::vector<int>{0, 4, 3, 5, 1, 2}));
    for (int j = 1; j <= run.num_nodes; ++j) EXPECT_EQ(run.nodes3D[j].id, j);
}

// An internal point that a node takes: the node is renamed "PINT" and moved
// onto it, the point is marked done (PINT = 4), and its neighbour stays. One
// that no node can take stays unmarked (PINT = 1) and is reported; the run
// goes on.
TEST(InternalPoints, TheNearerNodeIsPulledOntoThePointOrItIsReported) {
    struct Case {
        const char* label;
        std::function<korvex::Run()> model;
        XY at;      // the internal point
        int pulled;  // the node that takes it, 0: none
        int kept;
        const char* kept_name;
        std::vector<std::string> messages;
    };
    auto line = [] { return line_model(); };
    auto arc = [] { return arc_model(); };
    const std::vector<Case> cases = {
        {"on an interior node", line, {2 + 5e-5, 1}, 6, 5, "QL1", {}},
        {"line rule: nearer curve node", line, {2.3, 0}, 5, 1, "QL1", {}},
        // On the first segment the curve node moves, never the point node.
        {"line rule: first segment", line, {0.2, 0}, 3, 4, "P1", {}},
        {"arc rule: nearer curve node", arc, at_angle(40), 2, 3, "C1", {}},
        {"arc rule: first segment", arc, at_angle(5), 2, 1, "P1", {}},
        {"arc rule: 1e-6 off the circle", arc, at_angle(40, 1 + 1e-6), 2, 3, "C1", {}},
        {"line between two point nodes", [] { return line_model(1, false); }, {0.5, 0}, 0, 1, "P1",
         {"Input data inconsistency: point PINT1 has no neighboring nodes\n that could be pulled to it.\n",
          "Reduce step size on QL1 (name original =QLA)\n"}},
        {"arc between two point nodes", [] { return arc_model(false); }, at_angle(45), 0, 1, "P1",
         {"Reduce step size on curve C1 (name original CA)\n"}},
        {"2e-6 off the circle", arc, at_angle(40, 1 + 2e-6), 0, 2, "C1",
         {"Point PINT1 does not belong to arc C1 (name original CA) (2)\n"}},
        {"beyond the arc's end", arc, at_angle(120), 0, 2, "C1",
         {"Point PINT1 does not belong to arc C1 \n (name original CA) (3)\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Messages msg;
        korvex::Run run = c.model();
        const int p = add_point(run, "PINT1", c.at.first, c.at.second, 1);
        ASSERT_EQ(PINT_out(run), 1);
        if (c.pulled) {
            EXPECT_TRUE(run.nodes3D[c.pulled].name == "PINT");
            EXPECT_DOUBLE_EQ(run.nodes3D[c.pulled].x, c.at.first);
            EXPECT_DOUBLE_EQ(run.nodes3D[c.pulled].y, c.at.second);
        }
        EXPECT_TRUE(run.nodes3D[c.kept].name == c.kept_name);
        EXPECT_EQ(run.points[p].PINT, c.pulled ? 4 : 1);
        for (const std::string& m : c.messages) EXPECT_TRUE(msg.has(m)) << m;
    }
}

TEST(InternalPoints, WrongNamesAndTypesFail) {
    Messages msg;
    korvex::Run run = arc_model();
    add_point(run, "PINT1", at_angle(40).first, at_angle(40).second, 1);
    add_curve(run, "X1", "X1", {"P1", "P2"});
    EXPECT_EQ(PINT_out(run), 0);
    EXPECT_TRUE(msg.has("In KORVEX.C: curve[     2]=X1 of unknown type: \n\t\tmust be 'C....' or 'QL....' or "
                        "'Q.....'\n"));

    korvex::Run twice = arc_model();
    add_point(twice, "PINT1", at_angle(40).first, at_angle(40).second, 1);
    Curve& c2 = twice.curves[add_curve(twice, "C2", "CB", {"P1", "PM", "P2"})];
    c2.center[0] = c2.center[1] = c2.center[2] = 0;
    c2.radius = 1;
    c2.plane[2] = 1;
    add_node(twice, "C2", std::cos(0.6), std::sin(0.6));
    msg.clear();
    EXPECT_EQ(PINT_out(twice), 0);
    EXPECT_TRUE(msg.has("Error: PINT-point PINT1 has been associated with\nmore than two nodes on curve(s).\n"));
}

}  // namespace
}  // namespace korvex
