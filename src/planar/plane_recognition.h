// Recognition of plane subregions: whether the nodes of a subregion's
// boundary lie in one plane, and that plane.
#pragma once

#include "model/run.h"

namespace korvex {

// Plane coefficients a·x + b·y + c·z + d = 0.
struct PlaneCoeffs {
    double a = 0, b = 0, c = 0, d = 0;
};

// Sets planar to 1 and fills plane when the boundary nodes of subregion k
// lie in one plane. Returns 1, or 0 after reporting its reason.
int recognize_plane_patch(Run& run, int k, PlaneCoeffs& plane, int& planar);

}  // namespace korvex
