// check_element_validity: every element of the global mesh is measured in 3D
// against its own reference normal (base/scaled_jacobian.h), so curved
// surfaces are judged element by element. The patch meshers have repaired what they could in their own
// frames; what is left is reported here rather than written silently.
#include "pipeline/element_validity_check.h"

#include <array>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "base/scaled_jacobian.h"

namespace korvex {

int check_element_validity(const Run& run) {
    int reported = 0;
    for (int e = 1; e <= run.num_elements; ++e) {
        const Element& el = run.elements[e];
        std::array<Vec3, 4> p;
        for (std::size_t k = 0; k < 4; ++k) p[k] = run.nodes3D[el.node[k]].pos();
        const double sj = quad_min_scaled_jacobian(p);
        if (sj >= kMinValidScaledJacobian) continue;
        report(" Output data error: element %i of subregion %s is inverted or degenerate (scaled Jacobian %g).\n", e,
               el.name.c_str(), sj);
        ++reported;
    }
    return reported;
}

}  // namespace korvex
