// input_data_preprocessor: chaining of edges, loop order and its failures.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "input/input_stages.h"
#include "support/message_capture.h"
#include "support/model_builder.h"

namespace korvex::test {
namespace {

using Names = std::vector<std::string>;
using Build = std::function<void(ModelBuilder&)>;

// Runs the checks and name resolution, then the preprocessor; returns its result.
int preprocess(ModelBuilder& m, MessageCapture& log) {
    EXPECT_EQ(check_input_data(m.run), 1) << log.text();
    EXPECT_EQ(restore_curves(m.run), 1) << log.text();
    log.clear();
    return input_data_preprocessor(m.run);
}

TEST(InputDataPreprocessor, ChainsEdgesAndPutsThemIntoLoopOrder) {
    struct Case {
        const char* what;
        Build build;
        Names chain;
        std::vector<int> edges;
    };
    const Case cases[] = {
        {"edge given out of order with a reversed curve",
         [](ModelBuilder& m) {  // bottom side in three pieces P1-P5-P6-P2, the first defined against the walk
             m.point("P5", 3, 0);
             m.point("P6", 6, 0);
             m.curve("QLa", {"P5", "P1"});
             m.curve("QLb", {"P5", "P6"});
             m.curve("QLc", {"P6", "P2"});
             m.patch("R1", TYPE_BILINEAR, {{"QLb", "QLa", "QLc"}, {"QL2"}, {"QL3"}, {"QL4"}});
         },
         {"-QLa", "QLb", "QLc", "QL2", "QL3", "QL4"},
         {3, 1, 1, 1}},
        {"four edges out of loop order",
         [](ModelBuilder& m) {  // around: QL1, QL2, QL3r, (QL4a QL4b); given first, third, second, fourth
             m.curve("QL3r", {"P4", "P3"});
             m.point("P7", 0, 5);
             m.curve("QL4a", {"P4", "P7"});
             m.curve("QL4b", {"P7", "P1"});
             m.patch("R1", TYPE_NONE, {{"QL1"}, {"QL3r"}, {"QL2"}, {"QL4b", "QL4a"}});
         },
         {"QL1", "QL2", "-QL3r", "QL4a", "QL4b"},
         {1, 1, 1, 2}},
        {"edge 1 starts at its lower-numbered end",
         [](ModelBuilder& m) {
             m.curve("QL1r", {"P2", "P1"});
             m.patch("R1", TYPE_NONE, {{"QL1r"}, {"QL2"}, {"QL3"}, {"QL4"}});
         },
         {"-QL1r", "QL2", "QL3", "QL4"},
         {1, 1, 1, 1}},
        {"closed chain from the first curve's first point",
         [](ModelBuilder& m) {
             m.curve("QL3r", {"P4", "P3"});
             m.patch("R1", TYPE_PLANE, {{"QL3r", "QL4", "QL2", "QL1"}});
         },
         {"QL3r", "-QL2", "-QL1", "-QL4"},
         {4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ModelBuilder m;
        m.square();
        c.build(m);
        MessageCapture log;
        ASSERT_EQ(preprocess(m, log), 1) << log.text();
        EXPECT_EQ(log.text(), "");
        EXPECT_EQ(m.signed_names(1), c.chain);
        EXPECT_EQ(m.edge_counts(1), c.edges);
        EXPECT_EQ(m.run.patches[1].preprocessed_marker, PREPROCESSED_MARKER);
        for (int i = 1; i <= m.run.nCurves; ++i)  // an opened chain's first point is put back
            EXPECT_EQ(m.run.points[m.run.curves[i].points_id[1]].name, m.run.curves[i].point_names[1]);
        // The later runs of the pipeline leave an ordered subregion as it is.
        ASSERT_EQ(input_data_preprocessor(m.run), 1);
        ASSERT_EQ(input_data_preprocessor(m.run), 1);
        EXPECT_EQ(m.signed_names(1), c.chain);
        EXPECT_EQ(m.edge_counts(1), c.edges);
    }
}

TEST(InputDataPreprocessor, ReportsBoundariesThatAreNotOneLoop) {
    const auto loose_piece = [](ModelBuilder& m) {
        m.point("P5", 20, 0);
        m.point("P6", 30, 0);
        m.curve("QL9", {"P5", "P6"});
    };
    const std::string not_closed = " Input data error: patch R1:\n    its boundary is not closed\n"
                                   "    (it runs from point P1 to point P4).\n";
    const struct {
        const char* what;
        Build build;
        std::string messages;  // everything reported, in order
    } cases[] = {
        {"branching edge",
         [](ModelBuilder& m) {
             m.point("P5", 5, 0);
             m.point("P6", 5, 3);
             m.curve("QLx", {"P1", "P5"});
             m.curve("QLy", {"P5", "P2"});
             m.curve("QLz", {"P5", "P6"});
             m.patch("R1", TYPE_NONE, {{"QLx", "QLy", "QLz"}, {"QL2"}, {"QL3"}, {"QL4"}});
         },
         "In INTERPRO.C: Input data error in patch R1, edge 1:\n   point P5 encountered more than twice.\n"},
        {"edge that closes on itself",
         [](ModelBuilder& m) {
             m.curve("QL9", {"P1", "P3"});
             m.patch("R1", TYPE_NONE, {{"QL1", "QL2", "QL3", "QL4"}, {"QL9"}});
         },
         " Input data error: patch R1, edge 1:\n    no curve to be identified as the first\n    in this edge.\n"},
        {"edge in two pieces", [](ModelBuilder& m) { m.patch("R1", TYPE_NONE, {{"QL4", "QL2"}, {"QL1"}, {"QL3"}}); },
         " Error in input_data_preprocessor():\n patch R1, edge 1: no last point found.\n next_point=4: P4\n "
         " idp_second=2\n"},
        {"edge with a loose piece beyond its ends",
         [&](ModelBuilder& m) {
             loose_piece(m);
             m.patch("R1", TYPE_NONE, {{"QL1", "QL9"}, {"QL2"}, {"QL3"}, {"QL4"}});
         },
         " Input data error: patch R1, edge 1:\n    its curves do not form one chain.\n"},
        {"open plane boundary", [](ModelBuilder& m) { m.patch("R1", TYPE_PLANE, {{"QL1", "QL2", "QL3"}}); },
         not_closed},
        {"edges that do not meet",
         [&](ModelBuilder& m) {
             loose_piece(m);
             m.patch("R1", TYPE_NONE, {{"QL1"}, {"QL9"}, {"QL2"}, {"QL3", "QL4"}});
         },
         " Input data error: patch R1:\n    its edges do not form one closed loop\n"
         "    (edge 2 is not joined to the others).\n"},
        {"edges that form an open path", [](ModelBuilder& m) { m.patch("R1", TYPE_NONE, {{"QL1"}, {"QL2"}, {"QL3"}}); },
         not_closed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ModelBuilder m;
        m.square();
        c.build(m);
        MessageCapture log;
        EXPECT_EQ(preprocess(m, log), 0);
        EXPECT_EQ(log.text(), c.messages);
        // Every curve still starts at its own first point after the failure.
        for (int i = 1; i <= m.run.nCurves; ++i) EXPECT_NE(m.run.curves[i].points_id[1], 0);
    }
}

TEST(InputDataPreprocessor, RefusesSubregionsNotCheckedFirst) {
    ModelBuilder m;
    m.square();
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
