// Search for the first pair of coincident points without comparing all pairs.
#pragma once

#include <functional>
#include <utility>

#include "base/array1.h"
#include "model/records.h"

namespace korvex {

// Among the points 1..n accepted by `take`, returns the pair (i, j), i < j,
// that a scan over all pairs (i ascending, then j ascending) meets first with
// |xi - xj|, |yi - yj| and |zi - zj| all below `tol`; (0, 0) when there is
// none. A grid of cells of twice the tolerance keeps the cost near n·log n.
std::pair<int, int> first_coincident_pair(const Array1<ControlPoint>& points, int n, double tol,
                                          const std::function<bool(const ControlPoint&)>& take);

}  // namespace korvex
