// The meshing command on whole models: several models in one command, in
// worker processes, quietly, with raised capacities and with exports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
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
    // The workers' summaries are shown run by run, one for each model.
    for (const std::string& m : models) EXPECT_NE(workers.out.find(m + ": meshed, "), std::string::npos) << m;
    // Verbose workers show each run's messages in one piece, with its own banner.
    args.insert(args.begin(), "-v");
    const CommandResult verbose = run_korvex(dir.path(), args);
    ASSERT_EQ(verbose.status, 0) << verbose.err;
    EXPECT_EQ(take_outputs(dir.path(), models)[0].log, one_by_one[0].log);
    std::size_t banners = 0;
    for (std::size_t at = 0; (at = verbose.out.find("KORVEX 4.0", at)) != std::string::npos; ++at) ++banners;
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

std::size_t line_count(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

TEST(MeshCommand, DefaultRunsPrintASummaryAndVerboseRunsEveryMessage) {
    const TempDir dir("cli");
    const std::vector<std::string> models = copy_models(dir.path());
    const CommandResult summary = run_korvex(dir.path(), {models[0]});
    ASSERT_EQ(summary.status, 0) << summary.err;
    const std::string log = read_file(dir.path() / "plane_two_plates.LOG");
    EXPECT_LE(line_count(summary.out), 15u) << summary.out;
    EXPECT_EQ(summary.err, "");
    const M3dFile mesh = read_m3d(dir.file("plane_two_plates.m3d"));
    ASSERT_TRUE(mesh.ok());
    for (const std::string& part :
         {std::string("plane_two_plates.sur: meshed, 2 subregions (PLANE 2)\n"),
          "  " + std::to_string(mesh.nodes.size()) + " nodes, " + std::to_string(mesh.elements.size()) +
              " elements, smallest scaled Jacobian ",
          std::string(" seconds; written: plane_two_plates.m3d, plane_two_plates.LOG\n")})
        EXPECT_NE(summary.out.find(part), std::string::npos) << part << "\n" << summary.out;
    EXPECT_EQ(summary.out.find("Entered"), std::string::npos);

    // The verbose run prints the banner and then every message the log holds.
    const CommandResult verbose = run_korvex(dir.path(), {"--verbose", models[0]});
    ASSERT_EQ(verbose.status, 0);
    const std::string messages = log_without_time(dir.path() / "plane_two_plates.LOG");
    EXPECT_EQ(log_without_time(dir.path() / "plane_two_plates.LOG"), log_without_time_text(log));
    const std::string first_line = "KORVEX:  log file. \n";
    ASSERT_TRUE(messages.starts_with(first_line));
    EXPECT_TRUE(log_without_time_text(verbose.out).ends_with(messages.substr(first_line.size())));
}

// The number of the element of the smallest scaled Jacobian among the
// output data errors of a log, or "" when there is none.
std::string worst_reported_element(const std::string& log) {
    const char* prefix = " Output data error: element ";
    std::string element;
    double smallest = 2.0;
    for (std::size_t at = log.find(prefix); at != std::string::npos; at = log.find(prefix, at + 1)) {
        const char* number = log.c_str() + at + std::strlen(prefix);
        const char* value = std::strstr(number, "scaled Jacobian ");
        if (value == nullptr) break;
        const double sj = std::strtod(value + 16, nullptr);
        if (sj < smallest) {
            smallest = sj;
            element.assign(number, std::strcspn(number, " "));
        }
    }
    return element;
}

TEST(MeshCommand, SummaryCountsWarningsAndOutputDataErrors) {
    const TempDir dir("cli");
    const std::string model = "mutated_trees_two_trees_arc.sur";
    fs::copy_file(fs::path(KORVEX_TEST_MODELS) / model, dir.path() / model);
    const CommandResult r = run_korvex(dir.path(), {"--max-nodes", "5000", model});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("  1 warning, 2 output data errors (see the log)\n"), std::string::npos) << r.out;
    // The summary names the element of the smallest scaled Jacobian among those the log reports.
    const std::string log = read_file(dir.path() / "mutated_trees_two_trees_arc.LOG");
    const std::string element = worst_reported_element(log);
    ASSERT_FALSE(element.empty()) << log;
    EXPECT_NE(r.out.find("smallest scaled Jacobian -"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("(element " + element + ")"), std::string::npos) << r.out;
}

TEST(MeshCommand, FailuresTellTheirReasonEvenQuietly) {
    const TempDir dir("cli");
    const std::string plate = "Square plate\nSTEP CONSTANT\nPOINTS\nP1 0.0 0.0 0.0\nP2 10.0 0.0 0.0\n"
                              "P3 10.0 10.0 0.0\nP4 0.0 1O.0 0.0\nCURVES\nQL1 P1 P2 STEP 1.0\nQL2 P2 P3 STEP 1.0\n"
                              "QL3 P3 P4 STEP 1.0\nQL4 P4 P9 STEP 1.0\nSUBREGIONS\nR1 PLANE QL1 QL2 QL3 QL4 REF 0.2\nEND\n";
    write_file(dir.path() / "number.sur", plate);
    std::string lookup = plate;
    lookup.replace(lookup.find("1O.0"), 4, "10.0");
    write_file(dir.path() / "lookup.sur", lookup);
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> reason;  // in this order on standard error
    } cases[] = {
        {{"-q", "number.sur"},
         {"korvex: number.sur: meshing failed\n",
          "  Not a number: '1O.0' where the y coordinate of point P4 was expected (line 7 of number.sur)\n",
          "  Reading input data unsuccessful.\n", "  Fatal error occurred\n"}},
        {{"-q", "lookup.sur"},
         {"korvex: lookup.sur: meshing failed\n", "  Cannot locate point P9 in array points[]\n",
          "  Curve QL4 names point P9, which the POINTS section does not define.\n", "  Fatal error occurred\n"}},
        {{"lookup.sur"}, {"korvex: lookup.sur: meshing failed\n", "  Cannot locate point P9 in array points[]\n"}},
        {{"-q", "missing.sur"}, {"korvex: missing.sur: meshing failed\n", "  No such file: missing.sur\n"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const CommandResult r = run_korvex(dir.path(), c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        std::size_t at = 0;
        for (const std::string& line : c.reason) {
            const std::size_t found = r.err.find(line, at);
            ASSERT_NE(found, std::string::npos) << line << "\n" << r.err;
            at = found + line.size();
        }
        EXPECT_LE(line_count(r.err), 15u) << r.err;
    }
}

TEST(MeshCommand, BareCommandPrintsTheUsage) {
    const TempDir dir("cli");
    const CommandResult r = run_korvex(dir.path(), {});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.starts_with("Usage: korvex [OPTIONS] MODEL.sur")) << r.err;
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
