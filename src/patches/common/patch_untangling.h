// Element validity of a patch mesh in its own (u, v) frame, and the
// untangling of the elements that fail.
//
// Every patch mesher calls untangle_patch_mesh on the generator's output in
// the frame where it meshed (the plane of the generator, with the final
// boundary positions), after its own node moves (internal points) and before
// mapping the mesh onto the surface and merging it:
//
//   untangle_patch_mesh(patch.name.c_str(), num_nodes, gen_nodes, num_elements, gen_elements);
//
// An element is valid when every corner has a positive scaled Jacobian with
// the orientation of the patch (the sign of its total area). Invalid
// elements are repaired by moving free nodes only: nodes of kind
// NODE_KIND_INTERIOR that are not internal points (named "PINT") and do not
// lie on a boundary edge of the patch mesh; such nodes shared by only two
// elements are removed, which renumbers the patch's nodes and elements. An
// element that moving cannot repair is split anew with a neighbour, which may
// add an interior node and an element at the end. A mesh
// with no invalid element is left untouched, bit for bit.
#pragma once

#include <vector>

#include "base/array1.h"
#include "base/numeric_constants.h"
#include "trelmo/trelmo.h"

namespace korvex {

// Smallest corner scaled Jacobian of the element in the (u, v) plane
// (plane_corner_scaled_jacobian), multiplied by orientation (+1 for a
// counter-clockwise mesh, -1 for a clockwise one).
double element_scaled_jacobian_uv(const Array1<GenNode>& nodes, const GenElement& e, int orientation);

// +1 when the elements' signed areas sum to a positive value, else -1.
int patch_orientation(const Array1<GenNode>& nodes, int num_elements, const Array1<GenElement>& elements);

// Elements 1..num_elements whose scaled Jacobian is below kMinValidScaledJacobian.
std::vector<int> invalid_patch_elements(const Array1<GenNode>& nodes, int num_elements,
                                        const Array1<GenElement>& elements, int orientation);

// Removes every interior node (kind NODE_KIND_INTERIOR, not "PINT") that only
// two elements share, merging the two into one element over their outer
// corners; nodes and elements are renumbered in their order. Returns the
// number of nodes removed.
int collapse_patch_doublets(int& num_nodes, Array1<GenNode>& nodes, int& num_elements, Array1<GenElement>& elements);

// Moves node n to unfold the elements `star` around it (the largest
// smallest corner area) when one of them fails, then to shape them (the
// largest smallest scaled Jacobian), by a compass search.
void optimise_free_node(Array1<GenNode>& nodes, const Array1<GenElement>& elements, const std::vector<int>& star, int n,
                        int orientation);

// Re-pairs the elements around the failing elements `invalid` where moving
// nodes cannot help: a failing element and a neighbour across one of its
// edges form a hexagon, which is split anew into two quadrilaterals along
// another diagonal, or into three around a new interior node (appended to
// the nodes; its third element to the elements). Of the splits whose
// elements are all valid the one of the largest smallest scaled Jacobian is
// kept, a split without a new node first. Returns the elements still
// failing.
std::vector<int> re_pair_failing_elements(const std::vector<int>& invalid, int& num_nodes, Array1<GenNode>& nodes,
                                          int& num_elements, Array1<GenElement>& elements, int orientation);

// Checks every element; when some fail, removes the interior nodes of only
// two elements (collapse_patch_doublets), moves the free nodes around the
// failing elements to make them valid and re-pairs those still failing
// (re_pair_failing_elements), then reports how many were repaired.
// When nothing could be repaired the mesh is given back as it came. Returns the number of
// elements still invalid (0 when the mesh is valid); those are left for the
// final check of the result to report.
int untangle_patch_mesh(const char* subregion_name, int& num_nodes, Array1<GenNode>& nodes, int& num_elements,
                        Array1<GenElement>& elements);

}  // namespace korvex
