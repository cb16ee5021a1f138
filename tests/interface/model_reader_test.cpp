// What the model reader stores: read_model called directly on small files.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "base/run_settings.h"
#include "input/input_stages.h"
#include "support/message_capture.h"
#include "support/model_builder.h"

namespace korvex::test {
namespace {

class ModelReader : public ::testing::Test {
protected:
    // Reads `text` as a model file with the given run settings.
    int read(const std::string& text, RunSettings settings = {}) {
        messages.clear();
        run = std::make_unique<korvex::Run>();
        run->settings = settings;
        const ModelFile file(text);
        run->problem_path = file.path();
        return read_model(*run);
    }
    const std::string& last_message() const { return messages.all().back(); }
    // The last n messages, in order.
    std::vector<std::string> last_messages(std::size_t n) const {
        const auto& all = messages.all();
        return std::vector<std::string>(all.end() - static_cast<long>(std::min(n, all.size())), all.end());
    }
    // What follows a message about a word on line `line` of the model file.
    std::string line_note(int line) const {
        return " (line " + std::to_string(line) + " of " + run->problem_path + ")\n";
    }

    std::unique_ptr<korvex::Run> run;
    MessageCapture messages;
};

// The 10 x 10 square's points and curves with the given SUBREGIONS lines.
std::string square_with(const std::string& subregions) {
    SurModel m = rectangle_sur();
    m.title = "Square plate";
    m.subregions = subregions;
    return m.text();
}

TEST_F(ModelReader, SquarePlate) {
    ASSERT_EQ(read(square_with("R1 PLANE QL1 QL2 QL3 QL4 REF 0.2\n")), 1);
    EXPECT_EQ(run->title, "Square plate\n");
    ASSERT_EQ(run->nPoints, 4);
    ASSERT_EQ(run->nCurves, 4);
    ASSERT_EQ(run->nPatches, 1);
    EXPECT_EQ(run->points[3].id, 3);
    EXPECT_DOUBLE_EQ(run->points[3].y, 10.0);
    const Curve& c = run->curves[2];
    EXPECT_EQ(c.num_points, 2);
    EXPECT_EQ(c.point_names[2], "P3");
    EXPECT_DOUBLE_EQ(c.step, 1.0);
    EXPECT_EQ(c.center[0], kNotComputed);
    const Subregion& s = run->patches[1];
    EXPECT_EQ(s.name, "R1");
    EXPECT_EQ(s.type, TYPE_PLANE);
    EXPECT_EQ(s.num_edges, 1);
    EXPECT_EQ(s.num_curves, 4);
    EXPECT_EQ(s.curves_per_edge[1], 4);
    EXPECT_EQ(s.curve_names[4], "QL4");
    EXPECT_DOUBLE_EQ(s.REF, 0.2);
    EXPECT_EQ(messages.all(),
              (std::vector<std::string>{" Reading input data: SUBREGIONS section ...\n", " ... complete.\n\n"}));
}

TEST_F(ModelReader, StepModeLineAndSectionOrder) {
    const SurModel m = rectangle_sur();
    const std::string body = "POINTS\n" + m.points + "CURVES\n" + m.curves;
    const std::string end = "SUBREGIONS\n" + m.subregions + "END\n";
    for (const char* head : {"T\nSTEP linear\n", "T\nstep Lin\n", "T\n", "T\r\nSTEP CONSTANT\r\n"}) {
        EXPECT_EQ(read(head + body + end), 1) << head;
        EXPECT_EQ(run->title, "T\n");
    }
    // Sections in any order; SUBREGIONS may open the file when no hole or tree needs the curves.
    EXPECT_EQ(read("T\n" + end.substr(0, end.size() - 4) + body + "END\n"), 1);
    EXPECT_EQ(run->nPatches, 1);
}

TEST_F(ModelReader, LabelsCommentsAndNames) {
    ASSERT_EQ(read("T\nPOINTS\n* a comment line P9 1 1 1\nP1 X 1.0 Y 2.0 Z 3.0\nP2345678 -1e1 +.5 4\n"
                   "CURVES\n* comment\nQ1 P1 P2345678 STEP = 0.25\n"
                   "SUBREGIONS\nR1\n* comment after the name\nEDGE Q1 * comment\n EDGE Q1 REF 0\nEND\n"),
              1);
    ASSERT_EQ(run->nPoints, 2);
    const auto xyz = [](const ControlPoint& p) { return std::array<double, 3>{p.x, p.y, p.z}; };
    EXPECT_EQ(xyz(run->points[1]), (std::array<double, 3>{1.0, 2.0, 3.0}));
    EXPECT_EQ(run->points[2].name, "P2345678");
    EXPECT_EQ(xyz(run->points[2]), (std::array<double, 3>{-10.0, 0.5, 4.0}));
    EXPECT_DOUBLE_EQ(run->curves[1].step, 0.25);
    EXPECT_EQ(run->patches[1].type, TYPE_NONE);
    EXPECT_EQ(run->patches[1].num_edges, 2);
}

TEST_F(ModelReader, WholeNumbersInEveryNotation) {
    const struct {
        const char* word;
        double value;
    } cases[] = {{"1e-3", 1e-3}, {"-5", -5.0}, {"+2.5", 2.5}, {".5", 0.5}, {"5.", 5.0}, {"1E+2", 100.0}, {"-.25e1", -2.5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        const std::string w = c.word;
        ASSERT_EQ(read("T\nPOINTS\nP1 " + w + " 0 0\nCURVES\nQ1 P1 P1 STEP 1"
                       "\nSUBREGIONS\nR1 SPHERE XC " + w + " YC 0 ZC 0 EDGE Q1 EDGE Q1 REF 0\nEND\n"),
                  1);
        EXPECT_EQ(run->points[1].x, c.value);
        EXPECT_EQ(run->patches[1].centre[0], c.value);
    }
}

TEST_F(ModelReader, InternalPoints) {
    ASSERT_EQ(read("T\nPOINTS\nPINT1 5.0 5.0 0.0 R1 STEP 0.2 RAD 2.0\nPINT2 1 1 0 R1 P3 0 0 0\nPINT3 2 2 0\n"
                   "PINT4 3 3 0 CURVES\nQL1 P3 P3 STEP 1\nSUBREGIONS\nEND\n"),
              1);
    ASSERT_EQ(run->nPoints, 5);
    const ControlPoint& a = run->points[1];
    EXPECT_EQ(a.subregion_work, "R1");
    EXPECT_DOUBLE_EQ(a.PINT_step_work, 0.2);
    EXPECT_DOUBLE_EQ(a.PINT_rad_work, 2.0);
    EXPECT_EQ(a.PINT, 1);
    EXPECT_EQ(run->points[2].subregion, "R1");
    EXPECT_EQ(run->points[2].PINT, 0);
    EXPECT_EQ(run->points[3].name, "P3");
    EXPECT_EQ(run->nCurves, 1);  // PINT4 handed the section over to CURVES
    // An internal point may end the POINTS section.
    EXPECT_EQ(read("T\nPOINTS\nPINT1 5 5 0\nEND\n"), 0);
    EXPECT_EQ(last_messages(3), (std::vector<std::string>{"END keyword prematurely encountered.\n",
                                                           " END comes before the sections CURVES, SUBREGIONS",
                                                           line_note(4)}));
}

TEST_F(ModelReader, SurfaceTypesEdgesHolesAndTrees) {
    ASSERT_EQ(read(square_with("R1 SPHERICAL XC 1 YC -2 ZC 3.5 EDGE QL1 EDGE QL2 REF 0.35\n"
                               "R2 RING EDGE QL1 QL2 EDGE QL3 EDGE QL4 REF 0\n"
                               "R3 REV2 EDGE QL1 EDGE QL2 EDGE QL3 EDGE QL4 REF 0\n"
                               "R4 CYLINDER ANGLEX 90 ANGLEY 359.9 ANGLEZ -45 QL1 QL2 QL3 QL4 REF 0.1\n"
                               "R5 BILINEAR QL1 EDGE QL2 EDGE QL3 EDGE QL4 REF 0.2\n"
                               "R6 PLANE QL1 QL2 QL3 QL4 REF 0.2\nH1 QL3 * comment\n QL2\nT1 QL4\nT2 QL1 QL2\n")),
              1);
    const auto& p = run->patches;
    EXPECT_EQ(p[1].type, TYPE_SPHERE);
    EXPECT_EQ(p[1].centre[1], -2.0);
    EXPECT_EQ(p[1].centre[2], 3.5);
    EXPECT_EQ(p[1].REF, 0.35);
    EXPECT_EQ(p[2].type, TYPE_REV);
    EXPECT_EQ(p[2].num_edges, 3);
    EXPECT_EQ(p[2].curves_per_edge[1], 2);
    EXPECT_EQ(p[3].type, TYPE_REV2);
    EXPECT_EQ(p[4].type, TYPE_CYLINDER);
    EXPECT_EQ(p[4].axis_cos[0], 0.0);  // cos 90° is stored as exactly 0
    EXPECT_NEAR(p[4].axis_cos[1], std::cos(359.9 * std::numbers::pi / 180), 1e-15);
    EXPECT_NEAR(p[4].axis_cos[2], std::sqrt(0.5), 1e-15);
    // A missing first EDGE keyword is reported and the curve kept.
    EXPECT_TRUE(messages.has(" EDGE keyword missing for patch R5\n"));
    EXPECT_EQ(p[5].type, TYPE_BILINEAR);
    EXPECT_EQ(p[5].num_edges, 4);
    EXPECT_EQ(p[5].curve_names[1], "QL1");
    // Holes and trees resolve their curves.
    const Subregion& s = p[6];
    EXPECT_EQ(s.num_holes, 1);
    EXPECT_EQ(s.holes[1].name, "H1");
    EXPECT_EQ(s.holes[1].id, 1);
    EXPECT_EQ(s.holes[1].num_curves, 2);
    EXPECT_EQ(s.holes[1].curves[1], 3);
    EXPECT_EQ(s.holes[1].curves[2], 2);
    EXPECT_EQ(s.num_trees, 2);
    EXPECT_EQ(s.trees[2].name, "T2");
    EXPECT_EQ(s.trees[2].id, 2);
    EXPECT_EQ(s.trees[2].num_curves, 2);
    EXPECT_EQ(s.trees[2].curve_names[2], "QL2");
}

TEST_F(ModelReader, LimitsAreInclusive) {
    std::string points;
    for (int i = 1; i <= 13000; ++i) points += "P" + std::to_string(i) + " 0 0 0\n";
    SurModel many = rectangle_sur();
    many.points = points;
    EXPECT_EQ(read(many.text()), 1);
    EXPECT_EQ(run->nPoints, 13000);
    std::string trees;
    for (int i = 1; i <= 70; ++i) trees += "T" + std::to_string(i) + " QL1\n";
    EXPECT_EQ(read(square_with("R1 PLANE QL1 QL2 QL3 QL4 REF 0\n" + trees)), 1);
    EXPECT_EQ(run->patches[1].num_trees, 70);
    RunSettings two;
    two.MAX_SUBREGIONS = 2;
    two.MAX_CURVES_PER_TREE = 3;
    EXPECT_EQ(
        read(square_with("R1 PLANE QL1 QL2 QL3 QL4 REF 0\nT1 QL1 QL2 QL3\nR2 PLANE QL1 QL2 QL3 QL4 REF 0\n"), two), 1);
    EXPECT_EQ(read(square_with("R1 PLANE QL1 QL2 QL3 QL4 REF 0\nT1 QL1 QL2 QL3 QL4\n"), two), 0);
    EXPECT_EQ(last_messages(2), (std::vector<std::string>{"Increase MAX_CURVES_PER_TREE(currently=3)\n", line_note(14)}));
}

TEST_F(ModelReader, LongWordsAndLinesAreCut) {
    const std::string long_word(1000, 'x');
    EXPECT_EQ(read(std::string(600, 'T') + "\nPOINTS\nP" + long_word + " 0 0 0\nEND\n"), 0);
    EXPECT_EQ(run->title, std::string(253, 'T') + "\n");
    EXPECT_EQ(last_messages(2),
              (std::vector<std::string>{" Point P" + std::string(254, 'x') + ": name too long.\n", line_note(3)}));
    EXPECT_EQ(read("T\nPOINTS\nX1 " + long_word + "\n"), 0);
    EXPECT_EQ(last_messages(2), (std::vector<std::string>{
                                    "Illegal input line in POINTS block:\nX1 " + std::string(252, 'x') + "\n",
                                    line_note(3)}));
}

}  // namespace
}  // namespace korvex::test
