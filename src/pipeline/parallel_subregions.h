// Meshing the subregions on worker threads: the meshers of the subregions
// run in parallel, each into its own patch mesh and message
// buffer, while the calling thread takes them in the subregions' order,
// releases their messages and merges their meshes, so the log and the mesh
// are the same as when the subregions are meshed one after another.
#pragma once

#include "model/run.h"

namespace korvex {

// True when the subregions of the run can be meshed on `threads` worker
// threads: more than one thread, and at least two subregions whose mesher
// leaves the model as it is (every mesher but that of a REV subregion meshed
// in strips, which the merging thread runs in order while the workers wait).
bool subregions_can_be_meshed_in_parallel(const Run& run, int threads);

// Meshes subregions 1..nPatches as the serial loop does (the same messages
// in the same order, the first failing subregion deciding); returns 1, or 0
// after reporting the failure.
int mesh_subregions_in_parallel(Run& run, int threads);

}  // namespace korvex
