// Nodes along curves. generatePointsAlongCurves (declared with the other
// stages in pipeline/stages.h) divides every curve of the model; the arc
// division is also used on its own by the surface-of-revolution patches.
#pragma once

#include "model/array1.h"
#include "model/limits.h"
#include "model/records.h"
#include "model/vec3.h"

namespace korvex {

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
