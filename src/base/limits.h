// Fixed capacities of the model (the run-time ones live in RunSettings).
#pragma once

namespace korvex {

constexpr int MAX_CONTROL_POINTS = 13000;
constexpr int CONTROL_POINTS_ARRAY = 13100;   // records in points[]
constexpr int MAX_POINTS_PER_CURVE = 1000;
constexpr int MAX_CURVES_PER_EDGE = 500;         // default of RunSettings::MAX_CURVES_PER_EDGE
constexpr int MAX_CURVES_PER_SUBREGION = 4 * MAX_CURVES_PER_EDGE;  // reader bound: 2000 by default
constexpr int MAX_CURVES = 5000;              // default of RunSettings::MAX_CURVES
constexpr int MAX_NEW_POINTS = 30000;          // default of RunSettings::MAX_NEW_POINTS
constexpr int NEW_POINTS_ARRAY = 30003;        // records in new_points[] with the default
constexpr int MAX_EDGES_PER_SUBREGION = 4;
constexpr int MAX_TREES_PER_SUBREGION = 70;
constexpr int MAX_HOLES_PER_SUBREGION = 30;
constexpr int MAX_CURVES_PER_HOLE = 208;
constexpr int MAX_NAME_LENGTH = 8;
constexpr int MAX_BOUNDARY_POINTS = 30007;     // entries of Subregion::points_id
constexpr int NODEL_3D_EXTRA = 11;             // nodes3D[]/elements[] hold MAX_NODEL_3D + 11 records

// Slots of the per-record tables (index 0 unused).
constexpr int CURVE_POINT_SLOTS = 1001;
constexpr int CURVE_NEW_POINT_SLOTS = 1001;
constexpr int SUBREGION_CURVE_SLOTS = 2006;     // with the default MAX_CURVES_PER_EDGE
// Slots of a subregion's curve list for a run's MAX_CURVES_PER_EDGE.
constexpr int subregion_curve_slots(int max_curves_per_edge) { return 4 * max_curves_per_edge + 6; }
constexpr int SUBREGION_POINT_SLOTS = 30009;
constexpr int HOLE_CURVE_SLOTS = 209;
constexpr int HOLE_RECORDS = 31;
constexpr int TREE_RECORDS = 71;

// Marker left by the general preprocessor in Subregion::preprocessed_marker.
constexpr int PREPROCESSED_MARKER = 728374;

// Subregion type codes.
enum SubregionType : int {
    TYPE_NONE = 0,
    TYPE_TRIANGULAR = 1,
    TYPE_BILINEAR = 2,
    TYPE_PLANE = 4,
    TYPE_CYLINDER = 5,
    TYPE_REV = 6,
    TYPE_REV2 = 7,
    TYPE_SPHERE = 8,
};

}  // namespace korvex
