// The generator input every boundary-driven mesher builds the same way, and
// the restoration of the user's names on the generator's nodes.
//
// The boundary goes to the 2D generator as every second boundary node
// (records 1, 3, 5, ... of the (u, v) table) joined by straight entities of
// two steps each, so that the generator's middle node of entity k stands for
// boundary record 2k; the entity is named after that record with 'L' first.
#pragma once

#include <map>
#include <string>

#include "model/run.h"
#include "patches/plane_uv.h"
#include "trelmo/trelmo.h"

namespace korvex {

struct GeneratorInput {
    Array1<GenPoint> points;
    Array1<GenEntity> entities;
    Array1<GenSubregion> subregions;
    int N = 0;
};

// Points 1..N = uv.num_points / 2 from records 2k - 1 (name, u, v; magnitudes
// below 1e-14 become 0). The caller has checked that num_points is even.
void fill_generator_points(const PlaneUV& uv, GeneratorInput& in);

// Entities 1..N from the current point names and the one subregion named
// after the patch with its REF. Returns 0 after reporting when a subregion
// cannot list N entities.
int fill_generator_entities(const Subregion& patch, const PlaneUV& uv, GeneratorInput& in);

// Meshes the generator input: nodes and elements out. Returns call_Trelmo's result.
int run_generator(Run& run, const GeneratorInput& in, Array1<GenNode>& nodes, int& num_nodes,
                  Array1<GenElement>& elements, int& num_elements);

// Boundary record index of each boundary name (the first record of a name wins).
std::map<std::string, int> boundary_records_by_name(const PlaneUV& uv);

// Generated node names become the user's names: '$' names take the input
// name of their boundary record's curve, "P@" names the input name of their
// node in new_points (and kind 2). With plane_forms, names with 'p' second
// (nodes and elements) and "RH@" names take the patch's original_name.
int restore_user_node_names(const Run& run, const Subregion& patch, const PlaneUV& uv,
                            const std::map<std::string, int>& by_name, int num_nodes, Array1<GenNode>& nodes,
                            int num_elements, Array1<GenElement>& elements, bool plane_forms);

}  // namespace korvex
