// The rule that picks the bottom and top parallels of a surface-of-revolution
// patch from the angles its arc pairs make with their axis.
#include <gtest/gtest.h>

#include "patches/rev_patch.h"

namespace korvex::test {
namespace {

TEST(ChooseParallelPair, ArcsMeetingTheAxisAtRightAnglesAreTheParallels) {
    struct Case {
        double bot13, top13, bot24, top24;
        int expected;
    };
    const Case cases[] = {
        {90, 90, 0, 0, 13},            // edges 2 and 4 are no arcs
        {0, 0, 90, 90, 24},            // the arcs are edges 2 and 4: cycled
        {90.99, 89.01, 45, 60, 13},    // within 1 degree
        {91.01, 90, 45, 60, 0},        // beyond it on the first pair, second pair not parallel
        {90, 90, 90, 90.01, 13},       // the other pair differs by 0.01: enough for the first pair
        {90, 90, 90, 90.005, 0},       // both pairs parallel: no choice
        {90.0099, 90, 90, 90, 0},      // second pair needs the first to differ by more than 0.01
        {90.02, 90, 90, 90, 24},
    };
    for (const Case& c : cases)
        EXPECT_EQ(choose_parallel_pair(c.bot13, c.top13, c.bot24, c.top24), c.expected)
            << c.bot13 << " " << c.top13 << " " << c.bot24 << " " << c.top24;
}

}  // namespace
}  // namespace korvex::test
