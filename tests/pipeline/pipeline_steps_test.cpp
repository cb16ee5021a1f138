// Steps of Korvex() around the stages: pipeline state, bounding box, clean-up,
// the final node adjustments and the tree-and-hole loop.
#include <gtest/gtest.h>

#include <cmath>

#include "cuts/cuts.h"
#include "pipeline/final_node_adjustments.h"
#include "pipeline/korvex_steps.h"
#include "pipeline/pipeline.h"
#include "support/message_capture.h"
#include "support/model_builder.h"

namespace korvex::test {
namespace {

TEST(PipelineState, InternalPointsAreMarkedByNameAndAppended) {
    ModelBuilder m;
    m.point("P1", 0, 0, 0);
    const int pint = m.point("PINT1", 1, 1, 0);
    m.run.points[1].PINT = 1;  // whatever the reader stored is replaced
    ASSERT_EQ(prepare_pipeline_state(m.run), 1);
    EXPECT_EQ(m.run.points[1].PINT, 0);
    EXPECT_EQ(m.run.points[pint].PINT, 1);
    EXPECT_TRUE(m.run.has_internal_points);
    EXPECT_EQ(m.run.all_singular_repaired, 1);

    m.run.num_new_points = 2;
    append_internal_points(m.run);
    ASSERT_EQ(m.run.num_new_points, 3);
    EXPECT_EQ(m.run.new_points[3].name, "PINT1");
}

TEST(PipelineState, BoundingBoxReport) {
    ModelBuilder m;
    m.point("P1", -1.5, 2, 0);
    m.point("P2", 3, 4, 0.25);
    MessageCapture messages;
    report_bounding_box(m.run);
    EXPECT_EQ(messages.text(),
              " Model geometrical limits:\n"
              "[Xmin,Xmax]=[    -1.500,      3.000]   dX=     4.500\n"
              "[Ymin,Ymax]=[     2.000,      4.000]   dY=     2.000\n"
              "[Zmin,Zmax]=[     0.000,      0.250]   dZ=     0.250\n");
}

TEST(PipelineState, WorkingArraysAreFreedOnEveryExit) {
    korvex::Run run;
    run.curves.ensure(1);
    run.nCurves = 1;
    run.curves[1].indexes_of_nodes = {0, 4, 5};
    run.unprocessed_PINT_nodes.resize(2);
    MessageCapture messages;
    Korvex(run);  // fails or not: the clean-up is the same
    EXPECT_EQ(run.new_points.last(), 0);
    EXPECT_EQ(run.num_new_points, 0);
    EXPECT_TRUE(run.unprocessed_PINT_nodes.empty());
    EXPECT_TRUE(run.curves[1].indexes_of_nodes.empty());
    EXPECT_EQ(messages.all().at(0), " Checking integrity of the input data ...\n");
}

TEST(FinalNodeAdjustments, RefinementSquareCornersAndTinyCoordinates) {
    ModelBuilder m;
    m.point("P1", 0, 0, 0);
    m.run.points[m.point("P**00002", 1, 0, 0)].name_original = "RPLATE";
    add_node(m.run, "P**00002", 1e-9, -1.4e-8, 2e-8);
    add_node(m.run, "P**00009", -1e-9, 1.0, -kSqrtEps);  // no such input point: kept
    add_node(m.run, "P*X00002", 3, 0, 0);                // third character is not '*': kept
    rename_refinement_square_nodes(m.run);
    EXPECT_EQ(m.run.nodes3D[1].name, "RPLATE");
    EXPECT_EQ(m.run.nodes3D[2].name, "P**00009");
    EXPECT_EQ(m.run.nodes3D[3].name, "P*X00002");

    snap_tiny_coordinates(m.run);
    const Node3D& a = m.run.nodes3D[1];
    const Node3D& b = m.run.nodes3D[2];
    EXPECT_EQ(a.x, 0.0);
    EXPECT_EQ(a.y, 0.0);
    EXPECT_FALSE(std::signbit(a.y));
    EXPECT_EQ(a.z, 2e-8);
    EXPECT_EQ(b.x, 0.0);
    EXPECT_EQ(b.z, -kSqrtEps);  // not below the bound
}

// Trees and holes: with neither, one iteration finishes the loop.
TEST(TreeAndHoleLoop, NothingToDoEndsAfterOneIteration) {
    korvex::Run run;
    run.patches.ensure(1);
    run.nPatches = 1;
    run.all_trees_processed = 0;
    MessageCapture messages;
    ASSERT_EQ(process_trees_and_holes(run), 1);
    EXPECT_TRUE(messages.in_order({
        "Before internal_segments_and_curves_processing()...\n",
        "Returned from WALLTREE.C to KORVEX.C\n",
        " all_trees_processed=1  (TRUE=1, FALSE=0)\n",
        " all_holes_processed=1  (TRUE=1, FALSE=0)\n",
        "All trees and holes have been processed in 1 iteration(s).\n",
    })) << messages.text();
}

}  // namespace
}  // namespace korvex::test
