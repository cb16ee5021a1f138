#include "pipeline/coincidence_check.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "base/messages.h"
#include "base/numeric_constants.h"
#include "pipeline/coincidence_grid.h"

namespace korvex {

namespace {

constexpr int kProgressInterval = 100;
// Above this many window comparisons per node the grid search replaces the scan.
constexpr long long kScanComparisonsPerNode = 64;

double distance_from_origin(const Node3D& n) { return norm(n.pos()); }

void report_progress(int s, int node, int n) {
    if (s % kProgressInterval == 0) report("... checking stage %10i  (node %10i)...   (total=%10i)\n", s, node, n);
}

void report_coincident_pair(const Run& run, int first, int second, double dist) {
    const Node3D& a = run.nodes3D[first];
    const Node3D& b = run.nodes3D[second];
    report("\nOutput data error:\n");
    report("A pair of possibly coinciding nodes identified:\n");
    report("*** node[%7i]=(%14.7e,%14.7e,%14.7e) belongs to %s\n"
           "    node[%7i]=(%14.7e,%14.7e,%14.7e) belongs to %s\n"
           "    coincide; dist=%14.7e\n",
           first, a.x, a.y, a.z, a.name.c_str(), second, b.x, b.y, b.z, b.name.c_str(), dist);
}

// Node numbers 1..N by increasing distance from the origin (slot 0 unused),
// with those distances; equal distances keep increasing node numbers.
struct NodesByDistance {
    std::vector<double> dist_from_0;
    std::vector<int> index_node;
};

bool allocate_sorted_arrays(int n, NodesByDistance& sorted) {
    const auto size = static_cast<std::size_t>(n) + 10;
    try {
        sorted.dist_from_0.assign(size, 0.0);
    } catch (const std::bad_alloc&) {
        report("dist_from_0[]: not enough memory\n");
        return false;
    }
    try {
        sorted.index_node.assign(size, 0);
    } catch (const std::bad_alloc&) {
        report("index_node[]: not enough memory\n");
        std::vector<double>().swap(sorted.dist_from_0);
        return false;
    }
    return true;
}

// Sorts both arrays together without a third one: the node numbers are sorted
// by the distances stored at node positions, then the distances are laid out
// again in sorted order.
void sort_nodes_by_distance(const Run& run, NodesByDistance& sorted) {
    const int n = run.num_nodes;
    auto& dist = sorted.dist_from_0;
    auto& index = sorted.index_node;
    for (int i = 1; i <= n; ++i) {
        dist[i] = distance_from_origin(run.nodes3D[i]);
        index[i] = i;
    }
    std::stable_sort(index.begin() + 1, index.begin() + 1 + n, [&dist](int a, int b) { return dist[a] < dist[b]; });
    for (int s = 1; s <= n; ++s) dist[s] = distance_from_origin(run.nodes3D[index[s]]);
}

// Compares the node at every position with those that follow it while their
// distances from the origin differ by less than the window.
void window_scan(const Run& run, const NodesByDistance& sorted) {
    const int n = run.num_nodes;
    const auto& dist = sorted.dist_from_0;
    const auto& index = sorted.index_node;
    for (int s = 1; s <= n - 1; ++s) {
        report_progress(s, index[s], n);
        for (int t = s + 1; t <= n && std::fabs(dist[s] - dist[t]) < kCoincidenceWindow; ++t) {
            const double d = distance(run.nodes3D[index[s]].pos(), run.nodes3D[index[t]].pos());
            if (d < kPointTolerance) report_coincident_pair(run, index[s], index[t], d);
        }
    }
}

// Number of comparisons the window scan would make (windows are contiguous
// runs of the sorted distances, so two pointers count them in linear time).
long long window_comparisons(const std::vector<double>& dist, int n) {
    long long total = 0;
    int end = 1;  // last position inside the window of s
    for (int s = 1; s <= n - 1; ++s) {
        end = std::max(end, s);
        while (end + 1 <= n && std::fabs(dist[s] - dist[end + 1]) < kCoincidenceWindow) ++end;
        total += end - s;
    }
    return total;
}

// The same pairs, in the same order, found through a grid: used when many
// nodes share one distance window. Returns false when the grid cannot hold
// the nodes (the caller then scans).
bool grid_search(const Run& run, const NodesByDistance& sorted) {
    const int n = run.num_nodes;
    CoincidenceGrid grid;
    try {
        if (!grid.build(run, sorted.index_node, n, kPointTolerance)) return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::vector<std::pair<int, int>> pairs;
    grid.close_pairs(run, sorted.index_node, sorted.dist_from_0, kCoincidenceWindow, kPointTolerance, pairs);
    auto next = pairs.begin();
    for (int s = 1; s <= n - 1; ++s) {
        report_progress(s, sorted.index_node[s], n);
        for (; next != pairs.end() && next->first == s; ++next) {
            const int a = sorted.index_node[s], b = sorted.index_node[next->second];
            report_coincident_pair(run, a, b, distance(run.nodes3D[a].pos(), run.nodes3D[b].pos()));
        }
    }
    return true;
}

}  // namespace

bool sorted_coincidence_check(const Run& run, CoincidenceSearch search) {
    const int n = run.num_nodes;
    NodesByDistance sorted;
    if (!allocate_sorted_arrays(n, sorted)) return false;
    sort_nodes_by_distance(run, sorted);
    if (search == CoincidenceSearch::Automatic)
        search = window_comparisons(sorted.dist_from_0, n) <= kScanComparisonsPerNode * static_cast<long long>(n)
                     ? CoincidenceSearch::WindowScan
                     : CoincidenceSearch::Grid;
    if (search == CoincidenceSearch::Grid && grid_search(run, sorted)) {
        report("... over.\n");
        return true;
    }
    window_scan(run, sorted);
    report("... over.\n");
    return true;
}

void full_coincidence_check(const Run& run) {
    const int n = run.num_nodes;
    report("Performing full coincidence boundary check...\n");
    report(" (if total number of nodes <=30000, checking ALL nodes)\n");
    // Above the limit only nodes on curves are compared: names of interior nodes begin with R.
    const bool curve_nodes_only = n > kFullCheckAllNodesLimit;
    auto skipped = [&](int i) { return curve_nodes_only && run.nodes3D[i].name[0] == 'R'; };
    for (int i = 1; i <= n; ++i) {
        if (i % kProgressInterval == 0) report("... checking node %10i...   (total=%10i)\n", i, n);
        if (skipped(i)) continue;
        const Node3D& a = run.nodes3D[i];
        const double ri = distance_from_origin(a);
        for (int j = i + 1; j <= n; ++j) {
            if (skipped(j)) continue;
            const Node3D& b = run.nodes3D[j];
            const double mean_r = (ri + distance_from_origin(b)) * 0.5;
            // Two nodes at the origin have no relative distance: not reported.
            if (!(mean_r > 0.0)) continue;
            const double rel = distance(a.pos(), b.pos()) / mean_r;
            if (rel < kPointTolerance) report_coincident_pair(run, i, j, rel);
        }
    }
    report(" ... complete.\n");
}

void check_coincident_nodes(const Run& run) {
    report("\ncoincidence checking algorithm...\n");
    if (sorted_coincidence_check(run)) return;
    report("Going to old nodal coincidence check.\n");
    full_coincidence_check(run);
}

}  // namespace korvex
