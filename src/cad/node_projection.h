// Meshed nodes of faces without an exact surface type moved onto their CAD
// face. Boundary nodes (on the curves shared with other subregions or on the
// part's free edges) stay; interior nodes go to the nearest point of the
// face's surface. An element that the move would spoil keeps its nodes.
#pragma once

#include <string>
#include <vector>

#include "cad/model_builder.h"

namespace korvex::cad {

struct ProjectionReport {
    int moved = 0;              // interior nodes moved
    double max_move = 0;        // the longest move
    double max_distance = 0;    // largest distance of a node of these subregions from its face, after moving
    int kept_for_validity = 0;  // elements whose nodes were left in place
    double min_scaled_jacobian = 1;  // over the whole mesh after the move
};

// Rewrites the result file `m3d` with the moved nodes (same format, same
// numbering). Returns false with the reason when the file cannot be read or
// written.
bool move_nodes_onto_faces(const std::string& m3d, const std::vector<ModelSubregion>& subregions,
                           ProjectionReport& report, std::string& error);

}  // namespace korvex::cad
