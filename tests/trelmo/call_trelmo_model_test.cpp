// Model tests of the generator: regions in, a valid mesh out.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "trelmo/loop_geometry.h"
#include "trelmo_fixture.h"

namespace korvex::test {
namespace {

// Star-shaped polygons of 3 to 10 corners at radii 1 to 3, with 4 to 16
// steps per side and REF up to 0.35, from a fixed pseudo-random sequence.
std::vector<Region> star_shaped_polygons(int count) {
    std::uint64_t state = 12345;
    auto next = [&state]() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    };
    std::vector<Region> regions;
    for (int sample = 1; sample <= count; ++sample) {
        std::vector<std::pair<double, double>> corners;
        std::vector<int> steps;
        const int n = 3 + static_cast<int>(next() * 8);
        for (int k = 0; k < n; ++k) {
            const double a = 2 * kPi * (k + 0.3 * next()) / n;
            const double r = 1 + 2 * next();
            corners.push_back({r * std::cos(a), r * std::sin(a)});
            steps.push_back(2 * (2 + static_cast<int>(next() * 7)));
        }
        regions.push_back(polygon(corners, steps, 0.35 * next()));
    }
    return regions;
}

// A disc closed by two half arcs around the centre PC, which is no entity end.
Region disc() {
    Region region;
    region.points({{"P1", 1, 0}, {"P2", -1, 0}, {"PC", 0, 0}});
    region.arc("C1", ENTITY_TYPE_ARC_CCW, "P1", "P2", "PC", ARC_KIND_CENTRE, 12);
    region.arc("C2", ENTITY_TYPE_ARC_CCW, "P2", "P1", "PC", ARC_KIND_CENTRE, 12);
    region.subregion("R1", {"C1", "C2"});
    return region;
}

// A square whose bottom bulges out (CCW arc given by its mid point) and whose
// top bulges in (CW arc from the right corner to the left), listed out of order.
Region square_with_arcs() {
    Region region;
    region.points({{"P1", 0, 0}, {"P2", 4, 0}, {"P3", 4, 4}, {"P4", 0, 4}, {"PM", 2, -1}, {"PT", 2, 3}});
    region.arc("C1", ENTITY_TYPE_ARC_CCW, "P1", "P2", "PM", ARC_KIND_MID_POINT, 10);
    region.line("L2", "P2", "P3", 8);
    region.arc("C3", ENTITY_TYPE_ARC_CW, "P3", "P4", "PT", ARC_KIND_MID_POINT, 10);
    region.line("L4", "P4", "P1", 8);
    region.subregion("R1", {"L4", "C3", "C1", "L2"});
    return region;
}

// Two squares side by side sharing the line L5 (listed backwards by the
// second), then a third one on top of both sharing two more entities.
Region shared_squares(int count) {
    Region region;
    region.points({{"P1", 0, 0}, {"P2", 2, 0}, {"P3", 4, 0}, {"P4", 4, 2}, {"P5", 2, 2}, {"P6", 0, 2}});
    region.lines({{"L1", "P1", "P2", 6}, {"L2", "P2", "P3", 4}, {"L3", "P3", "P4", 6}, {"L4", "P4", "P5", 4},
                  {"L5", "P2", "P5", 6}, {"L6", "P5", "P6", 6}, {"L7", "P6", "P1", 6}});
    region.subregion("R1", {"L1", "L5", "L6", "L7"}, 0.1);
    region.subregion("R2", {"L2", "L3", "L4", "L5"}, 0.1);
    if (count == 3) {
        region.points({{"P7", 4, 5}, {"P8", 0, 5}});
        region.lines({{"L8", "P4", "P7", 6}, {"L9", "P7", "P8", 10}, {"L10", "P8", "P6", 6}});
        region.subregion("R3", {"L9", "L4", "L6", "L8", "L10"}, 0.1);
    }
    return region;
}

struct ModelCase {
    std::string name;
    Region region;
    std::vector<std::string> boundary = {};   // outer chain, counter-clockwise (empty = L1..Ln)
    void (*extra)(const TrelmoResult&) = nullptr;
};

TEST(TrelmoModel, RegionsGiveValidMeshes) {
    std::vector<std::pair<double, double>> pentagon;
    for (int k = 0; k < 5; ++k) pentagon.push_back({std::cos(-kPi / 2 + k * 2 * kPi / 5), std::sin(-kPi / 2 + k * 2 * kPi / 5)});
    std::vector<ModelCase> cases = {
        {"square", polygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {4})},
        {"square_fine", polygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {10})},
        {"rectangle_equal_is_one_structured_grid", polygon({{0, 0}, {3, 0}, {3, 1}, {0, 1}}, {6, 2, 6, 2}), {},
         [](const TrelmoResult& r) {
             EXPECT_EQ(r.num_elements, 12);
             EXPECT_EQ(r.count_kind(NODE_KIND_INTERIOR), 5);
             for (int i = 1; i <= r.num_nodes; ++i)
                 EXPECT_TRUE(r.nodes[i].kind != NODE_KIND_INTERIOR || std::fabs(r.nodes[i].y - 0.5) < 1e-12) << i;
         }},
        {"rectangle_unequal", polygon({{0, 0}, {2, 0}, {2, 1}, {0, 1}}, {8, 4, 4, 4})},
        {"thin_1_to_20", polygon({{0, 0}, {20, 0}, {20, 1}, {0, 1}}, {40, 2, 40, 2})},
        {"l_shape", polygon({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}, {6, 4, 2, 4, 2, 6})},
        {"u_shape", polygon({{0, 0}, {3, 0}, {3, 2}, {2, 2}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}, {6, 4, 2, 2, 2, 2, 2, 4})},
        // Corners of 45 and 63 degrees: the layer covers them with the sharp-corner elements.
        {"sharp_triangle", polygon({{0, 0}, {4, 0}, {1, 3}}, {12, 10, 10})},
        {"convex_steps", polygon({{0, 0}, {4, 0}, {5, 2}, {3, 4}, {0, 3}}, {16, 2, 6, 4, 8}, 0.2)},
        {"nonconvex_steps", polygon({{0, 0}, {4, 0}, {4, 3}, {2, 1.5}, {0, 3}}, {16, 6, 4, 4, 6}, 0.35)},
        // Corners of 108 degrees only: no node for a boundary layer.
        {"regular_pentagon", polygon(pentagon, {2}), {},
         [](const TrelmoResult& r) {
             EXPECT_TRUE(r.said("Warning! no appropriate nodes found in loop_elm()\n to generate a boundary layer of elements !\n"));
         }},
        {"several_thousand", polygon({{0, 0}, {10, 0}, {10, 6}, {6, 6}, {6, 3}, {0, 3}}, {100, 60, 40, 30, 60, 30}, 0.2), {},
         [](const TrelmoResult& r) {
             EXPECT_GT(r.num_elements, 3000);
             EXPECT_TRUE(r.num_elements < 5000 || r.said("In add_elem.c: num_elements=  5000\n"));
         }},
        {"disc_of_two_half_arcs", disc(), {"C2", "C1"},
         [](const TrelmoResult& r) {
             EXPECT_EQ(r.count_kind(NODE_KIND_POINT), 2);
             EXPECT_EQ(r.count_kind(NODE_KIND_ENTITY), 22);
             for (int i = 1; i <= r.num_nodes; ++i)
                 EXPECT_TRUE(r.nodes[i].kind == NODE_KIND_INTERIOR || std::fabs(std::hypot(r.nodes[i].x, r.nodes[i].y) - 1) < 1e-12);
         }},
        {"ccw_and_cw_arcs", square_with_arcs(), {"C1", "L2", "C3", "L4"}},
        {"two_sharing", shared_squares(2), {"L1", "L2", "L3", "L4", "L6", "L7"},
         [](const TrelmoResult& r) {
             int in1 = 0, in2 = 0;
             for (int e = 1; e <= r.num_elements; ++e) {
                 in1 += r.elements[e].name == "R1" && r.elements[e].subregion == 1;
                 in2 += r.elements[e].name == "R2" && r.elements[e].subregion == 2;
             }
             EXPECT_GT(in1, 0);
             EXPECT_GT(in2, 0);
             EXPECT_EQ(in1 + in2, r.num_elements);
         }},
        {"three_sharing", shared_squares(3), {"L1", "L2", "L3", "L8", "L9", "L10", "L7"}},
    };
    int sample = 0;
    for (Region& star : star_shaped_polygons(40)) cases.push_back({"star " + std::to_string(++sample), star});
    for (const ModelCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TrelmoResult r = c.region.run();
        EXPECT_EQ(r.ok, 1) << r.messages;
        if (!r.ok) continue;   // the other cases still run
        EXPECT_GT(r.num_elements, 0);
        EXPECT_TRUE(valid_mesh(r, {c.region.chain(r, c.boundary)}));
        if (c.extra) c.extra(r);
    }
}

TEST(TrelmoModel, EveryPhaseReportsInOrderAndTheSameInputGivesTheSameMesh) {
    const Region region = polygon({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}, {6, 4, 2, 4, 2, 6});
    const TrelmoResult r = region.run();
    ASSERT_EQ(r.ok, 1) << r.messages;
    const char* order[] = {"\n 2D (TRELMO) generation begins. \n\n", "In reallocate_subregions1(): k2=",
                           " Merging opposite layers: iteration 1.\n", " Processing internal boundary loop: 1  (subregion R1) ...\n",
                           "After bot_pair():\n", " Laplacian refinement starts...\n", " ... Laplacian refinement over.\n"};
    std::size_t at = 0;
    for (const char* text : order) {
        at = r.messages.find(text, at);
        ASSERT_NE(at, std::string::npos) << "missing or out of order: " << text << "\n" << r.messages;
    }
    EXPECT_EQ(r.all_singular_repaired, 1);

    const TrelmoResult again = region.run();
    ASSERT_EQ(again.num_nodes, r.num_nodes);
    ASSERT_EQ(again.num_elements, r.num_elements);
    for (int i = 1; i <= r.num_nodes; ++i) {
        EXPECT_EQ(again.nodes[i].x, r.nodes[i].x);
        EXPECT_EQ(again.nodes[i].y, r.nodes[i].y);
    }
    for (int e = 1; e <= r.num_elements; ++e)
        for (int k = 1; k <= 4; ++k) EXPECT_EQ(again.elements[e].corner(k), r.elements[e].corner(k));
}

}  // namespace
}  // namespace korvex::test
