// Meshed nodes moved onto the CAD shape: the nodes of smooth curves onto
// their CAD edge (the model's smooth curve only passes through points of
// the edge), then the interior nodes of faces without an exact surface type
// onto their CAD face (nearest point of the face's surface), those of
// untyped faces then smoothed on the face. Other boundary nodes stay. An
// element that a move would spoil keeps its nodes.
#pragma once

#include <string>
#include <vector>

#include "cad/model_builder.h"

namespace korvex::cad {

struct ProjectionReport {
    int moved = 0;              // nodes moved (on smooth curves and inside free-form faces)
    double max_move = 0;        // the longest move
    double max_distance = 0;    // largest distance of a node of these subregions from its face, after moving
    int kept_for_validity = 0;  // elements whose nodes were left in place
    double min_scaled_jacobian = 1;  // over the whole mesh after the move
};

// Rewrites the result file `m3d` with the moved nodes (same format, same
// numbering). Returns false with the reason when the file cannot be read or
// written.
bool move_nodes_onto_faces(const std::string& m3d, const std::vector<ModelSubregion>& subregions,
                           const std::vector<ModelCurve>& curves, ProjectionReport& report, std::string& error);

// True when meshing the model leaves nodes to move: a free-form face or a smooth curve.
bool has_nodes_to_move(const std::vector<ModelSubregion>& subregions, const std::vector<ModelCurve>& curves);

}  // namespace korvex::cad
