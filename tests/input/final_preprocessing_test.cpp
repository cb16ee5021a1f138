// final_preprocessing_of_patches: the boundary mesh points of a subregion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/input_stages.h"
#include "support/message_capture.h"
#include "support/model_builder.h"

namespace korvex::test {
namespace {

void set_nodes(Curve& c, const std::vector<int>& ids) {
    c.num_new_points = static_cast<int>(ids.size());
    for (std::size_t m = 0; m < ids.size(); ++m) c.new_points_id[m + 1] = ids[m];
}

TEST(FinalPreprocessing, ListsTheBoundaryPointsOfASquareInWalkingOrder) {
    ModelBuilder m;
    m.square();
    m.curve("QL3r", {"P4", "P3"});
    m.patch("R1", TYPE_PLANE, {{"QL1", "QL2", "QL3r", "QL4"}});
    MessageCapture log;
    ASSERT_EQ(check_input_data(m.run), 1);
    ASSERT_EQ(restore_curves(m.run), 1);
    ASSERT_EQ(input_data_preprocessor(m.run), 1);
    // Mesh points as the curve stage would number them: input points keep 1..4.
    set_nodes(m.run.curves[m.curve_index("QL1")], {1, 11, 2});
    set_nodes(m.run.curves[m.curve_index("QL2")], {2, 12, 13, 14, 3});
    set_nodes(m.run.curves[m.curve_index("QL3r")], {4, 15, 3});  // walked from P3 to P4
    set_nodes(m.run.curves[m.curve_index("QL4")], {4, 16, 1});

    log.clear();
    ASSERT_EQ(final_preprocessing_of_patches(m.run), 1);
    EXPECT_EQ(log.text(), "");
    const Subregion& s = m.run.patches[1];
    ASSERT_EQ(s.num_points, 10);
    const std::vector<int> listed(s.points_id.begin() + 1, s.points_id.begin() + 1 + s.num_points);
    EXPECT_EQ(listed, (std::vector<int>{1, 11, 2, 12, 13, 14, 3, 15, 4, 16}));
}

TEST(FinalPreprocessing, RefusesMoreBoundaryPointsThanTheTableHolds) {
    // 31 curves of 1000 points give 30969 boundary points, above 30007.
    for (const int sign : {1, -1}) {
        ModelBuilder m;
        const int k = m.patch("R1", TYPE_PLANE, {{}});
        Subregion& s = m.run.patches[k];
        for (int i = 1; i <= 31; ++i) {
            const std::string name = "Q" + std::to_string(i);
            const int c = m.curve(name.c_str(), {"P1", "P2", "P3", "P4"});
            std::vector<int> ids(1000);
            for (int n = 0; n < 1000; ++n) ids[static_cast<std::size_t>(n)] = 1000 * i + n;
            set_nodes(m.run.curves[c], ids);
            s.curves_id[static_cast<std::size_t>(i)] = sign * c;
        }
        s.num_curves = 31;
        s.curves_per_edge[1] = 31;
        MessageCapture log;
        EXPECT_EQ(final_preprocessing_of_patches(m.run), 0);
        EXPECT_EQ(log.text(), std::string("Increase size of patches[].points_id[] arrays\n (currently 30009)   ") +
                                  (sign > 0 ? "(1)\n" : "(2)\n"));
        EXPECT_EQ(s.num_points, MAX_BOUNDARY_POINTS);
    }
}

}  // namespace
}  // namespace korvex::test
