// A uniform grid over the mesh nodes for the coincidence check, so that nodes
// packed into one distance window (a sphere centred on the origin puts every
// node in one) are not compared all against all. It finds exactly the pairs
// the window scan finds.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "model/run.h"

namespace korvex {

class CoincidenceGrid {
public:
    // Nodes are taken at the sorted positions 1..n (index_node[s] is the node
    // at position s). Returns false when a coordinate is too large or not
    // finite to be put into a cell; the window scan must then be used.
    bool build(const Run& run, const std::vector<int>& index_node, int n, double cell_size);

    // Every pair of positions (s, t), s < t, whose nodes lie within
    // `tolerance` of each other and whose distances from the origin differ by
    // less than `window`, ordered by s, then t.
    void close_pairs(const Run& run, const std::vector<int>& index_node, const std::vector<double>& dist_from_0,
                     double window, double tolerance, std::vector<std::pair<int, int>>& out) const;

private:
    struct Entry {
        std::int64_t cx, cy, cz;
        int position;
    };
    std::vector<Entry> entries_;           // sorted by cell, then position
    double cell_size_ = 1;
};

}  // namespace korvex
