// The entry points of the cuts, run after the curve nodes exist: trees and
// holes cut plane subregions into simple ones the meshers accept. Each
// returns 1, or 0 after reporting its reason.
#pragma once

#include "model/run.h"

namespace korvex {

int tree_merge(Run& run);                                // TREEMERG
int internal_segments_and_curves_processing(Run& run);   // WALLTREE
int MC_planar_processing(Run& run);                      // MULT_CON

}  // namespace korvex
