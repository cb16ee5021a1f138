// The plane mesher's steps on small models: the (u, v) frame with its
// internal points, the mapping back into 3D, and the failures that must
// stop a subregion before the generator is called.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "assembly/global_merge.h"
#include "patches/meshers.h"
#include "patches/plane/plane_mesher.h"
#include "planar/plane_recognition.h"
#include "planar/plane_uv.h"
#include "support/message_capture.h"
#include "support/plane_model.h"

namespace korvex::test {
namespace {

// The 10 x 10 square (16 boundary nodes) with internal points inside, outside,
// on the boundary and off the plane, or the given one.
std::string plate_with_internal_points(const std::string& points = "PINTA 5.2 4.9 0\nPINTB 20 20 0\n"
                                                                   "PINTC 5 10 0\nPINTD 5 5 7\n") {
    SurModel m = rectangle_sur(10, 10, 2.5);
    m.points += points;
    return m.text();
}

struct PlaneModel {
    korvex::Run run;
    PlaneCoeffs plane;
    int planar = 0;

    explicit PlaneModel(const std::string& text) {
        EXPECT_EQ(prepare_model(run, text), 1);
        EXPECT_EQ(recognize_plane_patch(run, 1, plane, planar), 1);
        EXPECT_EQ(planar, 1);
    }
    Vec3 normal() const { return {plane.a, plane.b, plane.c}; }
};

TEST(ParameterizePlanePatch, KeepsBoundaryDistancesAndTakesInternalPointsByPrefix) {
    MessageCapture messages;
    PlaneModel m(plate_with_internal_points());
    const Subregion& s = m.run.patches[1];
    PlaneUV uv;
    ASSERT_EQ(parameterize_plane_patch(m.run, s, m.normal(), uv), 1);
    // Internal points are named "PINT..." by the user and taken by that
    // prefix: only PINTA (PINTB outside, PINTC on the boundary, PINTD off the plane).
    ASSERT_EQ(uv.nPINT, 1);
    const PointUV& p = uv[uv.num_points + 1];
    EXPECT_EQ(p.name, "PINT");
    EXPECT_EQ(m.run.new_points[p.index_global_of_PINT].name, "PINTA");
    // The frame starts at the first boundary node.
    EXPECT_EQ(uv[1].u, 0.0);
    EXPECT_EQ(uv[1].v, 0.0);
    const ControlPoint& origin = m.run.new_points[s.points_id[1]];
    EXPECT_NEAR(std::hypot(p.u, p.v), std::hypot(5.2 - origin.x, 4.9 - origin.y), 1e-9);
    for (int i = 1; i <= s.num_points; ++i) {
        const int j = i == s.num_points ? 1 : i + 1;
        const double d3 = distance(m.run.new_points[s.points_id[i]].pos(), m.run.new_points[s.points_id[j]].pos());
        EXPECT_NEAR(std::hypot(uv[i].u - uv[j].u, uv[i].v - uv[j].v), d3, 1e-9);
    }
}

// The mesh of the generator replaced by the boundary records themselves: the
// mapping must put every one back onto its 3D node, in a tilted plane and in
// a plane through the origin (where the frame is shifted first).
TEST(RotateUvMeshTo3D, PutsTheBoundaryBackOntoItsNodes) {
    const char* corners[] = {"P1 1 2 3\nP2 9 4 5\nP3 7 11 9\nP4 -1 9 7\n", "P1 0 0 0\nP2 4 0 4\nP3 4 5 4\nP4 0 5 0\n"};
    for (const char* points : corners) {
        SCOPED_TRACE(points);
        SurModel text = rectangle_sur(1, 1, 2);
        text.points = points;
        MessageCapture messages;
        PlaneModel m(text.text());
        const Subregion& s = m.run.patches[1];
        PlaneUV uv;
        ASSERT_EQ(parameterize_plane_patch(m.run, s, m.normal(), uv), 1);
        PatchMesh mesh;
        mesh.num_nodes = s.num_points;
        mesh.gen_nodes = Array1<GenNode>(static_cast<std::size_t>(s.num_points));
        mesh.nodes = Array1<Node3D>(static_cast<std::size_t>(s.num_points));
        for (int i = 1; i <= s.num_points; ++i) {
            mesh.gen_nodes[i].x = uv[i].u;
            mesh.gen_nodes[i].y = uv[i].v;
            mesh.gen_nodes[i].name = uv[i].name;
        }
        rotate_uv_mesh_to_3D(m.run, s, uv, m.plane, mesh);
        for (int i = 1; i <= s.num_points; ++i) {
            EXPECT_NEAR(distance(mesh.nodes[i].pos(), m.run.new_points[s.points_id[i]].pos()), 0.0, 1e-9) << i;
            EXPECT_EQ(mesh.nodes[i].id, i);
            EXPECT_EQ(mesh.gen_nodes[i].x, uv[i].u);  // the 2D mesh is left as it was
        }
    }
}

TEST(ProcessPlanePatch, AnOddBoundaryNodeCountFailsBeforeTheGenerator) {
    MessageCapture messages;
    PlaneModel m(plate_with_internal_points());
    // Drop the last boundary node: the boundary stays a closed, counter-clockwise loop.
    --m.run.patches[1].num_points;
    messages.clear();
    PatchMesh mesh;
    EXPECT_EQ(process_plane_patch(m.run, 1, m.plane, mesh), 0);
    EXPECT_TRUE(messages.has(" Error in process_plane_patch(): \n  total number of boundary points is an odd value: 15\n"));
    EXPECT_FALSE(messages.contains("2D (TRELMO) generation begins"));
    EXPECT_EQ(mesh.num_nodes, 0);
}

// An internal point too close to the boundary is ignored with a warning (the
// placement of one inside is checked on whole models).
TEST(ProcessPlanePatch, AnInternalPointTooCloseToTheBoundaryIsIgnored) {
    MessageCapture messages;
    PlaneModel m(plate_with_internal_points("PINTE 5.01 0.1 0\n"));
    PatchMesh mesh;
    ASSERT_EQ(process_plane_patch(m.run, 1, m.plane, mesh), 1) << messages.text();
    ASSERT_EQ(add_to_global_plane(m.run, m.run.patches[1], mesh), 1) << messages.text();
    EXPECT_TRUE(messages.contains("Warning: point PINTE is located too close to the subregion's R1 boundary\n"));
    // The mesher leaves the model's point as read: it never writes shared records.
    int state = -1;
    for (int i = 1; i <= m.run.num_new_points; ++i)
        if (m.run.new_points[i].name == "PINTE") state = m.run.new_points[i].PINT;
    EXPECT_EQ(state, 1);
    EXPECT_GT(m.run.num_elements, 4);
    for (int i = 1; i <= m.run.num_nodes; ++i) {
        EXPECT_NE(m.run.nodes3D[i].name, "PINT");
        EXPECT_NE(m.run.nodes3D[i].name[1], '$') << m.run.nodes3D[i].name.c_str();  // curve nodes carry the curve's name
    }
}

}  // namespace
}  // namespace korvex::test
