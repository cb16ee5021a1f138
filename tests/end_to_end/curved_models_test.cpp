// Curved four-edged patches and surfaces of revolution meshed through the
// library's entry point: every result is a valid quadrilateral mesh whose
// nodes lie on the analytic surface of the model, and the failures stop
// with their messages.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <string>

#include "end_to_end/meshed_model.h"

namespace korvex::test {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The shared curved checks, and no generated '~' name left in the result.
CurvedMeshReport expect_valid_curved_result(const Meshed& r, const CurvedMeshCheck& check) {
    const CurvedMeshReport report = expect_valid_curved_mesh(r, check);
    for (const auto& node : r.m3d.nodes) EXPECT_EQ(node.name.find('~'), std::string::npos) << node.name;
    for (const auto& e : r.m3d.elements) EXPECT_EQ(e.name.find('~'), std::string::npos) << e.name;
    return report;
}

CurvedMeshCheck on(SurfaceDistance surface, double max_distance) {
    CurvedMeshCheck c;
    c.surface = std::move(surface);
    c.max_distance = max_distance;
    return c;
}

// Elements using the node of the given name (which must exist once).
int elements_at(const Meshed& r, const std::string& name) {
    int id = 0;
    for (const auto& n : r.m3d.nodes)
        if (n.name == name) id = n.number;
    EXPECT_NE(id, 0) << name;
    int count = 0;
    for (const auto& e : r.m3d.elements)
        for (int c : e.nodes) count += c == id;
    return count;
}

TEST(CurvedModels, TransfinitePatchesLieOnTheirSurfaces) {
    struct Case {
        const char* model;
        SurfaceDistance surface;
        double bound;  // linear interpolation over the grid cells, or exact surfaces
    };
    const Case cases[] = {
        // z = xy/20: |f_xy| h^2 / 4 with grid steps of 1.
        {"curved_bilinear_saddle.sur", height_surface([](double x, double y) { return x * y / 20; }), 1.0 / 80},
        // Great-circle edges, interior nodes pushed onto the sphere.
        {"curved_sphere_patch.sur", sphere_surface({0, 0, 0}, 10), 1e-8},
        // Arcs and lines: chord error h^2 / (8 R) with steps of 1.
        {"curved_cylinder_untyped.sur", cylinder_surface({0, 0, 0}, {0, 0, 1}, 5), 1.0 / 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        const Meshed r = mesh_test_model(c.model);
        expect_valid_curved_result(r, on(c.surface, c.bound));
        EXPECT_NE(r.log.find(" Entering meshPatch()\n"), std::string::npos);
        for (const char* corner : {"P1", "P2", "P3", "P4"}) EXPECT_EQ(elements_at(r, corner), 1) << corner;
    }
}

TEST(CurvedModels, OnlyCornersWiderThan165DegreesAreCut) {
    // A warped panel whose first corner opens to the given angle in 3D.
    const auto panel = [](double degrees) {
        const double a = degrees * kPi / 180;
        SurModel m;
        m.title = "Warped panel";
        m.head = "STEP CONSTANT\n";
        m.points = "P1 0 0 0\nP2 10 0 0\nP3 10 10 2\nP4 " + num(10 * std::cos(a)) + " " + num(10 * std::sin(a)) + " 0\n";
        m.curves = "QL1 P1 P2 STEP 1\nQL2 P2 P3 STEP 1\nQL3 P3 P4 STEP 1\nQL4 P4 P1 STEP 1\n";
        m.subregions = "R1 BILINEAR EDGE QL1 EDGE QL2 EDGE QL3 EDGE QL4 REF 0.2\n";
        return m.text();
    };
    for (const auto& [angle, elements_at_corner] : {std::pair{160.0, 1}, std::pair{170.0, 2}}) {
        SCOPED_TRACE(angle);
        const ModelFile file(panel(angle));
        const Meshed r = mesh_model(file.path());
        expect_valid_curved_result(r, CurvedMeshCheck{});
        // A cut corner is put back by a fan of six elements, two of them at the corner itself.
        EXPECT_EQ(elements_at(r, "P1"), elements_at_corner);
        for (const char* corner : {"P2", "P3", "P4"}) EXPECT_EQ(elements_at(r, corner), 1) << corner;
        for (const auto& n : r.m3d.nodes) {
            if (n.name == "P1") {
                EXPECT_EQ(std::hypot(n.x, n.y) + std::fabs(n.z), 0.0);
            }
        }
    }
}

TEST(CurvedModels, ACurvedPatchAndAPlaneNeighbourShareTheirCurve) {
    const Meshed r = mesh_test_model("curved_saddle_beside_plate.sur");
    CurvedMeshCheck check;
    check.surface_of["R1"] = height_surface([](double x, double y) { return x * y / 20; });
    check.surface_of["R2"] = plane_surface({0, 0, 0}, {0, 0, 1});
    check.max_distance = 1.0 / 80;
    expect_valid_curved_result(r, check);
    EXPECT_EQ(r.m3d.count_named("QL1"), 9);  // ten steps: nine shared inner nodes, once each
}

TEST(CurvedModels, TheDomePanelExampleMeetsItsFlangeNodeForNode) {
    const Meshed r = mesh_model(std::filesystem::path(KORVEX_SOURCE_DIR) / "examples" / "dome_panel.sur");
    CurvedMeshCheck check;
    check.surface_of["RDOME"] = sphere_surface({0, 0, 0}, 100);
    check.surface_of["RFLANGE"] = plane_surface({0, 0, 0}, {0, std::sqrt(0.5), std::sqrt(0.5)});
    check.max_distance = 1e-9;
    expect_valid_curved_result(r, check);
    EXPECT_GT(r.m3d.count_named("CLOW"), 10);
}

TEST(CurvedModels, RepeatedRunsGiveTheSameResultFile) {
    const Meshed a = mesh_test_model("curved_sphere_patch.sur");
    const Meshed b = mesh_test_model("curved_sphere_patch.sur");
    ASSERT_EQ(a.rc, 0);
    EXPECT_EQ(a.m3d_bytes, b.m3d_bytes);
}

TEST(CurvedModels, AFlatBilinearPatchAlongTheYzPlaneIsRefusedButMeshesAsPlane) {
    const Meshed bilinear = mesh_test_model("curved_bilinear_yz_plane.sur");
    EXPECT_EQ(bilinear.rc, 1);
    EXPECT_TRUE(messages_in_order(
        bilinear.messages,
        {"In mapXYZ_on_UV() : the unit vector is parallel(or almost) to the OX axis:\n",
         "The most likely reason: a plane surface or\n its component is declared as a BILINEAR patch\n parallel to the YOZ coordinate plane.\n",
         "The problem can be resolved by describing the same\n surface (patch) as a PLANE-type subregion.\n",
         "Unsuccessful completion of mapXYZ_on_UV()    (1)\n",
         " Unsuccessful return from testPointProjectionOnCell().\n",
         "Cannot calculate (u,v) coordinates of curve points for patch 1\n"}));
    const Meshed plane = mesh_test_model("curved_plane_yz_plane.sur");
    expect_valid_curved_result(plane, on(plane_surface({2, 0, 0}, {1, 0, 0}), 1e-12));
}

// Radius of a piecewise-linear meridian through (height, radius) pairs.
std::function<double(double)> piecewise_profile(std::vector<std::array<double, 2>> knots) {
    return [knots](double h) {
        for (std::size_t i = 0; i + 1 < knots.size(); ++i)
            if (h <= knots[i + 1][0] || i + 2 == knots.size())
                return knots[i][1] + (knots[i + 1][1] - knots[i][1]) * (h - knots[i][0]) / (knots[i + 1][0] - knots[i][0]);
        return knots.back()[1];
    };
}

TEST(RevModels, NodesLieOnTheSurfaceOfRevolution) {
    struct Case {
        const char* model;
        std::vector<std::array<double, 2>> meridian;  // (height, radius) about the z axis
    };
    const Case cases[] = {
        {"curved_rev_cone.sur", {{0, 5}, {4, 3}}},
        {"curved_rev_cone_cycled.sur", {{0, 5}, {4, 3}}},  // arcs listed as edges 2 and 4
        {"curved_rev_three_strips.sur", {{0, 5}, {3, 4}, {6, 4.5}, {9, 3}}},
        {"curved_rev2_cone.sur", {{0, 5}, {4, 3}}},
    };
    std::map<std::string, CurvedMeshReport> reports;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        const Meshed r = mesh_test_model(c.model);
        reports[c.model] = expect_valid_curved_result(
            r, on(revolution_surface({0, 0, 0}, {0, 0, 1}, piecewise_profile(c.meridian)), 1e-9));
        for (const auto& e : r.m3d.elements) EXPECT_EQ(e.name, "R1");
    }
    // Cycling the edges changes nothing but the order the mesher saw them in.
    EXPECT_NEAR(reports["curved_rev_cone.sur"].min_scaled_jacobian,
                reports["curved_rev_cone_cycled.sur"].min_scaled_jacobian, 0.05);
}

TEST(RevModels, ASphereZoneWithSmoothMeridiansLiesOnItsSphere) {
    // The meridians are smooth curves through points of the sphere, and the
    // interior nodes are rotated chord points of the right one: h^2 / (8 R).
    const Meshed r = mesh_test_model("curved_rev2_sphere_zone.sur");
    expect_valid_curved_result(r, on(sphere_surface({0, 0, 0}, 10), 0.8 * 0.8 / 80 + 2e-3));
    EXPECT_NE(r.log.find(" ... boundary parameterization complete.\n"), std::string::npos);
}

TEST(RevModels, AVaseOfThreeStripsIsJoinedAlongTwoNewArcs) {
    const Meshed r = mesh_test_model("curved_rev_three_strips.sur");
    ASSERT_EQ(r.rc, 0) << r.log;
    for (const char* strip : {"R~1", "R~2", "R~3"})
        EXPECT_NE(r.log.find(std::string("(patch name ") + strip + ")"), std::string::npos) << strip;
    // The junction arcs are circles about the axis at heights 3 and 6.
    int on_junctions = 0;
    for (const auto& n : r.m3d.nodes) {
        if (std::fabs(n.z - 3) < 1e-12) on_junctions += std::fabs(std::hypot(n.x, n.y) - 4) < 1e-12;
        if (std::fabs(n.z - 6) < 1e-12) on_junctions += std::fabs(std::hypot(n.x, n.y) - 4.5) < 1e-12;
    }
    EXPECT_GE(on_junctions, 2 * 5);
}

TEST(RevModels, InconsistentEdgesAreRefusedBeforeMeshing) {
    struct Case {
        const char* model;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"curved_rev_uneven_sides.sur",
         {" Input data error for REV subregion R1:\n  the 'left' and the 'right' edges \n  consist of different numbers of curves:\n  3 and 2 correspondingly.\n",
          "Unsuccessful return from verify_and_preprocess_REV_patch()\n"}},
        {"curved_rev_arc_with_line.sur",
         {" Input data error in process_REV_patch():\n   subregion R1 must have either pair 1-3 or 2-4\n  consisting of 'C'-type curves (ie. arcs) only.\n"}},
        {"curved_rev2_unequal_meridians.sur",
         {" Unsuccessful parameterization of REV2 patch R1:\n",
          "\n (Possible reason: the 'right' and 'left' edges\n  don't define one and the same surface of revolution.)\n",
          "Consider using smaller step size when defining initial\n data points, as well as smaller STEP parameter in \n the CURVES section.\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        const Meshed r = mesh_test_model(c.model);
        EXPECT_EQ(r.rc, 1);
        EXPECT_TRUE(messages_in_order(r.messages, c.messages));
        EXPECT_EQ(r.log.find(" Entering meshPatch()"), std::string::npos);
    }
}

}  // namespace
}  // namespace korvex::test
