// The boundary of a plane subregion as drawn by its curve nodes must be a
// simple polygon: the outer boundary and each hole cross or touch neither
// themselves nor each other, and every tree stays inside. Checked once the
// curves carry their nodes, before the holes and trees are cut away, so that
// the message names the subregion and the curves the user wrote.
#pragma once

#include "model/run.h"
#include "planar/plane_uv.h"

namespace korvex {

// Checks every PLANE subregion. Returns 1, or 0 after an input data error
// naming the subregion (with its hole or tree) and the two curves that meet.
int check_plane_boundaries(const Run& run);

// The same test for the boundary of a curved subregion in the parameter
// plane it is meshed in (records 1..num_points of uv, the last joined back to
// the first): an unrolled cylinder, an untyped patch's unit square. Returns
// 1, or 0 after the input data error of a boundary that crosses or touches
// itself, naming the subregion and the curves of the two segments that meet.
int check_parameter_boundary(const Run& run, const Subregion& s, const PlaneUV& uv);

}  // namespace korvex
