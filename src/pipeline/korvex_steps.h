// The named steps of Korvex(), in the order the pipeline runs them. Each
// returns 1 on success or 0 after the failing stage and the pipeline have
// reported why. Exposed so that tests can run one step on a model in memory.
#pragma once

#include "model/run.h"

namespace korvex {

// Step 1-2: working state of the run, new_points[] and the PINT flags.
int prepare_pipeline_state(Run& run);
// Step 3-4: integrity check, then the bounding box of the input points.
int check_input_and_report_limits(Run& run);
void report_bounding_box(const Run& run);
// Steps 5-10: curve restoration, the three general preprocessor runs and the
// conversions of 2- and 3-edged subregions around them.
int run_general_preprocessing(Run& run);
// Steps 11-12: plane recognition from control points, refinement squares,
// and the extra subdivision of boundary and tree curves.
int prepare_plane_subregions(Run& run);
// Steps 13-14: mesh points along every curve, then the internal points.
int generate_curve_points(Run& run);
void append_internal_points(Run& run);
// Steps 15-18: final preprocessing, the working file and the first plane recognition.
int finish_preprocessing(Run& run);
// Steps 19-21: tree merge, then trees and holes until both are done.
int process_trees_and_holes(Run& run);
// Steps 22-24: every subregion through its mesher.
int mesh_all_subregions(Run& run);
// Steps 25-29: names, internal points, bandwidth, corner names, tiny coordinates.
int postprocess_mesh(Run& run);

// Frees the pipeline's working arrays (new_points, unprocessed internal
// points, the meshers' merge index, the curves' node lists); runs on every
// exit of Korvex().
void release_pipeline_work(Run& run);

}  // namespace korvex
