// A plain plane model through the whole engine: the log shows every stage of
// the pipeline in order, and the result file is written.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "end_to_end/meshed_model.h"

namespace korvex::test {
namespace {

TEST(PipelineLog, PlanePlateRunsEveryStageInOrder) {
    const Meshed r = mesh_test_model("pipeline_square_plate.sur");
    EXPECT_TRUE(messages_in_order(r.messages, {
                                " Checking integrity of the input data ...\n",
                                " ... complete.\n",
                                " Model geometrical limits:\n"
                                "[Xmin,Xmax]=[     0.000,     10.000]   dX=    10.000\n"
                                "[Ymin,Ymax]=[     0.000,     10.000]   dY=    10.000\n"
                                "[Zmin,Zmax]=[     0.000,      0.000]   dZ=     0.000\n",
                                " Initial preprocessing of the curves data...\n",
                                " ... complete.\n",
                                "\n First run of the general preprocessor...\n",
                                " ... complete.\n",
                                " Preprocessing 2- and 3-edged patches...\n",
                                " ... complete.\n",
                                "\n Second run of the general preprocessor...\n",
                                " ... complete.\n",
                                " Preprocessing of 2-edged SHPERE-type patches...\n",
                                " ... complete.\n",
                                "\n Third run of the general preprocessor ...\n",
                                " ... complete.\n",
                                " Generating points along curves ...\n",
                                " ... complete.\n",
                                " Final preprocessing of the subregions ...\n",
                                " ... complete.\n",
                                "nPatches_old=1\n",
                                "First call of PLANE_P1.C from KORVEX.C:\n",
                                "Before internal_segments_and_curves_processing()...\n",
                                "Returned from WALLTREE.C to KORVEX.C\n",
                                " all_trees_processed=1  (TRUE=1, FALSE=0)\n",
                                " all_holes_processed=1  (TRUE=1, FALSE=0)\n",
                                "All trees and holes have been processed in 1 iteration(s).\n",
                                "\n ************* Meshing begins. **************\n ",
                                "\n ** Meshing subregion R1  (id=1).\n\n",
                                " Subregion type: PLANE.\n",
                                "Second call of PLANE_P1.C from KORVEX.C:\n",
                                " This subregion is recognized as PLANAR.\n",
                                "\n ** Meshing of subregion R1  successful.\n",
                                "\n Postprocessing begins...",
                                " ... complete.\n",
                                "\n 3D/QUAD4 bandwidth minimization begins.\n",
                                " 3D/QUAD4 bandwidth minimization complete.\n",
                                " *       Meshing successfully completed.             *\n",
                                "\ncoincidence checking algorithm...\n",
                                "... over.\n",
                            })) << r.log;
    expect_valid_plane_mesh(r, {0.0, 0.0, 1.0}, 0.0);
    EXPECT_EQ(r.m3d_bytes.rfind("Square plate for the pipeline log test\nNODES\n", 0), 0u);
    char counts[128];
    std::snprintf(counts, sizeof counts, " Number of nodes (QUAD4):    %10zu\n", r.m3d.nodes.size());
    EXPECT_TRUE(messages_in_order(r.messages, {counts}));
}

TEST(PipelineLog, NonCoplanarPlaneSubregionStopsBeforeMeshing) {
    const Meshed r = mesh_test_model("pipeline_nonplanar_plane.sur");
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(messages_in_order(r.messages, {
                                "\n Third run of the general preprocessor ...\n",
                                "Subregion R1 isn't planar whereas it is declared PLANE;\n"
                                "  or a PINT-point doesn't belong to it despite declared as such.\n",
                                " Unsuccessful return from Korvex().\n",
                                "Fatal error occurred",
                            })) << r.log;
    EXPECT_EQ(r.log.find(" Generating points along curves ...\n"), std::string::npos);
    EXPECT_TRUE(r.m3d_bytes.empty());
}

}  // namespace
}  // namespace korvex::test
