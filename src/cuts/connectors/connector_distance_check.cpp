// check_connector_against_distances and the node grid it queries. Whether a
// node lies within a distance is a yes-or-no question, so looking only at
// the grid cells around a point gives the same answer as testing every node
// of the subregion.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <tuple>

#include "cuts/connectors/connectors.h"
#include "model/name_lookup.h"

namespace korvex {

namespace {

constexpr double kCellLimit = 1e15;  // cell numbers are clamped beyond this

// Appends the nodes of curve |signed_id| to nodes.
void add_curve_nodes(const Run& run, int signed_id, std::vector<int>& nodes) {
    const int id = std::abs(signed_id);
    if (id < 1 || id > run.nCurves) return;
    const Curve& c = run.curves[id];
    for (int i = 1; i <= c.num_new_points; ++i) nodes.push_back(c.new_points_id[static_cast<std::size_t>(i)]);
}

// Every node on the outer boundary, the holes and the trees of subregion k.
std::vector<int> subregion_nodes(const Run& run, int k) {
    const Subregion& s = run.patches[k];
    std::vector<int> nodes;
    for (int i = 1; i <= s.num_curves; ++i) add_curve_nodes(run, s.curves_id[static_cast<std::size_t>(i)], nodes);
    for (int h = 1; h <= s.num_holes; ++h) {
        const Hole& hole = s.holes[static_cast<std::size_t>(h)];
        for (int i = 1; i <= hole.num_curves; ++i) add_curve_nodes(run, hole.curves[static_cast<std::size_t>(i)], nodes);
    }
    for (int t = 1; t <= s.num_trees; ++t) {
        const Tree& tree = s.trees[static_cast<std::size_t>(t)];
        for (int i = 1; i <= tree.num_curves; ++i)
            add_curve_nodes(run, find_curve(run, tree.curve_names[static_cast<std::size_t>(i)].view()), nodes);
    }
    return nodes;
}

}  // namespace

long long SubregionNodeGrid::cell(double x, int axis) const {
    const double q = std::floor((x - origin_[axis]) / h_);
    return static_cast<long long>(std::clamp(q, -kCellLimit, kCellLimit));
}

SubregionNodeGrid::SubregionNodeGrid(const Run& run, int k) {
    const std::vector<int> nodes = subregion_nodes(run, k);
    if (nodes.empty()) return;
    // Cells about as wide as the mean node spacing along the curves.
    Vec3 lo = run.new_points[nodes[0]].pos();
    double total = 0;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const Vec3 p = run.new_points[nodes[i]].pos();
        for (int a = 0; a < 3; ++a) lo[a] = std::min(lo[a], p[a]);
        if (i > 0) total += std::min(distance(p, run.new_points[nodes[i - 1]].pos()), 1e30);
    }
    origin_ = lo;
    h_ = nodes.size() > 1 ? total / static_cast<double>(nodes.size() - 1) : 1.0;
    if (!(h_ > 0) || !std::isfinite(h_)) h_ = 1.0;
    entries_.reserve(nodes.size());
    for (int node : nodes) {
        const Vec3 p = run.new_points[node].pos();
        entries_.push_back(Entry{cell(p.x, 0), cell(p.y, 1), cell(p.z, 2), node, p});
    }
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return std::tie(a.ix, a.iy, a.iz, a.node) < std::tie(b.ix, b.iy, b.iz, b.node);
    });
}

bool SubregionNodeGrid::any_node_within(const Vec3& p, double d, const std::array<int, 6>& exempt) const {
    if (entries_.empty()) return false;
    // One extra cell on each side absorbs rounding in the cell numbers.
    const long long x0 = cell(p.x - d, 0) - 1, x1 = cell(p.x + d, 0) + 1;
    const long long y0 = cell(p.y - d, 1) - 1, y1 = cell(p.y + d, 1) + 1;
    const long long z0 = cell(p.z - d, 2) - 1, z1 = cell(p.z + d, 2) + 1;
    // A query wider than the whole grid is cheaper as one pass over the nodes.
    const double columns = static_cast<double>(x1 - x0 + 1) * static_cast<double>(y1 - y0 + 1);
    if (columns > static_cast<double>(entries_.size())) {
        for (const Entry& e : entries_)
            if (distance(p, e.pos) <= d && std::find(exempt.begin(), exempt.end(), e.node) == exempt.end())
                return true;
        return false;
    }
    for (long long ix = x0; ix <= x1; ++ix) {
        for (long long iy = y0; iy <= y1; ++iy) {
            auto it = std::lower_bound(entries_.begin(), entries_.end(), std::make_tuple(ix, iy, z0),
                                       [](const Entry& e, const std::tuple<long long, long long, long long>& key) {
                                           return std::tie(e.ix, e.iy, e.iz) < key;
                                       });
            for (; it != entries_.end() && it->ix == ix && it->iy == iy && it->iz <= z1; ++it) {
                if (!(distance(p, it->pos) <= d)) continue;
                if (std::find(exempt.begin(), exempt.end(), it->node) != exempt.end()) continue;
                return true;
            }
        }
    }
    return false;
}

bool check_connector_against_distances(const Connector& c, const SubregionNodeGrid& grid, double factor) {
    const std::size_t n = c.positions.size();
    for (std::size_t k = 1; k + 1 < n; ++k) {
        const Vec3& p = c.positions[k];
        const double d =
            factor * (distance(p, c.positions[k - 1]) + distance(p, c.positions[k + 1])) / 2.0;
        if (grid.any_node_within(p, d, c.exempt_nodes)) return false;
    }
    return true;
}

}  // namespace korvex
