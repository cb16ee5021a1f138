// check_element_validity: every element of the global mesh is measured in 3D
// against its own mean normal, so curved surfaces are judged element by
// element. The patch meshers have repaired what they could in their own
// frames; what is left is reported here rather than written silently.
#include "pipeline/element_validity_check.h"

#include <algorithm>

#include "base/messages.h"
#include "patches/common/patch_untangling.h"

namespace korvex {

double quad_scaled_jacobian_3d(const std::array<Vec3, 4>& p) {
    std::array<Vec3, 4> corner_normal{};
    Vec3 mean{};
    std::array<double, 4> lengths{};
    for (std::size_t k = 0; k < 4; ++k) {
        const Vec3 a = p[(k + 1) % 4] - p[k];
        const Vec3 b = p[(k + 3) % 4] - p[k];
        corner_normal[k] = cross(a, b);
        lengths[k] = norm(a) * norm(b);
        mean += corner_normal[k];
    }
    const double mean_length = norm(mean);
    if (mean_length == 0.0) return 0.0;
    double worst = 1.0;
    for (std::size_t k = 0; k < 4; ++k)
        worst = std::min(worst, lengths[k] == 0.0 ? 0.0 : dot(corner_normal[k], mean) / (mean_length * lengths[k]));
    return worst;
}

int check_element_validity(const Run& run) {
    int reported = 0;
    for (int e = 1; e <= run.num_elements; ++e) {
        const Element& el = run.elements[e];
        std::array<Vec3, 4> p;
        for (std::size_t k = 0; k < 4; ++k) p[k] = run.nodes3D[el.node[k]].pos();
        const double sj = quad_scaled_jacobian_3d(p);
        if (sj >= kMinValidScaledJacobian) continue;
        report(" Output data error: element %i of subregion %s is inverted or degenerate (scaled Jacobian %g).\n", e,
               el.name.c_str(), sj);
        ++reported;
    }
    return reported;
}

}  // namespace korvex
