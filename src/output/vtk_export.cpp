// VTK XML unstructured grid in ASCII: the points in node order, VTK_QUAD
// cells in element order, per cell the subregion and element numbers, per
// point its node number and, for each node set, an array named after the
// set: 1 at its nodes, 0 elsewhere (a node may belong to several sets: the
// end point of a curve is also a node of its point's set).
#include <string>
#include <vector>

#include "output/export_formats.h"

namespace korvex::output {

namespace {

constexpr int kVtkQuad = 9;

void open_array(std::ostream& out, const char* type, const char* name, int components = 1) {
    out << "        <DataArray type=\"" << type << "\"";
    if (name) out << " Name=\"" << name << "\"";
    if (components > 1) out << " NumberOfComponents=\"" << components << "\"";
    out << " format=\"ascii\">\n";
}

void close_array(std::ostream& out) { out << "        </DataArray>\n"; }

std::string xml_attribute(const std::string& text) {
    std::string s;
    for (char c : text) {
        if (c == '&') s += "&amp;";
        else if (c == '<') s += "&lt;";
        else if (c == '>') s += "&gt;";
        else if (c == '"') s += "&quot;";
        else s += c;
    }
    return s;
}

void write_set_arrays(const ResultMesh& mesh, std::ostream& out) {
    for (const NodeSet& set : mesh.node_sets) {
        std::vector<char> member(mesh.nodes.size(), '0');
        for (int n : set.nodes) member[static_cast<std::size_t>(n - 1)] = '1';
        open_array(out, "UInt8", xml_attribute(set.name).c_str());
        for (char c : member) out << c << '\n';
        close_array(out);
    }
}

}  // namespace

void write_vtu(const ResultMesh& mesh, std::ostream& out) {
    out << "<?xml version=\"1.0\"?>\n"
           "<VTKFile type=\"UnstructuredGrid\" version=\"0.1\" byte_order=\"LittleEndian\">\n"
           "  <UnstructuredGrid>\n";
    out << "    <Piece NumberOfPoints=\"" << mesh.nodes.size() << "\" NumberOfCells=\"" << mesh.elements.size()
        << "\">\n";
    out << "      <Points>\n";
    open_array(out, "Float64", "Points", 3);
    for (const MeshNode& n : mesh.nodes) out << real15(n.p.x) << ' ' << real15(n.p.y) << ' ' << real15(n.p.z) << '\n';
    close_array(out);
    out << "      </Points>\n      <Cells>\n";
    open_array(out, "Int64", "connectivity");
    for (const MeshElement& e : mesh.elements)
        out << e.nodes[0] - 1 << ' ' << e.nodes[1] - 1 << ' ' << e.nodes[2] - 1 << ' ' << e.nodes[3] - 1 << '\n';
    close_array(out);
    open_array(out, "Int64", "offsets");
    for (std::size_t k = 1; k <= mesh.elements.size(); ++k) out << 4 * k << '\n';
    close_array(out);
    open_array(out, "UInt8", "types");
    for (std::size_t k = 0; k < mesh.elements.size(); ++k) out << kVtkQuad << '\n';
    close_array(out);
    out << "      </Cells>\n      <CellData Scalars=\"subregion\">\n";
    const SubregionNumbering subregions = number_subregions(mesh);
    open_array(out, "Int32", "subregion");
    for (int s : subregions.of_element) out << s << '\n';
    close_array(out);
    open_array(out, "Int32", "element");
    for (std::size_t k = 1; k <= mesh.elements.size(); ++k) out << k << '\n';
    close_array(out);
    out << "      </CellData>\n      <PointData>\n";
    open_array(out, "Int32", "node");
    for (std::size_t k = 1; k <= mesh.nodes.size(); ++k) out << k << '\n';
    close_array(out);
    write_set_arrays(mesh, out);
    out << "      </PointData>\n    </Piece>\n  </UnstructuredGrid>\n</VTKFile>\n";
}

}  // namespace korvex::output
