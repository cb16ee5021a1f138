// check_input_data and restore_curves on small in-memory models.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>

#include "input/preprocessing_fixture.h"
#include "pipeline/stages.h"

namespace korvex::test {
namespace {

struct CheckCase {
    const char* what;
    std::function<void(ModelBuilder&)> build;  // additions to the plain square plate
    const char* message;                       // expected failure, nullptr when the model passes
};

ModelBuilder square_plate(const std::function<void(ModelBuilder&)>& extra) {
    ModelBuilder m;
    add_square(m);
    m.patch("R1", TYPE_PLANE, {{"QL1", "QL2", "QL3", "QL4"}});
    extra(m);
    return m;
}

const CheckCase kCheckCases[] = {
    {"plain square passes", [](ModelBuilder&) {}, nullptr},
    {"duplicate point name", [](ModelBuilder& m) { m.point("P2", 5, 5); },
     " Input data error: point P2 encountered twice.\n"},
    {"points 1e-7 apart in every axis coincide", [](ModelBuilder& m) { m.point("P5", 1e-7, 1e-7, 1e-7); },
     " Input data error: points P1 and P5 coincide.\n"},
    {"points 1e-5 apart in x only are distinct", [](ModelBuilder& m) { m.point("P5", 1e-5, 0, 0); }, nullptr},
    {"internal point may sit on an ordinary point", [](ModelBuilder& m) { m.point("PINT1", 0, 0, 0); }, nullptr},
    {"two internal points may not coincide",
     [](ModelBuilder& m) {
         m.point("PINT1", 5, 5);
         m.point("PINT2", 5, 5 + 1e-8);
     },
     " Input data error: PINT-points PINT1 and PINT2 coincide.\n"},
    {"internal points without parameters are not compared",
     [](ModelBuilder& m) {
         m.point("PINT1", 5, 5);
         m.point("PINT2", 5, 5);
         m.run.points[m.run.nPoints].PINT = 0;
     },
     nullptr},
    {"first pair in scan order is reported",
     [](ModelBuilder& m) {
         m.point("P5", 10, 10 + 1e-9);  // coincides with P3
         m.point("P6", 10 + 1e-9, 0);   // coincides with P2, which comes first
     },
     " Input data error: points P2 and P6 coincide.\n"},
    {"duplicate curve name", [](ModelBuilder& m) { m.curve("QL2", {"P1", "P3"}); },
     " Input data error: curve QL2 encountered twice.\n"},
    {"arc of 2 points", [](ModelBuilder& m) { m.curve("C1", {"P1", "P3"}); },
     " Input data error:   arc curve C1 contains less than 3 points.\n"},
    {"arc of 4 points passes the checks", [](ModelBuilder& m) { m.curve("C1", {"P1", "P2", "P3", "P4"}); }, nullptr},
    {"general curve of 3 points", [](ModelBuilder& m) { m.curve("Q1", {"P1", "P2", "P3"}); },
     " Input data error:   general Q-type curve Q1 contains less than 4 points.\n"},
    {"general curve of 4 points passes", [](ModelBuilder& m) { m.curve("Q1", {"P1", "P2", "P3", "P4"}); }, nullptr},
    {"straight curve of 2 points passes", [](ModelBuilder& m) { m.curve("QL9", {"P1", "P3"}); }, nullptr},
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
};

class CheckInputData : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckInputData, ReportsExactlyTheExpectedError) {
    const CheckCase& c = GetParam();
    ModelBuilder m = square_plate(c.build);
    MessageCapture log;
    const int ok = check_input_data(m.run);
    if (c.message == nullptr) {
        EXPECT_EQ(ok, 1) << log.text();
        EXPECT_EQ(log.text().find("error"), std::string::npos) << log.text();
    } else {
        EXPECT_EQ(ok, 0);
        EXPECT_TRUE(log.contains(c.message)) << log.text();
        // Reported once, as the last message.
        EXPECT_EQ(log.text().size() - log.text().rfind(c.message), std::string(c.message).size());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CheckInputData, ::testing::ValuesIn(kCheckCases),
                         [](const auto& info) {
                             std::string n = info.param.what;
                             for (char& ch : n)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return n;
                         });

TEST(CheckInputData, ReportsStagesAndSetsIdsAndOriginalNames) {
    ModelBuilder m = square_plate([](ModelBuilder& mm) { mm.run.points[2].new_id = 7; });
    m.run.patches[1].id = 0;
    MessageCapture log;
    ASSERT_EQ(check_input_data(m.run), 1);
    EXPECT_EQ(log.text(),
              " ... checking points: stage 1 ...\n"
              " ... checking points: stage 2 ...\n"
              " ... checking curves: stage 1 ...\n"
              " ... checking curves: stage 2 ...\n"
              " ... checking subregions ...\n");
    EXPECT_EQ(m.run.points[2].new_id, 0);
    EXPECT_EQ(m.run.curves[3].id, 3);
    const Subregion& s = m.run.patches[1];
    EXPECT_EQ(s.id, 1);
    EXPECT_EQ(s.num_edges_original, 1);
    EXPECT_TRUE(s.original_name == "R1");
}

// REV and REV2 subregions: four edges, at least two of them arcs only.
struct RevCase {
    int type;
    std::vector<std::vector<const char*>> edges;
    const char* message;
};

TEST(CheckInputData, RevisionSurfaceEdgeRules) {
    const RevCase cases[] = {
        {TYPE_REV, {{"C1"}, {"QL2"}, {"C3"}},
         " Input data error: patch R2 of REV type\n   has 3 edges (must have 4).\n"},
        {TYPE_REV2, {{"C1"}, {"QL2"}, {"QL3", "C3"}, {"QL4"}},
         " Input data error: patch R2 of REV type\n   has 1 'C'-type edges only    (must have at least 2).\n"},
        {TYPE_REV, {{"C1"}, {"QL2"}, {"C3"}, {"QL4"}}, nullptr},
        {TYPE_BILINEAR, {{"QL1"}, {"QL2"}, {"QL3"}}, nullptr},  // the rule is for REV only
    };
    for (const RevCase& c : cases) {
        ModelBuilder m = square_plate([&](ModelBuilder& mm) {
            mm.point("P5", 5, -3);
            mm.point("P6", 5, 13);
            mm.curve("C1", {"P1", "P5", "P2"});
            mm.curve("C3", {"P3", "P6", "P4"});
            mm.patch("R2", c.type, c.edges);
        });
        MessageCapture log;
        EXPECT_EQ(check_input_data(m.run), c.message ? 0 : 1) << log.text();
        if (c.message) {
            EXPECT_TRUE(log.contains(c.message)) << log.text();
        }
    }
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
    EXPECT_DOUBLE_EQ(arc.second_point[0], 5);
    EXPECT_DOUBLE_EQ(arc.second_point[1], -3);
    EXPECT_TRUE(arc.name_original == "C1");
    const Subregion& s = m.run.patches[1];
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(s.curves_id[static_cast<std::size_t>(k)], k);
}

TEST(RestoreCurves, ArcOfFourPointsIsOnlyAWarning) {
    ModelBuilder m = square_plate([](ModelBuilder& mm) { mm.curve("C1", {"P1", "P2", "P3", "P4"}); });
    MessageCapture log;
    EXPECT_EQ(restore_curves(m.run), 1);
    EXPECT_EQ(log.text(), "Input data (in INPREPR1.C): arc C1\n   defined by 4 points; must be 3\n");
}

TEST(RestoreCurves, UnknownNamesFail) {
    {
        ModelBuilder m = square_plate([](ModelBuilder& mm) { mm.curve("QL9", {"P1", "PX"}); });
        MessageCapture log;
        EXPECT_EQ(restore_curves(m.run), 0);
        EXPECT_EQ(log.text(), "Cannot locate point PX in array points[]\n");
    }
    {
        ModelBuilder m = square_plate([](ModelBuilder& mm) { mm.patch("R2", TYPE_PLANE, {{"QL1", "QLX"}}); });
        MessageCapture log;
        EXPECT_EQ(restore_curves(m.run), 0);
        EXPECT_EQ(log.text(), "Cannot locate curve QLX in array curves[]\n");
    }
}

}  // namespace
}  // namespace korvex::test
