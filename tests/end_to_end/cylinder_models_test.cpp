// Cylinder models meshed through the library's entry point: every result is
// a valid quadrilateral mesh on the exact cylinder (and on the plane of a
// flange sharing a generator line), and the failures a cylinder can meet
// are reported with their messages.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>

#include "end_to_end/meshed_model.h"

namespace korvex::test {
namespace {

// The shared curved-mesh checks with each group's surface, nodes within
// 1e-9 relative of it and every corner's scaled Jacobian above 0.2.
void expect_on_surfaces(const Meshed& r, const std::map<std::string, SurfaceDistance>& surface_of,
                        double scale) {
    CurvedMeshCheck check;
    check.surface_of = surface_of;
    check.max_distance = 1e-9 * scale;
    check.min_scaled_jacobian = 0.2;
    expect_valid_curved_mesh(r, check);
}

struct CylinderCase {
    const char* model;
    Point3 axis_point, axis_direction;
    double radius;
};

TEST(CylinderModels, MeshLiesOnTheCylinder) {
    const double h = std::sqrt(0.5);
    const CylinderCase cases[] = {
        {"cylinder_quarter_z.sur", {0, 0, 0}, {0, 0, 1}, 10},       // two 90 degree arcs, axis on z
        {"cylinder_half_x.sur", {0, 0, 0}, {1, 0, 0}, 5},           // 180 degree arcs: the wide-arc normal
        {"cylinder_tilted_sector.sur", {0, 0, 0}, {h, h, 0}, 4},    // axis along no coordinate axis
    };
    for (const CylinderCase& c : cases) {
        SCOPED_TRACE(c.model);
        const Meshed r = mesh_test_model(c.model);
        expect_on_surfaces(r, {{"R1", cylinder_surface(c.axis_point, c.axis_direction, c.radius)}}, c.radius);
        EXPECT_NE(r.log.find("CYLIN_PA.C entered (process_cylinder_patch)\n"), std::string::npos);
        EXPECT_NE(r.log.find("\n Parameterization completed with  lower_angle_margin=1\n"), std::string::npos);
        EXPECT_GT(r.m3d.elements.size(), 30u);
        // Boundary nodes keep the curves' names.
        EXPECT_GT(r.m3d.count_named("C1"), 0);
        EXPECT_GT(r.m3d.count_named("QL1"), 0);
    }
}

// The test model and the shipped example (a longer tube, a wider flange).
TEST(CylinderModels, AFlangeOnAGeneratorLineIsOneConformingMesh) {
    const std::filesystem::path models[] = {
        std::filesystem::path(KORVEX_TEST_MODELS) / "cylinder_with_flange.sur",
        std::filesystem::path(KORVEX_SOURCE_DIR) / "examples" / "quarter_tube_flange.sur",
    };
    for (const auto& model : models) {
        SCOPED_TRACE(model.filename().string());
        const Meshed r = mesh_model(model);
        expect_on_surfaces(r,
                           {{"R1", cylinder_surface({0, 0, 0}, {0, 0, 1}, 10)},
                            {"R2", plane_surface({0, 0, 0}, {1, 0, 0})}},
                           10);
        // The shared generator line's nodes are on both subregions' elements.
        std::set<int> on_line, in_r1, in_r2;
        for (const auto& n : r.m3d.nodes)
            if (n.name == "QL1") on_line.insert(n.number);
        for (const auto& e : r.m3d.elements)
            for (const int v : e.nodes) (e.name == "R1" ? in_r1 : in_r2).insert(v);
        EXPECT_GT(on_line.size(), 4u);
        for (const int v : on_line) {
            EXPECT_TRUE(in_r1.count(v) && in_r2.count(v)) << "node " << v;
        }
    }
}

TEST(CylinderModels, AFlatSquareIsNoCylinder) {
    const Meshed r = mesh_test_model("cylinder_flat_square.sur");
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(messages_in_order(r.messages, {
        " lower_angle_margin over limit :  90.00000 \n",
        " Projection tolerance being increased from  1e-09 to 1e-08\n",
        " Parameterization unsuccessful.\n",
        " Check input data of subregion R1:\n   may not be a cylindrical surface.\n",
        "CYLIN_PA.C complete (process_cylinder_patch)\n",
        " Unsuccessful return from the  meshing procedure.\n",
    }));
    EXPECT_TRUE(r.m3d_bytes.empty());
}

// Elements spanning 82.5 degrees of a unit circle are much shorter in 3D than
// unrolled: every margin is tried (the unrolling, and so the mesh, stays the
// same) until the attempts run out.
TEST(CylinderModels, ElementsTooCoarseForTheCurvatureExhaustTheRetries) {
    const Meshed r = mesh_test_model("cylinder_coarse_wide.sur");
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(messages_in_order(r.messages, {
        "\n Parameterization and meshing to be repeated \n   with lower_angle_margin=2\n",
        "  (ireason=2; ",
        "\nParameterization unsuccessful:\n (U,V) nodal coordinates coincide with those\n from the previous iteration.\n",
        "\n Parameterization and meshing to be repeated \n   with lower_angle_margin=80\n",
        " Subregion R1: Parameterization unsuccessful.\n",
        " Possible reason: user-defined step size\n on the boundary of this subregion is too large.\n",
    }));
    EXPECT_NE(r.log.find(" irregularity encountered in element "), std::string::npos);
    EXPECT_TRUE(r.m3d_bytes.empty());
}

TEST(CylinderModels, RepeatedRunsGiveByteIdenticalResults) {
    for (const char* model : {"cylinder_tilted_sector.sur", "cylinder_with_flange.sur"}) {
        const Meshed reference = mesh_test_model(model);
        ASSERT_EQ(reference.rc, 0);
        for (int run = 0; run < 2; ++run) {
            const Meshed again = mesh_test_model(model);
            EXPECT_TRUE(again.m3d_bytes == reference.m3d_bytes) << model;
        }
    }
}

}  // namespace
}  // namespace korvex::test
