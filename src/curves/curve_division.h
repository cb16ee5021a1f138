// Steps of the division of curves into nodes, shared by the files of this
// folder (general curves, arcs, internal points, sphere projection).
#pragma once

#include "base/array1.h"
#include "base/vec3.h"
#include "model/records.h"

namespace korvex {

class NodeCoincidenceIndex;

// Where the nodes go and how many there may be.
struct NodeList {
    Array1<ControlPoint>& nodes;
    int& count;
    int max_count;
};

// Number of intervals from length / step, before the minimum and evenness
// rules; huge or undefined ratios (a zero step) give a count beyond any limit,
// negative ones (a negative step) give 0.
int intervals_for(double length, double step);
// Raises n to at least `minimum` and makes it even.
int even_intervals(int n, int minimum);

// Index in the node list of the node that stands for input point p,
// appending a copy of the point when it has none yet. 0 after reporting
// overflow_format (which takes the limit) when the list is full.
int node_for_input_point(Array1<ControlPoint>& points, int p, NodeList& list, const char* overflow_format);

// Appends a generated node at position x for curve c, named "P$%06i" by its
// index. 0 after reporting overflow_format (with the limit) when full.
int append_generated_node(const Vec3& x, int c, NodeList& list, const char* overflow_format);

// A generated node within `tolerance` of an interior definition point of
// curve c becomes that point: coordinates, name, and the point's new_id.
void snap_to_definition_points(int node, const Curve& curve, Array1<ControlPoint>& points, NodeList& list,
                               double tolerance);

// Divides the general (non-arc) curve c. Returns 1, or 0 after reporting.
int divide_general_curve(int c, Array1<ControlPoint>& points, Array1<Curve>& curves, NodeList& list);

// Moves the nearest movable node of curve c onto each internal point
// attached to it (points with PINT == 1 and curve_id == c, given in index
// order). Moved nodes are told to `checked`.
void attach_internal_points_to_curve(int c, const std::vector<int>& pint_points, const Array1<ControlPoint>& points,
                                     const Array1<Curve>& curves, Array1<ControlPoint>& new_points,
                                     NodeCoincidenceIndex& checked);

// Internal points (PINT == 1) at an ordinary point take that point's curve_id.
void assign_internal_points_to_curves(Array1<ControlPoint>& points, int nPoints);

// Pushes the generated nodes of the non-arc curves of SPHERE subregions onto
// their spheres.
void project_sphere_curve_nodes(const Array1<Subregion>& patches, int nPatches, const Array1<Curve>& curves,
                                Array1<ControlPoint>& new_points);

}  // namespace korvex
