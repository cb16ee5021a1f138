// Known answers for the fixed record sizes behind the memory figures
// of a run (natural C layout on a 64-bit target).
#include <gtest/gtest.h>

#include "model/record_sizes.h"

namespace korvex {
namespace {

TEST(RecordSizes, FixedLayoutRecords) {
    EXPECT_EQ(control_point_record_bytes(), 160);
    EXPECT_EQ(element_record_bytes(), 32);
    EXPECT_EQ(hole_record_bytes(), 856);   // name padded to 12, id, num_curves, 209 slots
    EXPECT_EQ(tree_record_bytes(), 80);
    // 151 slots of names, curve indexes and two walk tables; 151 slots of two point tables.
    EXPECT_EQ(tree_tables_bytes(150, 150), 151 * 9 + 151 * 4 + 2 * 151 * 16 + 2 * 151 * 4);
    EXPECT_EQ(subregion_bytes(150, 150), 178496 + 71 * tree_tables_bytes(150, 150));
}

TEST(RecordSizes, MemoryFiguresOfTheDefaultSettings) {
    EXPECT_EQ(mesh_memory_mb(1000000), 183);        // 1000011 * 192 bytes
    EXPECT_EQ(patches_memory_mb(200, 150, 150), 143);
    // No overflow for large settings.
    EXPECT_EQ(mesh_memory_mb(2147483647), (2147483647LL + 11) * 192 / 1048576);
}

}  // namespace
}  // namespace korvex
