// Hole removal below the model level: a model without holes is left alone,
// hole curves listed in any order and direction are chained, and loop
// normals follow the loop's sense.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "cuts/cuts.h"
#include "cuts/holes/hole_removal.h"
#include "support/message_capture.h"
#include "support/plane_model.h"

namespace korvex::test {
namespace {

constexpr double kPi = 3.14159265358979323846;

// A 10 x 10 plate. HA runs counter-clockwise seen from +z, HB clockwise; both
// are listed out of order with curves in both directions.
const char* const kPlate = R"(Plate with two holes
POINTS
P1 0 0 0
P2 10 0 0
P3 10 10 0
P4 0 10 0
PA1 2 2 0
PA2 4 2 0
PA3 4 4 0
PA4 2 4 0
PB1 6 6 0
PB2 8 6 0
PB3 8 8 0
PB4 6 8 0
CURVES
QL1 P1 P2 STEP 1
QL2 P2 P3 STEP 1
QL3 P3 P4 STEP 1
QL4 P4 P1 STEP 1
QLA1 PA1 PA2 STEP 1
QLA2 PA3 PA2 STEP 1
QLA3 PA3 PA4 STEP 1
QLA4 PA1 PA4 STEP 1
QLB1 PB2 PB1 STEP 1
QLB2 PB2 PB3 STEP 1
QLB3 PB4 PB3 STEP 1
QLB4 PB4 PB1 STEP 1
SUBREGIONS
R1 PLANE QL1 QL2 QL3 QL4 REF 0.2
HA QLA3 QLA1 QLA4 QLA2
HB QLB1 QLB3 QLB2 QLB4
END
)";

int curve_named(const korvex::Run& run, const char* name) {
    for (int i = 1; i <= run.nCurves; ++i)
        if (run.curves[i].name == name) return i;
    return 0;
}

TEST(MCPlanarProcessing, AModelWithoutHolesIsLeftAlone) {
    korvex::Run run;
    MessageCapture capture;
    ASSERT_EQ(prepare_model(run, R"(Plate
POINTS
P1 0 0 0
P2 10 0 0
P3 10 10 0
P4 0 10 0
CURVES
QL1 P1 P2 STEP 1
QL2 P2 P3 STEP 1
QL3 P3 P4 STEP 1
QL4 P4 P1 STEP 1
SUBREGIONS
R1 PLANE QL1 QL2 QL3 QL4 REF 0.2
END
)", true), 1);
    const int patches = run.nPatches, curves = run.nCurves, nodes = run.num_new_points;
    const std::string before = capture.text();
    run.all_holes_processed = 0;
    EXPECT_EQ(MC_planar_processing(run), 1);
    EXPECT_EQ(run.all_holes_processed, 1);
    EXPECT_EQ(run.nPatches, patches);
    EXPECT_EQ(run.nCurves, curves);
    EXPECT_EQ(run.num_new_points, nodes);
    EXPECT_EQ(capture.text(), before);
}

class HoleChaining : public ::testing::Test {
protected:
    void SetUp() override {
        MessageCapture capture;
        ASSERT_EQ(prepare_recognized_plane(run, kPlate), 1) << capture.text();
    }
    korvex::Run run;
};

TEST_F(HoleChaining, LoopNormalsFollowTheLoopsSense) {
    const Subregion& s = run.patches[1];
    Vec3 unit;
    ASSERT_EQ(sequnce_unit_vector(run, s.num_curves, s.curves_id.data(), unit), 1);
    // The boundary's first curve runs forward, so the chain is counter-clockwise about +z.
    EXPECT_NEAR(unit.z, 1.0, 1e-12);
    std::vector<int> reversed(1, 0);
    for (int i = s.num_curves; i >= 1; --i) reversed.push_back(-s.curves_id[static_cast<std::size_t>(i)]);
    ASSERT_EQ(sequnce_unit_vector(run, s.num_curves, reversed.data(), unit), 1);
    EXPECT_NEAR(unit.z, -1.0, 1e-12);
}

TEST_F(HoleChaining, HoleCurvesInAnyOrderAndDirectionBecomeOneChain) {
    Vec3 unit;
    ASSERT_EQ(sequnce_unit_vector(run, run.patches[1].num_curves, run.patches[1].curves_id.data(), unit), 1);
    std::vector<double> angles;
    ASSERT_EQ(restore_correct_order_of_curves_for_all_holes(run, 1, unit, angles), 1);
    const Hole& ha = run.patches[1].holes[1];
    const std::vector<int> expected_a = {curve_named(run, "QLA3"), -curve_named(run, "QLA4"), curve_named(run, "QLA1"),
                                         -curve_named(run, "QLA2")};
    ASSERT_EQ(ha.num_curves, 4);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(ha.curves[static_cast<std::size_t>(i)], expected_a[static_cast<std::size_t>(i - 1)]);
    // HB's first listed curve runs from PB2 to PB1: clockwise, against the boundary.
    const Hole& hb = run.patches[1].holes[2];
    const std::vector<int> expected_b = {curve_named(run, "QLB1"), -curve_named(run, "QLB4"), curve_named(run, "QLB3"),
                                         -curve_named(run, "QLB2")};
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(hb.curves[static_cast<std::size_t>(i)], expected_b[static_cast<std::size_t>(i - 1)]);
    EXPECT_NEAR(angles[1], 0.0, 1e-9);
    EXPECT_NEAR(angles[2], kPi, 1e-9);
}

TEST_F(HoleChaining, ABrokenHoleIsReported) {
    // HB without one of its sides cannot be closed.
    run.patches[1].holes[2].num_curves = 3;
    run.patches[1].holes[2].curves[3] = curve_named(run, "QLA1");
    Vec3 unit{0, 0, 1};
    std::vector<double> angles;
    MessageCapture capture;
    EXPECT_EQ(restore_correct_order_of_curves_for_all_holes(run, 1, unit, angles), 0);
    EXPECT_NE(capture.text().find("Internal error in MULT_CO4.C:\n curves_w[kh=2]=0; ( kh<=neih(=3) )\n"),
              std::string::npos)
        << capture.text();
}

}  // namespace
}  // namespace korvex::test
