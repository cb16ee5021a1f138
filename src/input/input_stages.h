// The entry points of the input stage: reading the model file, checking it,
// and the general preprocessing that leaves every subregion ready for the
// curve nodes. Each returns 1 on success, or 0 after reporting its reason.
#pragma once

#include "model/run.h"

namespace korvex {

int read_model(Run& run);  // the .sur reader (fills points, curves, patches, title)
int check_input_data(Run& run);
int restore_curves(Run& run);
int input_data_preprocessor(Run& run);
int prepro23(Run& run);  // refuses SPHERE curves off their sphere first
int transform_2edged_SPHEREs(Run& run);
// Every definition point of a SPHERE subregion's curves on its sphere; 1, or 0 after reporting.
int check_sphere_points(const Run& run);
int final_preprocessing_of_patches(Run& run);
// Split propagation: curve |first_signed| has just been cut; its first half
// keeps the index, new_second is the second half. Every subregion other than
// skip_patch (and every hole and tree) that uses the curve gets both pieces.
int propagate_curve_split(Run& run, int first_signed, int new_second, int skip_patch);

}  // namespace korvex
