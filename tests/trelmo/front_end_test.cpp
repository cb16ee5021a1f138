// The generator's input checks, entity order and boundary nodes.
#include <gtest/gtest.h>

#include "trelmo/trelmo_internal.h"
#include "trelmo_fixture.h"

namespace korvex::test {
namespace {

Region unit_square(int steps = 4) {
    Region r;
    r.polygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {steps});
    return r;
}

struct CodeCase {
    const char* name;
    void (*build)(Region&);
    int code;
    const char* detail;    // the phase's own message
    const char* general;   // the line call_Trelmo adds
};

class ReturnCodes : public ::testing::TestWithParam<CodeCase> {};

TEST_P(ReturnCodes, ReportTheirMessages) {
    const CodeCase& c = GetParam();
    Region region;
    c.build(region);
    const TrelmoResult r = region.run();
    EXPECT_EQ(r.ok, 0);
    EXPECT_EQ(r.num_nodes, 0);
    EXPECT_EQ(r.num_elements, 0);
    EXPECT_TRUE(r.said(c.detail)) << r.messages;
    EXPECT_TRUE(r.said(c.general)) << r.messages;
    EXPECT_TRUE(r.said("\n 2D (TRELMO) generation begins. \n\n"));
}

void empty_input(Region&) {}
void start_equals_end(Region& r) {
    r.point("P1", 0, 0);
    r.point("P2", 1, 0);
    r.line("L1", "P1", "P1", 2);
    r.subregion("R1", {"L1"});
}
void collinear_arc(Region& r) {
    r.point("P1", 0, 0);
    r.point("P2", 2, 0);
    r.point("PM", 1, 0);
    r.arc("C1", ENTITY_TYPE_ARC_CCW, "P1", "P2", "PM", ARC_KIND_MID_POINT, 4);
    r.line("L2", "P2", "P1", 2);
    r.subregion("R1", {"C1", "L2"});
}
void entity_in_three(Region& r) {
    r = unit_square();
    r.subregion("R2", {"L1", "L2", "L3", "L4"});
    r.subregion("R3", {"L1", "L2", "L3", "L4"});
}
void three_at_lowest(Region& r) {
    r = unit_square();
    r.point("P5", 2, 1);
    r.line("L5", "P2", "P5", 2);
    r.subregion("R2", {"L1", "L2", "L3", "L4", "L5"});
}
void unclosed(Region& r) {
    r.point("P1", 0, 0);
    r.point("P2", 1, 0);
    r.point("P3", 1, 1);
    r.point("P4", 0, 1);
    r.line("L1", "P1", "P2", 2);
    r.line("L2", "P2", "P3", 2);
    r.line("L3", "P3", "P4", 2);
    r.point("P5", -1, 2);
    r.line("L4", "P4", "P5", 2);
    r.subregion("R1", {"L1", "L2", "L3", "L4"});
}
void unknown_entity(Region& r) {
    r = unit_square();
    r.subregion("R2", {"L1", "L2", "LX", "L4"});
}
void missing_start(Region& r) {
    r = unit_square();
    r.line("L5", "P9", "P1", 2);
}
void missing_end(Region& r) {
    r = unit_square();
    r.line("L5", "P1", "P9", 2);
}
void missing_third(Region& r) {
    r = unit_square();
    r.arc("C5", ENTITY_TYPE_ARC_CW, "P1", "P3", "PC", ARC_KIND_CENTRE, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Trelmo, ReturnCodes,
    ::testing::Values(
        CodeCase{"empty", empty_input, 2, "", " Trelmo error: Not enough memory.\n"},
        CodeCase{"coincident", start_equals_end, 6, " Entity L1: Coincident points:\n Start=P1; End=P1; 3-rd or center=.\n",
                 " Trelmo error: an entity contains\n references to one and the same point twice or more.\n Please check input data.\n"},
        CodeCase{"collinear_arc", collinear_arc, 7, " Arc entity C1: too large radius\n",
                 " Trelmo error: coordinates for \n M-type point of an entity are such that \n all three points for that arc entity lie\n on a straight line.\n"},
        CodeCase{"three_owners", entity_in_three, 8, " Error: entity L1 encountered more than twice.  Stop.\n",
                 " Trelmo error: an entity is\n identified as belonging to more than two\n subregions.\n Please check input data.\n"},
        CodeCase{"three_at_p0", three_at_lowest, 9, " Subregion R2:  Error: point P2 has 3\n entities attached (must be 2).\n",
                 " Trelmo error: it was found that a point is a start/end \n point for  more than two entities in a subregion's boundary.\n Please check input data.\n"},
        CodeCase{"unclosed", unclosed, 10, " Subregion R1  unclosed.\n",
                 " Trelmo error: an unclosed sequence of entities is defined\n for a  subregion.\n Please check input data.\n"},
        CodeCase{"unknown_entity", unknown_entity, 10, " Subregion R2: entity LX is not defined.\n",
                 " Trelmo error: an unclosed sequence of entities is defined\n for a  subregion.\n Please check input data.\n"},
        CodeCase{"no_start", missing_start, 15, " Entity L5: Start point P9 not defined in POINTS structure.\n",
                 " Trelmo: for a particular entity, \n its starting point was not found in POINTS structure.\n Check input data for  consistency.\n"},
        CodeCase{"no_end", missing_end, 16, " Entity L5: End point P9 not defined in POINTS structure.\n",
                 " Trelmo: for a particular entity, \n its end point was not found in POINTS structure.\n Check input data for  consistency.\n"},
        CodeCase{"no_third", missing_third, 17, " Entity C5: Third/center point PC not defined in POINTS structure.\n",
                 " Trelmo: for a particular arc entity, \n its third/center point was not found in POINTS structure.\n Check input data for  consistency.\n"}),
    [](const ::testing::TestParamInfo<CodeCase>& info) { return std::string(info.param.name); });

TEST(TrelmoFrontEnd, RedundantEntityOnlyWarns) {
    Region region = unit_square();
    region.point("P5", 3, 3);
    region.line("L9", "P3", "P5", 2);
    const TrelmoResult r = region.run();
    EXPECT_EQ(r.ok, 1) << r.messages;
    EXPECT_TRUE(r.said(" Entity L9  is redundant.\n No action taken.\n"));
    const auto failures = check_result(r, {region.chain(r, {{"L1", true}, {"L2", true}, {"L3", true}, {"L4", true}})});
    EXPECT_TRUE(failures.empty()) << join_failures(failures);
}

// Interior node counts of one line from P1 (0,0) to P2 (len,0).
int interior_nodes(double len, int mode, int steps, double step) {
    Region region;
    region.point("P1", 0, 0);
    region.point("P2", len, 0);
    region.point("P3", len, 1);
    GenEntity& e = region.line("L1", "P1", "P2", steps);
    e.division_mode = mode;
    e.step = step;
    region.line("L2", "P2", "P3", 2);
    region.line("L3", "P3", "P1", 2);
    region.subregion("R1", {"L1", "L2", "L3"});
    const TrelmoResult r = region.run();
    int count = 0;
    for (int i = 1; i <= r.num_nodes; ++i) count += r.nodes[i].kind == NODE_KIND_ENTITY && r.nodes[i].name == "L1";
    return count;
}

TEST(TrelmoFrontEnd, EveryEntityGetsAnEvenNumberOfSegments) {
    EXPECT_EQ(interior_nodes(1.0, DIVISION_BY_STEP, 0, 0.5), 1);     // L = 2 steps: two segments
    EXPECT_EQ(interior_nodes(1.0, DIVISION_BY_STEP, 0, 0.6), 1);
    EXPECT_EQ(interior_nodes(1.0, DIVISION_BY_STEP, 0, 0.2), 5);     // 1 + trunc(4.995) = 5 -> 6
    EXPECT_EQ(interior_nodes(1.0, DIVISION_BY_COUNT, 3, 0), 3);      // 3 steps -> 4
    EXPECT_EQ(interior_nodes(1.0, DIVISION_BY_COUNT, 1, 0), 1);      // at least 2
    EXPECT_EQ(interior_nodes(1.0, DIVISION_BY_COUNT, 0, 0), 1);
}

TEST(TrelmoFrontEnd, TooManyNodesOnOneEntityIsRefused) {
    Region region = unit_square();
    GenEntity& e = region.line("L5", "P1", "P3", 2);
    e.division_mode = DIVISION_BY_STEP;
    e.step = 1e-6;
    const TrelmoResult r = region.run();
    EXPECT_EQ(r.ok, 0);
    EXPECT_TRUE(r.said(" Trelmo error: Not enough memory.\n"));
    EXPECT_TRUE(r.said("more than 2100 nodes")) << r.messages;
}

TEST(TrelmoFrontEnd, ChainStartsUpwardsFromTheLowestRightCorner) {
    Array1<GenPoint> pts(4);
    pts[1] = {"P1", 0, 0};
    pts[2] = {"P2", 1, 0};
    pts[3] = {"P3", 1, 1};
    pts[4] = {"P4", 0, 1};
    Array1<GenEntity> ents(4);
    const char* names[] = {"", "LB", "LR", "LT", "LL"};
    const char* from[] = {"", "P1", "P2", "P3", "P4"};
    const char* to[] = {"", "P2", "P3", "P4", "P1"};
    for (int i = 1; i <= 4; ++i) {
        ents[i].name = names[i];
        ents[i].start = from[i];
        ents[i].end = to[i];
        ents[i].division_mode = DIVISION_BY_COUNT;
        ents[i].num_steps = 2;
    }
    Array1<GenSubregion> subs(1);
    subs[1].name = "R1";
    subs[1].num_entities = 4;
    subs[1].entity_names.reset(4);
    // Listed out of order and P0 = P2 (lowest y, then largest x).
    subs[1].entity_names[1] = "LT";
    subs[1].entity_names[2] = "LB";
    subs[1].entity_names[3] = "LL";
    subs[1].entity_names[4] = "LR";
    TrelmoContext ctx{pts, 4, ents, 4, subs, 1, TrelmoLimits{}, {}, {}, {}, {}, {}, {}};
    ctx.point_work.reset(4);
    ctx.entity_work.reset(4);
    ctx.sub_work.reset(1);
    int code = TM_OK;
    MessageCapture capture;
    ASSERT_TRUE(entity_points(ctx, code));
    ASSERT_TRUE(arc_centres(ctx, code));
    ASSERT_TRUE(resolve_subregion_entities(ctx, code));
    ASSERT_TRUE(ENT_ENC(ctx, code));
    ASSERT_TRUE(entorder(ctx, 1, code));
    const Array1<int>& o = ctx.sub_work[1].ordered;
    EXPECT_EQ(o[1], 2);   // LR, going up from P2
    EXPECT_EQ(o[2], 3);
    EXPECT_EQ(o[3], 4);
    EXPECT_EQ(o[4], 1);
    EXPECT_EQ(ctx.sub_work[1].flag, 0);   // its entities are listed by it alone
    EXPECT_EQ(ctx.point_work[1].flag, 0);
}

TEST(TrelmoFrontEnd, SubregionFlagIsSetWhenEveryEntityIsShared) {
    // A square R1, and two triangles R2, R3 that share its sides and the
    // diagonal: R1 lists nothing alone, and neither does R2 or R3. R4 is a
    // separate square whose entities only it lists.
    Region region;
    region.polygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {2});
    region.line("LD", "P1", "P3", 2);
    region.subregion("R2", {"L1", "L2", "LD"});
    region.subregion("R3", {"LD", "L3", "L4"});
    region.point("P7", 5, 0);
    region.point("P8", 6, 0);
    region.point("P9", 5, 1);
    region.line("M1", "P7", "P8", 2);
    region.line("M2", "P8", "P9", 2);
    region.line("M3", "P9", "P7", 2);
    region.subregion("R4", {"M1", "M2", "M3"});
    TrelmoContext ctx{region.points(), region.num_points(), region.entities(), region.num_entities(),
                      region.subregions(), region.num_subregions(), TrelmoLimits{}, {}, {}, {}, {}, {}, {}};
    ctx.point_work.reset(static_cast<std::size_t>(region.num_points()));
    ctx.entity_work.reset(static_cast<std::size_t>(region.num_entities()));
    ctx.sub_work.reset(4);
    int code = TM_OK;
    MessageCapture capture;
    ASSERT_TRUE(entity_points(ctx, code));
    ASSERT_TRUE(resolve_subregion_entities(ctx, code));
    ASSERT_TRUE(ENT_ENC(ctx, code));
    EXPECT_EQ(ctx.sub_work[1].flag, 1);
    EXPECT_EQ(ctx.sub_work[2].flag, 1);
    EXPECT_EQ(ctx.sub_work[3].flag, 1);
    EXPECT_EQ(ctx.sub_work[4].flag, 0);
    EXPECT_EQ(ctx.entity_work[5].encounters, 2);   // LD
    EXPECT_EQ(ctx.entity_work[5].owner[0], 2);
    EXPECT_EQ(ctx.entity_work[5].owner[1], 3);
}

TEST(TrelmoFrontEnd, EncountersAboveMaxSubregionsAreRefused) {
    Region region;
    region.polygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {2});
    region.subregion("R2", {"L1", "L2", "L3", "L4"});
    TrelmoLimits limits;
    limits.MAX_SUBREGIONS = 1;
    const TrelmoResult r = region.run(limits);
    EXPECT_EQ(r.ok, 0);
    EXPECT_TRUE(r.said("Increase MAX_SUBREGIONS in KORVEX.H\n   (error identified in ENT_ENC.C)\n")) << r.messages;
    EXPECT_TRUE(r.said(" Trelmo error: Not enough memory.\n"));
}

}  // namespace
}  // namespace korvex::test
