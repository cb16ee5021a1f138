// The cuts of the subdivision stage (activate_entities_subdivisions).
#pragma once

#include "model/run.h"

namespace korvex {

// Number of steps a curve of this length is counted as for cutting: the
// integer part of L/s (with a small slack), raised by one when it falls short
// of L/s by 1e-5 or more, then made even. 0 for a zero step.
int subdivision_step_count(double length, double step);

// Whether the cuts that subregion k's straight boundary, hole and tree curves
// and arcs will need fit the limits of points, curves and curve lists,
// counted from below before any cut is made. Returns 1, or 0 after the
// message of the limit the cuts would overrun first.
int check_subdivision_room(const Run& run, int k);

// Cuts the straight curve at position pos of subregion k's outer boundary
// (hole = 0) or of its hole `hole` into a piece of four steps and the rest,
// when it counts at least 6 steps; sets divided when it cut. Non-straight
// curves are left alone. Returns 1, or 0 after reporting a limit.
int divide_line_to_2_on_MC_boundary(Run& run, int k, int hole, int pos, bool& divided);

// The same for an arc: cut after four of its steps when it counts at least 6.
int divide_arc_to_2_on_MC_boundary(Run& run, int k, int hole, int pos, bool& divided);

// Cuts straight curve m of tree t of subregion k into a piece of two steps
// and the rest (appended to the tree) when it counts at least 4 steps.
int divide_line_2_on_tree(Run& run, int k, int t, int m, bool& divided);

}  // namespace korvex
