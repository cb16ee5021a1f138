#include "output/quality_figures.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/numeric_constants.h"
#include "base/scaled_jacobian.h"

namespace korvex::output {

namespace {

constexpr double kDegrees = 180.0 / kPi;
constexpr double kGoodAngleLow = 45.0;
constexpr double kGoodAngleHigh = 135.0;

Vec3 unit(const Vec3& v) {
    const double n = norm(v);
    return n > 0 ? v / n : Vec3{};
}

// Angle in degrees between two triangle normals (0 when one is degenerate).
double normals_angle(const Vec3& a, const Vec3& b) {
    const Vec3 ua = unit(a), ub = unit(b);
    if (dot(ua, ua) == 0 || dot(ub, ub) == 0) return 0;
    return std::atan2(norm(cross(ua, ub)), dot(ua, ub)) * kDegrees;
}

double warpage(const std::array<Vec3, 4>& p) {
    const double split02 = normals_angle(cross(p[1] - p[0], p[2] - p[0]), cross(p[2] - p[0], p[3] - p[0]));
    const double split13 = normals_angle(cross(p[2] - p[1], p[3] - p[1]), cross(p[3] - p[1], p[0] - p[1]));
    return std::max(split02, split13);
}

// Takes a figure of one element into the running extreme (first worst wins).
void keep(Extreme& e, double value, int element, bool smaller_is_worse) {
    const bool worse = smaller_is_worse ? value < e.value : value > e.value;
    if (e.element == 0 || worse) e = {value, element};
}

}  // namespace

ElementQuality element_quality(const std::array<Vec3, 4>& p) {
    ElementQuality q;
    const Vec3 normal = quad_reference_normal(p);
    const double normal_length = norm(normal);
    double shortest = std::numeric_limits<double>::infinity(), longest = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const Vec3 a = p[(i + 1) % 4] - p[i];
        const Vec3 b = p[(i + 3) % 4] - p[i];
        const Vec3 c = cross(a, b);
        const double la = norm(a);
        const double sign = dot(c, normal) < 0 ? -1.0 : 1.0;
        double angle = std::atan2(sign * norm(c), dot(a, b)) * kDegrees;  // in (-180, 180]
        if (angle < 0) angle += 360.0;                                      // reflex corner
        q.angle[i] = angle;
        q.scaled_jacobian[i] = normal_length == 0.0 ? 0.0 : quad_corner_scaled_jacobian(p, i, normal, normal_length);
        shortest = std::min(shortest, la);
        longest = std::max(longest, la);
    }
    // The figure the engine's final check tests, to the last bit.
    q.min_scaled_jacobian = quad_min_scaled_jacobian(p, normal);
    q.aspect_ratio = shortest > 0 ? longest / shortest : std::numeric_limits<double>::infinity();
    q.warpage = warpage(p);
    return q;
}

namespace {

struct Accumulator {
    QualityFigures f;
    std::vector<char> node_used;  // by node number
    long good_angles = 0;
    double sum_scaled_jacobian = 0;

    Accumulator(const std::string& name, std::size_t node_count) : node_used(node_count + 1, 0) { f.name = name; }

    void add(const ElementQuality& q, const MeshElement& e, int number) {
        ++f.elements;
        bool good = true;
        for (int i = 0; i < 4; ++i) {
            keep(f.min_angle, q.angle[i], number, true);
            keep(f.max_angle, q.angle[i], number, false);
            good = good && q.angle[i] >= kGoodAngleLow && q.angle[i] <= kGoodAngleHigh;
            char& used = node_used[static_cast<std::size_t>(e.nodes[i])];
            if (!used) ++f.nodes;
            used = 1;
        }
        if (good) ++good_angles;
        keep(f.min_scaled_jacobian, q.min_scaled_jacobian, number, true);
        sum_scaled_jacobian += q.min_scaled_jacobian;
        keep(f.max_aspect_ratio, q.aspect_ratio, number, false);
        keep(f.max_warpage, q.warpage, number, false);
    }

    QualityFigures finish() {
        if (f.elements > 0) {
            f.share_angles_45_135 = static_cast<double>(good_angles) / static_cast<double>(f.elements);
            f.mean_scaled_jacobian = sum_scaled_jacobian / static_cast<double>(f.elements);
        }
        return f;
    }
};

}  // namespace

QualityReport quality_report(const ResultMesh& mesh) {
    const SubregionNumbering subregions = number_subregions(mesh);
    Accumulator whole("", mesh.nodes.size());
    std::vector<Accumulator> parts;
    for (const std::string& name : subregions.names) parts.emplace_back(name, mesh.nodes.size());
    for (std::size_t k = 0; k < mesh.elements.size(); ++k) {
        const MeshElement& e = mesh.elements[k];
        const ElementQuality q =
            element_quality({mesh.at(e.nodes[0]), mesh.at(e.nodes[1]), mesh.at(e.nodes[2]), mesh.at(e.nodes[3])});
        const int number = static_cast<int>(k) + 1;
        whole.add(q, e, number);
        parts[static_cast<std::size_t>(subregions.of_element[k] - 1)].add(q, e, number);
    }
    QualityReport report{whole.finish(), {}, mesh.node_sets};
    // The whole mesh counts every node, also one no element uses.
    report.mesh.nodes = static_cast<long>(mesh.nodes.size());
    for (Accumulator& a : parts) report.subregions.push_back(a.finish());
    return report;
}

}  // namespace korvex::output
