#include "pipeline/coincidence_grid.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace korvex {

namespace {

// Cells beyond this index could overflow when their neighbours are formed.
constexpr double kLargestCellIndex = 1e15;

auto cell_key(std::int64_t cx, std::int64_t cy, std::int64_t cz) { return std::make_tuple(cx, cy, cz); }

}  // namespace

bool CoincidenceGrid::build(const Run& run, const std::vector<int>& index_node, int n, double cell_size) {
    cell_size_ = cell_size;
    entries_.clear();
    entries_.reserve(static_cast<std::size_t>(n));
    cell_of_position_.assign(static_cast<std::size_t>(n) + 1, Entry{0, 0, 0, 0});
    for (int s = 1; s <= n; ++s) {
        const Vec3 p = run.nodes3D[index_node[s]].pos();
        std::int64_t c[3];
        for (int a = 0; a < 3; ++a) {
            const double q = std::floor(p[a] / cell_size);
            if (!(std::fabs(q) < kLargestCellIndex)) return false;  // also refuses NaN
            c[a] = static_cast<std::int64_t>(q);
        }
        entries_.push_back(Entry{c[0], c[1], c[2], s});
        cell_of_position_[s] = entries_.back();
    }
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return std::tie(a.cx, a.cy, a.cz, a.position) < std::tie(b.cx, b.cy, b.cz, b.position);
    });
    return true;
}

void CoincidenceGrid::close_partners(const Run& run, const std::vector<int>& index_node,
                                     const std::vector<double>& dist_from_0, int s, double window, double tolerance,
                                     std::vector<int>& out) const {
    out.clear();
    const Entry& home = cell_of_position_[s];
    const Vec3 p = run.nodes3D[index_node[s]].pos();
    // The cells of one (cx, cy) column are contiguous: cz - 1 .. cz + 1 is one range.
    for (std::int64_t dx = -1; dx <= 1; ++dx) {
        for (std::int64_t dy = -1; dy <= 1; ++dy) {
            const auto lo = cell_key(home.cx + dx, home.cy + dy, home.cz - 1);
            const auto hi = cell_key(home.cx + dx, home.cy + dy, home.cz + 1);
            auto first = std::lower_bound(entries_.begin(), entries_.end(), lo, [](const Entry& e, const auto& key) {
                return cell_key(e.cx, e.cy, e.cz) < key;
            });
            for (auto it = first; it != entries_.end() && cell_key(it->cx, it->cy, it->cz) <= hi; ++it) {
                const int t = it->position;
                if (t <= s || !(std::fabs(dist_from_0[s] - dist_from_0[t]) < window)) continue;
                if (distance(p, run.nodes3D[index_node[t]].pos()) < tolerance) out.push_back(t);
            }
        }
    }
    std::sort(out.begin(), out.end());
}

}  // namespace korvex
