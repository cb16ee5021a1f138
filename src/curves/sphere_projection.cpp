// Nodes generated on the curves of a SPHERE subregion are pushed radially
// onto the sphere, whose radius is taken from the subregion's first node.
#include <cstdlib>

#include "base/limits.h"
#include "curves/curve_division.h"

namespace korvex {

namespace {

bool generated(const PointName& name) { return name[1] == '$' || name[1] == '@'; }

void project_curve_nodes(const Curve& cv, const Vec3& centre, double R, Array1<ControlPoint>& new_points) {
    for (int k = 1; k <= cv.num_new_points; ++k) {
        ControlPoint& node = new_points[cv.new_points_id[static_cast<std::size_t>(k)]];
        if (!generated(node.name)) continue;
        const Vec3 r = node.pos() - centre;
        const double len = norm(r);
        if (!(len > 0.0)) continue;  // the centre itself has no direction
        node.set_pos(centre + r * (R / len));
    }
}

}  // namespace

void project_sphere_curve_nodes(const Array1<Subregion>& patches, int nPatches, const Array1<Curve>& curves,
                                Array1<ControlPoint>& new_points) {
    for (int k = 1; k <= nPatches; ++k) {
        const Subregion& patch = patches[k];
        if (patch.type != TYPE_SPHERE || patch.num_curves < 1) continue;
        const Vec3 centre{patch.centre[0], patch.centre[1], patch.centre[2]};
        const Curve& first = curves[std::abs(patch.curves_id[1])];
        if (first.num_new_points < 1) continue;
        const double R = distance(new_points[first.new_points_id[1]].pos(), centre);
        for (int i = 1; i <= patch.num_curves && i < static_cast<int>(patch.curves_id.size()); ++i) {
            const Curve& cv = curves[std::abs(patch.curves_id[static_cast<std::size_t>(i)])];
            if (cv.name[0] == 'C') continue;
            project_curve_nodes(cv, centre, R, new_points);
        }
    }
}

}  // namespace korvex
