// Model tests of the generator: regions in, a valid mesh out.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "trelmo/trelmo.h"
#include "trelmo_fixture.h"

namespace korvex::test {
namespace {

struct PolygonCase {
    const char* name;
    std::vector<std::pair<double, double>> corners;
    std::vector<int> steps;
    double REF;
};

class PolygonRegions : public ::testing::TestWithParam<PolygonCase> {};

TEST_P(PolygonRegions, MeshIsValid) {
    const PolygonCase& c = GetParam();
    Region region;
    region.polygon(c.corners, c.steps, c.REF);
    const TrelmoResult r = region.run();
    ASSERT_EQ(r.ok, 1) << r.messages;
    EXPECT_GT(r.num_elements, 0);
    const auto failures = check_result(r, {region.polygon_chain(r)});
    EXPECT_TRUE(failures.empty()) << join_failures(failures);
}

INSTANTIATE_TEST_SUITE_P(
    Trelmo, PolygonRegions,
    ::testing::Values(
        PolygonCase{"square", {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {4}, 0.0},
        PolygonCase{"square_fine", {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {10}, 0.0},
        PolygonCase{"rectangle_equal", {{0, 0}, {3, 0}, {3, 1}, {0, 1}}, {6, 2, 6, 2}, 0.0},
        PolygonCase{"rectangle_unequal", {{0, 0}, {2, 0}, {2, 1}, {0, 1}}, {8, 4, 4, 4}, 0.0},
        PolygonCase{"thin_1_to_20", {{0, 0}, {20, 0}, {20, 1}, {0, 1}}, {40, 2, 40, 2}, 0.0},
        PolygonCase{"l_shape", {{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}, {6, 4, 2, 4, 2, 6}, 0.0},
        PolygonCase{"u_shape", {{0, 0}, {3, 0}, {3, 2}, {2, 2}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}, {6, 4, 2, 2, 2, 2, 2, 4}, 0.0},
        // Corners of 45 and 63 degrees: the layer covers them with the sharp-corner elements.
        PolygonCase{"sharp_triangle", {{0, 0}, {4, 0}, {1, 3}}, {12, 10, 10}, 0.0},
        PolygonCase{"convex_steps", {{0, 0}, {4, 0}, {5, 2}, {3, 4}, {0, 3}}, {16, 2, 6, 4, 8}, 0.2},
        PolygonCase{"nonconvex_steps", {{0, 0}, {4, 0}, {4, 3}, {2, 1.5}, {0, 3}}, {16, 6, 4, 4, 6}, 0.35}),
    [](const ::testing::TestParamInfo<PolygonCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvex::test

namespace korvex::test {
namespace {

TEST(TrelmoModel, DiscOfTwoHalfArcsStartsInsideAnArc) {
    Region region;
    region.point("P1", 1, 0);
    region.point("P2", -1, 0);
    region.point("PC", 0, 0);
    region.arc("C1", ENTITY_TYPE_ARC_CCW, "P1", "P2", "PC", ARC_KIND_CENTRE, 12);
    region.arc("C2", ENTITY_TYPE_ARC_CCW, "P2", "P1", "PC", ARC_KIND_CENTRE, 12);
    region.subregion("R1", {"C1", "C2"});
    const TrelmoResult r = region.run();
    ASSERT_EQ(r.ok, 1) << r.messages;
    // The centre is no entity end: it makes no node.
    EXPECT_EQ(r.count_kind(NODE_KIND_POINT), 2);
    EXPECT_EQ(r.count_kind(NODE_KIND_ENTITY), 22);
    const auto failures = check_result(r, {region.chain(r, {{"C2", true}, {"C1", true}})});
    EXPECT_TRUE(failures.empty()) << join_failures(failures);
    for (int i = 1; i <= r.num_nodes; ++i) {
        if (r.nodes[i].kind != NODE_KIND_INTERIOR) {
            EXPECT_NEAR(std::hypot(r.nodes[i].x, r.nodes[i].y), 1.0, 1e-12);
        }
    }
}

TEST(TrelmoModel, RegionBoundedByCounterClockwiseAndClockwiseArcs) {
    // A square whose bottom bulges out (CCW arc given by its mid point) and
    // whose top bulges in (CW arc from the right corner to the left).
    Region region;
    region.point("P1", 0, 0);
    region.point("P2", 4, 0);
    region.point("P3", 4, 4);
    region.point("P4", 0, 4);
    region.point("PM", 2, -1);
    region.point("PT", 2, 3);
    region.arc("C1", ENTITY_TYPE_ARC_CCW, "P1", "P2", "PM", ARC_KIND_MID_POINT, 10);
    region.line("L2", "P2", "P3", 8);
    region.arc("C3", ENTITY_TYPE_ARC_CW, "P3", "P4", "PT", ARC_KIND_MID_POINT, 10);
    region.line("L4", "P4", "P1", 8);
    region.subregion("R1", {"L4", "C3", "C1", "L2"});
    const TrelmoResult r = region.run();
    ASSERT_EQ(r.ok, 1) << r.messages;
    const auto failures = check_result(r, {region.chain(r, {{"C1", true}, {"L2", true}, {"C3", true}, {"L4", true}})});
    EXPECT_TRUE(failures.empty()) << join_failures(failures);
}

// Two squares side by side sharing the line L5 (listed backwards by the
// second), then a third one on top of both sharing two more entities.
Region shared_squares(int count) {
    Region region;
    region.point("P1", 0, 0);
    region.point("P2", 2, 0);
    region.point("P3", 4, 0);
    region.point("P4", 4, 2);
    region.point("P5", 2, 2);
    region.point("P6", 0, 2);
    region.line("L1", "P1", "P2", 6);
    region.line("L2", "P2", "P3", 4);
    region.line("L3", "P3", "P4", 6);
    region.line("L4", "P4", "P5", 4);
    region.line("L5", "P2", "P5", 6);
    region.line("L6", "P5", "P6", 6);
    region.line("L7", "P6", "P1", 6);
    region.subregion("R1", {"L1", "L5", "L6", "L7"}, 0.1);
    region.subregion("R2", {"L2", "L3", "L4", "L5"}, 0.1);
    if (count == 3) {
        region.point("P7", 4, 5);
        region.point("P8", 0, 5);
        region.line("L8", "P4", "P7", 6);
        region.line("L9", "P7", "P8", 10);
        region.line("L10", "P8", "P6", 6);
        region.subregion("R3", {"L9", "L4", "L6", "L8", "L10"}, 0.1);
    }
    return region;
}

TEST(TrelmoModel, TwoSubregionsShareTheirCommonEntity) {
    const Region region = shared_squares(2);
    const TrelmoResult r = region.run();
    ASSERT_EQ(r.ok, 1) << r.messages;
    const auto outer = region.chain(r, {{"L1", true}, {"L2", true}, {"L3", true}, {"L4", true}, {"L6", true}, {"L7", true}});
    const auto failures = check_result(r, {outer});
    EXPECT_TRUE(failures.empty()) << join_failures(failures);
    int in1 = 0, in2 = 0;
    for (int e = 1; e <= r.num_elements; ++e) {
        in1 += r.elements[e].name == "R1" && r.elements[e].subregion == 1;
        in2 += r.elements[e].name == "R2" && r.elements[e].subregion == 2;
    }
    EXPECT_GT(in1, 0);
    EXPECT_GT(in2, 0);
    EXPECT_EQ(in1 + in2, r.num_elements);
}

TEST(TrelmoModel, ThreeSubregionsShareEntities) {
    const Region region = shared_squares(3);
    const TrelmoResult r = region.run();
    ASSERT_EQ(r.ok, 1) << r.messages;
    const auto outer = region.chain(r, {{"L1", true}, {"L2", true}, {"L3", true}, {"L8", true}, {"L9", true}, {"L10", true}, {"L7", true}});
    const auto failures = check_result(r, {outer});
    EXPECT_TRUE(failures.empty()) << join_failures(failures);
}

TEST(TrelmoModel, SeveralThousandElements) {
    Region region;
    region.polygon({{0, 0}, {10, 0}, {10, 6}, {6, 6}, {6, 3}, {0, 3}}, {100, 60, 40, 30, 60, 30}, 0.2);
    const TrelmoResult r = region.run();
    ASSERT_EQ(r.ok, 1) << r.messages;
    EXPECT_GT(r.num_elements, 3000);
    EXPECT_TRUE(r.said("In add_elem.c: num_elements=  5000\n") || r.num_elements < 5000);
    const auto failures = check_result(r, {region.polygon_chain(r)});
    EXPECT_TRUE(failures.empty()) << join_failures(failures);
}

TEST(TrelmoModel, SameInputGivesTheSameMesh) {
    Region region;
    region.polygon({{0, 0}, {4, 0}, {4, 3}, {2, 1.5}, {0, 3}}, {16, 6, 4, 4, 6}, 0.35);
    const TrelmoResult a = region.run();
    const TrelmoResult b = region.run();
    ASSERT_EQ(a.ok, 1);
    ASSERT_EQ(a.num_nodes, b.num_nodes);
    ASSERT_EQ(a.num_elements, b.num_elements);
    for (int i = 1; i <= a.num_nodes; ++i) {
        EXPECT_EQ(a.nodes[i].x, b.nodes[i].x);
        EXPECT_EQ(a.nodes[i].y, b.nodes[i].y);
    }
    for (int e = 1; e <= a.num_elements; ++e)
        for (int k = 1; k <= 4; ++k) EXPECT_EQ(a.elements[e].corner(k), b.elements[e].corner(k));
}

}  // namespace
}  // namespace korvex::test

namespace korvex::test {
namespace {

TEST(TrelmoModel, RectangleWithMatchingSidesIsOneStructuredGrid) {
    Region region;
    region.polygon({{0, 0}, {3, 0}, {3, 1}, {0, 1}}, {6, 2, 6, 2});
    const TrelmoResult r = region.run();
    ASSERT_EQ(r.ok, 1) << r.messages;
    EXPECT_EQ(r.num_elements, 12);
    EXPECT_EQ(r.count_kind(NODE_KIND_INTERIOR), 5);
    for (int i = 1; i <= r.num_nodes; ++i) {
        if (r.nodes[i].kind == NODE_KIND_INTERIOR) {
            EXPECT_NEAR(r.nodes[i].y, 0.5, 1e-12);
        }
    }
}

TEST(TrelmoModel, EveryPhaseReportsInOrder) {
    Region region;
    region.polygon({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}, {6, 4, 2, 4, 2, 6});
    const TrelmoResult r = region.run();
    ASSERT_EQ(r.ok, 1) << r.messages;
    const char* order[] = {"\n 2D (TRELMO) generation begins. \n\n", "In reallocate_subregions1(): k2=",
                           " Merging opposite layers: iteration 1.\n", " Processing internal boundary loop: 1  (subregion R1) ...\n",
                           "After bot_pair():\n", " Laplacian refinement starts...\n", " ... Laplacian refinement over.\n"};
    std::size_t at = 0;
    for (const char* text : order) {
        const std::size_t found = r.messages.find(text, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << text << "\n" << r.messages;
        at = found;
    }
    EXPECT_EQ(r.all_singular_repaired, 1);
}

}  // namespace
}  // namespace korvex::test

namespace korvex::test {
namespace {

// Star-shaped polygons of 3 to 10 corners at radii 1 to 3, with 4 to 16
// steps per side and REF up to 0.35, from a fixed pseudo-random sequence.
TEST(TrelmoModel, StarShapedPolygonsAllGiveValidMeshes) {
    std::uint64_t state = 12345;
    auto next = [&state]() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    };
    for (int sample = 1; sample <= 40; ++sample) {
        const int n = 3 + static_cast<int>(next() * 8);
        std::vector<std::pair<double, double>> corners;
        std::vector<int> steps;
        for (int k = 0; k < n; ++k) {
            const double a = 2 * 3.141592653589793 * (k + 0.3 * next()) / n;
            const double r = 1 + 2 * next();
            corners.push_back({r * std::cos(a), r * std::sin(a)});
            steps.push_back(2 * (2 + static_cast<int>(next() * 7)));
        }
        Region region;
        region.polygon(corners, steps, 0.35 * next());
        const TrelmoResult r = region.run();
        ASSERT_EQ(r.ok, 1) << "sample " << sample << "\n" << r.messages;
        const auto failures = check_result(r, {region.polygon_chain(r)});
        EXPECT_TRUE(failures.empty()) << "sample " << sample << "\n" << join_failures(failures);
    }
}

}  // namespace
}  // namespace korvex::test
