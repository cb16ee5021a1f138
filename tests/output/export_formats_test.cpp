// The writers of the export formats, on a mesh small enough to spell out:
// two quads of subregion R1 and one of R$2 (a generated name), numbered as in
// the result file.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "output/export_formats.h"

namespace korvex::output {
namespace {

ResultMesh small_mesh() {
    ResultMesh m;
    m.title = "Strip";
    const double xs[] = {0, 1, 2.5, 3};
    for (double x : xs) m.nodes.push_back({{x, 0, 0}, "P"});
    for (double x : xs) m.nodes.push_back({{x, 1, 0.125}, "P"});
    m.elements = {{{1, 2, 6, 5}, "R$2"}, {{2, 3, 7, 6}, "R1"}, {{3, 4, 8, 7}, "R$2"}};
    return m;
}

template <class Writer>
std::string written(Writer write) {
    std::ostringstream out;
    write(small_mesh(), out);
    return out.str();
}

TEST(Exports, GmshMshGroupsEachSubregionUnderAPhysicalName) {
    EXPECT_EQ(written(write_msh),
              "$MeshFormat\n2.2 0 8\n$EndMeshFormat\n"
              "$PhysicalNames\n2\n2 1 \"R$2\"\n2 2 \"R1\"\n$EndPhysicalNames\n"
              "$Nodes\n8\n1 0 0 0\n2 1 0 0\n3 2.5 0 0\n4 3 0 0\n5 0 1 0.125\n6 1 1 0.125\n7 2.5 1 0.125\n"
              "8 3 1 0.125\n$EndNodes\n"
              "$Elements\n3\n1 3 2 1 1 1 2 6 5\n2 3 2 2 2 2 3 7 6\n3 3 2 1 1 3 4 8 7\n$EndElements\n");
}

TEST(Exports, AbaqusHasOneShellBlockPerSubregionWithTheElementNumbers) {
    const std::string text = written(write_abaqus);
    EXPECT_TRUE(text.starts_with("*HEADING\nStrip\n*NODE\n1, 0, 0, 0\n2, 1, 0, 0\n")) << text;
    EXPECT_NE(text.find("*ELEMENT, TYPE=S4, ELSET=\"R$2\"\n1, 1, 2, 6, 5\n3, 3, 4, 8, 7\n"
                        "*ELEMENT, TYPE=S4, ELSET=R1\n2, 2, 3, 7, 6\n"),
              std::string::npos) << text;
}

TEST(Exports, NastranCardsInFreeAndSmallField) {
    const std::string free = written([](const ResultMesh& m, std::ostream& o) { write_nastran(m, o, false); });
    EXPECT_TRUE(free.starts_with("$ Strip\n$ Property 1: subregion R$2\n$ Property 2: subregion R1\nBEGIN BULK\n"
                                 "GRID,1,,0.,0.,0.\n"))
        << free;
    EXPECT_NE(free.find("GRID,7,,2.5,1.,.125\n"), std::string::npos) << free;
    EXPECT_NE(free.find("CQUAD4,1,1,1,2,6,5\nCQUAD4,2,2,2,3,7,6\nCQUAD4,3,1,3,4,8,7\nENDDATA\n"), std::string::npos);
    const std::string small = written([](const ResultMesh& m, std::ostream& o) { write_nastran(m, o, true); });
    EXPECT_NE(small.find("GRID    7               2.5     1.      .125\n"), std::string::npos) << small;
    EXPECT_NE(small.find("CQUAD4  2       2       2       3       7       6\n"), std::string::npos) << small;
}

TEST(Exports, SmallFieldRealsKeepWhatFitsInEightColumns) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.0, "0."},          {1.0, "1."},           {-2.5, "-2.5"},          {0.25, ".25"},
        {-0.125, "-.125"},    {1.0 / 3, ".3333333"}, {-1.0 / 3, "-.333333"}, {12345.678, "12345.68"},
        {1.5e10, "1.5e+10"},  {-1.2345678e-7, "-1.23e-7"}, {123456789.0, "1.235e+8"},
    };
    for (const auto& c : cases) {
        const std::string s = nastran_real8(c.value);
        EXPECT_LE(s.size(), 8u) << c.value;
        EXPECT_EQ(s, c.text) << c.value;
        EXPECT_NEAR(std::stod(s), c.value, std::abs(c.value) * 1e-2) << s;
    }
}

TEST(Exports, VtuCountsCellsAndTypes) {
    const std::string text = written(write_vtu);
    EXPECT_NE(text.find("<Piece NumberOfPoints=\"8\" NumberOfCells=\"3\">"), std::string::npos);
    EXPECT_NE(text.find("Name=\"connectivity\" format=\"ascii\">\n0 1 5 4\n1 2 6 5\n2 3 7 6\n"), std::string::npos);
    EXPECT_NE(text.find("Name=\"offsets\" format=\"ascii\">\n4\n8\n12\n"), std::string::npos);
    EXPECT_NE(text.find("Name=\"types\" format=\"ascii\">\n9\n9\n9\n"), std::string::npos);
    EXPECT_NE(text.find("Name=\"subregion\" format=\"ascii\">\n1\n2\n1\n"), std::string::npos);
}

TEST(Exports, ResultFilesAreReadOrRefusedWithTheirLine) {
    const struct {
        const char* text;
        const char* error;  // "" when the file is good
    } cases[] = {
        {"T\nNODES\nNode :      1 +1  +2  +3    P1\nNode :      2 +0  +0  +0    \nEND_OF_NODES\nELEMENTS\n"
         "Element :      1        1      2      1      2  R1\nEND_OF_ELEMENTS\nEND\n", ""},
        {"T\nNODES\nNode :      2 +1  +2  +3    P1\n", ":3: bad node line"},
        {"T\nNODES\nEND_OF_NODES\nELEMENTS\nElement : 1 1 1 1 1 R\n", ":5: bad element line"},
        {"T\nNODES\nNode : 1 1 2 3 P\nEND_OF_NODES\nELEMENTS\nEND_OF_ELEMENTS\n", ": expected END"},
        {"", ":0: empty file"},
    };
    int k = 0;
    for (const auto& c : cases) {
        const std::string path = ::testing::TempDir() + "result_mesh_" + std::to_string(++k) + ".m3d";
        { std::ofstream(path) << c.text; }
        ResultMesh mesh;
        std::string error;
        const bool ok = read_result_mesh(path, mesh, error);
        EXPECT_EQ(ok, std::string(c.error).empty()) << k << " " << error;
        if (!ok) {
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
        } else {
            EXPECT_EQ(mesh.at(1).z, 3.0);
            EXPECT_EQ(mesh.nodes[0].name, "P1");
            EXPECT_EQ(mesh.nodes[1].name, "");
            EXPECT_EQ(mesh.elements[0].subregion, "R1");
        }
    }
}

}  // namespace
}  // namespace korvex::output
