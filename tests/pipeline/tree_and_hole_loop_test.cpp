// The tree-and-hole loop stops when an iteration leaves the number of
// subregions unchanged while something is still to be done.
#include <gtest/gtest.h>

#include "pipeline/korvex_steps.h"
#include "support/message_capture.h"

namespace korvex::test {
namespace {

TEST(TreeAndHoleLoop, AHoleNothingCanRemoveEndsTheRunAfterOneIteration) {
    // Only PLANE subregions lose their holes: one in an untyped subregion stays.
    korvex::Run run;
    run.patches.ensure(1);
    run.nPatches = 1;
    run.patches[1].name = "R1";
    run.patches[1].type = TYPE_NONE;
    run.patches[1].num_edges = 4;
    run.patches[1].num_holes = 1;
    MessageCapture messages;
    EXPECT_EQ(process_trees_and_holes(run), 0);
    EXPECT_EQ(run.tree_hole_iterations, 1);
    EXPECT_TRUE(messages.in_order({" all_trees_processed=1  (TRUE=1, FALSE=0)\n",
                                   " all_holes_processed=0  (TRUE=1, FALSE=0)\n",
                                   "The model can't be processed\n   (nPatches didn't decrease over the last\n"
                                   "   WALLTREE.C-and-MULT_CON.C iteration).\n"}))
        << messages.text();
}

TEST(TreeAndHoleLoop, AModelWithoutHolesOrTreesNeedsOneIteration) {
    korvex::Run run;
    run.patches.ensure(1);
    run.nPatches = 1;
    run.patches[1].type = TYPE_PLANE;
    MessageCapture messages;
    EXPECT_EQ(process_trees_and_holes(run), 1);
    EXPECT_EQ(run.nPatches, 1);
    EXPECT_NE(messages.text().find("All trees and holes have been processed in 1 iteration(s).\n"), std::string::npos);
}

}  // namespace
}  // namespace korvex::test
