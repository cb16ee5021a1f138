// The cuts of the subdivision stage (activate_entities_subdivisions).
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "model/run.h"

namespace korvex {

// The first point (smallest index) of run.points closer than tol to p, or
// 0: what a scan of all points gives, found through a grid of cells at least
// tol wide. Points are indexed as they appear; while one index is in use,
// points may be appended but not moved or removed (as in the subdivision
// stage, which only adds points).
class NearPointIndex {
public:
    int first_near(const Run& run, const Vec3& p, double tol);

private:
    struct Cell {
        std::int64_t i, j, k;
        bool operator==(const Cell&) const = default;
    };
    struct CellHash {
        std::size_t operator()(const Cell& c) const {
            return static_cast<std::size_t>(c.i * 73856093LL ^ c.j * 19349663LL ^ c.k * 83492791LL);
        }
    };
    bool cell_of(const Vec3& p, Cell& c) const;
    void rebuild(const Run& run, double width);
    void add_points_up_to(const Run& run, int last);

    double width_ = 0;
    int indexed_ = 0;
    std::unordered_map<Cell, std::vector<int>, CellHash> cells_;
};

// Number of steps a curve of this length is counted as for cutting: the
// integer part of L/s (with a small slack), raised by one when it falls short
// of L/s by 1e-5 or more, then made even. 0 for a zero step.
int subdivision_step_count(double length, double step);

// Whether the cuts that subregion k's straight boundary, hole and tree curves
// and arcs will need fit the limits of points, curves and curve lists,
// counted from below before any cut is made. Returns 1, or 0 after the
// message of the limit the cuts would overrun first.
int check_subdivision_room(const Run& run, int k);

// Cuts the straight curve at position pos of subregion k's outer boundary
// (hole = 0) or of its hole `hole` into a piece of four steps and the rest,
// when it counts at least 6 steps; sets divided when it cut. Non-straight
// curves are left alone. Returns 1, or 0 after reporting a limit.
int divide_line_to_2_on_MC_boundary(Run& run, int k, int hole, int pos, bool& divided);

// The same for an arc: cut after four of its steps when it counts at least 6.
// `near` finds the existing points an arc's new points may reuse.
int divide_arc_to_2_on_MC_boundary(Run& run, int k, int hole, int pos, bool& divided, NearPointIndex& near);

// Cuts straight curve m of tree t of subregion k into a piece of two steps
// and the rest (appended to the tree) when it counts at least 4 steps.
int divide_line_2_on_tree(Run& run, int k, int t, int m, bool& divided);

}  // namespace korvex
