// Named node sets of a result mesh, found from its model.
//
// The result file names each node after what it stands on: a point node
// after its point, a node along a curve after the curve, an inner node after
// its subregion, and a node pulled onto an internal point "PINT" whatever
// the point's own name. So:
//   - a curve's set holds the nodes named after the curve and the nodes of
//     its points (the two end points of a straight curve, every point of an
//     arc or a smooth curve, as the engine lists the nodes of a curve);
//     where a node of the curve was renamed "PINT" (an internal point pulled
//     a curve node onto itself), the chain along the curve has a gap, and
//     the point node that joins its two loose ends is taken into the set;
//   - a named point's set holds the node of that name, or, when an internal
//     point renamed it, the "PINT" node at its place;
//   - an internal point's set holds the node at its place, under the
//     internal point's own name.
// Sets with no node (a point the mesh does not pass through) are left out.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "output/model_outline.h"
#include "output/result_mesh.h"

namespace korvex::output {

// The sets in the order of the model: its curves, then its points (named
// and internal points as they come). A curve's nodes run along it from its
// first point.
std::vector<NodeSet> find_node_sets(const ResultMesh& mesh, const ModelOutline& model);

// For each of the mesh's node sets, the element edges joining two of its
// nodes, in the order of its nodes: for a curve, the segments along it.
std::vector<std::vector<std::array<int, 2>>> edges_within_sets(const ResultMesh& mesh);

// "curve", "point" or "internal".
const char* node_set_kind_word(NodeSetKind kind);

// Reads the model at `model_path` and attaches its node sets to the mesh;
// false with the reason in `error`.
bool attach_node_sets(ResultMesh& mesh, const std::string& model_path, std::string& error);

// The model a result file was made from, when it stands beside it
// (MESH.sur for MESH.m3d); "" when there is none.
std::string model_beside(const std::string& mesh_path);

}  // namespace korvex::output
