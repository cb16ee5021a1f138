// The checks of a CAD part's mesh, shared by the tests and the corpus tool:
// the shared mesh checker (valid elements, conformity, scaled Jacobian, every
// node within 1e-3 H of the CAD faces), the mesh's area against the CAD
// area, its free-boundary loops against the part's and its element count
// against area / H^2.
#pragma once

#include <string>
#include <vector>

#include <TopoDS_Shape.hxx>

namespace korvex::test {

// Every corner of every element must have at least this scaled Jacobian.
constexpr double kMinCadScaledJacobian = 0.3;
// Every node within this fraction of the element size of the CAD faces.
constexpr double kCadDistanceFraction = 1e-3;
// Mesh area within this fraction of the CAD area.
constexpr double kCadAreaFraction = 0.01;
// The element count within these factors of area / H^2 ("about").
constexpr double kFewestElementsFactor = 0.5, kMostElementsFactor = 2.5;

struct PartMeshReport {
    std::vector<std::string> failures;  // empty = every check passed
    double min_scaled_jacobian = 1, max_distance = 0;
    double mesh_area = 0, cad_area = 0;
    int boundary_loops = 0;
    std::size_t elements = 0;
    bool ok() const { return failures.empty(); }
};

// Reads the result file and checks its mesh against the shape meshed at
// element size `size`, whose free boundary has `loops` closed loops.
PartMeshReport check_part_mesh(const TopoDS_Shape& shape, const std::string& m3d_path, double size, int loops);

}  // namespace korvex::test
