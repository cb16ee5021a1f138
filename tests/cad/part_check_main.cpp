// Checks the mesh of a CAD part: korvex_cad_check PART MESH.m3d H LOOPS.
// Prints one line of measures (smallest scaled Jacobian, largest node
// distance over H, area error, loops, elements against area / H^2) and
// every failure; exit status 0 when every check passed, 1 otherwise.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cad/cad_shape_reader.h"
#include "part_mesh_check.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "Usage: korvex_cad_check PART MESH.m3d H LOOPS\n");
        return 2;
    }
    TopoDS_Shape shape;
    std::string error;
    if (!korvex::cad::read_cad_shape(argv[1], shape, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    const double size = std::atof(argv[3]);
    const korvex::test::PartMeshReport r = korvex::test::check_part_mesh(shape, argv[2], size, std::atoi(argv[4]));
    std::printf("sj %.3f dist/H %.2e area %+.3f%% loops %d elements %zu (area/H^2 %.0f)\n", r.min_scaled_jacobian,
                r.max_distance / size, 100 * (r.mesh_area / r.cad_area - 1), r.boundary_loops, r.elements,
                r.cad_area / (size * size));
    for (const std::string& f : r.failures) std::printf("  %s\n", f.c_str());
    return r.ok() ? 0 : 1;
}
