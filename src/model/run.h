// One run's context: the model, the generated curve points and the global
// mesh. Created by the driver, passed by reference to every stage, destroyed
// at the end of the run, so nothing survives from one run to the next.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/array1.h"
#include "base/run_settings.h"
#include "model/records.h"

namespace korvex {

struct Run {
    RunSettings settings;       // snapshot of the process-wide settings at run start
    std::string problem_path;   // the validated .sur path ("infile")
    std::string title;          // first line of the model file, with its newline

    Array1<ControlPoint> points;   // grows on demand; nPoints <= MAX_CONTROL_POINTS
    int nPoints = 0;
    Array1<Curve> curves;          // nCurves <= MAX_CURVES
    int nCurves = 0;
    Array1<Subregion> patches;     // nPatches <= settings.MAX_SUBREGIONS
    int nPatches = 0;

    Array1<ControlPoint> new_points;  // mesh points along curves, then internal points
    int num_new_points = 0;

    Array1<Node3D> nodes3D;        // global mesh
    int num_nodes = 0;
    Array1<Element> elements;
    int num_elements = 0;

    // Internal points still to be placed when plane patches are merged.
    std::vector<Node3D> unprocessed_PINT_nodes;
    std::shared_ptr<struct MergeIndex> merge_index;  // assembly's name index and grid over nodes3D (assembly/merge_index.h)

    int all_singular_repaired = 1;
    bool has_internal_points = false;
    int all_trees_processed = 1;
    int all_holes_processed = 1;
    int tree_hole_iterations = 0;
    int tree_sequences = 0;     // simple sequences made from branching trees so far (names "Tn%06i")
    int current_patch = 0;   // index of the subregion being meshed

    // Builds record nPatches + 1 with this run's tree capacities and returns
    // its index; the caller checks MAX_SUBREGIONS first and then sets nPatches.
    int new_patch_slot() {
        const int k = nPatches + 1;
        patches.ensure(k);
        patches[k] = Subregion(settings.MAX_CURVES_PER_TREE, settings.MAX_POINTS_PER_TREE, settings.MAX_CURVES_PER_EDGE);
        return k;
    }
};

}  // namespace korvex
