// The picture's view and drawing order: flat meshes face on, curved ones
// obliquely, nearer faces drawn after farther ones, bold boundary edges only.
#include <gtest/gtest.h>

#include <string>

#include "output/svg_picture.h"

namespace korvex::output {
namespace {

// Two unit squares of subregion R1 side by side at height z, and optionally a
// third one raised above the first.
ResultMesh squares(double z, bool raised) {
    ResultMesh m;
    const Vec3 xyz[] = {{0, 0, z}, {1, 0, z}, {2, 0, z}, {0, 1, z}, {1, 1, z}, {2, 1, z},
                        {0, 0, z + 1}, {1, 0, z + 1}, {1, 1, z + 1}, {0, 1, z + 1}};
    for (const Vec3& p : xyz) m.nodes.push_back({p, "P"});
    m.elements = {{{1, 2, 5, 4}, "R1"}, {{2, 3, 6, 5}, "R1"}};
    if (raised) m.elements.push_back({{7, 8, 9, 10}, "R1"});
    if (!raised) m.nodes.resize(6);
    return m;
}

double distance_from(const Vec3& a, const Vec3& b) { return norm(a - b); }

TEST(SvgPicture, FlatMeshesAreSeenFaceOnAndCurvedOnesObliquely) {
    Vec3 normal;
    EXPECT_TRUE(flat_mesh(squares(3, false), normal));
    EXPECT_NEAR(distance_from(normal, {0, 0, 1}), 0, 1e-12);
    EXPECT_NEAR(distance_from(view_frame(squares(3, false), View::automatic).w, {0, 0, 1}), 0, 1e-12);
    EXPECT_FALSE(flat_mesh(squares(0, true), normal));
    const ViewFrame iso = view_frame(squares(0, true), View::automatic);
    EXPECT_NEAR(distance_from(iso.w, Vec3{1, -1, 1} / std::sqrt(3.0)), 0, 1e-12);
    const struct {
        View view;
        Vec3 w, v;  // toward the viewer, screen up
    } cases[] = {{View::top, {0, 0, 1}, {0, 1, 0}}, {View::front, {0, -1, 0}, {0, 0, 1}}, {View::side, {1, 0, 0}, {0, 0, 1}}};
    for (const auto& c : cases) {
        const ViewFrame f = view_frame(squares(0, true), c.view);
        EXPECT_NEAR(distance_from(f.w, c.w), 0, 1e-12);
        EXPECT_NEAR(distance_from(f.v, c.v), 0, 1e-12);
        EXPECT_NEAR(distance_from(cross(f.u, f.v), f.w), 0, 1e-12);  // right-handed
    }
}

TEST(SvgPicture, NearerFacesComeLastAndOnlyBoundaryEdgesAreBold) {
    const std::string top = svg_picture(squares(0, true), View::top);
    // Seen from above the raised square (element 3) is nearest: drawn last.
    EXPECT_LT(top.find("id=\"e1\""), top.find("id=\"e3\""));
    EXPECT_LT(top.find("id=\"e2\""), top.find("id=\"e3\""));
    const std::string bottom = svg_picture(squares(0, false), View::top);
    const std::size_t path = bottom.find("class=\"boundary\"");
    ASSERT_NE(path, std::string::npos);
    const std::string d = bottom.substr(path, bottom.find("/>", path) - path);
    int moves = 0;
    for (char c : d) moves += c == 'M';
    EXPECT_EQ(moves, 6);  // the shared edge 2-5 is not boundary
}

}  // namespace
}  // namespace korvex::output
