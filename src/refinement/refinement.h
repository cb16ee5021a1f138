// The entry points of the preparation of plane subregions before the curve
// nodes are generated: the plane through the control points, the refinement
// squares around internal points with a step, and the extra subdivision of
// boundary and tree curves. Each returns 1, or 0 after reporting its reason.
#pragma once

#include "model/run.h"
#include "planar/plane_recognition.h"

namespace korvex {

int recognize_plane_patch_using_control_points(Run& run, int k, PlaneCoeffs& plane, int& planar);
int preprocess_nonzero_PINTs(Run& run, int k, const PlaneCoeffs& plane);
int activate_entities_subdivisions(Run& run);

}  // namespace korvex
