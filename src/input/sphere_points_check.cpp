// check_sphere_points: every definition point of the curves of a SPHERE
// subregion must lie on its sphere. The sphere's radius is the distance of
// the subregion's first corner from the centre; a point farther from that
// radius than kSphereRadiusTolerance of it is refused, naming the point, the
// curve and the subregion. Without this, an arc's middle point moved off the
// sphere gives an arc that leaves the surface, and the mesher follows it.
#include <cmath>
#include <cstdlib>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "input/input_stages.h"

namespace korvex {

namespace {

// The first point of curve c whose distance from `centre` differs from R by
// more than the tolerance, or 0.
int first_point_off_sphere(const Run& run, const Curve& c, const Vec3& centre, double R) {
    for (int m = 1; m <= c.num_points && m < CURVE_POINT_SLOTS; ++m) {
        const int p = c.points_id[static_cast<std::size_t>(m)];
        if (std::fabs(distance(run.points[p].pos(), centre) - R) > kSphereRadiusTolerance * R) return p;
    }
    return 0;
}

int check_sphere_subregion(const Run& run, const Subregion& s) {
    const Vec3 centre{s.centre[0], s.centre[1], s.centre[2]};
    const Curve& first = run.curves[std::abs(s.curves_id[1])];
    const int start = s.curves_id[1] > 0 ? first.points_id[1] : first.points_id[static_cast<std::size_t>(first.num_points)];
    const double R = distance(run.points[start].pos(), centre);
    for (int i = 1; i <= s.num_curves && i < static_cast<int>(s.curves_id.size()); ++i) {
        const Curve& c = run.curves[std::abs(s.curves_id[static_cast<std::size_t>(i)])];
        const int p = first_point_off_sphere(run, c, centre, R);
        if (p == 0) continue;
        report(" Input data error: point %s of curve %s is off the sphere of subregion %s\n"
               "  (distance from the centre %g, radius %g).\n",
               run.points[p].name.c_str(), c.name_original.empty() ? c.name.c_str() : c.name_original.c_str(),
               s.name.c_str(), distance(run.points[p].pos(), centre), R);
        return 0;
    }
    return 1;
}

}  // namespace

int check_sphere_points(const Run& run) {
    for (int k = 1; k <= run.nPatches; ++k) {
        const Subregion& s = run.patches[k];
        if (s.type != TYPE_SPHERE || s.num_curves < 1) continue;
        if (!check_sphere_subregion(run, s)) return 0;
    }
    return 1;
}

}  // namespace korvex
