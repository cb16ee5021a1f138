// The tree merge: trees of a subregion that share a free point become one
// tree; trees that meet only on the boundary stay apart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cuts/cuts.h"
#include "support/message_capture.h"
#include "support/plane_model.h"

namespace korvex::test {
namespace {

// The 10 x 10 plate with interior points A (2, 5), B (4, 5), C (6, 5), D (4, 7),
// F (6, 8) and E (4, 10) on the top side, and short straight curves (too
// short to be cut) between them; `trees` lists the tree lines.
int merged_model(korvex::Run& run, const std::string& trees) {
    SurModel m = rectangle_sur(10, 10, 1);
    m.points += "PA 2 5 0\nPB 4 5 0\nPC 6 5 0\nPD 4 7 0\nPE 4 10 0\nPF 6 8 0\n";
    m.curves += "QLab PA PB STEP 1\nQLbc PB PC STEP 1\nQLbd PB PD STEP 1\nQLde PD PE STEP 2\nQLef PE PF STEP 2\n";
    m.curves.replace(m.curves.find("QL3 P3 P4"), 9, "QL3 P3 PE");
    m.curves += "QL5 PE P4 STEP 1\n";
    m.subregions = "R1 PLANE QL1 QL2 QL3 QL5 QL4 REF 0.2 " + trees + "\n";
    if (!prepare_model(run, m.text(), true)) return -1;
    return tree_merge(run);
}

std::vector<std::string> tree_names(const korvex::Run& run) {
    std::vector<std::string> out;
    for (int t = 1; t <= run.patches[1].num_trees; ++t) {
        const Tree& tree = run.patches[1].trees[t];
        std::string s = std::string(tree.name.c_str()) + ":";
        for (int m = 1; m <= tree.num_curves; ++m) s += std::string(" ") + tree.curve_names[m].c_str();
        out.push_back(s);
        EXPECT_EQ(tree.id, t);
    }
    return out;
}

TEST(TreeMerge, TreesSharingAFreePointBecomeOne) {
    const struct {
        const char* trees;
        std::vector<std::string> after;
    } cases[] = {
        {"T1 QLab T2 QLbc", {"T1: QLab QLbc"}},
        {"T1 QLab T2 QLde T3 QLbc T4 QLbd", {"T1: QLab QLbc QLbd QLde"}},
        // PE lies on the boundary: T1 and T2 stay apart.
        {"T1 QLde T2 QLef", {"T1: QLde", "T2: QLef"}},
    };
    for (const auto& c : cases) {
        MessageCapture messages;
        korvex::Run run;
        ASSERT_EQ(merged_model(run, c.trees), 1) << c.trees << messages.text();
        EXPECT_EQ(tree_names(run), c.after) << c.trees;
    }
}

TEST(TreeMerge, AMergedTreeBeyondItsCapacityIsRefused) {
    MessageCapture messages;
    korvex::Run run;
    const RunSettings saved = run_settings();
    run_settings().MAX_CURVES_PER_TREE = 4;
    const int r = merged_model(run, "T1 QLab T2 QLbc QLbd");
    run_settings() = saved;
    EXPECT_EQ(r, 0);
    EXPECT_TRUE(messages.has("Increase MAX_CURVES_PER_TREE in KORVEX.H\n (currently=4;  error identified in TREEMERG.C)\n"))
        << messages.text();
}

}  // namespace
}  // namespace korvex::test
