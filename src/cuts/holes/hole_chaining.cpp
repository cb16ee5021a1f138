// restore_correct_order_of_curves_for_all_holes: the curves of a hole may be
// listed in any order and direction; they are chained end to end into one
// closed loop, and the loop's sense is compared with the outer boundary's.
#include <cstdlib>

#include "base/messages.h"
#include "curves/geometry_kernels.h"
#include "cuts/holes/hole_removal.h"

namespace korvex {

namespace {

// Nodes at the two ends of a curve in its own direction.
int first_node(const Curve& c) { return c.new_points_id[1]; }
int last_node(const Curve& c) { return c.new_points_id[static_cast<std::size_t>(c.num_new_points)]; }

// Chains hole h; the first curve is taken forward whatever its sign.
int chain_hole(const Run& run, Hole& h) {
    const int nh = h.num_curves;
    std::vector<int> chain(static_cast<std::size_t>(nh) + 1, 0);
    std::vector<bool> used(static_cast<std::size_t>(nh) + 1, false);
    chain[1] = std::abs(h.curves[1]);
    used[1] = true;
    int end = last_node(run.curves[chain[1]]);
    int junction = first_node(run.curves[chain[1]]);
    for (int kh = 2; kh <= nh; ++kh) {
        int found = 0;
        for (int m = 1; m <= nh && !found; ++m) {
            if (used[static_cast<std::size_t>(m)]) continue;
            const int id = std::abs(h.curves[static_cast<std::size_t>(m)]);
            const Curve& c = run.curves[id];
            // A loop of two curves closes on its first junction.
            const int barred = nh > 2 ? junction : 0;
            if (first_node(c) == end && last_node(c) != barred) {
                found = id;
            } else if (last_node(c) == end && first_node(c) != barred) {
                found = -id;
            }
            if (found) used[static_cast<std::size_t>(m)] = true;
        }
        if (!found) {
            report("Internal error in MULT_CO4.C:\n curves_w[kh=%i]=%i; ( kh<=neih(=%i) )\n", kh, 0, nh);
            report("Check input data CURVES section\n(start,mid.,end points of all curves)\n");
            return 0;
        }
        chain[static_cast<std::size_t>(kh)] = found;
        const Curve& c = run.curves[std::abs(found)];
        junction = end;
        end = found > 0 ? last_node(c) : first_node(c);
    }
    for (int kh = 1; kh <= nh; ++kh) h.curves[static_cast<std::size_t>(kh)] = chain[static_cast<std::size_t>(kh)];
    return 1;
}

}  // namespace

int restore_correct_order_of_curves_for_all_holes(Run& run, int k, const Vec3& boundary_unit,
                                                  std::vector<double>& hole_angles) {
    Subregion& s = run.patches[k];
    hole_angles.assign(static_cast<std::size_t>(s.num_holes) + 1, 0.0);
    for (int j = 1; j <= s.num_holes; ++j) {
        Hole& h = s.holes[static_cast<std::size_t>(j)];
        if (h.num_curves < 1 || !chain_hole(run, h)) return 0;
        Vec3 unit;
        if (!sequnce_unit_vector(run, h.num_curves, h.curves.data(), unit)) return 0;
        hole_angles[static_cast<std::size_t>(j)] = angle_between(boundary_unit, unit);
    }
    return 1;
}

}  // namespace korvex
