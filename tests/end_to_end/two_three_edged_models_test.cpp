// Two- and three-edged subregions meshed through the library's entry point:
// sphere octants and caps, curved triangles and two-edged subregions whose
// curves are cut. Every result must be one valid mesh on its surface, with
// nodes named after the user's curves and points only.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "end_to_end/meshed_model.h"

namespace korvex::test {
namespace {

// No node or element of the result carries a generated name (a marker
// character in the second position).
void expect_user_names_only(const Meshed& r) {
    for (const auto& node : r.m3d.nodes)
        EXPECT_TRUE(node.name.size() < 2 || std::string("@!$*~^").find(node.name[1]) == std::string::npos)
            << node.number << " " << node.name;
    for (const auto& e : r.m3d.elements) EXPECT_TRUE(e.name.size() < 2 || e.name[1] != '!') << e.name;
}

TEST(TwoThreeEdgedModels, SphereOctantAsAThreeEdgedSphere) {
    const Meshed r = mesh_test_model("tri_sphere_octant.sur");
    CurvedMeshCheck check;
    check.surface = sphere_surface({0, 0, 0}, 10);
    check.max_distance = 1e-8;  // 1e-9 of the radius
    expect_valid_curved_mesh(r, check);
    EXPECT_TRUE(r.log.find("Meshing triangular.\n") != std::string::npos);
    EXPECT_GT(r.m3d.elements.size(), 30u);
    expect_user_names_only(r);
    EXPECT_EQ(r.m3d.count_named("P1") + r.m3d.count_named("P2") + r.m3d.count_named("P3"), 3);
    // The arcs' given middle points fall on nodes (10 steps each): named after them.
    for (const char* mid : {"PA", "PB", "PC"}) EXPECT_EQ(r.m3d.count_named(mid), 1) << mid;

    const Meshed again = mesh_test_model("tri_sphere_octant.sur");
    EXPECT_EQ(again.m3d_bytes, r.m3d_bytes);
}

TEST(TwoThreeEdgedModels, SphericalCapOfTwoArcsIsSplitIntoTwoTriangles) {
    const Meshed r = mesh_test_model("tri_sphere_cap.sur");
    CurvedMeshCheck check;
    check.surface = sphere_surface({0, 0, 0}, 10);
    check.max_distance = 1e-8;
    expect_valid_curved_mesh(r, check);
    int triangles = 0;
    for (const auto& m : r.messages) triangles += m == "Meshing triangular.\n";
    EXPECT_EQ(triangles, 2);
    EXPECT_EQ(r.m3d.count_named("P1") + r.m3d.count_named("P2") + r.m3d.count_named("P3") + r.m3d.count_named("P4"), 4);
    // Both halves carry the user's subregion name; the dividing arc's nodes too.
    for (const auto& e : r.m3d.elements) EXPECT_EQ(e.name, "RCAP");
    EXPECT_GT(r.m3d.count_named("RCAP"), 0);
    expect_user_names_only(r);
    // The split runs through the pole.
    int at_pole = 0;
    for (const auto& n : r.m3d.nodes) at_pole += std::hypot(n.x, n.y) < 1e-9 && std::fabs(n.z - 10) < 1e-9;
    EXPECT_EQ(at_pole, 1);
}

TEST(TwoThreeEdgedModels, HemisphereInTwoEdgesIsRefused) {
    const Meshed r = mesh_test_model("tri_hemisphere.sur");
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(messages_in_order(r.messages, {" SPHERE subregion R1 input data error:\n   it is too 'opened'. \n",
                                                " Unsuccessful return from transform_2edged_SPHEREs()\n"}))
        << r.log;
}

TEST(TwoThreeEdgedModels, TwoEdgedSubregionOfTwoCurvesHasBothCut) {
    const Meshed r = mesh_test_model("two_edged_lens.sur");
    expect_valid_plane_mesh(r, {0, 0, -1}, 0);
    expect_user_names_only(r);
    EXPECT_GT(r.m3d.count_named("Q1"), 5);
    EXPECT_GT(r.m3d.count_named("C1"), 5);
    EXPECT_EQ(r.m3d.count_named("P4"), 1);  // the arc's middle is its cut point
}

TEST(TwoThreeEdgedModels, UntypedCurvedTriangleGoesToTheTriangularMesher) {
    const Meshed r = mesh_test_model("tri_untyped_curved.sur");
    CurvedMeshCheck check;
    check.surface = height_surface([](double x, double y) { return 0.02 * (x * x + y * y); });
    check.max_distance = 0.05;  // edges are smooth curves through points of the surface
    check.min_scaled_jacobian = 0.2;
    expect_valid_curved_mesh(r, check);
    EXPECT_TRUE(r.log.find(" Subregion type: TRIANGULAR.\n") != std::string::npos) << r.log;
    EXPECT_TRUE(r.log.find("** new ** Curved TRIANGULAR patch: processing begins.") != std::string::npos);
    expect_user_names_only(r);
}

// Subregions made four-edged by the conversion go to the transfinite mesher.
TEST(TwoThreeEdgedModels, ConvertedToFourEdgesAndMeshedByTheTransfiniteMesher) {
    struct Case {
        const char* model;
        SurfaceDistance surface;
        const char* curve;  // a curve and the number of nodes named after it
        int nodes;
    };
    const Case cases[] = {
        // Longest side (11.7) cut into two halves of 6 steps: 11 nodes inside it.
        {"tri_bilinear_triangle.sur", plane_surface({0, 0, 0}, {0, 0, 1}), "QL2", 11},
        // Divided at the right angle at P2; QL4 + QL5 stay one edge.
        {"tri_bilinear_five_curves.sur", plane_surface({0, 0, 0}, {0, 0, 1}), "QL4", 13},
        // Every curve an edge: the bilinear saddle through the four corners.
        {"two_edged_saddle.sur", height_surface([](double x, double y) { return 0.3 * (x + y) - 0.06 * x * y; }), "QL1", 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        const Meshed r = mesh_test_model(c.model);
        CurvedMeshCheck check;
        check.surface = c.surface;
        expect_valid_curved_mesh(r, check);
        EXPECT_TRUE(r.log.find(" Entering meshPatch()\n") != std::string::npos);
        EXPECT_EQ(r.m3d.count_named(c.curve), c.nodes);
        expect_user_names_only(r);
    }
}

// A quarter cylinder shell with a spherical octant cap on its top arc and a
// conical skirt on its bottom arc: three meshers, one conforming mesh.
TEST(TwoThreeEdgedModels, TankOfCylinderCapAndSkirt) {
    const Meshed r = mesh_test_model("tank_mixed.sur");
    CurvedMeshCheck check;
    check.surface_of["RSHELL"] = cylinder_surface({0, 0, 0}, {0, 0, 1}, 10);
    check.surface_of["RCAP"] = sphere_surface({0, 0, 10}, 10);
    check.surface_of["RSKIRT"] = revolution_surface({0, 0, 0}, {0, 0, 1}, [](double h) { return 10 - h; });
    check.max_distance = 1e-8;
    expect_valid_curved_mesh(r, check);
    expect_user_names_only(r);
    for (const char* shared : {"CT", "CB"}) EXPECT_GT(r.m3d.count_named(shared), 5) << shared;
    int per_part[3] = {0, 0, 0};
    for (const auto& e : r.m3d.elements) per_part[e.name == "RSHELL" ? 0 : e.name == "RCAP" ? 1 : 2]++;
    for (const int n : per_part) EXPECT_GT(n, 20);
}

}  // namespace
}  // namespace korvex::test
