// Plane recognition from control points: the verdicts and their messages,
// and the vertex loops of holes listed in any order and direction.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/input_stages.h"
#include "planar/plane_recognition.h"
#include "refinement/refinement.h"
#include "refinement/vertex_loops.h"
#include "support/message_capture.h"
#include "support/model_builder.h"

namespace korvex::test {
namespace {

struct Verdict {
    int result = -1;
    int planar = -1;
    PlaneCoeffs plane;
};

// Reads and preprocesses the model, then recognises subregion 1 from its control points.
Verdict recognise(const std::string& text, korvex::Run& run) {
    const ModelFile file(text);
    run.problem_path = file.path();
    EXPECT_EQ(read_model(run), 1);
    for (int i = 1; i <= run.nPoints; ++i) run.points[i].PINT = run.points[i].name.starts_with("PINT") ? 1 : 0;
    EXPECT_EQ(check_input_data(run) && restore_curves(run) && input_data_preprocessor(run), 1);
    Verdict v;
    v.result = recognize_plane_patch_using_control_points(run, 1, v.plane, v.planar);
    return v;
}

TEST(PlaneFromControlPoints, VerdictsAndMessages) {
    const struct {
        const char* what;
        double length, width, z3;  // z3: height of P3
        const char* extra_points;
        int result, planar;
        std::vector<std::string> expected;  // parts of the log
        const char* absent;   // must not be in the log (nullptr: no such check)
    } cases[] = {
        {"flat rectangle", 10, 6, 0, "", 1, 1, {}, "long-and-narrow"},
        {"a corner off the plane", 10, 6, 0.01, "", 1, 0, {"Patch R1 is not plane.\n"}, "long-and-narrow"},
        {"about 3 degrees: long and narrow", 100, 5.24, 0, "", 1, 1,
         {"Warning: subregion R1 is too 'long-and-narrow':\n angle_between_abc=  3.00 degs.\n"}, "Consider dividing"},
        {"about 0.3 degrees: too thin", 100, 0.524, 0, "", 0, -1,
         {"Consider dividing the subregion\n to several 'shorter' parts.\n"}, nullptr},
        {"an assigned internal point off the plane", 10, 6, 0, "PINT1 5 3 0.001 R1 STEP 0.5 RAD 1\n", 1, 0,
         {"Point PINT1 doesn't belong to subregion R1\n   although declared as such.\n",
          "PLANE_RECOGNITION_TOLERANCE(=1e-06)\n"},
         nullptr},
        {"an internal point without radius is not tested", 10, 6, 0, "PINT1 5 3 0.001\n", 1, 1, {}, "doesn't belong"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SurModel m = rectangle_sur();
        m.points = "P1 0 0 0\nP2 " + num(c.length) + " 0 0\nP3 " + num(c.length) + " " + num(c.width) + " " +
                   num(c.z3) + "\nP4 0 " + num(c.width) + " 0\n" + c.extra_points;
        MessageCapture messages;
        korvex::Run run;
        const Verdict v = recognise(m.text(), run);
        EXPECT_EQ(v.result, c.result);
        if (c.planar >= 0) {
            EXPECT_EQ(v.planar, c.planar);
        }
        if (c.planar == 1) {
            EXPECT_NEAR(v.plane.c, 1.0, 1e-12);
        }
        for (const std::string& part : c.expected) EXPECT_TRUE(messages.contains(part)) << messages.text();
        if (c.absent) {
            EXPECT_FALSE(messages.contains(c.absent));
        }
    }
}

TEST(VertexLoops, AHoleListedInMixedOrderAndDirectionIsChained) {
    MessageCapture messages;
    SurModel m = rectangle_sur(10, 10);
    m.points += "PH1 3 3 0\nPH2 6 3 0\nPH3 6 6 0\nPH4 3 6 0\n";
    m.curves += "QLH1 PH1 PH2 STEP 1\nQLH2 PH3 PH2 STEP 1\nQLH3 PH3 PH4 STEP 1\nQLH4 PH1 PH4 STEP 1\n";
    m.subregions = "R1 PLANE QL1 QL2 QL3 QL4 REF 0.2 H1 QLH3 QLH1 QLH4 QLH2\n";
    korvex::Run run;
    ASSERT_EQ(recognise(m.text(), run).planar, 1);
    std::vector<VertexLoop> loops;
    ASSERT_EQ(build_vertex_loops(run, 1, loops), 1);
    ASSERT_EQ(loops.size(), 2u);
    EXPECT_EQ(loops[0].count, 4);
    const VertexLoop& hole = loops[1];
    ASSERT_EQ(hole.count, 4);
    // Consecutive hole vertices are joined by one of the hole's sides (length 3).
    for (int i = 1; i <= hole.count; ++i) {
        const Vec3 a = run.points[hole.vertices[i].point].pos();
        const Vec3 b = run.points[hole.vertices[i == hole.count ? 1 : i + 1].point].pos();
        EXPECT_NEAR(distance(a, b), 3.0, 1e-12);
    }
}

}  // namespace
}  // namespace korvex::test
