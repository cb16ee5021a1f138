// The final check for inverted and degenerate elements: one report per
// failing element, with the figure the quality report gives it.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>

#include "base/numeric_constants.h"
#include "model/run.h"
#include "output/quality_figures.h"
#include "pipeline/element_validity_check.h"
#include "support/message_capture.h"
#include "support/model_builder.h"

namespace korvex::test {
namespace {

// The check before the result is written and the quality figures of the
// result measure an element alike: it is reported exactly when its quality
// figure is below the threshold, and with that figure.
TEST(ElementValidityCheck, AgreesWithTheQualityFigures) {
    const struct {
        const char* what;
        std::array<Vec3, 4> quad;
        bool reported;
    } cases[] = {
        {"unit square", {{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}}, false},
        {"warped", {{{0, 0, 0}, {1, 0, 0}, {1, 1, 1}, {0, 1, 0}}}, false},
        {"barely valid corner", {{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {-1, 1e-5, 0}}}, false},
        {"inverted: arrowhead", {{{0, 0, 0}, {2, 0, 0}, {0.5, 0.5, 0}, {0, 2, 0}}}, true},
        {"clockwise dart: its reflex corner", {{{0, 0, 0}, {2, 0, 0}, {3, 1, 0}, {2, -1, 0}}}, true},
        {"three nodes in a line", {{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}}}, true},
        {"bow tie", {{{0, 0, 0}, {1, 1, 0}, {1, 0, 0}, {0, 1, 0}}}, true},
        // Corner 0 is a right angle whose plane contains the mean normal: its
        // sine is 1, yet it is seen edge on.
        {"corner seen edge on", {{{0, 0, 0}, {1, 0, 0}, {1, -1, 1}, {0, 1, 0}}}, true},
    };
    for (const auto& c : cases) {
        korvex::Run run;
        for (const Vec3& p : c.quad) add_node(run, "P", p.x, p.y, p.z);
        add_element(run, 1, 2, 3, 4, "R1");
        const double figure = output::element_quality(c.quad).min_scaled_jacobian;
        MessageCapture messages;
        EXPECT_EQ(check_element_validity(run), c.reported ? 1 : 0) << c.what;
        EXPECT_EQ(figure < kMinValidScaledJacobian, c.reported) << c.what << ": " << figure;
        if (!c.reported || messages.all().size() != 1) continue;
        char expected[160];
        std::snprintf(expected, sizeof expected,
                      " Output data error: element 1 of subregion R1 is inverted or degenerate (scaled Jacobian %g).\n",
                      figure);
        EXPECT_EQ(messages.all()[0], expected) << c.what;
    }
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

// Two valid elements of one subregion that walk their shared edge the same
// way face opposite ways: the subregion is reported once. Walking it the
// other way, or the same pair in two subregions (a fold between them), is
// no fault.
TEST(ElementValidityCheck, ASubregionWhoseElementsFaceBothWaysIsReported) {
    const struct {
        const char* what;
        std::array<int, 4> second;
        const char* second_name;
        int reports;
    } cases[] = {
        {"flipped", {1, 2, 5, 6}, "R1", 1},
        {"same way", {2, 1, 6, 5}, "R1", 0},
        {"flipped, other subregion", {1, 2, 5, 6}, "R2", 0},
    };
    for (const auto& c : cases) {
        korvex::Run run;
        add_node(run, "P1", 0, 0, 0);
        add_node(run, "P2", 1, 0, 0);
        add_node(run, "P3", 1, 1, 0);
        add_node(run, "P4", 0, 1, 0);
        add_node(run, "P5", 1, 0, 1);
        add_node(run, "P6", 0, 0, 1);
        add_element(run, 1, 2, 3, 4, "R1");
        add_element(run, c.second[0], c.second[1], c.second[2], c.second[3], c.second_name);
        MessageCapture messages;
        EXPECT_EQ(check_element_validity(run), c.reports) << c.what;
        ASSERT_EQ(messages.all().size(), static_cast<std::size_t>(c.reports)) << c.what;
        if (c.reports) {
            EXPECT_EQ(messages.all()[0], " Output data error: elements 1 and 2 of subregion R1 face opposite ways.\n");
        }
    }
}

}  // namespace
}  // namespace korvex::test
