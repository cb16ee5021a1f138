// Abaqus input: the nodes, then one block of S4 shell elements per subregion
// (element set named after the subregion), element numbers as in the mesh,
// then a *NSET per node set of the mesh.
#include <cctype>
#include <string>

#include "output/export_formats.h"

namespace korvex::output {

namespace {

// A label Abaqus takes as it is (a letter, then letters, digits and '_'),
// else quoted.
std::string abaqus_label(const std::string& name) {
    bool plain = !name.empty() && std::isalpha(static_cast<unsigned char>(name[0]));
    for (char c : name) plain = plain && (std::isalnum(static_cast<unsigned char>(c)) || c == '_');
    return plain ? name : "\"" + name + "\"";
}

}  // namespace

void write_abaqus(const ResultMesh& mesh, std::ostream& out) {
    out << "*HEADING\n" << (mesh.title.starts_with("*") ? " " : "") << mesh.title << '\n';
    out << "*NODE\n";
    for (std::size_t k = 0; k < mesh.nodes.size(); ++k) {
        const Vec3& p = mesh.nodes[k].p;
        out << k + 1 << ", " << real15(p.x) << ", " << real15(p.y) << ", " << real15(p.z) << '\n';
    }
    const SubregionNumbering subregions = number_subregions(mesh);
    for (std::size_t s = 0; s < subregions.names.size(); ++s) {
        out << "*ELEMENT, TYPE=S4, ELSET=" << abaqus_label(subregions.names[s]) << '\n';
        for (std::size_t k = 0; k < mesh.elements.size(); ++k) {
            if (subregions.of_element[k] != static_cast<int>(s) + 1) continue;
            const auto& n = mesh.elements[k].nodes;
            out << k + 1 << ", " << n[0] << ", " << n[1] << ", " << n[2] << ", " << n[3] << '\n';
        }
    }
    constexpr std::size_t kNumbersPerLine = 16;  // the most a data line may hold
    for (const NodeSet& set : mesh.node_sets) {
        out << "*NSET, NSET=" << abaqus_label(set.name) << '\n';
        for (std::size_t k = 0; k < set.nodes.size(); ++k)
            out << set.nodes[k] << (k + 1 == set.nodes.size() || (k + 1) % kNumbersPerLine == 0 ? "\n" : ", ");
    }
}

}  // namespace korvex::output
