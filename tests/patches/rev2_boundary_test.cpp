// The (u, v) boundary of a REV2 patch and the resampled edges of a
// transfinite patch, on models taken through the real front stages.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "patches/revolution/rev_patch.h"
#include "patches/transfinite/transfinite_patch.h"
#include "support/message_capture.h"
#include "support/plane_model.h"

namespace korvex::test {
namespace {

constexpr double kPi = 3.14159265358979323846;

std::string test_model(const char* name) { return read_file(std::filesystem::path(KORVEX_TEST_MODELS) / name); }

TEST(Rev2Boundary, AConeQuarterUnrollsByArcLengthAndSlantLength) {
    const MessageCapture quiet;
    korvex::Run run;
    ASSERT_EQ(prepare_model(run, test_model("curved_rev2_cone.sur")), 1);
    RevEdges e;
    ASSERT_EQ(rev_entry_checks(run, run.patches[1], RevKind::Rev2, e), 1);
    ASSERT_EQ(verify_and_preprocess_REV_patch(run, run.patches[1], RevKind::Rev2, e), 1);
    Rev2Frame f;
    Rev2Tables t;
    ASSERT_EQ(parameterize_REV2_boundary(run, run.patches[1], e, f, t), 1);
    const double slant = std::sqrt(20.0);  // from radius 5 at z = 0 to radius 3 at z = 4
    // Bottom: a quarter of radius 5 centred on u = 0.
    EXPECT_NEAR(t.bottom.front().u, -5 * kPi / 4, 1e-12);
    EXPECT_NEAR(t.bottom.back().u, 5 * kPi / 4, 1e-12);
    for (const Rev2Record& r : t.bottom) EXPECT_EQ(r.v, 0.0);
    // Right meridian: v grows by the slant length, u = r(v) times a quarter turn / 2.
    for (const Rev2Record& r : t.right) {
        const double radius = 5 - 2 * r.v / slant;
        EXPECT_NEAR(r.u, radius * kPi / 4, 1e-7);  // angles summed step by step
    }
    EXPECT_NEAR(t.right.back().v, slant, 1e-9);
    // Top: the quarter of radius 3 walked backwards at the height of the right end.
    EXPECT_NEAR(t.top.back().u, -3 * kPi / 4, 1e-7);
    for (const Rev2Record& r : t.top) EXPECT_EQ(r.v, t.right.back().v);
    // Left meridian: walked down, it closes on the bottom's first node.
    EXPECT_NEAR(t.left.back().v, 0.0, 1e-9);
    EXPECT_NEAR(t.left.back().u, -5 * kPi / 4, 1e-7);
    EXPECT_NEAR(norm(f.n - Vec3{0, 0, 1}), 0.0, 1e-12);
}

TEST(GeneratePointsOnEdge, KeepsTheEdgeNodesAndFillsTheMergedParameters) {
    const MessageCapture quiet;
    korvex::Run run;
    ASSERT_EQ(prepare_model(run, test_model("curved_rev_three_strips.sur")), 1);
    const Subregion& patch = run.patches[1];
    // Edge 2 (three straight curves) at its own node parameters and halfway between them.
    std::vector<double> arc;
    edge_parameters(run, patch, 2, arc);
    std::vector<double> t(1, 0.0);
    for (std::size_t i = 1; i + 1 < arc.size(); ++i) {
        t.push_back(arc[i]);
        t.push_back((arc[i] + arc[i + 1]) / 2);
    }
    t.push_back(1.0);
    const int N = static_cast<int>(t.size()) - 1;
    std::vector<Vec3> out;
    ASSERT_EQ(generatePointsOnEdge(run, patch, 2, N, t, out), 1);
    EdgeNodes edge;
    collect_edge_nodes(run, patch, 2, edge);
    ASSERT_EQ(edge.count(), static_cast<int>(arc.size()) - 1);
    for (int i = 1; i <= edge.count(); ++i) {
        const Vec3 node = run.new_points[edge.nodes[static_cast<std::size_t>(i)]].pos();
        EXPECT_EQ(distance(out[static_cast<std::size_t>(2 * i - 1)], node), 0.0) << i;
    }
    // The points between lie on the straight pieces of the meridian (x = 0).
    for (int j = 1; j <= N; ++j) EXPECT_NEAR(out[static_cast<std::size_t>(j)].x, 0.0, 1e-12) << j;
}

}  // namespace
}  // namespace korvex::test
