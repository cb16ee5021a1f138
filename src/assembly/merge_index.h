// Lookup tables over the global nodes that make merging a patch cost about
// the patch size instead of patch size times global size: a name index
// (lowest global node with a given name or saved name) and a spatial hash
// grid (lowest global node within a distance). Both return exactly what a
// scan of nodes 1..G in index order would return first.
//
// The run keeps one MergeIndex (Run::merge_index) and brings it up to date
// at the start of every merge: nodes appended since the last merge are
// added; a global mesh that was reset or replaced is re-indexed. Merging
// renames and moves global nodes through update_node() only. Stages that
// rename, move or renumber global nodes themselves call
// invalidate_merge_index().
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/records.h"
#include "model/run.h"

namespace korvex {

// Sorted lists of node numbers per name; empty names are not indexed.
class NameTable {
public:
    void insert(std::string_view name, int j);
    void erase(std::string_view name, int j);
    // Lowest node number with this name, or 0.
    int lowest(std::string_view name) const;
    void clear() { lists_.clear(); }

private:
    std::map<std::string, std::vector<int>, std::less<>> lists_;
};

// Uniform hash grid of node positions. Each occupied cell holds a linked
// list of node numbers; queries visit the cells that the query box touches
// (or every occupied cell when that is fewer). Non-finite positions are not
// stored, since no distance test can succeed for them.
class SpatialGrid {
public:
    bool ready() const { return cell_ > 0; }
    double cell_size() const { return cell_; }
    void reset(double cell_size);
    void insert(int j, const Vec3& p);
    void erase(int j, const Vec3& p);
    // Lowest node j <= limit with |nodes[j] - p| < r and accept(j), or 0.
    int lowest_within(const Vec3& p, double r, const Array1<Node3D>& nodes, int limit,
                      const std::function<bool(int)>& accept = {}) const;

private:
    struct Key {
        std::int64_t x, y, z;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const;
    };
    std::int64_t coord(double v) const;
    bool key_of(const Vec3& p, Key& k) const;
    int scan_cell(int head, const Vec3& p, double r, const Array1<Node3D>& nodes, int limit,
                  const std::function<bool(int)>& accept, int best) const;

    double cell_ = 0;
    std::unordered_map<Key, int, KeyHash> heads_;  // cell -> first node of its list
    std::vector<int> next_;                        // node -> next node in its cell
};

struct MergeIndex {
    const Run* owner = nullptr;  // the run whose nodes are indexed (a copied run re-indexes)
    int indexed = 0;          // nodes 1..indexed are in the tables
    Node3D last_seen;         // copy of node `indexed`, to notice a replaced mesh
    NameTable by_name;        // Node3D::name
    NameTable by_saved;       // Node3D::name_saved
    SpatialGrid grid;
    std::set<int> at_named;   // nodes whose name is still a generated '@' name

    void add(int j, const Node3D& node);
    void clear();
    // Node j (already indexed) is about to change from `before` to `after`.
    void update_node(int j, const Node3D& before, const Node3D& after);
};

// The run's merge index, brought up to date with nodes3D[1..num_nodes].
// spacing is a typical distance between neighbouring nodes of the patch
// being merged (0 when unknown); it sets, and when much finer than before
// refines, the grid's cell size.
MergeIndex& synced_merge_index(Run& run, double spacing);

// Drops the run's merge index; the next merge builds it again.
void invalidate_merge_index(Run& run);

}  // namespace korvex
