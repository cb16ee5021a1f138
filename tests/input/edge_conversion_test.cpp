// Conversion of two- and three-edged subregions (prepro23, the curve cuts
// and the split of two-edged spheres), run as the pipeline runs them on
// models built in memory.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "curves/hermite_curve.h"
#include "input/edge_conversion.h"
#include "input/input_stages.h"
#include "support/message_capture.h"
#include "support/model_builder.h"

namespace korvex::test {
namespace {

using Names = std::vector<std::string>;
using Build = std::function<void(ModelBuilder&)>;

// Checks, name resolution and the first ordering run, as the pipeline does.
void prepare(ModelBuilder& m) {
    ASSERT_EQ(check_input_data(m.run), 1);
    ASSERT_EQ(restore_curves(m.run), 1);
    ASSERT_EQ(input_data_preprocessor(m.run), 1);
}

// Stages 7 to 10 of the pipeline; 0 as soon as one fails.
int convert(ModelBuilder& m) {
    return prepro23(m.run) && input_data_preprocessor(m.run) && transform_2edged_SPHEREs(m.run) &&
           input_data_preprocessor(m.run);
}

Vec3 pos(const ModelBuilder& m, const char* point) {
    for (int i = 1; i <= m.run.nPoints; ++i)
        if (m.run.points[i].name == point) return m.run.points[i].pos();
    return {NAN, NAN, NAN};
}

// Corners of a saddle: a square with two opposite corners raised.
void saddle_points(ModelBuilder& m) {
    m.point("P1", 0, 0, 0);
    m.point("P2", 10, 0, 3);
    m.point("P3", 10, 10, 0);
    m.point("P4", 0, 10, 3);
}

TEST(Prepro23, ConvertsTwoAndThreeEdgedSubregions) {
    struct Case {
        const char* what;
        int type;
        Build build;
        int type_after;
        std::vector<int> edges;
        Names chain;
    };
    const auto straight_sides = [](ModelBuilder& m) {
        saddle_points(m);
        m.curve("QL1", {"P1", "P2"});
        m.curve("QL2", {"P2", "P3"});
        m.curve("QL3", {"P3", "P4"});
        m.curve("QL4", {"P4", "P1"});
    };
    const auto triangle = [](ModelBuilder& m) {  // QL2 is the longest side
        m.point("P1", 0, 0);
        m.point("P2", 10, 0);
        m.point("P3", 0, 6);
        m.curve("QL1", {"P1", "P2"});
        m.curve("QL2", {"P2", "P3"});
        m.curve("QL3", {"P3", "P1"});
    };
    const Case cases[] = {
        {"two-edged saddle of four curves: one curve per edge, in the given order", TYPE_NONE,
         [&](ModelBuilder& m) {
             straight_sides(m);
             m.patch("R1", TYPE_NONE, {{"QL1", "QL2"}, {"QL3", "QL4"}});
         },
         TYPE_NONE, {1, 1, 1, 1}, {"QL1", "QL2", "QL3", "QL4"}},
        {"three-edged REV becomes TRIANGULAR", TYPE_REV,
         [&](ModelBuilder& m) {
             triangle(m);
             m.patch("R1", TYPE_NONE, {{"QL1"}, {"QL2"}, {"QL3"}});  // REV is set after the input checks
         },
         TYPE_TRIANGULAR, {1, 1, 1}, {"QL1", "QL2", "QL3"}},
        {"three-edged SPHERE keeps its type and three edges", TYPE_SPHERE,
         [&](ModelBuilder& m) {  // corners on the sphere of radius 10 about the origin
             m.point("P1", 10, 0, 0);
             m.point("P2", 0, 10, 0);
             m.point("P3", 0, 0, 10);
             m.curve("QL1", {"P1", "P2"});
             m.curve("QL2", {"P2", "P3"});
             m.curve("QL3", {"P3", "P1"});
             m.patch("R1", TYPE_SPHERE, {{"QL1"}, {"QL2"}, {"QL3"}});
         },
         TYPE_SPHERE, {1, 1, 1}, {"QL1", "QL2", "QL3"}},
        {"three-edged BILINEAR of three straight curves: the longest is cut", TYPE_BILINEAR,
         [&](ModelBuilder& m) {
             triangle(m);
             m.patch("R1", TYPE_BILINEAR, {{"QL1"}, {"QL2"}, {"QL3"}});
         },
         TYPE_BILINEAR, {1, 1, 1, 1}, {"QL1", "QL2", "Q@000004", "QL3"}},
        {"three-edged BILINEAR of four curves: every curve an edge", TYPE_BILINEAR,
         [&](ModelBuilder& m) {
             straight_sides(m);
             m.patch("R1", TYPE_BILINEAR, {{"QL1", "QL2"}, {"QL3"}, {"QL4"}});
         },
         TYPE_BILINEAR, {1, 1, 1, 1}, {"QL1", "QL2", "QL3", "QL4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ModelBuilder m;
        c.build(m);
        MessageCapture log;
        prepare(m);
        m.run.patches[1].type = c.type;  // the input checks want four edges for REV
        ASSERT_EQ(convert(m), 1) << log.text();
        EXPECT_EQ(m.run.patches[1].type, c.type_after);
        EXPECT_EQ(m.edge_counts(1), c.edges);
        EXPECT_EQ(m.signed_names(1), c.chain);
    }
}

TEST(Prepro23, StraightCutPutsANamedPointAtTheMiddle) {
    ModelBuilder m;
    m.point("P1", 0, 0);
    m.point("P2", 10, 0);
    m.point("P3", 0, 6);
    m.curve("QL1", {"P1", "P2"});
    m.curve("QL2", {"P2", "P3"}, 0.5);
    m.curve("QL3", {"P3", "P1"});
    m.patch("R1", TYPE_BILINEAR, {{"QL1"}, {"QL2"}, {"QL3"}});
    m.patch("R2", TYPE_PLANE, {{"QL2", "QL3", "QL1"}});  // shares the cut curve
    prepare(m);
    ASSERT_EQ(convert(m), 1);
    const ControlPoint& p = m.run.points[4];
    EXPECT_EQ(p.name, "P@000004");
    EXPECT_EQ(p.name_original, "QL2");
    EXPECT_NEAR(distance(p.pos(), {5, 3, 0}), 0.0, 1e-15);
    const Curve& q = m.run.curves[4];
    EXPECT_EQ(q.name_original, "QL2");
    EXPECT_EQ(q.step, 0.5);
    EXPECT_EQ(m.signed_names(2), (Names{"QL2", "Q@000004", "QL3", "QL1"}));
}

TEST(Prepro23, TwoEdgedSubregionOfTwoCurvesGetsBothCut) {
    ModelBuilder m;
    m.point("P1", 0, 0);
    m.point("P2", 4, 3);
    m.point("P3", 8, 0);
    m.point("P4", 4, -3);
    m.point("P5", 5, 2.2);
    m.curve("Q1", {"P1", "P2", "P5", "P3"});
    m.curve("C1", {"P3", "P4", "P1"});
    m.patch("R1", TYPE_NONE, {{"Q1"}, {"C1"}});
    prepare(m);
    MessageCapture log;
    ASSERT_EQ(convert(m), 1) << log.text();
    EXPECT_EQ(m.edge_counts(1), (std::vector<int>{1, 1, 1, 1}));
    const Names chain = m.signed_names(1);
    EXPECT_EQ(chain[0], "Q1");
    EXPECT_TRUE(chain[1].starts_with("Q@")) << chain[1];
    EXPECT_EQ(chain[2], "C1");
    EXPECT_TRUE(chain[3].starts_with("C@")) << chain[3];
    for (int i = 6; i <= m.run.nPoints; ++i) {  // every made point names its curve
        const ControlPoint& p = m.run.points[i];
        EXPECT_EQ(p.name[1], '@') << p.name.c_str();
        EXPECT_TRUE(p.name_original == "Q1" || p.name_original == "C1") << p.name.c_str();
    }
    EXPECT_TRUE(log.all().empty()) << log.text();
}

TEST(Prepro23, FailsOnTooFewEdgesOrCurves) {
    ModelBuilder one_edge;
    saddle_points(one_edge);
    one_edge.curve("QL1", {"P1", "P2"});
    one_edge.curve("QL2", {"P2", "P1"});
    one_edge.patch("R1", TYPE_BILINEAR, {{"QL1", "QL2"}});
    one_edge.run.patches[1].num_edges_original = 1;
    MessageCapture log;
    EXPECT_EQ(prepro23(one_edge.run), 0);
    EXPECT_EQ(log.text(), " Input data error: patch R1 must have\n  at least 2 edges.\n");

    ModelBuilder few_curves;
    few_curves.run = one_edge.run;
    few_curves.run.patches[1].num_edges = 3;
    log.clear();
    EXPECT_EQ(prepro23(few_curves.run), 0);
    EXPECT_EQ(log.text(), " Input data error: patch R1 has 2 curves and 3 edges: \n  must have:  num_curves > =num_edges\n");
}

// Two-edged: edge 1 turns sharply (90 degrees) at P2 and runs straight on
// at P3; edge 2 bends by 115 degrees at P5.
ModelBuilder corner_model(int type) {
    ModelBuilder m;
    m.point("P1", 0, 0);
    m.point("P2", 4, 0);
    m.point("P3", 4, 4);
    m.point("P4", 4, 8);
    m.point("P5", -1, 4);
    m.curve("QL1", {"P1", "P2"});
    m.curve("QL2", {"P2", "P3"});
    m.curve("QL3", {"P3", "P4"});
    m.curve("QL4", {"P4", "P5"});
    m.curve("QL5", {"P5", "P1"});
    m.patch("R1", type, {{"QL1", "QL2", "QL3"}, {"QL4", "QL5"}});
    return m;
}

TEST(Prepro23, CornerDivisionTakesSharpTurnsBeforeStraightContinuations) {
    ModelBuilder m = corner_model(TYPE_NONE);
    prepare(m);
    const std::vector<double> angles = slot_corner_angles(m.run, 1);
    EXPECT_EQ(angles[1], kNotComputed);
    EXPECT_NEAR(angles[2], M_PI / 2, 1e-12);
    EXPECT_NEAR(angles[3], M_PI, 1e-7);
    EXPECT_EQ(angles[4], kNotComputed);
    EXPECT_NEAR(angles[5], std::acos(-11.0 / std::sqrt(41.0 * 17.0)), 1e-12);

    ASSERT_EQ(convert(m), 1);
    EXPECT_EQ(m.edge_counts(1), (std::vector<int>{1, 2, 1, 1}));
    EXPECT_EQ(m.signed_names(1), (Names{"QL1", "QL2", "QL3", "QL4", "QL5"}));
}

TEST(Prepro23, ThreeEdgedBilinearOfFiveCurvesIsDividedOnce) {
    ModelBuilder m = corner_model(TYPE_BILINEAR);
    m.run.patches[1].num_edges = 3;  // edges {QL1 QL2} {QL3} {QL4 QL5}
    m.run.patches[1].curves_per_edge[1] = 2;
    m.run.patches[1].curves_per_edge[2] = 1;
    m.run.patches[1].curves_per_edge[3] = 2;
    prepare(m);
    ASSERT_EQ(convert(m), 1);
    EXPECT_EQ(m.edge_counts(1), (std::vector<int>{1, 1, 1, 2}));
}

TEST(DivideCurveTo2, GeneralCurveHalvesLieOnTheCurveAndShareTheMiddle) {
    ModelBuilder m;
    m.point("P1", 0, 0);
    m.point("P2", 3, 2);
    m.point("P3", 6, 2.5);
    m.point("P4", 9, 0);
    m.curve("Q1", {"P1", "P2", "P3", "P4"}, 1.0);
    prepare(m);
    HermiteChain before;
    std::vector<Vec3> P{{}, pos(m, "P1"), pos(m, "P2"), pos(m, "P3"), pos(m, "P4")};
    before.build(4, P);
    int q = 0;
    ASSERT_EQ(divide_curve_to_2(m.run, 1, q), 1);
    const Curve& first = m.run.curves[1];
    const Curve& second = m.run.curves[q];
    const int N = (first.num_points - 1) * 2;  // L between 10.5 and 11.5 with step 1: 10 or 11, made 12
    EXPECT_EQ(N % 4, 0);
    EXPECT_EQ(N, 12);
    EXPECT_EQ(second.num_points, first.num_points);
    EXPECT_EQ(first.points_id[1], 1);
    EXPECT_EQ(second.points_id[static_cast<std::size_t>(second.num_points)], 4);
    EXPECT_EQ(first.points_id[static_cast<std::size_t>(first.num_points)], second.points_id[1]);
    EXPECT_EQ(second.name, "Q@000002");
    for (int j = 2; j <= first.num_points; ++j) {  // on the old curve at equal lengths
        Vec3 expected;
        ASSERT_TRUE(before.evaluate((j - 1.0) / N, expected));
        EXPECT_NEAR(distance(m.run.points[first.points_id[static_cast<std::size_t>(j)]].pos(), expected), 0.0, 1e-12);
    }
}

TEST(DivideArcTo2, QuarterCircleHalvesHaveDefiningPointsAtEveryStep) {
    ModelBuilder m;
    m.point("P1", 10, 0, 1);
    m.point("P2", 10 / std::sqrt(2.0), 10 / std::sqrt(2.0), 1);
    m.point("P3", 0, 10, 1);
    m.curve("C1", {"P1", "P2", "P3"}, 1.0);
    prepare(m);
    int c = 0;
    ASSERT_EQ(divide_curve_to_2(m.run, -1, c), 1);
    const Curve& first = m.run.curves[1];
    const Curve& second = m.run.curves[c];
    EXPECT_EQ(second.name, "C@000002");
    EXPECT_EQ(second.name_original, "C1");
    EXPECT_EQ(first.num_points, 9);  // half length 7.85: 8 steps
    EXPECT_EQ(second.num_points, 9);
    EXPECT_EQ(first.point_names[9], "P2");  // the given middle point is kept
    EXPECT_EQ(second.point_names[1], "P2");
    EXPECT_EQ(first.point_names[2], "P@B00004");
    EXPECT_EQ(second.point_names[2], "P@D00011");
    for (const Curve* cv : {&first, &second})
        for (int j = 1; j <= cv->num_points; ++j) {
            const ControlPoint& p = m.run.points[cv->points_id[static_cast<std::size_t>(j)]];
            EXPECT_NEAR(distance(p.pos(), {0, 0, 1}), 10.0, 1e-12);
            EXPECT_NEAR(std::atan2(p.y, p.x), (j - 1 + (cv == &second ? 8 : 0)) * M_PI / 32, 1e-12);
            if (p.name[1] == '@') {
                EXPECT_EQ(p.name_original, "C1");
            }
        }
}

TEST(DivideArcTo2, RefusesArcsThatAreNoArcs) {
    struct Case {
        const char* what;
        std::vector<std::array<double, 3>> points;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"collinear points",
         {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}},
         {" Error in divide_arc_to_2():  anorm=0\n", "  Probable reason: points of arc curve C1   are inlined.\n"}},
        {"a point off the circle",
         {{10, 0, 0}, {7.0710678118654755, 7.0710678118654755, 0}, {8, 5, 0}, {0, 10, 0}},
         {" Check input data : definition of arc curve C1 contains\n  point(s) that geometrically do(es) not "
          "belong\n  to the arc.\n"}},
        {"points not in one plane",
         {{10, 0, 0}, {9.5, 3, 0.5}, {7.0710678118654755, 7.0710678118654755, 0}, {0, 10, 0}},
         {" Check input data : not all points defining \n    arc curve C1 belong to one and the same plane.\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ModelBuilder m;
        std::vector<std::string> names;
        for (std::size_t i = 0; i < c.points.size(); ++i) names.push_back("P" + std::to_string(i + 1));
        for (std::size_t i = 0; i < c.points.size(); ++i)
            m.point(names[i].c_str(), c.points[i][0], c.points[i][1], c.points[i][2]);
        const int k = m.curve("C1", {});
        for (const auto& n : names) m.run.curves[k].point_names[static_cast<std::size_t>(++m.run.curves[k].num_points)] = n.c_str();
        ASSERT_EQ(restore_curves(m.run), 1);
        MessageCapture log;
        int made = 0;
        EXPECT_EQ(divide_curve_to_2(m.run, 1, made), 0);
        std::vector<std::string> expected = c.messages;
        expected.push_back("Unsuccessful return from divide_arc_to_2()\n");
        EXPECT_EQ(log.all(), expected);
        EXPECT_EQ(m.run.nCurves, 1);
    }
}

// A SPHERE subregion about the origin bounded by four straight sides
// between corners at (+-a, 0, z) and (0, +-b, z) on the sphere of radius 10.
ModelBuilder sphere_quad(double a, double b) {
    ModelBuilder m;
    m.point("P1", a, 0, std::sqrt(100 - a * a));
    m.point("P2", 0, b, std::sqrt(100 - b * b));
    m.point("P3", -a, 0, std::sqrt(100 - a * a));
    m.point("P4", 0, -b, std::sqrt(100 - b * b));
    m.curve("QL1", {"P1", "P2"}, 0.5);
    m.curve("QL2", {"P2", "P3"}, 1.0);
    m.curve("QL3", {"P3", "P4"}, 1.5);
    m.curve("QL4", {"P4", "P1"}, 2.0);
    m.patch("R1", TYPE_SPHERE, {{"QL1", "QL2"}, {"QL3", "QL4"}});
    m.run.patches[1].REF = 0.25;
    return m;
}

TEST(TransformTwoEdgedSpheres, SplitsAlongTheDiagonalOfTheFlatterCorners) {
    struct Case {
        const char* what;
        double a, b;
        Names old_chain, new_chain;
        const char* first_corner;
    };
    const Case cases[] = {
        {"equal sums join corners 2 and 4", 6, 6, {"QL1", "C!000005", "QL4"}, {"QL2", "QL3", "-C!000005"}, "P2"},
        {"flat corners 2 and 4", 6, 2, {"QL1", "C!000005", "QL4"}, {"QL2", "QL3", "-C!000005"}, "P2"},
        {"flat corners 1 and 3", 2, 6, {"QL1", "QL2", "-C!000005"}, {"QL3", "QL4", "C!000005"}, "P1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ModelBuilder m = sphere_quad(c.a, c.b);
        prepare(m);
        MessageCapture log;
        ASSERT_EQ(convert(m), 1) << log.text();
        ASSERT_EQ(m.run.nPatches, 2);
        const Subregion& half = m.run.patches[2];
        EXPECT_EQ(half.name, "R!000002");
        EXPECT_EQ(half.type, TYPE_SPHERE);
        EXPECT_EQ(half.original_name, "R1");
        EXPECT_EQ(half.REF, 0.25);
        EXPECT_EQ(m.run.patches[1].num_edges, 3);
        EXPECT_EQ(m.signed_names(1), c.old_chain);
        EXPECT_EQ(m.signed_names(2), c.new_chain);
        const Curve& arc = m.run.curves[5];
        EXPECT_EQ(arc.name_original, "R1");
        EXPECT_EQ(arc.point_names[1], c.first_corner);
        EXPECT_EQ(arc.step, 1.25);
        const ControlPoint& top = m.run.points[5];
        EXPECT_EQ(top.name, "P!000005");
        EXPECT_EQ(top.name_original, "C!000005");
        EXPECT_EQ(top.curve_id, -1);
        EXPECT_NEAR(distance(top.pos(), {0, 0, 10}), 0.0, 1e-12);
    }
}

TEST(TransformTwoEdgedSpheres, RefusesAHemisphere) {
    ModelBuilder m;
    m.point("P1", 10, 0, 0);
    m.point("P2", 0, 10, 0);
    m.point("P3", -10, 0, 0);
    m.point("P4", 0, -10, 0);
    m.curve("C1", {"P1", "P2", "P3"});
    m.curve("C2", {"P3", "P4", "P1"});
    m.patch("R1", TYPE_SPHERE, {{"C1"}, {"C2"}});
    prepare(m);
    MessageCapture log;
    EXPECT_EQ(convert(m), 0);
    EXPECT_EQ(log.all().back(), " SPHERE subregion R1 input data error:\n   it is too 'opened'. \n");
}

}  // namespace
}  // namespace korvex::test
