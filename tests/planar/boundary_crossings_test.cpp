// The self-crossing test of a boundary in a parameter plane: polygons that
// are simple pass, and those that cross, fold back along themselves or pass
// twice through one place are refused naming the curves that meet.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "planar/boundary_crossings.h"
#include "support/message_capture.h"
#include "support/plane_model.h"

namespace korvex::test {
namespace {

struct Vertex {
    double u, v;
    int curve;  // of the segment that starts here
};

int check(const Run& run, const std::vector<Vertex>& polygon) {
    PlaneUV uv;
    uv.records.assign(1, PointUV{});
    for (const Vertex& p : polygon) {
        PointUV r;
        r.u = p.u;
        r.v = p.v;
        r.curve_id = p.curve;
        uv.records.push_back(r);
    }
    uv.num_points = static_cast<int>(polygon.size());
    uv.records[0] = uv.records.back();
    return check_parameter_boundary(run, run.patches[1], uv);
}

TEST(ParameterBoundary, SimplePolygonsPassAndCrossingsFoldsAndTouchesAreRefused) {
    korvex::Run run;
    ASSERT_EQ(prepare_model(run, rectangle_sur().text()), 1);
    const struct {
        std::vector<Vertex> polygon;
        const char* curves;  // nullptr: the polygon passes
    } cases[] = {
        {{{0, 0, 1}, {1, 0, 1}, {2, 0, 2}, {2, 2, 3}, {0, 2, 4}}, nullptr},
        {{{0, 0, 1}, {2, 0, 2}, {0, 2, 3}, {2, 2, 4}}, "QL2 and QL4"},       // a bow tie
        {{{0, 0, 1}, {2, 0, 2}, {1, 0, 3}}, "QL1 and QL2"},                  // back along the first side
        {{{0, 0, 1}, {2, 0, 2}, {1, 1, 2}, {2, 2, 3}, {0, 2, 4}, {1, 1, 4}},  // twice through (1, 1)
         "QL2 and QL4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.curves ? c.curves : "simple");
        const MessageCapture messages;
        EXPECT_EQ(check(run, c.polygon), c.curves ? 0 : 1);
        if (c.curves)
            EXPECT_EQ(messages.text(), std::string(" Input data error: the boundary of subregion R1 crosses or touches "
                                                   "itself (curves ") + c.curves + ").\n");
        else
            EXPECT_TRUE(messages.all().empty());
    }
}

}  // namespace
}  // namespace korvex::test
