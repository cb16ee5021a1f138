// What the command takes from a run for a person: subregion types from the
// model, counts from the message stream, and the lines that explain a failure.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "run_report.h"

namespace korvex::cli {
namespace {

TEST(RunReport, SubregionTypesAsTheReaderRecognisesThem) {
    const std::string model =
        "R1 PLANE is the title\nPOINTS\nP1 0 0 0\nSUBREGIONS\n"
        "R1 PLANE QL1 QL2 QL3 QL4 REF 0.2\nHA C1 C2\nTB QL9 * RX PLANE in a comment\n"
        "R2 REV2 EDGE C1 EDGE QL1 EDGE C2 EDGE QL2 REF 0.1\n"
        "R3\n* comment\nREV EDGE C1 EDGE QL1 REF 0\n"
        "R4 SPH XC 0 YC 0 ZC 0 EDGE C1 EDGE C2 REF 0.2\n"
        "R5 EDGE Q1 EDGE Q2 EDGE Q3 REF 0.2\n"
        "R6 CYLINDER ANGLEX 90 ANGLEY 90 ANGLEZ 0 QL1 REF 0.2\n"
        "R7 BIL EDGE Q1 EDGE Q2 REF 0.2 R8 PLANE QL1 REF 0\n"
        "CURVES\nQL1 P1 P2 STEP 1\nEND\n";
    const std::map<std::string, int> expected{{"BILINEAR", 1}, {"CYLINDER", 1}, {"PLANE", 2}, {"REV", 1},
                                              {"REV2", 1},     {"SPHERE", 1},   {"untyped", 1}};
    EXPECT_EQ(subregion_types(model), expected);
}

TEST(RunReport, CountsOfTheStream) {
    const StreamCounts c = count_stream(
        "Warning : MAX_NODEL_3D=5000 - can be too low !\n"
        " Output data error: element 7 of subregion R1 is inverted or degenerate (scaled Jacobian -0.5).\n"
        "Warning! no appropriate nodes found\n\n Total processing time:     1.25 seconds.\n");
    EXPECT_EQ(c.warnings, 2);
    EXPECT_EQ(c.output_data_errors, 1);
    EXPECT_DOUBLE_EQ(c.seconds, 1.25);
    EXPECT_EQ(count_stream("").seconds, -1);
}

TEST(RunReport, FailureLinesStartAtTheFirstError) {
    const struct {
        const char* label;
        std::string stream;
        std::vector<std::string> lines;
    } cases[] = {
        {"reader",
         " MAX_CURVES = 5000\n\nWarning : low\n" + std::string(91, '*') + "* Memory 1 MB" + std::string(91, '*') +
             " Not a number: '1O.0' where the y coordinate of point P4 was expected "
         "(line 7 of t.sur)\nReading input data unsuccessful.\n\n Total processing time: 0.00 seconds.\n"
         "Fatal error occurred",
         {" Not a number: '1O.0' where the y coordinate of point P4 was expected (line 7 of t.sur)",
          "Reading input data unsuccessful.", " Total processing time: 0.00 seconds.", "Fatal error occurred"}},
        {"file check", "\n banner\n\n No such file: t.sur\nFatal error occurred",
         {" No such file: t.sur", "Fatal error occurred"}},
        {"no line reads as an error", "a\nb\nc\nd\ne\nf\ng\nFatal error occurred",
         {"d", "e", "f", "g", "Fatal error occurred"}},
    };
    for (const auto& c : cases) EXPECT_EQ(failure_lines(c.stream), c.lines) << c.label;
}

// A model in a deep folder keeps its whole path in the summary.
TEST(RunReport, LongPathsAreNotCutShort) {
    const std::string dir(600, 'd');
    const std::string model = dir + "/plate.sur";
    const std::string summary = run_summary(model, "t\nSUBREGIONS\nR1 PLANE QL1 REF 0.2\nEND\n",
                                            " Total processing time:     0.25 seconds.\n", dir + "/plate.m3d",
                                            dir + "/plate.LOG");
    EXPECT_EQ(summary.rfind(model + ": meshed, 1 subregion (PLANE 1)\n", 0), 0u) << summary;
    EXPECT_NE(summary.find("0.25 seconds; written: " + dir + "/plate.m3d, " + dir + "/plate.LOG\n"), std::string::npos);
}

}  // namespace
}  // namespace korvex::cli
