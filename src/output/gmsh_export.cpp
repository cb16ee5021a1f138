// Gmsh MSH 2.2 ASCII: one physical group per subregion (its number and name),
// the nodes, and the quads (element type 3) tagged with their subregion.
#include <string>

#include "output/export_formats.h"

namespace korvex::output {

namespace {

constexpr int kMshQuad = 3;
constexpr int kSurfaceDimension = 2;

}  // namespace

void write_msh(const ResultMesh& mesh, std::ostream& out) {
    const SubregionNumbering subregions = number_subregions(mesh);
    out << "$MeshFormat\n2.2 0 8\n$EndMeshFormat\n";
    out << "$PhysicalNames\n" << subregions.names.size() << '\n';
    for (std::size_t s = 0; s < subregions.names.size(); ++s) {
        std::string name = subregions.names[s];
        for (char& c : name)
            if (c == '"') c = '_';
        out << kSurfaceDimension << ' ' << s + 1 << " \"" << name << "\"\n";
    }
    out << "$EndPhysicalNames\n$Nodes\n" << mesh.nodes.size() << '\n';
    for (std::size_t k = 0; k < mesh.nodes.size(); ++k) {
        const Vec3& p = mesh.nodes[k].p;
        out << k + 1 << ' ' << real15(p.x) << ' ' << real15(p.y) << ' ' << real15(p.z) << '\n';
    }
    out << "$EndNodes\n$Elements\n" << mesh.elements.size() << '\n';
    for (std::size_t k = 0; k < mesh.elements.size(); ++k) {
        const auto& n = mesh.elements[k].nodes;
        const int s = subregions.of_element[k];
        // Two tags: the physical group and the elementary entity, both the subregion.
        out << k + 1 << ' ' << kMshQuad << " 2 " << s << ' ' << s << ' ' << n[0] << ' ' << n[1] << ' ' << n[2]
            << ' ' << n[3] << '\n';
    }
    out << "$EndElements\n";
}

}  // namespace korvex::output
