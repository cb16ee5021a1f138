// The final checks: the result file's exact format, the coincidence check and
// its report, the counts and the advice.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "base/numeric_constants.h"
#include "base/vec3.h"
#include "model/run.h"
#include "pipeline/coincidence_check.h"
#include "pipeline/pipeline.h"
#include "pipeline/result_file.h"
#include "support/message_capture.h"
#include "support/model_builder.h"

namespace korvex::test {
namespace {

TEST(ResultFile, NameReplacesTheLastThreeCharacters) {
    EXPECT_EQ(result_file_name("a.sur"), "a.m3d");
    EXPECT_EQ(result_file_name("dir.v2/Model.SUR"), "dir.v2/Model.m3d");
}

TEST(ResultFile, FormatIsExact) {
    TempDir dir("result");
    korvex::Run run;
    run.title = "Small plate\n";
    run.problem_path = dir.file("plate.sur");
    add_node(run, "P1", 0.0, 0.0, 0.0);
    add_node(run, "P@000001", 10.0, 0.0, -2.5);
    add_node(run, "R!000003", 10.0, 0.1, 1e-7);
    add_node(run, "PA", -0.125, 123456.789, 0.0);
    add_element(run, 1, 2, 3, 4, "R1");

    MessageCapture messages;
    ASSERT_EQ(final_checks_and_output(run), 1);
    EXPECT_EQ(read_file(dir.file("plate.m3d")),
              "Small plate\n"
              "NODES\n"
              "Node :      1                     +0                      +0                      +0    P1\n"
              "Node :      2                    +10                      +0                    -2.5    P@000001\n"
              "Node :      3                    +10                    +0.1                  +1e-07    R!000003\n"
              "Node :      4                 -0.125             +123456.789                      +0    PA\n"
              "END_OF_NODES\n"
              "ELEMENTS\n"
              "Element :      1        1      2      3      4  R1\n"
              "END_OF_ELEMENTS\n"
              "END\n");
    EXPECT_EQ(messages.all(), (std::vector<std::string>{
                                  "\ncoincidence checking algorithm...\n",
                                  "... over.\n",
                                  " Number of nodes (QUAD4):             4\n",
                                  " Number of elements:                  1\n",
                              }));  // all singular elements repaired: no advice
}

TEST(ResultFile, AdviceWhenSingularElementsRemain) {
    TempDir dir("advice");
    korvex::Run run;
    run.problem_path = dir.file("m.sur");
    run.all_singular_repaired = 0;
    MessageCapture messages;
    ASSERT_EQ(final_checks_and_output(run), 1);
    EXPECT_TRUE(messages.text().ends_with(
        "\n\nNB ! It is recommended to examine step sizes\n"
        "  along segments and/or curves closely placed to each other.\n"
        "Step sizes are too large; not all singular elements could be repaired.\n\n"
        "And/or consider increasing REF values to 0.25 or more.\n"));
    EXPECT_EQ(read_file(dir.file("m.m3d")), "NODES\nEND_OF_NODES\nELEMENTS\nEND_OF_ELEMENTS\nEND\n");
}

TEST(ResultFile, UncreatableFileFailsWithAMessage) {
    TempDir dir("nofile");
    korvex::Run run;
    run.problem_path = dir.file("missing_folder/m.sur");
    MessageCapture messages;
    EXPECT_EQ(final_checks_and_output(run), 0);
    EXPECT_TRUE(messages.has(" Cannot create the result file " + dir.file("missing_folder/m.m3d") + "\n"));
    EXPECT_EQ(messages.count("Number of nodes"), 0);
}

TEST(CoincidenceCheck, CloseNodesAreReportedAndStillWritten) {
    TempDir dir("pair");
    korvex::Run run;
    run.title = "t\n";
    run.problem_path = dir.file("pair.sur");
    add_node(run, "P1", 5.0, 0.0, 0.0);
    add_node(run, "R@000001", 1.0, 2.0, 3.0);
    add_node(run, "R@000002", 1.0, 2.0, 3.0 + 1e-7);
    MessageCapture messages;
    ASSERT_EQ(final_checks_and_output(run), 1);
    ASSERT_EQ(messages.count("Output data error"), 1);
    EXPECT_TRUE(messages.has("A pair of possibly coinciding nodes identified:\n"));
    char pair[512];
    std::snprintf(pair, sizeof pair,
                  "*** node[      2]=( 1.0000000e+00, 2.0000000e+00, 3.0000000e+00) belongs to R@000001\n"
                  "    node[      3]=( 1.0000000e+00, 2.0000000e+00, 3.0000001e+00) belongs to R@000002\n"
                  "    coincide; dist=%14.7e\n",
                  1e-7);
    EXPECT_TRUE(messages.has(pair)) << messages.text();
    const std::string file = read_file(dir.file("pair.m3d"));
    EXPECT_NE(file.find("R@000001"), std::string::npos);
    EXPECT_NE(file.find("R@000002"), std::string::npos);
}

TEST(CoincidenceCheck, EqualDistancesFromTheOrigin) {
    // Mirror images at one distance are not reported.
    korvex::Run mirror;
    add_node(mirror, "PA", 3.0, 4.0, 0.0);
    add_node(mirror, "PB", -3.0, -4.0, 0.0);
    add_node(mirror, "PC", 0.0, 0.0, 5.0);
    MessageCapture messages;
    ASSERT_TRUE(sorted_coincidence_check(mirror));
    EXPECT_EQ(messages.count("Output data error"), 0);

    // Nodes 1 and 3 coincide; 2 lies at the same distance elsewhere: the sort
    // is stable and the pair is reported in increasing node order.
    korvex::Run stable;
    add_node(stable, "PA", 0.0, 2.0, 0.0);
    add_node(stable, "PB", 2.0, 0.0, 0.0);
    add_node(stable, "PC", 0.0, 2.0, 0.0);
    ASSERT_TRUE(sorted_coincidence_check(stable));
    EXPECT_EQ(messages.count("*** node[      1]="), 1);
    EXPECT_EQ(messages.count("    node[      3]="), 1);
}

TEST(CoincidenceCheck, ProgressLineEveryHundredPositions) {
    for (const int n : {100, 101}) {
        korvex::Run run;
        for (int i = 1; i <= n; ++i) add_node(run, "P", n - i + 1.0, 0.0, 0.0);  // reverse order
        MessageCapture messages;
        ASSERT_TRUE(sorted_coincidence_check(run));
        EXPECT_EQ(messages.count("checking stage"), n == 100 ? 0 : 1);
        // Position 100 holds the 100th-nearest node, which is node 2.
        if (n == 101) {
            EXPECT_TRUE(messages.has("... checking stage        100  (node          2)...   (total=       101)\n"));
        }
    }
}

TEST(CoincidenceCheck, FullCheckUsesRelativeDistance) {
    korvex::Run run;
    add_node(run, "P0", 0.0, 0.0, 0.0);
    add_node(run, "P00", 0.0, 0.0, 0.0);     // both at the origin: undefined, not reported
    add_node(run, "PA", 1000.0, 0.0, 0.0);
    add_node(run, "PB", 1000.0, 1e-4, 0.0);  // relative distance 1e-7: reported
    add_node(run, "PC", 0.0, 1.0, 0.0);
    add_node(run, "PD", 0.0, 1.0, 1e-5);     // relative distance 1e-5: not reported
    MessageCapture messages;
    full_coincidence_check(run);
    EXPECT_EQ(messages.all().front(), "Performing full coincidence boundary check...\n");
    EXPECT_EQ(messages.all()[1], " (if total number of nodes <=30000, checking ALL nodes)\n");
    EXPECT_EQ(messages.all().back(), " ... complete.\n");
    ASSERT_EQ(messages.count("Output data error"), 1);
    EXPECT_EQ(messages.count("*** node[      3]=( 1.0000000e+03"), 1);
    EXPECT_EQ(messages.count("    node[      4]="), 1);
}

// Nodes on a sphere centred on the origin all share one distance window: the
// grid search must report exactly what the window scan reports, in order,
// twins across every face, edge and corner of its cells included.
TEST(CoincidenceCheck, GridSearchMatchesTheWindowScan) {
    korvex::Run run;
    const double radius = 5.0;
    std::vector<Vec3> directions;
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            for (int dz = -1; dz <= 1; ++dz)
                if (dx || dy || dz) directions.push_back({double(dx), double(dy), double(dz)});
    for (int i = 0; i < 1500; ++i) {
        const double theta = 0.001 + 3.14 * (i % 50) / 50.0, phi = 6.28 * (i / 50) / 30.0;
        const double x = radius * std::sin(theta) * std::cos(phi), y = radius * std::sin(theta) * std::sin(phi),
                     z = radius * std::cos(theta);
        add_node(run, "R", x, y, z);
        // A near twin 1e-7 away on the sphere, and an exact twin.
        if (i % 97 == 0) add_node(run, "P@", x, y + 1e-7 * z / radius, z - 1e-7 * y / radius);
        if (i % 331 == 0) add_node(run, "C@", x, y, z);
        if (i % 53 == 0) {
            const Vec3& d = directions[static_cast<std::size_t>(i / 53) % directions.size()];
            const double step = 0.6 * kPointTolerance / std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
            add_node(run, "D@", x + step * d.x, y + step * d.y, z + step * d.z);
        }
    }
    MessageCapture messages;
    ASSERT_TRUE(sorted_coincidence_check(run, CoincidenceSearch::WindowScan));
    const std::vector<std::string> scanned = messages.all();
    for (const auto search : {CoincidenceSearch::Grid, CoincidenceSearch::Automatic}) {
        messages.clear();
        ASSERT_TRUE(sorted_coincidence_check(run, search));
        EXPECT_EQ(messages.all(), scanned);
    }
    EXPECT_GE(messages.count("Output data error"), 16 + 5);
    EXPECT_EQ(messages.count("checking stage"), run.num_nodes / 100);
}

}  // namespace
}  // namespace korvex::test
