// Connectors: the linear step rule, the reduction of end steps, the distance
// check's node grid and the pairing of candidates. The grid and the pairing
// prune comparisons; both must answer exactly as the plain comparison of
// every point with every other.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "cuts/connectors/connectors.h"
#include "cuts/holes/hole_removal.h"
#include "support/message_capture.h"

namespace korvex::test {
namespace {

// A run whose only nodes are the two ends of one connector.
struct OneConnector {
    korvex::Run run;
    Subregion patch;
    Connector c;
    OneConnector(const Vec3& a, const Vec3& b, double REF, double step_start, double step_end) {
        run.new_points.ensure(2);
        run.new_points[1].set_pos(a);
        run.new_points[2].set_pos(b);
        run.num_new_points = 2;
        patch.REF = REF;
        c.start_node = 1;
        c.end_node = 2;
        c.step_start = step_start;
        c.step_end = step_end;
    }
};

std::vector<double> step_lengths(const Connector& c) {
    std::vector<double> out;
    for (std::size_t i = 1; i < c.positions.size(); ++i) out.push_back(distance(c.positions[i], c.positions[i - 1]));
    return out;
}

TEST(LinearStepRule, TheFirstStepFollowsTheRefinementCoefficient) {
    // With the end step equal to the first step and a length of four of
    // them, the connector gets four equal steps of factor x start step.
    struct Row {
        double REF, factor;
    };
    for (const Row row : {Row{0.0, 1.3}, Row{0.1, 1.3}, Row{0.15, 1.1}, Row{0.2, 1.1}, Row{0.25, 0.9}, Row{0.35, 0.9}}) {
        MessageCapture messages;
        const double s0 = row.factor * 0.5;
        OneConnector t({1, 2, 0}, {1 + 4 * s0, 2, 0}, row.REF, 0.5, s0);
        ASSERT_EQ(transform_segment_to_QL_lin_step(t.run, t.patch, t.c, 1), 1) << messages.text();
        const std::vector<double> steps = step_lengths(t.c);
        ASSERT_EQ(steps.size(), 4u) << "REF " << row.REF;
        for (double s : steps) EXPECT_NEAR(s, s0, 1e-12) << "REF " << row.REF;
        EXPECT_EQ(t.c.curve_name, "QLcR0001");
        EXPECT_DOUBLE_EQ(t.c.step, 0.5 * (0.5 + s0));
    }
}

TEST(LinearStepRule, StepsGrowEvenlyFromTheHoleToTheBoundary) {
    MessageCapture messages;
    OneConnector t({0, 0, 0}, {3, 4, 0}, 0.3, 0.1, 0.6);
    ASSERT_EQ(transform_segment_to_QL_lin_step(t.run, t.patch, t.c, 1), 1);
    const std::vector<double> steps = step_lengths(t.c);
    ASSERT_GE(steps.size(), 4u);
    EXPECT_EQ(steps.size() % 2, 0u);
    for (std::size_t i = 1; i < steps.size(); ++i) EXPECT_GT(steps[i], steps[i - 1]);
    // Each step is the first step plus a constant times the distance
    // covered, so consecutive steps grow by one ratio.
    for (std::size_t i = 2; i < steps.size(); ++i) EXPECT_NEAR(steps[i] / steps[i - 1], steps[1] / steps[0], 1e-9);
    EXPECT_EQ(t.c.positions.back().x, 3.0);
    EXPECT_EQ(t.c.positions.back().y, 4.0);
    EXPECT_DOUBLE_EQ(t.c.length, 5.0);
    EXPECT_TRUE(t.c.valid);
}

TEST(LinearStepRule, EndStepsLongerThanHalfTheConnectorAreHalved) {
    MessageCapture messages;
    OneConnector t({0, 0, 0}, {2, 0, 0}, 0.3, 1.5, 3.0);
    ASSERT_EQ(transform_segment_to_QL_lin_step(t.run, t.patch, t.c, 1), 1);
    EXPECT_EQ(t.c.step_start, 1.0);
    EXPECT_EQ(t.c.step_end, 1.0);
    EXPECT_EQ(messages.text(), "length=2  step_start=1.5  step_end=3\n   Reduced to: step_start=1  step_end=1\n");
    EXPECT_EQ(step_lengths(t.c).size(), 2u);
}

TEST(LinearStepRule, TinyStepsAndTooManyStepsAreRefused) {
    {
        MessageCapture messages;
        OneConnector t({0, 0, 0}, {2, 0, 0}, 0.3, 1e-9, 0.5);
        EXPECT_EQ(transform_segment_to_QL_lin_step(t.run, t.patch, t.c, 7), 0);
        EXPECT_NE(messages.text().find("DK[icand=7].step_start=1e-09  step_end=0.5"), std::string::npos);
    }
    {
        // Steps of 0.013 along a length of 100.
        MessageCapture messages;
        OneConnector t({0, 0, 0}, {100, 0, 0}, 0.0, 0.01, 0.013);
        EXPECT_EQ(transform_segment_to_QL_lin_step(t.run, t.patch, t.c, 1), 0);
        EXPECT_NE(messages.text().find("exceeded\n 1999 steps"), std::string::npos) << messages.text();
    }
}

// A plane subregion whose boundary and holes are curves carrying given nodes.
struct NodeCloud {
    korvex::Run run;
    explicit NodeCloud(const std::vector<Vec3>& nodes) {
        run.new_points.ensure(static_cast<long>(nodes.size()));
        for (std::size_t i = 0; i < nodes.size(); ++i) run.new_points[static_cast<long>(i) + 1].set_pos(nodes[i]);
        run.num_new_points = static_cast<int>(nodes.size());
        // One curve through every node, the subregion's only boundary curve.
        run.curves.ensure(1);
        run.nCurves = 1;
        Curve& c = run.curves[1];
        c.num_new_points = static_cast<int>(nodes.size());
        for (int i = 1; i <= c.num_new_points; ++i) c.new_points_id[static_cast<std::size_t>(i)] = i;
        run.patches.ensure(1);
        run.nPatches = 1;
        run.patches[1].num_curves = 1;
        run.patches[1].curves_id[1] = 1;
    }
};

TEST(SubregionNodeGrid, AnswersLikeTestingEveryNode) {
    std::mt19937 rng(12);
    std::uniform_real_distribution<double> u(-5, 5);
    std::vector<Vec3> nodes;
    for (int i = 0; i < 400; ++i) nodes.push_back({u(rng), u(rng), 0.3 * u(rng)});
    NodeCloud cloud(nodes);
    const SubregionNodeGrid grid(cloud.run, 1);
    std::array<int, 6> exempt{3, 17, 0, 0, 0, 0};
    int hits = 0;
    for (int q = 0; q < 2000; ++q) {
        const Vec3 p{u(rng), u(rng), 0.3 * u(rng)};
        const double d = q % 10 == 0 ? 20.0 : 0.05 + 0.6 * std::fabs(u(rng)) / 5;
        bool brute = false;
        for (int i = 1; i <= 400; ++i)
            if (i != 3 && i != 17 && distance(p, nodes[static_cast<std::size_t>(i - 1)]) <= d) brute = true;
        EXPECT_EQ(grid.any_node_within(p, d, exempt), brute) << q;
        hits += brute;
    }
    EXPECT_GT(hits, 100);
    EXPECT_LT(hits, 1900);
    // A node exactly at the distance counts; an exempt node never does.
    EXPECT_TRUE(grid.any_node_within(nodes[0] + Vec3{0.25, 0, 0}, 0.25, exempt));
    EXPECT_FALSE(grid.any_node_within(nodes[2], 1e-12, exempt));
}

TEST(ConnectorDistances, APointNearerThanTheFactorOfItsStepsFailsTheConnector) {
    MessageCapture messages;
    // Connector from (0,0) to (4,0) in four steps of 1; one node 0.1 off its line at x = 2.
    for (const double off : {0.7, 0.9}) {
        NodeCloud cloud({{0, 0, 0}, {4, 0, 0}, {2, off, 0}});
        Connector c;
        c.start_node = 1;
        c.end_node = 2;
        c.step_start = c.step_end = 1.0 / 1.1;
        c.exempt_nodes = {1, 2, 0, 0, 0, 0};
        ASSERT_EQ(transform_segment_to_QL_lin_step(cloud.run, cloud.run.patches[1], c, 1), 1);
        ASSERT_EQ(step_lengths(c).size(), 4u);
        const SubregionNodeGrid grid(cloud.run, 1);
        // The limit at x = 2 is 0.8 x 1.
        EXPECT_EQ(check_connector_against_distances(c, grid, 0.8), off > 0.8) << off;
        EXPECT_TRUE(check_connector_against_distances(c, grid, 0.5)) << off;
    }
}

// Candidates with random ends and steps, pairs found as the plain rule finds them.
std::vector<ConnectorPair> plain_pairs(const std::vector<Connector>& DK) {
    std::vector<ConnectorPair> out;
    for (std::size_t i = 0; i < DK.size(); ++i)
        for (std::size_t j = i + 1; j < DK.size(); ++j) {
            const Connector& a = DK[i];
            const Connector& b = DK[j];
            if (a.start_node == b.start_node || a.end_node == b.end_node) continue;
            const std::size_t n = a.positions.size() - 1;
            const double r = std::max(distance(a.positions[1], a.positions[0]), distance(a.positions[n], a.positions[n - 1]));
            bool close = false;
            for (std::size_t p = 1; p < n && !close; ++p)
                for (std::size_t q = 1; q + 1 < b.positions.size() && !close; ++q)
                    close = distance(a.positions[p], b.positions[q]) < r;
            if (!close) out.push_back({static_cast<int>(i) + 1, static_cast<int>(j) + 1, a.length + b.length});
        }
    std::stable_sort(out.begin(), out.end(), [](const auto& x, const auto& y) { return x.sum_len < y.sum_len; });
    return out;
}

TEST(IdentifyConnectorPairs, FindsThePairsOfThePlainRuleInTheSameOrder) {
    MessageCapture messages;
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> u(0, 1);
    // Inner corners on a small circle, boundary corners on a large one: the
    // connectors fan out, cross and crowd one another.
    std::vector<Vec3> nodes;
    for (int i = 0; i < 8; ++i) nodes.push_back({2 * std::cos(i * 0.785), 2 * std::sin(i * 0.785), 0});
    for (int i = 0; i < 16; ++i) nodes.push_back({9 * std::cos(i * 0.3927), 9 * std::sin(i * 0.3927), 0});
    NodeCloud cloud(nodes);
    std::vector<Connector> DK;
    for (int a = 1; a <= 8; ++a)
        for (int b = 9; b <= 24; b += 1 + static_cast<int>(u(rng) * 3)) {
            Connector c;
            c.start_node = a;
            c.end_node = b;
            c.step_start = 0.2 + 0.5 * u(rng);
            c.step_end = 0.3 + 1.2 * u(rng);
            ASSERT_EQ(transform_segment_to_QL_lin_step(cloud.run, cloud.run.patches[1], c, 1), 1);
            DK.push_back(c);
        }
    std::vector<ConnectorPair> PCP;
    ASSERT_EQ(identify_connector_pairs(DK, PCP), 1);
    const std::vector<ConnectorPair> expected = plain_pairs(DK);
    ASSERT_GT(expected.size(), 50u);
    ASSERT_LT(expected.size(), DK.size() * (DK.size() - 1) / 2);
    ASSERT_EQ(PCP.size(), expected.size());
    for (std::size_t m = 0; m < PCP.size(); ++m) {
        EXPECT_EQ(PCP[m].iconn1, expected[m].iconn1) << m;
        EXPECT_EQ(PCP[m].iconn2, expected[m].iconn2) << m;
        EXPECT_EQ(PCP[m].sum_len, expected[m].sum_len) << m;
    }
}

}  // namespace
}  // namespace korvex::test
