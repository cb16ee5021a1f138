// The final test of the global mesh for inverted and degenerate elements:
// each one is reported, the run goes on and the result file is still written.
#pragma once

#include <array>

#include "base/vec3.h"
#include "model/run.h"

namespace korvex {

// Smallest corner scaled Jacobian of the quadrilateral p[0..3], measured
// against its mean normal (the normalised sum of its corner normals): sin of
// the corner angle, negative for a corner that turns the other way; 0 when
// the element has no area or an edge has no length.
double quad_scaled_jacobian_3d(const std::array<Vec3, 4>& p);

// Reports every element whose scaled Jacobian is not positive (below
// kMinValidScaledJacobian), once per element, by its number in the result file.
// Returns the number reported.
int check_element_validity(const Run& run);

}  // namespace korvex
