// Whether a hole or an internal tree of a plane subregion lies in the
// subregion's plane and inside its outer boundary (points_id), tested in the
// plane's (u, v) frame with one test point of the hole or tree.
#pragma once

#include "model/run.h"
#include "planar/plane_uv.h"

namespace korvex {

// Hole test (PLANE_P4). The test point is the first node of the hole's first
// curve. Sets inside to 1 (inside) or 0 (outside); a test point on the
// outer boundary is reported and leaves inside as it was. Returns 1, or 0
// after a report (not in the plane, degenerate polygon).
int hole_in_plane_subregion(const Run& run, const Subregion& patch, int hole, PlaneUV& uv, int& inside);

// Tree test (PLANE_PT). The test point is the first node of the first curve
// of the tree's curve table; while it lies on the outer boundary the next
// node of that curve is tried. Returns 1, or 0 after a report.
int tree_in_plane_subregion(const Run& run, const Subregion& patch, int tree, PlaneUV& uv, int& inside);

}  // namespace korvex
