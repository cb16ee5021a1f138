// The stages the pipeline runs, in the order it runs them. Each returns 1 on
// success, or 0 after it has reported its reason. Every stage works on the
// run context; the folder that implements it is named beside it.
#pragma once

#include "model/run.h"

namespace korvex {

// Plane coefficients a·x + b·y + c·z + d = 0.
struct PlaneCoeffs {
    double a = 0, b = 0, c = 0, d = 0;
};

// input/
int read_model(Run& run);                       // the .sur reader (fills points, curves, patches, title)
int check_input_data(Run& run);
int restore_curves(Run& run);
int input_data_preprocessor(Run& run);
int prepro23(Run& run);
int transform_2edged_SPHEREs(Run& run);
int final_preprocessing_of_patches(Run& run);
// Split propagation: curve |first_signed| has just been cut; its first half
// keeps the index, new_second is the second half. Every subregion other than
// skip_patch (and every hole and tree) that uses the curve gets both pieces.
int propagate_curve_split(Run& run, int first_signed, int new_second, int skip_patch);

// curves/
int generatePointsAlongCurves(Run& run, int max_new_points);

// holes/
int recognize_plane_patch_using_control_points(Run& run, int k, PlaneCoeffs& plane, int& planar);
int preprocess_nonzero_PINTs(Run& run, int k, const PlaneCoeffs& plane);
int activate_entities_subdivisions(Run& run);
int tree_merge(Run& run);                                   // TREEMERG
int internal_segments_and_curves_processing(Run& run);      // WALLTREE
int MC_planar_processing(Run& run);                         // MULT_CON

// patches/
int recognize_plane_patch(Run& run, int k, PlaneCoeffs& plane, int& planar);
int process_plane_patch(Run& run, int k, const PlaneCoeffs& plane);
int meshPatch(Run& run, int k);
int meshTriangular(Run& run, int k);
int process_cylinder_patch(Run& run, int k);
int process_REV_patch(Run& run, int k);
int process_REV2_patch(Run& run, int k);

// assembly/
int restore_original_names(Run& run);
int PINT_out(Run& run);
int minband_3D(Run& run);

// pipeline/
int Korvex(Run& run);
// Coincidence check, result file and counts; 0 only when the result file cannot be written.
int final_checks_and_output(Run& run);

}  // namespace korvex
