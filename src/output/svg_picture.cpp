#include "output/svg_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>
#include <set>
#include <utility>
#include <vector>

#include "output/quality_figures.h"
#include "output/svg_picture_parts.h"

namespace korvex::output {

namespace {

// The screen box of the projected model: the longer side of the model gets
// kDrawingSize pixels, every side a margin, and the legend a band underneath.
Screen fit(const std::vector<std::pair<double, double>>& st, double legend_height, double legend_width) {
    double s0 = INFINITY, s1 = -INFINITY, t0 = INFINITY, t1 = -INFINITY;
    for (const auto& [s, t] : st) {
        s0 = std::min(s0, s), s1 = std::max(s1, s), t0 = std::min(t0, t), t1 = std::max(t1, t);
    }
    if (st.empty()) s0 = s1 = t0 = t1 = 0;
    Screen sc;
    const double extent = std::max({s1 - s0, t1 - t0, 1e-300});
    sc.scale = kDrawingSize / extent;
    const double drawing_width = (s1 - s0) * sc.scale;
    sc.width = std::max(drawing_width, legend_width) + 2 * kMargin;
    // A model narrower than its legend is centred above it.
    sc.left = s0 - (sc.width - 2 * kMargin - drawing_width) / 2 / sc.scale;
    sc.top = t1;
    sc.drawing_height = (t1 - t0) * sc.scale;
    sc.height = sc.drawing_height + 2 * kMargin + legend_height;
    return sc;
}

// Mean depth of each element along `w`, then the element indexes ordered
// back to front (the farthest first; ties keep element order).
std::vector<std::size_t> back_to_front(const ResultMesh& mesh, const Vec3& w) {
    std::vector<double> depth(mesh.elements.size());
    for (std::size_t k = 0; k < mesh.elements.size(); ++k)
        for (int node : mesh.elements[k].nodes) depth[k] += dot(mesh.at(node), w);
    std::vector<std::size_t> order(mesh.elements.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return depth[a] < depth[b]; });
    return order;
}

// Edges used by one element only, as pairs of node numbers.
std::vector<std::pair<int, int>> boundary_edges(const ResultMesh& mesh) {
    std::map<std::pair<int, int>, int> uses;
    for (const MeshElement& e : mesh.elements)
        for (int i = 0; i < 4; ++i) ++uses[std::minmax(e.nodes[i], e.nodes[(i + 1) % 4])];
    std::vector<std::pair<int, int>> edges;
    for (const auto& [edge, count] : uses)
        if (count == 1) edges.push_back(edge);
    return edges;
}

// Element edges that run along an internal tree: both end nodes belong to
// one tree curve, by the curve's name or the name of one of its points.
std::vector<std::pair<int, int>> tree_edges(const ResultMesh& mesh, const ModelOutline& model) {
    std::map<std::string, std::set<std::string>> curves_of_name;  // node name -> tree curves
    for (const std::string& curve : model.tree_curves) {
        curves_of_name[curve].insert(curve);
        if (const OutlineCurve* c = model.curve(curve))
            for (const std::string& p : c->points) curves_of_name[p].insert(curve);
    }
    const auto on_same_curve = [&](int a, int b) {
        const auto ca = curves_of_name.find(mesh.nodes[static_cast<std::size_t>(a - 1)].name);
        const auto cb = curves_of_name.find(mesh.nodes[static_cast<std::size_t>(b - 1)].name);
        if (ca == curves_of_name.end() || cb == curves_of_name.end()) return false;
        return std::any_of(ca->second.begin(), ca->second.end(), [&](const std::string& c) { return cb->second.contains(c); });
    };
    std::set<std::pair<int, int>> edges;
    for (const MeshElement& e : mesh.elements)
        for (int i = 0; i < 4; ++i)
            if (on_same_curve(e.nodes[i], e.nodes[(i + 1) % 4])) edges.insert(std::minmax(e.nodes[i], e.nodes[(i + 1) % 4]));
    return {edges.begin(), edges.end()};
}

// The nodes of internal points: named PINT... in the result, each labelled
// with the model's own name of the internal point at its place when known.
std::vector<MarkedPoint> internal_points(const ResultMesh& mesh, const ModelOutline* model, double extent) {
    std::vector<MarkedPoint> marks;
    for (std::size_t k = 0; k < mesh.nodes.size(); ++k) {
        const MeshNode& n = mesh.nodes[k];
        if (!n.name.starts_with("PINT")) continue;
        MarkedPoint mark{static_cast<int>(k + 1), n.name};
        if (model) {
            for (const OutlinePoint& p : model->points)
                if (p.internal && distance(p.p, n.p) <= 1e-6 * extent) mark.name = p.name;
        }
        marks.push_back(mark);
    }
    return marks;
}

double model_extent(const ResultMesh& mesh) {
    if (mesh.nodes.empty()) return 0;
    Vec3 lo = mesh.nodes[0].p, hi = lo;
    for (const MeshNode& n : mesh.nodes)
        for (int c = 0; c < 3; ++c) lo[c] = std::min(lo[c], n.p[c]), hi[c] = std::max(hi[c], n.p[c]);
    return norm(hi - lo);
}

std::string path_of(const std::vector<std::pair<int, int>>& edges, const auto& at) {
    std::string d;
    for (const auto& [a, b] : edges) d.append("M").append(at(a)).append("L").append(at(b));
    return d;
}

}  // namespace

std::string svg_picture(const ResultMesh& mesh, const PictureOptions& options) {
    const ViewFrame f = view_frame(mesh, options.view);
    std::vector<std::pair<double, double>> st;
    for (const MeshNode& n : mesh.nodes) st.emplace_back(dot(n.p, f.u), dot(n.p, f.v));
    const SubregionNumbering subregions = number_subregions(mesh);
    const std::vector<std::pair<int, int>> trees =
        options.model ? tree_edges(mesh, *options.model) : std::vector<std::pair<int, int>>{};
    const std::vector<MarkedPoint> points = internal_points(mesh, options.model, model_extent(mesh));
    const Legend legend = options.subregions ? subregion_legend(subregions.names) : quality_legend();
    const Screen sc = fit(st, legend.height + legend_marks_height(!trees.empty(), !points.empty()), legend.width);
    const auto at = [&](int node) {
        const auto& [s, t] = st[static_cast<std::size_t>(node - 1)];
        return screen_point(sc.x(s), sc.y(t));
    };

    std::string svg = svg_head(sc, mesh.title);
    svg += "<g class=\"elements\" stroke=\"#303030\" stroke-width=\"0.5\" stroke-linejoin=\"round\">\n";
    for (std::size_t k : back_to_front(mesh, f.w)) {
        const MeshElement& e = mesh.elements[k];
        const std::string fill =
            options.subregions ? subregion_colour(subregions.of_element[k])
                               : shade(element_quality({mesh.at(e.nodes[0]), mesh.at(e.nodes[1]), mesh.at(e.nodes[2]),
                                                        mesh.at(e.nodes[3])}).min_scaled_jacobian);
        svg.append("<polygon id=\"e").append(std::to_string(k + 1)).append("\" points=\"");
        for (int i = 0; i < 4; ++i) svg.append(at(e.nodes[i])).append(i < 3 ? " " : "");
        svg.append("\" fill=\"").append(fill).append("\"/>\n");
    }
    svg += "</g>\n<path class=\"boundary\" fill=\"none\" stroke=\"black\" stroke-width=\"2.5\" stroke-linecap=\"round\" d=\"";
    svg.append(path_of(boundary_edges(mesh), at)).append("\"/>\n");
    if (!trees.empty())
        svg.append("<path class=\"trees\" fill=\"none\" stroke=\"").append(kTreeColour)
            .append("\" stroke-width=\"3.5\" stroke-linecap=\"round\" d=\"").append(path_of(trees, at)).append("\"/>\n");
    svg += marked_points(points, at);
    const double legend_top = kMargin + sc.drawing_height + kMargin;
    svg += legend.svg_at(kMargin, legend_top);
    svg += legend_marks(kMargin, legend_top + legend.height, !trees.empty(), !points.empty());
    return svg + "</svg>\n";
}

}  // namespace korvex::output
