#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "base/slot_table.h"
#include "model/records.h"

namespace korvex {
namespace {

TEST(SlotTable, ReadsPastTheStoredSlotsAsBlankAndGrowsOnWrite) {
    SlotTable<int, 5> t;
    const auto& ct = t;
    EXPECT_EQ(ct[4], 0);
    EXPECT_EQ(t.stored(), 0u);  // reading stores nothing
    t[2] = 7;
    EXPECT_EQ(t.stored(), 3u);
    EXPECT_EQ(ct[2], 7);
    EXPECT_EQ(ct[1], 0);
    EXPECT_EQ(ct[4], 0);
    EXPECT_EQ(t.size(), 5u);
    EXPECT_THROW(t[5], std::out_of_range);
    EXPECT_THROW(ct[5], std::out_of_range);
    // Contiguous access sees every slot in place.
    const std::vector<int> all(t.begin(), t.end());
    EXPECT_EQ(all, (std::vector<int>{0, 0, 7, 0, 0}));
    EXPECT_EQ(t.data()[2], 7);
    SlotTable<int, 5> copy = t;
    copy[2] = 1;
    EXPECT_EQ(t[2], 7);
    // A stable table never moves its slots: shifting a list in place works.
    SlotTable<Name, 40> names;
    names[1] = "QL1";
    for (std::size_t m = 1; m < 39; ++m) names[m + 1] = names[m];
    EXPECT_TRUE(names[39] == "QL1");
    copy = {4, 5};  // as for an array: the rest reads as blank again
    EXPECT_EQ(copy.stored(), 2u);
    EXPECT_EQ(copy[1], 5);
    EXPECT_EQ(copy[2], 0);
}

TEST(SlotTable, SubregionRecordsStoreOnlyWhatTheyHold) {
    Subregion s(150, 140);
    const Subregion& cs = s;
    EXPECT_EQ(cs.trees[70].curve_capacity(), 150);  // an unwritten tree has the run's capacities
    EXPECT_EQ(cs.trees[70].point_table_a.size(), 141u);
    EXPECT_EQ(s.trees.stored() + s.holes.stored() + s.points_id.stored() + s.curves_id.stored(), 0u);
    s.trees[2].curve_names[150] = "QL1";
    EXPECT_EQ(s.trees.stored(), 3u);
    EXPECT_EQ(s.trees[1].curve_capacity(), 150);
    EXPECT_TRUE(cs.trees[2].curve_names[150] == "QL1");
    s.points_id[30008] = 4;  // the last slot of the boundary node list
    EXPECT_EQ(cs.points_id[30007], 0);
    EXPECT_THROW(s.points_id[30009], std::out_of_range);
    EXPECT_EQ(s.trees.size(), static_cast<std::size_t>(TREE_RECORDS));
}

}  // namespace
}  // namespace korvex
