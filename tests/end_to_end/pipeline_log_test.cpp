// A plain plane model through the whole engine: the log shows every stage of
// the pipeline in order, and the result file is written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "korvex/korvex.h"
#include "support/m3d_file.h"
#include "support/mesh_checker.h"

namespace {

std::vector<std::string>& captured() {
    static std::vector<std::string> messages;
    return messages;
}
void capture(const char* text) { captured().emplace_back(text); }
std::string whole_log() {
    std::string log;
    for (const std::string& m : captured()) log += m;
    return log;
}

// Every expected message occurs, in this order (others may come between);
// names the first one missing.
::testing::AssertionResult messages_in_order(const std::vector<std::string>& messages,
                                             const std::vector<std::string>& expected) {
    auto at = messages.begin();
    for (const std::string& e : expected) {
        at = std::find(at, messages.end(), e);
        if (at == messages.end()) return ::testing::AssertionFailure() << "missing, or out of order: \"" << e << "\"";
        ++at;
    }
    return ::testing::AssertionSuccess();
}

std::string read_file(const std::filesystem::path& path) {
    std::string content;
    if (std::FILE* f = std::fopen(path.string().c_str(), "rb")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) content.append(buf, n);
        std::fclose(f);
    }
    return content;
}

// Copies a model of tests/models into a fresh folder, runs it with the
// messages captured, and returns GenerateQuads' result.
class ModelRun {
public:
    explicit ModelRun(const std::string& model_name)
        : dir_(std::filesystem::temp_directory_path() /
               ("korvex_pipeline_log_" + std::to_string(::getpid()) + "_" + model_name)) {
        std::filesystem::create_directories(dir_);
        std::filesystem::copy_file(std::filesystem::path(KORVEX_TEST_MODELS) / model_name, dir_ / "model.sur",
                                   std::filesystem::copy_options::overwrite_existing);
    }
    ~ModelRun() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    int run() {
        captured().clear();
        SetMessageCallback(capture);
        std::string path = (dir_ / "model.sur").string();
        char name[] = "korvex";
        char* argv[] = {name, path.data()};
        const int rc = GenerateQuads(2, argv);
        SetMessageCallback(nullptr);
        return rc;
    }
    std::filesystem::path result() const { return dir_ / "model.m3d"; }

private:
    std::filesystem::path dir_;
};

TEST(PipelineLog, PlanePlateRunsEveryStageInOrder) {
    ModelRun model("pipeline_square_plate.sur");
    const int rc = model.run();

    const std::vector<std::string> through_meshing_banner = {
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
    };
    EXPECT_TRUE(messages_in_order(captured(), through_meshing_banner)) << whole_log();

    const std::vector<std::string> meshing_to_result = {
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
    };
    EXPECT_TRUE(messages_in_order(captured(), meshing_to_result));
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(std::count_if(captured().begin(), captured().end(),
                            [](const std::string& m) { return m.find("Output data error") != std::string::npos; }),
              0);

    const std::string result = read_file(model.result());
    EXPECT_EQ(result.rfind("Square plate for the pipeline log test\nNODES\n", 0), 0u);
    const korvex::test::M3dFile m3d = korvex::test::read_m3d(model.result().string());
    ASSERT_TRUE(m3d.ok()) << m3d.error;
    std::vector<korvex::test::Point3> nodes;
    for (const auto& n : m3d.nodes) nodes.push_back({n.x, n.y, n.z});
    std::vector<korvex::test::Quad> quads;
    for (const auto& e : m3d.elements) quads.push_back(e.nodes);
    EXPECT_FALSE(quads.empty());
    const auto failures = korvex::test::check_quad_mesh(nodes, quads, {0.0, 0.0, 1.0});
    EXPECT_TRUE(failures.empty()) << korvex::test::join_failures(failures);
    char counts[128];
    std::snprintf(counts, sizeof counts, " Number of nodes (QUAD4):    %10zu\n", m3d.nodes.size());
    EXPECT_TRUE(messages_in_order(captured(), {counts}));
}

TEST(PipelineLog, NonCoplanarPlaneSubregionStopsBeforeMeshing) {
    ModelRun model("pipeline_nonplanar_plane.sur");
    EXPECT_EQ(model.run(), 1);
    EXPECT_TRUE(messages_in_order(captured(), {
                                                  "\n Third run of the general preprocessor ...\n",
                                                  "Subregion R1 isn't planar whereas it is declared PLANE;\n"
                                                  "  or a PINT-point doesn't belong to it despite declared as such.\n",
                                                  " Unsuccessful return from Korvex().\n",
                                                  "Fatal error occurred",
                                              }))
        << whole_log();
    EXPECT_TRUE(std::find(captured().begin(), captured().end(), " Generating points along curves ...\n") ==
                captured().end());
    EXPECT_FALSE(std::filesystem::exists(model.result()));
}

}  // namespace
