// Name index and spatial hash grid over the global nodes (see merge_index.h).
#include "assembly/merge_index.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvex {

// ---------------------------------------------------------------- NameTable

void NameTable::insert(std::string_view name, int j) {
    if (name.empty()) return;
    auto it = lists_.find(name);
    if (it == lists_.end()) it = lists_.emplace(std::string(name), std::vector<int>{}).first;
    auto& v = it->second;
    if (v.empty() || v.back() < j) {
        v.push_back(j);
        return;
    }
    auto pos = std::lower_bound(v.begin(), v.end(), j);
    if (pos == v.end() || *pos != j) v.insert(pos, j);
}

void NameTable::erase(std::string_view name, int j) {
    auto it = lists_.find(name);
    if (it == lists_.end()) return;
    auto& v = it->second;
    auto pos = std::lower_bound(v.begin(), v.end(), j);
    if (pos != v.end() && *pos == j) v.erase(pos);
    if (v.empty()) lists_.erase(it);
}

int NameTable::lowest(std::string_view name) const {
    if (name.empty()) return 0;
    auto it = lists_.find(name);
    return it == lists_.end() || it->second.empty() ? 0 : it->second.front();
}

// -------------------------------------------------------------- SpatialGrid

namespace {
// Cell coordinates are clamped far inside the int64 range, which keeps the
// key of every finite position monotone in that position.
constexpr double kMaxCellCoord = 1e18;
// A query box that ends within this fraction of a cell from a cell border
// also visits the neighbouring cell, against rounding in the division.
constexpr double kBorderMargin = 1e-6;
}  // namespace

std::size_t SpatialGrid::KeyHash::operator()(const Key& k) const {
    auto h = static_cast<std::uint64_t>(k.x) * 0x9E3779B97F4A7C15ull;
    h ^= static_cast<std::uint64_t>(k.y) * 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
    h ^= static_cast<std::uint64_t>(k.z) * 0x165667B19E3779F9ull + (h << 6) + (h >> 2);
    return static_cast<std::size_t>(h);
}

void SpatialGrid::reset(double cell_size) {
    cell_ = cell_size;
    heads_.clear();
    next_.clear();
}

std::int64_t SpatialGrid::coord(double v) const {
    const double c = std::floor(v / cell_);
    return static_cast<std::int64_t>(std::clamp(c, -kMaxCellCoord, kMaxCellCoord));
}

bool SpatialGrid::key_of(const Vec3& p, Key& k) const {
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
    k = {coord(p.x), coord(p.y), coord(p.z)};
    return true;
}

void SpatialGrid::insert(int j, const Vec3& p) {
    Key k;
    if (!key_of(p, k)) return;
    if (next_.size() <= static_cast<std::size_t>(j)) next_.resize(static_cast<std::size_t>(j) + 1 + next_.size() / 2, 0);
    auto [it, fresh] = heads_.try_emplace(k, j);
    if (!fresh) {
        next_[static_cast<std::size_t>(j)] = it->second;
        it->second = j;
    } else {
        next_[static_cast<std::size_t>(j)] = 0;
    }
}

void SpatialGrid::erase(int j, const Vec3& p) {
    Key k;
    if (!key_of(p, k)) return;
    auto it = heads_.find(k);
    if (it == heads_.end()) return;
    if (it->second == j) {
        const int nx = next_[static_cast<std::size_t>(j)];
        if (nx == 0) heads_.erase(it);
        else it->second = nx;
        return;
    }
    for (int v = it->second; v != 0; v = next_[static_cast<std::size_t>(v)])
        if (next_[static_cast<std::size_t>(v)] == j) {
            next_[static_cast<std::size_t>(v)] = next_[static_cast<std::size_t>(j)];
            return;
        }
}

int SpatialGrid::scan_cell(int head, const Vec3& p, double r, const Array1<Node3D>& nodes, int limit,
                           const std::function<bool(int)>& accept, int best) const {
    for (int v = head; v != 0; v = next_[static_cast<std::size_t>(v)]) {
        if (v > limit || (best != 0 && v >= best)) continue;
        if (distance(nodes[v].pos(), p) < r && (!accept || accept(v))) best = v;
    }
    return best;
}

int SpatialGrid::lowest_within(const Vec3& p, double r, const Array1<Node3D>& nodes, int limit,
                               const std::function<bool(int)>& accept) const {
    if (!ready() || !(r > 0) || heads_.empty()) return 0;
    Key lo, hi;
    if (!key_of(p - Vec3{r, r, r}, lo) || !key_of(p + Vec3{r, r, r}, hi)) return 0;
    // Widen by one cell where the box ends next to a cell border.
    for (int a = 0; a < 3; ++a) {
        const double l = (p[a] - r) / cell_, h = (p[a] + r) / cell_;
        std::int64_t& kl = a == 0 ? lo.x : a == 1 ? lo.y : lo.z;
        std::int64_t& kh = a == 0 ? hi.x : a == 1 ? hi.y : hi.z;
        if (l - std::floor(l) < kBorderMargin && kl > -static_cast<std::int64_t>(kMaxCellCoord)) --kl;
        if (std::floor(h) + 1 - h < kBorderMargin && kh < static_cast<std::int64_t>(kMaxCellCoord)) ++kh;
    }
    const double cells = (static_cast<double>(hi.x - lo.x) + 1) * (static_cast<double>(hi.y - lo.y) + 1) *
                         (static_cast<double>(hi.z - lo.z) + 1);
    int best = 0;
    if (cells > static_cast<double>(heads_.size())) {
        for (const auto& [k, head] : heads_)
            if (k.x >= lo.x && k.x <= hi.x && k.y >= lo.y && k.y <= hi.y && k.z >= lo.z && k.z <= hi.z)
                best = scan_cell(head, p, r, nodes, limit, accept, best);
        return best;
    }
    for (std::int64_t x = lo.x; x <= hi.x; ++x)
        for (std::int64_t y = lo.y; y <= hi.y; ++y)
            for (std::int64_t z = lo.z; z <= hi.z; ++z) {
                auto it = heads_.find(Key{x, y, z});
                if (it != heads_.end()) best = scan_cell(it->second, p, r, nodes, limit, accept, best);
            }
    return best;
}

// --------------------------------------------------------------- MergeIndex

namespace {
bool at_name(const Node3D& node) { return node.name.length() >= 2 && node.name[1] == '@'; }
}  // namespace

void MergeIndex::add(int j, const Node3D& node) {
    if (at_name(node)) at_named.insert(j);
    by_name.insert(node.name.view(), j);
    by_saved.insert(node.name_saved.view(), j);
    grid.insert(j, node.pos());
}

void MergeIndex::clear() {
    indexed = 0;
    last_seen = Node3D{};
    by_name.clear();
    by_saved.clear();
    at_named.clear();
    grid.reset(grid.cell_size());
}

void MergeIndex::update_node(int j, const Node3D& before, const Node3D& after) {
    if (j > indexed) return;
    if (!(before.name == after.name)) {
        at_named.erase(j);
        if (at_name(after)) at_named.insert(j);
        by_name.erase(before.name.view(), j);
        by_name.insert(after.name.view(), j);
    }
    if (!(before.name_saved == after.name_saved)) {
        by_saved.erase(before.name_saved.view(), j);
        by_saved.insert(after.name_saved.view(), j);
    }
    if (before.x != after.x || before.y != after.y || before.z != after.z) {
        grid.erase(j, before.pos());
        grid.insert(j, after.pos());
    }
    if (j == indexed) last_seen = after;
}

namespace {

bool same_node(const Node3D& a, const Node3D& b) {
    return a.name == b.name && a.name_saved == b.name_saved && a.x == b.x && a.y == b.y && a.z == b.z;
}

// Cell size for a patch whose neighbouring nodes are about `spacing` apart.
constexpr double kCellsPerSpacing = 2.0;
// The grid is rebuilt when a patch is this much finer than the cells.
constexpr double kRefineRatio = 8.0;

void rebuild(MergeIndex& ix, const Run& run, double cell) {
    ix.grid.reset(cell);
    ix.clear();
    ix.owner = &run;
    for (int j = 1; j <= run.num_nodes; ++j) ix.add(j, run.nodes3D[j]);
    ix.indexed = run.num_nodes;
    if (ix.indexed > 0) ix.last_seen = run.nodes3D[ix.indexed];
}

}  // namespace

MergeIndex& synced_merge_index(Run& run, double spacing) {
    if (!run.merge_index) run.merge_index = std::make_shared<MergeIndex>();
    MergeIndex& ix = *run.merge_index;
    const bool usable = std::isfinite(spacing) && spacing > 0;
    const double wanted = usable ? kCellsPerSpacing * spacing : 1.0;
    const bool replaced = ix.owner != &run || run.num_nodes < ix.indexed ||
                          (ix.indexed > 0 && !same_node(ix.last_seen, run.nodes3D[ix.indexed]));
    if (!ix.grid.ready() || replaced || (usable && spacing * kRefineRatio < ix.grid.cell_size())) {
        rebuild(ix, run, ix.grid.ready() && !usable ? ix.grid.cell_size() : wanted);
        return ix;
    }
    for (int j = ix.indexed + 1; j <= run.num_nodes; ++j) ix.add(j, run.nodes3D[j]);
    ix.indexed = run.num_nodes;
    if (ix.indexed > 0) ix.last_seen = run.nodes3D[ix.indexed];
    return ix;
}

void invalidate_merge_index(Run& run) { run.merge_index.reset(); }

}  // namespace korvex
