#include <gtest/gtest.h>

#include "message_capture.h"
#include "pipeline/final_node_adjustments.h"
#include "pipeline/korvex_steps.h"
#include "pipeline/stages.h"

namespace korvex {
namespace {

using test_support::add_node;
using test_support::MessageCapture;

int add_point(Run& run, const char* name, double x, double y, double z) {
    const int i = run.nPoints + 1;
    run.points.ensure(i);
    run.points[i].name = name;
    run.points[i].set_pos({x, y, z});
    run.points[i].id = i;
    run.nPoints = i;
    return i;
}

TEST(PipelineState, InternalPointsAreMarkedByName) {
    korvex::Run run;
    add_point(run, "P1", 0, 0, 0);
    const int pint = add_point(run, "PINT1", 1, 1, 0);
    run.points[1].PINT = 1;  // whatever the reader stored is replaced
    ASSERT_EQ(prepare_pipeline_state(run), 1);
    EXPECT_EQ(run.points[1].PINT, 0);
    EXPECT_EQ(run.points[pint].PINT, 1);
    EXPECT_TRUE(run.has_internal_points);
    EXPECT_EQ(run.all_singular_repaired, 1);
    EXPECT_EQ(run.new_points.last(), NEW_POINTS_ARRAY - 1);

    run.num_new_points = 2;
    append_internal_points(run);
    ASSERT_EQ(run.num_new_points, 3);
    EXPECT_EQ(run.new_points[3].name, "PINT1");
    EXPECT_EQ(run.new_points[3].y, 1.0);
}

TEST(PipelineState, BoundingBoxReport) {
    korvex::Run run;
    add_point(run, "P1", -1.5, 2, 0);
    add_point(run, "P2", 3, 4, 0.25);
    MessageCapture messages;
    report_bounding_box(run);
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

TEST(FinalNodeAdjustments, RefinementSquareCornersTakeTheSubregionName) {
    korvex::Run run;
    add_point(run, "P1", 0, 0, 0);
    const int corner = add_point(run, "P**00002", 1, 0, 0);
    run.points[corner].name_original = "RPLATE";
    add_node(run, "P**00002", 1, 0, 0);
    add_node(run, "P**00009", 2, 0, 0);  // no such input point: kept
    add_node(run, "P*X00002", 3, 0, 0);  // third character is not '*': kept
    rename_refinement_square_nodes(run);
    EXPECT_EQ(run.nodes3D[1].name, "RPLATE");
    EXPECT_EQ(run.nodes3D[2].name, "P**00009");
    EXPECT_EQ(run.nodes3D[3].name, "P*X00002");
}

TEST(FinalNodeAdjustments, TinyCoordinatesSnapToZero) {
    korvex::Run run;
    add_node(run, "P1", 1e-9, -1.4e-8, 2e-8);
    add_node(run, "P2", -1e-9, 1.0, -kSqrtEps);
    snap_tiny_coordinates(run);
    EXPECT_EQ(run.nodes3D[1].x, 0.0);
    EXPECT_FALSE(std::signbit(run.nodes3D[1].y));
    EXPECT_EQ(run.nodes3D[1].y, 0.0);
    EXPECT_EQ(run.nodes3D[1].z, 2e-8);
    EXPECT_EQ(run.nodes3D[2].x, 0.0);
    EXPECT_EQ(run.nodes3D[2].y, 1.0);
    EXPECT_EQ(run.nodes3D[2].z, -kSqrtEps);  // not below the bound
}

// Trees and holes: with neither, one iteration finishes the loop.
TEST(TreeAndHoleLoop, NothingToDoEndsAfterOneIteration) {
    korvex::Run run;
    run.patches.ensure(1);
    run.nPatches = 1;
    run.all_trees_processed = 0;
    MessageCapture messages;
    ASSERT_EQ(process_trees_and_holes(run), 1);
    const std::vector<std::string> expected = {
        "Before internal_segments_and_curves_processing()...\n",
        "Returned from WALLTREE.C to KORVEX.C\n",
        " all_trees_processed=1  (TRUE=1, FALSE=0)\n",
        " all_holes_processed=1  (TRUE=1, FALSE=0)\n",
        "All trees and holes have been processed in 1 iteration(s).\n",
    };
    EXPECT_TRUE(messages.in_order(expected)) << messages.text();
}

}  // namespace
}  // namespace korvex
