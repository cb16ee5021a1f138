// End points of a curve as it is traversed: a signed curve index is negative
// when the curve is used from its last defining point to its first.
#pragma once

#include <algorithm>
#include <cstdlib>

#include "base/array1.h"
#include "model/records.h"

namespace korvex {

inline int first_point_id(const Curve& c) { return c.points_id[1]; }
inline int last_point_id(const Curve& c) {
    return c.points_id[static_cast<std::size_t>(std::clamp(c.num_points, 1, CURVE_POINT_SLOTS - 1))];
}

// Point where the traversal of curve `signed_id` starts / ends.
inline int traversal_start(const Array1<Curve>& curves, int signed_id) {
    const Curve& c = curves[std::abs(signed_id)];
    return signed_id > 0 ? first_point_id(c) : last_point_id(c);
}
inline int traversal_end(const Array1<Curve>& curves, int signed_id) {
    const Curve& c = curves[std::abs(signed_id)];
    return signed_id > 0 ? last_point_id(c) : first_point_id(c);
}

}  // namespace korvex
