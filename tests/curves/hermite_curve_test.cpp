#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "curves/hermite_curve.h"

namespace korvex {
namespace {

std::vector<Vec3> on_unit_circle(std::initializer_list<double> degrees) {
    std::vector<Vec3> P(1);
    for (double d : degrees) P.push_back({std::cos(d * M_PI / 180), std::sin(d * M_PI / 180), 0.0});
    return P;
}

TEST(HermiteCurve, EndTangentsOfPointsOnACircleAreTheCircleTangents) {
    // The chord to the third point mirrored in the first chord is tangent to
    // the circle through the three points.
    const std::vector<Vec3> P = on_unit_circle({0, 30, 60, 90});
    std::vector<Chord> chords;
    std::vector<Tangent> tangents;
    computeChords(4, P, chords);
    computeDirectionalCos(4, P, chords, tangents);
    EXPECT_NEAR(tangents[1].dir.x, 0.0, 1e-14);
    EXPECT_NEAR(tangents[1].dir.y, 1.0, 1e-14);
    EXPECT_NEAR(tangents[4].dir.x, -1.0, 1e-14);  // along the direction of travel
    EXPECT_NEAR(tangents[4].dir.y, 0.0, 1e-14);
    // Interior tangents of equal chords are the circle tangents too.
    EXPECT_NEAR(tangents[2].dir.x, -std::sin(M_PI / 6), 1e-14);
    EXPECT_NEAR(tangents[2].dir.y, std::cos(M_PI / 6), 1e-14);
    EXPECT_NEAR(norm(tangents[3].dir), 1.0, 1e-15);
}

// Straight data: the Hermite basis, the 8-chord length and a two-point chain
// reproduce the straight segment.
TEST(HermiteCurve, StraightSegments) {
    const Vec3 p0{0, 0, 0}, p1{1, 0, 0}, t{1, 0, 0};
    EXPECT_EQ(hermite_point(p0, p1, t, t, 1.0, 0.0).x, 0.0);
    EXPECT_EQ(hermite_point(p0, p1, t, t, 1.0, 1.0).x, 1.0);
    EXPECT_NEAR(hermite_point(p0, p1, t, t, 1.0, 0.3).x, 0.3, 1e-15);
    EXPECT_NEAR(hermite_segment_length(p0, p1, t, t, 1.0), 1.0, 1e-15);

    HermiteChain chain;
    chain.build(2, std::vector<Vec3>{{}, {1, 1, 1}, {4, 5, 1}});
    EXPECT_NEAR(chain.length(), 5.0, 1e-14);
    Vec3 x;
    ASSERT_TRUE(chain.evaluate(0.25, x));
    EXPECT_NEAR(x.x, 1.75, 1e-14);
    EXPECT_NEAR(x.y, 2.0, 1e-14);
    EXPECT_FALSE(chain.evaluate(1.5, x));
}

TEST(HermiteCurve, SegmentsMeetAtTheirPointsAndLengthsAreCumulative) {
    const std::vector<Vec3> P = on_unit_circle({0, 40, 70, 120, 180});
    HermiteChain chain;
    chain.build(5, P);
    EXPECT_EQ(chain.cumulative(1), 0.0);
    EXPECT_EQ(chain.cumulative(5), 1.0);
    EXPECT_NEAR(chain.length(), M_PI, 0.03);  // few, uneven points: a coarse estimate
    for (int i = 2; i <= 4; ++i) {
        Vec3 x;
        ASSERT_TRUE(chain.evaluate(chain.cumulative(i), x));
        EXPECT_NEAR(distance(x, P[static_cast<std::size_t>(i)]), 0.0, 1e-14) << i;
        EXPECT_GT(chain.cumulative(i), chain.cumulative(i - 1));
    }
}

}  // namespace
}  // namespace korvex
