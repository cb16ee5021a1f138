// Steps shared by add_to_global and add_to_global_plane: restoration of
// generated '@' names, the arc middle-point check, the neighbour distance
// that scales the coordinate test, and appending nodes and elements.
#pragma once

#include <vector>

#include "assembly/global_merge.h"
#include "assembly/merge_index.h"

namespace korvex::merge {

// The two entry points differ in tolerances and message texts.
enum class Variant { Curved, Plane };

// True when the second character of the name is c.
template <class N>
bool marked(const N& name, char c) {
    return name.length() >= 2 && name[1] == c;
}

// Gives every patch node whose 3D or owner name is still a generated '@'
// name the read name of the curve whose node it stands on. Returns 1, or 0
// after "Error: no name replacement found.\n".
int restore_generated_names(const Run& run, Variant v, int n, Array1<GenNode>& gen_nodes, Array1<Node3D>& nodes);

// Interior patch nodes lying on the recorded middle point of an arc as read
// take that point's name.
void match_arc_midpoints(const Run& run, int n, Array1<GenNode>& gen_nodes, Array1<Node3D>& nodes);

// Distance from patch node i to its predecessor (to node 2 for i = 1). When
// that distance is 0 (two consecutive nodes at one place) the nearest
// positive distance to the nodes i-1, i+1, i-2, i+2, ... (up to 64 on each
// side, else `fallback`) is used, so that the relative coordinate tolerance
// does not collapse to 0.
double neighbour_distance(const Array1<Node3D>& nodes, int n, int i, double fallback);

// Median of the positive neighbour distances of the patch, for sizing the
// merge index's grid (0 when there is none).
double typical_spacing(const Array1<Node3D>& nodes, int n);

// Reserves the global node and element arrays for a patch of n nodes and m
// elements (and the subregions still to come); changes no record.
void reserve_global_room(Run& run, int n, int m);

// Appends a new global node copied from src (name, coordinates, PINT_step,
// PINT_rad; the plane variant also name_saved). Returns its number, or 0
// after the limit or internal-error report (patch_index names the node).
int append_global_node(Run& run, Variant v, const Node3D& src, int patch_index);

// Appends elements 1..m with corners translated through nodes_global.
int append_elements(Run& run, Variant v, const Subregion& patch, int m, const Array1<GenElement>& elements,
                    const std::vector<int>& nodes_global, int n);

// Checks that the patch arrays hold the announced counts; reports otherwise.
bool check_patch_arrays(Variant v, int n, const Array1<Node3D>& nodes, const Array1<GenNode>& gen_nodes, int m,
                        const Array1<GenElement>& elements);

// Allocates nodes_global with room for n + extra entries (+1000 slack).
// Returns false after the out-of-memory report.
bool allocate_nodes_global(std::vector<int>& nodes_global, int n);

}  // namespace korvex::merge

namespace korvex::merge {

// Lowest global node 1..G that patch node `node` (owner name gen.name,
// neighbour distance h) coincides with in add_to_global, or 0: by name when
// the owner name is a point name equal to the global node's name, or by
// coordinates within 1e-5·h. A global point node matched by coordinates
// from a curve node takes the curve node's name (second section).
int match_curved_node(Run& run, MergeIndex& ix, int G, const GenNode& gen, const Node3D& node, double h);

// Result of matching one node in add_to_global_plane.
struct PlaneMatch {
    int j = 0;            // global node, 0 when none
    bool by_tag = false;  // matched through the node's pint_tag
};

// Lowest global node 1..G matching plane node `node` with owner name
// `owner` (empty for carried-over internal-point entries).
PlaneMatch match_plane_node(const Run& run, const MergeIndex& ix, int G, std::string_view owner, const Node3D& node);

// Internal-point nodes share the name "PINT"; that name never identifies a
// node regardless of distance.
bool is_shared_pint_name(std::string_view name);

}  // namespace korvex::merge
