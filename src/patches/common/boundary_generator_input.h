// The boundary of a patch as the 2D generator's input, and the boundary
// nodes of the generator's mesh given back their exact places and names.
//
// A patch whose boundary nodes are already fixed (in its own (u, v) plane)
// goes to the generator as every second boundary node joined by straight
// entities of two steps each: the generator's middle node of each entity then
// stands for the boundary node in between. The entity is named after that
// middle node with 'L' for its first letter, so the generated node's name
// leads back to it. The plane and the cylinder meshers share these steps.
#pragma once

#include <map>
#include <string>

#include "base/array1.h"
#include "model/run.h"
#include "planar/plane_uv.h"
#include "trelmo/trelmo.h"

namespace korvex {

// Generator input for one subregion; the arrays are sized as needed.
struct BoundaryGeneratorInput {
    Array1<GenPoint> points;          // 1..N: boundary nodes 1, 3, 5, ...
    Array1<GenEntity> entities;       // 1..N: node 2k-1 to node 2k+1 (the last back to node 1)
    Array1<GenSubregion> subregions;  // 1: the patch's name, the N entities and its REF
    int N = 0;
};

// Fills `in` from the boundary records uv[1..uv.num_points] (an even count;
// callers check it with their own message). Coordinates of magnitude below
// 1e-14 become 0.
void build_boundary_generator_input(const Subregion& patch, const PlaneUV& uv, BoundaryGeneratorInput& in);

// Boundary record of each name (the first record wins).
std::map<std::string, int> boundary_records_by_name(const PlaneUV& uv);

// Which generator nodes take the exact (u, v) of their boundary record.
enum class RestoredNodes {
    PointsAndEntities,  // every node that is neither interior nor an internal point
    EntitiesOnly,       // only the nodes made on entities
};

// Every restored node gets 'P' back as first letter (so an entity node
// carries its middle boundary node's name) and that record's exact (u, v).
// Returns 1, or 0 after reporting `missing_record_message` when a name has
// no record.
int restore_boundary_positions(const PlaneUV& uv, const std::map<std::string, int>& by_name, RestoredNodes which,
                               const char* missing_record_message, int num_nodes, Array1<GenNode>& nodes);

// Generated node names become the user's: "?$..." names the original name
// of the curve that made the boundary node; "P@..." the original name
// recorded with that node in new_points (and the node counts as an entity
// node). With `split_subregion_names`, nodes and elements named after a
// generated piece of a split subregion ("?p..." or "RH@...") take the
// subregion's original name. Returns 1, or 0 after reporting a boundary
// record without a generating curve.
int restore_boundary_node_names(const Run& run, const Subregion& patch, const PlaneUV& uv,
                                const std::map<std::string, int>& by_name, bool split_subregion_names, int num_nodes,
                                Array1<GenNode>& nodes, int num_elements, Array1<GenElement>& elements);

}  // namespace korvex
