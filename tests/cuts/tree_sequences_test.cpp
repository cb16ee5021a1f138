// Branching trees walked into simple sequences: every curve in exactly one
// sequence, the first from a free end through the branch points to another
// free end, the later ones from a branch point on an earlier sequence.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cuts/trees/trees.h"
#include "support/message_capture.h"
#include "support/plane_model.h"

namespace korvex::test {
namespace {

struct Seq {
    std::string name;
    std::vector<std::string> curves;
    std::string ipstart;
    bool operator==(const Seq&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Seq& s) {
    os << s.name << " from " << s.ipstart << ":";
    for (const auto& c : s.curves) os << " " << c;
    return os;
}

// The 10 x 10 plate with two-step tree curves; returns the trees after the walk.
std::vector<Seq> sequences_of(const std::string& points, const std::string& curves, const std::string& tree) {
    MessageCapture messages;
    korvex::Run run;
    SurModel m = rectangle_sur(10, 10, 1);
    m.points += points;
    m.curves += curves;
    m.subregions = "R1 PLANE QL1 QL2 QL3 QL4 REF 0.2 " + tree + "\n";
    EXPECT_EQ(prepare_model(run, m.text(), true), 1) << messages.text();
    EXPECT_EQ(walltr_0(run), 1);
    EXPECT_EQ(branching_trees_common_case(run, 1, 1), 1) << messages.text();
    std::vector<Seq> out;
    const Subregion& s = run.patches[1];
    for (int t = 1; t <= s.num_trees; ++t) {
        const Tree& tr = s.trees[t];
        Seq q{tr.name.c_str(), {}, tr.ipstart ? run.points[tr.ipstart].name.c_str() : ""};
        for (int i = 1; i <= tr.num_curves; ++i) q.curves.push_back(tr.curve_names[i].c_str());
        out.push_back(q);
    }
    return out;
}

TEST(BranchingTrees, ATBecomesTheLongestWalkAndOneArm) {
    const auto seqs = sequences_of("PJ 5 5 0\nPA 3 5 0\nPB 7 5 0\nPC 5 7 0\n",
                                   "QLa PJ PA STEP 1\nQLb PJ PB STEP 1\nQLc PJ PC STEP 1\n", "T1 QLa QLb QLc");
    const std::vector<Seq> expected = {{"T1", {"QLa", "QLb"}, "PA"}, {"Tn000001", {"QLc"}, "PJ"}};
    EXPECT_EQ(seqs, expected);
}

TEST(BranchingTrees, TwoBranchPointsGiveOneThroughWalkAndTwoArms) {
    const auto seqs = sequences_of(
        "PJ1 4 5 0\nPJ2 6 5 0\nPA 4 7 0\nPB 4 3 0\nPC 6 7 0\nPD 6 3 0\n",
        "QLm PJ1 PJ2 STEP 1\nQL1a PJ1 PA STEP 1\nQL1b PJ1 PB STEP 1\nQL2a PJ2 PC STEP 1\nQL2b PJ2 PD STEP 1\n",
        "T1 QLm QL1a QL1b QL2a QL2b");
    const std::vector<Seq> expected = {{"T1", {"QL1a", "QLm", "QL2a"}, "PA"},
                                       {"Tn000001", {"QL1b"}, "PJ1"},
                                       {"Tn000002", {"QL2b"}, "PJ2"}};
    EXPECT_EQ(seqs, expected);
}

TEST(BranchingTrees, ATreeTouchingTheBoundaryIsWalkedFromThereAndAChainStaysWhole) {
    // The stem starts at the boundary corner P1.
    const auto t = sequences_of("PJ 3 3 0\nPA 3 5 0\nPB 5 3 0\n",
                                "QLs P1 PJ STEP 3\nQLa PJ PA STEP 1\nQLb PJ PB STEP 1\n", "T1 QLa QLb QLs");
    const std::vector<Seq> expected = {{"T1", {"QLs", "QLa"}, "P1"}, {"Tn000001", {"QLb"}, "PJ"}};
    EXPECT_EQ(t, expected);
    const auto chain = sequences_of("PA 3 5 0\nPB 5 5 0\nPC 7 5 0\nPD 7 7 0\n",
                                    "QLa PA PB STEP 1\nQLb PB PC STEP 1\nQLc PC PD STEP 1\n", "T1 QLc QLa QLb");
    const std::vector<Seq> whole = {{"T1", {"QLc", "QLa", "QLb"}, ""}};
    EXPECT_EQ(chain, whole);
}

}  // namespace
}  // namespace korvex::test
