// The steps the curved meshers share on a finished patch mesh: which
// boundary nodes get their exact (u, v) back under each rule, names handed
// to the 3D nodes, and interior nodes onto a sphere.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "patches/common/boundary_generator_input.h"
#include "patches/common/patch_mesh.h"
#include "support/message_capture.h"

namespace korvex::test {
namespace {

// Boundary records P1 (0, 0) and P2 (4, 0).
PlaneUV two_records() {
    PlaneUV uv;
    uv.records.resize(3);
    uv.num_points = 2;
    uv[1].name = "P1";
    uv[2].u = 4;
    uv[2].name = "P2";
    uv[0] = uv[2];
    return uv;
}

struct Node {
    const char* name;
    int kind;
};

PatchMesh mesh_of(const std::vector<Node>& nodes) {
    PatchMesh m;
    for (const Node& n : nodes) {
        m.gen_nodes.ensure(++m.num_nodes);
        m.gen_nodes[m.num_nodes].name = n.name;
        m.gen_nodes[m.num_nodes].kind = n.kind;
        m.gen_nodes[m.num_nodes].x = m.gen_nodes[m.num_nodes].y = 9;
    }
    return m;
}

TEST(CurvedBoundaryNodes, EachRuleRestoresItsNodesAndRefusesMissingNames) {
    struct Case {
        const char* what;
        CurvedBoundaryNodes rule;
        std::vector<Node> nodes;
        int result;
        std::vector<std::string> names_after;
        std::vector<double> u_after;
    };
    const std::vector<Case> cases = {
        {"entity renamed to its middle node", CurvedBoundaryNodes::EntitiesAndPoints,
         {{"L2", NODE_KIND_ENTITY}, {"R1", NODE_KIND_INTERIOR}}, 1, {"P2", "R1"}, {4, 9}},
        {"lenient: a point without a record stays", CurvedBoundaryNodes::EntitiesAndPoints,
         {{"Q7", NODE_KIND_POINT}, {"P1", NODE_KIND_POINT}}, 1, {"Q7", "P1"}, {9, 0}},
        {"lenient: an entity without a record fails", CurvedBoundaryNodes::EntitiesAndPoints,
         {{"L9", NODE_KIND_ENTITY}}, 0, {"P9"}, {9}},
        {"strict: a point is renamed and must have a record", CurvedBoundaryNodes::EntitiesAndPointsStrict,
         {{"Q2", NODE_KIND_POINT}}, 1, {"P2"}, {4}},
        {"strict: a point without a record fails", CurvedBoundaryNodes::EntitiesAndPointsStrict,
         {{"Q7", NODE_KIND_POINT}}, 0, {"P7"}, {9}},
        {"entities only: points untouched", CurvedBoundaryNodes::EntitiesOnly,
         {{"Q2", NODE_KIND_POINT}, {"L1", NODE_KIND_ENTITY}}, 1, {"Q2", "P1"}, {9, 0}},
    };
    const PlaneUV uv = two_records();
    const auto by_name = boundary_records_by_name(uv);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MessageCapture messages;
        PatchMesh m = mesh_of(c.nodes);
        EXPECT_EQ(restore_curved_boundary_uv(uv, by_name, c.rule, "missing %i (%s)\n", m), c.result);
        if (c.result == 0) {
            EXPECT_TRUE(messages.contains("missing 1 (P")) << messages.text();
        }
        for (int i = 1; i <= m.num_nodes; ++i) {
            EXPECT_EQ(std::string(m.gen_nodes[i].name.c_str()), c.names_after[static_cast<std::size_t>(i - 1)]);
            EXPECT_EQ(m.gen_nodes[i].x, c.u_after[static_cast<std::size_t>(i - 1)]);
        }
    }
}

TEST(CurvedBoundaryNodes, GeneratorNamesReachThe3DNodes) {
    PatchMesh m = mesh_of({{"QL1", NODE_KIND_ENTITY}, {"R1", NODE_KIND_INTERIOR}});
    m.nodes = Array1<Node3D>(2);
    m.nodes[1].name_saved = "old";
    copy_generator_names(m, false);
    EXPECT_EQ(m.nodes[1].name, "QL1");
    EXPECT_EQ(m.nodes[1].name_saved, "old");
    copy_generator_names(m, true);
    EXPECT_EQ(m.nodes[2].name_saved, "R1");
}

TEST(CurvedBoundaryNodes, OnlyInteriorNodesGoOntoTheSphere) {
    korvex::Run run;
    run.new_points.ensure(1);
    run.new_points[1].set_pos({0, 0, 2});  // radius 2 about the origin
    Subregion s;
    s.points_id[1] = 1;
    PatchMesh m;
    m.num_nodes = 3;
    m.nodes = Array1<Node3D>(3);
    const Vec3 inside{0.3, 0.4, 1.0};
    const char* names[] = {"R1", "C1", "R1"};
    for (int i = 1; i <= 3; ++i) {
        m.nodes[i].name = names[i - 1];
        m.nodes[i].set_pos(i == 3 ? Vec3{} : inside);  // node 3 at the centre stays
    }
    project_interior_onto_sphere(run, s, m);
    EXPECT_NEAR(norm(m.nodes[1].pos()), 2.0, 1e-12);
    EXPECT_NEAR(m.nodes[1].pos().x / m.nodes[1].pos().y, 0.75, 1e-12);  // moved radially
    EXPECT_EQ(m.nodes[2].pos().x, inside.x);
    EXPECT_EQ(norm(m.nodes[3].pos()), 0.0);
}

}  // namespace
}  // namespace korvex::test
