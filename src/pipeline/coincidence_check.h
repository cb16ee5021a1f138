// The final test of the global mesh for pairs of nodes at one place (which
// would mean two patches were not joined). Pairs are reported, not repaired.
#pragma once

#include "model/run.h"

namespace korvex {

// Nodes whose distances from the origin differ by less than this are compared.
inline constexpr double kCoincidenceWindow = 1e-6;
// Above this many nodes the full check compares only nodes on curves.
inline constexpr int kFullCheckAllNodesLimit = 30000;

// Two nodes closer than kPointTolerance (absolute in the sorted check,
// relative to their mean distance from the origin in the full check) are
// reported. Runs the sorted check, or the full check when its arrays cannot
// be allocated.
void check_coincident_nodes(const Run& run);

// How the sorted check finds the nodes to compare within a distance window.
enum class CoincidenceSearch {
    Automatic,   // the scan, or the grid when the windows hold many nodes
    WindowScan,  // every node against the following ones in its window
    Grid,        // only nodes in neighbouring cells of a grid; same pairs, same order
};

// The sorted check: nodes ordered by distance from the origin (stable), each
// compared with those that follow it within the window. Returns false, after
// reporting, when its arrays cannot be allocated; the caller then runs the full check.
bool sorted_coincidence_check(const Run& run, CoincidenceSearch search = CoincidenceSearch::Automatic);

// The full (quadratic) check by relative distance.
void full_coincidence_check(const Run& run);

}  // namespace korvex
