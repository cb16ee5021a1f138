// The picture's view, cropping, drawing order and marks, read back from the
// SVG text: flat meshes face on, curved ones from the side that shows most
// of them, the canvas tight around the model, trees and internal points drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "output/svg_picture.h"

namespace korvex::output {
namespace {

// Appends an nu x nv grid of quads over f(u, v), u and v in [0, 1], to `m`.
void add_grid(ResultMesh& m, const std::function<Vec3(double, double)>& f, int nu, int nv, const std::string& subregion) {
    const int first = static_cast<int>(m.nodes.size()) + 1;
    for (int j = 0; j <= nv; ++j)
        for (int i = 0; i <= nu; ++i) m.nodes.push_back({f(double(i) / nu, double(j) / nv), subregion});
    const auto node = [&](int i, int j) { return first + j * (nu + 1) + i; };
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i) m.elements.push_back({{node(i, j), node(i + 1, j), node(i + 1, j + 1), node(i, j + 1)}, subregion});
}

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

// A spherical panel of radius 100 and a flat flange along its lower side in
// the plane whose normal is (0, 1, 1): seen from (1, -1, 1) the flange is a line.
ResultMesh dome_with_flange() {
    ResultMesh m;
    const double a = 57.735;
    add_grid(m, [&](double u, double v) {
        const double x = -a + 2 * a * u, y = -a + 2 * a * v;
        return Vec3{x, y, std::sqrt(100 * 100 - x * x - y * y)};
    }, 12, 12, "RDOME");
    add_grid(m, [&](double u, double v) { return Vec3{-a + 2 * a * u, -a - 40 * v, a + 40 * v}; }, 12, 4, "RFLANGE");
    return m;
}

ResultMesh quarter_cylinder() {
    ResultMesh m;
    add_grid(m, [](double u, double v) { return Vec3{10 * std::cos(u * M_PI / 2), 10 * std::sin(u * M_PI / 2), 10 * v}; }, 16, 10, "R1");
    return m;
}

struct Polygon {
    int element = 0;
    std::vector<std::pair<double, double>> xy;
    std::string fill;
};

std::vector<Polygon> polygons(const std::string& svg) {
    std::vector<Polygon> out;
    for (std::size_t at = svg.find("<polygon id=\"e"); at != std::string::npos; at = svg.find("<polygon id=\"e", at + 1)) {
        Polygon p;
        p.element = std::stoi(svg.substr(at + 14));
        const std::size_t points = svg.find("points=\"", at) + 8;
        std::string list = svg.substr(points, svg.find('"', points) - points);
        for (std::size_t i = 0; i < list.size();) {
            double x = 0, y = 0;
            int used = 0;
            std::sscanf(list.c_str() + i, "%lf,%lf%n", &x, &y, &used);
            p.xy.emplace_back(x, y);
            i += static_cast<std::size_t>(used) + 1;
        }
        const std::size_t fill = svg.find("fill=\"", points) + 6;
        p.fill = svg.substr(fill, svg.find('"', fill) - fill);
        out.push_back(p);
    }
    return out;
}

double area(const Polygon& p) {
    double twice = 0;
    for (std::size_t i = 0; i < p.xy.size(); ++i) {
        const auto& [x0, y0] = p.xy[i];
        const auto& [x1, y1] = p.xy[(i + 1) % p.xy.size()];
        twice += x0 * y1 - x1 * y0;
    }
    return std::abs(twice) / 2;
}

double attribute(const std::string& svg, const std::string& name) {
    const std::size_t at = svg.find(name + "=\"");
    return std::stod(svg.substr(at + name.size() + 2));
}

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

std::string path_data(const std::string& svg, const std::string& cls) {
    const std::size_t path = svg.find("class=\"" + cls + "\"");
    if (path == std::string::npos) return "";
    const std::size_t d = svg.find(" d=\"", path) + 4;
    return svg.substr(d, svg.find('"', d) - d);
}

TEST(SvgPicture, FlatMeshesAreSeenFaceOnAndCurvedOnesFromTheirWidestSide) {
    Vec3 normal;
    EXPECT_TRUE(flat_mesh(squares(3, false), normal));
    EXPECT_NEAR(distance(normal, {0, 0, 1}), 0, 1e-12);
    EXPECT_NEAR(distance(view_frame(squares(3, false), View::automatic).w, {0, 0, 1}), 0, 1e-12);
    EXPECT_FALSE(flat_mesh(squares(0, true), normal));
    for (const ResultMesh& m : {squares(0, true), dome_with_flange(), quarter_cylinder()}) {
        const Vec3 w = view_frame(m, View::automatic).w;
        EXPECT_GT(w.z, 0);  // seen from above
        for (View fixed : {View::iso, View::front, View::side})
            EXPECT_GE(projected_area(m, w), projected_area(m, view_frame(m, fixed).w) * (1 - 1e-12));
    }
    const struct {
        View view;
        Vec3 w, v;  // toward the viewer, screen up
    } cases[] = {{View::top, {0, 0, 1}, {0, 1, 0}}, {View::front, {0, -1, 0}, {0, 0, 1}}, {View::side, {1, 0, 0}, {0, 0, 1}},
                 {View::iso, Vec3{1, -1, 1} / std::sqrt(3.0), {}}};
    for (const auto& c : cases) {
        const ViewFrame f = view_frame(squares(0, true), c.view);
        EXPECT_NEAR(distance(f.w, c.w), 0, 1e-12);
        if (norm(c.v) > 0) {
            EXPECT_NEAR(distance(f.v, c.v), 0, 1e-12);
        }
        EXPECT_NEAR(distance(cross(f.u, f.v), f.w), 0, 1e-12);  // right-handed
    }
}

TEST(SvgPicture, AFlangeIsNotSeenEdgeOn) {
    const ResultMesh m = dome_with_flange();
    const auto flange_share = [&](View view) {
        double flange = 0, all = 0;
        for (const Polygon& p : polygons(svg_picture(m, view))) {
            all += area(p);
            if (m.elements[static_cast<std::size_t>(p.element - 1)].subregion == "RFLANGE") flange += area(p);
        }
        return flange / all;
    };
    EXPECT_LT(flange_share(View::iso), 0.01);  // the old default: a line
    EXPECT_GT(flange_share(View::automatic), 0.2);
}

TEST(SvgPicture, TheCanvasIsCroppedToTheModel) {
    std::vector<ResultMesh> meshes(2);  // flat: 100 x 1 and 1 x 100 (narrower than the legend)
    add_grid(meshes[0], [](double u, double v) { return Vec3{100 * u, v, 0}; }, 50, 1, "R1");
    add_grid(meshes[1], [](double u, double v) { return Vec3{u, 100 * v, 0}; }, 1, 50, "R1");
    meshes.push_back(quarter_cylinder());
    for (const ResultMesh& mesh : meshes) {
        const ResultMesh* m = &mesh;
        const std::string svg = svg_picture(*m, View::automatic);
        const double width = attribute(svg, "width"), height = attribute(svg, "height");
        double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
        for (const Polygon& p : polygons(svg))
            for (const auto& [x, y] : p.xy) x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
        EXPECT_NEAR(std::max(x1 - x0, y1 - y0), 800, 0.02);
        EXPECT_NEAR(y0, 20, 0.02);  // the margin
        EXPECT_NEAR((x0 + x1) / 2, width / 2, 0.02);
        EXPECT_LE(width, std::max(x1 - x0, 240.0) + 40 + 0.5);  // model or legend, and the margins
        EXPECT_NEAR(height, (y1 - y0) + 40 + 58, 0.5);           // model, margins and the legend band
        // The projected extent, from the view frame: the drawing has its shape.
        const ViewFrame f = view_frame(*m, View::automatic);
        double s0 = INFINITY, s1 = -INFINITY, t0 = INFINITY, t1 = -INFINITY;
        for (const MeshNode& n : m->nodes) {
            s0 = std::min(s0, dot(n.p, f.u)), s1 = std::max(s1, dot(n.p, f.u));
            t0 = std::min(t0, dot(n.p, f.v)), t1 = std::max(t1, dot(n.p, f.v));
        }
        EXPECT_NEAR((x1 - x0) / (y1 - y0), (s1 - s0) / (t1 - t0), 1e-3 * (s1 - s0) / (t1 - t0));
    }
}

TEST(SvgPicture, NearerFacesComeLastAndOnlyBoundaryEdgesAreBold) {
    const std::string top = svg_picture(squares(0, true), View::top);
    // Seen from above the raised square (element 3) is nearest: drawn last.
    EXPECT_LT(top.find("id=\"e1\""), top.find("id=\"e3\""));
    EXPECT_LT(top.find("id=\"e2\""), top.find("id=\"e3\""));
    EXPECT_EQ(count(path_data(svg_picture(squares(0, false), View::top), "boundary"), "M"), 6);  // 2-5 is shared
}

// Four unit squares in a row, R1 left and R2 right, a tree curve QLT up the
// middle (x = 2) from PT1 to PT2, an internal point's node at (1, 1).
TEST(SvgPicture, SubregionColoursTreesAndInternalPoints) {
    ResultMesh m;
    add_grid(m, [](double u, double v) { return Vec3{2 * u, 2 * v, 0}; }, 2, 2, "R1");
    add_grid(m, [](double u, double v) { return Vec3{2 + 2 * u, 2 * v, 0}; }, 2, 2, "R2");
    m.nodes[4].name = "PINT";                                              // (1, 1)
    m.nodes[2].name = "PT1", m.nodes[5].name = "QLT", m.nodes[8].name = "PT2";  // x = 2 on R1's side
    ModelOutline model;
    model.tree_curves = {"QLT"};
    model.curves = {{"QLT", {"PT1", "PT2"}}};
    model.points = {{"PINT7", {1, 1, 0}, true}};

    const std::string plain = svg_picture(m, View::automatic);
    EXPECT_EQ(path_data(plain, "trees"), "");  // no model, no trees
    EXPECT_EQ(count(plain, "<title>PINT</title>"), 1);

    PictureOptions options;
    options.subregions = true;
    options.model = &model;
    const std::string svg = svg_picture(m, options);
    std::map<std::string, std::set<std::string>> fills;
    for (const Polygon& p : polygons(svg)) fills[m.elements[static_cast<std::size_t>(p.element - 1)].subregion].insert(p.fill);
    ASSERT_EQ(fills["R1"].size(), 1u);
    ASSERT_EQ(fills["R2"].size(), 1u);
    EXPECT_NE(*fills["R1"].begin(), *fills["R2"].begin());
    EXPECT_NE(svg.find(">R1</text>"), std::string::npos);
    EXPECT_NE(svg.find(">R2</text>"), std::string::npos);
    EXPECT_EQ(count(path_data(svg, "trees"), "M"), 2);  // PT1-QLT and QLT-PT2
    EXPECT_EQ(count(svg, "<title>PINT7</title>"), 1);
}

TEST(ModelOutline, TreesAndInternalPointsOfAModel) {
    const auto internal = [](const ModelOutline& o) {
        std::vector<OutlinePoint> points;
        for (const OutlinePoint& p : o.points)
            if (p.internal) points.push_back(p);
        return points;
    };
    ModelOutline panel;
    std::string error;
    ASSERT_TRUE(read_model_outline(KORVEX_SOURCE_DIR "/examples/stiffened_panel.sur", panel, error)) << error;
    EXPECT_EQ(panel.tree_curves, (std::set<std::string>{"QLST", "QLA1", "QLA2", "QLW"}));
    ASSERT_EQ(internal(panel).size(), 1u);
    EXPECT_EQ(internal(panel)[0].name, "PINT1");
    EXPECT_NEAR(distance(internal(panel)[0].p, {14, 6, 0}), 0, 1e-12);
    ASSERT_NE(panel.curve("QLST"), nullptr);
    EXPECT_EQ(panel.curve("QLST")->points, (std::vector<std::string>{"PS0", "PS1"}));

    // Labels before values, comments, holes (not trees) and a tree of arcs.
    ModelOutline o;
    ASSERT_TRUE(parse_model_outline(
        "Title\nPOINTS\nP1 X 1 Y 2 Z 3\nPINT2 X 4 Y 5 Z 6 * the load\nPINT3 7 8 9 R1 STEP 0.1 RAD 1\n"
        "CURVES\nC5 P1 P2 P3 STEP 1\nSUBREGIONS\nR1 PLANE QL1 QL2 REF 0.2\nH1 C5 C6\nT1 C7 QL9\n* T2 QL10\nEND\n",
        "t.sur", o, error)) << error;
    EXPECT_EQ(o.tree_curves, (std::set<std::string>{"C7", "QL9"}));
    ASSERT_EQ(internal(o).size(), 2u);
    EXPECT_NEAR(distance(internal(o)[0].p, {4, 5, 6}), 0, 1e-12);
    EXPECT_EQ(internal(o)[1].name, "PINT3");
    EXPECT_EQ(o.curve("C5")->points.size(), 3u);
}

}  // namespace
}  // namespace korvex::output
