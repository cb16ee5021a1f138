#include "input/coincident_points.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "base/numeric_constants.h"

namespace korvex {

namespace {

using CellKey = std::array<std::int64_t, 3>;

struct Entry {
    CellKey cell;
    int index;
};

// Cell coordinate of one axis. Values so large that the cell number would not
// fit are clamped: points in a clamped cell are still compared exactly, so
// only the speed, never the answer, depends on the clamping.
std::int64_t cell_of(double v, double cell_size) {
    const double c = std::floor(v / cell_size);
    return static_cast<std::int64_t>(std::clamp(c, -kCellCoordinateLimit, kCellCoordinateLimit));
}

bool coincide(const ControlPoint& a, const ControlPoint& b, double tol) {
    return std::fabs(a.x - b.x) < tol && std::fabs(a.y - b.y) < tol && std::fabs(a.z - b.z) < tol;
}

bool finite(const ControlPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

bool entry_less(const Entry& a, const Entry& b) { return a.cell != b.cell ? a.cell < b.cell : a.index < b.index; }

// Lowest j > i in the cell `key` that coincides with point i; 0 if none.
int first_partner_in_cell(const std::vector<Entry>& grid, const CellKey& key, int i,
                          const Array1<ControlPoint>& points, double tol) {
    auto it = std::upper_bound(grid.begin(), grid.end(), Entry{key, i}, entry_less);
    for (; it != grid.end() && it->cell == key; ++it)
        if (coincide(points[i], points[it->index], tol)) return it->index;
    return 0;
}

}  // namespace

std::pair<int, int> first_coincident_pair(const Array1<ControlPoint>& points, int n, double tol,
                                          const std::function<bool(const ControlPoint&)>& take) {
    // A point with a non-finite coordinate never passes the test, so it is
    // left out of the grid.
    const double cell_size = 2.0 * tol;
    std::vector<Entry> grid;
    for (int i = 1; i <= n; ++i) {
        const ControlPoint& p = points[i];
        if (!take(p) || !finite(p)) continue;
        grid.push_back({{cell_of(p.x, cell_size), cell_of(p.y, cell_size), cell_of(p.z, cell_size)}, i});
    }
    std::vector<Entry> by_index = grid;  // already in index order
    std::sort(grid.begin(), grid.end(), entry_less);

    for (const Entry& e : by_index) {
        int best = 0;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                for (int dz = -1; dz <= 1; ++dz) {
                    const CellKey key{e.cell[0] + dx, e.cell[1] + dy, e.cell[2] + dz};
                    const int j = first_partner_in_cell(grid, key, e.index, points, tol);
                    if (j != 0 && (best == 0 || j < best)) best = j;
                }
        if (best != 0) return {e.index, best};
    }
    return {0, 0};
}

}  // namespace korvex
