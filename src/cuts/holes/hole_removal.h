// Removal of the holes of PLANE subregions (MC_planar_processing): each hole
// is cut out along a pair of straight connectors from two of its corners to
// two corners of the outer boundary, which splits the subregion in two.
#pragma once

#include <vector>

#include "cuts/connectors/connectors.h"
#include "model/run.h"

namespace korvex {

// Unit normal of a closed loop of curves (signed indexes curves[1..n]): the
// side from which the loop runs counter-clockwise. Returns 1, or 0 after a
// report.
int sequnce_unit_vector(const Run& run, int n, const int* curves, Vec3& unit);

// Chains the curves of every hole of subregion k (first curve forward) and
// stores, per hole, the angle between the boundary's unit vector and the
// hole's in hole_angles[1..num_holes]. Returns 1, or 0 after a report.
int restore_correct_order_of_curves_for_all_holes(Run& run, int k, const Vec3& boundary_unit,
                                                  std::vector<double>& hole_angles);

// Appends a new subregion for a part cut off subregion k, named by
// name_format from its index, and returns that index; the caller has checked
// the subregion limit. The part inherits k's original name, type,
// refinement, axis, centre, plane, id and preprocessing state; its boundary,
// holes and trees are set by the cut.
int append_part(Run& run, int k, const char* name_format);

// Cuts subregion k along the connector curves c1 and c2 (curves[] indexes,
// both running from the hole to the outer boundary) of the pair that
// removes hole `hole`; appends the new subregion. hole_angle is the angle
// stored for the hole by the chaining. Returns 1, or 0 after a report.
int divide_PLANE_to_two_parts(Run& run, int k, int hole, double hole_angle, const Connector& conn1,
                              const Connector& conn2, int c1, int c2);

}  // namespace korvex
