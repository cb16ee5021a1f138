#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "curves/node_coincidence.h"

namespace korvex {
namespace {

CoincidentPair brute_force(const Array1<ControlPoint>& nodes, int count) {
    for (int i = 1; i <= count; ++i)
        for (int j = i + 1; j <= count; ++j) {
            if (nodes[i].name == "PINT" || nodes[j].name == "PINT") continue;
            if (distance(nodes[i].pos(), nodes[j].pos()) < kCoincidentPointDistance) return {i, j};
        }
    return {};
}

void put(Array1<ControlPoint>& nodes, int i, Vec3 x, const char* name = "P$") {
    nodes.ensure(i);
    nodes[i].set_pos(x);
    nodes[i].name = name;
}

TEST(NodeCoincidence, FindsTheFirstPairOfTheAllPairsScan) {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> u(-1e-5, 1e-5);
    for (int trial = 0; trial < 200; ++trial) {
        Array1<ControlPoint> nodes;
        const int n = 60;
        // Points on a coarse lattice scaled so that some fall within the tolerance.
        for (int i = 1; i <= n; ++i) put(nodes, i, {u(rng), u(rng) * 0.1, 0.0}, (i % 7 == 0) ? "PINT" : "P$");
        const CoincidentPair want = brute_force(nodes, n);
        const CoincidentPair got = first_coincident_pair(nodes, n);
        EXPECT_EQ(got.i, want.i) << trial;
        EXPECT_EQ(got.j, want.j) << trial;
    }
}

TEST(NodeCoincidence, IncrementalChecksSeeNewAndMovedNodes) {
    Array1<ControlPoint> nodes;
    NodeCoincidenceIndex index;
    for (int i = 1; i <= 10; ++i) put(nodes, i, {double(i), 0, 0});
    EXPECT_FALSE(index.check(nodes, 10));
    // New nodes: the first pair is found against old ones.
    put(nodes, 11, {20, 0, 0});
    put(nodes, 12, {3 + 5e-7, 0, 0});
    put(nodes, 13, {2, 0, 0});
    CoincidentPair p = index.check(nodes, 13);
    EXPECT_EQ(p.i, 2);
    EXPECT_EQ(p.j, 13);
    // Move them apart and an old node onto another old node.
    put(nodes, 12, {30, 0, 0});
    put(nodes, 13, {40, 0, 0});
    EXPECT_FALSE(index.check(nodes, 13));
    nodes[9].set_pos({4, 0, 0});
    index.moved(9);
    p = index.check(nodes, 13);
    EXPECT_EQ(p.i, 4);
    EXPECT_EQ(p.j, 9);
    nodes[9].set_pos({9, 0, 0});
    EXPECT_FALSE(index.check(nodes, 13));
}

TEST(NodeCoincidence, NeighbourCellsAndLargeCoordinates) {
    Array1<ControlPoint> nodes;
    put(nodes, 1, {1.5e-6, -5, 7});
    put(nodes, 2, {2.5e-6 - 1e-12, -5, 7});  // just under the tolerance apart, across a cell border
    put(nodes, 3, {1e30, 0, 0});
    put(nodes, 4, {1e30, 0, 0});
    CoincidentPair p = first_coincident_pair(nodes, 4);
    EXPECT_EQ(p.i, 1);
    EXPECT_EQ(p.j, 2);
    nodes[2].x = 2.5e-6 + 1e-12;
    p = first_coincident_pair(nodes, 4);
    EXPECT_EQ(p.i, 3);
    EXPECT_EQ(p.j, 4);
}

}  // namespace
}  // namespace korvex
