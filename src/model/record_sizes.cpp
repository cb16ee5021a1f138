#include "model/record_sizes.h"

#include <algorithm>

#include "base/limits.h"

namespace korvex {

namespace {

// Lays out fields one after another with natural alignment, as a C compiler
// does for a plain struct on a 64-bit target.
class CLayout {
public:
    CLayout& field(std::int64_t size, std::int64_t align, std::int64_t count = 1) {
        offset_ = (offset_ + align - 1) / align * align + size * count;
        max_align_ = std::max(max_align_, align);
        return *this;
    }
    CLayout& text(std::int64_t chars, std::int64_t count = 1) { return field(chars, 1, count); }
    CLayout& int32(std::int64_t count = 1) { return field(4, 4, count); }
    CLayout& real(std::int64_t count = 1) { return field(8, 8, count); }
    CLayout& pointer(std::int64_t count = 1) { return field(8, 8, count); }
    CLayout& record(std::int64_t size, std::int64_t align, std::int64_t count = 1) { return field(size, align, count); }
    std::int64_t size() const { return (offset_ + max_align_ - 1) / max_align_ * max_align_; }

private:
    std::int64_t offset_ = 0;
    std::int64_t max_align_ = 1;
};

constexpr std::int64_t kNameField = 9;
constexpr std::int64_t kMegabyte = 1048576;
// Per-curve working record of the tree walk: four int32.
constexpr std::int64_t kTreeWalkRecord = 16;

std::int64_t slots(int capacity) { return std::max<std::int64_t>(0, std::int64_t{capacity} + 1); }

}  // namespace

std::int64_t control_point_record_bytes() {
    return CLayout()
        .text(16)        // name
        .real(3)         // x, y, z
        .real(4)         // PINT_step, PINT_step_work, PINT_rad, PINT_rad_work
        .text(kNameField, 2)  // subregion, subregion_work
        .int32(2)        // id, new_id
        .text(kNameField, 2)  // pint_tag, name_saved
        .int32()         // curve_id
        .text(kNameField)     // name_original
        .int32()         // working integer of merging
        .real()          // working value of name restoration
        .int32()         // PINT
        .size();
}

std::int64_t element_record_bytes() {
    return CLayout().int32(4).text(12).int32().size();  // nodes, name, id
}

std::int64_t hole_record_bytes() {
    return CLayout().text(kNameField).int32(2).int32(HOLE_CURVE_SLOTS).size();
}

std::int64_t tree_record_bytes() {
    return CLayout()
        .int32()            // num_curves
        .text(kNameField)   // name
        .pointer()          // curve_names
        .int32(2)           // id, working state
        .pointer(3)         // curve indexes, two walk tables
        .int32()            // counter
        .pointer(2)         // two point tables
        .size();
}

std::int64_t tree_tables_bytes(int max_curves_per_tree, int max_points_per_tree) {
    const std::int64_t nc = slots(max_curves_per_tree);
    const std::int64_t np = slots(max_points_per_tree);
    return nc * kNameField + nc * 4 + 2 * nc * kTreeWalkRecord + 2 * np * 4;
}

std::int64_t subregion_bytes(int max_curves_per_tree, int max_points_per_tree) {
    const std::int64_t record = CLayout()
        .text(kNameField)                       // name
        .int32(2)                               // type, num_edges
        .int32(5)                               // curves_per_edge
        .int32()                                // num_curves
        .text(kNameField, SUBREGION_CURVE_SLOTS)  // curve_names
        .real()                                 // REF
        .real(3)                                // axis_cos
        .real(3)                                // centre
        .record(tree_record_bytes(), 8, TREE_RECORDS)
        .int32()                                // num_trees
        .text(kNameField)                       // original_name
        .int32(2)                               // num_edges_original, id
        .int32(5)                               // edge_flags
        .int32(SUBREGION_CURVE_SLOTS)           // curves_id
        .int32()                                // num_points
        .int32(SUBREGION_POINT_SLOTS)           // points_id
        .int32(2)                               // preprocessed_marker, num_holes
        .record(hole_record_bytes(), 4, HOLE_RECORDS)
        .size();
    return record + TREE_RECORDS * tree_tables_bytes(max_curves_per_tree, max_points_per_tree);
}

std::int64_t mesh_memory_mb(int max_nodel_3d) {
    const std::int64_t records = std::int64_t{max_nodel_3d} + NODEL_3D_EXTRA;
    return records * (control_point_record_bytes() + element_record_bytes()) / kMegabyte;
}

std::int64_t patches_memory_mb(int max_subregions, int max_curves_per_tree, int max_points_per_tree) {
    const std::int64_t records = std::int64_t{max_subregions} + 2;
    return records * subregion_bytes(max_curves_per_tree, max_points_per_tree) / kMegabyte;
}

}  // namespace korvex
