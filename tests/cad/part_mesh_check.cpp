#include "part_mesh_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepExtrema_DistShapeShape.hxx>
#include <BRepGProp.hxx>
#include <GProp_GProps.hxx>

#include "support/m3d_file.h"
#include "support/mesh_checker.h"

namespace korvex::test {

namespace {

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

std::string text(const char* format, double a, double b) {
    char line[200];
    std::snprintf(line, sizeof line, format, a, b);
    return line;
}

}  // namespace

PartMeshReport check_part_mesh(const TopoDS_Shape& shape, const std::string& m3d_path, double size, int loops) {
    PartMeshReport report;
    const M3dFile mesh = read_m3d(m3d_path);
    if (!mesh.ok()) {
        report.failures.push_back(m3d_path + ": " + mesh.error);
        return report;
    }
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
        BRepExtrema_DistShapeShape d(BRepBuilderAPI_MakeVertex(gp_Pnt(p[0], p[1], p[2])).Vertex(), shape);
        return d.IsDone() ? d.Value() : 1e30;
    };
    check.max_distance = kCadDistanceFraction * size;
    check.min_scaled_jacobian = kMinCadScaledJacobian;
    const CurvedMeshReport curved = check_curved_quad_mesh(nodes, quads, groups, check);
    report.failures = curved.failures;
    report.min_scaled_jacobian = curved.min_scaled_jacobian;
    report.max_distance = curved.max_distance;

    GProp_GProps props;
    BRepGProp::SurfaceProperties(shape, props);
    report.cad_area = props.Mass();
    for (const Quad& q : quads)
        report.mesh_area += quad_area({nodes[q[0] - 1], nodes[q[1] - 1], nodes[q[2] - 1], nodes[q[3] - 1]});
    if (std::abs(report.mesh_area - report.cad_area) > kCadAreaFraction * report.cad_area)
        report.failures.push_back(text("mesh area %.6g, CAD area %.6g", report.mesh_area, report.cad_area));
    report.boundary_loops = boundary_loops(quads);
    if (report.boundary_loops != loops)
        report.failures.push_back(text("%.0f free-boundary loops, the part has %.0f", report.boundary_loops, loops));
    report.elements = quads.size();
    const double expected = report.cad_area / (size * size);
    if (quads.size() < kFewestElementsFactor * expected || quads.size() > kMostElementsFactor * expected)
        report.failures.push_back(text("%.0f elements, area / H^2 is %.0f", static_cast<double>(quads.size()), expected));
    return report;
}

}  // namespace korvex::test
