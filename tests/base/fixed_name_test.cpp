#include <gtest/gtest.h>

#include "base/array1.h"
#include "base/fixed_name.h"

namespace korvex {
namespace {

TEST(FixedName, TruncatesToCapacityAndComparesExactly) {
    Name n = "QL123456789";
    EXPECT_EQ(n.length(), 8u);
    EXPECT_TRUE(n == "QL123456");
    EXPECT_FALSE(n == "ql123456");
    PointName longer = "P1234567890AB";
    Name shorter = longer;
    EXPECT_TRUE(shorter == "P1234567");
    EXPECT_TRUE(PointName("PINT1").starts_with("PINT"));
}

TEST(Array1, IsOneBasedAndRefusesOutOfRange) {
    Array1<int> a(3);
    a[3] = 7;
    EXPECT_EQ(a.last(), 3);
    EXPECT_THROW(a[4], std::out_of_range);
    a.ensure(10);
    EXPECT_EQ(a[3], 7);
    EXPECT_EQ(a[10], 0);
}

}  // namespace
}  // namespace korvex
