// Tests of the pipeline's stand-ins for stages not built yet. Delete each
// case together with its stand-in when the real stage lands.
#include <gtest/gtest.h>

#include "pipeline/korvex_steps.h"
#include "pipeline/stages.h"
#include "support/message_capture.h"

namespace korvex::test {
namespace {

TEST(StandIns, UnneededCapabilitiesSucceedWithoutChanges) {
    korvex::Run run;
    run.patches.ensure(1);
    run.nPatches = 1;
    run.patches[1].num_edges = 4;
    run.patches[1].type = TYPE_SPHERE;
    MessageCapture messages;
    EXPECT_EQ(preprocess_nonzero_PINTs(run, 1), 1);
    EXPECT_EQ(tree_merge(run), 1);
    run.all_trees_processed = 0;
    EXPECT_EQ(internal_segments_and_curves_processing(run), 1);
    EXPECT_EQ(run.all_trees_processed, 1);
    EXPECT_TRUE(messages.all().empty());
}

TEST(StandIns, NeededCapabilitiesFailWithTheirName) {
    korvex::Run run;
    run.patches.ensure(1);
    run.nPatches = 1;
    run.patches[1].name = "R1";
    run.patches[1].num_edges = 3;
    MessageCapture messages;

    run.points.ensure(1);
    run.nPoints = 1;
    run.points[1].name = "PINT7";
    run.points[1].subregion = "R1";
    run.points[1].PINT_step = 0.1;
    run.points[1].PINT_rad = 0.5;
    messages.clear();
    EXPECT_EQ(preprocess_nonzero_PINTs(run, 1), 0);
    EXPECT_EQ(messages.count("refinement squares around internal points"), 1);
}

}  // namespace
}  // namespace korvex::test
