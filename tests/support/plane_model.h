// A model taken from .sur text through the real front stages (reader,
// checks, general preprocessor, optional plane preparation, points along the
// curves, final preprocessing), so that one plane stage can be called on it.
#pragma once

#include <string>

#include "base/run_settings.h"
#include "curves/curve_points.h"
#include "input/input_stages.h"
#include "model/run.h"
#include "planar/plane_recognition.h"
#include "refinement/refinement.h"
#include "support/model_builder.h"

namespace korvex::test {

// Reads the text up to the final preprocessing (ready for plane recognition).
// With prepare_planes the PLANE subregions also go through plane recognition
// from control points and the subdivision stage. Returns 1 on success.
inline int prepare_model(Run& run, const std::string& text, bool prepare_planes = false) {
    const ModelFile file(text);
    run.problem_path = file.path();
    run.settings = run_settings();
    if (!read_model(run)) return 0;
    run.new_points.reset_with_room(NEW_POINTS_ARRAY);
    run.num_new_points = 0;
    for (int i = 1; i <= run.nPoints; ++i) run.points[i].PINT = run.points[i].name.starts_with("PINT") ? 1 : 0;
    if (!check_input_data(run) || !restore_curves(run) || !input_data_preprocessor(run)) return 0;
    if (prepare_planes) {
        for (int k = 1; k <= run.nPatches; ++k) {
            if (run.patches[k].type != TYPE_PLANE) continue;
            PlaneCoeffs plane;
            int planar = 0;
            if (!recognize_plane_patch_using_control_points(run, k, plane, planar) || !planar) return 0;
        }
        if (!activate_entities_subdivisions(run)) return 0;
    }
    if (!generatePointsAlongCurves(run, MAX_NEW_POINTS)) return 0;
    for (int i = 1; i <= run.nPoints; ++i) {
        if (!run.points[i].name.starts_with("PINT")) continue;
        const int j = ++run.num_new_points;
        run.new_points.ensure(j);
        run.new_points[j] = run.points[i];
    }
    return final_preprocessing_of_patches(run);
}

// prepare_model with the plane preparation, then plane recognition of the
// first subregion. Returns 1 when every stage succeeds and it is planar.
inline int prepare_recognized_plane(Run& run, const std::string& text) {
    if (!prepare_model(run, text, true)) return 0;
    PlaneCoeffs plane;
    int planar = 0;
    return recognize_plane_patch(run, 1, plane, planar) && planar ? 1 : 0;
}

}  // namespace korvex::test
