// The meshing command on whole models: several models in one command, in
// worker processes, quietly, with raised capacities and with exports.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "cli/command_runner.h"

namespace korvex::test {
namespace {

namespace fs = std::filesystem;

const char* const kModels[] = {"plane_two_plates", "plane_grid_3x3", "plane_lines_and_arcs"};

// The three models: two beside each other, one in a sub-folder.
std::vector<std::string> copy_models(const fs::path& dir) {
    fs::create_directories(dir / "sub");
    std::vector<std::string> paths;
    for (const char* m : kModels) {
        const std::string rel = std::string(m == kModels[2] ? "sub/" : "") + m + ".sur";
        fs::copy_file(fs::path(KORVEX_TEST_MODELS) / (std::string(m) + ".sur"), dir / rel);
        paths.push_back(rel);
    }
    return paths;
}

struct Outputs {
    std::string m3d, log;
};

std::vector<Outputs> take_outputs(const fs::path& dir, const std::vector<std::string>& models) {
    std::vector<Outputs> all;
    for (const std::string& m : models) {
        const fs::path base = dir / m.substr(0, m.size() - 3);
        expect_valid_flat_m3d(base.string() + "m3d");
        all.push_back({read_file(base.string() + "m3d"), log_without_time(base.string() + "LOG")});
        fs::remove(base.string() + "m3d");
        fs::remove(base.string() + "LOG");
    }
    return all;
}

TEST(MeshCommand, WorkersWriteTheSameFilesAsOneRunAfterAnother) {
    const TempDir dir("cli");
    const std::vector<std::string> models = copy_models(dir.path());
    std::vector<std::string> args = models;
    ASSERT_EQ(run_korvex(dir.path(), args).status, 0);
    const std::vector<Outputs> one_by_one = take_outputs(dir.path(), models);
    for (const std::string& m : models) {
        ASSERT_EQ(run_korvex(dir.path(), {m}).status, 0) << m;
    }
    const std::vector<Outputs> separately = take_outputs(dir.path(), models);
    args.insert(args.begin(), {"-j", "2"});
    const CommandResult workers = run_korvex(dir.path(), args);
    ASSERT_EQ(workers.status, 0) << workers.err;
    const std::vector<Outputs> in_workers = take_outputs(dir.path(), models);
    for (std::size_t i = 0; i < models.size(); ++i) {
        EXPECT_EQ(one_by_one[i].m3d, separately[i].m3d) << models[i];
        EXPECT_EQ(in_workers[i].m3d, separately[i].m3d) << models[i];
        EXPECT_EQ(in_workers[i].log, separately[i].log) << models[i];
    }
    // The workers' messages are shown run by run, each with its own banner.
    std::size_t banners = 0;
    for (std::size_t at = 0; (at = workers.out.find("KORVEX 4.0", at)) != std::string::npos; ++at) ++banners;
    EXPECT_EQ(banners, models.size());
    // No private folder of a worker is left behind in the model's folder.
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with("korvex-job")) << entry.path();
}

TEST(MeshCommand, OneFailedModelFailsTheCommandButNotTheOthers) {
    const TempDir dir("cli");
    const std::vector<std::string> models = copy_models(dir.path());
    for (const char* jobs : {"1", "2"}) {
        const CommandResult r = run_korvex(dir.path(), {"-j", jobs, models[0], "missing.sur", models[1]});
        EXPECT_EQ(r.status, 1) << jobs;
        EXPECT_NE(r.err.find("korvex: missing.sur: meshing failed"), std::string::npos) << r.err;
        take_outputs(dir.path(), {models[0], models[1]});
    }
}

TEST(MeshCommand, QuietRunsEchoNothingAndLogEverything) {
    const TempDir dir("cli");
    const std::vector<std::string> models = copy_models(dir.path());
    ASSERT_EQ(run_korvex(dir.path(), {models[0]}).status, 0);
    const std::vector<Outputs> loud = take_outputs(dir.path(), {models[0]});
    const CommandResult quiet = run_korvex(dir.path(), {"-q", models[0]});
    ASSERT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(take_outputs(dir.path(), {models[0]})[0].log, loud[0].log);
}

TEST(MeshCommand, RaisedSubregionCapacityMeshesA225PlateModel) {
    const TempDir dir("cli");
    write_file(dir.path() / "plates.sur", grid_of_plates(15, 5.0));
    const CommandResult refused = run_korvex(dir.path(), {"-q", "plates.sur"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(read_file(dir.path() / "plates.LOG").find("Increase MAX_SUBREGIONS"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.path() / "plates.m3d"));

    ASSERT_EQ(run_korvex(dir.path(), {"-q", "--max-subregions", "300", "plates.sur"}).status, 0);
    expect_valid_flat_m3d(dir.path() / "plates.m3d");
    std::set<std::string> subregions;
    for (const M3dElement& e : read_m3d(dir.file("plates.m3d")).elements) subregions.insert(e.name);
    EXPECT_EQ(subregions.size(), 225u);
}

TEST(MeshCommand, ExportsAfterTheRunEqualTheExportsOfTheMesh) {
    const TempDir dir("cli");
    const std::vector<std::string> models = copy_models(dir.path());
    const CommandResult r = run_korvex(dir.path(), {"--export", "nastran,abaqus,vtk,msh", models[2]});
    ASSERT_EQ(r.status, 0) << r.err;
    expect_valid_flat_m3d(dir.path() / "sub/plane_lines_and_arcs.m3d");
    for (const char* format : {"nastran", "abaqus", "vtk", "msh"})
        EXPECT_NE(r.out.find(std::string(" Export (") + format + ") written to sub/plane_lines_and_arcs."),
                  std::string::npos) << format;
    const struct {
        const char* format;
        const char* extension;
    } formats[] = {{"nastran", "bdf"}, {"abaqus", "inp"}, {"vtk", "vtu"}, {"msh", "msh"}};
    for (const auto& f : formats) {
        const std::string beside = "sub/plane_lines_and_arcs." + std::string(f.extension);
        const std::string again = std::string("again.") + f.extension;
        const CommandResult e = run_korvex(dir.path(), {"export", "sub/plane_lines_and_arcs.m3d", "--format", f.format, "-o", again});
        ASSERT_EQ(e.status, 0) << e.err;
        EXPECT_FALSE(read_file(dir.path() / beside).empty()) << beside;
        EXPECT_EQ(read_file(dir.path() / beside), read_file(dir.path() / again)) << f.format;
    }
    // A mesh that cannot be read, and a command line that cannot be used.
    EXPECT_EQ(run_korvex(dir.path(), {"export", "none.m3d", "--format", "vtk"}).status, 1);
    EXPECT_EQ(run_korvex(dir.path(), {"export", "sub/plane_lines_and_arcs.m3d", "--format", "vtk,msh", "-o", "x"}).status, 2);
}

}  // namespace
}  // namespace korvex::test
