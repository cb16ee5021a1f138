// The edges of a curved subregion from its boundary loop: split at the
// joints where the boundary turns most.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "cad/model_builder.h"

namespace {

using korvex::cad::Chain;
using korvex::cad::ChainCurve;
using korvex::cad::ModelCurve;

// A closed polygon through the points, one straight curve per side.
std::vector<ModelCurve> polygon(const std::vector<std::pair<double, double>>& p) {
    std::vector<ModelCurve> curves;
    for (std::size_t k = 0; k < p.size(); ++k) {
        const auto& a = p[k];
        const auto& b = p[(k + 1) % p.size()];
        ModelCurve c;
        c.start_tangent = c.end_tangent = gp_Vec(b.first - a.first, b.second - a.second, 0).Normalized();
        curves.push_back(c);
    }
    return curves;
}

Chain loop_of(std::size_t n) {
    Chain loop;
    for (std::size_t k = 0; k < n; ++k) loop.push_back(ChainCurve{static_cast<int>(k), false});
    return loop;
}

std::vector<std::size_t> sizes(const std::vector<Chain>& edges) {
    std::vector<std::size_t> s;
    for (const Chain& e : edges) s.push_back(e.size());
    return s;
}

TEST(CornerEdges, SplitsAtTheSharpestJoints) {
    struct Case {
        const char* what;
        std::vector<std::pair<double, double>> points;
        bool want_four;
        std::vector<std::size_t> expected;  // curves per edge, from the first corner on
    };
    const std::vector<Case> cases = {
        // Two sides split in the middle: the straight joints are no corners.
        {"split rectangle", {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {1, 1}, {0, 1}}, true, {1, 2, 1, 2}},
        {"triangle", {{0, 0}, {2, 0}, {1, 1}}, false, {1, 1, 1}},
        // Five real corners: the softest one stays inside an edge.
        {"pentagon", {{0, 0}, {2, 0}, {2, 1}, {1, 1.2}, {0, 1}}, false, {1, 2, 1, 1}},
        // Four curves, two of them joined smoothly: as a surface of
        // revolution it still needs four edges.
        {"four sides wanted", {{0, 0}, {1, 0}, {2, 0.01}, {1, 1}}, true, {1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        const std::vector<ModelCurve> curves = polygon(c.points);
        const std::vector<Chain> edges = korvex::cad::edges_at_corners(loop_of(curves.size()), curves, c.want_four);
        std::vector<std::size_t> got = sizes(edges);
        // Compare up to the rotation of the loop.
        bool same = false;
        for (std::size_t r = 0; r < got.size() && !same; ++r) {
            std::rotate(got.begin(), got.begin() + 1, got.end());
            same = got == c.expected;
        }
        EXPECT_TRUE(same) << c.what;
        std::size_t total = 0;
        for (std::size_t s : got) total += s;
        EXPECT_EQ(total, curves.size()) << c.what << ": every curve on one edge";
    }
}

}  // namespace
