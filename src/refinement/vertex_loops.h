// Closed loops of control points around a plane subregion: loop 0 is the
// outer boundary, loops 1..num_holes are its holes.
#pragma once

#include <vector>

#include "model/run.h"

namespace korvex {

struct LoopVertex {
    int point = 0;   // index into points[]
    int curve = 0;   // signed index of the curve it came from
};

// vertices[1..count] in chain order; vertices[0] is a copy of vertices[count].
struct VertexLoop {
    std::vector<LoopVertex> vertices;
    int count = 0;
    std::vector<int> chain;  // the loop's curves in chain order, signed, 1..n
};

// Number of vertices of a loop made of these curves: sum of (num_points - 1).
int count_loop_vertices(const Run& run, const int* curves, int num_curves);

// Builds loops[0..num_holes] of subregion k. Each curve contributes its
// defining points except the last in walking order; the curves of a loop may
// be listed in any order and direction and are chained by their end point
// names. Returns 1, or 0 after reporting why.
int build_vertex_loops(const Run& run, int k, std::vector<VertexLoop>& loops);

}  // namespace korvex
