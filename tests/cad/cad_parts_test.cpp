// CAD parts built with OpenCASCADE, written to STEP, imported and meshed by
// the command in one go; each mesh checked for validity, distance to the CAD
// faces, area, boundary loops and element count. Then the bad inputs.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRep_Builder.hxx>
#include <gp_Pln.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Wire.hxx>
#include <BRepTools.hxx>
#include <IGESControl_Controller.hxx>
#include <IGESControl_Writer.hxx>

#include "support/m3d_file.h"
#include "support/mesh_checker.h"
#include "part_mesh_check.h"
#include "test_shapes.h"

namespace korvex::test {
// Test names and failure messages show a part by its name.
void PrintTo(const TestPart& part, std::ostream* os) { *os << part.name; }
}  // namespace korvex::test

namespace fs = std::filesystem;
using namespace korvex::test;

namespace {

fs::path scratch(const std::string& name) {
    const fs::path dir = fs::temp_directory_path() / ("korvex_cad_" + name + "_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::string read_file(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs the command with its words; returns the exit status, the standard error in `err`.
int korvex(const std::string& words, const fs::path& dir, std::string& err) {
    const fs::path err_file = dir / "stderr.txt";
    const std::string command = std::string(KORVEX_CLI_PATH) + " " + words + " > " + (dir / "stdout.txt").string() +
                                " 2> " + err_file.string();
    const int status = std::system(command.c_str());
    err = read_file(err_file);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class CadPart : public ::testing::TestWithParam<TestPart> {};

TEST_P(CadPart, MeshesValidOnTheFacesWithItsAreaAndBoundary) {
    const TestPart& part = GetParam();
    const fs::path dir = scratch(part.name);
    const fs::path step = dir / (part.name + ".step");
    ASSERT_TRUE(write_step(part.shape, step.string()));
    std::string err;
    char size[32];
    std::snprintf(size, sizeof size, "%g", part.size);
    ASSERT_EQ(korvex(step.string() + " -q --size " + size, dir, err), 0) << err;
    const PartMeshReport report =
        check_part_mesh(part.shape, (dir / (part.name + ".m3d")).string(), part.size, part.boundary_loops);
    EXPECT_TRUE(report.ok()) << join_failures(report.failures);
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Parts, CadPart, ::testing::ValuesIn(test_parts()),
                         [](const auto& info) { return info.param.name; });

// `korvex import` writes a model that meshes on its own, with the table from
// CAD face to subregion at its top.
TEST(CadImport, WritesAModelThatMeshesOnItsOwn) {
    const fs::path dir = scratch("import");
    ASSERT_TRUE(write_step(pressure_vessel(), (dir / "vessel.stp").string()));
    std::string err;
    ASSERT_EQ(korvex("import " + (dir / "vessel.stp").string() + " -o " + (dir / "model.sur").string() + " --size 3",
                     dir, err), 0) << err;
    const std::string summary = read_file(dir / "stdout.txt");
    EXPECT_NE(summary.find("3 faces (1 cylinder, 2 sphere)"), std::string::npos) << summary;
    EXPECT_NE(summary.find("closed surface"), std::string::npos) << summary;
    const std::string model = read_file(dir / "model.sur");
    EXPECT_NE(model.find("* 1 (cylinder): R1_1 R1_2 R1_3 R1_4"), std::string::npos) << model;
    EXPECT_NE(model.find("CYLINDER ANGLEX 90 ANGLEY 90 ANGLEZ 0"), std::string::npos);
    EXPECT_NE(model.find("SPHERE XC 0 YC 0 ZC 30"), std::string::npos);
    EXPECT_EQ(korvex((dir / "model.sur").string() + " -q", dir, err), 0) << err;
    EXPECT_TRUE(read_m3d((dir / "model.m3d").string()).ok());
    fs::remove_all(dir);
}

// A free-form face with eight corners, two of them inward, is cut again and
// again until every piece has four corners: three pieces of four edges.
TEST(CadImport, CutsAFreeFormFaceUntilEveryPieceHasFourCorners) {
    const fs::path dir = scratch("steps");
    ASSERT_TRUE(write_step(stepped_spline_panel(), (dir / "steps.step").string()));
    std::string err;
    ASSERT_EQ(korvex("import " + (dir / "steps.step").string() + " --size 2.5", dir, err), 0) << err;
    const std::string summary = read_file(dir / "stdout.txt");
    EXPECT_NE(summary.find("CAD face 1 (B-spline surface) cut into 3 pieces: more than four corners"), std::string::npos)
        << summary;
    std::istringstream model(read_file(dir / "steps.sur"));
    int pieces = 0;
    for (std::string line; std::getline(model, line);) {
        if (line.rfind("R1_", 0) != 0) continue;
        ++pieces;
        std::size_t edges = 0;
        for (std::size_t at = line.find(" EDGE "); at != std::string::npos; at = line.find(" EDGE ", at + 1)) ++edges;
        EXPECT_EQ(edges, 4u) << line;
    }
    EXPECT_EQ(pieces, 3);
    fs::remove_all(dir);
}

// The other formats: the same vessel written as BREP and as IGES (whose
// faces come back unsewn) imports into the same subregions.
TEST(CadImport, ReadsBrepAndIgesParts) {
    const fs::path dir = scratch("formats");
    const TopoDS_Shape vessel = pressure_vessel();
    ASSERT_TRUE(BRepTools::Write(vessel, (dir / "vessel.brep").c_str()));
    IGESControl_Controller::Init();
    IGESControl_Writer iges("MM", 1);
    iges.AddShape(vessel);
    iges.ComputeModel();
    ASSERT_TRUE(iges.Write((dir / "vessel.igs").c_str()));
    for (const std::string name : {"vessel.brep", "vessel.igs"}) {
        std::string err;
        ASSERT_EQ(korvex("import " + (dir / name).string() + " --size 3", dir, err), 0) << name << ": " << err;
        const std::string summary = read_file(dir / "stdout.txt");
        EXPECT_NE(summary.find("3 faces (1 cylinder, 2 sphere)"), std::string::npos) << name << ": " << summary;
        EXPECT_NE(summary.find("0 free edges left"), std::string::npos) << name << ": " << summary;
        EXPECT_NE(summary.find("12 subregions (4 CYLINDER, 8 SPHERE)"), std::string::npos) << name << ": " << summary;
    }
    fs::remove_all(dir);
}

// A plate with a slit: its boundary runs out along the slit and back.
TopoDS_Shape slit_plate() {
    const gp_Pnt p[] = {{0, 0, 0}, {5, 0, 0}, {5, 5, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}};
    const auto edge = [&](int a, int b) { return BRepBuilderAPI_MakeEdge(p[a], p[b]).Edge(); };
    const TopoDS_Edge slit = edge(1, 2);
    BRep_Builder builder;
    TopoDS_Wire wire;
    builder.MakeWire(wire);
    for (const TopoDS_Shape& e : {TopoDS_Shape(edge(0, 1)), TopoDS_Shape(slit), slit.Reversed(), TopoDS_Shape(edge(1, 3)),
                                  TopoDS_Shape(edge(3, 4)), TopoDS_Shape(edge(4, 5)), TopoDS_Shape(edge(5, 0))})
        builder.Add(wire, e);
    return BRepBuilderAPI_MakeFace(gp_Pln(gp::XOY()), wire).Face();
}

struct BadInput {
    std::string name, file, expected;
};

// Each bad part: exit status 1, a message naming the file (and the face
// where one is at fault), no model or mesh left behind.
TEST(CadImport, RefusesBadInputCleanly) {
    const fs::path dir = scratch("bad");
    std::ofstream(dir / "garbage.step") << "ISO-10303-21;\nthis is not a part\n";
    std::ofstream(dir / "empty.step") << "";
    BRepTools::Write(BRepBuilderAPI_MakeEdge(gp_Pnt(0, 0, 0), gp_Pnt(1, 0, 0)).Edge(), (dir / "edge.brep").c_str());
    BRepTools::Write(slit_plate(), (dir / "slit.brep").c_str());
    const BadInput cases[] = {
        {"missing", "missing.step", "cannot open"},
        {"garbage", "garbage.step", "cannot be read"},
        {"empty", "empty.step", "cannot be read"},
        {"no faces", "edge.brep", "no faces"},
        {"slit", "slit.brep", "CAD face 1 (plane) cannot be expressed"},
    };
    for (const BadInput& c : cases) {
        const fs::path part = dir / c.file;
        const std::string stem = part.stem().string();
        for (const std::string& words : std::vector<std::string>{part.string(), "import " + part.string()}) {
            std::string err;
            EXPECT_EQ(korvex(words, dir, err), 1) << c.name;
            EXPECT_NE(err.find(part.string()), std::string::npos) << c.name << ": " << err;
            EXPECT_NE(err.find(c.expected), std::string::npos) << c.name << ": " << err;
            EXPECT_FALSE(fs::exists(dir / (stem + ".sur"))) << c.name;
            EXPECT_FALSE(fs::exists(dir / (stem + ".m3d"))) << c.name;
        }
    }
    fs::remove_all(dir);
}

}  // namespace
