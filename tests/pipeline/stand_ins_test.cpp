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
}

TEST(StandIns, MeshersAlwaysFail) {
    korvex::Run run;
    run.patches.ensure(1);
    run.nPatches = 1;
    run.patches[1].name = "RCYL";
    MessageCapture messages;
    EXPECT_EQ(meshPatch(run, 1), 0);
    EXPECT_EQ(meshTriangular(run, 1), 0);
    EXPECT_EQ(process_REV_patch(run, 1), 0);
    EXPECT_EQ(process_REV2_patch(run, 1), 0);
    EXPECT_EQ(messages.count(" Missing capability: "), 4);
}

}  // namespace
}  // namespace korvex::test
