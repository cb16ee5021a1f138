// check_m3d MESH.m3d: runs the shared mesh checker on a result file, for the
// tests that are not written in C++. Every element is checked as a corner of
// a curved surface (valid corners, conforming and consistently oriented
// subregions, no coincident or unused node). Prints one line per failure;
// exit status 0 when the mesh is valid.
#include <cstdio>
#include <string>
#include <vector>

#include "support/m3d_file.h"
#include "support/mesh_checker.h"

int main(int argc, char** argv) {
    using namespace korvex::test;
    if (argc != 2) {
        std::fprintf(stderr, "Usage: check_m3d MESH.m3d\n");
        return 2;
    }
    const M3dFile f = read_m3d(argv[1]);
    if (!f.ok()) {
        std::printf("%s: %s\n", argv[1], f.error.c_str());
        return 1;
    }
    std::vector<Point3> nodes;
    for (const M3dNode& n : f.nodes) nodes.push_back({n.x, n.y, n.z});
    std::vector<Quad> quads;
    std::vector<std::string> groups;
    for (const M3dElement& e : f.elements) {
        quads.push_back(e.nodes);
        groups.push_back(e.name);
    }
    const CurvedMeshReport report = check_curved_quad_mesh(nodes, quads, groups, CurvedMeshCheck{});
    for (const std::string& failure : report.failures) std::printf("%s\n", failure.c_str());
    std::printf("min_scaled_jacobian %.17g\n", report.min_scaled_jacobian);
    return report.ok() ? 0 : 1;
}
