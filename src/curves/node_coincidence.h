// Search for coincident nodes among the generated curve nodes. It finds the
// same first pair as comparing every pair i < j in index order, but looks
// only at nodes in neighbouring cells of a spatial grid, and remembers which
// nodes were already found apart, so a repeated check costs time in
// proportion to the nodes added or moved since the previous one.
#pragma once

#include <array>
#include <map>
#include <set>
#include <vector>

#include "base/array1.h"
#include "base/numeric_constants.h"
#include "model/records.h"

namespace korvex {

struct CoincidentPair {
    int i = 0;  // the lower index; 0 when no pair was found
    int j = 0;
    explicit operator bool() const { return i != 0; }
};

class NodeCoincidenceIndex {
public:
    explicit NodeCoincidenceIndex(double tolerance = kCoincidentPointDistance);

    // Checks nodes[1..count]. Returns the first pair (i < j, smallest i, then
    // smallest j) of nodes closer than the tolerance, neither named exactly
    // "PINT", among the pairs that involve a node added or moved since the last
    // check that found none. When there is none, all nodes count as checked.
    CoincidentPair check(const Array1<ControlPoint>& nodes, int count);

    // Node `index`, already checked, has new coordinates.
    void moved(int index) { moved_.insert(index); }

private:
    using Cell = std::array<long long, 3>;
    Cell cell_of(const ControlPoint& p) const;
    void insert(int index, const Cell& cell);
    void remove(int index);
    void nearest_pair_with(const Array1<ControlPoint>& nodes, int x, CoincidentPair& best) const;

    double tolerance_;
    double cell_size_;
    int checked_ = 0;                         // nodes 1..checked_ are known apart
    std::map<Cell, std::vector<int>> cells_;  // ordered: results never depend on hashing
    std::vector<Cell> cell_of_node_;          // by node index, for nodes in the grid
    std::vector<char> in_grid_;
    std::set<int> moved_;
};

// The first coincident pair among nodes[1..count] (a one-off full check).
CoincidentPair first_coincident_pair(const Array1<ControlPoint>& nodes, int count,
                                     double tolerance = kCoincidentPointDistance);

}  // namespace korvex
