// A mesh as the result file holds it: nodes and quadrilaterals numbered as in
// the file, each element naming its subregion. The exports, the quality
// figures and the pictures all start from this.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "base/vec3.h"

namespace korvex::output {

struct MeshNode {
    Vec3 p;
    std::string name;
};

struct MeshElement {
    std::array<int, 4> nodes{};  // node numbers, 1-based as in the file
    std::string subregion;
};

// A named set of nodes: the nodes of a user curve (ordered along it from its
// first point, end points included), the node of a named point, or the node
// of an internal point, found from the model (node_sets.h).
enum class NodeSetKind { curve, point, internal_point };

struct NodeSet {
    std::string name;
    NodeSetKind kind = NodeSetKind::curve;
    std::vector<int> nodes;  // node numbers as in the file
};

struct ResultMesh {
    std::string title;                  // the first line without its line end
    std::vector<MeshNode> nodes;        // node k at index k - 1
    std::vector<MeshElement> elements;  // element k at index k - 1
    std::vector<NodeSet> node_sets;     // empty unless attached from the model

    const Vec3& at(int node_number) const { return nodes[static_cast<std::size_t>(node_number - 1)].p; }
};

// Reads a result file. Node and element numbers must run 1, 2, 3, ... and
// every element must name four existing nodes. Returns false with the reason
// (file name and line number) in `error`.
bool read_result_mesh(const std::string& path, ResultMesh& mesh, std::string& error);

// The subregions in the order of their first element; an element's subregion
// number is 1 + its subregion's position in this list.
struct SubregionNumbering {
    std::vector<std::string> names;
    std::vector<int> of_element;  // of_element[k - 1]: subregion number of element k
};
SubregionNumbering number_subregions(const ResultMesh& mesh);

}  // namespace korvex::output
