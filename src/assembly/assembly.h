// The entry points of the assembly after every subregion is merged: the
// original names given back, the internal points placed, and the node order
// of the least bandwidth. Each returns 1, or 0 after reporting its reason.
#pragma once

#include "model/run.h"

namespace korvex {

int restore_original_names(Run& run);
int PINT_out(Run& run);
int minband_3D(Run& run);

}  // namespace korvex
