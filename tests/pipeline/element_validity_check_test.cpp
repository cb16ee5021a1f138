// The final check for inverted and degenerate elements: the 3D measure
// against each element's mean normal, and one report per failing element.
#include <gtest/gtest.h>

#include <cmath>

#include "model/run.h"
#include "pipeline/element_validity_check.h"
#include "support/message_capture.h"
#include "support/model_builder.h"

namespace korvex::test {
namespace {

TEST(ElementValidityCheck, ScaledJacobianAgainstTheMeanNormal) {
    const double r = std::sqrt(0.5);
    struct Case {
        const char* what;
        std::array<Vec3, 4> quad;
        double expected;
    };
    const Case cases[] = {
        {"unit square", {{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}}, 1.0},
        {"square standing in a tilted plane", {{{0, 0, 0}, {1, 0, 0}, {1, r, r}, {0, r, r}}}, 1.0},
        {"clockwise square: its own mean normal turns with it", {{{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}}}, 1.0},
        {"three nodes in a line", {{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}}}, 0.0},
        {"arrowhead with a reflex corner", {{{0, 0, 0}, {2, 0, 0}, {0.5, 0.5, 0}, {0, 2, 0}}}, -0.8},
        {"two corners at one place", {{{0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {0, 1, 0}}}, 0.0},
        {"bow tie: no area at all", {{{0, 0, 0}, {1, 1, 0}, {1, 0, 0}, {0, 1, 0}}}, 0.0},
    };
    for (const Case& c : cases) EXPECT_NEAR(quad_scaled_jacobian_3d(c.quad), c.expected, 1e-12) << c.what;
}

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
