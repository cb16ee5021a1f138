// check_input_data and restore_curves on small in-memory models.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "input/input_stages.h"
#include "support/message_capture.h"
#include "support/model_builder.h"

namespace korvex::test {
namespace {

// The 10 x 10 square plate R1 with the test's additions.
ModelBuilder square_plate(const std::function<void(ModelBuilder&)>& extra) {
    ModelBuilder m;
    m.square();
    m.patch("R1", TYPE_PLANE, {{"QL1", "QL2", "QL3", "QL4"}});
    extra(m);
    return m;
}

// A subregion R2 of the given type and edges, with the arcs C1 (under QL1) and C3 (over QL3).
std::function<void(ModelBuilder&)> revolution(int type, std::vector<std::vector<const char*>> edges) {
    return [type, edges](ModelBuilder& m) {
        m.point("P5", 5, -3);
        m.point("P6", 5, 13);
        m.curve("C1", {"P1", "P5", "P2"});
        m.curve("C3", {"P3", "P6", "P4"});
        m.patch("R2", type, edges);
    };
}

TEST(CheckInputData, ReportsExactlyTheExpectedError) {
    struct Case {
        const char* what;
        std::function<void(ModelBuilder&)> build;
        const char* message;  // the failure, reported once as the last message; nullptr when the model passes
    };
    const Case cases[] = {
        {"plain square", [](ModelBuilder&) {}, nullptr},
        {"duplicate point name", [](ModelBuilder& m) { m.point("P2", 5, 5); },
         " Input data error: point P2 encountered twice.\n"},
        {"points 1e-7 apart in every axis", [](ModelBuilder& m) { m.point("P5", 1e-7, 1e-7, 1e-7); },
         " Input data error: points P1 and P5 coincide.\n"},
        {"points 1e-5 apart in x only", [](ModelBuilder& m) { m.point("P5", 1e-5, 0, 0); }, nullptr},
        {"internal point on an ordinary point", [](ModelBuilder& m) { m.point("PINT1", 0, 0, 0); }, nullptr},
        {"two coinciding internal points",
         [](ModelBuilder& m) {
             m.point("PINT1", 5, 5);
             m.point("PINT2", 5, 5 + 1e-8);
         },
         " Input data error: PINT-points PINT1 and PINT2 coincide.\n"},
        {"internal point without parameters not compared",
         [](ModelBuilder& m) {
             m.point("PINT1", 5, 5);
             m.point("PINT2", 5, 5);
             m.run.points[m.run.nPoints].PINT = 0;
         },
         nullptr},
        {"first pair in scan order",
         [](ModelBuilder& m) {
             m.point("P5", 10, 10 + 1e-9);  // coincides with P3
             m.point("P6", 10 + 1e-9, 0);   // coincides with P2, which comes first
         },
         " Input data error: points P2 and P6 coincide.\n"},
        {"duplicate curve name", [](ModelBuilder& m) { m.curve("QL2", {"P1", "P3"}); },
         " Input data error: curve QL2 encountered twice.\n"},
        {"arc of 2 points", [](ModelBuilder& m) { m.curve("C1", {"P1", "P3"}); },
         " Input data error:   arc curve C1 contains less than 3 points.\n"},
        {"arc of 4 points", [](ModelBuilder& m) { m.curve("C1", {"P1", "P2", "P3", "P4"}); }, nullptr},
        {"general curve of 3 points", [](ModelBuilder& m) { m.curve("Q1", {"P1", "P2", "P3"}); },
         " Input data error:   general Q-type curve Q1 contains less than 4 points.\n"},
        {"general curve of 4 points", [](ModelBuilder& m) { m.curve("Q1", {"P1", "P2", "P3", "P4"}); }, nullptr},
        {"curve of a single point", [](ModelBuilder& m) { m.curve("QL9", {"P1"}); },
         " Input data error:   curve QL9 contains less than 2 points.\n"},
        {"the last curve is tested too",
         [](ModelBuilder& m) {
             m.curve("QL9", {"P1", "P3"});
             m.curve("C9", {"P1", "P3"});
         },
         " Input data error:   arc curve C9 contains less than 3 points.\n"},
        {"point twice in one curve", [](ModelBuilder& m) { m.curve("Q1", {"P1", "P2", "P3", "P2"}); },
         " Input data error in curve Q1: point P2 encountered twice.\n"},
        {"curve twice in one subregion",
         [](ModelBuilder& m) { m.patch("R2", TYPE_PLANE, {{"QL1", "QL2", "QL1", "QL4"}}); },
         " Input data error in patch R2: curve QL1 encountered twice.\n"},
        // REV and REV2 subregions: four edges, at least two of them arcs only.
        {"REV of 3 edges", revolution(TYPE_REV, {{"C1"}, {"QL2"}, {"C3"}}),
         " Input data error: patch R2 of REV type\n   has 3 edges (must have 4).\n"},
        {"REV2 with one arc edge", revolution(TYPE_REV2, {{"C1"}, {"QL2"}, {"QL3", "C3"}, {"QL4"}}),
         " Input data error: patch R2 of REV type\n   has 1 'C'-type edges only    (must have at least 2).\n"},
        {"REV with two arc edges", revolution(TYPE_REV, {{"C1"}, {"QL2"}, {"C3"}, {"QL4"}}), nullptr},
        {"BILINEAR of 3 edges", revolution(TYPE_BILINEAR, {{"QL1"}, {"QL2"}, {"QL3"}}), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ModelBuilder m = square_plate(c.build);
        MessageCapture log;
        const int ok = check_input_data(m.run);
        if (c.message == nullptr) {
            EXPECT_EQ(ok, 1) << log.text();
            EXPECT_EQ(log.count("error"), 0) << log.text();
        } else {
            EXPECT_EQ(ok, 0);
            EXPECT_TRUE(log.text().ends_with(c.message)) << log.text();
        }
    }
}

TEST(CheckInputData, ReportsStagesAndSetsIdsAndOriginalNames) {
    ModelBuilder m = square_plate([](ModelBuilder& mm) { mm.run.points[2].new_id = 7; });
    m.run.patches[1].id = 0;
    MessageCapture log;
    ASSERT_EQ(check_input_data(m.run), 1);
    EXPECT_EQ(log.text(),
              " ... checking points: stage 1 ...\n ... checking points: stage 2 ...\n"
              " ... checking curves: stage 1 ...\n ... checking curves: stage 2 ...\n"
              " ... checking subregions ...\n");
    EXPECT_EQ(m.run.points[2].new_id, 0);
    const Subregion& s = m.run.patches[1];
    EXPECT_EQ(s.id, 1);
    EXPECT_EQ(s.num_edges_original, 1);
    EXPECT_TRUE(s.original_name == "R1");
}

TEST(RestoreCurves, ResolvesNamesAndKeepsSecondPoints) {
    ModelBuilder m = square_plate([](ModelBuilder& mm) {
        mm.point("P5", 5, -3);
        mm.curve("C1", {"P1", "P5", "P2"});
    });
    MessageCapture log;
    ASSERT_EQ(check_input_data(m.run), 1);
    log.clear();
    ASSERT_EQ(restore_curves(m.run), 1);
    EXPECT_EQ(log.text(), "");
    const Curve& arc = m.run.curves[5];
    EXPECT_EQ(arc.points_id[1], 1);
    EXPECT_EQ(arc.points_id[2], 5);
    EXPECT_EQ(arc.points_id[3], 2);
    EXPECT_TRUE(arc.second_point_name == "P5");
    EXPECT_DOUBLE_EQ(arc.second_point[1], -3);
    EXPECT_TRUE(arc.name_original == "C1");
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(m.run.patches[1].curves_id[static_cast<std::size_t>(k)], k);
}

TEST(RestoreCurves, ReportsArcsOfFourPointsAndUnknownNames) {
    const struct {
        std::function<void(ModelBuilder&)> build;
        int result;
        const char* messages;
    } cases[] = {
        {[](ModelBuilder& m) { m.curve("C1", {"P1", "P2", "P3", "P4"}); }, 1,
         "Input data (in INPREPR1.C): arc C1\n   defined by 4 points; must be 3\n"},
        {[](ModelBuilder& m) { m.curve("QL9", {"P1", "PX"}); }, 0,
         "Cannot locate point PX in array points[]\n Curve QL9 names point PX, which the POINTS section does not "
         "define.\n"},
        {[](ModelBuilder& m) { m.patch("R2", TYPE_PLANE, {{"QL1", "QLX"}}); }, 0,
         "Cannot locate curve QLX in array curves[]\n Subregion R2 names curve QLX, which the CURVES section does "
         "not define.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.messages);
        ModelBuilder m = square_plate(c.build);
        MessageCapture log;
        EXPECT_EQ(restore_curves(m.run), c.result);
        EXPECT_EQ(log.text(), c.messages);
    }
}

}  // namespace
}  // namespace korvex::test
