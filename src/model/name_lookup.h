// Finding model records by name: a linear search in input order, so that the
// first record of a repeated name is the one found.
#pragma once

#include <string_view>

#include "model/run.h"

namespace korvex {

// Index of the first curve (1..nCurves) with exactly this name, or 0.
inline int find_curve(const Run& run, std::string_view name) {
    for (int i = 1; i <= run.nCurves; ++i)
        if (run.curves[i].name == name) return i;
    return 0;
}

// Index of the first control point (1..nPoints) with exactly this name, or 0.
inline int find_point(const Run& run, std::string_view name) {
    for (int p = 1; p <= run.nPoints; ++p)
        if (run.points[p].name == name) return p;
    return 0;
}

}  // namespace korvex
