// input_data_preprocessor: chaining of edges, loop order and its failures.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "input/preprocessing_fixture.h"
#include "pipeline/stages.h"

namespace korvex::test {
namespace {

using Names = std::vector<std::string>;

// Runs the checks and name resolution, then the preprocessor; returns its result.
int preprocess(ModelBuilder& m, MessageCapture& log) {
    EXPECT_EQ(check_input_data(m.run), 1) << log.text();
    EXPECT_EQ(restore_curves(m.run), 1) << log.text();
    log.clear();
    return input_data_preprocessor(m.run);
}

// Square with its bottom side in three pieces P1-P5-P6-P2.
void add_split_bottom_square(ModelBuilder& m) {
    add_square(m);
    m.point("P5", 3, 0);
    m.point("P6", 6, 0);
    m.curve("QLa", {"P5", "P1"});  // the first piece, defined against the walk from P1
    m.curve("QLb", {"P5", "P6"});
    m.curve("QLc", {"P6", "P2"});
}

TEST(InputDataPreprocessor, ChainsAnEdgeGivenOutOfOrderWithAReversedCurve) {
    ModelBuilder m;
    add_split_bottom_square(m);
    m.patch("R1", TYPE_BILINEAR, {{"QLb", "QLa", "QLc"}, {"QL2"}, {"QL3"}, {"QL4"}});
    MessageCapture log;
    ASSERT_EQ(preprocess(m, log), 1) << log.text();
    EXPECT_EQ(m.signed_names(1), (Names{"-QLa", "QLb", "QLc", "QL2", "QL3", "QL4"}));
    EXPECT_EQ(m.edge_counts(1), (std::vector<int>{3, 1, 1, 1}));
    EXPECT_EQ(m.run.patches[1].preprocessed_marker, PREPROCESSED_MARKER);
    EXPECT_EQ(log.text(), "");
}

TEST(InputDataPreprocessor, PutsEdgesIntoLoopOrderReversingWhereNeeded) {
    ModelBuilder m;
    add_square(m);
    m.curve("QL3r", {"P4", "P3"});
    m.point("P7", 0, 5);
    m.curve("QL4a", {"P4", "P7"});
    m.curve("QL4b", {"P7", "P1"});
    // Around the boundary: QL1, QL2, QL3r, (QL4a QL4b); given as first, third, second, fourth.
    m.patch("R1", TYPE_NONE, {{"QL1"}, {"QL3r"}, {"QL2"}, {"QL4b", "QL4a"}});
    MessageCapture log;
    ASSERT_EQ(preprocess(m, log), 1) << log.text();
    EXPECT_EQ(m.signed_names(1), (Names{"QL1", "QL2", "-QL3r", "QL4a", "QL4b"}));
    EXPECT_EQ(m.edge_counts(1), (std::vector<int>{1, 1, 1, 2}));

    // The later runs of the pipeline leave an ordered subregion as it is.
    ASSERT_EQ(input_data_preprocessor(m.run), 1);
    ASSERT_EQ(input_data_preprocessor(m.run), 1);
    EXPECT_EQ(m.signed_names(1), (Names{"QL1", "QL2", "-QL3r", "QL4a", "QL4b"}));
    EXPECT_EQ(m.edge_counts(1), (std::vector<int>{1, 1, 1, 2}));
}

TEST(InputDataPreprocessor, EdgeOneStartsAtItsLowerNumberedEnd) {
    // Edge 1 is given as P2 -> P1 but is chained from P1, its lower-numbered end.
    ModelBuilder m;
    add_square(m);
    m.curve("QL1r", {"P2", "P1"});
    m.patch("R1", TYPE_NONE, {{"QL1r"}, {"QL2"}, {"QL3"}, {"QL4"}});
    MessageCapture log;
    ASSERT_EQ(preprocess(m, log), 1) << log.text();
    EXPECT_EQ(m.signed_names(1), (Names{"-QL1r", "QL2", "QL3", "QL4"}));
}

TEST(InputDataPreprocessor, OrdersAClosedChainFromTheFirstCurvesFirstPoint) {
    ModelBuilder m;
    add_square(m);
    m.curve("QL3r", {"P4", "P3"});
    m.patch("R1", TYPE_PLANE, {{"QL3r", "QL4", "QL2", "QL1"}});
    MessageCapture log;
    ASSERT_EQ(preprocess(m, log), 1) << log.text();
    // From P4 (QL3r's first point) around and back to P4.
    EXPECT_EQ(m.signed_names(1), (Names{"QL3r", "-QL2", "-QL1", "-QL4"}));
    EXPECT_EQ(m.run.curves[m.curve_index("QL3r")].points_id[1], 4);  // the opened point is put back
    ASSERT_EQ(input_data_preprocessor(m.run), 1);
    EXPECT_EQ(m.signed_names(1), (Names{"QL3r", "-QL2", "-QL1", "-QL4"}));
}

struct FailureCase {
    const char* what;
    std::function<void(ModelBuilder&)> build;
    std::vector<std::string> messages;  // reported in this order, and nothing else
};

const FailureCase kFailures[] = {
    {"branching edge",
     [](ModelBuilder& m) {
         add_square(m);
         m.point("P5", 5, 0);
         m.point("P6", 5, 3);
         m.curve("QLx", {"P1", "P5"});
         m.curve("QLy", {"P5", "P2"});
         m.curve("QLz", {"P5", "P6"});
         m.patch("R1", TYPE_NONE, {{"QLx", "QLy", "QLz"}, {"QL2"}, {"QL3"}, {"QL4"}});
     },
     {"In INTERPRO.C: Input data error in patch R1, edge 1:\n   point P5 encountered more than twice.\n"}},
    {"edge that closes on itself",
     [](ModelBuilder& m) {
         add_square(m);
         m.curve("QL9", {"P1", "P3"});
         m.patch("R1", TYPE_NONE, {{"QL1", "QL2", "QL3", "QL4"}, {"QL9"}});
     },
     {" Input data error: patch R1, edge 1:\n    no curve to be identified as the first\n    in this edge.\n"}},
    {"edge in two pieces",
     [](ModelBuilder& m) {
         add_square(m);
         m.patch("R1", TYPE_NONE, {{"QL4", "QL2"}, {"QL1"}, {"QL3"}});
     },
     {" Error in input_data_preprocessor():\n patch R1, edge 1: no last point found.\n", " next_point=4: P4\n ",
      " idp_second=2\n"}},
    {"edge with a loose piece beyond its ends",
     [](ModelBuilder& m) {
         add_square(m);
         m.point("P5", 20, 0);
         m.point("P6", 30, 0);
         m.curve("QL9", {"P5", "P6"});
         m.patch("R1", TYPE_NONE, {{"QL1", "QL9"}, {"QL2"}, {"QL3"}, {"QL4"}});
     },
     {" Input data error: patch R1, edge 1:\n    its curves do not form one chain.\n"}},
    {"open plane boundary",
     [](ModelBuilder& m) {
         add_square(m);
         m.patch("R1", TYPE_PLANE, {{"QL1", "QL2", "QL3"}});
     },
     {" Input data error: patch R1:\n    its boundary is not closed\n    (it runs from point P1 to point P4).\n"}},
    {"edges that do not meet",
     [](ModelBuilder& m) {
         add_square(m);
         m.point("P5", 20, 0);
         m.point("P6", 30, 0);
         m.curve("QL9", {"P5", "P6"});
         m.patch("R1", TYPE_NONE, {{"QL1"}, {"QL9"}, {"QL2"}, {"QL3", "QL4"}});
     },
     {" Input data error: patch R1:\n    its edges do not form one closed loop\n"
      "    (edge 2 is not joined to the others).\n"}},
    {"edges that form an open path",
     [](ModelBuilder& m) {
         add_square(m);
         m.patch("R1", TYPE_NONE, {{"QL1"}, {"QL2"}, {"QL3"}});
     },
     {" Input data error: patch R1:\n    its boundary is not closed\n    (it runs from point P1 to point P4).\n"}},
};

class PreprocessorFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(PreprocessorFailure, ReportsTheFault) {
    const FailureCase& c = GetParam();
    ModelBuilder m;
    c.build(m);
    MessageCapture log;
    EXPECT_EQ(preprocess(m, log), 0);
    std::string expected;
    for (const std::string& s : c.messages) expected += s;
    EXPECT_EQ(log.text(), expected);
    // Every curve still starts at its own first point after the failure.
    for (int i = 1; i <= m.run.nCurves; ++i) EXPECT_NE(m.run.curves[i].points_id[1], 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, PreprocessorFailure, ::testing::ValuesIn(kFailures), [](const auto& info) {
    std::string n = info.param.what;
    for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return n;
});

TEST(InputDataPreprocessor, RefusesSubregionsNotCheckedFirst) {
    ModelBuilder m;
    add_square(m);
    m.patch("R1", TYPE_PLANE, {{"QL1", "QL2", "QL3", "QL4"}});
    MessageCapture log;
    EXPECT_EQ(input_data_preprocessor(m.run), 0);
    EXPECT_EQ(log.text(),
              " Input data error: patch[1].num_edges_original =0\n"
              " Make sure procedure check_input_data()\n  has been called _before_ the 1-st\n"
              "  call of input_data_preprocessor().\n");
}

}  // namespace
}  // namespace korvex::test
