// Node sets from a model outline: the reader of the model's points and
// curves, the sets found on small meshes whose node names are spelled out
// (a curve node renamed "PINT", an end point renamed "PINT", an arc's middle
// point), and how each export writes them.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "output/export_formats.h"
#include "output/node_sets.h"

namespace korvex::output {
namespace {

// A strip of three quads along y = 0: bottom nodes 1..4 at x = 0..3 carry
// `bottom` names, top nodes 5..8 belong to the subregion.
ResultMesh strip(const std::vector<std::string>& bottom) {
    ResultMesh m;
    m.title = "Strip";
    for (int k = 0; k < 4; ++k) m.nodes.push_back({{double(k), 0, 0}, bottom[static_cast<std::size_t>(k)]});
    for (int k = 0; k < 4; ++k) m.nodes.push_back({{double(k), 1, 0}, "R1"});
    m.elements = {{{1, 2, 6, 5}, "R1"}, {{2, 3, 7, 6}, "R1"}, {{3, 4, 8, 7}, "R1"}};
    return m;
}

ModelOutline outline(const std::string& text) {
    ModelOutline o;
    std::string error;
    EXPECT_TRUE(parse_model_outline(text, "m.sur", o, error)) << error;
    return o;
}

std::string describe(const std::vector<NodeSet>& sets) {
    std::string s;
    for (const NodeSet& set : sets) {
        s += set.name + " " + node_set_kind_word(set.kind) + ":";
        for (int n : set.nodes) s += " " + std::to_string(n);
        s += "\n";
    }
    return s;
}

TEST(ModelOutline, TakesPointsAndCurvesPastLabelsCommentsAndRefinedZones) {
    const ModelOutline o = outline(
        "Title with POINTS in it\nSTEP LINEAR\nPOINTS\nP1 X 1 Y 2.5 Z -3e-1 * a comment\n"
        "PINTLOAD 4 5 6 R1 STEP 0.2 RAD 2\nPINT2 7 8 9\nP2 1 1 1\nSUBREGIONS\nR1 PLANE QL1 C2 REF 0.2 T1 QL1\n"
        "CURVES\n* QLX P9 P9 STEP 1\nQL1 P1 P2 STEP 1\nC2 P1 P2 PINT2 STEP .5\nEND\n");
    ASSERT_EQ(o.points.size(), 4u);
    EXPECT_EQ(o.points[0].name, "P1");
    EXPECT_DOUBLE_EQ(o.points[0].p.y, 2.5);
    EXPECT_DOUBLE_EQ(o.points[0].p.z, -0.3);
    EXPECT_TRUE(o.points[1].internal);
    EXPECT_EQ(o.points[2].name, "PINT2");
    EXPECT_DOUBLE_EQ(o.points[2].p.z, 9);
    EXPECT_FALSE(o.points[3].internal);
    ASSERT_EQ(o.curves.size(), 2u);
    EXPECT_EQ(o.curves[1].name, "C2");
    EXPECT_EQ(o.curves[1].points, (std::vector<std::string>{"P1", "P2", "PINT2"}));
    ModelOutline bad;
    std::string error;
    EXPECT_FALSE(parse_model_outline("T\nPOINTS\nP1 1 2\nCURVES\n", "m.sur", bad, error));
    EXPECT_EQ(error, "m.sur:4: a coordinate is missing");
}

TEST(NodeSets, CurvesKeepTheirEndsAndTheNodesInternalPointsRenamed) {
    const std::string model = "T\nPOINTS\nPA 0 0 0\nPM 1 0.5 0\nPB 3 0 0\n%s\nCURVES\n%s\nSUBREGIONS\nEND\n";
    const struct {
        const char* what;
        std::vector<std::string> bottom;
        const char* internal;
        const char* curve;
        const char* sets;
    } cases[] = {
        {"a curve node pulled onto an internal point", {"PA", "QL1", "PINT", "PB"}, "PINT7 2 0 0", "QL1 PA PB STEP 1",
         "QL1 curve: 1 2 3 4\nPA point: 1\nPB point: 4\nPINT7 internal: 3\n"},
        {"two neighbours pulled", {"PA", "PINT", "PINT", "PB"}, "PINTA 1 0 0 PINTB 2 0 0", "QL1 PA PB STEP 1",
         "QL1 curve: 1 2 3 4\nPA point: 1\nPB point: 4\nPINTA internal: 2\nPINTB internal: 3\n"},
        {"an end point's node renamed", {"PA", "QL1", "QL1", "PINT"}, "PINTE 3 0 0", "QL1 PB PA STEP 1",
         "QL1 curve: 4 3 2 1\nPA point: 1\nPB point: 4\nPINTE internal: 4\n"},
        {"an arc through its middle point", {"PA", "PM", "C1", "PB"}, "", "C1 PA PM PB STEP 1",
         "C1 curve: 1 2 3 4\nPA point: 1\nPM point: 2\nPB point: 4\n"},
        {"a straight curve ignores points between its ends", {"PA", "PM", "QL1", "PB"}, "", "QL1 PM PB STEP 1",
         "QL1 curve: 2 3 4\nPA point: 1\nPM point: 2\nPB point: 4\n"},
        {"an internal point off the mesh", {"PA", "QL1", "QL1", "PB"}, "PINTX 2 0.5 0", "QL1 PA PB STEP 1",
         "QL1 curve: 1 2 3 4\nPA point: 1\nPB point: 4\n"},
    };
    for (const auto& c : cases) {
        char text[512];
        std::snprintf(text, sizeof text, model.c_str(), c.internal, c.curve);
        EXPECT_EQ(describe(find_node_sets(strip(c.bottom), outline(text))), c.sets) << c.what;
    }
}

ResultMesh strip_with_sets() {
    ResultMesh m = strip({"PA", "QL1", "PINT", "PB"});
    m.node_sets = {{"QL1", NodeSetKind::curve, {1, 2, 3, 4}}, {"PINT7", NodeSetKind::internal_point, {3}}};
    return m;
}

template <class Writer>
std::string written(Writer write) {
    std::ostringstream out;
    write(strip_with_sets(), out);
    return out.str();
}

TEST(NodeSets, EachExportWritesThemInItsOwnWay) {
    const std::string inp = written(write_abaqus);
    EXPECT_TRUE(inp.ends_with("3, 3, 4, 8, 7\n*NSET, NSET=QL1\n1, 2, 3, 4\n*NSET, NSET=PINT7\n3\n")) << inp;
    const std::string msh = written(write_msh);
    EXPECT_NE(msh.find("$PhysicalNames\n3\n2 1 \"R1\"\n1 2 \"QL1\"\n0 3 \"PINT7\"\n$EndPhysicalNames"),
              std::string::npos) << msh;
    EXPECT_NE(msh.find("$Elements\n7\n1 3 2 1 1 1 2 6 5\n"), std::string::npos) << msh;
    EXPECT_TRUE(msh.ends_with("3 3 2 1 1 3 4 8 7\n4 1 2 2 2 1 2\n5 1 2 2 2 2 3\n6 1 2 2 2 3 4\n7 15 2 3 3 3\n"
                              "$EndElements\n")) << msh;
    const std::string vtu = written(write_vtu);
    EXPECT_NE(vtu.find("Name=\"QL1\" format=\"ascii\">\n1\n1\n1\n1\n0\n0\n0\n0\n"), std::string::npos) << vtu;
    EXPECT_NE(vtu.find("Name=\"PINT7\" format=\"ascii\">\n0\n0\n1\n0\n"), std::string::npos) << vtu;
    const std::string bdf = written([](const ResultMesh& m, std::ostream& o) { write_nastran(m, o, false); });
    EXPECT_TRUE(bdf.ends_with("CQUAD4,3,1,3,4,8,7\n$ Node set QL1 (curve): 4 nodes\n$ 1 2 3 4\n$ End of node set QL1\n"
                              "$ Node set PINT7 (internal): 1 node\n$ 3\n$ End of node set PINT7\nENDDATA\n"))
        << bdf;
    const std::string list = written(write_node_set_list);
    EXPECT_TRUE(list.ends_with("\nQL1 curve 4 1 2 3 4\nPINT7 internal 1 3\n")) << list;
    EXPECT_EQ(node_set_list_path("out/plate.bdf"), "out/plate.sets");
}

TEST(NodeSets, LongSetsWrapAtEachFormatsLineLength) {
    ResultMesh m = strip({"PA", "QL1", "QL1", "PB"});
    NodeSet many{"QLLONG", NodeSetKind::curve, {}};
    for (int k = 0; k < 21; ++k) many.nodes.push_back(1 + k % 8);
    m.node_sets = {many};
    std::ostringstream inp, bdf;
    write_abaqus(m, inp);
    write_nastran(m, bdf, true);
    EXPECT_NE(inp.str().find("*NSET, NSET=QLLONG\n1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7, 8\n1, 2, 3, 4, 5\n"),
              std::string::npos) << inp.str();
    EXPECT_NE(bdf.str().find("$ 1 2 3 4 5 6 7 8 1 2\n$ 3 4 5 6 7 8 1 2 3 4\n$ 5\n$ End"), std::string::npos) << bdf.str();
}

}  // namespace
}  // namespace korvex::output
