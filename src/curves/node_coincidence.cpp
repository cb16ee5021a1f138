#include "curves/node_coincidence.h"

#include <algorithm>
#include <cmath>

#include "base/numeric_constants.h"

namespace korvex {

namespace {

bool excluded(const ControlPoint& p) { return p.name == "PINT"; }

bool before(const CoincidentPair& a, const CoincidentPair& b) {
    if (!b) return true;
    return a.i < b.i || (a.i == b.i && a.j < b.j);
}

}  // namespace

NodeCoincidenceIndex::NodeCoincidenceIndex(double tolerance)
    // Cells twice the tolerance wide: two points closer than the tolerance are
    // always in the same or adjacent cells, whatever the rounding of x / size.
    : tolerance_(tolerance), cell_size_(2.0 * tolerance) {}

NodeCoincidenceIndex::Cell NodeCoincidenceIndex::cell_of(const ControlPoint& p) const {
    Cell c{};
    const double v[3] = {p.x, p.y, p.z};
    for (int k = 0; k < 3; ++k) {
        double f = std::floor(v[k] / cell_size_);
        if (std::isnan(f)) f = 0.0;
        // Clamping keeps neighbours neighbours; it only makes far cells crowded.
        f = std::clamp(f, -kCellCoordinateLimit, kCellCoordinateLimit);
        c[static_cast<std::size_t>(k)] = static_cast<long long>(f);
    }
    return c;
}

void NodeCoincidenceIndex::insert(int index, const Cell& cell) {
    const auto i = static_cast<std::size_t>(index);
    if (cell_of_node_.size() <= i) {
        cell_of_node_.resize(i + 1);
        in_grid_.resize(i + 1, 0);
    }
    cells_[cell].push_back(index);
    cell_of_node_[i] = cell;
    in_grid_[i] = 1;
}

void NodeCoincidenceIndex::remove(int index) {
    const auto i = static_cast<std::size_t>(index);
    if (i >= in_grid_.size() || !in_grid_[i]) return;
    auto it = cells_.find(cell_of_node_[i]);
    if (it != cells_.end()) {
        auto& v = it->second;
        v.erase(std::remove(v.begin(), v.end(), index), v.end());
        if (v.empty()) cells_.erase(it);
    }
    in_grid_[i] = 0;
}

void NodeCoincidenceIndex::nearest_pair_with(const Array1<ControlPoint>& nodes, int x,
                                             CoincidentPair& best) const {
    const ControlPoint& px = nodes[x];
    const Cell c = cell_of(px);
    for (long long dx = -1; dx <= 1; ++dx)
        for (long long dy = -1; dy <= 1; ++dy)
            for (long long dz = -1; dz <= 1; ++dz) {
                const auto it = cells_.find(Cell{c[0] + dx, c[1] + dy, c[2] + dz});
                if (it == cells_.end()) continue;
                for (int y : it->second) {
                    if (y == x) continue;
                    const CoincidentPair pair{std::min(x, y), std::max(x, y)};
                    if (!before(pair, best)) continue;
                    if (distance(px.pos(), nodes[y].pos()) < tolerance_) best = pair;
                }
            }
}

CoincidentPair NodeCoincidenceIndex::check(const Array1<ControlPoint>& nodes, int count) {
    if (count < checked_) {  // the node list was cut back: start afresh
        cells_.clear();
        cell_of_node_.clear();
        in_grid_.clear();
        moved_.clear();
        checked_ = 0;
    }
    std::vector<int> candidates;
    for (int m : moved_)
        if (m >= 1 && m <= checked_ && m <= count) candidates.push_back(m);
    for (int i = checked_ + 1; i <= count; ++i) candidates.push_back(i);
    for (int x : candidates) {
        remove(x);  // a node left from a check that failed is placed anew
        if (!excluded(nodes[x])) insert(x, cell_of(nodes[x]));
    }

    CoincidentPair best;
    for (int x : candidates)
        if (!excluded(nodes[x])) nearest_pair_with(nodes, x, best);
    if (!best) {
        checked_ = count;
        moved_.clear();
    }
    return best;
}

CoincidentPair first_coincident_pair(const Array1<ControlPoint>& nodes, int count, double tolerance) {
    NodeCoincidenceIndex index(tolerance);
    return index.check(nodes, count);
}

}  // namespace korvex
