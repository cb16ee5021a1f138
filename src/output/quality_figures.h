// Quality figures of a quadrilateral mesh in 3D.
//
// Per element (corners p0..p3 in their stored order):
//   corner angle     the interior angle at each corner in degrees; a corner
//                    that turns against the element's reference normal is
//                    reflex (above 180)
//   scaled Jacobian  per corner (a x b) . n / (|n| |a| |b|) against the
//                    reference normal n: the sine of its angle as seen
//                    along n, negative when the corner turns against it;
//                    the element's value is its smallest corner's, capped
//                    at 1, and 0 for an element with no area
//   aspect ratio     longest edge / shortest edge
//   warpage          the larger, over the two diagonal splits, of the angle
//                    in degrees between the normals of the split's triangles
// The reference normal is the sum of the corner normals, and the scaled
// Jacobian the one of base/scaled_jacobian.h: the element's value is the very
// double the engine's final check tests against kMinValidScaledJacobian.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "output/result_mesh.h"

namespace korvex::output {

struct ElementQuality {
    std::array<double, 4> angle{};            // degrees
    std::array<double, 4> scaled_jacobian{};  // per corner
    double min_scaled_jacobian = 0;
    double aspect_ratio = 0;                  // infinite for a zero-length edge
    double warpage = 0;                       // degrees
};

ElementQuality element_quality(const std::array<Vec3, 4>& corners);

// The element (1-based number as in the result file) where a figure is worst.
struct Extreme {
    double value = 0;
    int element = 0;
};

struct QualityFigures {
    std::string name;  // the subregion's; empty for the whole mesh
    long nodes = 0;    // nodes used by these elements
    long elements = 0;
    Extreme min_angle, max_angle;
    double share_angles_45_135 = 0;  // elements whose four angles all lie in [45, 135]
    Extreme min_scaled_jacobian;
    double mean_scaled_jacobian = 0;  // mean of the elements' values
    Extreme max_aspect_ratio, max_warpage;
};

struct QualityReport {
    QualityFigures mesh;
    std::vector<QualityFigures> subregions;  // in the order of their first element
    std::vector<NodeSet> node_sets;          // the mesh's, listed after the figures
};

QualityReport quality_report(const ResultMesh& mesh);

// The report as text for a reader, or as one JSON object:
// {"nodes", "elements", "min_angle": {"value", "element"}, "max_angle",
//  "share_angles_45_135", "min_scaled_jacobian", "mean_scaled_jacobian",
//  "max_aspect_ratio", "max_warpage", "subregions": [{"name", ... the same}],
//  "node_sets": [{"name", "kind", "count", "nodes": [node numbers]}]}
// A figure that is not finite (a zero-length edge) is null in JSON. The text
// lists the node sets by name, kind and node count.
std::string quality_text(const QualityReport& report);
std::string quality_json(const QualityReport& report);

}  // namespace korvex::output
