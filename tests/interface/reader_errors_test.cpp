// Every refusal of the model reader, through the library: the exact message
// (with the line of the file it concerns where the reader knows it), then "Reading input data unsuccessful.\n", and the run returns 1.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library_host.h"

namespace korvex::test {
namespace {

const std::string kPoints = "POINTS\nP1 0 0 0\nP2 10 0 0\nP3 10 10 0\nP4 0 10 0\n";
const std::string kCurves = "CURVES\nQL1 P1 P2 STEP 1\nQL2 P2 P3 STEP 1\nQL3 P3 P4 STEP 1\nQL4 P4 P1 STEP 1\n";

// A model with the usual points and curves and the given SUBREGIONS entries.
std::string with_subregions(const std::string& entries) {
    return "Plate\n" + kPoints + kCurves + "SUBREGIONS\n" + entries + "END\n";
}

std::string repeated(const std::string& prefix, int from, int to, const std::string& suffix) {
    std::string s;
    for (int i = from; i <= to; ++i) s += prefix + std::to_string(i) + suffix;
    return s;
}

std::string times(const std::string& text, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += text;
    return s;
}

struct ReaderCase {
    const char* label;
    std::string model;
    std::vector<std::string> messages;  // the last ones before "Reading input data unsuccessful.\n"
};

void expect_refused(LibraryHost& host, const ReaderCase& c) {
    SCOPED_TRACE(c.label);
    RunOutput out = host.run_model("case.sur", c.model);
    EXPECT_EQ(out.result, 1);
    const long at = out.index_of("Reading input data unsuccessful.\n");
    // The host names the model by its full path; the cases by its name.
    const std::string folder = host.folder().string() + "/";
    std::string log;
    for (std::string& m : out.messages) {
        for (std::size_t f; (f = m.find(folder)) != std::string::npos;) m.erase(f, folder.size());
        log += m;
    }
    ASSERT_GE(at, static_cast<long>(c.messages.size())) << log;
    const auto first = out.messages.begin() + at - static_cast<long>(c.messages.size());
    EXPECT_EQ(std::vector<std::string>(first, out.messages.begin() + at), c.messages);
    EXPECT_EQ(out.messages.back(), "Fatal error occurred");
}

TEST(ReaderErrors, FileStructureAndPoints) {
    LibraryHost host;
    const std::vector<ReaderCase> cases{
        {"step mode 5",
         "T\nSTEP 5\n" + kPoints + kCurves + "SUBREGIONS\nEND\n",
         {"STEP: must be CONSTANT or LINEAR\n", " (line 2 of case.sur)\n"}},
        {"END before SUBREGIONS",
         "T\n" + kPoints + kCurves + "END\n",
         {"END keyword prematurely encountered.\n", " END comes before the sections SUBREGIONS", " (line 12 of case.sur)\n"}},
        {"unknown section", "T\nPOINTS\nP1 0 0 0\nCURVE\n", {"Illegal input line in POINTS block:\nCURVE\n", " (line 4 of case.sur)\n"}},
        {"only a title",
         "T\n",
         {"END keyword prematurely encountered.\n",
          " The file case.sur has no section keyword (POINTS, CURVES or SUBREGIONS).\n"}},
        {"empty file", "", {"END keyword prematurely encountered.\n", " The file case.sur is empty.\n"}},
        {"blank file", " \n\n", {"END keyword prematurely encountered.\n", " The file case.sur is empty.\n"}},
        {"a word where a section keyword stands",
         "T\nPOINTS\nPINT1 5 5 0 CX\n",
         {"END keyword prematurely encountered.\n",
          " 'CX' stands where a section keyword (POINTS, CURVES, SUBREGIONS) or END was expected",
          " (line 3 of case.sur)\n"}},
        {"9-character point name", "T\nPOINTS\nP12345678 0 0 0\nEND\n", {" Point P12345678: name too long.\n", " (line 3 of case.sur)\n"}},
        {"illegal points line", "T\nPOINTS\nP1 0 0 0\nX1 1 2 3\n", {"Illegal input line in POINTS block:\nX1 1 2 3\n", " (line 4 of case.sur)\n"}},
        {"end of file in POINTS", "T\nPOINTS\nP1 0 0 0\n", {" Unexpected end of file.\n"}},
        {"PINT without RAD",
         "T\nPOINTS\nPINT1 5 5 0 R1 STEP 0.2 2.0\n",
         {"Error in POINTS section: a PINT-point  \n    must have RAD keyword after STEP value.\n", " (line 3 of case.sur)\n"}},
        {"PINT without subregion",
         "T\nPOINTS\nPINT1 5 5 0 STEP 0.2 RAD 2\n",
         {"Error in POINTS section: a PINT-point  \n    with non-zero parameters must have subregion\n"
          "    name after Z-coordinate.\n",
          " (line 3 of case.sur)\n"}},
        {"13001 points",
         "T\nPOINTS\n" + repeated("P", 1, 13001, " 0 0 0\n") + "END\n",
         {" Increase MAX_CONTROL_POINTS in KORVEX.H file.\n", " (line 13003 of case.sur)\n"}},
    };
    for (const auto& c : cases) expect_refused(host, c);
}

TEST(ReaderErrors, Curves) {
    LibraryHost host;
    const std::string head = "T\n" + kPoints + "CURVES\n";
    const std::vector<ReaderCase> cases{
        {"9-character curve name", head + "QL3456789 P1 P2 STEP 1\nEND\n", {" Curve QL3456789: name too long.\n", " (line 8 of case.sur)\n"}},
        {"9-character point of a curve",
         head + "QL1 P1 P12345678 STEP 1\nEND\n",
         {" Curve QL1 point P12345678: name too long.\n", " (line 8 of case.sur)\n"}},
        {"no points", head + "QL1 STEP 1\nEND\n", {" Curve QL1: no points defined.\n", " (line 8 of case.sur)\n"}},
        {"STEP missing",
         head + "QL1 P1 P2 1.0\nEND\n",
         {" Incorrect point name '1.0' ,\n or STEP keyword missing for curve QL1\n", " (line 8 of case.sur)\n"}},
        {"negative step", head + "QL1 P1 P2 STEP -1\nEND\n", {" Curve QL1: negative value of the step size   =-1\n", " (line 8 of case.sur)\n"}},
        {"illegal lines at the end",
         head + "QL1 P1 P2 STEP 1\nX1 a\nY2 b c\nSUBREGIONS\nEND\n",
         {"Illegal input line in CURVES block:\nX1 a\n", " (line 9 of case.sur)\n", "Illegal input line in CURVES block:\nY2 b c\n",
          " (line 10 of case.sur)\n"}},
        {"end of file in CURVES", head + "QL1 P1 P2 STEP 1\n", {" Unexpected end of file.\n"}},
        {"1001 points on a curve",
         head + "Q1" + repeated(" P", 1, 1001, "") + " STEP 1\nEND\n",
         {"Increase MAX_POINTS_PER_CURVE in KORVEX.H\n", " (line 8 of case.sur)\n"}},
        {"5001 curves",
         head + repeated("QL", 1, 5001, " P1 P2 STEP 1\n") + "END\n",
         {" Increase MAX_CURVES in KORVEX.H  file.\n", " (line 5008 of case.sur)\n"}},
    };
    for (const auto& c : cases) expect_refused(host, c);
}

TEST(ReaderErrors, SubregionTypesAndParameters) {
    LibraryHost host;
    const std::string cyl = "R1 CYLINDER ANGLEX 90 ANGLEY ";
    const std::vector<ReaderCase> cases{
        {"9-character subregion name",
         with_subregions("R12345678 PLANE QL1 QL2 QL3 QL4 REF 0.2\n"),
         {" Subregion R12345678: name too long.\n", " (line 13 of case.sur)\n"}},
        {"CONE",
         with_subregions("R1 CONE QL1 QL2 QL3 QL4 REF 0.2\n"),
         {" Subregion R1: data type CONE not supported.\n", " (line 13 of case.sur)\n"}},
        {"TORUS",
         with_subregions("R1 TORUS QL1 QL2 QL3 QL4 REF 0.2\n"),
         {" Input data error for subregion R1:\n  non-existing type TORUS\n", " (line 13 of case.sur)\n"}},
        {"ANGLEY missing",
         with_subregions("R1 CYLINDER ANGLEX 90 ANGLEZ 0 QL1 REF 0.2\n"),
         {" Subregion R1 of CYLINDER type:\n  ANGLEY parameter not encountered  or misplaced.\n", " (line 13 of case.sur)\n"}},
        {"ANGLEY 360",
         with_subregions(cyl + "360 ANGLEZ 0 QL1 REF 0.2\n"),
         {" Subregion R1: ANGLEY=360 :\n angle value must be >-360. and <+360.\n", " (line 13 of case.sur)\n"}},
        {"ANGLEY -360",
         with_subregions(cyl + "-360 ANGLEZ 0 QL1 REF 0.2\n"),
         {" Subregion R1: ANGLEY=-360 :\n angle value must be >-360. and <+360.\n", " (line 13 of case.sur)\n"}},
        {"angle not a number",
         with_subregions(cyl + "x ANGLEZ 0 QL1 REF 0.2\n"),
         {" Subregion R1 of CYLINDER type:\n  ANGLEZ parameter not encountered  or misplaced.\n", " (line 13 of case.sur)\n"}},
        {"YC misplaced",
         with_subregions("R1 SPHERE XC 0 ZC 0 YC 0 EDGE QL1 EDGE QL2 REF 0.2\n"),
         {" Subregion R1 of SPHERE type:\n  YC parameter not encountered  or misplaced.\n", " (line 13 of case.sur)\n"}},
        {"REF missing", with_subregions("R1 PLANE QL1 QL2 QL3 QL4 0.2\n"), {" REF keyword missing for patch R1\n", " (line 13 of case.sur)\n"}},
        {"REF 0.351",
         with_subregions("R1 PLANE QL1 QL2 QL3 QL4 REF 0.351\n"),
         {" Subregion R1 : Illegal value of the refinement coefficient: 0.351\n (must be within range [0.,0.350]).\n",
          " (line 13 of case.sur)\n"}},
        {"REF negative",
         with_subregions("R1 PLANE QL1 QL2 QL3 QL4 REF -0.1\n"),
         {" Subregion R1 : Illegal value of the refinement coefficient: -0.1\n (must be within range [0.,0.350]).\n",
          " (line 13 of case.sur)\n"}},
    };
    for (const auto& c : cases) expect_refused(host, c);
}

TEST(ReaderErrors, SubregionEdgesHolesAndTrees) {
    LibraryHost host;
    const std::string plane = "R1 PLANE QL1 QL2 QL3 QL4 REF 0.2\n";
    const std::vector<ReaderCase> cases{
        {"PLANE with EDGE",
         with_subregions("R1 PLANE EDGE QL1 QL2 QL3 QL4 REF 0.2\n"),
         {" Subregion R1: must not contain EDGE keyword.\n"}},
        {"BILINEAR with one edge",
         with_subregions("R1 BILINEAR EDGE QL1 QL2 QL3 QL4 REF 0.2\n"),
         {" Patch R1: invalid number of edges: 1\n"}},
        {"long edge curve name",
         with_subregions("R1 PLANE QL1 QL2 QL3 QL4567890 REF 0.2\n"),
         {" Subregion R1 curve QL4567890: name too long.\n", " REF keyword missing for patch R1\n", " (line 13 of case.sur)\n"}},
        {"2001 curves",
         with_subregions("R1 PLANE" + repeated(" Q", 1, 2001, "") + " REF 0.2\n"),
         {"Increase MAX_CURVES_PER_EDGE(=500)\n  in KORVEX.H\n", " (line 13 of case.sur)\n"}},
        {"hole with unknown curve",
         with_subregions(plane + "H1 QL1 QL9\n"),
         {" Input data error:\n  curve QL9 not found in CURVES section.\n",
          " Hole H1 of subregion R1 names it (line 14 of case.sur)\n"}},
        {"tree before CURVES",
         "T\n" + kPoints + "SUBREGIONS\n" + plane + "T1 QL1\n" + kCurves + "END\n",
         {"Input data error:\n  curve QL1 not found in CURVES section.\n",
          " Tree T1 of subregion R1 names it (line 9 of case.sur)\n"}},
        {"long hole name",
         with_subregions(plane + "H12345678 QL1\n"),
         {" Subregion R1, hole H12345678: name too long.\n", " (line 14 of case.sur)\n"}},
        {"long hole curve name",
         with_subregions(plane + "H1 QL1 QL3456789\n"),
         {" Subregion R1  curve QL3456789: name too long.\n", " (line 14 of case.sur)\n"}},
        {"31 holes",
         with_subregions(plane + repeated("H", 1, 31, " QL1\n")),
         {"Increase MAX_HOLES_PER_SUBREGION(currently=30)\n", " (line 44 of case.sur)\n"}},
        {"71 trees",
         with_subregions(plane + repeated("T", 1, 71, " QL1\n")),
         {"Increase MAX_TREES_PER_SUBREGION(currently=70)\n", " (line 84 of case.sur)\n"}},
        {"209 curves in a hole",
         with_subregions(plane + "H1" + times(" QL1", 209) + "\n"),
         {"Increase MAX_CURVES_PER_HOLE(currently=208)\n", " (line 14 of case.sur)\n"}},
        {"151 curves in a tree",
         with_subregions(plane + "T1" + times(" QL2", 151) + "\n"),
         {"Increase MAX_CURVES_PER_TREE(currently=150)\n", " (line 14 of case.sur)\n"}},
        {"illegal subregions line",
         with_subregions(plane + "X1 foo\n"),
         {"Illegal input line in SUBREGIONS block:\nX1 foo\n", " (line 14 of case.sur)\n"}},
        {"end of file in SUBREGIONS",
         "T\n" + kPoints + kCurves + "SUBREGIONS\n" + plane,
         {" Unexpected end of file in readPatches().\n"}},
    };
    for (const auto& c : cases) expect_refused(host, c);
}

// The square plate of the README with P4's y coordinate written as `y`.
std::string plate_with_p4_y(const std::string& y) {
    return "Square plate\nSTEP CONSTANT\nPOINTS\nP1 0.0 0.0 0.0\nP2 10.0 0.0 0.0\nP3 10.0 10.0 0.0\nP4 0.0 " + y +
           " 0.0\nCURVES\nQL1 P1 P2 STEP 1.0\nQL2 P2 P3 STEP 1.0\nQL3 P3 P4 STEP 1.0\nQL4 P4 P1 STEP 1.0\n"
           "SUBREGIONS\nR1 PLANE QL1 QL2 QL3 QL4 REF 0.2\nEND\n";
}

std::string not_a_number(const std::string& word, const std::string& what, int line) {
    return " Not a number: '" + word + "' where the " + what + " was expected (line " + std::to_string(line) +
           " of case.sur)\n";
}

// A word read as a number must be a number as a whole; a mistyped one stops
// the reader at its line instead of meshing a changed geometry.
TEST(ReaderErrors, MistypedNumbers) {
    LibraryHost host;
    const std::string y4 = "y coordinate of point P4";
    const std::vector<ReaderCase> cases{
        {"letter O for zero", plate_with_p4_y("1O.0"), {not_a_number("1O.0", y4, 7)}},
        {"decimal comma", plate_with_p4_y("10,5"), {not_a_number("10,5", y4, 7)}},
        {"trailing letter", plate_with_p4_y("1.0x"), {not_a_number("1.0x", y4, 7)}},
        {"two decimal points", plate_with_p4_y("10.0.5"), {not_a_number("10.0.5", y4, 7)}},
        {"bare sign", plate_with_p4_y("-"), {not_a_number("-", y4, 7)}},
        {"word taken as a label",
         plate_with_p4_y("abc"),
         {" No number for the z coordinate of point P4 before CURVES (line 8 of case.sur)\n"}},
        {"curve step",
         "T\n" + kPoints + "CURVES\nQL1 P1 P2 STEP 1.0x\nEND\n",
         {not_a_number("1.0x", "STEP of curve QL1", 8)}},
        {"refinement coefficient",
         with_subregions("R1 PLANE QL1 QL2 QL3 QL4\n REF 0.2.\n"),
         {not_a_number("0.2.", "REF of subregion R1", 14)}},
        {"cylinder angle",
         with_subregions("R1 CYLINDER ANGLEX 9O ANGLEY 90 ANGLEZ 0 QL1 REF 0.2\n"),
         {not_a_number("9O", "ANGLEX of subregion R1", 13)}},
        {"sphere centre",
         with_subregions("R1 SPHERE XC 0 YC 0,5 ZC 0 EDGE QL1 EDGE QL2 REF 0.2\n"),
         {not_a_number("0,5", "YC of subregion R1", 13)}},
        {"internal point radius",
         "T\nPOINTS\nPINT1 5 5 0 R1 STEP 0.2\nRAD 2e\nEND\n",
         {not_a_number("2e", "RAD of internal point PINT1", 4)}},
    };
    for (const auto& c : cases) expect_refused(host, c);
}

// A name that is not defined is reported with what named it.
TEST(ReaderErrors, LookupsNameWhatAskedForTheName) {
    LibraryHost host;
    const struct {
        const char* label;
        std::string model;
        std::string missing, asker;
    } cases[] = {
        {"point of a curve",
         "T\n" + kPoints + "CURVES\nQL1 P1 P2 STEP 1\nQL2 P2 P3 STEP 1\nQL3 P3 P9 STEP 1\nQL4 P4 P1 STEP 1\n"
             "SUBREGIONS\nR1 PLANE QL1 QL2 QL3 QL4 REF 0.2\nEND\n",
         "Cannot locate point P9 in array points[]\n",
         " Curve QL3 names point P9, which the POINTS section does not define.\n"},
        {"curve of a subregion",
         with_subregions("R1 PLANE QL1 QL2 QL3 QL4 REF 0.2\nR2 PLANE QL1 QL9 QL3 QL4 REF 0.2\n"),
         "Cannot locate curve QL9 in array curves[]\n",
         " Subregion R2 names curve QL9, which the CURVES section does not define.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const RunOutput out = host.run_model("case.sur", c.model);
        EXPECT_EQ(out.result, 1);
        const long at = out.index_of(c.missing);
        ASSERT_GE(at, 0);
        ASSERT_LT(at + 1, static_cast<long>(out.messages.size()));
        EXPECT_EQ(out.messages[static_cast<std::size_t>(at + 1)], c.asker);
    }
}

}  // namespace
}  // namespace korvex::test
