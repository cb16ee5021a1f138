// The last two touches of the pipeline to the global mesh nodes.
#pragma once

#include "model/run.h"

namespace korvex {

// Corner nodes of refinement squares (names "P**nnnnn") take the name_original
// of the input point of the same name: the original name of the subregion the
// square was cut from. A node without such a point keeps its name.
void rename_refinement_square_nodes(Run& run);

// Every node coordinate of magnitude below sqrt(eps) becomes exactly 0.
void snap_tiny_coordinates(Run& run);

}  // namespace korvex
