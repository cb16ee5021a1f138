// Division of an edge at its sharpest inner corner: a subregion given with
// fewer edges than four, but more curves than edges, gets its missing edges
// by splitting edges where two of their curves meet at the smallest angle.
#include <cstdlib>

#include "base/numeric_constants.h"
#include "curves/geometry_kernels.h"
#include "input/curve_ends.h"
#include "input/edge_conversion.h"

namespace korvex {

namespace {

// A candidate angle above this is no candidate (kNotComputed marks none).
constexpr double kNoCandidate = 1e31;

// Defining point next to the traversal start of curve `signed_id`.
int second_in_traversal(const Run& run, int signed_id) {
    const Curve& c = run.curves[std::abs(signed_id)];
    return c.points_id[static_cast<std::size_t>(signed_id > 0 ? 2 : c.num_points - 1)];
}

// Defining point before the traversal end of curve `signed_id`.
int before_last_in_traversal(const Run& run, int signed_id) {
    const Curve& c = run.curves[std::abs(signed_id)];
    return c.points_id[static_cast<std::size_t>(signed_id > 0 ? c.num_points - 1 : 2)];
}

}  // namespace

std::vector<double> slot_corner_angles(const Run& run, int k) {
    const Subregion& s = run.patches[k];
    std::vector<double> angles(static_cast<std::size_t>(s.num_curves) + 1, kNotComputed);
    int first_slot = 1;
    for (int e = 1; e <= s.num_edges; ++e) {
        for (int slot = first_slot + 1; slot < first_slot + s.curves_per_edge[e]; ++slot) {
            const int prev = s.curves_id[static_cast<std::size_t>(slot - 1)];
            const int cur = s.curves_id[static_cast<std::size_t>(slot)];
            const Vec3 corner = run.points[traversal_start(run.curves, cur)].pos();
            angles[static_cast<std::size_t>(slot)] =
                ANGLEXYZ(corner, run.points[second_in_traversal(run, cur)].pos(),
                         run.points[before_last_in_traversal(run, prev)].pos());
        }
        first_slot += s.curves_per_edge[e];
    }
    return angles;
}

int divide_edge_at_sharpest_corner(Subregion& s, std::vector<double>& angles) {
    if (s.num_edges >= MAX_EDGES_PER_SUBREGION) return 0;
    int best = 0;
    for (int slot = 1; slot < static_cast<int>(angles.size()); ++slot)
        if (angles[static_cast<std::size_t>(slot)] <= kNoCandidate &&
            (best == 0 || angles[static_cast<std::size_t>(slot)] < angles[static_cast<std::size_t>(best)]))
            best = slot;
    if (best == 0) return 0;
    angles[static_cast<std::size_t>(best)] = kNotComputed;

    int e = 1, first_slot = 1;
    while (first_slot + s.curves_per_edge[e] <= best) first_slot += s.curves_per_edge[e++];
    for (int m = s.num_edges; m > e; --m) s.curves_per_edge[m + 1] = s.curves_per_edge[m];
    s.curves_per_edge[e + 1] = s.curves_per_edge[e] - (best - first_slot);
    s.curves_per_edge[e] = best - first_slot;
    ++s.num_edges;
    return 1;
}

}  // namespace korvex
