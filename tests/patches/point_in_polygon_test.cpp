// polypoin: inside, outside, on the boundary, and vertices lying on the ray.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "patches/plane_uv.h"
#include "support/plane_model.h"

namespace korvex {
namespace {

std::vector<PointUV> polygon(std::initializer_list<std::pair<double, double>> vertices) {
    std::vector<PointUV> p(1);
    for (const auto& [u, v] : vertices) {
        PointUV r;
        r.u = u;
        r.v = v;
        p.push_back(r);
    }
    return p;
}

PointUV at(double u, double v) {
    PointUV p;
    p.u = u;
    p.v = v;
    return p;
}

int locate(std::vector<PointUV> poly, double u, double v) {
    return polypoin(static_cast<int>(poly.size()) - 1, poly, at(u, v));
}

TEST(Polypoin, InsideOutsideAndOnTheBoundaryOfASquare) {
    const auto square = polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    EXPECT_EQ(locate(square, 3, 4), 1);
    EXPECT_EQ(locate(square, 13, 4), 3);
    EXPECT_EQ(locate(square, -1, -1), 3);
    EXPECT_EQ(locate(square, 5, 0), 2);     // on an edge
    EXPECT_EQ(locate(square, 10, 10), 2);   // on a vertex
}

TEST(Polypoin, RecordZeroBecomesACopyOfTheLast) {
    auto square = polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    polypoin(4, square, at(3, 3));
    EXPECT_EQ(square[0].u, 0);
    EXPECT_EQ(square[0].v, 10);
}

// P = (0, 0); the longest-subtending edge is the right side x = 10, so the
// ray runs along +u through (10, 0).
TEST(Polypoin, AVertexTouchingTheRayIsNoCrossing) {
    // A notch in the bottom side reaches up to touch the ray at (5, 0).
    const auto notched = polygon({{-2, -10}, {4, -10}, {5, 0}, {6, -10}, {10, -10}, {10, 10}, {-2, 10}});
    EXPECT_EQ(locate(notched, 0, 0), 1);
    // The same with a flat top of two vertices lying on the ray.
    const auto flat = polygon({{-2, -10}, {4, -10}, {5, 0}, {7, 0}, {8, -10}, {10, -10}, {10, 10}, {-2, 10}});
    EXPECT_EQ(locate(flat, 0, 0), 1);
}

TEST(Polypoin, AVertexWhereThePolygonCrossesTheRayCountsOnce) {
    // P = (0, 0) lies left of the polygon; the ray crosses the side x = 10 and
    // leaves again through the vertex (18, 0): two crossings, outside.
    const auto right = polygon({{10, -20}, {10, 20}, {15, 20}, {18, 0}, {15, -20}});
    EXPECT_EQ(locate(right, 0, 0), 3);
}

TEST(Polypoin, ARunOnTheRayThatContainsThePointIsOnTheBoundary) {
    // P = (2, 0) lies on the side (0, 0)-(4, 0), which is collinear with the
    // ray towards the middle of the far side x = 20.
    const auto poly = polygon({{0, 0}, {4, 0}, {20, -10}, {20, 10}, {0, 10}});
    EXPECT_EQ(locate(poly, 2, 0), 2);
    EXPECT_EQ(locate(poly, 10, 2), 1);
}

TEST(Polypoin, ADegeneratePolygonIsAnError) {
    plane_test::Messages messages;
    const auto line = polygon({{0, 0}, {1, 1}, {2, 2}});
    EXPECT_EQ(locate(line, 3, 3), 0);
    EXPECT_TRUE(messages.contains(" In 'polypoin': return E case 1\n"));
}

}  // namespace
}  // namespace korvex
