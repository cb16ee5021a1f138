// The hole and tree tests of plane subregions: inside, outside, on the outer
// boundary, and out of the subregion's plane.
#include <gtest/gtest.h>

#include <string>

#include "planar/plane_inclusion.h"
#include "support/message_capture.h"
#include "support/plane_model.h"

namespace korvex::test {
namespace {

// A 10 x 10 plate with holes and trees inside it, outside it and touching
// its boundary. They are only located here, never cut out.
const char* const kPlate = R"(Plate with holes and trees to locate
POINTS
P1 0 0 0
P2 10 0 0
P3 10 10 0
P4 0 10 0
PA1 4 4 0
PA2 6 4 0
PA3 6 6 0
PA4 4 6 0
PB1 12 4 0
PB2 14 4 0
PB3 14 6 0
PB4 12 6 0
PC1 0 2 0
PC2 2 2 0
PC3 2 4 0
PT1 3 3 0
PT2 5 3 0
PT3 12 8 0
PT4 14 8 0
PT5 10 5 0
PT6 8 5 0
CURVES
QL1 P1 P2 STEP 1
QL2 P2 P3 STEP 1
QL3 P3 P4 STEP 1
QL4 P4 P1 STEP 1
QLA1 PA1 PA2 STEP 1
QLA2 PA2 PA3 STEP 1
QLA3 PA3 PA4 STEP 1
QLA4 PA4 PA1 STEP 1
QLB1 PB1 PB2 STEP 1
QLB2 PB2 PB3 STEP 1
QLB3 PB3 PB4 STEP 1
QLB4 PB4 PB1 STEP 1
QLC1 PC1 PC2 STEP 1
QLC2 PC2 PC3 STEP 1
QLC3 PC3 PC1 STEP 1
QLT1 PT1 PT2 STEP 1
QLT2 PT3 PT4 STEP 1
QLT3 PT5 PT6 STEP 1
SUBREGIONS
R1 PLANE QL1 QL2 QL3 QL4 REF 0.2
HIN QLA1 QLA2 QLA3 QLA4
HOUT QLB1 QLB2 QLB3 QLB4
HEDGE QLC1 QLC2 QLC3
TIN QLT1
TOUT QLT2
TEDGE QLT3
END
)";

struct Located {
    int result = -1;
    int inside = -1;
    std::string messages;
};

class PlaneInclusion : public ::testing::Test {
protected:
    void SetUp() override {
        MessageCapture capture;
        ASSERT_EQ(prepare_recognized_plane(run, kPlate), 1) << capture.text();
    }
    Located hole(int h, int before = -1) {
        MessageCapture capture;
        Located r;
        r.inside = before;
        r.result = hole_in_plane_subregion(run, run.patches[1], h, uv, r.inside);
        r.messages = capture.text();
        return r;
    }
    Located tree(int t, int before = -1) {
        MessageCapture capture;
        Located r;
        r.inside = before;
        r.result = tree_in_plane_subregion(run, run.patches[1], t, uv, r.inside);
        r.messages = capture.text();
        return r;
    }
    korvex::Run run;
    PlaneUV uv;
};

TEST_F(PlaneInclusion, HolesInsideOutsideAndOnTheOuterBoundary) {
    struct Row {
        int hole, inside;
    };
    for (const Row row : {Row{1, 1}, Row{2, 0}}) {
        const Located r = hole(row.hole);
        EXPECT_EQ(r.result, 1) << row.hole;
        EXPECT_EQ(r.inside, row.inside) << row.hole;
        EXPECT_EQ(r.messages, "") << row.hole;
    }
    // HEDGE starts at (0, 2), on the plate's left side: reported, flag untouched.
    const Located r = hole(3, 7);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.inside, 7);
    EXPECT_TRUE(r.messages.starts_with(" Error in PLANE_P4.C:\n point PC1 (x,y,z)=(0,2,0) \n(u=")) << r.messages;
    EXPECT_TRUE(r.messages.ends_with(" is supposed to\n belong to a hole, lies on the outer boundary of the subregion.\n"))
        << r.messages;
}

TEST_F(PlaneInclusion, TreesInsideOutsideAndRetriedOffTheOuterBoundary) {
    EXPECT_EQ(tree(1).inside, 1);
    EXPECT_EQ(tree(2).inside, 0);
    // TEDGE starts at (10, 5) on the right side; its next node (9, 5) is inside.
    const Located r = tree(3);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.inside, 1);
    EXPECT_NE(r.messages.find(" Special case in PLANE_PT.C:\n point PT5 (x,y,z)=(10,5,0) \n"), std::string::npos)
        << r.messages;
}

TEST_F(PlaneInclusion, AHoleOrTreeOutOfThePlaneIsAnInputError) {
    // Lift the test points 1 above the plate: seen from the frame's origin
    // they are about 10 degrees out of the plane.
    run.new_points[run.curves[std::abs(run.patches[1].holes[1].curves[1])].new_points_id[1]].z = 1.0;
    const Located h = hole(1);
    EXPECT_EQ(h.result, 0);
    EXPECT_EQ(h.messages, "Input error: hole HIN doesn't belong \nto the same plane as subregion R1\n"
                          "Plane patch parameterization in PLANE_P4.C unsuccessful.\n");
    const Tree& t = run.patches[1].trees[1];
    run.new_points[run.curves[t.curve_ids[1]].new_points_id[1]].z = 0.5;
    const Located r = tree(1);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.messages, "Input error: tree TIN doesn't belong \nto the same plane as subregion R1\n"
                          "Plane patch parameterization unsuccessful.\n");
    // Within 6 degrees counts as in the plane.
    run.new_points[run.curves[t.curve_ids[1]].new_points_id[1]].z = 0.2;
    EXPECT_EQ(tree(1).inside, 1);
}

}  // namespace
}  // namespace korvex::test
