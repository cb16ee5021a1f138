// Scaled Jacobians of quadrilaterals in a patch's (u, v) frame, and the
// orientation they are measured with.
#include <algorithm>

#include "base/numeric_constants.h"
#include "base/scaled_jacobian.h"
#include "patches/common/patch_untangling.h"

namespace korvex {

double element_scaled_jacobian_uv(const Array1<GenNode>& nodes, const GenElement& e, int orientation) {
    double worst = 1.0;
    for (int k = 1; k <= 4; ++k) {
        const GenNode& p = nodes[e.corner(k)];
        const GenNode& next = nodes[e.corner(k % 4 + 1)];
        const GenNode& prev = nodes[e.corner((k + 2) % 4 + 1)];
        worst = std::min(worst, orientation * plane_corner_scaled_jacobian(p.x, p.y, next.x, next.y, prev.x, prev.y));
    }
    return worst;
}

int patch_orientation(const Array1<GenNode>& nodes, int num_elements, const Array1<GenElement>& elements) {
    double area = 0.0;
    for (int e = 1; e <= num_elements; ++e) {
        const GenElement& el = elements[e];
        for (int k = 1; k <= 4; ++k) {
            const GenNode& a = nodes[el.corner(k)];
            const GenNode& b = nodes[el.corner(k % 4 + 1)];
            area += a.x * b.y - a.y * b.x;
        }
    }
    return area >= 0.0 ? 1 : -1;
}

std::vector<int> invalid_patch_elements(const Array1<GenNode>& nodes, int num_elements,
                                        const Array1<GenElement>& elements, int orientation) {
    std::vector<int> invalid;
    for (int e = 1; e <= num_elements; ++e)
        if (element_scaled_jacobian_uv(nodes, elements[e], orientation) < kMinValidScaledJacobian) invalid.push_back(e);
    return invalid;
}

}  // namespace korvex
