// Conversion of two- and three-edged subregions into four-edged ones (or
// TRIANGULAR ones) and the curve cuts it uses. The stages themselves,
// prepro23 and transform_2edged_SPHEREs, are declared in input/input_stages.h.
#pragma once

#include <vector>

#include "base/vec3.h"
#include "model/run.h"

namespace korvex {

// ---- records made by the conversions (generated_records.cpp) ----

// Appends point nPoints + 1 at x, named by name_format (which takes the
// index), with id = its index and the given name_original. Returns its
// index, or 0 after reporting limit_format (which takes MAX_CONTROL_POINTS)
// when the point table is full.
int append_generated_point(Run& run, const Vec3& x, const char* name_format, const Name& name_original,
                           const char* limit_format);

// Appends curve nCurves + 1 named by name_format (which takes the index),
// with id = its index and the step and name_original of curve `like`; it
// has no defining points yet. Returns its index, or 0 after reporting
// limit_format (which takes MAX_CURVES) when the curve table is full.
int append_generated_curve(Run& run, int like, const char* name_format, const char* limit_format);

// Makes ids (in order) the defining points of curve c, names included.
void set_curve_points(Run& run, int c, const std::vector<int>& ids);

// Reports the first pair of points (i ascending, then j ascending) closer
// than 1e-6 of which neither name begins with PINT, with `format` (two
// names and coordinates). Reporting only: the caller goes on.
void report_first_close_points(const Run& run, const char* format);

// Polyline length of curve c through its defining points.
double polyline_length(const Run& run, int c);

// ---- curve cuts ----

// Cuts the straight two-point curve |signed_id| of subregion k at its
// middle: the curve keeps its first half, a new curve "Q@..." takes the
// second and becomes edge 4 of the subregion, and every other user of the
// curve gets both halves. On a limit it reports and changes nothing.
void cut_straight_curve(Run& run, int k, int signed_id);

// Cuts curve |signed_id| in two at its middle: the curve keeps the first
// half, a new curve (its index in new_curve) takes the second. Arcs are cut
// by divide_arc_to_2. The subregion lists are the caller's to update.
// Returns 1, or 0 after reporting.
int divide_curve_to_2(Run& run, int signed_id, int& new_curve);
int divide_arc_to_2(Run& run, int signed_id, int& new_curve);

// ---- corner division (edge_corner_division.cpp) ----

// Corner angle of every curve slot of subregion k that is not the first of
// its edge (entries 1..num_curves; kNotComputed where there is none): the
// angle between the two curves meeting in front of the slot, pi for a
// straight continuation. The edges must be oriented chains.
std::vector<double> slot_corner_angles(const Run& run, int k);

// Divides one edge of subregion k in front of the candidate slot with the
// smallest angle (the first on ties), which is then no candidate any more.
// Returns 0 when no slot is a candidate (nothing is reported).
int divide_edge_at_sharpest_corner(Subregion& s, std::vector<double>& angles);

}  // namespace korvex
