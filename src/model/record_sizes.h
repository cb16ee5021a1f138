// Sizes of the model and mesh records in their fixed field layout (natural C
// layout), used for the memory figures the driver reports. They do not
// depend on how this build happens to lay out its own C++ records.
#pragma once

#include <cstdint>

namespace korvex {

std::int64_t control_point_record_bytes();  // ControlPoint / Node3D
std::int64_t element_record_bytes();
std::int64_t hole_record_bytes();
std::int64_t tree_record_bytes();
// The heap tables one tree owns, sized by the run-time tree limits.
std::int64_t tree_tables_bytes(int max_curves_per_tree, int max_points_per_tree);
// One subregion record with its 71 trees and all their tables.
std::int64_t subregion_bytes(int max_curves_per_tree, int max_points_per_tree);

// Whole megabytes (division by 1048576) of nodes3D[] plus elements[], each
// holding MAX_NODEL_3D + 11 records.
std::int64_t mesh_memory_mb(int max_nodel_3d);
// Whole megabytes of patches[]: MAX_SUBREGIONS + 2 subregions with their trees.
std::int64_t patches_memory_mb(int max_subregions, int max_curves_per_tree, int max_points_per_tree);

}  // namespace korvex
