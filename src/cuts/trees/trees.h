// Internal trees of PLANE subregions: their merging, their division into
// simple sequences, the connectors from their free ends to the boundary and
// the cut of a subregion along a processed tree.
#pragma once

#include "model/run.h"

namespace korvex {

// Index in curves[] of curve m of the tree (its stored index when that still
// names the curve, else found by name), or 0.
int tree_curve_id(const Run& run, const Tree& tree, int m);

// First and last defining point of curve m of the tree (0 when unresolved).
int tree_curve_start(const Run& run, const Tree& tree, int m);
int tree_curve_end(const Run& run, const Tree& tree, int m);

// End-point records of every curve of the tree from the coincidences of the
// curves' end points. Returns 1, or 0 after a report (too many neighbours).
int build_tree_neighbours(const Run& run, Tree& tree);

// Resolves the curves of every user tree and builds its neighbour records.
int walltr_0(Run& run);

// True when point p is the first or last defining point of one of subregion
// k's boundary curves.
bool is_boundary_corner(const Run& run, const Subregion& s, int p);

// Walks user tree t of subregion k (3 or more curves) into simple sequences.
// A tree without a branch point stays as it is. Otherwise the tree keeps its
// first sequence and the others are appended as trees "Tn%06i" with their
// start points. Throws TreeException when the guard is on and the walk does
// not end; returns 1, or 0 after a report.
int branching_trees_common_case(Run& run, int k, int t);

// Builds one connector from the free end of curve m of tree t of subregion
// k (mode 1: its start point, mode 2: its end point) to a corner of the
// outer boundary. Returns 1 when a connector was added, 0 after a report.
int boundary_loop_search(Run& run, int k, int t, int m, int mode, int iter_length, double first_angle);

// Cuts subregion k along tree t (a path from the boundary back to it, with
// its connectors); the tree leaves the list. Returns 1, or 0 after a report.
int split_along_tree(Run& run, int k, int t);

}  // namespace korvex
