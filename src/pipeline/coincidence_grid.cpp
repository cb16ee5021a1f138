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
    for (int s = 1; s <= n; ++s) {
        const Vec3 p = run.nodes3D[index_node[s]].pos();
        std::int64_t c[3];
        for (int a = 0; a < 3; ++a) {
            const double q = std::floor(p[a] / cell_size);
            if (!(std::fabs(q) < kLargestCellIndex)) return false;  // also refuses NaN
            c[a] = static_cast<std::int64_t>(q);
        }
        entries_.push_back(Entry{c[0], c[1], c[2], s});
    }
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return std::tie(a.cx, a.cy, a.cz, a.position) < std::tie(b.cx, b.cy, b.cz, b.position);
    });
    return true;
}

// The cells are visited in their sorted order, each entry paired with the
// later entries of its own cell and column (cz, cz + 1) and with the entries
// of the four columns that follow it, (cx, cy + 1) and (cx + 1, cy - 1 .. cy + 1),
// from cz - 1 to cz + 1: every pair of neighbouring cells once. A column's
// first key moves forward with the visited cell, so each column is followed
// by a cursor that only advances: one pass over the entries, no search.
void CoincidenceGrid::close_pairs(const Run& run, const std::vector<int>& index_node,
                                  const std::vector<double>& dist_from_0, double window, double tolerance,
                                  std::vector<std::pair<int, int>>& out) const {
    out.clear();
    constexpr std::int64_t kColumns[4][2] = {{0, 1}, {1, -1}, {1, 0}, {1, 1}};
    std::size_t cursor[4] = {0, 0, 0, 0};
    const auto key = [](const Entry& e) { return cell_key(e.cx, e.cy, e.cz); };
    const auto consider = [&](int a, int b) {
        const int s = std::min(a, b), t = std::max(a, b);
        if (!(std::fabs(dist_from_0[s] - dist_from_0[t]) < window)) return;
        if (distance(run.nodes3D[index_node[s]].pos(), run.nodes3D[index_node[t]].pos()) < tolerance) out.emplace_back(s, t);
    };
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& home = entries_[i];
        const auto own_last = cell_key(home.cx, home.cy, home.cz + 1);
        for (std::size_t j = i + 1; j < entries_.size() && key(entries_[j]) <= own_last; ++j)
            consider(home.position, entries_[j].position);
        for (int c = 0; c < 4; ++c) {
            const std::int64_t cx = home.cx + kColumns[c][0], cy = home.cy + kColumns[c][1];
            const auto first = cell_key(cx, cy, home.cz - 1), last = cell_key(cx, cy, home.cz + 1);
            std::size_t& j0 = cursor[c];
            while (j0 < entries_.size() && key(entries_[j0]) < first) ++j0;
            for (std::size_t j = j0; j < entries_.size() && key(entries_[j]) <= last; ++j)
                consider(home.position, entries_[j].position);
        }
    }
    std::sort(out.begin(), out.end());
}

}  // namespace korvex
