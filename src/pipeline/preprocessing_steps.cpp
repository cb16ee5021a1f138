// Steps 5 to 18 of the pipeline: from the raw model to subregions whose
// boundaries carry mesh points, written to the working file and recognised
// as planar where they are.
#include "base/messages.h"
#include "curves/curve_points.h"
#include "input/input_stages.h"
#include "pipeline/korvex_steps.h"
#include "pipeline/pipeline.h"
#include "pipeline/working_file.h"
#include "planar/boundary_crossings.h"
#include "planar/plane_recognition.h"
#include "refinement/refinement.h"

namespace korvex {

namespace {

// One run of the general preprocessor with its bracketing messages.
int run_input_data_preprocessor(Run& run, const char* banner) {
    report("%s", banner);
    if (!input_data_preprocessor(run)) {
        report(" Unsuccessful return from input_data_preprocessor()\n");
        return 0;
    }
    report(" ... complete.\n");
    return 1;
}

// Step 11 for one PLANE subregion.
int prepare_plane_subregion(Run& run, int k) {
    PlaneCoeffs plane;
    int planar = 0;
    if (!recognize_plane_patch_using_control_points(run, k, plane, planar)) {
        report("Unsuccessful return from recognize_plane_patch_using_control_points()\n into KORVEX.C\n");
        return 0;
    }
    if (!planar) {
        report("Subregion %s isn't planar whereas it is declared PLANE;\n"
               "  or a PINT-point doesn't belong to it despite declared as such.\n",
               run.patches[k].name.c_str());
        return 0;
    }
    if (!preprocess_nonzero_PINTs(run, k, plane)) {
        report("Unsuccessful return from preprocess_nonzero_PINTs()\n");
        return 0;
    }
    return 1;
}

}  // namespace

int run_general_preprocessing(Run& run) {
    report(" Initial preprocessing of the curves data...\n");
    if (!restore_curves(run)) {
        report(" Unsuccessful return from restore_curves().\n");
        return 0;
    }
    report(" ... complete.\n");

    if (!run_input_data_preprocessor(run, "\n First run of the general preprocessor...\n")) return 0;

    report(" Preprocessing 2- and 3-edged patches...\n");
    if (!prepro23(run)) {
        report(" Unsuccessful return from prepro23()\n");
        return 0;
    }
    report(" ... complete.\n");

    if (!run_input_data_preprocessor(run, "\n Second run of the general preprocessor...\n")) return 0;

    report(" Preprocessing of 2-edged SHPERE-type patches...\n");
    if (!transform_2edged_SPHEREs(run)) {
        report(" Unsuccessful return from transform_2edged_SPHEREs()\n");
        return 0;
    }
    report(" ... complete.\n");

    return run_input_data_preprocessor(run, "\n Third run of the general preprocessor ...\n");
}

int prepare_plane_subregions(Run& run) {
    // The subregions of refinement squares appended here take their
    // parent's plane and hold no refined points: they are not visited.
    const int input_patches = run.nPatches;
    for (int k = 1; k <= input_patches; ++k) {
        if (run.patches[k].type != TYPE_PLANE) continue;
        if (!prepare_plane_subregion(run, k)) return 0;
    }
    if (!activate_entities_subdivisions(run)) {
        report("Unsuccessful return to Korvex()\n  from activate_entities_subdivisions().\n");
        return 0;
    }
    return 1;
}

void append_internal_points(Run& run) {
    for (int i = 1; i <= run.nPoints; ++i) {
        if (!run.points[i].name.starts_with("PINT")) continue;
        const int n = run.num_new_points + 1;
        run.new_points.ensure(n);
        run.new_points[n] = run.points[i];
        run.num_new_points = n;
    }
}

int generate_curve_points(Run& run) {
    report(" Generating points along curves ...\n");
    if (!generatePointsAlongCurves(run, run.settings.MAX_NEW_POINTS)) {
        report("Unsuccessful return from generatePointsAlongCurves() to korvex.c\n");
        return 0;
    }
    report(" ... complete.\n");
    append_internal_points(run);
    return check_plane_boundaries(run);
}

int finish_preprocessing(Run& run) {
    report(" Final preprocessing of the subregions ...\n");
    if (!final_preprocessing_of_patches(run)) {
        report(" Unsuccessful return from final_preprocessing_of_patches()\n");
        return 0;
    }
    report(" ... complete.\n");

    report("nPatches_old=%i\n", run.nPatches);

    if (!save_original_patches(run)) {
        report("Unsuccessful return from save_original_patches() to korvex.c\n");
        return 0;
    }

    for (int k = 1; k <= run.nPatches; ++k) {
        report("First call of PLANE_P1.C from KORVEX.C:\n");
        PlaneCoeffs plane;
        int planar = 0;
        if (!recognize_plane_patch(run, k, plane, planar)) {
            report("Unsuccessful return from \trecognize_plane_patch() (1)\n into KORVEX.C\n");
            return 0;
        }
    }
    return 1;
}

}  // namespace korvex
