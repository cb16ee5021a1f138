// Nodes along curves. generatePointsAlongCurves, the entry point of this
// stage, divides every curve of the model; the arc division is also used on
// its own by the surface-of-revolution patches.
#pragma once

#include "base/array1.h"
#include "base/limits.h"
#include "base/vec3.h"
#include "model/records.h"

namespace korvex {

struct Run;

// Generates the nodes of every curve into new_points (at most
// max_new_points). Returns 1, or 0 after reporting its reason.
int generatePointsAlongCurves(Run& run, int max_new_points);

class NodeCoincidenceIndex;

// Divides the circular arc curves[|curve_index|] through its definition
// points into an even number of equal steps: writes its plane, centre,
// radius, length, num_new_points and new_points_id, appends its nodes to
// new_points (num_new_points is the count, in and out) and checks the nodes
// for coincident pairs. Returns 1, or 0 after reporting why.
int generatePointsOnArc(int curve_index, Array1<ControlPoint>& points, Array1<Curve>& curves, int& num_new_points,
                        Array1<ControlPoint>& new_points, int max_new_points = MAX_NEW_POINTS);

// The same, checking coincidences incrementally with `checked` (which must
// have seen every earlier check of this new_points list).
int generatePointsOnArc(int curve_index, Array1<ControlPoint>& points, Array1<Curve>& curves, int& num_new_points,
                        Array1<ControlPoint>& new_points, int max_new_points, NodeCoincidenceIndex& checked);

}  // namespace korvex
