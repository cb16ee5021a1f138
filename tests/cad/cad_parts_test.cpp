// CAD parts built with OpenCASCADE, written to STEP, imported and meshed by
// the command in one go; each mesh checked for validity, distance to the CAD
// faces, area, boundary loops and element count. Then the bad inputs.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepExtrema_DistShapeShape.hxx>
#include <BRepGProp.hxx>
#include <BRepTools.hxx>
#include <IGESControl_Controller.hxx>
#include <IGESControl_Writer.hxx>
#include <GProp_GProps.hxx>

#include "support/m3d_file.h"
#include "support/mesh_checker.h"
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

double quad_area(const std::array<Point3, 4>& p) {
    // Half the norm of the cross product of the diagonals: exact for a
    // plane quad, the mean of both splits for a warped one.
    const double a[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
    const double b[3] = {p[3][0] - p[1][0], p[3][1] - p[1][1], p[3][2] - p[1][2]};
    const double c[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    return 0.5 * std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
}

// Closed loops of the edges that one element only uses.
int boundary_loops(const std::vector<Quad>& quads) {
    std::map<std::pair<int, int>, int> uses;
    for (const Quad& q : quads)
        for (int k = 0; k < 4; ++k) ++uses[std::minmax(q[k], q[(k + 1) % 4])];
    std::map<int, std::vector<int>> next;
    for (const auto& [e, n] : uses)
        if (n == 1) {
            next[e.first].push_back(e.second);
            next[e.second].push_back(e.first);
        }
    std::set<int> seen;
    int loops = 0;
    for (const auto& [start, _] : next) {
        if (seen.count(start)) continue;
        ++loops;
        std::vector<int> todo{start};
        while (!todo.empty()) {
            const int n = todo.back();
            todo.pop_back();
            if (!seen.insert(n).second) continue;
            for (int m : next[n]) todo.push_back(m);
        }
    }
    return loops;
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
    const M3dFile mesh = read_m3d((dir / (part.name + ".m3d")).string());
    ASSERT_TRUE(mesh.ok()) << mesh.error;

    std::vector<Point3> nodes;
    for (const M3dNode& n : mesh.nodes) nodes.push_back({n.x, n.y, n.z});
    std::vector<Quad> quads;
    std::vector<std::string> groups;
    for (const M3dElement& e : mesh.elements) {
        quads.push_back(e.nodes);
        groups.push_back(e.name);
    }
    CurvedMeshCheck check;
    check.surface = [&](const Point3& p) {
        BRepExtrema_DistShapeShape d(BRepBuilderAPI_MakeVertex(gp_Pnt(p[0], p[1], p[2])).Vertex(), part.shape);
        return d.IsDone() ? d.Value() : 1e30;
    };
    check.max_distance = 1e-3 * part.size;
    check.min_scaled_jacobian = 0.2;
    const CurvedMeshReport report = check_curved_quad_mesh(nodes, quads, groups, check);
    EXPECT_TRUE(report.ok()) << join_failures(report.failures);

    GProp_GProps props;
    BRepGProp::SurfaceProperties(part.shape, props);
    double area = 0;
    for (const Quad& q : quads) area += quad_area({nodes[q[0] - 1], nodes[q[1] - 1], nodes[q[2] - 1], nodes[q[3] - 1]});
    EXPECT_NEAR(area, props.Mass(), 0.01 * props.Mass());
    EXPECT_EQ(boundary_loops(quads), part.boundary_loops);
    const double expected = props.Mass() / (part.size * part.size);
    EXPECT_GT(static_cast<double>(quads.size()), 0.5 * expected);
    EXPECT_LT(static_cast<double>(quads.size()), 2.5 * expected);
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
    const BadInput cases[] = {
        {"missing", "missing.step", "cannot open"},
        {"garbage", "garbage.step", "cannot be read"},
        {"empty", "empty.step", "cannot be read"},
        {"no faces", "edge.brep", "no faces"},
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
