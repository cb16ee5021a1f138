// Refinement squares around internal points with STEP and RAD, on models
// taken through the reader and the general preprocessor: which points get a
// square (and its hole and subregion), which shrink or become plain points.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "input/input_stages.h"
#include "planar/plane_recognition.h"
#include "refinement/refinement.h"
#include "refinement/refinement_squares.h"
#include "support/message_capture.h"
#include "support/plane_model.h"

namespace korvex::test {
namespace {

// The 10 x 10 plate of step 1 with these PINT lines, up to the refinement squares.
int refine(korvex::Run& run, const std::string& pint_lines, double REF = 0.2) {
    SurModel m = rectangle_sur(10, 10, 1);
    m.points += pint_lines;
    m.subregions = "R1 PLANE QL1 QL2 QL3 QL4 REF " + num(REF) + "\n";
    const ModelFile file(m.text());
    run.problem_path = file.path();
    run.settings = run_settings();
    if (!read_model(run) || !check_input_data(run) || !restore_curves(run) || !input_data_preprocessor(run)) return -1;
    PlaneCoeffs plane;
    int planar = 0;
    if (!recognize_plane_patch_using_control_points(run, 1, plane, planar) || !planar) return -1;
    return preprocess_nonzero_PINTs(run, 1, plane);
}

const ControlPoint& point(const korvex::Run& run, const char* name) {
    for (int i = 1; i <= run.nPoints; ++i)
        if (run.points[i].name == name) return run.points[i];
    throw std::runtime_error(name);
}

int squares(const korvex::Run& run) { return run.nPatches - 1; }

TEST(RefinementSquares, APointWithAZoneGetsASquareHoleAndSubregion) {
    MessageCapture messages;
    korvex::Run run;
    ASSERT_EQ(refine(run, "PINT1 5 5 0 R1 STEP 0.2 RAD 2\n", 0.05), 1) << messages.text();
    ASSERT_EQ(squares(run), 1);
    // Corners at 5 -+ 0.8, named P** and carrying the subregion's name.
    std::vector<Vec3> corners;
    for (int i = 6; i <= run.nPoints; ++i) {
        const ControlPoint& c = run.points[i];
        EXPECT_TRUE(c.name.starts_with("P**")) << c.name.c_str();
        EXPECT_EQ(c.name_original, "R1");
        EXPECT_NEAR(std::fabs(c.x - 5), 0.8, 1e-12);
        EXPECT_NEAR(std::fabs(c.y - 5), 0.8, 1e-12);
        corners.push_back(c.pos());
    }
    ASSERT_EQ(corners.size(), 4u);
    const Subregion& parent = run.patches[1];
    ASSERT_EQ(parent.num_holes, 1);
    EXPECT_TRUE(parent.holes[1].name.starts_with("HR@"));
    EXPECT_EQ(parent.REF, 0.1);  // raised for the refined zone
    const Subregion& sq = run.patches[2];
    EXPECT_TRUE(sq.name.starts_with("RH@"));
    EXPECT_EQ(sq.original_name, parent.original_name);
    EXPECT_EQ(sq.type, TYPE_PLANE);
    EXPECT_EQ(sq.num_edges, 4);
    EXPECT_EQ(sq.REF, 0.0);
    for (int e = 1; e <= 4; ++e) {
        const Curve& side = run.curves[sq.curves_id[e]];
        EXPECT_TRUE(side.name.starts_with("QL*"));
        EXPECT_EQ(side.step, 0.2);
        EXPECT_NEAR(side.length, 1.6, 1e-12);
        EXPECT_EQ(parent.holes[1].curves[e], sq.curves_id[e]);
        // Consecutive sides share their corner.
        EXPECT_EQ(side.points_id[2], run.curves[sq.curves_id[e % 4 + 1]].points_id[1]);
    }
    // The point itself stays a plain internal point inside the square.
    const ControlPoint& p = point(run, "PINT1");
    EXPECT_TRUE(p.subregion.empty());
    EXPECT_EQ(p.PINT_rad, 0.0);
    EXPECT_EQ(p.PINT_step, 0.0);
    EXPECT_EQ(p.PINT_rad_work, 2.0);
    EXPECT_EQ(p.PINT, 1);
}

struct PlainPointCase {
    const char* what;
    const char* pints;
    int squares;
    const char* message;  // expected among the messages, or empty
};

TEST(RefinementSquares, PointsWhoseSquareDoesNotFitBecomePlainPoints) {
    const PlainPointCase cases[] = {
        {"too near the boundary", "PINT1 2 5 0 R1 STEP 0.1 RAD 1\n", 0, "Too close to boundary (case 1).\n"},
        {"a corner outside", "PINT1 0.5 5 0 R1 STEP 0.1 RAD 2\n", 0, ""},
        {"inside an earlier square", "PINT1 3 5 0 R1 STEP 0.2 RAD 2\nPINT2 6 5 0 R1 STEP 0.2 RAD 2\n", 1, ""},
    };
    for (const auto& c : cases) {
        MessageCapture messages;
        korvex::Run run;
        ASSERT_EQ(refine(run, c.pints), 1) << c.what << messages.text();
        EXPECT_EQ(squares(run), c.squares) << c.what;
        // Corners of a square that does not fit are taken back.
        const int pints = c.squares ? 2 : 1;
        EXPECT_EQ(run.nPoints, 4 + pints + 4 * c.squares) << c.what;
        const ControlPoint& last = point(run, c.squares ? "PINT2" : "PINT1");
        EXPECT_EQ(last.PINT_rad_work, 0.0) << c.what;
        EXPECT_EQ(last.PINT_step_work, 0.0) << c.what;
        EXPECT_TRUE(last.subregion.empty()) << c.what;
        if (*c.message) {
            EXPECT_TRUE(messages.has(c.message)) << c.what;
        }
    }
}

TEST(RefinementSquares, AnOverlappingZoneShrinksToThreeQuartersOfTheGap) {
    MessageCapture messages;
    korvex::Run run;
    ASSERT_EQ(refine(run, "PINT1 3 5 0 R1 STEP 0.2 RAD 2\nPINT2 7 5 0 R1 STEP 0.25 RAD 2\n"), 1) << messages.text();
    EXPECT_EQ(squares(run), 2);
    // Gap 4 - 2 = 2: the radius becomes 1.5 and the step at most 1.5 x 0.4 / 3.
    const ControlPoint& p = point(run, "PINT2");
    EXPECT_DOUBLE_EQ(p.PINT_rad_work, 1.5);
    EXPECT_NEAR(p.PINT_step_work, 1.5 * 0.4 / 2.999999, 1e-15);
    EXPECT_NEAR(run.curves[run.patches[3].curves_id[1]].length, 1.2, 1e-12);
}

TEST(RefinementSquares, StepsAreCappedAndAZeroStepIsRefused) {
    {
        MessageCapture messages;
        korvex::Run run;
        ASSERT_EQ(refine(run, "PINT1 5 5 0 R1 STEP 1 RAD 2\n"), 1) << messages.text();
        EXPECT_NEAR(run.curves[run.patches[2].curves_id[1]].step, 0.8 / 2.999999, 1e-15);
    }
    MessageCapture messages;
    korvex::Run run;
    EXPECT_EQ(refine(run, "PINT1 5 5 0 R1 STEP 0 RAD 2\n"), 0);
    EXPECT_TRUE(messages.has("Input data error: for PINT-point PINT1  STEP=0 (too small)\n"
                             "   whereas points[ip].PINT_rad=2(i.e. !=0)\n"))
        << messages.text();
}

TEST(RefinementSquares, CornerProximityUsesTheNeighbouringSpacings) {
    // A square loop with vertices every 1 unit: a corner 1.8 from the nearest
    // vertex is too close, 1.9 is not; a general-curve spacing counts 0.8 x step.
    BoundaryPolygon loop;
    loop.vertices.assign(1, PointUV{});
    loop.spacing_after.assign(1, 0.0);
    for (int i = 0; i < 40; ++i) {
        PointUV v;
        const int side = i / 10, at = i % 10;
        const double s[4][2] = {{double(at), 0}, {10, double(at)}, {10.0 - at, 10}, {0, 10.0 - at}};
        v.u = s[side][0];
        v.v = s[side][1];
        loop.vertices.push_back(v);
        loop.spacing_after.push_back(1.0);
    }
    loop.count = 40;
    const struct {
        double u, v, spacing;
        bool too_close;
    } cases[] = {{5, 1.8, 1.0, true}, {5, 1.9, 1.0, false}, {5, 1.5, 0.8, false}, {5, 1.4, 0.8, true}};
    for (const auto& c : cases) {
        for (double& s : loop.spacing_after) s = c.spacing;
        PointUV corner;
        corner.u = c.u;
        corner.v = c.v;
        bool too_close = !c.too_close;
        ASSERT_EQ(activate_conversion_of_points_near_boundary(corner, loop, too_close), 1);
        EXPECT_EQ(too_close, c.too_close) << c.v << " " << c.spacing;
    }
}

}  // namespace
}  // namespace korvex::test
