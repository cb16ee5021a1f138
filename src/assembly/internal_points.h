// Internal points ("PINT" points) in the finished global mesh: the global
// nodes of every curve in order along it, and the rules that pull a curve
// node onto an internal point lying on an arc or a straight curve.
#pragma once

#include "model/run.h"

namespace korvex {

// Fills curves[c].indexes_of_nodes (1-based, index 0 unused) for every curve
// from the saved node names (Node3D::name_original): nodes named after the
// curve, after its end points and, except for straight "QL" curves, after
// its interior defining points; nodes named after a subregion are skipped.
// The list is ordered as a nearest-neighbour chain from the node named after
// the first point (strictly nearest next node, first in index order on ties).
// Returns 1, or 0 after the out-of-memory report.
int collect_curve_nodes(Run& run);

// Outcome of trying one curve for one internal point.
enum class PintAttach { NotOnCurve, Attached, Failed };

// Arc rule and line rule: finds the interval of the curve's node chain that
// holds point p and pulls a node of it onto p (name "PINT", PINT = 4).
PintAttach attach_to_arc(Run& run, int c, ControlPoint& p);
PintAttach attach_to_line(Run& run, int c, ControlPoint& p);

}  // namespace korvex
