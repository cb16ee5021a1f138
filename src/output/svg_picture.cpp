#include "output/svg_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>
#include <utility>
#include <vector>

#include "output/quality_figures.h"

namespace korvex::output {

namespace {

constexpr double kFlatTolerance = 1e-9;  // of the mesh's extent
constexpr double kDrawingSize = 800;     // the longer side of the mesh, in pixels
constexpr double kMargin = 20;
constexpr double kLegendWidth = 150;

Vec3 unit(const Vec3& v) {
    const double n = norm(v);
    return n > 0 ? v / n : Vec3{0, 0, 1};
}

ViewFrame frame_toward(const Vec3& toward_viewer) {
    const Vec3 w = unit(toward_viewer);
    // Screen up follows +z unless the view looks along z; then +y.
    const Vec3 up = std::abs(w.z) > 0.9 ? Vec3{0, w.z >= 0 ? 1.0 : -1.0, 0} : Vec3{0, 0, 1};
    const Vec3 u = unit(cross(up, w));
    return {u, cross(w, u), w};
}

// Colour of a scaled Jacobian: red at 0 and below, through yellow at 0.5, to green at 1.
std::string shade(double sj) {
    const double t = std::clamp(sj, 0.0, 1.0);
    const int red = t < 0.5 ? 220 : static_cast<int>(220 * (1 - t) * 2);
    const int green = t < 0.5 ? static_cast<int>(60 + 140 * t * 2) : 200;
    char text[16];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", red, green, 60);
    return text;
}

struct Screen {
    double scale = 1, left = 0, top = 0;  // screen = (s - left, top - t) * scale + margin
    double width = 0, height = 0;
    double x(double s) const { return (s - left) * scale + kMargin; }
    double y(double t) const { return (top - t) * scale + kMargin; }
};

Screen fit(const std::vector<std::pair<double, double>>& st) {
    double s0 = INFINITY, s1 = -INFINITY, t0 = INFINITY, t1 = -INFINITY;
    for (const auto& [s, t] : st) {
        s0 = std::min(s0, s), s1 = std::max(s1, s), t0 = std::min(t0, t), t1 = std::max(t1, t);
    }
    Screen sc;
    if (st.empty()) s0 = s1 = t0 = t1 = 0;
    const double extent = std::max({s1 - s0, t1 - t0, 1e-300});
    sc.scale = kDrawingSize / extent;
    sc.left = s0;
    sc.top = t1;
    sc.width = (s1 - s0) * sc.scale + 2 * kMargin + kLegendWidth;
    sc.height = std::max((t1 - t0) * sc.scale + 2 * kMargin, 260.0);
    return sc;
}

std::string point(double x, double y) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f,%.2f", x, y);
    return text;
}

std::string escape_xml(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
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

std::string legend(double x) {
    char row[256];
    std::snprintf(row, sizeof row, "<text x=\"%.0f\" y=\"30\">scaled Jacobian</text>\n", x);
    std::string s = "<g class=\"legend\" font-family=\"sans-serif\" font-size=\"12\">\n" + std::string(row);
    constexpr int kSteps = 10;
    for (int i = 0; i <= kSteps; ++i) {
        const double sj = 1.0 - static_cast<double>(i) / kSteps;
        std::snprintf(row, sizeof row, "<rect x=\"%.0f\" y=\"%d\" width=\"20\" height=\"18\" fill=\"%s\"/>", x,
                      40 + 18 * i, shade(sj).c_str());
        s += row;
        if (i % 5 == 0) {
            std::snprintf(row, sizeof row, "<text x=\"%.0f\" y=\"%d\">%s</text>", x + 26, 53 + 18 * i,
                          i == kSteps ? "0 or less" : (i == 0 ? "1" : "0.5"));
            s += row;
        }
        s += "\n";
    }
    return s + "</g>\n";
}

}  // namespace

bool parse_view(const std::string& word, View& view) {
    static const std::map<std::string, View> views = {
        {"top", View::top}, {"front", View::front}, {"side", View::side}, {"iso", View::iso}};
    const auto it = views.find(word);
    if (it == views.end()) return false;
    view = it->second;
    return true;
}

bool flat_mesh(const ResultMesh& mesh, Vec3& normal) {
    if (mesh.nodes.empty()) return false;
    Vec3 area, centre, lo = mesh.nodes[0].p, hi = lo;
    for (const MeshElement& e : mesh.elements)
        area += cross(mesh.at(e.nodes[2]) - mesh.at(e.nodes[0]), mesh.at(e.nodes[3]) - mesh.at(e.nodes[1]));
    for (const MeshNode& n : mesh.nodes) {
        centre += n.p;
        for (int c = 0; c < 3; ++c) lo[c] = std::min(lo[c], n.p[c]), hi[c] = std::max(hi[c], n.p[c]);
    }
    if (norm(area) == 0) return false;
    normal = unit(area);
    centre = centre / static_cast<double>(mesh.nodes.size());
    const double limit = kFlatTolerance * std::max(norm(hi - lo), 1e-300);
    return std::all_of(mesh.nodes.begin(), mesh.nodes.end(),
                       [&](const MeshNode& n) { return std::abs(dot(n.p - centre, normal)) <= limit; });
}

ViewFrame view_frame(const ResultMesh& mesh, View view) {
    switch (view) {
        case View::top: return frame_toward({0, 0, 1});
        case View::front: return frame_toward({0, -1, 0});
        case View::side: return frame_toward({1, 0, 0});
        case View::iso: return frame_toward({1, -1, 1});
        case View::automatic: break;
    }
    Vec3 normal;
    return flat_mesh(mesh, normal) ? frame_toward(normal) : frame_toward({1, -1, 1});
}

std::string svg_picture(const ResultMesh& mesh, View view) {
    const ViewFrame f = view_frame(mesh, view);
    std::vector<std::pair<double, double>> st;
    for (const MeshNode& n : mesh.nodes) st.emplace_back(dot(n.p, f.u), dot(n.p, f.v));
    const Screen sc = fit(st);
    const auto at = [&](int node) {
        const auto& [s, t] = st[static_cast<std::size_t>(node - 1)];
        return point(sc.x(s), sc.y(t));
    };
    // Back to front: the farthest element (smallest mean depth) first; ties keep element order.
    std::vector<double> depth(mesh.elements.size());
    for (std::size_t k = 0; k < mesh.elements.size(); ++k)
        for (int node : mesh.elements[k].nodes) depth[k] += dot(mesh.at(node), f.w);
    std::vector<std::size_t> order(mesh.elements.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return depth[a] < depth[b]; });

    char head[256];
    std::snprintf(head, sizeof head,
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" viewBox=\"0 0 %.0f %.0f\">\n",
                  sc.width, sc.height, sc.width, sc.height);
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + std::string(head);
    svg += "<title>" + escape_xml(mesh.title) + "</title>\n<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg += "<g class=\"elements\" stroke=\"#303030\" stroke-width=\"0.5\" stroke-linejoin=\"round\">\n";
    for (std::size_t k : order) {
        const MeshElement& e = mesh.elements[k];
        const ElementQuality q = element_quality({mesh.at(e.nodes[0]), mesh.at(e.nodes[1]), mesh.at(e.nodes[2]), mesh.at(e.nodes[3])});
        svg.append("<polygon id=\"e").append(std::to_string(k + 1)).append("\" points=\"");
        for (int i = 0; i < 4; ++i) svg.append(at(e.nodes[i])).append(i < 3 ? " " : "");
        svg.append("\" fill=\"").append(shade(q.min_scaled_jacobian)).append("\"/>\n");
    }
    svg += "</g>\n<path class=\"boundary\" fill=\"none\" stroke=\"black\" stroke-width=\"2.5\" stroke-linecap=\"round\" d=\"";
    for (const auto& [a, b] : boundary_edges(mesh)) svg.append("M").append(at(a)).append("L").append(at(b));
    svg.append("\"/>\n").append(legend(sc.width - kLegendWidth + 10)).append("</svg>\n");
    return svg;
}

}  // namespace korvex::output
