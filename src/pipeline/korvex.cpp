// Korvex(): the meshing pipeline. Runs every stage in a fixed order, reports
// progress, and stops at the first stage that fails.
#include <algorithm>
#include <new>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "input/input_stages.h"
#include "pipeline/korvex_steps.h"
#include "pipeline/pipeline.h"

namespace korvex {

namespace {

// Frees the pipeline's working arrays however Korvex() is left, including by
// a fatal stop or a TreeException thrown from a stage.
class PipelineWorkGuard {
public:
    explicit PipelineWorkGuard(Run& run) : run_(run) {}
    ~PipelineWorkGuard() { release_pipeline_work(run_); }
    PipelineWorkGuard(const PipelineWorkGuard&) = delete;
    PipelineWorkGuard& operator=(const PipelineWorkGuard&) = delete;

private:
    Run& run_;
};

}  // namespace

void release_pipeline_work(Run& run) {
    run.new_points.reset();
    run.new_points.storage().shrink_to_fit();
    run.num_new_points = 0;
    run.unprocessed_PINT_nodes.clear();
    run.unprocessed_PINT_nodes.shrink_to_fit();
    run.merge_index.reset();
    for (long c = 1; c <= run.curves.last(); ++c) {
        run.curves[c].indexes_of_nodes.clear();
        run.curves[c].indexes_of_nodes.shrink_to_fit();
        run.curves[c].num_indexes_of_nodes = 0;
    }
}

int prepare_pipeline_state(Run& run) {
    run.all_singular_repaired = 1;
    run.unprocessed_PINT_nodes.clear();
    run.num_new_points = 0;
    run.tree_hole_iterations = 0;
    run.current_patch = 0;
    try {
        run.new_points.reset_with_room(static_cast<std::size_t>(run.settings.MAX_NEW_POINTS) + 2);
    } catch (const std::bad_alloc&) {
        report(" Out of memory for new_points[] in Korvex().\n");
        return 0;
    }
    // The reader's PINT values are replaced: 1 marks every internal point.
    run.has_internal_points = false;
    for (int i = 1; i <= run.nPoints; ++i) {
        ControlPoint& p = run.points[i];
        p.PINT = p.name.starts_with("PINT") ? 1 : 0;
        if (p.PINT == 1) run.has_internal_points = true;
    }
    return 1;
}

void report_bounding_box(const Run& run) {
    Vec3 lo{kNotComputed, kNotComputed, kNotComputed};
    Vec3 hi{-kNotComputed, -kNotComputed, -kNotComputed};
    for (int i = 1; i <= run.nPoints; ++i) {
        const Vec3 p = run.points[i].pos();
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], p[a]);
            hi[a] = std::max(hi[a], p[a]);
        }
    }
    report(" Model geometrical limits:\n"
           "[Xmin,Xmax]=[%10.3lf, %10.3lf]   dX=%10.3lf\n"
           "[Ymin,Ymax]=[%10.3lf, %10.3lf]   dY=%10.3lf\n"
           "[Zmin,Zmax]=[%10.3lf, %10.3lf]   dZ=%10.3lf\n",
           lo.x, hi.x, hi.x - lo.x, lo.y, hi.y, hi.y - lo.y, lo.z, hi.z, hi.z - lo.z);
}

int check_input_and_report_limits(Run& run) {
    report(" Checking integrity of the input data ...\n");
    if (!check_input_data(run)) {
        report(" Input data inconsistent.\n");
        return 0;
    }
    report(" ... complete.\n");
    report_bounding_box(run);
    return 1;
}

int Korvex(Run& run) {
    PipelineWorkGuard guard(run);
    return prepare_pipeline_state(run) &&
           check_input_and_report_limits(run) &&
           run_general_preprocessing(run) &&
           prepare_plane_subregions(run) &&
           generate_curve_points(run) &&
           finish_preprocessing(run) &&
           process_trees_and_holes(run) &&
           mesh_all_subregions(run) &&
           postprocess_mesh(run)
               ? 1
               : 0;
}

}  // namespace korvex
