// Split propagation: the other users of a cut curve get both halves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/input_stages.h"
#include "support/message_capture.h"
#include "support/model_builder.h"

namespace korvex::test {
namespace {

using Names = std::vector<std::string>;

// Two unit squares side by side sharing QLm (P2-P5): R1 on the left walks it
// upwards, R2 on the right downwards. R3 is a larger plate with a hole along
// R1's boundary (QLm in it reversed) and a tree through QLm. The model is
// checked and its names resolved.
struct SharedEdgeModel : ModelBuilder {
    SharedEdgeModel() {
        const char* names[] = {"P1", "P2", "P5", "P4", "P3", "P6", "P7", "P8", "P9", "P10"};
        const double xy[][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {2, 0}, {2, 1}, {-5, -5}, {5, -5}, {5, 5}, {-5, 5}};
        for (int i = 0; i < 10; ++i) point(names[i], xy[i][0], xy[i][1]);
        curve("QLb1", {"P1", "P2"});
        curve("QLm", {"P2", "P5"});
        curve("QLt1", {"P5", "P4"});
        curve("QLl", {"P4", "P1"});
        curve("QLb2", {"P2", "P3"});
        curve("QLr", {"P3", "P6"});
        curve("QLt2", {"P6", "P5"});
        curve("QLo1", {"P7", "P8"});
        curve("QLo2", {"P8", "P9"});
        curve("QLo3", {"P9", "P10"});
        curve("QLo4", {"P10", "P7"});
        patch("R1", TYPE_NONE, {{"QLb1"}, {"QLm"}, {"QLt1"}, {"QLl"}});
        patch("R2", TYPE_PLANE, {{"QLb2", "QLr", "QLt2", "QLm"}});
        Subregion& r3 = run.patches[patch("R3", TYPE_PLANE, {{"QLo1", "QLo2", "QLo3", "QLo4"}})];
        r3.num_holes = 1;
        r3.holes[1].name = "H1";
        r3.holes[1].num_curves = 4;
        r3.holes[1].curves = {0, 1, -2, 3, 4};
        r3.num_trees = 1;
        r3.trees[1].name = "T1";
        r3.trees[1].num_curves = 2;
        r3.trees[1].curve_names[1] = "QLb2";
        r3.trees[1].curve_names[2] = "QLm";
        EXPECT_EQ(check_input_data(run), 1);
        EXPECT_EQ(restore_curves(run), 1);
    }

    // Cuts QLm at its middle as a preprocessing stage would: QLm keeps P2..P@
    // and the new curve Q@ runs P@..P5. Returns the new curve's index.
    int cut_shared_curve() {
        const int p = point("P@000007", 1, 0.5);
        const int c = curve("Q@000008", {"P@000007", "P5"});
        run.curves[2].point_names[2] = "P@000007";
        run.curves[2].points_id[2] = p;
        run.curves[c].points_id[1] = p;
        run.curves[c].points_id[2] = 3;
        return c;
    }
};

TEST(PropagateCurveSplit, GivesBothHalvesToNeighbourHoleAndTree) {
    MessageCapture log;
    SharedEdgeModel m;
    ASSERT_EQ(input_data_preprocessor(m.run), 1) << log.text();
    EXPECT_EQ(m.signed_names(2), (Names{"QLb2", "QLr", "QLt2", "-QLm"}));

    const int q = m.cut_shared_curve();
    log.clear();
    ASSERT_EQ(propagate_curve_split(m.run, 2, q, 1), 1);
    EXPECT_EQ(log.text(), "");
    // The cutting subregion is left to the stage that cut.
    EXPECT_EQ(m.signed_names(1), (Names{"QLb1", "QLm", "QLt1", "QLl"}));
    // Walked downwards: first the new upper half, then the old lower half.
    const Names r2{"QLb2", "QLr", "QLt2", "-Q@000008", "-QLm"};
    EXPECT_EQ(m.signed_names(2), r2);
    EXPECT_EQ(m.edge_counts(2), std::vector<int>{5});
    // Hole: appended with the sign of the old curve's entry; tree: appended by name.
    const Hole& h = m.run.patches[3].holes[1];
    ASSERT_EQ(h.num_curves, 5);
    EXPECT_EQ(h.curves[5], -q);
    const Tree& t = m.run.patches[3].trees[1];
    ASSERT_EQ(t.num_curves, 3);
    EXPECT_TRUE(t.curve_names[3] == "Q@000008");

    // With R1 updated as the cutting stage does, both boundaries are still
    // closed chains for the next run of the preprocessor.
    Subregion& r1 = m.run.patches[1];
    r1.curves_per_edge[2] = 2;
    r1.num_curves = 5;
    r1.curves_id = {0, 1, 2, 0, 3, 4};
    r1.curves_id[3] = q;
    r1.curves_id[4] = 3;
    r1.curves_id[5] = 4;
    ASSERT_EQ(input_data_preprocessor(m.run), 1) << log.text();
    EXPECT_EQ(m.signed_names(2), r2);
    EXPECT_EQ(m.signed_names(1), (Names{"QLb1", "QLm", "Q@000008", "QLt1", "QLl"}));
}

TEST(PropagateCurveSplit, ForwardUseGetsTheNewHalfAfterTheOld) {
    MessageCapture log;
    SharedEdgeModel m;
    const int q = m.cut_shared_curve();
    // Now R2 made the cut; R1 uses QLm forward on its edge 2.
    ASSERT_EQ(propagate_curve_split(m.run, -2, q, 2), 1);
    EXPECT_EQ(m.signed_names(1), (Names{"QLb1", "QLm", "Q@000008", "QLt1", "QLl"}));
    EXPECT_EQ(m.edge_counts(1), (std::vector<int>{1, 2, 1, 1}));
    EXPECT_EQ(m.run.patches[2].num_curves, 4);  // skipped
    EXPECT_EQ(m.run.patches[3].holes[1].curves[5], -q);

    // A neighbour with too many edges stops the run.
    m.run.patches[1].num_edges = 13;
    log.clear();
    EXPECT_THROW(propagate_curve_split(m.run, 2, q, 2), int);
    EXPECT_EQ(log.text(),
              "Error in INPREPR4.C: \npatches[j=1].num_edges=13 > MAX_EDGES_PER_SUBREGION(=4) + 8\n"
              "Increase upper dimension of array xadj[]\n");
}

}  // namespace
}  // namespace korvex::test
