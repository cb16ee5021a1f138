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
    EXPECT_EQ(prepro23(run), 1);
    EXPECT_EQ(transform_2edged_SPHEREs(run), 1);
    EXPECT_EQ(preprocess_nonzero_PINTs(run, 1), 1);
    EXPECT_EQ(tree_merge(run), 1);
    run.all_trees_processed = run.all_holes_processed = 0;
    EXPECT_EQ(internal_segments_and_curves_processing(run), 1);
    EXPECT_EQ(MC_planar_processing(run), 1);
    EXPECT_EQ(run.all_trees_processed, 1);
    EXPECT_EQ(run.all_holes_processed, 1);
    EXPECT_TRUE(messages.all().empty());
}

TEST(StandIns, NeededCapabilitiesFailWithTheirName) {
    korvex::Run run;
    run.patches.ensure(1);
    run.nPatches = 1;
    run.patches[1].name = "R1";
    run.patches[1].num_edges = 3;
    MessageCapture messages;
    EXPECT_EQ(prepro23(run), 0);
    EXPECT_EQ(messages.text(),
              " Missing capability: conversion of 2- and 3-edged subregions (routine prepro23, needed for R1).\n");

    run.patches[1].num_holes = 1;
    messages.clear();
    EXPECT_EQ(process_trees_and_holes(run), 0);
    EXPECT_TRUE(messages.in_order({" Missing capability: removal of holes (routine MULT_CON).\n",
                                   "Unsuccessful return from MC_planar_processing() into KORVEX.C\n"}))
        << messages.text();

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

TEST(StandIns, MeshersAlwaysFail) {
    korvex::Run run;
    run.patches.ensure(1);
    run.nPatches = 1;
    run.patches[1].name = "RCYL";
    MessageCapture messages;
    EXPECT_EQ(process_cylinder_patch(run, 1), 0);
    EXPECT_EQ(messages.text(), " Missing capability: the cylinder mesher (routine process_cylinder_patch, needed for RCYL).\n");
    EXPECT_EQ(meshTriangular(run, 1), 0);
    EXPECT_EQ(messages.count(" Missing capability: "), 2);
}

}  // namespace
}  // namespace korvex::test
