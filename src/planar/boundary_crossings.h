// The boundary of a plane subregion as drawn by its curve nodes must be a
// simple polygon: the outer boundary and each hole cross or touch neither
// themselves nor each other, and every tree stays inside. Checked once the
// curves carry their nodes, before the holes and trees are cut away, so that
// the message names the subregion and the curves the user wrote.
#pragma once

#include "model/run.h"

namespace korvex {

// Checks every PLANE subregion. Returns 1, or 0 after an input data error
// naming the subregion (with its hole or tree) and the two curves that meet.
int check_plane_boundaries(const Run& run);

}  // namespace korvex
