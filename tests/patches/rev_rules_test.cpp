// The rule that picks the bottom and top parallels of a surface-of-revolution
// patch from the angles its arc pairs make with their axis, and the index
// that finds the meridian segment holding a height.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "patches/common/interval_index.h"
#include "patches/revolution/rev_patch.h"

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

TEST(IntervalIndex, ListsEverySegmentThatHoldsAValueInOrder) {
    std::mt19937 rng(99);
    std::uniform_real_distribution<double> step(-0.4, 1.0);  // mostly rising, with turns and flats
    for (int trial = 0; trial < 20; ++trial) {
        std::vector<double> values{0.0};
        for (int i = 0; i < 5 + trial * 7; ++i) values.push_back(trial % 4 == 0 && i % 5 == 0 ? values.back() : values.back() + step(rng));
        const IntervalIndex index(values);
        std::uniform_real_distribution<double> probe(-1.0, values.back() + 1.0);
        for (int k = 0; k < 500; ++k) {
            const double x = k % 3 == 0 ? values[static_cast<std::size_t>(k) % values.size()] : probe(rng);
            std::vector<std::size_t> expected;
            for (std::size_t i = 0; i + 1 < values.size(); ++i)
                if (x >= std::min(values[i], values[i + 1]) && x <= std::max(values[i], values[i + 1])) expected.push_back(i);
            std::vector<std::size_t> got;
            for (std::size_t i : index.candidates(x))
                if (x >= std::min(values[i], values[i + 1]) && x <= std::max(values[i], values[i + 1])) got.push_back(i);
            EXPECT_EQ(got, expected) << x;
        }
    }
}

}  // namespace
}  // namespace korvex::test
