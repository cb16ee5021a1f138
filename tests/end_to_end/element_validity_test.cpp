// Plates whose generator output holds an inverted or degenerate element: the
// plane mesher repairs it before merging, and what cannot be repaired is
// reported by the final check while the result is still written.
#include <gtest/gtest.h>

#include <string>

#include "meshed_model.h"

namespace korvex::test {
namespace {

TEST(ElementValidity, SharpCornersAreRepairedBeforeMerging) {
    const struct {
        const char* model;
        const char* repaired;
    } cases[] = {
        {"plane_sharp_corner.sur", " Subregion R1: 1 of 1 inverted or degenerate elements repaired.\n"},
        {"plane_two_plates_sharp_corner.sur", " Subregion R2: 1 of 1 inverted or degenerate elements repaired.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        const Meshed r = mesh_test_model(c.model);
        expect_valid_plane_mesh(r, {0, 0, 1}, 0);
        EXPECT_NE(r.log.find(c.repaired), std::string::npos) << r.log;
    }
}

TEST(ElementValidity, AnElementOfFixedNodesIsReportedAndTheResultStillWritten) {
    // The internal point lands inside the triangle of the corner element's
    // three boundary nodes: no free node can undo that.
    const Meshed r = mesh_test_model("plane_internal_point_near_corner.sur");
    ASSERT_EQ(r.rc, 0) << r.log;
    ASSERT_TRUE(r.m3d.ok()) << r.m3d.error;
    const std::string prefix = " Output data error: element ";
    std::string element;
    int reports = 0;
    for (const auto& message : r.messages) {
        if (message.rfind(prefix, 0) != 0) continue;
        ++reports;
        element = message.substr(prefix.size(), message.find(' ', prefix.size()) - prefix.size());
        EXPECT_EQ(message, prefix + element + " of subregion R1 is inverted or degenerate (scaled Jacobian -0.624694).\n");
    }
    ASSERT_EQ(reports, 1) << r.log;

    // The shared checker finds that element, and only it, at fault.
    std::vector<Point3> nodes;
    for (const auto& node : r.m3d.nodes) nodes.push_back({node.x, node.y, node.z});
    std::vector<Quad> quads;
    for (const auto& e : r.m3d.elements) quads.push_back(e.nodes);
    const auto failures = check_quad_mesh(nodes, quads, {0, 0, 1});
    ASSERT_FALSE(failures.empty());
    for (const auto& f : failures) EXPECT_EQ(f.rfind("element " + element + " ", 0), 0u) << f;
}

}  // namespace
}  // namespace korvex::test
