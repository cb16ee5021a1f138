// The final check for inverted and degenerate elements (the measure is
// tested in tests/base): one report per failing element.
#include <gtest/gtest.h>

#include "model/run.h"
#include "pipeline/element_validity_check.h"
#include "support/message_capture.h"
#include "support/model_builder.h"

namespace korvex::test {
namespace {

TEST(ElementValidityCheck, EachFailingElementIsReportedOnceByItsNumber) {
    korvex::Run run;
    add_node(run, "P1", 0, 0, 0);
    add_node(run, "P2", 1, 0, 0);
    add_node(run, "P3", 1, 1, 0);
    add_node(run, "P4", 0, 1, 0);
    add_node(run, "P5", 2, 0, 0);
    add_node(run, "P6", 1.2, 0.5, 0);
    add_element(run, 1, 2, 3, 4, "R1");
    add_element(run, 2, 5, 3, 6, "RPLATE");  // non-convex at node 6
    add_element(run, 1, 2, 5, 4, "R1");      // three nodes in a line
    MessageCapture messages;
    EXPECT_EQ(check_element_validity(run), 2);
    ASSERT_EQ(messages.all().size(), 2u);
    EXPECT_EQ(messages.all()[0].rfind(" Output data error: element 2 of subregion RPLATE is inverted or degenerate "
                                      "(scaled Jacobian -0.",
                                      0),
              0u)
        << messages.all()[0];
    EXPECT_EQ(messages.all()[1],
              " Output data error: element 3 of subregion R1 is inverted or degenerate (scaled Jacobian 0).\n");
}

}  // namespace
}  // namespace korvex::test
