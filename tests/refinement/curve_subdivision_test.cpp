// The subdivision stage: which curves are cut, into how many steps, and how
// the pieces stay shared with the other users of a cut curve.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "refinement/curve_subdivision.h"
#include "support/message_capture.h"
#include "support/plane_model.h"

namespace korvex::test {
namespace {

const Curve* curve_named(const korvex::Run& run, const char* name) {
    for (int i = 1; i <= run.nCurves; ++i)
        if (run.curves[i].name == name) return &run.curves[i];
    return nullptr;
}

int steps(const Curve& c) { return c.num_new_points - 1; }

// Consecutive boundary curves of subregion k meet at a shared end point.
void expect_closed_chain(const korvex::Run& run, int k) {
    const Subregion& s = run.patches[k];
    for (int i = 1; i <= s.num_curves; ++i) {
        const int a = s.curves_id[i], b = s.curves_id[i == s.num_curves ? 1 : i + 1];
        const Curve& ca = run.curves[std::abs(a)];
        const Curve& cb = run.curves[std::abs(b)];
        const int end_a = a > 0 ? ca.points_id[ca.num_points] : ca.points_id[1];
        const int start_b = b > 0 ? cb.points_id[1] : cb.points_id[cb.num_points];
        EXPECT_EQ(end_a, start_b) << "subregion " << k << " between positions " << i << " and " << i % s.num_curves + 1;
    }
}

TEST(SubdivisionStepCount, RoundsUpShortfallsAndMakesTheCountEven) {
    EXPECT_EQ(subdivision_step_count(10.0, 1.0), 10);
    EXPECT_EQ(subdivision_step_count(4.0, 1.0), 4);
    EXPECT_EQ(subdivision_step_count(5.6, 1.0), 6);
    EXPECT_EQ(subdivision_step_count(2.9, 1.0), 4);
    EXPECT_EQ(subdivision_step_count(4.000004, 1.000001), 4);
    EXPECT_EQ(subdivision_step_count(3.0, 0.0), 0);
}

TEST(ActivateEntitiesSubdivisions, AStraightCurveOfTenStepsBecomesFourFourTwo) {
    MessageCapture messages;
    korvex::Run run;
    SurModel m = rectangle_sur(10, 4, 1);
    m.curves.replace(m.curves.find("P3 P4 STEP 1"), 12, "P3 P4 STEP 5");
    ASSERT_EQ(prepare_model(run, m.text(), true), 1) << messages.text();
    // Along R1's boundary: QL1 and its two pieces, then QL2 (4 steps: not cut), QL3, QL4.
    const Subregion& s = run.patches[1];
    std::vector<int> ql1_pieces;
    for (int i = 1; i <= s.num_curves; ++i) {
        const Curve& c = run.curves[std::abs(s.curves_id[i])];
        if (c.name == "QL1" || c.name.starts_with("QLq")) ql1_pieces.push_back(steps(c));
        if (c.name.starts_with("QLq")) {
            EXPECT_EQ(c.name_original, "QL1");  // pieces carry the user's name
        }
    }
    EXPECT_EQ(s.num_curves, 6);
    EXPECT_EQ(ql1_pieces, (std::vector<int>{4, 4, 2}));
    EXPECT_EQ(steps(*curve_named(run, "QL2")), 4);
    EXPECT_EQ(steps(*curve_named(run, "QL3")), 2);
    int cut_points = 0;
    for (int i = 1; i <= run.nPoints; ++i)
        if (run.points[i].name.starts_with("P@H")) {
            ++cut_points;
            EXPECT_EQ(run.points[i].name_original, "QL1");
            EXPECT_EQ(run.points[i].subregion, "R1");
        }
    EXPECT_EQ(cut_points, 2);
    EXPECT_TRUE(messages.has("No trees.\n"));
}

TEST(ActivateEntitiesSubdivisions, ABoundaryArcOfSixStepsBecomesFourAndTwo) {
    MessageCapture messages;
    korvex::Run run;
    // Half circle of radius 6 (length 6 pi = 18.85) with step pi: 6 steps.
    SurModel m;
    m.points = "P1 -6 0 0\nP2 6 0 0\nPM 0 6 0\n";
    m.curves = "QL1 P1 P2 STEP 3\nC1 P2 PM P1 STEP 3.14159265358979\n";
    m.subregions = "R1 PLANE QL1 C1 REF 0.2\n";
    ASSERT_EQ(prepare_model(run, m.text(), true), 1) << messages.text();
    const Curve* arc = curve_named(run, "C1");
    const Curve* piece = nullptr;
    for (int i = 1; i <= run.nCurves; ++i)
        if (run.curves[i].name.starts_with("C@")) piece = &run.curves[i];
    ASSERT_NE(piece, nullptr);
    EXPECT_EQ(arc->num_points, 5);
    EXPECT_EQ(steps(*arc), 4);
    EXPECT_EQ(piece->num_points, 3);
    EXPECT_EQ(steps(*piece), 2);
    EXPECT_EQ(piece->name_original, "C1");
    EXPECT_EQ(steps(*curve_named(run, "QL1")), 4);
    // The middle point of the half circle lies at three of six steps: it is reused.
    EXPECT_EQ(arc->point_names[4], "PM");
}

TEST(ActivateEntitiesSubdivisions, GeneralCurvesAreNeverCut) {
    MessageCapture messages;
    korvex::Run run;
    SurModel m = rectangle_sur(10, 4, 1);
    m.points += "PA 3 -0.5 0\nPB 7 0.5 0\n";
    m.curves = "Q1 P1 PA PB P2 STEP 0.5\nQL2 P2 P3 STEP 1\nQL3 P3 P4 STEP 5\nQL4 P4 P1 STEP 1\n";
    m.subregions = "R1 PLANE Q1 QL2 QL3 QL4 REF 0.2\n";
    ASSERT_EQ(prepare_model(run, m.text(), true), 1) << messages.text();
    EXPECT_EQ(run.nCurves, 4);
    EXPECT_TRUE(messages.contains(" Q-curves of the outer boundaries of \n multiply-connected subregions not subjected "
                                  "to subdivisions yet\n (to be implemented)\n"));
}

// A cut curve that also bounds another subregion, a hole or a tree is cut for
// every user, so that shared curves stay shared.
TEST(ActivateEntitiesSubdivisions, ANeighbourSharingACutCurveGetsBothPieces) {
    MessageCapture messages;
    korvex::Run run;
    // R1 is cut; R2 (a four-edged untyped patch) shares QL2 and is not swept itself.
    SurModel m = rectangle_sur(4, 10, 1);
    m.points += "P5 8 0 0\nP6 8 10 0\n";
    m.curves += "QL5 P2 P5 STEP 1\nQL6 P5 P6 STEP 1\nQL7 P6 P3 STEP 1\n";
    m.subregions += "R2 EDGE QL5 EDGE QL6 EDGE QL7 EDGE QL2 REF 0.2\n";
    ASSERT_EQ(prepare_model(run, m.text(), true), 1) << messages.text();
    const Subregion& r2 = run.patches[2];
    EXPECT_EQ(r2.num_curves, 6);
    EXPECT_EQ(r2.curves_per_edge[1] + r2.curves_per_edge[2] + r2.curves_per_edge[3] + r2.curves_per_edge[4], 6);
    EXPECT_EQ(run.patches[1].num_points + r2.num_points, 2 * (10 + 4) + 2 * (10 + 4));
    expect_closed_chain(run, 2);
}

TEST(ActivateEntitiesSubdivisions, HoleCurvesAreCutAndTheSubregionFillingTheHoleFollows) {
    MessageCapture messages;
    korvex::Run run;
    SurModel m = rectangle_sur(12, 12, 3);
    m.points += "PH1 4 4 0\nPH2 8 4 0\nPH3 8 8 0\nPH4 4 8 0\n";
    m.curves += "QLH1 PH1 PH2 STEP 0.5\nQLH2 PH2 PH3 STEP 0.5\nQLH3 PH3 PH4 STEP 0.5\nQLH4 PH4 PH1 STEP 0.5\n";
    m.subregions = "R1 PLANE QL1 QL2 QL3 QL4 REF 0.2 H1 QLH1 QLH2 QLH3 QLH4\nR2 PLANE QLH1 QLH2 QLH3 QLH4 REF 0.2\n";
    ASSERT_EQ(prepare_model(run, m.text(), true), 1) << messages.text();
    EXPECT_EQ(run.nCurves, 12);  // every 8-step hole side cut once, the outer sides (4 steps) not
    const Hole& hole = run.patches[1].holes[1];
    ASSERT_EQ(hole.num_curves, 8);
    for (int i = 1; i <= hole.num_curves; ++i) EXPECT_EQ(steps(run.curves[std::abs(hole.curves[i])]), 4);
    const Subregion& r2 = run.patches[2];
    ASSERT_EQ(r2.num_curves, 8);
    for (int i = 1; i <= r2.num_curves; ++i) EXPECT_EQ(steps(run.curves[std::abs(r2.curves_id[i])]), 4);
    EXPECT_EQ(r2.num_points, 32);
    expect_closed_chain(run, 2);
}

TEST(ActivateEntitiesSubdivisions, AStraightTreeCurveOfSixStepsBecomesThreePiecesOfTwo) {
    MessageCapture messages;
    korvex::Run run;
    SurModel m = rectangle_sur(4, 4, 1);
    m.points += "PT1 0.5 2 0\nPT2 3.5 2 0\nPT3 2 3.5 0\nPT4 2 2.5 0\n";
    m.curves += "QLT1 PT1 PT2 STEP 0.5\nQLT2 PT3 PT4 STEP 0.5\n";
    m.subregions = "R1 PLANE QL1 QL2 QL3 QL4 REF 0.2 T1 QLT1 QLT2\n";
    ASSERT_EQ(prepare_model(run, m.text(), true), 1) << messages.text();
    const Tree& tree = run.patches[1].trees[1];
    ASSERT_EQ(tree.num_curves, 4);
    for (int i = 1; i <= tree.num_curves; ++i) EXPECT_EQ(steps(run.curves[tree.curve_ids[i]]), 2);
    EXPECT_EQ(run.curves[tree.curve_ids[1]].name, "QLT1");
    EXPECT_EQ(run.curves[tree.curve_ids[2]].name, "QLT2");  // two steps: not cut
    int tree_points = 0;
    for (int i = 1; i <= run.nPoints; ++i)
        if (run.points[i].name.starts_with("P@") && run.points[i].name_original == "QLT1") ++tree_points;
    EXPECT_EQ(tree_points, 2);
}

}  // namespace
}  // namespace korvex::test
