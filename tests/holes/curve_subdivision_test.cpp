// The subdivision stage: which curves are cut, into how many steps, and how
// the pieces stay shared with the other users of a cut curve.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "holes/curve_subdivision.h"
#include "pipeline/stages.h"
#include "support/plane_model.h"

namespace korvex {
namespace {

using plane_test::Messages;
using plane_test::ModelFile;

// Steps of the boundary pieces of subregion k in chain order, by curve name.
std::vector<std::pair<std::string, int>> boundary_steps(const Run& run, int k) {
    std::vector<std::pair<std::string, int>> out;
    const Subregion& s = run.patches[k];
    for (int i = 1; i <= s.num_curves; ++i) {
        const Curve& c = run.curves[std::abs(s.curves_id[i])];
        out.emplace_back(c.name.c_str(), c.num_new_points - 1);
    }
    return out;
}

int steps_of(const Run& run, const char* name) {
    for (int i = 1; i <= run.nCurves; ++i)
        if (run.curves[i].name == name) return run.curves[i].num_new_points - 1;
    return -1;
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
    Messages messages;
    korvex::Run run;
    ModelFile file(
        "Strip\nPOINTS\nP1 0 0 0\nP2 10 0 0\nP3 10 4 0\nP4 0 4 0\nCURVES\n"
        "QL1 P1 P2 STEP 1\nQL2 P2 P3 STEP 1\nQL3 P3 P4 STEP 5\nQL4 P4 P1 STEP 1\n"
        "SUBREGIONS\nR1 PLANE QL1 QL2 QL3 QL4 REF 0.2\nEND\n");
    ASSERT_EQ(plane_test::prepare(run, file.path(), true), 1) << messages.text();
    const auto steps = boundary_steps(run, 1);
    ASSERT_EQ(steps.size(), 6u);
    std::vector<int> ql1_pieces;
    for (const auto& [name, n] : steps)
        if (name == "QL1" || name.rfind("QLq", 0) == 0) ql1_pieces.push_back(n);
    EXPECT_EQ(ql1_pieces, (std::vector<int>{4, 4, 2}));
    EXPECT_EQ(steps_of(run, "QL2"), 4);   // four steps: not cut
    EXPECT_EQ(steps_of(run, "QL3"), 2);
    // The pieces and the cut points carry the user's curve name.
    for (int i = 1; i <= run.nCurves; ++i) {
        if (run.curves[i].name.starts_with("QLq")) {
            EXPECT_EQ(run.curves[i].name_original, "QL1");
        }
    }
    int cut_points = 0;
    for (int i = 1; i <= run.nPoints; ++i)
        if (run.points[i].name.starts_with("P@H")) {
            ++cut_points;
            EXPECT_EQ(run.points[i].name_original, "QL1");
            EXPECT_EQ(run.points[i].subregion, "R1");
        }
    EXPECT_EQ(cut_points, 2);
    EXPECT_TRUE(messages.contains("No trees.\n"));
}

TEST(ActivateEntitiesSubdivisions, ABoundaryArcOfSixStepsBecomesFourAndTwo) {
    Messages messages;
    korvex::Run run;
    // Half circle of radius 6 (length 6 pi = 18.85) with step pi: 6 steps.
    ModelFile file(
        "Half disc\nPOINTS\nP1 -6 0 0\nP2 6 0 0\nPM 0 6 0\nCURVES\n"
        "QL1 P1 P2 STEP 3\nC1 P2 PM P1 STEP 3.14159265358979\nSUBREGIONS\nR1 PLANE QL1 C1 REF 0.2\nEND\n");
    ASSERT_EQ(plane_test::prepare(run, file.path(), true), 1) << messages.text();
    int arc = 0, piece = 0;
    for (int i = 1; i <= run.nCurves; ++i) {
        if (run.curves[i].name == "C1") arc = i;
        if (run.curves[i].name.starts_with("C@")) piece = i;
    }
    ASSERT_NE(piece, 0);
    EXPECT_EQ(run.curves[arc].num_points, 5);
    EXPECT_EQ(run.curves[arc].num_new_points - 1, 4);
    EXPECT_EQ(run.curves[piece].num_points, 3);
    EXPECT_EQ(run.curves[piece].num_new_points - 1, 2);
    EXPECT_EQ(run.curves[piece].name_original, "C1");
    EXPECT_EQ(steps_of(run, "QL1"), 4);
    // The middle point of the half circle lies at three of six steps: it is reused.
    EXPECT_EQ(run.curves[arc].point_names[4], "PM");
}

TEST(ActivateEntitiesSubdivisions, GeneralCurvesAreNeverCut) {
    Messages messages;
    korvex::Run run;
    ModelFile file(
        "Wavy\nPOINTS\nP1 0 0 0\nP2 10 0 0\nP3 10 4 0\nP4 0 4 0\nPA 3 -0.5 0\nPB 7 0.5 0\nCURVES\n"
        "Q1 P1 PA PB P2 STEP 0.5\nQL2 P2 P3 STEP 1\nQL3 P3 P4 STEP 5\nQL4 P4 P1 STEP 1\n"
        "SUBREGIONS\nR1 PLANE Q1 QL2 QL3 QL4 REF 0.2\nEND\n");
    ASSERT_EQ(plane_test::prepare(run, file.path(), true), 1) << messages.text();
    EXPECT_EQ(run.nCurves, 4);
    EXPECT_TRUE(messages.contains(" Q-curves of the outer boundaries of \n multiply-connected subregions not subjected to subdivisions yet\n (to be implemented)\n"));
}

TEST(ActivateEntitiesSubdivisions, ANeighbourSharingACutCurveGetsBothPieces) {
    Messages messages;
    korvex::Run run;
    // R1 is cut; R2 (a four-edged untyped patch) shares QL2 and is not swept itself.
    ModelFile file(
        "Two plates\nPOINTS\nP1 0 0 0\nP2 4 0 0\nP3 4 10 0\nP4 0 10 0\nP5 8 0 0\nP6 8 10 0\nCURVES\n"
        "QL1 P1 P2 STEP 1\nQL2 P2 P3 STEP 1\nQL3 P3 P4 STEP 1\nQL4 P4 P1 STEP 1\n"
        "QL5 P2 P5 STEP 1\nQL6 P5 P6 STEP 1\nQL7 P6 P3 STEP 1\n"
        "SUBREGIONS\nR1 PLANE QL1 QL2 QL3 QL4 REF 0.2\nR2 EDGE QL5 EDGE QL6 EDGE QL7 EDGE QL2 REF 0.2\nEND\n");
    ASSERT_EQ(plane_test::prepare(run, file.path(), true), 1) << messages.text();
    const Subregion& r2 = run.patches[2];
    EXPECT_EQ(r2.num_curves, 6);
    EXPECT_EQ(r2.curves_per_edge[1] + r2.curves_per_edge[2] + r2.curves_per_edge[3] + r2.curves_per_edge[4], 6);
    // R2's boundary walk is still one closed chain of the same nodes as R1's pieces.
    const Subregion& r1 = run.patches[1];
    EXPECT_EQ(r1.num_points + r2.num_points, 2 * (10 + 4) + 2 * (10 + 4));
    for (int i = 1; i <= r2.num_curves; ++i) {
        const int a = r2.curves_id[i], b = r2.curves_id[i == r2.num_curves ? 1 : i + 1];
        const Curve& ca = run.curves[std::abs(a)];
        const Curve& cb = run.curves[std::abs(b)];
        const int end_a = a > 0 ? ca.points_id[ca.num_points] : ca.points_id[1];
        const int start_b = b > 0 ? cb.points_id[1] : cb.points_id[cb.num_points];
        EXPECT_EQ(end_a, start_b) << "R2 between positions " << i << " and " << i % r2.num_curves + 1;
    }
}

TEST(ActivateEntitiesSubdivisions, HoleCurvesAreCutAndTheSubregionFillingTheHoleFollows) {
    Messages messages;
    korvex::Run run;
    ModelFile file(
        "Plate with a filled hole\nPOINTS\nP1 0 0 0\nP2 12 0 0\nP3 12 12 0\nP4 0 12 0\n"
        "PH1 4 4 0\nPH2 8 4 0\nPH3 8 8 0\nPH4 4 8 0\nCURVES\n"
        "QL1 P1 P2 STEP 3\nQL2 P2 P3 STEP 3\nQL3 P3 P4 STEP 3\nQL4 P4 P1 STEP 3\n"
        "QLH1 PH1 PH2 STEP 0.5\nQLH2 PH2 PH3 STEP 0.5\nQLH3 PH3 PH4 STEP 0.5\nQLH4 PH4 PH1 STEP 0.5\n"
        "SUBREGIONS\nR1 PLANE QL1 QL2 QL3 QL4 REF 0.2 H1 QLH1 QLH2 QLH3 QLH4\n"
        "R2 PLANE QLH1 QLH2 QLH3 QLH4 REF 0.2\nEND\n");
    ASSERT_EQ(plane_test::prepare(run, file.path(), true), 1) << messages.text();
    EXPECT_EQ(run.nCurves, 12);  // every 8-step hole side cut once, the outer sides (4 steps) not
    const Hole& hole = run.patches[1].holes[1];
    ASSERT_EQ(hole.num_curves, 8);
    for (int m = 1; m <= hole.num_curves; ++m) EXPECT_EQ(run.curves[std::abs(hole.curves[m])].num_new_points - 1, 4);
    const auto r2 = boundary_steps(run, 2);
    ASSERT_EQ(r2.size(), 8u);
    for (const auto& [name, n] : r2) EXPECT_EQ(n, 4) << name;
    EXPECT_EQ(run.patches[2].num_points, 32);
}

TEST(ActivateEntitiesSubdivisions, AStraightTreeCurveOfSixStepsBecomesThreePiecesOfTwo) {
    Messages messages;
    korvex::Run run;
    ModelFile file(
        "Plate with a tree\nPOINTS\nP1 0 0 0\nP2 4 0 0\nP3 4 4 0\nP4 0 4 0\nPT1 0.5 2 0\nPT2 3.5 2 0\n"
        "PT3 2 3.5 0\nPT4 2 2.5 0\nCURVES\n"
        "QL1 P1 P2 STEP 1\nQL2 P2 P3 STEP 1\nQL3 P3 P4 STEP 1\nQL4 P4 P1 STEP 1\n"
        "QLT1 PT1 PT2 STEP 0.5\nQLT2 PT3 PT4 STEP 0.5\n"
        "SUBREGIONS\nR1 PLANE QL1 QL2 QL3 QL4 REF 0.2 T1 QLT1 QLT2\nEND\n");
    ASSERT_EQ(plane_test::prepare(run, file.path(), true), 1) << messages.text();
    const Tree& tree = run.patches[1].trees[1];
    ASSERT_EQ(tree.num_curves, 4);
    std::vector<std::string> names;
    for (int m = 1; m <= tree.num_curves; ++m) {
        const Curve& c = run.curves[tree.curve_ids[m]];
        names.emplace_back(c.name.c_str());
        EXPECT_EQ(c.num_new_points - 1, 2) << c.name.c_str();
    }
    EXPECT_EQ(names[0], "QLT1");
    EXPECT_EQ(names[1], "QLT2");   // two steps: not cut
    int tree_points = 0;
    for (int i = 1; i <= run.nPoints; ++i)
        if (run.points[i].name.starts_with("P@") && run.points[i].name_original == "QLT1") ++tree_points;
    EXPECT_EQ(tree_points, 2);
}

}  // namespace
}  // namespace korvex
