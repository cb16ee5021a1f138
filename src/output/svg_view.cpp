// The view of a picture: fixed directions on request, otherwise face on for
// a flat mesh and the oblique direction of largest projected area.
#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "output/svg_picture.h"

namespace korvex::output {

namespace {

constexpr double kFlatTolerance = 1e-9;  // of the mesh's extent

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

// Twice the area vector of each element (the cross product of its diagonals).
std::vector<Vec3> element_area_vectors(const ResultMesh& mesh) {
    std::vector<Vec3> areas;
    areas.reserve(mesh.elements.size());
    for (const MeshElement& e : mesh.elements)
        areas.push_back(cross(mesh.at(e.nodes[2]) - mesh.at(e.nodes[0]), mesh.at(e.nodes[3]) - mesh.at(e.nodes[1])));
    return areas;
}

double covered_area(const std::vector<Vec3>& areas, const Vec3& w) {
    double sum = 0;
    for (const Vec3& a : areas) sum += std::abs(dot(a, w));
    return sum / 2;
}

// The candidate directions, all looking down from above the model: the iso
// direction first, then the whole-number directions (x, y, z) with x and y
// from -2 to 2 and z 1 or 2, each direction once. Elevations run from about
// 20 to 65 degrees in azimuth steps of at most 45 degrees.
std::vector<Vec3> oblique_directions() {
    std::vector<Vec3> directions = {unit({1, -1, 1})};
    for (int z = 1; z <= 2; ++z)
        for (int x = -2; x <= 2; ++x)
            for (int y = -2; y <= 2; ++y) {
                if (x == 0 && y == 0) continue;
                const Vec3 d = unit({double(x), double(y), double(z)});
                const bool seen = std::any_of(directions.begin(), directions.end(),
                                              [&](const Vec3& o) { return norm(d - o) < 1e-12; });
                if (!seen) directions.push_back(d);
            }
    return directions;
}

Vec3 widest_oblique_direction(const ResultMesh& mesh) {
    const std::vector<Vec3> areas = element_area_vectors(mesh);
    Vec3 best;
    double best_area = -1;
    for (const Vec3& d : oblique_directions()) {
        const double area = covered_area(areas, d);
        // A later direction wins only by more than rounding, so that the
        // choice does not hang on the last bits of the coordinates.
        if (area > best_area * (1 + 1e-9)) best = d, best_area = area;
    }
    return best;
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

double projected_area(const ResultMesh& mesh, const Vec3& w) { return covered_area(element_area_vectors(mesh), unit(w)); }

bool flat_mesh(const ResultMesh& mesh, Vec3& normal) {
    if (mesh.nodes.empty()) return false;
    Vec3 area, centre, lo = mesh.nodes[0].p, hi = lo;
    for (const Vec3& a : element_area_vectors(mesh)) area += a;
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
    if (flat_mesh(mesh, normal)) return frame_toward(normal);
    return frame_toward(mesh.elements.empty() ? Vec3{1, -1, 1} : widest_oblique_direction(mesh));
}

}  // namespace korvex::output
