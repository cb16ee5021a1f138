// polypoin: inside, outside, on the boundary, and vertices lying on the ray.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "planar/plane_uv.h"
#include "support/message_capture.h"

namespace korvex::test {
namespace {

// Record 0 is polypoin's own; the polygon's vertices follow from record 1.
std::vector<PointUV> polygon(const std::vector<std::pair<double, double>>& vertices) {
    std::vector<PointUV> p(1);
    for (const auto& [u, v] : vertices) {
        p.emplace_back();
        p.back().u = u;
        p.back().v = v;
    }
    return p;
}

int locate(std::vector<PointUV>& poly, double u, double v) {
    PointUV p;
    p.u = u;
    p.v = v;
    return polypoin(static_cast<int>(poly.size()) - 1, poly, p);
}

TEST(Polypoin, InsideOnTheBoundaryOrOutside) {
    const std::vector<std::pair<double, double>> square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    // For P = (0, 0) the longest-subtending edge is the right side x = 10, so
    // the ray runs along +u through (10, 0).
    const std::vector<std::pair<double, double>> notched{{-2, -10}, {4, -10}, {5, 0},  {6, -10},
                                                         {10, -10}, {10, 10}, {-2, 10}};
    const std::vector<std::pair<double, double>> flat_top{{-2, -10}, {4, -10}, {5, 0},   {7, 0},
                                                          {8, -10},  {10, -10}, {10, 10}, {-2, 10}};
    const struct {
        const char* what;
        std::vector<std::pair<double, double>> vertices;
        double u, v;
        int expected;  // 1 inside, 2 on the boundary, 3 outside
    } cases[] = {
        {"inside the square", square, 3, 4, 1},
        {"right of the square", square, 13, 4, 3},
        {"below-left of the square", square, -1, -1, 3},
        {"on an edge", square, 5, 0, 2},
        {"on a vertex", square, 10, 10, 2},
        {"a notch touching the ray at a vertex is no crossing", notched, 0, 0, 1},
        {"a flat notch top of two vertices on the ray is no crossing", flat_top, 0, 0, 1},
        // The ray crosses the side x = 10 and leaves through the vertex (18, 0).
        {"a vertex where the polygon crosses the ray counts once", {{10, -20}, {10, 20}, {15, 20}, {18, 0}, {15, -20}},
         0, 0, 3},
        // P lies on the side (0, 0)-(4, 0), collinear with the ray towards the far side x = 20.
        {"a run on the ray containing the point", {{0, 0}, {4, 0}, {20, -10}, {20, 10}, {0, 10}}, 2, 0, 2},
        {"inside that polygon", {{0, 0}, {4, 0}, {20, -10}, {20, 10}, {0, 10}}, 10, 2, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto poly = polygon(c.vertices);
        EXPECT_EQ(locate(poly, c.u, c.v), c.expected);
        EXPECT_EQ(poly[0].u, poly.back().u);  // record 0 becomes a copy of the last
        EXPECT_EQ(poly[0].v, poly.back().v);
    }
}

TEST(Polypoin, ADegeneratePolygonIsAnError) {
    MessageCapture messages;
    auto line = polygon({{0, 0}, {1, 1}, {2, 2}});
    EXPECT_EQ(locate(line, 3, 3), 0);
    EXPECT_TRUE(messages.contains(" In 'polypoin': return E case 1\n"));
}

}  // namespace
}  // namespace korvex::test
