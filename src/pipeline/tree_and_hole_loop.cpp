// Steps 19 to 21: the tree merge, then trees (WALLTREE) and holes (MULT_CON)
// in turn until both report that nothing is left. An iteration that does not
// change the number of subregions ends the run, so the loop always stops.
#include "base/messages.h"
#include "cuts/cuts.h"
#include "pipeline/korvex_steps.h"

namespace korvex {

namespace {

// One WALLTREE-and-MULT_CON iteration.
int process_trees_then_holes(Run& run) {
    report("Before internal_segments_and_curves_processing()...\n");
    if (!internal_segments_and_curves_processing(run)) {
        report("Unsuccessful return from internal_segments_and_curves_processing() into KORVEX.C\n");
        return 0;
    }
    report("Returned from WALLTREE.C to KORVEX.C\n");
    if (!MC_planar_processing(run)) {
        report("Unsuccessful return from MC_planar_processing() into KORVEX.C\n");
        return 0;
    }
    report(" all_trees_processed=%i  (TRUE=1, FALSE=0)\n", run.all_trees_processed);
    report(" all_holes_processed=%i  (TRUE=1, FALSE=0)\n", run.all_holes_processed);
    return 1;
}

}  // namespace

int process_trees_and_holes(Run& run) {
    run.all_trees_processed = 1;
    run.all_holes_processed = 1;
    run.tree_hole_iterations = 0;
    if (!tree_merge(run)) {
        report("Unsuccessful return from tree_merge() into KORVEX.C\n");
        return 0;
    }
    for (;;) {
        ++run.tree_hole_iterations;
        const int patches_before = run.nPatches;
        if (!process_trees_then_holes(run)) return 0;
        if (run.all_trees_processed == 1 && run.all_holes_processed == 1) break;
        if (run.nPatches == patches_before) {
            report("The model can't be processed\n"
                   "   (nPatches didn't decrease over the last\n"
                   "   WALLTREE.C-and-MULT_CON.C iteration).\n");
            return 0;
        }
    }
    report("All trees and holes have been processed in %i iteration(s).\n", run.tree_hole_iterations);
    return 1;
}

}  // namespace korvex
