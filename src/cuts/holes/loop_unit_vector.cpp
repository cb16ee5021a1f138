// sequnce_unit_vector: the normal of a closed loop of curves, on the side
// from which the loop runs counter-clockwise. It is taken at the end A of the
// loop's longest chord AB: the loop's tangent at A crossed with AB.
#include <cstdlib>
#include <new>

#include "base/messages.h"
#include "cuts/holes/hole_removal.h"

namespace korvex {

namespace {

// The loop's nodes in walking order, each curve without its final node.
std::vector<int> loop_nodes(const Run& run, int n, const int* curves) {
    std::vector<int> seq;
    for (int i = 1; i <= n; ++i) {
        const Curve& c = run.curves[std::abs(curves[i])];
        const int m = c.num_new_points;
        for (int j = 1; j < m; ++j)
            seq.push_back(c.new_points_id[static_cast<std::size_t>(curves[i] > 0 ? j : m + 1 - j)]);
    }
    return seq;
}

}  // namespace

int sequnce_unit_vector(const Run& run, int n, const int* curves, Vec3& unit) {
    std::vector<int> seq;
    try {
        seq = loop_nodes(run, n, curves);
    } catch (const std::bad_alloc&) {
        report("Out of memory for ippoint[] in sequnce_unit_vector()");
        return 0;
    }
    const std::size_t m = seq.size();
    if (m < 3) {
        report("Error in sequnce_unit_vector(): a loop of %i nodes has no direction\n", static_cast<int>(m));
        return 0;
    }
    std::vector<Vec3> p(m);
    for (std::size_t i = 0; i < m; ++i) p[i] = run.new_points[seq[i]].pos();
    std::size_t ia = 0, ib = 1;
    double best = -1;
    for (std::size_t i = 0; i < m; ++i) {
        for (std::size_t j = i + 1; j < m; ++j) {
            const double dd = distance(p[i], p[j]);
            if (dd > best) {
                best = dd;
                ia = i;
                ib = j;
            }
        }
    }
    const Vec3 tangent = (p[(ia + 1) % m] - p[(ia + m - 1) % m]) / 2.0;
    const Vec3 w = cross(tangent, p[ib] - p[ia]);
    const double len = norm(w);
    if (!(len > 0)) {
        report("Error in sequnce_unit_vector(): the loop's nodes lie on one line\n");
        return 0;
    }
    unit = w / len;
    return 1;
}

}  // namespace korvex
