// The final test of the global mesh for inverted and degenerate elements:
// each one is reported, the run goes on and the result file is still written.
#pragma once

#include "model/run.h"

namespace korvex {

// Reports every element whose scaled Jacobian (quad_min_scaled_jacobian) is
// not positive (below kMinValidScaledJacobian), once per element, by its
// number in the result file; then every subregion two of whose elements
// face opposite ways (walk a shared edge in the same direction), once per
// subregion. Returns the number reported.
int check_element_validity(const Run& run);

}  // namespace korvex
