// The plane mesher's steps on small models: the (u, v) frame with its
// internal points, the mapping back into 3D, and the failures that must
// stop a subregion before the generator is called.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "patches/plane_mesher.h"
#include "patches/plane_uv.h"
#include "pipeline/stages.h"
#include "support/plane_model.h"

namespace korvex {
namespace {

using plane_test::Messages;
using plane_test::ModelFile;

const char* kPlateWithInternalPoints =
    "Plate with internal points\nPOINTS\nP1 0 0 0\nP2 10 0 0\nP3 10 10 0\nP4 0 10 0\n"
    "PINTA 5.2 4.9 0\nPINTB 20 20 0\nPINTC 5 10 0\nPINTD 5 5 7\n"
    "CURVES\nQL1 P1 P2 STEP 2.5\nQL2 P2 P3 STEP 2.5\nQL3 P3 P4 STEP 2.5\nQL4 P4 P1 STEP 2.5\n"
    "SUBREGIONS\nR1 PLANE QL1 QL2 QL3 QL4 REF 0.2\nEND\n";

struct PlaneModel {
    Run run;
    PlaneCoeffs plane;
    int planar = 0;

    explicit PlaneModel(const std::string& text, bool prepare_planes = false) {
        ModelFile file(text);
        EXPECT_EQ(plane_test::prepare(run, file.path(), prepare_planes), 1);
        EXPECT_EQ(recognize_plane_patch(run, 1, plane, planar), 1);
        EXPECT_EQ(planar, 1);
    }
    Vec3 normal() const { return {plane.a, plane.b, plane.c}; }
};

TEST(ParameterizePlanePatch, TakesInternalPointsByTheirNamePrefixInsideTheBoundaryOnly) {
    Messages messages;
    PlaneModel m(kPlateWithInternalPoints);
    PlaneUV uv;
    ASSERT_EQ(parameterize_plane_patch(m.run, m.run.patches[1], m.normal(), uv), 1);
    ASSERT_EQ(uv.nPINT, 1);  // PINTB outside, PINTC on the boundary, PINTD off the plane
    const PointUV& p = uv[uv.num_points + 1];
    EXPECT_EQ(p.name, "PINT");
    EXPECT_EQ(m.run.new_points[p.index_global_of_PINT].name, "PINTA");
    // The frame starts at the first boundary node with u along the boundary.
    EXPECT_EQ(uv[1].u, 0.0);
    EXPECT_EQ(uv[1].v, 0.0);
    const ControlPoint& origin = m.run.new_points[m.run.patches[1].points_id[1]];
    EXPECT_NEAR(std::hypot(p.u, p.v), std::hypot(5.2 - origin.x, 4.9 - origin.y), 1e-9);
}

TEST(ParameterizePlanePatch, BoundaryRecordsKeepTheirDistances) {
    Messages messages;
    PlaneModel m(kPlateWithInternalPoints);
    PlaneUV uv;
    ASSERT_EQ(parameterize_plane_patch(m.run, m.run.patches[1], m.normal(), uv), 1);
    const Subregion& s = m.run.patches[1];
    for (int i = 1; i <= s.num_points; ++i) {
        const int j = i == s.num_points ? 1 : i + 1;
        const double d3 = distance(m.run.new_points[s.points_id[i]].pos(), m.run.new_points[s.points_id[j]].pos());
        EXPECT_NEAR(std::hypot(uv[i].u - uv[j].u, uv[i].v - uv[j].v), d3, 1e-9);
    }
}

// The mesh of the generator replaced by the boundary records themselves: the
// mapping must put every one back onto its 3D node, in a tilted plane and in
// a plane through the origin (where the frame is shifted first).
void expect_boundary_maps_back(const std::string& text) {
    Messages messages;
    PlaneModel m(text);
    const Subregion& s = m.run.patches[1];
    PlaneUV uv;
    ASSERT_EQ(parameterize_plane_patch(m.run, s, m.normal(), uv), 1);
    PlanePatchMesh mesh;
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
        const Vec3 expected = m.run.new_points[s.points_id[i]].pos();
        EXPECT_NEAR(distance(mesh.nodes[i].pos(), expected), 0.0, 1e-9) << "node " << i;
        EXPECT_EQ(mesh.nodes[i].id, i);
        EXPECT_EQ(mesh.gen_nodes[i].x, uv[i].u);  // the 2D mesh is left as it was
    }
}

TEST(RotateUvMeshTo3D, PutsTheBoundaryBackInATiltedPlane) {
    expect_boundary_maps_back(
        "Tilted\nPOINTS\nP1 1 2 3\nP2 9 4 5\nP3 7 11 9\nP4 -1 9 7\nCURVES\n"
        "QL1 P1 P2 STEP 2\nQL2 P2 P3 STEP 2\nQL3 P3 P4 STEP 2\nQL4 P4 P1 STEP 2\n"
        "SUBREGIONS\nR1 PLANE QL1 QL2 QL3 QL4 REF 0.2\nEND\n");
}

TEST(RotateUvMeshTo3D, PutsTheBoundaryBackInAPlaneThroughTheOrigin) {
    expect_boundary_maps_back(
        "Through the origin\nPOINTS\nP1 0 0 0\nP2 4 0 4\nP3 4 5 4\nP4 0 5 0\nCURVES\n"
        "QL1 P1 P2 STEP 2\nQL2 P2 P3 STEP 2\nQL3 P3 P4 STEP 2\nQL4 P4 P1 STEP 2\n"
        "SUBREGIONS\nR1 PLANE QL1 QL2 QL3 QL4 REF 0.2\nEND\n");
}

TEST(ProcessPlanePatch, AnOddBoundaryNodeCountFailsBeforeTheGenerator) {
    Messages messages;
    PlaneModel m(kPlateWithInternalPoints);
    Subregion& s = m.run.patches[1];
    // Drop the last boundary node: the boundary stays a closed, counter-clockwise loop.
    --s.num_points;
    messages.clear();
    EXPECT_EQ(process_plane_patch(m.run, 1, m.plane), 0);
    EXPECT_TRUE(messages.contains(" Error in process_plane_patch(): \n  total number of boundary points is an odd value: 15\n"));
    EXPECT_FALSE(messages.contains("2D (TRELMO) generation begins"));
    EXPECT_EQ(m.run.num_nodes, 0);
}

TEST(ProcessPlanePatch, MeshesASquareAndPlacesTheInternalPoint) {
    Messages messages;
    PlaneModel m(kPlateWithInternalPoints);
    ASSERT_EQ(process_plane_patch(m.run, 1, m.plane), 1) << messages.text();
    EXPECT_GT(m.run.num_elements, 4);
    int pint_nodes = 0;
    for (int i = 1; i <= m.run.num_nodes; ++i) {
        const Node3D& n = m.run.nodes3D[i];
        EXPECT_NEAR(n.z, 0.0, 1e-12);
        if (n.name == "PINT") {
            ++pint_nodes;
            EXPECT_NEAR(n.x, 5.2, 1e-9);
            EXPECT_NEAR(n.y, 4.9, 1e-9);
        }
        EXPECT_NE(n.name[1], '$') << n.name.c_str();  // curve nodes carry the curve's name
    }
    EXPECT_EQ(pint_nodes, 1);
}

}  // namespace
}  // namespace korvex

namespace korvex {
namespace {

TEST(ProcessPlanePINTs, APointTooCloseToTheBoundaryIsIgnored) {
    Messages messages;
    PlaneModel m(
        "Plate with a point near its edge\nPOINTS\nP1 0 0 0\nP2 10 0 0\nP3 10 10 0\nP4 0 10 0\nPINTE 5.01 0.1 0\n"
        "CURVES\nQL1 P1 P2 STEP 2.5\nQL2 P2 P3 STEP 2.5\nQL3 P3 P4 STEP 2.5\nQL4 P4 P1 STEP 2.5\n"
        "SUBREGIONS\nR1 PLANE QL1 QL2 QL3 QL4 REF 0.2\nEND\n");
    ASSERT_EQ(process_plane_patch(m.run, 1, m.plane), 1) << messages.text();
    EXPECT_TRUE(messages.contains("Warning: point PINTE is located too close to the subregion's R1 boundary\n"));
    int pint_state = -1;
    for (int i = 1; i <= m.run.num_new_points; ++i)
        if (m.run.new_points[i].name == "PINTE") pint_state = m.run.new_points[i].PINT;
    EXPECT_EQ(pint_state, 3);
    for (int i = 1; i <= m.run.num_nodes; ++i) EXPECT_NE(m.run.nodes3D[i].name, "PINT");
}

}  // namespace
}  // namespace korvex
