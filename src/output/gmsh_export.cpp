// Gmsh MSH 2.2 ASCII: one physical group per subregion (its number and name),
// the nodes, and the quads (element type 3) tagged with their subregion; then
// a physical group per node set: a curve's segments as 2-node lines (type 1),
// a point's node as a point element (type 15). Groups are numbered on from
// the subregions, and the added elements on from the quads.
#include <array>
#include <string>
#include <vector>

#include "output/export_formats.h"
#include "output/node_sets.h"

namespace korvex::output {

namespace {

constexpr int kMshLine = 1;
constexpr int kMshQuad = 3;
constexpr int kMshPoint = 15;
constexpr int kSurfaceDimension = 2;

struct SetGroup {
    std::string name;
    int dimension = 0;
    std::vector<std::array<int, 2>> edges;  // a curve's; a point's node stands alone
};

// The node sets as groups; a curve without a segment makes none.
std::vector<SetGroup> set_groups(const ResultMesh& mesh) {
    const std::vector<std::vector<std::array<int, 2>>> edges = edges_within_sets(mesh);
    std::vector<SetGroup> groups;
    for (std::size_t s = 0; s < mesh.node_sets.size(); ++s) {
        const NodeSet& set = mesh.node_sets[s];
        if (set.kind == NodeSetKind::curve && !edges[s].empty()) {
            groups.push_back({set.name, 1, edges[s]});
        } else if (set.kind != NodeSetKind::curve) {
            SetGroup g{set.name, 0, {}};
            for (int n : set.nodes) g.edges.push_back({n, n});
            groups.push_back(std::move(g));
        }
    }
    return groups;
}

void physical_name(std::ostream& out, int dimension, std::size_t number, std::string name) {
    for (char& c : name)
        if (c == '"') c = '_';
    out << dimension << ' ' << number << " \"" << name << "\"\n";
}

}  // namespace

void write_msh(const ResultMesh& mesh, std::ostream& out) {
    const SubregionNumbering subregions = number_subregions(mesh);
    const std::vector<SetGroup> groups = set_groups(mesh);
    out << "$MeshFormat\n2.2 0 8\n$EndMeshFormat\n";
    out << "$PhysicalNames\n" << subregions.names.size() + groups.size() << '\n';
    for (std::size_t s = 0; s < subregions.names.size(); ++s)
        physical_name(out, kSurfaceDimension, s + 1, subregions.names[s]);
    for (std::size_t g = 0; g < groups.size(); ++g)
        physical_name(out, groups[g].dimension, subregions.names.size() + g + 1, groups[g].name);
    out << "$EndPhysicalNames\n$Nodes\n" << mesh.nodes.size() << '\n';
    for (std::size_t k = 0; k < mesh.nodes.size(); ++k) {
        const Vec3& p = mesh.nodes[k].p;
        out << k + 1 << ' ' << real15(p.x) << ' ' << real15(p.y) << ' ' << real15(p.z) << '\n';
    }
    std::size_t added = 0;
    for (const SetGroup& g : groups) added += g.edges.size();
    out << "$EndNodes\n$Elements\n" << mesh.elements.size() + added << '\n';
    for (std::size_t k = 0; k < mesh.elements.size(); ++k) {
        const auto& n = mesh.elements[k].nodes;
        const int s = subregions.of_element[k];
        // Two tags: the physical group and the elementary entity, both the subregion.
        out << k + 1 << ' ' << kMshQuad << " 2 " << s << ' ' << s << ' ' << n[0] << ' ' << n[1] << ' ' << n[2]
            << ' ' << n[3] << '\n';
    }
    std::size_t number = mesh.elements.size();
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const std::size_t tag = subregions.names.size() + g + 1;
        for (const auto& e : groups[g].edges) {
            out << ++number << ' ' << (groups[g].dimension == 1 ? kMshLine : kMshPoint) << " 2 " << tag << ' ' << tag
                << ' ' << e[0];
            if (groups[g].dimension == 1) out << ' ' << e[1];
            out << '\n';
        }
    }
    out << "$EndElements\n";
}

}  // namespace korvex::output
