// The generator's input checks, entity order and boundary nodes.
#include <gtest/gtest.h>

#include "trelmo_fixture.h"

namespace korvex::test {
namespace {

Region unit_square() { return polygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {4}); }

struct CodeCase {
    const char* name;
    int code;
    void (*change)(Region&);   // what is wrong with the unit square (4 steps per side)
    const char* detail;        // the phase's own message
    const char* general;       // the line call_Trelmo adds
};

TEST(TrelmoFrontEnd, ReturnCodesReportTheirMessages) {
    const char* no_memory = " Trelmo error: Not enough memory.\n";
    const char* unclosed =
        " Trelmo error: an unclosed sequence of entities is defined\n for a  subregion.\n Please check input data.\n";
    const CodeCase cases[] = {
        {"empty", 2, [](Region& r) { r = Region{}; }, "", no_memory},
        {"more_than_2100_entity_nodes", 2,
         [](Region& r) { r.line("L5", "P1", "P3", 2).division_mode = DIVISION_BY_STEP; r.entity(5).step = 1e-6; },
         "more than 2100 nodes", no_memory},
        {"encounters_above_max_subregions", 2,
         [](Region& r) { r.subregion("R2", {"L1", "L2", "L3", "L4"}); r.limits.MAX_SUBREGIONS = 1; },
         "Increase MAX_SUBREGIONS in KORVEX.H\n   (error identified in ENT_ENC.C)\n", no_memory},
        {"coincident", 6, [](Region& r) { r.line("L5", "P1", "P1", 2); },
         " Entity L5: Coincident points:\n Start=P1; End=P1; 3-rd or center=.\n",
         " Trelmo error: an entity contains\n references to one and the same point twice or more.\n"
         " Please check input data.\n"},
        {"collinear_arc", 7,
         [](Region& r) { r.point("PM", 0.5, 0.5); r.arc("C5", ENTITY_TYPE_ARC_CCW, "P1", "P3", "PM", ARC_KIND_MID_POINT, 4); },
         " Arc entity C5: too large radius\n",
         " Trelmo error: coordinates for \n M-type point of an entity are such that \n"
         " all three points for that arc entity lie\n on a straight line.\n"},
        {"three_owners", 8,
         [](Region& r) { r.subregion("R2", {"L1", "L2", "L3", "L4"}); r.subregion("R3", {"L1", "L2", "L3", "L4"}); },
         " Error: entity L1 encountered more than twice.  Stop.\n",
         " Trelmo error: an entity is\n identified as belonging to more than two\n subregions.\n Please check input data.\n"},
        {"three_at_p0", 9,
         [](Region& r) { r.point("P5", 2, 1); r.line("L5", "P2", "P5", 2); r.subregion("R2", {"L1", "L2", "L3", "L4", "L5"}); },
         " Subregion R2:  Error: point P2 has 3\n entities attached (must be 2).\n",
         " Trelmo error: it was found that a point is a start/end \n point for  more than two entities in a"
         " subregion's boundary.\n Please check input data.\n"},
        {"unclosed", 10, [](Region& r) { r.subregion("R2", {"L1", "L2", "L3"}); }, " Subregion R2  unclosed.\n", unclosed},
        {"unknown_entity", 10, [](Region& r) { r.subregion("R2", {"L1", "L2", "LX", "L4"}); },
         " Subregion R2: entity LX is not defined.\n", unclosed},
        {"no_start", 15, [](Region& r) { r.line("L5", "P9", "P1", 2); },
         " Entity L5: Start point P9 not defined in POINTS structure.\n",
         " Trelmo: for a particular entity, \n its starting point was not found in POINTS structure.\n"
         " Check input data for  consistency.\n"},
        {"no_end", 16, [](Region& r) { r.line("L5", "P1", "P9", 2); },
         " Entity L5: End point P9 not defined in POINTS structure.\n",
         " Trelmo: for a particular entity, \n its end point was not found in POINTS structure.\n"
         " Check input data for  consistency.\n"},
        {"no_third", 17, [](Region& r) { r.arc("C5", ENTITY_TYPE_ARC_CW, "P1", "P3", "PC", ARC_KIND_CENTRE, 2); },
         " Entity C5: Third/center point PC not defined in POINTS structure.\n",
         " Trelmo: for a particular arc entity, \n its third/center point was not found in POINTS structure.\n"
         " Check input data for  consistency.\n"},
    };
    for (const CodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Region region = unit_square();
        c.change(region);
        const TrelmoResult r = region.run();
        EXPECT_EQ(r.ok, 0);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.num_nodes + r.num_elements, 0);
        EXPECT_TRUE(r.said(c.detail)) << r.messages;
        EXPECT_TRUE(r.said(c.general)) << r.messages;
        EXPECT_TRUE(r.said("\n 2D (TRELMO) generation begins. \n\n"));
    }
}

TEST(TrelmoFrontEnd, RedundantEntityOnlyWarns) {
    Region region = unit_square();
    region.point("P5", 3, 3);
    region.line("L9", "P3", "P5", 2);
    const TrelmoResult r = region.run();
    EXPECT_EQ(r.ok, 1) << r.messages;
    EXPECT_TRUE(r.said(" Entity L9  is redundant.\n No action taken.\n"));
    EXPECT_TRUE(valid_mesh(r, {region.chain(r, {"L1", "L2", "L3", "L4"})}));
}

TEST(TrelmoFrontEnd, EveryEntityGetsAnEvenNumberOfSegments) {
    struct Case {
        int mode, steps;
        double step;
        int interior_nodes;
    };
    const Case cases[] = {
        {DIVISION_BY_STEP, 0, 0.5, 1},    // L = 2 steps: two segments
        {DIVISION_BY_STEP, 0, 0.6, 1},
        {DIVISION_BY_STEP, 0, 0.2, 5},    // 1 + trunc(4.995) = 5 -> 6
        {DIVISION_BY_COUNT, 3, 0, 3},     // 3 steps -> 4
        {DIVISION_BY_COUNT, 1, 0, 1},     // at least 2
        {DIVISION_BY_COUNT, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " steps " << c.steps << " step " << c.step);
        Region region = polygon({{0, 0}, {1, 0}, {1, 1}}, {2});
        GenEntity& e = region.entity(1);
        e.division_mode = c.mode;
        e.num_steps = c.steps;
        e.step = c.step;
        const TrelmoResult r = region.run();
        int count = 0;
        for (int i = 1; i <= r.num_nodes; ++i) count += r.nodes[i].kind == NODE_KIND_ENTITY && r.nodes[i].name == "L1";
        EXPECT_EQ(count, c.interior_nodes);
    }
}

TEST(TrelmoFrontEnd, ChainStartsUpwardsFromTheLowestRightCornerAndSharedSubregionsAreFlagged) {
    // A square R1 listing its sides out of order, and two triangles R2, R3
    // that share its sides and the diagonal: none of them lists an entity
    // alone. R4 is a separate triangle whose entities only it lists.
    Region region;
    region.points({{"P1", 0, 0}, {"P2", 1, 0}, {"P3", 1, 1}, {"P4", 0, 1}, {"P7", 5, 0}, {"P8", 6, 0}, {"P9", 5, 1}});
    region.lines({{"L1", "P1", "P2", 2}, {"L2", "P2", "P3", 2}, {"L3", "P3", "P4", 2}, {"L4", "P4", "P1", 2},
                  {"LD", "P1", "P3", 2}, {"M1", "P7", "P8", 2}, {"M2", "P8", "P9", 2}, {"M3", "P9", "P7", 2}});
    region.subregion("R1", {"L3", "L1", "L4", "L2"});
    region.subregion("R2", {"L1", "L2", "LD"});
    region.subregion("R3", {"LD", "L3", "L4"});
    region.subregion("R4", {"M1", "M2", "M3"});
    TrelmoContext ctx = region.context();
    int code = TM_OK;
    MessageCapture capture;
    ASSERT_TRUE(entity_points(ctx, code));
    ASSERT_TRUE(arc_centres(ctx, code));
    ASSERT_TRUE(resolve_subregion_entities(ctx, code));
    ASSERT_TRUE(ENT_ENC(ctx, code));
    ASSERT_TRUE(entorder(ctx, 1, code));
    const Array1<int>& o = ctx.sub_work[1].ordered;
    EXPECT_EQ(std::vector<int>({o[1], o[2], o[3], o[4]}), std::vector<int>({2, 3, 4, 1}));   // L2 first, up from P2
    EXPECT_EQ(std::vector<int>({ctx.sub_work[1].flag, ctx.sub_work[2].flag, ctx.sub_work[3].flag, ctx.sub_work[4].flag}),
              std::vector<int>({1, 1, 1, 0}));
    EXPECT_EQ(ctx.entity_work[5].encounters, 2);   // LD
    EXPECT_EQ(ctx.entity_work[5].owner[0], 2);
    EXPECT_EQ(ctx.entity_work[5].owner[1], 3);
    EXPECT_EQ(ctx.point_work[1].flag, 0);
}

}  // namespace
}  // namespace korvex::test
