// Steps of the general preprocessor (input_data_preprocessor), which puts the
// curves of every edge into one oriented chain and the edges of every
// subregion into one closed loop.
#pragma once

#include "model/run.h"

namespace korvex {

// Chains the curves of edge e of subregion k (its curves_per_edge[e] slots
// from first_slot on) into one chain from the edge's lower-numbered free end
// to its other end, and writes it back into the same slots of curves_id
// (negative for a curve used against its point order) and curve_names.
// Returns 1, or 0 after reporting.
int chain_edge_curves(Run& run, int k, int e, int first_slot);

// Orders the chained edges of subregion k into one loop, starting with edge 1
// used forward, and rewrites curves_per_edge, curves_id and curve_names in
// loop order. The loop must use every edge and come back to its start; for a
// one-edged subregion, whose chain was opened at closing_point, the chain
// must end at closing_point. Returns 1, or 0 after reporting.
int order_edges_into_loop(Run& run, int k, int closing_point);

}  // namespace korvex
